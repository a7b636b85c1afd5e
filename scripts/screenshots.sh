#!/usr/bin/env bash
# Renders the desktop program's windows in each of the four themes to PNG files, offscreen:
# the main window with a book, the Settings, Help and message windows, and the trade dialogs.
#
#   bash scripts/screenshots.sh [OUT_DIR]               a made-up market drawn from memory
#   bash scripts/screenshots.sh --simulator [OUT_DIR]   the book of a seeded local simulator
#
# OUT_DIR defaults to build/screenshots. Pictures are named <window>-<theme>.png: windows main,
# settings, help, message, list, buy, offer-cancel, complete, mine, history, chart-line,
# chart-bar, report; themes gold-blue, forest, rose, gold. With --readme the Gold-Blue pictures
# of the main window and the trade dialogs are also copied to resources/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=sample
readme=0
out=build/screenshots
for arg in "$@"; do
  case "$arg" in
    --simulator) mode=simulator ;;
    --readme) readme=1 ;;
    *) out="$arg" ;;
  esac
done

if [ ! -d build ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
targets=(agoran-ui-shots)
[ "$mode" = simulator ] && targets+=(agoran-devnet agoran-ui-seed-book)
nice ninja -C build -j2 "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
work="$(mktemp -d)"
cleanup() {
  if [ -n "${devnet_pid:-}" ]; then kill "$devnet_pid" 2>/dev/null || true; wait "$devnet_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
export LOCALAPPDATA="$work/appdata"
mkdir -p "$LOCALAPPDATA"

if [ "$mode" = simulator ]; then
  # The simulator prints its base URL on its first line and writes services.json for us.
  build/devnet/agoran-devnet --port 0 --state "$work/devnet" --write-services "$LOCALAPPDATA/TavrinNode" \
    > "$work/devnet.out" 2> "$work/devnet.err" &
  devnet_pid=$!
  for _ in $(seq 1 100); do
    [ -s "$work/devnet.out" ] && break
    sleep 0.1
  done
  base="$(head -n 1 "$work/devnet.out" | grep -o 'http://[^ ]*' || true)"
  [ -n "$base" ] || { echo "the simulator did not start" >&2; cat "$work/devnet.err" >&2; exit 1; }
  build/ui/agoran-ui-seed-book "$base"
  build/ui/agoran-ui-shots "$out" --live
else
  build/ui/agoran-ui-shots "$out"
fi

if [ "$readme" = 1 ]; then
  mkdir -p resources/screenshots
  cp "$out/main-gold-blue.png" resources/screenshots/main-gold-blue.png
  echo "copied $out/main-gold-blue.png to resources/screenshots/"
  # The trade dialogs in the Gold-Blue theme.
  for dialog in list buy offer-cancel complete mine history chart-line chart-bar report; do
    cp "$out/$dialog-gold-blue.png" "resources/screenshots/$dialog-gold-blue.png"
  done
  echo "copied the trade dialogs' Gold-Blue pictures to resources/screenshots/"
fi
