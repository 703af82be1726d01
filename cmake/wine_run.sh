#!/bin/sh
# Runs one Windows test program under wine for ctest: wine_run.sh WINE PROGRAM.exe [ARGS...].
# WINEPREFIX and WINESERVER come from the toolchain file.
#
# The first wine program of a session starts the wine server and its background programs
# (services, device drivers). Started from a test, they would inherit the test's stdout and
# stderr, and ctest waits for those to close: every test would last until the session shut
# down again. So the session is started here, detached from the test's output, and lingers
# 10 s after the last program ended, so that one session serves the whole test run. Starting
# the server fails harmlessly when one already runs for the prefix.
if "$WINESERVER" -p10 </dev/null >/dev/null 2>&1; then
    "$1" wineboot </dev/null >/dev/null 2>&1
fi
exec "$@"
