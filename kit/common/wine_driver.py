"""Runs the real launcher under Wine on an Xvfb display and collects what a
user would see: every message box (caption and text, in order), the exit
code, how the stand-in main application was started, and files written."""

import contextlib
import getpass
import os
import pathlib
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from kit.common.outside_tool import ToolFailed, run_tool

ROOT = pathlib.Path(__file__).resolve().parents[2]
RELEASE = pathlib.Path(os.environ.get("LAUNCH_RELEASE_DIR", ROOT / "build" / "release"))
MEDIA = RELEASE / "media"
# Time limits, in seconds: a Wine start (slow under an emulator) and a
# call to xdotool or ImageMagick on the display.
WINE_LIMIT = 120
DISPLAY_LIMIT = 20


def download_sites():
    """The download sites that the release build was configured with."""
    cache_file = RELEASE / "CMakeCache.txt"
    if not cache_file.exists():
        return "(no release build)"
    cache = cache_file.read_text()
    for line in cache.splitlines():
        if line.startswith("LAUNCH_DOWNLOAD_SITES:"):
            return line.split("=", 1)[1]
    raise RuntimeError("no LAUNCH_DOWNLOAD_SITES in " + str(RELEASE / "CMakeCache.txt"))


def advice_suffix():
    """What every advice box appends to its text."""
    return ". Download latest program from " + download_sites() + " and reinstall."


def environment():
    """The Wine environment that kit/wine-env.sh defines; the driver runs
    under scripts/with-wine, which has made the prefix and the display."""
    if "WINEPREFIX" not in os.environ or "DISPLAY" not in os.environ:
        raise RuntimeError("run this under scripts/with-wine (it sets up Wine and the display)")
    return dict(os.environ)


def prefix():
    return pathlib.Path(environment()["WINEPREFIX"])


def unix_to_windows(path):
    return "Z:" + str(path).replace("/", "\\")


def windows_temp(user=None):
    """The Windows temporary directory of a Wine prefix's user (by default,
    this machine's user, whom the tests' prefix has), as Windows names it."""
    return f"C:\\users\\{user or getpass.getuser()}\\Temp\\"


def temp_directory():
    """The Windows temporary directory of the prefix's user, as a Unix path."""
    return prefix() / "drive_c" / windows_temp()[3:].replace("\\", "/")


def clear_temp_directory():
    temp = temp_directory()
    shutil.rmtree(temp, ignore_errors=True)
    temp.mkdir(parents=True)


def map_drive(letter, folder):
    """Makes folder appear as drive letter (D: is a CD-ROM drive)."""
    link = prefix() / "dosdevices" / f"{letter.lower()}:"
    if link.is_symlink() or link.exists():
        link.unlink()
    link.symlink_to(folder)


def wine(*args, check=True):
    """Runs a Windows program to its end; raises ToolFailed when it fails
    (with check) or does not end in time."""
    return run_tool(["wine", *args], WINE_LIMIT, ok=(0,) if check else None,
                    env=environment(), stdout=subprocess.DEVNULL,
                    stderr=subprocess.DEVNULL)


def reg_add(key, name, data, kind="REG_SZ"):
    wine("reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f")


def reg_delete(key):
    wine("reg", "delete", key, "/f", check=False)


def reg_import(text):
    """Applies a .reg text in one Wine start ("[-KEY]" deletes a key tree)."""
    with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False) as reg:
        reg.write("REGEDIT4\r\n\r\n" + text.replace("\n", "\r\n"))
    try:
        wine("regedit", "/s", unix_to_windows(reg.name))
    finally:
        os.unlink(reg.name)


UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lexivane"


def forget_installed_copy():
    """Removes what the stand-in's setup leaves: registrations and folders."""
    reg_import(f"[-HKEY_CURRENT_USER\\{UNINSTALL_KEY}]\n\n"
               f"[-HKEY_LOCAL_MACHINE\\{UNINSTALL_KEY}]\n")
    for folder in ("Program Files/Lexivane", "Lexivane Data"):
        shutil.rmtree(prefix() / "drive_c" / folder, ignore_errors=True)


