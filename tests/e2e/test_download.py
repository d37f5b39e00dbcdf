"""Downloading albums as a user does: log in, paste the album address, type the folder, pick a naming scheme,
press 下 载, and read the folder, the status line, the bar and the site's request log. The album page's faults
are in test_album_page.py, the photos' in test_faulty_photos.py."""
import json
import os
import subprocess
import unittest
from unittest import mock

from harness import INSPECT, WINE, HarnessTestCase, site, wait_until

EMAIL, PASSWORD = "reader@example.com", "s3cret"
ACCOUNTS = [{"email": EMAIL, "password": PASSWORD, "name": "Reader"}]

ALBUM_BOX, PASTE_BUTTON, FOLDER_BOX, FOLDER_BUTTON = 110, 111, 113, 114
MODE_CONTAINER, URL_NAME, UP_NAME, DOWN_NAME = 116, 118, 119, 120
DOWN_BUTTON, DOWN_INFO, BAR = 123, 125, 127

DOWN, STOP = "下 载", "停 止"
LOGGED_IN = "登录成功，请配置相册信息"
CONFIG_ERROR = "[相册下载失败] 相册信息或者下载模式配置错误"
RUN_FAILED = "[相册下载失败] 相册可能不存在或者没有访问权限，参数配置错误"
STOPPED = "相册下载中断…"


def counting(n):
    return "正在下载，该相册有 %d 张照片，请耐心等待" % n


def result(ok, failed):
    return "[相册下载结束] 成功：%d 张，失败：%d 张" % (ok, failed)


def album_address(owner, album):
    return "http://photo.renren.com/photo/%s/album-%s?frombox=1" % (owner, album)


def windows_path(path):
    """A Linux path as the program sees it through Wine's Z: drive."""
    return "Z:" + path.replace("/", "\\")


def listing(folder):
    return sorted(os.listdir(folder))


def read(path):
    with open(path, "rb") as f:
        return f.read()


class AlbumRun(HarnessTestCase):
    """One program per test, logged in; helpers act through real clicks and key strokes."""

    def start(self, albums, faults=None, **config):
        self.site = self.h.start_site(dict(accounts=ACCOUNTS, albums=albums, faults=faults or {}, **config))
        self.app = self.h.start_app()
        self.app.log_in(EMAIL, PASSWORD, LOGGED_IN)
        return self.app

    def folder(self, name):
        path = os.path.join(self.h.workdir, name)
        os.makedirs(path, exist_ok=True)
        return path

    def paste_address(self, address):
        self.h.inspect.clipboard_set(address)
        self.app.click(self.app.tree().find(id=PASTE_BUTTON))
        self.app.wait_text(ALBUM_BOX, address, timeout=10)

    def configure(self, address=None, folder=None, scheme=None):
        tree = self.app.tree()
        if address is not None:
            self.paste_address(address)
        if folder is not None:
            self.app.type_into(tree.find(id=FOLDER_BOX), windows_path(folder))
        if scheme is not None:
            self.app.click(tree.find(id=scheme))
            wait_until(lambda: self.app.tree().find(id=scheme).checked, 10, what="scheme %d chosen" % scheme)

    def press_down(self):
        self.app.click(self.app.tree().find(id=DOWN_BUTTON))

    def wait_info(self, text, timeout=60):
        return self.app.wait_text(DOWN_INFO, text, timeout=timeout)

    def wait_finished(self, timeout=60):
        return self.app.wait_text(DOWN_INFO, lambda t: t.startswith("[相册下载结束]"), timeout=timeout,
                                  what="the result line")

    def controls(self, *ids):
        tree = self.app.tree()
        return [tree.find(id=i) for i in ids]

    def photo_requests(self):
        return [r for r in self.site.requests() if r.get("photo")]

    def assert_album_files(self, folder, urls, names):
        self.assertEqual(listing(folder), sorted(names))
        for url, name in zip(urls, names):
            self.assertEqual(read(os.path.join(folder, name)), self.site.photo_bytes(url), name)

    def close_and_wait(self):
        """Alt+F4; the program's exit code, read by a waiter that opened the process before and waits 20 s."""
        out = os.path.join(self.h.workdir, "waiter-%d.txt" % self.app.pid)
        with open(out, "wb") as f:
            waiter = subprocess.Popen([WINE, INSPECT, "wait", "--pid", str(self.app.pid), "--timeout", "20000"],
                                      stdin=subprocess.DEVNULL, stdout=f, stderr=subprocess.DEVNULL)
        # It opens the process right after saying so, long before the key's own helper has started.
        wait_until(lambda: b"#started" in read(out), 60, what="the waiter started")
        self.app.key("alt+f4")
        waiter.wait(90)
        seen = json.loads([line for line in read(out).decode().splitlines() if line.startswith("{")][-1])
        self.assertTrue(seen.get("exited") and seen.get("known"), "the program ended (%r)" % seen)
        return seen["code"]


