"""The album address and page: settings checked before anything is asked, addresses and pages that fail a run, a
login or page that leads to this machine, and a page too large, silent for a minute or coming for five."""
import os
import unittest

from harness import wait_until
from test_download import (ALBUM_BOX, BAR, CONFIG_ERROR, DOWN, DOWN_BUTTON, RUN_FAILED, AlbumRun, album_address,
                           listing, result)


class Failures(AlbumRun):
    def test_the_settings_and_addresses_and_pages_that_fail_a_run(self):
        cut = ["http://fmn.rrimg.com/c/" + n for n in ("a.jpg", "b.jpg", "c.png", "d.jpg")]
        faults = {"/PLogin.do": {"kind": "redirect", "location": "http://127.0.0.1/home", "times": 1},
                  "/photo/1/album-13": {"kind": "redirect", "location": "http://127.0.0.1/photo/1/album-13"},
                  cut[1]: {"kind": "delay", "ms": 2000}}
        self.start({"1/10": {"page": "<html><body><p>这个相册没有照片</p></body></html>"}, "1/12": {"count": 12},
                    "1/13": {"count": 2}, "1/14": {"photos": [{"url": u, "size": 3000} for u in cut]}}, faults)
        # The first login answer leads to this machine: that attempt fails and the next one logs in.
        self.assertEqual(len(self.site.requests(path="/PLogin.do")), 2)
        folder = self.folder("failures")

        self.configure(album_address(1, 12))
        self.press_down()
        self.wait_info(CONFIG_ERROR, timeout=10)

        # No "/album" in the address: the run fails before asking the site for anything.
        self.configure("http://photo.renren.com/photo/123", folder)
        self.press_down()
        self.wait_info(RUN_FAILED)
        self.assertEqual(self.site.requests(host="photo.renren.com"), [])

        # An album box emptied by a double click is a settings error too.
        self.app.click(self.app.tree().find(id=ALBUM_BOX), double=True)
        self.app.wait_text(ALBUM_BOX, "", timeout=10)
        self.press_down()
        self.wait_info(CONFIG_ERROR, timeout=10)

        # An album the site answers with 404 is a failed run, not "0 of 0".
        self.configure(album_address(1, 11))
        self.press_down()
        self.wait_info(RUN_FAILED)
        self.assertEqual(self.site.requests(path="/photo/1/album-11")[-1]["status"], 404)

        # A page without photo markers is an album of nothing.
        self.configure(album_address(1, 10))
        self.press_down()
        self.wait_info(result(0, 0))
        self.assertEqual(self.app.tree().find(id=BAR).text, "0%")

        # A page that leads to this machine fails the run; neither it nor the login's hop went there.
        self.configure(album_address(1, 13))
        self.press_down()
        self.wait_info(RUN_FAILED)
        self.assertEqual(self.site.requests(host="127.0.0.1"), [])

        # A folder that does not exist fails every photo and is not created.
        missing = os.path.join(self.h.workdir, "no-such-folder")
        self.configure(album_address(1, 12), missing)
        self.press_down()
        self.wait_info(result(0, 12))
        self.assertFalse(os.path.exists(missing))
        self.assertEqual(listing(folder), [])

        # A piece without ".jpg" after two photos fails the run there, nothing after it is asked for, and the bar
        # keeps what it showed while the second photo came (one of four).
        self.configure(album_address(1, 14), folder)
        self.press_down()
        self.wait_info(RUN_FAILED)
        self.assert_album_files(folder, cut[:2], ["a.jpg", "b.jpg"])
        self.assertEqual(self.site.requests(path="/c/d.jpg"), [])
        self.assertEqual(self.app.tree().find(id=BAR).text, "25%")


class Limits(AlbumRun):
    def test_a_page_too_large_silent_for_a_minute_or_coming_for_five_fails_the_run(self):
        faults = {"/photo/2/album-1": {"kind": "oversize", "bytes": 65 << 20},  # past the page's 64 MB
                  "/photo/2/album-2": {"kind": "never_finish", "seconds": 150},
                  # A byte every two seconds, never silent for a minute, without end.
                  "/photo/2/album-3": {"kind": "dribble", "from": "body", "ms": 2000, "seconds": 420}}
        self.start({"2/%d" % n: {"count": 3} for n in (1, 2, 3)}, faults)
        self.configure(album_address(2, 1), self.folder("limits"))
        self.press_down()
        self.wait_info(RUN_FAILED, timeout=120)

        # The hanging pages are judged by when the program closed their connection, in the site's log.
        for album, limit in ((2, 60), (3, 300)):
            path = "/photo/2/album-%d" % album
            self.configure(album_address(2, album))
            self.press_down()
            page = self.site.wait_request(path=path, timeout=20)
            # The window keeps answering while the page hangs: a hung one reads as an empty text.
            self.assertEqual(self.controls(DOWN_BUTTON)[0].text, DOWN)
            event = wait_until(lambda: self.site.events(path), limit + 60, interval=1, what="the page given up")[0]
            waited = event["end"] - page["t"]
            self.assertTrue(limit - 2 <= waited <= limit + 15, "%s was given up after %.1f s" % (path, waited))
            self.wait_info(RUN_FAILED, timeout=10)
        self.assertEqual(self.photo_requests(), [])


if __name__ == "__main__":
    unittest.main()
