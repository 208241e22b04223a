#!/usr/bin/env bash
# Builds the Debian package build/release/package/octaspin_<version>_<arch>.deb
# from the Release build: the two programs, the desktop entry and its icons,
# the manual pages and the copyright file, with the library dependencies
# filled in by dpkg-shlibdeps. Installs what is missing; builds only what
# the package holds (not the tests).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

scripts/install-deps.sh test
configure release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
build release octaspin octaspin-headless octaspin_install_data
rm -f build/release/package/octaspin_*.deb
(cd build/release && cpack -G DEB >/dev/null)
ls build/release/package/octaspin_*.deb
