#!/usr/bin/env bash
# Cross-builds a minimal Qt for 64-bit Windows (Core, Gui, Widgets, Test; the windows, offscreen
# and minimal platform plugins and the Vista style) from Debian's own qt6-base source, at the
# version of the host's qt6-base-dev, whose tools (moc, rcc, uic) it uses. The result is kept in
# $TRAMINO_WINDOWS_CACHE/qt6-base-<source version>; once it is there the script prints that folder
# and does nothing else, so only a new Debian version builds afresh (about 35 minutes at -j2).
# Usage: scripts/build-windows-qt.sh [--if-cached]
#   --if-cached  print the folder if it is built, else print nothing and build nothing
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
cache="${TRAMINO_WINDOWS_CACHE:-/var/cache/tramino-windows}"
say() { echo "build-windows-qt: $*" >&2; }
host_version() { dpkg-query -W -f='${source:Version}' qt6-base-dev 2>/dev/null || true; }

version="$(host_version)"
prefix="$cache/qt6-base-${version//:/_}"
if [ -n "$version" ] && [ -f "$prefix/.built" ]; then
  echo "$prefix"
  exit 0
fi
[ "${1:-}" = "--if-cached" ] && exit 0

bash scripts/install-deps.sh windows-qt
version="$(host_version)"
prefix="$cache/qt6-base-${version//:/_}"
started=$SECONDS
source_parent="$cache/src/qt6-base"
rm -rf "$source_parent" "$prefix"
mkdir -p "$source_parent"
source scripts/windows/deb-src.sh
ensure_deb_src
say "fetching Debian's qt6-base $version source"
(cd "$source_parent" && apt-get source -qq "qt6-base=$version" >/dev/null 2>&1) ||
  { say "apt-get source qt6-base=$version failed"; exit 1; }
source="$(find "$source_parent" -mindepth 1 -maxdepth 1 -type d | head -n 1)"

# Debian's source leaves out the tablet headers; Wine's LGPL ones declare the same interface, with
# a few names from Wine's other headers (scripts/windows/qt/wintab.h).
wintab="$source/src/3rdparty/wintab"
mkdir -p "$wintab"
cp /usr/include/wine/wine/windows/wintab.h "$wintab/wine-wintab.h"
cp /usr/include/wine/wine/windows/pktdef.h "$root/scripts/windows/qt/wintab.h" "$wintab/"

log="$cache/qt6-base.log"
say "building (log: $log)"
build="$source/build-win64"
# The DLLs and plugins carry the mingw runtime (-static), as tramino.exe does, so nothing else goes
# beside them.
{
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_SHARED_LINKER_FLAGS=-static -DCMAKE_MODULE_LINKER_FLAGS=-static \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DFEATURE_sessionmanager=ON \
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF \
    -DFEATURE_freetype=ON -DFEATURE_fontconfig=OFF
  nice -n 10 cmake --build "$build" -j2
  cmake --install "$build"
} >"$log" 2>&1 || { tail -n 40 "$log" >&2; say "failed; the whole log is $log"; exit 1; }
touch "$prefix/.built"
rm -rf "$source_parent"
say "Qt $version built in $((SECONDS - started)) s, $(du -sh "$prefix" | cut -f1) installed"
echo "$prefix"
