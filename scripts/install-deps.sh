#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking Tramino needs; with the
# argument "windows", those that cross-building it for Windows and testing that under wine need.
# Idempotent, and only touches packages that are missing; silent when none are. Run as root (or
# with sudo).
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libjpeg62-turbo-dev libgif-dev libpng-dev nlohmann-json3-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-tidy clang-format libclang-rt-14-dev
  libjpeg-turbo-progs
  python3 python3-pil libvips-tools
  xvfb xauth x11-apps imagemagick fonts-wqy-microhei openbox
  desktop-file-utils file
)
if [ "${1:-}" = "windows" ]; then
  PACKAGES=(
    cmake ninja-build dpkg-dev zip nasm
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    libz-mingw-w64-dev nlohmann-json3-dev libgtest-dev wine64
    libjpeg62-turbo-dev libgif-dev libpng-dev
  )
fi

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
