"""Logging in as a user does: typing the account, pressing 登 录 or Enter, reading the status line."""
import unittest

from harness import HarnessTestCase, scramble, wait_until

EMAIL, PASSWORD = "reader@example.com", "s3cret"
ACCOUNTS = [{"email": EMAIL, "password": PASSWORD, "name": "Reader"},
            {"email": "amp@example.com", "password": "p&ss=w+rd%", "name": "Amp"},
            {"email": "cn@example.com", "password": "密码ab", "name": "Cn"},
            # 齄 is F7 FE in code page 936: its scrambled bytes would leave the byte range.
            {"email": "odd@example.com", "password": "齄ab", "name": "Odd"}]

LOGIN_INFO, EMAIL_BOX, PASSWORD_BOX, CHECK_USER, LOGIN_BUTTON = 107, 102, 104, 105, 106
FRAME_USER, FRAME_ABLUM, FRAME_MODE, ALBUM_BOX = 100, 108, 115, 110
# The tab stops in their tab-index order: the user group's, then the album and mode groups' (with the checked
# naming radio standing for its group).
USER_STOPS = [EMAIL_BOX, PASSWORD_BOX, CHECK_USER, LOGIN_BUTTON]
ALBUM_STOPS = [ALBUM_BOX, 111, 113, 114, 118, 123]

