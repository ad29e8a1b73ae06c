"""check_medium.py [--version V] [--windows LIST] [--languages LIST] [--any-launcher]
                 MEDIUM [REPORT_DIR]

Checks a Lexivane medium (a folder, or an .iso image read by its Joliet
names, as Windows reads it) before it is pressed: first its files
(autorun.inf, the files that the launcher probes, the compressed files and
the file dates) and its start program, which must be the launcher that this
kit ships; then what the start program does, started as autorun starts it
from CD-ROM drive D:, on five simulated customer machines for each Windows
version asked for. Every program that runs meanwhile is recorded: each
Windows program that it starts is ended unrun (or as soon as it is seen,
when a debugger of its own holds it), each Unix program is ended when the
machine's run is over. With --any-launcher, a start program that is not
this kit's launcher is run all the same, and on each machine the kit's
launcher runs too: every difference is named.

Exit codes: 0 the medium keeps its promise, 1 it does not (with the reasons),
2 usage error, 3 the check itself could not run (with the cause).

Runs under kit/check-medium.sh, in namespaces of its own; each machine runs
in a seal of its own (seal.py), and nothing that runs there reaches the
check's records or its report."""

import argparse
import concurrent.futures
import filecmp
import ntpath
import os
import pathlib
import re
import signal
import sys
import threading
import time

from kit.checking import customer_machines as machines
from kit.checking import launcher_identity
from kit.checking import machine_judgement as judge
from kit.checking import medium_files
from kit.common import wine_driver as wd
from kit.report import check_report
from kit.report import report_out
from kit.sealing.seal import SealFailed, Seals

# The whole check's time bound: a start, and a bound for each machine's run.
CHECK_SECONDS, RUN_SECONDS = 600, 200


class CheckFailed(Exception):
    """The check itself could not run to its end (not a fault of the medium)."""


class Progress:
    """One line on stderr for each finished machine, with the time so far."""

    def __init__(self, total, quiet):
        self.total, self.quiet, self.done = total, quiet, 0
        self.start = time.monotonic()
        self.lock = threading.Lock()

    def finished(self, row):
        with self.lock:
            self.done += 1
            if self.quiet:
                return
            label = f"machine {row['name']}: "
            said = row["problems"][0].removeprefix(label) if row["problems"] else "ok"
            print(f"[{self.done}/{self.total}] {label}{said} "
                  f"({time.monotonic() - self.start:.0f} s)", file=sys.stderr, flush=True)


def run_machines(seals, medium, command, args, work, foreign, start):
    """Each machine's row (see machine_judgement), args.jobs machines at
    once; for a foreign start program, with the kit's launcher's run on the
    same machine. Each row's problems are judged as it ends."""
    template = seals.template()
    seals.locales([machines.locale(language) for language in [None] + args.languages])
    unreadable = seals.unreadable(medium.root)
    if unreadable:
        raise CheckFailed(f"{unreadable} cannot be read by the user that the machines run "
                          "as (the check runs them as a user with no rights here): make the "
                          "medium readable by all (chmod -R a+rX)")
    seals.add_input("medium", medium.root)
    if foreign:
        seals.add_input("reference", machines.reference_medium(
            medium.root, medium.start_program, work))
    rows = []
    for windows in args.windows:
        for language in [None] + args.languages:
            for number, description, installed in machines.machines(args.version,
                                                                     medium.reference_time()):
                place = f"{number}-{windows}" + (f"-{language.lower()}" if language else "")
                rows.append({"number": number, "description": description,
                             "windows": windows, "language": language,
                             "installed": installed, "shots": work / f"machine-{place}",
                             "name": f"{number} ({description}), Windows {windows}"
                                     + (f", {language}" if language else "")})
    progress = Progress(len(rows), args.quiet)

    def run(row):
        try:
            row["shots"].mkdir()
            row["run"] = machines.run_start_program(
                seals, template, "/medium", row["installed"], command, row["windows"],
                row["shots"], row["language"], args.limit)
            if foreign:
                row["reference"] = {"run": machines.run_start_program(
                    seals, template, "/reference", row["installed"], command, row["windows"],
                    None, row["language"], args.limit)}
        except (TimeoutError, SealFailed) as error:
            raise CheckFailed(f"machine {row['name']}: {error}") from error
        row["problems"] = judge.row_problems(medium, row, start)
        progress.finished(row)

    pool = concurrent.futures.ThreadPoolExecutor(args.jobs)
    try:
        for future in [pool.submit(run, row) for row in rows]:
            future.result()
    finally:
        # A failed run ends the check: the others are not waited for.
        pool.shutdown(wait=False, cancel_futures=True)
    return rows


