#!/usr/bin/env python3
"""Timed refresh: with "Every 1 minute" ticked, every page reloads on each tick,
the pages in hidden tabs too; with it off, no page reloads by itself.

VELLORAN_MINUTE_MS shortens the program's minute to two seconds for the run."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
from scenario import Scenario, page  # noqa: E402

NAMES = ("north", "east", "south")
MINUTE_MS = 2000
RELOADS = 3          # reloads each page must show with the timer on
QUIET_MINUTES = 6    # minutes watched with the timer off


def main(args):
    pages = {f"/{n}": page(n) for n in NAMES}
    clock = {"VELLORAN_MINUTE_MS": str(MINUTE_MS)}
    with Scenario(__file__, args, "e2e_timed_refresh", pages) as sc:
        records = [(sc.url(f"/{n}"), True, n.capitalize()) for n in NAMES]

        # Every 1 minute, tabbed: two of the three pages sit in hidden tabs.
        app, _ = sc.start_pages([0, -1, 1, 0, 0, -1], NAMES, extra_env=clock)
        first = sc.counts(NAMES)
        for n in NAMES:
            sc.wait_beacons(n, first[n] + RELOADS, 30,
                            f"with a refresh every minute ({MINUTE_MS} ms)")
        sc.expect(app.alive(), "Velloran ended while refreshing")
        sc.shot("every-minute")
        sc.key(sc.main_window(), "alt+f")
        sc.key(None, "x")
        if app.wait(20) is None:
            sc.fail("Velloran was still running 20 s after File > Exit")

        # The same pages with the timed refresh off: each loads once and stays.
        home = sc.new_home()
        h.write_ini(home, [0, 0, 1, 0, 0, -1])
        h.write_dat(home, records)
        before = sc.counts(NAMES)
        app = sc.start(home=home, extra_env=clock)
        sc.main_window(app=app)
        for n in NAMES:
            sc.wait_beacons(n, before[n] + 1, 60, "after the second start")
        loaded = sc.settle(NAMES, quiet=1.0)
        for n in NAMES:
            sc.expect(loaded[n] == before[n] + 1,
                      f"page {n} loaded {loaded[n] - before[n]} times at start, expected once")
        sc.no_new_beacons(loaded, QUIET_MINUTES * MINUTE_MS / 1000,
                          f"with the timed refresh off, a page reloaded within {QUIET_MINUTES} minutes")
        sc.expect(app.alive(), "Velloran ended")
        sc.final_shot()


if __name__ == "__main__":
    h.run(main)
