"""The build's check of the texts: a language that lacks a text, moves or
drops a %s, or writes a character that its code page lacks stops the build,
naming the file, the text and what is wrong."""

import contextlib
import io
import pathlib
import shutil
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "cmake"))
import text_tables  # noqa: E402


class TextChecks(unittest.TestCase):
    def build(self, german):
        """The tables made from English and a German file whose texts are
        German's own, edited by german; answers (exit code, message)."""
        work = pathlib.Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, work)
        shutil.copy(ROOT / "resources" / "texts" / "en.txt", work)
        (work / "de.txt").write_text(german((ROOT / "resources" / "texts" / "de.txt").read_text()),
                                     encoding="utf-8")
        error = io.StringIO()
        with contextlib.redirect_stderr(error):
            code = text_tables.main([str(work), str(work / "out")])
        return code, error.getvalue()

    def test_the_shipped_texts_pass_and_each_fault_stops_the_build(self):
        self.assertEqual(self.build(lambda text: text), (0, ""))
        faults = {
            "lacks a text": (lambda t: t.replace('disk-full = "Datenträger voll"\n', ""),
                             "missing ['disk-full']"),
            "moves a %s": (lambda t: t.replace('"Fehler beim Kopieren der Datei „%s“ nach „%s“"',
                                               '"Fehler beim Kopieren nach „%s“"'), "copy-failed"),
            "drops its code page": (lambda t: t.replace('"Datenträger voll"', '"Datenträger ł"'),
                                    "disk-full: 'ł' is not in code page 1252"),
        }
        for what, (edit, named) in faults.items():
            with self.subTest(what):
                code, message = self.build(edit)
                self.assertEqual(code, 1)
                self.assertIn("de.txt", message)
                self.assertIn(named, message)


if __name__ == "__main__":
    unittest.main()
