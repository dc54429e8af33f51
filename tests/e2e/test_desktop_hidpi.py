#!/usr/bin/env python3
"""High DPI: at scale factors 1.5 and 2, on screens of 1280 x 800 logical pixels,
the tab strip keeps its layout in logical pixels (its cells grow with the scale),
and the main window and Set Up are shot for the eye."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktops  # noqa: E402
import harness as h  # noqa: E402
import scenario as s  # noqa: E402
from scenario import Scenario, page  # noqa: E402


def strip_cells(run, main_win, scale):
    """The tab strip's eight equal cells, found by their edges as
    scenario.find_tab_strip does, with gaps that grow with the scale."""
    rect = s.client_rect(main_win, run.env)
    img = s.grab(run.env)
    x0, x1 = rect[0], min(rect[0] + rect[2], img.width) - 1
    background = img.pixel(x0 + 2, rect[1] + 2)
    for y in range(rect[1] + 5, min(rect[1] + int(130 * scale), img.height)):
        runs = s._uniform_runs(img, y, x0, x1, background, 15)
        widths = [b - a for a, b in runs[:8]]
        if (len(runs) >= 8 and all(b[0] - a[1] <= 6 * scale for a, b in zip(runs, runs[1:]))
                and max(widths) - min(widths) <= 3 * scale):  # eight cells of one width
            return runs
    return None


def cell_widths(sc, scale):
    name = f"e2e_desktop_hidpi_{str(scale).replace('.', '_')}"
    pages = {"/one": page("one"), "/two": page("two")}
    with desktops.screen_size(int(1280 * scale), int(800 * scale)), \
            Scenario(__file__, sc, name, pages) as run:
        h.write_ini(run.home, [0, 0, 1, 0, 0, -1])
        h.write_dat(run.home, [(run.url("/one"), True, "One"), (run.url("/two"), True, "A longer alias")])
        app = run.start(extra_env={"QT_SCALE_FACTOR": str(scale)})
        main_win = run.main_window(app=app)
        run.wait_beacons("one", 1, 60, "after start")
        run.settle(["one", "two"])
        cells = h.wait_for(lambda: strip_cells(run, main_win, scale), 15, 0.5)
        run.expect(cells, "the tab strip is not shown under the menu bar")
        run.shot("main")
        run.key(main_win, "alt+s")
        setup = run.setup_dialog()
        time.sleep(1)
        rect = s.client_rect(setup, run.env)
        run.expect(rect and rect[0] >= 0 and rect[1] >= 0 and rect[0] + rect[2] <= 1280 * scale
                   and rect[1] + rect[3] <= 800 * scale, f"Set Up does not fit on the screen: {rect}")
        run.shot("setup")
        return [b - a for a, b in cells[:8]]


def main(args):
    base = None
    for scale in (1, 1.5, 2):
        widths = cell_widths(args, scale)
        if base is None:
            base = widths
            continue
        for got, one in zip(widths, base):
            h.check(abs(got - one * scale) <= 2 * scale + 1,
                    f"at scale {scale} the tab cells are {widths} px wide; at scale 1 {base}")


if __name__ == "__main__":
    h.run(main)
