"""Launchers started at the same moment, as autorun and a double-click start
them, under other names of the same folders, and with a second medium beside:
one setup for each thing the user does, each with the program that its own
launcher expanded; never a silent drop, never an endless wait."""

import atexit
import contextlib
import functools
import os
import pathlib
import shutil
import subprocess
import tempfile
import time
import unittest

from launch_case import TEMP, LaunchCase, wd
from test_hostile_inputs import SETUP_RUNNING
from test_installed_copy import INSTALL, YEAR_2005, YEAR_2010, InstalledCopyCase


@contextlib.contextmanager
def holding(*arguments, program=None):
    """A hold_lock (or program) that holds what arguments name meanwhile."""
    holder = subprocess.Popen(["wine", program or os.environ["HOLD_LOCK"], *arguments],
                              env=wd.environment(), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              text=True)
    try:
        assert holder.stdout.readline().strip() == "held"
        yield holder
    finally:
        holder.stdin.close()
        holder.wait(timeout=60)


def launchers_running():
    return len(list(wd.prefix_programs(lambda command: wd.program_name(command) == b"launch.exe")))


def run_at_once(starts, timeout=600, meet=False, apart=0, extra_env=None):
    """Starts every (install folder, command) together (apart seconds after
    one another), presses every box until all have ended, and answers (exit
    code, box texts, records) each.
    meet: the temporary directory is held until every launcher runs, and two
    seconds more (40 s at most), so that they meet however long each takes
    to come up: none can start setup meanwhile."""
    work = pathlib.Path(tempfile.mkdtemp(prefix="launch-at-once-"))
    env, processes, holder = wd.environment(), [], contextlib.ExitStack()
    if meet:
        holder.enter_context(holding(TEMP + "\\"))
        release, all_up = time.monotonic() + 40, None
    for i, (install, *command) in enumerate(starts):
        own = {"WINEDEBUG": "+msgbox", "LXV_STANDIN_INSTALL_DIR": install,
               "LXV_STANDIN_RECORD": wd.unix_to_windows(work / f"{i}.txt")} | (extra_env or {})
        time.sleep(apart if i else 0)
        processes.append(subprocess.Popen(["wine", *command], env=env | own, stdin=subprocess.DEVNULL,
                                          stdout=subprocess.DEVNULL, stderr=open(work / f"{i}.trace", "w")))
    deadline, quiet = time.monotonic() + timeout, 0
    while quiet < 5 and time.monotonic() < deadline:
        if meet and all_up is None and launchers_running() == len(starts):
            all_up = time.monotonic()
        if meet and time.monotonic() > min(release, (all_up or release) + 2):
            holder.close()
        windows = wd.visible_windows(env)
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


def with_temp(temp, command):
    """A command that starts command with TEMP and TMP spelled as temp (Wine
    takes them from the registry for a program started directly). Starts
    made the same way take the same time to come up."""
    return ["cmd", "/c", f"set TEMP={temp}&& set TMP={temp}&& {command}"]


@functools.cache
def slow_library(library):
    """library and 4 MiB of zeros, compressed once for every case (the
    compressor takes seconds a megabyte)."""
    folder = pathlib.Path(tempfile.mkdtemp(prefix="launch-slow-library-"))
    atexit.register(shutil.rmtree, folder, True)
    (folder / "big").write_bytes(library + bytes(4 << 20))
    subprocess.run(["mscompress", str(folder / "big")], check=True, timeout=120)
    return folder / "big_"


