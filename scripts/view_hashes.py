#!/usr/bin/env python3
"""The pinned count hashes of tests/test_views.h, computed independently.

Python floats are IEEE doubles, each operation rounded on its own and
evaluated in the order written, so these are the definition's counts: the
orbit starts at z0 = c; at step n, |z|^2 > 4 returns n, then n >= limit
returns n, then z moves to the next point. Each count is hashed as 4
little-endian bytes with FNV-1a, memory row by memory row (row 0 samples
centre y - r). Reads the table's rows from the header itself.

usage: scripts/view_hashes.py [NAME...]
  Prints each view's row hash next to the pinned one and exits 1 when any
  differs. With names, only those views (a new view's hash is computed
  here, never copied from a failing test). The whole table takes minutes:
  the 60000-step interiors are slow in pure Python.
"""
import math
import re
import struct
import sys
from pathlib import Path

TABLE = Path(__file__).resolve().parent.parent / "tests" / "test_views.h"
ROW = re.compile(r'\{"([^"]+)", \{([^}]*)\}, (\d+), (\d+), (0x[0-9a-f]+)\}')
CONSTANTS = {"NAN_VALUE": math.nan, "INF_VALUE": math.inf, "-INF_VALUE": -math.inf}


def number(text):
    text = text.strip()
    return CONSTANTS[text] if text in CONSTANTS else float(text)


def escape_time(figure, re_, im, limit):
    zr, zi = re_, im
    n = 0
    while True:
        zr2 = zr * zr
        zi2 = zi * zi
        if zr2 + zi2 > 4.0 or n >= limit:
            return n
        if figure == 0:
            zr, zi = (zr2 - zi2) + re_, (zi * zr + zi * zr) + im
        elif figure == 1:
            zr, zi = zr * (zr2 - 3.0 * zi2) + re_, zi * (3.0 * zr2 - zi2) + im
        else:
            zr, zi = ((zr2 - 6.0 * zi2) * zr2 + zi2 * zi2) + re_, (zr2 - zi2) * (4.0 * (zi * zr)) + im
        n += 1


def counts_hash(view, width, height):
    cx, cy, r = (number(v) for v in view[:3])
    limit, figure = int(view[3]), int(view[4])
    h = 14695981039346656037
    for i in range(height):
        im = (float(2 * i - height) * r) / height + cy
        for x in range(width):
            re_ = (float(2 * x - width) * r) / width + cx
            for byte in struct.pack("<i", escape_time(figure, re_, im, limit)):
                h = ((h ^ byte) * 1099511628211) & 0xFFFFFFFFFFFFFFFF
    return h


def main(names):
    rows = ROW.findall(TABLE.read_text())
    if names:
        rows = [row for row in rows if row[0] in names]
    differ = 0
    for name, view, width, height, pinned in rows:
        got = counts_hash(view.split(","), int(width), int(height))
        same = got == int(pinned, 16)
        differ += not same
        print(f"{name}: 0x{got:016x} {'pinned' if same else 'DIFFERS from the pinned ' + pinned}", flush=True)
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
