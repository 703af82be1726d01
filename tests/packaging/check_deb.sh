#!/usr/bin/env bash
# Builds the Debian package from a configured build directory and checks what it would install:
# the programs with their manual pages, the completion, the bridge's service and config, the
# launcher, the AppStream data and the theme icon, with the runtime dependencies a desktop needs.
# Validates the launcher and the AppStream file, and lets lintian judge the package: no error and
# no warning may remain.
set -euo pipefail
build_dir=$1
source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

desktop-file-validate "$source_dir/packaging/io.github.quellbox.Quellbox.desktop"
appstreamcli validate --no-net "$source_dir/packaging/io.github.quellbox.Quellbox.metainfo.xml"

(cd "$build_dir" && cpack -G DEB -B "$work" >/dev/null)
deb=$(ls "$work"/quellbox_*.deb)
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
status=0
for expected in ./usr/bin/quellbox ./usr/bin/quellbox-board-sim ./usr/bin/quellboxctl \
    ./usr/share/man/man1/quellbox.1.gz ./usr/share/man/man1/quellbox-board-sim.1.gz \
    ./usr/share/man/man1/quellboxctl.1.gz ./usr/share/man/man1/quellbox-mqtt.1.gz \
    ./usr/share/bash-completion/completions/quellboxctl \
    ./usr/share/doc/quellbox/copyright ./usr/share/doc/quellbox/changelog.gz \
    ./usr/share/applications/io.github.quellbox.Quellbox.desktop \
    ./usr/share/metainfo/io.github.quellbox.Quellbox.metainfo.xml \
    ./usr/share/icons/hicolor/32x32/apps/quellbox.png \
    ./usr/bin/quellbox-mqtt ./lib/systemd/system/quellbox-mqtt.service \
    ./lib/systemd/system/quellbox-mqtt@.service ./etc/quellbox/mqtt.conf; do
    if ! grep -qx -- "$expected" <<<"$files"; then
        echo "missing from the package: $expected"
        status=1
    fi
done
if grep -q -e '/include/' -e 'gtest' -e '_tests$' <<<"$files"; then
    echo "the package carries build or test files:"
    grep -e '/include/' -e 'gtest' -e '_tests$' <<<"$files"
    status=1
fi
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6serialport6 libqt6widgets6 libmosquitto1 fonts-wqy-zenhei; do
    if ! grep -q "$lib" <<<"$depends"; then
        echo "Depends lacks $lib: $depends"
        status=1
    fi
done
if ! dpkg-deb -I "$deb" conffiles 2>/dev/null | grep -qx /etc/quellbox/mqtt.conf; then
    echo "the bridge's config file is not a conffile"
    status=1
fi
# Every program in the package has its manual page.
for program in $(grep '^\./usr/bin/.' <<<"$files" | xargs -n1 basename); do
    if ! grep -qx -- "./usr/share/man/man1/$program.1.gz" <<<"$files"; then
        echo "no manual page for $program"
        status=1
    fi
done
# As root lintian only says it would rather not; that line is not a finding.
if ! lintian --fail-on error,warning "$deb" \
    2> >(grep -v 'running with root privileges' >&2); then
    echo "lintian found errors or warnings"
    status=1
fi
exit $status
