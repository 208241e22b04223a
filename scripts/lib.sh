# What the scripts share; each script sources it after moving to the
# source root:
#
#   cd "$(dirname "$0")/.."
#   . scripts/lib.sh
#
# It sets `jobs` (the processor count, 2 where nproc is missing) and
# `werror` (ON under CI, where CI is set in the environment, else OFF), and
# defines:
#   configure PRESET [CMAKE_ARGUMENT...]   configures a preset quietly, with
#                                          warnings as errors under CI
#   build PRESET [TARGET...]               builds a preset (all, or the
#                                          targets), `jobs` at a time
#   configure_and_build PRESET [TARGET...]
#   sanitized COMMAND...                   runs a command of a sanitizer
#                                          build so that a finding stops it,
#                                          with its stack and leaks reported

jobs=$(nproc 2>/dev/null || echo 2)
werror=OFF
if [ -n "${CI:-}" ]; then
    werror=ON
fi

configure() {
    local preset=$1
    shift
    cmake --preset "$preset" -DOCTASPIN_WERROR="$werror" "$@" >/dev/null
}

build() {
    local preset=$1
    shift
    local targets=()
    if [ "$#" -gt 0 ]; then
        targets=(--target "$@")
    fi
    cmake --build --preset "$preset" -j "$jobs" "${targets[@]}"
}

configure_and_build() {
    configure "$1"
    build "$@"
}

sanitized() {
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$@"
}
