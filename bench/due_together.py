#!/usr/bin/env python3
"""Eight pages falling due on the common "every minute" setting at once: how their
first timed reloads are spread. Each page's load start is when the page server sees
its request.

    python3 bench/due_together.py --velloran build/velloran [--before OLD] [--runs N]
        [--minute-ms MS]

With the real minute (the default) the spread is capped at 10 s; with a shortened
minute it is a fifth of the interval (30000 gives 6 s). --before runs an earlier
binary in turn with the one measured, for a before/after table. Per run: spread
(first to last start), the smallest gap between consecutive starts, and how many
starts share their wall-clock second with another.
"""

import argparse
import os
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "e2e"))
import harness  # noqa: E402

SITES = 8


def measure(binary, minute_ms, desk, srv):
    """The wall-clock start times of the eight first timed reloads, in slot order."""
    home = tempfile.mkdtemp(prefix="bench-due-")
    # Tabbed, timed refresh every (one) minute, none on activation.
    harness.write_ini(home, [0, -1, 1, 0, 0, -1])
    harness.write_dat(home, [(srv.url(f"/s{i}"), True, f"Site {i}") for i in range(1, SITES + 1)])
    base = len(srv.requests)
    app = harness.Velloran.start(binary, home, dict(desk.env, VELLORAN_MINUTE_MS=str(minute_ms)))
    try:
        def starts(n):
            with srv._lock:
                seen = [(p, t) for p, t in srv.requests[base:]]
            out = []
            for i in range(1, SITES + 1):
                times = [t for p, t in seen if p == f"/s{i}"]
                out.append(times[n] if len(times) > n else None)
            return out if None not in out else None

        harness.check(harness.wait_for(lambda: starts(0), 60, 0.2), "the pages did not all load at start")
        # The first tick comes one minute after start; the spread at most 10 s after it.
        got = harness.wait_for(lambda: starts(1), minute_ms / 1000 + 30, 0.2)
        harness.check(got, f"not every page was reloaded on the timer: {starts(0)}")
        return [t - time.monotonic() + time.time() for t in got]
    finally:
        app.stop()
        harness.remove_folder(home, False)


def figures(starts):
    s = sorted(starts)
    gaps = [b - a for a, b in zip(s, s[1:])]
    seconds = [int(t) for t in s]
    shared = sum(1 for x in seconds if seconds.count(x) > 1)
    return {"spread": s[-1] - s[0], "min_gap": min(gaps), "same_second": shared}


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--velloran", required=True)
    p.add_argument("--before", help="an earlier velloran binary, run in turn with --velloran")
    p.add_argument("--runs", type=int, default=3)
    p.add_argument("--minute-ms", type=int, default=60000)
    args = p.parse_args()
    programs = [("after", args.velloran)] + ([("before", args.before)] if args.before else [])
    pages = {f"/s{i}": ("text/html; charset=utf-8", harness.page_with_beacon(f"Site {i}", f"s{i}"))
             for i in range(1, SITES + 1)}
    results = {name: [] for name, _ in programs}
    with harness.Desktop() as desk, harness.PageServer(pages) as srv:
        for run in range(args.runs):
            # The order turns from run to run so neither always goes first.
            for name, binary in programs[run % len(programs):] + programs[:run % len(programs)]:
                starts = measure(binary, args.minute_ms, desk, srv)
                f = figures(starts)
                results[name].append(f)
                order = sorted(range(SITES), key=lambda i: starts[i])
                print(f"{name} run {run + 1}: spread {f['spread']:.2f} s, min gap {f['min_gap'] * 1000:.0f} ms, "
                      f"{f['same_second']} of {SITES} in a shared second; slot order "
                      f"{[i + 1 for i in order]}; offsets (s) "
                      f"{[round(starts[i] - min(starts), 2) for i in order]}", flush=True)
    print(f"\n{SITES} pages on the common 1-minute interval, minute = {args.minute_ms} ms, {args.runs} run(s):")
    print(f"{'':8} {'spread (s)':>18} {'min gap (ms)':>18} {'in a shared second':>20}")
    for name, runs in results.items():
        def col(key, scale=1.0, fmt="{:.2f}"):
            vals = [r[key] * scale for r in runs]
            return f"{fmt.format(statistics.median(vals))} ({fmt.format(min(vals))}–{fmt.format(max(vals))})"
        print(f"{name:8} {col('spread'):>18} {col('min_gap', 1000, '{:.0f}'):>18} "
              f"{col('same_second', 1, '{:.0f}'):>20}")


if __name__ == "__main__":
    main()
