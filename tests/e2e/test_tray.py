"""The window in the notification area: minimising hides it behind a tray icon with a balloon, a click on the
icon brings it back, also in the middle of a run; the end of a run is told by a balloon, but for an album
without photos."""
import unittest

from harness import site, wait_until
from test_download import (BAR, DOWN_BUTTON, DOWN_INFO, STOP, AlbumRun, album_address, counting, listing,
                           result)


class Tray(AlbumRun):
    def balloon_texts(self):
        """Texts of the balloons the desktop's notification area shows now."""
        tips = [w for w in self.h.top_windows(cls="tooltips_class32") if w["pid"] != self.app.pid]
        return [self.h.inspect.tree(w.hwnd).top.text for w in tips]

    def wait_balloon(self, text, timeout=30):
        return wait_until(lambda: text in self.balloon_texts(), timeout, what="the balloon %r" % text)

    def test_minimise_restore_and_the_balloons_of_a_run(self):
        key = "77/88"
        albums = {key: {"count": 12, "size": 2000}, "77/100": {"page": "<html><body>没有照片</body></html>"}}
        # The run outlasts what is done while it goes: its first and seventh photos come in pieces over 12 s each,
        # and the seventh is asked for only once the fourth is in.
        urls = [p["url"] for p in site.album_photos(key, albums[key])]
        slow = {"/" + urls[i].split("://", 1)[1].partition("/")[2]: {"kind": "slow", "chunk": 100, "ms": 600}
                for i in (0, 6)}
        self.start(albums, dict(slow, **{"/photo/77/album-99": {"kind": "404", "delay_ms": 3000},
                                         "/photo/77/album-100": {"kind": "delay", "ms": 3000}}))
        folder = self.folder("tray")

        self.app.minimise()
        self.wait_balloon("谢谢您的支持")
        self.h.screenshot("-idle-balloon")
        self.app.click_tray_icon()

        self.configure(album_address(77, 88), folder)
        self.press_down()
        self.app.wait_text(DOWN_BUTTON, STOP, timeout=20)
        self.app.minimise()
        self.wait_balloon("正在下载中…")
        # Back from the tray in the middle of the run, which goes on.
        self.app.click_tray_icon()
        self.assertEqual(self.app.tree().find(id=DOWN_INFO).text, counting(12))
        self.assertLess(len(listing(folder)), 12)
        self.app.minimise()
        self.wait_info(result(12, 0), timeout=60)
        self.wait_balloon("相册下载完成", timeout=30)
        self.h.screenshot("-done-balloon")
        self.assertEqual(self.app.tree().find(id=BAR).text, "100%")
        self.assertEqual(len(listing(folder)), 12)

        # A failed run says so at once.
        self.app.click_tray_icon()
        self.configure(album_address(77, 99))
        self.press_down()
        self.app.minimise()
        self.wait_balloon("相册下载失败", timeout=30)
        self.assertEqual(self.app.tree().find(id=DOWN_INFO).text,
                         "[相册下载失败] 相册可能不存在或者没有访问权限，参数配置错误")
        self.h.screenshot("-failed-balloon")

        # An album without photos has nothing to complete: its timer stops without a balloon. The balloon of the
        # next minimise comes after any the run raised, so every balloon until it is looked at.
        self.app.click_tray_icon()
        self.configure(album_address(77, 100))
        self.press_down()
        self.wait_info(result(0, 0), timeout=30)
        self.app.minimise()
        seen = set()

        def idle_balloon():
            seen.update(self.balloon_texts())
            return "谢谢您的支持" in seen
        wait_until(idle_balloon, 30, what="the balloon of a minimise while idle")
        self.assertNotIn("相册下载完成", seen)


if __name__ == "__main__":
    unittest.main()
