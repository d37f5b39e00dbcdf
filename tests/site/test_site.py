"""Checks of the imitation site itself: form decoding, album pages, photo bytes, faults, the log."""
import hashlib
import http.client
import importlib.util
import json
import os
import socket
import tempfile
import threading
import time
import unittest

_spec = importlib.util.spec_from_file_location("verdaly_site", os.path.join(os.path.dirname(__file__), "site.py"))
site = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(site)


def extract_like_program(page):
    """How the program reads an album page: split at class="loading", then data-src=" .. first .jpg."""
    urls = []
    for piece in page.split('class="loading"')[1:]:
        start = piece.find('data-src="')
        if start < 0:
            continue
        rest = piece[start + len('data-src="'):]
        end = rest.find(".jpg")
        if end >= 0:
            urls.append(rest[:end + 4])
    return urls


class FormDecoding(unittest.TestCase):
    def test_gbk_escapes_plus_signs_order_and_empty_values(self):
        for body, fields in ((b"email=a%40b.c&password=%C3%DC%C2%EB&autoLogin=true",
                              [("email", "a@b.c"), ("password", "密码"), ("autoLogin", "true")]),
                             (b"password=a+b%2Bc", [("password", "a b+c")]),
                             (b"password=&email=x", [("password", ""), ("email", "x")])):
            self.assertEqual(site.parse_form(body), fields, body)

    def test_round_trip_with_encoder(self):
        fields = [("email", "张三@例子.cn"), ("password", "p&w=%中"), ("autoLogin", "true")]
        self.assertEqual(site.parse_form(site.encode_form(fields)), fields)


class AlbumPages(unittest.TestCase):
    def test_decoy_before_first_photo_is_not_a_photo(self):
        page = site.build_album_page("1", "2", ["http://fmn.rrimg.com/x.jpg"])
        head = page.split('class="loading"')[0]
        self.assertIn('data-src="', head)
        self.assertNotIn("x.jpg", head)

    def test_generated_albums_have_distinct_addresses(self):
        photos = site.album_photos("7/8", {"count": 40, "host": "fmn.rrfmn.com"})
        urls = [p["url"] for p in photos]
        self.assertEqual(len(set(urls)), 40)
        self.assertTrue(all(u.startswith("http://fmn.rrfmn.com/") and u.endswith(".jpg") for u in urls))
        self.assertEqual(extract_like_program(site.build_album_page("7", "8", urls)), urls)


class PhotoBytes(unittest.TestCase):
    def test_is_a_jpeg_unique_per_address(self):
        a = site.photo_bytes("fmn.rrimg.com/a/x.jpg")
        b = site.photo_bytes("fmn.rrimg.com/b/x.jpg")
        self.assertNotEqual(a, b)
        for data in (a, b):
            self.assertEqual(data[:2], b"\xff\xd8")
            self.assertEqual(data[-2:], b"\xff\xd9")

    def test_padding_reaches_exact_sizes(self):
        for size in (1000, 65537, 65540, 65541, 65542, 131077, 200003, 1 << 20):
            data = site.photo_bytes("k", size)
            self.assertEqual(len(data), size, size)
            self.assertTrue(walk_segments(data), size)

    def test_key_ignores_query_and_port(self):
        self.assertEqual(site.photo_key("http://Fmn.rrimg.com:80/a/b.jpg?x=1"), "fmn.rrimg.com/a/b.jpg")


def wait_until_true(probe, timeout=5.0):
    deadline = time.monotonic() + timeout
    while not probe():
        if time.monotonic() > deadline:
            raise AssertionError("timed out")
        time.sleep(0.05)


def walk_segments(data):
    """True when the marker segments before the scan lead to SOS without running off the end."""
    i = 2
    while i + 4 <= len(data):
        if data[i] != 0xFF:
            return False
        marker = data[i + 1]
        length = int.from_bytes(data[i + 2:i + 4], "big")
        if marker == 0xDA:
            return True
        i += 2 + length
    return False


