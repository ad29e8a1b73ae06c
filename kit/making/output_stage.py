"""Where make-medium makes a medium: a stage folder beside OUTPUT, swapped in
whole at the end, so that OUTPUT is always the old medium or the new one.
Each run holds a lock on its stage; a stage that nobody holds was left by a
run that was killed, and the next run removes it."""

import ctypes
import errno
import fcntl
import os
import pathlib
import shutil
import tempfile

PREFIX = ".make-medium."


class CouldNotWrite(Exception):
    """The medium could not be written where it was asked for."""


def disk_problem(folder, said=""):
    """A full disk or a read-only file system under folder, in words, as the
    file system shows it or a tool said it; None when it is neither."""
    try:
        status = os.statvfs(folder)
    except OSError:
        return None
    if status.f_flag & os.ST_RDONLY or os.strerror(errno.EROFS) in said:
        return f"{folder} is on a read-only file system; write the medium elsewhere"
    if (status.f_bavail * status.f_frsize < 64 << 10 or status.f_favail == 0
            or os.strerror(errno.ENOSPC) in said):
        return (f"no space left on the disk of {folder}; free some space or write the "
                "medium elsewhere")
    return None


def write_failure(error, folder):
    """What stopped the writing in folder, in one line: a full disk or a
    read-only file system named as such, whatever the tool reported."""
    problem = disk_problem(folder, str(error))
    if problem is None and isinstance(error, OSError):
        problem = f"{error.filename or folder}: {error.strerror}"
    return CouldNotWrite(problem or str(error))


def _unlocked_stages(folder):
    for entry in folder.glob(PREFIX + "*"):
        if entry.is_dir() and not entry.is_symlink():
            handle = os.open(entry, os.O_RDONLY | os.O_DIRECTORY)
            try:
                fcntl.flock(handle, fcntl.LOCK_EX | fcntl.LOCK_NB)
            except BlockingIOError:
                os.close(handle)
                continue
            yield entry, handle


def remove_stale_stages(output):
    """Removes what killed runs left beside output. An old medium that a
    killed swap had set aside goes back in place first."""
    for stage, handle in _unlocked_stages(output.parent):
        try:
            aside = stage / "old"
            if aside.exists() and not (output.exists() or output.is_symlink()):
                os.rename(aside, output)
            shutil.rmtree(stage)
        finally:
            os.close(handle)


class Stage:
    """A locked folder beside output; removed on close."""

    def __init__(self, output):
        self.path = pathlib.Path(tempfile.mkdtemp(prefix=PREFIX, dir=output.parent))
        self.handle = os.open(self.path, os.O_RDONLY | os.O_DIRECTORY)
        fcntl.flock(self.handle, fcntl.LOCK_EX)

    def close(self):
        shutil.rmtree(self.path, ignore_errors=True)
        os.close(self.handle)


def exchange(new, old, stage):
    """Swaps two folders in one step where the file system can (renameat2
    RENAME_EXCHANGE), so that OUTPUT is always a whole medium."""
    libc = ctypes.CDLL(None, use_errno=True)
    at_fdcwd, rename_exchange = -100, 2
    renameat2 = getattr(libc, "renameat2", None)
    if renameat2 and renameat2(at_fdcwd, os.fsencode(new), at_fdcwd, os.fsencode(old),
                               rename_exchange) == 0:
        return
    # No exchange here: the old one steps aside into the stage first; a run
    # killed between the two steps leaves it there, and the next run puts it
    # back.
    os.rename(old, stage / "old")
    os.rename(new, old)
