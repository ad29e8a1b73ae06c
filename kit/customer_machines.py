"""The simulated customer machines on which the medium check runs a medium's
start program: five installations (fresh; an installed copy newer, older,
too old for modules; one whose program is gone) on each Windows version
asked for, made in the check's Wine prefix one after the other. The check
never runs an installed copy or a setup program: the installed program is
the stand-in's file, and what the start program starts is ended unrun."""

import os
import pathlib
import shutil

import wine_driver as wd

DAY = 86400
# The names that --windows takes, and the versions that Wine reports.
WINDOWS = {"95": "win95", "98": "win98", "me": "winme", "nt4": "nt40", "2000": "win2k",
           "xp": "winxp", "vista": "vista", "7": "win7", "8": "win8", "8.1": "win81",
           "10": "win10"}
APP_DEFAULTS = "HKCU\\Software\\Wine\\AppDefaults\\"
# The languages that --languages takes (the launcher's, besides English), and
# the locale that makes Wine's Windows speak each.
LANGUAGES = {"de": "de_DE", "fr": "fr_FR", "es": "es_ES", "it": "it_IT", "nl": "nl_NL",
             "pt-BR": "pt_BR", "pl": "pl_PL", "cs": "cs_CZ", "ru": "ru_RU", "ja": "ja_JP",
             "zh-CN": "zh_CN", "ko": "ko_KR"}


def machines(version, reference_time):
    """Number, description and installed copy of each machine: (version,
    date of its program file, or None for a copy whose program is gone), or
    None for no copy."""
    return [(1, "fresh machine", None),
            (2, f"installed {version}, newer program", (version, reference_time + DAY)),
            (3, f"installed {version}, older program", (version, reference_time - DAY)),
            (4, "installed 7.05, too old for modules", ("7.05", reference_time - DAY)),
            (5, f"installed {version}, program file gone", (version, None))]


def report_windows(program_name, windows):
    """Makes Wine report the given Windows version to the start program."""
    wd.reg_add(APP_DEFAULTS + program_name, "Version", WINDOWS[windows])


def prepare(installed):
    wd.forget_installed_copy()
    wd.clear_temp_directory()
    if installed:
        version, stamp = installed
        program = wd.RELEASE / "standin" / "lxv.exe" if stamp is not None else None
        wd.install_copy(version, program, stamp)


def drive_c_files():
    """Every file of the machine's drive C: but Wine's own Windows folder,
    with its size and time, by its Windows path."""
    drive = wd.prefix() / "drive_c"
    files = {}
    for path in drive.rglob("*"):
        rel = path.relative_to(drive)
        if rel.parts[0].lower() != "windows" and path.is_file() and not path.is_symlink():
            status = path.stat()
            files["C:\\" + "\\".join(rel.parts)] = (status.st_size, status.st_mtime_ns, path)
    return files


def run_start_program(installed, command, shots, language=None):
    """Runs the start program on a machine made afresh, whose Windows speaks
    language (English without one): what it showed and started (wd.Run) and
    what it wrote on drive C: (Windows path -> bytes). Every Windows program
    that it starts is ended unrun; the Unix programs that run meanwhile are
    recorded."""
    prepare(installed)
    before = drive_c_files()
    run = wd.run(*command, box_shots=shots, observe=True, watch=True,
                 extra_env={"LC_ALL": f"{LANGUAGES[language]}.UTF-8"} if language else None)
    written = {path: entry[2].read_bytes() for path, entry in drive_c_files().items()
               if before.get(path, (None,))[:2] != entry[:2]}
    return run, written


def reference_medium(root, program, work):
    """The medium with this kit's launcher in the place of its start
    program: the other files are links to the medium's own, under the same
    names."""
    mirror = work / "reference-medium"
    for folder, dirs, files in os.walk(root):
        here = mirror / pathlib.Path(folder).relative_to(root)
        here.mkdir()
        for name in list(dirs):
            if os.path.islink(os.path.join(folder, name)):
                dirs.remove(name)
                files.append(name)
        for name in files:
            source = pathlib.Path(folder) / name
            if source == program:
                shutil.copyfile(wd.RELEASE / "launch.exe", here / name)
            else:
                (here / name).symlink_to(source)
    return mirror
