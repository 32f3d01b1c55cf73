# Drives the real game in a real X window (its own Xvfb, the built binary, XTEST key presses, screenshots)
# or on Wayland (its own headless sway, wtype key presses, grim screenshots).
#
# Everything here polls with a generous bound instead of sleeping for a fixed time: the game runs a
# 60 frames a second loop and the machine may be busy, so a state is awaited, never assumed.
import contextlib
import ctypes
import glob
import json
import os
import re
import shutil
import shlex
import signal
import subprocess
import tempfile
import time
import zlib
from collections import namedtuple

# A picture as read from a screenshot or a BMP file: width, height, and the RGB bytes row after row.
Picture = namedtuple("Picture", "width height rgb")

# One run of the game: the X display it shows on, its window, the processes and where files are kept.
Session = namedtuple("Session", "display env xvfb game window appeared_after keep_dir shots wm")

WINDOW_BOUND_S = 20.0     # the game's window must be mapped within this time
PICTURE_BOUND_S = 15.0    # any awaited picture must show within this time
EXIT_BOUND_S = 10.0       # the game must end within this time after a quit request
TOOL_BOUND_S = 20.0       # any single call of xdotool or ImageMagick
POLL_S = 0.05


def fail(message):
    """A check that did not hold; the message says what was seen."""
    raise AssertionError(message)


def _die_with_parent():
    # The children must not outlive the driver, even when it is killed outright (a CTest timeout).
    libc = ctypes.CDLL(None, use_errno=True)
    pr_set_pdeathsig = 1
    libc.prctl(pr_set_pdeathsig, signal.SIGKILL)


def _stop_group(process, bound_s=5.0):
    """Ends a process started in its own group and everything in that group: TERM, a wait for the group's
    leader, then KILL for whatever is left (Xvfb runs helpers of its own)."""
    if process is None:
        return
    with contextlib.suppress(ProcessLookupError):
        os.killpg(process.pid, signal.SIGTERM)
    with contextlib.suppress(subprocess.TimeoutExpired):
        process.wait(timeout=bound_s)
    with contextlib.suppress(ProcessLookupError):
        os.killpg(process.pid, signal.SIGKILL)
    process.wait()


def live_members(pgid):
    """The processes of a group that are still running; zombies awaiting their reaper are not counted."""
    members = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[2]) == pgid and fields[0] not in ("Z", "X"):
            members.append(int(entry))
    return members


def _start_xvfb(keep_dir, screen):
    """Starts Xvfb on the first free display number, which it reports through -displayfd once it is ready.
    -noreset: by default the server resets when its last client leaves, and a client that connects during
    the reset is turned away; the polling xdotool calls come and go while the game is still connecting."""
    read_end, write_end = os.pipe()
    log = open(os.path.join(keep_dir, "xvfb.log"), "wb")
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen + "x24", "-nolisten", "tcp", "-noreset"],
        stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
        pass_fds=(write_end,), start_new_session=True, preexec_fn=_die_with_parent)
    os.close(write_end)
    log.close()
    number = b""
    deadline = time.monotonic() + WINDOW_BOUND_S
    os.set_blocking(read_end, False)
    while not number.endswith(b"\n") and time.monotonic() < deadline and xvfb.poll() is None:
        try:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        except BlockingIOError:
            time.sleep(POLL_S)
    os.close(read_end)
    if not number.strip().isdigit():
        _stop_group(xvfb)
        fail("Xvfb did not report a display within %.0f s (see %s)" % (WINDOW_BOUND_S, os.path.join(keep_dir, "xvfb.log")))
    return xvfb, ":" + number.strip().decode()


def tool(env, *args, binary=False):
    """Runs xdotool or ImageMagick against the session's display; its output, or a failure naming the call."""
    try:
        done = subprocess.run(list(args), env=env, stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=TOOL_BOUND_S)
    except subprocess.TimeoutExpired:
        fail("%s did not finish within %.0f s" % (" ".join(args), TOOL_BOUND_S))
    if done.returncode != 0:
        fail("%s failed with status %d: %s" % (" ".join(args), done.returncode, done.stderr.decode(errors="replace").strip()))
    return done.stdout if binary else done.stdout.decode()


