#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer) and runs each
# one for SECONDS (default 60) with its dictionary and seeds. Exits non-zero on any finding (crash,
# sanitizer report, leak, timeout, excessive memory) and prints where the input that caused it is;
# keep that input in tests/fuzz/regressions/<target>/ once the fault is fixed.
# Usage: scripts/fuzz.sh [SECONDS]
# Environment: FUZZ_TARGETS="picture_bmp show_file" runs only those; FUZZ_JOBS=2 runs two at once.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds="${1:-60}"
build="$root/build/fuzz"
testdata="${TRAMINO_TESTDATA:-$root/../shared/testdata}"
targets=(picture_bmp picture_jpeg picture_gif picture_png vendale_ini lang_file show_file)
if [ -n "${FUZZ_TARGETS:-}" ]; then read -ra targets <<<"$FUZZ_TARGETS"; fi
jobs="${FUZZ_JOBS:-1}"

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 -DTRAMINO_BUILD_FUZZ=ON -DTRAMINO_WERROR=ON \
  -DTRAMINO_BUILD_GUI=OFF -DTRAMINO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target tramino-cli "${targets[@]/#/tramino_fuzz_}"

# Extra seeds, linked rather than copied: the project's samples and settings files, the shared
# test pictures where present, and show files of every transition made by the program itself.
extra="$build/fuzz-extra"
rm -rf "$extra"
link_into() { # folder, files...
  local dir=$1
  shift
  mkdir -p "$dir"
  for f in "$@"; do [ -f "$f" ] && ln -sf "$(realpath "$f")" "$dir/$(basename "$(dirname "$f")")_$(basename "$f")"; done
  return 0
}
shopt -s nullglob
link_into "$extra/picture_bmp" "$root"/res/samples/*.bmp "$testdata"/bmpsuite/*/*.bmp
link_into "$extra/picture_jpeg" "$root"/res/samples/*.jpg "$testdata"/photos/*.jpg "$testdata"/photos/edge/*.jpg
link_into "$extra/picture_gif" "$root"/res/samples/*.gif "$testdata"/photos/*.gif "$testdata"/photos/edge/*.gif
link_into "$extra/picture_png" "$root"/res/samples/*.png "$testdata"/photos/*.png "$testdata"/photos/edge/*.png
link_into "$extra/vendale_ini" "$root/res/Vendale.ini"
link_into "$extra/lang_file" "$root/res/Lang.txt"
mkdir -p "$extra/show_file"
for mode in normal shutter-lr shutter-tb circle; do
  "$build/bin/tramino-cli" build --size 96x64 --mode "$mode" -o "$extra/show_file/$mode.qrv" \
    "$root/res/samples/rings.gif" >/dev/null 2>&1 || echo "fuzz: could not build a $mode show seed" >&2
done

# Per target: the longest input worth mutating, and a memory cap for single allocations where
# a decoder must refuse what the file cannot hold.
declare -A max_len=([picture_bmp]=16384 [picture_jpeg]=16384 [picture_gif]=16384 [picture_png]=16384
  [vendale_ini]=4096
  [lang_file]=4096 [show_file]=16384)
declare -A malloc_limit=([picture_bmp]=512 [picture_jpeg]=512 [picture_gif]=512 [picture_png]=512 [vendale_ini]=2048
  [lang_file]=2048 [show_file]=2048)

run_target() {
  local t=$1
  local corpus="$build/fuzz-corpus/$t" log="$build/fuzz-logs/$t.log"
  local findings
  findings="$build/fuzz-findings/$t/$(date +%Y%m%d-%H%M%S)"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  local inputs=("$corpus" "$root/tests/fuzz/seeds/$t" "$extra/$t")
  if [ -d "$root/tests/fuzz/regressions/$t" ]; then inputs+=("$root/tests/fuzz/regressions/$t"); fi
  local status=0
  nice -n 19 "$build/bin/tramino_fuzz_$t" "${inputs[@]}" -dict="$root/tests/fuzz/dict/$t.dict" \
    -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb="${malloc_limit[$t]}" -timeout=25 \
    -max_len="${max_len[$t]}" -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1 || status=$?
  local stats execs
  stats=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
  execs=$(grep -oE 'stat::number_of_executed_units: [0-9]+' "$log" | grep -oE '[0-9]+$' || true)
  if [ "$status" -ne 0 ]; then
    echo "fuzz: $t FOUND A FAULT (exit $status); log $log"
    grep -E 'ERROR|SUMMARY|fuzz check failed|runtime error|Test unit written' "$log" | head -n 20
    for f in "$findings"/*; do echo "fuzz: $t input: $f"; done
    rmdir "$findings" 2>/dev/null || true
    return 1
  fi
  rmdir "$findings" 2>/dev/null || true
  echo "fuzz: $t ok after ${seconds}s, ${execs:-?} executions; ${stats}"
}

failed=0
if [ "$jobs" -gt 1 ]; then
  pids=()
  for t in "${targets[@]}"; do
    run_target "$t" &
    pids+=($!)
    if [ "${#pids[@]}" -ge "$jobs" ]; then
      wait "${pids[0]}" || failed=1
      pids=("${pids[@]:1}")
    fi
  done
  for p in "${pids[@]}"; do wait "$p" || failed=1; done
else
  for t in "${targets[@]}"; do run_target "$t" || failed=1; done
fi
exit "$failed"
