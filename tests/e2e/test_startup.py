#!/usr/bin/env python3
"""Starting Velloran: autoloaded pages, tray icon, single instance, clean exit."""

import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402

PAGES = [("alpha", "Alpha Page", "Alpha"),
         ("beta", "Beta Page", "Beta"),
         ("gamma", "Gamma Page", "Gamma")]


def main(args):
    shots = h.shots_dir(__file__)
    home = tempfile.mkdtemp(prefix="velloran-startup-")
    pages = {f"/{name}": ("text/html; charset=utf-8", h.page_with_beacon(title, name))
             for name, title, _ in PAGES}
    first = second = None
    try:
        with h.Desktop() as desk, h.PageServer(pages) as srv:
            env = desk.env
            h.write_ini(home, [0, 0, 1, 0, 0, -1])
            h.write_dat(home, [(srv.url(f"/{name}"), True, alias) for name, _, alias in PAGES])

            def fail(message):
                try:
                    desk.screenshot(os.path.join(shots, "e2e_startup-failure.png"))
                except h.Failure:
                    pass
                tail = "\n".join(a.stderr_tail() for a in (first, second) if a)
                raise h.Failure(f"{message}\n--- velloran stderr ---\n{tail}")

            first = h.Velloran.start(args.binary, home, env)

            wins = desk.find_windows("Velloran", timeout=60)
            if not wins:
                fail("no window titled 'Velloran' appeared within 60 s"
                     + ("" if first.alive() else f" (process exited with {first.proc.returncode})"))
            # The loading splash bears the same title while the pages open; once it has
            # gone there must be exactly one.
            h.wait_for(lambda: len(desk.find_windows("Velloran")) == 1, 60)
            wins = desk.find_windows("Velloran")
            if len(wins) != 1:
                fail(f"expected one 'Velloran' window, found {len(wins)}")

            deadline = time.monotonic() + 60
            for name, title, _ in PAGES:
                got = h.wait_for(lambda: srv.beacon_count(name) > 0,
                                 max(0.0, deadline - time.monotonic()))
                if not got:
                    fail(f"'{title}' never finished loading (no beacon from /{name}); "
                         f"requests seen: {[p for p, _ in srv.requests]}")

            if not h.wait_for(desk.tray_icon_present, 30):
                fail("no Velloran icon appeared in the system tray")

            desk.screenshot(os.path.join(shots, "e2e_startup.png"))

            # A second start on the same data folder must leave by itself.
            second = h.Velloran.start(args.binary, home, env)
            if second.wait(20) is None:
                fail("a second instance on the same data folder was still running after 20 s")
            if not first.alive():
                fail("the first instance ended when the second one started")
            wins = desk.find_windows("Velloran", timeout=2)
            if len(wins) != 1:
                fail(f"after the second start there are {len(wins)} 'Velloran' windows, expected 1")

            # Closing the main window ends the program.
            h.close_window(wins[0], env)
            if first.wait(20) is None:
                fail("Velloran was still running 20 s after its main window was closed")
            if not h.wait_for(lambda: not desk.tray_icon_present(), 5):
                fail("the tray icon stayed after Velloran ended")
    finally:
        for app in (second, first):
            if app is not None:
                app.stop()
        h.remove_folder(home, args.keep)


if __name__ == "__main__":
    h.run(main)
