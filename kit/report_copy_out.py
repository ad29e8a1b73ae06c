"""report_copy_out.py SEALED_WORK REPORT_DIR STATUS

Takes the report that the medium check wrote in its sealed view
(SEALED_WORK/report) out to REPORT_DIR, and nothing else: regular files
only, each opened without following a link, by the names that the check
writes (report.md and a picture of each box), within their sizes, the
pictures whole PNG files. Whatever else is found there (a link, a folder,
another file, a picture that is not a PNG file or too big) was put there by
something that ran in the sealed view: it is not copied, but named as a
problem at the end of the report, and a ready medium becomes not ready.
Prints that problem; exits with the check's exit code STATUS, 1 for a
ready medium with such a problem, or 3 when the report cannot be
written."""

import os
import re
import stat
import struct
import sys
import zlib

REPORT = "report.md"
PICTURE = re.compile(r"machine-[1-5]-[0-9a-z.]{1,5}(-[a-z]{2}(-[a-z]{2})?)?-box-[0-9]{1,3}\.png")
REPORT_LIMIT = 16 << 20
PICTURE_LIMIT = 4 << 20
PICTURES_AT_MOST = 500
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def is_png(data):
    """A whole PNG file: the signature, then chunks with their checksums,
    IHDR first, IEND last and nothing after it."""
    if not data.startswith(PNG_SIGNATURE):
        return False
    position, first = len(PNG_SIGNATURE), True
    while position + 12 <= len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        end = position + 12 + length
        if end > len(data) or (first and kind != b"IHDR"):
            return False
        checksum = struct.unpack(">I", data[end - 4:end])[0]
        if zlib.crc32(data[position + 4:end - 4]) != checksum:
            return False
        if kind == b"IEND":
            return end == len(data)
        position, first = end, False
    return False


def read_regular(folder, name, limit):
    """The bytes of the regular file name in the open folder, or why it is
    not taken. The file is looked at without following a link and opened
    without blocking, so that neither a link nor a pipe or device leads
    anywhere."""
    try:
        before = os.stat(name, dir_fd=folder, follow_symlinks=False)
        if not stat.S_ISREG(before.st_mode):
            return None, "not a regular file (a link, folder or special file)"
        handle = os.open(name, os.O_RDONLY | os.O_NOFOLLOW | os.O_NONBLOCK, dir_fd=folder)
    except OSError as error:
        return None, f"cannot be read ({error.strerror})"
    try:
        opened = os.fstat(handle)
        if not stat.S_ISREG(opened.st_mode) or opened.st_ino != before.st_ino:
            return None, "changed while it was read"
        with os.fdopen(handle, "rb", closefd=False) as file:
            data = file.read(limit + 1)
        return (data, None) if len(data) <= limit else (None, f"bigger than {limit} bytes")
    finally:
        os.close(handle)


def take(sealed_work):
    """The report's files (name -> bytes) and the problems with the rest."""
    try:
        folder = os.open("report", os.O_RDONLY | os.O_DIRECTORY | os.O_NOFOLLOW,
                         dir_fd=sealed_work)
    except OSError as error:
        return {}, [f"the check's report folder cannot be opened ({error.strerror}): "
                    "something in the sealed machine replaced or removed it"]
    taken, problems = {}, []
    try:
        for name in sorted(os.listdir(folder)):
            shown = name.encode("utf-8", "backslashreplace").decode()
            if name != REPORT and not PICTURE.fullmatch(name):
                problems.append(f"report folder: {shown} is not part of the report; it was put "
                                "there by something that ran in the sealed machine, and is "
                                "not copied")
                continue
            data, why = read_regular(folder, name, REPORT_LIMIT if name == REPORT
                                     else PICTURE_LIMIT)
            if why is None and name != REPORT and not is_png(data):
                why = "not a whole PNG picture"
            if why is None and name != REPORT and len(taken) > PICTURES_AT_MOST:
                why = f"past {PICTURES_AT_MOST} pictures"
            if why:
                problems.append(f"report folder: {shown} is {why}; it was put there by "
                                "something that ran in the sealed machine, and is not copied")
            else:
                taken[name] = data
    finally:
        os.close(folder)
    if REPORT not in taken:
        problems.append("report folder: report.md is gone: something that ran in the "
                        "sealed machine removed or replaced it")
    return taken, problems


def write(report_dir, taken, problems):
    os.makedirs(report_dir, exist_ok=True)
    for name in os.listdir(report_dir):
        if name == REPORT or PICTURE.fullmatch(name):
            os.unlink(os.path.join(report_dir, name))
    text = taken.pop(REPORT, b"")
    if problems:
        text += ("\n" + "".join(f"- problem: {problem}\n" for problem in problems)).encode()
    for name, data in [(REPORT, text), *taken.items()]:
        with open(os.path.join(report_dir, name), "wb") as out:
            out.write(data)


def main(argv):
    sealed_work, report_dir, status = argv[0], argv[1], int(argv[2])
    try:
        handle = os.open(sealed_work, os.O_RDONLY | os.O_DIRECTORY)
        try:
            taken, problems = take(handle)
        finally:
            os.close(handle)
        write(report_dir, taken, problems)
    except Exception as error:  # its own failure, not the medium's
        cause = " ".join(str(error).split()) or type(error).__name__
        print(f"check-medium.sh: the report could not be written to {report_dir}: {cause}",
              file=sys.stderr)
        return 3
    for problem in problems:
        print(f"problem: {problem}")
    if problems and status == 0:
        print("not ready: " + problems[0])
        return 1
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