def verdict_of(reasons, start, foreign, rows):
    more = f" (and {len(reasons) - 1} more problems)" if len(reasons) > 1 else ""
    if foreign:
        if not reasons:
            return (f"not ready: {start} is not the launcher this kit ships, though it did "
                    f"what the kit's launcher does on all {len(rows)} machines")
        return (f"not ready: {start} is not the launcher this kit ships, and it does "
                f"otherwise: {reasons[0]}{more}")
    return f"not ready: {reasons[0]}{more}" if reasons else "ready: the medium keeps its promise"


class Outcome:
    """What the report needs of a check, also of one that could not end."""

    def __init__(self, args):
        self.args, self.rows, self.medium_problems = args, [], []
        self.title = f"{args.medium.name}"
        self.files_seconds = 0.0
        self.start = "LAUNCH.EXE"

    def views(self):
        return [check_report.view(row, self.start) for row in self.rows if "problems" in row]

    def junit(self, error=None):
        if self.args.junit_xml:
            write_junit(self.args.junit_xml, check_report.junit(
                self.title, self.rows, self.views(), self.medium_problems,
                self.files_seconds, error))


def write_junit(path, data):
    folder, name = os.path.split(os.path.abspath(path))
    try:
        report_out.write_file(folder, name, data)
    except OSError as error:
        raise CheckFailed(f"the JUnit file could not be written: {path}: "
                          f"{error.strerror}") from None


def check(args, seals, work, outcome):
    began = time.monotonic()
    try:
        root, problems = medium_files.open_medium(args.medium.resolve(), work)
    except medium_files.Usage as error:
        print(f"check-medium.sh: {error}", file=sys.stderr)
        return 2
    medium = medium_files.Medium(root.resolve())
    kind = "full" if medium.full else "modules-only"
    outcome.title = f"{args.medium.name}: a {kind} medium"
    print(f"{args.medium}: a {kind} medium{', nested' if medium.nested else ''}")
    command = medium.lint()
    rows = []
    start = outcome.start = ntpath.basename(command[0]) if command else "LAUNCH.EXE"
    foreign = bool(command) and not launcher_identity.is_kit_launcher(
        medium.start_program, wd.RELEASE / "launch.exe", work)
    identity = []
    if foreign and args.any_launcher:
        print(f"{start} is not the launcher this kit ships: on each machine the kit's "
              "launcher runs too, and every difference is named")
    elif foreign:
        identity.append(f"{start} is not the launcher this kit ships (neither its release "
                        "build nor that build signed); --any-launcher runs it on the "
                        "machines all the same")
    elif command and not filecmp.cmp(medium.start_program, wd.RELEASE / "launch.exe",
                                     shallow=False):
        broken = launcher_identity.signature_problem(medium.start_program, work)
        if broken:
            identity.append(f"{start}'s signature is broken: {broken}; Windows takes it for "
                            "an unsigned program or refuses it (sign the release build "
                            "again with kit/sign.sh)")
    outcome.medium_problems = identity + problems + medium.problems
    outcome.files_seconds = time.monotonic() - began
    if command and (args.any_launcher or not foreign):
        outcome.rows = rows
        rows += run_machines(seals, medium, command, args, work, foreign, start)
    views = outcome.views()
    if views:
        print(check_report.table(views))
    reasons = outcome.medium_problems + [p for row in rows for p in row["problems"]]
    verdict = verdict_of(reasons, start, foreign and args.any_launcher, rows)
    if args.report_dir:
        try:
            report_out.publish(args.report_dir, check_report.files(
                outcome.title, rows, views, verdict, not reasons and not foreign,
                outcome.medium_problems, reasons))
        except report_out.CouldNotWrite as error:
            raise CheckFailed(f"the report could not be written: {error}") from None
    outcome.junit()
    for reason in reasons:
        print(f"problem: {reason}")
    print(verdict)
    return 1 if reasons or foreign else 0


def version(text):
    if not re.fullmatch(r"[0-9]{1,5}(\.[0-9]{1,5}){0,3}", text):
        raise argparse.ArgumentTypeError(f"'{text}' is not a version such as 9.1")
    return text


def seconds(text):
    if not re.fullmatch(r"[1-9][0-9]{0,3}", text):
        raise argparse.ArgumentTypeError(f"'{text}' is not a number of seconds from 1 to 9999")
    return int(text)


def jobs(text):
    if not re.fullmatch(r"[1-9][0-9]?", text):
        raise argparse.ArgumentTypeError(f"'{text}' is not a number of machines from 1 to 99")
    return int(text)


def names_from(known, what):
    """The parser of a comma-separated list of known names, each once."""
    def parse(text):
        names = list(known) if text == "all" else text.split(",")
        if any(name not in known for name in names) or len(set(names)) != len(names):
            raise argparse.ArgumentTypeError(
                f"'{text}': give {what} once each, from " + ", ".join(known))
        return names
    return parse


