#!/usr/bin/env python3
"""Wall mode on the real engine: started with --wall, three pages of one colour each,
with dwells of 3, 5 and 4 seconds (30, 50 and 40 on a minute shortened to 6 s), take
their turns twice over the whole screen, each within 250 ms of its dwell; the screen,
sampled as fast as the X server answers around every switch, never shows anything
but one whole page. A key pauses the turn and shows the bar; a minute without input
hides it and the turns go on; Esc brings the main window back with the pages in it.
The screen saver is held off through a fake org.freedesktop.ScreenSaver on a private
session bus, and let go on the way out."""

import ctypes
import os
import sys
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktops  # noqa: E402
import harness as h  # noqa: E402
import scenario as s  # noqa: E402
from scenario import Scenario  # noqa: E402

MINUTE_MS = 6000
PAGES = (("red", (220, 30, 30), 30), ("green", (30, 170, 60), 50), ("blue", (40, 60, 210), 40))
WALL_TITLE = "Velloran - Wall Mode"
BAR = (0x20, 0x24, 0x28)
TOLERANCE_MS = 250
ROWS = (120, 400, 680)   # clear of the bar and the progress line at the bottom


def colour_page(name, rgb):
    html = (f"<!DOCTYPE html><html><head><meta charset='utf-8'><title>{name.capitalize()}</title>"
            f"<style>html,body{{margin:0;height:100%;background:rgb{rgb}}}</style></head><body>"
            "<script>window.onload=function(){fetch('/loaded?page=" + name + "&t='+Date.now(),"
            "{cache:'no-store'});};</script></body></html>")
    return (s.HTML, html.encode())


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


class Sampler:
    """Rows of the screen read straight from the X server, many times a second."""

    def __init__(self, display, width):
        x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XGetImage.restype = ctypes.POINTER(XImage)
        x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
        self.x, self.width = x, width
        self.dpy = x.XOpenDisplay(display.encode())
        h.check(self.dpy, f"cannot open display {display}")
        self.root = x.XDefaultRootWindow(self.dpy)

    def row(self, y):
        img = self.x.XGetImage(self.dpy, self.root, 0, y, self.width, 1, 0xFFFFFFFF, 2)  # ZPixmap
        h.check(img and img.contents.bits_per_pixel == 32, "unexpected X image format")
        data = ctypes.string_at(img.contents.data, self.width * 4)
        self.x.XDestroyImage(img)
        return [(data[i + 2], data[i + 1], data[i]) for i in range(0, self.width * 4, 32)]

    def look(self):
        """The page shown, judged by a few whole rows of the screen read one by one:
        each must be one page's colour from edge to edge, else the answer is None. Rows
        of two pages mean a switch between two reads; the last row read names the page."""
        name = None
        for y in ROWS:
            pixels = self.row(y)
            self.last = pixels
            name = next((n for n, rgb, _ in PAGES if all(s.close_to(p, rgb, 12) for p in pixels)), None)
            if name is None:
                return None
        return name


def run_screensaver(log_path):
    """A fake org.freedesktop.ScreenSaver that writes each call to log_path."""
    dbus, bus, GLib = h.dbus_session()
    iface = "org.freedesktop.ScreenSaver"

    class ScreenSaver(dbus.service.Object):
        cookie = 0

        def _log(self, line):
            with open(log_path, "a") as f:
                f.write(line + "\n")

        @dbus.service.method(iface, in_signature="ss", out_signature="u")
        def Inhibit(self, app, reason):
            ScreenSaver.cookie += 1
            self._log(f"Inhibit {ScreenSaver.cookie} {app} {reason}")
            return ScreenSaver.cookie

        @dbus.service.method(iface, in_signature="u")
        def UnInhibit(self, cookie):
            self._log(f"UnInhibit {cookie}")

    objects = [ScreenSaver(bus, "/org/freedesktop/ScreenSaver"), ScreenSaver(bus, "/ScreenSaver")]
    bus.request_name(iface)
    GLib.MainLoop().run()
    del objects


def main(args):
    names = [n for n, _, _ in PAGES]
    pages = {f"/{n}": colour_page(n, rgb) for n, rgb, _ in PAGES}
    with Scenario(__file__, args, "e2e_wall_mode", pages) as sc, \
            desktops.SessionBus(sc.desk._tmp, watcher=False) as bus:
        env = sc.env
        log = os.path.join(sc.desk._tmp, "screensaver.log")
        saver = h._spawn(["/usr/bin/python3", os.path.abspath(__file__), "screensaver", log],
                         dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus.address), stdout=log + ".out",
                         stderr=log + ".out")
        try:
            sc.expect(h.wait_for(lambda: bus.bus.name_has_owner("org.freedesktop.ScreenSaver"), 20, 0.1),
                      "the fake screen-saver service did not come up")
            wall_scenario(sc, bus, log, names)
        finally:
            h._stop_group(saver)


def calls(log):
    try:
        with open(log) as f:
            return [line.split() for line in f.read().splitlines()]
    except OSError:
        return []


