#!/usr/bin/env bash
# Runs the widget and end-to-end test binaries under valgrind's memcheck (dev build) and fails on
# any memory error or definite leak. Suppressions, for reports wholly inside system libraries,
# are in tests/valgrind.supp. Children the tests start (the virtual board, the open probe) run
# natively. Logs go to <build>/memcheck/<binary>.log.
#
#   scripts/memcheck.sh [gtest filter]
#
# The tests that assert how little CPU an idle event loop takes after a hang-up are left out
# (filter -*NoSpin*:*WithoutSpinning*): under valgrind every instruction costs tens of times
# more, so a share of a core means nothing there. MEMCHECK_BUILD_DIR=<dir> uses an already
# configured build folder instead of the dev preset's.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if ! command -v valgrind >/dev/null; then
    echo "memcheck: valgrind not found (apt-get install valgrind)" >&2
    exit 2
fi

if [ -n "${MEMCHECK_BUILD_DIR:-}" ]; then
    build=$MEMCHECK_BUILD_DIR
else
    build="$root/build/dev"
    cmake --preset dev >/dev/null
fi
targets=(quellbox_widget_tests quellbox_e2e_link_tests quellbox_e2e_window_tests
         quellbox_e2e_bad_input_tests)
cmake --build "$build" --target "${targets[@]}"

filter=${1:--*NoSpin*:*WithoutSpinning*}
logs="$build/memcheck"
mkdir -p "$logs"
export QT_QPA_PLATFORM=offscreen

failed=0
# The window's own tests: the companion programs' end-to-end tests drive other processes, so
# valgrind on the test process would judge little but the harness.
for binary in "$build"/tests/widget/quellbox_widget_tests \
    "$build"/tests/e2e/quellbox_e2e_{link,window,bad_input}_tests; do
    [ -x "$binary" ] || continue
    name=$(basename "$binary")
    log="$logs/$name.log"
    set +e
    valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite \
        --child-silent-after-fork=yes --num-callers=40 \
        --suppressions="$root/tests/valgrind.supp" --log-file="$log" \
        "$binary" --gtest_filter="$filter" >"$logs/$name.out" 2>&1
    status=$?
    set -e
    errors=$(grep -oE 'ERROR SUMMARY: [0-9]+ errors' "$log" | tail -n 1 | grep -oE '[0-9]+' || echo "?")
    lost=$(grep -oE 'definitely lost: [0-9,]+ bytes' "$log" | tail -n 1 | grep -oE '[0-9,]+' || echo 0)
    tests=$(grep -oE '^\[  PASSED  \] [0-9]+ test' "$logs/$name.out" | grep -oE '[0-9]+' || echo 0)
    printf '%-32s exit %d, %s tests passed, %s memcheck errors, %s bytes definitely lost\n' \
        "$name" "$status" "$tests" "$errors" "$lost"
    if [ "$status" -ne 0 ]; then
        failed=1
        grep -E '^\[  FAILED  \]' "$logs/$name.out" | sort -u || true
        echo "  see $log and $logs/$name.out"
    fi
done

if [ "$failed" -ne 0 ]; then
    echo "memcheck: FAILED" >&2
    exit 1
fi
echo "memcheck: clean"
