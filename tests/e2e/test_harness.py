"""The harness checked against its own sample window (verdaly-testwin.exe), so a failing program test
points at the program, not at the tools."""
import http.client
import os
import unittest

import harness
from harness import HarnessTestCase, wait_until

TITLE = "Verdaly Harness Test"


class SampleWindow(HarnessTestCase):
    def setUp(self):
        super().setUp()
        self.app = self.h.start_app(exe=harness.TESTWIN, title=TITLE)

    def test_tree_reports_classes_texts_positions_and_focus(self):
        tree = self.app.tree()
        box = tree.find(id=200)
        self.assertEqual((box["class"], box.text), ("HarnessBox", "用户信息"))
        label = tree.find(text="人人帐号：")
        self.assertEqual((label["class"], label.rel, label["parent"]), ("Static", (8, 12, 78, 30), box.hwnd))
        self.assertFalse(tree.find(text="不可用")["enabled"])
        self.assertEqual(tree.find(id=204)["check"], 0)
        self.assertEqual(tree.find(id=203)["password_char"], ord("*"))
        self.assertEqual(tree.focus.hwnd, tree.find(id=202).hwnd)
        self.assertEqual(self.app.main["client"], [0, 0, 354, 195])

    def test_typing_clicking_and_keys_reach_the_window(self):
        tree = self.app.tree()
        self.app.type_into(tree.find(id=202), "Ab1 @x.Y中文")
        self.app.type_into(tree.find(id=203), "p@ss 密码")
        self.h.inspect.click(tree.find(id=205).hwnd)
        self.app.wait_text(206, "clicked 1")
        self.h.inspect.click(tree.find(id=204).hwnd)
        wait_until(lambda: self.app.tree().find(id=204).checked, 10, what="check box ticked")
        self.h.inspect.click(tree.find(id=202).hwnd)
        self.app.key("enter")
        self.app.wait_text(206, "enter")

    def test_settext_and_selection(self):
        edit = self.app.tree().find(id=202)
        self.h.inspect.set_text(edit.hwnd, "hello")
        self.h.inspect.set_focus(edit.hwnd)
        self.app.key("end shift+left shift+left")
        wait_until(lambda: self.app.tree().find(id=202)["sel"] == [3, 5], 10, what="selection 3..5")

    def test_clipboard_pastes_into_the_window(self):
        self.h.inspect.clipboard_set("http://photo.renren.com/photo/1/album-2 相册")
        self.assertEqual(self.h.inspect.clipboard_get()["text"], "http://photo.renren.com/photo/1/album-2 相册")
        edit = self.app.tree().find(id=202)
        self.h.inspect.click(edit.hwnd)
        self.app.key("ctrl+v")
        self.app.wait_text(202, "http://photo.renren.com/photo/1/album-2 相册")

    def test_runs_in_the_working_folder_and_exits_on_alt_f4(self):
        self.assertTrue(os.path.exists(self.h.path("testwin.ini")))
        self.app.key("alt+f4")
        self.assertTrue(self.app.exited(timeout=20))
        self.assertFalse(self.h.top_windows(text=TITLE))


class Sandbox(HarnessTestCase):
    def test_site_names_resolve_to_the_local_site_and_wine_uses_code_page_936(self):
        site = self.h.start_site({"albums": {"1/2": {"count": 3}}})
        conn = http.client.HTTPConnection("photo.renren.com", 80, timeout=10)
        conn.request("GET", "/photo/1/album-2")
        self.assertEqual(conn.getresponse().status, 200)
        conn.close()
        self.assertEqual(site.wait_request(host="photo.renren.com")["path"], "/photo/1/album-2")
        info = self.h.inspect.info()
        self.assertEqual((info["acp"], info["screen_w"], info["screen_h"]), (936, 1024, 768))


class HelperRetry(unittest.TestCase):
    """A helper that ended without a result runs again only when that cannot repeat an action."""

    class Scripted(harness.Inspector):
        def __init__(self, outcomes):
            self.outcomes = list(outcomes)
            self.calls = 0

        def run_once(self, args, timeout):
            self.calls += 1
            return self.outcomes.pop(0)

    DIED_BEFORE = ([], False, 1, "")
    DIED_WHILE_ACTING = ([], True, 1, "")
    CLICKED = (['{"x":1,"y":2}'], True, 0, "")

    def test_a_helper_that_never_started_runs_again_even_for_a_click(self):
        inspect = self.Scripted([self.DIED_BEFORE, self.CLICKED])
        self.assertEqual(inspect("click", "--hwnd", 5), {"x": 1, "y": 2})
        self.assertEqual(inspect.calls, 2)

    def test_a_click_that_ended_while_acting_is_not_repeated(self):
        inspect = self.Scripted([self.DIED_WHILE_ACTING, self.CLICKED])
        with self.assertRaises(harness.HarnessError):
            inspect("click", "--hwnd", 5)
        self.assertEqual(inspect.calls, 1)

    def test_a_look_runs_again_and_a_second_failure_is_reported(self):
        inspect = self.Scripted([self.DIED_WHILE_ACTING, self.DIED_BEFORE])
        with self.assertRaises(harness.HarnessError):
            inspect("tree", "--hwnd", 5)
        self.assertEqual(inspect.calls, 2)


if __name__ == "__main__":
    unittest.main()
