#!/usr/bin/env bash
# Builds Octaspin's web page with Debian's emscripten: installs what is
# missing (emscripten; Chromium and Node.js for running and testing the
# page), builds the web preset (build/wasm) and writes the static folder
# build/web/ with index.html, octaspin.js and octaspin.wasm and nothing
# else: copy it to any web server. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

scripts/install-deps.sh web
# emscripten's own JavaScript tools find their modules (acorn) here.
export NODE_PATH=/usr/share/nodejs

echo "=== web: configure and build"
configure_and_build web octaspin_web
rm -rf build/web
mkdir -p build/web
cp build/wasm/platform/web/index.html build/wasm/platform/web/octaspin.js \
    build/wasm/platform/web/octaspin.wasm build/web/
js=$(stat -c %s build/web/octaspin.js)
wasm=$(stat -c %s build/web/octaspin.wasm)
zipped=$(cat build/web/octaspin.js build/web/octaspin.wasm | gzip -9 | wc -c)
echo "Built $(pwd)/build/web: octaspin.js $js bytes, octaspin.wasm $wasm bytes, $zipped bytes gzipped together"
