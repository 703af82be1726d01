#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# into build/fuzz and runs each one in turn for the given number of seconds (default 60),
# starting from its seeds in fuzz/corpus/. Prints executions, speed, corpus size and crashes
# per target; exits non-zero when any target crashed. Crash inputs land in
# build/fuzz/artifacts/<target>/ and reproduce with: build/fuzz/<target> <crash file>.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail

duration=${1:-60}
if ! [[ "$duration" =~ ^[0-9]+$ ]] || [ "$duration" -lt 1 ]; then
    echo "usage: $0 [SECONDS]  (a whole number of seconds, at least 1)" >&2
    exit 2
fi

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
cxx=${FUZZ_CXX:-clang++}
if ! command -v "$cxx" >/dev/null; then
    echo "fuzz: $cxx not found; the fuzz targets need clang with libFuzzer (make deps)" >&2
    exit 2
fi

generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
targets=(fuzz_receive_path fuzz_numeric_text)

cmake -S "$root/fuzz" -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
cmake --build "$build" --target "${targets[@]}"

# Per target: seed directory, longest input, extra options.
declare -A seeds=([fuzz_receive_path]=receive_path [fuzz_numeric_text]=numeric_text)
declare -A max_len=([fuzz_receive_path]=2048 [fuzz_numeric_text]=1024)
declare -A extra=([fuzz_receive_path]="-use_value_profile=1" [fuzz_numeric_text]="-dict=$root/fuzz/numeric_text.dict")

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=0
summary=()
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    artifacts="$build/artifacts/$target/"
    log="$build/logs/$target.log"
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    cp "$root/fuzz/corpus/${seeds[$target]}/"* "$corpus/"

    echo "fuzz: running $target for ${duration}s (log: $log)"
    status=0
    # shellcheck disable=SC2086  # extra holds whole options
    "$build/$target" -max_total_time="$duration" -max_len="${max_len[$target]}" -timeout=30 \
        -print_final_stats=1 -artifact_prefix="$artifacts" ${extra[$target]} "$corpus" \
        >"$log" 2>&1 || status=$?

    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    files=$(find "$corpus" -type f | wc -l)
    crashes=0
    if [ "$status" -ne 0 ] || grep -q '^==[0-9]*==ERROR\|^SUMMARY: ' "$log"; then
        crashes=1
        failed=1
        echo "fuzz: $target failed (exit $status); the end of its log:" >&2
        tail -n 40 "$log" >&2
    fi
    summary+=("$target: executions ${execs:-?} (${speed:-?}/s), corpus $files inputs, crashes $crashes")
done

echo
printf '%s\n' "${summary[@]}"
exit "$failed"
