#!/usr/bin/env python3
"""Everyday browsing: a link for a new window goes to the default browser, a script's
pop-up opens in a window of ours and closes itself; a password site asks and loads;
a self-signed site explains itself and loads after "Continue to this site"; Alt+Left,
Alt+Right and Ctrl+R go back, forward and reload, Esc stops a page loading; the page zoom is kept for the site
after a restart."""

import os
import stat
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
from scenario import Scenario, close_to  # noqa: E402
from websites import Site, beacon_page, self_signed_cert  # noqa: E402

LINKS = beacon_page(
    "Links", "links",
    "<a id=out href='/elsewhere' target=_blank>elsewhere</a> <button id=pop>sign in</button>"
    " <a href='/secret'>next</a>",
    "window.done = function () { fetch('/loaded?page=opener-told'); };"
    "pop.onclick = function () { window.open('/popup', 'signin', 'width=420,height=480'); };"
    "function zoom() { fetch('/loaded?page=zoom-' + Math.round(devicePixelRatio * 100)); }"
    "window.addEventListener('load', zoom); window.addEventListener('resize', zoom);")
# Never finishes loading; says so once it is stopped.
SLOW = ("<html><head><title>Slow</title></head><body>arriving<script>setInterval(function () {"
        " if (document.readyState === 'complete') fetch('/loaded?page=stopped'); }, 300);</script>")
POPUP = beacon_page("Popup", "popup", "signing in",
                    "window.opener.done(); setTimeout(function () { window.close(); }, 1500);")