def _await_window(env, game, keep_dir):
    deadline = time.monotonic() + WINDOW_BOUND_S
    started = time.monotonic()
    while time.monotonic() < deadline:
        if game.poll() is not None:
            fail("the game ended with status %d before its window appeared" % game.returncode)
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Grimvale$"], env=env,
                               stdin=subprocess.DEVNULL, capture_output=True, timeout=TOOL_BOUND_S)
        ids = found.stdout.split()
        if found.returncode == 0 and ids:
            return ids[0].decode(), time.monotonic() - started
        time.sleep(POLL_S)
    with open(os.path.join(keep_dir, "game-output.txt"), "rb") as output:
        said = output.read().decode(errors="replace").strip()
    # What the display holds instead, kept for a look afterwards: a window of another name, or one
    # that was never mapped, says where the game got to.
    windows = subprocess.run(["xwininfo", "-root", "-tree"], env=env, stdin=subprocess.DEVNULL,
                             capture_output=True, timeout=TOOL_BOUND_S).stdout
    with open(os.path.join(keep_dir, "windows.txt"), "wb") as kept:
        kept.write(windows)
    fail("no visible window named Grimvale on display %s within %.0f s (the game %s; its windows in %s); the game's output: %s"
         % (env["DISPLAY"], WINDOW_BOUND_S, "still runs" if game.poll() is None else "has ended",
            os.path.join(keep_dir, "windows.txt"), said or "(none)"))


def _start_window_manager(env, keep_dir):
    """openbox on the session's display, as on a desktop: full screen needs a window manager to grant it.
    Waits until openbox has run its start-up command, which it does once it manages windows. It names
    itself on the root window (_NET_SUPPORTING_WM_CHECK) earlier, while it still starts up: a window
    mapped then was left unmapped, and SDL waits for its window to be mapped without end."""
    log = open(os.path.join(keep_dir, "openbox.log"), "wb")
    ready = os.path.join(keep_dir, "openbox-ready")
    wm = subprocess.Popen(["openbox", "--sm-disable", "--startup", "touch " + shlex.quote(ready)], env=env,
                          stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT, start_new_session=True,
                          preexec_fn=_die_with_parent)
    log.close()
    deadline = time.monotonic() + WINDOW_BOUND_S
    while time.monotonic() < deadline and wm.poll() is None:
        if os.path.exists(ready):
            return wm
        time.sleep(POLL_S)
    _stop_group(wm)
    fail("openbox did not start managing windows within %.0f s (see %s)" % (WINDOW_BOUND_S, os.path.join(keep_dir, "openbox.log")))


@contextlib.contextmanager
def game_session(game_binary, root, keep_dir, screen="800x600", window_manager=False, game_env=None):
    """Starts Xvfb (a screen of the given size, with openbox when asked) and the game the way the README's run
    command does (build/grimvale from the directory holding Graphics/ and data/), waits for its window, and
    stops them all, whatever happens inside."""
    shutil.rmtree(keep_dir, ignore_errors=True)
    os.makedirs(keep_dir)
    xvfb = None
    wm = None
    game = None
    try:
        xvfb, display = _start_xvfb(keep_dir, screen)
        env = dict(os.environ)
        env["DISPLAY"] = display
        env.pop("SDL_VIDEODRIVER", None)  # the game must open a real X window, whatever the caller set
        env.pop("GRIMVALE_SCALE", None)   # and choose its own scale, unless the scenario says otherwise
        env["XDG_CONFIG_HOME"] = keep_dir  # the default keys and speed, not the tester's own controls file
        env.update(game_env or {})
        if window_manager:
            wm = _start_window_manager(env, keep_dir)
        with open(os.path.join(keep_dir, "game-output.txt"), "wb") as output:
            game = subprocess.Popen([game_binary], cwd=root, env=env, stdin=subprocess.DEVNULL,
                                    stdout=output, stderr=subprocess.STDOUT,
                                    start_new_session=True, preexec_fn=_die_with_parent)
        window, took = _await_window(env, game, keep_dir)
        yield Session(display, env, xvfb, game, window, took, keep_dir, [], wm)
    finally:
        _stop_group(game)
        _stop_group(wm)
        _stop_group(xvfb)


