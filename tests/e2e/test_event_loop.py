"""The window stays live while it works: typing during a long search, lookups
from other programs during a scan, and a lookup while the options program is
open. Each is driven from outside, as a user and a second program do."""

import time
import unittest

from e2e_case import BACK, HEADWORD, OPTIONS_BUTTON, TulvoCase
from tulvo_driver import wait_until

# A leading space searches anywhere: " the" fills the list to its 5000 rows.
LONG_SEARCH = " the"


class EventLoop(TulvoCase):
    def start_long_search(self, s):
        s.focus()
        s.key("Tab", "ctrl+a", "BackSpace")
        s.type_text(LONG_SEARCH)
        s.key("Return")

    def test_typing_during_a_5000_row_search(self):
        s = self.session("typing-during-search")
        s.start_tulvo()
        # Alone, the long search shows its message once.
        self.start_long_search(s)
        wait_until(s.message_boxes, 10, what="the 5000-row message")
        time.sleep(0.3)
        s.screenshot("5000-row-message")
        self.assertEqual(len(s.message_boxes()), 1)
        s.dismiss_messages()
        self.assertBox(s, LONG_SEARCH)

        # The user types on at once, without waiting for the search: the keys
        # go to the search box and the new Enter searches what was typed.
        s.focus()
        s.key("Tab", "ctrl+a", "BackSpace")
        s.type_text(LONG_SEARCH)
        s.key("Return", *["BackSpace"] * len(LONG_SEARCH), "h", "o", "r", "s", "e", "Return",
              delay_ms=0)
        time.sleep(1.0)
        s.screenshot("typed-on")
        s.dismiss_messages()
        self.assertBox(s, "horse")
        # "horse" was searched: Back goes from it to the search before.
        s.click(*BACK)
        wait_until(s.message_boxes, 10, what="the 5000-row message again")
        s.dismiss_messages()
        self.assertBox(s, LONG_SEARCH)
        self.assertTrue(s.running())

    def test_each_lookup_during_a_scan_carries_its_own_text(self):
        s = self.session("lookups-during-scan")
        s.start_tulvo()
        self.start_long_search(s)
        s.look_up("好")
        code, _ = s.lookup_command("中国")
        self.assertEqual(code, 0)
        time.sleep(1.0)
        s.screenshot("after-two-lookups")
        s.dismiss_messages()
        self.assertBox(s, "中国")
        self.assertIn("中国", s.text_at(*HEADWORD))

        # Three lookups of both kinds: the newest is shown.
        self.start_long_search(s)
        s.look_up_text("马")
        s.look_up("人")
        s.look_up_text("水")
        time.sleep(1.0)
        s.dismiss_messages()
        self.assertBox(s, "水")
        self.assertIn("水", s.text_at(*HEADWORD))
        self.assertEqual(len(s.windows("^Tulvo$")), 1, "a second window was started")

    def test_lookup_while_the_options_program_is_open(self):
        s = self.session("lookup-during-options")
        s.start_tulvo()
        self.search(s, "horse")
        s.click(*OPTIONS_BUTTON)
        options = wait_until(lambda: s.windows("^Tulvo options$"), 15,
                             what="the options window")[0]
        time.sleep(0.3)
        # The window answers at once and no second window starts.
        code, seconds = s.lookup_command("中国")
        self.assertEqual(code, 0)
        self.assertLess(seconds, 3.0, "the lookup waited for the busy window")
        time.sleep(1.0)
        s.screenshot("options-open-after-lookup")
        self.assertEqual(len(s.windows("^Tulvo$")), 1, "a second window was started")
        # The lookup is served when the options program ends.
        s.close_window(options)
        wait_until(lambda: not s.helper_running("Tulvo_options"), 30,
                   what="the options program to end")
        self.assertBox(s, "中国")
        self.assertIn("中国", s.text_at(*HEADWORD))
        s.screenshot("after-options")


if __name__ == "__main__":
    unittest.main()
