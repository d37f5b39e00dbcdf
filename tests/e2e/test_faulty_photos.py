"""Photos that fail or come badly: error pages, cut, empty and stalled bodies, unsafe and duplicate names, framings,
redirects, photos that hang or die with the program, and a volume with no more than the disk reserve free."""
import hashlib
import os
import subprocess
import unittest

from harness import wait_until
from test_download import BAR, DOWN_INFO, AlbumRun, album_address, counting, listing, read, result

class FaultyPhotos(AlbumRun):
    def test_error_pages_cut_and_empty_bodies_stalls_unsafe_and_duplicate_names(self):
        base = "http://fmn.rrimg.com/f/"
        paths = ["a/same.jpg", "b/missing.jpg", "c/keep.jpg", "d/SAME.jpg", "e/..\\..\\escape.jpg",
                 "f/stall.jpg", "g/CON.jpg", "h/a:b*c.jpg", "i/empty.jpg", "j/same.jpg", "k/eleven.jpg",
                 "l/twelve.jpg"]
        urls = [base + p for p in paths]
        faults = {"/f/b/missing.jpg": {"kind": "404"},
                  "/f/c/keep.jpg": {"kind": "cut", "partial": 1000},
                  "/f/f/stall.jpg": {"kind": "stall", "seconds": 40},
                  "/f/i/empty.jpg": {"kind": "empty"}}
        self.start({"5/6": {"photos": [{"url": u, "size": 5000} for u in urls]}}, faults)
        folder = self.folder("faulty")
        with open(os.path.join(folder, "keep.jpg"), "wb") as f:
            f.write(b"an earlier keep.jpg")
        self.configure(album_address(5, 6), folder)
        self.press_down()

        # Five photos done, the sixth stalls: the bar shows 42% (100 * 5 / 12).
        self.site.wait_request(path="/f/f/stall.jpg", timeout=30)
        self.app.wait_text(BAR, "42%", timeout=10)
        self.assertEqual(self.controls(DOWN_INFO)[0].text, counting(12))
        self.h.screenshot("-42")

        self.assertEqual(self.wait_finished(timeout=60).text, result(8, 4))
        # A stall is a passing failure: three tries, each given up by its 5 s receive time-out.
        held = wait_until(lambda: self.site.events("/f/f/stall.jpg")[2:] and self.site.events("/f/f/stall.jpg"), 10,
                          what="the ends of the stalled photo's three answers")
        for e in held:
            self.assertTrue(4.5 <= e["end"] - e["start"] <= 7.0 and e["outcome"] == "client closed", held)

        expected = {"same.jpg": urls[0], "SAME (2).jpg": urls[3], ".._.._escape.jpg": urls[4],
                    "_CON.jpg": urls[6], "a_b_c.jpg": urls[7], "same (3).jpg": urls[9],
                    "eleven.jpg": urls[10], "twelve.jpg": urls[11]}
        # The stalled transfer's worker tidies up when its own receive time-out ends it.
        wait_until(lambda: listing(folder) == sorted(list(expected) + ["keep.jpg"]), 30,
                   what="exactly the good photos and the earlier keep.jpg (have %r)" % listing(folder))
        # The site saw the photos in page order, the cut and the stalled one (passing failures) three times each
        # (WinINet folds "..\\" out of the escaping one's path).
        asked = self.site.requests(host="fmn.rrimg.com")
        paths = [r["path"] for r in asked]
        self.assertEqual([paths.count(p) for p in dict.fromkeys(paths)], [1, 1, 3, 1, 1, 3, 1, 1, 1, 1, 1, 1])
        served, order = {r["path"]: (r.get("photo") or {}).get("sha1") for r in asked}, list(dict.fromkeys(paths))
        for name, url in expected.items():
            self.assertEqual(hashlib.sha1(read(os.path.join(folder, name))).hexdigest(), served[order[urls.index(url)]],
                             name)
        self.assertEqual(read(os.path.join(folder, "keep.jpg")), b"an earlier keep.jpg")
        self.assertFalse([n for n in os.listdir(self.h.workdir) if "escape" in n])

    def test_a_cut_photo_is_never_a_success_in_either_framing_and_redirects_are_judged_hop_by_hop(self):
        framed = ["http://fmn.rrimg.com/w/%s.jpg" % n for n in ("chunked", "chunkcut", "nolength", "nolengthcut")]
        # The site answers on 127.0.0.1 too, so a followed loopback hop would save a photo.
        base = "http://fmn.rrimg.com/r/"
        urls = [base + n for n in ("plain.jpg", "loopback.jpg", "moved.jpg", "target.jpg", "loop.jpg")]
        faults = {"/w/chunked.jpg": {"kind": "chunked", "chunk": 700},
                  "/w/chunkcut.jpg": {"kind": "chunked", "chunk": 700, "cut": True, "partial": 2100},
                  "/w/nolength.jpg": {"kind": "nolength"}, "/w/nolengthcut.jpg": {"kind": "nolength", "partial": 3000},
                  "/r/loopback.jpg": {"kind": "redirect", "location": "http://127.0.0.1/r/plain.jpg"},
                  "/r/moved.jpg": {"kind": "redirect", "status": 301, "location": "/r/target.jpg"},
                  "/r/loop.jpg": {"kind": "redirect", "status": 307, "location": base + "loop.jpg"}}
        self.start({"5/7": {"photos": [{"url": u, "size": 5000} for u in framed]},
                    "5/8": {"photos": [{"url": u, "size": 5000} for u in urls]}}, faults)
        folder = self.folder("framings")
        self.configure(album_address(5, 7), folder)
        self.press_down()
        # The chunked photo cut before its last chunk failed; one without length or chunks is as complete as its
        # server said, so the shortened one stands.
        self.wait_info(result(3, 1))
        self.assertEqual(len(self.site.requests(path="/w/chunkcut.jpg")), 3, "a cut is a passing failure")
        self.assertEqual({n: read(os.path.join(folder, n)) for n in listing(folder)},
                         {"chunked.jpg": self.site.photo_bytes(framed[0]), "nolength.jpg": self.site.photo_bytes(
                             framed[2]), "nolengthcut.jpg": self.site.photo_bytes(framed[3])[:3000]})

        folder = self.folder("redirects")
        self.configure(album_address(5, 8), folder)
        self.press_down()
        self.wait_info(result(3, 2))
        self.assert_album_files(folder, [urls[0], urls[3], urls[3]], ["plain.jpg", "moved.jpg", "target.jpg"])
        self.assertEqual(self.site.requests(host="127.0.0.1"), [])
        # The relative hop asked for its target once more; a redirect to itself was followed five times.
        asked = [r["path"][3:] for r in self.site.requests(host="fmn.rrimg.com") if r["path"].startswith("/r/")]
        self.assertEqual(asked, ["plain.jpg", "loopback.jpg", "moved.jpg", "target.jpg", "target.jpg"]
                         + ["loop.jpg"] * 6)


