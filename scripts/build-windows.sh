#!/usr/bin/env bash
# Cross-builds the core, tramino-cli and their tests for 64-bit Windows with mingw-w64, and writes
# build/windows/tramino-<version>-win64-cli.zip.
# With the window (when Qt for Windows is there) also build/windows/tramino-<version>-win64.zip and
# tramino-<version>-win64-setup.exe.
# Usage: scripts/build-windows.sh [--no-tests] [--qt]
#   --qt  build Qt for Windows first when it is not built yet (scripts/build-windows-qt.sh, about
#         35 minutes at -j2); without it the window is built only when that Qt is there already
# The picture libraries (libjpeg-turbo with its SIMD code, giflib, libpng) and GoogleTest are
# built, static, from Debian's own sources at the versions the Linux build uses, once: they are
# kept under $TRAMINO_WINDOWS_CACHE (/var/cache/tramino-windows), one folder per library and
# version, so later runs only build Tramino itself.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
tests=ON
qt_build=
for arg in "$@"; do
  case "$arg" in
    --no-tests) tests=OFF ;;
    --qt) qt_build=yes ;;
    *) echo "build-windows: unknown option '$arg' (--no-tests, --qt)" >&2; exit 2 ;;
  esac
done

bash scripts/install-deps.sh windows

cache="${TRAMINO_WINDOWS_CACHE:-/var/cache/tramino-windows}"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
triple=x86_64-w64-mingw32
jobs=(-j2)
mkdir -p "$cache"

say() { echo "build-windows: $*" >&2; }

source scripts/windows/deb-src.sh

# The source version of the Linux library the Linux build links, so that both decode alike.
linux_version() { dpkg-query -W -f='${source:Version}' "$1"; }

# Unpacks source package $1 at version $2 (or the newest Debian has, when that one is gone) into
# $cache/src and prints the unpacked folder.
fetch_source() {
  local package="$1" version="$2" dir="$cache/src"
  mkdir -p "$dir"
  rm -rf "${dir:?}/$package"
  mkdir "$dir/$package"
  (cd "$dir/$package" &&
    { apt-get source -qq "$package=$version" >/dev/null 2>&1 || apt-get source -qq "$package" >/dev/null 2>&1; })
  find "$dir/$package" -mindepth 1 -maxdepth 1 -type d | head -n 1
}

# build_library NAME SOURCE-PACKAGE LINUX-PACKAGE BUILD-FUNCTION: runs BUILD-FUNCTION SOURCE PREFIX
# unless that library's folder is there already, and prints the folder.
build_library() {
  local name="$1" package="$2" version prefix source
  version="$(linux_version "$3")"
  prefix="$cache/$name-${version//:/_}"
  if [ ! -f "$prefix/.built" ]; then
    local started=$SECONDS
    ensure_deb_src
    source="$(fetch_source "$package" "$version")"
    rm -rf "$prefix"
    "$4" "$source" "$prefix" >"$cache/$name.log" 2>&1 || { tail -n 30 "$cache/$name.log" >&2; exit 1; }
    touch "$prefix/.built"
    rm -rf "$cache/src/$package"
    say "$name $version built in $((SECONDS - started)) s"
  fi
  echo "$prefix"
}

cmake_library() {
  local source="$1" prefix="$2"
  shift 2
  cmake -S "$source" -B "$source/build-win64" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@"
  cmake --build "$source/build-win64" "${jobs[@]}"
  cmake --install "$source/build-win64"
}

build_jpeg() {
  cmake_library "$1" "$2" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DREQUIRE_SIMD=ON
}

build_png() {
  cmake_library "$1" "$2" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
}

