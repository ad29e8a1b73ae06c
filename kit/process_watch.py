"""process_watch.py RECORD COMMAND...

Runs COMMAND (Wine running the observer and a medium's start program) inside
the medium check's sealed view, which has a process table of its own, and
writes to RECORD every Unix process that runs meanwhile and is not Wine
itself: the Unix programs that a Windows program had Wine start (a Windows
debugger never sees them), and whatever else starts in the view but outside
COMMAND's programs (by a Wine service, say). The helpers that the check and
its display start are not recorded. What is still running when
COMMAND ends is ended.

The watcher takes over the orphans of everything that COMMAND starts (it is
their "subreaper"). Wine starts each program, Windows or Unix, through a
process that ends at once, so every program comes to the watcher, which sees
it while it runs, or at least by its name once it has ended, however short it
lived. Its exit code is COMMAND's."""

import ctypes
import os
import signal
import subprocess
import sys
import time

PR_SET_CHILD_SUBREAPER = 36
POLL_SECONDS = 0.02
# Wine's own programs; under an emulator, the emulator runs them.
WINE_FOLDERS = ("/usr/lib/wine/", "/usr/lib/i386-linux-gnu/wine/",
                "/usr/lib/x86_64-linux-gnu/wine/")


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


def read_link(path):
    try:
        return os.readlink(path)
    except OSError:
        return ""


def command_line(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as line:
            return [arg.decode(errors="backslashreplace")
                    for arg in line.read().split(b"\0")[:-1]]
    except OSError:
        return []


def is_wine(program, arguments):
    if os.path.basename(program).startswith("qemu-") and len(arguments) > 1:
        program = arguments[1]
    return program.startswith(WINE_FOLDERS)


class Watch:
    def __init__(self):
        self.me = os.getpid()
        # What ran before: the check, its display, Wine's server and services.
        self.before = {(pid, row[1]): is_wine(read_link(f"/proc/{pid}/exe"), command_line(pid))
                       for pid, row in process_table().items()}
        self.seen = {}
        self.command = None
        # The names that Windows programs had here: a fork of one that ends
        # before it becomes anything else is Wine starting a program.
        self.wine_names = {"wine", "wine64", "wine-preloader", "wine64-preloader"}

    def place(self, pid, table):
        """'tree' below the watcher; 'helper' below a program that ran before
        and is not Wine (the check and its display start helpers); else
        'outside': started by Wine's services, or handed to the system."""
        while pid in table and pid > 1:
            if pid == self.me:
                return "tree"
            wine = self.before.get((pid, table[pid][1]))
            if wine is not None:
                return "outside" if wine else "helper"
            pid = table[pid][0]
        return "outside"

    def scan(self):
        table = process_table()
        for pid, (_, start, state, comm) in table.items():
            key = (pid, start)
            if pid == self.command:
                self.wine_names.add(comm)
            if key in self.before or pid in (self.me, self.command):
                continue
            if key not in self.seen:
                where = self.place(pid, table)
                if where == "helper":
                    self.before[key] = False
                    continue
                self.seen[key] = {"where": where}
            entry = self.seen[key]
            entry["name"] = comm
            program = read_link(f"/proc/{pid}/exe") if state != "Z" else ""
            arguments = command_line(pid) if program else []
            if arguments:  # none while it is being replaced
                look = {"program": program, "arguments": arguments, "name": comm,
                        "directory": read_link(f"/proc/{pid}/cwd")}
                # A new program shows its parent's name and command line
                # until it has replaced them: a look at Wine and a look at
                # a Unix program are kept apart, the latest of each.
                wine = is_wine(program, arguments)
                entry["wine" if wine else "unix"] = look
                if wine and entry["where"] == "tree":
                    self.wine_names.add(comm)

    def recorded(self):
        """The Unix programs, the programs started outside COMMAND's, and
        those that ended unseen (known by name only)."""
        for (pid, _), entry in self.seen.items():
            look = entry.get("unix") or (entry["where"] == "outside" and entry.get("wine"))
            if look and look["name"] != entry["name"]:
                look = None  # a look at its parent's copy, before it became this
            # Ended as something that no Windows program here was called.
            unseen = entry["name"] not in self.wine_names
            if look or unseen:
                yield pid, entry, look or {"program": "", "arguments": [], "directory": ""}

    def end_leftovers(self):
        for pid, _, _ in self.recorded():
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        # The orphans that came to the watcher are its to reap.
        while True:
            try:
                if os.waitpid(-1, os.WNOHANG)[0] == 0:
                    break
            except ChildProcessError:
                break

    def write(self, path):
        def one_line(text):
            return text.replace("\n", " ").replace("\r", " ")

        with open(path, "w", encoding="utf-8", errors="backslashreplace") as record:
            for _, entry, look in self.recorded():
                record.write(f"program={one_line(look['program'])}\n"
                             f"command_line={one_line(' '.join(look['arguments']))}\n"
                             f"directory={one_line(look['directory'])}\n"
                             f"name={one_line(entry['name'])}\n"
                             f"where={entry['where']}\nend\n")


def main(argv):
    if len(argv) < 2:
        print("usage: process_watch.py RECORD COMMAND...", file=sys.stderr)
        return 2
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        print("process_watch.py: cannot take over orphans", file=sys.stderr)
        return 3
    watch = Watch()
    command = subprocess.Popen(argv[1:])
    watch.command = command.pid
    while command.poll() is None:
        watch.scan()
        time.sleep(POLL_SECONDS)
    # What ended last comes to the watcher a moment later.
    for _ in range(10):
        watch.scan()
        time.sleep(POLL_SECONDS)
    watch.write(argv[0])
    watch.end_leftovers()
    return command.returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
