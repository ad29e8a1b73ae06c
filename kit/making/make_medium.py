"""make-medium.sh [options] INPUT_DIR OUTPUT

Lays out a Lexivane installation medium from the publisher's files: adds
LAUNCH.EXE and autorun.inf, compresses the program and its library the way
the launcher expands them, and writes a folder or (OUTPUT ending in .iso) an
ISO 9660 image with Joliet names. The same input gives the same bytes (dates
from SOURCE_DATE_EPOCH, never before 1980).

It carries every input file exactly or refuses (exit 1, naming the file and
what to do, nothing written): symbolic links and special files, names that
Windows or Joliet cannot hold, paths past Joliet's 120 characters, names that
Windows takes for one (case twins, also with the names the kit adds), an
incomplete full medium, an empty file to compress, a compressed file that
would not expand to the original. An existing OUTPUT is replaced only when
this kit made it, or with --force; the new medium is made complete beside it
first, and what a killed run left there goes with the next run.

A full medium is one whose input holds the program, its library or the
welcome message; anything else is a modules-only medium.
Exit codes: 0 made, 1 refused (nothing written), 2 usage error, 3 could not
make it (a full disk, a read-only file system, a tool that failed; nothing
written)."""

import argparse
import mmap
import os
import pathlib
import re
import shutil
import signal
import sys
import time

from kit.common import image_trees
from kit.common import szdd
from kit.common.outside_tool import ToolFailed, limit_for, run_tool
from kit.common.windows_names import (JOLIET_PATH, Refused, check_name, shown, utf16_length,
                                      windows_key)
from kit.making import output_stage

ROOT = pathlib.Path(__file__).resolve().parents[2]
# A file without a DOS date counts as missing for the launcher: dates are
# clamped to a day after 1980 began, so that no time zone sees 1979.
EARLIEST = 315619200  # 1980-01-02 00:00 UTC
DEFAULT_EPOCH = 946684800  # 2000-01-01 00:00 UTC
# What marks a medium folder or image as this kit's own, so that it may be
# replaced: a comment line in autorun.inf, the application id of an image.
MARK = "; Made by make-medium"
APPLICATION_ID = "LEXIVANE MAKE-MEDIUM"
PROBED = ("Lxv.Exe", "Pyrn.Dll", "Prelude.Msg", "Shared.604")
FOLDER, KIT = "folder", "written by the kit"
# mscompress reads a byte a system call: half a megabyte a second here.
MSCOMPRESS_BYTES_PER_SECOND = 64 << 10


def input_entries(top):
    """Every entry below top (relative path, is a folder), refused where a
    medium could not carry it exactly."""
    entries = []

    def unlistable(error):
        raise Refused(f"{error.filename}: cannot be listed ({error.strerror}); "
                      "make it readable")

    for folder, dirs, files in os.walk(top, onerror=unlistable):
        for name in sorted(dirs) + sorted(files):
            path = pathlib.Path(folder) / name
            rel = path.relative_to(top)
            check_name(path, name)
            if path.is_symlink():
                raise Refused(f"{path}: a symbolic link, which Windows would not see on "
                              "the medium; put the file or folder itself there")
            if not (path.is_dir() or path.is_file()):
                raise Refused(f"{path}: not a file or folder (a device, pipe or socket); "
                              "remove it")
            if path.is_file() and not os.access(path, os.R_OK):
                raise Refused(f"{path}: cannot be read; make it readable")
            entries.append((rel, path.is_dir()))
    return entries


