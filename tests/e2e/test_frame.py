"""The window's own frame as the screen shows it: the skin pictures in every region of it (active and inactive), the
white title, its caption buttons, the window menu (by its square and by Alt+Space), and moving the window by its
caption."""
import os
import struct
import threading
import unittest

from harness import ARTIFACTS, ROOT, TESTWIN, HarnessError, HarnessTestCase, wait_until

MARGINS = (10, 48, 10, 10)  # left, top, right, bottom
CLIENT = (7410 // 15, 5265 // 15)
TITLE_ROWS, TITLE_COLUMNS = range(11, 29), range(92, 418)
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


# Blocks (left, top, width, height) of the 514 x 409 window and the skin pixels they show, from (picture, left, top),
# worked out by hand: a 90-pixel left end, tiles of one column repeated from x = 91, a 100-pixel right end from
# x = 140 (inactive: all 400 columns further right), the button images 20 rows tall (minimise at 297, pressed 20
# rows lower; close at 241), and 10-pixel border pieces (sides at 0 and 40, bottom at 20, 30 and 60).
BLOCKS = [((0, 0, 90, 48), "caption", 0, 0), ((90, 29, 52, 19), "caption", 91, 29),
          ((414, 25, 100, 23), "caption", 140, 25), ((469, 5, 19, 20), "minimise", 297, 0),
          ((489, 5, 19, 20), "close", 241, 0), ((0, 48, 10, 10), "border", 0, 0), ((504, 48, 10, 10), "border", 40, 0),
          ((0, 399, 10, 10), "border", 20, 0), ((10, 399, 10, 10), "border", 30, 0),
          ((504, 399, 10, 10), "border", 60, 0)]


class Frame(HarnessTestCase):
    def grab(self, app, name):
        """The window as the screen shows it (rows of (r, g, b))."""
        path = os.path.join(ARTIFACTS, "%s-%s.bmp" % (self.h.name, name))
        self.h.inspect("grab", "--hwnd", app.hwnd, "--out", "Z:" + path.replace("/", "\\"))
        return read_bmp(path)

    def wait_frame(self, app, name, active, pressed_minimise=False):
        """Grabs until every block shows its skin pixels in the given state; returns the title band's pixels."""
        def mismatches(shot):
            wrong = []
            for (left, top, width, height), piece, x, y in BLOCKS:
                picture = BORDER if piece == "border" else CAPTION
                x += 400 if piece == "caption" and not active else 0
                y += 20 if piece == "minimise" and pressed_minimise else 0
                wrong += [(piece, left + i, top + j) for j in range(height) for i in range(width)
                          if shot[top + j][left + i] != picture[y + j][x + i]]
            return wrong
        shot = wait_until(lambda: (lambda s: not mismatches(s) and s)(self.grab(app, name)), 20, interval=0.5,
                          what="the %s frame drawn from the skin" % name)
        return [shot[y][x] for y in TITLE_ROWS for x in TITLE_COLUMNS]

    def rect(self, app):
        return tuple(app.tree().top["rect"])

    def test_frame_pixels_active_then_inactive(self):
        app = self.h.start_app()
        top = app.tree().top
        left, top_edge, right, bottom = top["rect"]
        cx, cy = top["client_origin"]
        cw, ch = top["client"][2:]
        self.assertEqual((cw, ch), CLIENT)
        self.assertEqual((cx - left, cy - top_edge, right - cx - cw, bottom - cy - ch), MARGINS)

        # The title band's background is nowhere darker than 145 in its brightest channel.
        title = self.wait_frame(app, "active", True)
        self.h.screenshot("-active")
        self.assertGreater(title.count(WHITE), 20, "the title is written in white")
        self.assertEqual([p for p in title if max(p) < 128], [], "something but the white title over the caption")

        # Another program takes the focus: the inactive copy of the background, the same buttons and title.
        other = self.h.start_app(exe=TESTWIN, title="Verdaly Harness Test")
        self.h.inspect("place", "--hwnd", other.hwnd, "--x", 0, "--y", 600)  # clear of our window
        self.h.inspect("foreground", "--hwnd", other.hwnd)
        wait_until(lambda: app.tree().foreground_hwnd == other.hwnd, 10, what="the other program in front")
        title = self.wait_frame(app, "inactive", False)
        self.h.screenshot("-inactive")
        self.assertGreater(title.count(WHITE), 20)

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
        wait_until(lambda: not app.tree().top["visible"], 10, what="the window in the tray")
        app.click_tray_icon()
        self.wait_frame(app, "restored", True)

        # A press on close released over minimise runs neither: the caption drag after it, read only once the
        # release is handled, still finds the window there.
        self.h.inspect("drag", "--hwnd", app.hwnd, "--wx", close["wx"], "--wy", close["wy"], "--dx", -20, "--dy", 0)

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
            self.fail("the window moved by %r, not by the drag's (50, 30)" % (seen[-1:],))
        after = self.rect(app)
        self.assertTrue(app.tree().top["visible"])
        self.assertFalse(app.exited(timeout=0))
        self.wait_frame(app, "moved", True)

        # The window-menu square opens the window menu under it.
        self.h.inspect("click", "--hwnd", app.hwnd, "--wx", 27, "--wy", 27)
        menu = wait_until(lambda: self.h.top_windows(cls="#32768"), 10, what="the window menu")[0]
        self.assertEqual(tuple(menu["rect"][:2]), (after[0] + 12, after[1] + 43))
        self.h.screenshot("-window-menu")
        self.h.inspect.key("escape")
        wait_until(lambda: not self.h.top_windows(cls="#32768"), 10, what="the window menu closed")

        # Alt+Space passes the skin's Alt-key hook and opens the window menu too (the window has no other menu).
        app.key("alt+space")
        wait_until(lambda: [w for w in self.h.top_windows(cls="#32768") if w["pid"] == app.pid], 10,
                   what="the window menu after Alt+Space")
        self.h.inspect.key("escape")
        wait_until(lambda: not self.h.top_windows(cls="#32768"), 10, what="the window menu closed")

        # The close button closes the window.
        self.h.inspect("click", "--hwnd", app.hwnd, "--wx", close["wx"], "--wy", close["wy"])
        self.assertTrue(app.exited(timeout=20), "the program is still running after its close button")


if __name__ == "__main__":
    unittest.main()
