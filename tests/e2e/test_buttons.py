"""The main window's command buttons as a user meets them: their look at rest, under the pointer, pressed and
focused, and clicks by mouse, double click and Space that each reach the window's handler once."""
import re
import subprocess
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

    def face(self, name, button, until):
        """Pixels of the button on the screen, border top and gradient bottom row (row H - 4), once until(them)."""
        left, top, right, bottom = button["rect"]

        def probe():
            shot = self.h.screenshot(name)
            seen = {"border": pixel(shot, left + 10, top), "bottom": pixel(shot, left + 10, bottom - 4)}
            return until(seen) and seen
        return wait_until(probe, 15, interval=0.2, what="the button's look%s" % name)

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
        self.assertEqual(self.button(DOWN_BUTTON).text, "停 止")
        left, top, right, bottom = down["rect"]

        def changed():
            return float(subprocess.run(["compare", "-metric", "AE", "-extract", "%dx%d+%d+%d" % (
                right - left, bottom - top, left, top), before, self.h.screenshot("-down-caption-after"), "null:"],
                capture_output=True, text=True, timeout=30).stderr.split()[0])
        wait_until(changed, 15, interval=0.3, what="the button showing its new caption")

    def test_looks_at_rest_hovered_pressed_and_focused(self):
        # Gradient rows at row H - 4: F - 15 at rest, F under the pointer, F + 30 (clamped) pressed; the border is the
        # face's colour darkened, more with the focus. Each look is read once the screen has changed to it.
        login = self.button(LOGIN_BUTTON)
        left, top, right, bottom = login["rect"]
        cx, cy = (left + right) // 2, (top + bottom) // 2
        self.h.inspect("move", "--sx", 5, "--sy", 5)
        face = tuple(self.h.inspect.info()["colours"]["btnface"])
        rest = self.face("-rest", login, lambda f: f["border"] != face)  # drawn, over the window's face

        self.h.inspect("move", "--sx", cx, "--sy", cy)
        hovered = self.face("-hovered", login, lambda f: f["bottom"] != rest["bottom"])
        self.assertLess(rest["bottom"][0], hovered["bottom"][0], (rest, hovered))
        self.assertEqual(rest["border"], hovered["border"])

        xdotool("mousemove", cx, cy)
        xdotool("mousedown", 1)
        try:
            pressed = self.face("-pressed", login, lambda f: f["bottom"] != hovered["bottom"])
        finally:
            xdotool("mouseup", 1)
        self.assertLess(hovered["bottom"][0], pressed["bottom"][0], (hovered, pressed))
        # The release over the button is a click: empty boxes are refused by the login handler.
        self.app.wait_text(LOGIN_INFO, EMPTY)

        # The press moved X's own pointer over the button: away it goes too, or Wine, asking X where the pointer
        # is once Windows' idea of it is a moment old, would still find it over the button.
        xdotool("mousemove", 5, 5)
        self.h.inspect("move", "--sx", 5, "--sy", 5)
        self.face("-left", login, lambda f: f == rest)
        self.h.inspect.set_focus(login.hwnd)
        wait_until(lambda: self.app.tree().focus_hwnd == login.hwnd, 10, what="focus on 登 录")
        focused = self.face("-focused", login, lambda f: f["border"] != rest["border"])
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
        # The secondary button does not click; a double click is one click, and Space is one.
        self.app.click(login, button="right")
        self.app.click(login, double=True)
        wait_until(lambda: len(self.login_posts()) >= 2, 15, what="the double click's login")
        self.h.inspect.set_focus(login.hwnd)
        wait_until(lambda: self.app.tree().focus_hwnd == login.hwnd, 10, what="focus on 登 录")
        self.app.key("space")
        wait_until(lambda: len(self.login_posts()) >= 3, 15, what="the Space key's login")

        # Right arrow moves on like Tab, Left back like Shift+Tab (to the check box before the button).
        for key, expect_back in (("right", False), ("left", True)):
            self.h.inspect.set_focus(login.hwnd)
            wait_until(lambda: self.app.tree().focus_hwnd == login.hwnd, 10, what="focus on 登 录")
            self.app.key(key)
            wait_until(lambda: self.app.tree().focus_hwnd != login.hwnd, 10, what="focus to move on " + key)
            if expect_back:
                self.assertEqual(self.app.tree().focus["id"], CHECK_USER)
        # A login runs to its end before the window reads its next input: a click counted once too often would have
        # posted before these keys moved the focus.
        self.assertEqual(len(self.login_posts()), 3, "one login each for the click, the double click and Space")


if __name__ == "__main__":
    unittest.main()
