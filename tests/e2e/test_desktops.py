"""Tulvo on the desktops users have: a dark colour scheme, a screen at
scale 2, and a Wayland session (a headless Weston)."""

import collections
import glob
import os
import shutil
import socket
import subprocess
import tempfile
import time
import unittest

from e2e_case import SEARCH_BOX, TulvoCase
from tulvo_driver import (LOCATOR, LOOKUP, DriverError, copy_program_directory, locator_frame,
                          lookup_parameters, wait_until)

TOP_BAR = (144, 160, 255)
PAD_BROWN = (96, 64, 0)
PURE_BLUE = (0, 0, 255)
DIM_GREY = (105, 105, 105)

# Breeze Dark, as the desktop writes it to ~/.config/kdeglobals.
DARK_SCHEME = """[General]
ColorScheme=BreezeDark

[Colors:Button]
BackgroundNormal=49,54,59
ForegroundNormal=252,252,252

[Colors:Selection]
BackgroundNormal=61,174,233
ForegroundNormal=252,252,252

[Colors:Tooltip]
BackgroundNormal=49,54,59
ForegroundNormal=252,252,252

[Colors:View]
BackgroundNormal=35,38,41
BackgroundAlternate=49,54,59
ForegroundNormal=252,252,252
ForegroundInactive=161,169,177

[Colors:Window]
BackgroundNormal=49,54,59
ForegroundNormal=252,252,252
ForegroundInactive=161,169,177
"""


def luminance(rgb):
    def channel(c):
        c /= 255.0
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def ground_and_ink(rows):
    """The most common colour of an area, and the contrast of its most
    distinct pixel with it (the core of the text's strokes)."""
    counts = collections.Counter(pixel for row in rows for pixel in row)
    ground = counts.most_common(1)[0][0]
    return ground, max(contrast(ground, pixel) for pixel in counts)


class DarkAndScaledDesktops(TulvoCase):
    def test_a_dark_colour_scheme_leaves_every_window_light_and_readable(self):
        s = self.session("dark")
        config = os.path.join(s.work, ".config")
        os.makedirs(config)
        with open(os.path.join(config, "kdeglobals"), "w") as f:
            f.write(DARK_SCHEME)
        s.env.update(XDG_CURRENT_DESKTOP="KDE", KDE_SESSION_VERSION="5", KDE_FULL_SESSION="true",
                     XDG_CONFIG_HOME=config)
        s.start_tulvo()
        s.look_up("中国")
        time.sleep(1.0)
        s.screenshot("dark-scheme")
        _, _, width, _ = s.geometry()
        pad_left = width - 222 + 10
        # Client rectangles: grounds that must be light, each with text or
        # strokes on it readable at 4.5:1 or better.
        areas = {
            "headword": (7, 42, 300, 55),
            "pinyin": (10, 99, 291, 28),
            "definitions": (10, 129, 291, 60),
            "list rows below the selected one": (322, 95, 430, 150),
            "writing pad": (pad_left + 1, 43, 198, 198),
            "candidate grid": (pad_left, 272, 200, 150),
        }
        for name, (x, y, w, h) in areas.items():
            ground, ink = ground_and_ink(s.pixels(x, y, w, h))
            self.assertGreater(luminance(ground), 0.8, "%s on %s" % (name, ground))
            if name not in ("writing pad", "candidate grid"):
                self.assertGreaterEqual(ink, 4.5, name)
        # The radical window, a window of its own.
        s.click(*SEARCH_BOX, button=3)
        title = "^Select a character from its radical"
        radicals = wait_until(lambda: s.windows(title), 10, what="the radical window")[0]
        time.sleep(0.5)
        s.screenshot("dark-scheme-radicals")
        _, _, rw, rh = s.geometry(radicals)
        ground, ink = ground_and_ink(s.pixels(0, 0, rw, rh, window=radicals))
        self.assertGreater(luminance(ground), 0.8, "radical window on %s" % (ground,))
        self.assertGreaterEqual(ink, 4.5, "radical window")

    def test_at_scale_2_on_a_small_screen_the_selectors_are_reachable_and_sharp(self):
        # 1600 x 1000 pixels at scale 2: 800 x 500 logical pixels.
        s = self.session("scale-2", screen="1600x1000x24")
        s.env["QT_SCALE_FACTOR"] = "2"
        s.start_tulvo()
        x, y, width, height = s.geometry()
        self.assertTrue(x >= 0 and y >= 0 and x + width <= 1600 and y + height <= 1000,
                        "window at %s" % ((x, y, width, height),))
        s.screenshot("scale-2")
        # The character-form selector is the picture on the top bar whose
        # words read Simplified, Both, Traditional: find it by its capsule.
        shot = s.pixels(0, 0, width, 160)
        capsules = capsule_spans(shot)
        self.assertEqual(len(capsules), 3, "capsules on the bar: %s" % capsules)
        top, left, right = capsules[-1]  # Back/forward, match part, character form
        self.assertGreaterEqual(right - left, 2 * 161 - 8)
        # "Traditional" is its right third.
        s.click(left + 2 * 121, top + 20)
        time.sleep(0.5)
        s.screenshot("scale-2-traditional")
        picture = s.pixels(left, top, right - left, 2 * 29)
        blue_columns = {c for row in picture for c, p in enumerate(row) if p == PURE_BLUE}
        self.assertTrue(blue_columns, "no chosen word")
        self.assertGreaterEqual(min(blue_columns), 2 * 92 - 4, "a word left of Traditional is blue")
        # Sharp: drawn at the device's resolution, not a picture enlarged.
        # Enlarged, every 2 x 2 block of device pixels would be one colour.
        mixed = inked = 0
        for r in range(0, len(picture) - 1, 2):
            for c in range(0, len(picture[0]) - 1, 2):
                block = [picture[r][c], picture[r][c + 1], picture[r + 1][c], picture[r + 1][c + 1]]
                if any(p in (PURE_BLUE, DIM_GREY) for p in block):
                    inked += 1
                    mixed += len(set(block)) > 1
        self.assertGreater(inked, 100)
        self.assertGreater(mixed / inked, 0.25, "the words are blocks of 2 x 2 pixels")


