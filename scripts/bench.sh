#!/usr/bin/env bash
# Builds quellbox-bench and the virtual board (dev preset) and runs the benchmark:
#   1. the real window on the real serial port against the virtual board, in four columns
#      (offscreen, on Xvfb, with replies in one write, with a busy loop on a second core),
#      SECONDS measured per column with every event stamped, then as long again with nothing
#      stamped; beside that in each column a pyserial script, a minimal C loop and an empty Qt
#      window woken as the window is (the Qt floor) poll boards of their own, measured alike
#      (CPU, wake-ups, tick regularity at the board);
#   2. quellboxctl from the outside: status and on/off against the paced virtual board,
#      CTL_RUNS times each (default 30), beside --version as the reference.
# Writes build/bench/bench.json, bench.txt (the table, also printed), bench.png and ctl.txt.
# docs/performance.md says how to read them.
#
#   scripts/bench.sh [SECONDS]      (default 60)
#
# Environment: QUELLBOX_BENCH_BUILD, an already configured build folder to use instead of the
# dev preset; QUELLBOX_BENCH_OUT, the output folder.
# Figures depend on what else runs: take them on a quiet machine; each column states the load.
set -euo pipefail

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 5 ]; then
    echo "usage: $0 [SECONDS]  (a whole number of seconds, at least 5)" >&2
    exit 2
fi

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=${QUELLBOX_BENCH_OUT:-$root/build/bench}

scripts/install-deps.sh
if [ -n "${QUELLBOX_BENCH_BUILD:-}" ]; then
    build=$QUELLBOX_BENCH_BUILD
    cmake --build "$build" --target quellbox-bench
else
    build=$root/build/dev
    cmake --preset dev
    cmake --build --preset dev --target quellbox-bench
fi
mkdir -p "$out"

echo "bench: load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "bench: timing, $seconds s per column ..."
"$build/bench/quellbox-bench" --seconds "$seconds" \
    --json "$out/bench.json" --text "$out/bench.txt" --png "$out/bench.png"
echo "bench: wrote $out/bench.json, $out/bench.txt, $out/bench.png"

ctl_runs=${CTL_RUNS:-30}
echo "bench: quellboxctl, $ctl_runs runs (load average now: $(cut -d' ' -f1-3 /proc/loadavg)) ..."
"$build/bench/quellbox-bench" --ctl-runs "$ctl_runs" --text "$out/ctl.txt"
