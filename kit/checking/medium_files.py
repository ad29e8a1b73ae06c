"""A medium's files as the launcher and Windows see them, and what is wrong
with them before anything runs: autorun.inf, the files that the launcher
probes, the compressed files and their dates; for a folder, what a disc
made from it would not carry; for an image, where its two trees of names
differ."""

from kit.common import image_trees
from kit.common import szdd
from kit.common.windows_names import Refused, check_name, windows_key

# A file has no DOS date before 1980 (local time): the earliest date that is
# 1980 in every time zone.
EARLIEST = 315619200


class Usage(Exception):
    """The medium named cannot be checked (not a folder, no image)."""


def find(folder, name):
    """The entry of folder named name without regard to case, as Windows finds it."""
    if folder.is_dir():
        for entry in folder.iterdir():
            if windows_key(entry.name) == windows_key(name):
                return entry
    return None


class Medium:
    """The medium's files, seen as the launcher sees them."""

    def __init__(self, root):
        self.root = root
        lxv = find(root, "lxv")
        win32 = lxv and find(lxv, "win32")
        marker = win32 and find(win32, "lxv.ex_")
        self.nested = bool(marker and marker.is_file())
        self.files = win32 if self.nested else root
        self.windows_dir = "D:\\lxv\\win32\\" if self.nested else "D:\\"
        self.program = self.file("Lxv.Exe") or self.file("Lxv.Ex_")
        self.library = self.file("Pyrn.Dll") or self.file("Pyrn.Dl_")
        self.full = bool(self.program or self.library or self.file("Prelude.Msg"))
        self.problems, self.expanded, self.start_program = [], {}, None

    def file(self, name):
        entry = find(self.files, name)
        return entry if entry and entry.is_file() else None

    def autorun_command(self):
        """The program and arguments that autorun.inf opens, as Windows reads
        it, or None; its file becomes self.start_program."""
        inf = find(self.root, "autorun.inf")
        if not inf:
            self.problems.append("autorun.inf is missing: the medium does not start by itself")
            return None
        found = autorun_open(inf.read_bytes().decode("cp1252", "replace"))
        if not found:
            self.problems.append("autorun.inf names no program (no open= line in its "
                                 "[autorun] section)")
            return None
        program, arguments = found
        entry = self.root
        for part in program.replace("\\", "/").split("/"):
            entry = entry and (find(entry, part) if part not in ("", ".", "..") else None)
        if not (entry and entry.is_file()):
            self.problems.append(f"autorun.inf opens {program}, which is not on the medium")
            return None
        self.start_program = entry
        if windows_key(entry.name) != "LAUNCH.EXE":
            self.problems.append(f"autorun.inf opens {program}: the medium's start program "
                                 "is LAUNCH.EXE")
        if not arguments or arguments[0].lower() != "autorun":
            self.problems.append(
                f"autorun.inf opens {program} without the argument autorun: on every insert, "
                "a customer whose installed copy is newer than the medium's program sees "
                "setup start, where the launcher would do nothing (write open=LAUNCH.EXE "
                "autorun)")
        return ["D:\\" + program.replace("/", "\\"), *arguments]

    def lint(self):
        command = self.autorun_command()
        if self.full:
            self.lint_probe_files()
        for entry in (self.program, self.library):
            if entry and entry.name.endswith("_"):
                try:
                    self.expanded[entry.name] = szdd.expand(entry.read_bytes())
                except ValueError as error:
                    self.problems.append(f"{self.rel(entry)} does not expand: {error}")
        # Autorun compares the program's date with the installed copy's.
        if self.program and self.program.stat().st_mtime < EARLIEST:
            self.problems.append(f"{self.rel(self.program)} is dated before 1980, which a "
                                 "file date on Windows cannot hold: started by autorun, the "
                                 "launcher takes every installed copy for newer and does "
                                 "nothing; give it a later date")
        return command

    def lint_probe_files(self):
        for names in (("Lxv.Ex_", "Lxv.Exe"), ("Pyrn.Dl_", "Pyrn.Dll"),
                      ("Prelude.Msg",), ("Shared.604",)):
            if not any(self.file(name) for name in names):
                self.problems.append(f"probe file {' or '.join(names)} is missing in "
                                     f"{self.windows_dir}: the launcher says the install "
                                     "files are missing")
        if not any(windows_key(e.name).startswith("DIAL") for e in self.files.iterdir()):
            self.problems.append(f"no Dial* entry in {self.windows_dir}: the launcher "
                                 "says the install files are missing")

    def rel(self, entry):
        return str(entry.relative_to(self.root))

    def reference_time(self):
        return (self.program or self.files).stat().st_mtime


def split_arguments(text):
    """Arguments as a program started by Windows splits its command line:
    blanks apart, quotes around a part that holds them."""
    arguments, current, quoted, inside = [], "", False, False
    for c in text:
        if c == '"':
            quoted, inside = not quoted, True
        elif c in " \t" and not quoted:
            if inside:
                arguments.append(current)
            current, inside = "", False
        else:
            current, inside = current + c, True
    if inside:
        arguments.append(current)
    return arguments


def autorun_open(text):
    """The program and its arguments that an autorun.inf opens, as Windows
    reads it: the first open= of its [autorun] section (case ignored), the
    program quoted or not, or None."""
    section = None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("["):
            section = line[1:line.find("]")].strip().lower() if "]" in line else None
            continue
        key, equals, value = line.partition("=")
        if section == "autorun" and equals and key.strip().lower() == "open":
            value = value.strip()
            if value.startswith('"'):
                program, _, rest = value[1:].partition('"')
            else:
                program, _, rest = value.partition(" ")
            return (program.strip(), split_arguments(rest)) if program.strip() else None
    return None


def open_medium(path, work):
    """The medium as Windows sees it, and what differs from the view it was
    made from."""
    if path.suffix.lower() == ".iso" and path.is_file():
        folder = work / "medium"
        image_trees.extract_windows_view(path, folder)
        return folder, image_trees.differences(path)
    if not path.is_dir():
        raise Usage(f"{path} is neither a folder nor an .iso image")
    return path, folder_problems(path)


def folder_problems(path):
    """What a disc made from the folder would not carry as it is."""
    problems = []
    for entry in sorted(path.rglob("*")):
        if entry.is_symlink() or not (entry.is_file() or entry.is_dir()):
            problems.append(f"{entry.relative_to(path)} is a symbolic link or a special "
                            "file: a disc made from this folder may leave it out")
        try:
            check_name(entry.relative_to(path), entry.name)
        except Refused as error:
            problems.append(str(error))
    return problems
