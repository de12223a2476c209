#!/usr/bin/env python3
"""An independent implementation of the image definition, in Python.

Python floats are IEEE doubles evaluated exactly in the order written, with
no fused operations, so its counts are the definition's. The palettes are
rebuilt here from their rules, not copied from the C++ tables. Renders a
sample of pixels of a view and compares them with a BMP from quellarin-render.

usage: reference_render.py RENDERER WORKDIR
"""
import os
import subprocess
import sys


def level(v):
    return 0xFF if v >= 0x100 else v


def hue_circle(per_sixth):
    step = 0x100 // per_sixth
    out = []
    for sixth in range(6):
        for j in range(per_sixth):
            up, down = level(j * step), level(0x100 - j * step)
            r, g, b = [(0xFF, up, 0), (down, 0xFF, 0), (0, 0xFF, up),
                       (0, down, 0xFF), (up, 0, 0xFF), (0xFF, 0, down)][sixth]
            out.append((r, g, b))
    return out


def ramp(start, end, steps):
    """From start (exclusive) to end (inclusive) in equal channel steps."""
    out = []
    for k in range(1, steps + 1):
        out.append(tuple(level(s + (e - s) * k // steps) if e >= s else e + (s - e) * (steps - k) // steps
                         for s, e in zip(start, end)))
    return out


def path(points, steps=16):
    out = []
    for a, b in zip(points, points[1:]):
        out += ramp(a, b, steps)
    return out


K, W = (0, 0, 0), (0x100, 0x100, 0x100)
R, G, B = (0x100, 0, 0), (0, 0x100, 0), (0, 0, 0x100)
Y, C, M = (0x100, 0x100, 0), (0, 0x100, 0x100), (0x100, 0, 0x100)


def clamp(p):
    return tuple(tuple(level(v) for v in c) for c in p)


def up_and_back(points):
    up = clamp(path(points))
    return list(up) + list(reversed(up[1:-1]))


def grey(n):
    up = [level(0x100 * k // n) for k in range(1, n + 1)]
    seq = up + list(reversed(up[1:-1]))
    return [(v, v, v) for v in seq]


PALETTES = [
    hue_circle(4), hue_circle(8), hue_circle(16),
    up_and_back([K, B, W]),
    up_and_back([K, R, Y]),
    clamp(path([K, G, W, M, K]))[:-1],
    clamp(path([K, B, W, Y, R, K]))[:-1],
    clamp(path([K, R, Y, W, C, B, K]))[:-1],
    [(0xFF, 0, 0), (0, 0xFF, 0xFF)], [(0, 0, 0xFF), (0xFF, 0xFF, 0)], [(0, 0xFF, 0), (0xFF, 0, 0xFF)],
    [(0xFF, 0xFF, 0xFF)],
    grey(4), grey(8), grey(16),
]
LENGTHS = [24, 48, 96, 62, 62, 63, 79, 95, 2, 2, 2, 1, 6, 14, 30]
assert [len(p) for p in PALETTES] == LENGTHS, [len(p) for p in PALETTES]


def escape_time(figure, re, im, limit):
    zr, zi, n = re, im, 0
    while True:
        zr2, zi2 = zr * zr, zi * zi
        if zr2 + zi2 > 4.0 or n >= limit:
            return n
        if figure == 0:
            zr, zi = (zr2 - zi2) + re, (zi * zr + zi * zr) + im
        elif figure == 1:
            zr, zi = zr * (zr2 - 3.0 * zi2) + re, zi * (3.0 * zr2 - zi2) + im
        else:
            zr, zi = ((zr2 - 6.0 * zi2) * zr2 + zi2 * zi2) + re, (zr2 - zi2) * (4.0 * (zi * zr)) + im
        n += 1


# Views that no other test uses: (centre x, centre y, radius, limit, figure, palette).
VIEWS = [
    (-0.16, 1.035, 0.03, 600, 0, 5),
    (-1.7685, 0.0012, 0.004, 400, 0, 13),
    (0.42, -0.31, 0.2, 300, 1, 6),
    (-0.55, 0.62, 0.07, 250, 2, 7),
    (1.1, 1.3, 3.9, 50, 0, 3),
]
STEP = 23  # every 23rd row and column: rows and columns of every residue mod 8


def check(renderer, workdir, view):
    cx, cy, r, limit, figure, palette = view
    out = os.path.join(workdir, "reference.bmp")
    subprocess.run([renderer, "--center-x", repr(cx), "--center-y", repr(cy), "--radius", repr(r),
                    "--iterations", str(limit), "--figure", str(figure), "--palette", str(palette),
                    "--output", out], check=True, stdout=subprocess.DEVNULL)
    data = open(out, "rb").read()
    width = height = 640
    pixels = data[54:]
    bad = 0
    for i in range(0, height, STEP):
        im = ((2 * i - height) * r) / height + cy
        for x in range(0, width, STEP):
            re = ((2 * x - width) * r) / width + cx
            n = escape_time(figure, re, im, limit)
            if n < limit:
                red, green, blue = PALETTES[palette][n % LENGTHS[palette]]
                want = bytes((blue, green, red))
            else:
                want = b"\0\0\0"
            at = 3 * (x + width * i)
            if pixels[at:at + 3] != want:
                bad += 1
                if bad <= 5:
                    print(f"view {view}: pixel x={x} row={i} is {pixels[at:at+3].hex()}, expected {want.hex()}")
    return bad


def main():
    renderer, workdir = sys.argv[1], sys.argv[2]
    os.makedirs(workdir, exist_ok=True)
    failed = sum(1 for view in VIEWS if check(renderer, workdir, view))
    print(f"{len(VIEWS) - failed} views identical, {failed} different")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
