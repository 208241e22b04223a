#!/usr/bin/env bash
# Runs the seeded input soak under AddressSanitizer + UndefinedBehaviorSanitizer:
# EVENTS random but valid input events (default 1 000 000) through the real
# program on the headless backend, niced. The seed (default: the clock) is
# printed with the results, so a finding can be replayed with it.
#
#   scripts/soak.sh [EVENTS [SEED]]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

events=${1:-1000000}
seed=${2:-$(date +%s)}
scripts/install-deps.sh test
configure_and_build asan octaspin_soak
sanitized nice build/asan/tests/soak/octaspin_soak --events "$events" --seed "$seed"
