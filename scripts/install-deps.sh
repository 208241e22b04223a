#!/usr/bin/env bash
# Installs the Debian packages that Octaspin needs for one or more
# purposes, when any of them is missing, and any further packages named
# after the purposes. Uses sudo when not run as root.
#
#   scripts/install-deps.sh PURPOSE... [PACKAGE...]
#
#   run      build and run the program: the compiler, CMake, FreeType,
#            fontconfig and a font, libpng and the toolkit (scripts/run.sh)
#   test     build and run every Linux test: the run set, GoogleTest and
#            Google Benchmark, the X11 test tools and a window manager, the
#            package tools, clang and the fuzzer runtime, and the model
#            corpora (scripts/test.sh and the scripts of its Linux blocks)
#   web      build, serve and test the web page: emscripten, esbuild,
#            Node.js, Chromium and what the build's glyph-table tool needs
#            (scripts/build-web.sh)
#   windows  cross-build for Windows: MinGW-w64 and GoogleTest's sources
#            (scripts/build-windows.sh, which adds Wine for its tests)
set -euo pipefail

usage() {
    echo "usage: scripts/install-deps.sh PURPOSE... [PACKAGE...]   (PURPOSE: run, test, web, windows)" >&2
    exit 2
}

# Compiling, the text font the platform layer draws with, and the PNG
# encoder's header (image/), which every build compiles.
base=(build-essential cmake pkg-config libfreetype-dev libfontconfig-dev fonts-dejavu-core
    libstb-dev)
run=("${base[@]}" libpng-dev libfltk1.3-dev
    # xdpyinfo: scripts/run.sh asks whether the display can be reached.
    x11-utils)
test=("${run[@]}" git
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool imagemagick python3
    openbox wmctrl
    desktop-file-utils dpkg-dev file
    clang-14 libclang-rt-14-dev libfuzzer-14-dev
    assimp-testmodels glmark2-data
    # The thumbnail service and its session bus, for octaspin-render's
    # thumbnails end to end (tests/packaging).
    tumbler dbus dbus-bin libglib2.0-bin shared-mime-info)
web=("${base[@]}" googletest emscripten chromium
    # esbuild bundles the page's modules (platform/web/page/) into the
    # script that runs before the program.
    esbuild
    # python3: scripts/run.sh --web serves the page with it.
    python3)
# Node.js runs emscripten's tools and the tests; a Node.js that is already
# installed (from Debian or elsewhere) is used as it is.
if ! command -v node >/dev/null 2>&1; then
    web+=(nodejs)
fi
windows=(build-essential cmake g++-mingw-w64-x86-64-posix googletest)

packages=()
purposes=0
for word in "$@"; do
    case "$word" in
    run) packages+=("${run[@]}") ;;
    test) packages+=("${test[@]}") ;;
    web) packages+=("${web[@]}") ;;
    windows) packages+=("${windows[@]}") ;;
    -*) usage ;;
    *)
        if [ "$purposes" -eq 0 ]; then
            usage
        fi
        packages+=("$word")
        continue
        ;;
    esac
    purposes=$((purposes + 1))
done
if [ "$purposes" -eq 0 ]; then
    usage
fi

missing=()
for p in $(printf '%s\n' "${packages[@]}" | sort -u); do
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
