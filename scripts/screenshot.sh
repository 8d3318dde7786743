#!/usr/bin/env bash
# Takes a screenshot of the main window in each of the three languages, under Xvfb.
# Usage: scripts/screenshot.sh [BUILD_DIR] [OUT_DIR]
#   BUILD_DIR  holds bin/tramino (default build/release)
#   OUT_DIR    receives tramino-english.png, tramino-traditional.png, tramino-simplified.png
#              (default BUILD_DIR/screenshots)
# The pictures to load are taken from TRAMINO_LOAD (paths separated by ':'), which the
# program reads at start-up; by default three of the sample pictures. The picture is taken
# TRAMINO_SHOT_DELAY seconds after the start (default 4); with TRAMINO_AUTORUN=preview and a
# slow TRAMINO_PIXELS_PER_SECOND it catches a show under way; TRAMINO_AUTORUN=about shows the
# About box. With openbox installed, windows get their frames and titles as on a desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="$(realpath "${1:-build/release}")"
out="$(realpath -m "${2:-$build/screenshots}")"
program="$build/bin/tramino"
[ -x "$program" ] || { echo "screenshot: $program not built" >&2; exit 1; }
mkdir -p "$out"
export TRAMINO_LOAD="${TRAMINO_LOAD:-$root/res/samples/hills-baseline.jpg:$root/res/samples/lake-8bit.bmp:$root/res/samples/dusk-24bit.bmp}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A checkered desktop, so that the window's cut-out corners are visible.
convert -size 800x480 pattern:checkerboard -fill '#5a6b7d' -colorize 60% "$work/desktop.png"

shoot() { # language-code name
    local dir="$work/$2"
    mkdir -p "$dir"
    printf 'LanguageSelection = %s\nPanelSize = 9\nPanelType = 1\n' "$1" >"$dir/Vendale.ini"
    cp "$root/res/Lang.txt" "$root/res/BG.bmp" "$dir/"
    (cd "$dir" && xvfb-run -a -s "-screen 0 800x480x24" bash -c '
        display -window root "$1"
        if command -v openbox >/dev/null; then openbox & sleep 0.5; fi
        "$2" & pid=$!
        sleep "$4"
        import -window root "$3"
        kill "$pid"; wait "$pid" 2>/dev/null || true' _ "$work/desktop.png" "$program" "$out/tramino-$2.png" \
        "${TRAMINO_SHOT_DELAY:-4}")
    echo "$out/tramino-$2.png"
}

shoot 1 english
shoot 2 traditional
shoot 3 simplified
