# Sourced by the scripts that fetch Debian's source packages: ensure_deb_src adds a deb-src entry
# to apt's sources when there is none (Debian's default list has none). Needs say().
ensure_deb_src() {
  if apt-cache showsrc libpng1.6 2>/dev/null | grep -q '^Package:'; then return; fi
  say "adding Debian's source packages to apt's sources"
  local suites
  suites="$(. /etc/os-release && echo "$VERSION_CODENAME $VERSION_CODENAME-updates")"
  cat >/etc/apt/sources.list.d/tramino-deb-src.sources <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suites
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  apt-get update -qq >/dev/null
}

