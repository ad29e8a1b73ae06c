"""The simulated customer machines on which the medium check runs a medium's
start program: five installations (fresh; an installed copy newer, older,
too old for modules; one whose program is gone) on each Windows version
asked for, each made afresh in a seal of its own (sealed_machine). The
check never runs an installed copy or a setup program: the installed
program is the stand-in's file, and what the start program starts is ended
unrun."""

import os
import shutil

from kit.common import wine_driver as wd
from kit.sealing import sealed_machine

DAY = 86400
# The names that --windows takes, and the versions that Wine reports.
WINDOWS = {"95": "win95", "98": "win98", "me": "winme", "nt4": "nt40", "2000": "win2k",
           "xp": "winxp", "vista": "vista", "7": "win7", "8": "win8", "8.1": "win81",
           "10": "win10"}
# The languages that --languages takes (the launcher's, besides English), and
# the locale that makes Wine's Windows speak each.
LANGUAGES = {"de": "de_DE", "fr": "fr_FR", "es": "es_ES", "it": "it_IT", "nl": "nl_NL",
             "pt-BR": "pt_BR", "pl": "pl_PL", "cs": "cs_CZ", "ru": "ru_RU", "ja": "ja_JP",
             "zh-CN": "zh_CN", "ko": "ko_KR"}
UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lexivane"
INSTALL, DATA = "drive_c/Program Files/Lexivane", "drive_c/Lexivane Data"


def machines(version, reference_time):
    """Number, description and installed copy of each machine: (version,
    date of its program file, or None for a copy whose program is gone), or
    None for no copy."""
    return [(1, "fresh machine", None),
            (2, f"installed {version}, newer program", (version, reference_time + DAY)),
            (3, f"installed {version}, older program", (version, reference_time - DAY)),
            (4, "installed 7.05, too old for modules", ("7.05", reference_time - DAY)),
            (5, f"installed {version}, program file gone", (version, None))]


def reg_text(text):
    """A string as Wine's registry files write it."""
    return "".join("\\\\" if c == "\\" else '\\"' if c == '"' else c if ord(c) < 128
                   else f"\\x{ord(c):04x}" for c in text)


def registry_additions(installed, program_name, windows):
    """The user's registry keys of a machine: the Windows version that Wine
    reports to the start program and, for an installed copy, what the
    stand-in's setup registers."""
    keys = {f"Software\\Wine\\AppDefaults\\{program_name}": {"Version": WINDOWS[windows]}}
    if installed:
        keys[UNINSTALL_KEY] = {
            "DisplayName": f"Lexivane {installed[0]}",
            "UninstallString": 'C:\\Program Files\\Lexivane\\LxvDel.Exe /u x '
                               '"C:\\Lexivane Data\\"'}
    return "".join(f"\n[{reg_text(key)}] 0\n" + "".join(
        f'"{reg_text(name)}"="{reg_text(data)}"\n' for name, data in values.items())
        for key, values in keys.items())


def preparation(installed, program_name, windows, registry):
    """What makes a machine (sealed_machine.Machine): its registry (the
    files of registry, Wine's in the machine's locale, and the machine's own
    keys), and an installed copy's folders and files as the stand-in's setup
    leaves them; answers the registry files as the run finds them."""
    def prepare(machine):
        prepared = dict(registry)
        prepared["user.reg"] += registry_additions(installed, program_name, windows)
        for name, text in prepared.items():
            machine.put(name, text.encode())
        if installed:
            machine.put(DATA, ("folder",))
            machine.put(INSTALL, ("folder",))
            version, stamp = installed
            if stamp is not None:
                machine.put(f"{INSTALL}/Lxv.Exe",
                            (wd.RELEASE / "standin" / "lxv.exe").read_bytes(), stamp)
                machine.put(f"{INSTALL}/Pyrn.DLL",
                            (wd.RELEASE / "standin" / "pyrn.dll").read_bytes())
        return prepared
    return prepare


def locale(language):
    """The locale that makes Wine's Windows speak language (None: English)."""
    return f"{LANGUAGES[language]}.UTF-8" if language else sealed_machine.ENGLISH


def run_start_program(seals, template, drive_d, installed, command, windows, shots,
                      language, limit):
    """Runs the start program on a machine made afresh, whose Windows speaks
    language (English without one): a sealed_machine.Run."""
    speaks = locale(language)
    registry = sealed_machine.locale_registry(seals, template, speaks)
    return sealed_machine.run_machine(
        seals, template, drive_d,
        preparation(installed, command[0].rpartition("\\")[2], windows, registry), command,
        speaks, shots, limit)


def reference_medium(root, program, work):
    """The medium with this kit's launcher in the place of its start
    program, for a machine whose drive D: is /reference: the other files are
    links to the medium's own (/medium), under the same names."""
    mirror = work / "reference-medium"
    for folder, dirs, files in os.walk(root):
        rel = os.path.relpath(folder, root)
        here = mirror / rel
        here.mkdir()
        for name in list(dirs):
            if os.path.islink(os.path.join(folder, name)):
                dirs.remove(name)
                files.append(name)
        for name in files:
            source = os.path.join(folder, name)
            if os.path.samefile(source, program) if not os.path.islink(source) else False:
                shutil.copyfile(wd.RELEASE / "launch.exe", here / name)
            else:
                (here / name).symlink_to(os.path.normpath(os.path.join("/medium", rel, name)))
    return mirror