class NamingSchemes(AlbumRun):
    def test_a_twelve_photo_album_with_a_missing_photo_in_each_scheme(self):
        key = "345/6789"
        albums = {key: {"count": 12, "size": 3000}}
        urls = [p["url"] for p in site.album_photos(key, albums[key])]
        # The fifth photo is missing: it fails, and the numbered schemes still count it.
        with mock.patch.dict(os.environ, WINEDEBUG="trace+volume"):
            self.start(albums, {urls[4]: {"kind": "404"}})
        kept = urls[:4] + urls[5:]

        # A cancelled folder dialog empties the folder box.
        self.app.type_into(self.app.tree().find(id=FOLDER_BOX), "C:\\somewhere")
        self.app.click(self.app.tree().find(id=FOLDER_BUTTON))
        dialog = wait_until(lambda: [w for w in self.app.dialogs() if w["class"] == "#32770"], 20,
                            what="the folder dialog")[0]
        self.assertIn("请选择相册保存的目录", [w.text for w in self.h.inspect.tree(dialog.hwnd).windows])
        self.h.inspect.key("escape", dialog.hwnd)
        self.app.wait_text(FOLDER_BOX, "", timeout=10)

        runs = [(URL_NAME, [u.rsplit("/", 1)[1] for u in kept]),
                (UP_NAME, ["%d.jpg" % (i + 1) for i in range(12) if i != 4]),
                (DOWN_NAME, ["%d.jpg" % (12 - i) for i in range(12) if i != 4])]
        for n, (scheme, names) in enumerate(runs):
            folder = self.folder("album-%d" % n)
            self.configure(album_address(345, 6789) if n == 0 else None, folder, scheme)
            self.press_down()
            self.wait_info(result(11, 1))
            self.assert_album_files(folder, kept, names)
            # Wine's volumes keep no named streams, so the Mark of the Web cannot show there: the program asks the
            # saved photo's volume and, told so, makes no "name:Zone.Identifier" file beside it (the listing above).
            traced = read(os.path.join(self.h.workdir, "wine-output.txt")).decode("utf-8", "replace")
            photo = windows_path(os.path.join(folder, names[0])).replace("\\", "\\\\")  # as the trace writes it
            self.assertIn('GetVolumePathNameW L"%s"' % photo, traced)
            # The bar reaches 100 on the tick after the last photo; the scheme is free again.
            self.app.wait_text(BAR, "100%", timeout=10)
            button, modes = self.controls(DOWN_BUTTON, MODE_CONTAINER)
            self.assertEqual((button.text, modes["enabled"]), (DOWN, True))

        # The page went with the login's session and without the address's query; a probe ends each run.
        pages = self.site.requests(host="photo.renren.com")
        self.assertEqual([p["path"] for p in pages], ["/photo/345/album-6789"] * 3)
        photos = self.photo_requests()
        self.assertEqual(len(photos), 33)
        session = self.site.requests(path="/PLogin.do")[-1]["session"]
        self.assertTrue(all(session in r["cookie"] for r in pages))
        probes = self.site.requests(path="/getuser.do")
        self.assertGreaterEqual(len(probes), 4, "one probe after the login and one after each run")
        self.assertGreater(probes[-1]["seq"], photos[-1]["seq"])

        # A run into the folder an earlier run filled replaces its files (names are unique within a run only), and
        # leaves the one it has no photo for.
        refilled = os.path.join(self.h.workdir, "album-1")
        self.configure(folder=refilled)
        self.press_down()
        wait_until(lambda: len(self.photo_requests()) == 44, 60, what="the fourth run's photos")
        self.wait_info(result(11, 1))
        wait_until(lambda: len(self.site.requests(path="/getuser.do")) > len(probes), 30, what="its probe")
        self.assert_album_files(refilled, kept + urls[7:8], runs[2][1] + ["8.jpg"])


