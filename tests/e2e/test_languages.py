"""The boxes in the customer's language: the user's Windows language where
the program carries it and the system's code page writes it, else English,
word for word the language's own table."""

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from launch_case import LaunchCase, wd

from kit.checking import customer_machines  # noqa: E402  (launch_case finds the kit)

sys.path.insert(0, str(wd.ROOT / "cmake"))
import text_tables  # noqa: E402

TEXTS = wd.ROOT / "resources" / "texts"
# The locale that makes Wine's Windows speak each language.
LOCALES = customer_machines.LANGUAGES
PICTURES = wd.ROOT / "build" / "test-pictures"


def advice(language):
    """The box for an incomplete medium with nothing installed, in language."""
    texts = language.texts
    return (texts["caption-check-startup"],
            texts["files-missing-2"].replace("%s", "", 2) +
            texts["download-advice"].replace("%s", wd.download_sites()))


def shown_box(locale, shot):
    """The launcher's box in locale, whole as box_text reads it (a trace cuts
    long texts), and its picture."""
    env = wd.environment() | {"LC_ALL": f"{locale}.UTF-8"}
    launcher = subprocess.Popen(["wine", "D:\\LAUNCH.EXE"], env=env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(600):
            windows = wd.visible_windows(env) or time.sleep(0.2)
            if windows:
                break
        time.sleep(0.5)
        subprocess.run(["import", "-window", windows[-1], str(shot)], env=env, timeout=60)
        read = subprocess.run(["wine", os.environ["BOX_TEXT"]], env=env, capture_output=True,
                              timeout=60).stdout.decode("utf-8").rstrip("\r\n")
        subprocess.run(["xdotool", "key", "--window", windows[-1], "space"], env=env, timeout=60)
        launcher.wait(timeout=60)
    finally:
        launcher.kill()
    return tuple(read.split("\t", 1))


class Languages(LaunchCase):
    def test_each_language_speaks_its_own_table(self):
        self.assertEqual(sorted(p.stem for p in TEXTS.glob("*.txt") if p.stem != "en"),
                         sorted(LOCALES))
        self.medium("compressed", remove=["Shared.604"])
        PICTURES.mkdir(parents=True, exist_ok=True)
        for tag, locale in LOCALES.items():
            with self.subTest(tag):
                self.assertEqual(shown_box(locale, PICTURES / f"{tag}.png"),
                                 advice(text_tables.read_language(TEXTS / f"{tag}.txt")))

    def test_a_language_that_the_code_page_cannot_write_gives_english(self):
        # Russian Windows texts on a Western code page: with the Russian
        # locale for messages and the American one for characters.
        locales = pathlib.Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, locales, True)
        for locale in ("ru_RU", "en_US"):
            subprocess.run(["localedef", "-i", locale, "-f", "UTF-8", str(locales / f"{locale}.UTF-8")],
                           check=True, capture_output=True, timeout=120)
        self.medium("compressed", remove=["Shared.604"])
        run = self.launch(extra_env={"LOCPATH": str(locales), "LANG": "en_US.UTF-8",
                                     "LC_MESSAGES": "ru_RU.UTF-8", "LC_ALL": ""})
        self.assertEqual(run.boxes, [advice(text_tables.read_language(TEXTS / "en.txt"))])


if __name__ == "__main__":
    unittest.main()
