#!/usr/bin/env python3
"""The whole-frame benchmark's medians (build/release/bench-frame.json) into
docs/perf.json, a data file for gnuplot (pixel count, then the microseconds
per frame of flat, Gouraud, wireframe and the memset of both buffers) and
the table the README shows. Run by scripts/bench.sh.

Usage: frame_bench_report.py RAW_JSON PERF_JSON DATA_FILE
"""
import json
import os
import platform
import sys
import time

KINDS = ["flat", "gouraud", "wireframe", "memset"]


def main(raw, out, dat):
    run = json.load(open(raw))
    rows = {}
    for b in run["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        size, kind = b["label"].split(" ")
        width, height = (int(v) for v in size.split("x"))
        rows.setdefault((width * height, size), {})[kind] = {
            "us": round(b["real_time"], 2),           # wall time per frame (microseconds)
            "cpu_us": round(b["cpu_time"], 2),        # processor time per frame
            "fps": round(1e6 / b["real_time"], 1),
        }

    model = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")), platform.processor())
    result = {
        "what": "whole frame of the program (pump, spin, clear, draw, overlay, present) on the headless backend, median of 3 runs; memset: one memset of both full buffers",
        "date": time.strftime("%Y-%m-%d %H:%M"),
        "cpu": model,
        "load_average": os.getloadavg()[0],
        "sizes": [dict(size=size, pixels=px, **modes) for (px, size), modes in sorted(rows.items())],
    }
    with open(out, "w") as f:
        json.dump(result, f, indent=2)
        f.write("\n")

    with open(dat, "w") as f:
        f.write("# pixels " + " ".join(k + "_us" for k in KINDS) + "\n")
        for (px, size), modes in sorted(rows.items()):
            f.write(f"{px} " + " ".join(str(modes[k]["us"]) for k in KINDS) + f"  # {size}\n")

    print("| client | flat fps | Gouraud fps | wireframe fps | flat frame (µs) | memset of both buffers (µs) | Gouraud / flat |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    for (px, size), m in sorted(rows.items()):
        print(f"| {size.replace('x', ' × ')} | {m['flat']['fps']:,.0f} | {m['gouraud']['fps']:,.0f} | "
              f"{m['wireframe']['fps']:,.0f} | {m['flat']['us']:.0f} | {m['memset']['us']:.0f} | "
              f"{m['gouraud']['us'] / m['flat']['us']:.2f} |")
    print(f"\nload average during the run: {result['load_average']:.2f}; CPU: {model}")


if __name__ == "__main__":
    main(*sys.argv[1:4])
