#!/usr/bin/python3
"""Desktops other than harness.py's X11 one with its XEmbed tray: a tray that
starts late, a private session bus, and a StatusNotifier watcher and host of the
test's own on it (python3-dbus).

    python3 desktops.py sni-watcher   # runs the watcher; the bus is in the environment
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402

WATCHER = "org.kde.StatusNotifierWatcher"
WATCHER_PATH = "/StatusNotifierWatcher"
ITEM_IFACE = "org.kde.StatusNotifierItem"
MENU_IFACE = "com.canonical.dbusmenu"
PROPS = "org.freedesktop.DBus.Properties"


def start_tray(desk):
    """Starts trayer on a running desktop, as a panel that comes after the programs."""
    env = desk.env
    log = os.path.join(desk._tmp, "trayer-late.log")
    desk._procs.append(h._spawn(
        ["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
         "--width", "120", "--height", "24", "--SetDockType", "true", "--transparent", "false"],
        env, stdout=log, stderr=log))
    h.check(h.wait_for(lambda: h.tray_windows(env), 30, 0.2), "trayer did not start")


# A dark colour scheme as a KDE session keeps it; Qt reads it when the session says KDE.
_DARK_KDEGLOBALS = """[Colors:Button]
BackgroundNormal=49,54,59
ForegroundNormal=239,240,241
[Colors:Selection]
BackgroundNormal=61,174,233
ForegroundNormal=252,252,252
[Colors:Tooltip]
BackgroundNormal=49,54,59
ForegroundNormal=239,240,241
[Colors:View]
BackgroundNormal=27,30,32
ForegroundNormal=239,240,241
ForegroundInactive=161,169,177
[Colors:Window]
BackgroundNormal=42,46,50
ForegroundNormal=239,240,241
ForegroundInactive=161,169,177
"""


def dark_session(home):
    """Environment for a program started with `home` as its data folder (harness's
    Velloran.start keeps XDG_CONFIG_HOME under it) on a desktop with a dark palette."""
    config = os.path.join(home, "xdg", "config")
    os.makedirs(config, exist_ok=True)
    with open(os.path.join(config, "kdeglobals"), "w") as f:
        f.write(_DARK_KDEGLOBALS)
    return {"XDG_CURRENT_DESKTOP": "KDE", "KDE_SESSION_VERSION": "5", "KDE_FULL_SESSION": "true"}


def luminance(rgb):
    r, g, b = rgb
    return (299 * r + 587 * g + 114 * b) // 1000


class screen_size:
    """Within this block, scenarios start their desktop with a screen of this size."""

    def __init__(self, width, height):
        self.size = (width, height)

    def __enter__(self):
        self._saved = h.Desktop
        saved, (w, ht) = self._saved, self.size
        h.Desktop = lambda **kw: saved(width=w, height=ht, **kw)
        return self

    def __exit__(self, *exc):
        h.Desktop = self._saved
        return False


class SessionBus:
    """A private dbus-daemon with a StatusNotifier watcher (that is also the host)."""

    def __init__(self, tmp, watcher=True):
        self.tmp, self.with_watcher = tmp, watcher
        self.procs = []
        self.address = None
        self.bus = None

    def __enter__(self):
        import dbus
        with open(os.path.join(self.tmp, "dbus-daemon.log"), "wb") as log:
            daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                      stdout=subprocess.PIPE, stderr=log, stdin=subprocess.DEVNULL,
                                      text=True, start_new_session=True)
        self.procs.append(daemon)
        self.address = daemon.stdout.readline().strip()
        h.check(self.address, "dbus-daemon gave no address")
        self.bus = dbus.bus.BusConnection(self.address)
        if self.with_watcher:
            self.start_watcher()
        return self

    def start_watcher(self):
        """The tray itself: a panel starting now."""
        env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=self.address)
        log = os.path.join(self.tmp, "sni-watcher.log")
        self.procs.append(h._spawn(["/usr/bin/python3", os.path.abspath(__file__), "sni-watcher"], env,
                                   stdout=log, stderr=log))
        h.check(h.wait_for(lambda: self.bus.name_has_owner(WATCHER), 20, 0.1),
                "the StatusNotifier watcher did not come up: " + open(log).read()[-500:])

    def __exit__(self, *exc):
        for p in reversed(self.procs):
            h._stop_group(p)
        return False

    def items(self):
        w = self.bus.get_object(WATCHER, WATCHER_PATH)
        return [str(s) for s in w.Get(WATCHER, "RegisteredStatusNotifierItems", dbus_interface=PROPS)]

    def item(self, name):
        """(proxy of the item, its Properties getter) from a registered name."""
        service, _, path = name.partition("/")
        obj = self.bus.get_object(service, "/" + path if path else "/StatusNotifierItem")
        return obj, (lambda prop: obj.Get(ITEM_IFACE, prop, dbus_interface=PROPS))

    def menu(self, service, path):
        return self.bus.get_object(service, path)


def menu_items(menu):
    """The exported menu's top-level entries: [(id, {property: value})]."""
    _, (_, _, children) = menu.GetLayout(0, -1, [], dbus_interface=MENU_IFACE)
    out = []
    for child in children:
        cid, props, _ = child
        out.append((int(cid), {str(k): (str(v) if isinstance(v, str) else int(v) if isinstance(v, (bool, int)) else v)
                               for k, v in props.items()}))
    return out


