#!/usr/bin/env python3
"""Local imitation of the photo site for end-to-end tests.

Routes by the Host header: www.renren.com (login, login probe), photo.renren.com (album pages),
control.test (runtime configuration) and every other host name as a photo server.
Every request is logged as one JSON line so tests can assert on what the program sent.

Usage: site.py CONFIG.json     (prints "READY <port>" once listening)
"""
import base64
import hashlib
import html
import http.server
import json
import os
import random
import select
import socket
import socketserver
import struct
import sys
import threading
import time
import urllib.parse

# Small real JPEGs (gradients in four colours); each photo gets one of them plus a comment
# segment naming it, so every address has its own bytes and stays a valid image.
BASE_JPEGS = [base64.b64decode(s) for s in (
    "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAoHBwgHBgoICAgLCgoLDhgQDg0NDh0VFhEYIx8lJCIfIiEmKzcvJik0KSEiMEExNDk7Pj4+JS5ESUM8SDc9Pjv/2wBDAQoLCw4NDhwQEBw7KCIoOzs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozv/wAARCAAYACADASIAAhEBAxEB/8QAFgABAQEAAAAAAAAAAAAAAAAAAAYC/8QAFxABAQEBAAAAAAAAAAAAAAAAABViYf/EABUBAQEAAAAAAAAAAAAAAAAAAAAF/8QAFxEBAAMAAAAAAAAAAAAAAAAAAAESE//aAAwDAQACEQMRAD8AzOyTsqqdwncW90rFKzsk7KqncJ3DcxVc7JOyCReVKsE7JOyBeSsP/9k=",
    "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAoHBwgHBgoICAgLCgoLDhgQDg0NDh0VFhEYIx8lJCIfIiEmKzcvJik0KSEiMEExNDk7Pj4+JS5ESUM8SDc9Pjv/2wBDAQoLCw4NDhwQEBw7KCIoOzs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozv/wAARCAAYACADASIAAhEBAxEB/8QAFgABAQEAAAAAAAAAAAAAAAAAAAYC/8QAFhABAQEAAAAAAAAAAAAAAAAAABVi/8QAFwEBAQEBAAAAAAAAAAAAAAAAAAUEBv/EABkRAQACAwAAAAAAAAAAAAAAAAABEwISFP/aAAwDAQACEQMRAD8AxOyTsqudknZT63R9KUnZJ2VXOyTslZ0qudknZBu1hBsyJ2SdkDWCzJ//2Q==",
    "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAoHBwgHBgoICAgLCgoLDhgQDg0NDh0VFhEYIx8lJCIfIiEmKzcvJik0KSEiMEExNDk7Pj4+JS5ESUM8SDc9Pjv/2wBDAQoLCw4NDhwQEBw7KCIoOzs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozv/wAARCAAYACADASIAAhEBAxEB/8QAFgABAQEAAAAAAAAAAAAAAAAAAAYE/8QAFhABAQEAAAAAAAAAAAAAAAAAABVh/8QAFgEBAQEAAAAAAAAAAAAAAAAAAAQF/8QAGBEBAAMBAAAAAAAAAAAAAAAAAAEREhP/2gAMAwEAAhEDEQA/ANE/Cfimn4T8SYYnBMz8J+KafhPwwcFPPwn4CqobGIJ+E/AKgxD/2Q==",
    "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAoHBwgHBgoICAgLCgoLDhgQDg0NDh0VFhEYIx8lJCIfIiEmKzcvJik0KSEiMEExNDk7Pj4+JS5ESUM8SDc9Pjv/2wBDAQoLCw4NDhwQEBw7KCIoOzs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozv/wAARCAAYACADASIAAhEBAxEB/8QAFgABAQEAAAAAAAAAAAAAAAAAAAUG/8QAFhABAQEAAAAAAAAAAAAAAAAAABRh/8QAFgEBAQEAAAAAAAAAAAAAAAAAAAQG/8QAGREBAAIDAAAAAAAAAAAAAAAAAAETAhIU/9oADAMBAAIRAxEAPwDVy4S4sS4S4yvIvsR5cJcWJcJcOQsWJcJcBpK8UW0kuEuAV4m0v//Z",
)]

LOGIN_HOSTS = {"www.renren.com", "renren.com"}
ALBUM_HOST = "photo.renren.com"
CONTROL_HOST = "control.test"

