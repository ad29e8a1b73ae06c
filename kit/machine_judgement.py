"""What the medium check makes of the runs on the customer machines: whether
the medium keeps its promise, which programs ran beyond the medium's setup,
which files were written beyond the launcher's, and, for a start program
that is not this kit's launcher, where it does otherwise than the kit's
launcher on the same machine.

A row is one machine's run: number, name, run (wine_driver.Run, with the
observer's records of Windows programs and the watch's of the others),
written (drive C: path -> bytes) and, for a foreign start program,
reference (the kit's launcher's run and writes on the same machine)."""

import getpass
import ntpath

TEMP = "C:\\users\\" + getpass.getuser() + "\\Temp\\"
DATA, INSTALL = "C:\\Lexivane Data\\", "C:\\Program Files\\Lexivane\\"
# What the launcher writes on drive C:: the program and library expanded
# for setup, and the hand-off list in the data or install directory.
LAUNCHER_WRITES = {path.lower() for path in (TEMP + "Lxv.exe", TEMP + "Pyrn.DLL",
                                             DATA + "AutoLoad.Lst", INSTALL + "AutoLoad.Lst")}
# Wine sets a Windows program's process name to its file name, cut at 15.
NAME_LENGTH = 15


def programs_beyond(row, start_program):
    """The watch's records of programs that were not the start program's
    Windows programs: Unix programs, programs started outside them, and
    programs known only by a name that no Windows program of the run had."""
    windows = {ntpath.basename(record.get("program", "")).lower()[:NAME_LENGTH]
               for record in row["run"].records}
    windows.add(ntpath.basename(start_program).lower()[:NAME_LENGTH])
    return [record for record in row["run"].unix
            if record.get("program") or record.get("where") == "outside"
            or record.get("name", "").lower()[:NAME_LENGTH] not in windows]


def program_text(record):
    """A watch record as the report names it."""
    where = ", started outside LAUNCH.EXE's programs" if record.get("where") == "outside" else ""
    if record.get("program"):
        return (f"{record.get('command_line') or record['program']} in "
                f"{record.get('directory') or '?'} (a Unix program{where})")
    return f"a program named {record.get('name', '?')}{where}, ended before it could be looked at"


def start_text(record):
    """An observer record as the report names it."""
    return f"{record.get('command_line', '?')} in {record.get('directory', '?')}"


def started_texts(row, start_program):
    """Everything that started during the run, for the table."""
    return ([start_text(r) for r in row["run"].records]
            + [program_text(r) for r in programs_beyond(row, start_program)])


def handed_over(written):
    """The module lines of the hand-off list written on a machine, or None."""
    for path, data in written.items():
        if path.lower().endswith("\\autoload.lst"):
            lines = data.decode("cp1252", "replace").split("\r\n")
            return lines[:-2] if lines[-2:] == ["Setup 2.0", ""] else lines
    return None


def setup_problems(medium, row):
    """Why a full medium does not start its own setup on a fresh machine,
    byte for byte, with the medium directory."""
    label = f"machine {row['name']}"
    lines = [record.get("command_line", "") for record in row["run"].records]
    setups = [line for line in lines if line.endswith(f'"{medium.windows_dir}"')]
    if not setups:
        return [f"{label}: the launcher started no setup with the medium directory "
                f"{medium.windows_dir}" + (f" (it started {'; '.join(lines)})" if lines else "")]
    if medium.program and medium.program.name.lower().endswith("_"):
        for name, entry in (("Lxv.exe", medium.program), ("Pyrn.DLL", medium.library)):
            source = entry.name if entry else "its compressed file"
            if row["written"].get(TEMP + name) != medium.expanded.get(source):
                return [f"{label}: the setup program's {name} is not {source} "
                        "expanded byte for byte"]
    elif not setups[0].upper().startswith(medium.windows_dir + "LXV.EXE"):
        return [f"{label}: setup was not started from the medium: {setups[0]}"]
    return []


def promise_problems(medium, rows):
    """A full medium starts its setup on a fresh machine; a modules-only one
    hands its modules to an installed copy, older or newer."""
    problems = []
    for row in rows:
        if medium.full and row["number"] == 1:
            problems += setup_problems(medium, row)
        elif not medium.full and row["number"] in (2, 3) and not handed_over(row["written"]):
            problems.append(f"machine {row['name']}: nothing was handed over: the medium "
                            "carries no module that the launcher hands over (a name with "
                            "604 or 304)")
    return problems


def _boxes(boxes):
    return "; ".join(f"[{caption}] {text}" for caption, text in boxes) or "no box"


def _starts(records):
    return "; ".join(start_text(r) for r in records) or "nothing"


def reference_differences(row):
    """Where a foreign start program does otherwise than the kit's launcher
    on the same machine."""
    label = f"machine {row['name']}"
    run, reference = row["run"], row["reference"]["run"]
    problems = []
    if run.boxes != reference.boxes:
        problems.append(f"{label}: LAUNCH.EXE shows {_boxes(run.boxes)}; the kit's launcher "
                        f"shows {_boxes(reference.boxes)}")
    mine = [(r.get("command_line"), r.get("directory")) for r in run.records]
    theirs = [(r.get("command_line"), r.get("directory")) for r in reference.records]
    if mine != theirs:
        problems.append(f"{label}: LAUNCH.EXE starts {_starts(run.records)}; the kit's "
                        f"launcher starts {_starts(reference.records)}")
    written = {path.lower(): data for path, data in row["written"].items()}
    for path, data in row["reference"]["written"].items():
        if path.lower() not in written:
            problems.append(f"{label}: the kit's launcher writes {path}, LAUNCH.EXE does not")
        elif written[path.lower()] != data:
            problems.append(f"{label}: {path} differs from what the kit's launcher writes")
    return problems


def row_problems(row, start_program):
    """Programs beyond the medium's own and files beyond the launcher's on
    one machine, and, for a foreign start program, its differences from the
    kit's launcher."""
    label = f"machine {row['name']}"
    beyond = [program_text(record) for record in programs_beyond(row, start_program)]
    problems = [f"{label}: only the medium's setup (or the installed application) may run, "
                f"but {len(beyond)} other programs ran: " + "; ".join(beyond)] if beyond else []
    reference = row.get("reference")
    allowed = ({path.lower() for path in reference["written"]} if reference
               else LAUNCHER_WRITES)
    problems += [f"{label}: {path} was written, which the launcher does not write"
                 for path in row["written"] if path.lower() not in allowed]
    return problems + (reference_differences(row) if reference else [])
