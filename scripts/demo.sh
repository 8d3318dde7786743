#!/usr/bin/env bash
# From a fresh Debian 12 machine to a show: installs only what building tramino-cli needs, builds
# it, builds a show from the sample pictures for the panel of the bundled Vendale.ini, checks it
# and renders its pictures and contact sheet.
# Usage: bash scripts/demo.sh [MODE]   (MODE: normal, shutter-lr, shutter-tb or circle; circle by default)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mode="${1:-circle}"
build="${TRAMINO_DEMO_BUILD:-build/demo}"
out="$root/$build/show"

bash scripts/install-deps.sh cli
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTRAMINO_BUILD_GUI=OFF -DTRAMINO_BUILD_TESTS=OFF -DTRAMINO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target tramino-cli
cli="$root/$build/bin/tramino-cli"

mkdir -p "$out"
# Run beside the bundled Vendale.ini, so that its PanelSize chooses the panel.
cd res
"$cli" build --mode "$mode" -o "$out/demo.qrv" samples/*
"$cli" check "$out/demo.qrv"
"$cli" render "$out/demo.qrv" -o "$out/render"
echo
echo "Show:          $out/demo.qrv"
echo "Contact sheet: $out/render/sheet.png"