DEFAULT_CONFIG = {
    "port": 80,
    "bind": "127.0.0.1",
    "log": None,
    "accounts": [],
    # redirect: answer a good login with 302 to /home; fail_first: that many posts get 500;
    # strict_order: a form whose fields are not email, password, autoLogin is a failed login.
    "login": {"redirect": False, "fail_first": 0, "delay_ms": 0, "strict_order": True},
    "cookie_name": "t",
    "album_requires_login": False,
    # "owner/album": {"photos": [url or {"url", "size" or "file", "fault"}]} or {"count": N, "host": H, "size": S}
    # or {"page": "raw text served as is"}.
    "albums": {},
    # path or full address (a photo's as configured: Unicode, not percent-escaped) -> {"kind": 404|500|status|
    # redirect|stall|cut|drop|delay|slow|never_finish|empty|dribble|chunked|nolength|oversize, ...} (empty: the
    # normal status with an empty body; "delay_ms" makes any of them late; "times": N gives the fault to the first
    # N requests only, counted anew when the fault is changed, and the normal answer after). status: "status"
    # (500; any code, also given as the kind itself: "404", "503"). "headers": [[name, value], ...] are added to
    # the answer, fault or normal (Retry-After, several WWW-Authenticate lines); a fault with "headers" and no
    # kind is the normal answer with them (for a stall, "headers": false means not even the header is sent).
    # redirect: "status" (302; 301, 303, 307 too) with "Location: " + "location" exactly as given (relative
    # or absolute) and an empty body. drop: the connection closes as soon as the request is read, no byte of an
    # answer sent ("reset": true closes it with RST).
    # dribble: one byte every "ms" (2000) from the header's first byte, or with "from": "body" from the body's
    # byte "prefix" (0) on, for "seconds" (60) at most, then the connection is cut, or with "then": "silent"
    # held open without a byte for "hold" (60) seconds more, watching for the client to close it; chunked:
    # chunks of "chunk" bytes (1024), with "cut" the connection closes after "partial" bytes (half) and before
    # the last chunk; nolength: neither a length nor chunking, the connection closes after "partial" bytes (all);
    # oversize: the body padded with blanks to "bytes", announced by its length unless "length" is false.
    # Stalls and dribbles note in /events when they ended and why (the client closed, their bound, the end), a
    # silent dribble also when its silence began ("silent").
    "faults": {},
    "photo_size": 0,
    "photo_delay_ms": 0,
    "stall_seconds": 40,
}


# ---------------------------------------------------------------- pure helpers (unit-tested)

def parse_form(body):
    """Decodes an x-www-form-urlencoded body whose escapes are GBK bytes.

    Returns [(name, value), ...] in the order sent; undecodable bytes become U+FFFD.
    """
    if isinstance(body, str):
        body = body.encode("latin-1")
    fields = []
    if not body:
        return fields
    for piece in body.split(b"&"):
        if not piece:
            continue
        name, _, value = piece.partition(b"=")
        fields.append((_decode_form_part(name), _decode_form_part(value)))
    return fields


def _decode_form_part(raw):
    raw = raw.replace(b"+", b" ")
    return urllib.parse.unquote_to_bytes(raw).decode("gbk", errors="replace")


def encode_form(fields):
    """The encoding the program is expected to send (GBK, percent escapes); used by tests."""
    return "&".join("%s=%s" % (urllib.parse.quote(k.encode("gbk"), safe=""),
                               urllib.parse.quote(v.encode("gbk"), safe=""))
                    for k, v in fields).encode("ascii")


def _com_segment(payload):
    return b"\xff\xfe" + struct.pack(">H", len(payload) + 2) + payload


def photo_parts(key, size=0):
    """The bytes of photo_bytes(key, size) as a list of pieces (repeated pieces are one shared object),
    so a huge photo can be sent without being built in memory."""
    digest = hashlib.sha1(key.encode("utf-8")).digest()
    base = BASE_JPEGS[digest[0] % len(BASE_JPEGS)]
    comment = ("verdaly-site photo " + key).encode("utf-8")[:60000]
    minimum = len(base) + 4 + len(comment)
    extra = max(0, size - minimum)
    room = 65533 - len(comment)
    take = min(room, extra)
    rest = extra - take
    if 0 < rest < 4:
        take -= 4
        rest += 4
    comment += b"." * take
    parts = [base[:2], _com_segment(comment)]
    filler = {}
    while rest > 0:
        payload = min(65533, rest - 4)
        if 0 < rest - (payload + 4) < 4:
            payload -= 4
        if payload not in filler:
            filler[payload] = _com_segment(b"." * payload)
        parts.append(filler[payload])
        rest -= payload + 4
    parts.append(base[2:])
    return parts


