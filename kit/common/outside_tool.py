"""Runs the outside tools that the kit needs (xorriso, mscompress, xdotool,
Wine, osslsigncode, ...) with a time limit each, and turns a tool's failure
into one line that says which tool failed and how."""

import ctypes
import os
import signal
import subprocess

# Below this many bytes a second, a tool counts as stuck.
SLOWEST_BYTES_PER_SECOND = 4 << 20
PR_SET_PDEATHSIG = 1


class ToolFailed(Exception):
    """An outside tool could not start, ran past its limit or failed.
    exit_code is its exit code, or None when it did not end by itself."""

    def __init__(self, message, exit_code=None):
        super().__init__(message)
        self.exit_code = exit_code


def limit_for(size, slowest=SLOWEST_BYTES_PER_SECOND, least=120):
    """A time limit for a tool that reads or writes size bytes: past it, the
    tool would run slower than slowest bytes a second."""
    return least + size // slowest


def _die_with_parent():
    # A tool that outlives a killed kit run would go on writing beside its
    # output.
    ctypes.CDLL(None).prctl(PR_SET_PDEATHSIG, signal.SIGKILL, 0, 0, 0)


def last_line(text):
    lines = [line.strip() for line in (text or "").splitlines() if line.strip()]
    return lines[-1] if lines else ""


def run_tool(command, limit, ok=(0,), **kwargs):
    """Runs command (a list) for at most limit seconds and answers the
    completed process; raises ToolFailed when it cannot start, runs past
    the limit or ends with an exit code not in ok (ok=None: the caller
    judges the exit code). Output is captured unless the caller routes it."""
    command = [os.fspath(part) for part in command]
    name = os.path.basename(command[0])
    if not any(key in kwargs for key in ("stdout", "stderr", "capture_output")):
        kwargs["capture_output"] = True
    kwargs.setdefault("stdin", subprocess.DEVNULL)
    kwargs.setdefault("preexec_fn", _die_with_parent)
    try:
        done = subprocess.run(command, timeout=limit, **kwargs)
    except FileNotFoundError:
        raise ToolFailed(f"{name} is not installed (not found)") from None
    except subprocess.TimeoutExpired:
        raise ToolFailed(f"{name} did not end within {limit} seconds") from None
    except OSError as error:
        raise ToolFailed(f"{name} could not start: {error.strerror}") from None
    if ok is not None and done.returncode not in ok:
        said = last_line(done.stderr if isinstance(done.stderr, str)
                         else (done.stderr or b"").decode(errors="replace"))
        raise ToolFailed(f"{name} failed (exit code {done.returncode})"
                         + (f": {said}" if said else ""), done.returncode)
    return done
