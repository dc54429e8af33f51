#!/usr/bin/env python3
"""The command line answers as Linux programs do, with no desktop at all:
--help, --version, --autostart on|off (a freedesktop autostart entry), and an
unknown option gets one line of error and exit status 2."""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402


def main(args):
    with tempfile.TemporaryDirectory(prefix="velloran-cmdline-") as tmp:
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        env["XDG_CONFIG_HOME"] = os.path.join(tmp, "config")
        env["VELLORAN_HOME"] = os.path.join(tmp, "home")

        def run(*argv):
            r = subprocess.run([args.binary, *argv], env=env, capture_output=True, text=True, timeout=60)
            return r.returncode, r.stdout, r.stderr

        rc, out, _ = run("--help")
        h.check(rc == 0 and "--autostart <on|off>" in out and "--version" in out and "Usage: velloran" in out,
                f"--help answered {rc}: {out!r}")
        rc, out, _ = run("--version")
        h.check(rc == 0 and out.strip() == "Velloran 3.7", f"--version answered {rc}: {out!r}")

        entry = os.path.join(tmp, "config", "autostart", "velloran.desktop")
        rc, out, err = run("--autostart", "on")
        h.check(rc == 0 and os.path.isfile(entry), f"--autostart on answered {rc}: {out!r} {err!r}")
        with open(entry) as f:
            text = f.read()
        h.check("[Desktop Entry]" in text and f"Exec={os.path.realpath(args.binary)}\n" in text,
                f"the autostart entry is wrong:\n{text}")
        rc, _, err = run("--autostart", "off")
        h.check(rc == 0 and not os.path.exists(entry), f"--autostart off answered {rc}: {err!r}")

        for argv in (("--bogus",), ("--autostart", "maybe")):
            rc, out, err = run(*argv)
            h.check(rc == 2 and not out and len(err.strip().splitlines()) == 1,
                    f"{' '.join(argv)} answered {rc}, stdout {out!r}, stderr {err!r}")
        h.check(not os.path.exists(env["VELLORAN_HOME"]), "answering the command line touched the data folder")


if __name__ == "__main__":
    h.run(main)
