#!/usr/bin/env bash
# Installs what is missing, builds Octaspin twice (Release, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test in
# both builds, then cross-builds for Windows and runs that build's tests
# under Wine. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
werror=OFF
if [ -n "${CI:-}" ]; then
    werror=ON
fi

run_build() {
    local preset=$1
    echo "=== ${preset}: configure and build"
    cmake --preset "$preset" -DOCTASPIN_WERROR="$werror" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    echo "=== ${preset}: test"
    ctest --preset "$preset" -j "$jobs"
}

run_build release
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_build asan

# Windows: the cross build, and its tests under Wine (the same frames bit
# for bit, the dialogs, the program end to end).
scripts/build-windows.sh --test

echo "=== all tests passed in every build"
