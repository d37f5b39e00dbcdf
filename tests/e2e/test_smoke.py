"""First contact with the program: the main window as a user sees it, the settings file (also one that cannot be
read or written), the update link, closing."""
import os
import unittest

from harness import TESTWIN, HarnessTestCase, MAIN_TITLE, scramble, wait_until

GROUP = "VerdalyGroup"

# name, parent, class, text, (left, top, width, height) in twips relative to the parent's client area.
LAYOUT = [
    ("FrameUser", None, GROUP, "用户信息", (120, 120, 6975, 1250)),
    ("Label1", "FrameUser", "Static", "人人帐号：", (120, 340, 1095, 255)),
    ("email", "FrameUser", "Edit", "", (1080, 240, 2415, 375)),
    ("Label2", "FrameUser", "Static", "用户密码：", (120, 800, 1095, 255)),
    ("password", "FrameUser", "Edit", "", (1080, 720, 2415, 375)),
    ("CheckUser", "FrameUser", "Button", "记住用户登录信息", (3645, 720, 2295, 375)),
    ("NBtnLogin", "FrameUser", "isButton", "登 录", (6000, 720, 855, 375)),
    ("LoginInfo", "FrameUser", "Static", "公益软件，请放心使用人人网账号登录", (3645, 340, 3105, 255)),
    ("FrameAblum", None, GROUP, "相册信息", (120, 1440, 6975, 1215)),
    ("Label3", "FrameAblum", "Static", "相册地址：", None),
    ("albumURLTxt", "FrameAblum", "Edit", "", (1080, 240, 4935, 375)),
    ("NBtnClip", "FrameAblum", "isButton", "粘 贴", (6000, 240, 855, 375)),
    ("Label4", "FrameAblum", "Static", "保存目录：", None),
    ("DirPathTxt", "FrameAblum", "Edit", "", (1080, 720, 4935, 375)),
    ("NBtnFile", "FrameAblum", "isButton", "目 录", (6000, 720, 855, 375)),
    ("FrameMode", None, GROUP, "下载配置", (120, 2760, 6975, 855)),
    ("NewModeContainer", "FrameMode", GROUP, None, (120, 240, 5655, 375)),
    ("Label8", "NewModeContainer", "Static", "命名方案：", None),
    ("UrlInitName", "NewModeContainer", "Button", "默认方案", (1080, 150, 1215, 255)),
    ("AblumUpName", "NewModeContainer", "Button", "相册升序", (2400, 150, 1095, 255)),
    ("AblumDownName", "NewModeContainer", "Button", "相册降序", (3720, 150, 1215, 255)),
    ("NBtnDown", "FrameMode", "isButton", "下 载", (6000, 240, 855, 420)),
    ("FrameDown", None, GROUP, "下载进度", (120, 3720, 6975, 975)),
    ("DownInfo", "FrameDown", "Static", "必须登录人人网，配置相册信息，才能下载相册", (120, 300, 5655, 255)),
    ("CheckNewLable", "FrameDown", "Static", "检查更新", (6120, 280, 735, 255)),
    ("NicePressBar", "FrameDown", "VerdalyProgressBar", "0%", (120, 600, 6735, 225)),
]
CLIENT_PIXELS = (7410 // 15, 5265 // 15)
FRAME_ENABLED = {"FrameUser": True, "FrameAblum": False, "FrameMode": False, "FrameDown": True}
DEFAULT_INI = b"1 \r\n2 \r\n3 F\r\n"
EMAIL_BOX, PASSWORD_BOX, CHECK_USER = 102, 104, 105


def near(actual, twips):
    """Pixels from twips (15 to a pixel) allowing one pixel of rounding on each edge."""
    left, top, width, height = twips
    expected = (left / 15, top / 15, (left + width) / 15, (top + height) / 15)
    return all(abs(a - e) <= 1 for a, e in zip(actual, expected))


def map_layout(tree, texts=None):
    """Finds each row's window: same parent, class and text (texts overrides rows by name), at the
    expected place. Returns name -> window."""
    found = {}
    problems = []
    for name, parent, cls, text, rect in LAYOUT:
        text = (texts or {}).get(name, text)
        parent_hwnd = found[parent].hwnd if parent else tree.top.hwnd
        candidates = [w for w in tree.find_all(cls=cls, text=text, parent=parent_hwnd)
                      if rect is None or near(w.rel, rect)]
        if len(candidates) != 1:
            near_misses = [(w.text, w.rel) for w in tree.find_all(cls=cls, parent=parent_hwnd)]
            problems.append("%s: %d matches; %s in that parent: %r" % (name, len(candidates), cls, near_misses))
            if not candidates:
                raise AssertionError("\n".join(problems))
        found[name] = candidates[0]
    if problems:
        raise AssertionError("\n".join(problems))
    return found


def read_bytes(path):
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        return f.read()


class MainWindow(HarnessTestCase):
    def test_fresh_start_shows_the_layout_and_writes_default_settings(self):
        app = self.h.start_app()
        tree = app.tree()
        self.assertEqual((tree.top["class"], tree.top.text), ("VerdalyMainForm", MAIN_TITLE))
        self.assertEqual(tuple(tree.top["client"][2:]), CLIENT_PIXELS)

        controls = map_layout(tree)
        self.assertEqual({name: controls[name]["enabled"] for name in FRAME_ENABLED}, FRAME_ENABLED)
        self.assertTrue(all(w["visible"] for w in controls.values()))
        radios = [controls[n].checked for n in ("UrlInitName", "AblumUpName", "AblumDownName")]
        self.assertEqual(radios, [True, False, False])
        self.assertFalse(controls["CheckUser"].checked)
        self.assertEqual(controls["password"]["password_char"], ord("*"))
        wait_until(lambda: app.tree().focus_hwnd == controls["email"].hwnd, 10, what="focus in the e-mail box")

        ini = self.h.path("Verdaly.ini")
        wait_until(lambda: read_bytes(ini) == DEFAULT_INI, 10,
                   what="Verdaly.ini with the default lines")
        self.h.screenshot("-layout")

        # 检查更新 starts explorer by its full path, not by a name the current folder could supply.
        started = self.h.inspect("spawned", "--pid", app.pid, "--hwnd", controls["CheckNewLable"].hwnd,
                                 "--timeout", 30000)
        self.assertEqual((started["image"], started["command"]),
                         ("C:\\windows\\explorer.exe", '"C:\\windows\\explorer.exe" https://verdaly.org/'))

    def test_a_settings_file_that_cannot_be_read_or_written_remembers_nothing_and_stops_nothing(self):
        folder = self.h.path("Verdaly.ini")  # a folder in its place: nothing to read, and nothing can replace it
        os.mkdir(folder)
        self.h.start_site({"accounts": [{"email": "a@b.c", "password": "pw", "name": "A"}]})
        app = self.h.start_app()
        controls = map_layout(app.tree())  # the boxes empty
        wait_until(lambda: app.tree().focus_hwnd == controls["email"].hwnd, 10, what="focus in the e-mail box")
        self.assertFalse(controls["CheckUser"].checked)
        app.click(controls["CheckUser"])
        wait_until(lambda: app.tree().find(id=CHECK_USER).checked, 10, what="the box ticked")
        app.log_in("a@b.c", "pw", "登录成功，请配置相册信息")
        self.h.site.wait_request(path="/getuser.do")  # the login went on past the failed save
        self.assertEqual((os.listdir(self.h.appdir), os.listdir(folder)), (["Verdaly.ini"], []))

    def test_alt_f4_closes_and_the_process_ends(self):
        app = self.h.start_app()
        app.key("alt+f4")
        self.assertTrue(app.exited(timeout=20), "the program is still running after Alt+F4")
        self.assertFalse([w for w in self.h.inspect.windows() if w.text == MAIN_TITLE])

    def test_remembered_login_is_restored(self):
        email, password = "a@b.c", "pw密码9"
        ini = b"1 " + scramble(email) + b"\r\n2 " + scramble(password) + b"\r\n3 T\r\n"
        app = self.h.start_app(ini=ini)
        controls = map_layout(app.tree(), {"email": email, "password": password})
        self.assertTrue(controls["CheckUser"].checked)
        self.assertEqual(read_bytes(self.h.path("Verdaly.ini")), ini, "starting must not rewrite the settings")


class Activation(HarnessTestCase):
    """The remembered account comes back when the window is shown, and only then."""

    EMAIL, PASSWORD = "keep@me.cn", "pw&9"

    def remembered(self, flag):
        return b"1 " + scramble(self.EMAIL) + b"\r\n2 " + scramble(self.PASSWORD) + b"\r\n3 " + flag + b"\r\n"

    def boxes(self, tree):
        return tree.find(id=EMAIL_BOX).text, tree.find(id=PASSWORD_BOX).text, tree.find(id=CHECK_USER).checked

    def wait_focus(self, app, control_id, what):
        return wait_until(lambda: app.tree().focus_hwnd == app.tree().find(id=control_id).hwnd, 10, what=what)

    def test_only_an_exact_T_restores(self):
        app = self.h.start_app(ini=self.remembered(b"T "))
        self.wait_focus(app, EMAIL_BOX, "focus in the e-mail box")
        self.assertEqual(self.boxes(app.tree()), ("", "", False))

    def test_switching_back_keeps_typing_and_the_tray_puts_the_account_back(self):
        app = self.h.start_app(ini=self.remembered(b"T"))
        self.wait_focus(app, PASSWORD_BOX, "focus in the password box")
        tree = app.tree()
        self.assertEqual(self.boxes(tree), (self.EMAIL, self.PASSWORD, True))
        self.assertEqual(tuple(tree.find(id=PASSWORD_BOX)["sel"]), (len(self.PASSWORD), len(self.PASSWORD)),
                         "the caret after the password's last character")

        # Another program comes forward and goes back: what was typed stays.
        app.type_into(tree.find(id=EMAIL_BOX), "typed@x.y")
        other = self.h.start_app(exe=TESTWIN, title="Verdaly Harness Test")
        self.h.inspect("foreground", "--hwnd", other.hwnd)
        wait_until(lambda: app.tree().foreground_hwnd == other.hwnd, 10, what="the other program in front")
        self.h.inspect("foreground", "--hwnd", app.hwnd)
        self.wait_focus(app, EMAIL_BOX, "the focus back in the e-mail box")
        self.assertEqual(self.boxes(app.tree()), ("typed@x.y", self.PASSWORD, True))

        # Back from the tray the remembered account replaces the typing.
        app.minimise()
        app.click_tray_icon()
        self.wait_focus(app, PASSWORD_BOX, "focus in the password box again")
        tree = app.tree()
        self.assertEqual(self.boxes(tree), (self.EMAIL, self.PASSWORD, True))
        self.assertEqual(tuple(tree.find(id=PASSWORD_BOX)["sel"]), (len(self.PASSWORD), len(self.PASSWORD)))


class Scrambling(unittest.TestCase):
    """The harness's own scrambling, against values worked out by hand from the rule (key number 18)."""

    def test_known_values(self):
        self.assertEqual(scramble("a@b.c"), b"o4u#u")
        self.assertEqual(scramble("aaaaaa"), bytes([97 + 14, 97 - 12, 97 + 19, 97 - 11, 97 + 18, 97 - 16]))


if __name__ == "__main__":
    unittest.main()
