"""End-to-end harness: the imitation site, the program under Wine, and the helper that reads its windows.

Runs inside tests/e2e/sandbox.sh, which provides DISPLAY, the Wine environment and the site's host names.
Environment:
  VERDALY_BUILD      build tree (default: two levels up from the helper)
  VERDALY_EXE        the program (default: $VERDALY_BUILD/app/Verdaly.exe)
  VERDALY_INSPECT    verdaly-inspect.exe (default: $VERDALY_BUILD/tests/tools/verdaly-inspect.exe)
  VERDALY_TESTWIN    verdaly-testwin.exe, the harness's own sample window
  VERDALY_ARTIFACTS  where screenshots and logs go (default: $VERDALY_BUILD/e2e-artifacts)
"""
import importlib.util
import http.client
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
SITE_PY = os.path.join(ROOT, "tests", "site", "site.py")
MAIN_TITLE = "Verdaly 2.1"
TWIPS_PER_PIXEL = 15

# "site" is the name of a standard module, so the imitation site is loaded under another name.
_spec = importlib.util.spec_from_file_location("verdaly_site", SITE_PY)
site = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(site)


def _env_path(name, default):
    return os.path.abspath(os.environ.get(name) or default)


BUILD = _env_path("VERDALY_BUILD", os.path.join(ROOT, "build", "win"))
EXE = _env_path("VERDALY_EXE", os.path.join(BUILD, "app", "Verdaly.exe"))
INSPECT = _env_path("VERDALY_INSPECT", os.path.join(BUILD, "tests", "tools", "verdaly-inspect.exe"))
TESTWIN = _env_path("VERDALY_TESTWIN", os.path.join(BUILD, "tests", "tools", "verdaly-testwin.exe"))
ARTIFACTS = _env_path("VERDALY_ARTIFACTS", os.path.join(BUILD, "e2e-artifacts"))
WINE = os.environ.get("WINE") or shutil.which("wine64") or shutil.which("wine") or "wine"


class HarnessError(AssertionError):
    pass


def wait_until(probe, timeout=15.0, interval=0.1, what="the condition"):
    """Polls probe() until it returns something true and returns that; raises HarnessError at the deadline.

    Exceptions from probe count as "not yet" (a window may be half made); the last one is reported.
    """
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            value = probe()
            if value:
                return value
            last = value
        except Exception as e:  # noqa: BLE001 - reported below when time runs out
            last = e
        if time.monotonic() >= deadline:
            raise HarnessError("timed out after %.1f s waiting for %s (last: %r)" % (timeout, what, last))
        time.sleep(interval)


