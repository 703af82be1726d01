#!/usr/bin/env bash
# Builds quellbox-soak (dev preset) and runs it for MINUTES (default 10; fractions such as 1.5
# are fine): the window against the virtual board with faults on the line, every look judged.
# Further arguments go to quellbox-soak (--seed S, --phases LIST, --quiet; see --help).
# Then, for MINUTES too, quellbox-soak-bridge: the MQTT bridge against the virtual board and a
# real broker, every publication and command judged; SOAK_BRIDGE_OPTIONS passes options to it
# (--seed S, --no-late-answers; see its --help). Its JSON goes to <build>/soak-bridge-report.json.
#
#   scripts/soak.sh [MINUTES] [quellbox-soak options...]
#
# Prints the soak's table and JSON line and keeps the JSON in <build>/soak-report.json. Exits 0
# when no look (and nothing the bridge published) was wrong, 1 on any wrong look or publication
# or when a soak itself crashed, 2 on bad usage,
# 3 when the virtual board could not be run. SOAK_BUILD_DIR=<dir> builds and runs in an already
# configured build folder instead of the dev preset's.
set -euo pipefail

minutes=${1:-10}
if ! [[ "$minutes" =~ ^[0-9]+([.][0-9]+)?$ ]] || [[ "$minutes" =~ ^0+([.]0+)?$ ]]; then
    echo "usage: $0 [MINUTES] [quellbox-soak options...]  (MINUTES a positive number)" >&2
    exit 2
fi
shift $(( $# > 0 ? 1 : 0 ))

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ -n "${SOAK_BUILD_DIR:-}" ]; then
    build=$SOAK_BUILD_DIR
    cmake --build "$build" --target quellbox-soak
else
    build="$root/build/dev"
    cmake --preset dev >/dev/null
    cmake --build --preset dev --target quellbox-soak
fi

report="$build/soak-report.json"
output=$(mktemp)
trap 'rm -f "$output"' EXIT

set +e
"$build/tools/soak/quellbox-soak" --minutes "$minutes" "$@" | tee "$output"
status=${PIPESTATUS[0]}
set -e

if [ "$status" -ge 128 ]; then
    echo "soak: quellbox-soak died of signal $((status - 128)): the tool crashed" >&2
    exit 1
fi
tail -n 1 "$output" | grep '^{' > "$report" || true
if [ "$status" -eq 0 ]; then
    echo "soak: passed; report in $report"
else
    echo "soak: FAILED (exit $status); report in $report" >&2
fi

# ---- the MQTT bridge's soak ----
window_status=$status
cmake --build "$build" --target quellbox-soak-bridge
bridge_report="$build/soak-bridge-report.json"
set +e
# shellcheck disable=SC2086  # options are words on purpose
"$build/tools/soak_bridge/quellbox-soak-bridge" --minutes "$minutes" \
    --log "$build/soak-bridge.log" ${SOAK_BRIDGE_OPTIONS:-} | tee "$output"
status=${PIPESTATUS[0]}
set -e
if [ "$status" -ge 128 ]; then
    echo "soak: quellbox-soak-bridge died of signal $((status - 128)): the tool crashed" >&2
    status=1
fi
tail -n 1 "$output" | grep '^{' > "$bridge_report" || true
if [ "$status" -eq 0 ]; then
    echo "soak: the bridge passed; report in $bridge_report, its log in $build/soak-bridge.log"
else
    echo "soak: the bridge FAILED (exit $status); report in $bridge_report," \
        "its log in $build/soak-bridge.log" >&2
fi
if [ "$window_status" -ne 0 ]; then exit "$window_status"; fi
exit "$status"
