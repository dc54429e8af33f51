#!/usr/bin/env python3
"""A desktop with no tray: Velloran starts, its pages load, Ctrl+T minimizes the
main window (which the desktop's window list brings back); once a panel with a
tray starts, the icon goes in and Ctrl+T hides the window in the tray again."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktops  # noqa: E402
import harness as h  # noqa: E402
import scenario as s  # noqa: E402
from scenario import Scenario, page  # noqa: E402

NAMES = ("left", "right")


def main(args):
    pages = {f"/{n}": page(n) for n in NAMES}
    with Scenario(__file__, args, "e2e_desktop_notray", pages, tray=False) as sc:
        env = sc.env
        app, main_win = sc.start_pages([0, 0, 1, 0, 0, -1], NAMES)
        sc.no_message_box(2, "no refusal on a desktop without a tray")
        sc.settle(NAMES)

        def hidden():
            return "_NET_WM_STATE_HIDDEN" in s.wm_state(main_win, env)

        sc.key(main_win, "ctrl+t")
        if not h.wait_for(hidden, 10, 0.2):
            sc.fail(f"Ctrl+T with no tray did not minimize the main window: {s.wm_state(main_win, env)}")
        sc.expect(app.alive(), "Velloran ended on Ctrl+T")
        sc.shot("minimized")
        # What the desktop's window list does with a minimized window.
        h.activate(main_win, env)
        if not h.wait_for(lambda: not hidden() and s.velloran_windows(env, "NORMAL") == [main_win], 10, 0.2):
            sc.fail("the minimized main window did not come back when activated")

        # A panel with a tray starts after Velloran: the icon goes in, and Ctrl+T hides.
        desktops.start_tray(sc.desk)
        icon = h.wait_for(lambda: s.tray_icon_window(env), 30, 0.3)
        sc.expect(icon, "no Velloran icon in the tray that started later")
        sc.key(main_win, "ctrl+t")
        if not h.wait_for(lambda: not s.velloran_windows(env, "NORMAL"), 10, 0.2):
            sc.fail("with a tray now, Ctrl+T did not hide the main window")
        # The tray may dock the icon again as it settles: take the icon window as it is now.
        def icon_rect():
            now = s.tray_icon_window(env)
            return s.client_rect(now, env) if now else None
        rect = h.wait_for(icon_rect, 10, 0.3)
        sc.expect(rect, "the late tray's icon went away")
        sc.double_click(rect[0] + rect[2] // 2, rect[1] + rect[3] // 2)
        if not h.wait_for(lambda: s.velloran_windows(env, "NORMAL"), 10, 0.2):
            sc.fail("double-clicking the late tray's icon did not bring the main window back")
        sc.expect(app.alive(), "Velloran ended")
        sc.final_shot()


if __name__ == "__main__":
    h.run(main)
