#!/usr/bin/env bash
# Fuzzes every target for a time budget: builds the libFuzzer programs
# (clang-14 with AddressSanitizer + UndefinedBehaviorSanitizer) and runs
# each for SECONDS seconds (default 60), one after the other, niced.
#
#   scripts/fuzz.sh [SECONDS]
#
# Inputs that reach new code collect in build/fuzz/corpus/<target>; the
# checked-in seeds under tests/fuzz/corpus/<target> are read, never
# written. A crash, leak or hang is written to build/fuzz/findings/<target>/
# (emptied at the start of each run); add it to tests/fuzz/corpus/<target>
# once mended, so every build replays it. Prints executions and findings
# per target and exits 1 when anything was found.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: scripts/fuzz.sh [SECONDS]" >&2
    exit 2
fi

scripts/install-deps.sh test
configure_and_build fuzz

total_executions=0
total_findings=0
for target in draw_mesh script color_field load_model; do
    work=build/fuzz/corpus/$target
    findings=build/fuzz/findings/$target
    log=build/fuzz/$target.log
    rm -rf "$findings"
    mkdir -p "$work" "$findings"
    echo "=== $target: ${seconds} s"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        nice build/fuzz/tests/fuzz/octaspin_fuzz_$target \
        -max_total_time="$seconds" -timeout=60 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$work" "tests/fuzz/corpus/$target" >"$log" 2>&1 || true
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    executions=${executions:-0}
    found=$(find "$findings" -type f | wc -l)
    printf '%-12s executions: %12d  findings: %d  (log: %s)\n' "$target" "$executions" "$found" "$log"
    total_executions=$((total_executions + executions))
    total_findings=$((total_findings + found))
done
printf '%-12s executions: %12d  findings: %d\n' "all" "$total_executions" "$total_findings"
[ "$total_findings" -eq 0 ]
