"""Shared pieces of Velloran's end-to-end tests (standard library only).

A test script typically does:

    args = harness.parse_args()
    with harness.Desktop() as desk, harness.PageServer(pages) as srv:
        harness.write_ini(home, [0, 0, 1, 0, 0, -1])
        harness.write_dat(home, [(srv.url("/a"), True, "A")])
        app = harness.Velloran.start(args.binary, home, desk.env)
        ...

and wraps its body in harness.run(main) so that any failed check ends the
script with exit code 1 and a readable message.
"""

import argparse
import http.server
import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import traceback
import urllib.parse

SLOTS = 8


class Failure(AssertionError):
    """A check of the program's behaviour did not hold."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(predicate, timeout, interval=0.1):
    """Polls predicate until it returns something truthy; returns that value,
    or the last (falsy) value once timeout seconds have passed."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def is_root():
    return hasattr(os, "geteuid") and os.geteuid() == 0


# ---------------------------------------------------------------------------
# Test script plumbing

def parse_args(description=None, argv=None):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--binary", required=True, help="path to the velloran executable")
    parser.add_argument("--keep", action="store_true",
                        help="leave the temporary data folder in place afterwards")
    return parser.parse_args(argv)


def remove_folder(path, keep, what="data folder"):
    """Removes a test's temporary folder, or says where it is when --keep asked for it."""
    if keep:
        print(f"{what} kept at {path}")
    else:
        shutil.rmtree(path, ignore_errors=True)


def shots_dir(test_file):
    """Folder for this run's screenshots: $E2E_SHOTS, else e2e-shots/ beside the test."""
    path = os.environ.get("E2E_SHOTS") or os.path.join(
        os.path.dirname(os.path.abspath(test_file)), "e2e-shots")
    os.makedirs(path, exist_ok=True)
    return path


def run(main, argv=None):
    """Runs main(args) and exits 0 when it returns, 1 when any check fails."""
    args = parse_args(argv=argv)
    name = os.path.basename(sys.argv[0])
    try:
        main(args)
    except Failure as exc:
        print(f"FAIL {name}: {exc}", file=sys.stderr)
        sys.exit(1)
    except Exception:  # a broken harness or environment is a failure too
        traceback.print_exc()
        print(f"FAIL {name}: unexpected error", file=sys.stderr)
        sys.exit(1)
    print(f"PASS {name}")
    sys.exit(0)


# ---------------------------------------------------------------------------
# Processes

def _spawn(cmd, env, stdout=None, stderr=None, **kw):
    """Starts cmd with stdout/stderr written to the given file paths (or dropped)."""
    files = [open(p, "wb") if p else subprocess.DEVNULL for p in (stdout, stderr)]
    if stdout and stdout == stderr:
        files[1].close()
        files[1] = subprocess.STDOUT
    try:
        # Own session per child so stopping it also stops anything it forked.
        return subprocess.Popen(cmd, env=env, stdin=subprocess.DEVNULL, stdout=files[0],
                                stderr=files[1], start_new_session=True, **kw)
    finally:
        for f in files:
            if f not in (subprocess.DEVNULL, subprocess.STDOUT):
                f.close()


def _stop_group(proc, timeout=5.0):
    if proc is None:
        return
    if proc.poll() is None:
        for sig in (signal.SIGTERM, signal.SIGKILL):
            try:
                os.killpg(proc.pid, sig)
            except ProcessLookupError:
                break
            try:
                proc.wait(timeout)
                break
            except subprocess.TimeoutExpired:
                continue
    else:
        # The leader is gone; take down whatever it left in its group.
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass
    try:
        proc.wait(timeout)
    except subprocess.TimeoutExpired:
        pass


