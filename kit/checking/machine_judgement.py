"""What the medium check makes of the runs on the customer machines: whether
the medium keeps its promise, which programs ran beyond the medium's setup,
what changed on the machine beyond what the launcher changes (files on C:,
the registry, the machine's other writable folders), and, for a start
program that is not this kit's launcher, where it does otherwise than the
kit's launcher on the same machine.

A row is one machine's run: number, name, run (sealed_machine.Run) and, for
a foreign start program, reference (the kit's launcher's run on the same
machine)."""

import hashlib
import ntpath

from kit.common import wine_driver as wd
from kit.common.windows_names import windows_key
from kit.sealing.seal import USER

TEMP = wd.windows_temp(USER)
DATA, INSTALL = "C:\\Lexivane Data\\", "C:\\Program Files\\Lexivane\\"
# What the launcher writes on drive C:: the program and library expanded
# for setup, and the hand-off list in the data or install directory.
LAUNCHER_WRITES = {windows_key(path) for path in (TEMP + "Lxv.exe", TEMP + "Pyrn.DLL",
                                             DATA + "AutoLoad.Lst", INSTALL + "AutoLoad.Lst")}


def program_text(record, start_program):
    """A process that the machine's recorder names, as the report names it."""
    if record["where"] == "unknown":
        return (f"a program named {record['name']} that could not be looked at (it ended "
                "at once, or hid itself)")
    kind = ("a Unix program" if record["where"] == "unix" else
            f"a Windows program started outside {ntpath.basename(start_program)}'s programs")
    return (f"{record['command_line'] or record['program']} in "
            f"{record['directory'] or '?'} ({kind})")


def start_text(record):
    """An observer record as the report names it."""
    return f"{record.get('command_line', '?')} in {record.get('directory', '?')}"


def started_texts(row, start_program):
    """Everything that started during the run, for the table."""
    return ([start_text(r) for r in row["run"].records]
            + [program_text(r, start_program) for r in row["run"].unix])


def handed_over(files):
    """The module lines of the hand-off list written on a machine, or None."""
    for path, change in files.items():
        if windows_key(path).endswith("\\AUTOLOAD.LST") and change.written:
            data = change.written.data or b""
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
    if medium.program and medium.program.name.endswith("_"):
        for name, entry in (("Lxv.exe", medium.program), ("Pyrn.DLL", medium.library)):
            source = entry.name if entry else "its compressed file"
            written = row["run"].files.get(TEMP + name)
            expanded = medium.expanded.get(source)
            if not (written and written.written and expanded is not None
                    and written.written.digest == hashlib.sha256(expanded).hexdigest()):
                return [f"{label}: the setup program's {name} is not {source} "
                        "expanded byte for byte"]
    elif not windows_key(setups[0]).startswith(windows_key(medium.windows_dir + "LXV.EXE")):
        return [f"{label}: setup was not started from the medium: {setups[0]}"]
    return []


def promise_problems(medium, row):
    """A full medium starts its setup on a fresh machine; a modules-only one
    hands its modules to an installed copy, older or newer."""
    if medium.full and row["number"] == 1:
        return setup_problems(medium, row)
    if not medium.full and row["number"] in (2, 3) and not handed_over(row["run"].files):
        return [f"machine {row['name']}: nothing was handed over: the medium carries no "
                "module that the launcher hands over (a name with 604 or 304)"]
    return []


def _boxes(boxes):
    return "; ".join(f"[{caption}] {text}" for caption, text in boxes) or "no box"


def _starts(records):
    return "; ".join(start_text(r) for r in records) or "nothing"


def _changes(run):
    """A run's changes, comparable with another run's."""
    return ({windows_key(path): (path, change.what, change.written and change.written.digest)
             for path, change in run.files.items()},
            set(run.registry), set(run.outside))


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
    files, registry, outside = _changes(run)
    kit_files, kit_registry, kit_outside = _changes(reference)
    for key, (path, what, digest) in kit_files.items():
        if key not in files:
            problems.append(f"{label}: with the kit's launcher, {path} {what}; with "
                            "LAUNCH.EXE, it was not")
        elif files[key][1:] != (what, digest):
            problems.append(f"{label}: {path} is not what the kit's launcher leaves "
                            f"(LAUNCH.EXE: {files[key][1]}; the kit's launcher: {what})")
    problems += [f"{label}: the kit's launcher makes no such change: {text}"
                 for text in sorted(registry - kit_registry) + sorted(outside - kit_outside)]
    problems += [f"{label}: LAUNCH.EXE does not make this change of the kit's launcher: "
                 f"{text}" for text in sorted(kit_registry - registry)]
    return problems


def row_problems(medium, row, start_program):
    """What is wrong on one machine: the medium's promise not kept, programs
    beyond the medium's own, changes beyond the launcher's, and, for a
    foreign start program, its differences from the kit's launcher."""
    label = f"machine {row['name']}"
    run = row["run"]
    promise = promise_problems(medium, row)
    beyond = [program_text(record, start_program) for record in run.unix]
    problems = promise + ([f"{label}: only the medium's setup (or the installed application) "
                           f"may run, but {len(beyond)} other programs ran: " + "; ".join(beyond)]
                          if beyond else [])
    reference = row.get("reference")
    allowed = ({windows_key(path) for path in reference["run"].files} if reference
               else LAUNCHER_WRITES)
    problems += [f"{label}: {path} {change.what}, which the launcher never does"
                 for path, change in run.files.items() if windows_key(path) not in allowed]
    if reference:
        return problems + reference_differences(row)
    problems += [f"{label}: {text}, which the launcher never does"
                 for text in run.registry + run.outside]
    return problems