def install_copy(version, program=None, stamp=None):
    """A simulated installed copy, as the stand-in's setup leaves it: the
    registration of version, the install and data folders and, given a
    program file, that file as its Lxv.Exe (dated stamp, when given) with the
    stand-in's library beside it."""
    uninstall = 'C:\\Program Files\\Lexivane\\LxvDel.Exe /u x "C:\\Lexivane Data\\"'
    uninstall = uninstall.replace("\\", "\\\\").replace('"', '\\"')
    reg_import(f"[HKEY_CURRENT_USER\\{UNINSTALL_KEY}]\n"
               f'"DisplayName"="Lexivane {version}"\n"UninstallString"="{uninstall}"\n')
    install = prefix() / "drive_c" / "Program Files" / "Lexivane"
    install.mkdir(parents=True, exist_ok=True)
    (prefix() / "drive_c" / "Lexivane Data").mkdir(parents=True, exist_ok=True)
    if program:
        shutil.copy(program, install / "Lxv.Exe")
        shutil.copy(RELEASE / "standin" / "pyrn.dll", install / "Pyrn.DLL")
        if stamp is not None:
            os.utime(install / "Lxv.Exe", (stamp, stamp))


def reg_value(key, name):
    """A registry value as `wine reg query` prints it, or None."""
    out = run_tool(["wine", "reg", "query", key, "/v", name], WINE_LIMIT, ok=None,
                   env=environment(), text=True).stdout
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) == 3 and parts[0] == name:
            return parts[2]
    return None


def reg_exists(key):
    return wine("reg", "query", key, check=False).returncode == 0


_ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}


def _unescape(text):
    def replace(match):
        code = match.group(1)
        return _ESCAPES.get(code, None) or chr(int(code, 16))
    return re.sub(r'\\([nrt\\"]|[0-9a-fA-F]{4})', replace, text)


def box_texts(trace):
    return [_unescape(m) for m in re.findall(r'MSGBOX_OnInit L"((?:[^"\\]|\\.)*)"', trace)]


def visible_windows(env):
    # xdotool answers 1 when it finds no window.
    return run_tool(["xdotool", "search", "--onlyvisible", "--name", "."], DISPLAY_LIMIT,
                    ok=(0, 1), env=env, text=True).stdout.split()


def window_name(env, window):
    """The window's name; empty when it has none or has gone."""
    named = run_tool(["xdotool", "getwindowname", window], DISPLAY_LIMIT, ok=None,
                     env=env, text=True)
    return named.stdout.rstrip("\n") if named.returncode == 0 else ""


def prefix_programs(wanted=lambda command: True):
    """(process id, command line lower-cased with its arguments apart) of
    every wanted program that runs in this driver's prefix."""
    ours = b"\0WINEPREFIX=" + os.fsencode(environment()["WINEPREFIX"]) + b"\0"
    for process in pathlib.Path("/proc").glob("[0-9]*"):
        try:
            command = (process / "cmdline").read_bytes().lower().split(b"\0")
            if wanted(command) and ours in b"\0" + (process / "environ").read_bytes():
                yield int(process.name), command
        except OSError:
            continue


def program_name(command):
    """The file name of the program that a command line runs, for a Windows
    program also while Wine's loader still starts it."""
    names = [part.replace(b"\\", b"/").rsplit(b"/", 1)[-1] for part in command[:2]]
    return names[1] if names[0].startswith(b"wine") and len(names) > 1 else names[0]


def _ours(command):
    """A stand-in main application, or a launcher: a program that the
    launcher starts is a copy of it until the new program takes over the
    process. Only the program counts: a Unix tool that names a launcher among
    its arguments (the medium kit's) is neither."""
    return program_name(command).endswith((b"lxv.exe", b"launch.exe"))


def _main_application_running():
    return any(prefix_programs(_ours))


def end_main_applications():
    """Ends the launchers and stand-ins that a case left running, so that the
    next case's runs do not wait for them."""
    for _ in range(50):
        left = [pid for pid, _ in prefix_programs(_ours)]
        if not left:
            return
        for pid in left:
            with contextlib.suppress(OSError):
                os.kill(pid, signal.SIGKILL)
        time.sleep(0.1)


class BoxMismatch(AssertionError):
    """The boxes on the screen and the box texts in the trace disagree."""


def _text_of_box(trace_path, index):
    """The traced text of the index-th box. Wine traces a box's text before
    the box shows, so it is there by the time its window is seen."""
    for _ in range(50):
        texts = box_texts(trace_path.read_text(errors="replace"))
        if len(texts) > index:
            return texts[index]
        time.sleep(0.1)
    raise BoxMismatch(f"box {index + 1} is on the screen but its text was never traced")