class AtOnce(LaunchCase):
    # Each case arranges for the launchers to meet: one round shows it.
    ROUNDS = 1

    def slow_to_expand(self, medium):
        """Gives medium a compressed library of 4 MiB, whose expansion takes
        long enough for launchers started with it to meet its launcher at
        work, between its program and its library."""
        shutil.copy(slow_library(self.original("Pyrn.DLL")), medium / "Pyrn.Dl_")

    def second_letter(self, letter, folder):
        wd.map_drive(letter, folder)
        self.addCleanup((wd.prefix() / "dosdevices" / f"{letter}:").unlink, missing_ok=True)

    def test_one_setup_per_medium_each_with_its_own_program(self):
        # E: carries a program of its own, and its launcher reaches the
        # temporary directory by another drive letter. Both are slow to
        # expand, so that each meets the other at work.
        medium_e = self.work / "medium-e"
        shutil.copytree(wd.MEDIA / "compressed", medium_e)
        (medium_e / "Lxv.Ex_").write_bytes(self.original("Lxv.exe") + b"medium E")
        for medium in (self.medium("compressed"), medium_e):
            self.slow_to_expand(medium)
        self.second_letter("e", medium_e)
        self.second_letter("s", self.temp)
        for round in range(self.ROUNDS):
            wd.forget_installed_copy()
            d, e = self.work / f"d{round}", self.work / f"e{round}"
            install = {folder: wd.unix_to_windows(folder) + "\\" for folder in (d, e)}
            d1, d2, e_run = run_at_once([(install[d], *with_temp(TEMP, "D:\\LAUNCH.EXE autorun")),
                                         (install[d], *with_temp(TEMP, "D:\\LAUNCH.EXE")),
                                         (install[e], *with_temp("S:\\", "E:\\LAUNCH.EXE"))],
                                        meet=True)
            # The autorun and the double-click of D: give one setup, silently.
            self.assertEqual((d1[:2], d2[:2], len(d1[2] + d2[2])), ((0, []), (0, []), 1))
            self.assertEqual((d / "Lxv.Exe").read_bytes(), self.original("Lxv.exe"))
            # E: starts its own program, or, while D:'s setup still runs the
            # program there, says that it cannot replace it.
            if e_run[2]:
                self.assertEqual((e / "Lxv.Exe").read_bytes(), (medium_e / "Lxv.Ex_").read_bytes())
            else:
                self.assertEqual(e_run[:2], (0, [SETUP_RUNNING.replace(TEMP, "S:")]))

    def test_one_medium_under_several_names_starts_one_setup(self):
        folder = self.medium("compressed")
        self.second_letter("g", folder)
        for round in range(self.ROUNDS):
            wd.forget_installed_copy()
            install = wd.unix_to_windows(self.work / f"i{round}") + "\\"
            runs = run_at_once([(install, "D:\\LAUNCH.EXE", "autorun"), (install, "d:\\launch.exe"),
                                (install, "G:\\LAUNCH.EXE")], meet=True)
            self.assertEqual([run[:2] for run in runs], [(0, [])] * 3)
            self.assertEqual(sum(len(run[2]) for run in runs), 1, runs)

    def test_autorun_meeting_a_newer_copy_never_makes_a_double_click_give_way(self):
        medium = self.medium("compressed")
        os.utime(medium / "Lxv.Ex_", (YEAR_2005, YEAR_2005))
        # Many entries: each launcher takes a while to look the medium over.
        for i in range(50000):
            (medium / f"pad{i:05}.txt").touch()
        for round in range(self.ROUNDS):
            wd.forget_installed_copy()
            wd.install_copy("9.1", wd.MEDIA / "originals" / "Lxv.exe", YEAR_2010)
            install = wd.unix_to_windows(self.work / f"i{round}") + "\\"
            autorun, double_click = run_at_once([(install, "D:\\LAUNCH.EXE", "autorun"),
                                                 (install, "D:\\LAUNCH.EXE")])
            self.assertEqual((autorun, double_click[:2], len(double_click[2])),
                             ((0, [], []), (0, []), 1))

    def test_temporary_directory_held_by_another_program_gets_a_box_not_a_hang(self):
        self.medium("compressed")
        with holding(TEMP + "\\"):
            run = self.launch(timeout=180)
        self.assertEqual((run.exit_code, run.boxes), (0, [("Cannot Start", (
            f'The folder "{TEMP}\\" is in use by another setup. Try again when it has finished. '
            "Nothing was started."))]))
        self.assertNothingStarted(run)
        self.assertEqual(self.temp_names(), [])

    def test_second_start_brings_the_first_ones_box_to_the_front(self):
        self.medium("compressed", remove=["Shared.604"])
        env = wd.environment()

        def windows():
            """Visible windows' names, the topmost last."""
            return [wd.window_name(env, w) for w in wd.visible_windows(env)]

        def started(command, shown):
            process = subprocess.Popen(["wine", *command], env=env, stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.addCleanup(process.kill)
            for _ in range(300):
                if shown in windows():
                    return process
                time.sleep(0.1)
            self.fail(f"{command}: no window {shown}")

        started(["D:\\LAUNCH.EXE"], "Check Startup")
        started(["notepad"], "Untitled - Notepad")
        self.assertEqual(windows()[-1], "Untitled - Notepad")
        # The second start says nothing of its own: it shows the first box.
        second = subprocess.run(["wine", "D:\\LAUNCH.EXE"], env=env | {"WINEDEBUG": "+msgbox"},
                                stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                timeout=60)
        self.assertEqual((second.returncode, wd.box_texts(second.stderr)), (0, []))
        self.assertEqual(windows()[-1], "Check Startup")


class HeldMedium(LaunchCase):
    def test_medium_held_with_no_box_to_show_gets_a_box_and_no_setup(self):
        self.medium("compressed")
        # Another program with no window, one that lets others only wait,
        # and a launcher that is stuck.
        stuck = shutil.copy(os.environ["HOLD_LOCK"], self.work / "LAUNCH.EXE")
        in_use = 'The medium "D:\\" is in use by another program. Nothing was started.'
        still = ('The medium "D:\\" is already being started, and has not finished within a minute. '
                 "Try again later. Nothing was started.")
        for option, program, text in (("", None, in_use), ("--only-wait", None, in_use),
                                      ("", stuck, still)):
            with self.subTest(option=option, program=program), \
                    holding("--medium", *option.split(), "D:\\", program=program):
                # (A holder named LAUNCH.EXE passes for a program of this run.)
                run = self.launch(timeout=180, wait_for_application=False)
                self.assertEqual((run.exit_code, run.boxes), (0, [("Cannot Start", text)]))
                self.assertNothingStarted(run)

    def test_second_start_while_setup_runs_says_so(self):
        self.medium("compressed")
        self.medium("nested", drive="e")
        hold = self.work / "setup-holds"
        hold.touch()
        first = self.launch(extra_env={"LXV_STANDIN_SETUP_HOLD": wd.unix_to_windows(hold)},
                            wait_for_application=False)
        self.assertEqual(first.boxes, [])
        for program in ("D:\\LAUNCH.EXE", "E:\\LAUNCH.EXE"):
            run = self.launch(program=program, wait_for_application=False)
            self.assertEqual((run.exit_code, run.boxes), (0, [("Cannot Start", SETUP_RUNNING)]))
        hold.unlink()
        while wd._main_application_running():
            time.sleep(0.2)


class HandOffsAtOnce(InstalledCopyCase):
    def test_modules_of_two_media_both_reach_an_application_that_takes_them_late(self):
        self.register()
        for letter, module in (("d", "alpha.604"), ("e", "beta.604")):
            (self.work / letter).mkdir()
            shutil.copy(wd.MEDIA / "compressed" / "LAUNCH.EXE", self.work / letter)
            (self.work / letter / module).write_text(f"module {module}\r\n")
            wd.map_drive(letter, self.work / letter)
        runs = run_at_once([(INSTALL, "D:\\LAUNCH.EXE"), (INSTALL, "E:\\LAUNCH.EXE")], apart=0.3,
                           extra_env={"LXV_STANDIN_TAKE_LATE_MS": "3000"})
        self.assertEqual([run[2][0]["modules"] for run in runs], ["alpha.604", "beta.604"])


class AtOnceOnNt4(AtOnce):
    """The same on NT 4, which knows folders by their identity too (the
    minute's bound on a held folder is the same on every Windows: once is
    enough)."""
    WINDOWS = "nt40"
    test_temporary_directory_held_by_another_program_gets_a_box_not_a_hang = None

    def setUp(self):
        super().setUp()
        for program in ("launch.exe", "hold_lock.exe"):
            key = "HKCU\\Software\\Wine\\AppDefaults\\" + program
            wd.reg_add(key, "Version", self.WINDOWS)
            self.addCleanup(wd.reg_delete, key)


class AtOnceOnWindows95(AtOnceOnNt4):
    """The same on Windows 95, which opens no folders: one lock serves every
    temporary directory, and a medium is known by its path (two names of one
    medium may then both start setup)."""
    WINDOWS = "win95"
    test_one_medium_under_several_names_starts_one_setup = None


if __name__ == "__main__":
    unittest.main()
