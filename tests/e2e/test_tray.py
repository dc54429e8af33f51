#!/usr/bin/env python3
"""The tray icon: Ctrl+T hides the main window, the icon's menu then offers only
"Send to Icon Tray" and "Exit", a double-click brings the window back, and a
right-click while the window is minimized shows it maximized again."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import scenario as s  # noqa: E402
from scenario import Scenario, page  # noqa: E402

NAMES = ("left", "right")


def main(args):
    pages = {f"/{n}": page(n) for n in NAMES}
    with Scenario(__file__, args, "e2e_tray", pages) as sc:
        env = sc.env
        app, _ = sc.start_pages([0, 0, 1, 0, 0, -1], NAMES)
        sc.settle(NAMES)
        main_win = sc.main_window()

        icon = h.wait_for(lambda: s.tray_icon_window(env), 30, 0.3)
        sc.expect(icon, "no Velloran icon in the system tray")
        rect = s.client_rect(icon, env)
        sc.expect(rect, "the tray icon has no geometry")
        ix, iy = rect[0] + rect[2] // 2, rect[1] + rect[3] // 2

        def open_tray_menu(why):
            sc.click(ix, iy, button=3)
            menus = h.wait_for(lambda: s.popup_windows(env), 10, 0.2)
            if not menus:
                sc.fail(f"right-clicking the tray icon {why} showed no menu")
            sc.expect(len(menus) == 1, f"expected one menu, found {menus}")
            return menus[0]

        def dismiss_menu(menu):
            sc.key(None, "Escape")
            if not h.wait_for(lambda: menu[0] not in [m[0] for m in s.popup_windows(env)], 10, 0.2):
                sc.fail("Escape did not close the tray menu")

        # The full menu while the window is shown: Restore, Minimize, Maximize,
        # Send to Icon Tray, Exit.
        full = open_tray_menu("with the window shown")
        sc.shot("full-menu")
        dismiss_menu(full)
        sc.expect(s.velloran_windows(env, "NORMAL") == [main_win],
                  "the main window changed after the tray menu was dismissed")

        # Ctrl+T: the window goes to the tray.
        sc.key(main_win, "ctrl+t")
        if not h.wait_for(lambda: not s.velloran_windows(env, "NORMAL"), 10, 0.2):
            sc.fail("the main window is still shown after Ctrl+T")
        sc.expect(app.alive(), "Velloran ended on Ctrl+T")
        sc.expect(s.tray_icon_window(env), "the tray icon went away on Ctrl+T")

        # Now the menu holds two items and one separator: well under half the
        # height of the five items and two separators above.
        short = open_tray_menu("with the window in the tray")
        sc.shot("tray-menu")
        full_h, short_h = full[1][3], short[1][3]
        sc.expect(short_h * 2 <= full_h,
                  f"the tray menu of a hidden window is {short_h} px high, the full one {full_h} px: "
                  "expected only Send to Icon Tray, a separator and Exit")
        dismiss_menu(short)
        sc.expect(not s.velloran_windows(env, "NORMAL"), "dismissing the tray menu showed the window")

        # A double-click on the icon brings the window back.
        sc.double_click(ix, iy)
        if not h.wait_for(lambda: s.velloran_windows(env, "NORMAL"), 10, 0.2):
            sc.fail("double-clicking the tray icon did not bring the main window back")
        main_win = sc.main_window()
        sc.expect("_NET_WM_STATE_HIDDEN" not in s.wm_state(main_win, env),
                  "the main window is back but still hidden")
        again = open_tray_menu("after the window came back")
        sc.expect(again[1][3] == full_h,
                  f"the tray menu is {again[1][3]} px high after the window came back, "
                  f"expected the full menu's {full_h} px")
        dismiss_menu(again)

        # Minimized, a right-click on the icon (even dismissed) maximizes it again.
        h._x(["xdotool", "windowminimize", str(main_win)], env, check_rc=True)
        if not h.wait_for(lambda: "_NET_WM_STATE_HIDDEN" in s.wm_state(main_win, env), 10, 0.2):
            sc.fail("the main window did not minimize")
        menu = open_tray_menu("with the window minimized")
        dismiss_menu(menu)

        def maximized_and_shown():
            state = s.wm_state(main_win, env)
            return ("_NET_WM_STATE_MAXIMIZED_VERT" in state and "_NET_WM_STATE_MAXIMIZED_HORZ" in state
                    and "_NET_WM_STATE_HIDDEN" not in state)

        if not h.wait_for(maximized_and_shown, 10, 0.2):
            sc.fail(f"after the tray menu the main window's state is {s.wm_state(main_win, env)}, "
                    "expected maximized and shown")
        sc.expect(s.velloran_windows(env, "NORMAL") == [main_win], "the main window is not visible")
        sc.expect(app.alive(), "Velloran ended")
        sc.final_shot()


if __name__ == "__main__":
    h.run(main)
