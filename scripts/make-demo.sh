#!/usr/bin/env bash
# Makes docs/demo.gif, the moving picture in the README: a short scripted
# run of the headless runner (the spin, Gouraud fill, wireframe, a drag and
# a new diffuse colour), every frame written as a PNG, then turned into an
# animated GIF with ImageMagick (each frame to GIF) and gifsicle (the
# animation). Installs what is missing, builds the runner (Release).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

scripts/install-deps.sh test gifsicle
configure_and_build release octaspin-headless

frames=160
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Frame numbers count passes of the frame loop; the polyhedron turns 0.03
# radians per frame.
cat >"$work/demo.txt" <<'SCRIPT'
# frame  event
30  menu 40005          # Render > Gouraud
62  menu 40006          # Render > Wireframe
92  menu 40004          # Render > Flat
100 press 316 200       # a drag on the polyhedron, down and to the right
102 drag 320 208
104 drag 324 216
106 drag 328 224
108 drag 332 230
110 release 332 230
124 fields 255 112 32   # typed into the next colour dialog ...
124 menu 40008          # ... which Render > Diffuse Color opens
125 menu 40005          # Gouraud again
SCRIPT

build/release/tools/octaspin-headless --frames "$frames" --script "$work/demo.txt" \
    --png "$work/frame-%d.png" --quiet

# Each frame gets its own palette, without dithering (the frames have few
# colours, and the Gouraud gradients stay smooth that way).
mkdir "$work/gif"
mogrify -path "$work/gif" -format gif +dither "$work"/frame-*.png
gifs=()
for ((i = 1; i <= frames; i++)); do
    gifs+=("$work/gif/frame-$i.gif")
done
mkdir -p docs
gifsicle --no-warnings --delay 4 --loop -O3 "${gifs[@]}" -o docs/demo.gif

size=$(stat -c %s docs/demo.gif)
echo "docs/demo.gif: $frames frames, $size bytes"
if [ "$size" -ge 1048576 ]; then
    echo "docs/demo.gif is 1 MB or more; the README wants it smaller" >&2
    exit 1
fi
