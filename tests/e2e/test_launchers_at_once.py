"""Launchers started at the same moment, as autorun and a double-click start
them, and with a second medium beside: one setup per medium, each with the
program that its own launcher expanded."""

import pathlib
import shutil
import subprocess
import tempfile
import time
import unittest

from launch_case import LaunchCase, wd


def run_at_once(starts, timeout=600):
    """Starts every (install folder, command) together, presses every box
    until all have ended, and answers (exit code, box texts, records) each."""
    work = pathlib.Path(tempfile.mkdtemp(prefix="launch-at-once-"))
    env, processes = wd.environment(), []
    for i, (install, *command) in enumerate(starts):
        own = {"WINEDEBUG": "+msgbox", "LXV_STANDIN_INSTALL_DIR": install,
               "LXV_STANDIN_RECORD": wd.unix_to_windows(work / f"{i}.txt")}
        processes.append(subprocess.Popen(["wine", *command], env=env | own, stdin=subprocess.DEVNULL,
                                          stdout=subprocess.DEVNULL, stderr=open(work / f"{i}.trace", "w")))
    deadline, quiet = time.monotonic() + timeout, 0
    while quiet < 5 and time.monotonic() < deadline:
        windows = wd._visible_windows(env)
        for window in windows:
            subprocess.run(["xdotool", "key", "--window", window, "space"], env=env, stderr=subprocess.DEVNULL)
        busy = windows or any(p.poll() is None for p in processes) or wd._main_application_running()
        quiet = 0 if busy else quiet + 1
        time.sleep(0.2)
    results = [(p.wait(timeout=1), wd.box_texts((work / f"{i}.trace").read_text(errors="replace")),
                wd.parse_records((work / f"{i}.txt").read_text()) if (work / f"{i}.txt").exists() else [])
               for i, p in enumerate(processes)]
    shutil.rmtree(work, ignore_errors=True)
    return results


class AtOnce(LaunchCase):
    def test_one_setup_per_medium_each_with_its_own_program(self):
        # D: expands a big library, long enough for the others to meet it at
        # work; E: carries a program of its own.
        (self.medium("compressed") / "Pyrn.Dl_").write_bytes(self.original("Pyrn.DLL") + bytes(16 << 20))
        medium_e = self.work / "medium-e"
        shutil.copytree(wd.MEDIA / "compressed", medium_e)
        (medium_e / "Lxv.Ex_").write_bytes(self.original("Lxv.exe") + b"medium E")
        wd.map_drive("e", medium_e)
        for round in range(3):
            wd.forget_installed_copy()
            d, e = self.work / f"d{round}", self.work / f"e{round}"
            install = {folder: wd.unix_to_windows(folder) + "\\" for folder in (d, e)}
            d1, d2, e_run = run_at_once([(install[d], "D:\\LAUNCH.EXE", "autorun"),
                                         (install[d], "D:\\LAUNCH.EXE"), (install[e], "E:\\LAUNCH.EXE")])
            # The autorun and the double-click of D: give one setup, silently.
            self.assertEqual((d1[:2], d2[:2], len(d1[2] + d2[2])), ((0, []), (0, []), 1))
            self.assertEqual((d / "Lxv.Exe").read_bytes(), self.original("Lxv.exe"))
            # E: starts its own program, or refuses.
            if e_run[2]:
                self.assertEqual((e / "Lxv.Exe").read_bytes(), (medium_e / "Lxv.Ex_").read_bytes())


if __name__ == "__main__":
    unittest.main()
