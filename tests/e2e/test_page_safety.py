#!/usr/bin/env python3
"""One page cannot freeze, crash or reach past Velloran: with an alert nobody answers
and a confirm and a prompt asked on load, the other pages are still refreshed on
time; pop-ups that print, download or ask for a password, closed by their opener
while they do, and a thousand window.open calls leave Velloran running and refreshing
with a few pop-ups at most, the download saved in the downloads folder beside a file
of the same name; ssh: and file: links clicked in a page are never handed to the
desktop and start no program, while a web link for a new window still goes to the
default browser.

VELLORAN_MINUTE_MS shortens the program's minute to three seconds."""

import os
import stat
import sys
import threading
import time
import uuid

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import scenario as s  # noqa: E402
from scenario import Scenario  # noqa: E402
from websites import Site, beacon_page, page_dialogs  # noqa: E402

MINUTE_MS = 3000
TICKS = [0, -1, 1, 0, 0, -1]    # tabbed, refresh every minute
REPORT = b"when,what\n09:30,backup done\n" * 50
NEIGHBOUR = beacon_page("North", "north", "<h1>North</h1>")


def on_load(script):
    return f"window.addEventListener('load', function () {{ {script} }});"


# The page in front alerts on load; the one in a hidden tab asks twice. Each says
# afterwards what it was answered.
ALERT = beacon_page("Alert", "alert", "<h1>Alert</h1>",
                    on_load("alert('The backup is overdue'); fetch('/loaded?page=alert-went-on');"))
ASK = beacon_page("Ask", "ask", "<h1>Ask</h1>",
                  on_load("fetch('/loaded?page=confirm-' + confirm('Delete everything?'));"
                          " fetch('/loaded?page=prompt-' + prompt('Your name?', 'x'));"))
# Opens, without a click, what /go names: one pop-up it closes three seconds later,
# or a thousand at once. Typed into, it is not refreshed under its pop-ups.
NOTES = (0xff, 0xf3, 0xb0)
OPENER = beacon_page(
    "Opener", "opener", f"<textarea style='width:90vw;height:60vh;background:#{bytes(NOTES).hex()}'></textarea>",
    "setInterval(function () { fetch('/go', {cache: 'no-store'}).then(function (r) { return r.text(); })"
    ".then(function (t) { if (!t || sessionStorage[t]) return; sessionStorage[t] = 1;"
    " if (t === 'flood') { for (var i = 0; i < 1000; i++) window.open('/flood', 'flood' + i, 'width=300,height=200');"
    "  fetch('/loaded?page=flood-done'); return; }"
    " var w = window.open('/' + t, t, 'width=420,height=320');"
    " setTimeout(function () { if (w) w.close(); fetch('/loaded?page=closed-' + t); }, 3000); }); }, 400);")
POPUPS = {
    "/print": beacon_page("Print Me", "print", "invoice", on_load("setTimeout(function () { window.print(); }, 300);")),
    "/download": beacon_page("Download", "download", "", on_load("location.href = '/report.bin';")),
    "/flood": beacon_page("Flood", "flood", "flood"),
}
# Big coloured links, found on the screen by their colours and clicked with the mouse.
LINKS = [("ssh:", "ssh://admin@127.0.0.1/", "", (0xc0, 0x39, 0x2b)),
         ("ssh: in a new window", "ssh://admin@127.0.0.1/", "_blank", (0x27, 0xae, 0x60)),
         ("file:", "file:///etc/passwd", "", (0x29, 0x80, 0xb9)),
         ("file: in a new window", "file:///etc/passwd", "_blank", (0x8e, 0x44, 0xad)),
         ("web link in a new window", "/elsewhere", "_blank", (0xd3, 0x54, 0x00))]
LINKS_PAGE = beacon_page("Links", "links", "<style>a{display:block;height:70px;margin:8px;color:#fff}</style>"
                         + "".join(f"<a href='{href}' target='{target or '_self'}'"
                                   f" style='background:#{bytes(rgb).hex()}'>{what}</a>"
                                   for what, href, target, rgb in LINKS))


def is_dialog(window, env):
    return (s.window_types(window, env) or [""])[0] == "_NET_WM_WINDOW_TYPE_DIALOG"


def popup_windows(env):
    """The program's pop-up windows, shown or not: titled "… - Velloran", not dialogs.
    Read from xwininfo, which shows titles beyond Latin-1 that xdotool cannot match."""
    return [r[1] for r in h.window_tree(env) if '"velloran"' in r[3].lower()
            and r[2].endswith(" - Velloran") and not is_dialog(r[1], env)]


def questions(env):
    """The program's dialogs on the screen."""
    rc, out = h._x(["xdotool", "search", "--onlyvisible", "--class", "velloran"], env)
    return [w for w in (out.split() if rc == 0 else []) if is_dialog(w, env)]


