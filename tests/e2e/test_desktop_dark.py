#!/usr/bin/env python3
"""A desktop with a dark palette: the tab strip, the status bar and the toolbar
draw with the palette's colours, so their texts stay light on dark; pages are told
the desktop prefers dark."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktops  # noqa: E402
import harness as h  # noqa: E402
import scenario as s  # noqa: E402
from scenario import Scenario, page  # noqa: E402


def main(args):
    scheme = ("<script>fetch('/loaded?page=scheme-' +"
              " (matchMedia('(prefers-color-scheme: dark)').matches ? 'dark' : 'light'));</script>")
    pages = {"/one": page("one", background="#ffffff"), "/two": page("two", body=scheme)}
    with Scenario(__file__, args, "e2e_desktop_dark", pages) as sc:
        h.write_ini(sc.home, [0, 0, 1, 0, 0, -1])
        h.write_dat(sc.home, [(sc.url("/one"), True, "One"), (sc.url("/two"), True, "Two")])
        app = sc.start(extra_env=desktops.dark_session(sc.home))
        main_win = sc.main_window(app=app)
        sc.wait_beacons("one", 1, 60, "after start")
        sc.settle(["one", "two"])
        sc.expect(sc.counts(["scheme-dark"])["scheme-dark"] == 1, "pages are not told the desktop prefers dark")
        time.sleep(0.5)
        rect = s.client_rect(main_win, sc.env)
        row, cells = sc.tab_strip(main_win)
        img = s.grab(sc.env)

        def readable(y, x0, x1, what):
            lums = [desktops.luminance(img.pixel(x, y)) for x in range(x0, x1)]
            dark = sum(1 for v in lums if v < 90)
            sc.expect(dark * 2 > len(lums), f"{what} is drawn light on a dark desktop: "
                      f"{img.pixel(x0 + 2, y)}")
            sc.expect(max(lums) > 170, f"{what} shows no light text")

        # The front tab ("One") and a back tab ("Two"), through their labels.
        for i, what in ((0, "the front tab"), (1, "a back tab")):
            left, right = cells[i]
            ys = [y for y in range(row - 8, row + 16)
                  if max(desktops.luminance(img.pixel(x, y)) for x in range(left + 3, right - 3)) > 170]
            sc.expect(ys, f"{what} shows no light text")
            readable(ys[0], left + 3, right - 3, what)
        # The status bar's first panel, along the text of the page's title.
        bottom = rect[1] + rect[3]
        ys = [y for y in range(bottom - 20, bottom - 2)
              if max(desktops.luminance(img.pixel(x, y)) for x in range(rect[0] + 4, rect[0] + 200)) > 170]
        sc.expect(ys, "the status bar shows no light text")
        readable(ys[len(ys) // 2], rect[0] + 4, rect[0] + 200, "the status bar")
        # The toolbar under the tab strip: its background follows the palette.
        tb_y = row + 26
        sc.expect(desktops.luminance(img.pixel(rect[0] + rect[2] // 2, tb_y)) < 90,
                  f"the toolbar is drawn light: {img.pixel(rect[0] + rect[2] // 2, tb_y)}")
        sc.final_shot()


if __name__ == "__main__":
    h.run(main)