def twips_rect(left, top, width, height):
    """(left, top, right, bottom) in pixels for a rectangle given in twips."""
    return (left // TWIPS_PER_PIXEL, top // TWIPS_PER_PIXEL,
            (left + width) // TWIPS_PER_PIXEL, (top + height) // TWIPS_PER_PIXEL)


# ------------------------------------------------------------------------------------------- the site

class Site:
    """The imitation site as a child process, configured from a dict (see DEFAULT_CONFIG in site.py)."""

    def __init__(self, config, workdir):
        self.config = dict(config)
        self.config.setdefault("port", 80)
        self.config.setdefault("log", os.path.join(workdir, "site-requests.jsonl"))
        self.log_path = self.config["log"]
        self.port = self.config["port"]
        self.workdir = workdir
        self.proc = None

    def start(self):
        path = os.path.join(self.workdir, "site-config.json")
        with open(path, "w", encoding="utf-8") as f:
            json.dump(self.config, f, ensure_ascii=False)
        self.stderr = open(os.path.join(self.workdir, "site-stderr.txt"), "wb")
        self.proc = subprocess.Popen([sys.executable, SITE_PY, path], stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=self.stderr)
        line = self.proc.stdout.readline().decode()
        if not line.startswith("READY"):
            self.stop()
            with open(self.stderr.name, encoding="utf-8", errors="replace") as f:
                raise HarnessError("site did not start: %r %s" % (line, f.read()))
        self.port = int(line.split()[1])
        return self

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        if self.proc:
            self.proc.stdout.close()
            self.stderr.close()
        self.proc = None

    def control(self, path, payload=None):
        """Talks to the site's control host: "/config" (merge), "/faults" (add), "/reset", "/log/clear"."""
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        try:
            body = None if payload is None else json.dumps(payload, ensure_ascii=False).encode("utf-8")
            conn.request("POST" if body is not None or path != "/config" else "GET", path, body=body,
                         headers={"Host": site.CONTROL_HOST})
            resp = conn.getresponse()
            data = resp.read()
            if resp.status != 200:
                raise HarnessError("site control %s: %d" % (path, resp.status))
            return json.loads(data)
        finally:
            conn.close()

    def requests(self, host=None, path=None, method=None):
        """Logged requests, oldest first, optionally filtered."""
        try:
            with open(self.log_path, encoding="utf-8") as f:
                records = [json.loads(line) for line in f if line.strip()]
        except FileNotFoundError:
            return []
        return [r for r in records
                if (host is None or r["host"] == host) and (path is None or r["path"] == path)
                and (method is None or r["method"] == method)]

    def events(self, path=None):
        """Held answers (stalls, dribbles) that have ended: {"path", "kind", "start", "end", "outcome"}."""
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        try:
            conn.request("GET", "/events", headers={"Host": site.CONTROL_HOST})
            events = json.loads(conn.getresponse().read())
        finally:
            conn.close()
        return [e for e in events if path is None or e["path"].endswith(path)]

    def wait_request(self, timeout=30, **filters):
        return wait_until(lambda: self.requests(**filters), timeout, what="a request %r" % (filters,))[-1]

    def album_photos(self, key):
        return site.album_photos(key, self.config["albums"][key])

    def photo_bytes(self, url, size=None):
        """The bytes the site serves for a configured photo address."""
        if size is None:
            size = 0
            for key, album in self.config.get("albums", {}).items():
                for entry in site.album_photos(key, album):
                    if entry["url"] == url:
                        size = int(entry.get("size") or 0)
            size = size or int(self.config.get("photo_size") or 0)
        return site.photo_bytes(site.photo_key(url), size)


# ------------------------------------------------------------------------------------ window reading

class Window(dict):
    """One window as the helper reports it (hwnd, parent, id, class, text, rect, rel, enabled, visible, …)."""

    @property
    def hwnd(self):
        return self["hwnd"]

    @property
    def text(self):
        return self["text"]

    @property
    def rel(self):
        return tuple(self["rel"])

    @property
    def checked(self):
        return self.get("check") == 1


class Tree:
    """A snapshot of a top-level window and all its descendants, with the keyboard focus."""

    def __init__(self, data):
        self.windows = [Window(w) for w in data["windows"]]
        self.top = self.windows[0]
        self.focus_hwnd = data["focus"]["focus"]
        self.active_hwnd = data["focus"]["active"]
        self.foreground_hwnd = data["focus"]["foreground"]

    def find_all(self, text=None, cls=None, id=None, parent=None):
        out = []
        for w in self.windows[1:]:
            if text is not None and w.text != text:
                continue
            if cls is not None and w["class"].lower() != cls.lower():
                continue
            if id is not None and w["id"] != id:
                continue
            if parent is not None and w["parent"] != (parent.hwnd if isinstance(parent, Window) else parent):
                continue
            out.append(w)
        return out

    def find(self, text=None, cls=None, id=None, parent=None):
        """Exactly one matching descendant; HarnessError otherwise."""
        found = self.find_all(text, cls, id, parent)
        if len(found) != 1:
            raise HarnessError("%d windows match text=%r class=%r id=%r" % (len(found), text, cls, id))
        return found[0]

    def get(self, hwnd):
        for w in self.windows:
            if w.hwnd == hwnd:
                return w
        return None

    def parent_of(self, w):
        return self.get(w["parent"])

    @property
    def focus(self):
        return self.get(self.focus_hwnd)


class Inspector:
    """Runs verdaly-inspect.exe in the sandbox's Wine; each call prints one JSON object.

    Output goes through a file rather than a pipe: a Wine service started by the call would inherit a
    pipe and keep it open after the call ends.
    """

    def __init__(self, exe=INSPECT, workdir=None):
        if not os.path.exists(exe):
            raise HarnessError("helper not built: %s" % exe)
        self.exe = exe
        self.workdir = workdir or tempfile.gettempdir()

    LOOKS = {"find", "tree", "windows", "info", "procs", "wait", "clipboard-get"}

    def run_once(self, args, timeout):
        with tempfile.TemporaryFile(dir=self.workdir) as out, tempfile.TemporaryFile(dir=self.workdir) as err:
            proc = subprocess.run([WINE, self.exe] + [str(a) for a in args], stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            text = out.read().decode("utf-8", errors="replace").splitlines()
            lines = [l for l in text if l.startswith("{")]
            started = "#started" in text
            return lines, started, proc.returncode, err.read().decode("utf-8", errors="replace")[-2000:]

    def __call__(self, *args, check=True, timeout=60):
        lines, started, code, err = self.run_once(args, timeout)
        if not lines and (not started or (args and args[0] in self.LOOKS)):
            # Rarely, under load, the helper's Wine process ends without printing (seen as exit 1 with no
            # output). One that never started its command, or whose command only looks, can safely run
            # once more; one that ended while it acted (a click, a key) cannot, as it may have acted. The
            # second failure is reported with what Wine said.
            print("harness: helper printed nothing for %r (exit %d, %s), trying once more: %s"
                  % (args, code, "started" if started else "never started", err), file=sys.stderr)
            lines, started, code, err = self.run_once(args, timeout)
        if not lines:
            raise HarnessError("helper printed nothing for %r (exit %d): %s" % (args, code, err))
        result = json.loads(lines[-1])
        if check and "error" in result:
            raise HarnessError("helper %r: %s" % (args, result["error"]))
        return result

    def find(self, title, timeout_ms=0):
        return Window(self("find", "--title", title, "--timeout", timeout_ms))

    def tree(self, hwnd):
        return Tree(self("tree", "--hwnd", hwnd))

    def windows(self, visible_only=True):
        args = ["windows"] + (["--visible"] if visible_only else [])
        return [Window(w) for w in self(*args)["windows"]]

    # Two single clicks on one spot closer together than the system's double-click time (500 ms) would
    # reach the program as a double click; a user clicking twice on purpose leaves more time.
    DOUBLE_CLICK_SECONDS = 0.6

    def click(self, hwnd, x=None, y=None, button="left", double=False):
        args = ["click", "--hwnd", hwnd, "--button", button]
        if x is not None:
            args += ["--x", x, "--y", y]
        if double:
            args.append("--double")
        spot = (hwnd, x, y, button)
        last_spot, last_time = getattr(self, "_last_click", (None, 0.0))
        if spot == last_spot:
            time.sleep(max(0.0, last_time + self.DOUBLE_CLICK_SECONDS - time.monotonic()))
        try:
            return self(*args)
        finally:
            self._last_click = (spot, time.monotonic())

    def key(self, keys, hwnd=None):
        return self("key", "--keys", keys, *(["--hwnd", hwnd] if hwnd else []))

    def type(self, text, hwnd=None):
        return self("type", "--text", text, *(["--hwnd", hwnd] if hwnd else []))

    def set_text(self, hwnd, text):
        return self("settext", "--hwnd", hwnd, "--text", text)

    def set_focus(self, hwnd):
        return self("setfocus", "--hwnd", hwnd)

    def close(self, hwnd):
        return self("close", "--hwnd", hwnd)

    def clipboard_set(self, text):
        return self("clipboard-set", "--text", text)

    def clipboard_get(self):
        return self("clipboard-get")

    def process_exited(self, pid, timeout_ms=0):
        return self("wait", "--pid", pid, "--timeout", timeout_ms)["exited"]

    def info(self):
        return self("info")

    def acc(self, hwnd):
        """Every control below hwnd as a screen reader in this other process reads it: {id: {role, name, value,
        state, shortcut, action, hr}}; a text the control does not have reads None."""
        return {c["id"]: c for c in self("acc", "--hwnd", hwnd)["controls"]}

    def acc_do(self, hwnd):
        """A reader's default action on one control: {"hr", "ms"}, ms the time the call took."""
        return self("acc", "--hwnd", hwnd, "--do")


# --------------------------------------------------------------------------------------- the program

# Control ids of the main window that every scenario needs.
EMAIL_BOX_ID, PASSWORD_BOX_ID, LOGIN_BUTTON_ID, LOGIN_INFO_ID = 102, 104, 106, 107


class App:
    """A program started in the Wine desktop "shell" with its own current directory."""

    def __init__(self, harness, exe, cwd, title):
        self.harness = harness
        self.exe = exe
        self.cwd = cwd
        self.title = title
        self.proc = None
        self.main = None

    def start(self, timeout=90):
        if not os.path.exists(self.exe):
            raise HarnessError("program not built: %s" % self.exe)
        self.log = open(os.path.join(self.harness.workdir, "wine-output.txt"), "ab")
        found = self.launch(timeout)
        if "error" in found:
            # Seen rarely on a loaded machine: Wine's start-up stalls before the program runs. Keep what
            # there is to see, restart Wine once; a program that cannot show its window fails again.
            self.harness.note_stalled_start()
            try:
                self.proc.wait(30)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
            found = self.launch(timeout)
        if "error" in found:
            raise HarnessError("the window %r did not appear within %d s, twice" % (self.title, timeout))
        self.main = Window(found)
        return self

    def launch(self, timeout):
        self.proc = subprocess.Popen([WINE, "explorer", "/desktop=shell," + os.environ.get("VERDALY_DESKTOP", "1024x768"), self.exe], cwd=self.cwd,
                                     stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT)
        return self.harness.inspect("find", "--title", self.title, "--timeout", int(timeout * 1000),
                                    check=False, timeout=timeout + 60)

    @property
    def hwnd(self):
        return self.main.hwnd

    @property
    def pid(self):
        return self.main["pid"]

    def tree(self):
        return self.harness.inspect.tree(self.hwnd)

    def control(self, text=None, cls=None, id=None):
        return self.tree().find(text, cls, id)

    def wait_text(self, control_id, predicate, timeout=30, what=None):
        """Waits until the text of the control with that id satisfies predicate (a str means equality)."""
        check = (lambda t: t == predicate) if isinstance(predicate, str) else predicate

        def probe():
            w = self.tree().find(id=control_id)
            return w if check(w.text) else None
        return wait_until(probe, timeout, what=what or "control %s text %r" % (control_id, predicate))

    def click(self, window, **kw):
        return self.harness.inspect.click(window.hwnd if isinstance(window, Window) else window, **kw)

    def type_into(self, window, text, check=True):
        """Clicks into an edit box, selects all, types text as key strokes; checks the box shows it."""
        hwnd = window.hwnd if isinstance(window, Window) else window
        self.harness.inspect.click(hwnd)
        wait_until(lambda: self.tree().focus_hwnd == hwnd, 10, what="focus in %r" % hwnd)
        self.harness.inspect.key("ctrl+a", hwnd)
        self.harness.inspect.type(text, hwnd)
        if check:
            wait_until(lambda: self.tree().get(hwnd).text == text, 10, what="%r typed" % text)

    def key(self, keys):
        return self.harness.inspect.key(keys, self.hwnd)

    def log_in(self, email, password, expect, timeout=60):
        """Types the account, presses 登 录 and waits for the status line to read `expect`."""
        tree = self.tree()
        self.type_into(tree.find(id=EMAIL_BOX_ID), email)
        self.type_into(tree.find(id=PASSWORD_BOX_ID), password)
        before = self.tree().find(id=LOGIN_INFO_ID).text
        self.click(tree.find(id=LOGIN_BUTTON_ID))
        try:
            wait_until(lambda: self.tree().find(id=LOGIN_INFO_ID).text != before, 10, what="the login started")
        except HarnessError:
            # Seldom, under Wine, a synthetic click on the button never reaches it (the button does not even
            # take the focus). Said aloud, and tried once more, so that it cannot pass for a login fault.
            print("\nharness: the click on the login button was lost (focus on %r); clicking again"
                  % (self.tree().focus_hwnd,))
            self.click(tree.find(id=LOGIN_BUTTON_ID))
        return self.wait_text(LOGIN_INFO_ID, expect, timeout=timeout)

    def minimise(self):
        """What the caption's minimise box sends; the program hides in the tray."""
        self.harness.inspect("post", "--hwnd", self.hwnd, "--msg", 0x0112, "--wparam", 0xF020)  # SC_MINIMIZE
        wait_until(lambda: not self.tree().top["visible"], 10, what="the window hidden")

    def click_tray_icon(self):
        """A real click on our tray icon, the only one, at the right end of the taskbar."""
        tray = self.harness.top_windows(cls="Shell_TrayWnd")[0]
        left, top, right, bottom = tray["rect"]
        self.harness.inspect.click(tray.hwnd, x=right - left - 13, y=(bottom - top) // 2)
        wait_until(lambda: self.tree().top["visible"], 10, what="the window back from the tray")

    def threads(self):
        """The program's thread count as Windows reports it."""
        for proc in self.harness.inspect("procs")["procs"]:
            if proc["pid"] == self.pid:
                return proc["threads"]
        raise HarnessError("process %d not found" % self.pid)

    def exited(self, timeout=20):
        """True once the program's process has ended."""
        return self.harness.inspect.process_exited(self.pid, int(timeout * 1000))

    def kill(self, timeout=20):
        """Ends the program at once, as a crash would: SIGKILL to its Wine process, so nothing of the program runs
        after it and Wine's server alone closes what it held. Returns the Linux process id.

        The sandbox has its own process namespace, so the one process whose command line names the program is
        this test's (explorer, which started it, names it in an argument, not as the command).
        """
        name = os.path.basename(self.exe).lower()
        found = []
        for pid in (p for p in os.listdir("/proc") if p.isdigit()):
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    command = f.read().split(b"\0")[0].decode("utf-8", errors="replace")
            except OSError:
                continue
            if command.replace("\\", "/").lower().rsplit("/", 1)[-1] == name:
                found.append(int(pid))
        if len(found) != 1:
            raise HarnessError("%d processes run %s: %r" % (len(found), name, found))
        os.kill(found[0], signal.SIGKILL)
        wait_until(lambda: self.pid not in [p["pid"] for p in self.harness.inspect("procs")["procs"]], timeout,
                   what="Wine to see process %d gone" % self.pid)
        return found[0]

    def dialogs(self):
        """Visible top-level windows of the program other than its main window (message boxes, …)."""
        return [w for w in self.harness.inspect.windows() if w["pid"] == self.pid and w.hwnd != self.hwnd]


# ---------------------------------------------------------------------------------------- the harness

class Harness:
    """Everything one test needs: a fresh working folder, the site, the program, the helper, cleanup."""

    def __init__(self, name):
        self.name = name
        self.workdir = tempfile.mkdtemp(prefix="verdaly-e2e-")
        self.appdir = os.path.join(self.workdir, "cwd")
        os.makedirs(self.appdir)
        os.makedirs(ARTIFACTS, exist_ok=True)
        self.inspect = Inspector(workdir=self.workdir)
        self.site = None
        self.apps = []

    def start_site(self, config):
        self.site = Site(config, self.workdir).start()
        return self.site

    def start_app(self, exe=EXE, title=MAIN_TITLE, ini=None):
        """Starts the program in the fresh working folder; ini (bytes) is written there first as Verdaly.ini."""
        if ini is not None:
            with open(os.path.join(self.appdir, "Verdaly.ini"), "wb") as f:
                f.write(ini)
        app = App(self, exe, self.appdir, title)
        self.apps.append(app)
        return app.start()

    def top_windows(self, cls=None, text=None, visible_only=True):
        """Top-level windows of the desktop: message boxes ("#32770"), balloons ("tooltips_class32"), …"""
        return [w for w in self.inspect.windows(visible_only)
                if (cls is None or w["class"] == cls) and (text is None or w.text == text)]

    def path(self, name):
        return os.path.join(self.appdir, name)

    def taskbar_buttons(self):
        """The visible buttons of Wine's taskbar for windows, the Start button left out. Wine shows a window's
        button only for a visible, unowned window without WS_EX_TOOLWINDOW, judged when a top-level window comes
        or goes (or one is clicked)."""
        tray = self.top_windows(cls="Shell_TrayWnd")[0]
        buttons = [w for w in self.inspect.tree(tray.hwnd).windows[1:] if w["class"].lower() == "button"]
        return [w for w in buttons[1:] if w["visible"]]

    def client_sockets(self):
        """Sockets to the site that their owner has not closed yet (open, or closed by the site only)."""
        out = subprocess.run(["ss", "-tanH", "state", "established", "state", "close-wait",
                              "( dport = :%d )" % self.site.port], stdin=subprocess.DEVNULL,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=30, check=True)
        return len([line for line in out.stdout.decode().splitlines() if line.strip()])

    @staticmethod
    def open_files(folder):
        """Paths under folder that some process of the sandbox holds open (Wine's server and the program)."""
        held = set()
        for pid in (p for p in os.listdir("/proc") if p.isdigit()):
            try:
                fds = os.listdir("/proc/%s/fd" % pid)
            except OSError:
                continue
            for fd in fds:
                try:
                    target = os.readlink("/proc/%s/fd/%s" % (pid, fd))
                except OSError:
                    continue
                if target.startswith(folder + os.sep):
                    held.add(target)
        return sorted(held)

    def note_stalled_start(self):
        """Screenshot and process list of a start that showed no window, then a fresh Wine."""
        self.screenshot("-stalled-start")
        with open(os.path.join(ARTIFACTS, "%s-stalled-start.txt" % self.name), "w") as f:
            subprocess.run(["ps", "-eo", "pid,stat,etime,time,args"], stdin=subprocess.DEVNULL, stdout=f,
                           stderr=subprocess.STDOUT, timeout=30)
        print("harness: %s: no window after start; restarting Wine once" % self.name, file=sys.stderr)
        for flag in ("-k", "-w"):
            subprocess.run(["wineserver", flag], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60)

    def screenshot(self, suffix=""):
        path = os.path.join(ARTIFACTS, "%s%s.png" % (self.name, suffix))
        subprocess.run(["import", "-window", "root", path], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        return path

    def stop(self):
        """Ends every Wine process of the e2e prefix and the site; keeps the logs under the artifacts."""
        subprocess.run(["wineserver", "-k"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)
        for app in self.apps:
            try:
                app.proc.wait(20)
            except subprocess.TimeoutExpired:
                app.proc.kill()
                app.proc.wait()
            app.log.close()
        subprocess.run(["wineserver", "-w"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
        if self.site:
            self.site.stop()
        for name in ("site-requests.jsonl", "wine-output.txt"):
            src = os.path.join(self.workdir, name)
            if os.path.exists(src):
                shutil.copy(src, os.path.join(ARTIFACTS, "%s.%s" % (self.name, name)))
        shutil.rmtree(self.workdir, ignore_errors=True)


class HarnessTestCase(unittest.TestCase):
    """Base for e2e tests: self.h is a fresh Harness; a screenshot is saved at the end of every test."""

    def setUp(self):
        self.h = Harness(self.id().replace("__main__.", ""))
        self.addCleanup(self.h.stop)
        self.addCleanup(self._last_screenshot)

    def _last_screenshot(self):
        try:
            self.h.screenshot()
        except Exception:  # noqa: BLE001 - a missing picture must not hide the test's own result
            pass


def scramble(text, key="tevoranish"):
    """The remembered-login scrambling: GBK bytes of text shifted by position, steered by the key."""
    k = int(sum(key.encode("gbk")) * 0.1 / 6)
    shifts = {1: (k - 5) + 1, 2: -(k - 4) + 2, 3: (k - 2) + 3, 4: -(k - 3) + 4, 5: (k - 5) + 5, 0: -(k - 2)}
    out = bytearray()
    for i, c in enumerate(text.encode("gbk")):
        code = c + shifts[(i + 1) % 6]
        if not 0 <= code <= 255:
            raise ValueError("cannot scramble %r: code %d at %d" % (text, code, i))
        out.append(code)
    return bytes(out)
