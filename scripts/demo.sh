#!/usr/bin/env bash
# The demo: a market that looks lived in, on the local services simulator, and the desktop
# program bound to the user's own Pursa stand-in wallet, with a counterparty that answers the
# user's listings and offers.
#
#   bash scripts/demo.sh [--state DIR] [--out DIR] [--headless] [--no-install] [--no-build]
#
# --state DIR   the simulator's chain and every wallet of the demo (default build/demo-state);
#               seeded on the first run and reused after
# --out DIR     where a headless run saves its pictures (default build/demo-shots)
# --headless    run without a window even when a display is present; without a display
#               ($DISPLAY and $WAYLAND_DISPLAY unset) this is the default. A headless run saves
#               pictures of the main window and the dialogs, prints the book and exits.
# --no-install  do not check the Debian packages
# --no-build    use the programs already built (AGORAN_BUILD_DIR, default build)
#
# Ctrl-C, or closing the window, stops everything the demo started.
set -euo pipefail
cd "$(dirname "$0")/.."

state=build/demo-state
out=build/demo-shots
headless=0
install=1
compile=1
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then headless=1; fi
while [ $# -gt 0 ]; do
  case "$1" in
    --state) state="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    --headless) headless=1; shift ;;
    --no-install) install=0; shift ;;
    --no-build) compile=0; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | grep '^#' | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "usage: bash scripts/demo.sh [--state DIR] [--out DIR] [--headless] [--no-install] [--no-build]" >&2; exit 2 ;;
  esac
done

if [ "$install" = 1 ]; then bash scripts/install-deps.sh; fi
build="${AGORAN_BUILD_DIR:-build}"
if [ "$compile" = 1 ]; then
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  fi
  nice ninja -C "$build" agoran-devnet agoran-demo-seed agoran-demo-counterparty agoran-cli pursa tavrin-agoran agoran-ui-shots
fi
build="$(cd "$build" && pwd)"

mkdir -p "$state/user"
state="$(cd "$state" && pwd)"
# The user's data directory: the desktop program, agoran-cli and pursa run in it.
export LOCALAPPDATA="$state/user"

pids=()
stop_all() {
  trap - EXIT INT TERM
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap stop_all EXIT
trap 'exit 130' INT TERM

# The simulator prints its URL on its first line and points the user's data directory at it.
"$build/devnet/agoran-devnet" --port 0 --state "$state/devnet" --write-services "$state/user/TavrinNode" \
  > "$state/devnet.out" 2> "$state/devnet.err" &
pids+=($!)
base=""
for _ in $(seq 1 100); do
  base="$(head -n 1 "$state/devnet.out" 2>/dev/null | grep -o 'http://[^ ]*' || true)"
  [ -n "$base" ] && break
  sleep 0.1
done
[ -n "$base" ] || { echo "demo: the simulator did not start" >&2; cat "$state/devnet.err" >&2; exit 1; }
echo "demo: the simulator serves at $base (state in $state)"

if [ ! -f "$state/seeded.json" ]; then
  echo "demo: seeding the market (once; a minute or two)..."
  "$build/ui/agoran-demo-seed" --state "$state" --url "$base" --app-folder "$build/ui"
fi

"$build/demo/agoran-demo-counterparty" --state "$state" > "$state/counterparty.log" 2>&1 &
pids+=($!)

if [ "$headless" = 1 ]; then
  mkdir -p "$out"
  QT_QPA_PLATFORM=offscreen "$build/ui/agoran-ui-shots" "$out" --live
  echo "demo: pictures in $out"
  "$build/cli/agoran-cli" book
  exit 0
fi

echo "demo: starting Tavrin Agoran; the Pursa stand-in for your wallet:"
echo "        LOCALAPPDATA=$state/user $build/pursa/pursa show"
# In the background, so that Ctrl-C (or a TERM sent to this script) reaches the trap at once.
"$build/ui/tavrin-agoran" &
ui_pid=$!
pids+=("$ui_pid")
wait "$ui_pid" || true
