#!/usr/bin/env bash
# Checks the house format (clang-format) and runs clang-tidy with the project's checks over
# every source file of ours.
# Usage: scripts/tidy.sh [BUILD_DIR]   (a configured build with compile_commands.json; default build/ci)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/ci}"
[ -f "$build/compile_commands.json" ] || cmake --preset ci >/dev/null
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
# Only the files this build compiles: the other system's platform files are checked by its own.
files=$(git ls-files 'src/*.cpp' 'bench/*.cpp' | python3 -c '
import json, os, sys
built = {os.path.realpath(e["file"]) for e in json.load(open(sys.argv[1]))}
print("\n".join(f for f in sys.stdin.read().split() if os.path.realpath(f) in built))' "$build/compile_commands.json")
# Qt's moc output and generated files are not ours; the compile database lists only real sources.
# clang-tidy counts the warnings it suppressed (in system headers, in checks not chosen) in a
# line "N warnings generated." per file; those lines say nothing, the findings (errors here) do.
echo "$files" | xargs -P 2 -n 8 clang-tidy -p "$build" --quiet 2>&1 |
  { grep -Ev '^[0-9]+ warnings? generated\.$' || true; }