def game_output(session):
    with open(os.path.join(session.keep_dir, "game-output.txt"), "rb") as output:
        return output.read().decode(errors="replace").strip()


def window_size(session):
    shell = tool(session.env, "xdotool", "getwindowgeometry", "--shell", session.window)
    values = dict(line.split("=", 1) for line in shell.split() if "=" in line)
    return int(values["WIDTH"]), int(values["HEIGHT"])


def window_geometry(session):
    """Where the window sits on the screen and its size: x, y, width, height."""
    shell = tool(session.env, "xdotool", "getwindowgeometry", "--shell", session.window)
    values = dict(line.split("=", 1) for line in shell.split() if "=" in line)
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def focus_elsewhere(session):
    """Gives the keyboard to the root window, as clicking another program would take it from the game."""
    root = re.search(r"Window id: (0x[0-9a-f]+)", tool(session.env, "xwininfo", "-root")).group(1)
    tool(session.env, "xdotool", "windowfocus", root)


def focus(session):
    # Without a window manager the window gets the input focus directly; XTEST key events go to it.
    tool(session.env, "xdotool", "windowfocus", "--sync", session.window)


def key_down(session, *keys):
    tool(session.env, "xdotool", "keydown", *keys)


def key_up(session, *keys):
    tool(session.env, "xdotool", "keyup", *keys)


def key_press(session, key):
    tool(session.env, "xdotool", "key", key)


def parse_ppm(data):
    """Reads a binary PPM (P6, 8 bits a channel) into a Picture."""
    fields = re.match(rb"P6\s+(?:#[^\n]*\s+)*(\d+)\s+(\d+)\s+(\d+)\s", data)
    if not fields or int(fields.group(3)) != 255:
        fail("not an 8-bit binary PPM: %r" % data[:20])
    width, height = int(fields.group(1)), int(fields.group(2))
    rgb = data[fields.end():fields.end() + width * height * 3]
    if len(rgb) != width * height * 3:
        fail("PPM of %dx%d holds only %d bytes" % (width, height, len(rgb)))
    return Picture(width, height, rgb)


def screenshot(session, label):
    """The window's contents now. Every screenshot is remembered so that a failing test can keep them."""
    data = tool(session.env, "import", "-window", session.window, "-depth", "8", "ppm:-", binary=True)
    picture = parse_ppm(data)
    if session.shots and session.shots[-1][0] == label:
        session.shots.pop()  # of a run of screenshots awaiting one thing, the last one tells
    session.shots.append((label, picture))
    return picture


def read_picture(path):
    """A picture file (the game's BMPs) as RGB, read through ImageMagick."""
    if not os.path.exists(path):
        fail("%s is missing" % path)
    done = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=TOOL_BOUND_S)
    if done.returncode != 0:
        fail("ImageMagick cannot read %s: %s" % (path, done.stderr.decode(errors="replace").strip()))
    return parse_ppm(done.stdout)


def await_picture(session, label, check, bound_s=PICTURE_BOUND_S):
    """Takes screenshots until check(picture) returns None (the picture is as awaited) or the bound passes.
    check returns a text saying what is still wrong; the last one goes into the failure message."""
    deadline = time.monotonic() + bound_s
    wrong = "no screenshot taken"
    while True:
        if session.game.poll() is not None:
            fail("the game ended with status %d while awaiting %s; its output: %s"
                 % (session.game.returncode, label, game_output(session) or "(none)"))
        picture = screenshot(session, label)
        wrong = check(picture)
        if wrong is None:
            return picture
        if time.monotonic() >= deadline:
            fail("%s: not seen within %.0f s: %s" % (label, bound_s, wrong))
        time.sleep(POLL_S)


