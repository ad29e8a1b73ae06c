"""One run of a medium's start program on a sealed customer machine, from the
checker's side: the machine's writable place (a tmpfs of bounded size) with
its drive C: as an overlay of the prepared prefix, the machine's display,
its recorder (kit/machine_recorder.py) as the first process of its seal,
and, once every process of the machine has ended, what the run changed.

The checker takes the boxes' pictures itself and answers them; their texts
come whole from the observer, which reads them from the windows."""

import fcntl
import json
import os
import queue
import subprocess
import threading
import time

from kit.common import wine_driver as wd
from kit.sealing import machine_changes
from kit.sealing.seal import MACHINE_BYTES, MS_NODEV, MS_NOSUID, SealFailed, mount, overlay_path, unmount

# The locale of a machine that speaks English, whatever this machine's is.
ENGLISH = "en_US.UTF-8"
# A start program that has not ended after this many seconds is cut off,
# unless the check is told otherwise.
START_PROGRAM_LIMIT = 40
# Bringing Wine up, and ending it once the run is over.
WINE_LIMIT = 120
QUIET_SECONDS = 0.5


class Run:
    """What a customer saw and what ran: the start program's exit code, the
    boxes ([(caption, whole text)]), the Windows programs that it started
    (the observer's records), the other processes (the recorder's), and the
    changes: files on C: ({Windows path: Change}), the registry and the
    machine's other writable folders (texts)."""

    def __init__(self):
        self.exit_code, self.boxes, self.records, self.unix = None, [], [], []
        self.files, self.registry, self.outside = {}, [], []
        self.seconds, self.no_desktop = 0.0, False

    def __repr__(self):
        return f"Run(exit_code={self.exit_code}, boxes={self.boxes}, records={self.records})"


def unescaped(text):
    replaced = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\"}
    out, index = [], 0
    while index < len(text):
        if text[index] == "\\" and index + 1 < len(text):
            out.append(replaced.get(text[index + 1], text[index + 1]))
            index += 2
        else:
            out.append(text[index])
            index += 1
    return "".join(out)


def observer_records(lines, run):
    """The observer's records (program, command line, directory) and its
    windows' captions and texts, in order."""
    current = {}
    for line in lines:
        key, _, value = line.partition("=")
        if line == "end":
            run.records.append(current)
            current = {}
        elif key in ("program", "command_line", "directory", "id"):
            current[key] = unescaped(value)
        elif key == "box":
            caption, _, text = value.partition("\t")
            run.boxes.append((unescaped(caption), unescaped(text)))
        elif key == "failed":
            raise SealFailed(f"the observer could not start the start program ({value})")


class Machine:
    """A machine made for one run, in a tmpfs of its own: the prepared
    prefix as the overlay's lower layer, what the checker puts on the
    machine (put) in its upper layer, which the run then changes; placed is
    what was put ({path in the prefix: entry as machine_changes compares
    it})."""

    def __init__(self, seals, template, number, drive_d):
        self.seals, self.template = seals, template
        self.place = seals.place / f"machine-{number}"
        self.place.mkdir()
        mount("tmpfs", self.place, "tmpfs", MS_NOSUID | MS_NODEV,
              f"size={MACHINE_BYTES},mode=0755")
        for name in ("upper", "work", "prefix", "tmp", "shm"):
            (self.place / name).mkdir()
        for name in ("upper", "tmp", "shm"):
            seals.owned(self.place / name)
        self.upper = self.place / "upper"
        self.placed = {}
        self.put("dosdevices/d:", ("link", drive_d))

    def put(self, rel, content, mtime=None):
        """Puts a file (bytes), a folder (("folder",)) or a link (("link",
        target)) on the machine, the machine's user's own."""
        path = self.upper / rel
        made = [parent for parent in [path.parent, *path.parent.parents]
                if self.upper in parent.parents and not parent.exists()]
        path.parent.mkdir(parents=True, exist_ok=True)
        if content == ("folder",):
            path.mkdir()
        elif isinstance(content, tuple):
            os.symlink(content[1], path)
        else:
            path.write_bytes(content)
            if mtime is not None:
                os.utime(path, (mtime, mtime))
        for owned in made + [path]:
            if self.seals.root:
                os.lchown(owned, self.seals.sandbox_id, self.seals.sandbox_id)
        self.placed[rel] = machine_changes.entry(path)

    def mount_prefix(self):
        options = (f"lowerdir={overlay_path(self.template)},"
                   f"upperdir={overlay_path(self.upper)},"
                   f"workdir={overlay_path(self.place / 'work')}")
        if not self.seals.root:
            options += ",userxattr"
        mount("overlay", self.place / "prefix", "overlay", MS_NOSUID | MS_NODEV, options)

    def full(self):
        status = os.statvfs(self.place)
        return status.f_bavail * status.f_frsize < 1 << 20

    def close(self):
        unmount(self.place / "prefix")
        unmount(self.place)


