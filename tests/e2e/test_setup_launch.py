"""The real launcher starts setup from a medium, or says why it cannot."""

import re
import shutil
import unittest

from launch_case import LaunchCase, TEMP, wd

SUFFIX = wd.advice_suffix()
# With nothing installed, the check of the installed copy finds the gap first.
MISSING_ADVICE = "Program install files missing (2) <> <" + SUFFIX


class StartsSetup(LaunchCase):
    def test_each_layout_starts_setup_with_the_medium_directory(self):
        for sample, command_line, directory in (
                ("compressed", TEMP + '\\LXV.EXE "D:\\"', TEMP),
                ("nested", TEMP + '\\LXV.EXE "D:\\lxv\\win32\\"', TEMP),
                ("plain", 'D:\\LXV.EXE "D:\\"', "D:\\")):
            with self.subTest(sample=sample):
                # The previous setup installed a copy newer than the medium.
                wd.forget_installed_copy()
                wd.clear_temp_directory()
                self.medium(sample)
                run = self.launch("autorun")
                self.assertEqual((run.exit_code, run.boxes), (0, []))
                self.assertStartedOnce(run, command_line, directory)
                if sample == "plain":
                    self.assertEqual(self.temp_names(), [])
                else:
                    for name in ("Lxv.exe", "Pyrn.DLL"):
                        self.assertEqual((self.temp / name).read_bytes(), self.original(name))

    def test_medium_in_a_folder_with_spaces_is_passed_in_short_form(self):
        folder = wd.prefix() / "drive_c" / "Lexivane Medium Folder"
        shutil.rmtree(folder, ignore_errors=True)
        shutil.copytree(wd.MEDIA / "compressed", folder)
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        run = self.launch(program="C:\\Lexivane Medium Folder\\LAUNCH.EXE")
        self.assertEqual(run.boxes, [])
        self.assertEqual(len(run.records), 1, run)
        match = re.fullmatch(re.escape(TEMP) + r'\\LXV.EXE "(C:\\[^\\ ]{1,8}(\.[^\\ ]{1,3})?\\)"',
                             run.records[0]["command_line"])
        self.assertIsNotNone(match, run.records)


class UsesTheTemporaryDirectory(LaunchCase):
    def test_unreadable_temporary_directory_is_reported_and_c_root_used(self):
        self.medium("compressed")
        self.set_temp("C:\\" + "x" * 270)
        drive_c = wd.prefix() / "drive_c"
        for name in ("Lxv.exe", "Pyrn.DLL"):
            self.addCleanup(lambda n=name: (drive_c / n).unlink(missing_ok=True))
        run = self.launch("autorun")
        # Wine answers "too long" as a failure; Windows would answer the size
        # needed, which the launcher refuses instead.
        self.assertEqual(run.boxes, [("Windows Error: GetTempPath", "File name is too long. ")])
        self.assertStartedOnce(run, 'c:\\LXV.EXE "D:\\"', "c:\\")
        self.assertEqual((drive_c / "Lxv.exe").read_bytes(), self.original("Lxv.exe"))


class RefusesIncompleteMedia(LaunchCase):
    def test_each_missing_install_file_gives_the_advice_and_starts_nothing(self):
        for missing in ("Lxv.Ex_", "Pyrn.Dl_", "Prelude.Msg", "Shared.604", "DialEn.604"):
            with self.subTest(missing=missing):
                self.medium("compressed", remove=[missing])
                run = self.launch("autorun")
                self.assertEqual(run.exit_code, 0)
                self.assertEqual(run.boxes, [("Check Startup", MISSING_ADVICE)])
                self.assertNothingStarted(run)
                self.assertEqual(self.temp_names(), [])

class ReportsExpansionFailures(LaunchCase):
    def test_missing_compressed_library_shows_only_the_source_box(self):
        folder = self.medium("compressed", remove=["Pyrn.Dl_"])
        shutil.copy(wd.MEDIA / "plain" / "Pyrn.Dll", folder / "PYRN.DLL")
        run = self.launch("autorun")
        self.assertEqual(run.boxes, [("CopyFile", 'Error opening source file "D:\\Pyrn.Dl_"')])
        self.assertNothingStarted(run)
        self.assertEqual(self.temp_names(), ["Lxv.exe"])


if __name__ == "__main__":
    unittest.main()
