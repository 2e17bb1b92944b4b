#!/usr/bin/env python3
"""Every program from outside, the way a user at a terminal meets it: --help
and --version, the program directory taken from the executable (not from the
folder it is started in), the favorites as flashcards, and a clear message
with status 1 when there is no display.

Usage: command_line_test.py PROGRAM_DIRECTORY VERSION"""
import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

APP, VERSION = sys.argv[1], sys.argv[2]
PROGRAMS = {"tulvo-lookup": "tulvo-lookup", "tulvo-recognize": "tulvo-recognize",
            "tulvo-wordlist": "tulvo-wordlist", "Tulvo": "tulvo",
            "data/Tulvo_options": "Tulvo_options", "data/kestrine": "kestrine"}

DICTIONARY = "\r\n".join([
    "# CC-CEDICT",
    "學習 学习 [xue2 xi2] /to learn/to study/",
    "行 行 [xing2] /to walk/to go/",
    "行 行 [hang2] /row/line/",
    '說 说 [shuo1] /to speak/to say "hello"/',
    "測試 测试 [ce4 shi4] /the program's own dictionary/",
]) + "\r\n"


def without_display(**extra):
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env.update(extra)
    return env


def run(args, **kw):
    kw.setdefault("timeout", 30)
    return subprocess.run(args, capture_output=True, **kw)


