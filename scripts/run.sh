#!/usr/bin/env bash
# Installs what is missing, builds Octaspin (Release) and runs it: in a
# real window when a display is available, otherwise headless, writing the
# rendered frame to a PNG.
#
# With --web it builds the web page instead (scripts/build-web.sh) and
# serves build/web on 127.0.0.1 only, printing the address to open; Ctrl-C
# stops the server. PORT in the environment chooses the port (default 8000).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--web" ]; then
    scripts/build-web.sh
    port=${PORT:-8000}
    echo "Serving $(pwd)/build/web at http://127.0.0.1:$port/ (Ctrl-C stops it)"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build/web
elif [ "$#" -gt 0 ]; then
    echo "usage: scripts/run.sh [--web]" >&2
    exit 2
fi

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)"

# A display that is set but cannot be reached counts as none.
if [ -n "${DISPLAY:-}" ] && [ -x build/release/app/octaspin ] && xdpyinfo >/dev/null 2>&1; then
    exec build/release/app/octaspin
fi
if [ -x build/release/tools/octaspin-headless ]; then
    echo "No display: running headless for 300 frames."
    build/release/tools/octaspin-headless --frames 300 --png frame.png
    echo "The last frame is in $(pwd)/frame.png"
else
    echo "The program is not built yet; nothing to run."
fi
