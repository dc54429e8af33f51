#!/usr/bin/env python3
"""Lists the include edges between the folders of src/ and every pair of folders
that include each other (directly or through others). Exit status 1 when there is
a cycle, so a build step or a reader can check the layering with one command:

    python3 scripts/folder-includes.py
"""
import pathlib
import re
import sys

root = pathlib.Path(__file__).resolve().parent.parent / "src"
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder(path: pathlib.Path) -> str:
    rel = path.relative_to(root)
    return str(rel.parent) if rel.parent != pathlib.Path(".") else "."


edges: dict[str, set[str]] = {}
for f in root.rglob("*"):
    if f.suffix not in (".h", ".cpp"):
        continue
    src = folder(f)
    for target in include.findall(f.read_text(encoding="utf-8", errors="replace")):
        if not (root / target).exists():
            continue
        dst = folder(root / target)
        if dst != src:
            edges.setdefault(src, set()).add(dst)


def reaches(a: str, b: str) -> bool:
    seen, todo = set(), [a]
    while todo:
        n = todo.pop()
        for m in edges.get(n, ()):
            if m == b:
                return True
            if m not in seen:
                seen.add(m)
                todo.append(m)
    return False


for src in sorted(edges):
    print(f"{src} -> {', '.join(sorted(edges[src]))}")
names = sorted(set(edges) | {d for ds in edges.values() for d in ds})
direct = [(a, b) for a in names for b in names if a < b and b in edges.get(a, ()) and a in edges.get(b, ())]
cycles = [(a, b) for a in names for b in names if a < b and reaches(a, b) and reaches(b, a)]
print(f"pairs including each other directly: {len(direct)} {direct}")
print(f"pairs in a cycle: {len(cycles)} {cycles}")
sys.exit(1 if cycles else 0)
