"""The shipped executable, read as a file: hardening flags and calls, no debug information (it sits beside it), and
no DLL that the loader would resolve before the program limits the search to the system folder."""

import os
import re
import struct
import unittest
import zlib

EXE = os.environ.get("VERDALY_EXE", "")

# The system's known DLLs (always loaded from the system folder) plus the common controls, which the manifest
# binds to the side-by-side copy.
KNOWN = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll",
         "comdlg32.dll", "msvcrt.dll", "shlwapi.dll", "ws2_32.dll", "comctl32.dll", "rpcrt4.dll", "imm32.dll"}
# The DLLs outside that set, and shell32 and oleaut32, known ones loaded late only to start faster.
LATE = {"wininet.dll", "crypt32.dll", "uxtheme.dll", "msimg32.dll", "oleacc.dll", "shell32.dll", "oleaut32.dll"}


class PeFile:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections, self.symbols_at, self.symbol_count, optional_size = struct.unpack_from("<H4xIIH", data, pe + 6)
        self.strings = self.symbols_at + 18 * self.symbol_count
        optional = pe + 24
        if struct.unpack_from("<H", data, optional)[0] != 0x20B:
            raise ValueError("not a 64-bit image")
        self.dll_characteristics = struct.unpack_from("<H", data, optional + 70)[0]
        self.directories = [struct.unpack_from("<II", data, optional + 112 + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(sections):
            at = optional + optional_size + 40 * i
            name = data[at:at + 8].rstrip(b"\0").decode("latin-1")
            if name.startswith("/") and self.symbols_at:  # a long name, kept in the string table
                name = self.string(self.strings + int(name[1:]))
            size, address, raw_size, raw = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((name, address, max(size, raw_size), raw))

    def string(self, at):
        return self.data[at:self.data.index(b"\0", at)].decode("latin-1")

    def offset(self, rva):
        for _, address, size, raw in self.sections:
            if address <= rva < address + size:
                return raw + rva - address
        raise ValueError("address 0x%x outside every section" % rva)

    def text(self, rva):
        return self.string(self.offset(rva)).lower()

    def section(self, wanted):
        name, address, size, _ = next(s for s in self.sections if s[0] == wanted)
        return address, self.data[self.offset(address):self.offset(address) + size]

    def symbols(self):
        """The COFF symbol table: name -> address of each symbol defined in a section; the functions' addresses."""
        names, functions, i = {}, set(), 0
        while i < self.symbol_count:
            at = self.symbols_at + 18 * i
            short, value, section, kind, _, aux = struct.unpack_from("<8sIhHBB", self.data, at)
            if section > 0:
                name = short.rstrip(b"\0").decode("latin-1") if short[:4] != bytes(4) else self.string(
                    self.strings + struct.unpack_from("<I", short, 4)[0])
                names[name] = self.sections[section - 1][1] + value
                if kind == 0x20:
                    functions.add(names[name])
            i += 1 + aux
        return names, sorted(functions)

    def imports(self):
        """The import directory, which the loader resolves before the program runs: DLL -> name -> its slot."""
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
            functions = found.setdefault(self.text(name), {})
            slot = struct.unpack_from("<I", entry, 16)[0]
            thunk = self.offset(lookup or slot)
            while True:
                value = struct.unpack_from("<Q", self.data, thunk)[0]
                if not value:
                    break
                if not value & (1 << 63):  # by name: a hint, then the name
                    functions[self.text((value & 0x7FFFFFFF) + 2)] = slot
                thunk, slot = thunk + 8, slot + 8
            at += 20

    def calls(self, start, end, targets):
        """(address, target) of each call in [start, end) to one of `targets`: direct (E8) or through an import
        slot (FF 15). Read at every byte; another instruction's bytes could only pass for such a call by chance."""
        code = self.data[self.offset(start):self.offset(start) + end - start]
        found = []
        for m in re.finditer(b"\xe8|\xff\x15", code[:-4]):
            target = start + m.end() + 4 + struct.unpack_from("<i", code, m.end())[0]
            if target in targets:
                found.append((start + m.start(), target))
        return found

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
        with open(EXE + ".debug", "rb") as f:
            cls.debug = PeFile(f.read())
        cls.symbols, cls.functions = cls.debug.symbols()

    def function(self, name):  # from its start up to the next function's
        return self.symbols[name], next(a for a in self.functions if a > self.symbols[name])

    def test_header_asks_for_aslr_with_high_entropy_and_dep(self):
        flags = self.pe.dll_characteristics
        self.assertTrue(flags & 0x0040, "DYNAMIC_BASE")
        self.assertTrue(flags & 0x0020, "HIGH_ENTROPY_VA")
        self.assertTrue(flags & 0x0100, "NX_COMPAT")

    def test_carries_no_debug_information_and_names_the_debug_file_beside_it(self):
        names = [name for name, _, _, _ in self.pe.sections]
        self.assertEqual([n for n in names if n.startswith(".debug")], [])
        self.assertIn(".gnu_debuglink", names)
        # The link: the debug file's name, padded to four bytes, then the CRC-32 of that file as built with it.
        _, link = self.pe.section(".gnu_debuglink")
        name = link[:link.index(b"\0")].decode("latin-1")
        self.assertEqual(name, os.path.basename(EXE) + ".debug")
        self.assertEqual(struct.unpack_from("<I", link, (len(name) + 4) & ~3)[0], zlib.crc32(self.debug.data))
        self.assertIn(".debug_info", [n for n, _, _, _ in self.debug.sections])

    def test_loads_only_known_system_dlls_at_start_and_the_others_late(self):
        direct = set(self.pe.imports())
        self.assertEqual(direct - KNOWN, set())
        # Loaded on first use. GNU ld leaves the delay-import directory (data directory 13) empty: the descriptors
        # are found by the names dlltool gives them, and each names its DLL second.
        late = {self.pe.text(struct.unpack_from("<I", self.pe.data, self.pe.offset(a) + 4)[0])
                for n, a in self.symbols.items() if n.startswith("__DELAY_IMPORT_DESCRIPTOR_")}
        self.assertEqual(late, LATE)
        self.assertEqual(direct & late, set())

    def test_limits_the_dll_search_to_the_system_folder_before_anything_else(self):
        # What runs before the entry (the C runtime's start, static constructors) is not read here.
        slots = {slot for functions in self.pe.imports().values() for slot in functions.values()}
        start, end = self.function("wWinMain")
        calls = self.pe.calls(start, end, slots | set(self.functions))
        self.assertEqual(calls[0][1], self.pe.imports()["kernel32.dll"]["setdefaultdlldirectories"])
        # Its one argument, LOAD_LIBRARY_SEARCH_SYSTEM32, goes in ecx: mov ecx, imm32.
        self.assertIn(b"\xb9\x00\x08\x00\x00", self.pe.data[self.pe.offset(start):self.pe.offset(calls[0][0])])

    def test_guards_its_stack_and_fortifies_its_library_calls(self):
        start, end = self.function("wWinMain")  # its locals have their addresses taken: a guarded frame
        self.assertTrue(self.pe.calls(start, end, {self.symbols.get("__stack_chk_fail")}))
        # Fortified copies (__memcpy_chk, ...) called from somewhere in the program.
        checked = {a for n, a in self.symbols.items() if re.fullmatch(r"__[a-z]+_chk", n)}
        address, code = self.pe.section(".text")
        self.assertTrue(self.pe.calls(address, address + len(code), checked))

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
