#!/usr/bin/env python3
"""Whole-process timings of octaspin-render, start to PNG on disk, beside the
same jobs drawn by Mesa's llvmpipe (octaspin_osmesa_picture), in one run:

  - the bunny (glmark2-data) at 256 x 256;
  - a binary STL of 1 310 720 triangles (an icosphere, generated once into
    the build folder) at 256 x 256, with how each program's time splits
    between reading, drawing and encoding (--timings);
  - the whole OBJ/PLY/STL corpus of assimp-testmodels in one batch
    (octaspin-render only), as files per second.

The two programs run in turn, A B A B ..., and the ratio is taken pair by
pair, so it holds better than the absolute times on a busy machine. Writes
the medians into the JSON file under "pictures" (keeping its other keys)
and prints the README's table.

    picture_bench.py --render PATH --peer PATH --work DIR --json docs/perf.json [--runs N]
"""
import argparse
import glob
import json
import math
import os
import re
import resource
import shutil
import statistics
import struct
import subprocess
import time

BUNNY = "/usr/share/glmark2/models/bunny.obj"
CORPUS = "/usr/share/assimp/models"


def icosphere_stl(path, levels=8):
    """A unit icosphere of 20 * 4^levels triangles as binary STL."""
    t = (1 + 5 ** 0.5) / 2
    verts = [(-1, t, 0), (1, t, 0), (-1, -t, 0), (1, -t, 0), (0, -1, t), (0, 1, t),
             (0, -1, -t), (0, 1, -t), (t, 0, -1), (t, 0, 1), (-t, 0, -1), (-t, 0, 1)]
    verts = [tuple(c / math.sqrt(sum(x * x for x in v)) for c in v) for v in verts]
    faces = [(0, 11, 5), (0, 5, 1), (0, 1, 7), (0, 7, 10), (0, 10, 11), (1, 5, 9), (5, 11, 4),
             (11, 10, 2), (10, 7, 6), (7, 1, 8), (3, 9, 4), (3, 4, 2), (3, 2, 6), (3, 6, 8),
             (3, 8, 9), (4, 9, 5), (2, 4, 11), (6, 2, 10), (8, 6, 7), (9, 8, 1)]
    for _ in range(levels):
        cache = {}

        def middle(a, b):
            key = (a, b) if a < b else (b, a)
            if key not in cache:
                m = [(x + y) / 2 for x, y in zip(verts[a], verts[b])]
                n = math.sqrt(sum(x * x for x in m))
                verts.append(tuple(x / n for x in m))
                cache[key] = len(verts) - 1
            return cache[key]

        new = []
        for a, b, c in faces:
            ab, bc, ca = middle(a, b), middle(b, c), middle(c, a)
            new += [(a, ab, ca), (b, bc, ab), (c, ca, bc), (ab, bc, ca)]
        faces = new
    with open(path + ".tmp", "wb") as f:
        f.write(b"icosphere".ljust(80, b" "))
        f.write(struct.pack("<I", len(faces)))
        pack = struct.Struct("<12fH").pack
        for a, b, c in faces:
            f.write(pack(0, 0, 0, *verts[a], *verts[b], *verts[c], 0))
    os.replace(path + ".tmp", path)
    return len(faces)


