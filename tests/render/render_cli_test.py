#!/usr/bin/env python3
"""octaspin-render as a process: exit codes, messages, outputs and the
atomic write, and the knot's picture byte for byte (the same file bytes as
the in-process golden test, so the same on Linux and under Wine).

    render_cli_test.py --program PATH --model KNOT.obj [--emulator CMD...]

--emulator runs the program through another command (the Windows build's
wine-test.sh); file identities (inodes) are then not compared.
"""
import argparse
import os
import shlex
import subprocess
import sys
import tempfile

# FNV-1a of the PNG file of the knot at 64 x 48, default options: the
# value tests/render/picture_test.cpp checks in-process.
KNOT_PNG_FNV = 2697325077593579507

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def fnv1a(data):
    h = 14695981039346656037
    for b in data:
        h = ((h ^ b) * 1099511628211) & 0xFFFFFFFFFFFFFFFF
    return h


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--model", required=True)
    parser.add_argument("--emulator", default="")
    args = parser.parse_args()
    emulator = shlex.split(args.emulator)
    native = not emulator

    def run(*arguments):
        return subprocess.run(emulator + [args.program, *arguments], capture_output=True,
                              timeout=120)

    work = tempfile.mkdtemp(prefix="octaspin-render-")
    knot = args.model

    # Help and version.
    r = run("--help")
    check(r.returncode == 0 and b"usage: octaspin-render" in r.stdout, "--help")
    r = run("--version")
    check(r.returncode == 0 and r.stdout.startswith(b"octaspin-render "), "--version")

    # Usage errors: exit 2, the reason and the usage line, no file.
    out = os.path.join(work, "never.png")
    usage_cases = [
        ["-s", "0"], ["-s", "4097"], ["--size", "10x0"], ["--size", "5000x10"], ["--size", "12y"],
        ["--samples", "0"], ["--samples", "5"], ["--threads", "0"], ["--view", "sideways"],
        ["--mode", "dots"], ["--color", "green"], ["--color", "#12345"],
        ["--background", "#gg0000"], ["--bogus"], ["-s"],
    ]
    for extra in usage_cases:
        r = run(*extra, knot, "-o", out)
        lines = r.stderr.decode(errors="replace").strip().splitlines()
        check(r.returncode == 2 and len(lines) == 2 and lines[1].startswith("usage:"),
              f"usage error for {extra}: {r.returncode} {lines}")
    for arguments in ([knot], ["-o", out], [knot, knot + "x", "-o", out],
                      [knot, knot, "-o", "-"]):
        r = run(*arguments)
        check(r.returncode == 2 and b"usage:" in r.stderr, f"usage error for {arguments}")
    check(not os.path.exists(out), "a usage error left a file")

    # A model that cannot be read: its one-line message, exit 2, no file.
    hostile = os.path.join(work, "hostile.ply")
    with open(hostile, "wb") as f:
        f.write(b"ply\nformat binary_little_endian 1.0\nelement vertex 4000000000\n"
                b"property float x\nend_header\n\x00\x01")
    for bad in (os.path.join(work, "missing.obj"), hostile):
        r = run(bad, "-o", out)
        lines = r.stderr.decode(errors="replace").strip().splitlines()
        check(r.returncode == 2 and len(lines) == 1 and lines[0].startswith(bad + ": "),
              f"unreadable {bad}: {r.returncode} {lines}")
        check(not os.path.exists(out), f"unreadable {bad} left a file")

    # The picture, byte for byte; standard output gives the same bytes; so
    # does every thread count.
    picture = os.path.join(work, "knot.png")
    r = run("-s", "64x48", knot, "-o", picture)
    check(r.returncode == 0 and r.stderr == b"", f"knot: {r.returncode} {r.stderr!r}")
    data = open(picture, "rb").read() if os.path.exists(picture) else b""
    check(fnv1a(data) == KNOT_PNG_FNV, f"knot picture checksum {fnv1a(data)}")
    r = run("-s", "64x48", knot, "-o", "-")
    check(r.returncode == 0 and r.stdout == data, "standard output differs from the file")
    for threads in ("1", "3"):
        r = run("-s", "64x48", "--threads", threads, knot, "-o", "-")
        check(r.stdout == data, f"--threads {threads} gives other bytes")

    # An existing file is overwritten in place (its inode stays); a new one
    # leaves nothing else in the folder.
    before = os.stat(picture)
    r = run("-s", "32", knot, "-o", picture)
    after = os.stat(picture)
    check(r.returncode == 0 and open(picture, "rb").read() != data, "existing file not rewritten")
    if native:
        check(before.st_ino == after.st_ino, "existing file replaced, not overwritten in place")
    check(sorted(os.listdir(work)) == ["hostile.ply", "knot.png"],
          f"left in the folder: {sorted(os.listdir(work))}")

    # A batch into a folder: every readable model drawn, one line for each
    # one that is not, exit 2; pictures named for the models.
    batch = os.path.join(work, "batch")
    os.mkdir(batch)
    copy = os.path.join(work, "second.obj")
    with open(copy, "wb") as f:
        f.write(open(knot, "rb").read())
    r = run("-s", "64x48", knot, hostile, copy, os.path.join(work, "missing.stl"), "-o", batch)
    lines = r.stderr.decode(errors="replace").strip().splitlines()
    check(r.returncode == 2 and len(lines) == 2, f"batch: {r.returncode} {lines}")
    check(sorted(os.listdir(batch)) == ["knot.png", "second.png"],
          f"batch wrote {sorted(os.listdir(batch))}")
    for name in ("knot.png", "second.png"):
        path = os.path.join(batch, name)
        check(os.path.exists(path) and fnv1a(open(path, "rb").read()) == KNOT_PNG_FNV,
              f"batch picture {name}")
    r = run(knot, knot, "-o", batch)
    check(r.returncode == 2 and b"two models" in r.stderr,
          "two models with one picture name were accepted")

    if failures:
        print(f"{len(failures)} checks failed (files in {work})")
        return 1
    print("octaspin-render: every check passed")
    subprocess.run(["rm", "-rf", work])
    return 0


if __name__ == "__main__":
    sys.exit(main())
