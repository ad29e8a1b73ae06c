"""The real launcher meets an installed copy: it refuses an incomplete medium
and says why, stays silent in autorun mode when the installed program is newer,
and hands a modules-only medium to the installed application."""

import os
import re
import shutil
import unittest

from launch_case import LaunchCase, wd

SUFFIX = wd.advice_suffix()
INSTALL = "C:\\Program Files\\Lexivane\\"
DATA = "C:\\Lexivane Data\\"
KEY = "HKEY_CURRENT_USER\\" + wd.UNINSTALL_KEY
DEBUG_KEY = "HKCU\\Software\\Wine\\Debug"
STARTED_INSTALLED = '"C:\\Program Files\\Lexivane\\Lxv.Exe"'
READY = ("Lexivane", "Lexivane is ready. No modules were waiting.")
YEAR_2005, YEAR_2010 = 1104580800, 1262347200


def reg_text(value):
    return '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'


class InstalledCopyCase(LaunchCase):
    def setUp(self):
        super().setUp()
        self.install = wd.prefix() / "drive_c" / "Program Files" / "Lexivane"
        self.data = wd.prefix() / "drive_c" / "Lexivane Data"

    def register(self, display_name="Lexivane 9.1", uninstall=INSTALL + f'LxvDel.Exe /u x "{DATA}"',
                 program=True, data=True):
        """An installed copy as the stand-in's setup leaves it; display_name
        may be a number (stored as a DWORD) or None."""
        values = [f'"UninstallString"={reg_text(uninstall)}']
        if isinstance(display_name, int):
            values.append(f'"DisplayName"=dword:{display_name:08x}')
        elif display_name is not None:
            values.append(f'"DisplayName"={reg_text(display_name)}')
        wd.reg_import(f"[{KEY}]\n" + "\n".join(values) + "\n")
        self.install.mkdir(parents=True, exist_ok=True)
        if program:
            shutil.copy(wd.MEDIA / "originals" / "Lxv.exe", self.install / "Lxv.Exe")
            shutil.copy(wd.MEDIA / "originals" / "Pyrn.DLL", self.install / "Pyrn.DLL")
        if data:
            self.data.mkdir(parents=True, exist_ok=True)

    def modules_medium(self, *files):
        """A medium with the start program and content modules only, in D:."""
        folder = self.work / "modules"
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir()
        shutil.copy(wd.MEDIA / "compressed" / "LAUNCH.EXE", folder / "LAUNCH.EXE")
        for name in files:
            (folder / name).write_text(f"module {name}\r\n")
        wd.map_drive("d", folder)


class Decisions(InstalledCopyCase):
    def test_each_advice_starts_nothing(self):
        self.modules_medium("alpha.604")
        for registration, advice in (
                (dict(display_name=None, uninstall=INSTALL + "LxvDel.Exe /u x D:\\DATA\\"),
                 "Program install files missing (2) <> <" + INSTALL),
                (dict(display_name="Lexivane 7.05"),
                 "Current Lexivane Program too old to install modules"),
                (dict(program=False), "Program not properly installed")):
            with self.subTest(advice=advice):
                wd.forget_installed_copy()
                self.register(**registration)
                run = self.launch()
                self.assertEqual(run.boxes, [("Check Startup", advice + SUFFIX)])
                self.assertNothingStarted(run)

    def test_complete_medium_launches_setup_whatever_the_version(self):
        self.medium("compressed")
        self.register("Lexivane 7.05")
        run = self.launch()
        self.assertEqual(run.boxes, [])
        self.assertEqual(run.records[0]["command_line"].split(" ")[-1], '"D:\\"')

    def test_version_too_large_for_an_integer_ends_in_the_last_chance_box(self):
        self.modules_medium("alpha.604")
        self.register("Lexivane 2147483648")
        run = self.launch()
        self.assertEqual(run.exit_code, 1)
        self.assertEqual(len(run.boxes), 1, run)
        self.assertEqual(run.boxes[0][0], "Application Error")
        self.assertRegex(run.boxes[0][1],
                         r"^Exception EConvertError in module LAUNCH\.EXE at [0-9A-F]{8}\.\n"
                         r"'2147483648' is not a valid integer value\.$")
        self.assertNothingStarted(run)

    def test_name_stored_as_a_number_is_reported_and_its_bytes_decide(self):
        self.modules_medium("alpha.604")
        # The bytes '8' '5': version 85000000, outside the window; the install
        # directory stays empty, so Lxv.Exe is looked for in the current one.
        self.register(0x3538)
        self.assertEqual(self.launch().boxes, [
            ("Setup Error", "Error accessing LXV Windows' Registry"),
            ("Check Startup", "Program not properly installed" + SUFFIX)])

