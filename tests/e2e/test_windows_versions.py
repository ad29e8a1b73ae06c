"""The core outcomes on every Windows the launcher supports, as Wine reports
them to it: setup from a compressed medium, the advice for an incomplete one,
the hand-off to an installed copy and the last-chance box; and the one
difference between the families: the Administrators query on NT only."""

import re
import unittest

from launch_case import TEMP, wd
from test_installed_copy import DATA, SUFFIX, InstalledCopyCase

APP_DEFAULTS = "HKCU\\Software\\Wine\\AppDefaults\\launch.exe"
DEBUG_KEY = "HKCU\\Software\\Wine\\Debug"
WINDOWS_95_FAMILY = ("win95", "win98")
NT_FAMILY = ("nt40", "win2k", "winxp", "win7", "win10")


class EveryWindows(InstalledCopyCase):
    def setUp(self):
        super().setUp()
        wd.reg_add(DEBUG_KEY, "RelayInclude", "advapi32.*")
        self.addCleanup(wd.reg_delete, DEBUG_KEY)
        self.addCleanup(wd.reg_delete, APP_DEFAULTS)

    def outcomes(self):
        wd.forget_installed_copy()
        wd.clear_temp_directory()
        self.medium("compressed")
        setup = self.launch("autorun", extra_env={"WINEDEBUG": "+msgbox,+relay"})
        self.assertEqual(setup.boxes, [])
        self.assertStartedOnce(setup, TEMP + '\\LXV.EXE "D:\\"', TEMP)
        self.assertEqual((self.temp / "Lxv.exe").read_bytes(), self.original("Lxv.exe"))

        wd.forget_installed_copy()
        self.medium("compressed", remove=["Shared.604"])
        advice = self.launch()
        self.assertEqual(advice.boxes, [("Check Startup",
                                         "Program install files missing (2) <> <" + SUFFIX)])

        self.modules_medium("alpha.604")
        self.register()
        handed = self.launch()
        self.assertEqual(handed.records[0]["list"], "D:\\alpha.604|Setup 2.0")
        self.assertEqual(handed.records[0]["list_file"], DATA + "AutoLoad.Lst")

        self.register("Lexivane 2147483648")
        failed = self.launch()
        self.assertEqual((failed.exit_code, [caption for caption, _ in failed.boxes]),
                         (1, ["Application Error"]))
        return set(re.findall(r"Call advapi32\.(\w*Token\w*)\(", setup.trace))

    def test_windows_95_family_asks_for_no_token(self):
        for version in WINDOWS_95_FAMILY:
            with self.subTest(version=version):
                wd.reg_add(APP_DEFAULTS, "Version", version)
                self.assertEqual(self.outcomes(), set())

    def test_nt_family_asks_for_the_token_groups(self):
        for version in NT_FAMILY:
            with self.subTest(version=version):
                wd.reg_add(APP_DEFAULTS, "Version", version)
                self.assertIn("GetTokenInformation", self.outcomes())


if __name__ == "__main__":
    unittest.main()
