"""The hidden locator as a second program uses it: lookups and the window
request over the local socket, and two copies of Tulvo in one session."""

import os
import subprocess
import time
import unittest

from e2e_case import HEADWORD, MATCH_ANYWHERE, TulvoCase
from tulvo_driver import SHOW_WINDOW, copy_program_directory, lookup_parameters, wait_until

# Twenty texts of one to four UTF-16 units; the last one is what must show.
TEXTS = ["你", "好", "马", "人", "大", "中", "国", "学", "生", "水",
         "火", "山", "木", "日", "月", "天", "地", "朋友", "电脑", "中国"]


class HiddenLocator(TulvoCase):
    def test_twenty_lookups_from_another_program_during_a_long_search(self):
        s = self.session("twenty-lookups")
        s.start_tulvo()
        # A search that reads the whole dictionary and lists some 4,000 rows.
        s.click(*MATCH_ANYWHERE)
        s.focus()
        s.key("Tab", "ctrl+a")
        s.type_text("zh")
        s.key("Return")
        time.sleep(0.05)
        for i, text in enumerate(TEXTS):
            # Each client closes at once: after the reply, or without
            # reading it.
            s.look_up(text, read_reply=(i % 2 == 0))
        time.sleep(1.0)
        s.screenshot("after-lookups")
        self.assertTrue(s.running(), "Tulvo ended")
        self.assertBox(s, "中国", timeout=20)
        self.assertTrue(s.running(), "Tulvo ended")
        # The list is that search's alone: its first row holds 中国.
        self.assertIn("中国", s.text_at(*HEADWORD))
        # Every frame was answered with a 64-bit zero.
        self.assertEqual(s.look_up("好"), b"\0" * 8)

    def test_show_window_message_changes_nothing_else(self):
        s = self.session("show-window")
        s.start_tulvo()
        self.search(s, "horse")
        first, second = lookup_parameters("你")
        self.assertEqual(s.send_locator(SHOW_WINDOW, first, second), b"\0" * 8)
        time.sleep(0.5)
        self.assertTrue(s.running())
        self.assertBox(s, "horse")
        focused = s.run(["xdotool", "getwindowfocus"]).strip()
        self.assertIn(focused, [s.window] + s.run(["xdotool", "search", "--pid",
                                                    str(s.tulvo.pid), ""]).split())

    def test_tulvo_word_looks_up_in_the_running_window(self):
        s = self.session("tulvo-word")
        s.start_tulvo()
        # From another folder, as a user types it in a terminal.
        result = subprocess.run([os.path.join(s.program_dir, "Tulvo"), "马"], env=s.env,
                                cwd=s.work, capture_output=True, timeout=15)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertBox(s, "马")
        time.sleep(0.5)
        self.assertEqual(len(s.windows("^Tulvo$")), 1, "a second window opened")
        self.assertTrue(s.running())

    def test_a_second_copy_leaves_the_first_reachable(self):
        s = self.session("two-copies")
        s.start_tulvo()
        socket_file = s.locator_path()
        self.assertTrue(os.path.exists(socket_file))
        # A second copy in the same session, from its own program directory.
        second_dir = os.path.join(s.work, "second")
        copy_program_directory(s.app_dir, second_dir)
        with open(os.path.join(s.artefacts, "second.log"), "ab") as log:
            second = subprocess.Popen(["./Tulvo"], cwd=second_dir, env=s.env, stdout=log,
                                      stderr=log)
        try:
            wait_until(lambda: len(s.windows("^Tulvo$")) >= 2, 20, what="the second window")
            time.sleep(0.5)
            # Lookups still reach the first copy.
            s.look_up("马")
            self.assertBox(s, "马")
        finally:
            for w in s.run(["xdotool", "search", "--all", "--pid", str(second.pid), "--name", "^Tulvo$"],
                           check=False).split():
                s.close_window(w)
            try:
                second.wait(10)
            except subprocess.TimeoutExpired:
                second.kill()
                second.wait()
        # The second copy's end removed nothing of the first's.
        self.assertTrue(os.path.exists(socket_file))
        s.look_up("好")
        self.assertBox(s, "好")
        # The first copy's own end removes its socket.
        self.assertEqual(s.stop_tulvo(), 0)
        self.assertFalse(os.path.exists(socket_file))


if __name__ == "__main__":
    unittest.main()
