#!/usr/bin/env bash
# Builds the same shows, conversions, renders and project with the Linux tramino-cli and the
# Windows one (under wine) from the shared test pictures, and the windows' Transform of them where
# both windows are built, and fails on any byte that differs.
# Usage: scripts/compare-windows.sh [LINUX-BUILD-DIR] [WINDOWS-BUILD-DIR]   (build/ci, build/windows)
# Skips, saying so, when the test pictures are not there.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
linux="$root/${1:-build/ci}/bin/tramino-cli"
windows="$root/${2:-build/windows}/bin/tramino-cli.exe"
testdata="${TRAMINO_TESTDATA:-$root/../shared/testdata}"
if [ ! -d "$testdata/photos" ] || [ ! -d "$testdata/bmpsuite/g" ]; then
  echo "compare-windows: skipped: no test pictures in $testdata"
  exit 0
fi
export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-/tmp/tramino-wine}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in"
cp "$testdata"/photos/*.jpg "$testdata"/photos/edge/*.gif "$work/in/"
cp "$testdata"/bmpsuite/g/{pal8.bmp,rgb24.bmp,rgb16.bmp,pal4.bmp} "$work/in/"
cp "$root"/res/samples/{rings.gif,hills-16bit.bmp,lake-progressive.jpg} "$work/in/"
mapfile -t pictures < <(cd "$work" && ls in/*.jpg in/*.bmp in/*.gif)

# Every case runs in the same relative places for both programs: $work/linux and $work/windows.
cases=()
for mode in normal shutter-lr shutter-tb circle; do cases+=("build --panel-code 1 --mode $mode -o show-$mode.qrv"); done
for fit in stretch contain cover; do cases+=("build --fit $fit --gravity northeast -o fit-$fit.qrv"); done
for dither in none ordered diffusion; do cases+=("build --dither $dither --size 128x96 -o dither-$dither.qrv"); done
cases+=("build --fast --auto-orient --background 336699 --fit contain -o fast.qrv"
  "build --frames all --panel-code 9 -o frames.qrv")

run_all() {
  local program="$1" side="$2" c i
  mkdir -p "$work/$side"
  cp -r "$work/in" "$work/$side/"
  cd "$work/$side"
  for c in "${cases[@]}"; do
    # shellcheck disable=SC2086
    $program $c "${pictures[@]}" >/dev/null
  done
  i=0
  for p in "${pictures[@]}"; do
    i=$((i + 1))
    $program convert --size 100x80 --dither diffusion --fit cover "$p" "convert-$i.bmp" >/dev/null
    $program convert --panel-code 3 "$p" "convert-$i.png" >/dev/null
  done
  $program render show-circle.qrv -o render >/dev/null
  # Windows ends the lines of text it prints with CR LF; the text is compared without them.
  $program check --panel-code 1 show-normal.qrv | tr -d '\r' >check.txt
  $program project new --mode shutter-tb --dither ordered --show project.qrv -o show.tramino "${pictures[@]}" >/dev/null
  $program build show.tramino >/dev/null
  $program build --size 64x64 -o 演示é.qrv "${pictures[0]}" >/dev/null
  cd "$root"
}

# The window's Transform of the same list, where both windows are built: started with the
# pictures listed, it writes window.qrv at full speed without a dialog and quits. The Windows one
# runs on Qt's windows platform under Xvfb, as on a desktop: on the offscreen platform under wine
# it writes the show but its window never closes.
window_transform() {
  local side="$1" separator="$2" list
  shift 2
  list="$(printf "$work/$side/in/%s$separator" "${pictures[@]#in/}")"
  (cd "$work/$side" && TRAMINO_LOAD="$list" TRAMINO_AUTORUN=transform-quit TRAMINO_SAVE_AS=window.qrv \
    TRAMINO_SETTINGS="$work/$side.ini" timeout 600 "$@" >"$work/$side.log" 2>&1) &&
    [ -f "$work/$side/window.qrv" ] ||
    { cat "$work/$side.log"; echo "compare-windows: the $side window's Transform failed (above)"; exit 1; }
}
windows_window="$(dirname "$windows")/tramino.exe"
linux_window="$(dirname "$linux")/tramino"
[ -f "$windows_window" ] && [ -x "$linux_window" ] && window=yes || window=

started=$SECONDS
run_all "$linux" linux
[ -z "$window" ] || window_transform linux : env QT_QPA_PLATFORM=offscreen "$linux_window"
echo "compare-windows: Linux runs done in $((SECONDS - started)) s"
started=$SECONDS
run_all "/usr/lib/wine/wine64 $windows" windows
[ -z "$window" ] || window_transform windows ';' env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 800x480x24" \
  "$root/scripts/windows/wine.sh" "$windows_window"
echo "compare-windows: Windows runs done in $((SECONDS - started)) s"
rm -rf "$work/linux/in" "$work/windows/in"
[ -n "$window" ] || echo "compare-windows: the windows' Transform not compared: a window is not built"
# The project file names its pictures, the same on both when they are relative.
files=$(cd "$work/linux" && find . -type f | sort)
count=$(echo "$files" | wc -l)
bytes=$(cd "$work/linux" && cat $files | wc -c)
if ! diff -rq "$work/linux" "$work/windows" >"$work/diff.txt"; then
  head -n 20 "$work/diff.txt"
  echo "compare-windows: the Windows program wrote different bytes (above)"
  exit 1
fi
echo "compare-windows: $count files, $bytes bytes, 0 differing"
