"""Bad and extreme inputs to the real launcher, grouped by where they come
from: each gives exit code 0 or 1 and exactly the specified boxes, starts only
what it should, and loses nothing."""

import shutil
import unittest

from launch_case import TEMP, wd
from test_installed_copy import DATA, INSTALL, KEY, SUFFIX, InstalledCopyCase, reg_text

REGISTRY_ERROR = ("Setup Error", "Error accessing LXV Windows' Registry")
NOT_INSTALLED = ("Check Startup", "Program not properly installed" + SUFFIX)
TOO_OLD = ("Check Startup", "Current Lexivane Program too old to install modules" + SUFFIX)
INSTALLED_ALPHA = ("Lexivane", "Installed modules: alpha.604")
UNINSTALL = reg_text(INSTALL + f'LxvDel.Exe /u x "{DATA}"')


def hex_bytes(data):
    return ",".join(f"{byte:02x}" for byte in data)


class Registration(InstalledCopyCase):
    CASES = [
        # (what, registry values as .reg lines, boxes)
        ("name of binary type", ['"DisplayName"=hex:' + hex_bytes(b"9.1"), '"UninstallString"=' + UNINSTALL],
         [REGISTRY_ERROR, NOT_INSTALLED]),
        ("name of several texts", ['"DisplayName"=hex(7):' + hex_bytes(b"Lexivane 7.05\0\0"),
                                   '"UninstallString"=' + UNINSTALL], [REGISTRY_ERROR, TOO_OLD]),
        ("uninstaller as a number", ['"DisplayName"="Lexivane 9.1"', '"UninstallString"=dword:12345678'],
         [REGISTRY_ERROR, NOT_INSTALLED]),
        ("huge name", ['"DisplayName"=' + reg_text("Lexivane 9.1" + "x" * 100000),
                       '"UninstallString"=' + UNINSTALL], [INSTALLED_ALPHA]),
        ("empty uninstaller", ['"DisplayName"="Lexivane 9.1"', '"UninstallString"=""'], [NOT_INSTALLED]),
        ("huge uninstaller", ['"DisplayName"="Lexivane 9.1"',
                              '"UninstallString"=' + reg_text("C:\\" + "a" * 60000)], [NOT_INSTALLED]),
        # The quote that opens the command is no part of the install directory.
        ("unclosed quote", ['"DisplayName"="Lexivane 9.1"',
                            '"UninstallString"=' + reg_text('"' + INSTALL + 'LxvDel.Exe /u x "C:\\Lexi')],
         [INSTALLED_ALPHA]),
    ]

    def test_odd_values(self):
        self.modules_medium("alpha.604")
        for what, values, boxes in self.CASES:
            with self.subTest(what):
                wd.forget_installed_copy()
                self.register()
                wd.reg_import(f"[-{KEY}]\n\n[{KEY}]\n" + "\n".join(values) + "\n")
                run = self.launch()
                self.assertEqual((run.exit_code, run.boxes), (0, boxes))
                self.assertEqual(len(run.records), 1 if boxes == [INSTALLED_ALPHA] else 0)

    def test_data_directory_that_takes_no_list_sends_it_to_the_install_directory(self):
        self.modules_medium("alpha.604")
        self.addCleanup(self.data.unlink, missing_ok=True)
        for what, data in (("file where the folder should be", DATA), ("CD-ROM", "R:\\")):
            with self.subTest(what):
                wd.forget_installed_copy()
                self.register(uninstall=INSTALL + f'LxvDel.Exe /u x "{data}"', data=False)
                self.data.write_text("not a folder")
                run = self.launch(extra_env={"LXV_STANDIN_DATA_DIR": data})
                # The stand-in cannot copy the module there: it says so in its box.
                self.assertEqual(([caption for caption, _ in run.boxes], run.records[0]["list_file"],
                                  run.records[0]["list"]),
                                 (["Lexivane"], INSTALL + "AutoLoad.Lst", "D:\\alpha.604|Setup 2.0"))
                self.assertEqual(self.data.read_text(), "not a folder")

    def test_a_list_of_hundreds_of_kilobytes_is_handed_over_whole(self):
        names = [f"m{i:04}{'x' * 200}.604" for i in range(1000)]
        self.modules_medium(*names)
        self.register()
        run = self.launch(timeout=600)
        self.assertEqual(run.records[0]["list"].split("|"),
                         ["D:\\" + name for name in names] + ["Setup 2.0"])


