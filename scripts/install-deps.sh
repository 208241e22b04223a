#!/usr/bin/env bash
# Installs the Debian packages Octaspin needs to build, test and run, when
# any of them is missing, and any further packages named as arguments.
# Uses sudo when not run as root.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    libgtest-dev libgmock-dev libbenchmark-dev
    libfreetype-dev libfontconfig-dev fonts-dejavu-core libpng-dev libstb-dev
    libfltk1.3-dev
    xvfb xauth xdotool imagemagick x11-utils python3
    openbox wmctrl
    desktop-file-utils dpkg-dev file
    clang-14 libclang-rt-14-dev libfuzzer-14-dev
    assimp-testmodels glmark2-data
    tumbler dbus dbus-bin libglib2.0-bin shared-mime-info
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ "${#missing[@]}" -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