def _x(cmd, env, timeout=15, check_rc=False):
    """Runs an X client tool; returns (returncode, stdout)."""
    try:
        res = subprocess.run(cmd, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                             text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        if check_rc:
            raise Failure(f"{' '.join(cmd)} timed out")
        return 124, ""
    if check_rc and res.returncode != 0:
        raise Failure(f"{' '.join(cmd)} failed: {res.stderr.strip()}")
    return res.returncode, res.stdout


# ---------------------------------------------------------------------------
# A private X desktop: Xvfb + openbox + trayer

_OPENBOX_RC = """<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <desktops><number>1</number></desktops>
  <keyboard>
    <keybind key="A-F4"><action name="Close"/></keybind>
  </keyboard>
  <mouse>
    <context name="Client">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    </context>
  </mouse>
</openbox_config>
"""


class ProcessStack:
    """Helper processes started by _start() into self._procs, with a temporary
    folder self._tmp: stopped in reverse order and the folder removed on close,
    also when starting fails half way."""

    def __init__(self):
        self._procs = []
        self._tmp = None

    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def close(self):
        for proc in reversed(self._procs):
            _stop_group(proc)
        self._procs = []
        if self._tmp:
            shutil.rmtree(self._tmp, ignore_errors=True)
            self._tmp = None


class Desktop(ProcessStack):
    """Xvfb on a free display with openbox as window manager and trayer as
    system tray. `env` is os.environ with DISPLAY pointing at it."""

    def __init__(self, width=1280, height=800, tray=True, timeout=30):
        self.size = (width, height)
        self.want_tray = tray
        self.timeout = timeout
        self.display = None
        self.env = None
        super().__init__()

    def _start(self):
        self._tmp = tempfile.mkdtemp(prefix="velloran-desk-")
        read_fd, write_fd = os.pipe()
        w, h = self.size
        # -noreset: otherwise the server resets whenever its last client leaves
        # (e.g. the readiness probe), refusing connections for a moment.
        xvfb = _spawn(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{w}x{h}x24",
                       "-nolisten", "tcp", "-noreset"], os.environ.copy(), pass_fds=(write_fd,),
                      stderr=os.path.join(self._tmp, "xvfb.log"))
        os.close(write_fd)
        self._procs.append(xvfb)
        number = self._read_display(read_fd, xvfb)
        self.display = f":{number}"

        env = os.environ.copy()
        env["DISPLAY"] = self.display
        env.pop("WAYLAND_DISPLAY", None)
        # A session bus from the outside could route the tray icon to a
        # StatusNotifier host we do not control.
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        env["XDG_CONFIG_HOME"] = os.path.join(self._tmp, "config")
        self.env = env

        ok = wait_for(lambda: _x(["xdpyinfo"], env, timeout=5)[0] == 0, self.timeout, 0.2)
        check(ok, f"Xvfb on {self.display} did not answer xdpyinfo: "
              + self._log_tail("xvfb.log"))

        rc_path = os.path.join(self._tmp, "openbox-rc.xml")
        with open(rc_path, "w") as f:
            f.write(_OPENBOX_RC)
        self._procs.append(_spawn(["openbox", "--sm-disable", "--config-file", rc_path], env,
                                  stdout=os.path.join(self._tmp, "openbox.log"),
                                  stderr=os.path.join(self._tmp, "openbox.log")))
        check(wait_for(self._wm_ready, self.timeout, 0.2),
              "openbox did not start: " + self._log_tail("openbox.log"))

        if self.want_tray:
            self._procs.append(_spawn(
                ["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                 "--width", "120", "--height", "24", "--SetDockType", "true",
                 "--transparent", "false"], env,
                stdout=os.path.join(self._tmp, "trayer.log"),
                stderr=os.path.join(self._tmp, "trayer.log")))
            check(wait_for(lambda: tray_windows(env), self.timeout, 0.2),
                  "trayer did not start: " + self._log_tail("trayer.log"))

    def _read_display(self, fd, proc):
        deadline = time.monotonic() + self.timeout
        data = b""
        try:
            while b"\n" not in data:
                if time.monotonic() > deadline or proc.poll() is not None:
                    raise Failure("Xvfb did not report a display number")
                ready, _, _ = select.select([fd], [], [], 0.2)
                if ready:
                    chunk = os.read(fd, 64)
                    if not chunk:
                        time.sleep(0.05)
                    data += chunk
        finally:
            os.close(fd)
        return int(data.split(b"\n")[0])

    def _log_tail(self, name, lines=10):
        try:
            with open(os.path.join(self._tmp, name), "r", errors="replace") as f:
                return "".join(f.readlines()[-lines:]).strip() or "(no output)"
        except OSError:
            return "(no log)"

    def _wm_ready(self):
        rc, out = _x(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], self.env, timeout=5)
        return rc == 0 and "window id" in out

    # Conveniences bound to this desktop.
    def find_windows(self, name, timeout=0.0):
        return find_windows(name, self.env, timeout)

    def screenshot(self, path):
        return screenshot(path, self.env)

    def tray_icon_present(self, wm_class="velloran"):
        return tray_icon_present(self.env, wm_class)


# ---------------------------------------------------------------------------
# X helpers (xdotool / xwininfo / xprop / import)

_TREE_LINE = re.compile(
    r'^(?P<indent>\s*)(?P<id>0x[0-9a-f]+) (?P<name>"(?:[^"\\]|\\.)*"|\(has no name\)):'
    r' \((?P<cls>[^)]*)\)')


