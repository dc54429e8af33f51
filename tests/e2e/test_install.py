#!/usr/bin/env python3
"""The Debian package: its metadata and layout, the desktop launcher, and the
installed binary at work in a fresh user account (data in ~/.config/velloran,
sound cues from ../share/velloran)."""

import configparser
import glob
import os
import re
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import scenario as s  # noqa: E402

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ICON_SIZES = (16, 32, 48, 64, 128, 256)
SOUNDS = ("frmurls.wav", "closeurl.wav")


def run(cmd, timeout, cwd=None):
    try:
        res = subprocess.run(cmd, cwd=cwd, stdin=subprocess.DEVNULL, capture_output=True,
                             text=True, timeout=timeout)
    except FileNotFoundError:
        raise h.Failure(f"{cmd[0]} is not installed (scripts/deps.sh installs it)")
    except subprocess.TimeoutExpired:
        raise h.Failure(f"{' '.join(cmd)} did not finish within {timeout} s")
    return res


def build_package(build_dir, out_dir):
    h.check(os.path.isfile(os.path.join(build_dir, "CPackConfig.cmake")),
            f"no CPackConfig.cmake in {build_dir}: is that the build folder?")
    # The cpack that belongs to the cmake which configured this build folder.
    cpack = "cpack"
    with open(os.path.join(build_dir, "CMakeCache.txt"), errors="replace") as f:
        for line in f:
            if line.startswith("CMAKE_CPACK_COMMAND:"):
                cpack = line.split("=", 1)[1].strip() or cpack
    # A folder of our own keeps the build folder free of test packages.
    res = run([cpack, "-G", "DEB", "-B", out_dir], timeout=240, cwd=build_dir)
    h.check(res.returncode == 0, f"cpack -G DEB failed:\n{res.stdout[-3000:]}\n{res.stderr[-3000:]}")
    debs = glob.glob(os.path.join(out_dir, "*.deb"))
    h.check(len(debs) == 1, f"cpack made {len(debs)} packages, expected one: {debs}")
    return debs[0]


def deb_field(deb, field):
    res = run(["dpkg-deb", "-f", deb, field], timeout=30)
    h.check(res.returncode == 0, f"dpkg-deb -f {field} failed: {res.stderr.strip()}")
    return res.stdout.strip()


