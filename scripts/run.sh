#!/usr/bin/env bash
# Installs what building and running need (and nothing the tests need),
# builds the programs alone (the `program` preset: Release, no tests, no
# benchmarks, in build/program) and runs Octaspin: in a real window when a
# display is available, otherwise headless, writing the rendered frame to
# a PNG.
#
# With --web it builds the web page instead (scripts/build-web.sh) and
# serves build/web on 127.0.0.1 only, printing the address to open; Ctrl-C
# stops the server. PORT in the environment chooses the port (default 8000).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

if [ "${1:-}" = "--web" ]; then
    scripts/build-web.sh
    port=${PORT:-8000}
    echo "Serving $(pwd)/build/web at http://127.0.0.1:$port/ (Ctrl-C stops it)"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build/web
elif [ "$#" -gt 0 ]; then
    echo "usage: scripts/run.sh [--web]" >&2
    exit 2
fi

scripts/install-deps.sh run
configure_and_build program

# A display that is set but cannot be reached counts as none.
if [ -n "${DISPLAY:-}" ] && [ -x build/program/app/octaspin ] && xdpyinfo >/dev/null 2>&1; then
    exec build/program/app/octaspin
fi
if [ -x build/program/tools/octaspin-headless ]; then
    echo "No display: running headless for 300 frames."
    build/program/tools/octaspin-headless --frames 300 --png frame.png
    echo "The last frame is in $(pwd)/frame.png"
else
    echo "The program is not built yet; nothing to run."
fi
