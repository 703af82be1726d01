#!/usr/bin/env bash
# Puts virtual boards on Windows COM ports of a wine prefix and runs a program against them.
#
#   with_boards.sh setup
#       a fresh prefix for the boards' tests, copied from the build's configured one
#   with_boards.sh run --com N [board options...] [--com M [board options...]] -- PROGRAM [ARGS...]
#       one virtual board per --com, each on a pseudo-terminal that COM<N> of the prefix leads
#       to; then PROGRAM: a .exe runs under wine, anything else (a driver script) directly
#   with_boards.sh cleanup
#       ends the prefix's wine server and removes the prefix with the server's folder in /tmp
#
# Environment, from CMake: QUELLBOX_WINE, QUELLBOX_WINESERVER, QUELLBOX_BOARD_SIM (the virtual
# board built for this machine), QUELLBOX_BOARDS_PREFIX (the prefix of these tests) and, for
# setup, QUELLBOX_TEMPLATE_PREFIX.
#
# What PROGRAM finds in its environment: QUELLBOX_BOARD_COM (the first board's port number),
# QUELLBOX_BOARD_DIR (a folder that holds board-com<N>.log, each board's report lines, as
# they come); a .exe sees the folder as Z: followed by the same path. A Linux driver also
# gets WINE, WINESERVER and WINEPREFIX to start its own Windows program with.
#
# The port goes through the registry (HKLM\Software\Wine\Ports) and nothing else: a bare
# dosdevices/com<N> link is what wine's mount manager rewrites (com1 to /dev/ttyS0) whenever
# the prefix's services start, and writes would then reach the machine's real serial port
# without an error. The mapping is read by the services at start-up, so the prefix's server is
# restarted after the import, and the link the mount manager made from it is checked against
# each board's pseudo-terminal before the program writes anything.
set -euo pipefail

fail() {
    echo "with_boards: $*" >&2
    exit 1
}

for name in QUELLBOX_WINE QUELLBOX_WINESERVER QUELLBOX_BOARDS_PREFIX; do
    [ -n "${!name:-}" ] || fail "$name is not set (run through ctest)"
done
export WINEPREFIX=$QUELLBOX_BOARDS_PREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$QUELLBOX_WINE
server=$QUELLBOX_WINESERVER

# The folder in /tmp where this prefix's server keeps its socket; Debian's wine names it in
# the prefix.
server_folder() {
    local name
    name=$(cat "$WINEPREFIX/wineserver" 2>/dev/null) || return 0
    case "$name" in
        wine-*) echo "/tmp/$name" ;;
    esac
}

stop_server() {
    "$server" -k 2>/dev/null || true
    "$server" -w 2>/dev/null || true
}

# Boards of runs that were cut short (a test killed at its timeout cannot clean up): their
# process numbers stay in this file, and the fixture ends those that are still the board.
board_list=$QUELLBOX_BOARDS_PREFIX.boards
end_left_boards() {
    [ -f "$board_list" ] || return 0
    local pid
    while read -r pid; do
        if [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$(readlink -f "${QUELLBOX_BOARD_SIM:-/}")" ]; then
            kill "$pid" 2>/dev/null || true
        fi
    done <"$board_list"
    rm -f "$board_list"
}

case "${1:-}" in
    setup)
        [ -n "${QUELLBOX_TEMPLATE_PREFIX:-}" ] || fail "QUELLBOX_TEMPLATE_PREFIX is not set"
        [ -f "$QUELLBOX_TEMPLATE_PREFIX/system.reg" ] ||
            fail "no wine prefix in $QUELLBOX_TEMPLATE_PREFIX: configure with the windows preset"
        end_left_boards
        if [ -d "$WINEPREFIX" ]; then
            stop_server
            rm -rf "$(server_folder)" "$WINEPREFIX"
        fi
        # A copy starts no wine session, which a new prefix would take far longer for. The
        # copy gets a server folder of its own: removing it must not pull the socket away
        # from the template's server.
        cp -a "$QUELLBOX_TEMPLATE_PREFIX" "$WINEPREFIX"
        rm -f "$WINEPREFIX/wineserver"
        exit 0
        ;;
    cleanup)
        end_left_boards
        if [ -d "$WINEPREFIX" ]; then
            stop_server
            rm -rf "$(server_folder)" "$WINEPREFIX"
        fi
        exit 0
        ;;
    run) shift ;;
    *) fail "usage: with_boards.sh setup | run --com N [board options] ... -- PROGRAM [ARGS] | cleanup" ;;
esac