def wall_scenario(sc, bus, log, names):
    env = sc.env
    h.write_ini(sc.home, [0, 0, 1, 0, 0, -1])
    h.write_dat(sc.home, [(sc.url(f"/{n}"), True, n.capitalize()) for n in names])
    with open(os.path.join(sc.home, "velloran-sites.txt"), "w") as f:
        for n, _, dwell in PAGES:
            f.write(f"{urllib.parse.quote(sc.url('/' + n), safe=':/')}\tsite\tdwell\t{dwell}\r\n")
    app = h.Velloran.start(sc.args.binary, sc.home,
                           dict(env, DBUS_SESSION_BUS_ADDRESS=bus.address, VELLORAN_MINUTE_MS=str(MINUTE_MS)),
                           args=("--wall",))
    sc.apps.append(app)
    if not h.find_windows(WALL_TITLE, env, 60):
        sc.fail(f"--wall showed no window titled '{WALL_TITLE}'")
    wall = h.find_windows(WALL_TITLE, env)[0]
    rect = s.client_rect(wall, env)
    sc.expect(rect == (0, 0) + sc.desk.size, f"the wall covers {rect}, not the whole {sc.desk.size} screen")
    sc.expect(not s.velloran_windows(env, "NORMAL"), "the main window stayed shown beside the wall")
    got = h.wait_for(lambda: [c for c in calls(log) if c[0] == "Inhibit"], 20, 0.2)
    sc.expect(got and got[0][2] == "Velloran", f"no Inhibit call from Velloran reached the bus: {calls(log)}")

    # Two whole rounds, and the start of a third to end the last dwell.
    sampler = Sampler(env["DISPLAY"], sc.desk.size[0])
    seen, start = [], time.monotonic()
    rounds_s = sum(d for _, _, d in PAGES) * MINUTE_MS / 60000 * 2
    deadline = start + 30 + rounds_s + 5
    switches = []
    while time.monotonic() < deadline and len(switches) < 8:
        t = time.monotonic()
        name = sampler.look()
        seen.append((t, name))
        time.sleep(0.002)  # a few hundred looks a second, leaving the program its processor
        if name and (not switches or switches[-1][1] != name):
            switches.append((t, name))
        elif switches and name is None:
            sc.fail(f"{t - switches[-1][0]:.3f} s into {switches[-1][1]}'s turn the screen showed "
                    f"something other than one whole page: {sorted(set(sampler.last))[:8]}")
    sc.expect(len(switches) >= 8, f"the pages did not take two rounds of turns: {switches}")
    order = [n for _, n in switches]
    first = names.index(order[0])
    want = [names[(first + i) % 3] for i in range(8)]
    sc.expect(order == want, f"the pages took their turns as {order}, expected {want}")
    dwell = {n: d * MINUTE_MS / 60 for n, _, d in PAGES}
    for (t0, n), (t1, _) in zip(switches, switches[1:]):
        measured = (t1 - t0) * 1000
        sc.expect(abs(measured - dwell[n]) <= TOLERANCE_MS,
                  f"{n} was shown {measured:.0f} ms, its dwell is {dwell[n]:.0f} ms (all: "
                  f"{[(n2, round((b - a) * 1000)) for (a, n2), (b, _) in zip(switches, switches[1:])]})")
    during = [x for x in seen if x[0] >= switches[0][0]]
    rate = len(during) / (during[-1][0] - during[0][0])
    print(f"wall: {len(during)} samples at {rate:.0f}/s over {len(switches) - 1} turns; dwells (ms): "
          + ", ".join(f"{n} {round((b - a) * 1000)}" for (a, n), (b, _) in zip(switches, switches[1:])))

    # A key pauses on the page shown and brings up the bar.
    paused_on = sampler.look()
    h.key(None, "space", env)
    bar_at = time.monotonic()

    def bar_shown():
        img = s.grab(env)
        w, ht = sc.desk.size
        return sum(s.close_to(img.pixel(x, ht - 40), BAR, 16) for x in range(w)) >= 100

    sc.expect(h.wait_for(bar_shown, 5, 0.2), "a key press showed no bar")
    sc.shot("bar")
    sc.desk.screenshot("/tmp/wall-bar.png")
    longest = max(dwell.values()) / 1000 + 0.5
    while time.monotonic() - bar_at < longest:
        now = sampler.look()
        sc.expect(now == paused_on, f"the turn went on to {now} while paused on {paused_on}")
        time.sleep(0.05)
    # A minute (shortened) without input: the bar goes and the turns go on.
    moved = h.wait_for(lambda: sampler.look() not in (paused_on, None), MINUTE_MS / 1000 + longest + 2, 0.05)
    sc.expect(moved, f"the turn stayed on {paused_on} after a minute without input")
    sc.expect(time.monotonic() - bar_at >= MINUTE_MS / 1000 - 0.3,
              f"the turn went on {time.monotonic() - bar_at:.1f} s after the key, before a minute without input")
    sc.expect(h.wait_for(lambda: not bar_shown(), 3, 0.2), "the bar stayed after a minute without input")

    # Esc: back to the main window, its pages in their windows again; the screen saver is free.
    h.key(None, "Escape", env)
    if not h.wait_for(lambda: not h.find_windows(WALL_TITLE, env), 10, 0.2):
        sc.fail("Esc did not end wall mode")
    main = sc.main_window(timeout=10)
    colour = h.wait_for(lambda: (lambda c: c if any(s.close_to(c, rgb, 12) for _, rgb, _ in PAGES) else None)(
        sc.shown_colour(main)), 10, 0.3)
    sc.expect(colour, f"the main window shows {sc.shown_colour(main)}, none of the pages")
    cookie = got[0][1]
    sc.expect(h.wait_for(lambda: ["UnInhibit", cookie] in calls(log), 10, 0.2),
              f"leaving wall mode did not let the screen saver go: {calls(log)}")
    sc.final_shot()
    sc.key(main, "alt+f x")
    sc.expect(app.wait(20) is not None, "Velloran was still running 20 s after File > Exit")


if __name__ == "__main__":
    if sys.argv[1:2] == ["screensaver"]:
        run_screensaver(sys.argv[2])
    else:
        h.run(main)
