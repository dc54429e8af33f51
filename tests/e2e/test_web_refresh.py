#!/usr/bin/env python3
"""Timed refresh on live web apps: a page whose scripts fill its fields and selects is
refreshed on time, a page the person typed into is not, and a page with a
leave-this-page guard is refreshed on time with no dialog left open, yet asks before
its window is closed or Velloran exits; the answer to a form is refreshed without
sending the form again, and Refresh there asks first."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
from scenario import HTML, Scenario  # noqa: E402
from websites import beacon_page, page_dialogs  # noqa: E402

NAMES = ("typed", "filled", "guard", "posted")
MINUTE_MS = 3000
PAGES = {
    "/typed": beacon_page("Typed", "typed",
                          "<textarea autofocus style='width:96vw;height:90vh'></textarea>"),
    # Everything a dashboard's scripts do to its form after loading.
    "/filled": beacon_page("Filled", "filled",
                           "<input id=t value=''><select id=s><option>a<option>b</select>"
                           "<div contenteditable id=c></div>",
                           "setTimeout(function () { t.value = '09:30'; s.value = 'b';"
                           " c.textContent = 'live'; t.focus();"
                           " t.dispatchEvent(new InputEvent('input', {bubbles: true})); }, 50);"),
    "/guard": beacon_page("Guard", "guard", "<div style='height:90vh'>editor</div>",
                          "window.addEventListener('beforeunload', function (e) {"
                          " e.preventDefault(); e.returnValue = 'unsaved'; });"
                          "document.addEventListener('keydown', function () {"
                          " fetch('/loaded?page=guard-used'); });"),
    # The answer to a form sent once on load, as a search or filter form does.
    "/form": beacon_page("Form", "form", "<form id=f method=post action=/posted><input name=q value=x></form>",
                         "if (!sessionStorage.sent) { sessionStorage.sent = 1; f.submit(); }"),
    "/posted": beacon_page("Posted", "posted", "<p>answer</p>"),
}


def posts(sc):
    return sum(1 for p, _ in sc.srv.requests if p == "POST /posted")


def focus_page(sc):
    """Gives the page in front the keyboard: a click in the middle of the main window."""
    x, y, w, hgt = h.window_geometry(sc.main_window(), sc.env)
    sc.click(x + w // 2, y + hgt // 2 + 60)


def main(args):
    pages = {p: (HTML, body) for p, body in PAGES.items()}
    clock = {"VELLORAN_MINUTE_MS": str(MINUTE_MS)}
    with Scenario(__file__, args, "e2e_web_refresh", pages) as sc:
        # Every minute, tabbed; the page in slot 1 is in front with the keyboard.
        h.write_ini(sc.home, [0, -1, 1, 0, 0, -1])
        h.write_dat(sc.home, [(sc.url("/guard"), True, "Guard"), (sc.url("/filled"), True, "Filled"),
                              (sc.url("/form"), True, "Form")])
        app = sc.start(extra_env=clock)
        sc.main_window(app=app)
        for n in ("guard", "filled"):
            sc.wait_beacons(n, 1, 60, "after start")
        # The guard only speaks once the person has used the page: a key pressed in it.
        focus_page(sc)
        sc.key(None, "space")
        sc.wait_beacons("guard-used", 1, 10, "after a key pressed in the guarded page")
        base = sc.counts(NAMES)
        for n in ("filled", "guard", "posted"):
            sc.wait_beacons(n, base[n] + 3, 40, "with a refresh every minute")
        sc.expect(posts(sc) == 1, f"timed refresh sent the form again: {posts(sc)} posts")
        sc.expect(not page_dialogs(sc.env), "a page's dialog is left open")
        sc.shot("guarded")
        app.stop()

        # Without timed refresh the guard speaks when its window closes, and on Exit.
        home = sc.new_home()
        h.write_ini(home, [0, 0, 1, 0, 0, -1])
        h.write_dat(home, [(sc.url("/guard"), True, "Guard"), (sc.url("/filled"), True, "Filled"),
                           (sc.url("/form"), True, "Form")])
        sent, answers = posts(sc), sc.counts(["posted"])["posted"]
        app = sc.start(home=home)
        main = sc.main_window(app=app)
        sc.wait_beacons("guard", base["guard"] + 4, 60, "after a start without refresh")
        sc.wait_beacons("posted", answers + 1, 60, "after the form was sent on this start")
        # Refresh on the form's answer asks first; Cancel sends nothing.
        row, cells = sc.tab_strip(main)
        sc.click((cells[2][0] + cells[2][1]) // 2, row)
        sc.key(main, "alt+v r")
        asked = h.wait_for(lambda: page_dialogs(sc.env), 10, 0.2)
        sc.expect(asked, "Refresh sent the form again without asking")
        sc.shot("resend-question")
        sc.key(asked[0], "Escape")
        time.sleep(1)
        sc.expect(posts(sc) == sent + 1, f"Cancel still sent the form: {posts(sc) - sent} posts")
        sc.click((cells[0][0] + cells[0][1]) // 2, row)
        focus_page(sc)
        sc.key(None, "space")
        sc.wait_beacons("guard-used", 2, 10, "after a key pressed in the guarded page again")
        closes = (("Ctrl+W", lambda: sc.key(main, "ctrl+w")),
                  ("the frame's close button", lambda: h.close_window(main, sc.env)),
                  ("File > Exit", lambda: sc.key(main, "alt+f x")))
        for n, (what, close) in enumerate(closes):
            close()
            asked = h.wait_for(lambda: page_dialogs(sc.env), 10, 0.2)
            sc.expect(asked, f"{what} closed the guarded page without its question")
            if n == len(closes) - 1:
                break
            sc.key(asked[0], "Escape")  # Stay
            sc.expect(h.wait_for(lambda: not page_dialogs(sc.env), 10, 0.2), "the question stayed after Stay")
            used = sc.counts(["guard-used"])["guard-used"]
            focus_page(sc)
            sc.key(None, "space")
            sc.wait_beacons("guard-used", used + 1, 10, f"in the page kept by Stay after {what}")
        sc.shot("leave-question")
        sc.key(asked[0], "Return")  # Leave
        sc.expect(app.wait(20) is not None, "Leave on Exit did not end Velloran")

        # The person types into a page: it is left alone, tick after tick.
        home = sc.new_home()
        h.write_ini(home, [0, -1, 1, 0, 0, -1])
        h.write_dat(home, [(sc.url("/typed"), True, "Typed")])
        app = sc.start(home=home, extra_env=clock)
        sc.main_window(app=app)
        sc.wait_beacons("typed", 1, 60, "after start")
        focus_page(sc)
        sc.type(None, "notes in progress")
        base = sc.counts(NAMES)
        sc.no_new_beacons({"typed": base["typed"]}, 4 * MINUTE_MS / 1000,
                          "the page the person typed into was reloaded")
        sc.final_shot()


if __name__ == "__main__":
    h.run(main)
