#!/usr/bin/env python3
# The game played as a person would, in a real X window: start-up, the match, moving and firing, quitting,
# the window's scale on large and common screens, full screen under a window manager, and the pause;
# and on Wayland (headless sway): tiled, on a HiDPI output, and full screen there.
#
# Usage: scenarios.py SCENARIO --game build/grimvale --root REPO --keep DIR
# Exits 0 when every check of the scenario holds; otherwise prints what was seen, keeps the screenshots
# as PNG files under DIR/SCENARIO and names them, and exits 1.
import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import time

import harness
from harness import Picture, fail

SCREEN_W, SCREEN_H = 600, 500
CORNER = 130                     # the top-left corner that every frame redraws from the title picture
PLAYER_START = (100, 300)
WALK_PX_PER_FRAME = 2
FRAMES_PER_SECOND = 60
HOLD_RIGHT_S = 1.0

# The seven wall blocks of the arena, inclusive: x from, x to, y from, y to.
BLOCKS = (
    (21, 107, 53, 137),
    (178, 263, 53, 137),
    (315, 401, 53, 137),
    (473, 558, 53, 137),
    (316, 599, 188, 292),
    (29, 115, 343, 467),
    (314, 401, 343, 467),
)
assert len(BLOCKS) == 7

# The heads-up line along the bottom: what it shows and from which x, all at y = 480; each text is
# looked for between its x and the next one's (the last up to the screen's edge).
HUD_Y = 480
HUD_TEXTS = (
    ("Points:", 190),
    ("the score", 240),
    ("Weapon:", 270),
    ("the weapon's name", 340),
    ("Ammo:", 450),
    ("the ammunition", 500),
)
assert len(HUD_TEXTS) == 6


def graphics(root, name):
    return harness.read_picture(os.path.join(root, "Graphics", name))


def on_black_screen(picture):
    """The picture drawn at (0, 0) on a black 600x500 screen, as the game's blit leaves it."""
    if (picture.width, picture.height) == (SCREEN_W, SCREEN_H):
        return picture
    rows = []
    for y in range(SCREEN_H):
        line = harness.row(picture, y, 0, min(picture.width, SCREEN_W)) if y < picture.height else b""
        rows.append(line + b"\0" * (SCREEN_W * 3 - len(line)))
    return Picture(SCREEN_W, SCREEN_H, b"".join(rows))


def outside_corner(x, y):
    return x < CORNER and y < CORNER


def title_check(title):
    def check(shot):
        if (shot.width, shot.height) != (SCREEN_W, SCREEN_H):
            return "the window shows %dx%d pixels" % (shot.width, shot.height)
        wrong = harness.differing_pixels(shot, title, skip=outside_corner, limit=20)
        if wrong:
            x, y = wrong[0]
            return ("%s%d pixels outside the top-left %dx%d corner differ from Graphics/bg.bmp, the first at (%d, %d): "
                    "#%02x%02x%02x instead of #%02x%02x%02x"
                    % ("at least " if len(wrong) == 20 else "", len(wrong), CORNER, CORNER, x, y,
                       *harness.pixel(shot, x, y), *harness.pixel(title, x, y)))
        return None
    return check


def await_title(session, root):
    title = on_black_screen(graphics(root, "bg.bmp"))
    return harness.await_picture(session, "title screen", title_check(title))


def block_pixels(block, inset=2):
    x0, x1, y0, y1 = block
    return [(x, y) for y in range(y0 + inset, y1 + 1 - inset) for x in range(x0 + inset, x1 + 1 - inset)]


def wall_colours(arena):
    """The colours that the map shows inside its wall blocks (a brick wall has a few)."""
    return {harness.pixel(arena, x, y) for block in BLOCKS for x, y in block_pixels(block)}


