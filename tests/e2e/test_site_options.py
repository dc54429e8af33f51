#!/usr/bin/env python3
"""Each Top 8 site's own options, on the real engine with a shortened minute: a site
reloaded every 10 s reloads about three times as often as one every 30 s; a site
outside its active hours is not reloaded after its first load and its tab says why;
a page whose text changed out of sight is marked on its tab and in the Window menu
and, with notify-change, announced once however often it reloads after; the same
change made of digits alone leaves no mark with ignore-numbers; a title "(3) Inbox"
is read out as "3 new"; clicking the notification brings the page to the front and
its mark goes.

Read through the accessibility tree (test_accessibility's private AT-SPI bus), with
the desktop's notification service faked on the same bus (websites.py)."""

import datetime
import os
import sys
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
from scenario import HTML, Scenario  # noqa: E402
from test_accessibility import A11yBus, find_app, snapshot  # noqa: E402
from websites import NotificationService  # noqa: E402

MINUTE_MS = 12000          # a "10 s" interval is 2 s
WATCH_S = 24               # A's and B's reloads are counted over this long


def clock_body(path):
    # Only digits move from one load to the next.
    return f"<p>Last message at {datetime.datetime.now().strftime('%H:%M:%S.%f')}</p>"


def beacon(name, title, body=""):
    """A page reporting its load; body is text or a function of the request."""
    return (HTML, lambda path: h.page_with_beacon(title, name, body(path) if callable(body) else body))


def hours_not_today():
    # A whole day two days ahead: no midnight during the run can reach it.
    day = (datetime.date.today() + datetime.timedelta(days=2)).weekday()
    return "".join("1" if i == day else "0" for i in range(7)) + " 00:00 00:00"


SITES = [  # name, title, body, options
    ("a", "A", "<p>every ten seconds</p>", {"interval": 10}),
    ("b", "B", "<p>every thirty seconds</p>", {"interval": 30}),
    ("c", "C", "<p>one day a week</p>", {"interval": 10, "hours": hours_not_today()}),
    ("d", "(3) Inbox", clock_body, {"interval": 10, "notify-change": 1}),
    ("e", "E", clock_body, {"interval": 10, "ignore-numbers": 1}),
]
NAMES = [n for n, _, _, _ in SITES]
ALIASES = [n.upper() for n in NAMES]


def write_sites(sc):
    with open(os.path.join(sc.home, "velloran-sites.txt"), "w", newline="") as f:
        for name, _, _, options in SITES:
            address = urllib.parse.quote(sc.url("/" + name), safe=":/")
            for key, value in options.items():
                f.write(f"{address}\tsite\t{key}\t{value}\r\n")


