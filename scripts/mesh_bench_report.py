#!/usr/bin/env python3
"""The mesh benchmark's medians (build/release/bench-mesh.json) into docs/perf.json
beside the whole-frame numbers, a data file for gnuplot (triangles, then the
milliseconds per frame of every mode and thread count) and the tables the
README shows. Run by scripts/bench.sh.

Usage: mesh_bench_report.py RAW_JSON PERF_JSON DATA_FILE
"""
import json
import os
import sys

MODES = ["flat", "gouraud", "wireframe"]


def main(raw, out, dat):
    run = json.load(open(raw))
    spheres, demo = {}, {}
    for b in run["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        # Labels: "<triangles> <mode> <threads>" and "<W>x<H> <mode> <threads>".
        what, mode, threads = b["label"].split(" ")
        per_ms = {"ms": 1.0, "us": 1e-3, "ns": 1e-6}[b["time_unit"]]
        # Rates from the median frame time, so that a row agrees with itself.
        ms = b["real_time"] * per_ms
        row = {"ms": round(ms, 4), "fps": round(1000.0 / ms, 1)}
        if b["name"].startswith("BM_Sphere"):
            row["ns_per_triangle"] = round(ms * 1e6 / int(what), 1)
            spheres.setdefault(int(what), {})[(mode, int(threads))] = row
        else:
            demo.setdefault(what, {})[(mode, int(threads))] = row

    threads = sorted({t for rows in spheres.values() for (_, t) in rows})
    many = threads[-1]
    result = json.load(open(out)) if os.path.exists(out) else {}
    result["mesh"] = {
        "what": "icosphere of radius 100 in the demo's camera, lights and spin at 1920x1080, "
                "clear + drawMesh of every mesh (several from 327680 triangles on), median of 3 "
                "runs; ns_per_triangle counts every submitted triangle, back faces included; "
                "demo: the polyhedron the same way",
        "load_average": os.getloadavg()[0],
        "spheres": [dict(triangles=n, **{f"{m}_{t}_threads": r[(m, t)] for (m, t) in sorted(r)})
                    for n, r in sorted(spheres.items())],
        "demo": [dict(size=size, **{f"{m}_{t}_threads": r[(m, t)] for (m, t) in sorted(r)})
                 for size, r in demo.items()],
    }
    with open(out, "w") as f:
        json.dump(result, f, indent=2)
        f.write("\n")

    with open(dat, "w") as f:
        f.write("# triangles " + " ".join(f"{m}_{t}_ms" for m in MODES for t in threads) + "\n")
        for n, r in sorted(spheres.items()):
            f.write(f"{n} " + " ".join(str(r[(m, t)]["ms"]) for m in MODES for t in threads) + "\n")

    def cell(r, m):
        return f"{r[(m, 1)]['fps']:,.0f} / {r[(m, many)]['fps']:,.0f}"

    print(f"| triangles | flat fps (1 / {many} threads) | Gouraud fps (1 / {many}) | "
          f"wireframe fps (1 / {many}) | flat ns per triangle ({many} threads) | Gouraud / flat |")
    print("|---:|---:|---:|---:|---:|---:|")
    for n, r in sorted(spheres.items()):
        print(f"| {n:,} | {cell(r, 'flat')} | {cell(r, 'gouraud')} | {cell(r, 'wireframe')} | "
              f"{r[('flat', many)]['ns_per_triangle']:.0f} | "
              f"{r[('gouraud', many)]['ms'] / r[('flat', many)]['ms']:.2f} |")
    print()
    print(f"| demo, clear + drawMesh | flat fps (1 / {many} threads) | Gouraud fps | wireframe fps |")
    print("|---|---:|---:|---:|")
    for size, r in demo.items():
        print(f"| {size.replace('x', ' × ')} | {cell(r, 'flat')} | {cell(r, 'gouraud')} | "
              f"{cell(r, 'wireframe')} |")
    print(f"\nload average during the run: {result['mesh']['load_average']:.2f}")


if __name__ == "__main__":
    main(*sys.argv[1:4])
