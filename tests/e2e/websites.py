#!/usr/bin/python3
"""Sites for the everyday-browsing scenarios: pages on 127.0.0.1 over HTTP or HTTPS
(with a self-signed certificate made here by openssl), some behind a password, some
files to download; and a desktop notification service of the test's own on a private
session bus (python3-dbus):

    python3 websites.py notifications   # runs the service; the bus is in the environment
"""

import base64
import http.server
import os
import ssl
import subprocess
import sys
import threading
import urllib.parse

import harness as h


def self_signed_cert(folder):
    """A certificate and key for 127.0.0.1 that no authority signed."""
    cert, key = os.path.join(folder, "site.crt"), os.path.join(folder, "site.key")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                    "-keyout", key, "-out", cert], check=True, capture_output=True)
    return cert, key


class Site:
    """Serves `pages` (path -> html) with /loaded?page=NAME beacons counted;
    paths in `protected` ask for Basic auth with `login` = (user, password);
    a page may be (content type, bytes); `files` (path -> bytes) are served as attachments to download; pages
    and files in `stalled` send their first part and then hold until the site closes."""

    def __init__(self, pages, protected=(), login=("user", "pass"), cert=None, files=None, stalled=()):
        self.pages, self.protected, self.cert = dict(pages), set(protected), cert
        self.files, self.stalled, self.closing = dict(files or {}), set(stalled), threading.Event()
        self.token = base64.b64encode(f"{login[0]}:{login[1]}".encode()).decode()
        self.beacons, self.requests = [], []
        self._lock = threading.Lock()

    def __enter__(self):
        site = self

        class Handler(h.QuietHandler):
            def do_GET(self):
                parsed = urllib.parse.urlsplit(self.path)
                with site._lock:
                    site.requests.append(self.path)
                if parsed.path == "/loaded":
                    with site._lock:
                        site.beacons.append(urllib.parse.parse_qs(parsed.query).get("page", [""])[0])
                    return self._send(204, b"")
                if parsed.path in site.protected and \
                        self.headers.get("Authorization") != "Basic " + site.token:
                    return self._send(401, b"<html><title>Locked</title><body>locked</body></html>",
                                      {"WWW-Authenticate": 'Basic realm="Staff area"'})
                if parsed.path in site.files:
                    name = os.path.basename(parsed.path)
                    body = site.files[parsed.path]
                    headers = {"Content-Type": "application/octet-stream",
                               "Content-Disposition": f'attachment; filename="{name}"'}
                    if parsed.path not in site.stalled:
                        return self._send(200, body, headers)
                    self._send(200, body, headers, part=len(body) // 10)
                    site.closing.wait(120)
                    return
                body = site.pages.get(parsed.path)
                if body is None:
                    return self._send(404, b"not found")
                kind, body = body if isinstance(body, tuple) else ("text/html; charset=utf-8", body)
                body = body.encode() if isinstance(body, str) else body
                if parsed.path in site.stalled:  # a page that never finishes loading
                    self._send(200, body + b" " * 1000, {"Content-Type": kind}, part=len(body))
                    site.closing.wait(120)
                    return
                self._send(200, body, {"Content-Type": kind})

            def _send(self, status, body, headers=None, part=None):
                self.send_response(status)
                headers = dict(headers or {})
                self.send_header("Content-Type", headers.pop("Content-Type", "text/html; charset=utf-8"))
                self.send_header("Content-Length", str(len(body)))
                self.send_header("Cache-Control", "no-store")
                for k, v in (headers or {}).items():
                    self.send_header(k, v)
                self.end_headers()
                self.wfile.write(body if part is None else body[:part])
                self.wfile.flush()

        self._httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self._httpd.daemon_threads = True
        if self.cert:
            ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            ctx.load_cert_chain(*self.cert)
            self._httpd.socket = ctx.wrap_socket(self._httpd.socket, server_side=True)
        self.port = self._httpd.server_address[1]
        threading.Thread(target=self._httpd.serve_forever, daemon=True).start()
        return self

    def __exit__(self, *exc):
        self.closing.set()
        self._httpd.shutdown()
        self._httpd.server_close()
        return False

    def url(self, path):
        return f"{'https' if self.cert else 'http'}://127.0.0.1:{self.port}{path}"

    def count(self, name):
        with self._lock:
            return self.beacons.count(name)

    def wait(self, name, count, timeout):
        return h.wait_for(lambda: self.count(name) >= count, timeout)


def tiny_pdf(text):
    """A one-page PDF document showing `text`."""
    stream = b"BT /F1 24 Tf 20 70 Td (" + text.encode("ascii") + b") Tj ET"
    objs = [b"<< /Type /Catalog /Pages 2 0 R >>", b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
            b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 144] /Contents 4 0 R"
            b" /Resources << /Font << /F1 5 0 R >> >> >>",
            b"<< /Length %d >>\nstream\n%s\nendstream" % (len(stream), stream),
            b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"]
    out, offsets = b"%PDF-1.4\n", []
    for i, obj in enumerate(objs, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n%s\nendobj\n" % (i, obj)
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objs) + 1)
    out += b"".join(b"%010d 00000 n \n" % off for off in offsets)
    return out + b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objs) + 1, xref)


