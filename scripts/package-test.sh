#!/usr/bin/env bash
# Builds the Debian package from a configured and built build directory, installs it on this
# machine with apt (which pulls in what it depends on), then, from a folder without data files,
# builds a show of the samples with the installed tramino-cli, checks it, starts the installed
# window, and removes the package again.
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

(cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null)
deb="$scratch/package/tramino_${version}_amd64.deb"
[ -f "$deb" ] || fail "cpack made no $(basename "$deb")"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "the package does not depend on Qt"
dpkg-deb -f "$deb" Recommends | grep -q 'fonts-wqy-microhei' || fail "the package recommends no CJK font"

if dpkg-query -W -f='${Status}' tramino 2>/dev/null | grep -q 'install ok installed'; then
  fail "tramino is installed already; remove it first"
fi
installed_here=1
# A fresh machine may have no package lists yet.
if ! $SUDO apt-get install -y -qq "$deb" >/dev/null; then
  $SUDO apt-get update -qq >/dev/null
  $SUDO apt-get install -y -qq "$deb" >/dev/null
fi

# The installed files, found the way a shell and a desktop find them.
[ "$(command -v tramino-cli)" = /usr/bin/tramino-cli ] || fail "tramino-cli is not on the PATH"
[ "$(command -v tramino)" = /usr/bin/tramino ] || fail "tramino is not on the PATH"
[ -f /usr/share/applications/tramino.desktop ] || fail "no desktop entry"
[ -f /usr/share/icons/hicolor/64x64/apps/tramino.png ] || fail "no icon"
[ -f /usr/share/doc/tramino/copyright ] || fail "no copyright file"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate /usr/share/applications/tramino.desktop
fi
[ "$(tramino-cli --version)" = "tramino-cli $version" ] || fail "tramino-cli --version is not $version"

# From a folder without data files: the installed Vendale.ini gives the panel.
work="$scratch/work"
mkdir "$work"
cd "$work"
panel="$(tramino-cli panel)"
case "$panel" in
  *" of /usr/"*"/tramino/Vendale.ini)") ;;
  *) fail "the installed Vendale.ini was not found: $panel" ;;
esac
tramino-cli build --mode circle -o show.qrv "$root"/res/samples/* >/dev/null
tramino-cli check show.qrv >/dev/null

# The window starts (its Qt libraries and platform plugin are there) and keeps running.
status=0
QT_QPA_PLATFORM=offscreen timeout 3 tramino >/dev/null 2>&1 || status=$?
[ "$status" = 124 ] || fail "the window ended at once with status $status"

echo "package-test: $(basename "$deb") installs, builds and checks a show, and starts"
