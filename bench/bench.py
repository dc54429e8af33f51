#!/usr/bin/env python3
"""Runs Velloran, Chromium and the bare engine over the same eight local sites
and compares them. bench/run.sh builds everything and calls this; run it by hand
only with the binaries already built:

    python3 bench/bench.py --velloran build/velloran --bare bench/build/bare_engine \
        [--runs N] [--out DIR] [--idle S] [--cycles C] [--growth] [--variants]

Programs: Velloran with refresh on activation off and on, Chromium, and the bare
engine three ways: drawing exactly as Velloran chooses to on this machine (the same
environment and engine switches; the limit every target is measured against), the
same with a hidden tab's view dropped after a minute and made anew when the tab is
shown (against Velloran's discarded pages), and with OpenGL emulated (not a
target). Each starts on a fresh persistent profile, in turn (the order rotates
from run to run so no program always meets cold caches).

Metrics, each taken --runs times, all from one launch except the reload ones:
  first request process start -> the first document request at the server (s)
  visible       process start -> the front page drawn after its load (s)
  launch        process start -> the eighth page's load beacon (s)
  memory        Pss of everything the program started, 5 s after the last beacon (MiB),
                also split by kind of process (browser, renderer, zygote, gpu, utility)
  memory_late   the same one minute later (MiB)
  idle CPU      utime+stime of the same processes over --idle seconds after that
  tab click     a real click on another tab -> that page drawn (ms; for Velloran with
                refresh on activation, onto a page discarded a minute before); and
                the click -> the reachability probe (HEAD) and the document request
  reload        F5 on the page in front -> the page drawn again (ms), after a click
                into the page; the median of --reloads presses
  timed reload  each timed reload's document request -> its load beacon, and the
                reachability probe before it -> the request (ms)
  reload growth Pss growth from cycle 10 to cycle --cycles of timed reloads (%)
--growth: launch and memory with 1, 2, 4 and 8 sites (Velloran, bare, Chromium) and
the cost of each added site. --variants: one of Velloran's features at a time
(spell checking, its page script, its toolbars) added to the bare engine, and
spelling taken from Velloran, each against its base in the same runs.
"Everything the program started" is its process tree plus any process carrying
the run's mark in its environment (a daemon it spawned that left the tree).
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
# "bare" is the bare engine drawing as Velloran does on this machine (the limit the
# targets are measured against); "bare_gl" is it with OpenGL emulated on the processor.
PROGRAMS = ["velloran", "velloran_roa", "chromium", "bare", "bare_new", "bare_gl"]
LABELS = {"velloran": "Velloran", "velloran_roa": "Velloran RoA", "chromium": "Chromium",
          "bare": "bare engine", "bare_new": "bare engine, new view",
          "bare_gl": "bare engine, OpenGL"}
VELLORANS = ("velloran", "velloran_roa")
# With --before: an earlier Velloran binary in the same run, for before/after tables.
BEFORE = {"before": "velloran", "before_roa": "velloran_roa"}
LABELS.update(before="Before", before_roa="Before RoA")
# With --variants: one feature of Velloran's at a time, added to the bare engine or
# taken from Velloran, each against its own base in the same runs.
VARIANTS = {"velloran_nospell": "Velloran, no spelling", "bare_spell": "bare + spelling",
            "bare_scripts": "bare + page script", "bare_toolbars": "bare + toolbars",
            "bare_all": "bare + all three"}
LABELS.update(VARIANTS)
VARIANT_PAIRS = [("spelling, in Velloran", "velloran", "velloran_nospell"),
                 ("spelling, in the bare engine", "bare_spell", "bare"),
                 ("page script", "bare_scripts", "bare"),
                 ("toolbars", "bare_toolbars", "bare"),
                 ("all three", "bare_all", "bare")]
OPTIONAL = list(BEFORE)
BARES = ("bare", "bare_new", "bare_gl", "bare_spell", "bare_scripts", "bare_toolbars", "bare_all")
# With --growth: these, on 1, 2, 4 and 8 sites.
GROWTH_PROGRAMS = ["velloran", "bare", "chromium"]
GROWTH_SITES = (1, 2, 4, 8)
# Ratio columns of the main table: (numerator, denominator).
RATIOS = [("velloran", "bare"), ("velloran_roa", "bare"), ("velloran_roa", "bare_new"),
          ("velloran", "bare_gl"), ("velloran", "chromium"), ("velloran_roa", "chromium")]
METRICS = [
    # key, label, unit, decimals
    ("first_request", "launch → first page request", "s", 2),
    ("visible", "launch → front page shown", "s", 2),
    ("launch", "launch → 8 loaded", "s", 2),
    ("memory", "memory at settle (PSS)", "MiB", 0),
    ("memory_late", "memory 1 min later", "MiB", 0),
    ("idle_cpu", "idle CPU", "% core", 3),
    ("tabclick", "tab click → shown", "ms", 0),
    ("click_probe", "tab click → probe (HEAD)", "ms", 0),
    ("click_request", "tab click → page request", "ms", 0),
    ("reload", "F5 → shown", "ms", 0),
    ("timed_reload", "timed reload: request → loaded", "ms", 0),
    ("probe_lead", "timed reload: probe → request", "ms", 0),
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
        self.requests = []  # (site, path, monotonic, method) of every page and asset request
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
                    sites.requests.append((site, parsed.path, now, self.command))
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
            times = [t for _, path, t, m in self.requests if path in ("/", "/index.html") and m == "GET"]
        return min(times) if times else None

    def documents(self, site=None, after=0.0, method="GET"):
        """Arrival times of document requests (GET, or HEAD: a reachability probe)."""
        with self.lock:
            return sorted(t for s, path, t, m in self.requests
                          if path in ("/", "/index.html") and m == method and t > after
                          and (site is None or s == site))

    def beacon_times(self, site, after=0.0):
        with self.lock:
            return sorted(t for s, t in self.beacons if s == site and t > after)

    def counts(self, n=SITES):
        with self.lock:
            c = {k: 0 for k in range(1, n + 1)}
            for site, _ in self.beacons:
                if site in c:
                    c[site] += 1
            return c

    def nth_times(self, k, n=SITES):
        """Arrival time of each site's k-th beacon (1-based), None where missing."""
        with self.lock:
            seen = {i: [] for i in range(1, n + 1)}
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

    def wait_round(self, k, timeout, alive, n=SITES):
        """Waits until each of the first n sites has sent k beacons; True on success."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if min(self.counts(n).values()) >= k:
                return True
            if not alive():
                return False
            time.sleep(0.02)
        return min(self.counts(n).values()) >= k


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


def _engine_type(pid):
    """The --type= of an engine process, None for another program, "" when gone."""
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            # Chromium rewrites its children's titles into one string.
            argv = f.read().decode("latin-1").replace("\0", " ").split()
    except OSError:
        return ""
    return next((a.split("=", 1)[1] for a in argv if a.startswith("--type=")), None), argv


def process_class(pid, root):
    """What a process is, from its command line: browser (the program itself),
    renderer, gpu, utility:<service>, zygote, or the name of anything else."""
    if pid == root:
        return "browser"
    got = _engine_type(pid)
    if not got:
        return "gone"
    kind, argv = got
    if kind is None:
        return os.path.basename(argv[0]) if argv else "other"
    if kind == "zygote":
        # A zygote's children keep its command line; a renderer is told by its
        # compositor thread.
        st = _stat(pid)
        parent = _engine_type(st[0]) if st else ""
        if parent and parent[0] == "zygote":
            try:
                threads = {open(f"/proc/{pid}/task/{t}/comm").read().strip()
                           for t in os.listdir(f"/proc/{pid}/task")}
            except OSError:
                threads = set()
            return "renderer" if "Compositor" in threads else "zygote child"
    if kind == "gpu-process":
        return "gpu"
    if kind == "utility":
        sub = next((a.split("=", 1)[1] for a in argv if a.startswith("--utility-sub-type=")), "")
        # network.mojom.NetworkService -> network
        return "utility:" + (sub.split(".")[0] if sub else "other")
    return kind


def pss_split(procs, root):
    """{class: [Pss MiB of each process of that class]}."""
    out = {}
    for pid in procs:
        kib = pss_kib([pid])
        if kib:
            out.setdefault(process_class(pid, root), []).append(kib / 1024.0)
    return out


def add_split(results, run, kind, split):
    """Each class's total, the renderers' count and each renderer's median."""
    for cls, vals in split.items():
        results.add(run, kind, "pss:" + cls, sum(vals))
    rend = split.get("renderer", [])
    results.add(run, kind, "renderers", len(rend))
    if rend:
        results.add(run, kind, "pss_each_renderer", statistics.median(rend))


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


