#!/usr/bin/env python3
"""Pages out of sight give back what they hold.

With Refresh On Active on, a tab out of sight for a minute is discarded (its
renderer ends): its timed reloads wait, and clicking its tab loads it again from
the site, once, even where the engine could bring it back from its cache. With it
off, a background tab is only frozen: its script stops, yet every timed reload
still happens. VELLORAN_MINUTE_MS shortens the program's minute to two seconds.

Each page reports a heartbeat from a script timer (/tick) while it runs; the two
pages are two sites (127.0.0.1 and localhost), so each has a renderer of its own."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
from scenario import Scenario, close_to, page  # noqa: E402

NAMES = ("alpha", "beta")
COLOURS = {"alpha": (220, 40, 40), "beta": (40, 170, 60)}
MINUTE_MS = 2000
SCRIPT = """<script>
setInterval(function () {{ fetch('/tick?page={n}&t=' + Date.now(), {{cache: 'no-store'}}); }}, 500);
</script>"""


def main(args):
    pages = {f"/{n}": page(n, body=SCRIPT.format(n=n), background="#%02x%02x%02x" % COLOURS[n])
             for n in NAMES}
    clock = {"VELLORAN_MINUTE_MS": str(MINUTE_MS)}
    with Scenario(__file__, args, "e2e_page_lifecycle", pages) as sc:
        # The engine may bring a discarded page back from its cache: beta may be cached.
        sc.srv.cacheable.add("/beta")

        def hits(path, name=""):
            """Requests for /path?page=name, or with no name for the document /path."""
            if name:
                return sum(1 for p, _ in sc.srv.requests if p.startswith(f"/{path}?page={name}"))
            return sum(1 for p, _ in sc.srv.requests if p == f"/{path}")

        def start(ini):
            home = sc.new_home()
            h.write_ini(home, ini)
            h.write_dat(home, [(sc.url("/alpha"), True, "Alpha"),
                               (sc.url("/beta").replace("127.0.0.1", "localhost"), True, "Beta")])
            app = sc.start(home=home, extra_env=clock)
            sc.main_window(app=app)
            return app

        def renderers_become(app, n, why):
            sc.expect(h.wait_for(lambda: len(h.renderers(app.pid)) == n, 15, 0.2),
                      f"{why}: {len(h.renderers(app.pid))} renderers, not {n}")

        # Refresh On Active, a timed reload every 5 minutes (10 s), tabbed: beta is behind.
        app = start([-1, -1, 5, 0, 0, -1])
        base = sc.settle(NAMES)
        # Two timed reloads of the page in front; the one behind waits through them.
        sc.wait_beacons("alpha", base["alpha"] + 2, 40, "from the timed refresh")
        sc.expect(sc.counts(NAMES)["beta"] == base["beta"],
                  f"the discarded page reloaded while out of sight: {base} -> {sc.counts(NAMES)}")
        renderers_become(app, 1, "beta was not discarded")

        # Just after a timed reload, so the next is ten seconds away: the click alone reloads.
        main_win = sc.main_window()
        row, cells = sc.tab_strip(main_win)
        asked = hits("beta")
        sc.click((cells[1][0] + cells[1][1]) // 2, row)
        sc.wait_beacons("beta", base["beta"] + 1, 15, "after clicking its tab")
        sc.expect(hits("beta") > asked, "the discarded page was shown from the cache, not asked for again")
        renderers_become(app, 2, "beta was shown without a renderer")
        sc.no_new_beacons({"beta": base["beta"] + 1}, 3, "showing the discarded page loaded it twice")
        sc.expect(h.wait_for(lambda: close_to(sc.shown_colour(main_win), COLOURS["beta"]), 10, 0.3),
                  f"beta is not in front after its tab was clicked ({sc.shown_colour(main_win)})")
        sc.shot("discarded-shown")
        sc.key(main_win, "alt+f")
        sc.key(None, "x")
        if app.wait(20) is None:
            sc.fail("Velloran was still running 20 s after File > Exit")

        # Refresh On Active off, every minute: beta is frozen, never discarded, and reloads on each tick.
        before = sc.counts(NAMES)
        app = start([0, -1, 1, 0, 0, -1])
        sc.wait_beacons("beta", before["beta"] + 1, 60, "after the second start")
        loads, ticks = sc.counts(NAMES)["beta"], hits("tick", "beta")
        sc.wait_beacons("beta", loads + 4, 40, "from the timed refresh while frozen")
        reloads, beats = sc.counts(NAMES)["beta"] - loads, hits("tick", "beta") - ticks
        # Running, its timer would beat twice a second; frozen, at most about once per reload.
        sc.expect(beats <= 2 * reloads + 2,
                  f"the background page kept running: {beats} heartbeats over {reloads} reloads")
        sc.expect(hits("tick", "alpha") > 0, "the page in front ran no script")
        sc.expect(len(h.renderers(app.pid)) == 2, "a page was discarded with Refresh On Active off")
        sc.final_shot()


if __name__ == "__main__":
    h.run(main)
