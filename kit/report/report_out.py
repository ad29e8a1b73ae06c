"""Writes the medium check's report into the publisher's report folder: the
files that the checker made itself (report.md, report.html and the box
pictures, held in memory), each written beside its place under a name of its own and
then renamed into place, so that nothing already there is opened, followed
or blocked on: a link, pipe, socket or device of that name is replaced, and
the folder never holds a half-written report. The pictures of an earlier
report go; anything else in the folder stays as it is."""

import os
import re

REPORT, PAGE = "report.md", "report.html"
PICTURE = re.compile(r"machine-[1-5]-[0-9a-z.]{1,5}(-[a-z]{2}(-[a-z]{2})?)?-box-[0-9]{1,3}\.png")


class CouldNotWrite(Exception):
    """The report folder cannot take the report (the cause in words)."""


def ours(name):
    return name in (REPORT, PAGE) or bool(PICTURE.fullmatch(name))


def publish(report_dir, files):
    """files: {name: bytes}, names that ours() knows."""
    try:
        os.makedirs(report_dir, exist_ok=True)
        folder = os.open(report_dir, os.O_RDONLY | os.O_DIRECTORY)
    except OSError as error:
        raise CouldNotWrite(f"{report_dir}: {error.strerror}") from None
    try:
        for name in os.listdir(folder):
            if ours(name) and name not in files:
                _remove(folder, name)
        for name, data in files.items():
            assert ours(name), name
            _write(folder, name, data)
    except OSError as error:
        raise CouldNotWrite(f"{os.path.join(report_dir, error.filename or '')}: "
                            f"{error.strerror}") from None
    finally:
        os.close(folder)


def write_file(folder, name, data):
    """One file written as the report's are, in the folder named."""
    handle = os.open(folder, os.O_RDONLY | os.O_DIRECTORY)
    try:
        _write(handle, name, data)
    finally:
        os.close(handle)


def _remove(folder, name):
    try:
        os.unlink(name, dir_fd=folder)
    except IsADirectoryError:
        raise OSError(21, "a folder stands where a picture of the report goes", name) from None


def _write(folder, name, data):
    temporary = f".{name}.{os.getpid()}.part"
    try:
        os.unlink(temporary, dir_fd=folder)
    except FileNotFoundError:
        pass
    handle = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_NOFOLLOW, 0o644,
                     dir_fd=folder)
    try:
        with os.fdopen(handle, "wb", closefd=False) as out:
            out.write(data)
            out.flush()
            os.fsync(handle)
    finally:
        os.close(handle)
    try:
        os.rename(temporary, name, src_dir_fd=folder, dst_dir_fd=folder)
    except OSError as error:
        os.unlink(temporary, dir_fd=folder)
        raise OSError(error.errno, error.strerror, name) from None