class StalledPhotos(AlbumRun):
    def test_stalled_photos_leave_no_threads_sockets_or_files_behind_nor_does_a_run_killed_during_a_photo(self):
        names = ["silent.jpg", "stalled.jpg", "dribbled.jpg", "silent2.jpg", "good.jpg"]
        urls = ["http://fmn.rrimg.com/s/" + n for n in names]
        silent = {"kind": "stall", "headers": False, "seconds": 60}
        # The slow photo's first 100 kB come at once, the rest a byte at a time.
        faults = {"/s/silent.jpg": silent, "/s/silent2.jpg": silent,
                  "/s/stalled.jpg": {"kind": "stall", "partial": 1000, "seconds": 60},
                  "/s/dribbled.jpg": {"kind": "dribble", "from": "body", "prefix": 1000, "ms": 1500, "seconds": 60},
                  "/k/slow.jpg": {"kind": "dribble", "from": "body", "prefix": 100000, "ms": 500, "seconds": 60}}
        self.start({"8/9": {"photos": [{"url": u, "size": 5000} for u in urls]}, "8/10": {"photos": [
            {"url": "http://fmn.rrimg.com/k/%s.jpg" % n, "size": 200000} for n in ("slow", "next")]}}, faults)
        folder = self.folder("stalled")
        self.configure(album_address(8, 9), folder)
        self.press_down()

        # Once the next photo is asked for and the site has seen the connections of the one before end, count what
        # is left. A silent or stalled photo fails in passing three times, each try given up by its 5 s receive
        # time-out; the dribbled one never stalls that long and runs into its 20 s limit.
        seen = []
        for name, following in zip(names, names[1:]):
            asked = self.site.wait_request(path="/s/" + name, timeout=30)
            given_up = self.site.wait_request(path="/s/" + following, timeout=40)
            tries = len(self.site.requests(path="/s/" + name))
            events = wait_until(lambda: self.site.events("/s/" + name)[tries - 1:] and self.site.events("/s/" + name),
                                10, what="the end of each of %s's answers" % name)
            self.assertEqual({e["outcome"] for e in events}, {"client closed"}, name)
            seen.append({"photo": name, "tries": tries, "after": given_up["t"] - asked["t"],
                         "socket went": max(e["end"] for e in events) - asked["t"], "threads": self.app.threads(),
                         "sockets": self.h.client_sockets(), "open": len(self.h.open_files(folder)),
                         "parts": len([n for n in listing(folder) if n.endswith(".part")])})
        for s in seen:
            dribbled = s["photo"] == "dribbled.jpg"
            self.assertEqual(s["tries"], 1 if dribbled else 3, s)
            self.assertTrue(19.0 <= s["after"] <= 24.0 if dribbled else 15.0 <= s["after"] <= 19.5, s)
            # Nothing of the next photo came before the close (the site's two threads may note them a little apart).
            self.assertLessEqual(s["socket went"], s["after"] + 1.0, s)
            self.assertLessEqual(s["parts"], 1, s)  # the next photo's, if any
            self.assertLessEqual(s["open"], 2, s)  # the same, in the program and in Wine's server
            self.assertLessEqual(s["sockets"], seen[0]["sockets"], s)
            self.assertLessEqual(s["threads"], seen[0]["threads"] + 1, s)

        self.wait_info(result(1, 4))
        self.assertEqual(listing(folder), ["good.jpg"])
        self.assertEqual(self.h.open_files(folder), [])

        # A run killed during a photo: its part file holds a written piece when the program dies, and only the mark
        # for deletion set at its creation can remove it then.
        folder = self.folder("killed")
        self.configure(album_address(8, 10), folder)
        self.press_down()

        parts = wait_until(lambda: [n for n in listing(folder) if n.startswith("~verdaly-") and n.endswith(".part")
                                    and os.path.getsize(os.path.join(folder, n))], 30, what="a part file with bytes")
        self.assertEqual(listing(folder), parts)
        self.app.kill()
        wait_until(lambda: not listing(folder), 15, what="the folder emptied")
        event = wait_until(lambda: self.site.events("/k/slow.jpg"), 10, what="the end of the photo's answer")[0]
        self.assertEqual(event["outcome"], "client closed")
        self.assertEqual(self.site.requests(path="/k/next.jpg"), [])


