"""The base of the end-to-end tests: a Session per test, its artefacts kept."""

import os
import time
import unittest

from tulvo_driver import DriverError, Session, wait_until

APP_DIR = os.environ.get("TULVO_APP_DIR", "")
ARTEFACTS = os.environ.get("TULVO_E2E_ARTEFACTS", os.path.join(os.getcwd(), "e2e-artefacts"))

# Main window client coordinates (the pad shown, 1050 pixels wide).
SEARCH_BOX = (200, 18)
BACK = (387, 17)
FORWARD = (407, 17)
MATCH_EXACT = (429 + 170, 17)
MATCH_BEGINNING = (429 + 30, 17)
MATCH_ANYWHERE = (429 + 120, 17)
OPTIONS_BUTTON = (5, 5)
LIST_LEFT, LIST_TOP = 320, 42
HEADWORD = (150, 75)


class TulvoCase(unittest.TestCase):
    def session(self, name, **kwargs):
        if not os.path.exists(os.path.join(APP_DIR, "Tulvo")):
            self.fail("no Tulvo program in TULVO_APP_DIR=%r" % APP_DIR)
        session = Session(APP_DIR, ARTEFACTS, name, **kwargs)
        self.addCleanup(session.close)
        return session

    def search(self, s, text, settle=0.8):
        """Types `text` into the emptied search box and presses Enter."""
        s.focus()
        s.key("Tab", "ctrl+a", "BackSpace")
        s.type_text(text)
        s.key("Return")
        time.sleep(settle)

    def assertBox(self, s, expected, timeout=5.0):
        seen = []

        def matches():
            try:
                seen.append(s.search_box_text())
            except DriverError:
                seen.append(None)  # the window did not answer the copy yet
            return seen[-1] == expected

        try:
            wait_until(matches, timeout, interval=0.2, what="search box %r" % expected)
        except AssertionError:
            self.fail("search box holds %r, not %r" % (seen[-1] if seen else None, expected))
