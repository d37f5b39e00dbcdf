"""The window's own frame: drawn pixel for pixel from the two skin pictures (active and inactive), its caption
buttons, the window menu, and moving the window by its caption."""
import os
import struct
import threading
import time
import unittest

from harness import ARTIFACTS, ROOT, TESTWIN, HarnessError, HarnessTestCase, wait_until
from test_download import DOWN, DOWN_BUTTON, STOP, AlbumRun, album_address

MARGINS = (10, 48, 10, 10)  # left, top, right, bottom
CLIENT = (7410 // 15, 5265 // 15)
TITLE_TOP, TITLE_BOTTOM, TITLE_LEFT, TITLE_RIGHT_GAP = 11, 29, 92, 96
MINIMISE_AT, CLOSE_AT = 45, 25  # button images' left edges, from the window's right edge; 5 rows down
WHITE = (255, 255, 255)


def read_bmp(path):
    """rows[y][x] = (r, g, b) of an uncompressed 8- or 24-bit BMP file."""
    with open(path, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    header = struct.unpack_from("<I", data, 14)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    used = struct.unpack_from("<I", data, 46)[0]
    palette = [(data[p + 2], data[p + 1], data[p])
               for p in range(14 + header, 14 + header + 4 * (used or 256), 4)] if bits == 8 else []
    stride = (width * bits // 8 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        start = offset + (abs(height) - 1 - y if height > 0 else y) * stride
        if bits == 24:
            rows.append([(data[start + 3 * x + 2], data[start + 3 * x + 1], data[start + 3 * x]) for x in range(width)])
        else:
            rows.append([palette[data[start + x]] for x in range(width)])
    return rows


CAPTION = read_bmp(os.path.join(ROOT, "resources", "SkinCaption.bmp"))
BORDER = read_bmp(os.path.join(ROOT, "resources", "SkinBorder.bmp"))


def expected_frame(x, y, w, h, active, pressed_minimise=False):
    """The skin's pixel at (x, y) of a W x H window with close and minimise buttons; None inside the client area."""
    off = 0 if active else 400
    if y < 48:
        if 5 <= y < 25 and w - MINIMISE_AT <= x < w - MINIMISE_AT + 19:
            return CAPTION[y - 5 + (20 if pressed_minimise else 0)][297 + x - (w - MINIMISE_AT)]
        if 5 <= y < 25 and w - CLOSE_AT <= x < w - CLOSE_AT + 19:
            return CAPTION[y - 5][241 + x - (w - CLOSE_AT)]
        if x < 90:
            return CAPTION[y][off + x]
        if x >= w - 100:
            return CAPTION[y][off + 140 + x - (w - 100)]
        return CAPTION[y][off + 91 + (x - 90) % 52]
    if y < h - 10:
        if x < 10:
            return BORDER[(y - 48) % 10][x]
        if x >= w - 10:
            return BORDER[(y - 48) % 10][40 + x - (w - 10)]
        return None
    if x < 10:
        return BORDER[y - (h - 10)][20 + x]
    if x >= w - 10:
        return BORDER[y - (h - 10)][60 + x - (w - 10)]
    return BORDER[y - (h - 10)][30 + (x - 10) % 10]


def in_title(x, y, w):
    return TITLE_TOP <= y < TITLE_BOTTOM and TITLE_LEFT <= x < w - TITLE_RIGHT_GAP


class FrameScenario(HarnessTestCase):
    def grab(self, app, name):
        """The window as the screen shows it (rows of (r, g, b))."""
        path = os.path.join(ARTIFACTS, "%s-%s.bmp" % (self.h.name, name))
        self.h.inspect("grab", "--hwnd", app.hwnd, "--out", "Z:" + path.replace("/", "\\"))
        return read_bmp(path)

    def frame_mismatches(self, shot, active, **kw):
        """Frame pixels that differ from the skin outside the title, and the title's differing pixels."""
        h, w = len(shot), len(shot[0])
        wrong, title = [], []
        for y in range(h):
            for x in range(w):
                want = expected_frame(x, y, w, h, active, **kw)
                if want is None or shot[y][x] == want:
                    continue
                (title if in_title(x, y, w) else wrong).append((x, y, shot[y][x], want))
        return wrong, title

    def wait_frame(self, app, name, active, **kw):
        """Grabs until the frame shows the skin in the given state; returns the title's pixels."""
        def probe():
            wrong, title = self.frame_mismatches(self.grab(app, name), active, **kw)
            return (not wrong and title) or None
        wait_until(probe, 20, interval=0.5, what="the %s frame drawn from the skin" % name)
        return self.frame_mismatches(self.grab(app, name), active, **kw)[1]

    def rect(self, app):
        return tuple(app.tree().top["rect"])

    def tray_then_back(self, app):
        wait_until(lambda: not app.tree().top["visible"], 10, what="the window in the tray")
        app.click_tray_icon()


class Frame(FrameScenario):
    def test_frame_pixels_active_then_inactive(self):
        app = self.h.start_app()
        top = app.tree().top
        left, top_edge, right, bottom = top["rect"]
        cx, cy = top["client_origin"]
        cw, ch = top["client"][2:]
        self.assertEqual((cw, ch), CLIENT)
        self.assertEqual((cx - left, cy - top_edge, right - cx - cw, bottom - cy - ch), MARGINS)

        title = self.wait_frame(app, "active", True)
        self.h.screenshot("-active")
        whites = [p for p in title if p[2] == WHITE]
        self.assertGreater(len(whites), 20, "the title is written in white")
        self.assertEqual([p for p in title if p[2] != WHITE and max(p[2]) < 128], [],
                         "nothing but the white title is drawn over the caption")

        # Another program takes the focus: the inactive copy of the background, the same buttons and title.
        other = self.h.start_app(exe=TESTWIN, title="Verdaly Harness Test")
        self.h.inspect("place", "--hwnd", other.hwnd, "--x", 0, "--y", 600)  # clear of our window
        self.h.inspect("foreground", "--hwnd", other.hwnd)
        wait_until(lambda: app.tree().foreground_hwnd == other.hwnd, 10, what="the other program in front")
        title = self.wait_frame(app, "inactive", False)
        self.h.screenshot("-inactive")
        self.assertGreater(len([p for p in title if p[2] == WHITE]), 20)

        # A click on the inactive caption brings the window to the front, with the active frame again.
        self.h.inspect("click", "--hwnd", app.hwnd, "--wx", 200, "--wy", 20, "--no-activate")
        wait_until(lambda: app.tree().foreground_hwnd == app.hwnd, 10, what="the window in front again")
        self.wait_frame(app, "active-again", True)

    def test_buttons_window_menu_and_dragging(self):
        app = self.h.start_app()
        self.wait_frame(app, "start", True)
        w = self.rect(app)[2] - self.rect(app)[0]
        minimise = dict(wx=w - MINIMISE_AT + 9, wy=15)
        close = dict(wx=w - CLOSE_AT + 9, wy=15)

        # Held down, the minimise button shows its pressed image; released, it sends the window to the tray.
        holder = threading.Thread(target=lambda: self.h.inspect(
            "drag", "--hwnd", app.hwnd, "--wx", minimise["wx"], "--wy", minimise["wy"], "--dx", 0, "--dy", 0,
            "--hold", 2500, timeout=60))
        holder.start()
        self.wait_frame(app, "pressed", True, pressed_minimise=True)
        holder.join(60)
        self.tray_then_back(app)
        self.wait_frame(app, "restored", True)

        # A press on close released over minimise runs neither.
        self.h.inspect("drag", "--hwnd", app.hwnd, "--wx", close["wx"], "--wy", close["wy"], "--dx", -20, "--dy", 0)
        time.sleep(1)
        self.assertTrue(app.tree().top["visible"])
        self.assertFalse(app.exited(timeout=0))

        # The caption moves the window exactly as far as the pointer went.
        before = self.rect(app)
        self.h.inspect("drag", "--hwnd", app.hwnd, "--wx", 200, "--wy", 20, "--dx", 50, "--dy", 30)
        # The drag's input may still be on its way when the helper returns: wait for the window to come to rest.
        seen = []
        def moved_by_the_drag():
            seen.append(tuple(a - b for a, b in zip(self.rect(app), before)))
            return seen[-1] == (50, 30, 50, 30)
        try:
            wait_until(moved_by_the_drag, 10, what="the window moved by the drag")
        except HarnessError:
            self.fail("the window moved by %r, not by the drag's (50, 30)" % (seen[-1],))
        after = self.rect(app)
        self.wait_frame(app, "moved", True)

        # The window-menu square opens the window menu under it.
        self.h.inspect("click", "--hwnd", app.hwnd, "--wx", 27, "--wy", 27)
        menu = wait_until(lambda: self.h.top_windows(cls="#32768"), 10, what="the window menu")[0]
        self.assertEqual(tuple(menu["rect"][:2]), (after[0] + 12, after[1] + 43))
        self.h.screenshot("-window-menu")
        self.h.inspect.key("escape")
        wait_until(lambda: not self.h.top_windows(cls="#32768"), 10, what="the window menu closed")

        # The close button closes the window.
        self.h.inspect("click", "--hwnd", app.hwnd, "--wx", close["wx"], "--wy", close["wy"])
        self.assertTrue(app.exited(timeout=20), "the program is still running after its close button")


class CloseDuringARun(AlbumRun, FrameScenario):
    def test_the_close_button_is_refused_while_photos_download(self):
        key = "5/6"
        self.start({key: {"count": 3, "size": 2000}}, photo_delay_ms=4000)
        self.configure(album_address(5, 6), self.folder("run"))
        self.press_down()
        self.app.wait_text(DOWN_BUTTON, STOP, timeout=20)
        w = self.rect(self.app)[2] - self.rect(self.app)[0]
        self.h.inspect("click", "--hwnd", self.app.hwnd, "--wx", w - CLOSE_AT + 9, "--wy", 15)
        box = wait_until(lambda: [d for d in self.app.dialogs() if d.text == "退出程序"], 20,
                         what="the refusal to close")[0]
        self.h.inspect.key("enter", box.hwnd)
        wait_until(lambda: not self.app.dialogs(), 10, what="the message box gone")
        self.assertFalse(self.app.exited(timeout=0))

        self.press_down()  # 停 止
        self.app.wait_text(DOWN_BUTTON, DOWN, timeout=30)
        self.h.inspect("click", "--hwnd", self.app.hwnd, "--wx", w - CLOSE_AT + 9, "--wy", 15)
        self.assertTrue(self.app.exited(timeout=20))


if __name__ == "__main__":
    unittest.main()
