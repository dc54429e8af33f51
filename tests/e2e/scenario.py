"""What the scenario scripts share on top of harness.py: one object that owns the
desktop, the page server, the data folders and the running programs, plus the
ways a person tells Velloran's windows apart and reads the screen.

    def main(args):
        with Scenario(__file__, args, "e2e_tabs", pages) as sc:
            app = sc.start()
            main = sc.main_window()
            ...
            sc.final_shot()
"""

import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402


TITLE = "Velloran"
SETUP_TITLE = "Velloran - Set Up"
FAVORITES_TITLE = "Favorites Browse..."
HTML = "text/html; charset=utf-8"


def page(name, title=None, body="", background=None):
    """A page that reports its load to /loaded?page=NAME; background fills the view."""
    html = h.page_with_beacon(title or name.capitalize(), name, body)
    if background:
        style = (f"<style>html,body{{background:{background};margin:0;min-height:100vh}}"
                 "h1{margin:0}</style></head>")
        html = html.replace(b"</head>", style.encode("ascii"), 1)
    return (HTML, html)


# ---------------------------------------------------------------------------
# Windows as the window manager sees them

def _run(cmd, env, timeout=15):
    return h._x(cmd, env, timeout=timeout)


def xprop_atoms(window, prop, env):
    """The atom names of an ATOM-list property, or [] when unset."""
    rc, out = _run(["xprop", "-id", str(window), prop], env)
    if rc != 0 or "=" not in out:
        return []
    return [a.strip() for a in out.split("=", 1)[1].split(",") if a.strip()]


def window_types(window, env):
    return xprop_atoms(window, "_NET_WM_WINDOW_TYPE", env)


def wm_state(window, env):
    return xprop_atoms(window, "_NET_WM_STATE", env)


def client_rect(window, env):
    """(x, y, width, height) of a window's own area on the screen (no frame)."""
    rc, out = _run(["xwininfo", "-id", str(window)], env)
    if rc != 0:
        return None
    vals = {}
    for key, pattern in (("x", r"Absolute upper-left X:\s+(-?\d+)"),
                         ("y", r"Absolute upper-left Y:\s+(-?\d+)"),
                         ("w", r"Width:\s+(\d+)"), ("h", r"Height:\s+(\d+)")):
        m = re.search(pattern, out)
        if not m:
            return None
        vals[key] = int(m.group(1))
    return (vals["x"], vals["y"], vals["w"], vals["h"])


def is_override_redirect(window, env):
    rc, out = _run(["xwininfo", "-id", str(window)], env)
    return rc == 0 and "Override Redirect State: yes" in out


def velloran_windows(env, kind=None, name=TITLE):
    """Visible top-level windows titled `name`, optionally only those whose
    window type includes _NET_WM_WINDOW_TYPE_<kind> as their first type."""
    wins = h.find_windows(name, env)
    if kind is None:
        return wins
    want = "_NET_WM_WINDOW_TYPE_" + kind
    return [w for w in wins if (window_types(w, env) or [""])[0] == want]


def popup_windows(env):
    """Visible override-redirect windows of the program (open menus, tooltips),
    as (id, (x, y, w, h))."""
    rc, out = _run(["xdotool", "search", "--onlyvisible", "--class", "velloran"], env)
    if rc != 0:
        return []
    found = []
    icon = tray_icon_window(env)
    for wid in (int(x) for x in out.split()):
        if wid != icon and is_override_redirect(wid, env):
            rect = client_rect(wid, env)
            if rect and rect[2] > 1 and rect[3] > 1:
                found.append((wid, rect))
    return found


# ---------------------------------------------------------------------------
# The screen's pixels

