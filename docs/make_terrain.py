#!/usr/bin/env python3
"""Writes a coloured terrain as a binary PLY (vertex colours by height):
water, grass, rock and snow on a 160 x 160 grid of rolling hills. The
README's "your own model in its colours" pictures are drawn from it:

    python3 docs/make_terrain.py terrain.ply
"""
import math
import struct
import sys

N = 160
TILT_COS = math.cos(math.radians(-40.0))
TILT_SIN = math.sin(math.radians(-40.0))


def height(x, y):
    return (0.35 * math.sin(3.1 * x) * math.cos(2.3 * y)
            + 0.22 * math.sin(5.7 * x + 1.3) * math.sin(4.1 * y + 0.4)
            + 0.5 * math.exp(-((x - 0.25) ** 2 + (y + 0.1) ** 2) * 5.0))


def colour(h):
    if h < -0.05:
        return (40, 90, 200)
    if h < 0.25:
        return (60, 150, 50)
    if h < 0.5:
        return (130, 100, 70)
    return (240, 240, 245)


def main(path):
    vertices = []
    for j in range(N):
        for i in range(N):
            x = -1.0 + 2.0 * i / (N - 1)
            y = -1.0 + 2.0 * j / (N - 1)
            h = height(x, y)
            # Tilted towards the viewer, who looks along +z, so that the
            # picture looks down on the hills.
            up = max(h, -0.05)
            vertices.append((x, up * TILT_COS + y * TILT_SIN, y * TILT_COS - up * TILT_SIN)
                            + colour(h))
    faces = []
    for j in range(N - 1):
        for i in range(N - 1):
            a = j * N + i
            faces.append((a, a + N, a + N + 1, a + 1))
    with open(path, "wb") as f:
        f.write(("ply\nformat binary_little_endian 1.0\nelement vertex %d\n"
                 "property float x\nproperty float y\nproperty float z\n"
                 "property uchar red\nproperty uchar green\nproperty uchar blue\n"
                 "element face %d\nproperty list uchar int vertex_indices\nend_header\n"
                 % (len(vertices), len(faces))).encode())
        for v in vertices:
            f.write(struct.pack("<fffBBB", *v))
        for face in faces:
            f.write(struct.pack("<B4i", 4, *face))


if __name__ == "__main__":
    main(sys.argv[1])
