#!/usr/bin/env bash
# The web build's tests: builds the page (scripts/build-web.sh) and the web
# build's test programs, installs puppeteer-core as pinned by
# tests/web/e2e/package-lock.json (never a browser: the test drives
# Debian's Chromium), then runs under Node.js the frame checksums, the
# math, raster, geometry and platform suites and the page's input tables,
# and the page end to end in headless Chromium (label slow). With --quick
# the end-to-end test is left out. The end-to-end test compares the
# overlay's text with the Linux build's runner (build/release) when that is
# built. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

labels=()
if [ "${1:-}" = "--quick" ]; then
    labels=(-LE slow)
elif [ "$#" -gt 0 ]; then
    echo "usage: scripts/test-web.sh [--quick]" >&2
    exit 2
fi

scripts/build-web.sh
export NODE_PATH=/usr/share/nodejs

runner=
if [ -x build/release/tools/octaspin-headless ]; then
    runner=$(pwd)/build/release/tools/octaspin-headless
fi
configure web -DOCTASPIN_REFERENCE_RUNNER="$runner"
echo "=== web: build the tests"
build web

if [ "${#labels[@]}" -eq 0 ]; then
    # puppeteer-core and what it needs, exactly as locked; no browser
    # download (the test is pointed at /usr/bin/chromium).
    if ! command -v npm >/dev/null 2>&1; then
        scripts/install-deps.sh web npm
    fi
    modules=build/wasm/web-e2e
    mkdir -p "$modules"
    cp tests/web/e2e/package.json tests/web/e2e/package-lock.json "$modules/"
    if ! cmp -s tests/web/e2e/package-lock.json "$modules/node_modules/.package-lock.json.installed" 2>/dev/null; then
        (cd "$modules" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
        cp tests/web/e2e/package-lock.json "$modules/node_modules/.package-lock.json.installed"
    fi
fi

echo "=== web: test (under Node.js and in Chromium)"
ctest --preset web -j "$jobs" "${labels[@]}"