def check_metadata(deb):
    arch = run(["dpkg", "--print-architecture"], timeout=10).stdout.strip()
    version = deb_field(deb, "Version")
    h.check(deb_field(deb, "Package") == "velloran", "the package is not named velloran")
    h.check(os.path.basename(deb) == f"velloran_{version}_{arch}.deb",
            f"package file {os.path.basename(deb)!r} is not velloran_{version}_{arch}.deb")
    h.check(deb_field(deb, "Architecture") == arch, "the package's architecture is not this machine's")
    h.check(deb_field(deb, "Section") == "web", "the package's section is not web")
    h.check("@" in deb_field(deb, "Maintainer"), "the package has no maintainer address")
    h.check(deb_field(deb, "Description"), "the package has no description")

    depends = [d.strip() for d in deb_field(deb, "Depends").split(",")]
    names = {d.split()[0] for d in depends if d}
    # libqt6webenginecore6 comes from dpkg-shlibdeps (a library the binary links);
    # the others are loaded at run time and must be listed by hand.
    for pkg in ("libqt6webenginecore6", "libqt6webenginecore6-bin", "libqt6widgets6",
                "qt6-qpa-plugins", "libqt6svg6"):
        h.check(pkg in names, f"Depends lacks {pkg}: {depends}")
    return version


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    h.check(head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR", f"{path} is not a PNG")
    return struct.unpack(">II", head[16:24])


def check_layout(deb, root):
    res = run(["dpkg-deb", "-c", deb], timeout=30)
    h.check(res.returncode == 0, f"dpkg-deb -c failed: {res.stderr.strip()}")
    for line in res.stdout.splitlines():
        path = line.split()[-1]
        h.check(path.startswith("./usr/") or path in ("./", "./usr/"),
                f"the package puts {path} outside /usr")
        h.check(not path.startswith("./usr/local/"), f"the package installs into {path}")

    res = run(["dpkg", "-x", deb, root], timeout=60)
    h.check(res.returncode == 0, f"dpkg -x failed: {res.stderr.strip()}")
    usr = os.path.join(root, "usr")

    binary = os.path.join(usr, "bin", "velloran")
    h.check(os.path.isfile(binary) and os.access(binary, os.X_OK), "usr/bin/velloran is missing")
    for wav in SOUNDS:
        path = os.path.join(usr, "share", "velloran", wav)
        h.check(os.path.isfile(path), f"usr/share/velloran/{wav} is missing")
        with open(path, "rb") as f:
            head = f.read(12)
        h.check(head[:4] == b"RIFF" and head[8:12] == b"WAVE", f"{wav} is not a WAV file")
    # The program looks for its cues in ../share/velloran beside its own folder.
    h.check(os.path.isfile(os.path.join(os.path.dirname(binary), os.pardir, "share", "velloran",
                                        "frmurls.wav")),
            "bin/../share/velloran/frmurls.wav does not lead to the installed cue")

    for lang in ("en-US", "en-GB"):
        bdic = os.path.join(usr, "share", "velloran", "qtwebengine_dictionaries", f"{lang}.bdic")
        h.check(os.path.getsize(bdic) > 100000 if os.path.isfile(bdic) else False,
                f"usr/share/velloran/qtwebengine_dictionaries/{lang}.bdic is missing")

    icons = os.path.join(usr, "share", "icons", "hicolor")
    for size in ICON_SIZES:
        path = os.path.join(icons, f"{size}x{size}", "apps", "velloran.png")
        h.check(os.path.isfile(path), f"icon {size}x{size}/apps/velloran.png is missing")
        h.check(png_size(path) == (size, size),
                f"{size}x{size}/apps/velloran.png is {png_size(path)}")
    svg = os.path.join(icons, "scalable", "apps", "velloran.svg")
    h.check(os.path.isfile(svg), "icon scalable/apps/velloran.svg is missing")
    with open(svg, "rb") as a, open(os.path.join(SOURCE_DIR, "resources", "icons", "velloran.svg"),
                                    "rb") as b:
        h.check(a.read() == b.read(), "the installed SVG icon is not the program's own icon")
    return binary


def check_desktop_file(root):
    path = os.path.join(root, "usr", "share", "applications", "velloran.desktop")
    h.check(os.path.isfile(path), "usr/share/applications/velloran.desktop is missing")
    res = run(["desktop-file-validate", path], timeout=30)
    h.check(res.returncode == 0 and not res.stdout.strip(),
            f"desktop-file-validate complains:\n{res.stdout}{res.stderr}")
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(path, encoding="utf-8")
    entry = parser["Desktop Entry"]
    want = {"Type": "Application", "Name": "Velloran", "GenericName": "Web Browser",
            "Comment": "Keep your eight favourite sites open all day", "Exec": "velloran",
            "Icon": "velloran", "Terminal": "false"}
    for k, v in want.items():
        h.check(entry.get(k) == v, f"velloran.desktop has {k}={entry.get(k)!r}, expected {v!r}")
    cats = entry.get("Categories", "").split(";")
    h.check("Network" in cats and "WebBrowser" in cats,
            f"velloran.desktop Categories={entry.get('Categories')!r}")
    h.check(entry.get("StartupWMClass"), "velloran.desktop has no StartupWMClass")
    return entry


def wm_class(window, env):
    res = subprocess.run(["xprop", "-id", str(window), "WM_CLASS"], env=env, capture_output=True,
                         text=True, timeout=15)
    # WM_CLASS(STRING) = "instance", "class"
    parts = res.stdout.split("=", 1)[-1].split(",")
    return [p.strip().strip('"') for p in parts if p.strip()]


def spelling_marked(env, window):
    """Whether the engine's red misspelling marks show in the window."""
    rect = s.client_rect(window, env)
    img = s.grab(env)
    x0, y0, w, hgt = rect
    return any(r > 200 and g < 90 and b < 90 for r, g, b in
               (img.pixel(x, y) for y in range(y0, y0 + hgt // 2) for x in range(x0, x0 + w // 2, 2)))


def user_env(desk_env, scratch):
    """A fresh account: its own HOME and XDG folders, and no VELLORAN_HOME."""
    env = dict(desk_env)
    env.pop("VELLORAN_HOME", None)
    home = os.path.join(scratch, "home")
    env["HOME"] = home
    for var, sub in (("XDG_CONFIG_HOME", ".config"), ("XDG_DATA_HOME", ".local/share"),
                     ("XDG_CACHE_HOME", ".cache"), ("XDG_RUNTIME_DIR", "runtime")):
        path = os.path.join(home, sub)
        os.makedirs(path, mode=0o700, exist_ok=True)
        env[var] = path
    if h.is_root():
        env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
    return env


def start(cmd, env, data, logs, serial):
    out = os.path.join(logs, f"velloran-{serial}.out")
    err = os.path.join(logs, f"velloran-{serial}.err")
    with open(out, "wb") as o, open(err, "wb") as e:
        proc = subprocess.Popen(cmd, env=env, stdin=subprocess.DEVNULL, stdout=o, stderr=e,
                                start_new_session=True)
    return h.Velloran(proc, data, out, err)


def main(args):
    shots = h.shots_dir(__file__)
    build_dir = os.path.dirname(os.path.abspath(args.binary))
    scratch = tempfile.mkdtemp(prefix="velloran-install-")
    apps = []
    try:
        deb = build_package(build_dir, os.path.join(scratch, "pkg"))
        check_metadata(deb)
        root = os.path.join(scratch, "root")
        binary = check_layout(deb, root)
        entry = check_desktop_file(root)
        bin_before = sorted(os.listdir(os.path.dirname(binary)))

        # A misspelt word in a field with the keyboard: the installed dictionaries mark it.
        field = "<textarea autofocus spellcheck=true style='font-size:40px;width:90%'>recieve tommorow</textarea>"
        pages = {"/home": ("text/html; charset=utf-8",
                           h.page_with_beacon("Installed Home", "home", field))}
        with h.Desktop() as desk, h.PageServer(pages) as srv:
            env = user_env(desk.env, scratch)
            data = os.path.join(env["XDG_CONFIG_HOME"], "velloran")
            # Files written where an installed copy must look for them.
            h.write_ini(data, [0, 0, 1, 0, 0, -1])
            h.write_dat(data, [(srv.url("/home"), True, "Home")])

            def fail(message):
                try:
                    desk.screenshot(os.path.join(shots, "e2e_install-failure.png"))
                except h.Failure:
                    pass
                tail = "\n".join(a.stderr_tail() for a in apps)
                raise h.Failure(f"{message}\n--- velloran stderr ---\n{tail}")

            app = start([binary], env, data, scratch, 1)
            apps.append(app)
            # The splash is titled Velloran too and may still be up: count main frames only.
            wins = h.wait_for(lambda: s.velloran_windows(env, "NORMAL"), 60, 0.25) or []
            if len(wins) != 1:
                fail(f"expected one 'Velloran' window from the installed binary, found {len(wins)}"
                     + ("" if app.alive() else f" (exited with {app.proc.returncode})"))
            if not h.wait_for(lambda: srv.beacon_count("home") > 0, 60):
                fail(f"the Top 8 page in ~/.config/velloran never loaded; requests: "
                     f"{[p for p, _ in srv.requests]}")
            if not os.path.exists(os.path.join(data, "velloran.lock")):
                fail("no velloran.lock in $XDG_CONFIG_HOME/velloran: the installed copy "
                     "uses another data folder")
            # The window may have been re-created once the page's view came up.
            wins = h.wait_for(lambda: s.velloran_windows(env, "NORMAL"), 5, 0.25) or []
            if len(wins) != 1:
                fail(f"expected one 'Velloran' window after the page loaded, found {len(wins)}")
            cls = wm_class(wins[0], env)
            if entry["StartupWMClass"] not in cls:
                fail(f"the main window's WM_CLASS {cls} does not match the launcher's "
                     f"StartupWMClass={entry['StartupWMClass']}")
            if not h.wait_for(lambda: spelling_marked(env, wins[0]), 20, 0.5):
                fail("no misspelling is marked: the installed dictionaries were not found")
            desk.screenshot(os.path.join(shots, "e2e_install.png"))
            bin_now = sorted(os.listdir(os.path.dirname(binary)))
            if bin_now != bin_before:
                fail(f"the installed copy wrote into its bin folder: {bin_now}")
            h.close_window(wins[0], env)
            if app.wait(20) is None:
                fail("the installed copy was still running 20 s after its window was closed")

            # With an empty Top 8 the program opens the Top 8 editor, which plays
            # frmurls.wav: watch which file it finds (strace on the main thread only,
            # where the lookup happens; the web engine's processes are left alone).
            h.write_dat(data, [])
            trace = os.path.join(scratch, "files.trace")
            app = start(["strace", "-qq", "-e", "trace=%file", "-o", trace, binary], env, data, scratch, 2)
            apps.append(app)
            wanted = os.path.normpath(os.path.join(os.path.dirname(binary), os.pardir, "share",
                                                   "velloran", "frmurls.wav"))

            def cue_found():
                try:
                    with open(trace, "r", errors="replace") as f:
                        for line in f:
                            m = re.search(r'"([^"]*frmurls\.wav)"', line)
                            if (m and os.path.normpath(m.group(1)) == wanted
                                    and "ENOENT" not in line):
                                return True
                except OSError:
                    pass
                return False

            if not h.wait_for(cue_found, 60, 0.5):
                fail(f"the installed copy never found {wanted} when its Top 8 editor came up"
                     + ("" if app.alive() else f" (exited with {app.proc.returncode})"))
            app.stop()
    finally:
        for app in apps:
            app.stop()
        h.remove_folder(scratch, args.keep, "scratch folder")


if __name__ == "__main__":
    h.run(main)
