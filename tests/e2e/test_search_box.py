"""Typing, Enter, Back and Forward, the selectors and the list, as a user
drives them with the keyboard and the mouse."""

import time
import unittest

from e2e_case import (BACK, FORWARD, LIST_LEFT, LIST_TOP, MATCH_BEGINNING, MATCH_EXACT,
                      TulvoCase)


class SearchBoxAndHistory(TulvoCase):
    def test_three_queries_back_forward_and_a_selector_change(self):
        s = self.session("history")
        s.start_tulvo()
        for query in ("ma", "horse", "ma"):
            self.search(s, query)
        s.screenshot("three-queries")
        # Enter on a text that is also a drop-down entry pushed it once.
        s.click(*BACK)
        self.assertBox(s, "horse")
        s.click(*FORWARD)
        self.assertBox(s, "ma")
        s.click(*FORWARD)  # the newest entry: nothing happens
        self.assertBox(s, "ma")

        # A selector changed, then Enter on the same text: one new entry.
        s.click(*MATCH_EXACT)
        s.focus()
        s.key("Tab", "Return")
        time.sleep(0.8)
        s.click(*MATCH_BEGINNING)
        s.click(*BACK)
        self.assertBox(s, "ma")
        s.click(*BACK)
        self.assertBox(s, "horse")
        s.screenshot("back-to-horse")

    def test_shift_tab_and_double_click_on_the_third_character(self):
        s = self.session("double-click")
        s.start_tulvo()
        s.click(*MATCH_EXACT)
        self.search(s, "yi1lu4ping2an1")
        s.screenshot("one-row")
        # Shift+Tab from the list goes to the search box, as Tab does.
        s.click(LIST_LEFT + 200, LIST_TOP + 40)
        s.key("shift+Tab")
        self.assertEqual(s.copy_focused_text(), "yi1lu4ping2an1")
        # The first row's Character cell: 一路平安, 15 pixels a character
        # from 4 pixels into the cell; three quarters into the third one.
        header = 22
        s.click(LIST_LEFT + 1 + 4 + 2 * 15 + 11, LIST_TOP + 2 + header + 10, double=True)
        time.sleep(0.8)
        s.screenshot("after-double-click")
        self.assertBox(s, "平")


if __name__ == "__main__":
    unittest.main()
