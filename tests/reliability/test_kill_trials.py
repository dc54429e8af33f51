#!/usr/bin/env python3
"""The Top 8 and the settings survive whatever happens while Set Up's OK writes them.

Kill trials: setup_ok_driver presses OK in a loop, switching between two sets; it is
killed (SIGKILL) at a random moment and velloran.dat and velloran.ini must each be
exactly one set's complete bytes. The data file is written before the settings
file, so a settings file newer than the data file means an OK was torn apart.

Full disk and read-only folder: OK must fail loudly and leave the old files as they
were. Both need a tmpfs mount; they are skipped (with a message) where mounting is
not permitted.

    test_kill_trials.py DRIVER [--trials N] [--seed S]
"""
import argparse
import json
import os
import random
import signal
import subprocess
import sys
import tempfile
import threading
import time

DAT = "velloran.dat"
INI = "velloran.ini"

# Set A is what the folder starts with; every OK switches to the other set. The two
# differ in every row and option, and in length, so a cut or mixed file shows.
SETS = [
    {
        "rows": [
            {"url": "https://news.example/today", "autoload": True, "alias": "News"},
            {"url": "https://mail.example/inbox?folder=1,2", "autoload": True, "alias": "Mail, personal"},
            {"url": "https://weather.example/", "autoload": False, "alias": ""},
            {"url": "", "autoload": False, "alias": ""},
            {"url": "https://café.example/menü", "autoload": False, "alias": "Café"},
            {"url": "https://docs.example/a/b/c", "autoload": True, "alias": "Docs"},
            {"url": "", "autoload": True, "alias": ""},
            {"url": "file:///home/user/start.html", "autoload": False, "alias": "Start page"},
        ],
        "onActive": True, "every": False, "minutes": 5, "layout": "tile",
    },
    {
        "rows": [
            {"url": "https://search.example/?q=velloran", "autoload": False, "alias": ""},
            {"url": "", "autoload": False, "alias": ""},
            {"url": "https://bank.example/login", "autoload": True, "alias": "Bank"},
            {"url": "https://music.example/radio/42", "autoload": True, "alias": "Radio, jazz & blues"},
            {"url": "https://shop.example/cart", "autoload": True, "alias": "Shop"},
            {"url": "", "autoload": False, "alias": ""},
            {"url": "https://wiki.example/Main_Page", "autoload": False, "alias": "Wiki ☃"},
            {"url": "https://intranet.example:8443/x,y", "autoload": True, "alias": ""},
        ],
        "onActive": False, "every": True, "minutes": 45, "layout": "cascade",
    },
]


def flag(on):
    return "-1" if on else "0"


def dat_bytes(s):
    """The data file as documented: slot,"URL",autoload,"alias" CR LF, eight lines."""
    lines = []
    for slot, row in enumerate(s["rows"], start=1):
        lines.append('%d,"%s",%s,"%s"\r\n' % (slot, row["url"], flag(row["autoload"]), row["alias"]))
    return "".join(lines).encode("utf-8")


def ini_bytes(s):
    """RefreshOnActive, RefreshEvery, RefreshMinutes, Tile, Cascade, Tabbed, CR LF."""
    tile, cascade = s["layout"] == "tile", s["layout"] == "cascade"
    six = [flag(s["onActive"]), flag(s["every"]), str(s["minutes"]), flag(tile), flag(cascade), "0"]
    return (",".join(six) + "\r\n").encode("ascii")


EXPECTED = [(dat_bytes(s), ini_bytes(s)) for s in SETS]


class Driver:
    """One run of the driver, its output lines collected as they arrive."""

    def __init__(self, exe, folder, sets_file, commits=0):
        self.lines = []
        self.first_ok = threading.Event()
        self.proc = subprocess.Popen(
            [exe, folder, sets_file, str(commits)],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=driver_env())
        self._out = threading.Thread(target=self._read, daemon=True)
        self._out.start()
        self.stderr = b""
        self._err = threading.Thread(target=self._read_err, daemon=True)
        self._err.start()

    def _read(self):
        for raw in self.proc.stdout:
            line = raw.decode("utf-8", "replace").rstrip("\n")
            self.lines.append(line)
            if line.startswith("ok "):
                self.first_ok.set()
        self.first_ok.set()  # the end of output wakes the waiter too

    def _read_err(self):
        self.stderr = self.proc.stderr.read()

    def finish(self, timeout):
        try:
            rc = self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            raise
        finally:
            self._out.join(5)
            self._err.join(5)
        return rc

    def oks(self):
        return [line for line in self.lines if line.startswith("ok ")]