class StopAndClose(AlbumRun):
    def test_stop_during_the_third_photo_with_close_refused_then_a_close_while_a_page_hangs(self):
        key = "11/22"
        albums = {key: {"count": 8, "size": 2000}}
        urls = [p["url"] for p in site.album_photos(key, albums[key])]
        third = urls[2].split("://", 1)[1].partition("/")[2]
        faults = {"/photo/11/album-22": {"kind": "delay", "ms": 2500, "times": 1},
                  # About 8 s in pieces, never silent as long as a photo request's 5 s receive time-out.
                  "/" + third: {"kind": "slow", "chunk": 100, "ms": 400}}
        self.start(albums, faults)
        folder = self.folder("stopped")
        self.configure(album_address(11, 22), folder)

        # A click while the page loads gives the page up: the line says so, the button still reads 下 载, and
        # no photo is asked for. The next click starts the run.
        self.press_down()
        self.site.wait_request(path="/photo/11/album-22", timeout=20)
        self.press_down()
        self.wait_info(STOPPED, timeout=10)
        self.assertEqual(self.controls(DOWN_BUTTON)[0]["text"], DOWN)
        self.assertEqual(len(self.photo_requests()), 0)
        self.press_down()
        self.app.wait_text(DOWN_BUTTON, STOP, timeout=20)
        self.wait_info(counting(8))
        self.assertFalse(self.controls(MODE_CONTAINER)[0]["enabled"], "the scheme is locked during a run")

        self.site.wait_request(path="/" + third, timeout=20)
        self.app.key("alt+f4")
        box = wait_until(lambda: [w for w in self.app.dialogs() if w.text == "退出程序"], 20,
                         what="the refusal to close")[0]
        self.assertIn("相册下载中，请您先停止", [w.text for w in self.h.inspect.tree(box.hwnd).windows])
        self.h.inspect.key("enter", box.hwnd)
        wait_until(lambda: not self.app.dialogs(), 10, what="the message box gone")
        self.assertFalse(self.app.exited(timeout=0))

        self.press_down()  # 停 止
        self.app.wait_text(DOWN_BUTTON, DOWN, timeout=10)
        self.press_down()  # the third photo is still on its way: this click starts nothing
        self.wait_info(STOPPED, timeout=30)
        # The third photo was finished and kept; nothing after it was asked for.
        self.assert_album_files(folder, urls[:3], [u.rsplit("/", 1)[1] for u in urls[:3]])
        self.assertEqual(len(self.photo_requests()), 3)
        # The page given up while it loaded, then the run's own.
        self.assertEqual(len(self.site.requests(host="photo.renren.com")), 2)
        self.app.wait_text(BAR, "0%", timeout=5)
        self.assertTrue(self.controls(MODE_CONTAINER)[0]["enabled"], "a stopped run gives the scheme back")
        self.h.screenshot("-stopped")

        # A run whose page never comes has not begun downloading: the close is not refused, and the program ends
        # at once rather than when the page is given up a minute later.
        self.site.control("/faults", {"/photo/11/album-22": {"kind": "stall", "headers": False, "seconds": 90}})
        self.press_down()
        wait_until(lambda: self.site.requests(host="photo.renren.com")[2:], 20, what="the hanging page asked for")
        self.assertEqual(self.close_and_wait(), 0, "the program ends normally, not by a crash")


class EndOfRun(AlbumRun):
    def test_the_probes_are_not_waited_for_and_a_close_after_a_stop_not_for_the_photo_on_its_way(self):
        # Every probe is answered 20 s late, the one after the login too.
        albums = {"7/8": {"count": 2, "size": 2000}}
        urls = [p["url"] for p in site.album_photos("7/8", albums["7/8"])]
        self.start(albums, {"/getuser.do": {"kind": "delay", "ms": 20000}})
        login_probe = self.site.wait_request(path="/getuser.do", timeout=20)
        folder = self.folder("probe")
        self.configure(album_address(7, 8), folder)
        self.press_down()
        self.wait_info(result(2, 0))
        first_page = self.site.requests(host="photo.renren.com")[0]
        self.assertLess(first_page["t"] - login_probe["t"], 20, "the run began while the login's probe waited")

        # The result line shows: the button starts the next run at once, its run's probe still unanswered.
        self.assertEqual(self.controls(DOWN_BUTTON)[0].text, DOWN)
        self.press_down()
        second_page = wait_until(lambda: self.site.requests(host="photo.renren.com")[1:], 30,
                                 what="a second run")[0]
        run_probe = self.site.requests(path="/getuser.do")[1]
        self.assertLess(run_probe["seq"], second_page["seq"])
        self.assertLess(second_page["t"] - run_probe["t"], 20, "the second run began while the probe waited")
        self.wait_info(result(2, 0))
        wait_until(lambda: len(self.site.requests(path="/getuser.do")) == 3, 30, what="the second run's probe")

        # Stopped while its second photo is on its way: the close goes through, and no part file of the abandoned
        # transfer stays behind.
        self.site.control("/faults", {urls[1]: {"kind": "delay", "ms": 15000}})
        closed = self.folder("closed")
        self.configure(folder=closed)
        self.press_down()
        wait_until(lambda: self.site.requests(path="/" + urls[1].split("/", 3)[3])[2:], 30, what="the photo asked")
        self.press_down()  # 停 止
        self.app.wait_text(DOWN_BUTTON, DOWN, timeout=10)
        self.assertEqual(self.close_and_wait(), 0, "the program ends normally, not by a crash")
        self.assertEqual(listing(closed), [urls[0].rsplit("/", 1)[1]])


if __name__ == "__main__":
    unittest.main()
