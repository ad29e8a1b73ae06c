"""Measures the shipped launcher under Wine, paired with a program that does
nothing but import the same DLLs, so that what Wine costs to start a program
is measured alongside: the silent autorun stop (an installed copy is newer),
a setup start from a compressed medium; and hand-offs of 10,000 and 100,000
modules, each paired with a floor program that only lists the same medium
and writes the same list. Prints medians of wall and CPU time; the ratio is
the launcher's over the baseline's or the floor's."""

import os
import pathlib
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))
from kit.common import wine_driver as wd  # noqa: E402

PAIRS = int(os.environ.get("BENCHMARK_PAIRS", "20"))
IDLE = wd.RELEASE / "standin" / "idle.exe"
YEAR_2005, YEAR_2010 = 1104580800, 1262347200


def timed(*command):
    """Wall and CPU seconds of one Wine program, and its exit code."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    code = subprocess.run(["wine", *command], env=wd.environment(), stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu, code


def wait_for_the_main_application(timeout=600):
    deadline = time.monotonic() + timeout
    while wd._main_application_running():
        if time.monotonic() > deadline:
            sys.exit("benchmark: the started program did not end")
        time.sleep(0.1)


def install_copy(stamp):
    """An installed copy whose program is the baseline, dated stamp: started
    by a hand-off, it ends at once and leaves the list for counting."""
    wd.forget_installed_copy()
    wd.install_copy("9.1", IDLE, stamp)


def pairs(prepare):
    """Medians over PAIRS runs of the launcher and of the baseline, in turn."""
    launcher, baseline = [], []
    for _ in range(PAIRS):
        prepare()
        wall, cpu, code = timed("D:\\LAUNCH.EXE", "autorun")
        if code != 0:
            sys.exit(f"benchmark: the launcher ended with {code}")
        launcher.append((wall, cpu))
        wait_for_the_main_application()
        baseline.append(timed(wd.unix_to_windows(IDLE))[:2])
    return [tuple(statistics.median(run[i] for run in runs) for i in (0, 1))
            for runs in (launcher, baseline)]


def row(what, launcher, baseline):
    print(f"{what:<28} {launcher[0]:7.3f} s {launcher[1]:7.3f} s   "
          f"{baseline[0]:7.3f} s {baseline[1]:7.3f} s   {launcher[0] / baseline[0]:5.2f}")


FLOOR = wd.RELEASE / "standin" / "handoff_floor.exe"


def handoff(work, count):
    """A hand-off of count modules by the launcher, against the floor: a
    program that only lists the same medium and writes the same list. Both
    start from the medium, as any program there does: Wine looks for their
    libraries in its folder first, a long look in a folder of 100,000
    entries."""
    modules = os.path.join(work, f"modules-{count}")
    os.mkdir(modules)
    shutil.copy(wd.MEDIA / "compressed" / "LAUNCH.EXE", modules)
    shutil.copy(FLOOR, os.path.join(modules, "FLOOR.EXE"))
    for i in range(count):
        with open(os.path.join(modules, f"m{i:06}.604"), "w") as module:
            module.write("module\r\n")
    wd.map_drive("d", modules)
    data = wd.prefix() / "drive_c" / "Lexivane Data" / "AutoLoad.Lst"
    install_copy(YEAR_2010)
    launcher, floor = [], []
    for _ in range(max(PAIRS // 4, 3)):
        data.unlink(missing_ok=True)
        wall, cpu, code = timed("D:\\LAUNCH.EXE")
        wait_for_the_main_application()
        listed = data.read_text().count("\n")
        if code != 0 or listed != count + 1:
            sys.exit(f"benchmark: the launcher ended with {code}, {listed} lines listed")
        launcher.append((wall, cpu))
        data.unlink()
        wall, cpu, code = timed("D:\\FLOOR.EXE")
        if code != 0 or data.read_text().count("\n") != count + 1:
            sys.exit(f"benchmark: the floor program ended with {code}")
        floor.append((wall, cpu))
    mine, least = [tuple(statistics.median(run[i] for run in runs) for i in (0, 1))
                   for runs in (launcher, floor)]
    print(f"hand-off of {count:,} modules: {mine[0]:.3f} s wall, {mine[1]:.3f} s cpu; "
          f"floor {least[0]:.3f} s wall, {least[1]:.3f} s cpu; ratio {mine[0] / least[0]:.2f}")


def main():
    work = tempfile.mkdtemp(prefix="launch-benchmark-")
    medium = os.path.join(work, "medium")
    shutil.copytree(wd.MEDIA / "compressed", medium)
    os.utime(os.path.join(medium, "Lxv.Ex_"), (YEAR_2005, YEAR_2005))
    wd.map_drive("d", medium)

    print(f"launch.exe: {(wd.RELEASE / 'launch.exe').stat().st_size:,} bytes; "
          f"medians of {PAIRS} pairs under a persistent wineserver")
    print(f"{'':<28} {'launcher: wall':>9} {'cpu':>9}   {'baseline: wall':>9} {'cpu':>9}   ratio")
    install_copy(YEAR_2010)
    row("silent autorun stop", *pairs(lambda: None))

    def fresh_machine():
        wd.forget_installed_copy()
        wd.clear_temp_directory()
    row("setup start (expands, starts)", *pairs(fresh_machine))

    for count in (10000, 100000):
        handoff(work, count)
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