def window_tree(env):
    """All windows as (depth, id, name, wm_class_text) in xwininfo's tree order."""
    rc, out = _x(["xwininfo", "-root", "-tree"], env)
    if rc != 0:
        return []
    rows = []
    for line in out.splitlines():
        m = _TREE_LINE.match(line)
        if not m:
            continue
        name = m.group("name")
        name = name[1:-1] if name.startswith('"') else ""
        rows.append((len(m.group("indent")), int(m.group("id"), 16), name, m.group("cls")))
    return rows


def _subtrees(rows, predicate):
    """Yields the rows below each window matching predicate (the window excluded)."""
    i = 0
    while i < len(rows):
        depth = rows[i][0]
        if predicate(rows[i]):
            j = i + 1
            while j < len(rows) and rows[j][0] > depth:
                j += 1
            yield rows[i + 1:j]
            i = j
        else:
            i += 1


def _is_tray_panel(row):
    # trayer's panel is WM_CLASS ("panel" "trayer"); icons are embedded below it.
    return '"trayer"' in row[3].lower() and '"panel"' in row[3].lower()


def tray_windows(env):
    return [r[1] for r in window_tree(env) if _is_tray_panel(r)]


def tray_icon_present(env, wm_class="velloran"):
    """True when a window of the given WM_CLASS is embedded in the tray."""
    needle = f'"{wm_class.lower()}"'
    for sub in _subtrees(window_tree(env), _is_tray_panel):
        if any(needle in r[3].lower() for r in sub):
            return True
    return False


def find_windows(name, env, timeout=0.0):
    """Visible top-level windows titled exactly `name` (case-sensitive), waiting
    up to timeout seconds for at least one. Tray icons are left out."""
    pattern = "^" + re.escape(name) + "$"

    def look():
        rc, out = _x(["xdotool", "search", "--onlyvisible", "--name", pattern], env)
        if rc != 0:
            return []
        ids = [int(x) for x in out.split()]
        if not ids:
            return []
        rows = window_tree(env)
        in_tray = {r[1] for sub in _subtrees(rows, _is_tray_panel) for r in sub}
        return [w for w in ids if w not in in_tray and window_name(w, env) == name]

    return wait_for(look, timeout, 0.25) or []


def window_name(window, env):
    rc, out = _x(["xdotool", "getwindowname", str(window)], env)
    return out.rstrip("\n") if rc == 0 else None


def window_geometry(window, env):
    """(x, y, width, height) of a window, or None if it is gone."""
    rc, out = _x(["xdotool", "getwindowgeometry", "--shell", str(window)], env)
    if rc != 0:
        return None
    vals = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
    try:
        return (int(vals["X"]), int(vals["Y"]), int(vals["WIDTH"]), int(vals["HEIGHT"]))
    except (KeyError, ValueError):
        return None


def activate(window, env):
    _x(["xdotool", "windowactivate", "--sync", str(window)], env, check_rc=True)


def key(window, keys, env):
    """Focuses window (if given) and types the xdotool key names in keys."""
    if isinstance(keys, str):
        keys = keys.split()
    if window is not None:
        activate(window, env)
    _x(["xdotool", "key", "--clearmodifiers", *keys], env, check_rc=True)


def type_text(window, text, env):
    if window is not None:
        activate(window, env)
    _x(["xdotool", "type", "--delay", "20", text], env, check_rc=True)


