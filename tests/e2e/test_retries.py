"""Photos and album pages asked for again after a passing failure, and what is never asked for: one start of the
program per method, each covering several behaviours (passing and lasting failures, addresses this machine's
names or outside ASCII, a stop during a pause and a photo that falls silent late)."""
import os
import socket
import subprocess
import time
import unittest

from harness import wait_until
from test_download import (BAR, DOWN_INFO, STOPPED, UP_NAME, AlbumRun, album_address, counting, listing, read,
                           result, windows_path)

# The measured pause is the program's own plus its handling of one small answer on loopback.
LATE = 0.45


def name_of(url):
    return url.rsplit("/", 1)[1]


def gaps(records):
    return [b["t"] - a["t"] for a, b in zip(records, records[1:])]


def local_names():
    """This machine's names and a dotless one, all mapped to the site by sandbox.sh."""
    names = list(dict.fromkeys(os.environ.get("VERDALY_LOCAL_NAMES", "").split()))
    if socket.gethostname() not in names:
        raise AssertionError("run through sandbox.sh, which maps this machine's names (have %r)" % names)
    return names


class PassingFailures(AlbumRun):
    def test_passing_failures_are_asked_again_after_a_pause_and_lasting_ones_are_not(self):
        challenges = [["WWW-Authenticate", v] for v in ("Negotiate", "NTLM", 'Basic realm="photos"')]
        base = "http://fmn.rrimg.com/t/"
        # (address, fault, pauses expected before each further request, saved). The dropped photos are the first
        # of their hosts: on a connection it had used before, WinINet itself sends a request again that got no
        # answer byte, which would hide the program's own second try.
        photos = [("http://fmn.xnpic.com/t/dropped.jpg", {"kind": "drop", "times": 1}, [0.5], True),
                  ("http://head.xnimg.cn/t/reset.jpg", {"kind": "drop", "reset": True, "times": 1}, [0.5], True),
                  (base + "busy.jpg", {"kind": "503", "headers": [["Retry-After", "1"]], "times": 1}, [1.0], True),
                  (base + "short.jpg", {"kind": "cut", "partial": 1000, "times": 1}, [0.5], True),
                  (base + "crowded.jpg", {"kind": "429", "times": 1}, [0.5], True),
                  (base + "down.jpg", {"kind": "503"}, [0.5, 1.0], False),
                  (base + "missing.jpg", {"kind": "404"}, [], False),
                  (base + "private.jpg", {"kind": "401", "headers": challenges}, [], False),
                  (base + "last.jpg", None, [], True)]
        self.start({"60/1": {"photos": [{"url": u, "size": 5000, "fault": f} for u, f, _, _ in photos]}},
                   {"/photo/60/album-1": {"kind": "503", "times": 1}})
        folder = self.folder("retries")
        self.configure(album_address(60, 1), folder)
        self.press_down()

        saved = [u for u, _, _, kept in photos if kept]
        self.assertEqual(self.wait_finished(timeout=90).text, result(len(saved), len(photos) - len(saved)))
        self.assertEqual([r["status"] for r in self.site.requests(host="photo.renren.com")], [503, 200])

        # One photo after another, each asked as often as its failure allows, never with credentials.
        hosts = {u.split("/")[2] for u, _, _, _ in photos}
        asked = [r for r in self.site.requests() if r["host"] in hosts]
        self.assertEqual([name_of(r["path"]) for r in asked],
                         [name_of(u) for u, _, pauses, _ in photos for _ in range(len(pauses) + 1)])
        self.assertEqual([r for r in asked if r["authorization"]], [])
        for url, _, pauses, _ in photos:
            measured = gaps([r for r in asked if r["path"] == "/" + url.split("/", 3)[3]])
            for gap, pause in zip(measured, pauses):
                self.assertTrue(pause - 0.05 <= gap <= pause + LATE, "%s: pauses %r" % (name_of(url), measured))
        down = gaps([r for r in asked if r["path"] == "/t/down.jpg"])
        self.assertGreater(down[1] - down[0], 0.25, "the second pause is the longer one: %r" % down)

        self.assert_album_files(folder, saved, [name_of(u) for u in saved])