class AutorunRule(InstalledCopyCase):
    def test_newer_installed_copy_silences_autorun_of_either_medium(self):
        self.register()
        os.utime(self.install / "Lxv.Exe", (YEAR_2010, YEAR_2010))
        for sample, program in (("compressed", "Lxv.Ex_"), ("plain", "Lxv.Exe")):
            with self.subTest(sample=sample):
                os.utime(self.medium(sample) / program, (YEAR_2005, YEAR_2005))
                run = self.launch("AutoRun")
                self.assertEqual((run.exit_code, run.boxes, run.records), (0, [], []))
                self.assertEqual(self.temp_names(), [])
        # Without autorun, setup starts whatever is installed.
        self.assertEqual(len(self.launch().records), 1)


class HandOff(InstalledCopyCase):
    def older_list(self):
        """A list that an earlier hand-off left, which no application took."""
        older = self.data / "AutoLoad.Lst"
        older.write_text("an older list\r\n")
        os.utime(older, (YEAR_2010, YEAR_2010))
        return older

    def assertHandedOver(self, run, list_file, listed):
        self.assertEqual(run.exit_code, 0)
        self.assertEqual(len(run.records), 1, run)
        record = run.records[0]
        self.assertEqual(record["command_line"], STARTED_INSTALLED)
        self.assertEqual(record["directory"].rstrip("\\"), INSTALL.rstrip("\\"))
        self.assertEqual((record["list_file"], record["list"]), (list_file, listed))

    def test_example_medium_hands_over_its_one_module(self):
        self.modules_medium("alpha.604", "prelude.604", "Shared.604", "earlyen.604",
                            "dialfr.604", "readme.txt")
        self.register()
        self.older_list()
        run = self.launch("autorun")
        self.assertHandedOver(run, DATA + "AutoLoad.Lst", "D:\\alpha.604|Setup 2.0")
        self.assertEqual(run.boxes, [("Lexivane", "Installed modules: alpha.604")])
        self.assertEqual((self.data / "alpha.604").read_bytes(), b"module alpha.604\r\n")

    def test_data_directory_is_probed_with_critical_error_boxes_off(self):
        self.modules_medium("alpha.604")
        self.register()
        # Relay-trace the two calls: the error mode, and the probe's creation.
        wd.reg_add(DEBUG_KEY, "RelayInclude", "kernel32.SetErrorMode;kernel32.CreateFileA")
        self.addCleanup(wd.reg_delete, DEBUG_KEY)
        run = self.launch(extra_env={"WINEDEBUG": "+msgbox,+relay"})
        steps = [f"{name} {text or first}" for name, first, text in
                 re.findall(r'Call KERNEL32\.(\w+)\((\w+)(?: "([^"]*)")?', run.trace)]
        probe = steps.index("SetErrorMode 00000001") if "SetErrorMode 00000001" in steps else 0
        self.assertEqual(steps[probe:probe + 3], ["SetErrorMode 00000001",
                                     "CreateFileA C:\\\\Lexivane Data\\\\$$$.$$$",
                                     "SetErrorMode 00000000"])
        self.assertEqual(len(run.records), 1)

    def test_no_modules_deletes_an_old_list_and_still_starts_the_application(self):
        self.modules_medium("readme.txt", "Shared.604")
        for mode in (0o644, 0o444):  # a read-only list goes too
            with self.subTest(mode=oct(mode)):
                wd.forget_installed_copy()
                self.register()
                self.older_list().chmod(mode)
                run = self.launch()
                self.assertFalse((self.data / "AutoLoad.Lst").exists())
                self.assertEqual(run.records[0]["list_file"], "none")
                self.assertEqual(run.boxes, [READY])

    def test_list_that_cannot_be_written_is_advised_and_the_application_still_starts(self):
        self.modules_medium("alpha.604")
        self.register(data=False)
        (self.install / "AutoLoad.Lst").mkdir()
        run = self.launch()
        self.assertEqual(run.boxes, [("Check Startup", "Unable to Auto Install modules" + SUFFIX),
                                     READY])
        self.assertEqual(run.records[0]["command_line"], STARTED_INSTALLED)


if __name__ == "__main__":
    unittest.main()
