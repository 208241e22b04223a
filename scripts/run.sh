#!/usr/bin/env bash
# Installs what is missing, builds Octaspin (Release) and runs it: in a
# real window when a display is available, otherwise headless, writing the
# rendered frame to a PNG.
set -euo pipefail
cd "$(dirname "$0")/.."

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
