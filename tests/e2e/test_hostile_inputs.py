"""Odd, broken and hostile inputs that once made the real launcher do the
wrong thing: it must now give the specified box or a clear refusal, start
nothing it should not, and leave nothing behind."""

import contextlib
import os
import shutil
import subprocess
import unittest

from launch_case import LaunchCase, TEMP, wd
from test_installed_copy import DATA, INSTALL, READY, SUFFIX, InstalledCopyCase

SETUP_RUNNING = f'Setup is already running from the folder "{TEMP}\\". Finish it, then start again. Nothing was started.'

def nested_folder(top, length):
    """A folder under C:\\top whose Windows path, with its trailing backslash,
    has exactly length characters, made of 8.3 names so that it is its own
    short form."""
    path, windows = wd.prefix() / "drive_c" / top, f"C:\\{top}\\"
    while len(windows) < length:
        left = length - len(windows)
        name = "n" * 8 if left > 11 else ("n" * (left - 3) + ".n" if left > 9 else "n" * (left - 1))
        path, windows = path / name, windows + name + "\\"
    path.mkdir(parents=True)
    return path, windows


@contextlib.contextmanager
def held(path):
    """Keeps path open with no sharing, as a program running from it does."""
    holder = subprocess.Popen(["wine", os.environ["HOLD_FILE"]], stdin=subprocess.PIPE,
                              env=wd.environment() | {"HOLD_FILE_PATH": wd.unix_to_windows(path)},
                              stdout=subprocess.PIPE, text=True)
    try:
        if holder.stdout.readline().strip() != "held":
            raise RuntimeError(f"could not hold {path}")
        yield
    finally:
        holder.stdin.close()
        holder.wait(timeout=60)


class Expansion(LaunchCase):
    def test_occupied_temporary_name_stops_and_leaves_nothing_under_another(self):
        self.medium("compressed")
        # An older setup's folder, or its program that it still runs.
        for what, box in (("folder", ("CopyFile", f'Error opening destination file "{TEMP}\\Lxv.exe"')),
                          ("held file", ("Cannot Start", SETUP_RUNNING))):
            with self.subTest(what):
                wd.clear_temp_directory()
                stale = self.temp / "Lxv.exe"
                if what == "folder":
                    stale.mkdir()
                    run = self.launch("autorun")
                else:
                    stale.write_bytes(b"older setup")
                    with held(stale):
                        run = self.launch("autorun")
                    self.assertEqual(stale.read_bytes(), b"older setup")
                self.assertEqual(run.boxes, [box])
                self.assertNothingStarted(run)
                self.assertEqual(self.temp_names(), ["Lxv.exe"])

    def test_ended_launchers_partial_files_go_but_nothing_through_a_link(self):
        self.medium("compressed")
        document = self.work / "document.txt"
        document.write_text("a user's document")
        # The cut copies of launchers that were ended; under their names a
        # folder and a link to a user's file; a name that only looks alike.
        for name in ("~Lxv0000", "~LxvFFFF"):
            (self.temp / name).write_bytes(bytes(1 << 20))
        (self.temp / "~Lxv0001").mkdir()
        (self.temp / "~Lxv0002").symlink_to(document)
        (self.temp / "~Lxv00003").write_text("someone else's")
        run = self.launch("autorun")
        self.assertEqual((run.boxes, len(run.records)), ([], 1))
        self.assertEqual(document.read_text(), "a user's document")
        self.assertEqual(self.temp_names(), sorted(["Lxv.exe", "Pyrn.DLL", "~Lxv0001", "~Lxv0002", "~Lxv00003"]))

    def test_medium_and_temporary_directory_past_128_characters_expand(self):
        drive_c = wd.prefix() / "drive_c"
        medium, medium_path = nested_folder("longmed", 140)
        temp, temp_path = nested_folder("longtemp", 130)
        self.addCleanup(shutil.rmtree, drive_c / "longmed", ignore_errors=True)
        self.addCleanup(shutil.rmtree, drive_c / "longtemp", ignore_errors=True)
        shutil.copytree(wd.MEDIA / "compressed", medium, dirs_exist_ok=True)
        self.set_temp(temp_path.rstrip("\\"))
        run = self.launch("autorun", program=medium_path + "LAUNCH.EXE")
        self.assertEqual(run.boxes, [])
        self.assertStartedOnce(run, temp_path + f'LXV.EXE "{medium_path}"', temp_path.rstrip("\\"))
        for name in ("Lxv.exe", "Pyrn.DLL"):
            self.assertEqual((temp / name).read_bytes(), self.original(name))

    def test_medium_and_temporary_directory_outside_the_code_page_go_by_their_short_forms(self):
        drive_c = wd.prefix() / "drive_c"
        for name in ("\u041c\u0435\u0434\u0438\u0430", "\u0141ukasz"):  # on code page 1252
            self.addCleanup(shutil.rmtree, drive_c / name, ignore_errors=True)
        shutil.copytree(wd.MEDIA / "compressed", drive_c / "\u041c\u0435\u0434\u0438\u0430")
        (drive_c / "\u0141ukasz").mkdir()
        self.set_temp("C:\\\u0141ukasz")
        run = self.launch(program="C:\\\u041c\u0435\u0434\u0438\u0430\\LAUNCH.EXE")
        self.assertEqual((run.boxes, len(run.records)), ([], 1), run)
        self.assertRegex(run.records[0]["command_line"], r'^C:\\[^?\\]+\\LXV\.EXE "C:\\[^?\\]+\\"$')

    def test_medium_too_long_for_its_file_names_is_refused(self):
        self.addCleanup(shutil.rmtree, wd.prefix() / "drive_c" / "deepmed", ignore_errors=True)
        # Nested: 254 characters, and the paths of its files past 259.
        top, top_path = nested_folder("deepmed", 244)
        shutil.copytree(wd.MEDIA / "compressed", top / "lxv" / "win32")
        shutil.copy(wd.MEDIA / "compressed" / "LAUNCH.EXE", top)
        medium_path = top_path + "lxv\\win32\\"
        run = self.launch("autorun", program=top_path + "LAUNCH.EXE")
        # Wine's trace cuts a text this long.
        self.assertEqual([caption for caption, _ in run.boxes], ["Cannot Start"])
        expected = f'The path "{medium_path}" is too long. Nothing was started.'
        self.assertTrue(expected.startswith(run.boxes[0][1]) and len(run.boxes[0][1]) > 250,
                        run.boxes)
        self.assertNothingStarted(run)


