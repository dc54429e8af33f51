#!/usr/bin/env python3
"""What a browser does by itself: a site asks to show notifications in a bar naming
it, Allow is kept in the site file and holds after a restart; a notification shows
through the desktop's notification service while Velloran is in the tray, and
clicking it brings the page back; a page's own full screen covers the screen and Esc
leaves it; a page's Copy button writes to the clipboard but the page cannot read
it, its Print button opens the print dialog, and seeing the screen is asked each time; a PDF document shows in the viewer; a download is saved at once in the downloads folder under a name of its own, and
Exit while one is still saving asks first; a page cannot write the clipboard unasked."""

import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktops  # noqa: E402
import harness as h  # noqa: E402
import scenario as s  # noqa: E402
from scenario import Scenario, close_to  # noqa: E402
from websites import NotificationService, Site, beacon_page, tiny_pdf  # noqa: E402

REPORT = b"when,what\n09:30,backup done\n" * 200

# The page asks for notifications on load, then does what /go tells it, once each.
ALERTS = beacon_page(
    "Alerts", "alerts", "<button id=fs>full screen</button><button id=cp>copy</button>"
    "<button onclick='window.print()'>print</button><button id=sh>share</button>",
    "Notification.requestPermission().then(function (p) { fetch('/loaded?page=perm-' + p); });"
    "fs.onclick = function () { document.documentElement.requestFullscreen(); };"
    "function said(what) { return function (e) { fetch('/loaded?page=' + what + (e ? '-' + e.name : '')); }; }"
    "cp.onclick = function () { navigator.clipboard.writeText('copied').then(said('copy-ok'), said('copy'));"
    " navigator.clipboard.readText().then(said('read-ok'), said('read')); };"
    "sh.onclick = function () { navigator.mediaDevices.getDisplayMedia({video: true}).then(function (m) {"
    " m.getTracks().forEach(function (t) { t.stop(); }); said('share-ok')(); }, said('share')); };"
    "document.onfullscreenchange = function () {"
    " fetch('/loaded?page=fs-' + (document.fullscreenElement ? 'on' : 'off')); };"
    "var done = {};"
    "setInterval(function () { fetch('/go', {cache: 'no-store'}).then(function (r) { return r.text(); })"
    ".then(function (t) { if (!t || done[t]) return; done[t] = true;"
    " if (t === 'download') location.href = '/report.csv';"
    " if (t === 'big') location.href = '/big.bin';"
    " if (t === 'pdf') location.href = '/doc.pdf';"
    " if (t === 'copy') navigator.clipboard.writeText('unasked').then(said('unasked-ok'), said('unasked'));"
    " if (t === 'notify') { var n = new Notification('Build finished', {body: 'All checks passed'});"
    "  n.onclick = function () { fetch('/loaded?page=clicked'); }; } }); }, 400);")


def colour_shown(sc, main, rgb, share=0.0):
    """Whether the colour shows in the main window: anywhere, or over more than `share`
    of it. The frame's native window is replaced once its first page is drawn by the
    GPU, so it is looked up afresh."""
    wins = s.velloran_windows(sc.env, "NORMAL")
    rect = s.client_rect(wins[0] if wins else main, sc.env)
    if not rect:
        return False
    x, y, w, hgt = rect
    img = s.grab(sc.env)
    hits = [close_to(img.pixel(px, py), rgb, 6) for py in range(y, y + hgt, 4) for px in range(x, x + w, 8)]
    return sum(hits) > share * len(hits) if share else any(hits)


