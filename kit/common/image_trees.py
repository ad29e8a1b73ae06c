"""The two trees of names in an ISO 9660 image, read with xorriso without
mounting it: the Unix view (Rock Ridge) that the image was made from, and
the Joliet names that Windows reads. Shared by make-medium (which reads its
image back) and check-medium (which checks a medium by its Joliet tree)."""

import os
import re
import shlex

from kit.common.outside_tool import limit_for, run_tool

# xorriso's -read_fs for each tree: Rock Ridge where the image has it; Joliet
# where Rock Ridge is ignored.
READ_FS = {"unix": "any", "windows": "norock"}
KINDS = {"-": "a file", "d": "a folder", "l": "a symbolic link"}


def xorriso(image, tree, *commands):
    """Runs xorriso's commands on the image, reading the given tree."""
    return run_tool(["xorriso", "-no_rc", "-osirrox", "on", "-backslash_codes", "on",
                     "-read_fs", READ_FS[tree], "-indev", image, *commands],
                    limit_for(os.path.getsize(image)), env=dict(os.environ, LC_ALL="C.UTF-8"),
                    text=True, errors="surrogateescape")


def _unescape(text):
    """xorriso's backslash codes (\\n, \\ooo bytes, ...) turned back into the
    name they stand for."""
    raw = re.sub(r"\\([0-7]{3})|\\(.)", lambda m: chr(int(m.group(1), 8)) if m.group(1)
                 else {"n": "\n", "r": "\r", "t": "\t"}.get(m.group(2), m.group(2)), text)
    return raw.encode("latin-1", "surrogateescape").decode("utf-8", "surrogateescape")


def listing(image, tree):
    """Every entry of one tree ("unix" or "windows"): path -> (kind, size),
    kind being the first letter of its mode (-, d, l, ...)."""
    entries = {}
    for line in xorriso(image, tree, "-find", "/", "-exec", "lsdl").stdout.splitlines():
        try:
            fields = shlex.split(line)
        except ValueError:
            continue
        if len(fields) < 9 or not fields[4].isdigit() or not fields[8].startswith("/"):
            continue
        path = _unescape(fields[8])
        if path != "/":
            entries[path.lstrip("/")] = (fields[0][0], int(fields[4]))
    return entries


def differences(image):
    """Every way in which what Windows reads (the Joliet tree) differs from
    the Unix view (Rock Ridge) that the image was made from."""
    unix, windows = listing(image, "unix"), listing(image, "windows")
    problems = []
    for path in sorted(set(unix) | set(windows)):
        if path not in windows:
            problems.append(f"{path} is {KINDS.get(unix[path][0], 'on the image')} of the "
                            "image, but Windows does not see it (the image's Joliet names "
                            "lack it)")
        elif path not in unix:
            problems.append(f"Windows sees {path}, which the image's Unix names lack (a name "
                            "cut, changed or hidden for Joliet)")
        elif unix[path] != windows[path]:
            problems.append(f"{path} is {describe(unix[path])} in the image's Unix names but "
                            f"{describe(windows[path])} for Windows")
    return problems


def describe(entry):
    kind, size = entry
    return f"{KINDS.get(kind, 'a special file')} of {size} bytes"


def extract_windows_view(image, folder):
    """The image's Joliet tree as a folder, writable so that it can be
    removed again."""
    xorriso(image, "windows", "-extract", "/", str(folder))
    os.chmod(folder, 0o755)
    for path, dirs, files in os.walk(folder):
        for name in dirs + files:
            entry = os.path.join(path, name)
            if not os.path.islink(entry):
                os.chmod(entry, 0o755 if name in dirs else 0o644)
