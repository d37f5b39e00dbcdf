"""The skinned menus on SkinDemo.exe with real input: popups open under the bar items they belong to (wherever the
window is), the keyboard and the pointer move along the bar, Alt+letter opens a bar item while other Alt keys pass,
access letters choose popup items, the application's menu reads back unchanged after every menu loop that chose an
item or was left, and the popups' own drawing (separator line, tick square, shortcut column, embossed disabled
text)."""
import collections
import os
import subprocess
import unittest

from harness import ARTIFACTS, BUILD, HarnessTestCase, wait_until
from test_frame import read_bmp

DEMO = os.path.abspath(os.environ.get("VERDALY_SKINDEMO") or os.path.join(BUILD, "app", "SkinDemo.exe"))
TITLE = "SkinDemo"
CHOSEN_ID, KEYS_ID, REPORT_ID = 100, 101, 102
REPORT_MENU = 0x8001  # WM_APP + 1: the demo writes its menu's items into its hidden report label
BAR_ROWS = range(24, 48)  # the menu band of the 48-pixel caption
BAR_ITEMS = ["File", "Edit", "View", "Help"]


def is_text(p):
    """A pixel of text in ActiveMenuColor 0xC00000 (0, 0, 192), smoothed text's coloured fringes included."""
    return p[2] >= 185 and p[0] < 40 and p[1] < 70


def is_over(p):
    """A pixel of text in ActiveMenuColorOver 0x0000FF (255, 0, 0)."""
    return p[0] >= 185 and p[1] < 70 and p[2] < 70


def runs(flags):
    """(start, end) of every run of true values, end exclusive."""
    out, start = [], None
    for i, f in enumerate(list(flags) + [False]):
        if f and start is None:
            start = i
        elif not f and start is not None:
            out.append((start, i))
            start = None
    return out


def clusters(columns, gap):
    """Sorted columns grouped where neighbours are at most `gap` apart: [(first, last)]."""
    out = []
    for c in sorted(set(columns)):
        if out and c - out[-1][1] <= gap:
            out[-1][1] = c
        else:
            out.append([c, c])
    return [tuple(c) for c in out]


