"""The real launcher meets an installed copy: it refuses an incomplete medium
and says why, stays silent in autorun mode when the installed program is newer,
and hands a modules-only medium to the installed application."""

import os
import re
import shutil
import unittest

from launch_case import LaunchCase, wd

SUFFIX = wd.ADVICE_SUFFIX
INSTALL = "C:\\Program Files\\Lexivane\\"
DATA = "C:\\Lexivane Data\\"
KEY = "HKEY_CURRENT_USER\\" + wd.UNINSTALL_KEY
DEBUG_KEY = "HKCU\\Software\\Wine\\Debug"
STARTED_INSTALLED = '"C:\\Program Files\\Lexivane\\Lxv.Exe"'
YEAR_2005, YEAR_2010 = 1104580800, 1262347200


def reg_text(value):
    return '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'


class InstalledCopyCase(LaunchCase):
    def setUp(self):
        super().setUp()
        self.drive_c = wd.prefix() / "drive_c"
        self.install = self.drive_c / "Program Files" / "Lexivane"
        self.data = self.drive_c / "Lexivane Data"

    def register(self, display_name=None, uninstall=None, program=True, data=True,
                 display_dword=None):
        """An installed copy as the stand-in's setup leaves it."""
        values = []
        if display_name is not None:
            values.append(f'"DisplayName"={reg_text(display_name)}')
        if display_dword is not None:
            values.append(f'"DisplayName"=dword:{display_dword:08x}')
        if uninstall is None:
            uninstall = INSTALL + 'LxvDel.Exe /u x "' + DATA + '"'
        values.append(f'"UninstallString"={reg_text(uninstall)}')
        wd.reg_import(f"[{KEY}]\n" + "\n".join(values) + "\n")
        self.install.mkdir(parents=True, exist_ok=True)
        if program:
            shutil.copy(wd.MEDIA / "originals" / "Lxv.exe", self.install / "Lxv.Exe")
            shutil.copy(wd.MEDIA / "originals" / "Pyrn.DLL", self.install / "Pyrn.DLL")
        if data:
            self.data.mkdir(parents=True, exist_ok=True)

    def modules_medium(self, files=(), folders=(), drive="d", subfolder=None):
        """A medium with the start program and content modules only."""
        root = self.work / "modules"
        shutil.rmtree(root, ignore_errors=True)
        folder = root / subfolder if subfolder else root
        folder.mkdir(parents=True)
        shutil.copy(wd.MEDIA / "compressed" / "LAUNCH.EXE", folder / "LAUNCH.EXE")
        for name in files:
            (folder / name).write_text(f"module {name}\r\n")
        for name in folders:
            (folder / name).mkdir()
        wd.map_drive(drive, root)
        return folder


class Decisions(InstalledCopyCase):
    def test_registration_without_a_name_shows_the_open_bracket_advice(self):
        self.modules_medium(["alpha.604"])
        self.register(uninstall=INSTALL + "LxvDel.Exe /u x D:\\DATA\\")
        run = self.launch()
        self.assertEqual(run.boxes, [("Check Startup", "Program install files missing (2) <> <"
                                      + INSTALL + SUFFIX)])
        self.assertNothingStarted(run)

    def test_too_old_for_modules_is_advised(self):
        self.modules_medium(["alpha.604"])
        self.register("Lexivane 7.05")
        run = self.launch()
        self.assertEqual(run.boxes, [("Check Startup",
                                      "Current Lexivane Program too old to install modules" + SUFFIX)])
        self.assertNothingStarted(run)

    def test_complete_medium_launches_setup_whatever_the_version(self):
        self.medium("compressed")
        self.register("Lexivane 7.05")
        run = self.launch()
        self.assertEqual(run.boxes, [])
        self.assertEqual(run.records[0]["command_line"].split(" ")[-1], '"D:\\"')

    def test_installed_program_missing_is_not_properly_installed(self):
        self.modules_medium(["alpha.604"])
        self.register("Lexivane 9.1", program=False)
        run = self.launch()
        self.assertEqual(run.boxes, [("Check Startup", "Program not properly installed" + SUFFIX)])
        self.assertNothingStarted(run)

    def test_version_too_large_for_an_integer_ends_in_the_last_chance_box(self):
        self.modules_medium(["alpha.604"])
        self.register("Lexivane 2147483648")
        run = self.launch()
        self.assertEqual(run.exit_code, 1)
        self.assertEqual(len(run.boxes), 1, run)
        caption, text = run.boxes[0]
        self.assertEqual(caption, "Application Error")
        self.assertRegex(text, r"^Exception EConvertError in module LAUNCH\.EXE at [0-9A-F]{8}\.\n"
                               r"'2147483648' is not a valid integer value\.$")
        self.assertNothingStarted(run)

    def test_name_stored_as_a_number_is_reported_and_its_bytes_decide(self):
        self.modules_medium(["alpha.604"])
        registry_box = ("Setup Error", "Error accessing LXV Windows' Registry")
        # The bytes '8' '5': version 85000000, outside the window; the install
        # directory stays empty, so Lxv.Exe is looked for in the current one.
        self.register(display_dword=0x3538)
        run = self.launch()
        self.assertEqual(run.boxes, [registry_box,
                                     ("Check Startup", "Program not properly installed" + SUFFIX)])

    def test_install_directory_that_cannot_be_made_current_starts_nothing(self):
        self.modules_medium(["alpha.604"])
        # No uninstaller name: no install directory, so "Lxv.Exe" is found in
        # the current directory, and the empty install directory cannot be
        # made current.
        self.register("Lexivane 9.1", uninstall="Remove.exe /u")
        current = self.work / "current"
        current.mkdir()
        shutil.copy(wd.MEDIA / "originals" / "Lxv.exe", current / "Lxv.Exe")
        run = self.launch(cwd=current)
        self.assertEqual(run.exit_code, 1)
        self.assertEqual([caption for caption, _ in run.boxes], ["Application Error"])
        self.assertRegex(run.boxes[0][1], r"^Exception EInOutError .*\nI/O error 123\.$")
        self.assertNothingStarted(run)
        self.assertEqual((current / "AutoLoad.Lst").read_bytes(), b"D:\\alpha.604\r\nSetup 2.0\r\n")