SUCCESS = "登录成功，请配置相册信息"
WRONG = "登录失败，可能是帐号或者密码错误"
NETWORK = "登录失败，可能是网络不通"
EMPTY = "用户名或者密码必须填写"


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Login(HarnessTestCase):
    def start(self, login=None, ini=None, faults=None):
        self.site = self.h.start_site({"accounts": ACCOUNTS, "login": login or {}, "faults": faults or {}})
        self.app = self.h.start_app(ini=ini)
        return self.app

    def fill(self, email, password):
        tree = self.app.tree()
        if email is not None:
            self.app.type_into(tree.find(id=EMAIL_BOX), email)
        if password is not None:
            self.app.type_into(tree.find(id=PASSWORD_BOX), password)

    def login_posts(self):
        return self.site.requests(path="/PLogin.do", method="POST")

    def enabled(self, tree, *ids):
        return [tree.find(id=i)["enabled"] for i in ids]

    def post_under_way(self):
        """Waits for the program's first connection to the site: the window is inside its first login post."""
        wait_until(lambda: self.h.client_sockets(), 20, what="the first login post under way")

    def retried_after(self):
        """Seconds from the first login post to the second, by the site's clock."""
        posts = self.login_posts()
        self.assertEqual(len(posts), 2, "one post given up, one answered")
        return posts[1]["t"] - posts[0]["t"]

    def tab_cycle(self, app, keys, count):
        """Presses keys count times; the ids of the controls the focus lands on."""
        seen = []
        for _ in range(count):
            before = app.tree().focus_hwnd
            app.key(keys)
            tree = wait_until(lambda: (lambda t: t if t.focus_hwnd != before else None)(app.tree()), 10,
                              what="the focus moved by %s" % keys)
            seen.append(tree.get(tree.focus_hwnd)["id"])
        return seen

    def test_tab_follows_the_tab_indices_and_skips_locked_groups(self):
        app = self.start()
        wait_until(lambda: app.tree().focus_hwnd == app.tree().find(id=EMAIL_BOX).hwnd, 10, what="focus in e-mail")
        self.assertEqual(self.tab_cycle(app, "tab", 4), USER_STOPS[1:] + USER_STOPS[:1])
        self.assertEqual(self.tab_cycle(app, "shift+tab", 4), USER_STOPS[::-1])

        self.fill(EMAIL, PASSWORD)
        app.click(app.tree().find(id=LOGIN_BUTTON))
        app.wait_text(LOGIN_INFO, SUCCESS)
        wait_until(lambda: app.tree().focus_hwnd == app.tree().find(id=ALBUM_BOX).hwnd, 10, what="focus in album")
        self.assertEqual(self.tab_cycle(app, "tab", 6), ALBUM_STOPS[1:] + ALBUM_STOPS[:1])

    def test_empty_boxes_are_refused_with_the_focus_where_typing_is_missing(self):
        app = self.start()
        app.click(app.tree().find(id=LOGIN_BUTTON))
        app.wait_text(LOGIN_INFO, EMPTY)
        wait_until(lambda: app.tree().focus_hwnd == app.tree().find(id=EMAIL_BOX).hwnd, 10, what="focus in e-mail")

        self.fill(EMAIL, None)
        app.click(app.tree().find(id=LOGIN_BUTTON))
        wait_until(lambda: app.tree().focus_hwnd == app.tree().find(id=PASSWORD_BOX).hwnd, 10,
                   what="focus in the password box")
        self.assertEqual(app.tree().find(id=LOGIN_INFO).text, EMPTY)
        self.assertEqual(self.login_posts(), [])

    def test_wrong_account_selects_the_email_and_keeps_only_the_user_group(self):
        app = self.start()
        self.fill(EMAIL, "wrong")
        app.click(app.tree().find(id=LOGIN_BUTTON))
        tree = app.wait_text(LOGIN_INFO, WRONG) and app.tree()
        self.assertEqual(self.enabled(tree, FRAME_USER, FRAME_ABLUM, FRAME_MODE), [True, False, False])
        email = tree.find(id=EMAIL_BOX)
        self.assertEqual(tree.focus_hwnd, email.hwnd)
        self.assertEqual(tuple(email["sel"]), (0, len(EMAIL)))
        self.assertEqual(len(self.login_posts()), 1)
        self.assertEqual(read(self.h.path("Verdaly.ini")), b"1 \r\n2 \r\n3 F\r\n", "a failed login saves nothing")

    def test_enter_in_the_password_box_logs_in_and_remembers_the_account(self):
        app = self.start()
        self.fill(EMAIL, PASSWORD)
        app.click(app.tree().find(id=CHECK_USER))
        wait_until(lambda: app.tree().find(id=CHECK_USER).checked, 10, what="the box ticked")
        app.click(app.tree().find(id=PASSWORD_BOX))
        app.key("enter")
        tree = app.wait_text(LOGIN_INFO, SUCCESS) and app.tree()
        self.assertEqual(self.enabled(tree, FRAME_USER, FRAME_ABLUM, FRAME_MODE), [False, True, True])
        wait_until(lambda: app.tree().focus_hwnd == app.tree().find(id=ALBUM_BOX).hwnd, 10,
                   what="focus in the album box")
        expected = b"1 " + scramble(EMAIL) + b"\r\n2 " + scramble(PASSWORD) + b"\r\n3 T\r\n"
        wait_until(lambda: read(self.h.path("Verdaly.ini")) == expected, 10, what="the account remembered")

        # The session cookie of the login goes with the probe that follows it.
        post = self.login_posts()[-1]
        self.assertEqual(post["form"], [["email", EMAIL], ["password", PASSWORD], ["autoLogin", "true"]])
        probe = self.site.wait_request(path="/getuser.do")
        self.assertTrue(probe["session_ok"], probe)
        self.assertIn(post["session"], probe["cookie"])

    def test_unticked_box_forgets_a_remembered_account(self):
        ini = b"1 " + scramble("old@example.com") + b"\r\n2 " + scramble("old") + b"\r\n3 T\r\n"
        app = self.start(ini=ini)
        app.click(app.tree().find(id=CHECK_USER))
        wait_until(lambda: not app.tree().find(id=CHECK_USER).checked, 10, what="the box unticked")
        self.fill(EMAIL, PASSWORD)
        app.click(app.tree().find(id=LOGIN_BUTTON))
        app.wait_text(LOGIN_INFO, SUCCESS)
        wait_until(lambda: read(self.h.path("Verdaly.ini")) == b"1 \r\n2 \r\n3 F\r\n", 10,
                   what="the remembered account cleared")

    def test_reserved_form_characters_and_chinese_passwords_reach_the_site_as_typed(self):
        app = self.start()
        self.fill("amp@example.com", "p&ss=w+rd%")
        app.click(app.tree().find(id=LOGIN_BUTTON))
        app.wait_text(LOGIN_INFO, SUCCESS)
        self.assertEqual(self.login_posts()[-1]["form"][1], ["password", "p&ss=w+rd%"])

    def test_four_failed_posts_report_the_network_then_a_retry_succeeds(self):
        app = self.start(login={"fail_first": 5})
        self.fill(EMAIL, PASSWORD)
        app.click(app.tree().find(id=LOGIN_BUTTON))
        app.wait_text(LOGIN_INFO, NETWORK, timeout=60)
        self.assertEqual(len(self.login_posts()), 4)
        # The fifth post still fails, the sixth is answered: one click, a failed attempt, then success.
        app.click(app.tree().find(id=LOGIN_BUTTON))
        app.wait_text(LOGIN_INFO, SUCCESS, timeout=60)
        self.assertEqual(len(self.login_posts()), 6)

    def test_an_answer_without_a_body_counts_as_a_login(self):
        app = self.start(faults={"/PLogin.do": {"kind": "empty"}})
        self.fill(EMAIL, PASSWORD)
        app.click(app.tree().find(id=LOGIN_BUTTON))
        tree = app.wait_text(LOGIN_INFO, SUCCESS) and app.tree()
        self.assertEqual(self.enabled(tree, FRAME_USER, FRAME_ABLUM, FRAME_MODE), [False, True, True])
        self.assertEqual(len(self.login_posts()), 1)

    def test_login_through_a_redirect_keeps_the_session(self):
        app = self.start(login={"redirect": True})
        self.fill("cn@example.com", "密码ab")
        app.click(app.tree().find(id=LOGIN_BUTTON))
        app.wait_text(LOGIN_INFO, SUCCESS, timeout=60)
        self.assertEqual(self.login_posts()[-1]["form"][1], ["password", "密码ab"])
        home = self.site.wait_request(path="/home")
        self.assertTrue(home["session_ok"], home)

    def test_back_from_the_tray_after_a_login_the_album_box_keeps_the_focus(self):
        ini = b"1 " + scramble(EMAIL) + b"\r\n2 " + scramble(PASSWORD) + b"\r\n3 T\r\n"
        app = self.start(ini=ini)
        app.click(app.tree().find(id=LOGIN_BUTTON))
        app.wait_text(LOGIN_INFO, SUCCESS)
        album = app.tree().find(id=ALBUM_BOX)
        wait_until(lambda: app.tree().focus_hwnd == album.hwnd, 10, what="focus in the album box")

        app.minimise()
        app.click_tray_icon()
        # The account boxes are locked now, so the focus cannot go to the password box; it must not get lost.
        wait_until(lambda: app.tree().focus_hwnd == album.hwnd, 10, what="focus in the album box again")
        self.assertTrue(app.tree().find(id=CHECK_USER).checked)

    def test_a_login_that_succeeds_while_in_the_tray_still_remembers_the_account_and_probes(self):
        # The first post fails after 4 s; the user minimises meanwhile, and the second post succeeds while the
        # window is hidden in the tray, where nothing can take the focus.
        app = self.start(login={"fail_first": 1, "delay_ms": 4000})
        self.fill(EMAIL, PASSWORD)
        app.click(app.tree().find(id=CHECK_USER))
        wait_until(lambda: app.tree().find(id=CHECK_USER).checked, 10, what="the box ticked")
        app.click(app.tree().find(id=LOGIN_BUTTON))
        self.post_under_way()  # the window takes the minimise between the two posts
        app.minimise()
        expected = b"1 " + scramble(EMAIL) + b"\r\n2 " + scramble(PASSWORD) + b"\r\n3 T\r\n"
        wait_until(lambda: read(self.h.path("Verdaly.ini")) == expected, 30, what="the account remembered")
        probe = self.site.wait_request(path="/getuser.do", timeout=30)
        self.assertTrue(probe["session_ok"], probe)
        self.assertEqual(len(self.login_posts()), 2)

        app.click_tray_icon()
        tree = app.wait_text(LOGIN_INFO, SUCCESS)
        self.assertEqual(self.enabled(tree and app.tree(), FRAME_USER, FRAME_ABLUM, FRAME_MODE), [False, True, True])
    def test_an_account_that_cannot_be_stored_exactly_is_forgotten_not_garbled(self):
        ini = b"1 " + scramble("old@example.com") + b"\r\n2 " + scramble("old") + b"\r\n3 T\r\n"
        app = self.start(ini=ini)
        self.assertTrue(app.tree().find(id=CHECK_USER).checked)
        self.fill("odd@example.com", "齄ab")
        app.click(app.tree().find(id=LOGIN_BUTTON))
        app.wait_text(LOGIN_INFO, SUCCESS)
        self.assertEqual(self.login_posts()[-1]["form"][1], ["password", "齄ab"])
        wait_until(lambda: read(self.h.path("Verdaly.ini")) == b"1 \r\n2 \r\n3 F\r\n", 10,
                   what="the earlier account cleared and nothing stored")

    # The site's clock times the posts; each fault lasts far longer than the program waits, so the bounds can be
    # loose and still tell the program giving up from the site ending the fault.
    def test_a_login_post_left_unanswered_is_given_up_after_its_time_out_and_tried_again(self):
        # The first post gets no answer at all; the second is answered at once.
        app = self.start(faults={"/PLogin.do": {"kind": "stall", "headers": False, "seconds": 75, "times": 1}})
        self.fill(EMAIL, PASSWORD)
        app.click(app.tree().find(id=LOGIN_BUTTON))
        app.wait_text(LOGIN_INFO, SUCCESS, timeout=90)
        waited = self.retried_after()
        self.assertTrue(15.0 <= waited <= 45.0, "the unanswered post was given up after %.1f s" % waited)

    def test_a_login_answer_dribbled_past_its_deadline_is_given_up_and_tried_again(self):
        # The first answer's header comes one byte every 2 s; each byte keeps WinINet's per-call time-out alive.
        app = self.start(faults={"/PLogin.do": {"kind": "dribble", "ms": 2000, "seconds": 75, "times": 1}})
        self.fill(EMAIL, PASSWORD)
        app.click(app.tree().find(id=LOGIN_BUTTON))
        app.wait_text(LOGIN_INFO, SUCCESS, timeout=90)
        waited = self.retried_after()
        self.assertTrue(30.0 <= waited <= 60.0, "the dribbled post was given up after %.1f s" % waited)

    def test_a_cut_or_oversized_answer_is_judged_by_the_part_that_came(self):
        app = self.start()
        self.fill(EMAIL, "wrong")
        # The login form is in the first 400 bytes of the wrong-account page; the oversized one passes the
        # answer's 4 MB limit.
        faults = ({"kind": "cut", "partial": 400}, {"kind": "chunked", "chunk": 50, "cut": True, "partial": 400},
                  {"kind": "oversize", "bytes": 5 << 20})
        for posts, fault in enumerate(faults, 1):
            self.site.control("/faults", {"/PLogin.do": fault})
            app.click(app.tree().find(id=LOGIN_BUTTON))
            wait_until(lambda: len(self.login_posts()) >= posts, 30, what="post %d" % posts)
            app.wait_text(LOGIN_INFO, WRONG, timeout=60, what="a wrong account after a %s answer" % fault["kind"])
            # A retry would have been posted before the answer was judged.
            self.assertEqual(len(self.login_posts()), posts, "each answer came with status 200: no retries")
            self.assertEqual(read(self.h.path("Verdaly.ini")), b"1 \r\n2 \r\n3 F\r\n", fault)
        # A cut answer without the form is a login, as an unreadable one is.
        self.site.control("/faults", {"/PLogin.do": {"kind": "cut", "partial": 60}})
        self.fill(EMAIL, PASSWORD)
        app.click(app.tree().find(id=LOGIN_BUTTON))
        app.wait_text(LOGIN_INFO, SUCCESS, timeout=60)

    def test_a_second_click_while_a_login_is_under_way_starts_no_login_inside_it(self):
        # The first post fails after 8 s; a click made meanwhile waits in the queue and comes out between posts.
        app = self.start(login={"fail_first": 1, "delay_ms": 8000})
        self.fill(EMAIL, PASSWORD)
        button = app.tree().find(id=LOGIN_BUTTON)
        app.click(button)
        self.post_under_way()
        app.click(button)
        app.wait_text(LOGIN_INFO, SUCCESS, timeout=60)
        # A login inside the first would post once more before the window takes its next key.
        self.tab_cycle(app, "tab", 1)
        self.assertEqual(len(self.login_posts()), 2)
        self.site.wait_request(path="/getuser.do")
        self.assertEqual(len(self.site.requests(path="/getuser.do")), 1)
        tree = app.tree()
        self.assertEqual(self.enabled(tree, FRAME_USER, FRAME_ABLUM, FRAME_MODE), [False, True, True])


if __name__ == "__main__":
    unittest.main()
