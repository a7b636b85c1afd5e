#!/usr/bin/env bash
# The sanitizer runs of the test suite. Exits non-zero when a test fails or any sanitizer
# reports anything, in a test program or in a program a test started (the simulator, Pursa).
#   bash scripts/sanitize.sh address   AddressSanitizer + UndefinedBehaviorSanitizer (clang, with
#                                      the fuzz targets' coverage, so scripts/fuzz.sh reuses it):
#                                      every library suite and the fuzz replays, into build-asan/
#   bash scripts/sanitize.sh thread    ThreadSanitizer: the test programs of the concurrent parts,
#                                      their concurrent tests only, into build-tsan/
# Reports are written to <build>/sanitizer-reports/ and printed.
set -euo pipefail
cd "$(dirname "$0")/.."
# The sanitizers print symbolised stacks when they find llvm-symbolizer.
export PATH="$PATH:/usr/lib/llvm-14/bin"

mode="${1:?usage: sanitize.sh address|thread}"
jobs="$(nproc)"
supp="$PWD/scripts/sanitizers"
# The suites of the libraries (and of Pursa, which holds the wallet lock and registry tests, and
# the hardening suite); the programs' end-to-end, UI and simulator suites are left to the normal run.
library_suites="platform;core;tx;net;wallet;funding;book;trade;pursa;hardening"

case "$mode" in
address)
  build=build-asan
  # -O1 with line tables: sanitizer reports keep their file and line, the build stays fast.
  # clang also checks that data marked AGORAN_GUARDED_BY is touched only under its mutex.
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None \
    -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only -Wthread-safety -Werror=thread-safety" \
    -DCMAKE_CXX_COMPILER=clang++-14 \
    -DAGORAN_SANITIZE=address -DAGORAN_BUILD_FUZZ=ON -DAGORAN_BUILD_UI=OFF -DAGORAN_BUILD_BENCH=OFF \
    -DAGORAN_TEST_DIRS="$library_suites" -DAGORAN_WERROR=OFF >/dev/null
  # The suites, the programs their tests start, and the fuzz targets; nothing else.
  targets=(agoran-devnet pursa)
  for suite in ${library_suites//;/ }; do targets+=("${suite}_tests"); done
  while read -r name; do [ -n "$name" ] && targets+=("${name}_fuzz"); done <"$build/fuzz_targets.txt"
  cmake --build "$build" --target "${targets[@]}"
  ;;
thread)
  build=build-tsan
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O1 -g1" -DAGORAN_SANITIZE=thread \
    -DAGORAN_BUILD_UI=OFF -DAGORAN_BUILD_BENCH=OFF -DAGORAN_TEST_DIRS="core;wallet;funding;book;pursa;hardening" \
    -DAGORAN_WERROR=OFF >/dev/null
  # Only the programs that hold concurrent tests (and the programs they start).
  cmake --build "$build" --target core_tests wallet_tests funding_tests book_tests pursa_tests hardening_tests \
    agoran-devnet pursa
  ;;
*)
  echo "usage: sanitize.sh address|thread" >&2
  exit 2
  ;;
esac
echo "sanitize.sh $mode: build took ${SECONDS} s; processor time of the children (user, system):"
times
started=$SECONDS

reports="$PWD/$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export TSAN_OPTIONS="log_path=$reports/tsan:halt_on_error=0:second_deadlock_stack=1:suppressions=$supp/tsan.supp"

status=0
if [ "$mode" = address ]; then
  ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 900 || status=1
else
  # The concurrent tests: the book loader's fan-out and the identity and token caches (book), the
  # coin refresh threads (funding's payment and gathering tests), the lots scan (wallet), the
  # wallet and registry locks, signing from many threads (core), and the hardening suite's
  # Concurrent* tests. A name that matches no test fails the run.
  concurrent=('BookLoadTest\.' 'IdentityTest\.' 'Pay\.' 'Gather\.' 'LotsTest\.'
              'WalletLock\.' 'WalletRelease\.' 'RegistryUnderLoad\.' 'Concurrent[A-Za-z]*\.'
              'Key\.EverySignatureIsLowSStrictDerAndVerifies$')
  for name in "${concurrent[@]}"; do
    if ! ctest --test-dir "$build" -N -R "^$name" | grep -q 'Total Tests: [1-9]'; then
      echo "sanitize.sh: no test matches ^$name; name the concurrent tests as they are now" >&2
      status=1
    fi
  done
  ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 900 \
    -R "$(IFS='|'; echo "^(${concurrent[*]})")" || status=1
fi

echo "sanitize.sh $mode: tests took $((SECONDS - started)) s; processor time of the children so far:"
times

shopt -s nullglob
found=("$reports"/*)
if [ "${#found[@]}" -ne 0 ]; then
  echo "sanitizer reports (${#found[@]} files):" >&2
  for f in "${found[@]}"; do
    echo "=== $f" >&2
    head -c 20000 "$f" >&2
  done
  status=1
fi
exit "$status"
