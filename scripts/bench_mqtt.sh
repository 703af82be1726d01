#!/usr/bin/env bash
# Builds and runs quellbox-bench-mqtt (dev preset): the MQTT bridge against a real Mosquitto
# broker on loopback and the paced virtual board with two boards on one line. Prints latencies
# (command -> frame at the board -> new state published, beside the broker's own round trip)
# and the bridge's idle CPU and wake-ups; writes build/bench/bench_mqtt.txt.
#
#   scripts/bench_mqtt.sh [IDLE_SECONDS]    (default 20)
#
# Environment: QUELLBOX_BENCH_BUILD, an already configured build folder; MQTT_BENCH_COMMANDS,
# how many commands to time (default 200).
set -euo pipefail

idle=${1:-20}
if ! [[ "$idle" =~ ^[0-9]+$ ]] || [ "$idle" -lt 1 ]; then
    echo "usage: $0 [IDLE_SECONDS]" >&2
    exit 2
fi
commands=${MQTT_BENCH_COMMANDS:-200}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh

if [ -n "${QUELLBOX_BENCH_BUILD:-}" ]; then
    build=$QUELLBOX_BENCH_BUILD
    cmake --build "$build" --target quellbox-bench-mqtt quellbox-mqtt quellbox-board-sim
else
    build=$root/build/dev
    cmake --preset dev
    cmake --build --preset dev --target quellbox-bench-mqtt quellbox-mqtt quellbox-board-sim
fi
out=${QUELLBOX_BENCH_OUT:-$root/build/bench}
mkdir -p "$out"
"$build/bench/quellbox-bench-mqtt" --board-sim "$build/tools/board_sim/quellbox-board-sim" \
    --bridge "$build/src/app/quellbox-mqtt/quellbox-mqtt" --commands "$commands" \
    --idle-seconds "$idle" | tee "$out/bench_mqtt.txt"
