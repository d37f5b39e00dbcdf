"""Downloading albums as a user does: log in, paste the album address, type the folder, pick a naming scheme,
press 下 载, and read the folder, the status line, the bar and the site's request log."""
import hashlib
import os
import time
import unittest

from harness import ARTIFACTS, HarnessTestCase, wait_until

EMAIL, PASSWORD = "reader@example.com", "s3cret"
ACCOUNTS = [{"email": EMAIL, "password": PASSWORD, "name": "Reader"}]

EMAIL_BOX, PASSWORD_BOX, LOGIN_BUTTON, LOGIN_INFO = 102, 104, 106, 107
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
        tree = self.app.tree()
        self.app.type_into(tree.find(id=EMAIL_BOX), EMAIL)
        self.app.type_into(tree.find(id=PASSWORD_BOX), PASSWORD)
        self.app.click(tree.find(id=LOGIN_BUTTON))
        self.app.wait_text(LOGIN_INFO, LOGGED_IN, timeout=60)
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


class NamingSchemes(AlbumRun):
    def test_a_twelve_photo_album_in_each_scheme(self):
        key = "345/6789"
        self.start({key: {"count": 12, "size": 3000}})
        urls = [p["url"] for p in self.site.album_photos(key)]
        by_address = [u.rsplit("/", 1)[1] for u in urls]

        # A cancelled folder dialog empties the folder box.
        self.app.type_into(self.app.tree().find(id=FOLDER_BOX), "C:\\somewhere")
        self.app.click(self.app.tree().find(id=FOLDER_BUTTON))
        dialog = wait_until(lambda: [w for w in self.app.dialogs() if w["class"] == "#32770"], 20,
                            what="the folder dialog")[0]
        prompt = [w.text for w in self.h.inspect.tree(dialog.hwnd).windows]
        self.assertIn("请选择相册保存的目录", prompt)
        self.h.inspect.key("escape", dialog.hwnd)
        self.app.wait_text(FOLDER_BOX, "", timeout=10)

        runs = [(URL_NAME, by_address), (UP_NAME, ["%d.jpg" % (i + 1) for i in range(12)]),
                (DOWN_NAME, ["%d.jpg" % (12 - i) for i in range(12)])]
        for n, (scheme, names) in enumerate(runs):
            folder = self.folder("album-%d" % n)
            self.configure(album_address(345, 6789) if n == 0 else None, folder, scheme)
            self.press_down()
            self.wait_info(result(12, 0))
            self.assert_album_files(folder, urls, names)
            # The bar reaches 100 on the tick after the last photo; the scheme is free again.
            self.app.wait_text(BAR, "100%", timeout=10)
            button, modes = self.controls(DOWN_BUTTON, MODE_CONTAINER)
            self.assertEqual((button.text, modes["enabled"]), (DOWN, True))
        self.assertEqual(read(os.path.join(self.h.workdir, "album-2", "12.jpg")), self.site.photo_bytes(urls[0]),
                         "降序 gives the first photo of the page the highest number")

        # The page went with the login's session and without the address's query; a probe ends each run.
        pages = self.site.requests(host="photo.renren.com")
        self.assertEqual([p["path"] for p in pages], ["/photo/345/album-6789"] * 3)
        photos = self.photo_requests()
        self.assertEqual(len(photos), 36)
        session = self.site.requests(path="/PLogin.do")[-1]["session"]
        self.assertTrue(all(session in r["cookie"] for r in pages))
        probes = self.site.requests(path="/getuser.do")
        self.assertGreaterEqual(len(probes), 4, "one probe after the login and one after each run")
        self.assertGreater(probes[-1]["seq"], photos[-1]["seq"])


if __name__ == "__main__":
    unittest.main()