def driver_env():
    env = dict(os.environ)
    env.setdefault("QT_QPA_PLATFORM", "offscreen")
    return env


def seed_folder(folder):
    with open(os.path.join(folder, DAT), "wb") as f:
        f.write(EXPECTED[0][0])
    with open(os.path.join(folder, INI), "wb") as f:
        f.write(EXPECTED[0][1])


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError as e:
        return "<unreadable: %s>" % e


def which_set(content, index):
    """0 or 1 for an exact set, else None."""
    for n, expected in enumerate(EXPECTED):
        if content == expected[index]:
            return n
    return None


def leftovers(folder):
    """Files beside the two real ones (QSaveFile's temporary files after a kill)."""
    return sorted(n for n in os.listdir(folder) if n not in (DAT, INI))


def describe(content):
    if isinstance(content, str):
        return content
    return "%d bytes %r" % (len(content), content[:120])


def kill_trials(exe, sets_file, base, trials, rng):
    intact = 0
    counts = {"dat": [0, 0], "ini": [0, 0]}
    temp_files = 0
    between = 0  # killed after the data file's commit, before the settings file's
    commits = []
    problems = []
    for trial in range(1, trials + 1):
        folder = tempfile.mkdtemp(prefix="trial%03d-" % trial, dir=base)
        seed_folder(folder)
        delay = rng.uniform(0.0, 0.4)
        d = Driver(exe, folder, sets_file)
        try:
            if not d.first_ok.wait(60) or not d.oks():
                d.proc.kill()
                d.finish(30)
                problems.append("trial %d: no OK before the kill; output %r; stderr %s"
                                % (trial, d.lines, d.stderr.decode("utf-8", "replace")[-2000:]))
                continue
            time.sleep(delay)
            d.proc.send_signal(signal.SIGKILL)
            d.finish(30)
        finally:
            if d.proc.poll() is None:
                d.proc.kill()
                d.proc.wait()

        bad_lines = [line for line in d.lines if not line.startswith("ok ")]
        if bad_lines:
            problems.append("trial %d: the driver reported %r" % (trial, bad_lines))
        oks = d.oks()
        commits.append(len(oks))
        dat = read(os.path.join(folder, DAT))
        ini = read(os.path.join(folder, INI))
        dat_set, ini_set = which_set(dat, 0), which_set(ini, 1)
        extra = leftovers(folder)
        ok = True
        if dat_set is None:
            problems.append("trial %d: velloran.dat is neither set: %s" % (trial, describe(dat)))
            ok = False
        if ini_set is None:
            problems.append("trial %d: velloran.ini is neither set: %s" % (trial, describe(ini)))
            ok = False
        if ok:
            # The last OK reported finished with both files of one set; a later OK
            # writes the data file first. The settings file can never be ahead.
            last = ord(oks[-1].split()[-1]) - ord("A")
            if dat_set == last and ini_set != last:
                problems.append("trial %d: settings of set %s beside data of set %s"
                                % (trial, "AB"[ini_set], "AB"[dat_set]))
                ok = False
        for name in extra:
            path = os.path.join(folder, name)
            # A temporary file must not pass for one of the real files.
            if not os.path.isfile(path) or name.endswith((".dat", ".ini")) \
                    or not name.startswith((DAT + ".", INI + ".")):
                problems.append("trial %d: unexpected entry %r" % (trial, name))
                ok = False
        temp_files += len(extra)
        if ok:
            intact += 1
            counts["dat"][dat_set] += 1
            counts["ini"][ini_set] += 1
            between += dat_set != ini_set

    commits.sort()
    print("kill trials: %d, intact: %d, old: %d, new: %d (velloran.dat); settings old: %d, new: %d"
          % (trials, intact, counts["dat"][0], counts["dat"][1], counts["ini"][0], counts["ini"][1]))
    if commits:
        print("OKs completed before the kill: min %d, median %d, max %d"
              % (commits[0], commits[len(commits) // 2], commits[-1]))
    print("killed between the data file and the settings file: %d" % between)
    print("temporary files left by killed writes: %d" % temp_files)
    return problems


def run_command(args):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)


def mount_tmpfs(folder, size):
    if os.geteuid() != 0:
        return "not root"
    r = run_command(["mount", "-t", "tmpfs", "-o", "size=%s,mode=0755" % size, "tmpfs", folder])
    return None if r.returncode == 0 else (r.stdout.strip() or "mount failed")


def unmount(folder):
    if os.path.ismount(folder):
        if run_command(["umount", folder]).returncode != 0:
            run_command(["umount", "-l", folder])


def fill(folder):
    """Writes a filler file until the file system refuses more."""
    with open(os.path.join(folder, "filler"), "wb", buffering=0) as f:
        chunk = b"\0" * 4096
        while True:
            try:
                if f.write(chunk) < len(chunk):
                    break
            except OSError:
                break
        for size in (512, 64, 1):
            try:
                while f.write(b"\0" * size) == size:
                    pass
            except OSError:
                pass


def failing_ok(exe, sets_file, folder, label):
    """Runs one OK that must fail; returns problems."""
    problems = []
    d = Driver(exe, folder, sets_file, commits=1)
    rc = d.finish(120)
    messages = [line[len("message: "):] for line in d.lines if line.startswith("message: ")]
    for m in messages:
        print("%s: message shown: %s" % (label, m))
    if d.oks():
        problems.append("%s: OK reported success: %r" % (label, d.lines))
    if not messages:
        problems.append("%s: no message told the user (exit %d, output %r, stderr %s)"
                        % (label, rc, d.lines, d.stderr.decode("utf-8", "replace")[-2000:]))
    if rc != 3:
        problems.append("%s: the driver exited with %d, not 3 (the program ending itself): %r"
                        % (label, rc, d.lines))
    dat = read(os.path.join(folder, DAT))
    ini = read(os.path.join(folder, INI))
    if dat != EXPECTED[0][0]:
        problems.append("%s: velloran.dat changed: %s" % (label, describe(dat)))
    if ini != EXPECTED[0][1]:
        problems.append("%s: velloran.ini changed: %s" % (label, describe(ini)))
    extra = [n for n in leftovers(folder) if n != "filler"]
    print("%s: %s; temporary files left: %d"
          % (label, "intact" if not problems else "NOT intact", len(extra)))
    return problems


def full_disk_trial(exe, sets_file, base):
    folder = os.path.join(base, "full")
    os.mkdir(folder)
    why = mount_tmpfs(folder, "64k")
    if why:
        print("full disk: skipped (cannot mount a tmpfs: %s)" % why)
        return []
    try:
        seed_folder(folder)
        fill(folder)
        st = os.statvfs(folder)
        free = st.f_bavail * st.f_frsize
        print("full disk: %d bytes free, the new data file needs %d" % (free, len(EXPECTED[1][0])))
        if free >= len(EXPECTED[1][0]):
            return ["full disk: could not fill the file system (%d bytes free)" % free]
        return failing_ok(exe, sets_file, folder, "full disk")
    finally:
        unmount(folder)


def read_only_trial(exe, sets_file, base):
    folder = os.path.join(base, "readonly")
    os.mkdir(folder)
    why = mount_tmpfs(folder, "64k")
    if why:
        print("read-only: skipped (cannot mount a tmpfs: %s)" % why)
        return []
    try:
        seed_folder(folder)
        r = run_command(["mount", "-o", "remount,ro", folder])
        if r.returncode != 0:
            print("read-only: skipped (cannot remount read-only: %s)" % r.stdout.strip())
            return []
        return failing_ok(exe, sets_file, folder, "read-only")
    finally:
        unmount(folder)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("driver")
    ap.add_argument("--trials", type=int, default=100)
    ap.add_argument("--seed", type=int, default=None)
    args = ap.parse_args()
    seed = args.seed if args.seed is not None else random.SystemRandom().randrange(1 << 30)
    print("seed %d (rerun with --seed %d)" % (seed, seed))
    rng = random.Random(seed)

    problems = []
    with tempfile.TemporaryDirectory(prefix="velloran-kill-") as base:
        sets_file = os.path.join(base, "sets.json")
        with open(sets_file, "w", encoding="utf-8") as f:
            json.dump({"sets": SETS}, f, ensure_ascii=False)
        trials_dir = os.path.join(base, "trials")
        os.mkdir(trials_dir)
        try:
            problems += kill_trials(args.driver, sets_file, trials_dir, args.trials, rng)
            problems += full_disk_trial(args.driver, sets_file, base)
            problems += read_only_trial(args.driver, sets_file, base)
        finally:
            # Nothing may stay mounted under the folder about to be removed.
            for name in ("full", "readonly"):
                unmount(os.path.join(base, name))

    for p in problems:
        print("FAIL: " + p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
