#!/usr/bin/python3
"""Velloran as a native Wayland client on headless weston. Weston's headless back end
has no input devices, so the program is driven as a screen reader drives it, through
its controls' own actions (desktops.ScreenReader); what it shows is read from weston's
screenshots, and how its windows relate from its own Wayland requests (WAYLAND_DEBUG).

Pages load and reload on the timer, a tab switches pages, full screen covers the whole
output (panel included) and returns, Set Up opens as a child of the main window and the
Favorites window opens where the compositor puts it, with no message either way;
Tile and Cascade arrange the pages; File > Exit ends the program, and nothing along
the way complains about Wayland."""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktops  # noqa: E402
import harness as h  # noqa: E402
from scenario import Scenario, close_to, page  # noqa: E402

NAMES = ("red", "green")
COLOURS = {"red": (220, 40, 40), "green": (40, 170, 60)}
SIZE = (1280, 800)
MINUTE_MS = 2000


def parent_of(log_path, title):
    """The title of the window that the last window titled `title` was made a child
    of (xdg_toplevel.set_parent), from the client's Wayland protocol log."""
    titles, parents = {}, {}
    with open(log_path, errors="replace") as f:
        for line in f:
            # Ids are reused once a window is gone.
            m = re.search(r"-> xdg_toplevel@(\d+)\.destroy\(\)", line)
            if m:
                titles.pop(m.group(1), None)
                parents.pop(m.group(1), None)
                continue
            m = re.search(r"-> xdg_toplevel@(\d+)\.set_title\(\"(.*)\"\)", line)
            if m:
                titles[m.group(1)] = m.group(2)
                continue
            m = re.search(r"-> xdg_toplevel@(\d+)\.set_parent\((?:xdg_toplevel@(\d+)|nil)\)", line)
            if m:
                parents[m.group(1)] = m.group(2)
    child = [i for i, t in titles.items() if t == title]
    if not child or not parents.get(child[-1]):
        return None
    return titles.get(parents[child[-1]])


def complaints(app):
    """What the program or its Wayland connection reported as wrong."""
    with open(app.err_path, errors="replace") as f:
        return [line.strip() for line in f
                if re.search(r"qt\.qpa\.wayland|[Ww]ayland does not support|wl_display@\d+\.error", line)]


