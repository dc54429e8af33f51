#!/usr/bin/env python3
"""First start with no data file: the missing-file message, then Set Up, where
the user types three pages (the third not loaded at start) and picks tabbed
windows. OK writes both files exactly, loads the two auto-load pages; after
Exit and a new start the same two load again, in tabs, and the third waits on
the File menu."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
from scenario import Scenario, close_to, page  # noqa: E402

ROWS = [("one", "One", True), ("two", "Two", True), ("three", "Three", False)]
COLOURS = {"one": (220, 40, 40), "two": (40, 170, 60), "three": (40, 80, 220)}
NAMES = [r[0] for r in ROWS]


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def main(args):
    pages = {f"/{n}": page(n, background="#%02x%02x%02x" % COLOURS[n]) for n in NAMES}
    with Scenario(__file__, args, "e2e_first_start", pages) as sc:
        env = sc.env
        dat_path = os.path.join(sc.home, "velloran.dat")
        ini_path = os.path.join(sc.home, "velloran.ini")
        app = sc.start()
        main_win = sc.main_window(app=app)

        # The message comes first (a dialog titled Velloran over the main window).
        box = sc.message_box(60, "the message about the missing data file")
        sc.expect(not h.find_windows("Velloran - Set Up", env), "Set Up opened before the message")
        sc.answer_message(box)
        setup = sc.setup_dialog()

        # Typed as a person would: URL, Tab to Auto Load, Tab past Options... to the
        # alias, Tab on.
        for i, (name, alias, autoload) in enumerate(ROWS):
            sc.type(setup, sc.url(f"/{name}"))
            sc.key(setup, "Tab")
            if not autoload:
                sc.key(setup, "space")  # the boxes start ticked
            sc.key(setup, "Tab Tab")
            sc.type(setup, alias)
            if i < len(ROWS) - 1:
                sc.key(setup, "Tab")
        sc.key(setup, "alt+b")  # Tabbed
        sc.key(setup, "alt+o")  # OK
        if not h.wait_for(lambda: not h.find_windows("Velloran - Set Up", env), 15, 0.2):
            sc.fail("Set Up stayed open after OK")

        for name, _, autoload in ROWS:
            if autoload:
                sc.wait_beacons(name, 1, 60, "after OK in Set Up")
        # The pages open as tabs at once, so no restart notice is due.
        sc.no_message_box(3, "no message after OK")
        sc.settle(NAMES)
        sc.expect(sc.srv.request_count("/three") == 0,
                  "the page without Auto Load was loaded after OK")

        expected_dat = "".join(
            f'{slot},"{sc.url("/" + name)}",{-1 if auto else 0},"{alias}"\r\n'
            for slot, (name, alias, auto) in enumerate(ROWS, start=1))
        expected_dat += "".join(f'{slot},"",-1,""\r\n' for slot in range(len(ROWS) + 1, 9))
        got_dat = read_bytes(dat_path)
        sc.expect(got_dat == expected_dat.encode(),
                  f"velloran.dat holds {got_dat!r}, expected {expected_dat.encode()!r}")
        # Defaults (nothing ticked, 1 minute) with Tabbed chosen.
        got_ini = read_bytes(ini_path)
        sc.expect(got_ini == b"0,0,1,0,0,-1\r\n", f"velloran.ini holds {got_ini!r}")
        sc.shot("after-setup")

        # Exit from the File menu ends the program and takes the tray icon along.
        # (The main window is found afresh: it is made anew once it holds pages.)
        sc.key(sc.main_window(), "alt+f")
        sc.key(None, "x")
        if app.wait(20) is None:
            sc.fail("Velloran was still running 20 s after File > Exit")
        if not h.wait_for(lambda: not sc.desk.tray_icon_present(), 10):
            sc.fail("the tray icon stayed after Exit")
        sc.expect(read_bytes(dat_path) == got_dat, "velloran.dat changed on Exit")
        sc.expect(read_bytes(ini_path) == got_ini, "velloran.ini changed on Exit")

        # The next start: the same two pages, in tabs; the third waits on the menu.
        before = sc.counts(NAMES)
        app = sc.start()
        main_win = sc.main_window(app=app)
        sc.wait_beacons("one", before["one"] + 1, 60, "after the restart")
        sc.wait_beacons("two", before["two"] + 1, 60, "after the restart")
        sc.no_message_box(2, "no message on the second start")
        sc.settle(NAMES)
        sc.expect(sc.srv.request_count("/three") == 0, "the page without Auto Load was loaded at start")
        main_win = sc.main_window()
        row, cells = sc.tab_strip(main_win)
        sc.expect(len(cells) == 9, f"the tab strip shows {len(cells)} cells, expected 9")

        def front():
            rgb = sc.shown_colour(main_win)
            return next((n for n in NAMES if close_to(rgb, COLOURS[n])), None)

        sc.expect(h.wait_for(lambda: front() == "one", 10, 0.3),
                  f"the first tab's page is not in front after start ({front()})")
        # File: Open in Internet Explorer, Close Window, Print..., then the third page.
        sc.key(main_win, "alt+f")
        sc.key(None, "Down Down Down Return")
        sc.wait_beacons("three", 1, 30, "after choosing it from the File menu")
        sc.expect(h.wait_for(lambda: front() == "three", 10, 0.3),
                  f"the third page is not in front after choosing it ({front()})")
        sc.expect(app.alive(), "Velloran ended")
        sc.final_shot()


if __name__ == "__main__":
    h.run(main)
