#!/usr/bin/env bash
# Runs every libFuzzer target of fuzz/ for a bounded time, starting from its seed corpus and its
# kept findings, as many targets at once as there are processors. Needs the fuzz build
# (scripts/sanitize.sh address makes it in build-asan/).
#   bash scripts/fuzz.sh [seconds per target, default 20]
# New corpus entries stay in build-asan/fuzz-corpus/ (not in the repository). A crash is saved in
# build-asan/fuzz-findings/<target>/; once fixed, copy it into fuzz/regressions/<target>/, where
# every test run replays it for ever. Exits non-zero when any target found a crash, a leak, a
# sanitizer report or a failed property. The figures go to build-asan/fuzz-summary.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
# The sanitizers print symbolised stacks when they find llvm-symbolizer.
export PATH="$PATH:/usr/lib/llvm-14/bin"

seconds="${1:-20}"
build=build-asan
targets="$build/fuzz_targets.txt"
[ -f "$targets" ] || { echo "no fuzz build in $build (run scripts/sanitize.sh address)" >&2; exit 2; }

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$build/fuzz-logs"

fuzz_one() {
  local name="$1" corpus="$build/fuzz-corpus/$1" findings="$build/fuzz-findings/$1"
  local log="$build/fuzz-logs/$1.log" status="$build/fuzz-logs/$1.status"
  mkdir -p "$corpus" "$findings"
  local dirs=("$corpus" "fuzz/corpus/$name")
  [ -d "fuzz/regressions/$name" ] && dirs+=("fuzz/regressions/$name")
  if "$build/fuzz/${name}_fuzz" "${dirs[@]}" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
      -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1; then
    echo 0 >"$status"
  else
    echo 1 >"$status"
  fi
}

running=0
while read -r name; do
  [ -n "$name" ] || continue
  fuzz_one "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$(nproc)" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done <"$targets"
wait

status=0
summary="$build/fuzz-summary.txt"
printf 'fuzzing, %s s per target:\n' "$seconds" >"$summary"
while read -r name; do
  [ -n "$name" ] || continue
  log="$build/fuzz-logs/$name.log"
  if [ "$(cat "$build/fuzz-logs/$name.status" 2>/dev/null || echo 1)" != 0 ]; then
    echo "fuzz target $name failed; its log:" >&2
    tail -n 60 "$log" >&2
    status=1
  fi
  execs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)"
  cov="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || echo 0)"
  ft="$(grep -o 'ft: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || echo 0)"
  units="$(find "$build/fuzz-corpus/$name" -type f | wc -l)"
  printf '%-22s %10s execs  cov %6s  ft %6s  new corpus %5s\n' "$name" "$execs" "$cov" "$ft" "$units" >>"$summary"
done <"$targets"
cat "$summary"
exit "$status"