def main(args):
    with Scenario(__file__, args, "e2e_web_sites") as sc, \
            tempfile.TemporaryDirectory() as tmp:
        opened = os.path.join(tmp, "opened.txt")
        browser = os.path.join(tmp, "browser.sh")
        with open(browser, "w") as f:
            f.write(f"#!/bin/sh\necho \"$@\" >> {opened}\n")
        os.chmod(browser, stat.S_IRWXU)
        # The desktop's default web browser is this stub, whatever browsers the machine
        # has installed: xdg-open asks the desktop's URL handler before $BROWSER. The
        # program's data and config folders are the harness's, inside the home.
        apps = os.path.join(sc.home, "xdg", "data", "applications")
        config = os.path.join(sc.home, "xdg", "config")
        os.makedirs(apps, exist_ok=True)
        os.makedirs(config, exist_ok=True)
        with open(os.path.join(apps, "stub-browser.desktop"), "w") as f:
            f.write("[Desktop Entry]\nType=Application\nName=Stub browser\n"
                    f"Exec={browser} %u\nMimeType=x-scheme-handler/http;x-scheme-handler/https;\n")
        with open(os.path.join(config, "mimeapps.list"), "w") as f:
            f.write("[Default Applications]\nx-scheme-handler/http=stub-browser.desktop\n"
                    "x-scheme-handler/https=stub-browser.desktop\n")
        env = {"DEFAULT_BROWSER": browser, "BROWSER": browser}
        pages = {"/links": LINKS, "/popup": POPUP, "/secret": beacon_page("Secret", "secret", "<a href='/slow'>slow</a>"),
                 "/slow": SLOW}
        with Site(pages, protected={"/secret"}, stalled={"/slow"}) as site, \
                Site({"/": beacon_page("Secure", "secure")}, cert=self_signed_cert(tmp)) as tls:
            # An advert's picture from a host with an untrusted certificate is not the page's own error.
            site.pages["/links"] = LINKS.replace("</body>", f"<img src='{tls.url('/pixel.png')}'></body>")
            h.write_ini(sc.home, [0, 0, 1, 0, 0, -1])
            h.write_dat(sc.home, [(site.url("/links"), True, "Links"), (site.url("/secret"), True, "Secret"),
                                  (tls.url("/"), True, "Secure")])
            app = sc.start(extra_env=env)

            # The password site asks, naming itself, then loads.
            ask = h.find_windows(f"Sign in to 127.0.0.1:{site.port}", sc.env, 60)
            sc.expect(ask, "no sign-in dialog for the password site")
            sc.type(ask[0], "user")
            sc.key(None, "Tab")
            sc.type(None, "pass")
            sc.key(None, "Return")
            sc.expect(site.wait("secret", 1, 30), "the password site did not load after signing in")

            main = sc.main_window(app=app)
            row, cells = sc.tab_strip(main)
            sc.click((cells[0][0] + cells[0][1]) // 2, row)
            sc.expect(site.wait("links", 1, 30), "the links page did not load")
            sc.expect(not h.wait_for(lambda: close_to(sc.shown_colour(main), (0xfd, 0xec, 0xea), 8), 5),
                      "a picture's certificate error covered the page as if it were the page's own")

            # The self-signed site explains itself; Continue loads it.
            sc.click((cells[2][0] + cells[2][1]) // 2, row)
            sc.expect(h.wait_for(lambda: close_to(sc.shown_colour(main), (0xfd, 0xec, 0xea), 8), 20),
                      "no certificate explanation over the self-signed site")
            sc.shot("certificate")
            sc.expect(tls.count("secure") == 0, "the self-signed site loaded without being asked")
            sc.key(main, "alt+c")
            sc.expect(tls.wait("secure", 1, 30), "the self-signed site did not load after Continue")

            # A link for a new window goes to the default browser; a script's pop-up
            # opens beside, tells its opener, and closes itself.
            sc.click((cells[0][0] + cells[0][1]) // 2, row)
            x, y, w, hgt = h.window_geometry(main, sc.env)
            sc.click(x + w // 2, y + hgt // 2 + 60)
            sc.key(None, "Tab Return")
            sc.expect(h.wait_for(lambda: os.path.exists(opened) and "/elsewhere" in open(opened).read(), 20),
                      "the target=_blank link did not go to the default browser")
            sc.key(None, "Tab")
            sc.key(None, "Return")
            # Named after its host first: the page chooses its title, not its site.
            popup_title = f"127.0.0.1:{site.port} \u2013 Popup - Velloran"
            popup = h.find_windows(popup_title, sc.env, 30)
            sc.expect(popup, "no pop-up window for window.open")
            sc.expect(site.wait("opener-told", 1, 20), "the pop-up could not reach the page that opened it")
            sc.expect(h.wait_for(lambda: not h.find_windows(popup_title, sc.env), 20),
                      "the pop-up stayed open after the page closed it")

            # A browser's keys: Alt+Left, Alt+Right and Ctrl+R after following a link.
            seen = {n: site.count(n) for n in ("links", "secret")}
            sc.key(None, "Tab Return")
            for keys, name, more in ((None, "secret", 1), ("alt+Left", "links", 1),
                                     ("alt+Right", "secret", 2), ("ctrl+r", "secret", 3)):
                if keys:
                    sc.key(None, keys)
                sc.expect(site.wait(name, seen[name] + more, 20), f"no page load after {keys or 'the link'}")
            sc.key(None, "Tab Return")
            sc.expect(h.wait_for(lambda: "/slow" in site.requests, 20), "the slow page was not asked for")
            sc.key(None, "Escape")
            sc.expect(site.wait("stopped", 1, 10), "Esc did not stop the page still loading")

            # Zoom, kept for the site after a restart.
            sc.key(None, "ctrl+plus")
            sc.key(None, "ctrl+plus")
            sites = os.path.join(sc.home, "velloran-sites.txt")
            sc.expect(h.wait_for(lambda: os.path.exists(sites) and "127.0.0.1\t125" in open(sites).read(), 10),
                      "the zoom was not kept for the site")
            app.stop()
            zoomed = site.count("zoom-125")   # reports of this run's own zooming
            h.write_dat(sc.home, [(site.url("/links"), True, "Links")])
            app = sc.start(extra_env=env)
            sc.expect(site.wait("zoom-125", zoomed + 1, 60), "the page did not open at 125 % after a restart: "
                      f"{[b for b in site.beacons if b.startswith('zoom')]}")
            sc.final_shot()


if __name__ == "__main__":
    h.run(main)