class Layout:
    """Where each of the publisher's files goes on the medium, and what the
    kit adds."""

    def __init__(self, top, args):
        self.top = top
        entries = input_entries(top)
        names = {windows_key(str(rel)): rel for rel, _ in entries if len(rel.parts) == 1}
        for generated in ("LAUNCH.EXE", "autorun.inf"):
            if windows_key(generated) in names:
                raise Refused(f"{top / names[windows_key(generated)]}: make-medium.sh writes "
                              f"{generated} itself; remove it from the input")

        def top_file(name):
            rel = names.get(windows_key(name))
            return top / rel if rel else None

        self.program, self.library = top_file("Lxv.Exe"), top_file("Pyrn.Dll")
        self.full = bool(self.program or self.library or top_file("Prelude.Msg"))
        if self.full:
            for name in PROBED:
                if not top_file(name):
                    raise Refused(f"{top / name} is missing: the launcher needs it on a full "
                                  "medium; add it (or leave out Lxv.Exe, Pyrn.Dll and "
                                  "Prelude.Msg for a modules-only medium)")
                if not top_file(name).is_file():
                    raise Refused(f"{top_file(name)} is not a file; the launcher probes it "
                                  "as one")
            if not any(windows_key(n).startswith("DIAL") for n in names):
                raise Refused(f"{top} has no Dial* entry (for example DialEn.604): the "
                              "launcher needs one on a full medium; add it")
        elif args.nested:
            raise Refused(f"{top} holds no program: a modules-only medium cannot be nested "
                          "(the launcher finds the nested layout through the program); "
                          "leave out --nested")
        self.base = pathlib.PurePosixPath("lxv/win32" if args.nested else "")
        # Each medium path and what it is: a file of the input, a FOLDER, or
        # a file that the kit itself writes.
        self.paths = {}
        for rel, is_dir in entries:
            source = top / rel
            if source not in (self.program, self.library):
                self.paths[self.base / rel.as_posix()] = FOLDER if is_dir else source
        if self.full:
            program = "lxv.ex_" if args.nested else "Lxv.Ex_"
            if args.plain:
                program = "Lxv.Exe"
            library = "Pyrn.Dll" if args.plain else "Pyrn.Dl_"
            self.add_generated(self.base / program, top / names[windows_key("Lxv.Exe")])
            self.add_generated(self.base / library, top / names[windows_key("Pyrn.Dll")])
        for parent in (self.base.parent, self.base):
            if str(parent) != ".":
                self.add_generated(parent, FOLDER)
        self.add_generated(pathlib.PurePosixPath("LAUNCH.EXE"), KIT)
        self.add_generated(pathlib.PurePosixPath("autorun.inf"), KIT)
        self.check_paths()

    def add_generated(self, path, source):
        for other in self.paths:
            if windows_key(str(other)) == windows_key(str(path)) and other != path:
                raise Refused(f"{self.top / other}: the kit adds {path} to the medium, which "
                              "Windows takes for the same name; rename or remove it")
        if path in self.paths and self.paths[path] != FOLDER:
            raise Refused(f"{self.top / path}: the kit writes {path} itself; remove it "
                          "from the input")
        self.paths[path] = source

    def check_paths(self):
        seen = {}
        for path in sorted(self.paths):
            key = windows_key(str(path))
            if key in seen:
                raise Refused(f"{self.top / seen[key]}: {path} differs from it only in case, "
                              "which Windows takes for the same file; rename one")
            seen[key] = path
            if utf16_length(str(path)) > JOLIET_PATH:
                raise Refused(f"{self.top / path}: its path on the medium has "
                              f"{utf16_length(str(path))} characters, an image keeps "
                              f"{JOLIET_PATH}; shorten the names or the nesting")


def expands_to(packed, source):
    """Whether the SZDD file packed expands to source's bytes, as the
    platform's LZ library expands it (read piece by piece: any size will do)."""
    with open(packed, "rb") as packed_file, open(source, "rb") as original, \
            mmap.mmap(packed_file.fileno(), 0, access=mmap.ACCESS_READ) as data:
        same = True

        def compare(piece):
            nonlocal same
            same = same and original.read(len(piece)) == piece

        try:
            szdd.expand(data, compare)
        except ValueError:
            return False
        return same and original.read(1) == b""


def compress(source, dest, work):
    """Compresses source into dest (SZDD, mscompress), then expands it again
    as the launcher will and compares, so a medium never carries a file that
    the launcher would expand to something else."""
    size = os.path.getsize(source)
    if size == 0:
        raise Refused(f"{source}: an empty file, which a compressed file cannot hold (it "
                      "would expand to one byte); put the real file there, or give --plain")
    copy, packed = work / "file", work / "file_"
    shutil.copyfile(source, copy)
    try:
        run_tool(["mscompress", copy], limit_for(size, MSCOMPRESS_BYTES_PER_SECOND))
    except ToolFailed as error:
        raise output_stage.write_failure(error, work) from None
    if not expands_to(packed, source):
        if output_stage.disk_problem(work):
            raise output_stage.write_failure(None, work)
        raise Refused(f"{source}: its compressed copy does not expand to the same bytes; "
                      "compress it with --plain, or report the file to the kit's maintainers")
    os.replace(packed, dest)
    copy.unlink()


