#!/usr/bin/env python3
"""Finds include circles in the program's code.

A header and the source file of the same name are one room: a header whose
source includes a header that includes it back closes a circle as surely as
two headers that include each other. Prints each circle found, one line
each, and exits 1 when there is one.

usage: include_cycles.py ROOT
"""
import re
import sys
from pathlib import Path

FOLDERS = ("engine", "shell", "cli", "deep")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def rooms(root):
    """Each room (a file's stem in its folder) with the rooms it includes."""
    files = [p for f in FOLDERS for p in (root / f).glob("*") if p.suffix in (".h", ".cpp")]
    by_name = {p.name: p for p in files}
    room_of = lambda p: f"{p.parent.name}/{p.stem}"
    graph = {}
    for p in files:
        edges = graph.setdefault(room_of(p), set())
        for name in INCLUDE.findall(p.read_text(encoding="utf-8")):
            target = by_name.get(Path(name).name)
            if target is not None and room_of(target) != room_of(p):
                edges.add(room_of(target))
    return graph


def circles(graph):
    """One circle through each strongly connected group of rooms (Tarjan)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on_stack.add(v)
        for w in sorted(graph.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                group.append(w)
                if w == v:
                    break
            if len(group) > 1:
                found.append(sorted(group))

    for v in sorted(graph):
        if v not in index:
            visit(v)
    return found


def main():
    root = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    found = circles(rooms(root))
    for group in found:
        print("include circle: " + " <-> ".join(group))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
