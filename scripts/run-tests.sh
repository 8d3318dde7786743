#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Tramino with warnings as errors and runs every test.
# Usage: scripts/run-tests.sh [PRESET]   (ci by default; asan and tsan run the sanitized builds,
# release-werror the Release build type)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-ci}"
bash scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
