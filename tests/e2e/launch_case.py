"""Shared set-up for the end-to-end cases: a fresh copy of a sample medium,
mapped as drive D: (a CD-ROM drive), and an empty temporary directory."""

import pathlib
import sys
import shutil
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2]))
from kit.common import wine_driver as wd  # noqa: E402

# The Windows temporary directory of the prefix's user.
TEMP = wd.windows_temp().rstrip("\\")


class LaunchCase(unittest.TestCase):
    def setUp(self):
        self.work = pathlib.Path(tempfile.mkdtemp(prefix="launch-case-"))
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)
        wd.clear_temp_directory()
        self.temp = wd.temp_directory()
        wd.forget_installed_copy()
        self.addCleanup(wd.forget_installed_copy)
        self.addCleanup(wd.end_main_applications)

    def medium(self, sample="compressed", remove=(), drive="d"):
        """A copy of a sample medium, mapped as the drive; answers its folder."""
        folder = self.work / f"medium-{sample}"
        shutil.rmtree(folder, ignore_errors=True)
        shutil.copytree(wd.MEDIA / sample, folder, symlinks=True)
        for name in remove:
            (folder / name).unlink()
        if drive:
            wd.map_drive(drive, folder)
        return folder

    def set_temp(self, path):
        """The user's TEMP and TMP, for this case."""
        for name in ("TEMP", "TMP"):
            wd.reg_add("HKCU\\Environment", name, path)
            self.addCleanup(wd.reg_add, "HKCU\\Environment", name, TEMP)

    def original(self, name):
        return (wd.MEDIA / "originals" / name).read_bytes()

    def launch(self, *args, program="D:\\LAUNCH.EXE", **kwargs):
        return wd.run(program, *args, **kwargs)

    def assertNothingStarted(self, run):
        self.assertEqual(run.records, [], run)

    def assertStartedOnce(self, run, command_line, directory):
        self.assertEqual(len(run.records), 1, run)
        self.assertEqual(run.records[0]["command_line"], command_line)
        self.assertEqual(run.records[0]["directory"], directory)
        self.assertEqual(run.records[0]["library"], "loaded")

    def temp_names(self):
        return sorted(p.name for p in self.temp.iterdir())