class Run:
    def __init__(self, exit_code, boxes, records, trace):
        self.exit_code = exit_code
        self.boxes = boxes
        self.records = records
        self.trace = trace
        self.unix = []

    def __repr__(self):
        return f"Run(exit_code={self.exit_code}, boxes={self.boxes}, records={self.records})"


def parse_records(text):
    records, current = [], {}
    for line in text.splitlines():
        if line == "end":
            records.append(current)
            current = {}
        elif "=" in line:
            key, value = line.split("=", 1)
            current[key] = value
    return records


# What Wine says when its desktop process did not come up in time (seen now
# and then under QEMU): the program then cannot show any window at all.
_NO_DESKTOP = ("The explorer process failed to start", "no driver could be loaded")


def run(program, *args, **kwargs):
    """Runs a Windows program (a Windows path) and answers a Run. Every box is
    read and dismissed; the run waits for the stand-in to finish too. A run in
    which Wine could not give the program a desktop is made again, twice at
    most: that is Wine failing, not the program."""
    for _ in range(2):
        result = _run_once(program, *args, **kwargs)
        if not any(sign in result.trace for sign in _NO_DESKTOP):
            return result
    return _run_once(program, *args, **kwargs)


def _run_once(program, *args, **kwargs):
    work = pathlib.Path(tempfile.mkdtemp(prefix="launch-run-"))
    try:
        return _run_in(work, program, *args, **kwargs)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def _run_in(work, program, *args, cwd=None, timeout=40, extra_env=None, box_shots=None,
            wait_for_application=True):
    """box_shots: a folder for a picture of every box, cropped to it
    (box-1.png, ...); wait_for_application: False when a stand-in that runs
    on (a setup that another run started) is not this run's to wait for."""
    env = dict(environment())
    env["WINEDEBUG"] = "+msgbox"
    record = work / "record.txt"
    env["LXV_STANDIN_RECORD"] = unix_to_windows(record)
    env.update(extra_env or {})
    command = ["wine", program, *args]
    trace_path = work / "trace.txt"
    with open(trace_path, "w") as trace_file:
        process = subprocess.Popen(command, env=env, cwd=cwd,
                                   stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=trace_file)
    boxes, handled = [], {}
    deadline = time.monotonic() + timeout
    quiet_since = None
    try:
        while True:
            if time.monotonic() > deadline:
                raise TimeoutError(f"{program} {args} still running after {timeout}s; "
                                   f"boxes so far: {boxes}")
            windows = visible_windows(env)
            for window in windows:
                now = time.monotonic()
                if window not in handled:
                    name = window_name(env, window)
                    if not name:
                        continue
                    boxes.append((name, _text_of_box(trace_path, len(boxes))))
                    if box_shots:
                        time.sleep(0.3)
                        take_picture(env, window,
                                      pathlib.Path(box_shots) / f"box-{len(boxes)}.png")
                    handled[window] = 0.0
                if now - handled[window] > 0.5:
                    # The box may have gone by itself meanwhile: no answer
                    # is needed.
                    press_space(env, window)
                    handled[window] = now
            busy = (windows or process.poll() is None
                    or (wait_for_application and _main_application_running()))
            if busy:
                quiet_since = None
            elif quiet_since is None:
                quiet_since = time.monotonic()
            elif time.monotonic() - quiet_since > 0.5:
                break
            time.sleep(0.1)
    finally:
        if process.poll() is None:
            process.kill()
    trace = trace_path.read_text(errors="replace")
    texts = box_texts(trace)
    if len(texts) != len(boxes):
        raise BoxMismatch(f"{len(texts)} boxes traced but {len(boxes)} seen on the screen: "
                          f"texts {texts}, seen {boxes}")
    records = parse_records(record.read_text(errors="replace")) if record.exists() else []
    return Run(process.returncode, boxes, records, trace)


def press_space(env, window):
    """Answers a box (its focused button); it may have gone meanwhile."""
    run_tool(["xdotool", "key", "--window", window, "space"], DISPLAY_LIMIT, ok=None, env=env)


def take_picture(env, window, shot):
    """A picture of the window, cropped to it, the same bytes for the same
    pixels (no time in it); none when the window went before it could be
    taken (a try or two more while it is there)."""
    for _ in range(3):
        taken = run_tool(["import", "-window", window, "-define", "png:exclude-chunks=date,time",
                          str(shot)], DISPLAY_LIMIT, ok=None, env=env)
        if taken.returncode == 0:
            return
        shot.unlink(missing_ok=True)
        if window not in visible_windows(env):
            return
        time.sleep(0.1)