def beacon_page(title, name, body="", script=""):
    """A page that reports its load as /loaded?page=NAME."""
    return (f"<!DOCTYPE html><html><head><meta charset='utf-8'><title>{title}</title>"
            "<style>body{font-family:sans-serif;font-size:28px;margin:0}</style></head>"
            f"<body>{body}<script>{script}\nwindow.addEventListener('load', function () {{"
            f" fetch('/loaded?page={name}&t=' + Date.now(), {{cache: 'no-store'}}); }});</script>"
            "</body></html>")


def page_dialogs(env):
    """Visible windows a page's own dialog would be: ours ("<site> - Velloran")
    and the engine's default ("JavaScript ...")."""
    rc, out = h._x(["xdotool", "search", "--onlyvisible", "--name", "JavaScript|127\\.0\\.0\\.1.* - Velloran"], env)
    return [int(w) for w in out.split()] if rc == 0 else []


NOTIFY = "org.freedesktop.Notifications"
NOTIFY_PATH = "/org/freedesktop/Notifications"
TEST_IFACE = "org.velloran.TestNotifications"


class NotificationService:
    """The desktop's notification service on the bus at `address`: it keeps what it
    was asked to show (shown()) and can click one as a person would (click(id))."""

    def __init__(self, address, tmp):
        self.address, self.tmp = address, tmp

    def __enter__(self):
        import dbus
        log = os.path.join(self.tmp, "notifications.log")
        self.proc = h._spawn(["/usr/bin/python3", os.path.abspath(__file__), "notifications"],
                             dict(os.environ, DBUS_SESSION_BUS_ADDRESS=self.address), stdout=log, stderr=log)
        self.bus = dbus.bus.BusConnection(self.address)
        h.check(h.wait_for(lambda: self.bus.name_has_owner(NOTIFY), 20, 0.1),
                "the notification service did not come up: " + open(log).read()[-500:])
        self._obj = self.bus.get_object(NOTIFY, NOTIFY_PATH)
        return self

    def __exit__(self, *exc):
        h._stop_group(self.proc)
        return False

    def shown(self):
        """[(id, app, summary, body)] in the order they were shown."""
        return [(int(i), str(a), str(s), str(b)) for i, a, s, b in self._obj.Shown(dbus_interface=TEST_IFACE)]

    def click(self, nid):
        self._obj.Click(nid, dbus_interface=TEST_IFACE)


def run_notifications():
    dbus, bus, GLib = h.dbus_session()

    class Service(dbus.service.Object):
        def __init__(self):
            super().__init__(bus, NOTIFY_PATH)
            self.shown = []

        @dbus.service.method(NOTIFY, in_signature="susssasa{sv}i", out_signature="u")
        def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
            nid = replaces or len(self.shown) + 1
            self.shown.append((dbus.UInt32(nid), app, summary, body))
            return nid

        @dbus.service.method(NOTIFY, in_signature="u")
        def CloseNotification(self, nid):
            self.NotificationClosed(nid, 3)

        @dbus.service.method(NOTIFY, out_signature="as")
        def GetCapabilities(self):
            return ["actions", "body"]

        @dbus.service.method(NOTIFY, out_signature="ssss")
        def GetServerInformation(self):
            return ("test", "velloran", "1", "1.2")

        @dbus.service.signal(NOTIFY, signature="us")
        def ActionInvoked(self, nid, action):
            pass

        @dbus.service.signal(NOTIFY, signature="uu")
        def NotificationClosed(self, nid, reason):
            pass

        @dbus.service.method(TEST_IFACE, out_signature="a(usss)")
        def Shown(self):
            return self.shown

        @dbus.service.method(TEST_IFACE, in_signature="u")
        def Click(self, nid):
            self.ActionInvoked(nid, "default")

    service = Service()
    bus.request_name(NOTIFY)
    GLib.MainLoop().run()
    del service


if __name__ == "__main__" and sys.argv[1:] == ["notifications"]:
    run_notifications()
