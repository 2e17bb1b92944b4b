#!/usr/bin/env python3
"""Handwriting on the real Tulvo window, driven only from outside.

Starts Tulvo on its own virtual X display (Xvfb), in a scratch program
directory whose data/ links to the built data files. For each of three
characters it erases the pad, writes the character stroke by stroke with
xdotool (mouse down, moves, mouse up along the stroke data's medians), then
clicks the candidate cells in order until a click looks the character up:
the search box then holds it (read through the clipboard with xclip). The
character must be among the first five candidates, and the grid must show
candidates after every stroke. Then characters written by hand as a learner
would (straight mouse moves, some in another stroke order) must each be the
first candidate, or for a square box among the first five (the box is the
enclosure 囗 as much as 口).

    writing_pad_test.py TULVO APP_DIR STROKE_DATA_DIR ARTEFACTS
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

from tulvo_driver import die_with_parent, end_process

CHARACTERS = "我是国"
# Writing by hand on the pad: strokes as corner points, in the order written.
# The first number: how many candidates may come before the character.
OWN_WRITING = [
    ("十", 1, [[(100, 25), (100, 175)], [(25, 95), (175, 95)]]),  # the vertical first
    ("八", 1, [[(75, 70), (35, 150)], [(115, 55), (140, 110), (168, 150)]]),
    ("人", 1, [[(100, 30), (85, 80), (45, 165)], [(92, 88), (160, 165)]]),
    ("口", 5, [[(50, 50), (50, 150)], [(50, 150), (150, 150)],  # closed at the bottom first
              [(50, 50), (150, 50), (150, 150)]]),
]
PAD_SIZE = 200
PAD_COLUMN_WIDTH = 222  # the pad column at the right edge of the client area
PAD_TOP, CANDIDATES_TOP, ERASE_TOP = 42, 272, 246
SEARCH_BOX = (75 + 40, 4 + 14)


class Failure(AssertionError):
    pass


def wait_until(predicate, timeout, what):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    raise Failure("timed out waiting for " + what)


class Session:
    def __init__(self, tulvo, app_dir, artefacts):
        self.xvfb = self.tulvo = self.log = None
        self.work = tempfile.mkdtemp(prefix="tulvo-pad-")
        try:
            self._start(tulvo, app_dir, artefacts)
        except BaseException:
            # The caller has no session to close yet: end what was started.
            self.close()
            raise

    def _start(self, tulvo, app_dir, artefacts):
        self.artefacts = artefacts
        os.makedirs(artefacts, exist_ok=True)
        program = os.path.join(self.work, "program")
        os.makedirs(os.path.join(program, "data"))
        # Tulvo reads its data from the current directory's data/; links
        # leave the built files untouched (files it writes replace the link).
        source = os.path.join(app_dir, "data")
        for name in os.listdir(source):
            os.symlink(os.path.join(source, name), os.path.join(program, "data", name))
        # Tulvo's program directory is its executable's folder: a copy here.
        try:
            os.link(os.path.realpath(tulvo), os.path.join(program, "Tulvo"))
        except OSError:
            shutil.copy2(tulvo, os.path.join(program, "Tulvo"))
        tulvo = os.path.join(program, "Tulvo")
        self.program = program
        read_end, write_end = os.pipe()
        # -noreset: by default the server resets when its last client leaves
        # and refuses connections meanwhile, which Tulvo starting just after
        # a first client would meet.
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
             "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=die_with_parent)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        runtime = os.path.join(self.work, "run")
        os.mkdir(runtime, 0o700)
        self.env = dict(os.environ, DISPLAY=":" + number, HOME=self.work,
                        XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8")
        self.env.pop("WAYLAND_DISPLAY", None)
        # The number comes when the server starts; Tulvo starts once it also
        # takes clients (a busy machine showed "no display is reachable").
        wait_until(lambda: self.run("xdotool", "getdisplaygeometry", check=False).strip(), 10,
                   "the virtual display")
        self.log = open(os.path.join(artefacts, "tulvo.log"), "wb")
        self.tulvo = subprocess.Popen([tulvo], cwd=program, env=self.env,
                                      stdout=self.log, stderr=self.log,
                                      preexec_fn=die_with_parent)
        self.window = wait_until(self.find_window, 30, "the Tulvo window")
        time.sleep(0.5)
        self.run("xdotool", "windowfocus", "--sync", self.window, check=False)
        width = self.geometry()[2]
        self.pad_x = width - PAD_COLUMN_WIDTH + 10

    def run(self, *argv, check=True):
        result = subprocess.run(argv, env=self.env, capture_output=True, timeout=60)
        if check and result.returncode != 0:
            raise Failure("%s: %s" % (argv[0], result.stderr.decode(errors="replace")))
        return result.stdout.decode(errors="replace")

    def find_window(self):
        if self.tulvo.poll() is not None:
            raise Failure("Tulvo ended with %s" % self.tulvo.returncode)
        ids = self.run("xdotool", "search", "--onlyvisible", "--pid", str(self.tulvo.pid),
                       "--name", "^Tulvo$", check=False).split()
        return ids[0] if ids else None

    def geometry(self):
        out = self.run("xdotool", "getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def click(self, x, y):
        self.run("xdotool", "mousemove", "--window", self.window, str(x), str(y), "click", "1")

    def stroke(self, points):
        """One stroke on the pad: press, a move to every point, release."""
        x0, y0 = points[0]
        argv = ["xdotool", "mousemove", "--window", self.window,
                str(self.pad_x + x0), str(PAD_TOP + y0), "mousedown", "1"]
        for x, y in points[1:]:
            argv += ["sleep", "0.005", "mousemove", "--window", self.window,
                     str(self.pad_x + x), str(PAD_TOP + y)]
        self.run(*argv + ["mouseup", "1"])

    def erase(self):
        self.click(self.pad_x + 45, ERASE_TOP + 10)

    def search_box_text(self):
        self.click(*SEARCH_BOX)
        # xclip stays behind to serve the selection: no pipes to wait on.
        subprocess.run(["xclip", "-i", "-selection", "clipboard"], env=self.env, input=b"\x01",
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=10,
                       check=True)
        self.run("xdotool", "key", "--delay", "40", "ctrl+a", "ctrl+c")
        return wait_until(lambda: (lambda t: t if t != "\x01" else None)(
            self.run("xclip", "-o", "-selection", "clipboard", check=False)), 5,
            "the search box's text")

    def grid_ink(self):
        """Dark pixels in the first candidate cell, read from the screen."""
        wx, wy, _, _ = self.geometry()
        out = subprocess.run(
            ["import", "-window", "root", "-crop",
             "28x32+%d+%d" % (wx + self.pad_x + 6, wy + CANDIDATES_TOP + 9), "-depth", "8",
             "gray:-"], env=self.env, capture_output=True, timeout=30, check=True).stdout
        return sum(1 for value in out if value < 128)

    def screenshot(self, name):
        """The screen as a PNG among the artefacts, when ImageMagick is there."""
        if shutil.which("import"):
            self.run("import", "-window", "root", os.path.join(self.artefacts, name + ".png"),
                     check=False)

    def close(self):
        """Ends Tulvo and Xvfb, whichever were started, also after a failure."""
        try:
            end_process(self.tulvo, 10)
        finally:
            end_process(self.xvfb, 10)
            if self.log:
                self.log.close()
            shutil.rmtree(self.work, ignore_errors=True)


def wait_until_true(predicate, timeout):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(0.1)
    return False


def pad_strokes(stroke_dir, character):
    """The character's medians on the pad (1024-unit square, y up, baseline
    900), 170 pixels wide and centred, walked in 4-pixel steps."""
    with open(os.path.join(stroke_dir, character + ".json"), encoding="utf-8") as f:
        medians = json.load(f)["medians"]
    scale, offset = 170 / 1024, (PAD_SIZE - 170) / 2
    strokes = []
    for median in medians:
        placed = [(offset + scale * x, offset + scale * (900 - y)) for x, y in median]
        points = [placed[0]]
        for (ax, ay), (bx, by) in zip(placed, placed[1:]):
            steps = max(1, int(((bx - ax) ** 2 + (by - ay) ** 2) ** 0.5 / 4))
            points += [(ax + (bx - ax) * k / steps, ay + (by - ay) * k / steps)
                       for k in range(1, steps + 1)]
        strokes.append([(round(x), round(y)) for x, y in points])
    return strokes


def main():
    tulvo, app_dir, stroke_dir, artefacts = sys.argv[1:5]
    session = Session(tulvo, app_dir, artefacts)
    try:
        for character in CHARACTERS:
            session.erase()
            for number, points in enumerate(pad_strokes(stroke_dir, character), 1):
                session.stroke(points)
                time.sleep(0.1)
                if not wait_until_true(lambda: session.grid_ink() > 20, 5):
                    raise Failure("%s: no candidates shown after stroke %d" % (character, number))
            time.sleep(0.3)
            session.screenshot("written-%x" % ord(character))
            found = None
            for slot in range(5):
                x = session.pad_x + 6 + 40 * (slot % 5) + 14
                y = CANDIDATES_TOP + 9 + 40 * (slot // 5) + 16
                session.click(x, y)
                time.sleep(0.2)
                if session.search_box_text() == character:
                    found = slot
                    break
            if found is None:
                raise Failure("%s is not among the first five candidates" % character)
            print("%s: candidate %d, looked up" % (character, found + 1))
        for character, within, corners in OWN_WRITING:
            session.erase()
            for stroke in corners:
                points = [stroke[0]]
                for (ax, ay), (bx, by) in zip(stroke, stroke[1:]):
                    steps = max(1, int(((bx - ax) ** 2 + (by - ay) ** 2) ** 0.5 / 7))
                    points += [(round(ax + (bx - ax) * k / steps), round(ay + (by - ay) * k / steps))
                               for k in range(1, steps + 1)]
                session.stroke(points)
                time.sleep(0.1)
            time.sleep(0.3)
            session.screenshot("own-%x" % ord(character))
            found = None
            for slot in range(within):
                session.click(session.pad_x + 6 + 40 * slot + 14, CANDIDATES_TOP + 9 + 16)
                time.sleep(0.2)
                if session.search_box_text() == character:
                    found = slot
                    break
            if found is None:
                raise Failure("%s written by hand: not among the first %d candidates"
                              % (character, within))
            print("%s written by hand: candidate %d" % (character, found + 1))
    finally:
        session.close()


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        print("FAIL:", failure)
        sys.exit(1)
