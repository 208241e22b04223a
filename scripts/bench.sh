#!/usr/bin/env bash
# Times the program's whole frame and big meshes: builds Release, runs the
# whole-frame benchmark (flat, Gouraud and wireframe at four client sizes,
# beside one memset of both full buffers of each size) and the mesh
# benchmark (icospheres of 1 280 to 1 310 720 triangles at 1920 x 1080 and
# the demo's polyhedron at two sizes, each on one thread and on all), takes
# the median of 3 runs, writes the medians to docs/perf.json, draws
# docs/perf.png (frame time against pixel count) and docs/triangles.png
# (frame time against triangle count) and prints the tables the README
# shows. Installs what is missing, gnuplot included. Takes a few minutes.
#
# Then times octaspin-render against Mesa's llvmpipe (bench/picture_bench.py)
# and adds its medians to docs/perf.json under "pictures".
#
# Usage: scripts/bench.sh [--min-time SECONDS]   (per run; default 0.5)
#        scripts/bench.sh --pictures             (the pictures alone)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

min_time=0.5
pictures_only=0
if [ "${1:-}" = "--min-time" ] && [ -n "${2:-}" ]; then
    min_time=$2
elif [ "${1:-}" = "--pictures" ]; then
    pictures_only=1
fi

scripts/install-deps.sh test gnuplot-nox libosmesa6-dev

# octaspin-render and the same job through llvmpipe, start to PNG on disk.
pictures() {
    configure release -DOCTASPIN_BENCH=ON
    build release octaspin-render octaspin_osmesa_picture
    echo "=== running the picture benchmark (load before: $(cut -d' ' -f1-3 /proc/loadavg))"
    python3 bench/picture_bench.py --render build/release/tools/octaspin-render/octaspin-render \
        --peer build/release/bench/octaspin_osmesa_picture --work build/release/bench-pictures \
        --json docs/perf.json
}
if [ "$pictures_only" -eq 1 ]; then
    pictures
    exit 0
fi

configure release -DOCTASPIN_BENCH=ON
build release octaspin_bench octaspin_mesh_bench

raw=build/release/bench-frame.json
echo "=== running (load before: $(cut -d' ' -f1-3 /proc/loadavg))"
build/release/bench/octaspin_bench \
    --benchmark_filter='^BM_(Frame|MemsetBothBuffers)/' \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_min_time="$min_time" \
    --benchmark_out="$raw" --benchmark_out_format=json >/dev/null

mkdir -p docs
data=build/release/bench-frame.dat
python3 scripts/frame_bench_report.py "$raw" docs/perf.json "$data"

gnuplot <<GP
set terminal pngcairo size 800,500 font ",10"
set output "docs/perf.png"
set title "Octaspin whole frame (headless, one thread): time per frame against frame size"
set xlabel "frame size (pixel count, log scale)"
set ylabel "time per frame (microseconds)"
set logscale xy
set grid
set key top left
set xtics ("632×428" 0.270496, "1280×720" 0.9216, "1920×1080" 2.0736, "3840×2160" 8.2944)
plot "$data" using (\$1/1e6):2 with linespoints lw 2 title "flat", \
     "" using (\$1/1e6):3 with linespoints lw 2 title "Gouraud", \
     "" using (\$1/1e6):4 with linespoints lw 2 title "wireframe", \
     "" using (\$1/1e6):5 with linespoints lw 2 dt 2 lc rgb "gray40" title "memset of both full buffers"
GP
echo "=== wrote docs/perf.json and docs/perf.png"

meshraw=build/release/bench-mesh.json
echo "=== running the mesh benchmark (load before: $(cut -d' ' -f1-3 /proc/loadavg))"
build/release/bench/octaspin_mesh_bench \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_min_time="$min_time" \
    --benchmark_out="$meshraw" --benchmark_out_format=json >/dev/null

meshdat=build/release/bench-mesh.dat
python3 scripts/mesh_bench_report.py "$meshraw" docs/perf.json "$meshdat"

threads_all=$(head -1 "$meshdat" | tr ' ' '\n' | grep '^flat_' | tail -1 | cut -d_ -f2)
gnuplot <<GP
set terminal pngcairo size 800,500 font ",10"
set output "docs/triangles.png"
set title "Octaspin icosphere at 1920×1080: time per frame against triangle count"
set xlabel "triangles submitted (log scale)"
set ylabel "time per frame (milliseconds, log scale)"
set logscale xy
set grid
set key top left
set xtics ("1 280" 1280, "5 120" 5120, "20 480" 20480, "81 920" 81920, "327 680" 327680, "1 310 720" 1310720)
plot "$meshdat" using 1:2 with linespoints lw 2 lc 1 dt 2 title "flat, 1 thread", \
     "" using 1:3 with linespoints lw 2 lc 1 title "flat, $threads_all threads", \
     "" using 1:4 with linespoints lw 2 lc 2 dt 2 title "Gouraud, 1 thread", \
     "" using 1:5 with linespoints lw 2 lc 2 title "Gouraud, $threads_all threads", \
     "" using 1:6 with linespoints lw 2 lc 3 dt 2 title "wireframe, 1 thread", \
     "" using 1:7 with linespoints lw 2 lc 3 title "wireframe, $threads_all threads"
GP
echo "=== wrote docs/triangles.png"

pictures