class AutorunRule(InstalledCopyCase):
    def setUp(self):
        super().setUp()
        self.folder = self.medium("compressed")
        os.utime(self.folder / "Lxv.Ex_", (YEAR_2005, YEAR_2005))
        self.register("Lexivane 9.1")

    def test_newer_installed_copy_silences_autorun(self):
        os.utime(self.install / "Lxv.Exe", (YEAR_2010, YEAR_2010))
        run = self.launch("AutoRun")
        self.assertEqual((run.exit_code, run.boxes, run.records), (0, [], []))
        self.assertEqual(self.temp_names(), [])
        # Without autorun, setup starts whatever is installed.
        self.assertEqual(len(self.launch().records), 1)

    def test_newer_installed_copy_silences_autorun_of_a_plain_medium(self):
        folder = self.medium("plain")
        os.utime(folder / "Lxv.Exe", (YEAR_2005, YEAR_2005))
        os.utime(self.install / "Lxv.Exe", (YEAR_2010, YEAR_2010))
        run = self.launch("autorun")
        self.assertEqual((run.boxes, run.records), ([], []))


class HandOff(InstalledCopyCase):
    def assertHandedOver(self, run, list_file, listed, boxes=None):
        self.assertEqual(run.exit_code, 0)
        self.assertEqual(len(run.records), 1, run)
        record = run.records[0]
        self.assertEqual(record["command_line"], STARTED_INSTALLED)
        self.assertEqual(record["directory"].rstrip("\\"), INSTALL.rstrip("\\"))
        self.assertEqual(record["list_file"], list_file)
        lines = record["list"].split("|")
        self.assertEqual(lines[-1], "Setup 2.0")
        self.assertEqual(sorted(lines[:-1]), sorted(listed))

    def test_example_medium_hands_over_its_one_module(self):
        self.modules_medium(["alpha.604", "prelude.604", "Shared.604", "earlyen.604",
                             "dialfr.604", "readme.txt"])
        self.register("Lexivane 9.1")
        (self.data / "AutoLoad.Lst").write_text("an older list\r\n")
        run = self.launch("autorun")
        self.assertHandedOver(run, DATA + "AutoLoad.Lst", ["D:\\alpha.604"])
        self.assertEqual(run.boxes, [("Lexivane", "Installed modules: alpha.604")])
        self.assertEqual((self.data / "alpha.604").read_bytes(), b"module alpha.604\r\n")

    def test_data_directory_is_probed_with_critical_error_boxes_off(self):
        self.modules_medium(["alpha.604"])
        self.register("Lexivane 9.1")
        # Relay-trace the two calls: the error mode, and the probe's creation.
        wd.reg_add(DEBUG_KEY, "RelayInclude", "kernel32.SetErrorMode;kernel32.CreateFileA")
        self.addCleanup(wd.reg_delete, DEBUG_KEY)
        run = self.launch(extra_env={"WINEDEBUG": "+msgbox,+relay"})
        steps = []
        for call in re.finditer(r'Call KERNEL32\.(\w+)\((\w+)(?: "([^"]*)")?', run.trace):
            name, first, text = call.groups()
            steps.append(f"{name} {text or first}")
        self.assertEqual(steps[:3], ["SetErrorMode 00000001",
                                     "CreateFileA C:\\\\Lexivane Data\\\\$$$.$$$",
                                     "SetErrorMode 00000000"])
        self.assertEqual(len(run.records), 1)

    def test_unusable_data_directory_sends_the_list_to_the_install_directory(self):
        self.modules_medium(["alpha.604"])
        # R: is a drive whose file system takes no new file.
        self.register("Lexivane 9.1", uninstall=INSTALL + "LxvDel.Exe /u x R:\\")
        run = self.launch()
        self.assertHandedOver(run, INSTALL + "AutoLoad.Lst", ["D:\\alpha.604"])

    def test_no_modules_deletes_an_old_list_and_still_starts_the_application(self):
        self.modules_medium(["readme.txt", "Shared.604"])
        self.register("Lexivane 9.1")
        (self.data / "AutoLoad.Lst").write_text("an older list\r\n")
        run = self.launch()
        self.assertFalse((self.data / "AutoLoad.Lst").exists())
        self.assertEqual(run.records[0]["list_file"], "none")
        self.assertEqual(run.boxes, [("Lexivane", "Lexivane is ready. No modules were waiting.")])

    def test_list_that_cannot_be_written_is_advised_and_the_application_still_starts(self):
        self.modules_medium(["alpha.604"])
        self.register("Lexivane 9.1", data=False)
        (self.install / "AutoLoad.Lst").mkdir()
        run = self.launch()
        self.assertEqual(run.boxes, [("Check Startup", "Unable to Auto Install modules" + SUFFIX),
                                     ("Lexivane", "Lexivane is ready. No modules were waiting.")])
        self.assertEqual(run.records[0]["command_line"], STARTED_INSTALLED)


if __name__ == "__main__":
    unittest.main()