def main(args):
    pages = {f"/{n}": beacon(n, title, body) for n, title, body, _ in SITES}
    with Scenario(__file__, args, "e2e_site_options", pages, tray=False) as sc, \
            A11yBus(sc.env) as bus, \
            NotificationService(bus.env["DBUS_SESSION_BUS_ADDRESS"], sc.desk._tmp) as notes:
        # pyatspi reads the bus address when it is first imported.
        os.environ["DISPLAY"] = sc.desk.display
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.env["DBUS_SESSION_BUS_ADDRESS"]
        import pyatspi
        write_sites(sc)
        env = dict(bus.env, VELLORAN_MINUTE_MS=str(MINUTE_MS), QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   QT_ACCESSIBILITY="1")
        # Tabbed, the common timed refresh off: only the sites' own intervals reload.
        sc.start_pages([0, 0, 1, 0, 0, -1], NAMES, ALIASES, extra_env=env)
        app = h.wait_for(lambda: find_app(pyatspi), 30, 0.5)
        sc.expect(app is not None, "no application named velloran on the accessibility bus")

        def cells():
            """The tab cells as {alias: (accessible name, description)}."""
            tree = snapshot(pyatspi, app)
            strip = [n for n in tree.walk() if n.showing and n.name == "Tabs"]
            sc.expect(len(strip) == 1, f"expected one 'Tabs' strip, found {len(strip)}")
            out = {}
            for c in strip[0].children:
                if c.role == pyatspi.ROLE_PUSH_BUTTON and c.name.split(",")[0] in ALIASES:
                    out[c.name.split(",")[0]] = (c.name, c.acc.description or "")
            return out

        def loads(name):
            return sc.srv.request_count("/" + name)

        # A and B over the same stretch; C not at all after its first load.
        start = {n: loads(n) for n in NAMES}
        time.sleep(WATCH_S)
        got = {n: loads(n) - start[n] for n in NAMES}
        sc.expect(got["b"] >= 2, f"B reloaded {got['b']} times in {WATCH_S} s on its 30 s (6 s here) rhythm")
        ratio = got["a"] / got["b"]
        sc.expect(2.0 <= ratio <= 4.5, f"A (10 s) reloaded {got['a']} times against B's (30 s) {got['b']}: "
                  f"ratio {ratio:.2f}, expected about 3")
        sc.expect(got["c"] == 0 and start["c"] == 1,
                  f"C, outside its hours, loaded {start['c']} time(s) at start and {got['c']} after")
        sc.expect(got["d"] >= 3 and got["e"] >= 3, f"D and E barely reloaded: {got}")

        # Marks and badges, read as a screen reader does.
        want = {"A": "A", "B": "B", "D": "D, changed, 3 new", "E": "E"}
        shown = h.wait_for(lambda: (lambda c: c if all(c.get(k, ("",))[0] == v for k, v in want.items()) else None)(cells()),
                           10, 0.5) or cells()
        for alias, name in want.items():
            sc.expect(shown.get(alias, ("",))[0] == name,
                      f"tab {alias} reads {shown.get(alias)}, expected {name!r} (all: {shown})")
        sc.expect("Not reloaded outside its hours (" in shown["C"][1] and shown["C"][0] == "C",
                  f"C's tab does not say it waits for its hours: {shown['C']}")

        # The Window menu lists D as changed, and no other page.
        bar = [n for n in snapshot(pyatspi, app).walk() if n.showing and n.role == pyatspi.ROLE_MENU_BAR]
        menu = [n for n in bar[0].children if n.name.replace("&", "") == "Window"]
        sc.expect(menu, f"no Window menu in {[n.name for n in bar[0].children]}")
        act = menu[0].acc.queryAction()
        act.doAction([act.getName(i) for i in range(act.nActions)].index("ShowMenu"))
        items = h.wait_for(lambda: [i.name for i in snapshot(pyatspi, menu[0].acc).walk()
                                    if i.showing and i.role in (pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM)
                                    and i.name.rstrip().endswith(tuple(ALIASES + [a + " • changed" for a in ALIASES]))],
                           10, 0.3)
        h.key(None, "Escape", sc.env)
        marked = [i for i in items or [] if i.endswith(" • changed")]
        sc.expect(len(marked) == 1 and marked[0].endswith("D • changed"),
                  f"the Window menu's pages read {items}, expected D alone marked changed")

        # One notification for D however often it reloaded since; none for the others.
        shown_notes = notes.shown()
        summaries = [s for _, _, s, _ in shown_notes]
        sc.expect(len(shown_notes) == 1 and summaries[0].endswith(" changed") and "D" in summaries[0],
                  f"expected one notification that D changed after {got['d']} reloads, got {summaries}")

        # Its click brings D to the front; its mark goes and stays gone while it reloads.
        notes.click(shown_notes[0][0])
        front = lambda: [n.name for n in snapshot(pyatspi, app).walk()  # noqa: E731
                         if n.showing and n.role == pyatspi.ROLE_FRAME and n.name in ALIASES]
        sc.expect(h.wait_for(lambda: front() == ["D"], 15, 0.5), f"the page in front is {front()}, not D")
        before = loads("d")
        sc.wait_beacons("d", sc.srv.beacon_count("d") + 2, 20, "in front")
        after = cells()
        sc.expect(after["D"][0] == "D, 3 new", f"D in front after {loads('d') - before} reloads reads {after['D']}")
        sc.expect(len(notes.shown()) == 1, f"more notifications came: {notes.shown()}")
        sc.final_shot()
        print(f"reloads over {WATCH_S} s: {got}; notification: {summaries[0]!r}")


if __name__ == "__main__":
    h.run(main)
