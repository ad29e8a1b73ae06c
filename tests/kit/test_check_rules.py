"""The medium check's own rules, on the host: autorun.inf as Windows reads
it, what counts as a registry change, and which processes the machine's
recorder names."""

import pathlib
import sys
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2]))
from kit.checking import medium_files  # noqa: E402
from kit.sealing import machine_recorder, sealed_machine, wine_registry  # noqa: E402


class AutorunInf(unittest.TestCase):
    def test_open_line_as_windows_reads_it(self):
        for text, found in (
                ("[autorun]\r\nopen=LAUNCH.EXE autorun\r\n", ("LAUNCH.EXE", ["autorun"])),
                ('[AutoRun]\nOPEN = "LAUNCH.EXE"  AutoRun\n', ("LAUNCH.EXE", ["AutoRun"])),
                ('[autorun]\nopen="my setup.exe" "autorun" x\n', ("my setup.exe", ["autorun", "x"])),
                ("[autorun]\nicon=a.ico\nopen=LAUNCH.EXE\nopen=OTHER.EXE autorun\n",
                 ("LAUNCH.EXE", [])),
                ("open=LAUNCH.EXE autorun\n", None),
                ("[other]\nopen=LAUNCH.EXE autorun\n", None),
                ("[autorun]\nopen=\n", None),
                ("[autorun]\n; open=LAUNCH.EXE autorun\n", None)):
            with self.subTest(text=text):
                self.assertEqual(medium_files.autorun_open(text), found)


def registry(text):
    return wine_registry.parse("WINE REGISTRY Version 2\n\n" + text, "HKCU")


class RegistryChanges(unittest.TestCase):
    BEFORE = ('[Software\\\\Wine\\\\AppDefaults] 1\n#time=1\n\n'
              '[Software\\\\Data] 1\n"Long"=hex:01,02,\\\n  03\n"Kept"="a"\n')

    def test_each_change_once_in_words(self):
        after = ('[Software\\\\Wine\\\\AppDefaults\\\\LAUNCH.EXE] 2\n#time=2\n"Version"="win95"\n\n'
                 '[Software\\\\Data] 2\n"Long"=hex:01,02,\\\n  04\n\n'
                 '[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run] 2\n"x"="x.exe"\n')
        self.assertEqual(wine_registry.differences(registry(self.BEFORE), registry(after)), [
            "registry value HKCU\\Software\\Data\\Kept deleted",
            "registry value HKCU\\Software\\Data\\Long changed = hex:01,02,04",
            "registry key HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run added",
            "registry value HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\x added "
            '= "x.exe" (a program that Windows starts at every logon)',
            "registry key HKCU\\Software\\Wine\\AppDefaults\\LAUNCH.EXE added",
            'registry value HKCU\\Software\\Wine\\AppDefaults\\LAUNCH.EXE\\Version added = '
            '"win95"'])

    def test_times_and_wines_own_date_are_no_change(self):
        same = self.BEFORE.replace("] 1", "] 9").replace("#time=1", "#time=9")
        self.assertEqual(wine_registry.differences(registry(self.BEFORE), registry(same)), [])
        display = ("System\\\\CurrentControlSet\\\\Control\\\\Class\\\\"
                   "{4D36E968-E325-11CE-BFC1-08002BE10318}\\\\0000")
        keys = [wine_registry.parse(f'[{display}] 1\n"DriverDateData"=hex:0{n}\n', "HKLM")
                for n in (1, 2)]
        self.assertEqual(wine_registry.differences(*keys), [])

    def test_a_service_is_named(self):
        after = '[System\\\\CurrentControlSet\\\\Services\\\\evil] 1\n"ImagePath"="evil.exe"\n'
        self.assertIn("registry key HKCU\\System\\CurrentControlSet\\Services\\evil added "
                      "(a service)", wine_registry.differences({}, registry(after)))


class Boxes(unittest.TestCase):
    def test_the_screens_windows_with_the_texts_read_from_them(self):
        self.assertEqual(sealed_machine.boxes_shown(
            ["Setup", "winedbg.exe", "Setup"],
            [("Setup", "first"), ("Setup", "second"), ("Brief", "gone at once")]),
            [("Setup", "first"), ("winedbg.exe", ""), ("Setup", "second"),
             ("Brief", "gone at once")])


class RecordedProcesses(unittest.TestCase):
    def watch(self, **entries):
        watch = machine_recorder.Watch()
        for pid, entry in enumerate(entries.values(), 2):
            watch.seen[(pid, 0)] = dict({"orphan": True, "parent": "python3"}, **entry)
        return [(record["where"], record["name"]) for record in watch.records()]

    def test_what_is_named_and_what_is_not(self):
        wine = {"program": "/usr/lib/wine/wine", "arguments": ["C:\\x.exe"], "directory": "/"}
        unix = {"program": "/bin/sh", "arguments": ["sh"], "directory": "/"}
        self.assertEqual(self.watch(
            reported={"name": "x.exe", "wine": dict(wine, name="x.exe"), "windows": "x.exe"},
            service={"name": "evil.exe", "wine": dict(wine, name="evil.exe")},
            shell={"name": "sh", "unix": dict(unix, name="sh")},
            hidden={"name": "LAUNCH.EXE", "unix": dict(unix, name="python3")},
            gone={"name": "cp"},
            fork={"name": "LAUNCH.EXE", "orphan": False, "parent": "LAUNCH.EXE",
                  "wine": dict(wine, name="LAUNCH.EXE")},
            reaped_fork={"name": "LAUNCH.EXE", "orphan": False, "parent": "LAUNCH.EXE"}),
            [("outside", "evil.exe"), ("unix", "sh"), ("unknown", "LAUNCH.EXE"),
             ("unknown", "cp")])


if __name__ == "__main__":
    unittest.main()
