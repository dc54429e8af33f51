#!/usr/bin/python3
"""Desktops other than harness.py's X11 one with its XEmbed tray: a tray that
starts late, a private session bus, and a StatusNotifier watcher and host of the
test's own on it (python3-dbus).

    python3 desktops.py sni-watcher   # runs the watcher; the bus is in the environment
"""

import os
import subprocess
import sys
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

    def __init__(self, tmp):
        self.tmp = tmp
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
        env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=self.address)
        log = os.path.join(self.tmp, "sni-watcher.log")
        self.procs.append(h._spawn(["/usr/bin/python3", os.path.abspath(__file__), "sni-watcher"], env,
                                   stdout=log, stderr=log))
        self.bus = dbus.bus.BusConnection(self.address)
        h.check(h.wait_for(lambda: self.bus.name_has_owner(WATCHER), 20, 0.1),
                "the StatusNotifier watcher did not come up: " + open(log).read()[-500:])
        return self

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
    import dbus
    import dbus.service
    from dbus.mainloop.glib import DBusGMainLoop
    from gi.repository import GLib

    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()

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
