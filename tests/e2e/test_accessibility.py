#!/usr/bin/env python3
"""What a screen reader sees: every control a person can reach in Velloran's
main window has a name, the tab cells carry their labels, and the page
toolbar's buttons say what they do.

Runs the program against a private session bus with the AT-SPI bus on it, and
reads the accessibility tree with pyatspi (Debian's python3-pyatspi, so this
script needs /usr/bin/python3)."""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402

PAGES = [("north", "North Page", "North"), ("south", "South Page", "South")]
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
REGISTRYD = "/usr/libexec/at-spi2-registryd"
SYSTEM_PYTHON = "/usr/bin/python3"


class A11yBus(h.ProcessStack):
    """A private session D-Bus with the AT-SPI bus and registry on it. `env` is
    the given environment pointing at that session bus."""

    def __init__(self, env, timeout=20):
        self.base_env = dict(env)
        self.timeout = timeout
        self.env = None
        super().__init__()

    def _spawn(self, cmd, env, **kw):
        log = open(os.path.join(self._tmp, os.path.basename(cmd[0]) + ".log"), "wb")
        try:
            proc = subprocess.Popen(cmd, env=env, stdin=subprocess.DEVNULL, stderr=log,
                                    start_new_session=True, **kw)
        finally:
            log.close()
        self._procs.append(proc)
        return proc

    def _start(self):
        self._tmp = tempfile.mkdtemp(prefix="velloran-a11y-bus-")
        for tool in ("dbus-daemon", "dbus-send"):
            h.check(shutil.which(tool), f"{tool} is not installed (scripts/deps.sh installs it)")
        for tool in (BUS_LAUNCHER, REGISTRYD):
            h.check(os.access(tool, os.X_OK), f"{tool} is missing (package at-spi2-core)")

        env = dict(self.base_env)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        env.pop("AT_SPI_BUS_ADDRESS", None)
        daemon = self._spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                              "--print-address=1"], env, stdout=subprocess.PIPE)
        address = daemon.stdout.readline().decode().strip()
        daemon.stdout.close()
        h.check(address, "the session D-Bus did not report its address")
        env["DBUS_SESSION_BUS_ADDRESS"] = address
        env["NO_AT_BRIDGE"] = "0"
        self.env = env

        self._spawn([BUS_LAUNCHER, "--launch-immediately"], env)
        h.check(h.wait_for(self._a11y_address, self.timeout, 0.2),
                "the AT-SPI bus launcher never answered on the session bus")
        self._spawn([REGISTRYD], env)
        h.check(h.wait_for(self._registry_up, self.timeout, 0.2),
                "the AT-SPI registry did not come up on the accessibility bus")

    def _a11y_address(self):
        res = subprocess.run(["dbus-send", "--session", "--print-reply=literal",
                              "--dest=org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
                             env=self.env, capture_output=True, text=True, timeout=10)
        return res.stdout.strip() if res.returncode == 0 else ""

    def _registry_up(self):
        address = self._a11y_address()
        if not address:
            return False
        res = subprocess.run(["dbus-send", f"--bus={address}", "--print-reply",
                              "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                              "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.atspi.Registry"],
                             env=self.env, capture_output=True, text=True, timeout=10)
        return res.returncode == 0 and "true" in res.stdout


# ---------------------------------------------------------------------------
# The tree

class Node:
    """One accessible object, read once: role, name, states, and children."""

    def __init__(self, acc, role, role_name, name, showing, depth, children):
        self.acc = acc
        self.role = role
        self.role_name = role_name
        self.name = name
        self.showing = showing
        self.depth = depth
        self.children = children

    def walk(self):
        yield self
        for c in self.children:
            yield from c.walk()


def snapshot(pyatspi, acc, depth=0, max_depth=40, parent_showing=True):
    role = acc.getRole()
    try:
        states = acc.getState()
        # Whatever sits inside a hidden window or menu is out of sight too.
        showing = parent_showing and states.contains(pyatspi.STATE_SHOWING)
    except Exception:
        showing = False
    children = []
    # The pages' own content is the web sites', not the program's controls.
    if role != pyatspi.ROLE_DOCUMENT_WEB and depth < max_depth:
        for i in range(acc.childCount):
            child = acc.getChildAtIndex(i)
            if child is not None:
                children.append(snapshot(pyatspi, child, depth + 1, max_depth, showing))
    return Node(acc, role, acc.getRoleName(), acc.name or "", showing, depth, children)


def find_app(pyatspi):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and (app.name or "").lower() == "velloran":
            return app
    return None


REACHABLE = ("ROLE_PUSH_BUTTON", "ROLE_TOGGLE_BUTTON", "ROLE_MENU_ITEM", "ROLE_CHECK_MENU_ITEM",
             "ROLE_RADIO_MENU_ITEM", "ROLE_MENU", "ROLE_PAGE_TAB", "ROLE_LIST_ITEM",
             "ROLE_CHECK_BOX", "ROLE_RADIO_BUTTON", "ROLE_COMBO_BOX", "ROLE_ENTRY", "ROLE_TEXT",
             "ROLE_SPIN_BUTTON", "ROLE_SLIDER")


def path_of(node, tree):
    """'frame "Velloran" > tool bar "Page toolbar" > push button' for messages."""
    def search(n, trail):
        trail = trail + [n]
        if n is node:
            return trail
        for c in n.children:
            found = search(c, trail)
            if found:
                return found
        return None
    trail = search(tree, []) or [node]
    return " > ".join(f"{n.role_name}" + (f" {n.name!r}" if n.name else "") for n in trail[1:])


def nameless_controls(pyatspi, tree):
    roles = {getattr(pyatspi, r) for r in REACHABLE}
    return [n for n in tree.walk() if n.showing and n.role in roles and not n.name.strip()]


def main(args):
    shots = h.shots_dir(__file__)
    home = tempfile.mkdtemp(prefix="velloran-a11y-")
    pages = {f"/{name}": ("text/html; charset=utf-8", h.page_with_beacon(title, name))
             for name, title, _ in PAGES}
    app = None
    try:
        with h.Desktop() as desk, h.PageServer(pages) as srv, A11yBus(desk.env) as bus:
            # pyatspi reads the bus address when it is first imported.
            os.environ["DISPLAY"] = desk.display
            os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.env["DBUS_SESSION_BUS_ADDRESS"]
            try:
                import pyatspi  # noqa: E402  (Debian's python3-pyatspi)
            except ImportError:
                raise h.Failure("pyatspi is missing: install python3-pyatspi (scripts/deps.sh) "
                                f"and run this script with {SYSTEM_PYTHON}")

            env = dict(bus.env)
            env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
            env["QT_ACCESSIBILITY"] = "1"
            # Tabbed layout, no reloading timer; both pages load at start.
            h.write_ini(home, [0, 0, 1, 0, 0, -1])
            h.write_dat(home, [(srv.url(f"/{name}"), True, alias) for name, _, alias in PAGES])

            def fail(message):
                try:
                    desk.screenshot(os.path.join(shots, "e2e_accessibility-failure.png"))
                except h.Failure:
                    pass
                raise h.Failure(f"{message}\n--- velloran stderr ---\n"
                                + (app.stderr_tail() if app else ""))

            app = h.Velloran.start(args.binary, home, env)
            if not desk.find_windows("Velloran", timeout=60):
                fail("no window titled 'Velloran' appeared within 60 s")
            for name, title, _ in PAGES:
                if not h.wait_for(lambda: srv.beacon_count(name) > 0, 60):
                    fail(f"'{title}' never finished loading")

            acc = h.wait_for(lambda: find_app(pyatspi), 30, 0.5)
            if acc is None:
                fail("no application named velloran on the accessibility bus")

            # Tab cells and toolbar names settle once the pages have loaded.
            def ready():
                tree = snapshot(pyatspi, acc)
                names = {n.name for n in tree.walk() if n.showing}
                return tree if all(alias in names for _, _, alias in PAGES) else None

            tree = h.wait_for(ready, 30, 1.0) or snapshot(pyatspi, acc)
            desk.screenshot(os.path.join(shots, "e2e_accessibility.png"))

            if os.environ.get("VELLORAN_A11Y_DUMP"):
                for n in tree.walk():
                    print("  " * n.depth + f"[{pyatspi.Role(n.role)}] {n.name!r}"
                          + ("" if n.showing else " (hidden)"))

            def require_names(tree, where):
                missing = nameless_controls(pyatspi, tree)
                if missing:
                    fail(f"{where}: controls without an accessible name:\n  "
                         + "\n  ".join(path_of(n, tree) for n in missing))

            shown = [n for n in tree.walk() if n.showing]
            roles = {getattr(pyatspi, r) for r in REACHABLE}
            if sum(1 for n in shown if n.role in roles) < 10:
                fail("fewer than ten controls are showing in the accessibility tree")
            require_names(tree, "main window")

            # The tab strip: one cell per Top 8 page, named with its label, in slot order.
            strips = [n for n in shown if n.name == "Tabs"]
            if len(strips) != 1:
                fail(f"expected one 'Tabs' strip, found {len(strips)}")
            cells = [c.name for c in strips[0].children
                     if c.showing and c.role == pyatspi.ROLE_PUSH_BUTTON]
            labels = [alias for _, _, alias in PAGES]
            tabbed = [c for c in cells if c in labels]
            if tabbed != labels:
                fail(f"the tab cells are {cells}, expected cells named {labels} in that order")

            # The page toolbar of the page in front says what each button does.
            front = [n for n in shown if n.role == pyatspi.ROLE_FRAME and n.name in labels]
            if len(front) != 1:
                fail(f"expected one page window in front, found {[n.name for n in front]}")
            bars = [n for n in front[0].walk() if n.showing and n.role == pyatspi.ROLE_TOOL_BAR]
            if not bars:
                fail(f"the page '{front[0].name}' shows no toolbar")
            buttons = [n.name for n in bars[0].walk()
                       if n.showing and n.role == pyatspi.ROLE_PUSH_BUTTON]
            for want in ("Refresh", "Go Back", "Go Forward", f"Home - {front[0].name}",
                         "Print", "Full Screen", "Favorites"):
                if want not in buttons:
                    fail(f"no toolbar button named {want!r}; buttons: {buttons}")

            # Menus: each one the menu bar opens, with its items as a person sees them.
            win = desk.find_windows("Velloran", timeout=5)
            if len(win) != 1:
                fail("the main window went away")
            bar = [n for n in shown if n.role == pyatspi.ROLE_MENU_BAR]
            if len(bar) != 1:
                fail(f"expected one menu bar, found {len(bar)}")
            menus = [n for n in bar[0].children if n.showing and any(
                c.role == pyatspi.ROLE_POPUP_MENU for c in n.children)]
            if len(menus) < 4:
                fail(f"the menu bar holds only {[m.name for m in menus]}")
            for menu in menus:
                # Opened the way a screen reader does, through the menu's own action.
                act = menu.acc.queryAction()
                names = [act.getName(i) for i in range(act.nActions)]
                if "ShowMenu" not in names:
                    fail(f"the {menu.name!r} menu offers no ShowMenu action: {names}")
                h.activate(win[0], desk.env)
                act.doAction(names.index("ShowMenu"))

                def opened():
                    m = snapshot(pyatspi, menu.acc)
                    popups = [c for c in m.children if c.role == pyatspi.ROLE_POPUP_MENU]
                    return m if popups and any(i.showing for i in popups[0].children) else None

                sub = h.wait_for(opened, 10, 0.3)
                if sub is None:
                    fail(f"the {menu.name!r} menu did not open")
                items = [i for i in sub.walk() if i.showing and i.role == pyatspi.ROLE_MENU_ITEM]
                if not items:
                    fail(f"the {menu.name!r} menu shows no items")
                require_names(sub, f"the {menu.name!r} menu")
                h.key(None, "Escape", desk.env)
                if not h.wait_for(lambda: not any(
                        i.showing for i in snapshot(pyatspi, menu.acc).walk()
                        if i.role == pyatspi.ROLE_MENU_ITEM and i.acc is not menu.acc), 10, 0.3):
                    fail(f"the {menu.name!r} menu did not close on Escape")

            # The find bar, with something typed in it.
            h.key(win[0], "ctrl+f", desk.env)
            h.type_text(None, "North", desk.env)

            def find_bar_up():
                t = snapshot(pyatspi, acc)
                return t if any(n.showing and n.name == "Find on this page" for n in t.walk()) else None

            tree = h.wait_for(find_bar_up, 10, 0.5)
            if tree is None:
                fail("Ctrl+F did not bring up the find bar")
            require_names(tree, "main window with the find bar open")
            h.key(None, "Escape", desk.env)
    finally:
        if app is not None:
            app.stop()
        h.remove_folder(home, args.keep)


if __name__ == "__main__":
    # pyatspi comes with Debian's own interpreter; when started by another one
    # (a pyenv or venv python3 first on PATH), hand over to Debian's.
    import importlib.util
    if importlib.util.find_spec("pyatspi") is None and os.path.exists(SYSTEM_PYTHON) \
            and os.path.realpath(sys.executable) != os.path.realpath(SYSTEM_PYTHON):
        os.execv(SYSTEM_PYTHON, [SYSTEM_PYTHON, os.path.abspath(__file__), *sys.argv[1:]])
    h.run(main)
