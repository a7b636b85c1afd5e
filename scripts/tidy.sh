#!/usr/bin/env bash
# Static checks of the libraries with clang-tidy (the checks are in .clang-tidy): every member
# function whose result matters is [[nodiscard]], and no result that says whether something worked
# is dropped. Reads the compilation database of build/ (configure it first, as scripts/test.sh does).
#   bash scripts/tidy.sh [build-dir]
# Exits non-zero and prints the findings when there are any.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
libraries="platform|core|tx|net|wallet|funding|book|trade"

[ -f "$build/compile_commands.json" ] || { echo "tidy.sh: no $build/compile_commands.json" >&2; exit 2; }
# A library's own sources, or the unity batches CMake made of them.
units="$(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$build/compile_commands.json" |
  grep -E "^$PWD/($libraries)/[^/]+\.cpp\$|/($libraries)/CMakeFiles/agoran_[a-z]+\.dir/Unity/[^/]+\$" || true)"
[ -n "$units" ] || { echo "tidy.sh: no library units in $build/compile_commands.json" >&2; exit 2; }

report="$(mktemp)"
trap 'rm -f "$report"' EXIT
status=0
printf '%s\n' "$units" | xargs -P "$(nproc)" -n 1 clang-tidy-14 -p "$build" --quiet \
  --header-filter="^$PWD/($libraries)/" >"$report" 2>/dev/null || status=$?
# A header's finding is reported once per unit that includes it: print each once.
if grep -q "warning:\|error:" "$report"; then
  grep "warning:\|error:" "$report" | sort -u
  echo "tidy.sh: findings above" >&2
  exit 1
fi
[ "$status" -eq 0 ] || { cat "$report"; echo "tidy.sh: clang-tidy failed ($status)" >&2; exit 1; }
echo "tidy.sh: $(printf '%s\n' "$units" | wc -l) units of the libraries checked, no findings"