def lay_out(layout, args, folder, work):
    folder.mkdir()
    for path, source in sorted(layout.paths.items()):
        target = folder / path
        if source == FOLDER:
            target.mkdir(parents=True, exist_ok=True)
        elif source != KIT and path.name.endswith("_"):
            compress(source, target, work)
        elif source != KIT:
            shutil.copyfile(source, target)
    shutil.copyfile(args.launcher, folder / "LAUNCH.EXE")
    (folder / "autorun.inf").write_bytes(
        f"[autorun]\r\nopen=LAUNCH.EXE autorun\r\nicon=LAUNCH.EXE\r\nlabel={args.label}\r\n"
        f"{MARK}\r\n".encode())


def settle(folder, epoch):
    """Same bytes from the same input: fixed dates and modes on every entry."""
    for entry in [folder, *folder.rglob("*")]:
        entry.chmod(0o755 if entry.is_dir() else 0o644)
    for entry in [*folder.rglob("*"), folder]:
        os.utime(entry, (epoch, epoch))


def tree(folder):
    """Each entry below folder: relative path -> (kind, size), as
    image_trees.listing gives an image's entries."""
    return {p.relative_to(folder).as_posix(): ("d", 0) if p.is_dir() else
            ("-", p.stat().st_size) for p in folder.rglob("*")}


def make_image(folder, image, label, epoch):
    stamp = time.strftime("%Y%m%d%H%M%S00", time.gmtime(epoch))
    size = sum(entry[1] for entry in tree(folder).values())
    made = run_tool(["xorriso", "-no_rc", "-report_about", "WARNING", "-outdev", image,
                     "-volid", label, "-application_id", APPLICATION_ID,
                     "-joliet", "on", "-rockridge", "on", "-map", folder, "/",
                     "-chown_r", "0", "/", "--", "-chgrp_r", "0", "/", "--",
                     "-volume_date", "all_file_dates", f"={epoch}", "-volume_date", "uuid",
                     stamp], limit_for(size), ok=None, text=True, errors="replace",
                    env=dict(os.environ, SOURCE_DATE_EPOCH=str(epoch)))
    warnings = [line for line in made.stderr.splitlines()
                if re.search(r"WARNING|SORRY|FAILURE|FATAL|ABORT", line)]
    if made.returncode != 0 or warnings:
        if output_stage.disk_problem(image.parent, made.stderr):
            raise output_stage.write_failure(made.stderr, image.parent)
        raise Refused("xorriso could not write the image as given: "
                      + ("; ".join(warnings) or made.stderr.strip()[-300:]))
    # What Windows reads is the Joliet tree: it must hold exactly the medium.
    windows, medium = image_trees.listing(image, "windows"), tree(folder)
    if windows != medium:
        differing = sorted(path for path in set(windows) | set(medium)
                           if windows.get(path) != medium.get(path))
        raise Refused("the image's Joliet names (what Windows reads) differ from the medium: "
                      + ", ".join(differing[:5]))


def is_ours(output):
    """Whether OUTPUT is a medium folder or image that this kit made."""
    if output.is_dir() and not output.is_symlink():
        inf = output / "autorun.inf"
        return inf.is_file() and MARK in inf.read_text(errors="replace").splitlines()
    if output.is_file() and not output.is_symlink():
        with open(output, "rb") as image:
            image.seek(16 * 2048 + 574)
            return image.read(128).decode("ascii", "replace").strip() == APPLICATION_ID
    return False


