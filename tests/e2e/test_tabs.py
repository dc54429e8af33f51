#!/usr/bin/env python3
"""Tabbed pages: clicking a tab brings its page to the front (and, with Refresh
On Active, reloads it), the close cell closes the page in front, a closed tab no
longer answers clicks, and the File menu opens a closed page again.

Each page fills its view with its own colour, so the colour in the middle of
the main window tells which page is in front."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
from scenario import Scenario, close_to, page  # noqa: E402

NAMES = ("alpha", "beta", "gamma")
ALIASES = ("Alpha", "Beta", "Gamma")
COLOURS = {"alpha": (220, 40, 40), "beta": (40, 170, 60), "gamma": (40, 80, 220)}


def css(rgb):
    return "#%02x%02x%02x" % rgb


def main(args):
    pages = {f"/{n}": page(n, background=css(COLOURS[n])) for n in NAMES}
    with Scenario(__file__, args, "e2e_tabs", pages) as sc:
        # Refresh On Active, tabbed: every activation of a page reloads it.
        app, main_win = sc.start_pages([-1, 0, 1, 0, 0, -1], NAMES, ALIASES)
        base = sc.settle(NAMES)
        # Found again now that it holds pages: the window is made anew for them.
        main_win = sc.main_window()
        row, cells = sc.tab_strip(main_win)
        sc.expect(len(cells) == 9, f"the tab strip shows {len(cells)} cells, expected eight "
                  "tabs and the close cell")
        tabs, close_cell = cells[:8], cells[8]

        def click(cell):
            sc.click((cell[0] + cell[1]) // 2, row)

        def front():
            rgb = sc.shown_colour(main_win)
            return next((n for n in NAMES if close_to(rgb, COLOURS[n])), None)

        def wait_front(name, why, timeout=15):
            if not h.wait_for(lambda: front() == name, timeout, 0.3):
                sc.fail(f"{why}: expected {name or 'no page'} in front, "
                        f"found {front() or 'no page'} ({sc.shown_colour(main_win)})")

        wait_front("alpha", "after start")

        # Each tab click shows that page and so reloads it, and only it.
        for slot in (2, 3, 1):
            name = NAMES[slot - 1]
            click(tabs[slot - 1])
            wait_front(name, f"after clicking tab {slot}")
            sc.wait_beacons(name, base[name] + 1, 15, f"after clicking tab {slot}")
            now = sc.settle(NAMES, quiet=1.0)
            expected = dict(base, **{name: base[name] + 1})
            sc.expect(now == expected, f"clicking tab {slot} reloaded {now}, expected {expected}")
            base = now

        # The close cell closes the page in front; another open page may come
        # forward in its place (reloaded as it is activated), or none.
        open_slots = [1, 2, 3]
        while open_slots:
            shown = front()
            if shown is None:
                slot = open_slots[0]
                name = NAMES[slot - 1]
                click(tabs[slot - 1])
                wait_front(name, f"after clicking tab {slot}")
                sc.wait_beacons(name, base[name] + 1, 15, f"after clicking tab {slot}")
                base = sc.settle(NAMES, quiet=1.0)
                shown = name
            slot = NAMES.index(shown) + 1
            sc.expect(slot in open_slots, f"page {slot} came forward after it was closed")
            click(close_cell)
            if not h.wait_for(lambda: front() != shown, 10, 0.3):
                sc.fail(f"the close cell left page {slot} ({shown}) in front")
            open_slots.remove(slot)
            now = sc.settle(NAMES, quiet=1.0)
            forward = front()
            if forward is not None:
                sc.expect(NAMES.index(forward) + 1 in open_slots,
                          f"closing page {slot} brought forward {forward}, which is closed")
            for n in NAMES:
                if n != forward:
                    sc.expect(now[n] == base[n], f"closing page {slot} reloaded {n}: {base} -> {now}")
            base = now

        # Nothing is left: the former tabs open nothing, and the program stays.
        for slot in (1, 2, 3):
            click(tabs[slot - 1])
        sc.no_new_beacons(base, 4, "a tab of a closed page still opened its page")
        wait_front(None, "after clicking the tabs of closed pages")
        sc.expect(app.alive(), "Velloran ended when its last page was closed")
        sc.main_window(timeout=5)

        # The File menu now lists Close Window, Print..., then the closed pages in
        # slot order: the third entry down from the first is the second page.
        sc.key(main_win, "alt+f")
        sc.key(None, "Down Down Down Return")
        name = NAMES[1]
        wait_front(name, "after choosing the second page from the File menu")
        sc.wait_beacons(name, base[name] + 1, 20, "after choosing it from the File menu")
        now = sc.settle(NAMES, quiet=1.0)
        # Opening it and activating it may load it once or twice; the others stay.
        sc.expect(all(now[n] == base[n] for n in NAMES if n != name),
                  f"the File menu item also reloaded another page: {base} -> {now}")
        # The first page stays closed: its tab still opens nothing.
        click(tabs[0])
        sc.no_new_beacons(now, 3, "reopening the second page brought back the first page's tab")
        wait_front(name, "after clicking the closed first tab")
        sc.expect(app.alive(), "Velloran ended")
        sc.final_shot()


if __name__ == "__main__":
    h.run(main)
