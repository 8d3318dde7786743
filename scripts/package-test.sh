#!/usr/bin/env bash
# Builds the Debian package from a configured and built build directory and checks it as Debian
# does (lintian: no error, no warning), installs it on this machine with apt (which pulls in what
# it depends on), checks its files by their paths (whatever else is installed, in /usr/local
# say), validates its desktop entry and AppStream metadata, then, from a folder without data
# files, builds a show of the samples with the installed tramino-cli, checks it, starts the
# installed window, and removes the package again.
# Usage: scripts/package-test.sh [BUILD_DIR]   (build/ci by default)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/ci}" && pwd)"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

fail() { echo "package-test: $*" >&2; exit 1; }

version="$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")"
[ -n "$version" ] || fail "no package version in $build/CPackConfig.cmake"
scratch="$(mktemp -d)"
installed_here=0
cleanup() {
  if [ "$installed_here" = 1 ]; then $SUDO apt-get remove -y -qq tramino >/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# Making the package must not touch the record of a "cmake --install" of the same build.
manifest="$build/install_manifest.txt"
manifest_before="$(cat "$manifest" 2>/dev/null || echo none)"
(cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null)
deb="$scratch/package/tramino_${version}_amd64.deb"
[ -f "$deb" ] || fail "cpack made no $(basename "$deb")"
[ "$(cat "$manifest" 2>/dev/null || echo none)" = "$manifest_before" ] || fail "cpack rewrote $manifest"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "the package does not depend on Qt"
dpkg-deb -f "$deb" Recommends | grep -q 'fonts-wqy-microhei' || fail "the package recommends no CJK font"
dpkg-deb -f "$deb" Description | grep -q 'PNG' || fail "the package's description does not name PNG"
# dpkg's estimate: every regular file rounded up to a KiB, one KiB for every other entry.
size="$(dpkg-deb -c "$deb" | awk '{ n += substr($1, 1, 1) == "-" ? int(($3 + 1023) / 1024) : 1 } END { print n }')"
[ "$(dpkg-deb -f "$deb" Installed-Size)" = "$size" ] ||
  fail "Installed-Size is $(dpkg-deb -f "$deb" Installed-Size) KiB where its files take $size KiB"
# lintian warns about running as root, which says nothing about the package.
lintian --fail-on error,warning "$deb" 2>&1 | { grep -v '^running with root privileges' || true; } >&2 ||
  fail "lintian found errors or warnings in $(basename "$deb")"

if dpkg-query -W -f='${Status}' tramino 2>/dev/null | grep -q 'install ok installed'; then
  fail "tramino is installed already; remove it first"
fi
installed_here=1
# A fresh machine may have no package lists yet.
if ! $SUDO apt-get install -y -qq "$deb" >/dev/null; then
  $SUDO apt-get update -qq >/dev/null
  $SUDO apt-get install -y -qq "$deb" >/dev/null
fi

# The package's own files, by their paths: another install (in /usr/local, say) may come first
# on the PATH.
for program in tramino-cli tramino; do
  [ "$(readlink -f "/usr/bin/$program")" = "/usr/lib/tramino/$program" ] || fail "/usr/bin/$program is not the package's"
done
for file in /usr/share/applications/tramino.desktop /usr/share/doc/tramino/copyright \
  /usr/share/doc/tramino/changelog.gz /usr/share/man/man1/tramino-cli.1.gz /usr/share/man/man1/tramino.1.gz \
  /usr/share/bash-completion/completions/tramino-cli /usr/share/mime/packages/tramino.xml \
  /usr/share/metainfo/io.github.tramino.Tramino.metainfo.xml; do
  [ "$(dpkg-query -S "$file" 2>/dev/null)" = "tramino: $file" ] || fail "the package installed no $file"
done
for size in 16 22 24 32 48 64 128 256; do
  [ -f "/usr/share/icons/hicolor/${size}x$size/apps/tramino.png" ] || fail "no $size x $size icon"
done
desktop-file-validate /usr/share/applications/tramino.desktop
metainfo=/usr/share/metainfo/io.github.tramino.Tramino.metainfo.xml
if ! report="$(appstreamcli validate --no-net --explain "$metainfo" 2>&1)"; then
  echo "$report" >&2
  fail "appstreamcli finds $metainfo invalid"
fi
# dpkg's trigger compiled the MIME types into the database.
for type in x-tramino-project x-qrv-show; do
  [ -f "/usr/share/mime/application/$type.xml" ] || fail "the MIME type application/$type is not in the database"
done
# The completion offers the commands.
completed="$(bash -c 'source /usr/share/bash-completion/completions/tramino-cli
  COMP_WORDS=(tramino-cli bu); COMP_CWORD=1; _tramino_cli; echo "${COMPREPLY[*]}"')"
[ "$completed" = build ] || fail "the completion of 'tramino-cli bu' is '$completed'"
[ "$(/usr/bin/tramino-cli --version)" = "tramino-cli $version" ] || fail "tramino-cli --version is not $version"

# From a folder without data files: the installed Vendale.ini gives the panel.
work="$scratch/work"
mkdir "$work"
cd "$work"
panel="$(/usr/bin/tramino-cli panel)"
case "$panel" in
  *" of /usr/"*"/tramino/Vendale.ini)") ;;
  *) fail "the installed Vendale.ini was not found: $panel" ;;
esac
/usr/bin/tramino-cli build --mode circle -o show.qrv "$root"/res/samples/* >/dev/null
/usr/bin/tramino-cli check show.qrv >/dev/null

# The window starts (its Qt libraries and platform plugin are there) and keeps running, also
# when the desktop hands it files, as its entry's %F does; the show it opens goes among the
# recent files of a settings file of its own, not the user's.
for args in "" "show.qrv"; do
  status=0
  # shellcheck disable=SC2086 # no file, or one
  QT_QPA_PLATFORM=offscreen TRAMINO_SETTINGS="$work/settings.ini" timeout 3 /usr/bin/tramino $args >/dev/null 2>&1 || status=$?
  [ "$status" = 124 ] || fail "the window ${args:+given $args }ended at once with status $status"
done

echo "package-test: $(basename "$deb") passes lintian, installs, builds and checks a show, and starts"