def photo_bytes(key, size=0):
    """Bytes served for the photo named by key (host + path): a valid JPEG unique to the key.

    size > 0 pads with comment segments to exactly that many bytes (when it is larger than the
    smallest image).
    """
    return b"".join(photo_parts(key, size))


# Photos above this size are streamed piece by piece and not hashed for the log.
STREAM_ABOVE = 16 << 20


def split_url(url):
    """'http://Host:80/a/b.jpg?q' -> ('host', '/a/b.jpg'). The query is not part of a photo's key."""
    rest = url.split("://", 1)[1] if "://" in url else url
    host, slash, path = rest.partition("/")
    host = host.split(":", 1)[0].lower()
    path = (slash + path).split("?", 1)[0].split("#", 1)[0] or "/"
    return host, path


def path_text(path):
    """The path a request names, its escapes and raw UTF-8 bytes (read by the HTTP parser as Latin-1) decoded:
    "/u/%E7%9B%B8.jpg" -> "/u/相.jpg"."""
    try:
        path = path.encode("latin-1").decode("utf-8")
    except (UnicodeEncodeError, UnicodeDecodeError):
        pass
    return urllib.parse.unquote(path)


def path_forms(path):
    """The spellings a request path may match a configured one by: as sent, then decoded."""
    return list(dict.fromkeys([path, urllib.parse.unquote(path), path_text(path)]))


def fault_headers(fault):
    """The extra header lines a fault adds to its answer, as (name, value) pairs."""
    extra = (fault or {}).get("headers")
    return [(str(k), str(v)) for k, v in extra] if isinstance(extra, list) else []


def photo_key(url):
    host, path = split_url(url)
    return host + path


def album_photos(key, album):
    """The photos of one configured album as [{"url", "size", "fault"?}, ...]."""
    if "photos" in album:
        out = []
        for item in album["photos"]:
            out.append(dict(item) if isinstance(item, dict) else {"url": item})
        return out
    owner, _, number = key.partition("/")
    host = album.get("host", "fmn.rrimg.com")
    out = []
    for i in range(int(album.get("count", 0))):
        tag = hashlib.sha1(("%s/%d" % (key, i)).encode()).hexdigest()[:12]
        url = "http://%s/fmn%03d/20130512/1830/large_%s_%s_%04d_%s.jpg" % (
            host, 50 + i % 30, owner, number, i + 1, tag)
        out.append({"url": url, "size": album.get("size", 0)})
    return out


def build_album_page(owner, album, urls, title=None):
    """An album page shaped like the site's: one <img class="loading" ... data-src="..."> per photo.

    A decoy image with data-src sits before the first photo: a reader that takes the text before
    the first class="loading" picks it up and fails.
    """
    title = title or "相册 %s" % album
    head = (
        '<!DOCTYPE html>\n<html><head><meta charset="utf-8">'
        "<title>%s - 人人网</title>\n"
        '<link rel="stylesheet" href="http://s.xnimg.cn/apps/photo/css/album.css">\n'
        "</head><body>\n"
        '<div id="header"><img class="avatar" src="http://hdn.xnimg.cn/photos/hdn121/head.jpg" '
        'data-src="http://hdn.xnimg.cn/photos/decoy/not_a_photo.jpg" alt="头像"></div>\n'
        '<div class="album-info"><h1>%s</h1><p>共 %d 张照片</p></div>\n'
        '<ul class="photo-list" id="photoList">\n'
    ) % (html.escape(title), html.escape(title), len(urls))
    items = []
    for i, url in enumerate(urls, 1):
        items.append(
            '<li class="photo-item"><a href="http://photo.renren.com/photo/%s/photo-%d" title="第%d张">'
            '<img class="loading" width="180" height="135" src="http://a.xnimg.cn/imgpro/bg/bg_line.png" '
            'data-photo="%d" data-src="%s" alt="照片%d" /></a>'
            '<span class="descript">照片说明 %d</span></li>\n' % (owner, i, i, i, url, i, i))
    tail = (
        "</ul>\n"
        '<script type="text/javascript">var photoCount = %d; var albumId = "%s";</script>\n'
        "</body></html>\n"
    ) % (len(urls), album)
    return head + "".join(items) + tail