def locale_registry(seals, template, locale):
    """The registry's files as Wine leaves them once it has come up in a
    locale: what it writes for the locale (regional settings, fonts, code
    pages, time zone names) is no change of a run's. Made once for each
    locale and prepared prefix (a few seconds), kept beside the prefix."""
    cache = template.parent / f"registry-{template.name}" / locale
    cache.mkdir(parents=True, exist_ok=True)
    with open(cache / ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not (cache / ".ready").exists():
            machine = Machine(seals, template, next(seals.numbers), "/medium")
            try:
                machine.mount_prefix()
                with seals.display() as display:
                    recorder = _recorder(seals, machine, display, locale, None)
                    recorder.communicate(timeout=WINE_LIMIT)
                for name in machine_changes.REGISTRY_FILES:
                    text = (machine_changes.registry_text(machine.upper / name)
                            or machine_changes.registry_text(template / name))
                    if text is None:
                        raise SealFailed(f"Wine left no {name} in the locale {locale}")
                    (cache / name).write_text(text)
            except subprocess.TimeoutExpired:
                raise SealFailed(f"Wine did not come up in the locale {locale}") from None
            finally:
                machine.close()
            (cache / ".ready").touch()
    return {name: (cache / name).read_text() for name in machine_changes.REGISTRY_FILES}


def run_machine(seals, template, drive_d, prepare, command, locale, shots,
                limit=START_PROGRAM_LIMIT):
    """Runs command (the start program, a Windows command line split) on a
    machine made by prepare(machine), whose Windows speaks locale; box
    pictures go to shots (box-1.png, ...); the start program is cut off after
    limit seconds. Answers a Run."""
    for attempt in range(3):
        run = _run_machine(seals, template, drive_d, prepare, command, locale, shots, limit)
        if not run.no_desktop:
            break
        # Wine failing, not the program: once more, on a new machine.
        for shot in shots.glob("*.png") if shots else ():
            shot.unlink()
    return run


def _run_machine(seals, template, drive_d, prepare, command, locale, shots, limit):
    began = time.monotonic()
    machine = Machine(seals, template, next(seals.numbers), drive_d)
    try:
        prepared = prepare(machine)
        machine.mount_prefix()
        with seals.display() as display:
            run = _run_sealed(seals, machine, display, command, locale, shots, limit)
        if machine.full():
            raise SealFailed(f"the machine's writable place ({MACHINE_BYTES >> 20} MiB) "
                             "filled up during the run")
        lower, upper = template, machine.upper
        run.files = machine_changes.file_changes(lower, upper, machine.placed)
        run.registry = machine_changes.registry_changes(lower, upper, prepared)
        run.outside = machine_changes.outside_changes(
            {"/tmp": machine.place / "tmp", "/dev/shm": machine.place / "shm"})
        run.seconds = time.monotonic() - began
        return run
    finally:
        machine.close()


def _recorder(seals, machine, display, locale, command):
    """The machine's seal with its recorder as its first process: it runs
    command under the observer, or, without one, only brings Wine up and
    ends it."""
    env = {"PATH": "/usr/bin:/bin", "HOME": "/tmp", "WINEPREFIX": "/prefix",
           "WINEARCH": "win32", "WINEDEBUG": "fixme-all", "LC_ALL": locale,
           "LOCPATH": "/locales",
           # No menu entries of Windows programs for a desktop that is not there.
           "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
           "DISPLAY": display.name}
    if "TZ" in os.environ:
        env["TZ"] = os.environ["TZ"]
    settings = {"env": env, "command": command,
                "observer": "Z:\\release\\kit\\observer\\observe.exe"}
    folders = {"/prefix": machine.place / "prefix", "/tmp": machine.place / "tmp",
               "/dev/shm": machine.place / "shm"}
    bwrap = seals.bwrap(*seals.machine_view(folders, display), "--as-pid-1",
                        "python3", "/kit/sealing/machine_recorder.py",
                        json.dumps(settings))
    return subprocess.Popen(bwrap, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL)


def _raise_if_failed(message):
    """A recorder that could not go on says why."""
    if "failed" in message:
        raise SealFailed(f"the machine's recorder failed: {message['failed']}")


def _run_sealed(seals, machine, display, command, locale, shots, limit):
    recorder = _recorder(seals, machine, display, locale, command)
    said = queue.Queue()

    def listen():
        for line in recorder.stdout:
            try:
                said.put(json.loads(line))
            except ValueError:
                pass
        said.put(None)

    threading.Thread(target=listen, daemon=True).start()
    run, lines, seen = Run(), [], []
    try:
        ended = _answer_boxes(display.env, said, lines, seen, shots, run, limit)
        run.exit_code = ended
        recorder.stdin.write(b"finish\n")
        recorder.stdin.flush()
        deadline = time.monotonic() + WINE_LIMIT
        while True:
            message = said.get(timeout=max(0.1, deadline - time.monotonic()))
            if message is None:
                raise SealFailed("the machine's recorder ended before its report")
            _raise_if_failed(message)
            lines += [message["observer"]] if "observer" in message else []
            run.unix = message.get("processes", run.unix)
            run.no_desktop |= message.get("no_desktop", False)
            if message.get("done"):
                break
        recorder.wait(WINE_LIMIT)
    except queue.Empty:
        raise SealFailed("the machine did not end in time") from None
    finally:
        if recorder.poll() is None:
            recorder.kill()
            recorder.wait()
    observer_records(lines, run)
    run.boxes = boxes_shown(seen, run.boxes)
    return run


def boxes_shown(seen, read):
    """The windows that the screen showed, in order (their pictures are
    box-1.png, ...), each with the text that the observer read from it; a
    window that the observer never read (it came after the start program's
    end: a crash dialog, say) keeps its caption alone, one that came and went
    between two looks at the screen follows with its text."""
    read = list(read)
    boxes = []
    for caption in seen:
        match = next((i for i, (name, _) in enumerate(read) if name == caption), None)
        boxes.append(read.pop(match) if match is not None else (caption, ""))
    return boxes + read


def _answer_boxes(env, said, lines, seen, shots, run, limit):
    """Takes a picture of each box as it comes and answers it, until the
    start program and all its programs have ended and the screen has been
    quiet for a moment: answers the start program's exit code."""
    handled, ended, quiet_since = {}, None, None
    deadline = time.monotonic() + limit + WINE_LIMIT
    started = None
    while True:
        while not said.empty():
            message = said.get()
            if message is None:
                raise SealFailed("the machine's recorder ended before the start program")
            _raise_if_failed(message)
            if "observer" in message:
                lines.append(message["observer"])
                if message["observer"].startswith("start="):
                    started = time.monotonic()
            if "ended" in message:
                ended = message["ended"]
            run.no_desktop |= message.get("no_desktop", False)
        if started and time.monotonic() > started + limit or (
                time.monotonic() > deadline):
            raise TimeoutError(f"the start program did not end within "
                               f"{limit} seconds; boxes so far: {seen}")
        windows = wd.visible_windows(env)
        for window in windows:
            now = time.monotonic()
            if window not in handled:
                name = wd.window_name(env, window)
                if not name:
                    continue
                seen.append(name)
                if shots:
                    time.sleep(0.3)
                    wd.take_picture(env, window, shots / f"box-{len(seen)}.png")
                handled[window] = 0.0
            if now - handled[window] > 0.5:
                wd.press_space(env, window)
                handled[window] = now
        if windows or ended is None:
            quiet_since = None
        elif quiet_since is None:
            quiet_since = time.monotonic()
        elif time.monotonic() - quiet_since > QUIET_SECONDS:
            return ended
        time.sleep(0.1)
