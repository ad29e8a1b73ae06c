"""Tells the story of a publisher's media meeting a customer's machine, a few
lines a run: the boxes shown, what was started where, and what was written."""

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))
from kit.common import wine_driver as wd  # noqa: E402

SHOTS = wd.ROOT / "build" / "demo"
KIT = wd.ROOT / "kit"
UNINSTALL = "HKCU\\" + wd.UNINSTALL_KEY
DRIVE_C = None


def heading(text):
    print()
    print(text)
    print("-" * len(text))


def report(run, screenshot=None):
    for caption, text in run.boxes:
        print(f"  box       [{caption}] {text}")
    if not run.boxes:
        print("  box       none")
    for record in run.records:
        print(f"  started   {record['command_line']}")
        print(f"            in {record['directory']} (library {record['library']})")
        if "installed" in record:
            print(f"  installed {record['installed']} (data in {record['data']})")
        if record.get("list_file", "none") != "none":
            print(f"  list read {record['list_file']}: {record['list'].replace('|', ' / ')}")
    if not run.records:
        print("  started   nothing")
    print(f"  exit code {run.exit_code}")
    if screenshot and screenshot.exists():
        print(f"  picture   {screenshot.relative_to(wd.ROOT)}")


def listing(folder):
    if not folder.exists():
        return "none"
    return ", ".join(f"{p.name} ({p.stat().st_size} bytes)"
                     for p in sorted(folder.iterdir())) or "none"


def registration():
    for name in ("DisplayName", "UninstallString"):
        print(f"  registry  {name} = {wd.reg_value(UNINSTALL, name)}")


def medium_copy(work, sample, remove=()):
    folder = work / sample
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(wd.MEDIA / sample, folder)
    for name in remove:
        (folder / name).unlink()
    return folder


def modules_medium(work):
    folder = work / "modules"
    folder.mkdir()
    shutil.copy(wd.MEDIA / "compressed" / "LAUNCH.EXE", folder)
    (folder / "autorun.inf").write_bytes(b"[autorun]\r\nopen=LAUNCH.EXE autorun\r\n")
    for name in ("Grammar.604", "Idioms.604", "Shared.604", "readme.txt"):
        (folder / name).write_bytes(f"Lexivane module {name}\r\n".encode())
    return folder


def publisher_files(work):
    """What a publisher hands to make-medium.sh for a full medium."""
    folder = work / "publisher"
    folder.mkdir()
    shutil.copy(wd.MEDIA / "originals" / "Lxv.exe", folder / "Lxv.Exe")
    shutil.copy(wd.MEDIA / "originals" / "Pyrn.DLL", folder / "Pyrn.DLL")
    for name in ("Prelude.Msg", "Shared.604", "DialEn.604", "Grammar.604"):
        (folder / name).write_bytes(f"Lexivane {name}\r\n".encode())
    return folder


def kit(*command):
    """Runs a script of the publisher's kit; its output goes to the screen."""
    shown = [str(c.relative_to(wd.ROOT)) if wd.ROOT in getattr(c, "parents", ()) else str(c)
             for c in command]
    print(f"  run       {' '.join(shown)}", flush=True)
    print(f"  exit code {subprocess.run([str(c) for c in command], cwd=wd.ROOT).returncode}")


def picture(page, shot):
    """A picture of a page as a 1280-pixel-wide browser shows it."""
    with tempfile.TemporaryDirectory() as profile:
        subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu",
                        "--no-first-run", "--disable-background-networking",
                        "--disable-component-update", "--disable-sync",
                        f"--user-data-dir={profile}", "--window-size=1280,1600",
                        f"--screenshot={shot}", page.as_uri()],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)


