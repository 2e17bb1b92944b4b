"""The writing pad, the radical window, a favorite across a restart and the
Options button, each driven with the mouse as a user does."""

import os
import socket
import time
import unittest

from e2e_case import HEADWORD, OPTIONS_BUTTON, SEARCH_BOX, TulvoCase
from tulvo_driver import wait_until

ORANGE = (246, 138, 0)


def is_chinese(text):
    return len(text) == 1 and ord(text) >= 0x4000


class OtherWindowsAndThePad(TulvoCase):
    def pad_origin(self, s):
        # The pad column is the rightmost 222 pixels; the pad 10 pixels in.
        _, _, width, _ = s.geometry()
        return width - 222 + 10, 42

    def test_writing_on_the_pad_stroke_by_stroke_and_picking_a_candidate(self):
        s = self.session("pad")
        s.start_tulvo()
        px, py = self.pad_origin(s)
        # 十: a horizontal stroke, then a vertical one through its middle.
        s.drag([(px + 25 + 10 * i, py + 80) for i in range(16)])
        time.sleep(0.3)
        s.screenshot("one-stroke")
        s.drag([(px + 100, py + 15 + 10 * i) for i in range(18)])
        time.sleep(0.5)
        s.screenshot("two-strokes")
        # The first candidate cell: left 6, top 9, 28 x 32 in the grid under the pad.
        s.click(px + 6 + 14, 272 + 9 + 16)
        time.sleep(0.8)
        s.screenshot("candidate-picked")
        # The recogniser's order is its own business; the pick must look
        # up a character that the two strokes can be.
        text = s.search_box_text()
        self.assertIn(text, ("十", "丁", "七", "干"))

    def test_radical_window_pick_looks_the_character_up(self):
        s = self.session("radicals")
        s.start_tulvo()
        s.click(*SEARCH_BOX, button=3)
        title = "^Select a character from its radical"
        radicals = wait_until(lambda: s.windows(title), 10, what="the radical window")[0]
        time.sleep(0.5)
        s.screenshot("radical-window")
        # The first radical (一), then the first character listed under it.
        s.click(5 + 30 + 34, 25 + 14, window=radicals)
        time.sleep(0.8)
        s.screenshot("radical-results")
        s.click(5 + 50 + 17, 25 + 14, window=radicals)
        wait_until(lambda: not s.windows(title), 10, what="the radical window to close")
        time.sleep(0.5)
        s.screenshot("radical-picked")
        text = s.search_box_text()
        self.assertTrue(is_chinese(text), "search box holds %r" % text)

    def headword_is_orange(self, s):
        # The headword display (7, 48, 300 x 55) draws a favorite in orange.
        rows = s.pixels(7, 48, 300, 55)
        return sum(pixel == ORANGE for row in rows for pixel in row) > 20

    def test_a_favorite_is_orange_after_a_restart(self):
        s = self.session("favorite")
        s.start_tulvo()
        self.search(s, "yi1lu4ping2an1")
        self.assertFalse(self.headword_is_orange(s))
        # The indicator sits at the top left of the headword display.
        s.click(HEADWORD[0] - 140, HEADWORD[1] - 24)
        time.sleep(0.5)
        s.screenshot("favorite-toggled")
        self.assertEqual(s.stop_tulvo(), 0)
        s.start_tulvo()
        self.search(s, "yi1lu4ping2an1")
        s.screenshot("after-restart")
        self.assertTrue(self.headword_is_orange(s), "the favorite is not orange")

    def test_closing_while_the_speech_service_hangs_ends_the_program(self):
        # A speech service that takes the connection and never answers: the
        # voice is still being made when the user closes the window.
        s = self.session("hung-speech")
        folder = os.path.join(s.runtime_dir, "speech-dispatcher")
        os.makedirs(folder, 0o700)
        silent = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        silent.bind(os.path.join(folder, "speechd.sock"))
        silent.listen(4)
        try:
            s.start_tulvo()
            self.search(s, "horse")
            started = time.monotonic()
            self.assertEqual(s.stop_tulvo(timeout=15), 0)
            self.assertLess(time.monotonic() - started, 5)
        finally:
            silent.close()

    def test_options_button_round_trip(self):
        s = self.session("options")
        s.start_tulvo()
        s.click(*OPTIONS_BUTTON)
        options = wait_until(lambda: s.windows("^Tulvo options$"), 15, what="the options window")[0]
        time.sleep(0.5)
        s.screenshot("options-open")
        # Font size "Large" on the General tab, then the window's close box.
        s.click(10 + 200 + 10, 90 + 30 + 10, window=options)
        time.sleep(0.2)
        s.close_window(options)
        wait_until(lambda: not s.helper_running("Tulvo_options"), 30,
                   what="the options program to end")
        with open(os.path.join(s.program_dir, "data", "options.txt"), "rb") as f:
            self.assertIn(b"fontsize=large\r\n", f.read())
        # The main window took the new sizes and still searches.
        self.search(s, "horse")
        s.screenshot("after-options")
        self.assertBox(s, "horse")
        self.assertTrue(s.running())


if __name__ == "__main__":
    unittest.main()