class Medium(InstalledCopyCase):
    def compressed_program(self, data):
        folder = self.medium("compressed")
        (folder / "Lxv.Ex_").write_bytes(data)

    def test_broken_compressed_program(self):
        header = b"SZDD\x88\xf0\x27\x33A\x00" + (1000).to_bytes(4, "little")
        whole = (wd.MEDIA / "compressed" / "Lxv.Ex_").read_bytes()
        # A size of 2 GiB or more must not read as "not compressed".
        huge = whole[:10] + (0x80000000 + len(self.original("Lxv.exe"))).to_bytes(4, "little") + whole[14:]
        copy_failed = ("CopyFile", f'Error copying file "D:\\Lxv.Ex_" to "{TEMP}\\Lxv.exe"')
        start_failed = ("WinExec", "Failed to run SETUP1.EXE. Error code: 11")
        for what, data, boxes in (("empty", b"", [start_failed]),
                                  ("header only", header, [copy_failed]),
                                  ("cut in half", whole[: len(whole) // 2], [copy_failed]),
                                  ("cut, claiming 2 GiB", huge[: len(huge) // 2], [copy_failed]),
                                  ("wrong magic", b"SZDE" + header[4:] + b"x" * 1000, [start_failed])):
            with self.subTest(what):
                wd.clear_temp_directory()
                (self.temp / "Lxv.exe").write_bytes(b"an earlier setup")
                self.compressed_program(data)
                run = self.launch("autorun")
                self.assertEqual((run.exit_code, run.boxes), (0, boxes))
                self.assertNothingStarted(run)
                if boxes == [copy_failed]:  # nothing cut is left, the earlier copy stays
                    self.assertEqual((self.temp_names(), (self.temp / "Lxv.exe").read_bytes()),
                                     (["Lxv.exe"], b"an earlier setup"))

    def test_odd_temporary_directories(self):
        drive_c = wd.prefix() / "drive_c"
        (drive_c / "tempfile").write_text("x")
        self.addCleanup((drive_c / "tempfile").unlink)
        (drive_c / "temp with spaces").mkdir(exist_ok=True)
        self.addCleanup(shutil.rmtree, drive_c / "temp with spaces")
        for temp, boxes in (("R:\\", [("CopyFile", 'Error opening destination file "R:\\Lxv.exe"')]),
                            ("C:\\no such temp", [("CopyFile", 'Error opening destination file '
                                                     '"C:\\no such temp\\Lxv.exe"')]),
                            ("C:\\tempfile", [("CopyFile", 'Error opening destination file '
                                                "\"C:\\tempfile\\Lxv.exe\"")]),
                            ("C:\\temp with spaces", []),
                            # No room left for the names expanded into it.
                            ("C:\\" + "t" * 249, [("Cannot Start", "The path of the temporary "
                                                   "directory is too long. Nothing was started.")])):
            with self.subTest(temp=temp):
                wd.forget_installed_copy()
                self.medium("compressed")
                self.set_temp(temp)
                run = self.launch("autorun")
                self.assertEqual((run.exit_code, run.boxes), (0, boxes))
                self.assertEqual(len(run.records), 0 if boxes else 1)

    def test_odd_command_lines(self):
        self.medium("compressed")
        run = self.launch("\x01\x02\"\"autorun")
        self.assertEqual((run.exit_code, run.boxes, len(run.records)), (0, [], 1))
        wd.clear_temp_directory()
        run = self.launch("a" * 10000)
        self.assertEqual((run.exit_code, run.boxes), (0, [("Cannot Start",
                         "The command-line argument is too long. Nothing was started.")]))
        self.assertNothingStarted(run)
        self.assertEqual(self.temp_names(), [])


class ManyRuns(InstalledCopyCase):
    def test_twenty_runs_leave_nothing_behind(self):
        # A hand-off first, then the silent autorun stop again and again.
        self.modules_medium("alpha.604")
        self.register()
        self.launch()
        self.medium("compressed")
        before = sorted(str(p.relative_to(wd.prefix())) for p in (wd.prefix() / "drive_c").rglob("*")
                        if "Temp" not in p.parts)
        for _ in range(20):
            run = self.launch("autorun")
            self.assertEqual((run.exit_code, run.boxes, run.records), (0, [], []))
        after = sorted(str(p.relative_to(wd.prefix())) for p in (wd.prefix() / "drive_c").rglob("*")
                       if "Temp" not in p.parts)
        self.assertEqual(after, before)
        self.assertEqual(self.temp_names(), [])
        self.assertEqual(list((wd.prefix() / "drive_c").rglob("$$$.$$$")), [])


if __name__ == "__main__":
    unittest.main()
