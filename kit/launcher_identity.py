"""Whether a medium's start program is the launcher that this kit ships: the
release build byte for byte, or that build signed (the same bytes once its
Authenticode signature is taken off, whoever signed it)."""

import filecmp
import os

from outside_tool import ToolFailed, run_tool

# A signature with its certificate chain and time stamp takes some
# kilobytes; a file much bigger than the launcher is not the launcher.
SIGNATURE_ROOM = 1 << 20


def is_kit_launcher(program, release_launcher, work):
    """program and release_launcher are paths; work a folder to unsign in."""
    if filecmp.cmp(program, release_launcher, shallow=False):
        return True
    if os.path.getsize(program) > os.path.getsize(release_launcher) + SIGNATURE_ROOM:
        return False
    unsigned = os.path.join(work, "unsigned-launcher.exe")
    try:
        run_tool(["osslsigncode", "remove-signature", "-in", program, "-out", unsigned], 60)
        return filecmp.cmp(unsigned, release_launcher, shallow=False)
    except ToolFailed as error:
        if error.exit_code is None:
            raise
        return False  # not signed, or not a program that can be
    finally:
        if os.path.exists(unsigned):
            os.unlink(unsigned)
