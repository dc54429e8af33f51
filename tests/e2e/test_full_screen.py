#!/usr/bin/env python3
"""Full screen and Favorites: F11 shows the current page in a window of its own
across the whole screen and F11 brings the main window back; a shortcut from
the Favorites folder opens in the page in front; the full-screen window's Close
button at the top-right corner ends the program."""

import os
import time
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import scenario as s  # noqa: E402
from scenario import Scenario, page  # noqa: E402

NAMES = ("alpha", "beta")
ALIASES = ("Alpha", "Beta")
FULL_TITLE = "Velloran - Alpha"   # the first tab's page is the current one at start


def find_close_button(image, rect):
    """Centre of the red cross in the top-right corner of the window at rect."""
    x0, y0 = rect[0] + rect[2] - 60, rect[1]
    red = [(x, y) for x in range(max(0, x0), rect[0] + rect[2]) for y in range(y0, y0 + 40)
           if (lambda p: p[0] > 150 and p[1] < 110 and p[2] < 110)(image.pixel(x, y))]
    if len(red) < 10:
        return None
    return (sum(x for x, _ in red) // len(red), sum(y for _, y in red) // len(red))


def main(args):
    pages = {f"/{n}": page(n) for n in NAMES + ("fav",)}
    with Scenario(__file__, args, "e2e_full_screen", pages) as sc:
        env = sc.env
        h.write_ini(sc.home, [0, 0, 1, 0, 0, -1])
        h.write_dat(sc.home, [(sc.url(f"/{n}"), True, a) for n, a in zip(NAMES, ALIASES)])
        user_home = sc.new_home()
        os.makedirs(os.path.join(user_home, "Favorites"))
        with open(os.path.join(user_home, "Favorites", "Local page.url"), "w") as f:
            f.write(f"[InternetShortcut]\nURL={sc.url('/fav')}\n")

        app = sc.start(extra_env={"HOME": user_home})
        sc.main_window(app=app)
        for n in NAMES:
            sc.wait_beacons(n, 1, 60, "after start")
        sc.settle(NAMES)
        main_win = sc.main_window()
        screen_w = sc.desk.size[0]

        def enter_full_screen(why):
            sc.key(sc.main_window(), "F11")
            wins = h.find_windows(FULL_TITLE, env, 15)
            if not wins:
                sc.fail(f"F11 {why} opened no window titled '{FULL_TITLE}'")
            rect = s.client_rect(wins[0], env)
            sc.expect(rect and rect[0] <= 0 and rect[2] >= screen_w,
                      f"the full-screen window is at {rect}, not across the screen's {screen_w} px")
            if not h.wait_for(lambda: not s.velloran_windows(env, "NORMAL"), 10, 0.2):
                sc.fail("the main window stayed shown beside the full-screen window")
            return wins[0], rect

        full, _ = enter_full_screen("on the main window")
        sc.shot("full-screen")
        # The picker on the top bar, right of the buttons: the next line is the next slot.
        before = sc.counts(NAMES)
        h.click(350, 14, env)
        time.sleep(0.3)
        sc.key(None, "Down")
        sc.wait_beacons(NAMES[1], before[NAMES[1]] + 1, 30, "after picking the second page in full screen")
        sc.expect(h.find_windows(f"Velloran - {ALIASES[1]}", env, 10),
                  "the full-screen window does not show the picked page's name")
        sc.shot("full-screen-picked")
        sc.key(full, "F11")
        if not h.wait_for(lambda: not h.find_windows(FULL_TITLE, env), 10, 0.2):
            sc.fail("F11 in the full-screen window did not close it")
        main_win = sc.main_window(timeout=10)

        # Favorites: File, Edit, View, then Favorites on the menu bar.
        before = sc.counts(NAMES + ("fav",))
        sc.key(main_win, "alt+f")
        sc.key(None, "Right Right Right Return")
        fav = h.find_windows(s.FAVORITES_TITLE, env, 15)
        if not fav:
            sc.fail(f"the '{s.FAVORITES_TITLE}' window did not open from the menu bar")
        # Button, drive box, folder list, then the shortcut list.
        sc.key(fav[0], "Tab Tab Tab")
        sc.key(None, "Down Return")
        sc.wait_beacons("fav", 1, 30, "after opening the shortcut from Favorites")
        sc.expect(not h.find_windows(s.FAVORITES_TITLE, env), "the Favorites window stayed open")
        after = sc.settle(NAMES + ("fav",))
        sc.expect(all(after[n] == before[n] for n in NAMES),
                  f"opening the shortcut also reloaded a page: {before} -> {after}")
        sc.shot("favorite-opened")

        # Full screen again, then its Close button ends the program.
        full, rect = enter_full_screen("a second time")
        spot = h.wait_for(lambda: find_close_button(s.grab(env), rect), 10, 0.3)
        sc.expect(spot, "no Close button (a red cross) at the full-screen window's top-right corner")
        sc.final_shot()
        sc.click(*spot)
        if app.wait(20) is None:
            sc.fail("Velloran was still running 20 s after the full-screen Close button")
        if not h.wait_for(lambda: not sc.desk.tray_icon_present(), 10):
            sc.fail("the tray icon stayed after Velloran ended")


if __name__ == "__main__":
    h.run(main)
