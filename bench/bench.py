#!/usr/bin/env python3
"""Runs Velloran, Chromium and the bare engine over the same eight local sites
and compares them. bench/run.sh builds everything and calls this; run it by hand
only with the binaries already built:

    python3 bench/bench.py --velloran build/velloran --bare bench/build/bare_engine \
        [--runs N] [--out DIR] [--idle S] [--cycles C]

Programs: Velloran with refresh on activation off and on, Chromium, and the bare
engine, each on a fresh persistent profile, started in turn (the order rotates
from run to run so no program always meets cold caches).

Metrics, each taken --runs times, all from one launch except the reload growth:
  visible       process start -> the front page drawn after its load (s)
  launch        process start -> the eighth page's load beacon (s)
  memory        Pss of everything the program started, 5 s after the last beacon (MiB)
  memory_late   the same one minute later (MiB)
  idle CPU      utime+stime of the same processes over --idle seconds after that
  tab click     a real click on another tab -> that page drawn (ms; for Velloran with
                refresh on activation, onto a page discarded a minute before)
  reload        F5 on the page in front -> the page drawn again (ms)
  reload growth Pss growth from cycle 10 to cycle --cycles of timed reloads (%)
"Everything the program started" is its process tree plus any process carrying
the run's mark in its environment (a daemon it spawned that left the tree).
results.csv also holds, per run, the time to the first page request, the number
of processes and the mean time per reload cycle.
"""

import argparse
import csv
import datetime
import http.server
import os
import re
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
TREE = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(TREE, "tests", "e2e"))
import harness  # noqa: E402  (Desktop, data files, process handling)
import scenario  # noqa: E402  (screen grabs, Velloran's tab strip)

SITES = 8
PROGRAMS = ["velloran", "velloran_roa", "chromium", "bare"]
LABELS = {"velloran": "Velloran", "velloran_roa": "Velloran RoA", "chromium": "Chromium",
          "bare": "bare engine"}
VELLORANS = ("velloran", "velloran_roa")
# With --before: an earlier Velloran binary in the same run, for before/after tables.
BEFORE = {"before": "velloran", "before_roa": "velloran_roa"}
LABELS.update(before="Before", before_roa="Before RoA")
# With --bare-software: the bare engine drawing in software as Velloran does without a
# GPU, to show what the same switches give a program without Velloran's own work.
EXTRA = {"bare_sw": "bare engine, software"}
LABELS.update(EXTRA)
OPTIONAL = list(BEFORE) + list(EXTRA)
METRICS = [
    # key, label, unit, decimals
    ("visible", "launch → front page shown", "s", 2),
    ("launch", "launch → 8 loaded", "s", 2),
    ("memory", "memory at settle (PSS)", "MiB", 0),
    ("memory_late", "memory 1 min later", "MiB", 0),
    ("idle_cpu", "idle CPU", "% core", 3),
    ("tabclick", "tab click → shown", "ms", 0),
    ("reload", "F5 → shown", "ms", 0),
    ("reload_growth", "reload-cycle PSS growth", "%", 1),
]
CLK_TCK = os.sysconf("SC_CLK_TCK")


def log(msg):
    print(f"[{time.strftime('%H:%M:%S')}] {msg}", flush=True)


# ---------------------------------------------------------------------------
# The eight sites, site N on 127.0.0.N, all on one port