class DiskReserve(AlbumRun):
    def test_photos_leave_the_reserve_free_and_without_it_the_rest_of_the_album_is_not_asked_for(self):
        # A volume of the 256 MB reserve and 3.5 MB more: three photos of 1 MB fit, a fourth would eat into it.
        room = self.folder("room")
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%dk" % ((256 << 10) + 3584), "verdaly-room", room],
                       check=True, timeout=30)
        self.addCleanup(subprocess.run, ["umount", "--lazy", room], timeout=30)
        urls = ["http://fmn.rrimg.com/d/%d.jpg" % i for i in range(4)]
        self.start({"9/1": {"photos": [{"url": u, "size": 1 << 20} for u in urls]}})
        self.configure(album_address(9, 1), room)
        self.press_down()
        self.assertEqual(self.wait_finished().text, result(3, 1))
        self.assert_album_files(room, urls[:3], ["0.jpg", "1.jpg", "2.jpg"])
        self.assertEqual(len(self.photo_requests()), 4)

        # Another program takes a megabyte: less than the reserve is left, and the next run asks for nothing.
        with open(os.path.join(room, "other"), "wb") as f:
            f.write(bytes(1 << 20))
        again = self.folder("room/again")
        self.configure(folder=again)
        self.press_down()
        self.wait_info(result(0, 4))
        self.assertEqual((len(self.photo_requests()), listing(again)), (4, []))


if __name__ == "__main__":
    unittest.main()
