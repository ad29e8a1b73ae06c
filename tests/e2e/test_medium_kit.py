"""The publisher's medium kit, with a publisher's own setup program that
cooperates with nothing: make-medium.sh carries the input exactly or refuses
and writes nothing; check-medium.sh judges a medium by what its LAUNCH.EXE
starts, runs nothing of the medium outside its sealed machine, and names what
is wrong with a broken one."""

import os
import pathlib
import shutil
import subprocess
import tempfile
import unittest

from launch_case import wd

FOREIGN_SETUP = pathlib.Path(os.environ["FOREIGN_SETUP"])
TEMP_SETUP = 'Temp\\LXV.EXE "D:\\"'
# What the foreign setup program leaves wherever it can write.
TRACE = "foreign-setup-was-here.txt"


def kit(tool, *args, **env):
    return subprocess.run([str(wd.ROOT / "kit" / tool), *map(str, args)],
                          capture_output=True, text=True,
                          env=dict(os.environ, SOURCE_DATE_EPOCH="1262347200", **env))


def machine_rows(output):
    """The table's cells, one list per machine."""
    return [line.strip("| ").split(" | ") for line in output.splitlines()
            if line[:3] in {f"| {n}" for n in "12345"}]


class MediumKit(unittest.TestCase):
    def setUp(self):
        self.work = pathlib.Path(tempfile.mkdtemp(prefix="medium-kit-"))
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)

    def publisher_files(self, *modules):
        folder = self.work / "input"
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir()
        shutil.copy(FOREIGN_SETUP, folder / "Lxv.Exe")
        shutil.copy(wd.MEDIA / "originals" / "Pyrn.DLL", folder / "Pyrn.DLL")
        for name in ("Prelude.Msg", "Shared.604", "DialEn.604", "alpha.604") + modules:
            (folder / name).write_text(f"{name}\r\n")
        return folder

    def check(self, medium, *args):
        """Runs the check; nothing that the medium runs may reach this
        machine's files, wherever the foreign program tries."""
        checked = kit("check-medium.sh", medium, *args, FOREIGN_SETUP_TARGET=self.work)
        leaks = [p for folder in (self.work, pathlib.Path("/tmp"), wd.ROOT)
                 for p in folder.glob(TRACE)]
        self.assertEqual(leaks, [])
        return checked

    def test_each_refusal_names_the_file_and_writes_nothing(self):
        def files(*names, make=lambda path: path.write_text("x")):
            def change(folder):
                for name in names:
                    (folder / name).parent.mkdir(parents=True, exist_ok=True)
                    make(folder / name)
            return change

        for change, message in (
                (lambda folder: (folder / "Shared.604").unlink(), "Shared.604 is missing"),
                (files("a?b.604"), "a?b.604: the name holds a character that Windows does not"),
                (files("x" * 61 + ".604"), "an image keeps 64"),
                (files("d" * 60 + "/" + "e" * 59 + ".604"), "an image keeps 120"),
                (files("Aux.604"), "Windows reserves the name AUX"),
                (files("ALPHA.604"), "differs from it only in case"),
                (files("\u00c9.604", "\u00e9.604"), "differs from it only in case"),
                (files("LXV.EX_"), "the kit adds Lxv.Ex_"),
                (files("end.604."), "end.604.: Windows drops a trailing dot"),
                (files("\U0001F600.604"), "a Joliet name cannot carry"),
                (files("link.604", make=lambda p: p.symlink_to("/etc/hostname")),
                 "a symbolic link"),
                (files("pipe.604", make=os.mkfifo), "not a file or folder"),
                (files("autorun.inf"), "writes autorun.inf itself"),
                # mscompress turns an empty file into one that expands to a byte.
                (files("Pyrn.DLL", make=lambda p: p.write_bytes(b"")),
                 "Pyrn.DLL: its compressed copy does not expand")):
            with self.subTest(message=message):
                out = self.work / "out"
                shutil.rmtree(out, ignore_errors=True)
                out.mkdir()
                change(self.publisher_files())
                made = kit("make-medium.sh", self.work / "input", out / "medium.iso")
                self.assertEqual(made.returncode, 1, made)
                self.assertIn(message, made.stderr)
                self.assertEqual(list(out.iterdir()), [])

    def test_a_folder_that_the_kit_did_not_make_is_kept(self):
        stick = self.work / "stick"
        stick.mkdir()
        (stick / "autorun.inf").write_text("[autorun]\r\nopen=photos.exe\r\n")
        (stick / "photo.jpg").write_text("the customer's own")
        made = kit("make-medium.sh", self.publisher_files(), stick)
        self.assertEqual(made.returncode, 1)
        self.assertIn("was not made by make-medium.sh", made.stderr)
        self.assertEqual(sorted(p.name for p in stick.iterdir()), ["autorun.inf", "photo.jpg"])
        # Its own output it replaces, a medium that stays whole.
        medium = self.work / "medium"
        for _ in range(2):
            self.assertEqual(kit("make-medium.sh", self.publisher_files(), medium).returncode, 0)
        self.assertTrue((medium / "Lxv.Ex_").is_file())
        self.assertEqual([p.name for p in self.work.glob(".make-medium*")], [])

    def test_every_tool_answers_help_and_refuses_bad_usage(self):
        for tool in ("make-medium.sh", "check-medium.sh", "sign.sh"):
            with self.subTest(tool=tool):
                helped = kit(tool, "--help")
                self.assertEqual(helped.returncode, 0, helped)
                self.assertIn("usage:", helped.stdout)
        bad = kit("check-medium.sh", "--version", '9"\r\n[HKEY', wd.MEDIA / "compressed")
        self.assertEqual(bad.returncode, 2, bad)

    def test_image_of_a_foreign_setup_round_trip(self):
        images = [self.work / "a.iso", self.work / "b.iso"]
        for image in images:
            self.assertEqual(kit("make-medium.sh", "--label", "LXV_91",
                                 self.publisher_files(), image).returncode, 0)
        self.assertEqual(images[0].read_bytes(), images[1].read_bytes())
        checked = self.check(images[0])
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
        rows = machine_rows(checked.stdout)
        self.assertEqual([row[1] for row in rows], ["none"] * 5)
        started = [row[2] for row in rows]
        self.assertEqual(started[1], "none")
        for cell in started[:1] + started[2:]:
            self.assertIn(TEMP_SETUP, cell)

    def test_a_start_program_that_never_ends_is_cut_off_sealed(self):
        medium = self.work / "medium"
        kit("make-medium.sh", "--launcher", FOREIGN_SETUP, self.publisher_files(), medium)
        checked = self.check(medium)
        self.assertEqual(checked.returncode, 3, checked.stdout + checked.stderr)
        self.assertIn("the check could not run", checked.stderr)
        self.assertEqual(list(pathlib.Path("/tmp").glob("check-medium-*")), [])

    def test_broken_medium_is_refused_with_its_causes(self):
        medium = self.work / "medium"
        kit("make-medium.sh", self.publisher_files("[x](y)&z.604"), medium)
        (medium / "Shared.604").unlink()
        os.truncate(medium / "Lxv.Ex_", 5000)
        report = self.work / "report"
        checked = self.check(medium, report)
        self.assertEqual(checked.returncode, 1, checked.stdout + checked.stderr)
        self.assertIn("probe file Shared.604 is missing", checked.stdout)
        self.assertIn("Lxv.Ex_ does not expand: expands to", checked.stdout)
        text = (report / "report.md").read_text()
        # The installed copies get the modules, names as they read.
        self.assertIn("D:\\\\\\[x\\]\\(y\\)&amp;z\\.604", text)
        # A picture of every box the report lists.
        boxes = [box for row in machine_rows(text)
                 for box in row[1].split("<br>") if box != "none"]
        self.assertEqual(len(list(report.glob("*.png"))), len(boxes))
        self.assertTrue(boxes and all("![box" in box for box in boxes), boxes)


if __name__ == "__main__":
    unittest.main()
