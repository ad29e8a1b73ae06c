"""The build's check of the texts stops the build for a language that lacks
a text, moves a %s, has a % of its own, or writes a character that its code
page lacks, naming the file and the text."""

import contextlib
import io
import pathlib
import shutil
import sys
import tempfile
import unittest

TEXTS = pathlib.Path(__file__).resolve().parents[2] / "resources" / "texts"
sys.path.insert(0, str(TEXTS.parents[1] / "cmake"))
import text_tables  # noqa: E402

FAULTS = {"": ("", 0),  # the shipped German as it is
          'disk-full = "Datenträger voll"\n': ("", "missing ['disk-full']"),
          "„%s“ nach „%s“": ("„%s“", "copy-failed"),
          "Datenträger voll": ("Datenträger ł", "'ł' is not in code page 1252"),
          "Ungültige numerische": ("100 % ungültige", "invalid-numeric-input must have no %"),
          "Zu viele": ("%d zu viele", "too-many-open-files must have no %")}


class TextChecks(unittest.TestCase):
    def test_each_fault_stops_the_build_and_is_named(self):
        for fault, (replacement, named) in FAULTS.items():
            with self.subTest(fault), tempfile.TemporaryDirectory() as work:
                shutil.copy(TEXTS / "en.txt", work)
                german = (TEXTS / "de.txt").read_text(encoding="utf-8")
                (pathlib.Path(work) / "de.txt").write_text(german.replace(fault, replacement, 1)
                                                           if fault else german, encoding="utf-8")
                error = io.StringIO()
                with contextlib.redirect_stderr(error):
                    code = text_tables.main([work, work + "/out"])
                self.assertEqual(code, 1 if named else 0, error.getvalue())
                if named:
                    self.assertIn("de.txt", error.getvalue())
                    self.assertIn(named, error.getvalue())


if __name__ == "__main__":
    unittest.main()