class RunningSite(unittest.TestCase):
    """The server on a free port of 127.0.0.1; requests carry the Host header the program would send."""

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.log = os.path.join(self.tmp.name, "requests.jsonl")
        config = {
            "port": 0, "log": self.log,
            "accounts": [{"email": "a@b.c", "password": "密码"}],
            "albums": {"1/2": {"photos": ["http://fmn.rrimg.com/fmn/p/one.jpg",
                                          {"url": "http://fmn.rrimg.com/fmn/p/big.jpg", "size": 50000}]}},
            "faults": {"/fmn/p/missing.jpg": {"kind": "404"},
                       "/fmn/p/cut.jpg": {"kind": "cut", "partial": 100},
                       "/fmn/p/stall.jpg": {"kind": "stall", "seconds": 1.5},
                       "/fmn/p/twice.jpg": {"kind": "500", "times": 2},
                       "/fmn/p/empty.jpg": {"kind": "empty"},
                       "/fmn/p/late404.jpg": {"kind": "404", "delay_ms": 300},
                       "/fmn/p/moved.jpg": {"kind": "redirect", "location": "/fmn/p/one.jpg"},
                       "/fmn/p/other.jpg": {"kind": "redirect", "status": 307, "location": "http://127.0.0.1/a b"}},
        }
        self.server = site.make_server(config)
        self.port = self.server.server_address[1]
        self.thread = threading.Thread(target=self.server.serve_forever, kwargs={"poll_interval": 0.05})
        self.thread.start()

    def tearDown(self):
        self.server.state.stopping.set()
        self.server.shutdown()
        self.server.server_close()
        self.thread.join()
        self.tmp.cleanup()

    def request(self, host, method, path, body=None, headers=None, conn=None):
        if conn is None:
            conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
            self.addCleanup(conn.close)
        h = {"Host": host}
        h.update(headers or {})
        conn.request(method, path, body=body, headers=h)
        resp = conn.getresponse()
        return resp, resp.read()

    def records(self):
        with open(self.log, encoding="utf-8") as f:
            return [json.loads(line) for line in f]

    def login(self, body):
        return self.request("www.renren.com", "POST", "/PLogin.do", body,
                            {"Content-Type": "application/x-www-form-urlencoded"})

    def test_good_login_sets_session_cookie_and_probe_sees_it(self):
        resp, page = self.login(b"email=a%40b.c&password=%C3%DC%C2%EB&autoLogin=true")
        self.assertEqual(resp.status, 200)
        cookie = resp.getheader("Set-Cookie")
        self.assertRegex(cookie, r"^t=[0-9a-f]{32}; Path=/; Domain=\.renren\.com$")
        self.assertNotIn(b'class="login"', page)
        resp, body = self.request("www.renren.com", "GET", "/getuser.do?id=5", headers={"Cookie": cookie.split(";")[0]})
        self.assertIn(b'"logged":true', body)
        probe = self.records()[-1]
        self.assertEqual((probe["path"], probe["query"], probe["session_ok"]), ("/getuser.do", "id=5", True))
        self.assertEqual(probe["cookie"], cookie.split(";")[0])

    def test_wrong_password_or_field_order_answers_login_page(self):
        for body in (b"email=a%40b.c&password=x&autoLogin=true",
                     b"password=%C3%DC%C2%EB&email=a%40b.c&autoLogin=true"):
            resp, page = self.login(body)
            self.assertEqual(resp.status, 200)
            self.assertIn(b'class="login"', page)
            self.assertIsNone(resp.getheader("Set-Cookie"))

    def test_redirect_mode_and_first_failures(self):
        self.server.state.configure(site.merge_config(self.server.state.config,
                                                      {"login": {"redirect": True, "fail_first": 1}}))
        body = b"email=a%40b.c&password=%C3%DC%C2%EB&autoLogin=true"
        self.assertEqual(self.login(body)[0].status, 500)
        resp, _ = self.login(body)
        self.assertEqual(resp.status, 302)
        self.assertEqual(resp.getheader("Location"), "http://www.renren.com/home")
        self.assertIsNotNone(resp.getheader("Set-Cookie"))

    def test_album_page_and_photos_on_one_kept_alive_connection(self):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        self.addCleanup(conn.close)
        resp, page = self.request("photo.renren.com", "GET", "/photo/1/album-2", conn=conn)
        urls = extract_like_program(page.decode("utf-8"))
        self.assertEqual(urls, ["http://fmn.rrimg.com/fmn/p/one.jpg", "http://fmn.rrimg.com/fmn/p/big.jpg"])
        for url in urls:
            resp, data = self.request("fmn.rrimg.com", "GET", url[len("http://fmn.rrimg.com"):], conn=conn)
            self.assertEqual(resp.getheader("Content-Type"), "image/jpeg")
            self.assertEqual(data, site.photo_bytes(site.photo_key(url), 50000 if "big" in url else 0))
        self.assertEqual(len({r["conn"] for r in self.records()}), 1)
        self.assertEqual(self.records()[-1]["photo"]["sha1"], hashlib.sha1(data).hexdigest())

    def test_faults_an_unknown_album_and_a_late_or_empty_answer(self):
        self.assertEqual(self.request("photo.renren.com", "GET", "/photo/1/album-99")[0].status, 404)
        self.assertEqual(self.request("fmn.rrimg.com", "GET", "/fmn/p/missing.jpg")[0].status, 404)
        start = time.monotonic()
        self.assertEqual(self.request("fmn.rrimg.com", "GET", "/fmn/p/late404.jpg")[0].status, 404)
        self.assertGreaterEqual(time.monotonic() - start, 0.3)
        resp, data = self.request("fmn.rrimg.com", "GET", "/fmn/p/empty.jpg")
        self.assertEqual((resp.status, resp.getheader("Content-Length"), data), (200, "0", b""))
        statuses = [self.request("fmn.rrfmn.com", "GET", "/fmn/p/twice.jpg")[0].status for _ in range(3)]
        self.assertEqual(statuses, [500, 500, 200])
        with self.assertRaises(http.client.IncompleteRead):
            self.request("fmn.rrimg.com", "GET", "/fmn/p/cut.jpg")
        # A redirect's address goes out exactly as configured, relative or not, blanks and all.
        for path, status, location in (("/fmn/p/moved.jpg", 302, "/fmn/p/one.jpg"),
                                       ("/fmn/p/other.jpg", 307, "http://127.0.0.1/a b")):
            resp, body = self.request("fmn.rrimg.com", "GET", path)
            self.assertEqual((resp.status, resp.getheader("Location"), body), (status, location, b""))

    def test_a_photo_can_be_a_file_from_disk(self):
        picture = os.path.join(self.tmp.name, "real.jpg")
        with open(picture, "wb") as f:
            f.write(site.BASE_JPEGS[2])
        self.server.state.configure(site.merge_config(self.server.state.config, {
            "albums": {"3/5": {"photos": [{"url": "http://fmn.rrimg.com/demo/real.jpg", "file": picture}]}}}))
        self.assertEqual(self.request("fmn.rrimg.com", "GET", "/demo/real.jpg")[1], site.BASE_JPEGS[2])

    def test_huge_photo_is_streamed_with_its_exact_length(self):
        size = site.STREAM_ABOVE + 12345
        self.server.state.configure(site.merge_config(self.server.state.config, {
            "albums": {"3/4": {"photos": [{"url": "http://fmn.rrimg.com/fmn/p/huge.jpg", "size": size}]}}}))
        resp, data = self.request("fmn.rrimg.com", "GET", "/fmn/p/huge.jpg")
        self.assertEqual((resp.status, int(resp.getheader("Content-Length")), len(data)), (200, size, size))
        self.assertEqual(data, site.photo_bytes("fmn.rrimg.com/fmn/p/huge.jpg", size))

    def test_stats_time_photos_only_from_first_request_to_last_byte(self):
        self.request("control.test", "POST", "/stats/clear", b"")
        before = time.time()
        self.request("photo.renren.com", "GET", "/photo/1/album-2")
        self.request("fmn.rrimg.com", "GET", "/fmn/p/one.jpg")
        self.request("fmn.rrimg.com", "GET", "/fmn/p/big.jpg")
        self.request("www.renren.com", "GET", "/getuser.do?id=1")
        stats = json.loads(self.request("control.test", "GET", "/stats")[1])
        self.assertEqual((stats["photo_requests"], stats["photo_responses"]), (2, 2))
        self.assertEqual(stats["photo_bytes"], len(site.photo_bytes("fmn.rrimg.com/fmn/p/one.jpg")) + 50000)
        self.assertLessEqual(before, stats["first_photo_request"])
        self.assertLess(stats["first_photo_request"], stats["last_photo_sent"])

    def test_stall_sends_headers_then_nothing_and_notes_when_the_client_closed(self):
        s = socket.create_connection(("127.0.0.1", self.port), timeout=0.8)
        s.sendall(b"GET /fmn/p/stall.jpg HTTP/1.1\r\nHost: fmn.rrimg.com\r\n\r\n")
        time.sleep(0.3)
        head = s.recv(4096)
        self.assertIn(b"Content-Length:", head)
        with self.assertRaises(socket.timeout):
            s.recv(4096)
        s.close()
        wait_until_true(lambda: self.events("/fmn/p/stall.jpg"))
        self.assertEqual(self.events("/fmn/p/stall.jpg")[0]["outcome"], "client closed")

    def fault(self, path, fault):
        self.request("control.test", "POST", "/faults", json.dumps({path: fault}))

    def events(self, path):
        return [e for e in json.loads(self.request("control.test", "GET", "/events")[1]) if e["path"] == path]

    def test_dribble_sends_one_byte_at_a_time_within_its_bound_and_notes_how_it_ended(self):
        self.fault("/fmn/p/one.jpg", {"kind": "dribble", "ms": 100, "seconds": 0.75})
        s = socket.create_connection(("127.0.0.1", self.port), timeout=5)
        s.sendall(b"GET /fmn/p/one.jpg HTTP/1.1\r\nHost: fmn.rrimg.com\r\n\r\n")
        pieces, start = [], time.monotonic()
        while True:
            data = s.recv(4096)
            if not data:
                break
            pieces.append(data)
        took = time.monotonic() - start
        s.close()
        # Seven or so single bytes of the header in 0.75 s, then the connection went: the answer was cut.
        self.assertTrue(all(len(p) == 1 for p in pieces), pieces)
        self.assertTrue(5 <= len(pieces) <= 8, len(pieces))
        self.assertTrue(b"HTTP/1.1 200 OK\r\n".startswith(b"".join(pieces)), pieces)
        self.assertTrue(0.7 <= took <= 1.5, took)
        self.assertEqual([e["outcome"] for e in self.events("/fmn/p/one.jpg")], ["bound"])

        # From the body on, after a prefix sent at once; a client that closes ends the dribble at once.
        self.fault("/fmn/p/big.jpg", {"kind": "dribble", "ms": 200, "from": "body", "prefix": 100, "seconds": 30})
        s = socket.create_connection(("127.0.0.1", self.port), timeout=5)
        s.sendall(b"GET /fmn/p/big.jpg HTTP/1.1\r\nHost: fmn.rrimg.com\r\n\r\n")
        time.sleep(0.3)
        head, _, body = s.recv(65536).partition(b"\r\n\r\n")
        self.assertIn(b"Content-Length: 50000", head)
        self.assertEqual(body, site.photo_bytes("fmn.rrimg.com/fmn/p/big.jpg", 50000)[:len(body)])
        self.assertTrue(100 <= len(body) <= 102, len(body))
        s.close()
        closed = time.time()
        wait_until_true(lambda: self.events("/fmn/p/big.jpg"))
        event = self.events("/fmn/p/big.jpg")[0]
        self.assertEqual(event["outcome"], "client closed")
        self.assertLess(event["end"] - closed, 0.5)

    def test_chunked_answers_whole_and_cut_before_the_last_chunk(self):
        one = site.photo_bytes("fmn.rrimg.com/fmn/p/one.jpg")
        self.fault("/fmn/p/one.jpg", {"kind": "chunked", "chunk": 100})
        resp, data = self.request("fmn.rrimg.com", "GET", "/fmn/p/one.jpg")
        self.assertEqual((resp.getheader("Transfer-Encoding"), resp.getheader("Content-Length")), ("chunked", None))
        self.assertEqual(data, one)
        self.fault("/fmn/p/one.jpg", {"kind": "chunked", "chunk": 100, "cut": True, "partial": 250})
        with self.assertRaises(http.client.IncompleteRead) as cut:
            self.request("fmn.rrimg.com", "GET", "/fmn/p/one.jpg")
        self.assertEqual(cut.exception.partial, one[:250])

    def test_answers_without_length_or_chunking_end_with_the_connection(self):
        one = site.photo_bytes("fmn.rrimg.com/fmn/p/one.jpg")
        for fault, expected in (({"kind": "nolength"}, one), ({"kind": "nolength", "partial": 300}, one[:300])):
            self.fault("/fmn/p/one.jpg", fault)
            resp, data = self.request("fmn.rrimg.com", "GET", "/fmn/p/one.jpg")
            self.assertEqual((resp.getheader("Content-Length"), resp.getheader("Connection")), (None, "close"))
            self.assertEqual(data, expected)

    def test_oversize_pads_the_real_answer_to_its_size_with_or_without_a_length(self):
        body = b"email=a%40b.c&password=x&autoLogin=true"
        for length in (True, False):
            self.fault("/PLogin.do", {"kind": "oversize", "bytes": 5 << 20, "length": length})
            resp, page = self.login(body)
            self.assertEqual(resp.getheader("Content-Length"), str(5 << 20) if length else None)
            self.assertEqual(len(page), 5 << 20)
            self.assertIn(b'class="login"', page[:2000])
            self.assertEqual(page[-100:], b" " * 100)

    def raw(self, request, timeout=5):
        """A fresh socket that has sent request, to read the answer as it comes."""
        s = socket.create_connection(("127.0.0.1", self.port), timeout=timeout)
        self.addCleanup(s.close)
        s.sendall(request)
        return s

    def outcome(self, path):
        """(status, body, Retry-After) of one request, or the name of the error that ended it."""
        try:
            resp, body = self.request("fmn.rrimg.com", "GET", path)
            return resp.status, body, resp.getheader("Retry-After")
        except (http.client.HTTPException, OSError) as e:
            return type(e).__name__

    def test_faults_and_normal_answers_carry_the_configured_header_lines(self):
        challenges = [["WWW-Authenticate", "Negotiate"], ["WWW-Authenticate", "NTLM"],
                      ["WWW-Authenticate", 'Basic realm="photos"']]
        one = site.photo_bytes("fmn.rrimg.com/fmn/p/one.jpg")
        date = "Wed, 21 Oct 2015 07:28:00 GMT"
        for fault, status, retry_after, authenticate in (
                ({"kind": "status", "status": 503, "headers": [["Retry-After", "1"]]}, 503, "1", []),
                ({"kind": "429"}, 429, None, []),
                ({"kind": "status", "status": 401, "headers": challenges}, 401, None,
                 ["Negotiate", "NTLM", 'Basic realm="photos"']),
                ({"headers": [["Retry-After", date]]}, 200, date, [])):
            self.fault("/fmn/p/one.jpg", fault)
            resp, body = self.request("fmn.rrimg.com", "GET", "/fmn/p/one.jpg")
            self.assertEqual((resp.status, resp.getheader("Retry-After"), resp.msg.get_all("WWW-Authenticate") or []),
                             (status, retry_after, authenticate), fault)
            self.assertEqual(body == one, status == 200, fault)

    def test_drop_closes_before_any_answer_byte_with_fin_or_rst(self):
        request = b"GET /fmn/p/one.jpg HTTP/1.1\r\nHost: fmn.rrimg.com\r\n\r\n"
        self.fault("/fmn/p/one.jpg", {"kind": "drop"})
        self.assertEqual(self.raw(request).recv(4096), b"")
        self.fault("/fmn/p/one.jpg", {"kind": "drop", "reset": True})
        with self.assertRaises(ConnectionResetError):  # no end of stream comes first
            self.raw(request).recv(4096)
        self.assertEqual([(r["path"], r["status"]) for r in self.records()], [("/fmn/p/one.jpg", None)] * 2)

    def test_times_limits_every_kind_of_fault_to_its_first_requests(self):
        faults = ({"kind": "404"}, {"kind": "status", "status": 503, "headers": [["Retry-After", "1"]]},
                  {"kind": "drop"}, {"kind": "drop", "reset": True}, {"kind": "cut", "partial": 100},
                  {"kind": "stall", "seconds": 0.2}, {"kind": "stall", "headers": False, "seconds": 0.2},
                  {"kind": "never_finish", "seconds": 0.2}, {"kind": "empty"},
                  {"kind": "redirect", "location": "/elsewhere"}, {"kind": "dribble", "ms": 10, "seconds": 0.1},
                  {"kind": "dribble", "ms": 10, "seconds": 0.1, "then": "silent", "hold": 0.1},
                  {"kind": "chunked", "cut": True}, {"kind": "nolength", "partial": 50},
                  {"headers": [["Retry-After", "2"]]})
        for n, fault in enumerate(faults):
            path = "/fmn/p/times%d.jpg" % n
            normal = (200, site.photo_bytes("fmn.rrimg.com" + path), None)
            self.fault(path, dict(fault, times=2))
            got = [self.outcome(path) for _ in range(3)]
            self.assertEqual(got[0], got[1], fault)
            self.assertNotEqual(got[0], normal, fault)
            self.assertEqual(got[2], normal, fault)
        # A fault changed in place counts its requests anew; the same fault posted again goes on counting.
        self.fault(path, {"kind": "404", "times": 1})
        self.assertEqual(self.outcome(path)[0], 404)
        self.fault(path, {"kind": "404", "times": 1})
        self.assertEqual(self.outcome(path)[0], 200)

    def test_escaped_or_raw_utf8_paths_find_what_is_configured_in_unicode_and_the_log_keeps_them_as_sent(self):
        self.server.state.configure(site.merge_config(self.server.state.config, {"albums": {"4/4": {"photos": [
            {"url": "http://fmn.rrimg.com/u/相片一.jpg", "size": 3000, "fault": {"kind": "503", "times": 1}},
            "http://fmn.rrimg.com/u/가족.jpg"]}}}))
        first = site.photo_bytes("fmn.rrimg.com/u/相片一.jpg", 3000)
        escaped = "/u/%E7%9B%B8%E7%89%87%E4%B8%80.jpg"
        self.assertEqual(self.outcome(escaped)[0], 503)
        self.assertEqual(self.outcome(escaped), (200, first, None))
        s = self.raw("GET /u/가족.jpg HTTP/1.1\r\nHost: fmn.rrimg.com\r\nConnection: close\r\n"
                     "Authorization: NTLM TlRMTVNTUAABAAAA\r\n\r\n".encode("utf-8"))
        answer = b""
        while not answer.endswith(b"\xff\xd9"):
            answer += s.recv(65536) or self.fail(answer)
        self.assertTrue(answer.endswith(b"\r\n\r\n" + site.photo_bytes("fmn.rrimg.com/u/가족.jpg")))
        logged = [(r["path"], r["path_text"], r["photo"]["known"] if "photo" in r else None, r["authorization"])
                  for r in self.records()]
        self.assertEqual(logged, [(escaped, "/u/相片一.jpg", None, None), (escaped, "/u/相片一.jpg", True, None),
                                  ("/u/가족.jpg".encode("utf-8").decode("latin-1"), "/u/가족.jpg", True, "NTLM")])

    def test_a_silent_dribble_goes_quiet_without_cutting_and_notes_when_the_client_closed(self):
        self.fault("/fmn/p/big.jpg", {"kind": "dribble", "from": "body", "prefix": 10, "ms": 50, "seconds": 0.3,
                                      "then": "silent", "hold": 30})
        s = self.raw(b"GET /fmn/p/big.jpg HTTP/1.1\r\nHost: fmn.rrimg.com\r\n\r\n", timeout=1.0)
        received = b""
        with self.assertRaises(socket.timeout):  # quiet, not closed
            while True:
                data = s.recv(65536)
                self.assertTrue(data, "the connection was cut")
                received += data
        body = received.partition(b"\r\n\r\n")[2]
        self.assertTrue(12 <= len(body) <= 17, len(body))
        s.close()
        closed = time.time()
        wait_until_true(lambda: self.events("/fmn/p/big.jpg"))
        event = self.events("/fmn/p/big.jpg")[0]
        self.assertEqual(event["outcome"], "client closed")
        self.assertTrue(event["start"] + 0.3 <= event["silent"] <= event["start"] + 0.6, event)
        self.assertLess(abs(event["end"] - closed), 0.3)

    def test_control_host_changes_faults_and_is_not_logged(self):
        resp, _ = self.request("control.test", "POST", "/faults", json.dumps({"/late.jpg": {"kind": "404"}}))
        self.assertEqual(resp.status, 200)
        self.assertEqual(self.request("any.host.cn", "GET", "/late.jpg")[0].status, 404)
        self.assertEqual([r["host"] for r in self.records()], ["any.host.cn"])


if __name__ == "__main__":
    unittest.main()
