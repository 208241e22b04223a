#!/usr/bin/env bash
# The Debian package of a Release build: made with CPack into a temporary
# folder, unpacked there (never installed), its files checked, its runner
# and octaspin-render run against the build tree's, its desktop entry
# validated.
#
#   check_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/octaspin_*.deb)
unpacked=$work/unpacked
dpkg-deb -x "$deb" "$unpacked"

files=(
    usr/bin/octaspin usr/bin/octaspin-headless usr/bin/octaspin-render
    usr/share/applications/octaspin.desktop
    usr/share/thumbnailers/octaspin.thumbnailer usr/share/mime/packages/octaspin.xml
    usr/share/icons/hicolor/32x32/apps/octaspin.png
    usr/share/icons/hicolor/256x256/apps/octaspin.png
    usr/share/man/man1/octaspin-headless.1.gz usr/share/man/man1/octaspin-render.1.gz
    usr/share/doc/octaspin/copyright
)
for f in "${files[@]}"; do
    [ -s "$unpacked/$f" ] || { echo "package: $f missing from $(basename "$deb")"; exit 1; }
done
file "$unpacked/usr/share/icons/hicolor/256x256/apps/octaspin.png" | grep -q "256 x 256" ||
    { echo "package: the 256 x 256 icon is not 256 x 256"; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q "libfltk1.3" ||
    { echo "package: no library dependencies"; exit 1; }
desktop-file-validate "$unpacked/usr/share/applications/octaspin.desktop"
"$unpacked/usr/bin/octaspin" --version | grep -q "^octaspin [0-9]" ||
    { echo "package: octaspin --version prints no version"; exit 1; }
"$unpacked/usr/bin/octaspin-headless" --frames 1 --png "$work/first.png" --quiet
"$build/tools/octaspin-headless" --frames 1 --png "$work/expected.png" --quiet
cmp "$work/first.png" "$work/expected.png" ||
    { echo "package: the unpacked runner draws a different first frame"; exit 1; }
grep -q '^MimeType=model/obj;model/stl;model/x-ply;$' \
    "$unpacked/usr/share/applications/octaspin.desktop" ||
    { echo "package: the desktop entry opens no model files"; exit 1; }
knot=$(dirname "$0")/../frames/knot.obj
"$unpacked/usr/bin/octaspin-render" -s 64 "$knot" -o "$work/knot.png"
"$build/tools/octaspin-render/octaspin-render" -s 64 "$knot" -o "$work/knot-expected.png"
cmp "$work/knot.png" "$work/knot-expected.png" ||
    { echo "package: the unpacked octaspin-render draws a different picture"; exit 1; }
echo "package: $(basename "$deb") unpacks and runs"
