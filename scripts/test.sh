#!/usr/bin/env bash
# Installs what is missing, builds Octaspin twice (Release, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test in
# both builds, builds the fuzz targets with clang and gives each a short
# run, builds the web page and runs its tests under Node.js and in
# Chromium, then cross-builds for Windows and runs that build's tests
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

# The Debian package, from the Release build: unpacked into a temporary
# folder (never installed), its files checked, its runner run against the
# build tree's, its desktop entry validated.
check_package() (
    echo "=== package: build, unpack and run"
    deb=$(scripts/package.sh | tail -n 1)
    unpacked=$(mktemp -d)
    trap 'rm -rf "$unpacked"' EXIT
    dpkg-deb -x "$deb" "$unpacked"
    files=(
        usr/bin/octaspin usr/bin/octaspin-headless
        usr/share/applications/octaspin.desktop
        usr/share/icons/hicolor/32x32/apps/octaspin.png
        usr/share/icons/hicolor/256x256/apps/octaspin.png
        usr/share/man/man1/octaspin-headless.1.gz usr/share/doc/octaspin/copyright
    )
    for f in "${files[@]}"; do
        [ -s "$unpacked/$f" ] || { echo "package: $f missing from $deb"; exit 1; }
    done
    file "$unpacked/usr/share/icons/hicolor/256x256/apps/octaspin.png" | grep -q "256 x 256"
    dpkg-deb -f "$deb" Depends | grep -q "libfltk1.3" ||
        { echo "package: no library dependencies"; exit 1; }
    desktop-file-validate "$unpacked/usr/share/applications/octaspin.desktop"
    "$unpacked/usr/bin/octaspin" --version | grep -q "^octaspin [0-9]"
    "$unpacked/usr/bin/octaspin-headless" --frames 1 --png "$unpacked/first.png" --quiet
    build/release/tools/octaspin-headless --frames 1 --png "$unpacked/expected.png" --quiet
    cmp "$unpacked/first.png" "$unpacked/expected.png" ||
        { echo "package: the unpacked runner draws a different first frame"; exit 1; }
    echo "=== package: $deb unpacks and runs"
)

run_build release
check_package
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_build asan

# Fuzz targets: built with clang-14 (AddressSanitizer + UndefinedBehaviorSanitizer),
# so the program's libraries are also checked to compile cleanly with clang,
# and each run for a fixed number of executions from its seed corpus. The
# builds above already replayed the corpus and ran a short seeded soak;
# scripts/fuzz.sh and scripts/soak.sh run the long versions.
UBSAN_OPTIONS=print_stacktrace=1 run_build fuzz

# The web page: built with emscripten, the frame checksums and the renderer's
# suites under Node.js, the page end to end in headless Chromium.
run_web() {
    scripts/test-web.sh
}
run_web

# Windows: the cross build, and its tests under Wine (the same frames bit
# for bit, the dialogs, the program end to end).
scripts/build-windows.sh --test

echo "=== all tests passed in every build"
