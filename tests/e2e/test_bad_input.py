#!/usr/bin/env python3
"""Bad input, each case in a data folder of its own: a data file cut inside a
record, a settings file of garbage, a settings file that cannot be written, a
page that never answers and a page that is not found. The program tells the
user what it must, keeps running, and never loses what the user typed."""

import http.server
import os
import sys
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import scenario as s  # noqa: E402
from scenario import Scenario, close_to, page  # noqa: E402
from test_layouts import COLOURS, NAMES, tiled_problem  # noqa: E402

GONE_COLOUR = (190, 40, 200)


class TroubleServer:
    """Serves /hang (accepts, then never answers) and /gone (a coloured 404 page)."""

    def __init__(self):
        self.release = threading.Event()
        self.hits = []

    def __enter__(self):
        server = self

        class Handler(h.QuietHandler):
            def do_GET(self):
                server.hits.append(self.path)
                if self.path.startswith("/hang"):
                    server.release.wait(300)
                    return
                body = ("<!DOCTYPE html><html><head><title>Not here</title><style>html,body"
                        "{background:#%02x%02x%02x;margin:0;min-height:100vh}</style></head>"
                        "<body><h1>404</h1></body></html>" % GONE_COLOUR).encode()
                self.send_response(404)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.httpd.daemon_threads = True
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()
        return self

    def __exit__(self, *exc):
        self.release.set()
        self.httpd.shutdown()
        self.httpd.server_close()
        return False

    def url(self, path):
        return f"http://127.0.0.1:{self.httpd.server_address[1]}{path}"


def read(path):
    with open(path, "rb") as f:
        return f.read()


def exit_program(sc, app):
    sc.key(sc.main_window(), "alt+f")
    sc.key(None, "x")
    if app.wait(20) is None:
        sc.fail("Velloran was still running 20 s after File > Exit")


def corrupt_data_file(sc):
    """A data file cut inside its second record: the message, then Set Up; Cancel
    leaves the program running and the damaged file kept aside as it was."""
    home = sc.new_home()
    h.write_dat(home, [(sc.url(f"/{n}"), True, n.capitalize()) for n in NAMES])
    dat = os.path.join(home, "velloran.dat")
    whole = read(dat)
    cut = whole[:whole.index(b"\r\n") + 2 + 12]   # '2,"http://12' and no more
    with open(dat, "wb") as f:
        f.write(cut)
    app = sc.start(home=home)
    sc.main_window(app=app)
    box = sc.message_box(60, "the message about the corrupt data file")
    sc.answer_message(box)
    setup = sc.setup_dialog()
    sc.key(setup, "Return")   # Enter in a box is Cancel
    if not h.wait_for(lambda: not h.find_windows(s.SETUP_TITLE, sc.env), 10, 0.2):
        sc.fail("Set Up stayed open after Enter (its Cancel)")
    sc.no_message_box(2, "no further message after Cancel")
    sc.expect(app.alive(), "Velloran ended after Set Up was cancelled")
    sc.main_window(timeout=5)
    sc.expect(read(dat + ".bad") == cut, "the damaged data file was not kept aside unchanged")
    sc.shot("corrupt-data")
    exit_program(sc, app)


def garbage_settings(sc):
    """Settings of garbage: the defaults apply (tiled windows) and the file stays."""
    home = sc.new_home()
    with open(os.path.join(home, "velloran.ini"), "wb") as f:
        f.write(b"abc,def\r\n")
    h.write_dat(home, [(sc.url(f"/{n}"), True, n.capitalize()) for n in NAMES])
    before = sc.counts(NAMES)
    app = sc.start(home=home)
    sc.main_window(app=app)
    for n in NAMES:
        sc.wait_beacons(n, before[n] + 1, 60, "with a settings file of garbage")
    sc.no_message_box(1, "no message about the settings file")
    sc.settle(NAMES, quiet=1.0)
    rect = s.client_rect(sc.main_window(), sc.env)
    problem = [None]

    def tiled():
        problem[0] = tiled_problem(s.grab(sc.env), rect)
        return problem[0] is None

    if not h.wait_for(tiled, 15, 0.5):
        sc.fail(f"with garbage settings the pages are not tiled: {problem[0]}")
    sc.expect(read(os.path.join(home, "velloran.ini")) == b"abc,def\r\n",
              "the program rewrote the settings file at start")
    sc.shot("garbage-settings")
    exit_program(sc, app)


