#!/usr/bin/env bash
# Judges the bridge's systemd units as the package installs them (generated in the build
# folder): `systemd-analyze verify` must have nothing to say, and `systemd-analyze security`
# must rate each unit 2.0 or lower ("OK"), and the runtime folder must be private, since the
# programs refuse one others can read (and would not find the port links in it). Exits 77 (skipped) without systemd-analyze.
#
#   check_units.sh UNIT...
set -euo pipefail
if ! command -v systemd-analyze >/dev/null; then
    echo "systemd-analyze is not installed (Debian package systemd): skipped"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for unit in "$@"; do
    name=$(basename "$unit")
    # verify wants the program to exist: the unit is checked as it is, with only the path of
    # the program pointed at one that exists on every machine. The manual page is the
    # package test's business.
    sed 's|^ExecStart=/usr/bin/quellbox-mqtt |ExecStart=/bin/true |' "$unit" >"$work/$name"
    if ! grep -q '^ExecStart=/bin/true ' "$work/$name"; then
        echo "$name: no ExecStart=/usr/bin/quellbox-mqtt line"
        status=1
    fi
    if ! grep -qx 'RuntimeDirectoryMode=0700' "$unit"; then
        echo "$name: the runtime folder is not made 0700 (RuntimeDirectoryMode=0700)"
        status=1
    fi
    findings=$(systemd-analyze verify --man=no "$work/$name" 2>&1) || true
    if [ -n "$findings" ]; then
        echo "$name: systemd-analyze verify says:"
        echo "$findings"
        status=1
    fi
    rating=$(systemd-analyze security --offline=yes --no-pager "$unit" 2>&1 |
        sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\) .*/\1/p')
    if [ -z "$rating" ]; then
        echo "$name: systemd-analyze security gave no rating"
        status=1
    elif awk -v r="$rating" 'BEGIN { exit !(r > 2.0) }'; then
        echo "$name: exposure $rating, more than 2.0; what is left open:"
        systemd-analyze security --offline=yes --no-pager "$unit" 2>&1 | grep '✗' || true
        status=1
    else
        echo "$name: exposure $rating"
    fi
done
exit $status