def parse_args(argv):
    parser = argparse.ArgumentParser(prog="check-medium.sh", description=__doc__.split("\n\n")[1],
                                     formatter_class=argparse.RawDescriptionHelpFormatter,
                                     epilog=__doc__.split("\n\n")[2])
    parser.add_argument("--version", default="9.1", type=version,
                        help="version of the simulated installed copies (default 9.1)")
    parser.add_argument("--windows", default=["10"], type=names_from(machines.WINDOWS, "Windows versions"), metavar="LIST",
                        help="the Windows versions that the machines report, for example "
                             "95,nt4,xp,10 (default 10)")
    parser.add_argument("--languages", default=[], type=names_from(machines.LANGUAGES, "languages"), metavar="LIST",
                        help="also run every machine in these languages of Windows, for "
                             "example de,ja, or all of them: all (a picture of each box in "
                             "the report)")
    parser.add_argument("--any-launcher", action="store_true",
                        help="run a start program that is not this kit's launcher all the "
                             "same, and judge it by the kit's launcher on each machine")
    parser.add_argument("--limit", default=40, type=seconds, metavar="SECONDS",
                        help="how long the start program may run on a machine before the "
                             "check gives up (default 40)")
    parser.add_argument("--jobs", default=os.cpu_count() or 1, type=jobs, metavar="N",
                        help="run N machines at once (default: the machine's CPUs)")
    parser.add_argument("--junit-xml", type=pathlib.Path, metavar="FILE",
                        help="also write the result as JUnit XML, for a build server")
    parser.add_argument("--quiet", action="store_true",
                        help="no line on stderr as each machine is done")
    parser.add_argument("medium", type=pathlib.Path, help="a medium folder or an .iso image")
    parser.add_argument("report_dir", type=pathlib.Path, nargs="?",
                        help="where to write report.md and a PNG of every box")
    return parser.parse_args(argv)


def paths(argv):
    """For kit/check-medium.sh: the medium, the report folder (or an empty
    line) and the options, one a line; or the exit code of a usage error."""
    try:
        args = parse_args(argv)
    except SystemExit as exit_:
        return 0 if exit_.code == 0 else 2
    if not args.medium.exists():
        print(f"check-medium.sh: {args.medium} does not exist", file=sys.stderr)
        return 2
    for path in (args.medium, args.report_dir, args.junit_xml):
        if path and "\n" in str(path.resolve()):
            print(f"check-medium.sh: {path}: a path with a line break", file=sys.stderr)
            return 2
    print(args.medium.resolve())
    print(args.report_dir.resolve() if args.report_dir else "")
    print(f"--version\n{args.version}\n--windows\n{','.join(args.windows)}")
    if args.languages:
        print(f"--languages\n{','.join(args.languages)}")
    if args.any_launcher:
        print("--any-launcher")
    print(f"--jobs\n{args.jobs}\n--limit\n{args.limit}")
    if args.junit_xml:
        print(f"--junit-xml\n{args.junit_xml.resolve()}")
    if args.quiet:
        print("--quiet")
    return 0


def runs(args):
    return len(args.windows) * (1 + len(args.languages)) * 5 * (2 if args.any_launcher else 1)


def time_bound(args):
    """The whole check's bound: a start, and a bound for each machine's run
    (its start program's limit among it)."""
    return CHECK_SECONDS + (RUN_SECONDS + args.limit) * runs(args)


def main(argv):
    """Runs in the checker's own namespaces (kit/check-medium.sh enters
    them), with LAUNCH_CHECK_PRIVATE the check's own folder and
    LAUNCH_CHECK_HOST_UID the user that started it."""
    try:
        args = parse_args(argv)
    except SystemExit as exit_:
        return 0 if exit_.code == 0 else 2
    private = pathlib.Path(os.environ["LAUNCH_CHECK_PRIVATE"])
    limit = time_bound(args)

    def out_of_time(*_):
        raise CheckFailed(f"the check did not end within {limit} seconds")

    signal.signal(signal.SIGALRM, out_of_time)
    signal.alarm(limit)
    outcome = Outcome(args)
    try:
        seals = Seals(private, int(os.environ["LAUNCH_CHECK_HOST_UID"]), wd.RELEASE)
        return check(args, seals, private / "disk", outcome)
    except Exception as error:  # the check's own failure, never the medium's
        cause = " ".join(str(error).split()) or type(error).__name__
        print(f"check-medium.sh: the check could not run: {cause}", file=sys.stderr)
        try:
            outcome.junit(f"the check could not run: {cause}")
        except CheckFailed as failed:
            print(f"check-medium.sh: {failed}", file=sys.stderr)
        return 3


if __name__ == "__main__":
    status = main(sys.argv[1:])
    sys.stdout.flush()
    sys.stderr.flush()
    # Machines still running after a failure end with this process.
    os._exit(status)
