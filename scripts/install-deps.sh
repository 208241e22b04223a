#!/usr/bin/env bash
# Installs the Debian packages Octaspin needs to build, test and run, when
# any of them is missing; with package names as arguments, those instead.
# Uses sudo when not run as root.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    libgtest-dev libgmock-dev libbenchmark-dev
    libfreetype-dev libfontconfig-dev fonts-dejavu-core libpng-dev
    libfltk1.3-dev
    xvfb xauth xdotool imagemagick x11-utils python3
)
if [ "$#" -gt 0 ]; then
    packages=("$@")
fi

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
