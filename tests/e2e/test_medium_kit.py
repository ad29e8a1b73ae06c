"""The publisher's medium kit: make-medium.sh refuses what a medium cannot
carry and writes nothing then; check-medium.sh reads an image back, runs it on
the customer machines, and names what is wrong with a broken medium."""

import os
import pathlib
import shutil
import subprocess
import tempfile
import unittest

from launch_case import wd

TEMP_SETUP = 'Temp\\LXV.EXE "D:\\"'


def kit(tool, *args):
    return subprocess.run([str(wd.ROOT / "kit" / tool), *map(str, args)],
                          capture_output=True, text=True,
                          env=dict(os.environ, SOURCE_DATE_EPOCH="1262347200"))


def machine_rows(output):
    """The table's cells, one list per machine."""
    return [line.strip("| ").split(" | ") for line in output.splitlines()
            if line[:3] in {f"| {n}" for n in "12345"}]


class MediumKit(unittest.TestCase):
    def setUp(self):
        self.work = pathlib.Path(tempfile.mkdtemp(prefix="medium-kit-"))
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)

    def publisher_files(self):
        folder = self.work / "input"
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir()
        shutil.copy(wd.MEDIA / "originals" / "Lxv.exe", folder / "Lxv.Exe")
        shutil.copy(wd.MEDIA / "originals" / "Pyrn.DLL", folder / "Pyrn.DLL")
        for name in ("Prelude.Msg", "Shared.604", "DialEn.604", "alpha.604"):
            (folder / name).write_text(f"{name}\r\n")
        return folder

    def test_each_refusal_names_the_file_and_writes_nothing(self):
        for name, change, message in (
                ("Shared.604", "delete", "Shared.604 is missing"),
                ("DialEn.604", "delete", "has no Dial* entry"),
                ("a?b.604", "", "a?b.604: the name holds a character that Windows does not allow"),
                ("x" * 61 + ".604", "", "an image keeps 64"),
                ("Aux.604", "", "Windows reserves the name AUX"),
                ("ALPHA.604", "", "differs from it only in case"),
                ("end.604.", "", "end.604.: Windows drops a trailing dot"),
                ("\U0001F600.604", "", "a Joliet name cannot carry"),
                ("autorun.inf", "", "writes autorun.inf itself"),
                # mscompress turns an empty file into one that expands to a byte.
                ("Pyrn.DLL", "empty", "Pyrn.DLL: its compressed copy does not expand")):
            with self.subTest(name=name):
                entry = self.publisher_files() / name
                if change == "delete":
                    entry.unlink()
                else:
                    entry.write_bytes(b"")
                out = self.work / "out"
                shutil.rmtree(out, ignore_errors=True)
                out.mkdir()
                made = kit("make-medium.sh", self.work / "input", out / "medium.iso")
                self.assertEqual(made.returncode, 1, made)
                self.assertIn(message, made.stderr)
                self.assertEqual(list(out.iterdir()), [])

    def test_image_round_trip(self):
        images = [self.work / "a.iso", self.work / "b.iso"]
        for image in images:
            self.assertEqual(kit("make-medium.sh", "--label", "LXV_91",
                                 self.publisher_files(), image).returncode, 0)
        self.assertEqual(images[0].read_bytes(), images[1].read_bytes())
        checked = kit("check-medium.sh", images[0])
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
        rows = machine_rows(checked.stdout)
        self.assertEqual([row[1] for row in rows], ["none"] * 5)
        started = [row[2] for row in rows]
        self.assertEqual(started[1], "none")
        for cell in started[:1] + started[2:]:
            self.assertIn(TEMP_SETUP, cell)

    def test_broken_medium_is_refused_with_its_cause(self):
        for damage, cause in (
                (lambda m: (m / "Shared.604").unlink(), "probe file Shared.604 is missing"),
                (lambda m: os.truncate(m / "Lxv.Ex_", 5000),
                 "Lxv.Ex_ does not expand: expands to")):
            with self.subTest(cause=cause):
                medium = self.work / "medium"
                shutil.rmtree(medium, ignore_errors=True)
                kit("make-medium.sh", self.publisher_files(), medium)
                damage(medium)
                report = self.work / "report"
                checked = kit("check-medium.sh", medium, report)
                self.assertEqual(checked.returncode, 1, checked.stdout + checked.stderr)
                self.assertIn(cause, checked.stdout)
                # A picture of every box the report lists.
                boxes = [box for row in machine_rows((report / "report.md").read_text())
                         for box in row[1].split("<br>") if box != "none"]
                self.assertEqual(len(list(report.glob("*.png"))), len(boxes))
                self.assertTrue(boxes and all("![box" in box for box in boxes), boxes)
                shutil.rmtree(report)


if __name__ == "__main__":
    unittest.main()
