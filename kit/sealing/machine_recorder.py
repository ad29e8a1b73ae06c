"""machine_recorder.py SETTINGS_JSON

The first process of a sealed customer machine (process 1 of the machine's
own process table), started by the medium check: it brings up Wine, runs the
start program under the observer, and watches every process of the machine
until the checker says the run is over; then it ends them all and reports.

Nothing that runs in the machine can reach what it records: it cannot be
traced or have its descriptors opened (it is not dumpable), the machine's
processes cannot signal it (it is their process 1), and it speaks to the
checker only through its standard input and output, which no other process
holds. It answers in JSON lines:

  {"observer": LINE}            what the observer said, as it said it
  {"ended": EXIT_CODE}          the start program and all its programs ended
  {"processes": [RECORD, ...]}  what ran beyond the start program's Windows
                                programs (see Watch.records)
  {"done": true}

The checker writes "finish" once the screen has been quiet; the recorder
then ends Wine (which saves its registry) and every other process. Without
a start program, it brings Wine up and ends it at once."""

import ctypes
import json
import os
import select
import signal
import subprocess
import sys
import time

PR_SET_DUMPABLE = 4
POLL_SECONDS = 0.02
# Wine's own programs; under an emulator, the emulator runs them.
WINE_FOLDERS = ("/usr/lib/wine/", "/usr/lib/i386-linux-gnu/wine/",
                "/usr/lib/x86_64-linux-gnu/wine/")
# How long Wine may take to save its registry and end.
WINE_END_SECONDS = 20
# What Wine says when its desktop did not come up in time (now and then):
# a program then cannot show any window at all.
NO_DESKTOP = (b"The explorer process failed to start", b"no driver could be loaded")


def say(message):
    sys.stdout.write(json.dumps(message) + "\n")
    sys.stdout.flush()


def read_link(path):
    try:
        return os.readlink(path)
    except OSError:
        return ""


def process_table():
    """Every process in view: pid -> (parent pid, start time, state, name)."""
    table = {}
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open(f"/proc/{name}/stat", "rb") as stat:
                head, _, tail = stat.read().rpartition(b")")
        except OSError:
            continue
        fields = tail.split()
        comm = head.partition(b"(")[2].decode(errors="backslashreplace")
        table[int(name)] = (int(fields[1]), int(fields[19]), fields[0].decode(), comm)
    return table