def unwritable_settings(sc):
    """velloran.ini is a folder, so it cannot be written: OK in Set Up says so,
    and the Top 8 the user typed is still saved and opened."""
    home = sc.new_home()
    os.makedirs(os.path.join(home, "velloran.ini"))
    rows = [(sc.url(f"/{n}"), True, n.capitalize()) for n in NAMES[:2]]
    h.write_dat(home, rows)
    before = sc.counts(NAMES)
    app = sc.start(home=home)
    sc.main_window(app=app)
    for n in NAMES[:2]:
        sc.wait_beacons(n, before[n] + 1, 60, "with an unreadable settings file")
    sc.settle(NAMES, quiet=1.0)

    sc.key(sc.main_window(), "alt+s")
    setup = sc.setup_dialog()
    # From the first URL box to the third row's: URL, Auto Load, Options..., alias.
    sc.key(setup, " ".join(["Tab"] * 8))
    new_url = sc.url(f"/{NAMES[2]}")
    sc.type(setup, new_url)
    sc.key(setup, "Tab")
    sc.key(setup, "space")   # rows read from the file as empty come unticked
    sc.key(setup, "Tab Tab")
    sc.type(setup, "Typed")
    sc.key(setup, "alt+o")
    box = sc.message_box(20, "the message that the settings file cannot be updated")
    sc.answer_message(box)
    if not h.wait_for(lambda: not h.find_windows(s.SETUP_TITLE, sc.env), 10, 0.2):
        sc.fail("Set Up stayed open after OK")
    sc.wait_beacons(NAMES[2], before[NAMES[2]] + 1, 30, "after it was typed into Set Up")
    expected = b"".join(h.dat_line(i, u, a, al) for i, (u, a, al) in enumerate(rows, start=1))
    expected += h.dat_line(3, new_url, True, "Typed")
    expected += b"".join(h.dat_line(i, "", False, "") for i in range(4, 9))
    got = read(os.path.join(home, "velloran.dat"))
    sc.expect(got == expected, f"velloran.dat holds {got!r}, expected {expected!r}")
    sc.expect(os.path.isdir(os.path.join(home, "velloran.ini")), "velloran.ini is no longer a folder")
    sc.expect(app.alive(), "Velloran ended after the settings could not be written")
    sc.shot("unwritable-settings")
    exit_program(sc, app)


def bad_pages(sc, trouble):
    """One page never answers and one is not found: the good page loads, the
    not-found page shows, and the program answers its user."""
    home = sc.new_home()
    h.write_ini(home, [0, 0, 1, -1, 0, 0])
    h.write_dat(home, [(sc.url(f"/{NAMES[0]}"), True, "Good"),
                       (trouble.url("/hang"), True, "Silent"),
                       (trouble.url("/gone"), True, "Gone")])
    before = sc.counts(NAMES)
    app = sc.start(home=home)
    sc.main_window(app=app)
    sc.wait_beacons(NAMES[0], before[NAMES[0]] + 1, 60, "beside a page that never answers")
    sc.expect(h.wait_for(lambda: "/hang" in trouble.hits and "/gone" in trouble.hits, 30, 0.2),
              f"the troublesome pages were never asked for: {trouble.hits}")
    main_win = sc.main_window()
    rect = s.client_rect(main_win, sc.env)

    def gone_shown():
        img = s.grab(sc.env)
        return any(close_to(img.pixel(x, y), GONE_COLOUR)
                   for y in range(rect[1] + 30, rect[1] + rect[3] - 30, 10)
                   for x in (rect[0] + rect[2] // 2,))

    sc.expect(h.wait_for(gone_shown, 20, 0.5), "the not-found page is not shown")
    sc.no_message_box(1, "no message about the pages")
    # The program still answers: Set Up opens and closes.
    sc.key(main_win, "alt+s")
    setup = sc.setup_dialog(15)
    sc.key(setup, "Escape")
    if not h.wait_for(lambda: not h.find_windows(s.SETUP_TITLE, sc.env), 10, 0.2):
        sc.fail("Set Up did not close on Escape")
    sc.expect(app.alive(), "Velloran ended")
    sc.final_shot()
    exit_program(sc, app)


def main(args):
    pages = {f"/{n}": page(n, background="#%02x%02x%02x" % COLOURS[n]) for n in NAMES}
    with Scenario(__file__, args, "e2e_bad_input", pages) as sc, TroubleServer() as trouble:
        corrupt_data_file(sc)
        garbage_settings(sc)
        unwritable_settings(sc)
        bad_pages(sc, trouble)


if __name__ == "__main__":
    h.run(main)
