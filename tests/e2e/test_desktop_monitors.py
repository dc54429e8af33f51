#!/usr/bin/env python3
"""Two monitors: with the main window moved to the second one, full screen covers
that monitor (not the first), the main window comes back there from full screen and
from the tray, and Set Up opens centred on it."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktops  # noqa: E402
import harness as h  # noqa: E402
import scenario as s  # noqa: E402
from scenario import Scenario, page  # noqa: E402

WIDTH, HEIGHT = 2560, 800
HALF = WIDTH // 2


def main(args):
    pages = {"/alpha": page("alpha")}
    with desktops.screen_size(WIDTH, HEIGHT), Scenario(__file__, args, "e2e_desktop_monitors", pages) as sc:
        env = sc.env
        desktops.split_monitors(env, WIDTH, HEIGHT)
        app, main_win = sc.start_pages([0, 0, 1, 0, 0, -1], ["alpha"])
        sc.settle(["alpha"])
        h._x(["xdotool", "windowmove", str(main_win), str(HALF + 100), "60"], env)

        def on_right(win):
            rect = s.client_rect(win, env)
            return rect if rect and HALF <= rect[0] and rect[0] + rect[2] <= WIDTH else None

        sc.expect(h.wait_for(lambda: on_right(sc.main_window()), 10, 0.2),
                  f"the main window did not move to the second monitor: {s.client_rect(main_win, env)}")

        sc.key(sc.main_window(), "F11")
        full = h.find_windows("Velloran - Alpha", env, 15)
        sc.expect(full, "F11 opened no full-screen window")
        rect = h.wait_for(lambda: s.client_rect(full[0], env), 5, 0.2)
        sc.shot("full-screen")
        sc.expect(rect and rect[0] == HALF and rect[2] == HALF,
                  f"full screen covers {rect}, not the second monitor at x={HALF}, {HALF} px wide")
        sc.key(full[0], "F11")
        sc.expect(h.wait_for(lambda: on_right(sc.main_window(timeout=10)), 10, 0.2),
                  f"the main window came back elsewhere: {s.client_rect(sc.main_window(), env)}")

        # To the tray and back by the icon: still on the second monitor.
        sc.key(sc.main_window(), "ctrl+t")
        sc.expect(h.wait_for(lambda: not s.velloran_windows(env, "NORMAL"), 10, 0.2), "Ctrl+T left the window shown")
        icon = s.client_rect(h.wait_for(lambda: s.tray_icon_window(env), 10, 0.3), env)
        sc.double_click(icon[0] + icon[2] // 2, icon[1] + icon[3] // 2)
        sc.expect(h.wait_for(lambda: on_right(sc.main_window(timeout=10)), 10, 0.2),
                  f"the main window came back from the tray elsewhere: {s.client_rect(sc.main_window(), env)}")

        sc.key(sc.main_window(), "alt+s")
        setup = sc.setup_dialog()
        time.sleep(0.5)
        rect = s.client_rect(setup, env)
        centre = rect and rect[0] + rect[2] // 2
        sc.final_shot()
        sc.expect(centre and abs(centre - (HALF + HALF // 2)) <= 20,
                  f"Set Up is at {rect}, not centred on the second monitor")


if __name__ == "__main__":
    h.run(main)
