"""The window stays live while it works: typing during a long search, lookups
from other programs during a scan, a lookup while the options program is
open, and one during the first start's dictionary install. Each is driven
from outside, as a user and a second program do."""

import http.server
import io
import os
import threading
import time
import unittest
import zipfile

from e2e_case import BACK, HEADWORD, OPTIONS_BUTTON, TulvoCase
from tulvo_driver import wait_until

# A leading space searches anywhere: " the" fills the list to its 5000 rows.
LONG_SEARCH = " the"


def dictionary_archive():
    """A dictionary archive above the least size a download must have."""
    lines = ["中國 中国 [Zhong1 guo2] /China/"]
    lines += ["詞%d 词%d [ci2] /word %d/" % (i, i, i) for i in range(40000)]
    data = io.BytesIO()
    with zipfile.ZipFile(data, "w", zipfile.ZIP_STORED) as archive:
        archive.writestr("cedict_ts.u8", "\n".join(lines) + "\n")
    return data.getvalue()


class SlowArchiveServer:
    """Serves the archive on 127.0.0.1 over about `seconds`, as a slow line."""

    def __init__(self, body, seconds):
        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                self.send_response(200)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                parts = 40
                step = len(body) // parts + 1
                for start in range(0, len(body), step):
                    self.wfile.write(body[start:start + step])
                    self.wfile.flush()
                    time.sleep(seconds / parts)

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()
        self.url = "http://127.0.0.1:%d/" % self.server.server_address[1]

    def close(self):
        self.server.shutdown()
        self.server.server_close()


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

    def test_lookup_during_the_first_start_install(self):
        s = self.session("lookup-during-install")
        os.unlink(os.path.join(s.program_dir, "data", "CEDICT_ts.u8"))
        server = SlowArchiveServer(dictionary_archive(), seconds=8)
        self.addCleanup(server.close)
        s.env["TULVO_DICTIONARY_URL"] = server.url
        s.launch_tulvo()
        question = wait_until(lambda: s.windows("^Dictionary file not found$"), 20,
                              what="the question to download the dictionary")[0]
        s.focus(question)
        s.key("Return")  # Yes
        wait_until(lambda: s.windows("^Tulvo - Loading the CEDICT dictionary file$"), 10,
                   what="the progress window")
        s.screenshot("installing")
        # Another program's lookup is answered while the download runs ...
        started = time.monotonic()
        self.assertEqual(len(s.look_up("中国")), 8)
        self.assertLess(time.monotonic() - started, 3.0, "the lookup waited for the install")
        self.assertTrue(s.windows("^Tulvo - Loading the CEDICT dictionary file$"),
                        "the install ended before the lookup was answered")
        # ... and served by the main window once the dictionary is in.
        done = wait_until(lambda: s.windows("^CEDICT dictionary file$"), 30,
                          what="the box saying the install is done")[0]
        s.focus(done)
        s.key("Return")
        s.window = wait_until(s._find_window, 20, what="the Tulvo window")
        self.assertBox(s, "中国")
        s.screenshot("after-install")


if __name__ == "__main__":
    unittest.main()
