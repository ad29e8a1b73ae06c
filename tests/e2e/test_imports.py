"""The shipped program must load on Windows 95 and NT 4: it imports only from
the system DLLs they have (no C runtime DLL, which the first Windows 95 lacks),
and only functions on the checked-in list of functions that both export. Run
against the release build."""

import pathlib
import sys
import re
import runpy
import struct
import subprocess
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2]))
from kit.common import wine_driver as wd  # noqa: E402

# LZ32.DLL is not a known DLL: imported, a copy planted beside the program
# would be loaded in its place. It is loaded from the system directory.
ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll"}
ALLOW_LIST = pathlib.Path(__file__).with_name("win95_nt4_imports.txt")
# Every function that the program looks up by name at run time, never imports:
# absent from Windows 95 and NT 4, in a library loaded by full path, or kept
# off the import list that those systems were tested with.
RESOLVED_AT_RUN_TIME = {
    "kernel32.dll": {"SetDefaultDllDirectories", "SetDllDirectoryA", "MoveFileExA", "OpenMutexA",
                     "GetSystemTimeAsFileTime",
                     "GetModuleFileNameW", "GetTempPathW", "GetShortPathNameW",
                     "GetUserDefaultUILanguage"},
    "lz32.dll": {"LZInit", "LZCopy", "LZClose"},
    "ntdll.dll": {"NtOpenKey", "NtDeleteKey", "NtQueryInformationProcess", "NtQueryInformationFile",
                  "NtSetInformationFile"},
    "advapi32.dll": {"OpenThreadToken", "OpenProcessToken", "AllocateAndInitializeSid",
                     "GetTokenInformation", "EqualSid", "FreeSid", "RegQueryValueExW",
                     "RegEnumKeyExW"},
}


def imports(exe):
    dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", str(exe)],
                          check=True, capture_output=True, text=True).stdout
    found, dll = set(), None
    for line in dump.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1).lower()
            continue
        entry = re.match(r"\t[0-9a-f]+\t\s*\d+\s+(\S+)", line)
        if entry and dll:
            found.add((dll, entry.group(1)))
    return found


def allow_list():
    entries = set()
    for line in ALLOW_LIST.read_text().splitlines():
        line = line.split("#", 1)[0].strip()
        if line:
            dll, function = line.split()
            entries.add((dll.lower(), function))
    return entries


class ShippedProgram(unittest.TestCase):
    def setUp(self):
        self.exe = wd.RELEASE / "launch.exe"
        self.found = imports(self.exe)

    def test_imports_only_from_the_old_system_dlls(self):
        self.assertTrue(self.found, "no imports read")
        self.assertEqual({dll for dll, _ in self.found} - ALLOWED_DLLS, set())

    def test_imports_only_functions_that_windows_95_and_nt4_export(self):
        self.assertEqual(sorted(self.found - allow_list()), [])

    def test_run_time_functions_are_looked_up_by_name_not_imported(self):
        data = self.exe.read_bytes()
        for dll, functions in RESOLVED_AT_RUN_TIME.items():
            for function in sorted(functions):
                with self.subTest(function=function):
                    self.assertNotIn((dll, function), self.found)
                    self.assertTrue(b"\0" + function.encode() + b"\0" in data)
        # Its name may follow other bytes (the linker merges constants).
        self.assertTrue(b"LZ32.DLL\0" in data, "LZ32.DLL is not named")

    def test_load_configuration_takes_imported_dlls_from_the_system_directory(self):
        image = self.exe.read_bytes()
        optional = struct.unpack_from("<I", image, 0x3C)[0] + 24
        rva, size = struct.unpack_from("<II", image, optional + 96 + 8 * 10)
        self.assertEqual(size, 64)  # the size that Windows XP expects
        sections, = struct.unpack_from("<H", image, optional - 18)
        table = optional + struct.unpack_from("<H", image, optional - 4)[0]
        for i in range(sections):
            virtual_size, address, _, raw = struct.unpack_from("<IIII", image, table + 40 * i + 8)
            if address <= rva < address + virtual_size:
                record = image[raw + rva - address:][:size]
                break
        else:
            self.fail("the load configuration lies in no section")
        self.assertEqual(struct.unpack_from("<I", record, 0)[0], 64)
        # DependentLoadFlags: LOAD_LIBRARY_SEARCH_SYSTEM32; nothing else set.
        self.assertEqual(struct.unpack_from("<H", record, 0x36)[0], 0x800)
        self.assertEqual(record[4:0x36] + record[0x38:], bytes(size - 6))

    def test_static_gui_program_with_version_and_manifest(self):
        dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", str(self.exe)],
                              check=True, capture_output=True, text=True).stdout
        self.assertRegex(dump, r"Subsystem\s+00000002")  # Windows GUI
        data = self.exe.read_bytes()
        self.assertIn(b'requestedExecutionLevel level="asInvoker"', data)
        self.assertIn("FileDescription".encode("utf-16-le"), data)
        for word in ("setup", "install", "update", "patch"):
            self.assertNotIn(word.encode("utf-16-le"), data.lower())


class LinkedCode(unittest.TestCase):
    def test_fits_the_budget_without_prebuilt_string_exceptions_or_unwinder(self):
        report = runpy.run_path(str(wd.ROOT / "scripts" / "size-report"))
        self.assertLessEqual((wd.RELEASE / "launch.exe").stat().st_size, report["BUDGET"])
        # Each would add kilobytes to a program that must stay small.
        kept = report["contributors"]((wd.RELEASE / "launch.map").read_text())
        self.assertGreater(len(kept), 20)
        for part in ("string-inst.o", "functexcept.o", "stdexcept.o", "unwind-dw2",
                     "eh_personality.o", "eh_throw.o", "eh_alloc.o"):
            self.assertEqual([name for name in kept if part in name], [], part)


if __name__ == "__main__":
    unittest.main()