def capsule_spans(rows):
    """(top, left, right) of each capsule on the top bar: the runs of
    columns that hold the capsules' light fill."""
    fill = (236, 240, 255)
    tops = [r for r, row in enumerate(rows) if fill in row]
    if not tops:
        return []
    top = tops[0]
    band = rows[top:top + 40]
    spans, start = [], None
    for c in range(len(rows[0]) + 1):
        filled = c < len(rows[0]) and any(row[c] == fill for row in band)
        if filled and start is None:
            start = c
        elif not filled and start is not None:
            if c - start > 40:
                spans.append((top, start, c))
            start = None
    return spans


class OnWayland(unittest.TestCase):
    """Tulvo as a native Wayland program in a headless Weston: the window
    with its pad is shown, and a lookup from another program fills it."""

    def setUp(self):
        app_dir = os.environ.get("TULVO_APP_DIR", "")
        if not os.path.exists(os.path.join(app_dir, "Tulvo")):
            self.fail("no Tulvo program in TULVO_APP_DIR=%r" % app_dir)
        artefacts = os.environ.get("TULVO_E2E_ARTEFACTS",
                                   os.path.join(os.getcwd(), "e2e-artefacts"))
        self.artefacts = os.path.join(os.path.abspath(artefacts), "wayland")
        shutil.rmtree(self.artefacts, ignore_errors=True)
        os.makedirs(self.artefacts)
        self.work = tempfile.mkdtemp(prefix="tulvo-wayland-")
        self.addCleanup(shutil.rmtree, self.work, True)
        self.program_dir = os.path.join(self.work, "program")
        copy_program_directory(app_dir, self.program_dir)
        runtime = os.path.join(self.work, "run")
        os.mkdir(runtime, 0o700)
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS")}
        env.update(XDG_RUNTIME_DIR=runtime, HOME=self.work, LC_ALL="C.UTF-8",
                   WAYLAND_DISPLAY="tulvo-test", QT_QPA_PLATFORM="wayland")
        self.env = env
        self.locator = os.path.join(runtime, LOCATOR)
        # --debug lets the screenshooter in; pixman renders without a GPU.
        self.weston = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--use-pixman", "--socket=tulvo-test",
             "--width=1280", "--height=800", "--idle-time=0", "--debug"],
            env=env, stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(self.artefacts, "weston.log"), "wb"))
        self.addCleanup(self.end, self.weston)
        wait_until(lambda: os.path.exists(os.path.join(runtime, "tulvo-test")), 15,
                   what="the Wayland display")
        self.shots = 0

    def end(self, process):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    def screenshot(self, label):
        """The whole output, also kept as a PNG."""
        for old in glob.glob(os.path.join(self.work, "wayland-screenshot*.png")):
            os.unlink(old)
        subprocess.run(["weston-screenshooter"], cwd=self.work, env=self.env, timeout=20,
                       check=True, capture_output=True)
        shot = glob.glob(os.path.join(self.work, "wayland-screenshot*.png"))[0]
        self.shots += 1
        kept = os.path.join(self.artefacts, "%02d-%s.png" % (self.shots, label))
        shutil.move(shot, kept)
        return Shot(kept)

    def test_window_pad_and_a_lookup(self):
        with open(os.path.join(self.program_dir, "data", "options.txt"), "wb") as f:
            f.write(b"tulvo_hotkey=F10\r\n")
        log_path = os.path.join(self.artefacts, "tulvo.log")
        with open(log_path, "wb") as log:
            tulvo = subprocess.Popen(["./Tulvo"], cwd=self.program_dir, env=self.env,
                                     stdout=log, stderr=log)
        self.addCleanup(self.end, tulvo)

        def ready():
            if tulvo.poll() is not None:
                raise DriverError("Tulvo ended with %s" % tulvo.returncode)
            return os.path.exists(self.locator)

        wait_until(ready, 20, what="the hidden locator")
        # The window is mapped and painted: its top bar is on the screen.
        before = wait_until(lambda: (lambda shot: shot if shot.bounds(TOP_BAR) else None)(
            self.screenshot("shown")), 20, interval=0.5, what="the window on the screen")
        left, top = before.bounds(TOP_BAR)[:2]
        # The pad column (222 pixels) right of the bar, the white pad in it.
        column = before.bounds(PAD_BROWN)
        pad_left = column[2] + 1 - 222 + 10
        pad = before.rows(pad_left + 1, top + 43, 198, 198)
        self.assertTrue(all(p == (255, 255, 255) for row in pad for p in row), "pad not white")

        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
            s.settimeout(5)
            s.connect(self.locator)
            s.sendall(locator_frame(LOOKUP, *lookup_parameters("中国")))
            s.recv(8)
        time.sleep(1.5)
        after = self.screenshot("looked-up")
        # The headword display: 中国 in strong blue on white.
        headword = after.rows(left + 7, top + 42, 300, 55)
        blue = sum(1 for row in headword for p in row if p[2] > 200 and p[0] < 90 and p[1] < 110)
        self.assertGreater(blue, 150, "no headword shown")
        # Rows in the result list.
        rows = after.rows(left + 322, top + 70, 438, 230)
        self.assertGreater(sum(1 for row in rows for p in row if sum(p) < 300), 500)
        self.assertIsNone(tulvo.poll(), "Tulvo ended")
        with open(log_path, "rb") as f:
            self.assertIn(b"Wayland session gives no X11 grab", f.read())


class Shot:
    """A screenshot's pixels."""

    def __init__(self, path):
        size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True,
                              timeout=30, check=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"],
                                   capture_output=True, timeout=30, check=True).stdout

    def rows(self, x, y, width, height):
        """RGB triples of a rectangle, row by row."""
        d = self.data
        return [[tuple(d[((y + r) * self.width + x + c) * 3:((y + r) * self.width + x + c) * 3 + 3])
                 for c in range(width)] for r in range(height)]

    def bounds(self, colour):
        """(left, top, right, bottom) of the pixels of exactly `colour`, or None."""
        needle = bytes(colour)
        xs, ys = [], []
        at = self.data.find(needle)
        while at >= 0:
            if at % 3 == 0:
                xs.append(at // 3 % self.width)
                ys.append(at // 3 // self.width)
            at = self.data.find(needle, at + 1)
        return (min(xs), min(ys), max(xs), max(ys)) if xs else None


if __name__ == "__main__":
    unittest.main()