def await_exit(session, bound_s=EXIT_BOUND_S):
    try:
        return session.game.wait(timeout=bound_s)
    except subprocess.TimeoutExpired:
        fail("the game was still running %.0f s after the quit request" % bound_s)


def write_png(path, picture):
    def chunk(kind, body):
        return (len(body).to_bytes(4, "big") + kind + body
                + zlib.crc32(kind + body).to_bytes(4, "big"))
    stride = picture.width * 3
    rows = b"".join(b"\0" + picture.rgb[y * stride:(y + 1) * stride] for y in range(picture.height))
    header = picture.width.to_bytes(4, "big") + picture.height.to_bytes(4, "big") + bytes([8, 2, 0, 0, 0])
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 6))
                  + chunk(b"IEND", b""))


def keep_screenshots(session):
    """Writes every screenshot of the session as a PNG into its keep directory; returns their paths."""
    paths = []
    for number, (label, picture) in enumerate(session.shots, 1):
        name = "%02d-%s.png" % (number, re.sub(r"[^A-Za-z0-9]+", "-", label).strip("-"))
        path = os.path.join(session.keep_dir, name)
        write_png(path, picture)
        paths.append(path)
    return paths


# Pixel helpers. Positions are screen pixels from the window's top-left corner, as in the game.

def pixel(picture, x, y):
    i = (y * picture.width + x) * 3
    return tuple(picture.rgb[i:i + 3])


def row(picture, y, x0=0, x1=None):
    x1 = picture.width if x1 is None else x1
    start = (y * picture.width + x0) * 3
    return picture.rgb[start:start + (x1 - x0) * 3]


def differing_pixels(a, b, skip=lambda x, y: False, limit=None):
    """Positions where two pictures of the same size differ; rows that are equal are passed over whole."""
    found = []
    for y in range(a.height):
        ra, rb = row(a, y), row(b, y)
        if ra == rb:
            continue
        for x in range(a.width):
            if ra[x * 3:x * 3 + 3] != rb[x * 3:x * 3 + 3] and not skip(x, y):
                found.append((x, y))
                if limit is not None and len(found) >= limit:
                    return found
    return found


def matching_share(screen, sprite, x, y):
    """The share of the sprite's pixels that the screen shows unchanged with the sprite's corner at (x, y);
    pixels that fall outside the screen count as not matching."""
    same = 0
    for sy in range(sprite.height):
        ty = y + sy
        if ty < 0 or ty >= screen.height:
            continue
        for sx in range(sprite.width):
            tx = x + sx
            if 0 <= tx < screen.width and pixel(screen, tx, ty) == pixel(sprite, sx, sy):
                same += 1
    return same / (sprite.width * sprite.height)


