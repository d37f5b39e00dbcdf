"""The shipped executable, read as a file: hardening flags in its PE header, no debug information, and no DLL
that the loader would resolve before the program limits the search to the system folder."""

import os
import struct
import unittest

EXE = os.environ.get("VERDALY_EXE", "")

# The system's known DLLs (always loaded from the system folder) plus the common controls, which the manifest
# binds to the side-by-side copy.
KNOWN = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll",
         "comdlg32.dll", "msvcrt.dll", "shlwapi.dll", "ws2_32.dll", "comctl32.dll", "rpcrt4.dll", "imm32.dll"}
LATE = {"wininet.dll", "crypt32.dll", "uxtheme.dll", "msimg32.dll", "oleacc.dll"}
# Known DLLs loaded late all the same, only to start faster.
LATE_FOR_SPEED = {"shell32.dll", "oleaut32.dll"}


class PeFile:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections, symbols_at, symbols, optional_size = struct.unpack_from("<H4xIIH", data, pe + 6)
        strings = symbols_at + 18 * symbols
        optional = pe + 24
        if struct.unpack_from("<H", data, optional)[0] != 0x20B:
            raise ValueError("not a 64-bit image")
        self.dll_characteristics = struct.unpack_from("<H", data, optional + 70)[0]
        self.directories = [struct.unpack_from("<II", data, optional + 112 + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(sections):
            at = optional + optional_size + 40 * i
            name = data[at:at + 8].rstrip(b"\0").decode("latin-1")
            if name.startswith("/") and symbols_at:  # a long name, kept in the string table
                start = strings + int(name[1:])
                name = data[start:data.index(b"\0", start)].decode("latin-1")
            size, address, raw_size, raw = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((name, address, max(size, raw_size), raw))

    def offset(self, rva):
        for _, address, size, raw in self.sections:
            if address <= rva < address + size:
                return raw + rva - address
        raise ValueError("address 0x%x outside every section" % rva)

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii").lower()

    def imports(self):
        """The import directory, which the loader resolves before the program runs: DLL -> the names it gives."""
        rva, _ = self.directories[1]
        found = {}
        if not rva:
            return found
        at = self.offset(rva)
        while True:
            entry = self.data[at:at + 20]
            if entry == bytes(20):
                return found
            lookup, name = struct.unpack_from("<I8xI", entry, 0)
            functions = found.setdefault(self.text(name), set())
            thunk = self.offset(lookup or struct.unpack_from("<I", entry, 16)[0])
            while True:
                value = struct.unpack_from("<Q", self.data, thunk)[0]
                if not value:
                    break
                if not value & (1 << 63):  # by name: a hint, then the name
                    functions.add(self.text((value & 0x7FFFFFFF) + 2))
                thunk += 8
            at += 20

    def imported_dlls(self):
        return list(self.imports())

    def resource(self, type_id):
        """The first resource of a numbered type, as bytes."""
        base = self.offset(self.directories[2][0])

        def entries(at):
            named, numbered = struct.unpack_from("<12xHH", self.data, at)
            return [struct.unpack_from("<II", self.data, at + 16 + 8 * i) for i in range(named + numbered)]
        level = [e for e in entries(base) if e[0] == type_id]
        if not level:
            return None
        at = level[0][1]
        while at & 0x80000000:  # a directory: take its first entry, down to the data
            at = entries(base + (at & 0x7FFFFFFF))[0][1]
        data_rva, size = struct.unpack_from("<II", self.data, base + at)
        return self.data[self.offset(data_rva):self.offset(data_rva) + size]


class Executable(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not EXE:
            raise RuntimeError("VERDALY_EXE must name the executable")
        with open(EXE, "rb") as f:
            cls.pe = PeFile(f.read())

    def test_header_asks_for_aslr_with_high_entropy_and_dep(self):
        flags = self.pe.dll_characteristics
        self.assertTrue(flags & 0x0040, "DYNAMIC_BASE")
        self.assertTrue(flags & 0x0020, "HIGH_ENTROPY_VA")
        self.assertTrue(flags & 0x0100, "NX_COMPAT")

    def test_carries_no_debug_information(self):
        names = [name for name, _, _, _ in self.pe.sections]
        self.assertEqual([n for n in names if n.startswith(".debug")], [])
        self.assertIn(".gnu_debuglink", names)

    def test_loads_only_known_system_dlls_at_start_and_the_others_late(self):
        direct = set(self.pe.imported_dlls())
        self.assertIn("kernel32.dll", direct)
        self.assertEqual(direct - KNOWN, set())
        self.assertEqual(direct & LATE_FOR_SPEED, set())
        # The others are named only for the delay-load helper, which loads them on first use.
        for dll in LATE | LATE_FOR_SPEED:
            self.assertIn(b"\0" + dll.encode() + b"\0", self.pe.data.lower(), dll)

    def test_declares_its_dpi_awareness_and_the_systems_it_knows_and_needs_none_of_their_new_functions(self):
        manifest = self.pe.resource(24)  # RT_MANIFEST
        self.assertIsNotNone(manifest)
        text = manifest.decode("utf-8")
        # Per-monitor v2, then per-monitor, then system awareness for the systems before each.
        self.assertRegex(text, r"<dpiAwareness[^>]*>\s*PerMonitorV2\s*,\s*PerMonitor\s*</dpiAwareness>")
        self.assertRegex(text, r"<dpiAware[^>]*>\s*true/pm\s*</dpiAware>")
        self.assertIn("Microsoft.Windows.Common-Controls", text)
        for system in ("35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                       "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"):
            self.assertIn("{%s}" % system, text.lower())  # Windows 7, 8, 8.1, 10 (and 11)
        # What Windows 7 lacks is looked up at run time, so the program still starts there.
        imported = set().union(*self.pe.imports().values())
        for function in ("getdpiforwindow", "getsystemmetricsfordpi", "adjustwindowrectexfordpi", "getdpiformonitor"):
            self.assertNotIn(function, imported)
        self.assertNotIn("shcore.dll", self.pe.imports())


if __name__ == "__main__":
    unittest.main()
