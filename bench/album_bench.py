"""Verdaly's figures in one table: an album against curl and three plain WinINet loops (the platform's defaults,
Verdaly's settings, Verdaly's design) on the local imitation site, what the message router adds per message, cold
start against the plainest window and against the platform's own share of a window like ours, the paint figures,
the processor time of a stalled page load and the memory of one huge photo. Prints figures, asserts nothing.

Runs inside tests/e2e/sandbox.sh (bench/run does that). The site times photo transfers itself, from the first
photo request to the last photo byte sent, so the album page and the closing probe stay out of the figures. Every
timed figure is the minimum of RUNS runs, the contenders taking turns, so a slow moment of the shared machine
falls on one run of one of them, not on all of one. Nothing looks at a window while it is being timed.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "e2e"))

from harness import BUILD, EXE, WINE, Harness, site  # noqa: E402
from test_download import (ALBUM_BOX, DOWN_BUTTON, DOWN_INFO, EMAIL, FOLDER_BOX, LOGGED_IN,  # noqa: E402
                           PASSWORD, RUN_FAILED, album_address,
                           windows_path)

LOOP = os.path.join(BUILD, "bench", "verdaly-wininet-loop.exe")
COLDSTART = os.path.join(BUILD, "bench", "verdaly-coldstart.exe")
PLAIN_WINDOW = os.path.join(BUILD, "bench", "verdaly-plain-window.exe")
PLAIN_CONTROLS = os.path.join(BUILD, "bench", "verdaly-plain-controls.exe")
PAINT = os.path.join(BUILD, "bench", "verdaly-paint-bench.exe")
ROUTER = os.path.join(BUILD, "bench", "router_bench.exe")
PHOTOS, PHOTO_SIZE = 200, 200 * 1024
HUGE = 512 << 20
STALL_SECONDS = 10
RUNS = 5  # each timed figure is the minimum of this many runs; single runs vary by several per cent
ALBUMS = {
    "9/200": {"count": PHOTOS, "size": PHOTO_SIZE},
    "9/1": {"photos": [{"url": "http://fmn.rrimg.com/fmn/huge/huge.jpg", "size": HUGE}]},
    "9/10": {"count": 1},
}
FAULTS = {"/photo/9/album-10": {"kind": "stall", "seconds": STALL_SECONDS}}


class Timing:
    """One album's photos as the site timed them: in all, and the client's share between two photos."""

    def __init__(self, stats):
        self.seconds = stats["last_photo_sent"] - stats["first_photo_request"]
        self.gap_ms = stats["between_photos"] * 1000.0 / max(1, stats["photo_responses"] - 1)


def alternating(measures, times=RUNS):
    """Each measure `times` times, taking turns; per measure its fastest run and the range of all."""
    runs = [[] for _ in measures]
    for _ in range(times):
        for i, measure in enumerate(measures):
            runs[i].append(measure())
    return [(min(r, key=lambda t: t.seconds), min(t.seconds for t in r), max(t.seconds for t in r)) for r in runs]


def run_wine(args, cwd=None, timeout=600):
    """A Win32 tool's printed lines. Output goes through a file: a Wine service started by the call would inherit
    a pipe and keep it open after the call ends."""
    with tempfile.TemporaryFile() as out:
        done = subprocess.run([WINE] + args, cwd=cwd, stdin=subprocess.DEVNULL, stdout=out,
                              stderr=subprocess.DEVNULL, timeout=timeout)
        out.seek(0)
        return done.returncode, out.read().decode("utf-8", errors="replace").splitlines()


def cold_start(workdir):
    """Milliseconds to a shown, painted, idle main window: {program: (minimum, [runs])}, the programs in turn."""
    folder = os.path.join(workdir, "coldstart")
    os.makedirs(folder, exist_ok=True)
    programs = (PLAIN_WINDOW, PLAIN_CONTROLS, EXE)
    _, lines = run_wine([COLDSTART, str(RUNS), windows_path(folder)] + [windows_path(p) for p in programs],
                        cwd=folder)
    found = {}
    for line in lines:
        parts = line.split()
        if len(parts) >= 2 and parts[1] != "no":
            found[parts[0]] = (float(parts[1]), [float(t) for t in parts[2:]])
    return [found.get(os.path.basename(p)) for p in programs]


def router_costs():
    """The router's added nanoseconds per message, without and with a subscriber: the minimum of RUNS runs."""
    idle, subscribed, plain = [], [], []
    for _ in range(RUNS):
        _, lines = run_wine([ROUTER])
        for line in lines:
            added = re.search(r"\(\+(-?\d+) ns\)", line)
            if "without the router" in line:
                plain.append(float(re.search(r"(\d+) ns/msg", line).group(1)))
            elif added and "no subscriber" in line:
                idle.append(float(added.group(1)))
            elif added and "one subscriber" in line:
                subscribed.append(float(added.group(1)))
    if not (idle and subscribed and plain):
        return None
    return min(plain), min(idle), min(subscribed)


