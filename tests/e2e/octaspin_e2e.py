#!/usr/bin/env python3
"""End-to-end test of the desktop program under a virtual X server.

Starts Xvfb, runs the real `octaspin`, drives it with xdotool as a user
would (mouse on the menu, Alt mnemonics, arrow keys, a drag, the colour
dialog, the About box, File > Exit, the close box) and checks screenshots
by colours and regions, never by exact pixels of decorations.

With --window-manager the display gets a real window manager (openbox),
and the run checks what it adds: the main window's caption on screen with
the client area below it, minimize and restore, a resize by the window
manager, captions on the dialogs, and the close box.

Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
Screenshots are kept as PNG files in --artifacts.
"""

import argparse
import os
import select
import shutil
import subprocess
import sys
import time

TOTAL_SECONDS = 110  # the whole run, both program starts included
OUTER = (0, 0, 640, 480)  # the main window's outer rectangle, frame included
SCREEN = (1024, 768)
SKIP = 77

FLAT_MIN_LIT = 5000  # lit pixels of the flat-shaded polyhedron, at least
WIRE_MIN_LINES = 150  # green line pixels of the wireframe, at least
WIRE_MAX_LINES = 2500  # ... and at most (the flat fill has over 5000)
WIRE_MAX_OTHER = 100  # coloured pixels that are not green lines
PREVIEW_PIXELS = 150 * 30  # the colour dialog's preview rectangle
MODEL_MIN_SHADES = 20  # green shades of a curved model in flat fill (the polyhedron shows 2)


class Failure(Exception):
    pass


# ---------------------------------------------------------------------------
# Screenshots


class Shot:
    """A screenshot: 24-bit RGB rows from the top."""

    def __init__(self, ppm):
        # P6 header: magic, width, height, maxval, each followed by blanks.
        fields = []
        pos = 0
        while len(fields) < 4:
            while ppm[pos : pos + 1].isspace():
                pos += 1
            if ppm[pos : pos + 1] == b"#":
                pos = ppm.index(b"\n", pos)
                continue
            start = pos
            while not ppm[pos : pos + 1].isspace():
                pos += 1
            fields.append(ppm[start:pos])
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise Failure("screenshot is not an 8-bit PPM image")
        self.width = int(fields[1])
        self.height = int(fields[2])
        self.data = ppm[pos + 1 :]
        self.ppm = ppm

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def rows(self, rect):
        """Yields (y, bytes of the row's part inside rect)."""
        left, top, right, bottom = rect
        for y in range(max(top, 0), min(bottom, self.height)):
            start = (y * self.width + max(left, 0)) * 3
            end = (y * self.width + min(right, self.width)) * 3
            yield y, self.data[start:end]


def is_green_lit(r, g, b):
    return g >= 60 and g > r + 30 and g > b + 30


def is_red_lit(r, g, b):
    return r >= 60 and r > g + 30 and r > b + 30


class Stats:
    """Counts of one region of a screenshot."""

    def __init__(self, shot, rect, skip_top=0):
        left, top, _, _ = rect
        self.green = self.red = self.nonblack = self.white = 0
        self.sum_x = self.sum_y = 0
        self.box = None  # bounding box of the lit (green or red) pixels
        self.exact = {}
        for y, row in shot.rows((rect[0], rect[1] + skip_top, rect[2], rect[3])):
            for i in range(0, len(row), 3):
                r, g, b = row[i], row[i + 1], row[i + 2]
                if r == 0 and g == 0 and b == 0:
                    continue
                self.nonblack += 1
                if r > 200 and g > 200 and b > 200:
                    self.white += 1
                self.exact[(r, g, b)] = self.exact.get((r, g, b), 0) + 1
                lit = False
                if is_green_lit(r, g, b):
                    self.green += 1
                    lit = True
                elif is_red_lit(r, g, b):
                    self.red += 1
                    lit = True
                if lit:
                    x = left + i // 3
                    self.sum_x += x
                    self.sum_y += y
                    if self.box is None:
                        self.box = [x, y, x, y]
                    else:
                        self.box = [
                            min(self.box[0], x),
                            min(self.box[1], y),
                            max(self.box[2], x),
                            max(self.box[3], y),
                        ]

    def lit(self):
        return self.green + self.red

    def centroid(self):
        n = self.lit()
        if n == 0:
            raise Failure("no lit pixels to locate the polyhedron")
        return self.sum_x / n, self.sum_y / n

    def box_height(self):
        return 0 if self.box is None else self.box[3] - self.box[1] + 1

    def other(self):
        """Pixels neither black, white, nor lit green or red."""
        return self.nonblack - self.white - self.green - self.red

    def count(self, rgb):
        return self.exact.get(rgb, 0)

    def __repr__(self):
        return "green %d, red %d, white %d, other %d, box %s" % (
            self.green,
            self.red,
            self.white,
            self.other(),
            self.box,
        )


# ---------------------------------------------------------------------------
# The session: X server, program, tools


