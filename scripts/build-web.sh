#!/usr/bin/env bash
# Builds Octaspin's web page with Debian's emscripten: installs what is
# missing (emscripten; Chromium and Node.js for running and testing the
# page), builds the web preset (build/wasm) and writes the static folder
# build/web/ with index.html, octaspin.js and octaspin.wasm and nothing
# else: copy it to any web server. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake pkg-config libfreetype-dev libfontconfig-dev fonts-dejavu-core
          googletest emscripten chromium)
# Node.js runs emscripten's tools and the tests; a Node.js that is already
# installed (from Debian or elsewhere) is used as it is.
if ! command -v node >/dev/null 2>&1; then
    packages+=(nodejs)
fi
scripts/install-deps.sh "${packages[@]}"
# emscripten's own JavaScript tools find their modules (acorn) here.
export NODE_PATH=/usr/share/nodejs

jobs=$(nproc 2>/dev/null || echo 2)
werror=OFF
if [ -n "${CI:-}" ]; then
    werror=ON
fi

echo "=== web: configure and build"
cmake --preset web -DOCTASPIN_WERROR="$werror" >/dev/null
cmake --build --preset web -j "$jobs" --target octaspin_web
rm -rf build/web
mkdir -p build/web
cp build/wasm/platform/web/index.html build/wasm/platform/web/octaspin.js \
    build/wasm/platform/web/octaspin.wasm build/web/
js=$(stat -c %s build/web/octaspin.js)
wasm=$(stat -c %s build/web/octaspin.wasm)
zipped=$(cat build/web/octaspin.js build/web/octaspin.wasm | gzip -9 | wc -c)
echo "Built $(pwd)/build/web: octaspin.js $js bytes, octaspin.wasm $wasm bytes, $zipped bytes gzipped together"