class CommandLine(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="tulvo-cli-")
        self.addCleanup(shutil.rmtree, self.work, True)
        self.runtime = os.path.join(self.work, "run")
        os.mkdir(self.runtime, 0o700)

    def program_directory(self, *programs):
        """A program directory of its own: copies of `programs`, the fixture
        dictionary and the real frequency file."""
        prog = os.path.join(self.work, "prog")
        os.makedirs(os.path.join(prog, "data"), exist_ok=True)
        with open(os.path.join(prog, "data", "CEDICT_ts.u8"), "w", encoding="utf-8",
                  newline="") as f:
            f.write(DICTIONARY)
        os.symlink(os.path.join(os.path.abspath(APP), "data", "freq.dat"),
                   os.path.join(prog, "data", "freq.dat"))
        for name in programs:
            shutil.copy2(os.path.join(APP, name), os.path.join(prog, name))
        return prog

    def elsewhere(self):
        """An unrelated folder with a decoy data/ folder of its own."""
        other = os.path.join(self.work, "elsewhere")
        os.makedirs(os.path.join(other, "data"), exist_ok=True)
        with open(os.path.join(other, "data", "CEDICT_ts.u8"), "wb") as f:
            f.write("測試 测试 [ce4 shi4] /the decoy in the current folder/\r\n".encode())
        return other

    def test_every_program_answers_help_and_version_without_a_display(self):
        for path, name in PROGRAMS.items():
            program = os.path.join(APP, path)
            helped = run([program, "--help"], env=without_display())
            self.assertEqual(helped.returncode, 0, f"{path} --help: {helped.stderr!r}")
            self.assertIn(b"usage:", helped.stdout, path)
            version = run([program, "--version"], env=without_display())
            self.assertEqual(version.returncode, 0, f"{path} --version: {version.stderr!r}")
            self.assertEqual(version.stdout.decode(), f"{name} {VERSION}\n")
        bad = run([os.path.join(APP, "Tulvo"), "--no-such-option"], env=without_display())
        self.assertEqual(bad.returncode, 2)
        self.assertIn(b"unknown option", bad.stderr)

    def test_programs_take_their_program_directory_from_their_executable(self):
        prog = self.program_directory("tulvo-lookup", "data/Tulvo_options")
        other = self.elsewhere()
        # Started by a link in a bin folder, as the package installs them.
        bin_dir = os.path.join(self.work, "bin")
        os.mkdir(bin_dir)
        os.symlink("../prog/tulvo-lookup", os.path.join(bin_dir, "tulvo-lookup"))
        for lookup in (os.path.join(prog, "tulvo-lookup"), os.path.join(bin_dir, "tulvo-lookup")):
            found = run([lookup, "--match", "exact", "测试"], cwd=other)
            self.assertEqual(found.returncode, 0, found.stderr)
            self.assertIn("the program's own dictionary", found.stdout.decode())
            self.assertNotIn("decoy", found.stdout.decode())
        # The options program, in data/, keeps its files in its own program
        # directory, not in the current folder.
        options = subprocess.Popen([os.path.join(prog, "data", "Tulvo_options")], cwd=other,
                                   env=dict(os.environ, QT_QPA_PLATFORM="offscreen",
                                            XDG_RUNTIME_DIR=self.runtime),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            end = time.monotonic() + 20
            favorites = os.path.join(prog, "data", "favorites.dat")
            while not os.path.exists(favorites) and time.monotonic() < end:
                time.sleep(0.1)
            self.assertTrue(os.path.exists(favorites), "Tulvo_options did not open its store")
        finally:
            options.terminate()
            options.wait(10)
        self.assertEqual(sorted(os.listdir(os.path.join(other, "data"))), ["CEDICT_ts.u8"])

    def test_rows_that_cannot_be_written_are_an_error(self):
        prog = self.program_directory("tulvo-lookup")
        lookup = os.path.join(prog, "tulvo-lookup")
        found = run([lookup, "学习"])
        self.assertEqual(found.returncode, 0, found.stderr)
        self.assertIn("to learn", found.stdout.decode())
        with open("/dev/full", "wb") as full:
            lost = subprocess.run([lookup, "学习"], stdout=full, stderr=subprocess.PIPE,
                                  timeout=30)
        self.assertEqual(lost.returncode, 1)
        self.assertIn(b"could not be written", lost.stderr)

    def test_favorites_come_out_as_flashcards(self):
        prog = self.program_directory("tulvo-lookup")
        lookup = os.path.join(prog, "tulvo-lookup")
        for word in ["学习", "行", "说", "无此词"]:
            added = run([lookup, "--add-favorite", word], cwd=self.work)
            self.assertEqual(added.returncode, 0, added.stderr)
        listed = run([lookup, "--favorites"], cwd=self.work)
        self.assertEqual(listed.returncode, 0, listed.stderr)
        rows = list(csv.reader(io.StringIO(listed.stdout.decode()), delimiter="\t",
                               quoting=csv.QUOTE_NONE))
        cards = {row[0]: row[1:] for row in rows}
        self.assertEqual([len(row) for row in rows], [4] * 4, rows)
        self.assertEqual(cards["学习"][:2], ["xué xí", "to learn; to study"])
        self.assertEqual(cards["学习"][2], "1", "学习 is an HSK 1 word")
        self.assertEqual(cards["行"][:2], ["xíng / háng", "[xíng] to walk; to go | [háng] row; line"])
        self.assertEqual(cards["说"][1], 'to speak; to say "hello"')
        self.assertEqual(cards["无此词"], ["", "", ""])
        usage = run([lookup, "--favorites", "extra"], cwd=self.work)
        self.assertEqual(usage.returncode, 2)

    def test_without_a_display_each_window_says_so_and_exits_1(self):
        tulvo = os.path.join(APP, "Tulvo")
        cases = [
            ("no display", [tulvo], without_display()),
            ("a display nobody serves", [tulvo], without_display(DISPLAY=":4711")),
            ("tulvo WORD", [tulvo, "中国"], without_display()),
            ("--lookup", [tulvo, "--lookup", "中国"], without_display()),
            ("options", [os.path.join(APP, "data", "Tulvo_options")], without_display()),
            ("reminder", [os.path.join(APP, "data", "kestrine")], without_display()),
        ]
        for what, args, env in cases:
            env["XDG_RUNTIME_DIR"] = self.runtime
            env["HOME"] = self.work
            result = run(args, env=env, cwd=self.work)
            self.assertEqual(result.returncode, 1, f"{what}: {result.stderr!r}")
            self.assertIn(b"no display", result.stderr, what)
            self.assertNotIn(b"reinstalling", result.stderr.lower(), what)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
