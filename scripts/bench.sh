#!/usr/bin/env bash
# Builds quellbox-bench and the virtual board (dev preset) and runs the whole benchmark:
#   1. instruction counts: a fixed number of poll ticks under valgrind's callgrind, one profile
#      per tick, per status frame and per repaint pass;
#   2. timing: the real window on the real serial port against the virtual board, in four
#      columns (offscreen, on Xvfb, with replies in one write, with a busy loop on a second
#      core), SECONDS measured per column with every event stamped, then as long again with
#      nothing stamped; beside that in each column a pyserial script, a minimal C loop and an
#      empty Qt window woken as the window is (the Qt floor) poll boards of their own, measured
#      alike (CPU, wake-ups, system calls counted with strace, tick regularity at the board).
#   3. quellboxctl from the outside: status and on/off against the paced virtual board,
#      CTL_RUNS times each (default 30), beside --version as the reference;
#   4. painting a change of all sixteen channels, offscreen and on Xvfb: the window's boxes,
#      each of their two paint caches alone, and neither (quellbox-bench-paint).
# Writes build/bench/bench.json, bench.txt (the table, also printed), bench.png, ctl.txt and
# paint.json.
#
#   scripts/bench.sh [SECONDS]      (default 60)
#
# Environment: CALLGRIND_TICKS (default 200); QUELLBOX_BENCH_BUILD, an already configured build
# folder to use instead of the dev preset; QUELLBOX_BENCH_OUT, the output folder.
# Figures depend on what else runs: take them on a quiet machine; each column states the load.
set -euo pipefail

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 5 ]; then
    echo "usage: $0 [SECONDS]  (a whole number of seconds, at least 5)" >&2
    exit 2
fi
ticks=${CALLGRIND_TICKS:-200}
if ! [[ "$ticks" =~ ^[0-9]+$ ]] || [ "$ticks" -lt 1 ]; then
    echo "bench: CALLGRIND_TICKS must be a positive whole number" >&2
    exit 2
fi

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=${QUELLBOX_BENCH_OUT:-$root/build/bench}

scripts/install-deps.sh
if ! command -v valgrind >/dev/null || [ ! -f /usr/include/valgrind/callgrind.h ]; then
    echo "bench: installing valgrind (callgrind and its client-request header)"
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends valgrind
fi

if [ -n "${QUELLBOX_BENCH_BUILD:-}" ]; then
    build=$QUELLBOX_BENCH_BUILD
    cmake --build "$build" --target quellbox-bench quellbox-ctl-bench quellbox-board-sim quellbox-bench-paint
else
    build=$root/build/dev
    cmake --preset dev
    cmake --build --preset dev --target quellbox-bench quellbox-ctl-bench quellbox-board-sim quellbox-bench-paint
fi
bench=$build/bench/quellbox-bench

mkdir -p "$out"
rm -rf "$out/callgrind"
mkdir -p "$out/callgrind"

echo "bench: load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "bench: profiling $ticks poll ticks under callgrind ..."
if ! valgrind --tool=callgrind --instr-atstart=no --collect-atstart=no \
    --dump-instr=no --dump-line=no \
    --callgrind-out-file="$out/callgrind/callgrind.out.%p" \
    "$bench" --callgrind-ticks "$ticks" --out "$out/callgrind/counts.json" \
    2>"$out/callgrind/valgrind.log"; then
    cat "$out/callgrind/valgrind.log" >&2
    echo "bench: the callgrind run failed" >&2
    exit 1
fi

echo "bench: timing, $seconds s per column ..."
"$bench" --seconds "$seconds" --callgrind-dir "$out/callgrind" \
    --json "$out/bench.json" --text "$out/bench.txt" --png "$out/bench.png"
echo "bench: wrote $out/bench.json, $out/bench.txt, $out/bench.png"
echo "bench: one profile per event in $out/callgrind (callgrind_annotate --inclusive=yes FILE)"

ctl_runs=${CTL_RUNS:-30}
echo "bench: quellboxctl, $ctl_runs runs (load average now: $(cut -d' ' -f1-3 /proc/loadavg)) ..."
"$build/bench/quellbox-ctl-bench" --runs "$ctl_runs" --text "$out/ctl.txt"

echo "bench: painting, offscreen and on Xvfb ..."
{
    QT_QPA_PLATFORM=offscreen "$build/bench/quellbox-bench-paint" 3000
    xvfb-run -a -s "-screen 0 640x720x24" env QT_QPA_PLATFORM=xcb \
        "$build/bench/quellbox-bench-paint" 3000
} | tee "$out/paint.json"
