#!/usr/bin/env python3
"""Window layouts from the settings file, judged by what is on the screen: each
page fills its view with its own colour. Tile puts the three pages one above
another, each across the whole width; Cascade overlaps them, each offset down
and right from the one before, the last page opened in front."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import scenario as s  # noqa: E402
from scenario import Scenario, close_to, page  # noqa: E402

NAMES = ("red", "green", "violet")   # in slot order, so also the order they open in
COLOURS = {"red": (220, 40, 40), "green": (40, 170, 60), "violet": (190, 40, 200)}
STEP = 8      # sampling grid, px
MARGIN = 25   # rows left out at the top (menu bar) and bottom (status bar)


def colour_of(rgb):
    return next((n for n in NAMES if close_to(rgb, COLOURS[n])), None)


def survey(image, rect):
    """For each page colour: how many grid points show it and their bounding box.
    A point counts only where its colour runs on across the next grid points, so a
    toolbar icon of a similar colour is not taken for a page."""
    x0, y0, w, hgt = rect
    found = {n: {"count": 0, "box": None} for n in NAMES}
    total = 0
    for y in range(y0 + MARGIN, y0 + hgt - MARGIN, STEP):
        row = [colour_of(image.pixel(x, y)) for x in range(x0, x0 + w, STEP)]
        for i, x in enumerate(range(x0, x0 + w, STEP)):
            total += 1
            name = row[i]
            run = row[i:i + 4] if i + 4 <= len(row) else row[-4:]
            if name and all(r == name for r in run):
                f = found[name]
                f["count"] += 1
                b = f["box"] or (x, y, x, y)
                f["box"] = (min(b[0], x), min(b[1], y), max(b[2], x), max(b[3], y))
    return found, total


def column_runs(image, rect, x):
    """The page colours met going down column x, as runs of at least 60 px."""
    runs, current, length = [], None, 0
    for y in range(rect[1] + MARGIN, rect[1] + rect[3] - MARGIN):
        name = colour_of(image.pixel(x, y))
        if name == current:
            length += 1
            continue
        if current and length >= 60:
            runs.append(current)
        current, length = name, 1
    if current and length >= 60:
        runs.append(current)
    return [r for i, r in enumerate(runs) if i == 0 or runs[i - 1] != r]


def tiled_problem(image, rect):
    x0, _, w, _ = rect
    for frac in (0.1, 0.9):
        runs = column_runs(image, rect, x0 + int(w * frac))
        if runs != list(NAMES):
            return f"at {int(frac * 100)}% of the width the pages run {runs} from top to bottom"
    found, _ = survey(image, rect)
    for n in NAMES:
        box = found[n]["box"]
        if not box or box[0] > x0 + w * 0.05 or box[2] < x0 + w * 0.95:
            return f"page {n} does not span the window's width (seen at {box})"
    boxes = [found[n]["box"] for n in NAMES]
    if not (boxes[0][3] < boxes[1][1] and boxes[1][3] < boxes[2][1]):
        return f"the pages overlap instead of lying one above another: {boxes}"
    return None


def cascaded_problem(image, rect):
    x0, y0, w, hgt = rect
    found, total = survey(image, rect)
    front = found["violet"]
    if front["count"] < total * 0.15:
        return (f"the page opened last (violet) shows on {front['count']} of {total} points: "
                "the pages are not shown at a usable size")
    box = front["box"]
    if box[0] < x0 + 5 or box[1] < y0 + MARGIN + 15:
        return f"the front page starts at the corner ({box}), not offset like a cascade"
    if box[2] < x0 + w * 0.5 or box[3] < y0 + hgt * 0.5:
        return f"the front page covers only {box} of the window"
    if colour_of(image.pixel(x0 + 3, y0 + MARGIN + 2)) == "violet":
        return "the front page reaches the window's top-left corner"
    if tiled_problem(image, rect) is None:
        return "the pages are tiled, not cascaded"
    return None


def run_layout(sc, ini, what, judge, last=False):
    home = sc.new_home()
    h.write_ini(home, ini)
    h.write_dat(home, [(sc.url(f"/{n}"), True, n.capitalize()) for n in NAMES])
    before = sc.counts(NAMES)
    app = sc.start(home=home)
    sc.main_window(app=app)
    for n in NAMES:
        sc.wait_beacons(n, before[n] + 1, 60, f"with the {what} layout")
    sc.settle(NAMES, quiet=1.0)
    main_win = sc.main_window()
    rect = s.client_rect(main_win, sc.env)
    sc.expect(rect, "the main window has no geometry")
    problem = [None]

    def settled():
        problem[0] = judge(s.grab(sc.env), rect)
        return problem[0] is None

    if not h.wait_for(settled, 15, 0.5):
        sc.fail(f"{what} layout: {problem[0]}")
    if last:
        sc.final_shot()
    else:
        sc.shot(what)
    sc.key(main_win, "alt+f")
    sc.key(None, "x")
    if app.wait(20) is None:
        sc.fail("Velloran was still running 20 s after File > Exit")


def main(args):
    pages = {f"/{n}": page(n, background="#%02x%02x%02x" % COLOURS[n]) for n in NAMES}
    with Scenario(__file__, args, "e2e_layouts", pages) as sc:
        run_layout(sc, [0, 0, 1, -1, 0, 0], "tile", tiled_problem)
        run_layout(sc, [0, 0, 1, 0, -1, 0], "cascade", cascaded_problem, last=True)


if __name__ == "__main__":
    h.run(main)
