#!/usr/bin/env bash
# Runs clang-tidy (Debian's clang-tidy 14, or $CLANG_TIDY) over the sources in src/ that the dev
# build compiles, with its compile_commands.json and the checks in .clang-tidy. Exits non-zero on any finding.
#
#   scripts/tidy.sh [FILE...]      (default: every .cpp under src/)
#
# TIDY_BUILD_DIR=<dir> uses another build folder's compile_commands.json; TIDY_JOBS=<n> runs
# that many files at once (default 1: the machine's cores are shared).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tidy=${CLANG_TIDY:-$(command -v clang-tidy-14 || command -v clang-tidy || true)}
if [ -z "$tidy" ]; then
    echo "tidy: clang-tidy not found (apt-get install clang-tidy)" >&2
    exit 2
fi

build=${TIDY_BUILD_DIR:-$root/build/dev}
if [ -z "${TIDY_BUILD_DIR:-}" ] && [ ! -f "$build/compile_commands.json" ]; then
    cmake --preset dev >/dev/null
fi
if [ ! -f "$build/compile_commands.json" ]; then
    echo "tidy: no compile_commands.json in $build" >&2
    exit 2
fi

if [ $# -gt 0 ]; then
    files=("$@")
else
    # Every source of src/ this build compiles: the Windows-only folders (src/win, src/link/win)
    # are in the windows preset's build, whose mingw flags clang-tidy does not take.
    mapfile -t files < <(git ls-files 'src/*.cpp' | while read -r f; do
        grep -q "\"file\": \"$root/$f\"" "$build/compile_commands.json" && echo "$f"
    done)
fi

# The build uses GCC; clang does not know some of its warning options.
printf '%s\n' "${files[@]}" |
    xargs -P "${TIDY_JOBS:-1}" -n 4 "$tidy" -p "$build" --quiet \
        --extra-arg=-Wno-unknown-warning-option
echo "tidy: ${#files[@]} files clean"
