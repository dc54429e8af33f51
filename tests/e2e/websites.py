"""Sites for the everyday-browsing scenarios: pages on 127.0.0.1 over HTTP or HTTPS
(with a self-signed certificate made here by openssl), some behind a password."""

import base64
import http.server
import os
import ssl
import subprocess
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
    paths in `protected` ask for Basic auth with `login` = (user, password)."""

    def __init__(self, pages, protected=(), login=("user", "pass"), cert=None):
        self.pages, self.protected, self.cert = dict(pages), set(protected), cert
        self.token = base64.b64encode(f"{login[0]}:{login[1]}".encode()).decode()
        self.beacons, self.requests = [], []
        self._lock = threading.Lock()

    def __enter__(self):
        site = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *a):
                pass

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
                body = site.pages.get(parsed.path)
                if body is None:
                    return self._send(404, b"not found")
                self._send(200, body.encode() if isinstance(body, str) else body)

            def _send(self, status, body, headers=None):
                self.send_response(status)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.send_header("Content-Length", str(len(body)))
                self.send_header("Cache-Control", "no-store")
                for k, v in (headers or {}).items():
                    self.send_header(k, v)
                self.end_headers()
                self.wfile.write(body)

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