def find_sprite(screen, sprite, min_share=0.8):
    """Where the whole sprite shows on the screen: (share, x, y) of every place where at least min_share of
    its pixels match and no better place overlaps, best first. Candidates come from exact matches of whole sprite rows (fast byte
    searches), so a sprite partly covered by something drawn over it is still found."""
    votes = {}
    rows = [row(sprite, sy) for sy in range(sprite.height)]
    useful = [(sy, r) for sy, r in enumerate(rows) if len(set(r[i:i + 3] for i in range(0, len(r), 3))) > 1]
    if not useful:
        useful = list(enumerate(rows))
    for ty in range(screen.height):
        line = row(screen, ty)
        for sy, r in useful:
            start = line.find(r)
            while start != -1:
                if start % 3 == 0:
                    place = (start // 3, ty - sy)
                    votes[place] = votes.get(place, 0) + 1
                start = line.find(r, start + 1)
    needed = max(1, int(len(useful) * min_share * 0.5))
    found = []
    for (x, y), count in votes.items():
        if count >= needed:
            share = matching_share(screen, sprite, x, y)
            if share >= min_share:
                found.append((share, x, y))
    found.sort(reverse=True)
    # A sprite shifted by a pixel still matches much of itself: of overlapping places keep the best.
    best = []
    for share, x, y in found:
        if all(abs(x - bx) >= sprite.width or abs(y - by) >= sprite.height for _, bx, by in best):
            best.append((share, x, y))
    return best


# Wayland: the game on a headless sway (no X server, XWayland off), keys by wtype, pictures by grim.

# One run of the game on sway: the client environment, the compositor, the game, the virtual keyboard
# held connected, where files are kept, the screenshots.
WaylandSession = namedtuple("WaylandSession", "env sway game keyboard keep_dir shots")

KEY_HOLD_MS = 90          # the game reads held keys once a pass: a key is held over several passes
SWAY_USER = 64000         # sway refuses to run as root: a uid of its own, with no account needed


def wayland_unavailable():
    """Why sway cannot run here at all (a tool missing), or None."""
    missing = [name for name in ("sway", "swaymsg", "wtype", "grim") if shutil.which(name) is None]
    if os.geteuid() == 0 and shutil.which("setpriv") is None:
        missing.append("setpriv")
    return "not installed: %s" % ", ".join(missing) if missing else None


def _as_sway_user(runtime):
    """The command prefix that runs sway as an unprivileged user: as root, a throwaway uid and gid
    through setpriv, its runtime directory made over to it; otherwise the caller itself."""
    if os.geteuid() != 0:
        return []
    os.chown(runtime, SWAY_USER, SWAY_USER)
    return ["setpriv", "--reuid", str(SWAY_USER), "--regid", str(SWAY_USER), "--clear-groups", "--"]


def swaymsg(session, *command):
    return tool(session.env, "swaymsg", "--raw", *command)


def sway_tree(session):
    return json.loads(tool(session.env, "swaymsg", "--raw", "-t", "get_tree"))


def game_node(session):
    """The game's window in sway's tree (its app_id is the program's name), or None."""
    nodes = [sway_tree(session)]
    while nodes:
        node = nodes.pop()
        if node.get("app_id") == "grimvale":
            return node
        nodes.extend(node.get("nodes", []) + node.get("floating_nodes", []))
    return None


def content_rect(node):
    """Where the window's own surface lies on the output, in the output's logical pixels: x, y, w, h."""
    outer, inner = node["rect"], node["window_rect"]
    return outer["x"] + inner["x"], outer["y"] + inner["y"], inner["width"], inner["height"]


@contextlib.contextmanager
def wayland_session(game_binary, root, keep_dir, output="1920x1080", config_lines=()):
    """Starts a headless sway with one output of the given size, a virtual keyboard that stays
    connected (a seat without a keyboard loses the first key a client is sent), and the game as the
    README runs it; waits for its window and stops them all, whatever happens inside."""
    shutil.rmtree(keep_dir, ignore_errors=True)
    os.makedirs(keep_dir)
    runtime = tempfile.mkdtemp(prefix="grimvale-sway-")
    os.chmod(runtime, 0o700)
    config = os.path.join(runtime, "config")
    with open(config, "w") as out:
        out.write("output HEADLESS-1 resolution %s\nxwayland disable\n" % output)
        out.write("".join(line + "\n" for line in config_lines))
    os.chmod(config, 0o644)
    sway = game = keyboard = None
    try:
        compositor_env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": runtime,
                          "XDG_RUNTIME_DIR": runtime, "WLR_BACKENDS": "headless",
                          "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman"}
        prefix = _as_sway_user(runtime)
        with open(os.path.join(keep_dir, "sway.log"), "wb") as log:
            sway = subprocess.Popen(prefix + ["sway", "-c", config], env=compositor_env, stdin=subprocess.DEVNULL,
                                    stdout=log, stderr=subprocess.STDOUT, start_new_session=True,
                                    preexec_fn=_die_with_parent)
        deadline = time.monotonic() + WINDOW_BOUND_S
        while time.monotonic() < deadline and sway.poll() is None and not (
                glob.glob(os.path.join(runtime, "wayland-*[0-9]")) and glob.glob(os.path.join(runtime, "sway-ipc.*"))):
            time.sleep(POLL_S)
        sockets = glob.glob(os.path.join(runtime, "wayland-*[0-9]"))
        ipc = glob.glob(os.path.join(runtime, "sway-ipc.*"))
        if not sockets or not ipc:
            fail("sway did not start within %.0f s (see %s)" % (WINDOW_BOUND_S, os.path.join(keep_dir, "sway.log")))
        env = dict(os.environ)
        for name in ("DISPLAY", "SDL_VIDEODRIVER", "GRIMVALE_SCALE", "SDL12COMPAT_WINDOW_SCALING"):
            env.pop(name, None)  # the game finds Wayland by itself and chooses its own scale
        env.update({"XDG_RUNTIME_DIR": runtime, "WAYLAND_DISPLAY": os.path.basename(sockets[0]),
                    "SWAYSOCK": ipc[0], "XDG_CONFIG_HOME": keep_dir})
        # In the sanitized tree, the Wayland stack's libraries (xkbcommon, and Mesa's drivers, unloaded
        # before the exit so that their blocks name no library) keep blocks the leak check would lay at
        # the game's door; the game's own leaks are checked on X11 and the dummy driver.
        env["ASAN_OPTIONS"] = ":".join(filter(None, [env.get("ASAN_OPTIONS"), "detect_leaks=0"]))
        keyboard = subprocess.Popen(["wtype", "-"], env=env, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL, start_new_session=True, preexec_fn=_die_with_parent)
        session = WaylandSession(env, sway, None, keyboard, keep_dir, [])
        with open(os.path.join(keep_dir, "game-output.txt"), "wb") as output_file:
            game = subprocess.Popen([game_binary], cwd=root, env=env, stdin=subprocess.DEVNULL, stdout=output_file,
                                    stderr=subprocess.STDOUT, start_new_session=True, preexec_fn=_die_with_parent)
        session = session._replace(game=game)
        deadline = time.monotonic() + WINDOW_BOUND_S
        while game_node(session) is None:
            if game.poll() is not None:
                fail("the game ended with status %d before its window appeared; its output: %s"
                     % (game.returncode, game_output(session) or "(none)"))
            if time.monotonic() >= deadline:
                fail("no Grimvale window on sway within %.0f s" % WINDOW_BOUND_S)
            time.sleep(POLL_S)
        yield session
    finally:
        _stop_group(game)
        if keyboard is not None:
            keyboard.stdin.close()
        _stop_group(keyboard)
        _stop_group(sway)
        shutil.rmtree(runtime, ignore_errors=True)


