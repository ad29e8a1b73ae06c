"""Tells, in a few lines a run, what the launcher does with sample media."""

import pathlib
import shutil
import sys
import tempfile

import wine_driver as wd

SHOTS = wd.ROOT / "build" / "demo"


def heading(text):
    print()
    print(text)
    print("-" * len(text))


def report(run, screenshot=None):
    for caption, text in run.boxes:
        print(f"  box      [{caption}] {text}")
    if not run.boxes:
        print("  box      none")
    for record in run.records:
        print(f"  started  {record['command_line']}")
        print(f"           in {record['directory']} (library {record['library']})")
    if not run.records:
        print("  started  nothing")
    print(f"  exit     {run.exit_code}")
    if screenshot and screenshot.exists():
        print(f"  picture  {screenshot.relative_to(wd.ROOT)}")


def temp_files():
    return ", ".join(f"{p.name} ({p.stat().st_size} bytes)"
                     for p in sorted(wd.temp_directory().iterdir())) or "none"


def medium_copy(work, sample, remove=()):
    folder = work / sample
    shutil.copytree(wd.MEDIA / sample, folder)
    for name in remove:
        (folder / name).unlink()
    return folder


def main():
    SHOTS.mkdir(parents=True, exist_ok=True)
    work = pathlib.Path(tempfile.mkdtemp(prefix="launch-demo-"))
    try:
        wd.clear_temp_directory()
        heading("1. The compressed medium in CD-ROM drive D:, opened by autorun")
        wd.map_drive("d", medium_copy(work, "compressed"))
        print("  run      D:\\LAUNCH.EXE autorun")
        report(wd.run("D:\\LAUNCH.EXE", "autorun"))
        print(f"  expanded {temp_files()} into the temporary directory")

        heading("2. A medium whose Shared.604 and Prelude.Msg are missing")
        wd.clear_temp_directory()
        wd.map_drive("d", medium_copy(work, "plain", ["Shared.604", "Prelude.Msg"]))
        print("  run      D:\\LAUNCH.EXE")
        shot = SHOTS / "missing-files.png"
        report(wd.run("D:\\LAUNCH.EXE", screenshot=shot), shot)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