def command_line(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as line:
            arguments = [arg.decode(errors="backslashreplace").rstrip(" ")
                         for arg in line.read().split(b"\0")[:-1]]
        # Wine pads a Windows program's arguments with empty ones.
        while arguments and not arguments[-1]:
            arguments.pop()
        return arguments
    except OSError:
        return []


def is_wine(program, arguments):
    if os.path.basename(program).startswith("qemu-") and len(arguments) > 1:
        program = arguments[1]
    return program.startswith(WINE_FOLDERS)


def windows_name(path):
    """The name that Wine gives a Windows program's process: its file name,
    cut at 15 characters."""
    return path.replace("/", "\\").rpartition("\\")[2][:15].lower()


class Watch:
    """Every process of the machine, keyed on its pid and start time. A
    Windows program that the observer reports is looked at while the
    observer holds it, so that the watch knows which process it is; what
    remains is what ran beyond the start program's programs."""

    def __init__(self):
        self.own = set()  # pids of the recorder's own Wine commands
        self.before = set()
        self.seen = {}

    def mark_before(self):
        """What ran so far (Wine coming up) is not the run's."""
        self.before = {(pid, row[1]) for pid, row in process_table().items()}
        self.before |= set(self.seen)
        self.seen = {}

    def scan(self):
        table = process_table()
        for pid, (parent, start, state, comm) in table.items():
            key = (pid, start)
            if key in self.before or pid in self.own or pid == 1:
                continue
            entry = self.seen.setdefault(key, {"name": comm, "orphan": False,
                                               "parent": table.get(parent, (0, 0, "", ""))[3]})
            entry["name"] = comm
            entry["orphan"] |= parent == 1
            if state == "Z":
                continue
            program = read_link(f"/proc/{pid}/exe")
            arguments = command_line(pid) if program else []
            if arguments:  # none while it is being replaced
                look = {"program": program, "arguments": arguments, "name": comm,
                        "directory": read_link(f"/proc/{pid}/cwd")}
                # A new program shows its parent's name and command line
                # until it has replaced them: the latest look of each kind.
                entry["wine" if is_wine(program, arguments) else "unix"] = look

    def attribute(self, program):
        """After the observer reported a Windows program that it holds: the
        process that it is."""
        self.scan()
        wanted = windows_name(program)
        candidates = [entry for entry in self.seen.values()
                      if entry.get("wine") and not entry.get("windows")
                      and not entry.get("unix")]
        named = [entry for entry in candidates if entry["name"].lower() == wanted]
        for entry in (named or [entry for entry in candidates if entry["orphan"]])[:1]:
            entry["windows"] = program

    def records(self):
        """A Unix program (its look), a Windows program started outside the
        start program's programs, and a process whose program could never be
        read (it ended before it was looked at, or hid itself): by name. A
        fork that still carries its parent's name is that parent on its way
        to start another program."""
        for entry in self.seen.values():
            fork = not entry["orphan"] and entry["name"] == entry["parent"]
            if entry.get("windows"):
                continue
            if entry.get("unix") and entry["unix"]["name"] == entry["name"]:
                kind, look = "unix", entry["unix"]
            elif entry.get("wine") and not fork:
                kind, look = "outside", entry["wine"]
            elif entry.get("wine") or fork:
                continue
            else:
                kind, look = "unknown", {"program": "", "arguments": [], "directory": ""}
            yield {"where": kind, "name": entry["name"], "program": look["program"],
                   "command_line": " ".join(look["arguments"]),
                   "directory": look["directory"]}

    def reap(self):
        """Reaps the ended processes that came to the recorder, each looked
        at once more as it lies dead; answers their exit codes by pid."""
        codes = {}
        while True:
            try:
                ended = os.waitid(os.P_ALL, 0, os.WEXITED | os.WNOHANG | os.WNOWAIT)
            except ChildProcessError:
                return codes
            if ended is None:
                return codes
            self.scan()
            _, status = os.waitpid(ended.si_pid, 0)
            codes[ended.si_pid] = os.waitstatus_to_exitcode(status)


class Recorder:
    def __init__(self, settings):
        self.settings = settings
        self.env = dict(settings["env"])
        self.devnull = os.open(os.devnull, os.O_RDWR)
        self.watch = Watch()
        self.codes = {}
        # Wine's complaints, read for the one that says it had no desktop;
        # never waited on: what does not fit is lost.
        self.errors, self.errors_in = os.pipe()
        os.set_blocking(self.errors, False)
        os.set_blocking(self.errors_in, False)
        self.said, self.no_desktop = b"", False

    def wine(self, *args, fds=()):
        """Starts a Wine command with nothing of the recorder's but fds (a
        list of (descriptor, number in the command))."""
        actions = [(os.POSIX_SPAWN_DUP2, self.devnull, n) for n in (0, 1)]
        actions += [(os.POSIX_SPAWN_DUP2, self.errors_in, 2)]
        actions += [(os.POSIX_SPAWN_DUP2, fd, number) for fd, number in fds]
        pid = os.posix_spawnp(args[0], list(args), self.env, file_actions=actions)
        self.watch.own.add(pid)
        return pid

    def hear_wine(self):
        try:
            self.said = (self.said + os.read(self.errors, 65536))[-4096:]
        except BlockingIOError:
            return
        if not self.no_desktop and any(sign in self.said for sign in NO_DESKTOP):
            self.no_desktop = True
            say({"no_desktop": True})

    def wait(self, pid, limit):
        deadline = time.monotonic() + limit
        while pid not in self.codes:
            if time.monotonic() > deadline:
                raise TimeoutError(f"a Wine command did not end within {limit} seconds")
            self.codes.update(self.watch.reap())
            time.sleep(POLL_SECONDS)
        return self.codes.pop(pid)

    def start_wine(self):
        self.wait(self.wine("wineserver", "-p"), 120)
        # Wine's services and desktop start with the first program: one
        # with none of the observer's descriptors to inherit. What Wine
        # starts for it (wineboot, and the services that wineboot starts)
        # has come up once wineboot has ended and the table stays the same.
        self.wait(self.wine("wine", self.settings["observer"], "--warm-up"), 120)
        table, deadline = None, time.monotonic() + 120
        while time.monotonic() < deadline and (
                table != (table := process_table().keys() - set(self.codes))
                or any(row[3] == "wineboot.exe" for row in process_table().values())):
            self.codes.update(self.watch.reap())
            time.sleep(0.25)
        self.watch.mark_before()

    def observe(self):
        """Runs the start program under the observer, relaying what it says,
        until the checker says "finish" (or goes)."""
        watch = self.watch
        records, records_in = os.pipe()
        looks_out, looks = os.pipe()
        observer = self.wine("wine", self.settings["observer"], *self.settings["command"],
                             fds=[(records_in, 3), (looks_out, 4)])
        os.close(records_in)
        os.close(looks_out)
        pending, program = b"", self.settings["command"][0]
        sources = [records, 0]
        while True:
            ready, _, _ = select.select(sources, [], [], POLL_SECONDS)
            watch.scan()
            if 0 in ready:
                sys.stdin.readline()
                break
            if records in ready:
                data = os.read(records, 65536)
                *lines, pending = (pending + data).split(b"\n")
                for line in lines:
                    text = line.decode("utf-8", "replace")
                    if text.startswith("program="):
                        program = text[len("program="):]
                    if text.startswith("start=") or text == "end":
                        watch.attribute(program)
                        os.write(looks, b"k")
                    say({"observer": text})
                if not data:
                    sources.remove(records)
                    os.close(records)
                    say({"ended": self.wait(observer, WINE_END_SECONDS)})
            self.codes.update(watch.reap())
            self.hear_wine()
        os.close(looks)

    def end_everything(self):
        """Wine first, which saves its registry as it ends; then the rest."""
        try:
            self.wait(self.wine("wineserver", "-k"), WINE_END_SECONDS)
        except TimeoutError:
            pass
        deadline = time.monotonic() + WINE_END_SECONDS
        while time.monotonic() < deadline and any(
                comm.startswith("wineserver") for _, _, _, comm in process_table().values()):
            self.watch.reap()
            time.sleep(POLL_SECONDS)
        self.watch.scan()
        try:
            os.kill(-1, signal.SIGKILL)
        except ProcessLookupError:
            pass  # nothing else was left
        while True:
            try:
                os.waitpid(-1, 0)
            except ChildProcessError:
                break


def main(argv):
    # Process 1 takes no signal from the machine's processes unless it has a
    # handler for it: Python's own for Ctrl+C goes.
    signal.signal(signal.SIGINT, signal.SIG_DFL)
    ctypes.CDLL(None).prctl(PR_SET_DUMPABLE, 0, 0, 0, 0)
    recorder = Recorder(json.loads(argv[0]))
    try:
        recorder.start_wine()
        if recorder.settings["command"]:
            recorder.observe()
    except Exception as failure:  # the checker says why the check could not run
        say({"failed": f"{type(failure).__name__}: {failure}"})
        recorder.end_everything()
        return 1
    recorder.end_everything()
    say({"processes": list(recorder.watch.records())})
    say({"done": True})
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