def paint_figures(workdir):
    """(what, control, minimum µs, median µs) for the frame and each of our controls."""
    folder = os.path.join(workdir, "paint")
    os.makedirs(folder, exist_ok=True)
    _, lines = run_wine([PAINT], cwd=folder)
    rows = []
    for line in lines:
        m = re.match(r"(.+?)\s{2,}(\S*)\s+min\s+([\d.]+) us\s+median\s+([\d.]+) us", line)
        if m:
            rows.append((m.group(1).strip(), m.group(2), float(m.group(3)), float(m.group(4))))
    return rows


class Bench:
    def __init__(self):
        self.h = Harness("bench")
        self.site = self.h.start_site({"accounts": [{"email": EMAIL, "password": PASSWORD}], "albums": ALBUMS,
                                       "faults": FAULTS})
        self.app = self.h.start_app()
        self.app.log_in(EMAIL, PASSWORD, LOGGED_IN)
        self.pid = self.linux_pid()
        self.runs = 0

    def linux_pid(self):
        """The Linux process that runs Verdaly.exe under Wine."""
        for name in os.listdir("/proc"):
            if not name.isdigit():
                continue
            try:
                with open("/proc/%s/cmdline" % name, "rb") as f:
                    cmdline = f.read()
            except OSError:
                continue
            if b"Verdaly.exe" in cmdline and b"explorer" not in cmdline:
                return int(name)
        raise RuntimeError("no Verdaly process")

    def cpu_seconds(self):
        with open("/proc/%d/stat" % self.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def memory_kb(self, key):
        with open("/proc/%d/status" % self.pid) as f:
            for line in f:
                if line.startswith(key + ":"):
                    return int(line.split()[1])
        return 0

    def session_cookie(self):
        """The cookie the login's answer set, for curl."""
        return "t=" + self.site.requests(path="/PLogin.do")[-1]["session"]

    def prepare_run(self, album):
        """Types the album address and a fresh folder; returns the folder."""
        folder = self.fresh_folder("run")
        tree = self.app.tree()
        self.app.type_into(tree.find(id=ALBUM_BOX), album)
        self.app.type_into(tree.find(id=FOLDER_BOX), windows_path(folder))
        return folder

    def press_down(self):
        self.app.click(self.app.tree().find(id=DOWN_BUTTON))

    def start_run(self, album):
        folder = self.prepare_run(album)
        self.press_down()
        return folder

    def verdaly_album(self):
        self.site.control("/stats/clear")
        self.start_run(album_address(9, 200))
        # Wait on the site, not the window: every look at the window starts a Wine process, which would take
        # processor time from the run being measured on a two-core machine.
        stats = self.wait_photos_sent(PHOTOS)
        self.app.wait_text(DOWN_INFO, "[相册下载结束] 成功：%d 张，失败：0 张" % PHOTOS, timeout=600)
        return Timing(stats)

    def wait_photos_sent(self, count, timeout=600):
        deadline = time.monotonic() + timeout
        while True:
            stats = self.site.control("/stats")
            if stats["photo_responses"] >= count:
                return stats
            if time.monotonic() > deadline:
                raise RuntimeError("only %d photos sent" % stats["photo_responses"])
            # Seldom: each look takes the site's interpreter from the photos it is serving. The figure
            # comes from the site's own clock, so the polling interval does not enter it.
            time.sleep(0.5)

    def fresh_folder(self, name):
        self.runs += 1
        folder = os.path.join(self.h.workdir, "%s-%d" % (name, self.runs))
        os.makedirs(folder)
        return folder

    def design_album(self, cookie):
        """The same photos through the plainest form of Verdaly's design (bench/wininet_loop.cpp --same-design)."""
        return self.tool_album(LOOP, "design", [cookie, "--same-design"])

    def loop_album(self, cookie, same_settings=False):
        """The same photos through the plainest WinINet loop: the platform's share of Verdaly's time. With
        `same_settings`, the loop makes its requests and files as Verdaly does (bench/wininet_loop.cpp): the floor
        of the platform for Verdaly's own way, without its worker and waiting window."""
        return self.tool_album(LOOP, "loop", [cookie] + (["--same-settings"] if same_settings else []))

    def tool_album(self, tool, name, extra):
        """The album's photos through a Win32 tool that takes the list of addresses and a folder."""
        folder = self.fresh_folder(name)
        listing = os.path.join(self.h.workdir, "photos.txt")
        with open(listing, "w") as f:
            f.write("".join(p["url"] + "\n" for p in site.album_photos("9/200", ALBUMS["9/200"])))
        for attempt in (1, 2):
            self.site.control("/stats/clear")
            done = subprocess.run([WINE, tool, windows_path(listing), windows_path(folder)] + extra, timeout=600,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            stats = self.site.control("/stats")
            # Under load a Wine process now and then ends before it starts; one that never asked for a photo
            # runs once more.
            if done.returncode == 0 or stats["photo_requests"] > 0 or attempt == 2:
                break
        done.check_returncode()
        assert stats["photo_responses"] == PHOTOS, stats
        return Timing(stats)

    def curl_album(self, cookie):
        """The same job for curl: every photo saved as a file of its own in a fresh folder."""
        urls = [p["url"] for p in site.album_photos("9/200", ALBUMS["9/200"])]
        folder = self.fresh_folder("curl")
        config = os.path.join(self.h.workdir, "curl.cfg")
        with open(config, "w") as f:
            for i, url in enumerate(urls):
                f.write('url = "%s"\noutput = "%s/%d.jpg"\n' % (url, folder, i + 1))
        self.site.control("/stats/clear")
        subprocess.run(["curl", "-s", "--fail", "-b", cookie, "-K", config], check=True, timeout=600)
        stats = self.site.control("/stats")
        assert stats["photo_responses"] == PHOTOS, stats
        return Timing(stats)

    def stalled_page_cpu(self):
        self.prepare_run(album_address(9, 10))
        self.press_down()
        self.site.wait_request(path="/photo/9/album-10")
        # Only the stall itself, and nobody looking at the window meanwhile.
        before, start = self.cpu_seconds(), time.monotonic()
        time.sleep(STALL_SECONDS - 0.5)
        used, wall = self.cpu_seconds() - before, time.monotonic() - start
        self.app.wait_text(DOWN_INFO, RUN_FAILED, timeout=STALL_SECONDS + 70)
        return used, wall

    def huge_photo_memory(self):
        self.site.control("/stats/clear")
        rss = self.memory_kb("VmRSS")
        with open("/proc/%d/clear_refs" % self.pid, "w") as f:
            f.write("5")  # resets the peak to the present size
        folder = self.prepare_run(album_address(9, 1))
        start = time.monotonic()
        self.press_down()
        # The kernel's peak, and our own samples of the resident size in case the peak could not be reset.
        sampled = rss
        while self.site.control("/stats")["photo_responses"] < 1:
            sampled = max(sampled, self.memory_kb("VmRSS"))
            if time.monotonic() - start > 120:
                raise RuntimeError("the huge photo did not arrive")
            time.sleep(0.05)
        self.app.wait_text(DOWN_INFO, "[相册下载结束] 成功：1 张，失败：0 张", timeout=60)
        sampled = max(sampled, self.memory_kb("VmRSS"))
        seconds = time.monotonic() - start
        size = os.path.getsize(os.path.join(folder, "huge.jpg"))
        return (self.memory_kb("VmHWM") - rss) / 1024.0, (sampled - rss) / 1024.0, seconds, size

    def stop(self):
        self.h.stop()


def album_only():
    """Verdaly's album alone, bare and with 20 ms per photo: for builds compared by turns, one run of this each."""
    bench = Bench()
    try:
        for delay in (0, 20):
            bench.site.control("/config", {"photo_delay_ms": delay})
            best, low, high = alternating((bench.verdaly_album,))[0]
            print("album, %-15s %6.2f s (runs %.2f-%.2f)  between %.2f ms"
                  % ("bare loopback" if delay == 0 else "%d ms per photo" % delay, best.seconds, low, high,
                     best.gap_ms), flush=True)
    finally:
        bench.stop()


def main():
    table = []
    workdir = tempfile.mkdtemp(prefix="verdaly-bench-")
    print("Each timed figure is the minimum of %d runs, the contenders taking turns." % RUNS, flush=True)
    if "--album-only" in sys.argv[1:]:
        return album_only()
    # The window figures first, while no other program of ours runs.
    plain, floor, ours = cold_start(workdir)
    if plain and floor and ours:
        print("cold start         plain window %.1f ms, the same controls made plainly %.1f ms, Verdaly %.1f ms"
              " (%.2f × plain window, %.2f × same controls; Verdaly's runs %s, the same controls' runs %s)"
              % (plain[0], floor[0], ours[0], ours[0] / plain[0], ours[0] / floor[0],
                 " ".join("%.0f" % t for t in ours[1]), " ".join("%.0f" % t for t in floor[1])), flush=True)
        table.append(("cold start to a visible main window", "%.0f ms" % ours[0],
                      "plain window %.0f ms; the same controls made plainly %.0f ms" % (plain[0], floor[0]),
                      "%.2f × plain window, %.2f × same controls" % (ours[0] / plain[0], ours[0] / floor[0])))
    else:
        print("cold start         not measured: %r" % ((plain, floor, ours),), flush=True)
    if "--cold-start" in sys.argv[1:]:
        shutil.rmtree(workdir, ignore_errors=True)
        return
    router = router_costs()
    if router:
        send, idle, subscribed = router
        print("router             %+.2f µs per message nobody subscribed, %+.2f µs with one subscriber (a plain"
              " send %.2f µs)" % (idle / 1000, subscribed / 1000, send / 1000), flush=True)
        table.append(("router, message nobody subscribed", "%+.2f µs" % (idle / 1000),
                      "a plain send %.2f µs" % (send / 1000), ""))
        table.append(("router, one subscriber", "%+.2f µs" % (subscribed / 1000), "", ""))
    for what, control, low, median in paint_figures(workdir):
        name = what + (" " + control if control else "")
        print("paint              %-40s min %6.1f µs, median %6.1f µs" % (name, low, median), flush=True)
        table.append(("paint: " + name, "%.0f µs" % low, "median %.0f µs" % median, ""))

    bench = Bench()
    try:
        print("%d photos of %d KB; 'between' is the time per photo from one photo's last byte to the next request,"
              " the client's own share. The WinINet loop is the plainest loop on the platform saving the same files;"
              " 'settings' the same loop making its requests and files as Verdaly does; 'design' those settings in"
              " the plainest form of Verdaly's design (each photo on a worker with an asynchronous session while"
              " the main thread waits): the platform's floor for Verdaly's way" % (PHOTOS, PHOTO_SIZE // 1024),
              flush=True)
        cookie = bench.session_cookie()
        for delay in (0, 20):
            bench.site.control("/config", {"photo_delay_ms": delay})
            timings = alternating((bench.verdaly_album, lambda: bench.loop_album(cookie),
                                   lambda: bench.loop_album(cookie, same_settings=True),
                                   lambda: bench.design_album(cookie), lambda: bench.curl_album(cookie)))
            label = "bare loopback" if delay == 0 else "%d ms per photo" % delay
            names = ("Verdaly", "WinINet loop", "loop, settings", "loop, design", "curl")
            for name, (best, low, high) in zip(names, timings):
                print("%-18s %-15s %6.2f s (runs %.2f-%.2f)  between %.2f ms" % (label, name, best.seconds, low, high,
                                                                                best.gap_ms), flush=True)
            ours, loop, settings, design, curl = (t[0] for t in timings)
            print("%-18s Verdaly to curl %.2f, to the WinINet loop %.2f, to the loop with its settings %.2f, to the"
                  " loop of its design %.2f; those loops to curl %.2f, %.2f, %.2f"
                  % (label, ours.seconds / curl.seconds, ours.seconds / loop.seconds, ours.seconds / settings.seconds,
                     ours.seconds / design.seconds, loop.seconds / curl.seconds, settings.seconds / curl.seconds,
                     design.seconds / curl.seconds), flush=True)
            table.append(("album, " + label, "%.2f s, between %.2f ms" % (ours.seconds, ours.gap_ms),
                          "WinINet loop %.2f s (%.2f ms); with Verdaly's settings %.2f s (%.2f ms); in Verdaly's design"
                          " %.2f s (%.2f ms); curl %.2f s (%.2f ms)"
                          % (loop.seconds, loop.gap_ms, settings.seconds, settings.gap_ms, design.seconds,
                             design.gap_ms, curl.seconds, curl.gap_ms),
                          "%.2f × curl; %.2f × the loop, %.2f × with its settings, %.2f × in its design (that loop %.2f"
                          " × curl)" % (ours.seconds / curl.seconds, ours.seconds / loop.seconds,
                                        ours.seconds / settings.seconds, ours.seconds / design.seconds,
                                        design.seconds / curl.seconds)))
        bench.site.control("/config", {"photo_delay_ms": 0})
        cpu, wall = bench.stalled_page_cpu()
        print("stalled page load  %.3f s of processor time in %.1f s" % (cpu, wall), flush=True)
        table.append(("stalled page load, processor time", "%.3f s in %.1f s" % (cpu, wall), "", ""))
        peak, sampled, seconds, size = bench.huge_photo_memory()
        print("512 MB photo       peak memory growth %.1f MB (sampled %.1f MB), %.1f s, file %d bytes"
              % (peak, sampled, seconds, size), flush=True)
        table.append(("512 MB photo, memory growth", "%.1f MB (sampled %.1f MB)" % (peak, sampled),
                      "%.1f s" % seconds, ""))
    finally:
        bench.stop()
    shutil.rmtree(workdir, ignore_errors=True)
    print()
    print("| what | Verdaly | beside it | ratio |")
    print("|---|---|---|---|")
    for row in table:
        print("| %s |" % " | ".join(row))


if __name__ == "__main__":
    main()
