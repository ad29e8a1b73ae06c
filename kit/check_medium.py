"""check_medium.py [--version V] MEDIUM [REPORT_DIR]

Checks a Lexivane medium (a folder, or an .iso read with xorriso) before it is
pressed: first its files (autorun.inf, the files that the launcher probes, the
compressed files and the file dates), then what its LAUNCH.EXE does, started
as autorun starts it from CD-ROM drive D:, on five simulated customer
machines. What it starts is recorded and ended before it runs.

Exit codes: 0 the medium keeps its promise, 1 it does not (with the reasons),
2 usage error, 3 the check itself could not run (with the cause).

Runs under kit/check-medium.sh, which gives it a throw-away Wine prefix in a
sealed view of this machine."""

import argparse
import getpass
import html
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile

import make_medium
import wine_driver as wd

SZDD_MAGIC = b"SZDD\x88\xf0\x27\x33"
# A file has no DOS date before 1980 (local time): the earliest date that is
# 1980 in every time zone.
EARLIEST = 315619200
DAY = 86400
STANDIN = wd.RELEASE / "standin"
TEMP = "C:\\users\\" + getpass.getuser() + "\\Temp\\"


class Usage(Exception):
    pass


def szdd_expand(data):
    """Expands an SZDD file (LZSS, method 'A') as the platform's LZ library
    does; raises ValueError saying what is wrong with it."""
    if len(data) < 14 or data[:8] != SZDD_MAGIC:
        raise ValueError("no SZDD header (magic SZDD 88 F0 27 33)")
    if data[8:9] != b"A":
        raise ValueError(f"compression method {data[8:9]!r}, the launcher knows only 'A'")
    size = struct.unpack("<I", data[10:14])[0]
    window, pos, out, i = bytearray(b" " * 4096), 4096 - 16, bytearray(), 14

    def put(byte):
        nonlocal pos
        window[pos], pos = byte, (pos + 1) & 0xFFF
        out.append(byte)

    # Each flag byte says, bit by bit from the lowest, whether a literal byte
    # or a two-byte reference (12-bit window position, length - 3) follows.
    while i < len(data) and len(out) < size:
        flags, i = data[i], i + 1
        for bit in range(8):
            if i >= len(data):
                break
            if flags >> bit & 1:
                put(data[i])
                i += 1
            elif i + 1 < len(data):
                start = data[i] | (data[i + 1] & 0xF0) << 4
                for k in range((data[i + 1] & 0x0F) + 3):
                    put(window[(start + k) & 0xFFF])
                i += 2
            else:
                i = len(data)
    if len(out) < size:
        raise ValueError(f"expands to {len(out)} of the {size} bytes its header announces "
                         "(the file is cut short or damaged)")
    return bytes(out[:size])


def find(folder, name):
    """The entry of folder named name without regard to case, as Windows finds it."""
    if folder.is_dir():
        for entry in folder.iterdir():
            if entry.name.lower() == name.lower():
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
        self.problems, self.expanded = [], {}

    def file(self, name):
        entry = find(self.files, name)
        return entry if entry and entry.is_file() else None

    def autorun_command(self):
        """The program and arguments that autorun.inf opens, or None."""
        inf = find(self.root, "autorun.inf")
        if not inf:
            self.problems.append("autorun.inf is missing: the medium does not start by itself")
            return None
        for line in inf.read_text(errors="replace").splitlines():
            key, _, value = line.partition("=")
            if key.strip().lower() == "open" and value.split():
                program, *args = value.split()
                if find(self.root, program.replace("\\", "/").split("/")[-1]):
                    return ["D:\\" + program, *args]
                self.problems.append(f"autorun.inf opens {program}, which is not on the medium")
                return None
        self.problems.append("autorun.inf names no program (no open= line)")
        return None

    def lint(self):
        command = self.autorun_command()
        if self.full:
            self.lint_probe_files()
        for entry in (self.program, self.library):
            if entry and entry.name.endswith("_"):
                try:
                    self.expanded[entry.name] = szdd_expand(entry.read_bytes())
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
        if not any(e.name.lower().startswith("dial") for e in self.files.iterdir()):
            self.problems.append(f"no Dial* entry in {self.windows_dir}: the launcher "
                                 "says the install files are missing")

    def rel(self, entry):
        return str(entry.relative_to(self.root))

    def modules(self):
        """The names that the launcher hands over (its selection rules)."""
        def selected(name):
            low = name.lower()
            return not (name.startswith(".") or ("604" not in name and "304" not in name)
                        or make_medium.DEVICES.fullmatch(name.split(".")[0].rstrip(" "))
                        or low in ("prelude.604", "earlyen.604")
                        or low.startswith("shared") or low.startswith("dial"))
        return sorted((e.name for e in self.files.iterdir() if selected(e.name)), key=str.lower)

    def reference_time(self):
        return (self.program or self.files).stat().st_mtime


