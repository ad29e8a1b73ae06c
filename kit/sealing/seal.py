"""The medium check's seals, made by the checker in a mount and network
namespace of its own (kit/check-medium.sh enters it):

- every program of a customer machine runs in a seal of that machine's own
  (bubblewrap): its own process, user, mount, network, IPC and host-name
  namespaces, no capability, as a user that owns nothing on this machine
  (when the check runs as root, an unused uid; else the user's own), the
  system folders, the kit, the release and the medium read-only, and a
  writable place of bounded size (a tmpfs) that holds the machine's drive C:
  as an overlay of a prepared Wine prefix;
- each machine's display (Xvfb) runs in a seal of its own, which the
  machine's programs reach only as X clients; the checker takes the boxes'
  pictures from outside.

What the checker reads of a machine (its recorder's reports, the changes in
its writable place) it reads after every process of that machine is gone,
or through a pipe that no process of the machine holds."""

import ctypes
import fcntl
import itertools
import os
import pathlib
import pwd
import grp
import shutil
import subprocess
import time

from kit.common.outside_tool import ToolFailed, run_tool

KIT = pathlib.Path(__file__).resolve().parents[1]
ROOT = KIT.parent
# When the check runs as root, the machines run as the first of these that
# no account, group or subordinate range of this machine has: a range that
# no allocator uses (systemd keeps it unused, subordinate ids usually start
# far below), so that every check finds the same one.
UNUSED_IDS = range(1900000000, 1900000100)
# The user as the machine's Windows sees it, inside the seal.
USER, INSIDE_ID = "customer", 1000
# The machine's writable place: its drive C: (what it changes of the
# prepared prefix), /tmp and /dev/shm.
MACHINE_BYTES = 1 << 30
# The system folders, and the fonts' caches, without which every machine
# would make its own.
SYSTEM_FOLDERS = ("/usr", "/etc", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32",
                  "/var/cache/fontconfig")
MS_RDONLY, MS_NOSUID, MS_NODEV, MS_REMOUNT, MS_BIND, MS_REC = 1, 2, 4, 32, 4096, 16384
MNT_DETACH = 2
DISPLAY_LIMIT = 20


class SealFailed(Exception):
    """A seal could not be made or did not work: the check's own failure."""


_libc = ctypes.CDLL(None, use_errno=True)


def mount(source, target, kind=None, flags=0, data=None):
    encode = lambda text: None if text is None else os.fsencode(text)
    if _libc.mount(encode(source), encode(target), encode(kind), flags, encode(data)) != 0:
        error = ctypes.get_errno()
        raise SealFailed(f"cannot mount {kind or source} on {target}: {os.strerror(error)}")


def unmount(target):
    _libc.umount2(os.fsencode(target), MNT_DETACH)


def bind(source, target, read_only=True):
    mount(source, target, flags=MS_BIND | MS_REC)
    if read_only:
        mount(None, target, flags=MS_BIND | MS_REMOUNT | MS_RDONLY | MS_NOSUID)


def overlay_path(path):
    """A path as overlayfs reads it among its options."""
    return str(path).replace("\\", "\\\\").replace(",", "\\,").replace(":", "\\:")


def subordinate_ranges():
    ranges = []
    for name in ("/etc/subuid", "/etc/subgid"):
        try:
            with open(name) as table:
                for line in table:
                    fields = line.strip().split(":")
                    if len(fields) == 3 and fields[1].isdigit() and fields[2].isdigit():
                        ranges.append(range(int(fields[1]), int(fields[1]) + int(fields[2])))
        except OSError:
            pass
    return ranges


def unused_id():
    """A uid and gid that no account, group or subordinate range has."""
    taken = {entry.pw_uid for entry in pwd.getpwall()} | {
        entry.gr_gid for entry in grp.getgrall()}
    ranges = subordinate_ranges()
    for candidate in UNUSED_IDS:
        if candidate not in taken and not any(candidate in taken for taken in ranges):
            return candidate
    raise SealFailed(f"no unused uid in {UNUSED_IDS.start}-{UNUSED_IDS.stop - 1} to run "
                     "the machines as")


