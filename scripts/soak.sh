#!/usr/bin/env bash
# Runs the seeded input soak under AddressSanitizer + UndefinedBehaviorSanitizer:
# EVENTS random but valid input events (default 1 000 000) through the real
# program on the headless backend, niced. The seed (default: the clock) is
# printed with the results, so a finding can be replayed with it.
#
#   scripts/soak.sh [EVENTS [SEED]]
set -euo pipefail
cd "$(dirname "$0")/.."

events=${1:-1000000}
seed=${2:-$(date +%s)}
scripts/install-deps.sh
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$(nproc 2>/dev/null || echo 2)" --target octaspin_soak
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    nice build/asan/tests/soak/octaspin_soak --events "$events" --seed "$seed"