def parse_args(argv):
    parser = argparse.ArgumentParser(prog="make-medium.sh", description=__doc__.split("\n\n")[1],
                                     formatter_class=argparse.RawDescriptionHelpFormatter,
                                     epilog=__doc__.split("\n\n", 2)[2])
    parser.add_argument("--plain", action="store_true",
                        help="leave Lxv.Exe and Pyrn.Dll uncompressed")
    parser.add_argument("--nested", action="store_true",
                        help="put the publisher's files under lxv\\win32\\ (compressed)")
    parser.add_argument("--label", default="LEXIVANE",
                        help="volume label, up to 16 of A-Z 0-9 _ (default LEXIVANE)")
    parser.add_argument("--launcher", type=pathlib.Path,
                        default=ROOT / "build" / "release" / "launch.exe",
                        help="the start program to add (default: the release build)")
    parser.add_argument("--force", action="store_true",
                        help="replace OUTPUT even when this kit did not make it")
    parser.add_argument("input", type=pathlib.Path, metavar="INPUT_DIR")
    parser.add_argument("output", type=pathlib.Path, metavar="OUTPUT")
    args = parser.parse_args(argv)

    def usage(message):
        parser.error(message)

    if not args.input.is_dir():
        usage(f"{args.input} is not a folder")
    if not args.launcher.is_file():
        usage(f"no start program at {args.launcher} (build it: cmake --build --preset release)")
    if not re.fullmatch(r"[A-Z0-9_]{1,16}", args.label):
        usage(f"label '{args.label}': use 1 to 16 of A-Z 0-9 _ (Joliet keeps 16)")
    if args.plain and args.nested:
        usage("--nested and --plain exclude each other: the nested layout is marked by the "
              "compressed program")
    args.input = args.input.resolve()
    output = pathlib.Path(os.path.abspath(args.output))
    if not output.parent.is_dir():
        usage(f"no folder {output.parent} for {output}")
    # The folder that OUTPUT is written in, as it really is: a link on the
    # way must not lead into the input.
    args.output = output.parent.resolve() / output.name
    if args.output == args.input or args.input in args.output.parents \
            or args.output in args.input.parents:
        usage(f"{output} and {args.input} overlap (as the links on the way lead); write "
              "the medium elsewhere")
    return args


def make(args):
    image = args.output.suffix.lower() == ".iso"
    if args.output.is_symlink():
        raise Refused(f"{args.output} is a symbolic link; name the medium folder or image "
                      f"itself ({args.output.resolve()})")
    if args.output.exists():
        if image != args.output.is_file():
            raise Refused(f"{args.output} exists and is not a medium "
                          f"{'image' if image else 'folder'}; name a new one")
        if not args.force and not is_ours(args.output):
            raise Refused(f"{args.output} exists and was not made by make-medium.sh; name a "
                          "new one, or give --force to replace it and all it holds")
    epoch = os.environ.get("SOURCE_DATE_EPOCH", str(DEFAULT_EPOCH))
    if not epoch.isdigit():
        raise Refused("SOURCE_DATE_EPOCH must be seconds since 1970")
    epoch = max(int(epoch), EARLIEST)
    layout = Layout(args.input, args)
    # Everything is made beside OUTPUT and swapped in at the end, so that a
    # refusal or an interruption leaves OUTPUT as it was.
    try:
        output_stage.remove_stale_stages(args.output)
        stage = output_stage.Stage(args.output)
    except OSError as error:
        raise output_stage.write_failure(error, args.output.parent) from None
    try:
        (stage.path / "work").mkdir()
        medium = stage.path / "medium"
        lay_out(layout, args, medium, stage.path / "work")
        settle(medium, epoch)
        if image:
            make_image(medium, stage.path / "image.iso", args.label, epoch)
            os.replace(stage.path / "image.iso", args.output)
        elif args.output.exists():
            output_stage.exchange(medium, args.output, stage.path)
        else:
            os.rename(medium, args.output)
    except (OSError, ToolFailed, output_stage.CouldNotWrite) as error:
        # Named by the folder asked for, while the stage still fills it.
        raise output_stage.write_failure(error, args.output.parent) from None
    finally:
        stage.close()
    return "full" if layout.full else "modules-only"


def main(argv):
    # A signal ends the run through the clean-up of the stage.
    for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(number, lambda signum, frame: sys.exit(128 + signum))
    try:
        args = parse_args(argv)
    except SystemExit as exit_:
        return exit_.code
    try:
        kind = make(args)
    except Refused as error:
        print(f"make-medium.sh: refused: {error}", file=sys.stderr)
        return 1
    except Exception as error:  # its own failure, not the input's
        cause = " ".join(str(error).split()) or type(error).__name__
        print(f"make-medium.sh: could not make the medium: {cause}", file=sys.stderr)
        return 3
    print(f"made {args.output}: a {kind} medium")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