class _QuietServer(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        # A reload cancels the transfers it supersedes; a dropped connection is normal.
        if isinstance(sys.exc_info()[1], (BrokenPipeError, ConnectionResetError)):
            return
        super().handle_error(request, client_address)


class Sites:
    """One threaded HTTP server per loopback address, all on the same port,
    serving pages/siteN/ and recording /loaded beacons as (site, monotonic)."""

    TYPES = {".html": "text/html; charset=utf-8", ".css": "text/css", ".js": "text/javascript",
             ".png": "image/png", ".jpg": "image/jpeg", ".svg": "image/svg+xml"}

    def __init__(self, pages):
        self.pages = pages
        self.beacons = []
        self.shown = []     # (site, monotonic) of /shown: a loaded page drawn on screen
        self.requests = []  # (site, path, monotonic) of every page and asset request
        self.lock = threading.Lock()
        self.servers = []
        self.port = None

    def __enter__(self):
        sites = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *a):
                pass

            def do_HEAD(self):
                self.do_GET(head=True)

            def do_GET(self, head=False):
                now = time.monotonic()
                parsed = urllib.parse.urlsplit(self.path)
                if parsed.path in ("/loaded", "/shown"):
                    q = urllib.parse.parse_qs(parsed.query)
                    try:
                        site = int(q.get("site", ["0"])[0])
                    except ValueError:
                        site = 0
                    with sites.lock:
                        (sites.beacons if parsed.path == "/loaded" else sites.shown).append((site, now))
                    return self.reply(204, "text/plain", b"", "no-store", head)
                site = int(self.server.server_address[0].rsplit(".", 1)[1])
                with sites.lock:
                    sites.requests.append((site, parsed.path, now))
                name = parsed.path.lstrip("/") or "index.html"
                path = os.path.join(sites.pages, f"site{site}", name)
                if "/" in name or not os.path.isfile(path):
                    return self.reply(404, "text/plain", b"not found", "no-store", head)
                with open(path, "rb") as f:
                    body = f.read()
                ext = os.path.splitext(name)[1]
                # Documents are fetched afresh on every reload; their assets may be
                # revalidated the way any site lets them be.
                cache = "no-cache" if ext == ".html" else "max-age=60"
                self.reply(200, Sites.TYPES.get(ext, "application/octet-stream"), body, cache, head)

            def reply(self, status, ctype, body, cache, head):
                self.send_response(status)
                self.send_header("Content-Type", ctype)
                self.send_header("Content-Length", str(len(body)))
                self.send_header("Cache-Control", cache)
                self.end_headers()
                if body and not head:
                    self.wfile.write(body)

        for attempt in range(20):
            probe = socket.socket()
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
            probe.close()
            try:
                for n in range(1, SITES + 1):
                    srv = _QuietServer((f"127.0.0.{n}", port), Handler)
                    self.servers.append(srv)
                self.port = port
                break
            except OSError:
                self._close()
        if self.port is None:
            raise RuntimeError("no port free on all eight loopback addresses")
        for srv in self.servers:
            threading.Thread(target=srv.serve_forever, daemon=True).start()
        return self

    def _close(self):
        for srv in self.servers:
            srv.server_close()
        self.servers = []

    def __exit__(self, *exc):
        for srv in self.servers:
            srv.shutdown()
        self._close()
        return False

    def urls(self):
        return [f"http://127.0.0.{n}:{self.port}/" for n in range(1, SITES + 1)]

    def reset(self):
        with self.lock:
            self.beacons = []
            self.shown = []
            self.requests = []

    def first_request(self):
        """Arrival time of the first request for any site's document, or None."""
        with self.lock:
            times = [t for _, path, t in self.requests if path in ("/", "/index.html")]
        return min(times) if times else None

    def counts(self):
        with self.lock:
            c = {n: 0 for n in range(1, SITES + 1)}
            for site, _ in self.beacons:
                if site in c:
                    c[site] += 1
            return c

    def nth_times(self, k):
        """Arrival time of each site's k-th beacon (1-based), None where missing."""
        with self.lock:
            seen = {n: [] for n in range(1, SITES + 1)}
            for site, t in self.beacons:
                if site in seen:
                    seen[site].append(t)
        return {n: (ts[k - 1] if len(ts) >= k else None) for n, ts in seen.items()}

    def wait_shown(self, site, after, timeout, alive):
        """Time of the first /shown of `site` later than `after`, or None."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and alive():
            with self.lock:
                times = [t for s, t in self.shown if s == site and t > after]
            if times:
                return min(times)
            time.sleep(0.01)
        return None

    def wait_round(self, k, timeout, alive):
        """Waits until every site has sent k beacons; True on success."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if min(self.counts().values()) >= k:
                return True
            if not alive():
                return False
            time.sleep(0.05)
        return min(self.counts().values()) >= k


