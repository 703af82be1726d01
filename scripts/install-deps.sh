#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with. Idempotent: apt-get runs only
# when a package is missing, so `make test` stays fast on a machine that already has them.
#
#   scripts/install-deps.sh            the packages every build needs
#   scripts/install-deps.sh windows    those plus the Windows cross-build (make test-windows)
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config
    qt6-base-dev qt6-serialport-dev libqt6serialport6
    qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    libgtest-dev googletest
    xvfb xauth x11-utils imagemagick xdotool
    fonts-wqy-zenhei
    clang clang-format libclang-rt-14-dev
    dpkg-dev desktop-file-utils appstream lintian scdoc gzip
    valgrind clang-tidy
    python3-serial strace
    libmosquitto-dev mosquitto mosquitto-clients openssl
    systemd
)

# The Windows cross-build: the mingw-w64 compiler (posix thread flavour) and wine to run its
# tests. Installed without recommends, so wine comes without the 32-bit half or the desktop
# integration.
windows_packages=(g++-mingw-w64-x86-64-posix wine64)

for group in "$@"; do
    case "$group" in
        windows) packages+=("${windows_packages[@]}") ;;
        *)
            echo "install-deps: unknown package group '$group' (known: windows)" >&2
            exit 2
            ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ "${#missing[@]}" -eq 0 ]; then
    exit 0
fi

echo "installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
