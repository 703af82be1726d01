#!/usr/bin/env bash
# Runs the tool against the virtual relay board: the board comes up as port 1, then the window
# opens; closing the window stops the board again.
#
#   scripts/demo.sh [BUILD_DIR]     (default: build/dev)
#
# In the window, press "打开串口" with port number 1 to start polling the board.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/dev}"
sim="$build/tools/board_sim/quellbox-board-sim"
app="$build/src/app/quellbox/quellbox"
for exe in "$sim" "$app"; do
    if [ ! -x "$exe" ]; then
        echo "demo: $exe is missing; build first (make build)" >&2
        exit 1
    fi
done

work="$(mktemp -d)"
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
        kill -TERM "$sim_pid" 2>/dev/null || true  # the board removes its port link on TERM
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The board prints one line per frame; keep that out of the terminal, in a file we only read
# for the ready line (and show if the board fails to start).
"$sim" --port 1 --initial 0081 >"$work/board.log" 2>&1 &
sim_pid=$!

for _ in $(seq 1 100); do
    if grep -q '^ready ' "$work/board.log"; then break; fi
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "demo: the virtual board did not start:" >&2
        cat "$work/board.log" >&2
        exit 1
    fi
    sleep 0.1
done
if ! grep -q '^ready ' "$work/board.log"; then
    echo "demo: the virtual board did not report ready within 10 s" >&2
    exit 1
fi
echo "demo: $(grep -m1 '^ready ' "$work/board.log") (open port 1 in the window)"

"$app"
