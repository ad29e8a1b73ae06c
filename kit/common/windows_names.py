"""A name as Windows takes it: the one way Windows compares names (case
folded character by character), and what a name on a medium may not be
(what Windows or an image's Joliet names cannot carry)."""

import os
import re

# Joliet keeps 64 characters of a name and 240 bytes (120 characters) of a
# path.
JOLIET_NAME = 64
JOLIET_PATH = 120
DEVICES = re.compile(r"(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9]|CONIN\$|CONOUT\$)", re.I)


class Refused(Exception):
    pass


def windows_key(name):
    """The name as Windows compares it: each character upper-cased alone."""
    return "".join(c.upper() if len(c.upper()) == 1 else c for c in name)


def utf16_length(text):
    return len(text.encode("utf-16-le")) // 2


def shown(path):
    """A path as it can be printed, whatever bytes its names hold."""
    return os.fsencode(path).decode("utf-8", "backslashreplace")


def check_name(path, name):
    rel = shown(path)
    if any(0xDC80 <= ord(c) <= 0xDCFF for c in name):
        raise Refused(f"{rel}: the name is not UTF-8 text, so its characters are unknown; "
                      "rename it")
    if re.search(r'[\x00-\x1f\x7f<>:"\\|?*]', name):
        raise Refused(f"{rel}: the name holds a character that Windows does not allow "
                      '(< > : " \\ | ? * or a control character); rename it')
    if name[-1] in ". ":
        raise Refused(f"{rel}: Windows drops a trailing dot or space from a name; rename it")
    if any(ord(c) > 0xFFFF for c in name):
        raise Refused(f"{rel}: the name holds a character that a Joliet name cannot carry; "
                      "rename it")
    if utf16_length(name) > JOLIET_NAME:
        raise Refused(f"{rel}: the name has {len(name)} characters, an image keeps "
                      f"{JOLIET_NAME}; shorten it")
    if DEVICES.fullmatch(name.split(".")[0].rstrip(" ")):
        raise Refused(f"{rel}: Windows reserves the name {name.split('.')[0].upper()} "
                      "for a device; rename it")