# ---------------------------------------------------------------------------
# The watcher, run in its own process with a GLib main loop.

_INTROSPECTION = """<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">
<node>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg direction="out" type="s"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg direction="in" type="s"/><arg direction="in" type="s"/><arg direction="out" type="v"/></method>
    <method name="GetAll"><arg direction="in" type="s"/><arg direction="out" type="a{sv}"/></method>
  </interface>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg direction="in" type="s"/></method>
    <method name="RegisterStatusNotifierHost"><arg direction="in" type="s"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
</node>
"""


def run_watcher():
    dbus, bus, GLib = h.dbus_session()

    class Watcher(dbus.service.Object):
        def __init__(self):
            super().__init__(bus, WATCHER_PATH)
            self.items = []

        def _props(self):
            return {"RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
                    "IsStatusNotifierHostRegistered": dbus.Boolean(True),
                    "ProtocolVersion": dbus.Int32(0)}

        @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s")
        def Introspect(self):
            return _INTROSPECTION

        @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
        def Get(self, iface, prop):
            return self._props()[prop]

        @dbus.service.method(PROPS, in_signature="s", out_signature="a{sv}")
        def GetAll(self, iface):
            return self._props()

        @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
        def RegisterStatusNotifierItem(self, service, sender=None):
            name = service if service.startswith("/") is False else sender + service
            if name not in self.items:
                self.items.append(name)
            self.StatusNotifierItemRegistered(name)

        @dbus.service.method(WATCHER, in_signature="s")
        def RegisterStatusNotifierHost(self, service):
            self.StatusNotifierHostRegistered()

        @dbus.service.signal(WATCHER, signature="s")
        def StatusNotifierItemRegistered(self, name):
            pass

        @dbus.service.signal(WATCHER, signature="")
        def StatusNotifierHostRegistered(self):
            pass

    watcher = Watcher()
    bus.request_name(WATCHER)
    print("watcher up", flush=True)
    GLib.MainLoop().run()
    del watcher


if __name__ == "__main__" and sys.argv[1:] == ["sni-watcher"]:
    run_watcher()


# ---------------------------------------------------------------------------
# A Wayland desktop: weston's headless back end, rendering in memory with pixman.

class Weston(h.ProcessStack):
    """Headless weston with its desktop shell; `env` points a program at it as a native
    Wayland client (QT_QPA_PLATFORM=wayland, no DISPLAY). Stands in for harness.Desktop
    in a Scenario: it has env, screenshot() and close(), but no X tools work on it."""

    def __init__(self, width=1280, height=800, timeout=30, **_ignored):
        self.size = (width, height)
        self.timeout = timeout
        self.env = None
        super().__init__()

    def _start(self):
        h.check(shutil.which("weston"), "weston is not installed (scripts/deps.sh installs it)")
        self._tmp = tempfile.mkdtemp(prefix="velloran-weston-")
        runtime = os.path.join(self._tmp, "runtime")
        os.mkdir(runtime, 0o700)
        env = os.environ.copy()
        for var in ("DISPLAY", "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS", "QT_QPA_PLATFORM"):
            env.pop(var, None)
        env["XDG_RUNTIME_DIR"] = runtime
        env["XDG_CONFIG_HOME"] = os.path.join(self._tmp, "config")
        w, ht = self.size
        log = os.path.join(self._tmp, "weston.log")
        # --debug lets weston-screenshooter read the output.
        self._procs.append(h._spawn(
            ["weston", "--backend=headless-backend.so", "--socket=velloran-wl", f"--width={w}",
             f"--height={ht}", "--use-pixman", "--no-config", "--idle-time=0", "--debug"],
            env, stdout=log, stderr=log))
        socket = os.path.join(runtime, "velloran-wl")
        h.check(h.wait_for(lambda: os.path.exists(socket) and self._answers(env, socket), self.timeout, 0.2),
                "weston did not start: " + self._log_tail())
        # An absolute socket path keeps working when a program gets its own XDG_RUNTIME_DIR.
        env["WAYLAND_DISPLAY"] = socket
        env["QT_QPA_PLATFORM"] = "wayland"
        env["XDG_SESSION_TYPE"] = "wayland"
        self.env = env

    def _answers(self, env, socket):
        rc, out = h._x(["weston-info"], dict(env, WAYLAND_DISPLAY=socket), timeout=5)
        return rc == 0 and "weston_desktop_shell" in out

    def _log_tail(self, lines=15):
        try:
            with open(os.path.join(self._tmp, "weston.log"), errors="replace") as f:
                return "".join(f.readlines()[-lines:]).strip() or "(no output)"
        except OSError:
            return "(no log)"

    def screenshot(self, path):
        """The output as a PNG at path, through weston's screenshooter."""
        shots = tempfile.mkdtemp(dir=self._tmp)
        # It names its picture by the time, in its working folder.
        subprocess.run(["weston-screenshooter"], env=self.env, cwd=shots, stdin=subprocess.DEVNULL,
                       capture_output=True, timeout=30)
        made = [f for f in os.listdir(shots) if f.endswith(".png")]
        h.check(made, "weston-screenshooter wrote no picture")
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        shutil.move(os.path.join(shots, made[0]), path)
        shutil.rmtree(shots, ignore_errors=True)
        return path

    def grab(self):
        """The output as a scenario.Image."""
        import scenario
        png = self.screenshot(os.path.join(self._tmp, "grab.png"))
        res = subprocess.run(["convert", png, "-depth", "8", "ppm:-"], capture_output=True, timeout=30)
        h.check(res.returncode == 0, "convert could not read the screenshot")
        magic, width, height, maxval, data = res.stdout.split(maxsplit=4)
        h.check(magic == b"P6" and maxval == b"255", "unexpected screenshot format")
        return scenario.Image(int(width), int(height), data)


