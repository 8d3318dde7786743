#!/usr/bin/env bash
# Takes a screenshot of the main window in each of the three languages, under Xvfb.
# Usage: scripts/screenshot.sh [BUILD_DIR] [OUT_DIR]
#   BUILD_DIR  holds bin/tramino (default build/release)
#   OUT_DIR    receives tramino-english.png, tramino-traditional.png, tramino-simplified.png
#              (default BUILD_DIR/screenshots)
# The pictures to load are taken from TRAMINO_LOAD (paths separated by ':', or one .tramino project), which the
# program reads at start-up; by default three of the sample pictures. The picture is taken
# TRAMINO_SHOT_DELAY seconds after the start (default 4; 10 under wine, which starts slower); with TRAMINO_AUTORUN=preview and a
# slow TRAMINO_PIXELS_PER_SECOND it catches a show under way; TRAMINO_AUTORUN=about shows the
# About box, TRAMINO_AUTORUN=panelview the panel view, TRAMINO_AUTORUN=options the picture options of the last picture, TRAMINO_AUTORUN=play-show:PATH that show file played in the preview, TRAMINO_AUTORUN=transform-stop (or transform-done: to its end, at full speed) a transform
# into TRAMINO_SAVE_AS (relative: in the language's own folder) stopped after its first picture, TRAMINO_AUTORUN=recent-menu the
# menu's recent files. Each language keeps its settings in a file of its own, a copy of the ini
# file TRAMINO_SETTINGS names if it is set, so that the user's own stay untouched. TRAMINO_PANEL_CODE chooses the panel
# (default 9), TRAMINO_SHOT_SCREEN the screen (default 800x480), TRAMINO_SHOT_NAME the start of
# the file names (default tramino). With openbox installed, windows get their frames and titles as
# on a desktop. A Windows build (BUILD_DIR/bin/tramino.exe, from scripts/build-windows.sh) runs
# under wine64 instead, on Qt's windows platform plugin.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="$(realpath "${1:-build/release}")"
out="$(realpath -m "${2:-$build/screenshots}")"
program="$build/bin/tramino"
work="$(mktemp -d)"
settings="${TRAMINO_SETTINGS:-}"
trap 'rm -rf "$work"' EXIT
export TRAMINO_LOAD="${TRAMINO_LOAD:-$root/res/samples/hills-baseline.jpg:$root/res/samples/lake-8bit.bmp:$root/res/samples/dusk-24bit.bmp}"
if [ ! -x "$program" ] && [ -f "$program.exe" ]; then
    # Windows separates the paths with ';', and reads "/work/a.bmp" as a path on wine's Z: drive.
    export TRAMINO_LOAD="${TRAMINO_LOAD//:/;}"
    printf '#!/bin/bash\nexec %q %q\n' "$root/scripts/windows/wine.sh" "$program.exe" >"$work/tramino"
    chmod +x "$work/tramino"
    program="$work/tramino"
    delay="${TRAMINO_SHOT_DELAY:-10}"
fi
[ -x "$program" ] || { echo "screenshot: $program not built" >&2; exit 1; }
mkdir -p "$out"
# A checkered desktop, so that the window's cut-out corners are visible.
screen="${TRAMINO_SHOT_SCREEN:-800x480}"
convert -size "$screen" pattern:checkerboard -fill '#5a6b7d' -colorize 60% "$work/desktop.png"

shoot() { # language-code name
    local dir="$work/$2"
    mkdir -p "$dir"
    printf 'LanguageSelection = %s\nPanelSize = %s\nPanelType = 1\n' "$1" "${TRAMINO_PANEL_CODE:-9}" >"$dir/Vendale.ini"
    cp "$root/res/Lang.txt" "$root/res/BG.bmp" "$dir/"
    if [ -n "$settings" ]; then cp "$settings" "$dir/Tramino.ini"; fi
    export TRAMINO_SETTINGS="$dir/Tramino.ini"
    (cd "$dir" && xvfb-run -a -s "-screen 0 ${screen}x24" bash -c '
        display -window root "$1"
        if command -v openbox >/dev/null; then openbox & sleep 0.5; fi
        "$2" & pid=$!
        sleep "$4"
        import -window root "$3"
        kill "$pid"; wait "$pid" 2>/dev/null || true' _ "$work/desktop.png" "$program" "$out/${TRAMINO_SHOT_NAME:-tramino}-$2.png" \
        "${delay:-${TRAMINO_SHOT_DELAY:-4}}")
    echo "$out/${TRAMINO_SHOT_NAME:-tramino}-$2.png"
}

shoot 1 english
shoot 2 traditional
shoot 3 simplified