# ---------------------------------------------------------------------------
# Process trees

MARK = "VELLORAN_BENCH_RUN"


def _marked(pid, mark):
    try:
        with open(f"/proc/{pid}/environ", "rb") as f:
            return f"{MARK}={mark}".encode() in f.read().split(b"\0")
    except OSError:
        return False


def _stat(pid):
    """(ppid, sid, utime+stime ticks) of a process, or None once it is gone."""
    try:
        with open(f"/proc/{pid}/stat", "rb") as f:
            raw = f.read().decode("latin-1")
    except OSError:
        return None
    fields = raw[raw.rfind(")") + 2:].split()
    # fields[0] is state (field 3); ppid is field 4, session 6, utime 14, stime 15.
    return int(fields[1]), int(fields[3]), int(fields[11]) + int(fields[12])


def tree(root, mark=None):
    """The root and all its descendants (by ppid), plus anything left in the
    session the root leads (a process whose parent died is re-parented), plus
    any process carrying the run's mark (a daemon started on its behalf that
    left both, such as a sound server), with its own descendants."""
    stats = {}
    for name in os.listdir("/proc"):
        if name.isdigit():
            st = _stat(int(name))
            if st:
                stats[int(name)] = st
    if root not in stats:
        return {}
    members = {root}
    if mark:
        members |= {pid for pid in stats if pid != os.getpid() and _marked(pid, mark)}
    changed = True
    while changed:
        changed = False
        for pid, (ppid, sid, _) in stats.items():
            if pid not in members and (ppid in members or sid == root):
                members.add(pid)
                changed = True
    return {pid: stats[pid] for pid in members}


def pss_kib(pids):
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/smaps_rollup") as f:
                for line in f:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
                        break
        except OSError:
            pass
    return total


def cpu_ticks(root, mark=None):
    return {pid: st[2] for pid, st in tree(root, mark).items()}