class CheckFailed(Exception):
    """The check itself could not run to its end (not a fault of the medium)."""


def install_copy(version, stamp, program=True):
    """A simulated installed copy: the stand-in main application dated stamp,
    or no program file at all. The check never runs it."""
    wd.install_copy(version, STANDIN / "lxv.exe" if program else None, stamp)


def machines(medium, version):
    """The five customer machines: a name and how to prepare each."""
    ref = medium.reference_time()
    return [
        ("1 fresh machine", lambda: None),
        (f"2 installed {version}, newer program", lambda: install_copy(version, ref + DAY)),
        (f"3 installed {version}, older program", lambda: install_copy(version, ref - DAY)),
        ("4 installed 7.05, too old for modules", lambda: install_copy("7.05", ref - DAY)),
        (f"5 installed {version}, program file gone",
         lambda: install_copy(version, ref, program=False)),
    ]


def drive_c_files():
    """Every file of the machine's drive C: but Wine's own Windows folder,
    with its size and time, by its Windows path."""
    drive = wd.prefix() / "drive_c"
    files = {}
    for path in drive.rglob("*"):
        rel = path.relative_to(drive)
        if rel.parts[0].lower() != "windows" and path.is_file() and not path.is_symlink():
            status = path.stat()
            files["C:\\" + "\\".join(rel.parts)] = (status.st_size, status.st_mtime_ns, path)
    return files


def run_machine(name, prepare, command, shots):
    """Runs the medium's start program on one machine. What it starts is
    recorded and ended before it runs; what it writes is what changed on
    drive C:."""
    wd.forget_installed_copy()
    wd.clear_temp_directory()
    prepare()
    before = drive_c_files()
    try:
        run = wd.run(*command, box_shots=shots, observe=True)
    except (TimeoutError, wd.BoxMismatch) as error:
        raise CheckFailed(f"machine {name}: {error}") from error
    written = {path: entry[2].read_bytes() for path, entry in drive_c_files().items()
               if before.get(path, (None,))[:2] != entry[:2]}
    return {"name": name, "run": run, "written": written, "shots": shots}


def handed_over(row):
    """The module lines of the hand-off list written on a machine, or None."""
    for path, data in row["written"].items():
        if path.lower().endswith("\\autoload.lst"):
            lines = data.decode("cp1252", "replace").split("\r\n")
            return lines[:-2] if lines[-2:] == ["Setup 2.0", ""] else lines
    return None