def software_drawing():
    """Whether Velloran draws in software here (engine/Rendering.cpp's choice for a
    person who set nothing): no GPU render node, or emulated OpenGL asked for."""
    gl = os.environ.get("LIBGL_ALWAYS_SOFTWARE", "")
    node = os.path.isdir("/dev/dri") and any(n.startswith("renderD") for n in os.listdir("/dev/dri"))
    return not node or (gl not in ("", "0") and gl.lower() != "false")


def start_program(kind, args, env, urls, reload_ms=None):
    tmp = tempfile.mkdtemp(prefix=f"bench-{kind}-")
    env = dict(env)
    env.pop("QTWEBENGINE_CHROMIUM_FLAGS", None)
    mark = uuid.uuid4().hex
    env[MARK] = mark
    if kind in VELLORANS or kind in BEFORE or kind == "velloran_nospell":
        binary = args.before if kind in BEFORE else args.velloran
        kind = BEFORE.get(kind, kind)
        if args.velloran_flags:
            env["QTWEBENGINE_CHROMIUM_FLAGS"] = args.velloran_flags
        if kind == "velloran_nospell":
            # A dictionaries folder with none in it: Velloran checks no spelling.
            empty = os.path.join(tmp, "no-dictionaries")
            os.makedirs(empty, exist_ok=True)
            env["QTWEBENGINE_DICTIONARIES_PATH"] = empty
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
    if kind in BARES:
        if kind != "bare_gl" and software_drawing():
            # What Velloran's start-up sets on a machine without a GPU.
            env.update(QT_QUICK_BACKEND="software", QT_XCB_GL_INTEGRATION="none",
                       QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu")
        if harness.is_root():
            env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        _private_xdg(env, tmp)
        out = os.path.join(tmp, "bare.out")
        cmd = [args.bare, "--data", os.path.join(tmp, "profile")]
        if reload_ms:
            cmd += ["--reload-ms", str(reload_ms)]
        if kind in ("bare_spell", "bare_all"):
            cmd += ["--spellcheck", args.dictionaries]
        if kind in ("bare_scripts", "bare_all"):
            cmd += ["--edit-watcher"]
        if kind in ("bare_toolbars", "bare_all"):
            cmd += ["--toolbars", os.path.join(TREE, "resources", "icons")]
        if kind == "bare_new":
            # Velloran discards a page hidden a minute (with refresh on activation on).
            cmd += ["--drop-hidden-ms", "60000"]
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
        add_split(results, run, kind, pss_split(procs, app.pid))
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
    if kind in BARES:
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
    times, requests, probes, notes = [], [], [], []
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
        # Where the time went: the reachability probe (HEAD), the document request.
        gets = sites.documents(site, t)
        heads = sites.documents(site, t, "HEAD")
        if gets and gets[0] < shown:
            requests.append(1000.0 * (gets[0] - t))
        if heads and heads[0] < shown:
            probes.append(1000.0 * (heads[0] - t))
        if gets or heads:
            notes.append(f"{len(gets)} GET{'' if not heads else f', HEAD at {1000.0 * (heads[0] - t):.0f}'}"
                         + (f", GET at {1000.0 * (gets[0] - t):.0f}" if gets else ""))
    results.add(run, kind, "tabclick", statistics.median(times))
    if requests:
        results.add(run, kind, "click_request", statistics.median(requests))
    if probes:
        results.add(run, kind, "click_probe", statistics.median(probes))
    front = 1 + args.clicks
    # Into the page first, as a person reading it would be: Velloran leaves F5 to the
    # frame (Tile) unless the page has the keyboard. The same for every program.
    _, geo = harness._x(["xdotool", "getactivewindow", "getwindowgeometry", "--shell"], desk.env)
    geo = dict(line.split("=", 1) for line in geo.split() if "=" in line)
    if {"X", "Y", "WIDTH", "HEIGHT"} <= geo.keys():
        x = int(geo["X"]) + int(geo["WIDTH"]) * 45 // 100
        y = int(geo["Y"]) + int(geo["HEIGHT"]) * 70 // 100
        harness._x(["xdotool", "mousemove", str(x), str(y), "click", "1"], desk.env)
        time.sleep(1.0)
    velloran = kind in VELLORANS or kind in BEFORE
    keys = args.velloran_reload_keys.split() if velloran else ["F5"]
    # Several presses, a second apart: one reload's time moves with the frame it
    # happens to land in, and a single sample per launch said more about that.
    reloads, probed, splits = [], 0, []
    for _ in range(max(1, args.reloads)):
        t = time.monotonic()
        harness._x(["xdotool", "key", "--delay", "30", *keys], desk.env)
        shown = sites.wait_shown(front, t, 30, app.alive)
        if shown is None:
            log(f"  {kind}: F5 did not show page {front} again within 30 s")
            return
        reloads.append(1000.0 * (shown - t))
        probed += len([h for h in sites.documents(front, t, "HEAD") if h < shown])
        # Where the time goes: key to the page's request, request to its load event,
        # load event to its first frame on screen.
        gets = [g for g in sites.documents(front, t) if g < shown]
        beacons = [b for b in sites.beacon_times(front, t) if b < shown]
        if gets and beacons:
            splits.append((gets[0] - t, beacons[-1] - gets[0], shown - beacons[-1]))
        time.sleep(1.0)
    results.add(run, kind, "reload", statistics.median(reloads))
    log(f"  {kind}: tab clicks {', '.join(f'{v:.0f}' for v in times)} ms "
        f"({'; '.join(notes)}), F5 {', '.join(f'{v:.0f}' for v in reloads)} ms"
        + (f" after {probed} probe(s)" if probed else "")
        + ("; F5 split key→request/→loaded/→shown "
           + "/".join(f"{1000.0 * statistics.median(x[i] for x in splits):.0f}" for i in range(3))
           + " ms" if splits else ""))


def add_reload_times(kind, sites, results, run):
    """Each timed reload from its document request to the page's load beacon, and,
    where a reachability probe (HEAD) went first, from the probe to the request."""
    loads, leads = [], []
    for site in range(1, SITES + 1):
        gets = sites.documents(site)
        beacons = sites.beacon_times(site)
        heads = sites.documents(site, method="HEAD")
        for a, b in zip(gets, gets[1:] + [float("inf")]):
            done = [x for x in beacons if a < x < b]
            if done and a > gets[0]:  # reloads only, not the first load
                loads.append(1000.0 * (done[0] - a))
        for h in heads:
            nxt = [g for g in gets if g > h]
            if nxt:
                leads.append(1000.0 * (nxt[0] - h))
    if loads:
        results.add(run, kind, "timed_reload", statistics.median(loads))
    if leads:
        results.add(run, kind, "probe_lead", statistics.median(leads))


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
        add_reload_times(kind, sites, results, run)
        results.add(run, kind, "reload_growth",
                    100.0 * (samples[args.cycles] - samples[early]) / samples[early])
        results.add(run, kind, "reload_cycle_s", span / args.cycles)
    finally:
        app.stop()


def measure_quick(kind, args, desk, sites, results, run, n=SITES, suffix=""):
    """Launch to n sites loaded, the front page shown and the first page request, and
    memory at settle (with its split by process when n is all eight)."""
    sites.reset()
    t0 = time.monotonic()
    app = start_program(kind, args, desk.env, sites.urls()[:n])
    try:
        if not sites.wait_round(1, args.load_timeout, app.alive, n):
            log(f"  {kind}: only {sum(1 for c in sites.counts(n).values() if c)} of {n} pages "
                f"loaded in {args.load_timeout} s\n{app.err_tail()}")
            return
        last = max(sites.nth_times(1, n).values())
        results.add(run, kind, "launch" + suffix, last - t0)
        shown = sites.wait_shown(1, t0, 10, app.alive)
        if shown is not None:
            results.add(run, kind, "visible" + suffix, shown - t0)
        first = sites.first_request()
        if first is not None:
            results.add(run, kind, "first_request" + suffix, first - t0)
        time.sleep(max(0.0, last + args.settle - time.monotonic()))
        procs = app.procs()
        mem = pss_kib(procs) / 1024.0
        results.add(run, kind, "memory" + suffix, mem)
        if n == SITES:
            add_split(results, run, kind, pss_split(procs, app.pid))
        log(f"  {kind}, {n} site(s): loaded {last - t0:.2f} s, {mem:.0f} MiB")
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

    def programs(self):
        seen = []
        for _, p, _, _ in self.rows:
            if p not in seen:
                seen.append(p)
        return seen

    def metrics(self):
        seen = []
        for _, _, m, _ in self.rows:
            if m not in seen:
                seen.append(m)
        return seen


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


def grid(head, rows):
    widths = [max(len(r[i]) for r in [head] + rows) for i in range(len(head))]
    line = lambda r: " | ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip()  # noqa: E731
    return "\n".join([line(head), "-+-".join("-" * w for w in widths)] + [line(r) for r in rows])


def targets(res):
    """(label, verdict, detail) for each target; verdict is PASS, MISS or n/a.
    The limit is the bare engine drawing as Velloran does here."""
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
    check("F5 → shown: Velloran/bare ≤ 1.05",
          ratio(med("velloran", "reload"), med("bare", "reload")), 1.05)
    check("front page shown: Velloran ≤ bare", med("velloran", "visible"), med("bare", "visible"), " s")
    check("memory 1 min later, RoA: Velloran/Chromium ≤ 0.5",
          ratio(med("velloran_roa", "memory_late"), med("chromium", "memory_late")), 0.5)
    for kind in VELLORANS:
        check(f"idle CPU, {LABELS[kind]} ≤ 0.1 % of a core", med(kind, "idle_cpu"), 0.1, " %")
    check("RoA click onto a discarded page: Velloran RoA/bare new view ≤ 1.1",
          ratio(med("velloran_roa", "tabclick"), med("bare_new", "tabclick")), 1.1)
    check("reload-cycle growth ≤ 5 %", med("velloran", "reload_growth"), 5.0, " %")
    return out


def table(res):
    shown = [p for p in PROGRAMS + OPTIONAL if res.values(p, "launch") or p in PROGRAMS]
    pairs = [(a, b) for a, b in RATIOS if res.values(a, "launch") and res.values(b, "launch")]
    pairs += [(b, "bare") for b in BEFORE if res.values(b, "launch")]
    head = ["metric"] + [LABELS[p] for p in shown] + [f"{LABELS[a]}/{LABELS[b]}" for a, b in pairs]
    rows = []
    for key, label, unit, dec in METRICS:
        cells = [f"{label} ({unit})"]
        for p in shown:
            cells.append(fmt(res.values(p, key), dec))
        for a, b in pairs:
            x = ratio(res.median(a, key), res.median(b, key))
            cells.append(f"{x:.2f}" if x is not None else "n/a")
        rows.append(cells)
    return grid(head, rows)


def split_table(res, programs, base=("velloran", "bare")):
    """Pss at settle by kind of process (median over runs, MiB), and the difference
    between the two programs of `base`."""
    programs = [p for p in programs if res.values(p, "memory")]
    classes = sorted({m[4:] for m in res.metrics() if m.startswith("pss:")
                      and any(res.values(p, m) for p in programs)},
                     key=lambda c: (c != "browser", c != "renderer", c))
    diff = base[0] in programs and base[1] in programs
    head = ["process (PSS, MiB)"] + [LABELS[p] for p in programs]
    if diff:
        head.append(f"{LABELS[base[0]]} − {LABELS[base[1]]}")
    rows = []

    def row(name, metric, dec=1):
        cells = [name]
        for p in programs:
            v = res.median(p, metric)
            cells.append(f"{v:.{dec}f}" if v is not None else "–")
        if diff:
            a, b = res.median(base[0], metric), res.median(base[1], metric)
            cells.append(f"{(a or 0) - (b or 0):+.{dec}f}" if a is not None or b is not None else "–")
        rows.append(cells)

    for c in classes:
        row(c + (" (all)" if c == "renderer" else ""), "pss:" + c)
    row("renderer (each, median)", "pss_each_renderer")
    row("renderers (count)", "renderers", 0)
    row("total", "memory")
    return grid(head, rows)


def slope(points):
    """Least-squares slope of (x, y) points, or None."""
    if len(points) < 2:
        return None
    mx = statistics.mean(x for x, _ in points)
    my = statistics.mean(y for _, y in points)
    den = sum((x - mx) ** 2 for x, _ in points)
    return sum((x - mx) * (y - my) for x, y in points) / den if den else None


def growth_table(res):
    programs = [p for p in GROWTH_PROGRAMS if any(res.values(p, f"launch@{n}") for n in GROWTH_SITES)]
    head = ["sites"] + [f"{LABELS[p]} loaded (s)" for p in programs] + [f"{LABELS[p]} PSS (MiB)" for p in programs]
    rows = []
    for n in GROWTH_SITES:
        rows.append([str(n)] + [fmt(res.values(p, f"launch@{n}"), 2) for p in programs]
                    + [fmt(res.values(p, f"memory@{n}"), 0) for p in programs])
    slopes = {}
    cells = ["per added site"]
    for metric, dec, unit in (("launch", 3, " s"), ("memory", 1, " MiB")):
        for p in programs:
            pts = [(n, res.median(p, f"{metric}@{n}")) for n in GROWTH_SITES
                   if res.median(p, f"{metric}@{n}") is not None]
            slopes[(p, metric)] = k = slope(pts)
            cells.append(f"{k:+.{dec}f}{unit}" if k is not None else "n/a")
    rows.append(cells)
    out = grid(head, rows)
    # Pss shares a library's pages among every process mapping it, other people's
    # programs on the machine too: each size's largest figure is the run the program
    # had the engine's libraries to itself.
    alone = []
    for p in programs:
        pts = [(n, max(res.values(p, f"memory@{n}"))) for n in GROWTH_SITES if res.values(p, f"memory@{n}")]
        k = slope(pts)
        if k is not None:
            alone.append(f"{LABELS[p]} {k:+.1f} MiB ({', '.join(f'{v:.0f}' for _, v in pts)})")
    if alone:
        out += "\nPer added site from each size's largest PSS: " + "; ".join(alone) + "."
    if ("velloran", "memory") in slopes and ("bare", "memory") in slopes \
            and None not in (slopes[("velloran", "memory")], slopes[("bare", "memory")]):
        out += (f"\nEach added site, Velloran against the bare engine: "
                f"{1000 * (slopes[('velloran', 'launch')] - slopes[('bare', 'launch')]):+.0f} ms to load, "
                f"{slopes[('velloran', 'memory')] - slopes[('bare', 'memory')]:+.1f} MiB.")
    return out


VARIANT_ROWS = [("first_request", "launch → first page request", "s", 2),
                ("visible", "launch → front page shown", "s", 2),
                ("launch", "launch → 8 loaded", "s", 2),
                ("memory", "memory at settle (PSS)", "MiB", 1),
                ("pss:browser", "browser process (PSS)", "MiB", 1),
                ("pss:renderer", "renderers (PSS, all)", "MiB", 1),
                ("pss_each_renderer", "each renderer (PSS)", "MiB", 1)]


def variants_table(res):
    programs = [p for p in ["velloran", "velloran_nospell", "bare", "bare_spell", "bare_scripts",
                            "bare_toolbars", "bare_all"] if res.values(p, "launch")]
    head = ["metric"] + [LABELS[p] for p in programs]
    rows = [[f"{label} ({unit})"] + [fmt(res.values(p, key), dec) for p in programs]
            for key, label, unit, dec in VARIANT_ROWS]
    out = grid(head, rows)
    pairs = [(name, a, b) for name, a, b in VARIANT_PAIRS if res.values(a, "launch") and res.values(b, "launch")]
    head = ["cost of (with − without, medians)"] + [f"{label} ({unit})" for _, label, unit, _ in VARIANT_ROWS]
    rows = []
    for name, a, b in pairs:
        cells = [name]
        for key, _, _, dec in VARIANT_ROWS:
            x, y = res.median(a, key), res.median(b, key)
            cells.append(f"{x - y:+.{dec}f}" if x is not None and y is not None else "n/a")
        rows.append(cells)
    return out + "\n\n" + grid(head, rows) if rows else out


def write_csv(res, path):
    units = {k: u for k, _, u, _ in METRICS}
    units.update(processes="count", processes_late="count", reload_cycle_s="s", renderers="count",
                 click_probe="ms")
    with open(path, "w", newline="") as f:
        w = csv.writer(f)
        w.writerow(["metric", "unit", "program", "run", "value"])
        for key in res.metrics():
            unit = units.get(key.split("@")[0], "MiB" if key.startswith("pss") else "")
            for p in res.programs():
                vals = res.values(p, key)
                for run, prog, m, v in res.rows:
                    if prog == p and m == key:
                        w.writerow([key, unit, p, run, f"{v:.4f}"])
                if vals:
                    for name, agg in (("median", statistics.median(vals)), ("min", min(vals)),
                                      ("max", max(vals))):
                        w.writerow([key, unit, p, name, f"{agg:.4f}"])


def chart(res, verdicts, path, title):
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        log("matplotlib is missing: no chart (apt-get install python3-matplotlib)")
        return False
    colors = {"velloran": "#1f6feb", "velloran_roa": "#54aeff", "chromium": "#d1242f", "bare": "#6e7781",
              "before": "#8250df", "before_roa": "#c297ff", "bare_gl": "#afb8c1", "bare_new": "#8c959f"}
    fig, axes = plt.subplots(4, 4, figsize=(20, 16))
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
            ax.bar(i, med, color=colors.get(p, "#888"), alpha=0.8, width=0.6,
                   yerr=[[med - min(vals)], [max(vals) - med]], capsize=6)
            ax.scatter([i] * len(vals), vals, color="black", s=10, zorder=3)
            ax.annotate(f"{med:.{dec}f}", (i, med), textcoords="offset points", xytext=(0, 4),
                        ha="center", fontsize=9)
        if key in limits:
            ax.axhline(limits[key], color="#bf8700", ls="--", lw=1.2, label=f"target {limits[key]:g}")
            ax.legend(loc="upper right", fontsize=8)
        bm, cm, nm = res.median("bare", key), res.median("chromium", key), res.median("bare_new", key)
        relative = {"launch": (bm, 1.05, "1.05 × bare"), "memory": (bm, 1.03, "1.03 × bare"),
                    "visible": (bm, 1.0, "bare"), "memory_late": (cm, 0.5, "0.5 × Chromium"),
                    "reload": (bm, 1.05, "1.05 × bare"), "tabclick": (nm, 1.1, "1.1 × bare new view")}
        if key in relative and relative[key][0]:
            base, factor, name = relative[key]
            ax.axhline(factor * base, color="#bf8700", ls="--", lw=1.2, label=name)
            ax.legend(loc="upper right", fontsize=8)
        ax.set_xticks(xs, names, fontsize=7, rotation=20)
        ax.set_title(label)
        ax.set_ylabel(unit)
        ax.set_ylim(bottom=min(0, ax.get_ylim()[0]))
    for ax in list(axes.flat)[len(METRICS):]:
        ax.axis("off")
    last = axes.flat[-1]
    lines = [f"{verdict:4}  {name}\n        {detail}" for name, verdict, detail in verdicts]
    last.text(0.0, 1.0, "Targets\n\n" + "\n".join(lines), va="top", family="monospace", fontsize=8)
    fig.suptitle(title)
    fig.tight_layout()
    fig.savefig(path, dpi=90)
    plt.close(fig)
    return True


def read_csv(path):
    res = Results()
    with open(path, newline="") as f:
        for row in csv.DictReader(f):
            if row["run"].isdigit():
                res.add(int(row["run"]), row["program"], row["metric"], float(row["value"]))
    return res


def print_tables(folder):
    path = os.path.join(folder, "results.csv")
    if os.path.exists(path):
        res = read_csv(path)
        print(table(res))
        print("\n".join(f"  {v:4}  {name}  ({detail})" for name, v, detail in targets(res)))
        print(split_table(res, ["velloran", "bare", "velloran_roa", "bare_gl"]))
    path = os.path.join(folder, "growth.csv")
    if os.path.exists(path):
        print(growth_table(read_csv(path)))
    path = os.path.join(folder, "variants.csv")
    if os.path.exists(path):
        print(variants_table(read_csv(path)))


def machine_state():
    with open("/proc/loadavg") as f:
        load = " ".join(f.read().split()[:3])
    return f"load average {load} at {datetime.datetime.utcnow():%Y-%m-%d %H:%M} UTC, {os.cpu_count()} cores"


# ---------------------------------------------------------------------------

def main():
    ap = argparse.ArgumentParser(description="Velloran against Chromium and the bare engine.")
    ap.add_argument("--velloran", required=True)
    ap.add_argument("--bare", required=True)
    ap.add_argument("--chromium", default="/usr/bin/chromium")
    ap.add_argument("--before", default=None,
                    help="an earlier Velloran binary, measured alongside (Before, Before RoA)")
    ap.add_argument("--pages", default=os.path.join(HERE, "pages"))
    ap.add_argument("--runs", type=int, default=5, help="runs of the full comparison (0 skips it)")
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
    ap.add_argument("--reloads", type=int, default=5, help="F5 presses per launch (median)")
    ap.add_argument("--bare-software", action="store_true", help=argparse.SUPPRESS)  # now always
    ap.add_argument("--programs", default=",".join(PROGRAMS),
                    help="comma-separated subset of " + ",".join(PROGRAMS))
    ap.add_argument("--growth", action="store_true",
                    help="also launch and memory on 1, 2, 4 and 8 sites (" + ", ".join(GROWTH_PROGRAMS) + ")")
    ap.add_argument("--growth-runs", type=int, default=3)
    ap.add_argument("--variants", action="store_true",
                    help="also one feature at a time: spelling, page script, toolbars (" +
                         ", ".join(VARIANTS) + ")")
    ap.add_argument("--variant-runs", type=int, default=3)
    ap.add_argument("--dictionaries", default=os.path.join(TREE, "build", "qtwebengine_dictionaries"),
                    help="the dictionaries Velloran's build carries, for the bare engine's spelling")
    ap.add_argument("--velloran-reload-keys", default="F5",
                    help="the keys that reload Velloran's page in front (xdotool names)")
    ap.add_argument("--velloran-flags", default="",
                    help="QTWEBENGINE_CHROMIUM_FLAGS for Velloran (for experiments)")
    ap.add_argument("--shots", action="store_true", help="screenshot each program once loaded")
    ap.add_argument("--tables-from", default=None, metavar="DIR",
                    help="only print the tables again from DIR's csv files")
    args = ap.parse_args()
    if args.tables_from:
        print_tables(args.tables_from)
        return

    programs = [p for p in args.programs.split(",") if p]
    if args.before:
        programs += list(BEFORE)
    for p in programs:
        if p not in PROGRAMS and p not in OPTIONAL:
            ap.error(f"unknown program {p}")
    if "chromium" in programs + GROWTH_PROGRAMS and not os.access(args.chromium, os.X_OK):
        log(f"{args.chromium} is missing (bench/run.sh installs it): no Chromium")
        programs = [p for p in programs if p != "chromium"]
        GROWTH_PROGRAMS.remove("chromium")
    args.out = os.path.abspath(args.out or os.path.join(
        HERE, "out", datetime.datetime.now().strftime("%Y%m%d-%H%M%S")))
    os.makedirs(args.out, exist_ok=True)
    if not software_drawing():
        log("note: this machine has a GPU render node; Velloran draws with it, and so does "
            "the bare engine here")

    res, gres, vres = Results(), Results(), Results()
    state = [f"start: {machine_state()}"]
    log(f"{args.runs} run(s), idle {args.idle:g} s, {args.clicks} tab clicks, {args.cycles} reload cycles every "
        f"{args.minute_ms} ms; results in {args.out}; {state[0]}")
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
                # Chromium has no timed reload of its own; refresh on activation and the
                # dropped views do not change what a timed reload does.
                if kind in ("chromium", "velloran_roa", "before_roa", "bare_new") or args.cycles <= 0:
                    continue
                log(f"  {kind}: {args.cycles} reload cycles")
                measure_reloads(kind, args, desk, sites, res, run)
        if args.runs:
            state.append(f"after the full comparison: {machine_state()}")
        if args.growth:
            for run in range(1, args.growth_runs + 1):
                log(f"growth run {run}/{args.growth_runs}")
                for n in GROWTH_SITES:
                    k = (run - 1 + n) % len(GROWTH_PROGRAMS)
                    for kind in GROWTH_PROGRAMS[k:] + GROWTH_PROGRAMS[:k]:
                        measure_quick(kind, args, desk, sites, gres, run, n, f"@{n}")
            state.append(f"after growth: {machine_state()}")
        if args.variants:
            kinds = ["velloran", "velloran_nospell", "bare"] + [v for v in VARIANTS if v.startswith("bare")]
            for run in range(1, args.variant_runs + 1):
                log(f"variants run {run}/{args.variant_runs}")
                k = (run - 1) % len(kinds)
                for kind in kinds[k:] + kinds[:k]:
                    measure_quick(kind, args, desk, sites, vres, run)
            state.append(f"after variants: {machine_state()}")

    summary = []
    verdicts = []
    if args.runs:
        verdicts = targets(res)
        summary += [table(res), "", "Targets:"] + [f"  {v:4}  {name}  ({detail})" for name, v, detail in verdicts]
        summary += ["", "Memory at settle by process, 8 sites:", "",
                    split_table(res, ["velloran", "bare", "velloran_roa", "bare_gl"])]
        write_csv(res, os.path.join(args.out, "results.csv"))
        title = (f"Velloran benchmark – {args.runs} run(s), idle {args.idle:g} s, "
                 f"{args.cycles} reload cycles, median with min–max")
        if chart(res, verdicts, os.path.join(args.out, "chart.png"), title):
            log(f"wrote {os.path.join(args.out, 'chart.png')}")
    if args.growth:
        summary += ["", f"Growth ({args.growth_runs} runs, median with min–max):", "", growth_table(gres)]
        write_csv(gres, os.path.join(args.out, "growth.csv"))
    if args.variants:
        summary += ["", f"One feature at a time ({args.variant_runs} runs, median with min–max):", "",
                    variants_table(vres), "", "Memory at settle by process:", "",
                    split_table(vres, ["velloran", "velloran_nospell", "bare", "bare_spell",
                                       "bare_scripts", "bare_toolbars", "bare_all"])]
        write_csv(vres, os.path.join(args.out, "variants.csv"))
    summary += ["", "Machine: " + "; ".join(state)]
    print()
    print("\n".join(summary))
    with open(os.path.join(args.out, "table.txt"), "w") as f:
        f.write("\n".join(summary) + "\n")
    log(f"wrote {os.path.join(args.out, 'table.txt')}")


if __name__ == "__main__":
    main()
