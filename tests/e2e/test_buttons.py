"""The main window's command buttons as a user meets them: their look at rest, under the pointer, pressed and
focused, and clicks by mouse, double click and Space that each reach the window's handler once."""
import re
import subprocess
import time
import unittest

from harness import HarnessTestCase, wait_until

EMAIL, PASSWORD = "reader@example.com", "s3cret"
ACCOUNTS = [{"email": EMAIL, "password": PASSWORD, "name": "Reader"}]
LOGIN_INFO, EMAIL_BOX, PASSWORD_BOX, CHECK_USER, LOGIN_BUTTON = 107, 102, 104, 105, 106
CLIP_BUTTON, FILE_BUTTON, DOWN_BUTTON = 111, 114, 123
WRONG = "登录失败，可能是帐号或者密码错误"
EMPTY = "用户名或者密码必须填写"


def pixel(shot, x, y):
    """(r, g, b) of one pixel of a screenshot."""
    out = subprocess.run(["convert", shot, "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "txt:-"],
                         capture_output=True, text=True, check=True, timeout=30).stdout
    m = re.search(r"\((\d+),(\d+),(\d+)", out.splitlines()[-1])
    return tuple(int(v) for v in m.groups())


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True, timeout=10,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Buttons(HarnessTestCase):
    def setUp(self):
        super().setUp()
        self.site = self.h.start_site({"accounts": ACCOUNTS})
        self.app = self.h.start_app()

    def button(self, id):
        return self.app.tree().find(id=id)

    def login_posts(self):
        return self.site.requests(path="/PLogin.do", method="POST")

    def face(self, shot, button):
        """Pixels of the button in a screenshot: border top, gradient top row and bottom row (row H - 4)."""
        left, top, right, bottom = button["rect"]
        h = bottom - top
        return {"border": pixel(shot, left + 10, top), "top": pixel(shot, left + 10, top + 2),
                "bottom": pixel(shot, left + 10, top + h - 4)}

    def test_the_four_buttons_are_ours_with_their_captions_and_sizes(self):
        tree = self.app.tree()
        for id, caption, height in ((LOGIN_BUTTON, "登 录", 25), (CLIP_BUTTON, "粘 贴", 25),
                                    (FILE_BUTTON, "目 录", 25), (DOWN_BUTTON, "下 载", 28)):
            w = tree.find(id=id)
            self.assertEqual(w["class"], "isButton")
            self.assertEqual(w.text, caption)
            left, top, right, bottom = w["rect"]
            self.assertEqual((right - left, bottom - top), (57, height), caption)

        # The download button's caption changes from outside, as the run does with SetWindowText; it repaints.
        down = tree.find(id=DOWN_BUTTON)
        before = self.h.screenshot("-down-caption-before")
        self.h.inspect.set_text(down.hwnd, "停 止")
        wait_until(lambda: self.button(DOWN_BUTTON).text == "停 止", 10, what="the new caption")
        time.sleep(0.5)
        after = self.h.screenshot("-down-caption-after")
        left, top, right, bottom = down["rect"]
        changed = subprocess.run(["compare", "-metric", "AE", "-extract",
                                  "%dx%d+%d+%d" % (right - left, bottom - top, left, top), before, after, "null:"],
                                 capture_output=True, text=True, timeout=30).stderr
        self.assertGreater(float(changed.split()[0]), 0, "the button shows its new caption")

    def test_looks_at_rest_hovered_pressed_and_focused(self):
        login = self.button(LOGIN_BUTTON)
        left, top, right, bottom = login["rect"]
        cx, cy = (left + right) // 2, (top + bottom) // 2
        self.h.inspect("move", "--sx", 5, "--sy", 5)
        time.sleep(0.8)
        rest = self.face(self.h.screenshot("-rest"), login)

        self.h.inspect("move", "--sx", cx, "--sy", cy)
        time.sleep(0.8)
        hovered = self.face(self.h.screenshot("-hovered"), login)

        xdotool("mousemove", cx, cy)
        xdotool("mousedown", 1)
        try:
            time.sleep(0.8)
            pressed = self.face(self.h.screenshot("-pressed"), login)
        finally:
            xdotool("mouseup", 1)
        # The release over the button is a click: empty boxes are refused by the login handler.
        self.app.wait_text(LOGIN_INFO, EMPTY)

        # Gradient rows at row H - 4: F - 15 at rest, F under the pointer, F + 30 (clamped) pressed.
        self.assertLess(rest["bottom"][0], hovered["bottom"][0], (rest, hovered))
        self.assertLess(hovered["bottom"][0], pressed["bottom"][0], (hovered, pressed))
        self.assertEqual(rest["border"], hovered["border"])

        # The press moved X's own pointer over the button: away it goes too, or Wine, asking X where the pointer
        # is once Windows' idea of it is a moment old, would still find it over the button.
        xdotool("mousemove", 5, 5)
        self.h.inspect("move", "--sx", 5, "--sy", 5)
        time.sleep(0.8)
        self.h.inspect.set_focus(login.hwnd)
        wait_until(lambda: self.app.tree().focus_hwnd == login.hwnd, 10, what="focus on 登 录")
        time.sleep(0.3)
        focused = self.face(self.h.screenshot("-focused"), login)
        self.assertLess(focused["border"][0], rest["border"][0], "focus darkens the border")
        self.assertEqual(focused["bottom"], rest["bottom"])

    def test_every_click_reaches_the_handler_once(self):
        tree = self.app.tree()
        self.app.type_into(tree.find(id=EMAIL_BOX), EMAIL)
        self.app.type_into(tree.find(id=PASSWORD_BOX), "wrong")
        login = tree.find(id=LOGIN_BUTTON)

        self.app.click(login)
        self.site.wait_request(path="/PLogin.do", method="POST")
        self.app.wait_text(LOGIN_INFO, WRONG)
        self.assertEqual(len(self.login_posts()), 1)

        self.app.click(login, button="right")
        time.sleep(1.0)
        self.assertEqual(len(self.login_posts()), 1, "the secondary button does not click")

        self.app.click(login, double=True)
        wait_until(lambda: len(self.login_posts()) >= 2, 15, what="the double click's login")
        time.sleep(1.5)
        self.assertEqual(len(self.login_posts()), 2, "a double click is one click")

        self.h.inspect.set_focus(login.hwnd)
        wait_until(lambda: self.app.tree().focus_hwnd == login.hwnd, 10, what="focus on 登 录")
        self.app.key("space")
        wait_until(lambda: len(self.login_posts()) >= 3, 15, what="the Space key's login")
        time.sleep(1.5)
        self.assertEqual(len(self.login_posts()), 3, "Space is one click")

        # Right arrow moves on like Tab, Left back like Shift+Tab (to the check box before the button).
        for key, expect_back in (("right", False), ("left", True)):
            self.h.inspect.set_focus(login.hwnd)
            wait_until(lambda: self.app.tree().focus_hwnd == login.hwnd, 10, what="focus on 登 录")
            self.app.key(key)
            wait_until(lambda: self.app.tree().focus_hwnd != login.hwnd, 10, what="focus to move on " + key)
            if expect_back:
                self.assertEqual(self.app.tree().focus["id"], CHECK_USER)

if __name__ == "__main__":
    unittest.main()