def arena_check(arena, title):
    """The arena is on the screen when, inside every wall block, the screen shows the map's own pixels
    in the map's wall colours nearly everywhere; the actors, their shots and the texts may cover a
    little of a block."""
    walls = wall_colours(arena)
    for number, block in enumerate(BLOCKS, 1):
        inside = block_pixels(block)
        unlike_title = sum(harness.pixel(arena, x, y) != harness.pixel(title, x, y) for x, y in inside)
        if unlike_title < len(inside) // 2:
            fail("inside wall block %d Graphics/map1.bmp and Graphics/bg.bmp are alike: the arena cannot be told "
                 "from the title screen there" % number)

    def check(shot):
        for number, block in enumerate(BLOCKS, 1):
            inside = block_pixels(block)
            same = sum(harness.pixel(shot, x, y) == harness.pixel(arena, x, y) for x, y in inside)
            in_walls = sum(harness.pixel(shot, x, y) in walls for x, y in inside)
            if same < 0.85 * len(inside):
                return ("inside wall block %d at x %d..%d, y %d..%d only %d%% of the pixels are Graphics/map1.bmp's "
                        "own, and %d%% are in its %d wall colours"
                        % (number, *block, 100 * same // len(inside), 100 * in_walls // len(inside), len(walls)))
        return None
    return check


def hud_check(arena):
    """Each text of the heads-up line leaves yellow ink (the heads-up font's tint) where the map has none."""
    def check(shot):
        for number, (text, x0) in enumerate(HUD_TEXTS):
            x1 = HUD_TEXTS[number + 1][1] if number + 1 < len(HUD_TEXTS) else SCREEN_W
            ink = 0
            for y in range(HUD_Y - 2, SCREEN_H):
                for x in range(x0, x1):
                    r, g, b = harness.pixel(shot, x, y)
                    if (r, g, b) != harness.pixel(arena, x, y) and r >= 160 and g >= 160 and b <= 96:
                        ink += 1
            if ink < 4:
                return ("no yellow text for %s in the heads-up line (x %d..%d, y from %d): %d inked pixels"
                        % (text, x0, x1 - 1, HUD_Y - 2, ink))
        return None
    return check


def officer_at(shot, officer):
    found = harness.find_sprite(shot, officer)
    return [(x, y) for _, x, y in found]


def start_match(session, root):
    """From the title screen, the key 1 held until the title gives way, then released at once: held on
    past the first 50 match frames the same key would also pick the Knife. The title picture and the
    first screenshot of the match."""
    title = await_title(session, root)
    harness.focus(session)
    harness.key_down(session, "1")
    try:
        def left_title(shot):
            moved = harness.differing_pixels(shot, title, skip=outside_corner, limit=1000)
            return None if len(moved) >= 1000 else "the title screen still shows (%d pixels changed)" % len(moved)
        first = harness.await_picture(session, "title screen left", left_title)
    finally:
        harness.key_up(session, "1")
    return title, first


def scenario_startup(args, sessions):
    with harness.game_session(args.game, args.root, args.keep) as session:
        sessions.append(session)
        size = harness.window_size(session)
        if size != (SCREEN_W, SCREEN_H):
            fail("the window is %dx%d, not %dx%d" % (*size, SCREEN_W, SCREEN_H))
        await_title(session, args.root)
    return "the 600x500 window appeared after %.1f s and shows Graphics/bg.bmp" % session.appeared_after


def scenario_match(args, sessions):
    arena = graphics(args.root, "map1.bmp")
    officer = graphics(args.root, "swatr.bmp")
    with harness.game_session(args.game, args.root, args.keep) as session:
        sessions.append(session)
        title, _ = start_match(session, args.root)
        shot = harness.await_picture(session, "arena", arena_check(arena, on_black_screen(title)))
        places = officer_at(shot, officer)
        if PLAYER_START not in places:
            fail("the officer facing right (Graphics/swatr.bmp) is not at its start (%d, %d); found at %s"
                 % (*PLAYER_START, places or "no place"))
        harness.await_picture(session, "heads-up line", hud_check(arena))
    return "the arena, the officer at (100, 300) and the heads-up line show after the key 1"


def officer_check(officer, found):
    """Awaits the officer facing right at one place, which it appends to found."""
    def check(shot):
        places = officer_at(shot, officer)
        if len(places) != 1:
            return "the officer facing right (Graphics/swatr.bmp) shows at %s" % (places or "no place")
        found.append(places[0])
        return None
    return check


def scenario_move_and_fire(args, sessions):
    officer = graphics(args.root, "swatr.bmp")
    flash = graphics(args.root, "mflash.bmp")
    bullet = graphics(args.root, "bullet.bmp")
    with harness.game_session(args.game, args.root, args.keep) as session:
        sessions.append(session)
        # The gang member walks round the blocks onto the officer's line in some six seconds of play and
        # then shoots him down: everything here is done in the first seconds, with few screenshots.
        _, before = start_match(session, args.root)
        found = []
        if officer_check(officer, found)(before) is not None:
            before = harness.await_picture(session, "officer", officer_check(officer, found))
        if found[0] != PLAYER_START:
            fail("the officer starts at %s, not at %s" % (found[0], PLAYER_START))
        x, y = found[0]

        # Fire first, while the gang member is far off and facing down. The flash shows at the barrel,
        # (x + 20, y + 10), in every frame in which the shot flies; the shot starts at (x + 10, y + 10) and
        # moves 50 px a frame to the right.
        barrel = (x + 20, y + 10)
        line = [(bx, y + 10) for bx in range(x + 10, SCREEN_W, 50)]
        if harness.matching_share(before, flash, *barrel) >= 0.85:
            fail("a muzzle flash shows at the barrel %s before the space bar is pressed" % (barrel,))
        seen = []

        def fired(shot):
            if harness.matching_share(shot, flash, *barrel) >= 0.85:
                seen.append("the muzzle flash at %s" % (barrel,))
                return None
            for place in line:
                if harness.matching_share(shot, bullet, *place) >= 0.85 > harness.matching_share(before, bullet, *place):
                    seen.append("the shot at %s" % (place,))
                    return None
            return "neither the muzzle flash at %s nor a shot at any of %s" % (barrel, line)
        # The key 2 held with the space bar makes sure the Colt is in hand: the key 1 that started the
        # match also picks the Knife, which fires nothing, if it stays down past the first 50 match frames.
        harness.key_down(session, "2", "space")
        try:
            harness.await_picture(session, "shot or muzzle flash", fired)
        finally:
            harness.key_up(session, "space", "2")

        # The right arrow held for about a second: the officer walks 2 px a frame, at most 60 frames a second.
        began = time.monotonic()
        harness.key_down(session, "Right")
        try:
            time.sleep(HOLD_RIGHT_S)
        finally:
            harness.key_up(session, "Right")
        held_s = time.monotonic() - began
        harness.await_picture(session, "officer after walking", officer_check(officer, found))
        moved = found[-1]
        most = WALK_PX_PER_FRAME * int(FRAMES_PER_SECOND * held_s + 10)
        if moved[1] != y or not 10 * WALK_PX_PER_FRAME <= moved[0] - x <= most:
            fail("after the right arrow was held for %.2f s the officer went from %s to %s: expected the same y "
                 "and 20 to %d px to the right" % (held_s, (x, y), moved, most))

        harness.key_press(session, "Escape")
        status = harness.await_exit(session)
        if status != 0:
            fail("Escape during the match ended the game with status %d" % status)
    return ("the space bar showed %s; the officer walked from %s to %s in %.2f s of the right arrow; Escape then "
            "ended the game with status 0" % (seen[0], (x, y), moved, held_s))


def scenario_quit(args, sessions):
    with harness.game_session(args.game, args.root, args.keep) as session:
        sessions.append(session)
        harness.focus(session)
        asked = time.monotonic()
        harness.key_press(session, "Escape")
        status = harness.await_exit(session)
        took = time.monotonic() - asked
        if status != 0:
            fail("Escape ended the game with status %d; its output: %s" % (status, harness.game_output(session) or "(none)"))
        if harness.live_members(session.game.pid):
            fail("the game has ended but processes %s of its group still run" % harness.live_members(session.game.pid))
    # The session is closed and its Xvfb stopped: nothing of it may run on, and the display's lock file
    # and socket must be gone with it.
    if harness.live_members(session.xvfb.pid):
        fail("processes %s of the Xvfb group still run after it was stopped" % harness.live_members(session.xvfb.pid))
    number = session.display.lstrip(":")
    for leftover in ("/tmp/.X%s-lock" % number, "/tmp/.X11-unix/X%s" % number):
        if os.path.exists(leftover):
            fail("%s is left behind" % leftover)
    return "Escape ended the game with status 0 after %.2f s; no game or Xvfb process is left" % took


def scaled_title_check(title, scale, width, height, x0=0, y0=0, skip_rows=range(0)):
    """The title screen at a whole-number scale with its corner at (x0, y0) in a width x height shot, black
    around it: every scale x scale block one colour, and one pixel of each equal to Graphics/bg.bmp's
    (rows of the picture in skip_rows are passed over)."""
    def check(shot):
        if (shot.width, shot.height) != (width, height):
            return "the window shows %dx%d pixels, not %dx%d" % (shot.width, shot.height, width, height)
        if x0 and (harness.pixel(shot, 0, 0), harness.pixel(shot, width - 1, height - 1)) != ((0, 0, 0),) * 2:
            return "the corners of the screen, outside the picture, are not black"
        for y in (y for y in range(SCREEN_H) if y not in skip_rows):
            line = harness.row(shot, y0 + y * scale, x0, x0 + SCREEN_W * scale)
            wanted = b"".join(harness.row(title, y)[i:i + 3] * scale for i in range(0, SCREEN_W * 3, 3))
            if line != wanted or any(harness.row(shot, y0 + y * scale + k, x0, x0 + SCREEN_W * scale) != line
                                     for k in range(1, scale)):
                return "row %d of Graphics/bg.bmp is not shown in exact %dx%d blocks" % (y, scale, scale)
        return None
    return check


def await_geometry(session, wanted, label):
    """Polls the window's place and size until they are as wanted (None in wanted matches anything)."""
    deadline = time.monotonic() + harness.PICTURE_BOUND_S
    seen = harness.window_geometry(session)
    while not all(w is None or w == s for w, s in zip(wanted, seen)):
        if time.monotonic() >= deadline:
            fail("%s: the window is %dx%d at (%d, %d), not %s" % (label, seen[2], seen[3], seen[0], seen[1], wanted))
        time.sleep(harness.POLL_S)
        seen = harness.window_geometry(session)


def scenario_scale_4k(args, sessions):
    title = graphics(args.root, "bg.bmp")
    with harness.game_session(args.game, args.root, args.keep, screen="3840x2160") as session:
        sessions.append(session)
        if harness.window_size(session) != (1800, 1500):
            fail("on a 3840x2160 screen the window is %dx%d, not 1800x1500" % harness.window_size(session))
        harness.await_picture(session, "title screen at 3x", scaled_title_check(title, 3, 1800, 1500))
    return "on 3840x2160 the window is 1800x1500 and shows Graphics/bg.bmp in exact 3x3 blocks"


def scenario_scale_1080(args, sessions):
    with harness.game_session(args.game, args.root, args.keep, screen="1920x1080") as session:
        sessions.append(session)
        if harness.window_size(session) != (SCREEN_W, SCREEN_H):
            fail("on a 1920x1080 screen the window is %dx%d, not 600x500" % harness.window_size(session))
        await_title(session, args.root)
    return "on 1920x1080 the window is 600x500 and shows Graphics/bg.bmp"


def scenario_full_screen(args, sessions):
    title = graphics(args.root, "bg.bmp")
    full = scaled_title_check(title, 2, 1920, 1080, 360, 40)  # 2x is the largest that fits, centred
    with harness.game_session(args.game, args.root, args.keep, screen="1920x1080", window_manager=True) as session:
        sessions.append(session)
        await_title(session, args.root)
        for press, geometry, check in (("F11", (0, 0, 1920, 1080), full), ("F11", (None, None, SCREEN_W, SCREEN_H), None),
                                       ("alt+Return", (0, 0, 1920, 1080), full)):
            harness.focus(session)
            harness.key_press(session, press)
            await_geometry(session, geometry, "after %s" % press)
            if check:
                harness.await_picture(session, "full screen after %s" % press, check)
            else:
                await_title(session, args.root)
        # A window manager that dies leaves the root naming its check window, which is gone: no window
        # manager is there to grant full screen, and the game says so and stays in its window.
        harness.focus(session)
        harness.key_press(session, "F11")
        await_geometry(session, (None, None, SCREEN_W, SCREEN_H), "after F11 from full screen")
        session.wm.kill()
        session.wm.wait()
        named = re.search(r"window id # (0x[0-9a-f]+)", harness.tool(session.env, "xprop", "-root", "_NET_SUPPORTING_WM_CHECK"))
        if not named:
            fail("the root no longer names a check window once openbox is gone")
        if subprocess.run(["xprop", "-id", named.group(1)], env=session.env, capture_output=True).returncode == 0:
            fail("the check window %s outlived openbox" % named.group(1))
        harness.focus(session)
        harness.key_press(session, "F11")
        deadline = time.monotonic() + harness.PICTURE_BOUND_S
        while "no window manager" not in harness.game_output(session) and time.monotonic() < deadline:
            time.sleep(harness.POLL_S)
        if harness.game_output(session).count("no window manager") != 1:
            fail("with openbox dead, F11 was not refused in one line: %s" % (harness.game_output(session) or "(no output)"))
        time.sleep(0.5)
        await_geometry(session, (None, None, SCREEN_W, SCREEN_H), "after F11 with openbox dead")
        if session.game.poll() is not None:
            fail("the game ended (status %d) asking after the dead window manager" % session.game.returncode)
    return ("under openbox on 1920x1080, F11 filled the screen with the title at 2x centred on black, F11 again "
            "gave back the 600x500 window, Alt+Enter filled the screen again; with openbox killed and the root "
            "naming its vanished window, F11 was refused in one line and the game went on in its window")


def paused_check(arena):
    """The arena halved in wall block 1 and the pause line's yellow ink in the middle."""
    inside = block_pixels(BLOCKS[0])

    def check(shot):
        dim = sum(harness.pixel(shot, x, y) == tuple(c >> 1 for c in harness.pixel(arena, x, y)) for x, y in inside)
        ink = sum(harness.pixel(shot, x, y) == (255, 255, 0) for y in range(230, 275) for x in range(200, 400))
        if dim < 0.85 * len(inside) or ink < 20:
            return "%d%% of wall block 1 dimmed, %d pixels of yellow in the middle" % (100 * dim // len(inside), ink)
        return None
    return check


def scenario_pause(args, sessions):
    arena = graphics(args.root, "map1.bmp")
    with harness.game_session(args.game, args.root, args.keep) as session:
        sessions.append(session)
        title, _ = start_match(session, args.root)
        for how, pause in (("P", lambda: harness.key_press(session, "p")),
                           ("losing the keyboard", lambda: harness.focus_elsewhere(session))):
            harness.await_picture(session, "arena", arena_check(arena, on_black_screen(title)))
            pause()
            paused = harness.await_picture(session, "paused by %s" % how, paused_check(arena))
            time.sleep(1.0)
            if harness.differing_pixels(paused, harness.screenshot(session, "a second later"), limit=1):
                fail("paused by %s, the picture changed within a second" % how)
            harness.focus(session)
            harness.key_press(session, "p")
            harness.await_picture(session, "moving after P", lambda shot: None if harness.differing_pixels(
                shot, harness.screenshot(session, "arena"), limit=1) else "the picture stands still")
    return "P, and then losing the keyboard, froze the dimmed match under the pause line for a second; P set it moving"


PAUSE_LINE_ROWS = range(225, 281)   # the rows of the picture that the pause line may cross
SKIPPED = 77                        # CTest's mark of a test that could not run here


def whole_scale(width, height):
    """The largest whole-number scale at which the 600x500 picture fits width x height; at least 1."""
    return max([1] + [k for k in range(2, 9) if SCREEN_W * k <= width and SCREEN_H * k <= height])


def whole_in_window(picture, output_scale, skip_rows=range(0), size=None):
    """On sway: the window (of the given size in the output's logical pixels, when size is given)
    shows the picture whole at the largest whole-number scale that fits it, centred on black, each
    pixel an exact block of that scale times the output's."""
    def check(node, screenshot_of):
        x, y, w, h = harness.content_rect(node)
        if size is not None and (w, h) != size:
            return "the window is %dx%d, not %dx%d" % (w, h, *size)
        k = whole_scale(w, h)
        s = output_scale
        shot = screenshot_of((x * s, y * s, w * s, h * s))
        return scaled_title_check(picture, k * s, w * s, h * s, (w - SCREEN_W * k) // 2 * s, (h - SCREEN_H * k) // 2 * s,
                                  skip_rows)(shot)
    return check


def full_output(title, scale, width, height):
    """The whole output shows the title at scale, centred on black."""
    def check(node, screenshot_of):
        shot = screenshot_of(None)
        return scaled_title_check(title, scale, width, height, (width - SCREEN_W * scale) // 2,
                                  (height - SCREEN_H * scale) // 2)(shot)
    return check


def scenario_wayland(args, sessions):
    why = harness.wayland_unavailable()
    if why and os.environ.get("CI"):
        fail("sway cannot run on CI, where scripts/setup installs it: %s" % why)
    if why:
        print("skipped wayland: sway cannot run here (%s)" % why)
        sys.exit(SKIPPED)
    title = graphics(args.root, "bg.bmp")
    dimmed = Picture(title.width, title.height, bytes(c >> 1 for c in title.rgb))
    said = []
    # Tiled, as sway places every new window: the window takes its tile, and the picture sits in it
    # at the largest whole scale; paused while the tile shrinks (thicker borders, as when another window
    # joins it), it shows the paused picture at the new size; F11 and back give the tile back.
    with harness.wayland_session(args.game, args.root, args.keep) as session:
        sessions.append(session)
        node = harness.await_wayland(session, "title in the tile", whole_in_window(title, 1))
        tile = harness.content_rect(node)[2:]
        if node["type"] != "con" or tile == (SCREEN_W, SCREEN_H):
            fail("the window is not tiled: a %s of %dx%d" % (node["type"], *tile))
        harness.wayland_key(session, "p")
        harness.await_wayland(session, "paused in the tile", whole_in_window(dimmed, 1, PAUSE_LINE_ROWS, tile))
        harness.swaymsg(session, "[app_id=grimvale] border pixel 150")
        node = harness.await_wayland(session, "paused in the smaller tile", lambda node, shot_of: (
            "the window is still %dx%d" % tile if harness.content_rect(node)[2:] == tile
            else whole_in_window(dimmed, 1, PAUSE_LINE_ROWS)(node, shot_of)))
        smaller = harness.content_rect(node)[2:]
        harness.wayland_key(session, "p")
        harness.wayland_key(session, "F11")
        harness.await_wayland(session, "full screen", full_output(title, 2, 1920, 1080))
        harness.wayland_key(session, "F11")
        harness.await_wayland(session, "back in the tile", whole_in_window(title, 1, size=smaller))
        harness.wayland_key(session, "Escape")
        status = harness.await_exit(session)
        if status != 0:
            fail("Escape ended the game with status %d" % status)
        said.append("tiled in %dx%d at %dx, paused in %dx%d at %dx, F11 to 2x on 1920x1080 and back"
                    % (*tile, whole_scale(*tile), *smaller, whole_scale(*smaller)))
    # Floating on a HiDPI output, as GNOME and KDE place a window: 600x500 logical pixels, each an
    # exact 2x2 block; full screen and back alike.
    with harness.wayland_session(args.game, args.root, args.keep, config_lines=(
            "output HEADLESS-1 scale 2", 'for_window [app_id="grimvale"] floating enable')) as session:
        sessions.append(session)
        harness.await_wayland(session, "floating at output scale 2", whole_in_window(title, 2, size=(SCREEN_W, SCREEN_H)))
        harness.wayland_key(session, "F11")
        harness.await_wayland(session, "full screen at output scale 2", full_output(title, 2, 1920, 1080))
        harness.wayland_key(session, "F11")
        harness.await_wayland(session, "floating again", whole_in_window(title, 2, size=(SCREEN_W, SCREEN_H)))
        harness.wayland_key(session, "Escape")
        status = harness.await_exit(session)
        if status != 0:
            fail("Escape ended the game with status %d" % status)
    said.append("floating at output scale 2 in exact 2x2 blocks, full screen and back alike; Escape ended both with status 0")
    return "; ".join(said)


SCENARIOS = {
    "startup": scenario_startup,
    "match": scenario_match,
    "move_and_fire": scenario_move_and_fire,
    "quit": scenario_quit,
    "scale_4k": scenario_scale_4k,
    "scale_1080": scenario_scale_1080,
    "full_screen": scenario_full_screen,
    "pause": scenario_pause,
    "wayland": scenario_wayland,
}


def main():
    parser = argparse.ArgumentParser(description="Plays the game in a real X window and checks what it shows.")
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    parser.add_argument("--game", required=True, help="the built game binary")
    parser.add_argument("--root", required=True, help="the directory holding Graphics/ and data/")
    parser.add_argument("--keep", required=True, help="where a failing scenario keeps its screenshots")
    args = parser.parse_args()
    args.game = os.path.abspath(args.game)
    args.keep = os.path.join(os.path.abspath(args.keep), args.scenario)

    # A stop from outside (CTest's timeout, Ctrl-C) still runs the clean-up of the session.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    sessions = []
    try:
        said = SCENARIOS[args.scenario](args, sessions)
    except AssertionError as failure:
        print("FAILED %s: %s" % (args.scenario, failure))
        if sessions:
            kept = harness.keep_screenshots(sessions[-1])
            print("screenshots kept: %s" % (", ".join(kept) or "none taken"))
            print("game output: %s" % (harness.game_output(sessions[-1]) or "(none)"))
        print("files kept in %s" % args.keep)
        return 1
    print("passed %s: %s" % (args.scenario, said))
    shutil.rmtree(args.keep, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