class StartUp(LaunchCase):
    def test_clean_up_removes_registry_links_but_not_their_targets(self):
        product = "Software\\Microsoft\\Windows\\CurrentVersion\\Lexivane"
        target = "Software\\LexivaneLinkTarget"
        self.addCleanup(wd.reg_delete, f"HKLM\\{target}")
        self.addCleanup(wd.reg_delete, f"HKLM\\{product}")
        # The product key a link itself; links right under it and deeper
        # down, beside a key that only has a value of a link's name.
        for links in ([""], ["\\Link", "\\Settings\\Deeper"]):
            with self.subTest(links=links):
                wd.reg_add(f"HKLM\\{target}\\Inside", "Value", "kept")
                if links != [""]:
                    wd.reg_import(f"[HKEY_LOCAL_MACHINE\\{product}\\Settings\\Plain\\Inside]\n\n"
                                  f"[HKEY_LOCAL_MACHINE\\{product}\\Settings\\Plain]\n"
                                  '"SymbolicLinkValue"=hex(6):5c,00\n')
                for link in links:
                    wd.wine(os.environ["MAKE_REGISTRY_LINK"], product + link, target)
                    self.assertTrue(wd.reg_exists(f"HKLM\\{product}{link}\\Inside"))  # it works
                self.medium("compressed", remove=["Shared.604"])
                self.assertEqual(len(self.launch().boxes), 1)  # the medium's own advice
                self.assertFalse(wd.reg_exists(f"HKLM\\{product}"))
                self.assertEqual(wd.reg_value(f"HKLM\\{target}\\Inside", "Value"), "kept")


class HandOff(InstalledCopyCase):
    def test_full_data_disk_leaves_no_cut_list(self):
        # F: is a drive of 16 KiB: the probe fits, the list of 600 does not.
        names = [f"module-with-a-rather-long-name-{i:03}.604" for i in range(600)]
        self.modules_medium(*names)
        self.register(uninstall=INSTALL + "LxvDel.Exe /u x F:\\")
        run = self.launch(extra_env={"LXV_STANDIN_DATA_DIR": "F:\\"})
        self.assertEqual(run.boxes, [("Check Startup", "Unable to Auto Install modules" + SUFFIX),
                                     READY])
        self.assertFalse((self.install / "AutoLoad.Lst").exists())
        self.assertEqual(run.records[0]["list_file"], "none")

    def test_registration_without_install_directory_is_not_properly_installed(self):
        self.modules_medium("alpha.604")
        # No uninstaller name, so no install directory; the current directory
        # holds a "Lxv.Exe" that must not be taken for the installed one.
        self.register(uninstall="Remove.exe /u")
        current = self.work / "current"
        current.mkdir()
        shutil.copy(wd.MEDIA / "originals" / "Lxv.exe", current / "Lxv.Exe")
        run = self.launch(cwd=current)
        self.assertEqual((run.exit_code, run.boxes),
                         (0, [("Check Startup", "Program not properly installed" + SUFFIX)]))
        self.assertNothingStarted(run)
        self.assertFalse((current / "AutoLoad.Lst").exists())

    def test_data_directory_without_trailing_backslash_gets_the_list_inside(self):
        self.modules_medium("alpha.604")
        self.register(uninstall=INSTALL + 'LxvDel.Exe /u x "' + DATA.rstrip("\\") + '"')
        beside = self.data.parent / "Lexivane DataAutoLoad.Lst"
        beside.unlink(missing_ok=True)
        self.addCleanup(beside.unlink, missing_ok=True)
        run = self.launch()
        self.assertEqual(run.records[0]["list_file"], DATA + "AutoLoad.Lst")
        self.assertFalse(beside.exists())

    def test_module_name_outside_the_code_page_is_listed_by_its_alias(self):
        # Names that break a list line, or open a device, are not listed.
        self.modules_medium("alpha.604", "\u6a21\u5757.604", "b.604\nSetup 2.0", "CON.604", "nul.604")
        self.register()
        run = self.launch()
        listed = run.records[0]["list"].split("|")
        self.assertEqual(len(listed), 3, run.records)
        alias = next(line for line in listed if line not in ("D:\\alpha.604", "Setup 2.0"))
        self.assertRegex(alias, r"^D:\\[^?\\]{1,8}\.604$")
        self.assertIn(alias[3:], run.records[0]["modules"])

    def test_modules_only_medium_of_249_characters_is_handed_over(self):
        self.addCleanup(shutil.rmtree, wd.prefix() / "drive_c" / "deepmods", ignore_errors=True)
        medium, medium_path = nested_folder("deepmods", 249)
        shutil.copy(wd.MEDIA / "compressed" / "LAUNCH.EXE", medium)
        (medium / "alpha.604").write_text("module alpha.604\r\n")
        self.register()
        run = self.launch(program=medium_path + "LAUNCH.EXE")
        self.assertEqual(run.records[0]["list"], medium_path + "alpha.604|Setup 2.0", run)


if __name__ == "__main__":
    unittest.main()
