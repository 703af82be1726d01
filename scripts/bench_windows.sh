#!/usr/bin/env bash
# The Windows window's poll grid as the board sees it, under wine: quellbox.exe on COM1 against
# one virtual board, and beside it, in the same run and on the same machine, the minimal C
# loop (bench/c_poll_loop.cpp: clock_nanosleep to absolute tick times) against a second
# virtual board. Both boards stamp every frame with CLOCK_MONOTONIC; the table gives how far
# each interval between two frames is off 50 ms (median, p90, p99, worst) and the load.
#
#   scripts/bench_windows.sh [SECONDS]      (default 60)
#
# Needs the dev build (the board, the C loop) and the windows build (quellbox.exe); writes
# build/bench/windows-tick.txt.
set -euo pipefail

seconds=${1:-60}
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -ge 5 ] || {
    echo "usage: $0 [SECONDS]  (at least 5)" >&2
    exit 2
}
root=$(cd "$(dirname "$0")/.." && pwd)
dev=$root/build/dev
windows=$root/build/windows
out=$root/build/bench
exe=$windows/src/win/quellbox.exe
c_loop=$dev/bench/quellbox-bench-c-loop
board=$dev/tools/board_sim/quellbox-board-sim

if [ -z "${QUELLBOX_BENCH_INSIDE:-}" ]; then
    cmake --preset dev >/dev/null
    cmake --build --preset dev --target quellbox-board-sim quellbox-bench-c-loop
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target quellbox
    mkdir -p "$out"
    export QUELLBOX_WINE=/usr/lib/wine/wine64 QUELLBOX_WINESERVER=/usr/lib/wine/wineserver64
    export QUELLBOX_BOARD_SIM=$board QUELLBOX_BOARDS_PREFIX=$windows/wineprefix-bench
    export QUELLBOX_TEMPLATE_PREFIX=$windows/wineprefix
    harness=$root/tests/windows/harness/with_boards.sh
    "$harness" setup
    status=0
    QUELLBOX_BENCH_INSIDE=1 xvfb-run -a -s "-screen 0 800x700x24" \
        "$harness" run --com 1 --timestamps -- "$0" "$seconds" || status=$?
    "$harness" cleanup
    exit "$status"
fi

# ---- inside the harness: the board on COM1 runs, WINE and WINEPREFIX are set ----
work=$(mktemp -d)
pids=()
finish() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT

mkdir -m 700 "$work/runtime"
XDG_RUNTIME_DIR=$work/runtime "$board" --port 2 --timestamps >"$work/reference-board.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q ' ready com2 ' "$work/reference-board.log" && break; sleep 0.1; done
pty=$(awk '/ ready com2 / { print $4; exit }' "$work/reference-board.log")
[ -n "$pty" ] || { echo "bench_windows: the reference board did not start" >&2; exit 1; }

"$WINE" "$exe" >/dev/null 2>&1 &
pids+=($!)
window=""
for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name '^QuellboxV6' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "bench_windows: no window" >&2; exit 1; }
sleep 1
# 打开串口: twips 3840,120 1455x375 at 96 dpi
xdotool mousemove --window "$window" $((3840 / 15 + 1455 / 30)) $((120 / 15 + 375 / 30)) click 1
"$c_loop" "$pty" >/dev/null 2>&1 &
pids+=($!)
read -r _ load_before _ </proc/loadavg
sleep "$seconds"
read -r load_after _ </proc/loadavg

deviation() {
    grep ' rx ' "$1" | tail -n +21 |
        awk 'NR > 1 { d = $1 - last; print (d > 50000 ? d - 50000 : 50000 - d) } { last = $1 }' |
        sort -n | awk '{ v[NR] = $1 } END {
            printf "%6d %8.2f %8.2f %8.2f %8.2f\n", NR, v[int(NR * 0.5 + 0.5)] / 1000,
                v[int(NR * 0.9 + 0.5)] / 1000, v[int(NR * 0.99 + 0.999)] / 1000, v[NR] / 1000 }'
}
{
    echo "Poll interval at the board, deviation from 50 ms in ms, ${seconds} s, load ${load_before} -> ${load_after}"
    printf '%-34s %6s %8s %8s %8s %8s\n' program intervals median p90 p99 worst
    printf '%-34s %s\n' "quellbox.exe under wine (COM1)" "$(deviation "$QUELLBOX_BOARD_DIR/board-com1.log")"
    printf '%-34s %s\n' "C loop, clock_nanosleep (pty)" "$(deviation "$work/reference-board.log")"
} | tee "$out/windows-tick.txt"
