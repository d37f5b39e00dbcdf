"""The whole job without a mouse: a screen reader in another process reads our own controls before the login,
during a run and after it; the keyboard alone logs in, fills the album group, chooses the naming scheme with the
arrows and downloads; the reader's default action on 下 载 starts a run; the window has its taskbar button from the
moment it shows."""
import os
import re
import unittest

from harness import HarnessTestCase, wait_until
from test_download import (ACCOUNTS, ALBUM_BOX, BAR, DOWN, DOWN_BUTTON, DOWN_INFO, DOWN_NAME, EMAIL, FOLDER_BOX,
                           LOGGED_IN, PASSWORD, STOP, UP_NAME, URL_NAME, album_address, listing, read, result,
                           windows_path)

LOGIN_BUTTON, LOGIN_INFO, EMAIL_BOX, PASTE_BUTTON, FOLDER_BUTTON = 106, 107, 102, 111, 114
SCHEMES = (URL_NAME, UP_NAME, DOWN_NAME)
PUSH_BUTTON, PROGRESS_BAR = 0x2B, 0x30
UNAVAILABLE, FOCUSED, READ_ONLY, DEFAULT, FOCUSABLE = 0x1, 0x4, 0x40, 0x100, 0x100000


class ScreenReaderAndKeyboard(HarnessTestCase):
    def read(self):
        return self.h.inspect.acc(self.app.hwnd)

    def assert_button(self, controls, cid, name, available, shortcut=None):
        c = controls[cid]
        self.assertEqual((c["role"], c["name"], c["value"], c["shortcut"], c["action"]),
                         (PUSH_BUTTON, name, None, shortcut, "Press"), c)
        self.assertEqual(bool(c["state"] & UNAVAILABLE), not available, c)
        self.assertEqual(bool(c["state"] & FOCUSABLE), available, c)

    def assert_bar(self, controls, value):
        c = controls[BAR]
        self.assertEqual((c["role"], c["name"]), (PROGRESS_BAR, None), c)
        self.assertTrue(value(c["value"]) if callable(value) else c["value"] == value, c)
        self.assertTrue(c["state"] & READ_ONLY, c)

    def focus_moves_to(self, cid, keys="tab"):
        self.app.key(keys)
        wait_until(lambda: self.app.tree().focus["id"] == cid, 10, what="the focus on %d" % cid)

    def test_a_reader_follows_a_keyboard_only_run_and_starts_the_next_one(self):
        key = "31/41"
        albums = {key: {"count": 6, "size": 2000}}
        self.site = self.h.start_site(dict(accounts=ACCOUNTS, albums=albums, faults={}, photo_delay_ms=700))
        self.app = self.h.start_app()
        wait_until(lambda: self.app.tree().focus["id"] == EMAIL_BOX, 10, what="the focus in the e-mail box")

        # Before the login only the user group is open: 登 录 is the default button, Enter its key.
        before = self.read()
        self.assert_button(before, LOGIN_BUTTON, "登 录", True, "Enter")
        self.assertTrue(before[LOGIN_BUTTON]["state"] & DEFAULT)
        for cid, name in ((PASTE_BUTTON, "粘 贴"), (FOLDER_BUTTON, "目 录"), (DOWN_BUTTON, DOWN)):
            self.assert_button(before, cid, name, False)
        self.assert_bar(before, "0%")

        # The keyboard alone: e-mail, Tab, password, Enter.
        self.h.inspect.type(EMAIL, self.app.hwnd)
        self.focus_moves_to(104)
        self.h.inspect.type(PASSWORD, self.app.hwnd)
        self.app.key("enter")
        self.app.wait_text(LOGIN_INFO, LOGGED_IN, timeout=60)
        wait_until(lambda: self.app.tree().focus["id"] == ALBUM_BOX, 10, what="the focus in the album box")
        address = album_address(31, 41)
        self.h.inspect.clipboard_set(address)

        def pasted():
            # Wine takes the X clipboard over a little late: a stale paste is replaced by a second one.
            self.app.key("ctrl+a ctrl+v")
            return self.app.tree().find(id=ALBUM_BOX).text == address
        wait_until(pasted, 15, interval=1.0, what="the address pasted with Ctrl+V")
        folder = os.path.join(self.h.workdir, "by-keyboard")
        os.makedirs(folder)
        self.focus_moves_to(PASTE_BUTTON)
        self.focus_moves_to(FOLDER_BOX)
        self.h.inspect.type(windows_path(folder), self.app.hwnd)
        self.focus_moves_to(FOLDER_BUTTON)
        self.focus_moves_to(URL_NAME)
        # The arrows move the choice of naming scheme round its group, and the run names its photos by the last one.
        for arrow, scheme in (("down", UP_NAME), ("right", DOWN_NAME), ("down", URL_NAME), ("up", DOWN_NAME)):
            self.app.key(arrow)
            wait_until(lambda: (lambda t: (t.focus["id"], [t.find(id=i).checked for i in SCHEMES]))(self.app.tree())
                       == (scheme, [i == scheme for i in SCHEMES]), 10, what="%s choosing scheme %d" % (arrow, scheme))
        self.focus_moves_to(DOWN_BUTTON)
        ready = self.read()
        self.assert_button(ready, LOGIN_BUTTON, "登 录", False, "Enter")
        self.assert_button(ready, DOWN_BUTTON, DOWN, True)
        self.assertTrue(ready[DOWN_BUTTON]["state"] & FOCUSED)

        # Space downloads; the reader hears the run while it goes.
        self.app.key("space")
        self.app.wait_text(DOWN_BUTTON, STOP, timeout=30)
        during = self.read()
        self.assert_button(during, DOWN_BUTTON, STOP, True)
        self.assert_button(during, PASTE_BUTTON, "粘 贴", True)
        self.assert_bar(during, lambda v: re.fullmatch(r"\d+%", v or "") is not None)
        self.app.wait_text(DOWN_INFO, result(6, 0), timeout=60)
        self.app.wait_text(BAR, "100%", timeout=10)
        after = self.read()
        self.assert_button(after, DOWN_BUTTON, DOWN, True)
        self.assert_bar(after, "100%")
        self.assertEqual(listing(folder), ["%d.jpg" % (i + 1) for i in range(6)])
        first_photo = self.site.photo_bytes(self.site.album_photos(key)[0]["url"])
        self.assertEqual(read(os.path.join(folder, "6.jpg")), first_photo, "降序 numbers the first photo highest")

        # The reader's default action on 下 载 starts the next run, and the reader is answered at once: photos that
        # now take 3 s each are still on their way when the call returns.
        second = os.path.join(self.h.workdir, "by-reader")
        os.makedirs(second)
        self.h.inspect.set_text(self.app.tree().find(id=FOLDER_BOX).hwnd, windows_path(second))
        self.site.control("/config", {"photo_delay_ms": 3000})
        done = self.h.inspect.acc_do(self.app.tree().find(id=DOWN_BUTTON).hwnd)
        self.assertEqual(done["hr"], 0, done)
        self.assertLess(len(listing(second)), 6, "the call waited for the run (%d ms)" % done["ms"])
        self.app.wait_text(DOWN_BUTTON, STOP, timeout=30)
        self.app.wait_text(DOWN_INFO, result(6, 0), timeout=60)
        self.assertEqual(len(listing(second)), 6)

    def test_the_window_has_its_taskbar_button_from_the_moment_it_shows(self):
        self.app = self.h.start_app()
        # Nothing else comes, goes or is clicked meanwhile: the button is there from the window's own showing.
        wait_until(lambda: len(self.h.taskbar_buttons()) == 1, 15, what="the window's taskbar button")
        top = self.app.tree().top
        self.assertEqual((top["owner"], top["exstyle"] & 0x80), (0, 0), "unowned, no WS_EX_TOOLWINDOW")


if __name__ == "__main__":
    unittest.main()
