"""What a run changed on a sealed machine, read after every process of the
machine has ended: the machine's prefix is an overlay of the prepared
prefix (lower) and the run's own layer (upper, which the checker prepared
and the run changed), so each file, link or deletion of the run is in the
upper layer. Contents are compared, never sizes and times alone. Nothing
found there is followed or opened unless it is a regular file."""

import functools
import hashlib
import os
import pathlib
import re
import stat

from kit.sealing import wine_registry

# The registry's files, compared key by key rather than byte by byte.
REGISTRY_FILES = set(wine_registry.FILES)
# What the checker keeps of a written file's bytes (the hand-off list, the
# expanded program's digest is enough for the rest).
KEPT_BYTES = 1 << 20
# The Wine server's socket and lock, in its folder below /tmp.
WINE_SERVER = re.compile(r"(\.wine-[0-9]+|wine-\w{6})(/server-[0-9a-f]+-[0-9a-f]+(/(socket|lock))?)?")


class Written:
    """A file as the run left it: its size, digest and, when small, bytes."""

    def __init__(self, path):
        self.size, digest, data = 0, hashlib.sha256(), []
        handle = os.open(path, os.O_RDONLY | os.O_NOFOLLOW | os.O_NONBLOCK)
        with os.fdopen(handle, "rb") as file:
            while chunk := file.read(1 << 20):
                self.size += len(chunk)
                digest.update(chunk)
                if self.size <= KEPT_BYTES:
                    data.append(chunk)
        self.digest = digest.hexdigest()
        self.data = b"".join(data) if self.size <= KEPT_BYTES else None

    def __eq__(self, other):
        return isinstance(other, Written) and (self.size, self.digest) == (
            other.size, other.digest)

    def __repr__(self):
        return f"Written({self.size} bytes)"


def windows_path(rel):
    """A path in the prefix as the machine's Windows names it."""
    parts = pathlib.PurePosixPath(rel).parts
    if parts and parts[0] == "drive_c":
        return "C:\\" + "\\".join(parts[1:])
    return "prefix folder " + "/".join(parts)


def entry(path):
    """A file system entry as compared: ("file", Written), ("link", target),
    ("folder", None), ("deleted", None) for overlayfs's mark of a deleted
    entry, or ("special", mode); None when there is nothing."""
    try:
        status = os.lstat(path)
    except FileNotFoundError:
        return None
    if stat.S_ISREG(status.st_mode):
        return "file", Written(path)
    if stat.S_ISLNK(status.st_mode):
        return "link", os.readlink(path)
    if stat.S_ISDIR(status.st_mode):
        return "folder", None
    if stat.S_ISCHR(status.st_mode) and status.st_rdev == 0:
        return "deleted", None
    return "special", stat.S_IFMT(status.st_mode)


def _opaque(path):
    for name in ("trusted.overlay.opaque", "user.overlay.opaque"):
        try:
            if os.getxattr(path, name, follow_symlinks=False) == b"y":
                return True
        except OSError:
            pass
    return False


def _lower_files(lower, rel):
    """Every entry below a folder of the prepared prefix, relative paths."""
    for folder, dirs, files in os.walk(lower / rel):
        for name in dirs + files:
            yield os.path.relpath(os.path.join(folder, name), lower)


class Change:
    """An entry of the prefix that a run added, changed or deleted: what
    happened, in words, and the file as the run left it, if it is one."""

    def __init__(self, what, written=None):
        self.what, self.written = what, written

    def __eq__(self, other):
        return (self.what, self.written) == (other.what, other.written)

    def __repr__(self):
        return f"Change({self.what!r})"


def file_changes(lower, upper, placed):
    """{Windows path: Change} for each entry of the prefix that the run
    added, changed or deleted; placed is what the checker put in the upper
    layer before the run ({relative path: entry})."""
    changes = {}

    def before(rel):
        return placed[rel] if rel in placed else entry(lower / rel)

    for folder, dirs, files in os.walk(upper):
        here = os.path.relpath(folder, upper)
        for name in sorted(dirs + files):
            rel = os.path.normpath(os.path.join(here, name))
            if rel in REGISTRY_FILES:
                continue
            now, was = entry(upper / rel), before(rel)
            if now and now[0] == "folder":
                if _opaque(upper / rel) and was and was[0] == "folder":
                    for gone in _lower_files(lower, rel):
                        if not os.path.lexists(upper / gone):
                            changes[windows_path(gone)] = Change("was deleted")
                continue
            if now == was or (now[0] == "deleted" and not was):
                continue
            if now[0] == "deleted":
                changes[windows_path(rel)] = Change("was deleted")
            elif now[0] == "file":
                changes[windows_path(rel)] = Change(
                    f"was {'written' if not was else 'changed'} ({now[1].size} bytes)", now[1])
            elif now[0] == "link":
                changes[windows_path(rel)] = Change(
                    f"was {'made' if not was else 'changed to'} a link to {now[1]}")
            else:
                changes[windows_path(rel)] = Change("was made a pipe, socket or device")
    for rel, was in placed.items():
        if was and entry(upper / rel) is None and entry(lower / rel) is None:
            changes[windows_path(rel)] = Change("was deleted")
    return changes


def registry_text(path):
    found = entry(path)
    if found is None or found[0] != "file":
        return None
    return found[1].data.decode("utf-8", "replace") if found[1].data is not None else (
        pathlib.Path(path).read_bytes().decode("utf-8", "replace"))


@functools.lru_cache(maxsize=8)
def _parsed(text, root):
    # The prepared prefix's registry is the same for every machine.
    return wine_registry.parse(text, root)


def registry_changes(lower, upper, prepared):
    """What changed in the registry: the prepared prefix's, with what the
    checker wrote before the run (prepared: {file name: text}), against what
    Wine saved as it ended."""
    before, after = {}, {}
    for name, root in wine_registry.FILES.items():
        old = prepared.get(name) or registry_text(lower / name) or ""
        new = registry_text(upper / name) if os.path.lexists(upper / name) else old
        before.update(_parsed(old, root))
        after.update(_parsed(new or "", root) if new == old else
                     wine_registry.parse(new or "", root))
    return wine_registry.differences(before, after)


def outside_changes(folders):
    """Anything left in the machine's other writable folders ({name shown:
    path}), but the Wine server's own sockets and locks."""
    found = []
    for shown, top in folders.items():
        for folder, dirs, files in os.walk(top):
            for name in dirs + files:
                rel = os.path.relpath(os.path.join(folder, name), top)
                if rel.startswith(".X11-unix") or WINE_SERVER.fullmatch(rel):
                    continue
                if name in files or not os.listdir(os.path.join(folder, name)):
                    found.append(f"{shown}/{rel} was written outside the machine's Windows")
    return sorted(found)
