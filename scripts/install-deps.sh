#!/usr/bin/env bash
# Installs the Debian packages that a set of Tramino's jobs needs. Idempotent, and only touches
# packages that are missing; silent when none are. Run as root (or with sudo).
# Usage: scripts/install-deps.sh [SET]
#   cli      building tramino-cli
#   gui      building the window as well (Qt's development files)
#   test     the window, and running the tests, benchmarks, fuzzers, screenshots, the style checks
#            and the package's checks (the default)
#   windows  cross-building the command line for Windows and testing it under wine
#   windows-qt  cross-building Qt for Windows from Debian's source (scripts/build-windows-qt.sh),
#               the window for Windows and its installer
set -euo pipefail

CLI=(
  build-essential cmake ninja-build
  libjpeg62-turbo-dev libgif-dev libpng-dev nlohmann-json3-dev
)
GUI=(
  pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
)
TEST=(
  libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-tidy clang-format libclang-rt-14-dev git
  libjpeg-turbo-progs
  python3 python3-pil libvips-tools
  xvfb xauth x11-apps imagemagick fonts-wqy-microhei openbox
  desktop-file-utils file lintian appstream groff-base
)
WINDOWS=(
  cmake ninja-build dpkg-dev zip nasm
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  libz-mingw-w64-dev nlohmann-json3-dev libgtest-dev wine64
  libjpeg62-turbo-dev libgif-dev libpng-dev
)
# Debian's host Qt supplies the tools; wine's headers the tablet interface Debian's source omits;
# nsis the installer of the window; Xvfb the screen the window runs on under wine.
WINDOWS_QT=(
  "${WINDOWS[@]}" qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libwine-dev nsis xvfb xauth
)

case "${1:-test}" in
  cli) PACKAGES=("${CLI[@]}") ;;
  gui) PACKAGES=("${CLI[@]}" "${GUI[@]}") ;;
  test) PACKAGES=("${CLI[@]}" "${GUI[@]}" "${TEST[@]}") ;;
  windows) PACKAGES=("${WINDOWS[@]}") ;;
  windows-qt) PACKAGES=("${WINDOWS_QT[@]}") ;;
  *)
    echo "install-deps: unknown set '$1' (cli, gui, test, windows or windows-qt)" >&2
    exit 2
    ;;
esac

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
# apt itself stays quiet, so say what happens while it works.
echo "install-deps: installing these Debian packages and what they need (a minute or so on a" \
  "fresh machine):" >&2
echo "${missing[*]}" | fold -s -w 94 | sed 's/^/  /' >&2
echo "install-deps: updating the package lists" >&2
$SUDO apt-get update -qq >/dev/null
echo "install-deps: downloading and installing" >&2
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done" >&2
