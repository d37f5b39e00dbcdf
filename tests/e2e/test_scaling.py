"""The window at another screen scale (VERDALY_DPI, 144 in its CTest entry): the skinned caption band, the frame,
the window, 下 载 and the title's glyphs grow with the scale, and no row of the title is cut."""
import os
import re
import subprocess
import unittest

from harness import HarnessTestCase, wait_until
from test_download import DOWN_BUTTON

DPI = int(os.environ.get("VERDALY_DPI", "96"))
# Measured at 96 DPI: the caption band, the side border, the client area, 下 载 and the rows the title's glyphs
# span (13 to 24 of the band: "Verdaly 2.1", the "y" included).
AT_96 = {"band": 48, "border": 10, "client": (494, 351), "down": (57, 28), "title rows": 12}


def title_rows(screenshot, window, band, title_left, title_right):
    """The rows of the caption band that hold a pixel of the title (white on the caption's blue)."""
    left, top = window[0], window[1]
    text = subprocess.run(["convert", screenshot, "-crop", "%dx%d+%d+%d" % (window[2] - left, band, left, top),
                           "+repage", "-depth", "8", "txt:-"], capture_output=True, text=True, check=True,
                          timeout=60).stdout
    rows = set()
    for m in re.finditer(r"^(\d+),(\d+): \((\d+),(\d+),(\d+)", text, re.M):
        x, y, r, g, b = map(int, m.groups())
        if title_left < x < title_right and min(r, g, b) > 200:
            rows.add(y)
    return sorted(rows)


class Scaling(HarnessTestCase):
    def assert_scaled(self, what, measured, at96):
        expected = at96 * DPI / 96
        self.assertLessEqual(abs(measured - expected), expected * 0.15,
                             "%s: %d at %d DPI, %d at 96" % (what, measured, DPI, at96))

    def test_the_window_its_skin_and_its_title_grow_with_the_scale(self):
        app = self.h.start_app()
        tree = app.tree()
        window = tree.top["rect"]
        origin = tree.top["client_origin"]
        band = origin[1] - window[1]
        self.assert_scaled("caption band", band, AT_96["band"])
        self.assert_scaled("left border", origin[0] - window[0], AT_96["border"])
        self.assert_scaled("bottom border", window[3] - origin[1] - tree.top["client"][3], AT_96["border"])
        for what, measured, at96 in zip(("client width", "client height"), tree.top["client"][2:], AT_96["client"]):
            self.assert_scaled(what, measured, at96)
        down = tree.find(id=DOWN_BUTTON)["rect"]
        self.assert_scaled("下 载 width", down[2] - down[0], AT_96["down"][0])
        self.assert_scaled("下 载 height", down[3] - down[1], AT_96["down"][1])

        # The title starts 92 columns in and stops 96 short of the right edge, at 96 DPI.
        rows = title_rows(self.h.screenshot("-scaled"), window, band, 92 * DPI // 96,
                          window[2] - window[0] - 96 * DPI // 96)
        self.assertTrue(rows, "no title in the caption band")
        print("\nat %d DPI: caption band %d rows, the title's glyphs on rows %d to %d" % (DPI, band, rows[0], rows[-1]))
        self.assert_scaled("title rows", rows[-1] - rows[0] + 1, AT_96["title rows"])
        self.assertEqual(rows, list(range(rows[0], rows[-1] + 1)), "the title's rows hold a gap")
        self.assertLess(rows[-1], band - 2, "the title reaches the band's edge")

    def test_a_move_to_a_screen_of_another_scale_lays_the_window_out_again(self):
        # Wine never sends the message: it is posted as the system would, without a suggested rectangle (a pointer
        # does not cross processes), so the window keeps its size and only what is inside it changes.
        app = self.h.start_app()

        def layout():
            tree = app.tree()
            origin, window = tree.top["client_origin"], tree.top["rect"]
            return {"band": origin[1] - window[1], "controls": {w["id"]: w["rel"] for w in tree.find_all() if w["id"]}}

        def move_to(dpi):
            self.h.inspect("post", "--hwnd", app.hwnd, "--msg", 0x02E0, "--wparam", dpi | dpi << 16)  # WM_DPICHANGED

        def down_size(at):
            left, top, right, bottom = at["controls"][DOWN_BUTTON]
            return right - left, bottom - top

        before = layout()
        other = 96 if DPI != 96 else 144
        move_to(other)
        moved = wait_until(lambda: (lambda at: at if at["band"] != before["band"] else None)(layout()), 15,
                           what="the frame at %d DPI" % other)
        self.assertEqual(moved["band"], AT_96["band"] * other // 96)
        for measured, at96 in zip(down_size(moved), AT_96["down"]):
            self.assertLessEqual(abs(measured - at96 * other / 96), 1, "下 载 %r at %d DPI" % (down_size(moved), other))
        # And back: every control where it was, to the pixel.
        move_to(DPI)
        wait_until(lambda: layout() == before, 15, what="the layout as it was at %d DPI" % DPI)


if __name__ == "__main__":
    unittest.main()
