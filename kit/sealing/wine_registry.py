"""A Wine prefix's registry as its files hold it (system.reg, user.reg,
userdef.reg), and what changed between two of them: keys and values added,
changed or deleted, with the entries that start a program at every logon
and the services named as such."""

import re

FILES = {"system.reg": "HKLM", "user.reg": "HKCU", "userdef.reg": "HKU\\.Default"}
# A value line: "name"=data or @=data.
VALUE = re.compile(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$')
# Where Windows finds what it starts at every logon.
RUN_KEYS = {"software\\microsoft\\windows\\currentversion\\" + name
            for name in ("run", "runonce", "runservices", "runservicesonce")}
SERVICES = "system\\currentcontrolset\\services\\"
# What Wine itself writes each time it comes up: its display driver's date.
WINE_OWN = {("hklm\\system\\currentcontrolset\\control\\class\\"
             "{4d36e968-e325-11ce-bfc1-08002be10318}\\0000", "DriverDateData")}


def _unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


def parse(text, root):
    """{key path: {value name: data as written}}; a key's options (such as
    #link) count as values, its times do not."""
    keys, current = {}, None
    lines = text.split("\n")
    index = 0
    while index < len(lines):
        line = lines[index].rstrip("\r")
        index += 1
        # A long value goes on over lines that end with a backslash.
        while line.endswith("\\") and index < len(lines) and VALUE.match(line):
            line = line[:-1] + lines[index].strip()
            index += 1
        if line.startswith("["):
            name = line[1:line.rfind("]")]
            current = keys.setdefault(root + "\\" + _unescape(name), {})
        elif current is None or not line or line.startswith(";"):
            continue
        elif line.startswith("#"):
            if not line.startswith("#time="):
                current[line] = ""
        else:
            value = VALUE.match(line)
            if value:
                name = value.group(1)
                current["(default)" if name == "@" else _unescape(name[1:-1])] = value.group(2)
    return keys


def meaning(key, name=None):
    """What a key or value is for Windows, when that matters to a customer."""
    path = key.partition("\\")[2].lower()
    if path in RUN_KEYS and name is not None:
        return " (a program that Windows starts at every logon)"
    if path.startswith(SERVICES) and "\\" not in path[len(SERVICES):]:
        return " (a service)"
    return ""


def existing(keys):
    """Every key there is: the files leave out a key that holds only keys."""
    found = set()
    for key in keys:
        while key not in found and "\\" in key:
            found.add(key)
            key = key.rpartition("\\")[0]
    return found


def differences(before, after):
    """Every change from before to after (both parsed), in words, sorted."""
    changes = []
    was, now = existing(before), existing(after)
    for key in sorted(set(before) | set(after)):
        if key not in now:
            changes.append(f"registry key {key} deleted{meaning(key)}")
            continue
        if key not in was:
            changes.append(f"registry key {key} added{meaning(key)}")
        old, new = before.get(key, {}), after.get(key, {})
        for name in sorted(set(old) | set(new)):
            if old.get(name) == new.get(name) or (key.lower(), name) in WINE_OWN:
                continue
            what = ("added" if name not in old else "deleted" if name not in new
                    else "changed")
            data = f" = {new[name]}" if name in new else ""
            changes.append(f"registry value {key}\\{name} {what}{data}{meaning(key, name)}")
    return changes