def click(x, y, env, button=1):
    _x(["xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button)], env,
       check_rc=True)


def close_window(window, env):
    """Closes a window the way a person would: focus it and press Alt+F4."""
    key(window, "alt+F4", env)


def screenshot(path, env):
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    _x(["import", "-window", "root", path], env, timeout=30, check_rc=True)
    return path


# ---------------------------------------------------------------------------
# Local web pages

def page_with_beacon(title, name, body=""):
    """HTML titled `title` that calls /loaded?page=NAME once its load event fires."""
    esc_title = (title.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;"))
    return f"""<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>{esc_title}</title>
<style>body{{font-family:sans-serif;font-size:32px;margin:2em}}</style></head>
<body><h1>{esc_title}</h1>{body}
<script>
window.onload = function () {{
  fetch('/loaded?page=' + encodeURIComponent({json.dumps(name)}) + '&t=' + Date.now(),
        {{cache: 'no-store'}});
}};
</script></body></html>
""".encode("utf-8")


class QuietHandler(http.server.BaseHTTPRequestHandler):
    """Keep-alive HTTP/1.1 with no request log on the test's output."""
    protocol_version = "HTTP/1.1"

    def log_message(self, *a):
        pass


class PageServer:
    """Threaded HTTP server on 127.0.0.1 serving `pages`
    (path -> (content_type, bytes | str | callable(path) -> bytes | str)).

    Every request is kept in `requests` as (path, time); /loaded?page=NAME
    beacons are kept in `beacons` as (NAME, time)."""

    def __init__(self, pages=None):
        self.pages = dict(pages or {})
        self.requests = []
        self.cacheable = set()
        self.beacons = []
        self._lock = threading.Lock()
        self._httpd = None
        self._thread = None
        self.port = None

    def __enter__(self):
        server = self

        class Handler(QuietHandler):
            def do_GET(self):
                now = time.monotonic()
                parsed = urllib.parse.urlsplit(self.path)
                with server._lock:
                    server.requests.append((self.path, now))
                if parsed.path == "/loaded":
                    page = urllib.parse.parse_qs(parsed.query).get("page", [""])[0]
                    with server._lock:
                        server.beacons.append((page, now))
                    self._send(204, "text/plain", b"")
                    return
                self._page(parsed.path)

            def do_POST(self):
                # A form sent: kept as "POST <path>" and answered with the page at path.
                self.rfile.read(int(self.headers.get("Content-Length") or 0))
                with server._lock:
                    server.requests.append(("POST " + self.path, time.monotonic()))
                self._page(urllib.parse.urlsplit(self.path).path)

            def _page(self, path):
                entry = server.pages.get(path)
                if entry is None:
                    self._send(404, "text/plain", b"not found")
                    return
                ctype, body = entry
                if callable(body):
                    body = body(self.path)
                if isinstance(body, str):
                    body = body.encode("utf-8")
                self._send(200, ctype, body, cache=path in server.cacheable)

            def _send(self, status, ctype, body, cache=False):
                self.send_response(status)
                self.send_header("Content-Type", ctype)
                self.send_header("Content-Length", str(len(body)))
                # Reloads must reach us, not the browser's cache; a page listed as
                # cacheable may be kept for an hour, as many real pages may.
                self.send_header("Cache-Control", "max-age=3600" if cache else "no-store")
                self.send_header("Access-Control-Allow-Origin", "*")
                self.end_headers()
                if body:
                    self.wfile.write(body)

        self._httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self._httpd.daemon_threads = True
        self.port = self._httpd.server_address[1]
        self._thread = threading.Thread(target=self._httpd.serve_forever, daemon=True)
        self._thread.start()
        return self

    def __exit__(self, *exc):
        if self._httpd:
            self._httpd.shutdown()
            self._httpd.server_close()
        return False

    def url(self, path="/"):
        return f"http://127.0.0.1:{self.port}{path}"

    def add(self, path, content_type, body):
        self.pages[path] = (content_type, body)

    def beacon_count(self, name):
        with self._lock:
            return sum(1 for n, _ in self.beacons if n == name)

    def beacon_times(self, name):
        with self._lock:
            return [t for n, t in self.beacons if n == name]

    def request_count(self, path):
        with self._lock:
            return sum(1 for p, _ in self.requests if urllib.parse.urlsplit(p).path == path)

    def wait_for(self, predicate, timeout):
        return wait_for(predicate, timeout)


# ---------------------------------------------------------------------------
# Velloran's data files

def _flag(value):
    return -1 if value in (True, -1) else 0


def write_ini(home, values):
    """velloran.ini: one line of six integers (-1 true, 0 false), CRLF."""
    values = list(values)
    if len(values) != 6:
        raise ValueError("velloran.ini holds exactly six values")
    nums = [v if isinstance(v, int) and not isinstance(v, bool) else _flag(v) for v in values]
    os.makedirs(home, exist_ok=True)
    with open(os.path.join(home, "velloran.ini"), "wb") as f:
        f.write((",".join(str(n) for n in nums) + "\r\n").encode("ascii"))


def dat_line(slot, url, auto, alias):
    """One velloran.dat line as the program writes it."""
    return f'{slot},"{url}",{_flag(auto)},"{alias}"\r\n'.encode("utf-8")


def write_dat(home, records):
    """velloran.dat: eight CRLF lines `slot,"url",autoload,"alias"`.

    records lists up to eight entries in slot order, each None (empty slot)
    or (url, autoload, alias)."""
    records = list(records)
    if len(records) > SLOTS:
        raise ValueError("velloran.dat holds at most eight slots")
    records += [None] * (SLOTS - len(records))
    lines = []
    for slot, rec in enumerate(records, start=1):
        if rec is None:
            url, auto, alias = "", False, ""
        else:
            url, auto, alias = rec
        if '"' in url or '"' in alias:
            raise ValueError("quotes cannot be stored in velloran.dat")
        lines.append(dat_line(slot, url, auto, alias))
    os.makedirs(home, exist_ok=True)
    with open(os.path.join(home, "velloran.dat"), "wb") as f:
        f.write(b"".join(lines))


_DAT_LINE = re.compile(r'^(\d+),"([^"]*)",(-?\d+),"([^"]*)"$')


def read_dat(home):
    """Parses velloran.dat into [(slot, url, autoload_bool, alias)]; raises
    Failure when a line is not in the expected byte-exact form."""
    with open(os.path.join(home, "velloran.dat"), "rb") as f:
        raw = f.read().decode("utf-8")
    check(raw.endswith("\r\n"), "velloran.dat does not end with CRLF")
    lines = raw[:-2].split("\r\n")
    out = []
    for line in lines:
        m = _DAT_LINE.match(line)
        check(m is not None, f"malformed velloran.dat line: {line!r}")
        out.append((int(m.group(1)), m.group(2), int(m.group(3)) == -1, m.group(4)))
    return out


def read_ini(home):
    with open(os.path.join(home, "velloran.ini"), "rb") as f:
        raw = f.read().decode("ascii")
    check(raw.endswith("\r\n") and raw.count("\r\n") == 1,
          f"velloran.ini is not one CRLF line: {raw!r}")
    return [int(v) for v in raw[:-2].split(",")]


# ---------------------------------------------------------------------------
# The program under test

class Velloran:
    """One running velloran process with its output captured in its data folder."""

    _serial = 0

    def __init__(self, proc, home, out_path, err_path):
        self.proc = proc
        self.home = home
        self.out_path = out_path
        self.err_path = err_path

    @classmethod
    def start(cls, binary, home, env, args=()):
        cls._serial += 1
        os.makedirs(home, exist_ok=True)
        env = dict(env)
        env["VELLORAN_HOME"] = home
        if is_root():
            env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        # Keep the web engine's profile, cache and runtime files inside the
        # test's folder so runs never share state.
        xdg = os.path.join(home, "xdg")
        for var, sub in (("XDG_DATA_HOME", "data"), ("XDG_CACHE_HOME", "cache"),
                         ("XDG_CONFIG_HOME", "config"), ("XDG_RUNTIME_DIR", "runtime")):
            path = os.path.join(xdg, sub)
            os.makedirs(path, mode=0o700, exist_ok=True)
            env[var] = path
        out_path = os.path.join(home, f"velloran-{cls._serial}.out")
        err_path = os.path.join(home, f"velloran-{cls._serial}.err")
        proc = _spawn([binary, *args], env, stdout=out_path, stderr=err_path)
        return cls(proc, home, out_path, err_path)

    @property
    def pid(self):
        return self.proc.pid

    def alive(self):
        return self.proc.poll() is None

    def wait(self, timeout):
        """Exit code once the process ends within timeout seconds, else None."""
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def stop(self, timeout=10):
        _stop_group(self.proc, timeout)

    def stderr_tail(self, lines=30):
        try:
            with open(self.err_path, "r", errors="replace") as f:
                return "".join(f.readlines()[-lines:])
        except OSError:
            return ""


def dbus_session():
    """For a test's own D-Bus service process: the dbus module (with dbus.service), the
    session bus on a GLib main loop, and GLib to run that loop."""
    import dbus
    import dbus.service  # noqa: F401  (used as dbus.service by the caller)
    from dbus.mainloop.glib import DBusGMainLoop
    from gi.repository import GLib

    DBusGMainLoop(set_as_default=True)
    return dbus, dbus.SessionBus(), GLib


def descendants(pid):
    """Every process below pid, with its command line."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                ppid = int(f.read().rsplit(")", 1)[1].split()[1])
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                cmd = f.read().replace(b"\0", b" ").decode(errors="replace")
        except (OSError, ValueError, IndexError):
            continue
        children.setdefault(ppid, []).append((int(entry), cmd))
    out, todo = [], [pid]
    while todo:
        for child in children.get(todo.pop(), []):
            out.append(child)
            todo.append(child[0])
    return out


def renderers(pid):
    """Renderers are forked by the engine's zygote and keep its command line, so
    they are the zygote processes whose parent is a zygote too."""
    procs = descendants(pid)
    zygotes = {p for p, cmd in procs if "--type=zygote" in cmd}
    parents = {}
    for entry in zygotes:
        try:
            with open(f"/proc/{entry}/stat") as f:
                parents[entry] = int(f.read().rsplit(")", 1)[1].split()[1])
        except (OSError, ValueError, IndexError):
            pass
    return [p for p in zygotes if parents.get(p) in zygotes] + \
           [p for p, cmd in procs if "--type=renderer" in cmd]
