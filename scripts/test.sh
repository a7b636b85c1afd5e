#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, then the hardening runs: the
# AddressSanitizer + UndefinedBehaviorSanitizer build of the libraries and their tests, every
# fuzz target for a bounded time, and the ThreadSanitizer run of the concurrent tests. Exits
# non-zero on any failure or sanitizer report. Prints the time each phase took.
set -euo pipefail
cd "$(dirname "$0")/.."
# Compiled objects are shared with every other checkout on this machine: ccache keys them by paths
# relative to the checkout (so a fresh clone reuses them) and keeps enough for the three trees.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1 CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-30G}"

phases=()
phase() {
  local name="$1" started=$SECONDS
  shift
  "$@"
  phases+=("$(printf '%-36s %5d s' "$name" $((SECONDS - started)))")
  printf '%s\n' "CI phases so far:" "${phases[@]}"
}

phase "install dependencies" bash scripts/install-deps.sh
phase "Windows check of platform/" bash scripts/check-windows.sh
# The test build keeps line tables only (-g1): a failing test's backtrace still names file and
# line, and the libraries compile in about 70% of the time full debug information takes. The
# fuzz corpora are replayed once, by the address+undefined phase, under the sanitizers.
phase "build" bash -c 'cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" -DAGORAN_FUZZ_REPLAY=OFF && cmake --build build'
# Static checks, once the tree has them (scripts/tidy.sh).
if [ -f scripts/tidy.sh ]; then phase "static checks" bash scripts/tidy.sh; fi
phase "tests" ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600
phase "address+undefined build and tests" bash scripts/sanitize.sh address
phase "fuzzing (20 s per target)" bash scripts/fuzz.sh 20
phase "thread build and concurrent tests" bash scripts/sanitize.sh thread
