#!/usr/bin/env python3
"""A page whose renderer dies heals itself; the other pages go on untouched.
Pages from the web cannot read local files."""

import os
import shutil
import signal
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402

# A page that tries to read a local file and reports whether it could.
FILE_PROBE = b"""<!DOCTYPE html><html><head><title>File Probe</title></head><body>
<h1>File Probe</h1><script>
function report(what) { fetch('/loaded?page=' + what, {cache: 'no-store'}); }
fetch('file:///etc/hostname').then(function (r) { return r.text(); })
  .then(function () { report('file-read'); }, function () { report('file-blocked'); });
</script></body></html>"""


def main(args):
    shots = h.shots_dir(__file__)
    home = tempfile.mkdtemp(prefix="velloran-crash-")
    app = None
    try:
        with h.Desktop() as desk, h.PageServer() as srv:
            srv.add("/north", "text/html", h.page_with_beacon("North Page", "north"))
            srv.add("/south", "text/html", h.page_with_beacon("South Page", "south"))
            srv.add("/probe", "text/html", FILE_PROBE)
            # Two sites (127.0.0.1 and localhost) get renderers of their own.
            north = srv.url("/north")
            south = srv.url("/south").replace("127.0.0.1", "localhost")
            h.write_ini(home, [0, 0, 1, 0, 0, -1])
            h.write_dat(home, [(north, True, "North"), (south, True, "South"),
                               (srv.url("/probe"), True, "Probe")])
            app = h.Velloran.start(args.binary, home, desk.env)

            h.check(h.wait_for(lambda: srv.beacon_count("north") and srv.beacon_count("south"), 60),
                    "the two pages never loaded")
            h.check(h.wait_for(lambda: srv.beacon_count("file-read") or srv.beacon_count("file-blocked"), 30),
                    "the file probe page never reported")
            h.check(srv.beacon_count("file-read") == 0, "a web page read a local file")
            h.check(len(h.renderers(app.pid)) >= 2, f"expected separate renderers, found {h.renderers(app.pid)}")

            # Kill renderers one at a time until the one drawing a single page is found:
            # exactly the pages it drew report a new load, within ten seconds.
            heal_times = []
            for victim in h.renderers(app.pid):
                before = {n: srv.beacon_count(n) for n in ("north", "south")}
                killed_at = time.monotonic()
                os.kill(victim, signal.SIGKILL)
                healed = h.wait_for(lambda: any(srv.beacon_count(n) > before[n] for n in before), 10)
                if not healed:
                    continue  # it drew none of the two pages (the probe page's, say)
                time.sleep(2)  # give an untouched page the chance to misbehave
                reloaded = [n for n in before if srv.beacon_count(n) > before[n]]
                h.check(len(reloaded) == 1, f"killing one renderer reloaded {reloaded}")
                first = min(t for t in srv.beacon_times(reloaded[0]) if t > killed_at)
                heal_times.append(first - killed_at)
                h.check(app.alive(), "Velloran ended when a renderer died")
                break
            h.check(heal_times, "no page healed within ten seconds after its renderer was killed")
            print(f"healed in {heal_times[0]:.1f} s")
            desk.screenshot(os.path.join(shots, "e2e_renderer_crash.png"))
    finally:
        if app is not None:
            app.stop()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    h.run(main)