# giflib ships only a Makefile for Unix; its library is eight C files.
build_gif() {
  local source="$1" prefix="$2" file
  mkdir -p "$prefix/lib" "$prefix/include" "$source/build-win64"
  for file in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
    $triple-gcc-posix -O2 -c "$source/$file.c" -o "$source/build-win64/$file.o"
  done
  $triple-ar rcs "$prefix/lib/libgif.a" "$source"/build-win64/*.o
  cp "$source/gif_lib.h" "$prefix/include/"
}

# Debian's libgtest-dev ships GoogleTest's source; its version is that package's.
build_gtest() {
  cmake_library /usr/src/googletest "$2" -DBUILD_SHARED_LIBS=OFF -DCMAKE_CXX_FLAGS=-w
  rm -rf /usr/src/googletest/build-win64
}

started=$SECONDS
jpeg="$(build_library jpeg libjpeg-turbo libjpeg62-turbo-dev build_jpeg)"
gif="$(build_library gif giflib libgif-dev build_gif)"
png="$(build_library png libpng1.6 libpng-dev build_png)"
gtest_version="$(dpkg-query -W -f='${Version}' libgtest-dev)"
gtest="$cache/gtest-${gtest_version//:/_}"
if [ ! -f "$gtest/.built" ]; then
  build_gtest "" "$gtest" >"$cache/gtest.log" 2>&1 || { tail -n 30 "$cache/gtest.log" >&2; exit 1; }
  touch "$gtest/.built"
  say "GoogleTest $gtest_version built"
fi
# nlohmann/json is headers only: Debian's serve both builds.
json="$cache/json"
if [ ! -f "$json/.built" ]; then
  mkdir -p "$json/include" "$json/share/cmake"
  cp -r /usr/include/nlohmann "$json/include/"
  cp -r /usr/share/cmake/nlohmann_json "$json/share/cmake/"
  touch "$json/.built"
fi
say "libraries ready in $((SECONDS - started)) s"

started=$SECONDS
build="$root/build/windows"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DTRAMINO_WINDOWS_PREFIXES="$jpeg;$gif;$png;$gtest;$json" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAMINO_WERROR=ON -DTRAMINO_BUILD_GUI=OFF \
  -DTRAMINO_BUILD_BENCH=OFF -DTRAMINO_BUILD_TESTS=$tests >/dev/null
cmake --build "$build" "${jobs[@]}"
say "Tramino built in $((SECONDS - started)) s"

# The package: the program (static, so no runtime DLLs), its data files and the README.
version="$(sed -n 's/^project(Tramino VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
stage="$build/package/tramino-$version-win64-cli"
zip="$build/tramino-$version-win64-cli.zip"
rm -rf "$build/package" "$zip"
mkdir -p "$stage"
$triple-strip -o "$stage/tramino-cli.exe" "$build/bin/tramino-cli.exe"
cp "$root/res/Vendale.ini" "$root/res/Lang.txt" "$root/res/BG.bmp" "$root/README.md" "$stage/"
(cd "$build/package" && zip -qr "$zip" "tramino-$version-win64-cli")
say "wrote ${zip#"$root"/}"

# The window, on a Qt for Windows built from Debian's source (scripts/build-windows-qt.sh), with
# Qt's DLLs and the platform and style plugins beside the programs, where Windows and Qt look.
if [ -n "$qt_build" ]; then
  qt="$(bash scripts/build-windows-qt.sh)"
else
  qt="$(bash scripts/build-windows-qt.sh --if-cached)"
fi
if [ -z "$qt" ]; then
  rm -f "$build/bin/tramino.exe" "$build/bin/tramino_tests_gui.exe"
  say "the window is NOT built: Qt for Windows is not in $cache yet (build it with" \
    "scripts/build-windows-qt.sh or --qt here, about 35 minutes at -j2)"
  exit 0
fi
# The host's Qt tools (moc, rcc, uic) and Qt's translations.
bash scripts/install-deps.sh windows-qt
started=$SECONDS
cmake -S "$root" -B "$build" -DTRAMINO_BUILD_GUI=ON -DTRAMINO_WINDOWS_PREFIXES="$jpeg;$gif;$png;$gtest;$json;$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
cmake --build "$build" "${jobs[@]}"
cp "$qt"/bin/Qt6{Core,Gui,Widgets}.dll "$build/bin/"
[ "$tests" = ON ] && cp "$qt/bin/Qt6Test.dll" "$build/bin/"
mkdir -p "$build/bin/platforms" "$build/bin/styles"
cp "$qt"/plugins/platforms/q{windows,offscreen,minimal}.dll "$build/bin/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$build/bin/styles/"
# Qt's own texts in the two Chinese languages (its .qm files serve every system), found through
# qt.conf: Qt's folders are then those beside the program.
mkdir -p "$build/bin/translations"
cp /usr/share/qt6/translations/qtbase_zh_{CN,TW}.qm "$build/bin/translations/"
printf '[Paths]\nPrefix = .\n' >"$build/bin/qt.conf"
say "the window built in $((SECONDS - started)) s"

# The package of the window: both programs, Qt's DLLs, plugins, translations and qt.conf, the
# data files and the README, stripped of their debugging symbols.
stage="$build/package/tramino-$version-win64"
zip="$build/tramino-$version-win64.zip"
rm -rf "$stage" "$zip"
mkdir -p "$stage/platforms" "$stage/styles"
for file in tramino.exe tramino-cli.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll \
  styles/qwindowsvistastyle.dll; do
  $triple-strip -o "$stage/$file" "$build/bin/$file"
done
cp -r "$build/bin/translations" "$build/bin/qt.conf" "$stage/"
cp "$root/res/Vendale.ini" "$root/res/Lang.txt" "$root/res/BG.bmp" "$root/README.md" "$stage/"
(cd "$build/package" && zip -qr "$zip" "tramino-$version-win64")
say "wrote ${zip#"$root"/} ($(du -k "$zip" | cut -f1) KB)"

# The installer of the same files (NSIS): the licence, a Start menu entry, .tramino and .qrv
# opened by tramino.exe, and an uninstaller that leaves nothing behind.
setup="$build/tramino-$version-win64-setup.exe"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DLICENSE="$root/LICENSE" -DOUTFILE="$setup" \
  "$root/scripts/windows/tramino.nsi" >/dev/null
say "wrote ${setup#"$root"/} ($(du -k "$setup" | cut -f1) KB)"
