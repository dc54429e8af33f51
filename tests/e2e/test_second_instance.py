#!/usr/bin/env python3
"""A second start on the same data folder leaves at once and changes nothing:
the first program keeps running with its window, its one tray icon and its
pages, which do not load again."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import scenario as s  # noqa: E402
from scenario import Scenario, page  # noqa: E402

NAMES = ("first", "second")


def tray_icons(env):
    return sum(1 for sub in h._subtrees(h.window_tree(env), h._is_tray_panel)
               for row in sub if '"velloran"' in row[3].lower())


def main(args):
    pages = {f"/{n}": page(n) for n in NAMES}
    with Scenario(__file__, args, "e2e_second_instance", pages) as sc:
        env = sc.env
        h.write_ini(sc.home, [0, 0, 1, 0, 0, -1])
        h.write_dat(sc.home, [(sc.url(f"/{n}"), True, n.capitalize()) for n in NAMES])
        ini_before = open(os.path.join(sc.home, "velloran.ini"), "rb").read()
        dat_before = open(os.path.join(sc.home, "velloran.dat"), "rb").read()

        first = sc.start()
        sc.main_window(app=first)
        for n in NAMES:
            sc.wait_beacons(n, 1, 60, "after the first start")
        loaded = sc.settle(NAMES)
        main_win = sc.main_window()
        sc.expect(h.wait_for(lambda: tray_icons(env) == 1, 30, 0.3), "the first start put no icon in the tray")
        requests_before = len(sc.srv.requests)

        second = sc.start()
        windows_seen = set()
        deadline = time.monotonic() + 20
        while second.alive() and time.monotonic() < deadline:
            windows_seen.update(s.velloran_windows(env))
            time.sleep(0.1)
        code = second.wait(0.5)
        if code is None:
            sc.fail("a second start on the same data folder was still running after 20 s")
        sc.expect(code == 0, f"the second start ended with exit code {code}")
        sc.expect(windows_seen <= {main_win}, f"the second start showed windows {windows_seen - {main_win}}")

        # The first goes on as it was.
        sc.no_new_beacons(loaded, 4, "a page of the first program loaded again")
        sc.expect(len(sc.srv.requests) == requests_before,
                  f"the second start reached the pages: {[p for p, _ in sc.srv.requests[requests_before:]]}")
        sc.expect(first.alive(), "the first program ended when the second one started")
        sc.expect(s.velloran_windows(env) == [main_win],
                  f"the first program's windows changed: {s.velloran_windows(env)} instead of {[main_win]}")
        sc.expect(tray_icons(env) == 1, f"{tray_icons(env)} Velloran icons in the tray, expected 1")
        sc.expect(open(os.path.join(sc.home, "velloran.ini"), "rb").read() == ini_before,
                  "the second start changed velloran.ini")
        sc.expect(open(os.path.join(sc.home, "velloran.dat"), "rb").read() == dat_before,
                  "the second start changed velloran.dat")

        # And it still answers its user: File > Exit ends it.
        sc.final_shot()
        sc.key(main_win, "alt+f")
        sc.key(None, "x")
        if first.wait(20) is None:
            sc.fail("the first program did not end on File > Exit after the second start")


if __name__ == "__main__":
    h.run(main)