def promise_kept(medium, rows):
    """Why the medium breaks its kind's promise; empty when it keeps it."""
    if medium.full:
        fresh = rows[0]
        if not fresh["run"].records:
            return ["on a fresh machine the launcher started no setup"]
        line = fresh["run"].records[0].get("command_line", "")
        if not line.endswith(f'"{medium.windows_dir}"'):
            return [f"setup was started with {line}, "
                    f"not with the medium directory {medium.windows_dir}"]
        if medium.program and medium.program.name.lower().endswith("_"):
            for name, entry in (("Lxv.exe", medium.program), ("Pyrn.DLL", medium.library)):
                source = entry.name if entry else "its compressed file"
                if fresh["written"].get(TEMP + name) != medium.expanded.get(source):
                    return [f"the setup program's {name} is not {source} expanded byte for byte"]
        elif not line.upper().startswith(medium.windows_dir + "LXV.EXE"):
            return [f"setup was not started from the medium: {line}"]
        return []
    wanted = [medium.windows_dir + name for name in medium.modules()]
    if not wanted:
        return ["the medium carries no module "
                "(a name with 604 or 304 that the launcher hands over)"]
    reasons = []
    for row in rows[1:3]:
        handed = handed_over(row)
        if sorted(handed or [], key=str.lower) != wanted:
            reasons.append(f"machine {row['name']}: handed over {handed or 'nothing'}, "
                           f"expected {wanted}")
    return reasons


def markdown(text):
    """Text as it reads in Markdown and HTML, whatever a file name holds."""
    text = html.escape(text, quote=True)
    return re.sub(r"([\\`*_{}\[\]()#+\-.!|~])", r"\\\1", text)


def table(rows, escape=str, links=False):
    """One row per machine; with links, each box carries its picture."""
    lines = ["| Machine | Boxes | Started | Files written |", "|---|---|---|---|"]
    for row in rows:
        run = row["run"]
        boxes = []
        for n, (caption, text) in enumerate(run.boxes, 1):
            shot = row["shots"] / f"box-{n}.png"
            picture = f" ![box {n}]({shot_name(row, shot)})" if links and shot.exists() else ""
            boxes.append(escape(f"[{caption}] {text}") + picture)
        started = [escape(f"{r.get('command_line', '?')} in {r.get('directory', '?')}")
                   for r in run.records]
        written = [escape(f"{path} ({len(data)} bytes)") for path, data in row["written"].items()]
        handed = handed_over(row)
        if handed is not None:
            written.append(escape("list: " + " / ".join(handed)))
        cells = [[escape(row["name"])], boxes, started, written]
        lines.append("| " + " | ".join(cell(x) for x in cells) + " |")
    return "\n".join(lines)


def cell(items):
    return "<br>".join(item.replace("|", "\\|").replace("\n", " / ") for item in items) or "none"


def shot_name(row, shot):
    return f"machine-{row['name'][0]}-{shot.name}"


def write_report(folder, medium_path, kind, rows, reasons):
    folder.mkdir(parents=True, exist_ok=True)
    for row in rows:
        for shot in row["shots"].glob("*.png"):
            shutil.copy(shot, folder / shot_name(row, shot))
    text = [f"# {markdown(medium_path.name)}: a {kind} medium", "",
            table(rows, markdown, links=True), ""]
    text += [f"- problem: {markdown(r)}" for r in reasons] or ["The medium keeps its promise."]
    (folder / "report.md").write_text("\n".join(text) + "\n")


def version(text):
    if not re.fullmatch(r"[0-9]{1,5}(\.[0-9]{1,5}){0,3}", text):
        raise argparse.ArgumentTypeError(f"'{text}' is not a version such as 9.1")
    return text


def parse_args(argv):
    parser = argparse.ArgumentParser(prog="check-medium.sh", description=__doc__.split("\n\n")[1],
                                     formatter_class=argparse.RawDescriptionHelpFormatter,
                                     epilog=__doc__.split("\n\n")[2])
    parser.add_argument("--version", default="9.1", type=version,
                        help="version of the simulated installed copies (default 9.1)")
    parser.add_argument("medium", type=pathlib.Path, help="a medium folder or an .iso image")
    parser.add_argument("report_dir", type=pathlib.Path, nargs="?",
                        help="where to write report.md and a PNG of every box")
    return parser.parse_args(argv)