class Image:
    """A screen grab in memory: pixel(x, y) -> (r, g, b)."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])


def grab(env):
    """The whole screen as an Image (read as a binary PPM from ImageMagick)."""
    try:
        res = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=env,
                             stdin=subprocess.DEVNULL, capture_output=True, timeout=30)
    except subprocess.TimeoutExpired:
        raise h.Failure("taking a screen grab timed out")
    h.check(res.returncode == 0, f"import failed: {res.stderr.decode(errors='replace').strip()}")
    raw = res.stdout
    # P6 header: magic, width, height, maxval, each separated by whitespace.
    fields, pos = [], 0
    while len(fields) < 4:
        while raw[pos:pos + 1].isspace():
            pos += 1
        if raw[pos:pos + 1] == b"#":
            pos = raw.index(b"\n", pos) + 1
            continue
        start = pos
        while not raw[pos:pos + 1].isspace():
            pos += 1
        fields.append(raw[start:pos])
    h.check(fields[0] == b"P6" and fields[3] == b"255", f"unexpected screen grab format {fields!r}")
    width, height = int(fields[1]), int(fields[2])
    data = raw[pos + 1:pos + 1 + width * height * 3]
    h.check(len(data) == width * height * 3, "the screen grab is truncated")
    return Image(width, height, data)


def close_to(rgb, want, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(rgb, want))


# ---------------------------------------------------------------------------
# The main window's tab strip

def _uniform_runs(image, y, x0, x1, background, min_len):
    """Runs of one colour other than background on row y, at least min_len wide."""
    runs, start, colour = [], x0, image.pixel(x0, y)
    for x in range(x0 + 1, x1 + 1):
        rgb = image.pixel(x, y) if x < x1 else None
        if rgb != colour:
            if colour != background and x - start >= min_len:
                runs.append((start, x - 1))
            start, colour = x, rgb
    return runs


def find_tab_strip(image, rect):
    """The tab strip of the main window at rect, as (row, cells): a screen row
    through the middle of the strip and the (left, right) screen columns of each
    bevelled cell, left to right (the eight tabs, then the close cell while it is
    shown). The cells are found by their bottom edges: a row of eight or more
    one-coloured runs with narrow gaps, within the window's top 130 rows.
    None when no strip is shown."""
    x0, x1 = rect[0], min(rect[0] + rect[2], image.width) - 1
    background = image.pixel(x0 + 2, rect[1] + 2)  # the menu bar's
    for y in range(rect[1] + 5, min(rect[1] + 130, image.height)):
        runs = _uniform_runs(image, y, x0, x1, background, 15)
        if len(runs) < 8 or any(b[0] - a[1] > 6 for a, b in zip(runs, runs[1:])):
            continue
        # The top edge: the nearest row above where the second cell is one colour.
        left, right = runs[1]
        for top in range(y - 6, max(rect[1], y - 40), -1):
            row = {image.pixel(x, top) for x in range(left + 2, right - 1)}
            if len(row) == 1 and row != {background}:
                return ((top + y) // 2, runs)
    return None


# ---------------------------------------------------------------------------

class Scenario:
    """Owns a private desktop, a page server, data folders and the programs
    started in them. Checks that fail take a screenshot first."""

    def __init__(self, test_file, args, name, pages=None, tray=True):
        self.test_file = test_file
        self.args = args
        self.name = name
        self.pages = pages or {}
        self.tray = tray
        self.shots = h.shots_dir(test_file)
        self.apps = []
        self.homes = []
        self.desk = None
        self.srv = None

    # -- lifetime
    def __enter__(self):
        try:
            self.desk = h.Desktop(tray=self.tray).__enter__()
            self.srv = h.PageServer(self.pages).__enter__()
            self.home = self.new_home()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        for app in reversed(self.apps):
            app.stop()
        if self.srv:
            self.srv.__exit__(None, None, None)
        if self.desk:
            self.desk.__exit__(None, None, None)
        for home in self.homes:
            h.remove_folder(home, self.args.keep)
        return False

    @property
    def env(self):
        return self.desk.env

    def new_home(self):
        home = tempfile.mkdtemp(prefix=f"velloran-{self.name}-")
        self.homes.append(home)
        return home

    def start(self, home=None, extra_env=None):
        env = dict(self.env)
        env.update(extra_env or {})
        app = h.Velloran.start(self.args.binary, home or self.home, env)
        self.apps.append(app)
        return app

    def start_pages(self, ini, names, aliases=None, extra_env=None):
        """Starts on the given settings with one autoloaded page per name (served at
        /name, the alias defaulting to the name capitalized) and waits until the main
        window shows and every page has loaded once. Returns the program and its window."""
        aliases = aliases or [n.capitalize() for n in names]
        h.write_ini(self.home, ini)
        h.write_dat(self.home, [(self.url(f"/{n}"), True, a) for n, a in zip(names, aliases)])
        app = self.start(extra_env=extra_env)
        win = self.main_window(app=app)
        for n in names:
            self.wait_beacons(n, 1, 60, "after start")
        return app, win

    # -- reporting
    def fail(self, message):
        try:
            self.desk.screenshot(os.path.join(self.shots, f"{self.name}-failure.png"))
        except Exception:  # the report matters more than the picture
            pass
        tails = "\n".join(f"[pid {a.pid}] {a.stderr_tail(15)}" for a in self.apps if a.stderr_tail(15))
        raise h.Failure(message + (f"\n--- velloran stderr ---\n{tails}" if tails else ""))

    def expect(self, condition, message):
        if not condition:
            self.fail(message)
        return condition

    def final_shot(self):
        return self.desk.screenshot(os.path.join(self.shots, f"{self.name}.png"))

    def shot(self, suffix):
        return self.desk.screenshot(os.path.join(self.shots, f"{self.name}-{suffix}.png"))

    # -- input
    def key(self, window, keys):
        """Types xdotool key names one at a time (menus need a moment between
        keys), focusing window first when given."""
        for i, name in enumerate(keys.split()):
            h.key(window if i == 0 else None, name, self.env)
            time.sleep(0.2)

    def type(self, window, text):
        h.type_text(window, text, self.env)
        time.sleep(0.1)

    def click(self, x, y, button=1, repeat=1):
        # No --sync: xdotool waits forever for a move when the pointer is already there.
        h._x(["xdotool", "mousemove", str(x), str(y), "sleep", "0.1", "click", "--repeat",
              str(repeat), "--delay", "80", str(button)], self.env, check_rc=True)
        time.sleep(0.15)

    def double_click(self, x, y):
        self.click(x, y, repeat=2)

    # -- windows
    def main_window(self, timeout=60, app=None):
        """The visible main window (a normal window titled Velloran)."""
        wins = h.wait_for(lambda: velloran_windows(self.env, "NORMAL"), timeout, 0.25)
        if not wins:
            alive = "" if app is None or app.alive() else f" (the program exited with {app.proc.returncode})"
            self.fail(f"no main window titled '{TITLE}' appeared within {timeout} s{alive}")
        self.expect(len(wins) == 1, f"expected one main window, found {len(wins)}")
        return wins[0]

    def message_box(self, timeout=30, what="a message"):
        """A message window (a dialog titled Velloran); fails if none appears."""
        boxes = h.wait_for(lambda: velloran_windows(self.env, "DIALOG"), timeout, 0.25)
        if not boxes:
            self.fail(f"{what} did not appear within {timeout} s")
        self.expect(len(boxes) == 1, f"expected one message, found {len(boxes)}")
        return boxes[0]

    def no_message_box(self, within, what="no message"):
        boxes = h.wait_for(lambda: velloran_windows(self.env, "DIALOG"), within, 0.25)
        if boxes:
            self.fail(f"expected {what}, but a message window appeared")

    def answer_message(self, box):
        """Presses Return in a message window and waits for it to go."""
        self.key(box, "Return")
        gone = h.wait_for(lambda: box not in velloran_windows(self.env, "DIALOG"), 15, 0.2)
        self.expect(gone, "the message stayed open after Return")

    def setup_dialog(self, timeout=30):
        wins = h.find_windows(SETUP_TITLE, self.env, timeout)
        if not wins:
            self.fail(f"the '{SETUP_TITLE}' dialog did not appear within {timeout} s")
        return wins[0]

    # -- pages
    def wait_beacons(self, name, count, timeout, why=""):
        got = h.wait_for(lambda: self.srv.beacon_count(name) >= count, timeout, 0.1)
        if not got:
            self.fail(f"page '{name}' reported {self.srv.beacon_count(name)} load(s), expected at "
                      f"least {count} within {timeout} s{(' ' + why) if why else ''}; requests: "
                      f"{[p for p, _ in self.srv.requests][-20:]}")

    def counts(self, names):
        return {n: self.srv.beacon_count(n) for n in names}

    def settle(self, names, quiet=2.0, timeout=20):
        """Waits until none of the pages has reported a load for `quiet` seconds
        (pages still loading or reloading after an activation); returns the counts."""
        deadline = time.monotonic() + timeout
        last = self.counts(names)
        since = time.monotonic()
        while time.monotonic() < deadline:
            time.sleep(0.2)
            now = self.counts(names)
            if now != last:
                last, since = now, time.monotonic()
            elif time.monotonic() - since >= quiet:
                return now
        self.fail(f"the pages kept reloading for {timeout} s: {last}")

    def no_new_beacons(self, before, within, why):
        """Checks that no page in `before` reports a load within `within` seconds."""
        names = list(before)
        changed = h.wait_for(lambda: self.counts(names) != before, within, 0.1)
        if changed:
            self.fail(f"{why}: page loads went from {before} to {self.counts(names)}")

    def url(self, path):
        return self.srv.url(path)

    # -- the main window's pieces
    def tab_strip(self, main, timeout=15):
        """(row, cells) of the main window's tab strip; see find_tab_strip."""
        rect = client_rect(main, self.env)
        self.expect(rect is not None, "the main window vanished")
        strip = h.wait_for(lambda: find_tab_strip(grab(self.env), rect), timeout, 0.5)
        self.expect(strip, "the tab strip is not shown under the main window's menu bar")
        return strip

    def shown_colour(self, main):
        """The colour in the middle of the main window: the page in front, or the
        empty workspace."""
        rect = client_rect(main, self.env)
        self.expect(rect is not None, "the main window vanished")
        return grab(self.env).pixel(rect[0] + rect[2] // 2, rect[1] + rect[3] // 2)


def tray_icon_window(env, wm_class="velloran"):
    """The program's icon window embedded in the tray, or None."""
    needle = f'"{wm_class}"'
    for sub in h._subtrees(h.window_tree(env), h._is_tray_panel):
        for row in sub:
            if needle in row[3].lower():
                return row[1]
    return None
