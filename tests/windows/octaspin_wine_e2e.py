#!/usr/bin/env python3
"""End-to-end test of the Windows program (octaspin.exe) under Wine.

Starts Xvfb, runs octaspin.exe under Wine in a prefix of its own where Wine
draws the window frames itself (no window manager decorations, so every
run looks the same), drives it with xdotool as a user would and checks
screenshots by colours and regions: the window with the green polyhedron
and the overlay, Render > Wireframe and Gouraud, the colour dialog, the
About box, File > Exit, the close box, a model named on the command line,
and a PLY with colours of its own (shown in them; Render > Model Colors
switches to the material's green).

The screenshot and session plumbing is the desktop test's (tests/e2e).

Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
Screenshots are kept as PNG files in --artifacts.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import octaspin_e2e as e2e  # noqa: E402

Failure = e2e.Failure
Stats = e2e.Stats

# The whole run; a new prefix takes Wine a while to make.
TOTAL_SECONDS = 240
GOURAUD_MIN_SHADES = 30  # distinct greens of the smooth fill (flat: under 10)


class WineSession(e2e.Session):
    def __init__(self, args):
        super().__init__(args)
        self.deadline = time.monotonic() + TOTAL_SECONDS
        self.log_path = os.path.join(args.artifacts, "octaspin-wine-stderr.txt")
        self.first_frame_seconds = 40  # Wine starts slowly on a busy machine

    # --- Wine -------------------------------------------------------------

    def wine_env(self):
        env = dict(self.env)
        env["WINEPREFIX"] = self.args.prefix
        env["WINEDEBUG"] = "-all"
        env["WINEDLLOVERRIDES"] = "mscoree,mshtml="  # no installer dialogs
        return env

    def prepare_prefix(self):
        """Makes the prefix on first use and has Wine draw its own frames."""
        ready = os.path.join(self.args.prefix, ".octaspin-own-frames")
        env = self.wine_env()
        if not os.path.exists(ready):
            print("making the Wine prefix %s" % self.args.prefix)
            for command in (
                [self.args.wine, "wineboot", "-i"],
                [self.args.wine, "reg", "add", r"HKCU\Software\Wine\X11 Driver",
                 "/v", "Decorated", "/d", "N", "/f"],
            ):
                subprocess.run(command, env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               timeout=min(self.left(), 150), check=True)
            open(ready, "w").close()

    def start_program(self):
        log = open(self.log_path, "ab")
        self.program = subprocess.Popen(
            [self.args.wine, self.args.program] + self.program_arguments, env=self.wine_env(),
            stdout=log, stderr=log, stdin=subprocess.DEVNULL)
        log.close()

    def stop(self):
        if self.env is not None:
            subprocess.run(["wineserver", "-k"], env=self.wine_env(), check=False,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)
        super().stop()

    def model_argument(self, model=None):
        """The model file as a Windows path (Wine's drive Z: is the root)."""
        path = subprocess.run([self.args.wine, "winepath", "-w", model or self.args.model],
                              env=self.wine_env(), capture_output=True, check=True,
                              timeout=min(self.left(), 60)).stdout.decode().strip()
        return path

    def close_window(self, window_id):
        self.geometry, _ = self.window_rect(window_id)
        self.click_close_box()

    # --- the window ---------------------------------------------------------

    def locate_client(self, shot):
        """The client area is the black picture inside Wine's frame, caption
        and menu bar: found from a point near its bottom right corner, away
        from the polyhedron in the middle."""
        x0, y0 = self.geometry["X"], self.geometry["Y"]
        w, h = self.geometry["WIDTH"], self.geometry["HEIGHT"]
        probe_x, probe_y = x0 + w - 30, y0 + h - 30

        def black(x, y):
            return shot.pixel(x, y) == (0, 0, 0)

        top = y0
        while top < probe_y and not all(black(probe_x, top + k) for k in range(6)):
            top += 1
        left = probe_x
        while left > x0 and black(left - 1, probe_y):
            left -= 1
        right = probe_x
        while right < x0 + w and black(right, probe_y):
            right += 1
        bottom = probe_y
        while bottom < y0 + h and black(probe_x, bottom):
            bottom += 1
        self.client = (left, top, right, bottom)
        print("client area %s (%dx%d)" % (self.client, right - left, bottom - top))
        if not (600 <= right - left <= 640 and 380 <= bottom - top <= 460):
            raise Failure("no client area of about 632x432 inside the window")

    def menu(self, title_key, item_key):
        """Alt+title_key opens a pull-down, item_key picks from it."""
        self.xdotool("mousemove", str(self.client[2] - 20), str(self.client[3] - 20))
        self.xdotool("key", "--clearmodifiers", "alt+" + title_key)
        time.sleep(0.4)
        self.xdotool("key", item_key)

    def click_close_box(self):
        # The rightmost caption button, as Wine draws it.
        x = self.geometry["X"] + self.geometry["WIDTH"] - 13
        y = self.geometry["Y"] + 12
        self.xdotool("mousemove", str(x), str(y), "click", "1")


def is_gouraud(stats):
    if stats.green < e2e.FLAT_MIN_LIT:
        return False
    shades = {rgb for rgb in stats.exact if e2e.is_green_lit(*rgb)}
    return len(shades) >= GOURAUD_MIN_SHADES


# ---------------------------------------------------------------------------
# The checks, in the order a user would meet them


def check_fill_styles(s):
    s.menu("r", "w")
    s.wait_picture("wireframe after Render > Wireframe", s.is_wireframe, "wireframe")
    s.menu("r", "g")
    s.wait_picture("smooth shades after Render > Gouraud", is_gouraud, "gouraud")
    s.menu("r", "f")
    s.wait_picture("flat again after Render > Flat", s.is_flat_green, "flat-again")


def check_colour_dialog(s):
    s.menu("r", "d")
    dialog = s.wait_for("the Choose Color dialog", lambda: s.find_window("Choose Color"))
    _, dialog_rect = s.window_rect(dialog)

    def preview(rgb):
        shot = s.screenshot()
        n = Stats(shot, dialog_rect).count(rgb)
        return shot if n >= 0.95 * e2e.PREVIEW_PIXELS else None

    s.wait_for("the preview in RGB(51, 242, 51)", lambda: preview((51, 242, 51)))
    s.screenshot("colour-dialog")
    print("  the dialog opens with 51, 242, 51 (its preview shows that colour)")
    e2e.type_red_and_confirm(s, dialog, preview)


def check_about(s):
    s.menu("h", "a")
    about = s.wait_for("the About box", lambda: s.find_window("About"))
    time.sleep(0.5)
    s.screenshot("about")
    s.xdotool("key", "Return")
    s.wait_for("the About box to close on Enter", lambda: s.window_gone(about))
    first = s.stats(s.screenshot())
    s.wait_for("the spin to go on after About",
               lambda: e2e.differs(first, s.stats(s.screenshot())))


def check_exit_menu(s):
    s.menu("f", "x")
    e2e.wait_exit(s, "File > Exit")


def check_close_box(s):
    e2e.first_frame(s)
    s.screenshot("second-run")
    s.click_close_box()
    e2e.wait_exit(s, "the close box")


# An octahedron whose corners are all blue, as a PLY with uchar colours.
COLOURED_PLY = (
    "ply\nformat ascii 1.0\nelement vertex 6\nproperty float x\nproperty float y\n"
    "property float z\nproperty uchar red\nproperty uchar green\nproperty uchar blue\n"
    "element face 8\nproperty list uchar int vertex_indices\nend_header\n"
    + "".join("%s 30 60 255\n" % c for c in ("1 0 0", "-1 0 0", "0 1 0", "0 -1 0", "0 0 1", "0 0 -1"))
    + "3 0 2 4\n3 2 1 4\n3 1 3 4\n3 3 0 4\n3 2 0 5\n3 1 2 5\n3 3 1 5\n3 0 3 5\n"
)


def check_coloured_model(s):
    """octaspin blue.ply: drawn in the file's blue; Render > Model Colors
    (Alt+R, M) switches to the material's green; the close box ends it."""
    model = os.path.join(s.args.artifacts, "blue.ply")
    with open(model, "w") as f:
        f.write(COLOURED_PLY)
    s.program_arguments = [s.model_argument(model)]
    s.start_program()
    s.program_arguments = []
    title = "blue.ply - Windows Application"
    window = s.wait_for(
        "a window titled %r" % title, lambda: s.find_window(title), seconds=s.first_frame_seconds
    )
    s.geometry, _ = s.window_rect(window)
    g = s.geometry
    area = (g["X"], g["Y"], g["X"] + g["WIDTH"], g["Y"] + g["HEIGHT"])

    def counts(shot):
        blue = green = 0
        for _, row in shot.rows(area):
            for i in range(0, len(row), 3):
                r, g, b = row[i], row[i + 1], row[i + 2]
                if b > r + 60 and b > g + 40:
                    blue += 1
                elif e2e.is_green_lit(r, g, b):
                    green += 1
        return blue, green

    s.wait_value(
        "a frame", s.screenshot, lambda sh: counts(sh)[0] > 3000, seconds=s.first_frame_seconds
    )
    # From here on the client area only: the caption may be blue too.
    s.locate_client(s.screenshot())
    area = s.client
    shot = s.wait_value(
        "the model in the file's blue",
        s.screenshot,
        lambda sh: counts(sh)[0] > 3000 and counts(sh)[1] < 100,
    )
    s.screenshot("coloured-model")
    print("  blue.ply: %d blue, %d green pixels" % counts(shot))
    s.menu("r", "m")
    shot = s.wait_value(
        "Model Colors off: the material's green",
        s.screenshot,
        lambda sh: counts(sh)[1] > 3000 and counts(sh)[0] < 100,
    )
    s.screenshot("coloured-model-material")
    print("  Model Colors off: %d blue, %d green pixels" % counts(shot))
    s.close_window(window)
    e2e.wait_exit(s, "the close box of the coloured model's window")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--wine", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--model", required=True)
    args = parser.parse_args()
    # Wine draws the window's frame itself: no window manager runs here.
    args.window_manager = False

    tools = ("Xvfb", "xdotool", "import", "convert", "xwininfo", args.wine, "wineserver")
    missing = [t for t in tools if not shutil.which(t)]
    if missing:
        print("SKIP: missing %s (scripts/build-windows.sh installs them)" % ", ".join(missing))
        return e2e.SKIP
    os.makedirs(args.artifacts, exist_ok=True)
    for old in os.listdir(args.artifacts):
        os.remove(os.path.join(args.artifacts, old))

    session = WineSession(args)
    steps = [
        ("window, flat-shaded picture and overlay", e2e.check_start),
        ("Render > Wireframe, Gouraud and Flat", check_fill_styles),
        ("Diffuse Color dialog", check_colour_dialog),
        ("Help > About", check_about),
        ("File > Exit", check_exit_menu),
        ("close box", check_close_box),
        ("a model named on the command line", e2e.check_model_argument),
        ("a PLY with colours of its own", check_coloured_model),
    ]
    return e2e.run_checks(
        session,
        steps,
        session.prepare_prefix,
        "Wine's output",
        "all end-to-end checks under Wine passed",
    )


if __name__ == "__main__":
    sys.exit(main())