def run(command, *args, screenshot=None, locale=None):
    """Runs the launcher (in a customer's locale, given one); screenshot
    names the picture of its first box."""
    print(f"  run       {command} {' '.join(args)}".rstrip())
    with tempfile.TemporaryDirectory() as shots:
        result = wd.run(command, *args, box_shots=shots,
                        extra_env={"LC_ALL": locale} if locale else None)
        first = pathlib.Path(shots) / "box-1.png"
        shot = SHOTS / screenshot if screenshot and first.exists() else None
        if shot:
            shutil.copy(first, shot)
    report(result, shot)


def main():
    SHOTS.mkdir(parents=True, exist_ok=True)
    drive_c = wd.prefix() / "drive_c"
    work = pathlib.Path(tempfile.mkdtemp(prefix="launch-demo-"))
    try:
        wd.clear_temp_directory()
        heading("1. A fresh machine: the full compressed medium in CD-ROM drive D:, by autorun")
        full = medium_copy(work, "compressed")
        wd.map_drive("d", full)
        print(f"  medium    {listing(full)}")
        run("D:\\LAUNCH.EXE", "autorun")
        print(f"  expanded  {listing(wd.temp_directory())}")
        registration()

        heading("2. The same medium by autorun again: the installed copy is newer")
        wd.clear_temp_directory()
        run("D:\\LAUNCH.EXE", "autorun")
        print(f"  expanded  {listing(wd.temp_directory())}")

        heading("3. A modules-only medium: handed over to the installed application")
        modules = modules_medium(work)
        wd.map_drive("d", modules)
        print(f"  medium    {listing(modules)}")
        run("D:\\LAUNCH.EXE", "autorun")
        print(f"  data now  {listing(drive_c / 'Lexivane Data')}")

        heading("4a. The same modules meet a registration of version 7.05 (too old for modules)")
        wd.reg_import(f"[HKEY_CURRENT_USER\\{wd.UNINSTALL_KEY}]\n\"DisplayName\"=\"Lexivane 7.05\"\n")
        run("D:\\LAUNCH.EXE", "autorun", screenshot="too-old.png")

        heading("4b. ... and a broken installation (Lxv.Exe deleted from the install directory)")
        wd.reg_import(f"[HKEY_CURRENT_USER\\{wd.UNINSTALL_KEY}]\n\"DisplayName\"=\"Lexivane 9.1\"\n")
        (drive_c / "Program Files" / "Lexivane" / "Lxv.Exe").unlink()
        run("D:\\LAUNCH.EXE", "autorun", screenshot="not-installed.png")

        heading("5. A damaged full medium (Shared.604 and Prelude.Msg lost) on a clean machine")
        wd.forget_installed_copy()
        wd.map_drive("d", medium_copy(work, "plain", ["Shared.604", "Prelude.Msg"]))
        run("D:\\LAUNCH.EXE", screenshot="missing-files.png")

        heading("5b. The same medium for a customer in Germany, and one in Japan")
        run("D:\\LAUNCH.EXE", screenshot="missing-files-de.png", locale="de_DE.UTF-8")
        run("D:\\LAUNCH.EXE", screenshot="missing-files-ja.png", locale="ja_JP.UTF-8")

        heading("6. Before pressing: the publisher's kit makes an image and checks it")
        image = SHOTS / "lexivane.iso"
        kit(KIT / "make-medium.sh", "--label", "LEXIVANE", publisher_files(work), image)
        kit(KIT / "check-medium.sh", image, SHOTS / "check-good")

        heading("7. ... and a medium whose compressed program was cut short in copying, "
                "as customers in Germany and Japan would meet it too")
        broken = medium_copy(work, "compressed")
        os.truncate(broken / "Lxv.Ex_", 20000)
        kit(KIT / "check-medium.sh", "--languages", "de,ja", broken, SHOTS / "check-broken")
        page = SHOTS / "check-broken" / "report.html"
        picture(page, SHOTS / "report.png")
        print(f"\nThe report a publisher opens: {page}\n  (a picture of it: "
              f"{SHOTS / 'report.png'})")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
