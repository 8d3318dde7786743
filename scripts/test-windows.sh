#!/usr/bin/env bash
# Runs the Windows build's test programs (scripts/build-windows.sh) under wine64, one wine
# process per program, with wine's crash dialog off so that a crash fails instead of waiting.
# Usage: scripts/test-windows.sh [WINDOWS-BUILD-DIR [PROGRAMS]]
#   WINDOWS-BUILD-DIR  build/windows by default
#   PROGRAMS           which test programs: names or patterns, separated by spaces (default
#                      "tramino_tests_*"; the window's: "tramino_tests_gui workers_test")
set -euo pipefail
cd "$(dirname "$0")/.."
bin="${1:-build/windows}/bin"
read -ra patterns <<<"${2:-tramino_tests_*}"
programs=()
for pattern in "${patterns[@]}"; do
  programs+=("$bin"/$pattern.exe)
done
export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-/tmp/tramino-wine}"
wine=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/.crash-dialog-off" ]; then
  mkdir -p "$WINEPREFIX"
  $wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  touch "$WINEPREFIX/.crash-dialog-off"
fi
# Qt's offscreen platform on Windows finds no fonts under wine: every glyph is a box and no text
# measures as on a desktop. The window's tests add the fonts the Linux ones use.
if [ -z "${TRAMINO_TEST_FONTS:-}" ]; then
  fonts="$(mktemp -d)"
  trap 'rm -rf "$fonts"' EXIT
  for font in /usr/share/fonts/truetype/dejavu/DejaVuSans{,-Bold}.ttf /usr/share/fonts/truetype/wqy/wqy-microhei.ttc; do
    if [ -f "$font" ]; then ln -s "$font" "$fonts/"; fi
  done
  export TRAMINO_TEST_FONTS="$fonts"
fi
passed=0
failed=0
for program in "${programs[@]}"; do
  log="$(mktemp)"
  if (cd "$(dirname "$program")" && timeout 900 $wine "./$(basename "$program")" 2>&1 | tr -d "\r" >"$log"; exit "${PIPESTATUS[0]}"); then
    status=ok
  else
    status=FAILED
  fi
  n_passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -n 1)
  n_failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:/\1/p' "$log" | tail -n 1)
  passed=$((passed + ${n_passed:-0}))
  failed=$((failed + ${n_failed:-0}))
  if [ "$status" = FAILED ]; then
    failed=$((failed + $([ -z "$n_failed" ] && echo 1 || echo 0)))
    grep -E '^\[  FAILED  \]|Failure' "$log" | head -n 20
  fi
  # Each skipped test with its reason, the line after GoogleTest's "Skipped".
  awk '/^\[ RUN      \]/ { name = $4 } skipped { print "test-windows: skipped " name ": " $0; skipped = 0 }
       / Skipped$/ { skipped = 1 }' "$log"
  echo "test-windows: $(basename "$program"): $status"
  rm -f "$log"
done
echo "wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
