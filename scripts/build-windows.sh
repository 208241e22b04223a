#!/usr/bin/env bash
# Builds Octaspin for 64-bit Windows on Debian: installs what is missing
# (the MinGW-w64 cross compiler, GoogleTest's sources, Wine), cross-builds
# and leaves the program in build/windows/app/octaspin.exe. With --test it
# also runs the Windows build's tests under Wine. Exits non-zero on any
# failure.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

run_tests=0
if [ "${1:-}" = "--test" ]; then
    run_tests=1
elif [ "$#" -gt 0 ]; then
    echo "usage: scripts/build-windows.sh [--test]" >&2
    exit 2
fi

packages=()
if [ "$run_tests" -eq 1 ]; then
    # Wine runs the tests, its fonts give the dialogs their text, and the
    # end-to-end test drives the program on a virtual display.
    packages+=(wine wine64 fonts-wine python3 xvfb xauth xdotool imagemagick x11-utils)
fi
scripts/install-deps.sh windows "${packages[@]}"

echo "=== windows: configure and build"
configure_and_build windows
echo "Built $(pwd)/build/windows/app/octaspin.exe"

if [ "$run_tests" -eq 1 ]; then
    echo "=== windows: test under Wine"
    # Before ctest lists the tests, the tests' Wine prefix is made (on
    # first use) and Wine is started and kept running for it: its server
    # and its own background programs, which otherwise start with the first
    # test program, take its output with them and keep the listing waiting.
    # Wine goes when the tests are done.
    prefix=$(pwd)/build/windows/wine
    warm() { sh tests/windows/wine-test.sh "$prefix" wine cmd /c exit </dev/null >/dev/null 2>&1; }
    warm
    export WINEPREFIX="$prefix"
    # A server left running for this prefix (by hand, say) would keep this
    # wait from ever returning: after a minute it is stopped instead.
    timeout 60 wineserver -w || wineserver -k || true
    wineserver -p </dev/null >/dev/null 2>&1
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
    warm
    ctest --preset windows -j "$jobs"
fi