def kill_leftovers(pids):
    for pid in pids:
        try:
            os.kill(pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass


# ---------------------------------------------------------------------------
# Starting each program

class Running:
    def __init__(self, proc, tmp, err_path, mark, out_path=None):
        self.proc = proc
        self.tmp = tmp
        self.err_path = err_path
        self.mark = mark
        self.out_path = out_path

    def procs(self):
        return tree(self.pid, self.mark)

    @property
    def pid(self):
        return self.proc.pid

    def alive(self):
        return self.proc.poll() is None

    def stop(self):
        seen = set(self.procs())
        harness._stop_group(self.proc, timeout=10)
        kill_leftovers(pid for pid in seen if _stat(pid))
        shutil.rmtree(self.tmp, ignore_errors=True)

    def err_tail(self, lines=15):
        try:
            with open(self.err_path, errors="replace") as f:
                return "".join(f.readlines()[-lines:])
        except OSError:
            return ""


def _private_xdg(env, base):
    for var, sub in (("XDG_DATA_HOME", "data"), ("XDG_CACHE_HOME", "cache"),
                     ("XDG_CONFIG_HOME", "config"), ("XDG_RUNTIME_DIR", "runtime")):
        path = os.path.join(base, "xdg", sub)
        os.makedirs(path, mode=0o700, exist_ok=True)
        env[var] = path


def start_program(kind, args, env, urls, reload_ms=None):
    tmp = tempfile.mkdtemp(prefix=f"bench-{kind}-")
    env = dict(env)
    env.pop("QTWEBENGINE_CHROMIUM_FLAGS", None)
    mark = uuid.uuid4().hex
    env[MARK] = mark
    if kind in VELLORANS or kind in BEFORE:
        binary = args.before if kind in BEFORE else args.velloran
        kind = BEFORE.get(kind, kind)
        if args.velloran_flags:
            env["QTWEBENGINE_CHROMIUM_FLAGS"] = args.velloran_flags
        # Tabbed; with reloads, every tick of a shortened minute reloads all pages.
        roa = -1 if kind == "velloran_roa" else 0
        ini = [roa, -1, 1, 0, 0, -1] if reload_ms else [roa, 0, 1, 0, 0, -1]
        harness.write_ini(tmp, ini)
        harness.write_dat(tmp, [(u, True, f"Site {i + 1}") for i, u in enumerate(urls)])
        if reload_ms:
            env["VELLORAN_MINUTE_MS"] = str(reload_ms)
        app = harness.Velloran.start(binary, tmp, env)
        return Running(app.proc, tmp, app.err_path, mark)
    err = os.path.join(tmp, f"{kind}.err")
    out = None
    if kind == "bare_sw":
        env.update(QT_QUICK_BACKEND="software", QT_XCB_GL_INTEGRATION="none",
                   QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu")
        kind = "bare"
    if kind == "bare":
        if harness.is_root():
            env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        _private_xdg(env, tmp)
        out = os.path.join(tmp, "bare.out")
        cmd = [args.bare, "--data", os.path.join(tmp, "profile")]
        if reload_ms:
            cmd += ["--reload-ms", str(reload_ms)]
        cmd += urls
    elif kind == "chromium":
        _private_xdg(env, tmp)
        cmd = [args.chromium, "--no-first-run", "--disable-background-networking",
               "--disable-component-update", "--disable-sync", "--no-default-browser-check",
               f"--user-data-dir={os.path.join(tmp, 'profile')}",
               # No keyring on the private desktop: keep Chromium from waiting for one.
               "--password-store=basic",
               # The same screen area as the other two, which open maximized.
               "--start-maximized"]
        if harness.is_root():
            cmd.append("--no-sandbox")
        cmd += urls
    else:
        raise ValueError(kind)
    proc = harness._spawn(cmd, env, stdout=out or err, stderr=err)
    return Running(proc, tmp, err, mark, out)


# ---------------------------------------------------------------------------
# Measurements

def measure_loaded(kind, args, desk, sites, results, run):
    """Everything but the reload growth, from one launch."""
    sites.reset()
    t0 = time.monotonic()
    app = start_program(kind, args, desk.env, sites.urls())
    try:
        ok = sites.wait_round(1, args.load_timeout, app.alive)
        if not ok:
            log(f"  {kind}: only {sum(1 for c in sites.counts().values() if c)} of 8 pages "
                f"loaded in {args.load_timeout} s\n{app.err_tail()}")
            return
        last = max(sites.nth_times(1).values())
        results.add(run, kind, "launch", last - t0)
        shown = sites.wait_shown(1, t0, 10, app.alive)
        if shown is not None:
            results.add(run, kind, "visible", shown - t0)
        first = sites.first_request()
        if first is not None:
            # How much of the launch is the program starting, before any page is asked for.
            results.add(run, kind, "first_request", first - t0)
        time.sleep(max(0.0, last + args.settle - time.monotonic()))
        procs = app.procs()
        results.add(run, kind, "memory", pss_kib(procs) / 1024.0)
        results.add(run, kind, "processes", len(procs))
        # A minute on: pages out of sight have had their minute.
        time.sleep(max(0.0, last + args.settle + args.late - time.monotonic()))
        procs = app.procs()
        results.add(run, kind, "memory_late", pss_kib(procs) / 1024.0)
        results.add(run, kind, "processes_late", len(procs))
        before = cpu_ticks(app.pid, app.mark)
        t1 = time.monotonic()
        time.sleep(args.idle)
        after = cpu_ticks(app.pid, app.mark)
        span = time.monotonic() - t1
        used = sum(v - before.get(pid, 0) for pid, v in after.items())
        results.add(run, kind, "idle_cpu", 100.0 * used / CLK_TCK / span)
        if args.shots:
            harness.screenshot(os.path.join(args.out, f"run{run}-{kind}.png"), desk.env)
        extra = sites.counts()
        if max(extra.values()) > 1:
            log(f"  note: {kind} reloaded on its own while idle ({extra})")
        measure_clicks(kind, args, desk, sites, results, run, app)
    finally:
        app.stop()


def _tab_points(kind, desk, app):
    """Screen points of tabs 1..8, [] for Chromium (keys instead), None when not found."""
    if kind in VELLORANS or kind in BEFORE:
        wins = scenario.velloran_windows(desk.env, "NORMAL")
        rect = scenario.client_rect(wins[0], desk.env) if wins else None
        strip = scenario.find_tab_strip(scenario.grab(desk.env), rect) if rect else None
        if not strip:
            return None
        row, cells = strip
        return [((a + b) // 2, row) for a, b in cells[:SITES]]
    if kind in ("bare", "bare_sw"):
        try:
            with open(app.out_path) as f:
                found = re.findall(r"TAB (\d+) (-?\d+) (-?\d+)", f.read())
        except OSError:
            return None
        points = {int(i): (int(x), int(y)) for i, x, y in found}
        return [points[i] for i in range(1, SITES + 1)] if len(points) >= SITES else None
    return []


def measure_clicks(kind, args, desk, sites, results, run, app):
    """Clicks tabs 2, 3, ... in turn, each time from the click to that page drawn
    (Chromium: Ctrl+N); then F5 on the page in front, to the page drawn again."""
    points = _tab_points(kind, desk, app)
    if points is None:
        log(f"  {kind}: tabs not found, no tab click")
        return
    times = []
    for site in range(2, 2 + args.clicks):
        t = time.monotonic()
        if kind == "chromium":
            harness._x(["xdotool", "key", f"ctrl+{site}"], desk.env)
        else:
            x, y = points[site - 1]
            harness._x(["xdotool", "mousemove", str(x), str(y), "click", "1"], desk.env)
        shown = sites.wait_shown(site, t, 30, app.alive)
        if shown is None:
            log(f"  {kind}: page {site} not shown within 30 s of its tab click")
            return
        times.append(1000.0 * (shown - t))
        time.sleep(1.0)
    results.add(run, kind, "tabclick", statistics.median(times))
    front = 1 + args.clicks
    t = time.monotonic()
    # Velloran's F5 tiles the windows; its View > Refresh is the reload.
    keys = ["alt+v", "r"] if kind in VELLORANS or kind in BEFORE else ["F5"]
    harness._x(["xdotool", "key", "--delay", "30", *keys], desk.env)
    shown = sites.wait_shown(front, t, 30, app.alive)
    if shown is None:
        log(f"  {kind}: F5 did not show page {front} again within 30 s")
        return
    results.add(run, kind, "reload", 1000.0 * (shown - t))
    log(f"  {kind}: tab clicks {', '.join(f'{v:.0f}' for v in times)} ms, "
        f"F5 {1000.0 * (shown - t):.0f} ms")


def measure_reloads(kind, args, desk, sites, results, run):
    """Pss growth between an early and the last timed-reload cycle."""
    sites.reset()
    app = start_program(kind, args, desk.env, sites.urls(), reload_ms=args.minute_ms)
    early = min(10, max(1, args.cycles // 2))
    per_cycle = max(5.0, 3.0 * args.minute_ms / 1000.0)
    try:
        if not sites.wait_round(1, args.load_timeout, app.alive):
            log(f"  {kind}: pages did not load for the reload test\n{app.err_tail()}")
            return
        samples = {}
        t_start = time.monotonic()
        for cycle in (early, args.cycles):
            # Round 1 is the first load; cycle k is round k + 1.
            if not sites.wait_round(cycle + 1, per_cycle * (cycle + 2) + 30, app.alive):
                log(f"  {kind}: reached only {min(sites.counts().values()) - 1} reload cycles "
                    f"of {cycle}\n{app.err_tail()}")
                return
            samples[cycle] = pss_kib(app.procs())
            log(f"  {kind}: cycle {cycle}: {samples[cycle] / 1024:.0f} MiB")
        span = time.monotonic() - t_start
        results.add(run, kind, "reload_growth",
                    100.0 * (samples[args.cycles] - samples[early]) / samples[early])
        results.add(run, kind, "reload_cycle_s", span / args.cycles)
    finally:
        app.stop()


# ---------------------------------------------------------------------------
# Results

class Results:
    def __init__(self):
        self.rows = []  # (run, program, metric, value)

    def add(self, run, program, metric, value):
        self.rows.append((run, program, metric, value))

    def values(self, program, metric):
        return [v for _, p, m, v in self.rows if p == program and m == metric]

    def median(self, program, metric):
        vals = self.values(program, metric)
        return statistics.median(vals) if vals else None


def fmt(vals, decimals):
    if not vals:
        return "n/a"
    med = statistics.median(vals)
    if len(vals) == 1:
        return f"{med:.{decimals}f}"
    return f"{med:.{decimals}f} ({min(vals):.{decimals}f}–{max(vals):.{decimals}f})"


def ratio(a, b):
    if a is None or b is None or b <= 0 or a < 0:
        return None
    return a / b


def targets(res):
    """(label, verdict, detail) for each target; verdict is PASS, MISS or n/a."""
    med = res.median
    out = []

    def check(label, value, limit, unit=""):
        if value is None or limit is None:
            out.append((label, "n/a", "n/a"))
        else:
            out.append((label, "PASS" if value <= limit else "MISS",
                        f"{value:.3g}{unit} against {limit:.3g}{unit}"))

    check("launch → 8 loaded: Velloran/bare ≤ 1.05",
          ratio(med("velloran", "launch"), med("bare", "launch")), 1.05)
    check("memory at settle: Velloran/bare ≤ 1.03",
          ratio(med("velloran", "memory"), med("bare", "memory")), 1.03)
    check("front page shown: Velloran ≤ bare", med("velloran", "visible"), med("bare", "visible"), " s")
    check("memory 1 min later, RoA: Velloran/Chromium ≤ 0.5",
          ratio(med("velloran_roa", "memory_late"), med("chromium", "memory_late")), 0.5)
    for kind in VELLORANS:
        check(f"idle CPU, {LABELS[kind]} ≤ 0.1 % of a core", med(kind, "idle_cpu"), 0.1, " %")
    check("RoA tab click onto a discarded page ≤ its F5", med("velloran_roa", "tabclick"),
          med("velloran_roa", "reload"), " ms")
    check("reload-cycle growth ≤ 5 %", med("velloran", "reload_growth"), 5.0, " %")
    return out


def table(res):
    shown = [p for p in PROGRAMS + OPTIONAL if res.values(p, "launch") or p in PROGRAMS]
    others = ["bare", "chromium"] + [p for p in EXTRA if res.values(p, "launch")]
    head = (["metric"] + [LABELS[p] for p in shown]
            + [f"{LABELS[v]}/{LABELS[o]}" for o in others for v in VELLORANS])
    rows = []
    for key, label, unit, dec in METRICS:
        cells = [f"{label} ({unit})"]
        for p in shown:
            cells.append(fmt(res.values(p, key), dec))
        for other in others:
            for v in VELLORANS:
                x = ratio(res.median(v, key), res.median(other, key))
                cells.append(f"{x:.2f}" if x is not None else "n/a")
        rows.append(cells)
    widths = [max(len(r[i]) for r in [head] + rows) for i in range(len(head))]
    line = lambda r: " | ".join(c.ljust(w) for c, w in zip(r, widths))  # noqa: E731
    out = [line(head), "-+-".join("-" * w for w in widths)] + [line(r) for r in rows]
    return "\n".join(out)


def write_csv(res, path):
    units = {k: u for k, _, u, _ in METRICS}
    units.update(processes="count", processes_late="count", reload_cycle_s="s", first_request="s")
    with open(path, "w", newline="") as f:
        w = csv.writer(f)
        w.writerow(["metric", "unit", "program", "run", "value"])
        keys = [k for k, *_ in METRICS] + ["first_request", "processes", "processes_late", "reload_cycle_s"]
        for key in keys:
            for p in PROGRAMS + OPTIONAL:
                vals = res.values(p, key)
                for run, prog, m, v in res.rows:
                    if prog == p and m == key:
                        w.writerow([key, units[key], p, run, f"{v:.4f}"])
                if vals:
                    for name, agg in (("median", statistics.median(vals)), ("min", min(vals)),
                                      ("max", max(vals))):
                        w.writerow([key, units[key], p, name, f"{agg:.4f}"])


def chart(res, verdicts, path, title):
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        log("matplotlib is missing: no chart (apt-get install python3-matplotlib)")
        return False
    colors = {"velloran": "#1f6feb", "velloran_roa": "#54aeff", "chromium": "#d1242f", "bare": "#6e7781",
              "before": "#8250df", "before_roa": "#c297ff", "bare_sw": "#afb8c1"}
    fig, axes = plt.subplots(3, 3, figsize=(16, 12))
    limits = {"idle_cpu": 0.1, "reload_growth": 5.0}
    for ax, (key, label, unit, dec) in zip(axes.flat, METRICS):
        xs, names = [], []
        for i, p in enumerate(p for p in PROGRAMS + OPTIONAL if p in PROGRAMS or res.values(p, "launch")):
            vals = res.values(p, key)
            names.append(LABELS[p])
            xs.append(i)
            if not vals:
                ax.text(i, 0, "n/a", ha="center", va="bottom", color="#888")
                continue
            med = statistics.median(vals)
            ax.bar(i, med, color=colors[p], alpha=0.8, width=0.6,
                   yerr=[[med - min(vals)], [max(vals) - med]], capsize=6)
            ax.scatter([i] * len(vals), vals, color="black", s=10, zorder=3)
            ax.annotate(f"{med:.{dec}f}", (i, med), textcoords="offset points", xytext=(0, 4),
                        ha="center", fontsize=9)
        if key in limits:
            ax.axhline(limits[key], color="#bf8700", ls="--", lw=1.2, label=f"target {limits[key]:g}")
            ax.legend(loc="upper right", fontsize=8)
        bm, cm = res.median("bare", key), res.median("chromium", key)
        relative = {"launch": (bm, 1.05, "1.05 × bare"), "memory": (bm, 1.03, "1.03 × bare"),
                    "visible": (bm, 1.0, "bare"), "memory_late": (cm, 0.5, "0.5 × Chromium")}
        if key in relative and relative[key][0]:
            base, factor, name = relative[key]
            ax.axhline(factor * base, color="#bf8700", ls="--", lw=1.2, label=name)
            ax.legend(loc="upper right", fontsize=8)
        ax.set_xticks(xs, names, fontsize=8)
        ax.set_title(label)
        ax.set_ylabel(unit)
        ax.set_ylim(bottom=min(0, ax.get_ylim()[0]))
    last = axes.flat[-1]
    last.axis("off")
    lines = [f"{verdict:4}  {name}\n        {detail}" for name, verdict, detail in verdicts]
    last.text(0.0, 1.0, "Targets\n\n" + "\n".join(lines), va="top", family="monospace", fontsize=9)
    fig.suptitle(title)
    fig.tight_layout()
    fig.savefig(path, dpi=100)
    plt.close(fig)
    return True


# ---------------------------------------------------------------------------

def main():
    ap = argparse.ArgumentParser(description="Velloran against Chromium and the bare engine.")
    ap.add_argument("--velloran", required=True)
    ap.add_argument("--bare", required=True)
    ap.add_argument("--chromium", default="/usr/bin/chromium")
    ap.add_argument("--before", default=None,
                    help="an earlier Velloran binary, measured alongside (Before, Before RoA)")
    ap.add_argument("--pages", default=os.path.join(HERE, "pages"))
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--out", default=None)
    ap.add_argument("--idle", type=float, default=60.0, help="idle CPU window, seconds")
    ap.add_argument("--settle", type=float, default=5.0, help="wait after the last load before memory")
    ap.add_argument("--cycles", type=int, default=200,
                    help="timed-reload cycles (0 skips them; growth is measured from "
                         "cycle 10, or half the cycles when there are fewer than 20)")
    ap.add_argument("--minute-ms", type=int, default=1500,
                    help="reload period: Velloran's shortened minute and the bare engine's timer")
    ap.add_argument("--load-timeout", type=float, default=120.0)
    ap.add_argument("--late", type=float, default=60.0,
                    help="seconds from the first memory sample to the second")
    ap.add_argument("--clicks", type=int, default=3, help="tab clicks per launch (tabs 2, 3, ...)")
    ap.add_argument("--bare-software", action="store_true",
                    help="also the bare engine drawing in software (bare_sw)")
    ap.add_argument("--programs", default=",".join(PROGRAMS),
                    help="comma-separated subset of " + ",".join(PROGRAMS))
    ap.add_argument("--velloran-flags", default="",
                    help="QTWEBENGINE_CHROMIUM_FLAGS for Velloran (for experiments)")
    ap.add_argument("--shots", action="store_true", help="screenshot each program once loaded")
    args = ap.parse_args()

    programs = [p for p in args.programs.split(",") if p]
    if args.before:
        programs += list(BEFORE)
    if args.bare_software:
        programs += list(EXTRA)
    for p in programs:
        if p not in PROGRAMS and p not in OPTIONAL:
            ap.error(f"unknown program {p}")
    args.out = os.path.abspath(args.out or os.path.join(
        HERE, "out", datetime.datetime.now().strftime("%Y%m%d-%H%M%S")))
    os.makedirs(args.out, exist_ok=True)

    res = Results()
    log(f"{args.runs} run(s), idle {args.idle:g} s, {args.clicks} tab clicks, {args.cycles} reload cycles every "
        f"{args.minute_ms} ms; results in {args.out}")
    with harness.Desktop() as desk, Sites(args.pages) as sites:
        log(f"desktop {desk.display}, sites on port {sites.port}")
        for run in range(1, args.runs + 1):
            log(f"run {run}/{args.runs}")
            # Rotated, so no program always comes first to cold caches.
            order = programs[(run - 1) % len(programs):] + programs[:(run - 1) % len(programs)]
            for kind in order:
                log(f"  {kind}: launch, memory, idle CPU, tab clicks")
                measure_loaded(kind, args, desk, sites, res, run)
            for kind in order:
                # Chromium has no timed reload of its own; refresh on activation does not
                # change what a timed reload does.
                if kind in ("chromium", "velloran_roa", "before_roa") or args.cycles <= 0:
                    continue
                log(f"  {kind}: {args.cycles} reload cycles")
                measure_reloads(kind, args, desk, sites, res, run)

    text = table(res)
    verdicts = targets(res)
    summary = [text, "", "Targets:"] + [f"  {v:4}  {name}  ({detail})" for name, v, detail in verdicts]
    print()
    print("\n".join(summary))
    with open(os.path.join(args.out, "table.txt"), "w") as f:
        f.write("\n".join(summary) + "\n")
    write_csv(res, os.path.join(args.out, "results.csv"))
    title = (f"Velloran benchmark – {args.runs} run(s), idle {args.idle:g} s, "
             f"{args.cycles} reload cycles, median with min–max")
    if chart(res, verdicts, os.path.join(args.out, "chart.png"), title):
        log(f"wrote {os.path.join(args.out, 'chart.png')}")
    log(f"wrote {os.path.join(args.out, 'results.csv')}")


if __name__ == "__main__":
    main()
