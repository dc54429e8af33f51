#!/usr/bin/env python3
"""Wall mode's figures: how closely each page's turn keeps its dwell, and the memory
after an hour of turns, against the same eight pages left in the tabbed layout.

    python3 bench/bench_wall.py --velloran build/velloran [--hour-s 120] [--out DIR]

The hour is simulated: the minute is shortened (VELLORAN_MINUTE_MS) so that an hour
of the default 30 s dwell, 120 turns, passes in --hour-s seconds, with the pages'
own minute out of sight (freezing, discarding) shortened alike. Each page fills the
screen with a colour of its own under a ticking clock, so its turn is seen on the
screen, read a few hundred times a second straight from the X server. Memory is the
Pss of everything the program started, as bench.py measures it.
"""

import argparse
import os
import statistics
import sys
import tempfile
import time
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "e2e"))
sys.path.insert(0, HERE)
import bench  # noqa: E402  (process trees and Pss)
import harness  # noqa: E402
import scenario  # noqa: E402
import test_wall_mode  # noqa: E402  (the X row sampler)

SITES = 8
TURNS_AN_HOUR = 120
COLOURS = [(200, 40, 40), (40, 160, 60), (40, 60, 200), (200, 160, 30),
           (150, 40, 170), (30, 160, 170), (230, 110, 30), (110, 110, 110)]


def site_page(i):
    rgb = COLOURS[i]
    # A clock in the top band, clear of the rows read, keeps each page's script busy.
    html = (f"<!DOCTYPE html><html><head><meta charset='utf-8'><title>Site {i + 1}</title>"
            f"<style>html,body{{margin:0;height:100%;background:rgb{rgb};font:32px sans-serif;color:#fff}}"
            "</style></head><body><div id=c style='height:60px'></div>"
            "<p style='position:absolute;top:0;left:50%'>" + "lorem ipsum " * 2 + "</p>"
            "<script>setInterval(function(){document.getElementById('c').textContent=new Date()},1000);"
            f"window.onload=function(){{fetch('/loaded?page=s{i}&t='+Date.now(),{{cache:'no-store'}});}};"
            "</script></body></html>")
    return (scenario.HTML, html.encode())


def start(args, srv, desk, wall, minute_ms):
    home = tempfile.mkdtemp(prefix="bench-wall-")
    harness.write_ini(home, [0, 0, 1, 0, 0, -1])
    harness.write_dat(home, [(srv.url(f"/s{i}"), True, f"Site {i + 1}") for i in range(SITES)])
    mark = uuid.uuid4().hex
    env = dict(desk.env, VELLORAN_MINUTE_MS=str(minute_ms))
    env[bench.MARK] = mark
    app = harness.Velloran.start(args.velloran, home, env, args=("--wall",) if wall else ())
    return app, mark, home


def pss_mib(app, mark):
    return bench.pss_kib(bench.tree(app.pid, mark)) / 1024.0


def classify(sampler):
    name = None
    for y in test_wall_mode.ROWS:
        pixels = sampler.row(y)
        name = next((i for i, rgb in enumerate(COLOURS) if all(scenario.close_to(p, rgb, 12) for p in pixels)), None)
        if name is None:
            return None
    return name


def run(args):
    minute_ms = int(60000 * args.hour_s / 3600)
    dwell_ms = 30 * minute_ms / 60
    pages = {f"/s{i}": site_page(i) for i in range(SITES)}
    out = {}
    with harness.Desktop() as desk, harness.PageServer(pages) as srv:
        for mode in ("tabbed", "wall"):
            app, mark, home = start(args, srv, desk, mode == "wall", minute_ms)
            try:
                if not harness.wait_for(lambda: all(srv.beacon_count(f"s{i}") for i in range(SITES)), 90, 0.2):
                    raise SystemExit(f"{mode}: the pages did not all load\n{app.stderr_tail()}")
                t0 = time.monotonic()
                switches, samples, blanks = [], 0, 0
                if mode == "wall":
                    sampler = test_wall_mode.Sampler(desk.env["DISPLAY"], desk.size[0])
                    # Two rounds of turns watched on the screen.
                    while time.monotonic() - t0 < 60 and len(switches) < 2 * SITES + 2:
                        seen = classify(sampler)
                        samples += 1
                        if seen is None and switches:
                            blanks += 1
                        elif seen is not None and (not switches or switches[-1][1] != seen):
                            switches.append((time.monotonic(), seen))
                        time.sleep(0.002)
                    span = time.monotonic() - t0
                    turns = [(b[0] - a[0]) * 1000 for a, b in zip(switches[1:], switches[2:])]
                    errors = [abs(t - dwell_ms) for t in turns]
                    out["dwell_ms"] = dwell_ms
                    out["turns_measured"] = len(turns)
                    out["dwell_error_median_ms"] = statistics.median(errors) if errors else None
                    out["dwell_error_max_ms"] = max(errors) if errors else None
                    out["samples_per_s"] = samples / span
                    out["other_frames"] = blanks
                first = pss_mib(app, mark)
                time.sleep(max(0.0, t0 + args.hour_s - time.monotonic()))
                out[f"{mode}_memory_start_mib"] = first
                out[f"{mode}_memory_hour_mib"] = pss_mib(app, mark)
                if args.out:
                    harness.screenshot(os.path.join(args.out, f"wall-bench-{mode}.png"), desk.env)
            finally:
                app.stop()
                harness.remove_folder(home, False)
    return out


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--velloran", default=os.path.join(os.path.dirname(HERE), "build", "velloran"))
    p.add_argument("--hour-s", type=float, default=120.0, help="seconds an hour of turns is squeezed into")
    p.add_argument("--out", default=None)
    args = p.parse_args()
    if args.out:
        os.makedirs(args.out, exist_ok=True)
    res = run(args)
    print(f"dwell {res['dwell_ms']:.0f} ms: {res['turns_measured']} turns, error median "
          f"{res['dwell_error_median_ms']:.0f} ms, max {res['dwell_error_max_ms']:.0f} ms; screen read "
          f"{res['samples_per_s']:.0f}/s, {res['other_frames']} frames of anything but one whole page")
    for mode in ("tabbed", "wall"):
        print(f"{mode:>6}: memory {res[f'{mode}_memory_start_mib']:.0f} MiB after loading, "
              f"{res[f'{mode}_memory_hour_mib']:.0f} MiB after an hour ({TURNS_AN_HOUR} turns of 30 s, "
              f"squeezed into {args.hour_s:.0f} s)")


if __name__ == "__main__":
    main()
