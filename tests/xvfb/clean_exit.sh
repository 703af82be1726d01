#!/usr/bin/env bash
# The real window, its port open on the virtual board, is sent SIGTERM (and in a second round
# SIGINT, then SIGHUP): it must close the port on the way out, so its lock file is gone, it exits
# with status 0, and another program opens the port at once.
#
#   clean_exit.sh QUELLBOX BOARD_SIM OPEN_PROBE      (inside an X server: xvfb-run)
set -euo pipefail
set -m # background jobs keep SIGINT as it is, instead of ignoring it
app="$1" sim="$2" probe="$3"

work="$(mktemp -d)"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

"$sim" --port 1 >"$work/board.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do grep -q '^ready ' "$work/board.log" && break; sleep 0.1; done
device="$(readlink -f "$XDG_RUNTIME_DIR/quellbox/ports/com1")"
name="${device#/dev/}"
lock="/var/lock/LCK..${name//\//_}"

failed=0
for signal in TERM INT HUP; do
    QT_QPA_PLATFORM=xcb "$app" &
    window_pid=$!
    pids+=("$window_pid")
    window="$(timeout 20 xdotool search --all --sync --onlyvisible --pid "$window_pid" --name '^QuellboxV6')"
    window="${window%%$'\n'*}"
    sleep 0.5
    # open_comm's centre: 256 + 97/2, 8 + 25/2 in the window's client area.
    xdotool mousemove --window "$window" 304 20 click 1
    for _ in $(seq 1 100); do [ -e "$lock" ] && break; sleep 0.1; done
    if [ ! -e "$lock" ]; then
        echo "SIG$signal: the port did not open (no $lock)"
        failed=1
        kill -KILL "$window_pid"
        continue
    fi

    kill -"$signal" "$window_pid"
    status=0
    wait "$window_pid" || status=$?
    left=gone
    [ -e "$lock" ] && left=left
    # Looked at before the next open: that would remove a lock whose holder has ended.
    outcome="$("$probe" 1)"
    echo "SIG$signal: exit status $status, lock file $left, next open: $outcome"
    if [ "$status" -ne 0 ] || [ "$left" = left ] || [[ "$outcome" != opened* ]]; then
        failed=1
        rm -f "$lock"
    fi
done
exit "$failed"