def merge_config(base, update):
    out = dict(base)
    for k, v in update.items():
        if k == "login" and isinstance(v, dict):
            merged = dict(out.get("login", {}))
            merged.update(v)
            out[k] = merged
        else:
            out[k] = v
    return out


# ---------------------------------------------------------------- server state

class SiteState:
    def __init__(self, config):
        self.lock = threading.Lock()
        self.log_lock = threading.Lock()
        self.seq = 0
        self.conn_seq = 0
        self.sessions = {}
        self.login_posts = 0
        self.fault_hits = {}
        self.stopping = threading.Event()
        self.events = []
        self.clear_stats()
        self.configure(config)

    def configure(self, config):
        with self.lock:
            previous = getattr(self, "faults", {})
            self.config = merge_config(DEFAULT_CONFIG, config)
            self.photos = {}
            self.faults = {}
            self.albums = {}
            for key, album in self.config["albums"].items():
                entries = album_photos(key, album)
                self.albums[key] = (album, entries)
                for entry in entries:
                    host, path = split_url(entry["url"])
                    for p in {path, urllib.parse.unquote(path)}:
                        self.photos[(host, p)] = entry
                    if entry.get("fault"):
                        self.faults[photo_key(entry["url"])] = entry["fault"]
            for key, fault in self.config["faults"].items():
                self.faults[key] = fault
            # A changed or removed fault's "times" counts from its first request again.
            for key in list(self.fault_hits):
                if self.faults.get(key) != previous.get(key):
                    del self.fault_hits[key]

    def clear_stats(self):
        with self.lock:
            # between_photos: the time from one photo's last byte to the next photo's request, summed: what
            # the client spends per photo beyond the site's own time.
            self.stats = {"photo_requests": 0, "photo_responses": 0, "photo_bytes": 0,
                          "first_photo_request": None, "last_photo_sent": None, "between_photos": 0.0}

    def photo_requested(self):
        with self.lock:
            now = time.time()
            self.stats["photo_requests"] += 1
            if self.stats["first_photo_request"] is None:
                self.stats["first_photo_request"] = now
            elif self.stats["last_photo_sent"] is not None:
                self.stats["between_photos"] += max(0.0, now - self.stats["last_photo_sent"])

    def photo_sent(self, length):
        """A photo answer's last byte has been handed to the connection."""
        with self.lock:
            self.stats["photo_responses"] += 1
            self.stats["photo_bytes"] += length
            self.stats["last_photo_sent"] = time.time()

    def find_fault(self, host, path):
        forms = path_forms(path)
        with self.lock:
            for key in [host + p for p in forms] + forms + ["http://" + host + p for p in forms]:
                fault = self.faults.get(key)
                if fault is not None:
                    # Counted under the configured key, so every spelling of the path shares one count.
                    times = fault.get("times")
                    hits = self.fault_hits.get(key, 0) + 1
                    self.fault_hits[key] = hits
                    if times is not None and hits > int(times):
                        return None
                    return fault
        return None

    def find_photo(self, host, path):
        with self.lock:
            for p in path_forms(path):
                entry = self.photos.get((host, p))
                if entry is not None:
                    return entry
        return None

    def note(self, event):
        """One held answer (a stall or a dribble) has ended; "outcome" says how."""
        with self.lock:
            self.events.append(event)

    def log(self, record):
        path = self.config.get("log")
        with self.log_lock:
            self.seq += 1
            record["seq"] = self.seq
            if path:
                with open(path, "a", encoding="utf-8") as f:
                    f.write(json.dumps(record, ensure_ascii=False) + "\n")


class Response:
    """body is bytes or text; parts (a list of bytes) sends a large body without joining it."""

    def __init__(self, status, body=b"", ctype="text/html; charset=utf-8", headers=None, parts=None):
        self.status = status
        self.body = body if isinstance(body, bytes) else body.encode("utf-8")
        self.parts = parts
        self.length = sum(len(p) for p in parts) if parts is not None else len(self.body)
        self.ctype = ctype
        self.headers = list(headers or [])


