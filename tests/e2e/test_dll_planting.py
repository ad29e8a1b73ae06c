"""A copied medium folder may hold a DLL that someone planted beside the
program under a system library's name. With Wine told to prefer such a DLL,
as Windows does for libraries that are not on its known-DLLs list, the real
launcher must never load it, and must still expand and start setup."""

import shutil
import unittest

from launch_case import LaunchCase, TEMP, wd

PLANTED = wd.RELEASE / "standin" / "planted.dll"
APP_DEFAULTS = "HKCU\\Software\\Wine\\AppDefaults\\launch.exe"
# Wine loads this library for a message box, as Windows loads its theme
# library.
BOX_LIBRARY = "uxtheme"


class PlantedLibrary(LaunchCase):
    def plant(self, folder, library):
        shutil.copy(PLANTED, folder / f"{library.upper()}.DLL")

    def launch_preferring_planted(self, libraries, *args):
        record = self.work / "planted.txt"
        overrides = wd.environment()["WINEDLLOVERRIDES"]
        preferred = ",".join(libraries) + "=n,b"
        run = self.launch(*args, extra_env={
            "WINEDLLOVERRIDES": f"{overrides};{preferred}" if overrides else preferred,
            "LXV_PLANTED_RECORD": wd.unix_to_windows(record)})
        loaded = record.read_text().splitlines() if record.exists() else []
        return run, loaded

    def test_planted_lz_library_is_never_loaded_and_setup_still_starts(self):
        folder = self.medium("compressed")
        self.plant(folder, "lz32")
        run, loaded = self.launch_preferring_planted(["lz32"], "autorun")
        self.assertEqual(loaded, [])
        self.assertEqual(run.boxes, [])
        self.assertStartedOnce(run, TEMP + '\\LXV.EXE "D:\\"', TEMP)
        self.assertEqual((self.temp / "Lxv.exe").read_bytes(), self.original("Lxv.exe"))
        self.assertEqual((self.temp / "Pyrn.DLL").read_bytes(), self.original("Pyrn.DLL"))

    def test_planted_libraries_of_the_message_box_are_never_loaded(self):
        # Beside the program, and in a LAUNCH.EXE.local folder, which Windows
        # reads for a program without a manifest: the common controls that the
        # manifest asks for come from the system only.
        folder = self.medium("compressed", remove=["Shared.604"])
        local = folder / "LAUNCH.EXE.local"
        local.mkdir()
        for library in (BOX_LIBRARY, "comctl32"):
            self.plant(folder, library)
            self.plant(local, library)
        run, loaded = self.launch_preferring_planted([BOX_LIBRARY, "comctl32"], "autorun")
        self.assertEqual(loaded, [])
        self.assertEqual([caption for caption, _ in run.boxes], ["Check Startup"])
        self.assertNothingStarted(run)

    def test_missing_system_lz_library_stops_the_launch_with_a_box(self):
        self.medium("compressed")
        overrides = wd.environment()["WINEDLLOVERRIDES"]
        run = self.launch("autorun", extra_env={"WINEDLLOVERRIDES": overrides + ";lz32="})
        self.assertEqual(run.boxes, [("CopyFile", 'Cannot load the system library '
                                      '"C:\\windows\\system32\\LZ32.DLL" that expands the setup files')])
        self.assertNothingStarted(run)
        self.assertEqual(self.temp_names(), [])

    def test_windows_95_and_nt_4_still_expand_and_start_setup(self):
        for version in ("win95", "nt40"):
            with self.subTest(version=version):
                wd.reg_add(APP_DEFAULTS, "Version", version)
                self.addCleanup(wd.reg_delete, APP_DEFAULTS)
                folder = self.medium("compressed")
                self.plant(folder, "lz32")
                # The previous start's setup installed a newer copy.
                wd.forget_installed_copy()
                wd.clear_temp_directory()
                run, loaded = self.launch_preferring_planted(["lz32"], "autorun")
                self.assertEqual(loaded, [])
                self.assertEqual(run.boxes, [])
                self.assertStartedOnce(run, TEMP + '\\LXV.EXE "D:\\"', TEMP)
                self.assertEqual((self.temp / "Lxv.exe").read_bytes(),
                                 self.original("Lxv.exe"))


if __name__ == "__main__":
    unittest.main()
