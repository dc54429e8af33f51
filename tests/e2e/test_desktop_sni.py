#!/usr/bin/env python3
"""A StatusNotifier tray (KDE Plasma, GNOME's AppIndicator, Wayland panels) on a
private session bus, with no X11 tray, started only after Velloran: the icon then
registers with its tip, Activate
brings the window back after Ctrl+T, the tray menu is exported over D-Bus with its
items and states, and a chosen item runs its command; a menu closed over a
minimized window brings it back maximized."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktops  # noqa: E402
import harness as h  # noqa: E402
import scenario as s  # noqa: E402
from scenario import Scenario, page  # noqa: E402

MENU = desktops.MENU_IFACE


def main(args):
    pages = {"/one": page("one")}
    with Scenario(__file__, args, "e2e_desktop_sni", pages, tray=False) as sc, \
            desktops.SessionBus(sc.desk._tmp, watcher=False) as bus:
        env = sc.env
        h.write_ini(sc.home, [0, 0, 1, 0, 0, -1])
        h.write_dat(sc.home, [(sc.url("/one"), True, "One")])
        app = sc.start(extra_env={"DBUS_SESSION_BUS_ADDRESS": bus.address})
        main_win = sc.main_window(app=app)
        sc.wait_beacons("one", 1, 60, "after start")

        bus.start_watcher()
        items = h.wait_for(bus.items, 30, 0.2)
        sc.expect(items, "Velloran registered no StatusNotifierItem with the watcher")
        item, prop = bus.item(items[0])
        tip = prop("ToolTip")
        sc.expect(str(tip[2]) == "Velloran", f"the item's tip is {tip!r}")
        menu_path = str(prop("Menu"))
        sc.expect(menu_path != "/NO_DBUSMENU", "the tray menu is not exported")
        service = items[0].partition("/")[0]
        menu = bus.menu(service, menu_path)

        def entries():
            return {e[1].get("label", "-"): e for e in desktops.menu_items(menu)}

        def shown(label):
            return entries()[label][1].get("visible", 1) == 1

        full = entries()
        sc.expect(all(k in full for k in ("Restore", "Minimize", "Maximize", "Send to Icon Tray", "Exit")),
                  f"the exported menu holds {sorted(full)}")
        sc.expect(full["Maximize"][1].get("enabled", 1) == 0, "Maximize is enabled on a maximized window")

        # Ctrl+T hides in the tray; the exported menu shows its in-tray state.
        sc.key(main_win, "ctrl+t")
        if not h.wait_for(lambda: not s.velloran_windows(env, "NORMAL"), 10, 0.2):
            sc.fail("Ctrl+T did not hide the main window in the StatusNotifier tray")
        h.wait_for(lambda: not shown("Restore"), 5, 0.2)
        now = entries()
        sc.expect([k for k in now if k != "-" and shown(k)] == ["Send to Icon Tray", "Exit"],
                  f"the in-tray menu shows {[(k, v[1]) for k, v in now.items()]}")
        sc.expect(now["Send to Icon Tray"][1].get("toggle-state") == 1, "Send to Icon Tray is not checked")

        # Activate (a host's left click) brings the window back.
        item.Activate(0, 0, dbus_interface=desktops.ITEM_IFACE)
        if not h.wait_for(lambda: s.velloran_windows(env, "NORMAL") == [main_win], 10, 0.2):
            sc.fail("Activate did not bring the main window back")
        sc.expect(h.wait_for(lambda: shown("Restore"), 5, 0.2), "the full menu did not come back")

        def host_menu(choice=None):
            menu.AboutToShow(0, dbus_interface=MENU)
            if choice:
                menu.Event(entries()[choice][0], "clicked", "", 0, dbus_interface=MENU)
            if choice != "Exit":
                menu.Event(0, "closed", "", 0, dbus_interface=MENU)

        def state(*want, unwanted=()):
            st = s.wm_state(main_win, env)
            return all(w in st for w in want) and not any(u in st for u in unwanted)

        # Minimize chosen from the host's menu: it stays minimized after the menu closes;
        # the next menu closed without a choice brings it back maximized.
        host_menu("Minimize")
        if not h.wait_for(lambda: state("_NET_WM_STATE_HIDDEN"), 10, 0.2):
            sc.fail(f"Minimize from the exported menu left the window {s.wm_state(main_win, env)}")
        sc.expect(not h.wait_for(lambda: state(unwanted=("_NET_WM_STATE_HIDDEN",)), 2, 0.2),
                  "the window came back after Minimize was chosen")
        sc.expect(entries()["Minimize"][1].get("enabled", 1) == 0, "Minimize is still enabled")
        host_menu()
        if not h.wait_for(lambda: state("_NET_WM_STATE_MAXIMIZED_VERT", unwanted=("_NET_WM_STATE_HIDDEN",)),
                          10, 0.2):
            sc.fail(f"closing the menu over a minimized window left it {s.wm_state(main_win, env)}")

        host_menu("Exit")
        sc.expect(app.wait(20) is not None, "Exit from the exported menu did not end Velloran")
        sc.final_shot()


if __name__ == "__main__":
    h.run(main)
