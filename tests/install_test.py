#!/usr/bin/env python3
"""Installs the game as a player would get it and checks it from the desktop's side.

    install_test.py install BUILD_DIR SOURCE_DIR CMAKE   cmake --install into a DESTDIR and a prefix
    install_test.py package BUILD_DIR SOURCE_DIR         the Debian package built from debian/

The install test installs from BUILD_DIR, which rewrites its install_manifest.txt: the manifest a
developer may keep for uninstalling is saved first and put back afterwards. The package test builds
from a copy of SOURCE_DIR in a temporary directory and leaves both trees as they were.
"""

import configparser
import ctypes
import glob
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib

APP_ID = "io.grimvale.Grimvale"

# Every file the game reads at start-up, relative to its data directory.
GAME_FILES = ["Graphics/player1.bmp"] + [
    "Graphics/" + name
    for name in ("bg.bmp swatu.bmp swatd.bmp swatl.bmp swatr.bmp bullet.bmp swatdead.bmp gangu.bmp "
                 "gangd.bmp gangl.bmp gangr.bmp gangdead.bmp map1.bmp mflash.bmp Ammobox.bmp "
                 "medkit.bmp").split()
] + [f"data/{font}/font.{part}" for font in ("font1", "font2") for part in ("ini", "raw", "dat")]

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)
    return condition


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def files_under(root):
    found = set()
    for directory, _, names in os.walk(root):
        for name in names:
            found.add(os.path.relpath(os.path.join(directory, name), root))
    return found


class OpenWatch:
    """Collects the files opened in the given directories, through inotify."""

    IN_OPEN = 0x20
    IN_NONBLOCK = 0o4000

    def __init__(self, root, subdirs):
        self.libc = ctypes.CDLL(None, use_errno=True)
        self.fd = self.libc.inotify_init1(self.IN_NONBLOCK)
        self.dirs = {}
        for subdir in subdirs:
            path = os.path.join(root, subdir)
            if os.path.isdir(path):
                wd = self.libc.inotify_add_watch(self.fd, path.encode(), self.IN_OPEN)
                self.dirs[wd] = subdir

    def opened(self):
        names = set()
        data = b""
        while True:
            try:
                chunk = os.read(self.fd, 65536)
            except BlockingIOError:
                break
            if not chunk:
                break
            data += chunk
        at = 0
        while at + 16 <= len(data):
            wd, _, _, length = struct.unpack_from("iIII", data, at)
            name = data[at + 16:at + 16 + length].rstrip(b"\0").decode()
            if name and wd in self.dirs:
                names.add(self.dirs[wd] + "/" + name)
            at += 16 + length
        return names

    def close(self):
        os.close(self.fd)