class on_weston:
    """Within this block, scenarios start their desktop on headless weston."""

    def __enter__(self):
        self._saved = h.Desktop
        h.Desktop = Weston
        return self

    def __exit__(self, *exc):
        h.Desktop = self._saved
        return False



class ScreenReader:
    """The program's accessibility tree on a private AT-SPI bus, read with pyatspi and
    driven through the controls' own actions, as a screen reader does: the way to press
    things where no input can be injected (weston's headless back end has no seat).
    Needs Debian's /usr/bin/python3 (python3-pyatspi); one per test process."""

    def __init__(self, env):
        import test_accessibility
        self._ta = test_accessibility
        self._bus = test_accessibility.A11yBus(env)
        self.pyatspi = None

    def __enter__(self):
        self._bus.__enter__()
        # pyatspi finds its bus when first imported.
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = self._bus.env["DBUS_SESSION_BUS_ADDRESS"]
        try:
            import pyatspi
        except ImportError:
            self._bus.close()
            raise h.Failure("pyatspi is missing: install python3-pyatspi and use /usr/bin/python3")
        self.pyatspi = pyatspi
        self._address = self._bus._a11y_address()
        return self

    def __exit__(self, *exc):
        self._bus.close()
        return False

    @property
    def env(self):
        """What a program needs in its environment to show up here."""
        return {"DBUS_SESSION_BUS_ADDRESS": self._bus.env["DBUS_SESSION_BUS_ADDRESS"],
                "NO_AT_BRIDGE": "0", "QT_ACCESSIBILITY": "1", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}

    def nodes(self):
        """Every object of the running Velloran, its tree read afresh."""
        try:
            app = self._ta.find_app(self.pyatspi)
            return list(self._ta.snapshot(self.pyatspi, app).walk()) if app else []
        except Exception:  # the tree changes while it is read
            return []

    def shown(self):
        return [n for n in self.nodes() if n.showing]

    def find(self, name, role, timeout=0.0):
        """Showing objects with this name and role name ("push button", "dialog", ...)."""
        return h.wait_for(lambda: [n for n in self.shown() if n.name == name and n.role_name == role],
                          timeout, 0.3) or []

    def gone(self, name, role, timeout):
        return h.wait_for(lambda: not [n for n in self.shown() if n.name == name and n.role_name == role],
                          timeout, 0.3)

    def press(self, name, role, action="Press", timeout=15):
        """Runs a control's action without waiting for its answer: a command that opens
        a modal dialog answers only once the dialog has closed."""
        # Items of a closed menu are there too, though not showing.
        nodes = h.wait_for(lambda: sorted((n for n in self.nodes() if n.name == name and n.role_name == role),
                                          key=lambda n: n.showing), timeout, 0.3)
        h.check(nodes, f"no {role} {name!r} to press")
        acc = nodes[-1].acc
        act = acc.queryAction()
        names = [act.getName(i) for i in range(act.nActions)]
        h.check(action in names, f"the {role} {name!r} offers {names}, not {action}")
        h._x(["dbus-send", "--type=method_call", f"--bus={self._address}", f"--dest={acc.app.bus_name}", acc.path,
              "org.a11y.atspi.Action.DoAction", f"int32:{names.index(action)}"], os.environ, check_rc=True)

    def rect(self, node):
        """(x, y, width, height) in the coordinates of the window it is in."""
        e = node.acc.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        return (e.x, e.y, e.width, e.height)


def split_monitors(env, width, height):
    """Makes the X screen two side-by-side monitors of width/2 x height (RandR 1.5),
    the left one primary, as a laptop with a second display is."""
    half = width // 2
    for name, geometry, output in (("left", f"{half}/300x{height}/190+0+0", "screen"),
                                   ("right", f"{half}/300x{height}/190+{half}+0", "none")):
        rc, out = h._x(["xrandr", "--setmonitor", name, geometry, output], env)
        h.check(rc == 0, f"xrandr --setmonitor {name} failed: {out}")