def wall(command):
    """Wall and processor seconds (user + system, all threads) of one run."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    result = subprocess.run(command, capture_output=True)
    seconds = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    if result.returncode not in (0, 2):
        raise SystemExit(f"{command[0]} failed: {result.stderr.decode(errors='replace')}")
    return seconds, cpu, result.stderr.decode(errors="replace")


TIMINGS = re.compile(r"read ([\d.]+) ms \(cpu ([\d.]+)\), draw ([\d.]+) ms \(cpu ([\d.]+)\), "
                     r"encode and write ([\d.]+) ms \(cpu ([\d.]+)\)")


def split(stderr):
    """Processor milliseconds of reading, drawing and encoding from a --timings line."""
    match = TIMINGS.search(stderr)
    return (float(match[2]), float(match[4]), float(match[6])) if match else None


def pair(ours, peer, runs):
    """Alternating runs; medians (ms) and the median of the pairwise ratios."""
    a, b, ca, cb, ratios, cpu_ratios, a_split, b_split = [], [], [], [], [], [], [], []
    wall(ours)
    wall(peer)
    for _ in range(runs):
        ta, ua, ea = wall(ours)
        tb, ub, eb = wall(peer)
        a.append(ta * 1000)
        b.append(tb * 1000)
        ca.append(ua * 1000)
        cb.append(ub * 1000)
        ratios.append(ta / tb)
        cpu_ratios.append(ua / ub)
        a_split.append(split(ea))
        b_split.append(split(eb))

    def median_split(rows):
        rows = [r for r in rows if r]
        return [round(statistics.median(r[k] for r in rows), 1) for k in range(3)] if rows else None

    return {
        "octaspin_ms": round(statistics.median(a), 1),
        "octaspin_min_ms": round(min(a), 1),
        "llvmpipe_ms": round(statistics.median(b), 1),
        "llvmpipe_min_ms": round(min(b), 1),
        "ratio": round(statistics.median(ratios), 3),
        "octaspin_cpu_ms": round(statistics.median(ca), 1),
        "llvmpipe_cpu_ms": round(statistics.median(cb), 1),
        "cpu_ratio": round(statistics.median(cpu_ratios), 3),
        "octaspin_read_draw_encode_cpu_ms": median_split(a_split),
        "llvmpipe_read_draw_encode_cpu_ms": median_split(b_split),
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--render", required=True)
    parser.add_argument("--peer", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--json", required=True)
    parser.add_argument("--runs", type=int, default=9)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    load_before = os.getloadavg()[0]

    big = os.path.join(args.work, "icosphere-1310720.stl")
    if not os.path.exists(big):
        print("=== writing", big)
        icosphere_stl(big)
    out = os.path.join(args.work, "picture.png")
    jobs = {}
    for name, model, runs in (("bunny", BUNNY, args.runs), ("stl_1310720", big, max(3, args.runs // 2))):
        ours = [args.render, "--timings", "-s", "256", model, "-o", out]
        peer = [args.peer, "--timings", "--size", "256", model, out]
        jobs[name] = pair(ours, peer, runs)
        print(name, jobs[name])

    files = sorted(f for f in glob.glob(os.path.join(CORPUS, "**", "*"), recursive=True)
                   if os.path.splitext(f)[1].lower() in (".obj", ".ply", ".stl"))
    folder = os.path.join(args.work, "corpus")
    times = []
    drawn = 0
    for _ in range(3):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        # Files of one name in two folders would share a picture name.
        names, unique = set(), []
        for f in files:
            stem = os.path.splitext(os.path.basename(f))[0]
            if stem not in names:
                names.add(stem)
                unique.append(f)
        seconds, cpu, _ = wall([args.render, "-s", "256", *unique, "-o", folder])
        times.append((seconds, cpu))
        drawn = len(os.listdir(folder))
    wall_s = statistics.median(t[0] for t in times)
    cpu_s = statistics.median(t[1] for t in times)
    corpus = {"files": len(unique), "drawn": drawn, "seconds": round(wall_s, 3),
              "cpu_seconds": round(cpu_s, 3), "files_per_second": round(len(unique) / wall_s, 1),
              "files_per_cpu_second": round(len(unique) / cpu_s, 1)}
    print("corpus", corpus)

    result = json.load(open(args.json)) if os.path.exists(args.json) else {}
    result["pictures"] = {
        "what": "octaspin-render, whole process from start to PNG on disk (256 x 256, 2 x 2 samples), "
                "beside the same job drawn by Mesa's llvmpipe through OSMesa, run in turn; medians",
        "date": time.strftime("%Y-%m-%d %H:%M"),
        "load_average_before": round(load_before, 2),
        "load_average_after": round(os.getloadavg()[0], 2),
        "jobs": jobs,
        "corpus": corpus,
    }
    with open(args.json, "w") as f:
        json.dump(result, f, indent=2)
        f.write("\n")

    print("| job (256 × 256, 2 × 2 samples) | octaspin-render: wall / processor (ms) | llvmpipe: wall / processor (ms) | ratio: wall / processor | processor time read / draw / encode, octaspin-render (ms) | the same, llvmpipe (ms) |")
    print("|---|---:|---:|---:|---|---|")
    for name, label in (("bunny", "bunny.obj, 69 666 triangles"), ("stl_1310720", "binary STL, 1 310 720 triangles")):
        j = jobs[name]
        fmt = lambda s: " / ".join(f"{v:.0f}" for v in s) if s else "-"
        print(f"| {label} | {j['octaspin_ms']:.0f} / {j['octaspin_cpu_ms']:.0f} | "
              f"{j['llvmpipe_ms']:.0f} / {j['llvmpipe_cpu_ms']:.0f} | {j['ratio']:.2f} / {j['cpu_ratio']:.2f} | "
              f"{fmt(j['octaspin_read_draw_encode_cpu_ms'])} | {fmt(j['llvmpipe_read_draw_encode_cpu_ms'])} |")
    print(f"\ncorpus: {corpus['files']} files ({corpus['drawn']} drawn) in {corpus['seconds']} s "
          f"({corpus['cpu_seconds']} s of processor time): {corpus['files_per_second']} files/s, "
          f"{corpus['files_per_cpu_second']} per processor second; load average {load_before:.1f} "
          f"before, {os.getloadavg()[0]:.1f} after")


if __name__ == "__main__":
    main()