def check_launch(launcher, data_dir, program, env_extra, workdir):
    """Starts the launcher from workdir and checks the game runs in data_dir and read its files."""
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy", **env_extra)
    present = [name for name in GAME_FILES if os.path.isfile(os.path.join(data_dir, name))]
    watch = OpenWatch(data_dir, ["Graphics", "data/font1", "data/font2"])
    # A session of its own, so that whatever the launcher leaves behind can be stopped with it.
    game = subprocess.Popen([launcher], cwd=workdir, env=env, start_new_session=True,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(1.5)
        alive = check(game.poll() is None, f"{launcher}: the game is not running a moment after start")
        if alive:
            # The launcher hands its process over to the game: same process, game binary, data directory.
            check(os.path.realpath(f"/proc/{game.pid}/exe") == os.path.realpath(program),
                  f"{launcher}: process is {os.path.realpath(f'/proc/{game.pid}/exe')}, not {program}")
            cwd = os.readlink(f"/proc/{game.pid}/cwd")
            check(cwd == os.path.realpath(data_dir), f"{launcher}: the game runs in {cwd}, not {data_dir}")
            missed = sorted(set(present) - watch.opened())
            check(not missed, f"{launcher}: the game did not open {missed}")
            print(f"{launcher}: running in {cwd}; opened {len(present)} of {len(GAME_FILES)} game files "
                  f"({len(GAME_FILES) - len(present)} not installed)")
            # SDL turns the termination signal into a quit: the game ends normally with status 0.
            game.send_signal(signal.SIGTERM)
        try:
            status = game.wait(timeout=10)
            check(status == 0, f"{launcher}: the game ended with status {status} after being asked to quit")
        except subprocess.TimeoutExpired:
            check(False, f"{launcher}: the game did not quit within 10 s of SIGTERM")
    finally:
        try:
            os.killpg(game.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        game.wait()
        watch.close()


def check_launcher_failures(launcher, final_data_dir, env_extra, workdir):
    """The launcher's own errors, and the game's exit status passed through."""
    nowhere = os.path.join(workdir, "nowhere")
    missing = run([launcher], cwd=workdir, env=dict(os.environ, GRIMVALE_ROOT=nowhere))
    check(missing.returncode != 0, "launcher with no data directory exits 0")
    check(nowhere + final_data_dir in missing.stderr,
          f"launcher does not say where it looked for the data: {missing.stderr!r}")

    env = dict(os.environ, SDL_VIDEODRIVER="no-such-driver", **env_extra)
    failed = run([launcher], cwd=workdir, env=env, timeout=30)
    check(failed.returncode == 1, f"game start-up failure gives status {failed.returncode} through the launcher, not 1")
    check(failed.stdout.startswith("Unable to init SDL"), f"start-up failure line: {failed.stdout!r}")


def png_size(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    if zlib.crc32(data[12:29]) != struct.unpack(">I", data[29:33])[0]:
        return None
    return struct.unpack(">II", data[16:24])


def check_desktop_files(root, prefix, source_dir, bindir="bin", datadir="share/grimvale"):
    """The menu entry, its icon, the metainfo, the manual page and the game files (under datadir),
    where the desktop looks for them; the launcher in bindir. Both directories relative to the prefix."""
    share = root + prefix + "/share"
    desktop_file = f"{share}/applications/{APP_ID}.desktop"
    metainfo_file = f"{share}/metainfo/{APP_ID}.metainfo.xml"
    if not check(os.path.isfile(desktop_file), f"no menu entry at {desktop_file}"):
        return
    result = run(["desktop-file-validate", desktop_file])
    check(result.returncode == 0 and not result.stdout.strip(),
          f"desktop-file-validate: {result.stdout}{result.stderr}")

    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(desktop_file)
    section = entry["Desktop Entry"]
    check("Game" in section.get("Categories", "").split(";"), "the menu entry is not in the Game category")
    command = section.get("Exec", "").split()[0]
    check(os.access(f"{root}{prefix}/{bindir}/{command}", os.X_OK), f"the menu entry runs {command}, not installed in {bindir}/")
    check(glob.glob(f"{share}/man/man6/grimvale.6*"), "no manual page in section 6")
    example = f"{share}/doc/grimvale/examples/controls.conf"
    with open(os.path.join(source_dir, "packaging/controls.conf"), "rb") as f:
        check(os.path.isfile(example) and open(example, "rb").read() == f.read(),
              f"the example controls file is not installed as {example}")

    icon = section.get("Icon", "")
    icons = glob.glob(f"{share}/icons/hicolor/*x*/apps/{icon}.png")
    check(icons, f"no hicolor icon named {icon}")
    for path in icons:
        side = int(path.split("/")[-3].split("x")[0])
        check(png_size(path) == (side, side), f"{path} is not a {side}x{side} PNG")

    if check(os.path.isfile(metainfo_file), f"no metainfo at {metainfo_file}"):
        result = run(["appstreamcli", "validate", "--no-net", metainfo_file])
        check(result.returncode == 0, f"appstreamcli validate: {result.stdout}{result.stderr}")
        with open(metainfo_file) as f:
            metainfo = f.read()
        launchable = re.search(r'<launchable type="desktop-id">([^<]+)</launchable>', metainfo)
        check(launchable and os.path.basename(desktop_file) == launchable.group(1),
              "the metainfo does not name the installed menu entry")

    # Every picture and font of the tree, byte for byte.
    data_dir = f"{root}{prefix}/{datadir}"
    check(os.path.isdir(data_dir), f"no data directory {data_dir}")
    for subdir in ("Graphics", "data"):
        source = os.path.join(source_dir, subdir)
        for name in sorted(files_under(source)) if os.path.isdir(source) else []:
            installed = os.path.join(data_dir, subdir, name)
            with open(os.path.join(source, name), "rb") as a:
                same = os.path.isfile(installed) and open(installed, "rb").read() == a.read()
            check(same, f"{subdir}/{name} not installed as it is in the tree")


def test_install(build_dir, source_dir, cmake, work):
    # A staged install: DESTDIR in front of a final prefix that does not exist on this machine.
    stage = os.path.join(work, "stage")
    prefix = "/opt/grimvale-final-prefix"
    env = dict(os.environ, DESTDIR=stage)
    result = run([cmake, "--install", build_dir, "--prefix", prefix], env=env)
    if not check(result.returncode == 0, f"cmake --install with DESTDIR: {result.stdout}{result.stderr}"):
        return
    check(set(os.listdir(stage)) == {"opt"}, f"DESTDIR install wrote outside its prefix: {os.listdir(stage)}")
    check_desktop_files(stage, prefix, source_dir)

    launcher = f"{stage}{prefix}/bin/grimvale"
    program = f"{stage}{prefix}/libexec/grimvale/grimvale"
    with open(launcher) as f:
        text = f.read()
    check(f"'{prefix}/share/grimvale'" in text and stage not in text,
          "the staged launcher does not name the final data directory")
    elsewhere = os.path.join(work, "elsewhere")
    os.makedirs(elsewhere)
    check_launcher_failures(launcher, f"{prefix}/share/grimvale", {"GRIMVALE_ROOT": stage}, elsewhere)
    plain = run([launcher], cwd=elsewhere)
    check(plain.returncode != 0 and f"{prefix}/share/grimvale" in plain.stderr,
          f"the staged launcher run as it is does not look in its final prefix: {plain.stderr!r}")
    check_launch(launcher, f"{stage}{prefix}/share/grimvale", program, {"GRIMVALE_ROOT": stage}, elsewhere)

    # A plain install to a prefix, started with no help, then uninstalled through its manifest.
    prefix = os.path.join(work, "prefix with space")
    env = {name: value for name, value in os.environ.items() if name != "DESTDIR"}
    result = run([cmake, "--install", build_dir, "--prefix", prefix], env=env)
    if not check(result.returncode == 0, f"cmake --install to a prefix: {result.stdout}{result.stderr}"):
        return
    check_launch(f"{prefix}/bin/grimvale", f"{prefix}/share/grimvale", f"{prefix}/libexec/grimvale/grimvale",
                 {}, elsewhere)
    with open(os.path.join(build_dir, "install_manifest.txt")) as f:
        manifest = set(f.read().split("\n")) - {""}
    installed = {os.path.join(prefix, name) for name in files_under(prefix)}
    check(manifest == installed, f"the install manifest differs from what was installed: {manifest ^ installed}")
    for path in manifest:
        os.remove(path)
    check(not files_under(prefix), "files remain after removing the manifest's files")


def clean_copy(source_dir, copy):
    """The source as a fresh clone would have it, with uncommitted changes and new files but nothing
    git ignores (build trees); without git, everything but build trees."""
    listed = run(["git", "-C", source_dir, "ls-files", "-z", "--cached", "--others", "--exclude-standard"])
    if listed.returncode != 0:
        shutil.copytree(source_dir, copy, symlinks=True,
                        ignore=shutil.ignore_patterns(".git", "build*", "obj-*", "__pycache__"))
        return
    for name in filter(None, listed.stdout.split("\0")):
        if os.path.lexists(os.path.join(source_dir, name)):
            os.makedirs(os.path.dirname(os.path.join(copy, name)), exist_ok=True)
            shutil.copy2(os.path.join(source_dir, name), os.path.join(copy, name), follow_symlinks=False)


def check_system_install(deb, copy, work):
    """apt-get install, the package's own smoke test from another directory, apt-get remove: only as
    root on CI, whose machine is thrown away, and never over a grimvale the machine already has."""
    if os.geteuid() != 0 or os.environ.get("CI") != "true" or run(["dpkg", "-s", "grimvale"]).returncode == 0:
        print("system install skipped (only as root with CI=true and no grimvale installed)")
        return
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    failed_before = len(failures)
    try:
        result = run(["apt-get", "install", "-y", "--no-install-recommends", deb], env=env)
        if check(result.returncode == 0, f"apt-get install: {result.stdout}{result.stderr}"):
            smoke = run([os.path.join(copy, "debian/tests/smoke")], env=dict(os.environ, AUTOPKGTEST_TMP=work),
                        cwd=work, timeout=120)
            check(smoke.returncode == 0, f"debian/tests/smoke on the installed package: {smoke.stdout}{smoke.stderr}")
    finally:
        result = run(["apt-get", "remove", "-y", "grimvale"], env=env)
        check(result.returncode == 0, f"apt-get remove: {result.stdout}{result.stderr}")
    left = [path for path in ("/usr/games/grimvale", "/usr/libexec/grimvale", "/usr/share/games/grimvale")
            if os.path.lexists(path)]
    check(not left, f"apt-get remove left {left}")
    if len(failures) == failed_before:
        print("apt-get install, the smoke test from another directory, apt-get remove: passed")


def test_package(source_dir, work):
    copy = os.path.join(work, "grimvale")
    clean_copy(source_dir, copy)
    # Source and binary: lintian then reads the source package (debian/copyright and the rest) too.
    result = run(["dpkg-buildpackage", "-us", "-uc", f"-j{os.cpu_count()}"], cwd=copy, timeout=900)
    debs = glob.glob(os.path.join(work, "grimvale_*.deb"))
    if not check(result.returncode == 0 and len(debs) == 1,
                 f"dpkg-buildpackage: {result.stdout[-3000:]}{result.stderr[-3000:]}"):
        return
    deb = debs[0]

    # Every tag down to the informational and experimental ones is shown; errors and warnings fail the test.
    changes = glob.glob(os.path.join(work, "grimvale_*.changes"))[0]
    lint = run(["lintian", "--pedantic", "--display-info", "--display-experimental", changes])
    tags = [line for line in lint.stdout.splitlines() if re.match(r"[EWIPXOC]: ", line)]
    print(f"lintian --pedantic: {len(tags)} tag(s)", *tags, sep="\n  ")
    check(lint.returncode == 0 and not [tag for tag in tags if tag[0] in "EW"],
          f"lintian reports errors or warnings: {lint.stdout}{lint.stderr}")

    fields = {field: run(["dpkg-deb", "-f", deb, field]).stdout.strip()
              for field in ("Package", "Depends", "Section", "Maintainer")}
    print(f"{os.path.basename(deb)}: Depends: {fields['Depends']}")
    check(fields["Package"] == "grimvale", f"package name {fields['Package']!r}")
    check(re.search(r"(^|, )libsdl1\.2debian\b", fields["Depends"]), "the package does not depend on SDL 1.2's runtime")
    check(fields["Section"] == "games", f"package section {fields['Section']!r}")
    check(re.fullmatch(r"[^<>]+ <[^@<>]+@[^@<>]+>", fields["Maintainer"]), f"maintainer {fields['Maintainer']!r}")

    listing = run(["dpkg-deb", "-c", deb]).stdout
    packaged = {line.split()[5].lstrip(".") for line in listing.splitlines()}
    for path in ("/usr/games/grimvale", "/usr/libexec/grimvale/grimvale", "/usr/share/man/man6/grimvale.6.gz",
                 "/usr/share/doc/grimvale/copyright", "/usr/share/doc/grimvale/changelog.gz"):
        check(path in packaged, f"the package has no {path}")

    root = os.path.join(work, "root")
    check(run(["dpkg-deb", "-x", deb, root]).returncode == 0, "dpkg-deb -x failed")
    check(set(os.listdir(root)) == {"usr"}, f"the package installs outside /usr: {os.listdir(root)}")
    check_desktop_files(root, "/usr", source_dir, "games", "share/games/grimvale")
    with open(f"{root}/usr/games/grimvale") as f:
        check("'/usr/share/games/grimvale'" in f.read(), "the packaged launcher does not name /usr/share/games/grimvale")
    elsewhere = os.path.join(work, "elsewhere")
    os.makedirs(elsewhere)
    check_launch(f"{root}/usr/games/grimvale", f"{root}/usr/share/games/grimvale",
                 f"{root}/usr/libexec/grimvale/grimvale", {"GRIMVALE_ROOT": root}, elsewhere)
    check_system_install(deb, copy, elsewhere)


def main():
    what, build_dir, source_dir = sys.argv[1:4]
    manifests = {path: open(path).read() for path in glob.glob(os.path.join(build_dir, "install_manifest*.txt"))}
    work = tempfile.mkdtemp(prefix="grimvale-install-")
    try:
        if what == "install":
            test_install(build_dir, source_dir, sys.argv[4], work)
        if what == "package":
            test_package(source_dir, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
        for path in glob.glob(os.path.join(build_dir, "install_manifest*.txt")):
            if path not in manifests:
                os.remove(path)
        for path, text in manifests.items():
            with open(path, "w") as f:
                f.write(text)
    print(f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
