#!/usr/bin/env python3
"""Pages out of sight give back what they hold.

With Refresh On Active on, a tab out of sight for a minute is discarded: its
timed reloads wait, and clicking its tab shows it loaded again, once. With it
off, a background tab is only frozen: its script stops, yet every timed reload
still happens. VELLORAN_MINUTE_MS shortens the program's minute to two seconds.

Each page reports, besides its load, whether it was loaded after a discard
(/discarded) and a heartbeat from a script timer (/tick) while it runs."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
from scenario import Scenario, close_to, page  # noqa: E402

NAMES = ("alpha", "beta")
COLOURS = {"alpha": (220, 40, 40), "beta": (40, 170, 60)}
MINUTE_MS = 2000
SCRIPT = """<script>
if (document.wasDiscarded) fetch('/discarded?page={n}', {{cache: 'no-store'}});
setInterval(function () {{ fetch('/tick?page={n}&t=' + Date.now(), {{cache: 'no-store'}}); }}, 500);
</script>"""


def main(args):
    pages = {f"/{n}": page(n, body=SCRIPT.format(n=n), background="#%02x%02x%02x" % COLOURS[n])
             for n in NAMES}
    clock = {"VELLORAN_MINUTE_MS": str(MINUTE_MS)}
    with Scenario(__file__, args, "e2e_page_lifecycle", pages) as sc:
        def hits(path, name):
            return sum(1 for p, _ in sc.srv.requests if p.startswith(f"/{path}?page={name}"))

        # Refresh On Active, a timed reload every 5 minutes (10 s), tabbed: beta is behind.
        app, _ = sc.start_pages([-1, -1, 5, 0, 0, -1], NAMES, extra_env=clock)
        base = sc.settle(NAMES)
        # Two timed reloads of the page in front; the one behind waits through them.
        sc.wait_beacons("alpha", base["alpha"] + 2, 40, "from the timed refresh")
        sc.expect(sc.counts(NAMES)["beta"] == base["beta"],
                  f"the discarded page reloaded while out of sight: {base} -> {sc.counts(NAMES)}")
        sc.expect(hits("discarded", "beta") == 0, "beta reported a discard before it was shown")

        # Just after a timed reload, so the next is ten seconds away: the click alone reloads.
        main_win = sc.main_window()
        row, cells = sc.tab_strip(main_win)
        sc.click((cells[1][0] + cells[1][1]) // 2, row)
        sc.wait_beacons("beta", base["beta"] + 1, 15, "after clicking its tab")
        sc.expect(h.wait_for(lambda: hits("discarded", "beta") == 1, 10, 0.1),
                  "beta was shown again without having been discarded")
        sc.no_new_beacons({"beta": base["beta"] + 1}, 3, "showing the discarded page loaded it twice")
        sc.expect(h.wait_for(lambda: close_to(sc.shown_colour(main_win), COLOURS["beta"]), 10, 0.3),
                  f"beta is not in front after its tab was clicked ({sc.shown_colour(main_win)})")
        sc.shot("discarded-shown")
        sc.key(main_win, "alt+f")
        sc.key(None, "x")
        if app.wait(20) is None:
            sc.fail("Velloran was still running 20 s after File > Exit")

        # Refresh On Active off, every minute: beta is frozen, never discarded, and reloads on each tick.
        home = sc.new_home()
        h.write_ini(home, [0, -1, 1, 0, 0, -1])
        h.write_dat(home, [(sc.url(f"/{n}"), True, n.capitalize()) for n in NAMES])
        before = sc.counts(NAMES)
        app = sc.start(home=home, extra_env=clock)
        sc.main_window(app=app)
        sc.wait_beacons("beta", before["beta"] + 1, 60, "after the second start")
        loads, ticks = sc.counts(NAMES)["beta"], hits("tick", "beta")
        sc.wait_beacons("beta", loads + 4, 40, "from the timed refresh while frozen")
        reloads, beats = sc.counts(NAMES)["beta"] - loads, hits("tick", "beta") - ticks
        # Running, its timer would beat twice a second; frozen, at most about once per reload.
        sc.expect(beats <= 2 * reloads + 2,
                  f"the background page kept running: {beats} heartbeats over {reloads} reloads")
        sc.expect(hits("tick", "alpha") > 0, "the page in front ran no script")
        sc.expect(hits("discarded", "beta") == 1, "a page was discarded with Refresh On Active off")
        sc.final_shot()


if __name__ == "__main__":
    h.run(main)