def wayland_key(session, key):
    """One key pressed and held for a few passes, then released."""
    tool(session.env, "wtype", "-P", key, "-s", str(KEY_HOLD_MS), "-p", key)


def wayland_screenshot(session, label, rect=None):
    """The output now (grim, in the output's own pixels), or the part of it within rect (x, y, w, h in
    those pixels). Remembered as X screenshots are, for a failing test to keep."""
    picture = parse_ppm(tool(session.env, "grim", "-t", "ppm", "-", binary=True))
    if rect is not None:
        x, y, w, h = rect
        stride = picture.width * 3
        rows = [picture.rgb[(y + r) * stride + x * 3:(y + r) * stride + (x + w) * 3] for r in range(h)]
        picture = Picture(w, h, b"".join(rows))
    if session.shots and session.shots[-1][0] == label:
        session.shots.pop()
    session.shots.append((label, picture))
    return picture


def await_wayland(session, label, check, bound_s=PICTURE_BOUND_S):
    """Polls sway's tree and the output until check(node, screenshot_of) returns None, or fails with
    the last thing it said. screenshot_of(rect) takes a screenshot of that part of the output."""
    deadline = time.monotonic() + bound_s
    while True:
        if session.game.poll() is not None:
            fail("the game ended with status %d while awaiting %s; its output: %s"
                 % (session.game.returncode, label, game_output(session) or "(none)"))
        node = game_node(session)
        wrong = "the game's window is gone" if node is None else check(
            node, lambda rect: wayland_screenshot(session, label, rect))
        if wrong is None:
            return node
        if time.monotonic() >= deadline:
            fail("%s: not seen within %.0f s: %s" % (label, bound_s, wrong))
        time.sleep(POLL_S)
