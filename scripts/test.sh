#!/usr/bin/env bash
# Builds Octaspin and runs its tests; installs what is missing first.
#
#   scripts/test.sh           every build and every test, block by block:
#                             install, Release, package, ASan, fuzz, web,
#                             Windows
#   scripts/test.sh --quick   the Release build and its unit tests only
#
# Prints the time each block took, and at the end all of them (also when a
# block fails). Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

quick=0
case "${1:-}" in
"") ;;
--quick) quick=1 ;;
*)
    echo "usage: scripts/test.sh [--quick]" >&2
    exit 2
    ;;
esac

# block NAME COMMAND...: runs one block and keeps its time.
now_ms() { date +%s%3N; }
seconds_since() { # START_MS: seconds since then, one decimal
    local ms=$(($(now_ms) - $1))
    printf '%d.%d' $((ms / 1000)) $((ms % 1000 / 100))
}
timings=()
started=$(now_ms)
block() {
    local name=$1
    shift
    local start
    start=$(now_ms)
    echo "=== $name"
    "$@"
    local seconds
    seconds=$(seconds_since "$start")
    timings+=("$(printf '%-9s %7s s' "$name" "$seconds")")
    echo "=== $name: done in $seconds s"
}
report() {
    local status=$?
    echo "=== times"
    if [ "${#timings[@]}" -gt 0 ]; then
        printf '%s\n' "${timings[@]}"
    fi
    printf '%-9s %7s s\n' "all" "$(seconds_since "$started")"
    if [ "$status" -ne 0 ]; then
        echo "=== FAILED (exit code $status)"
    fi
}
trap report EXIT

# The quick loop: what to run on every change.
release_quick() {
    configure_and_build release
    ctest --preset dev -j "$jobs"
}

# Every test of the Release build but the package check (its own block)
# and the runs of the whole program that find more under the sanitizers
# (the X11 end-to-end runs and the soak: the ASan block runs them).
release() {
    configure_and_build release
    ctest --preset release -j "$jobs" -E '^(packaging|e2e|soak)\.'
}

# The Debian package from the Release build, made in a temporary folder,
# unpacked and checked (tests/packaging).
package() {
    ctest --preset release -R '^packaging\.'
}

# Every test under AddressSanitizer + UndefinedBehaviorSanitizer.
asan() {
    configure_and_build asan
    sanitized ctest --preset asan -j "$jobs"
}

# The fuzz targets, built with clang-14 (so the program's libraries are also
# checked to compile cleanly with clang), each run for a fixed number of
# executions from its seed corpus. The builds above replayed the corpus;
# scripts/fuzz.sh and scripts/soak.sh run the long versions.
fuzz() {
    configure_and_build fuzz
    UBSAN_OPTIONS=print_stacktrace=1 ctest --preset fuzz -j "$jobs"
}

# The web page: built with emscripten, the frame checksums and the renderer's
# suites under Node.js, the page end to end in headless Chromium.
web() {
    scripts/test-web.sh
}

# The cross build for Windows and its tests under Wine (the same frames bit
# for bit, the dialogs, the program end to end).
windows() {
    scripts/build-windows.sh --test
}

# What the Linux blocks need; the web and Windows blocks install theirs.
block install scripts/install-deps.sh test
if [ "$quick" -eq 1 ]; then
    block release release_quick
    echo "=== the unit tests passed"
    exit 0
fi
block release release
block package package
block asan asan
block fuzz fuzz
block web web
block windows windows
echo "=== all tests passed in every build"