class Menus(HarnessTestCase):
    def setUp(self):
        super().setUp()
        self.app = self.h.start_app(exe=DEMO, title=TITLE)
        self.colors = {k: tuple(v) for k, v in self.h.inspect.info()["colours"].items()}
        self.items = wait_until(self.bar_items, 20, interval=0.5, what="the four bar items drawn")

    # ------------------------------------------------------------------------------------------ reading

    def rect(self, hwnd=None):
        return tuple(self.app.tree().top["rect"]) if hwnd is None else tuple(
            w["rect"] for w in self.h.inspect.windows() if w.hwnd == hwnd)[0]

    def grab(self, hwnd, name):
        path = os.path.join(ARTIFACTS, "%s-%s.bmp" % (self.h.name, name))
        self.h.inspect("grab", "--hwnd", hwnd, "--out", "Z:" + path.replace("/", "\\"))
        return read_bmp(path)

    def bar_items(self):
        """Columns (first, last) of the four item texts drawn in the bar, in window coordinates."""
        shot = self.grab(self.app.hwnd, "bar")
        columns = [x for y in BAR_ROWS for x in range(len(shot[0])) if is_text(shot[y][x]) or is_over(shot[y][x])]
        found = clusters(columns, 6)
        return found if len(found) == 4 else None

    def popups(self):
        return [tuple(w["rect"]) for w in self.h.top_windows(cls="#32768")]

    def wait_popups(self, count, what):
        return wait_until(lambda: len(self.popups()) == count and self.popups(), 10, what=what)

    def wait_closed(self):
        wait_until(lambda: not self.popups(), 10, what="every popup closed")

    def owner_of(self, popup):
        """The bar item (0-based) whose drawn text the popup's left edge lies under."""
        left = popup[0] - self.rect()[0]
        return min(range(4), key=lambda i: abs(self.items[i][0] - 2 - left))

    def sunken_item(self):
        """(left, bottom) of the sunken item edge in the bar, window coordinates: the shadow corner at its top
        left, the highlight line at its bottom."""
        shot = self.grab(self.app.hwnd, "sunken")
        shadow, light = self.colors["btnshadow"], self.colors["btnhighlight"]
        for y in BAR_ROWS:
            for x in range(len(shot[0]) - 8):
                if all(shot[y][x + i] == shadow for i in range(8)) and all(shot[y + i][x] == shadow for i in range(8)):
                    bottom = next(b for b in range(y + 8, 48) if shot[b][x + 3] == light)
                    return x, bottom + 1
        self.fail("no sunken bar item")

    def raised_item(self):
        """Left column of a raised bar item (light top-left corner, shadow to its right), window coordinates, or
        None."""
        shot = self.grab(self.app.hwnd, "raised")
        shadow, light = self.colors["btnshadow"], self.colors["btnhighlight"]
        for y in BAR_ROWS:
            for x in range(len(shot[0]) - 60):
                if all(shot[y][x + i] == light for i in range(8)) and all(shot[y + i][x] == light for i in range(8)):
                    right = next((r for r in range(x + 8, x + 60) if shot[y + 3][r] == shadow), None)
                    if right is not None:
                        return x
        return None

    def click_item(self, i):
        first, last = self.items[i]
        self.h.inspect("click", "--hwnd", self.app.hwnd, "--wx", (first + last) // 2, "--wy", 36)

    def move_to_item(self, i):
        first, last = self.items[i]
        left, top = self.rect()[:2]
        for step in range(1, 6):  # a hand moving across, not a jump
            self.h.inspect("move", "--sx", left + first + (last - first) * step // 5, "--sy", top + 36, "--hand")

    def report(self):
        """The demo's menu items as they are now, one line each: path|type|id|data|text."""
        label = self.app.tree().find(id=REPORT_ID)
        self.h.inspect.set_text(label.hwnd, "")
        self.h.inspect("post", "--hwnd", self.app.hwnd, "--msg", REPORT_MENU)
        return wait_until(lambda: self.app.tree().find(id=REPORT_ID).text, 10, what="the menu report")

    def keep_shot(self, popup, name):
        """A picture of the window and its open popup for people to look at."""
        left, top = self.rect()[:2]
        width, height = popup[2] - left + 20, popup[3] - top + 20
        path = os.path.join(ARTIFACTS, "%s-%s.png" % (self.h.name, name))
        subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (width, height, left, top), path],
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        return path

    # ------------------------------------------------------------------------------------------- tests

    def test_each_popup_opens_under_its_item_wherever_the_window_is(self):
        for place in ((120, 100), (333, 271)):
            self.h.inspect("place", "--hwnd", self.app.hwnd, "--x", place[0], "--y", place[1])
            wait_until(lambda: self.rect()[:2] == place, 10, what="the window moved")
            for i in range(4):
                self.click_item(i)
                popup = self.wait_popups(1, "the %s popup" % BAR_ITEMS[i])[0]
                left, bottom = self.sunken_item()
                window = self.rect()
                self.assertEqual(popup[:2], (window[0] + left, window[1] + bottom), BAR_ITEMS[i])
                self.assertLess(abs(left + 2 - self.items[i][0]), 3, "the pressed item is the one clicked")
                self.h.inspect.key("escape")
                self.wait_closed()

    def test_the_keyboard_and_the_pointer_move_along_the_bar(self):
        # Right on the last item opens the first; Left on the first opens the last.
        self.click_item(3)
        self.assertEqual(self.owner_of(self.wait_popups(1, "Help")[0]), 3)
        self.h.inspect.key("right")
        wait_until(lambda: [self.owner_of(p) for p in self.popups()] == [0], 10, what="File after Right on Help")
        self.h.inspect.key("left")
        wait_until(lambda: [self.owner_of(p) for p in self.popups()] == [3], 10, what="Help after Left on File")
        self.h.inspect.key("escape")
        self.wait_closed()

        # Right on an item with a submenu opens the submenu; Left in the submenu closes it, not the popup.
        self.click_item(0)
        file_popup = self.wait_popups(1, "File")[0]
        self.h.inspect.key("down down down down")  # New, Open..., Save, Recent files
        self.h.inspect.key("right")
        both = self.wait_popups(2, "the Recent files submenu")
        self.assertIn(file_popup, both)
        self.h.inspect.key("left")
        self.assertEqual(self.wait_popups(1, "the submenu closed"), [file_popup])
        self.h.inspect.key("escape")
        self.wait_closed()

        # The item under the pointer is raised; when the pointer leaves the window (no more mouse moves reach it)
        # the hover timer lowers it again.
        self.move_to_item(2)
        raised = wait_until(self.raised_item, 10, interval=0.3, what="the View item raised under the pointer")
        self.assertLess(abs(raised + 2 - self.items[2][0]), 3)
        self.h.inspect("move", "--sx", 10, "--sy", 700, "--hand")
        wait_until(lambda: self.raised_item() is None, 15, interval=0.3, what="the raised item lowered")

        # Sliding the pointer along the bar switches popups without a click.
        self.click_item(1)
        self.wait_popups(1, "Edit")
        for i in (2, 0, 3):
            self.move_to_item(i)
            wait_until(lambda: [self.owner_of(p) for p in self.popups()] == [i], 10,
                       what="the %s popup after the pointer" % BAR_ITEMS[i])
        self.h.inspect.key("escape")
        self.wait_closed()

    def test_alt_and_access_letters_open_and_choose_and_the_menu_reads_back_unchanged(self):
        before = self.report()
        self.assertIn("|Paste\tCtrl+V", before.replace("&", ""))
        self.assertEqual(len(before.splitlines()), 4 + 7 + 2 + 6 + 5 + 2)

        self.h.inspect("move", "--sx", 10, "--sy", 700)  # the pointer away from the bar
        self.h.inspect.key("alt+e", self.app.hwnd)
        self.assertEqual([self.owner_of(p) for p in self.wait_popups(1, "Edit after Alt+E")], [1])
        self.h.inspect.key("escape")
        self.wait_closed()

        # Other Alt keys reach the window and open nothing. The window reads a key only once the one before it is
        # handled, a popup it opened included: each key shown is the sign that the one before it opened nothing.
        for keys, shown in (("alt+f1", "Alt+F1"), ("ctrl+alt+e", "Ctrl+Alt+E"), ("alt+q", "Alt+Q")):
            self.h.inspect.key(keys, self.app.hwnd)
            self.app.wait_text(KEYS_ID, shown, timeout=10, what="%s reaching the window" % keys)
            self.assertEqual(self.popups(), [], "a popup before %s" % keys)
        # After all that the window is not left in the system's menu mode: Alt+V opens View, the only popup.
        self.h.inspect.key("alt+v", self.app.hwnd)
        self.assertEqual([self.owner_of(p) for p in self.wait_popups(1, "View after Alt+V")], [2])
        self.h.inspect.key("escape")
        self.wait_closed()

        steps = [("File", 0, "s", "Save"), ("File", 0, "r 2", "2 beta.txt"), ("Edit", 1, "t", "Cut"),
                 ("Help", 3, "a", "About SkinDemo")]
        for name, item, keys, chosen in steps:
            self.click_item(item)
            self.wait_popups(1, name)
            self.h.inspect.key(keys)
            self.app.wait_text(CHOSEN_ID, chosen, timeout=10, what="%s chosen by its access letter" % chosen)
            self.wait_closed()
            self.assertEqual(self.report(), before, "the menu after choosing %s" % chosen)

        # Escape from a popup and from a submenu leaves every item as it was too.
        self.click_item(0)
        self.wait_popups(1, "File")
        self.h.inspect.key("r")
        self.wait_popups(2, "Recent files")
        self.h.inspect.key("escape escape")
        self.wait_closed()
        self.assertEqual(self.report(), before)

    def test_popup_pixels(self):
        shadow, light = self.colors["btnshadow"], self.colors["btnhighlight"]

        def inner(shot):
            """First and last + 1 column of the items' background (the popup's commonest colour) on its middle
            row, and that colour."""
            face = collections.Counter(p for row in shot for p in row).most_common(1)[0][0]
            row = shot[len(shot) // 2]
            cols = [x for x, p in enumerate(row) if p == face]
            return cols[0], cols[-1] + 1, face

        def ink(p):
            """Text in the plain text colour on the popup's light background, smoothed edges included."""
            return p[2] >= p[0] + 40 and p[2] >= p[1] + 40

        def text_bands(shot):
            """Rows of each item's text (its underline joined to it)."""
            bands = []
            for top, bottom in runs(any(ink(p) for p in row) for row in shot):
                if bands and top - bands[-1][1] <= 3:
                    bands[-1] = (bands[-1][0], bottom)
                else:
                    bands.append((top, bottom))
            return bands

        def open_popup(i, items):
            """The popup's place, and its picture once every item's text is drawn."""
            self.h.inspect.key("alt+" + BAR_ITEMS[i][0].lower(), self.app.hwnd)
            popup = self.wait_popups(1, BAR_ITEMS[i])[0]
            hwnd = self.h.top_windows(cls="#32768")[0].hwnd
            shot = wait_until(lambda: (lambda s: len(text_bands(s)) == items and s)(self.grab(hwnd, BAR_ITEMS[i])),
                              10, interval=0.3, what="the %s popup drawn" % BAR_ITEMS[i])
            return popup, shot

        self.h.inspect("move", "--sx", 10, "--sy", 700)  # no item highlighted under the pointer

        # View: one separator line, 2 pixels (shadow over light) 8 in from both sides; a sunken square with a
        # glyph in front of the ticked item and of the chosen radio item, and none elsewhere; tick and bullet
        # differ.
        popup, shot = open_popup(2, 4)
        print("screenshot:", self.keep_shot(popup, "view-popup"))
        left, right, face = inner(shot)
        lines = [y for y, row in enumerate(shot)
                 if row[left + 8:right - 8] == [shadow] * (right - left - 16) and row[left + 7] == face
                 and row[right - 8] == face]
        self.assertEqual(len(lines), 1, "one separator line")
        y = lines[0]
        self.assertEqual(shot[y + 1][left + 8:right - 8], [light] * (right - left - 16))
        squares = [(x, y) for y in range(len(shot) - 8) for x in range(left, left + 12)
                   if all(shot[y][x + i] == shadow for i in range(7)) and all(shot[y + i][x] == shadow for i in range(7))]
        self.assertEqual([x - left for x, _ in squares], [6, 6], "a square at x = 6 in the two ticked items")
        glyphs = []
        for x, y in squares:
            size = next(s for s in range(7, 30) if shot[y][x + s] != shadow)
            glyphs.append({(gx - x, gy - y) for gy in range(y, y + size) for gx in range(x, x + size)
                           if shot[gy][gx] not in (face, shadow, light)})
            self.assertTrue(glyphs[-1], "a glyph in the square at row %d" % y)
        self.assertNotEqual(glyphs[0], glyphs[1], "the tick and the radio bullet are different glyphs")
        self.h.inspect.key("escape")
        self.wait_closed()

        # File: every shortcut starts in one column, 8 pixels after the widest caption's measured end.
        popup, shot = open_popup(0, 5)
        print("screenshot:", self.keep_shot(popup, "file-popup"))
        left, _, face = inner(shot)
        starts, caption_ends = [], []
        for top, bottom in text_bands(shot):
            cols = [x for y in range(top, bottom) for x in range(len(shot[0])) if ink(shot[y][x])]
            parts = clusters(cols, 7)
            caption_ends.append(parts[0][1])
            self.assertLessEqual(abs(parts[0][0] - (left + 24)), 2, "captions start at x = 24")
            if len(parts) > 1:
                starts.append(parts[-1][0])
        self.assertEqual(len(starts), 3, "New, Open and Save have shortcuts")
        self.assertEqual(len(set(starts)), 1, "the shortcuts line up")
        self.assertTrue(8 <= starts[0] - max(caption_ends) <= 14, (starts, caption_ends))
        self.h.inspect.key("escape")
        self.wait_closed()

        # Edit: the disabled Paste is embossed, light under shadow, between Copy and Select All.
        popup, shot = open_popup(1, 4)
        print("screenshot:", self.keep_shot(popup, "edit-popup"))
        left, right, face = inner(shot)
        bands = text_bands(shot)  # Undo, Cut, Copy and Select All in the text colour
        rows = range(bands[2][1], bands[3][0])
        dark = [(x, y) for y in rows for x in range(left + 24, right) if shot[y][x] == shadow]
        self.assertGreater(len(dark), 20, "Paste in the shadow colour")
        self.assertGreater(sum(1 for x, y in dark if shot[y + 1][x + 1] == light), len(dark) // 4,
                           "a light copy one pixel down and right")
        self.h.inspect.key("escape")
        self.wait_closed()


if __name__ == "__main__":
    unittest.main()
