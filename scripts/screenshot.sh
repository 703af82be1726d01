#!/usr/bin/env bash
# Takes docs/screenshot.png: the tool in a virtual X server, polling the virtual relay board.
#
#   scripts/screenshot.sh [BUILD_DIR] [--no-board | --notices]     (default: build/dev)
#
# With the board (the default) the port is opened with a synthetic click, so the channels show
# the board's relay states; --no-board shows the window as it starts. --notices takes
# docs/notices-zh_CN.png and docs/notices-en.png instead: a second window asked to open the
# port the first one holds, in each language. Needs Xvfb, xdotool and imagemagick
# (scripts/install-deps.sh installs them).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/dev"
with_board=1
notices=0
for arg in "$@"; do
    case "$arg" in
        --no-board) with_board=0 ;;
        --notices) notices=1 ;;
        -*)
            echo "usage: $0 [BUILD_DIR] [--no-board | --notices]" >&2
            exit 2
            ;;
        *) build="$arg" ;;
    esac
done

# Run the rest inside a private X server of its own size.
if [ -z "${SCREENSHOT_IN_XVFB:-}" ]; then
    export SCREENSHOT_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 640x720x24" "$0" "$@"
fi

app="$build/src/app/quellbox/quellbox"
sim="$build/tools/board_sim/quellbox-board-sim"
out="$root/docs/screenshot.png"
for exe in "$app" $([ "$with_board" = 1 ] && echo "$sim"); do
    if [ ! -x "$exe" ]; then
        echo "screenshot: $exe is missing; build first (make build)" >&2
        exit 1
    fi
done

work="$(mktemp -d)"
export XDG_RUNTIME_DIR="$work/runtime"  # the board's port link stays private to this run
mkdir -m 700 "$XDG_RUNTIME_DIR"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

if [ "$with_board" = 1 ]; then
    # Channels 1, 6, 11 and 16 energized: both looks show in the picture.
    "$sim" --port 1 --initial 8421 >"$work/board.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 1 100); do
        grep -q '^ready ' "$work/board.log" && break
        sleep 0.1
    done
    grep -q '^ready ' "$work/board.log" || {
        echo "screenshot: the virtual board did not start:" >&2
        cat "$work/board.log" >&2
        exit 1
    }
fi

# Starts a window in LANGUAGE; its X window id goes to $window.
start_window() {
    QUELLBOX_LANGUAGE="$1" QT_QPA_PLATFORM=xcb "$app" >"$work/window.log" 2>&1 &
    pids=("$!" "${pids[@]}")  # the windows go first on the way out
    # --all: this process's window with that title; xdotool's default takes either, which would
    # find the first window again when --notices starts a second one.
    window="$(timeout 20 xdotool search --all --sync --onlyvisible --pid "$!" --name '^QuellboxV6')"
    window="${window%%$'\n'*}"
    sleep 1  # first paint
}

# Saves the window's area of the screen as FILE.
take() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    mkdir -p "$(dirname "$2")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
    echo "screenshot: $2 (${WIDTH}x${HEIGHT})"
}

# open_comm's centre: 256 + 97/2, 8 + 25/2 in the window's client area.
open_port() { xdotool mousemove --window "$1" 304 20 click 1; }

if [ "$notices" = 1 ]; then
    start_window en
    open_port "$window"  # this one holds the port
    for language in zh_CN en; do
        start_window "$language"
        open_port "$window"
        sleep 1  # the notice comes up over the window
        take "$window" "$root/docs/notices-$language.png"
        kill -TERM "${pids[0]}"
        wait "${pids[0]}" 2>/dev/null || true
        pids=("${pids[@]:1}")
    done
    exit 0
fi

start_window "${QUELLBOX_LANGUAGE:-zh_CN}"
if [ "$with_board" = 1 ]; then
    open_port "$window"
    sleep 2  # a good number of 50 ms polls
    xdotool mousemove --window "$window" 440 300  # park the pointer off the controls
    sleep 0.3
fi
take "$window" "$out"