class Seals:
    """The checker's sealing, in its private namespace: private is the
    check's own folder (mode 0711: the machines' user may pass through it to
    the tmpfs mounted on private/seal, never into private/disk)."""

    def __init__(self, private, host_uid, release):
        self.private = pathlib.Path(private)
        self.root = host_uid == 0
        self.sandbox_id = unused_id() if self.root else None
        self.release = pathlib.Path(release)
        self.place = self.private / "seal"
        self.place.mkdir(exist_ok=True)
        mount("tmpfs", self.place, "tmpfs", MS_NOSUID | MS_NODEV, "size=16m,mode=0755")
        # The checker's own X clients never meet a display of this machine.
        if os.path.isdir("/tmp/.X11-unix"):
            mount("tmpfs", "/tmp/.X11-unix", "tmpfs", MS_NOSUID | MS_NODEV, "mode=1777")
        (self.place / "passwd").write_text(
            f"{USER}:x:{INSIDE_ID}:{INSIDE_ID}::/tmp:/bin/sh\n")
        (self.place / "group").write_text(f"{USER}:x:{INSIDE_ID}:\n")
        self.inputs = {}
        for name, path in (("kit", KIT), ("release", self.release)):
            self.add_input(name, path)
        for needed in (KIT, self.release / "kit" / "observer"):
            unreadable = self.unreadable(needed)
            if unreadable:
                raise SealFailed(f"{unreadable} cannot be read by the user that the machines "
                                 "run as: make the kit and its release build readable by all "
                                 "(chmod -R a+rX)")
        self.numbers = itertools.count(1)

    def owned(self, path):
        """Makes path the machines' user's own."""
        if self.root:
            os.chown(path, self.sandbox_id, self.sandbox_id)

    def add_input(self, name, path):
        """Shows path read-only to the machines as /name."""
        target = self.place / "in" / name
        target.mkdir(parents=True, exist_ok=True)
        bind(path, target)
        self.inputs[name] = target
        return target

    def unreadable(self, top):
        """The first entry below top that the machines' user may not read
        (when the check runs as root, that user has no rights of its own),
        or None."""
        if not self.root:
            return None
        for folder, dirs, files in os.walk(top):
            for name in [folder] + [os.path.join(folder, name) for name in files]:
                mode = os.lstat(name).st_mode
                wanted = 0o005 if name == folder else 0o004
                if not os.path.islink(name) and mode & wanted != wanted:
                    return name
        return None

    def bwrap(self, *options):
        """bubblewrap as the machines' user, with no capability and nothing
        of this machine but the system folders."""
        command = ["bwrap", "--unshare-user", "--unshare-pid", "--unshare-ipc",
                   "--unshare-uts", "--unshare-cgroup-try", "--cap-drop", "ALL",
                   "--die-with-parent", "--new-session", "--clearenv",
                   "--setenv", "PATH", "/usr/bin:/bin", "--proc", "/proc", "--dev", "/dev"]
        for folder in SYSTEM_FOLDERS:
            if os.path.islink(folder):
                command += ["--symlink", os.readlink(folder), folder]
            elif os.path.exists(folder):
                command += ["--ro-bind", folder, folder]
        command += ["--ro-bind", self.place / "passwd", "/etc/passwd",
                    "--ro-bind", self.place / "group", "/etc/group", *options]
        if self.root:
            command[0:0] = ["setpriv", f"--reuid={self.sandbox_id}",
                            f"--regid={self.sandbox_id}", "--clear-groups",
                            "--inh-caps=-all", "--bounding-set=-all"]
        return [os.fspath(part) for part in command]

    def machine_view(self, folders, display):
        """The options that make a machine's view: the inputs read-only, the
        folders given (name -> host path) writable, the display's socket."""
        options = ["--unshare-net", "--disable-userns", "--uid", str(INSIDE_ID),
                   "--gid", str(INSIDE_ID)]
        for name, path in self.inputs.items():
            options += ["--ro-bind", path, f"/{name}"]
        for inside, path in folders.items():
            options += ["--bind", path, inside]
        options += ["--ro-bind", display.sockets, "/tmp/.X11-unix", "--remount-ro", "/",
                    "--chdir", "/tmp"]
        return options

    def template(self):
        """The prepared Wine prefix that every machine starts from, made once
        for the machines' user (a minute or so) and kept in the build tree:
        Wine set up, its first start behind it."""
        owner = self.sandbox_id if self.root else os.getuid()
        store = ROOT / "build" / "medium-check"
        store.mkdir(parents=True, exist_ok=True)
        prefix = store / f"prefix-{owner}"
        with open(store / "template.lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            if not (prefix / ".machine-ready").exists():
                shutil.rmtree(prefix, ignore_errors=True)
                shutil.rmtree(store / f"registry-{prefix.name}", ignore_errors=True)
                prefix.mkdir()
                self.owned(prefix)
                made = self.place / "template"
                made.mkdir(exist_ok=True)
                bind(prefix, made, read_only=False)
                try:
                    with self.display() as display:
                        command = self.bwrap(
                            *self.machine_view({"/tmp": self.scratch(), "/tmp/prefix": made},
                                               display),
                            "--setenv", "LAUNCH_WINEPREFIX", "/tmp/prefix",
                            "--setenv", "LAUNCH_DISPLAY", display.name,
                            "--setenv", "HOME", "/tmp", "--setenv", "LC_ALL", "en_US.UTF-8",
                            "bash", "/kit/sealing/machine-template.sh")
                        run_tool(command, 1800)
                finally:
                    unmount(made)
                if not (prefix / ".machine-ready").exists():
                    raise SealFailed(f"no Wine prefix could be made in {prefix}")
        return prefix

    def locales(self, names):
        """The machines' locales (such as ja_JP.UTF-8), made once into the
        build tree whether or not this machine has them, and shown to the
        machines as /locales: without its locale, Wine would read the
        medium's file names as ASCII."""
        store = ROOT / "build" / "medium-check" / "locales"
        store.mkdir(parents=True, exist_ok=True)
        with open(store / ".lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            for name in names:
                if not (store / name / "LC_CTYPE").exists():
                    language, _, charset = name.partition(".")
                    made = run_tool(["localedef", "--no-archive", "-i", language, "-f",
                                     charset, store / name], 300, ok=None)
                    if not (store / name / "LC_CTYPE").exists():
                        raise SealFailed(f"the locale {name} could not be made (localedef "
                                         f"exit code {made.returncode})")
        if "locales" not in self.inputs:
            self.add_input("locales", store)

    def scratch(self):
        folder = self.place / f"scratch-{next(self.numbers)}"
        folder.mkdir()
        self.owned(folder)
        return folder

    def display(self):
        return Display(self, next(self.numbers))


class Display:
    """An Xvfb of its own for a machine, in a seal of its own; the checker
    reaches it as :number in its private network namespace."""

    def __init__(self, seals, number):
        self.number = number
        self.name = f":{number}"
        self.sockets = seals.place / f"x11-{number}"
        self.sockets.mkdir(mode=0o1777)
        os.chmod(self.sockets, 0o1777)
        seals.owned(self.sockets)
        command = seals.bwrap("--tmpfs", "/tmp", "--bind", self.sockets, "/tmp/.X11-unix",
                              "--remount-ro", "/", "Xvfb", self.name, "-screen", "0",
                              "1024x768x24", "-nolisten", "tcp")
        self.server = subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.env = dict(os.environ, DISPLAY=self.name)
        for _ in range(200):
            if self.server.poll() is not None:
                break
            if run_tool(["xdotool", "getdisplaygeometry"], DISPLAY_LIMIT, ok=None,
                        env=self.env).returncode == 0:
                return
            time.sleep(0.05)
        self.close()
        raise SealFailed(f"the display {self.name} (Xvfb) did not start")

    def close(self):
        if self.server.poll() is None:
            self.server.kill()
        self.server.wait()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()