def paths(argv):
    """For kit/check-medium.sh: the medium, the report folder (or an empty
    line) and the version, one a line; or the exit code of a usage error."""
    try:
        args = parse_args(argv)
    except SystemExit as exit_:
        return 0 if exit_.code == 0 else 2
    if not args.medium.exists():
        print(f"check-medium.sh: {args.medium} does not exist", file=sys.stderr)
        return 2
    for path in (args.medium, args.report_dir):
        if path and "\n" in str(path.resolve()):
            print(f"check-medium.sh: {path}: a path with a line break", file=sys.stderr)
            return 2
    print(args.medium.resolve())
    print(args.report_dir.resolve() if args.report_dir else "")
    print(args.version)
    return 0


def xorriso(image, *commands, read_fs="any"):
    done = subprocess.run(["xorriso", "-no_rc", "-osirrox", "on", "-read_fs", read_fs,
                           "-indev", str(image), *commands], capture_output=True, text=True,
                          errors="surrogateescape")
    if done.returncode != 0:
        raise Usage(f"xorriso cannot read {image}: {done.stderr.strip().splitlines()[-1:]}")
    return done.stdout


def image_entries(image, read_fs):
    """The image's paths in one of its trees, each with its type letter."""
    listing = xorriso(image, "-find", "/", "-exec", "lsdl", read_fs=read_fs)
    entries = {}
    for line in listing.splitlines():
        match = re.match(r"(\S)\S*\s.*?'(/.*?)'(?: -> '.*')?$", line)
        if match and match.group(2) != "/":
            entries[match.group(2)] = match.group(1)
    return entries


def image_differences(image):
    """Where what Windows reads (the Joliet tree) differs from the Unix view
    (Rock Ridge) that the image was made from."""
    unix, windows = image_entries(image, "any"), image_entries(image, "norock")
    problems = []
    for path in sorted(set(unix) | set(windows)):
        if path not in windows:
            what = "a symbolic link" if unix[path] == "l" else "on the image"
            problems.append(f"{path.lstrip('/')} is {what}, but Windows does not see it "
                            "(the image's Joliet names lack it)")
        elif path not in unix:
            problems.append(f"Windows sees {path.lstrip('/')}, which the image's Unix "
                            "names lack (a name cut or changed for Joliet)")
    return problems


def open_medium(path, work):
    """The medium as Windows sees it, and what differs from the view it was
    made from."""
    if path.suffix.lower() == ".iso" and path.is_file():
        folder = work / "medium"
        xorriso(path, "-extract", "/", str(folder), read_fs="norock")
        subprocess.run(["chmod", "-R", "u+w", str(folder)], check=False)
        return folder, image_differences(path)
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
            make_medium.check_name(entry.relative_to(path), entry.name)
        except make_medium.Refused as error:
            problems.append(str(error))
    return problems


def check(args, work):
    try:
        root, problems = open_medium(args.medium.resolve(), work)
    except Usage as error:
        print(f"check-medium.sh: {error}", file=sys.stderr)
        return 2
    medium = Medium(root.resolve())
    kind = "full" if medium.full else "modules-only"
    print(f"{args.medium}: a {kind} medium{', nested' if medium.nested else ''}")
    command = medium.lint()
    rows = []
    if command:
        wd.map_drive("d", medium.root)
        for name, prepare in machines(medium, args.version):
            shots = work / f"machine-{name[0]}"
            shots.mkdir()
            rows.append(run_machine(name, prepare, command, shots))
        print(table(rows))
    reasons = problems + medium.problems + (promise_kept(medium, rows) if rows else [])
    if args.report_dir:
        write_report(args.report_dir, args.medium, kind, rows, reasons)
    for reason in reasons:
        print(f"problem: {reason}")
    print("the medium keeps its promise" if not reasons else "the medium is not ready")
    return 1 if reasons else 0


def main(argv):
    try:
        args = parse_args(argv)
    except SystemExit as exit_:
        return 0 if exit_.code == 0 else 2
    work = pathlib.Path(tempfile.mkdtemp(prefix="check-medium-"))
    try:
        return check(args, work)
    except (CheckFailed, OSError, subprocess.SubprocessError) as error:
        print(f"check-medium.sh: the check could not run: {error}", file=sys.stderr)
        return 3
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