def main(args):
    with Scenario(__file__, args, "e2e_web_features", tray=False) as sc, \
            tempfile.TemporaryDirectory() as tmp, \
            desktops.SessionBus(sc.desk._tmp) as bus, \
            NotificationService(bus.address, sc.desk._tmp) as notes, \
            Site({"/alerts": ALERTS, "/go": "", "/doc.pdf": ("application/pdf", tiny_pdf("Invoice 42"))}, files={"/report.csv": REPORT, "/big.bin": REPORT * 100},
                 stalled={"/big.bin"}) as site:
        # The person's downloads folder, as the desktop names it.
        home = os.path.join(tmp, "home")
        config = os.path.join(sc.home, "xdg", "config")
        os.makedirs(config)
        with open(os.path.join(config, "user-dirs.dirs"), "w") as f:
            f.write('XDG_DOWNLOAD_DIR="$HOME/Fetched"\n')
        env = {"DBUS_SESSION_BUS_ADDRESS": bus.address, "HOME": home}
        h.write_ini(sc.home, [0, 0, 1, 0, 0, -1])
        h.write_dat(sc.home, [(site.url("/alerts"), True, "Alerts")])
        app = sc.start(extra_env=env)
        main = sc.main_window(app=app)
        sc.expect(site.wait("alerts", 1, 60), "the page did not load")

        # The site asks in a bar; Allow is kept for it.
        sc.expect(h.wait_for(lambda: colour_shown(sc, main, (0xff, 0xf4, 0xce)), 20, 0.5),
                  "no permission bar for the site's notification request")
        sc.shot("permission")
        time.sleep(0.7)  # the bar's buttons wait a moment after a new question
        sc.key(main, "alt+a")
        sc.expect(site.wait("perm-granted", 1, 20), f"notifications not granted after Allow: {site.beacons}")
        sites = os.path.join(sc.home, "velloran-sites.txt")
        kept = f"http://127.0.0.1:{site.port}\tnotifications\tallow"
        sc.expect(os.path.exists(sites) and kept in open(sites).read(), "the answer was not kept in the site file")

        # The page's own full screen covers the screen; Esc leaves it.
        x, y, w, hgt = h.window_geometry(main, sc.env)
        sc.click(x + w // 2, y + hgt // 2 + 60)
        sc.key(None, "Tab Return")
        sc.expect(site.wait("fs-on", 1, 20), "the page did not go full screen")
        name = f"127.0.0.1:{site.port} - Full Screen - Velloran"
        full = h.find_windows(name, sc.env, 10)
        sc.expect(full and h.window_geometry(full[0], sc.env)[2:] == (1280, 800),
                  f"the full screen page does not cover the screen: {full and h.window_geometry(full[0], sc.env)}")
        sc.shot("full-screen")
        sc.key(full[0], "Escape")
        sc.expect(site.wait("fs-off", 1, 20), "Esc did not leave the page's full screen")
        sc.expect(h.wait_for(lambda: not h.find_windows(name, sc.env), 10),
                  "the full screen window stayed after Esc")

        # The page's own Copy button writes to the clipboard; reading it is not the page's.
        sc.click(x + w // 2, y + hgt // 2 + 60)
        sc.key(None, "Tab Tab Return")
        sc.expect(site.wait("copy-ok", 1, 10) and site.wait("read-NotAllowedError", 1, 10),
                  f"the page's copy was refused or its read allowed: {site.beacons}")
        # Long after the click, the page's own script may not write it.
        time.sleep(2)
        site.pages["/go"] = "copy"
        sc.expect(site.wait("unasked-NotAllowedError", 1, 10), f"the page wrote the clipboard unasked: {site.beacons}")

        # The page's own Print button opens the print dialog.
        sc.key(None, "Tab Return")
        printing = h.find_windows("Print - Alerts", sc.env, 20)
        sc.expect(printing, "the page's Print button opened no print dialog")
        sc.shot("page-print")
        sc.key(printing[0], "Escape")
        sc.expect(h.wait_for(lambda: not h.find_windows("Print - Alerts", sc.env), 10),
                  "the print dialog stayed after Escape")

        # A page may ask to see the screen; each request is asked in the bar, a yes never kept.
        for n in (1, 2):
            sc.key(None, "Tab Return")
            sc.expect(h.wait_for(lambda: colour_shown(sc, main, (0xff, 0xf4, 0xce)), 20, 0.5),
                      f"no permission bar for screen request {n}")
            time.sleep(0.7)
            sc.key(main, "alt+a")
            sc.expect(site.wait("share-ok", n, 20), f"screen request {n} not granted after Allow: {site.beacons}")
            sc.expect(h.wait_for(lambda: not colour_shown(sc, main, (0xff, 0xf4, 0xce)), 10, 0.3),
                      "the permission bar stayed after Allow")
            sc.click(x + w // 2, y + hgt // 2 + 60)
            sc.key(None, "Tab Tab Tab")
        sc.expect("screen" not in open(sites).read(), "a yes to seeing the screen was kept")

        # A download is saved at once in the downloads folder, under a name of its own;
        # no dialog waits inside the engine meanwhile.
        os.makedirs(os.path.join(home, "Fetched"), exist_ok=True)
        open(os.path.join(home, "Fetched", "report.csv"), "wb").close()
        site.pages["/go"] = "download"
        saved = os.path.join(home, "Fetched", "report (1).csv")
        sc.expect(h.wait_for(lambda: os.path.exists(saved) and open(saved, "rb").read() == REPORT, 30),
                  "the download was not saved in the downloads folder")
        done = h.find_windows("Downloaded report (1).csv - Velloran", sc.env, 20)
        sc.expect(done, "no message that the download finished")
        sc.shot("downloaded")
        sc.key(done[0], "Return")

        # Exit while a download is still saving asks; keeping it leaves Velloran running.
        site.pages["/go"] = "big"
        sc.expect(h.find_windows("Downloading big.bin - Velloran", sc.env, 20), "no progress for the second download")
        sc.key(main, "alt+f x")
        question = h.wait_for(lambda: s.velloran_windows(sc.env, "DIALOG"), 10, 0.2)
        sc.expect(question, "Exit did not ask about the running download")
        sc.shot("exit-while-downloading")
        sc.key(question[0], "Escape")
        sc.expect(h.wait_for(lambda: not s.velloran_windows(sc.env, "DIALOG"), 10, 0.2) and app.alive(),
                  "keeping the download did not keep Velloran running")

        # A notification while Velloran is in the tray; clicking it brings the page back.
        sc.key(main, "ctrl+t")
        sc.expect(h.wait_for(lambda: not s.velloran_windows(sc.env, "NORMAL"), 10, 0.2),
                  "Ctrl+T did not hide Velloran in the tray")
        site.pages["/go"] = "notify"
        shown = h.wait_for(notes.shown, 30, 0.3)
        sc.expect(shown, "no notification reached the desktop's notification service")
        nid, app_name, summary, body = shown[0]
        sc.expect(summary == "Build finished" and f"127.0.0.1:{site.port}" in body and "All checks passed" in body,
                  f"the notification does not name its site: {shown[0]}")
        notes.click(nid)
        sc.expect(site.wait("clicked", 1, 20), "the page was not told of the click")
        sc.expect(h.wait_for(lambda: s.velloran_windows(sc.env, "NORMAL") == [main], 10, 0.2),
                  "clicking the notification did not bring the page back")

        # A PDF document shows in the engine's viewer (its grey around the page), not as a download.
        site.pages["/go"] = "pdf"
        sc.expect(h.wait_for(lambda: colour_shown(sc, main, (0x52, 0x56, 0x59), 0.3), 20, 0.5),
                  "the PDF document did not show in the viewer")
        sc.expect(not h.find_windows("Downloading doc.pdf - Velloran", sc.env)
                  and not os.path.exists(os.path.join(home, "Fetched", "doc.pdf")),
                  "the PDF document was taken as a download")
        sc.shot("pdf")

        # The kept answer holds after a restart: no question, granted at once.
        site.pages["/go"] = ""
        app.stop()
        app = sc.start(extra_env=env)
        sc.expect(site.wait("perm-granted", 2, 60), "the kept answer did not hold after a restart")
        sc.final_shot()


if __name__ == "__main__":
    h.run(main)