def main(args):
    pages = {f"/{n}": page(n, background="#%02x%02x%02x" % COLOURS[n]) for n in NAMES}
    with desktops.on_weston(), Scenario(__file__, args, "e2e_desktop_wayland", pages, tray=False) as sc, \
            desktops.ScreenReader(sc.env) as sr:
        weston = sc.desk
        env = dict(sr.env, VELLORAN_MINUTE_MS=str(MINUTE_MS), WAYLAND_DEBUG="client")
        records = [(sc.url(f"/{n}"), True, n.capitalize()) for n in NAMES]

        def screen_shows(points, name, timeout=20):
            """Waits until the output shows the page `name` at every (x, y) of points."""
            def looks():
                img = weston.grab()
                return all(close_to(img.pixel(x, y), COLOURS[name]) for x, y in points)
            if not h.wait_for(looks, timeout, 0.5):
                img = weston.grab()
                sc.fail(f"expected page {name} at {points}, the output shows "
                        f"{[img.pixel(x, y) for x, y in points]}")

        def no_message(within):
            boxes = h.wait_for(lambda: [n for n in sr.shown() if n.role_name in ("alert", "dialog")
                                        and n.name == "Velloran"], within, 0.3)
            if boxes:
                sc.fail("a message appeared: " + "; ".join(
                    c.name for b in boxes for c in b.walk() if c.role_name == "label"))

        def panel_shown():
            # Weston's panel along the top of the output is dark; Velloran's toolbars are not.
            img = weston.grab()
            return all(desktops.luminance(img.pixel(x, 4)) < 100 for x in (300, 700, 1000))

        # Tabbed, every page reloading each (shortened) minute.
        h.write_ini(sc.home, [0, -1, 1, 0, 0, -1])
        h.write_dat(sc.home, records)
        app = sc.start(extra_env=env)
        for n in NAMES:
            sc.wait_beacons(n, 1, 90, "after start under Wayland")
        first = sc.counts(NAMES)
        for n in NAMES:
            sc.wait_beacons(n, first[n] + 2, 30, f"with a refresh every minute ({MINUTE_MS} ms)")
        sc.expect(sr.find("Velloran", "frame", 30), "no main window on the accessibility bus")
        no_message(1)
        centre = [(SIZE[0] // 2, SIZE[1] // 2), (200, 600)]
        screen_shows(centre, "red")
        sc.expect(panel_shown(), "weston's panel is not along the top of the output")
        sc.shot("tabbed")

        sr.press("Green", "push button")
        screen_shows(centre, "green")

        # Full screen covers the output, weston's panel too, and returns.
        sr.press("Full Screen", "menu item")
        fs = sr.find("Velloran - Green", "filler", 20)
        sc.expect(fs, "the full-screen window did not open")
        sc.expect(sr.rect(fs[0])[2:] == SIZE, f"the full-screen window is {sr.rect(fs[0])[2:]}, not {SIZE}")
        screen_shows(centre + [(3, SIZE[1] - 3), (SIZE[0] - 3, SIZE[1] - 3)], "green")
        if not h.wait_for(lambda: not panel_shown(), 10, 0.5):
            sc.fail("weston's panel stays over the full-screen window")
        sc.shot("full-screen")
        sr.press("Restore", "push button")
        sc.expect(sr.gone("Velloran - Green", "filler", 20), "the full-screen window stayed")
        sc.expect(sr.find("Velloran", "frame", 20), "the main window did not come back from full screen")
        screen_shows(centre, "green")
        sc.expect(h.wait_for(panel_shown, 10, 0.5), "weston's panel did not come back")

        # Set Up: a modal child of the main window.
        sr.press("Setup...", "menu item")
        sc.expect(sr.find("Velloran - Set Up", "dialog", 20), "Set Up did not open")
        parent = parent_of(app.err_path, "Velloran - Set Up")
        sc.expect(parent == "Velloran", f"Set Up opened as a child of {parent!r}, not of the main window")
        sc.shot("setup")
        sr.press("Cancel", "push button")
        sc.expect(sr.gone("Velloran - Set Up", "dialog", 15), "Set Up stayed open after Cancel")

        # The Favorites window asks for a place of its own; Wayland chooses, and that is fine.
        sr.press("Favorites", "menu item")
        sc.expect(sr.find("Favorites Browse...", "filler", 20), "the Favorites window did not open")
        no_message(2)
        sc.shot("favorites")
        sr.press("Exit", "menu item")
        sc.expect(app.wait(30) == 0, f"File > Exit did not end Velloran cleanly: {app.proc.returncode}")
        sc.expect(not complaints(app), f"complaints about Wayland: {complaints(app)[:5]}")

        # Tile, then Cascade, from the Window menu.
        home = sc.new_home()
        h.write_ini(home, [0, 0, 1, -1, 0, 0])
        h.write_dat(home, records)
        before = sc.counts(NAMES)
        app = sc.start(home=home, extra_env=env)
        for n in NAMES:
            sc.wait_beacons(n, before[n] + 1, 90, "in the tiled layout")

        def frames():
            found = {n: sr.find(n.capitalize(), "frame") for n in NAMES}
            return {n: sr.rect(f[0]) for n, f in found.items()} if all(found.values()) else None

        def tiled(r):
            a, b = r["red"], r["green"]
            return a[0] == b[0] and a[2] == b[2] and a[1] + a[3] <= b[1]

        def cascaded(r):
            a, b = r["red"], r["green"]
            return a[0] < b[0] < a[0] + a[2] and a[1] < b[1] < a[1] + a[3]

        for arrangement, judge in (("Tile", tiled), ("Cascade", cascaded), ("Tile", tiled)):
            sr.press(arrangement, "menu item")
            if not h.wait_for(lambda: (lambda r: r and judge(r))(frames()), 15, 0.5):
                sc.fail(f"after {arrangement} the pages lie at {frames()}")
            sc.shot(arrangement.lower())
        no_message(1)
        sc.final_shot()
        sr.press("Exit", "menu item")
        sc.expect(app.wait(30) == 0, f"File > Exit did not end Velloran cleanly: {app.proc.returncode}")
        sc.expect(not complaints(app), f"complaints about Wayland: {complaints(app)[:5]}")


if __name__ == "__main__":
    # pyatspi comes with Debian's own interpreter; hand over to it when started by another.
    import importlib.util
    if importlib.util.find_spec("pyatspi") is None and os.path.exists("/usr/bin/python3") \
            and os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3", os.path.abspath(__file__), *sys.argv[1:]])
    h.run(main)
