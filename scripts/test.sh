#!/usr/bin/env bash
# Installs what is missing, builds Octaspin twice (Release, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test in
# both builds, then builds the fuzz targets with clang and gives each a
# short run. Exits non-zero on any failure.
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

# Fuzz targets: built with clang-14 (AddressSanitizer + UndefinedBehaviorSanitizer),
# so the program's libraries are also checked to compile cleanly with clang,
# and each run for a fixed number of executions from its seed corpus. The
# builds above already replayed the corpus and ran a short seeded soak;
# scripts/fuzz.sh and scripts/soak.sh run the long versions.
UBSAN_OPTIONS=print_stacktrace=1 run_build fuzz
echo "=== all tests passed in every build"