REASONS = {200: "OK", 301: "Moved Permanently", 302: "Found", 303: "See Other", 307: "Temporary Redirect",
           400: "Bad Request", 401: "Unauthorized", 403: "Forbidden", 404: "Not Found", 408: "Request Timeout",
           429: "Too Many Requests", 500: "Internal Server Error", 502: "Bad Gateway", 503: "Service Unavailable",
           504: "Gateway Timeout"}


def html_page(title, text, extra=""):
    return ('<!DOCTYPE html><html><head><meta charset="utf-8"><title>%s</title></head>'
            "<body>%s<p>%s</p></body></html>\n" % (title, extra, text))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "nginx"
    sys_version = ""
    timeout = 120

    def setup(self):
        super().setup()
        st = self.server.state
        with st.lock:
            st.conn_seq += 1
            self.conn_id = st.conn_seq

    def log_message(self, *args):
        pass

    def do_GET(self):
        self.dispatch()

    def do_POST(self):
        self.dispatch()

    def do_HEAD(self):
        self.dispatch()

    def read_body(self):
        if "chunked" in (self.headers.get("Transfer-Encoding") or "").lower():
            data = b""
            while True:
                size = int(self.rfile.readline().strip().split(b";")[0], 16)
                if size == 0:
                    self.rfile.readline()
                    return data
                data += self.rfile.read(size)
                self.rfile.readline()
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def dispatch(self):
        st = self.server.state
        body = self.read_body()
        target = self.path
        host_header = self.headers.get("Host") or ""
        if "://" in target:
            host_header, target = target.split("://", 1)[1].split("/", 1)[0], "/" + target.split("://", 1)[1].partition("/")[2]
        host = host_header.split(":", 1)[0].lower().rstrip(".")
        path, _, query = target.partition("?")
        if host == CONTROL_HOST:
            return self.write(self.control(path, body), None)
        record = {
            "t": time.time(),
            "conn": self.conn_id,
            "method": self.command,
            "host": host,
            "host_header": host_header,
            "path": path,
            "query": query,
            "target": self.path,
            "version": self.request_version,
            "headers": [[k, v] for k, v in self.headers.items()],
            # "path" is the path exactly as sent (escapes and all); "path_text" the one it names.
            "path_text": path_text(path),
            "cookie": self.headers.get("Cookie") or "",
            # The scheme of an Authorization header ("Basic", "NTLM", ...), None without one.
            "authorization": (self.headers.get("Authorization") or "").split(" ", 1)[0] or None,
            "body_text": body.decode("utf-8", errors="replace"),
            "body_hex": body.hex(),
        }
        fault = st.find_fault(host, path)
        kind = str((fault or {}).get("kind", ""))
        if kind == "drop":
            record["status"] = None
            record["fault"] = fault
            st.log(record)
            return self.drop(fault)
        if kind == "status" or kind.isdigit():
            code = int(fault.get("status") or (500 if kind == "status" else kind))
            response = Response(code, html_page("%d" % code, "<h1>%d %s</h1>" % (code, REASONS.get(code, ""))))
        elif kind == "redirect":
            response = Response(int(fault.get("status") or 302), b"", headers=[("Location", fault["location"])])
        elif host in LOGIN_HOSTS:
            response = self.login_site(path, query, body, record)
        elif host == ALBUM_HOST:
            response = self.album_site(path, record)
        else:
            st.photo_requested()
            response = self.photo_site(host, path, record)
            response.photo = True
        response.headers += fault_headers(fault)
        record["status"] = response.status
        record["fault"] = fault
        st.log(record)
        self.write(response, fault)

    def drop(self, fault):
        """Closes the connection with no byte of an answer: FIN, or with "reset" RST alone."""
        self.close_connection = True
        if fault.get("reset"):
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            # Closed here, before the server's own shutdown would send a FIN ahead of the RST.
            os.close(self.connection.detach())

    # ------------------------------------------------------------ www.renren.com

    def valid_session(self):
        st = self.server.state
        name = st.config["cookie_name"]
        for part in (self.headers.get("Cookie") or "").split(";"):
            k, _, v = part.strip().partition("=")
            if k == name and v in st.sessions:
                return st.sessions[v]
        return None

    def login_site(self, path, query, body, record):
        st = self.server.state
        cfg = st.config["login"]
        if path == "/PLogin.do" and self.command == "POST":
            with st.lock:
                st.login_posts += 1
                attempt = st.login_posts
            delay = int(cfg.get("delay_ms") or 0)
            if delay:
                st.stopping.wait(delay / 1000.0)
            if attempt <= int(cfg.get("fail_first") or 0):
                return Response(500, html_page("500", "<h1>500 Internal Server Error</h1>"))
            fields = parse_form(body)
            record["form"] = fields
            names = [k for k, _ in fields]
            values = dict(fields)
            order_ok = names == ["email", "password", "autoLogin"]
            account = None
            for acc in st.config["accounts"]:
                if acc.get("email") == values.get("email") and acc.get("password") == values.get("password"):
                    account = acc
            record["form_order_ok"] = order_ok
            record["account_ok"] = account is not None
            if account is None or (cfg.get("strict_order", True) and not order_ok):
                return Response(200, html_page(
                    "人人网 - 登录", "帐号或密码错误",
                    '<div class="login"><form method="post" action="/PLogin.do">'
                    '<input name="email"><input name="password" type="password"></form></div>'))
            token = "%032x" % random.getrandbits(128)
            with st.lock:
                st.sessions[token] = account
            cookie = ("Set-Cookie", "%s=%s; Path=/; Domain=.renren.com" % (st.config["cookie_name"], token))
            record["session"] = token
            if cfg.get("redirect"):
                return Response(302, html_page("302", "moved"),
                                headers=[cookie, ("Location", "http://www.renren.com/home")])
            return Response(200, html_page("人人网 - 我的首页", "欢迎回来 %s" % account.get("name", "")),
                            headers=[cookie])
        if path == "/home":
            account = self.valid_session()
            record["session_ok"] = account is not None
            return Response(200, html_page("人人网 - 我的首页", "首页"))
        if path == "/getuser.do":
            account = self.valid_session()
            record["session_ok"] = account is not None
            uid = urllib.parse.parse_qs(query).get("id", [""])[0]
            if account is None:
                return Response(200, '{"logged":false}', "application/json; charset=utf-8")
            return Response(200, '{"logged":true,"id":"%s","email":"%s"}' % (uid, account.get("email", "")),
                            "application/json; charset=utf-8")
        if path == "/":
            return Response(200, html_page("人人网", "", '<div class="login"></div>'))
        return Response(404, html_page("404", "<h1>404 Not Found</h1>"))

    # ------------------------------------------------------------ photo.renren.com

    def album_site(self, path, record):
        st = self.server.state
        parts = path.strip("/").split("/")
        if len(parts) == 3 and parts[0] == "photo" and parts[2].startswith("album-"):
            owner, number = parts[1], parts[2][len("album-"):]
            key = owner + "/" + number
            if st.config.get("album_requires_login") and self.valid_session() is None:
                record["session_ok"] = False
                return Response(200, html_page("人人网 - 登录", "", '<div class="login"></div>'))
            with st.lock:
                found = st.albums.get(key)
            if found is None:
                return Response(404, html_page("404", "<h1>404 Not Found</h1>"))
            album, entries = found
            if "page" in album:
                return Response(200, album["page"])
            record["album"] = key
            return Response(200, build_album_page(owner, number, [e["url"] for e in entries], album.get("title")))
        return Response(404, html_page("404", "<h1>404 Not Found</h1>"))

    # ------------------------------------------------------------ every other host: photos

    def photo_site(self, host, path, record):
        st = self.server.state
        entry = st.find_photo(host, path)
        if entry is not None:
            key = photo_key(entry["url"])
            size = int(entry.get("size") or st.config["photo_size"] or 0)
        else:
            key = host + path
            size = int(st.config["photo_size"] or 0)
        delay = int(st.config.get("photo_delay_ms") or 0)
        if delay:
            st.stopping.wait(delay / 1000.0)
        if entry is not None and entry.get("file"):
            # A real picture from disk (the demo's sample album).
            with open(entry["file"], "rb") as f:
                data = f.read()
            record["photo"] = {"key": key, "known": True, "length": len(data), "sha1": hashlib.sha1(data).hexdigest()}
            return Response(200, data, "image/jpeg")
        if size > STREAM_ABOVE:
            parts = photo_parts(key, size)
            record["photo"] = {"key": key, "known": entry is not None, "length": size, "sha1": None}
            return Response(200, ctype="image/jpeg", parts=parts)
        data = photo_bytes(key, size)
        record["photo"] = {"key": key, "known": entry is not None, "length": len(data),
                           "sha1": hashlib.sha1(data).hexdigest()}
        return Response(200, data, "image/jpeg")

    # ------------------------------------------------------------ control.test

    def control(self, path, body):
        st = self.server.state
        if path == "/ping":
            return Response(200, "ok", "text/plain")
        if path == "/stats":
            with st.lock:
                return Response(200, json.dumps(st.stats), "application/json; charset=utf-8")
        if path == "/events":
            with st.lock:
                return Response(200, json.dumps(st.events), "application/json; charset=utf-8")
        if path == "/stats/clear":
            st.clear_stats()
            return Response(200, "{}", "application/json; charset=utf-8")
        if path == "/config" and self.command == "POST":
            st.configure(merge_config(st.config, json.loads(body or b"{}")))
        elif path == "/faults" and self.command == "POST":
            faults = dict(st.config["faults"])
            faults.update(json.loads(body or b"{}"))
            st.configure(merge_config(st.config, {"faults": faults}))
        elif path == "/reset":
            with st.lock:
                st.login_posts = 0
                st.fault_hits.clear()
        elif path == "/log/clear":
            with st.log_lock:
                if st.config.get("log"):
                    open(st.config["log"], "w").close()
        elif path != "/config":
            return Response(404, "unknown", "text/plain")
        return Response(200, json.dumps(st.config, ensure_ascii=False), "application/json; charset=utf-8")

    # ------------------------------------------------------------ writing, faults included

    def write(self, response, fault):
        st = self.server.state
        kind = str((fault or {}).get("kind", ""))
        seconds = float((fault or {}).get("seconds", st.config["stall_seconds"]))
        if kind == "delay":
            st.stopping.wait(int(fault["ms"]) / 1000.0)
        elif fault and fault.get("delay_ms"):
            # Any other fault can come late too: an error page after a wait.
            st.stopping.wait(int(fault["delay_ms"]) / 1000.0)
        if kind == "empty":
            response = Response(response.status, b"", response.ctype, response.headers)
        if kind == "stall" and fault.get("headers") is False:
            self.close_connection = True
            self.hold(seconds, kind)
            return
        if kind in ("dribble", "chunked", "nolength", "oversize") and self.command != "HEAD":
            return self.write_shaped(response, fault, kind)
        raw_head = self.head_bytes(response)
        if response.parts is not None and self.command != "HEAD":
            return self.write_parts(raw_head, response)
        body = b"" if self.command == "HEAD" else response.body
        try:
            if kind in ("stall", "never_finish"):
                partial = int(fault.get("partial", len(body) // 2 if kind == "never_finish" else 0))
                self.wfile.write(raw_head + body[:partial])
                self.wfile.flush()
                self.close_connection = True
                self.hold(seconds, kind)
                return
            if kind == "cut":
                partial = int(fault.get("partial", len(body) // 2))
                self.wfile.write(raw_head + body[:partial])
                self.wfile.flush()
                self.close_connection = True
                if fault.get("reset"):
                    self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                return
            if kind == "slow":
                chunk = max(1, int(fault.get("chunk", 1024)))
                pause = int(fault.get("ms", 100)) / 1000.0
                self.wfile.write(raw_head)
                for i in range(0, len(body), chunk):
                    self.wfile.write(body[i:i + chunk])
                    self.wfile.flush()
                    if st.stopping.wait(pause):
                        break
                return
            self.wfile.write(raw_head + body)
            self.wfile.flush()
            if getattr(response, "photo", False):
                st.photo_sent(len(body))
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def head_bytes(self, response, framing="length", length=None):
        """The answer's header; framing "length" (Content-Length), "chunked" or "close" (neither)."""
        head = ["HTTP/1.1 %d %s" % (response.status, REASONS.get(response.status, "Unknown")),
                "Server: nginx",
                "Date: " + self.date_time_string(),
                "Content-Type: " + response.ctype]
        if framing == "length":
            head.append("Content-Length: %d" % (response.length if length is None else length))
        elif framing == "chunked":
            head.append("Transfer-Encoding: chunked")
        head += ["%s: %s" % h for h in response.headers]
        if self.close_connection or framing == "close":
            self.close_connection = True
            head.append("Connection: close")
        return ("\r\n".join(head) + "\r\n\r\n").encode("utf-8")

    def client_gone(self, timeout):
        """Waits up to timeout for the client to close its end; True when it did."""
        try:
            readable, _, _ = select.select([self.connection], [], [], timeout)
            return bool(readable) and self.connection.recv(4096, socket.MSG_PEEK) == b""
        except OSError:
            return True

    def watch(self, seconds):
        """Sends nothing for up to seconds; "client closed" when the client closed its end first, else "bound"."""
        st = self.server.state
        until = time.time() + seconds
        while not st.stopping.is_set():
            left = until - time.time()
            if left <= 0:
                break
            if self.client_gone(min(left, 0.2)):
                return "client closed"
        return "bound"

    def hold(self, seconds, kind):
        """Sends nothing for up to seconds, watching the client; notes how the wait ended."""
        started = time.time()
        outcome = self.watch(seconds)
        self.server.state.note({"path": self.path, "kind": kind, "start": started, "end": time.time(),
                                "outcome": outcome})

    def write_shaped(self, response, fault, kind):
        """Answers whose framing or pace is the fault: dribble, chunked, nolength, oversize."""
        st = self.server.state
        body = response.body if response.parts is None else b"".join(response.parts)
        started = time.time()
        outcome = "done"
        silent = None
        try:
            if kind == "chunked":
                size = max(1, int(fault.get("chunk", 1024)))
                cut = bool(fault.get("cut"))
                end = int(fault.get("partial", len(body) // 2)) if cut else len(body)
                out = [self.head_bytes(response, "chunked")]
                for i in range(0, end, size):
                    piece = body[i:min(i + size, end)]
                    out.append(b"%x\r\n" % len(piece) + piece + b"\r\n")
                if not cut:
                    out.append(b"0\r\n\r\n")
                self.wfile.write(b"".join(out))
                if cut:
                    self.close_connection = True
                    outcome = "cut"
            elif kind == "nolength":
                self.wfile.write(self.head_bytes(response, "close") + body[:int(fault.get("partial", len(body)))])
            elif kind == "oversize":
                total = int(fault["bytes"])
                self.wfile.write(self.head_bytes(response, "length" if fault.get("length", True) else "close", total))
                self.wfile.write(body[:total])
                filler = b" " * 65536
                left = total - min(total, len(body))
                while left > 0:
                    self.wfile.write(filler[:min(left, len(filler))])
                    left -= min(left, len(filler))
            elif kind == "dribble":
                raw = self.head_bytes(response) + body
                at = 0 if fault.get("from", "head") == "head" else len(raw) - len(body) + int(fault.get("prefix", 0))
                pause = int(fault.get("ms", 2000)) / 1000.0
                bound = float(fault.get("seconds", 60))
                self.wfile.write(raw[:at])
                self.wfile.flush()
                for i in range(at, len(raw)):
                    if st.stopping.is_set() or time.time() - started >= bound:
                        outcome = "bound"
                        break
                    if self.client_gone(pause):
                        outcome = "client closed"
                        break
                    self.wfile.write(raw[i:i + 1])
                    self.wfile.flush()
                if outcome == "bound" and fault.get("then") == "silent" and not st.stopping.is_set():
                    # Not cut: the connection stays open without a byte, as a server that hangs mid-answer.
                    silent = time.time()
                    outcome = self.watch(float(fault.get("hold", 60)))
                if outcome != "done":
                    self.close_connection = True
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            outcome = "client closed"
            self.close_connection = True
        if kind == "dribble":
            event = {"path": self.path, "kind": kind, "start": started, "end": time.time(), "outcome": outcome}
            if silent is not None:
                event["silent"] = silent
            st.note(event)

    def write_parts(self, raw_head, response):
        try:
            self.wfile.write(raw_head)
            for part in response.parts:
                self.wfile.write(part)
            self.wfile.flush()
            if getattr(response, "photo", False):
                self.server.state.photo_sent(response.length)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64


def make_server(config):
    state = SiteState(config)
    server = Server((state.config["bind"], int(state.config["port"])), Handler)
    server.state = state
    return server


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], encoding="utf-8") as f:
        config = json.load(f)
    server = make_server(config)
    print("READY %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    finally:
        server.state.stopping.set()
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