class Session:
    def __init__(self, args):
        self.args = args
        self.deadline = time.monotonic() + TOTAL_SECONDS
        self.xvfb = None
        self.wm = None
        self.program = None
        self.env = None
        self.shots = 0
        self.log_path = os.path.join(args.artifacts, "octaspin-stderr.txt")
        self.window = None
        self.geometry = None
        self.client = None  # client rectangle in screen pixels
        self.menu_words = None  # [(left, right)] of the menu bar's titles
        self.first_frame_seconds = 20  # from the window to its first frame
        self.program_arguments = []  # after the program's name

    # --- plumbing ---------------------------------------------------------

    def left(self):
        remaining = self.deadline - time.monotonic()
        if remaining <= 0:
            raise Failure("the test ran out of its %d seconds" % TOTAL_SECONDS)
        return remaining

    def run(self, *command, check=True):
        result = subprocess.run(
            command,
            env=self.env,
            capture_output=True,
            timeout=min(self.left(), 20),
        )
        if check and result.returncode != 0:
            raise Failure(
                "%s failed (%d): %s"
                % (" ".join(command), result.returncode, result.stderr.decode(errors="replace"))
            )
        return result

    def xdotool(self, *arguments, check=True):
        return self.run("xdotool", *arguments, check=check)

    def start_server(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            [
                "Xvfb",
                "-displayfd",
                str(write_end),
                "-screen",
                "0",
                "%dx%dx24" % SCREEN,
                "-nolisten",
                "tcp",
                "-noreset",
            ],
            pass_fds=(write_end,),
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
        os.close(write_end)
        number = b""
        limit = time.monotonic() + 15
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(limit - time.monotonic(), 0))
            if not ready:
                raise Failure("Xvfb did not report its display within 15 seconds")
            chunk = os.read(read_end, 16)
            if not chunk:
                raise Failure("Xvfb ended before reporting its display")
            number += chunk
        os.close(read_end)
        self.env = dict(os.environ)
        self.env["DISPLAY"] = ":" + number.decode().strip()
        print("Xvfb on display %s" % self.env["DISPLAY"])

    def start_window_manager(self):
        """openbox with its stock configuration, its own files kept in the
        artifacts folder."""
        env = dict(self.env)
        for name in ("XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"):
            env[name] = os.path.join(self.args.artifacts, "wm-" + name.lower())
        log = open(os.path.join(self.args.artifacts, "openbox-stderr.txt"), "ab")
        self.wm = subprocess.Popen(
            ["openbox", "--sm-disable"], env=env, stdout=log, stderr=log, stdin=subprocess.DEVNULL
        )
        log.close()

        def managing():
            out = self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False).stdout
            return b"window id" in out

        self.wait_for("the window manager", managing, seconds=15)
        print("openbox manages the display")

    def start_program(self):
        log = open(self.log_path, "ab")
        self.program = subprocess.Popen(
            [self.args.program] + self.program_arguments, env=self.env, stdout=log, stderr=log,
            stdin=subprocess.DEVNULL
        )
        log.close()

    def stop(self):
        for process in (self.program, self.wm, self.xvfb):
            if process is not None and process.poll() is None:
                process.kill()
                process.wait()

    def program_exited(self):
        return self.program.poll() is not None

    def screenshot(self, name=None):
        ppm = self.run("import", "-window", "root", "-depth", "8", "ppm:-").stdout
        shot = Shot(ppm)
        if name is not None:
            self.shots += 1
            path = os.path.join(self.args.artifacts, "%02d-%s.png" % (self.shots, name))
            subprocess.run(["convert", "ppm:-", "png:" + path], input=ppm, check=False)
        return shot

    def wait_for(self, what, probe, seconds=10, interval=0.1):
        """Polls probe() until it returns a true value; returns that value."""
        limit = time.monotonic() + seconds
        last = None
        while True:
            self.left()
            if self.program is not None and self.program_exited():
                raise Failure("octaspin ended (code %s) while waiting for %s" % (
                    self.program.returncode, what))
            value = probe()
            if value:
                return value
            last = value
            if time.monotonic() >= limit:
                raise Failure(
                    "timed out after %ss waiting for %s (last: %r)" % (seconds, what, last)
                )
            time.sleep(interval)

    def wait_value(self, what, produce, accept, seconds=10):
        """Polls produce() until accept(value) holds; returns that value."""

        def probe():
            value = produce()
            return (value,) if accept(value) else None

        return self.wait_for(what, probe, seconds=seconds)[0]

    def find_window(self, title):
        result = self.xdotool("search", "--name", "^%s$" % title, check=False)
        ids = result.stdout.decode().split()
        return ids[0] if ids else None

    def window_rect(self, window_id):
        """The window's place on the screen, from the X server itself (a
        window manager's frame window sits between it and the root)."""
        info = {}
        for line in self.run("xwininfo", "-id", window_id).stdout.decode().splitlines():
            key, _, value = line.strip().partition(":")
            info[key] = value.strip()
        x = int(info["Absolute upper-left X"])
        y = int(info["Absolute upper-left Y"])
        w, h = int(info["Width"]), int(info["Height"])
        return {"X": x, "Y": y, "WIDTH": w, "HEIGHT": h}, (x, y, x + w, y + h)

    def frame_extents(self, window_id):
        """left, right, top, bottom of the window manager's frame, or None
        before the window manager has set them."""
        out = self.run("xprop", "-id", window_id, "_NET_FRAME_EXTENTS").stdout.decode()
        _, _, values = out.partition("=")
        sides = [int(v) for v in values.replace(",", " ").split()]
        return tuple(sides) if len(sides) == 4 else None

    def frame_rect(self, window_id):
        """The outer rectangle of a managed window, its frame included."""
        extents = self.wait_for("the frame extents", lambda: self.frame_extents(window_id))
        _, rect = self.window_rect(window_id)
        left, right, top, bottom = extents
        return (rect[0] - left, rect[1] - top, rect[2] + right, rect[3] + bottom), extents

    def window_gone(self, window_id):
        result = self.run("xwininfo", "-id", window_id, check=False)
        return result.returncode != 0 or b"IsViewable" not in result.stdout

    def model_argument(self):
        """The model file as the program's command line names it."""
        return self.args.model

    def close_window(self, window_id):
        """The close box of a main window."""
        self.press_close_box(window_id)

    def press_close_box(self, window_id):
        """The close box: through the window manager when one runs, else the
        message a window manager would send."""
        if self.args.window_manager:
            self.run("wmctrl", "-i", "-c", "0x%x" % int(window_id))
        else:
            self.run(self.args.close_helper, window_id)

    def expect_caption(self, window_id, what):
        """Under the window manager: the window has a caption, and its whole
        frame is on the screen. Returns the frame's rectangle."""
        outer, extents = self.frame_rect(window_id)
        if extents[2] <= 0:
            raise Failure("%s has no caption (frame extents %s)" % (what, extents))
        if outer[0] < 0 or outer[1] < 0 or outer[2] > SCREEN[0] or outer[3] > SCREEN[1]:
            raise Failure("%s's frame %s is not wholly on the screen" % (what, outer))
        print("  %s: frame %s, caption %d rows" % (what, outer, extents[2]))
        return outer

    # --- the overlay --------------------------------------------------------

    def overlay_region(self, shot):
        left, top, _, _ = self.client
        return b"".join(row for _, row in shot.rows((left, top, left + 260, top + 24)))

    def reference_overlay(self, width, height):
        """What the overlay's "WxH fps:" looks like for a client area of
        width x height: the same program's first frame from the headless
        runner (same font, same text code). Returns (columns, rows)."""
        path = os.path.join(self.args.artifacts, "reference-%dx%d.png" % (width, height))
        self.run(self.args.headless, "--frames", "1", "--client", "%dx%d" % (width, height),
                 "--png", path, "--quiet")
        ref = Shot(self.run("convert", "png:" + path, "-depth", "8", "ppm:-").stdout)
        # Text columns of the overlay's rows, grouped into words at blank
        # runs wider than a glyph's side bearings.
        inked = [
            any(ref.pixel(x, y) != (0, 0, 0) for y in range(24)) for x in range(min(ref.width, 300))
        ]
        words = []
        start = None
        blank = 0
        for x, ink in enumerate(inked + [False] * 5):
            if ink:
                start = x if start is None else start
                blank = 0
                last = x
            elif start is not None:
                blank += 1
                if blank >= 4:
                    words.append((start, last))
                    start = None
        if len(words) < 3:
            raise Failure("the reference overlay has %d words, expected 3" % len(words))
        columns = words[1][1] + 2  # through "fps:"
        rows = [row for _, row in ref.rows((0, 0, columns, 24))]
        return columns, rows

    @staticmethod
    def first_ink(lines):
        """(row, column) of the first pixel that is not black, or None."""
        for y, line in enumerate(lines):
            for i in range(0, len(line), 3):
                if line[i : i + 3] != b"\x00\x00\x00":
                    return y, i // 3
        return None

    def find_client_top(self):
        """The client's exact top edge, from the overlay text (drawn at a
        fixed place in the client area): the menu bar's dark bottom line
        looks like the black picture below it."""
        _, rows = self.reference_overlay(OUTER[2], OUTER[3])
        ref = self.first_ink(rows)
        left, top = self.client[0], self.client[1]  # at or above the true edge
        shot = self.screenshot()
        ink = self.first_ink([row for _, row in shot.rows((left, top, left + 100, top + 30))])
        if ink is None or ref is None or ink[1] != ref[1]:
            raise Failure("no overlay text where the reference has it (%r, %r)" % (ink, ref))
        exact = top + ink[0] - ref[0]
        self.client = (self.client[0], exact, self.client[2], self.client[3])
        self.bar_height = exact - self.geometry["Y"]

    def overlay_shows_size(self, width, height):
        """Waits until the overlay reads the frame size for a client area of
        width x height (both rounded down to a multiple of 4)."""
        columns, rows = self.reference_overlay(width, height)
        left, top = self.client[0], self.client[1]

        def matches():
            shot = self.screenshot()
            return [row for _, row in shot.rows((left, top, left + columns, top + 24))] == rows

        self.wait_for("the overlay to read %dx%d" % (width // 4 * 4, height // 4 * 4), matches)
        print("  the overlay reads %dx%d" % (width // 4 * 4, height // 4 * 4))

    # --- the main window ----------------------------------------------------

    def open_main_window(self):
        self.start_program()
        self.window = self.wait_for(
            "the main window", lambda: self.find_window("Windows Application"), seconds=20
        )
        name = self.xdotool("getwindowname", self.window).stdout.decode().strip()
        if name != "Windows Application":
            raise Failure("window title is %r" % name)
        # Without a window manager the window is the whole outer rectangle;
        # with one, the frame takes its share of it.
        expected = OUTER
        if self.args.window_manager:
            outer, extents = self.frame_rect(self.window)
            if outer != OUTER:
                raise Failure(
                    "the frame is at %s, not at %s (extents %s)" % (outer, OUTER, extents)
                )
            left, right, top, bottom = extents
            expected = (left, top, OUTER[2] - right, OUTER[3] - bottom)
        geometry, rect = self.window_rect(self.window)
        self.geometry = geometry
        if rect != expected:
            raise Failure("window is at %s, not at %s" % (rect, expected))
        # The window has its name from the moment it is made, before it is
        # shown; the focus can go only to a window on the screen.
        self.wait_for("the main window to be shown", lambda: not self.window_gone(self.window))
        self.xdotool("windowfocus", "--sync", self.window)

    def locate_client(self, shot):
        """The menu bar is the band of light grey at the window's top; the
        client area is the rest. Finds it and the menu titles on it."""
        x0, y0 = self.geometry["X"], self.geometry["Y"]
        w, h = self.geometry["WIDTH"], self.geometry["HEIGHT"]

        def light_grey(p):
            return max(p) - min(p) < 16 and 150 <= p[0] <= 245

        probe_x = x0 + w - 8  # right end of the bar, past the titles
        y = y0 + 3  # below the bar's top edge
        while y < y0 + h and light_grey(shot.pixel(probe_x, y)):
            y += 1
        # The bar's bottom edge may be drawn darker; skip to the black client.
        edge = y
        while y < y0 + h and y - edge < 4 and shot.pixel(probe_x, y) != (0, 0, 0):
            y += 1
        bar_height = y - y0
        if not 15 <= bar_height <= 40:
            raise Failure("no menu bar at the window's top (grey band %d rows)" % bar_height)
        self.client = (x0, y, x0 + w, y0 + h)
        self.bar_height = y - y0

        # Menu titles: runs of columns with dark text pixels in the bar.
        dark_columns = []
        for x in range(x0 + 4, x0 + w - 4):  # inside the bar's bevelled edges
            column_dark = any(max(shot.pixel(x, yy)) < 90 for yy in range(y0 + 3, y - 3))
            dark_columns.append(column_dark)
        words = []
        start = None
        gap = 0
        for i, dark in enumerate(dark_columns + [False] * 12):
            if dark:
                if start is None:
                    start = i
                gap = 0
                last = i
            elif start is not None:
                gap += 1
                if gap > 8:
                    words.append((x0 + 4 + start, x0 + 4 + last))
                    start = None
        if len(words) != 4:
            raise Failure("menu bar shows %d titles, expected File, Render, View, Help" % len(words))
        self.menu_words = words
        self.menu_y = (y0 + y) // 2
        print("client area %s, menu titles at %s" % (self.client, words))

    def stats(self, shot, skip_text=True):
        # The overlay text sits in the client's top rows; picture checks
        # leave those rows out.
        return Stats(shot, self.client, skip_top=24 if skip_text else 0)

    def overlay_text_pixels(self, shot):
        left, top, _, _ = self.client
        white = 0
        for _, row in shot.rows((left, top, left + 260, top + 24)):
            for i in range(0, len(row), 3):
                if row[i] > 200 and row[i + 1] > 200 and row[i + 2] > 200:
                    white += 1
        return white

    def is_flat_green(self, stats):
        return stats.green >= FLAT_MIN_LIT

    def is_wireframe(self, stats):
        # One-pixel green lines: few lit pixels and nothing else coloured
        # (the white strip below the frame does not count).
        return (
            WIRE_MIN_LINES <= stats.green <= WIRE_MAX_LINES
            and stats.red == 0
            and stats.other() <= WIRE_MAX_OTHER
        )

    def wait_picture(self, what, predicate, name, seconds=10):
        def probe():
            shot = self.screenshot()
            stats = self.stats(shot)
            return (shot, stats) if predicate(stats) else None

        shot, stats = self.wait_for(what, probe, seconds=seconds)
        self.screenshot(name)
        print("  %s: %r" % (what, stats))
        return shot, stats

    def popup_open_under(self, word):
        """A pull-down menu is open below the given title: the area under it
        is mostly the menu's light grey instead of the black picture."""
        shot = self.screenshot()
        grey = total = 0
        for _, row in shot.rows((word[0], self.client[1] + 2, word[0] + 30, self.client[1] + 32)):
            for i in range(0, len(row), 3):
                r, g, b = row[i], row[i + 1], row[i + 2]
                total += 1
                if max(r, g, b) - min(r, g, b) < 16 and 150 <= r <= 245:
                    grey += 1
        return grey > total // 2

    def item_rows(self, shot, word):
        """The text rows (top, bottom) of the items of the pull-down open
        under a title, top to bottom; divider lines are too thin to count."""
        x_from, x_to = word[0] + 20, word[0] + 50  # past the check box column
        rows = []
        top = None
        for y in range(self.client[1] + 2, self.client[1] + 140):
            dark = any(max(shot.pixel(x, y)) < 90 for x in range(x_from, x_to))
            if dark and top is None:
                top = y
            elif not dark and top is not None:
                if y - top >= 5:
                    rows.append((top, y))
                top = None
        if not rows:
            raise Failure("no item text found in the opened menu")
        return rows

    def checked_item(self, shot, word):
        """Index of the item that shows the check box (white inside), or
        None when no item is checked."""
        white = [
            y
            for y in range(self.client[1] + 2, self.client[1] + 140)
            if any(shot.pixel(x, y) == (255, 255, 255) for x in range(word[0] - 4, word[0] + 12))
        ]
        if not white:
            return None
        middle = (white[0] + white[-1]) // 2
        for index, (top, bottom) in enumerate(self.item_rows(shot, word)):
            if top - 4 <= middle <= bottom + 4:
                return index
        raise Failure("a check box at y=%d beside no item" % middle)

    def expect_checked(self, word, index, name):
        shot = self.screenshot(name)
        checked = self.checked_item(shot, word)
        if checked != index:
            raise Failure("the open menu marks item %s, expected item %d" % (checked, index))

    def menu_by_keys(self, title_key, item_key, word_index, checked=None):
        """Alt+title_key opens a pull-down, item_key picks from it. With
        `checked`, the open menu must mark that item."""
        # The pointer goes out of the way: an item under it is highlighted.
        self.xdotool("mousemove", str(self.client[2] - 20), str(self.client[3] - 20))
        self.xdotool("key", "--clearmodifiers", "alt+" + title_key)
        word = self.menu_words[word_index]
        self.wait_for("the menu to open", lambda: self.popup_open_under(word))
        if checked is not None:
            self.expect_checked(word, checked, "menu-alt-" + title_key)
        self.xdotool("key", item_key)

    def first_item_center(self, word, checked):
        """Clicks the title, checks which item is marked, and returns the
        middle of the first item's text row."""
        self.xdotool("mousemove", str((word[0] + word[1]) // 2), str(self.menu_y), "click", "1")
        self.wait_for("the Render menu to open", lambda: self.popup_open_under(word))
        self.expect_checked(word, checked, "render-menu-open")
        top, bottom = self.item_rows(self.screenshot(), word)[0]
        return word[0] + 20, (top + bottom) // 2

    def lit_centroid(self):
        xs, ys = [], []
        for _ in range(3):
            cx, cy = self.stats(self.screenshot()).centroid()
            xs.append(cx)
            ys.append(cy)
        return sum(xs) / len(xs), sum(ys) / len(ys)


# ---------------------------------------------------------------------------
# The checks, in the order a user would meet them


def first_frame(s):
    """Starts the program and waits for its first flat-shaded frame; finds
    the client area in it."""
    s.open_main_window()
    shot = s.wait_value(
        "the first flat-shaded frame",
        s.screenshot,
        lambda sh: Stats(sh, (0, 0, 640, 480)).green >= FLAT_MIN_LIT,
        seconds=s.first_frame_seconds,
    )
    s.locate_client(shot)


def check_start(s):
    first_frame(s)
    shot, stats = s.wait_picture("flat-shaded green polyhedron", s.is_flat_green, "start-flat")
    text = s.overlay_text_pixels(shot)
    if text < 40:
        raise Failure("no white frame-rate text at the client's top-left (%d white pixels)" % text)
    print("  overlay text: %d white pixels" % text)


def check_wireframe(s):
    # Render items: 0 Wireframe, 1 Flat, 2 Gouraud; the mark follows the mode.
    x, y = s.first_item_center(s.menu_words[1], checked=1)
    s.xdotool("mousemove", str(x), str(y), "click", "1")
    s.wait_picture("wireframe after Render > Wireframe by mouse", s.is_wireframe, "wireframe-mouse")

    s.menu_by_keys("r", "f", 1, checked=0)
    s.wait_picture("flat again after Alt+R, F", s.is_flat_green, "flat-keys")

    s.menu_by_keys("r", "w", 1, checked=1)
    s.wait_picture("wireframe after Alt+R, W", s.is_wireframe, "wireframe-keys")

    s.menu_by_keys("r", "f", 1, checked=0)
    s.wait_picture("flat after Alt+R, F", s.is_flat_green, "flat-again")


def check_arrow_keys(s):
    before_x, _ = s.lit_centroid()
    s.xdotool("key", "--delay", "30", "Left", "Left", "Left", "Left", "Left", "Left")
    moved_x, _ = s.wait_value(
        "the picture to move right after Left x6", s.lit_centroid, lambda c: c[0] > before_x + 30
    )
    s.screenshot("after-left-arrow")
    print("  Left x6 moved the polyhedron from x=%.0f to x=%.0f" % (before_x, moved_x))
    s.xdotool("key", "--delay", "30", "Right", "Right", "Right", "Right", "Right", "Right")
    back_x, _ = s.wait_value(
        "the picture to move back after Right x6",
        s.lit_centroid,
        lambda c: abs(c[0] - before_x) < 15,
    )
    print("  Right x6 brought it back to x=%.0f" % back_x)


def check_drag(s):
    start = s.stats(s.screenshot())
    cx, cy = start.centroid()
    tall = max(s.stats(s.screenshot()).box_height() for _ in range(3))
    s.xdotool("mousemove", str(int(cx)), str(int(cy)), "mousedown", "1")
    try:
        for step in (30, 60, 90, 120):
            s.xdotool("mousemove", str(int(cx)), str(int(cy) + step))
            time.sleep(0.05)

        # While the button is held the spin stands still and the picture
        # shows the drag's turn: the tall polyhedron tips toward the viewer.
        def tipped_and_still():
            a = s.screenshot()
            time.sleep(0.25)
            b = s.screenshot()
            sa, sb = s.stats(a), s.stats(b)
            still = sa.box == sb.box and sa.lit() == sb.lit()
            return sb if still and sb.box_height() < 0.8 * tall else None

        dragged = s.wait_for("the polyhedron to turn with the drag and stand", tipped_and_still)
        s.screenshot("dragging")
        print("  drag: lit box height %d -> %d, still while held" % (tall, dragged.box_height()))
    finally:
        s.xdotool("mouseup", "1")
    # File > Reset brings back the start orientation (the spin goes on).
    s.menu_by_keys("f", "r", 0)
    s.wait_for(
        "File > Reset to restore the tall polyhedron",
        lambda: s.stats(s.screenshot()).box_height() > 0.9 * tall,
    )


def check_wheel_and_pan(s):
    """The wheel (X buttons 4 and 5) walks the camera nearer and back, a
    drag with the middle button pans the picture with the pointer, and F
    puts the demo's camera back."""
    tall = max(s.stats(s.screenshot()).box_height() for _ in range(3))
    left, top, right, bottom = s.client
    s.xdotool("mousemove", str((left + right) // 2), str((top + bottom) // 2))
    s.xdotool("click", "--repeat", "6", "--delay", "40", "4")
    nearer = s.wait_value(
        "the polyhedron to grow with the wheel",
        lambda: s.stats(s.screenshot()).box_height(),
        lambda h: h > tall + 8,
    )
    s.xdotool("click", "--repeat", "6", "--delay", "40", "5")
    s.wait_value(
        "the wheel back to bring the size back",
        lambda: s.stats(s.screenshot()).box_height(),
        lambda h: abs(h - tall) <= 3,
    )
    before_x, _ = s.lit_centroid()
    cx, cy = (left + right) // 2 - 150, (top + bottom) // 2
    s.xdotool("mousemove", str(cx), str(cy), "mousedown", "2")
    try:
        for step in (20, 40, 60):
            s.xdotool("mousemove", str(cx + step), str(cy))
            time.sleep(0.05)
    finally:
        s.xdotool("mouseup", "2")
    panned_x, _ = s.wait_value(
        "the picture to follow the middle-button drag",
        s.lit_centroid,
        lambda c: abs(c[0] - (before_x + 60)) < 12,
    )
    s.xdotool("key", "f")
    back_x, _ = s.wait_value(
        "F to bring the demo's camera back", s.lit_centroid, lambda c: abs(c[0] - before_x) < 6
    )
    print(
        "  wheel: height %d -> %d; pan: x %.0f -> %.0f; F: x %.0f"
        % (tall, nearer, before_x, panned_x, back_x)
    )


def type_red_and_confirm(s, dialog, preview):
    """Types 0, 255 and 0 into the open colour dialog, sees its preview turn
    red while typing, confirms with Enter and waits for red lit faces.
    preview(rgb) is a screenshot when the dialog's preview shows rgb."""
    # The green field has the focus with its text selected; the tab order
    # is green, red, blue.
    s.xdotool("type", "--delay", "40", "0")
    s.xdotool("key", "Tab")
    s.xdotool("type", "--delay", "40", "255")
    s.xdotool("key", "Tab")
    s.xdotool("type", "--delay", "40", "0")
    s.wait_for("the preview to turn RGB(255, 0, 0) while typing", lambda: preview((255, 0, 0)))
    s.screenshot("colour-dialog-red")
    s.xdotool("key", "Return")
    s.wait_for("the dialog to close on Enter", lambda: s.window_gone(dialog))
    s.wait_picture(
        "red lit faces", lambda st: st.red >= FLAT_MIN_LIT and st.green < 100, "red-faces"
    )


def check_colour_dialog(s):
    s.menu_by_keys("r", "d", 1, checked=1)
    dialog = s.wait_for("the Choose Color dialog", lambda: s.find_window("Choose Color"))

    _, dialog_rect = s.window_rect(dialog)
    if s.args.window_manager:
        expect_dialog_frame_at_owner(s, dialog, "the colour dialog")

    def preview(rgb):
        shot = s.screenshot()
        n = Stats(shot, dialog_rect).count(rgb)
        return shot if n >= 0.95 * PREVIEW_PIXELS else None

    s.wait_for("the preview in RGB(51, 242, 51)", lambda: preview((51, 242, 51)))
    s.screenshot("colour-dialog")
    print("  dialog shows 51, 242, 51 in its preview")

    # While the dialog is open the frame loop stands still: the part of the
    # picture beside the dialog does not change.
    beside = (dialog_rect[2] + 2, s.client[1] + 24, s.client[2], s.client[3])
    a = Stats(s.screenshot(), beside)
    time.sleep(0.3)
    b = Stats(s.screenshot(), beside)
    if a.lit() == 0 or a.box != b.box or a.exact != b.exact:
        raise Failure("the picture beside the open dialog changed (or is empty): %r / %r" % (a, b))
    print("  the picture stands still while the dialog is open")

    # Escape and the close box leave the dialog open, and the colour as it
    # was.
    s.xdotool("key", "Escape")
    s.press_close_box(dialog)
    time.sleep(0.3)
    if s.window_gone(dialog) or not preview((51, 242, 51)):
        raise Failure("Escape or the close box closed the colour dialog")
    print("  Escape and the close box leave it open")
    type_red_and_confirm(s, dialog, preview)


def differs(a, b):
    return a.box != b.box or a.lit() != b.lit()


def check_about(s):
    s.menu_by_keys("h", "a", 3)
    about = s.wait_for("the About box", lambda: s.find_window("About"))
    if s.args.window_manager:
        expect_dialog_frame_at_owner(s, about, "the About box")
    s.screenshot("about")
    # Escape and the close box leave it open; Enter presses OK.
    s.xdotool("key", "Escape")
    s.press_close_box(about)
    time.sleep(0.3)
    if s.window_gone(about):
        raise Failure("Escape or the close box closed the About box")
    s.xdotool("key", "Return")
    s.wait_for("the About box to close on Enter", lambda: s.window_gone(about))
    # The frame loop runs again: the spinning picture changes.
    first = s.stats(s.screenshot())
    s.wait_for(
        "the spin to go on after About",
        lambda: differs(first, s.stats(s.screenshot())),
    )


def expect_dialog_frame_at_owner(s, dialog, what):
    """A dialog's frame, caption and all, sits at its owner's client-area
    corner, as its template asks."""
    outer = s.expect_caption(dialog, what)
    if (outer[0], outer[1]) != (s.client[0], s.client[1]):
        raise Failure("%s's frame is at %s, not at the client's corner %s" % (
            what, outer[:2], s.client[:2]))


def check_resize(s):
    # The user makes the window larger: the client area, and with it the
    # frame, grows, so the polyhedron (in the middle of the view) moves to
    # the middle of the wider area.
    s.xdotool("windowsize", "--sync", s.window, "800", "600")
    s.geometry, _ = s.window_rect(s.window)
    left, top, _, _ = s.client
    s.client = (left, top, left + 800, s.geometry["Y"] + 600)
    cx, _ = s.wait_value(
        "the picture to re-centre in the 800-pixel-wide client area",
        s.lit_centroid,
        lambda c: abs(c[0] - (left + 400)) < 25,
    )
    s.screenshot("resized")
    print("  resized to 800x600: polyhedron centred at x=%.0f" % cx)


def check_key_repeat(s):
    # One Left press moves the picture about 15 pixels; holding the key
    # makes the keyboard repeat it, and every repeat turns the camera.
    before_x, _ = s.lit_centroid()
    s.xdotool("keydown", "Left")
    time.sleep(1.5)
    s.xdotool("keyup", "Left")
    shot = s.screenshot("after-holding-left")
    stats = s.stats(shot)
    if stats.lit() > 0 and stats.centroid()[0] < before_x + 80:
        raise Failure(
            "holding Left moved the picture only from x=%.0f to x=%.0f"
            % (before_x, stats.centroid()[0])
        )
    where = "out of view" if stats.lit() == 0 else "to x=%.0f" % stats.centroid()[0]
    print("  holding Left carried the polyhedron from x=%.0f %s" % (before_x, where))


def wait_exit(s, how):
    limit = time.monotonic() + 10
    while s.program.poll() is None:
        s.left()
        if time.monotonic() > limit:
            raise Failure("octaspin did not end within 10 seconds after %s" % how)
        time.sleep(0.05)
    if s.program.returncode != 0:
        raise Failure("octaspin ended with code %d after %s" % (s.program.returncode, how))
    print("  octaspin ended with code 0 after %s" % how)
    s.program = None


def check_exit_menu(s):
    s.menu_by_keys("f", "x", 0)
    wait_exit(s, "File > Exit")


def check_drag_beyond_edge(s):
    """Second run: the window is moved away from the screen's corner, and a
    drag that starts on the polyhedron goes on past the window's left edge
    (negative client coordinates, delivered under the capture) and ends
    there."""
    s.open_main_window()
    s.wait_for(
        "the first frame of the second run",
        lambda: Stats(s.screenshot(), (0, 0, 640, 480)).green >= FLAT_MIN_LIT,
        seconds=20,
    )
    s.xdotool("windowmove", "--sync", s.window, "240", "160")
    s.geometry, rect = s.window_rect(s.window)
    s.client = (rect[0], rect[1] + s.bar_height, rect[2], rect[3])
    cx, cy = s.wait_value(
        "the picture to follow the moved window",
        s.lit_centroid,
        lambda c: abs(c[0] - (s.client[0] + 320)) < 40,
    )

    def still_picture():
        a = s.stats(s.screenshot())
        time.sleep(0.25)
        b = s.stats(s.screenshot())
        return b if a.box == b.box and a.exact == b.exact and b.lit() > 0 else None

    s.xdotool("mousemove", str(int(cx)), str(int(cy)), "mousedown", "1")
    try:
        s.xdotool("mousemove", str(int(cx) - 60), str(int(cy)))
        inside = s.wait_for("the drag inside the window to hold still", still_picture)
        s.xdotool("mousemove", str(s.client[0] - 120), str(int(cy)))
        outside = s.wait_for("the drag beyond the left edge to hold still", still_picture)
        s.screenshot("drag-beyond-left-edge")
    finally:
        s.xdotool("mouseup", "1")
    if outside.exact == inside.exact:
        raise Failure("moving beyond the window's edge did not turn the polyhedron further")
    print("  the drag went on beyond the left edge (client x = -120)")
    first = s.stats(s.screenshot())
    s.wait_for(
        "the spin to resume after a release outside the window",
        lambda: differs(first, s.stats(s.screenshot())),
    )


def check_close_box(s):
    s.press_close_box(s.window)
    wait_exit(s, "the close box")


def check_model_argument(s):
    """octaspin FILE: the title names the file and the model is drawn (a
    knotted tube, whose facets show many shades of green in flat fill where
    the polyhedron shows two); the close box ends the program."""
    s.program_arguments = [s.model_argument()]
    s.start_program()
    s.program_arguments = []
    title = "%s - Windows Application" % os.path.basename(s.args.model)
    window = s.wait_for(
        "a window titled %r" % title, lambda: s.find_window(title), seconds=s.first_frame_seconds
    )

    def shades(shot):
        stats = Stats(shot, (0, 0, 640, 480))
        return len([rgb for rgb in stats.exact if is_green_lit(*rgb)])

    shot = s.wait_value(
        "the model in many shades of green",
        s.screenshot,
        lambda sh: shades(sh) >= MODEL_MIN_SHADES,
        seconds=s.first_frame_seconds,
    )
    s.screenshot("model-from-command-line")
    print("  %r: %d shades of green" % (title, shades(shot)))
    s.close_window(window)
    wait_exit(s, "the close box of the model's window")


def check_message_box(s):
    probe = subprocess.Popen(
        [s.args.message_box_probe], env=s.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE
    )
    try:
        box = s.wait_for("the message box", lambda: s.find_window("Application Message"))
        _, rect = s.window_rect(box)
        if s.args.window_manager:
            # Without an owner it is centred on the screen, frame and all.
            outer = s.expect_caption(box, "the message box")
            # (twice the centre's offset; a few pixels for frames that
            # differ between kinds of window)
            off = ((outer[0] + outer[2]) - SCREEN[0], (outer[1] + outer[3]) - SCREEN[1])
            if max(abs(off[0]), abs(off[1])) > 2 * 8:
                raise Failure("the message box's frame %s is not centred on the screen" % (outer,))
        shot = s.screenshot("message-box")
        dark = 0
        for _, row in shot.rows(rect):
            dark += sum(1 for i in range(0, len(row), 3) if max(row[i : i + 3]) < 90)
        if dark < 150:
            raise Failure("the message box shows no text (%d dark pixels)" % dark)
        s.xdotool("key", "Return")
        out, err = probe.communicate(timeout=min(s.left(), 10))
    finally:
        if probe.poll() is None:
            probe.kill()
            probe.wait()
    if probe.returncode != 0 or out.decode().strip() != "1":
        raise Failure(
            "message box probe: code %d, MessageBoxA gave %r, %s"
            % (probe.returncode, out.decode().strip(), err.decode(errors="replace"))
        )
    print("  message box shown with its text; Enter returned IDOK")


def check_no_display(s):
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    result = subprocess.run(
        [s.args.program], env=env, capture_output=True, timeout=min(s.left(), 20)
    )
    message = result.stderr.decode(errors="replace").strip()
    if result.returncode != 0 or message != "octaspin: cannot open display":
        raise Failure(
            "without a display: code %d, stderr %r" % (result.returncode, message)
        )
    print("  without a display: %r, code 0" % message)
    # --help and --version answer without opening any window.
    for option, start in (("--help", "usage: octaspin "), ("--version", "octaspin ")):
        result = subprocess.run(
            [s.args.program, "ignored", option], env=env, capture_output=True,
            timeout=min(s.left(), 20)
        )
        out = result.stdout.decode(errors="replace")
        if result.returncode != 0 or not out.startswith(start) or result.stderr:
            raise Failure("octaspin %s: code %d, output %r" % (option, result.returncode, out))
        print("  octaspin %s: %r..., code 0" % (option, out.splitlines()[0]))


# ---------------------------------------------------------------------------
# Under the window manager


def check_caption(s):
    """The main window's frame fills the outer rectangle at the screen's
    corner: the caption is on the screen, painted by the window manager,
    and the client area is what remains below it and the menu bar."""
    check_start(s)
    outer = s.expect_caption(s.window, "the main window")
    top = s.frame_extents(s.window)[2]
    shot = s.screenshot("caption")
    painted = sum(
        1
        for _, row in shot.rows((outer[0], outer[1], outer[2], outer[1] + top))
        for i in range(0, len(row), 3)
        if row[i : i + 3] != b"\x00\x00\x00"
    )
    if painted < 0.9 * (outer[2] - outer[0]) * top:
        raise Failure("the caption rows are not painted (%d pixels)" % painted)
    s.find_client_top()
    if s.client[1] != outer[1] + top + s.bar_height:
        raise Failure("the client area starts at y=%d, not below the caption" % s.client[1])
    width, height = s.client[2] - s.client[0], s.client[3] - s.client[1]
    s.overlay_shows_size(width, height)


def check_minimize_restore(s):
    s.xdotool("windowminimize", "--sync", s.window)
    s.wait_for("the window to be minimized", lambda: s.window_gone(s.window))
    time.sleep(0.5)
    s.screenshot("minimized")
    s.run("wmctrl", "-i", "-a", "0x%x" % int(s.window))  # activating restores it
    s.wait_for("the window to come back", lambda: not s.window_gone(s.window))
    # (openbox animates the way back)
    s.wait_value(
        "the restored window's frame back at the screen's corner",
        lambda: s.frame_rect(s.window)[0],
        lambda outer: outer == OUTER,
    )
    shot, stats = s.wait_picture(
        "flat-shaded polyhedron after restore", s.is_flat_green, "restored"
    )
    # It renders again: the overlay's frame rate moves on (once a second),
    # and so does the spin.
    s.wait_for(
        "the overlay to change after restore",
        lambda: s.overlay_region(s.screenshot()) != s.overlay_region(shot),
        seconds=5,
    )
    s.wait_for("the spin to go on after restore", lambda: differs(stats, s.stats(s.screenshot())))
    print("  restored: rendering again")


def check_wm_resize(s):
    """The window manager sizes the toolkit window to 800 x 600: the client
    area below the menu bar follows, the overlay names the new frame and
    the picture is centred in the wider area."""
    s.xdotool("windowsize", "--sync", s.window, "800", "600")
    s.geometry, rect = s.window_rect(s.window)
    if (rect[2] - rect[0], rect[3] - rect[1]) != (800, 600):
        raise Failure("the window is %s after the resize" % (rect,))
    s.client = (rect[0], rect[1] + s.bar_height, rect[2], rect[3])
    s.overlay_shows_size(800, 600 - s.bar_height)
    middle = (s.client[0] + s.client[2]) / 2
    cx, _ = s.wait_value(
        "the picture to centre in the 800-pixel-wide client area",
        s.lit_centroid,
        lambda c: abs(c[0] - middle) < 25,
    )
    s.expect_caption(s.window, "the resized window")
    s.screenshot("resized-by-window-manager")
    print("  resized to 800x600: polyhedron centred at x=%.0f" % cx)


def run_checks(session, steps, prepare, outputs, passed):
    """Starts the display, calls prepare(), then runs the checks in order.
    On the first failure saves a screenshot and says where the artifacts
    (screenshots and `outputs`) are. Returns the exit code."""
    try:
        session.start_server()
        prepare()
        for title, step in steps:
            print("--", title)
            step(session)
    except (Failure, subprocess.TimeoutExpired, subprocess.CalledProcessError) as error:
        print("FAILED: %s" % error)
        try:
            if session.env is not None and session.xvfb.poll() is None:
                session.screenshot("failure")
        except Exception:  # the failure above is what matters
            pass
        print("screenshots and %s are in %s" % (outputs, session.args.artifacts))
        return 1
    finally:
        session.stop()
    print(passed)
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--close-helper", required=True)
    parser.add_argument("--message-box-probe", required=True)
    parser.add_argument("--headless", required=True)
    parser.add_argument("--model", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--window-manager", action="store_true")
    args = parser.parse_args()

    tools = ("Xvfb", "xdotool", "import", "convert", "xwininfo", "xprop")
    if args.window_manager:
        tools += ("openbox", "wmctrl")
    missing = [t for t in tools if not shutil.which(t)]
    if missing:
        print("SKIP: missing %s (scripts/install-deps.sh test installs them)" % ", ".join(missing))
        return SKIP
    os.makedirs(args.artifacts, exist_ok=True)
    for old in os.listdir(args.artifacts):
        path = os.path.join(args.artifacts, old)
        if os.path.isdir(path):
            shutil.rmtree(path)
        else:
            os.remove(path)

    session = Session(args)
    steps = [
        ("window, menu, flat-shaded picture and overlay", check_start),
        ("Render > Wireframe by mouse and by Alt mnemonics", check_wireframe),
        ("arrow keys move the picture", check_arrow_keys),
        ("a drag turns the polyhedron, Reset restores it", check_drag),
        ("the wheel, a middle-button pan and F", check_wheel_and_pan),
        ("Diffuse Color dialog", check_colour_dialog),
        ("Help > About", check_about),
        ("resizing the window", check_resize),
        ("auto-repeat of a held key", check_key_repeat),
        ("File > Exit", check_exit_menu),
        ("a drag beyond the window's edge", check_drag_beyond_edge),
        ("close box", check_close_box),
        ("message box", check_message_box),
        ("a model named on the command line", check_model_argument),
        ("no display", check_no_display),
    ]
    if args.window_manager:
        steps = [
            ("caption on screen, client area below it", check_caption),
            ("minimize and restore", check_minimize_restore),
            ("resizing by the window manager", check_wm_resize),
            ("Diffuse Color dialog with its caption", check_colour_dialog),
            ("Help > About with its caption", check_about),
            ("close box", check_close_box),
            ("message box", check_message_box),
            ("a model named on the command line", check_model_argument),
        ]
    prepare = session.start_window_manager if args.window_manager else (lambda: None)
    return run_checks(session, steps, prepare, "octaspin's stderr", "all end-to-end checks passed")


if __name__ == "__main__":
    sys.exit(main())