class Addresses(AlbumRun):
    def short_alias(self, long_name):
        """The short (8.3) name Wine gives a file of that long name, in any folder."""
        probe = self.folder("alias-probe")
        open(os.path.join(probe, long_name), "wb").close()
        out = subprocess.run([os.environ.get("WINE", "wine"), "winepath", "-s", windows_path(
            os.path.join(probe, long_name))], capture_output=True, text=True, timeout=60).stdout.strip()
        alias = out.rsplit("\\", 1)[-1]
        self.assertNotEqual(alias.lower(), long_name.lower(), out)
        return alias

    def test_machine_names_refused_names_outside_ascii_escaped_aliases_and_the_scheme_at_the_lock(self):
        names = local_names() + ["127.0.0.1"]  # and this machine by its address
        for name in names:  # so that a request for any of them would show in the site's log
            self.assertEqual(socket.gethostbyname(name), "127.0.0.1", name)
        refused = ["http://%s/n/%d.jpg" % (name, i) for i, name in enumerate(names)]
        own = ["http://fmn.rrimg.com/u/相片一.jpg", "http://fmn.rrimg.com/u/가족.jpg"]
        # A later photo named as the short alias of one saved earlier in the run must not replace it.
        long_name = "photograph-lake-view.jpg"
        alias = self.short_alias(long_name)
        # The page's addresses end at ".jpg" in lower case; the file system reads the alias in any case.
        stem = os.path.splitext(alias)[0]
        aliased = ["http://fmn.rrimg.com/v/" + long_name, "http://fmn.rrimg.com/w/" + stem + ".jpg"]
        urls = refused[:3] + own[:1] + refused[3:] + own[1:] + aliased
        numbered = ["http://fmn.rrimg.com/x/a.jpg", "http://fmn.rrimg.com/x/b.jpg"]
        self.start({"61/1": {"photos": [{"url": u, "size": 4000} for u in urls]},
                    "61/2": {"photos": [{"url": u, "size": 3000} for u in numbered]}},
                   {"/photo/61/album-2": {"kind": "delay", "ms": 4000}})
        folder = self.folder("names")
        self.configure(album_address(61, 1), folder)
        self.press_down()
        self.wait_info(result(4, len(refused)), timeout=90)

        # Judged after the result line: nothing went to this machine's names, and the others were escaped.
        lowered = {name.lower() for name in names}
        self.assertEqual([r["host"] for r in self.site.requests() if r["host"] in lowered], [])
        photos = [r for r in self.site.requests(host="fmn.rrimg.com") if r["path"].startswith("/u/")]
        self.assertEqual([(r["path"], r["status"], r["photo"]["known"]) for r in photos],
                         [("/u/%E7%9B%B8%E7%89%87%E4%B8%80.jpg", 200, True), ("/u/%EA%B0%80%EC%A1%B1.jpg", 200, True)])
        self.assert_album_files(folder, own + aliased, ["相片一.jpg", "가족.jpg", long_name, stem + " (2).jpg"])

        # The naming scheme is the one chosen when the run locks the naming group, after its page came.
        numbered_folder = self.folder("numbered")
        self.configure(album_address(61, 2), numbered_folder)
        self.press_down()
        self.site.wait_request(path="/photo/61/album-2", timeout=30)
        self.configure(scheme=UP_NAME)
        self.wait_info(result(2, 0), timeout=60)
        self.assert_album_files(numbered_folder, numbered, ["1.jpg", "2.jpg"])


class Pauses(AlbumRun):
    def test_a_stop_during_a_pause_then_a_photo_that_falls_silent_late(self):
        stopped = ["http://fmn.rrimg.com/p/first.jpg", "http://fmn.rrimg.com/p/waiting.jpg",
                   "http://fmn.rrimg.com/p/after.jpg"]
        late = ["http://fmn.rrimg.com/q/late.jpg", "http://fmn.rrimg.com/q/next.jpg"]
        faults = {"/p/waiting.jpg": {"kind": "503", "headers": [["Retry-After", "5"]]},
                  # Two bytes a second for 15 s, then silence with the connection left open.
                  "/q/late.jpg": {"kind": "dribble", "from": "body", "prefix": 1000, "ms": 500, "seconds": 15,
                                  "then": "silent", "hold": 60}}
        self.start({"62/1": {"photos": [{"url": u, "size": 4000} for u in stopped]},
                    "62/2": {"photos": [{"url": u, "size": 20000} for u in late]}}, faults)
        first_folder, late_folder = self.folder("stopped"), self.folder("late")
        self.configure(album_address(62, 1), first_folder)
        self.press_down()

        waiting = self.site.wait_request(path="/p/waiting.jpg", timeout=30)
        self.press_down()  # 停 止, within the 5 s the answer asked for
        self.wait_info(STOPPED, timeout=10)
        self.assertLess(time.time() - waiting["t"], 5.0, "the stop showed only when the pause was over")
        self.app.wait_text(BAR, "0%", timeout=5)
        self.assertEqual(listing(first_folder), ["first.jpg"])

        # The next run, started by the user; what it asks for is the later event against which the stopped
        # run's silence is judged.
        self.configure(album_address(62, 2), late_folder)
        self.assertEqual(self.controls(DOWN_INFO)[0].text, STOPPED, "the stopped run wrote a result line")
        self.press_down()
        asked = self.site.wait_request(path="/q/late.jpg", timeout=30)
        lines = []

        def finished():
            lines.append(self.controls(DOWN_INFO)[0].text)
            return lines[-1].startswith("[相册下载结束]")
        wait_until(finished, 60, interval=0.5, what="the second run's result line")
        # A late result line of the stopped run (three photos) would be another than this run's.
        self.assertEqual([t for t in lines if t.startswith("[相册下载")], [result(1, 1)])
        self.assertIn(counting(2), lines)

        event = wait_until(lambda: self.site.events("/q/late.jpg"), 10, what="the end of the late photo's answer")[0]
        closed = event["end"] - asked["t"]
        self.assertEqual(event["outcome"], "client closed")
        self.assertIn("silent", event, "the answer fell silent before the program closed it")
        self.assertTrue(19.0 <= closed <= 21.5, "the silent connection was closed %.1f s after its request" % closed)
        following = self.site.requests(path="/q/next.jpg")
        self.assertEqual(len(following), 1)
        self.assertGreaterEqual(following[0]["t"], event["end"] - 0.1,
                                "the next photo was asked for %.1f s before the silent one's connection closed"
                                % (event["end"] - following[0]["t"]))
        self.assertEqual(len(self.site.requests(path="/q/late.jpg")), 1, "too little of its 20 s was left")
        self.assert_album_files(late_folder, late[1:], ["next.jpg"])

        # Nothing more of the stopped run, long after its pause would have ended.
        self.assertEqual([(r["path"], r["status"]) for r in self.site.requests() if r["path"].startswith("/p/")],
                         [("/p/first.jpg", 200), ("/p/waiting.jpg", 503)])
        self.assertEqual(read(os.path.join(first_folder, "first.jpg")), self.site.photo_bytes(stopped[0]))


if __name__ == "__main__":
    unittest.main()