[ -f "$WINEPREFIX/system.reg" ] ||
    fail "no prefix at $WINEPREFIX: the test's fixture (with_boards.sh setup) did not run"
board_sim=${QUELLBOX_BOARD_SIM:-}
[ -x "$board_sim" ] ||
    fail "the virtual board for this machine is not built ($board_sim): run" \
        "'cmake --preset dev && cmake --build --preset dev --target quellbox-board-sim'" \
        "(make test-windows does)"

# ---- the command line: boards, then the program ----
coms=()
declare -A board_options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    [ "$1" = "--com" ] && [ $# -ge 2 ] || fail "expected --com N, got '$1'"
    com=$2
    [[ "$com" =~ ^[1-9][0-9]*$ ]] && [ "$com" -le 255 ] || fail "not a port number: $com"
    coms+=("$com")
    board_options[$com]=""
    shift 2
    while [ $# -gt 0 ] && [ "$1" != "--" ] && [ "$1" != "--com" ]; do
        board_options[$com]+=" $(printf '%q' "$1")"
        shift
    done
done
[ "${1:-}" = "--" ] && [ $# -ge 2 ] || fail "no program after --"
shift
[ ${#coms[@]} -gt 0 ] || fail "no --com N"

run_dir=$(mktemp -d "${TMPDIR:-/tmp}/quellbox-boards.XXXXXX")
board_pids=()
finish() {
    local code=$?
    for pid in "${board_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${board_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    stop_server
    rm -rf "$(server_folder)" "$run_dir"
    exit "$code"
}
trap finish EXIT
trap 'exit 130' INT TERM

# ---- the boards ----
declare -A pty=()
for com in "${coms[@]}"; do
    log=$run_dir/board-com$com.log
    # Each board publishes its port link in a runtime folder of this run, not the user's.
    eval "XDG_RUNTIME_DIR=$(printf '%q' "$run_dir") $(printf '%q' "$board_sim") --port $com \
        ${board_options[$com]} >$(printf '%q' "$log") 2>&1 </dev/null &"
    board_pids+=($!)
    echo $! >>"$board_list"
    for _ in $(seq 100); do
        line=$(head -n 1 "$log")
        # With --timestamps the line starts with the board's time stamp.
        [[ "$line" =~ ^[0-9]+\ (ready\ .*)$ ]] && line=${BASH_REMATCH[1]}
        [[ "$line" == "ready com$com "* ]] && break
        kill -0 "${board_pids[-1]}" 2>/dev/null || fail "the board for COM$com ended: $(cat "$log")"
        sleep 0.1
    done
    [[ "$line" == "ready com$com "* ]] || fail "the board for COM$com did not start: $(cat "$log")"
    pty[$com]=${line#ready com$com }
done

# ---- the prefix's port mapping: only the boards' ports, nothing left from an earlier run ----
reg=$run_dir/ports.reg
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[-HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
    for com in "${coms[@]}"; do printf '"COM%s"="%s"\r\n' "$com" "${pty[$com]}"; done
} | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
"$wine" regedit /S "$(printf 'Z:%s' "$reg" | tr / '\\')" </dev/null >/dev/null 2>&1 ||
    fail "regedit could not import the port mapping"
stop_server
# One server for the whole run (-p: it stays when the last program ends), detached from the
# test's output, which ctest waits on; wineboot starts the services that make the links.
"$server" -p </dev/null >/dev/null 2>&1
"$wine" wineboot </dev/null >/dev/null 2>&1 || fail "wineboot failed in $WINEPREFIX"
for com in "${coms[@]}"; do
    link=$WINEPREFIX/dosdevices/com$com
    for _ in $(seq 100); do
        [ "$(readlink "$link" 2>/dev/null)" = "${pty[$com]}" ] && break
        sleep 0.1
    done
    target=$(readlink "$link" 2>/dev/null || echo "nothing")
    [ "$target" = "${pty[$com]}" ] ||
        fail "COM$com leads to $target, not to the board's ${pty[$com]}: not starting the test"
done

# ---- the program ----
export QUELLBOX_BOARD_COM=${coms[0]} QUELLBOX_BOARD_DIR=$run_dir
status=0
case "$1" in
    *.exe) "$wine" "$@" </dev/null || status=$? ;;
    *)
        WINE=$wine WINESERVER=$server "$@" </dev/null || status=$?
        ;;
esac
if [ "$status" -ne 0 ]; then
    for com in "${coms[@]}"; do
        echo "---- board on COM$com ----" >&2
        cat "$run_dir/board-com$com.log" >&2
    done
fi
exit "$status"