def box_centre(env, main, rgb):
    """The middle of the area of the main window painted in rgb, or None."""
    x0, y0, w, hgt = s.client_rect(main, env)
    img = s.grab(env)
    hits = [(x, y) for y in range(y0, min(y0 + hgt, img.height), 3) for x in range(x0, min(x0 + w, img.width), 3)
            if s.close_to(img.pixel(x, y), rgb, 6)]
    if not hits:
        return None
    xs, ys = [x for x, _ in hits], [y for _, y in hits]
    return ((min(xs) + max(xs)) // 2, (min(ys) + max(ys)) // 2)


def click_box(sc, main, rgb, what):
    at = h.wait_for(lambda: box_centre(sc.env, main, rgb), 10, 0.5)
    sc.expect(at, f"{what} is not on the screen")
    sc.click(*at)


def watch_programs(mark, stop, started):
    """Until stop is set, adds to `started` the command lines of new processes whose
    environment holds mark: whatever Velloran starts, detached or not."""
    def marked():
        found = {}
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/environ", "rb") as f:
                    if mark.encode() not in f.read():
                        continue
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    found[pid] = f.read().replace(b"\0", b" ").decode(errors="replace").strip()
            except OSError:
                pass
        return found
    before = set(marked())
    while not stop.wait(0.05):
        started.update(cmd for pid, cmd in marked().items() if pid not in before)


def fake_desktop(folder, home):
    """A desktop of the test's own, whatever the machine has installed: an ssh: handler
    and a default browser (also $BROWSER, as test_web_sites has it) with their entries
    in the program's XDG data folder, and xdg-open and xdg-mime first on PATH, which
    find them for a scheme. The opener, the handler and the browser write what they
    were given to the log. Returns the environment for Velloran and the log's path."""
    log, apps = os.path.join(folder, "handed.log"), os.path.join(home, "xdg", "data", "applications")
    scripts = {"ssh-handler": "", "browser": "",
               "bin/xdg-open": f'case "$1" in ssh:*) exec {folder}/ssh-handler "$1";;'
                               f' http*) exec {folder}/browser "$1";; esac\n',
               "bin/xdg-mime": 'case "$3" in x-scheme-handler/ssh) echo ssh-handler.desktop;;'
                               ' x-scheme-handler/http*) echo browser.desktop;; esac\n'}
    os.makedirs(os.path.join(folder, "bin"))
    os.makedirs(apps)
    for name, then in scripts.items():
        path = os.path.join(folder, name)
        logs = "" if name.endswith("xdg-mime") else f'echo "{os.path.basename(name)} $*" >> {log}\n'
        with open(path, "w") as f:
            f.write(f"#!/bin/sh\n{logs}{then}")
        os.chmod(path, stat.S_IRWXU)
        if "/" not in name:
            with open(os.path.join(apps, name + ".desktop"), "w") as f:
                f.write(f"[Desktop Entry]\nType=Application\nName=Stub {name}\nExec={path} %u\n")
    browser = os.path.join(folder, "browser")
    return {"PATH": os.path.join(folder, "bin") + os.pathsep + os.environ.get("PATH", ""),
            "DEFAULT_BROWSER": browser, "BROWSER": browser}, log


def paths(folder):
    return [os.path.join(folder, n) for n in os.listdir(folder)]


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def start(sc, site, ini, records, extra_env, home=None):
    home = home or sc.new_home()
    h.write_ini(home, ini)
    h.write_dat(home, [(site.url(p), True, p[1:].capitalize()) for p in records])
    app = sc.start(home=home, extra_env=extra_env)
    return app, sc.main_window(app=app)


def wait_alive(sc, app, done, timeout, why):
    h.wait_for(lambda: done() or not app.alive(), timeout, 0.2)
    sc.expect(app.alive(), f"Velloran ended {why}")


def main(args):
    clock = {"VELLORAN_MINUTE_MS": str(MINUTE_MS)}
    pages = {"/north": NEIGHBOUR, "/south": beacon_page("South", "south", "<h1>South</h1>"), "/alert": ALERT,
             "/ask": ASK, "/opener": OPENER, "/go": "", "/links": LINKS_PAGE, "/elsewhere": "", **POPUPS}
    with Scenario(__file__, args, "e2e_page_safety") as sc, \
            Site(pages, protected={"/signin"}, files={"/report.bin": REPORT}) as site:
        neighbours = ("north", "south")

        # Freeze: an alert in front and a confirm and a prompt in a hidden tab, all on load.
        app, _ = start(sc, site, TICKS, ["/alert", "/ask", "/north", "/south"], clock, sc.home)
        sc.expect(h.wait_for(lambda: "/alert" in site.requests, 60), "the alerting page was not loaded")
        time.sleep(3 * MINUTE_MS / 1000)
        # Every load after the first is a timed reload.
        reloads = lambda: {n: max(site.count(n) - 1, 0) for n in neighbours}  # noqa: E731
        print(f"neighbour reloads with an alert unanswered for 3 timer minutes: {sum(reloads().values())}",
              flush=True)
        sc.shot("alert")
        sc.expect(all(site.wait(n, 4, 20 * MINUTE_MS / 1000) for n in neighbours),
                  f"the neighbour pages were not refreshed with an alert unanswered: {reloads()} reloads")
        sc.expect(site.wait("alert-went-on", 1, 20) and site.wait("confirm-false", 1, 20)
                  and site.wait("prompt-null", 1, 20) and not page_dialogs(sc.env),
                  f"a page waits for an answer: {sorted(set(site.beacons))}, dialogs {page_dialogs(sc.env)}")
        sc.expect(app.alive(), "Velloran ended")
        app.stop()

        # Crash: pop-ups closed by their opener while they print, download or ask for a
        # password; then a thousand window.open calls. The person's downloads folder
        # already holds a file of the download's name.
        person = os.path.join(sc.new_home(), "person")
        downloads = os.path.join(person, "Downloads")
        os.makedirs(downloads)
        with open(os.path.join(downloads, "report.bin"), "wb") as f:
            f.write(b"an older report\n")
        app, main_win = start(sc, site, TICKS, ["/opener", "/north"], dict(clock, HOME=person))
        sc.expect(site.wait("opener", 1, 60), "the opener page did not load")
        click_box(sc, main_win, NOTES, "the opener's notes field")
        sc.type(None, "order notes")
        for what, why in (("print", "printing"), ("download", "starting a download"),
                          ("signin", "asking for a password")):
            site.pages["/go"] = what
            wait_alive(sc, app, lambda: site.count("closed-" + what), 30,
                       f"when the opener closed its pop-up {why}")
            sc.expect(f"/{what}" in site.requests and site.count("closed-" + what),
                      f"no pop-up asked for /{what}, or its opener could not close it")

        sc.expect(h.wait_for(lambda: REPORT in [read(p) for p in paths(downloads)], 30),
                  f"the pop-up's download is not in the downloads folder: {os.listdir(downloads)}")
        sc.expect(read(os.path.join(downloads, "report.bin")) == b"an older report\n",
                  "the download replaced the file of the same name")

        site.pages["/go"] = "flood"
        flooded = lambda: len(popup_windows(sc.env)) > 5  # noqa: E731
        wait_alive(sc, app, lambda: site.count("flood-done") or flooded(), 60, "under a thousand window.open calls")
        h.wait_for(flooded, 5, 0.5)   # the last pop-ups a moment to show
        count = len(popup_windows(sc.env))
        print(f"pop-up windows after a thousand window.open calls: {count}", flush=True)
        sc.shot("flood")
        sc.expect(count <= 5, f"{count} pop-up windows are open after a thousand window.open calls")
        base = site.count("north")
        wait_alive(sc, app, lambda: site.count("north") >= base + 2, 20 * MINUTE_MS / 1000, "after the pop-ups")
        sc.expect(site.count("north") >= base + 2, "the neighbour page is no longer refreshed after the pop-ups")
        app.stop()

        # Nothing leaves the browser unasked: each link clicked with the mouse.
        mark = uuid.uuid4().hex
        home = sc.new_home()
        env, log = fake_desktop(os.path.join(home, "desktop"), home)
        app, main_win = start(sc, site, [0, 0, 1, 0, 0, -1], ["/links"], dict(env, VELLORAN_E2E_RUN=mark), home)
        sc.expect(site.wait("links", 1, 60), "the links page did not load")
        stop, started = threading.Event(), set()
        watcher = threading.Thread(target=watch_programs, args=(mark, stop, started), daemon=True)
        watcher.start()
        try:
            for what, _, _, rgb in LINKS:
                click_box(sc, main_win, rgb, f"the {what} link")
                time.sleep(1.5)
                for question in questions(sc.env):   # asked first: the person declines
                    sc.key(question, "Escape")
            sc.expect(h.wait_for(lambda: os.path.exists(log) and "/elsewhere" in open(log).read(), 20),
                      "the web link for a new window did not reach the default browser")
            time.sleep(2)   # a late hand-off would show now
        finally:
            stop.set()
            watcher.join()
        handed = open(log).read().splitlines()
        sc.expect(all(line.startswith(("xdg-open http", "browser http")) for line in handed),
                  f"a link was handed to the desktop: {handed}")
        # Asking the desktop which program handles a scheme starts nothing.
        others = [c for c in started if c and "/elsewhere" not in c and "QtWebEngineProcess" not in c
                  and "xdg-mime query" not in c]
        sc.expect(not others, f"clicking the links started {others}")
        sc.expect(app.alive(), "Velloran ended")
        sc.final_shot()


if __name__ == "__main__":
    h.run(main)
