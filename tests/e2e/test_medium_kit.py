"""The publisher's medium kit, with a publisher's own setup program that
cooperates with nothing and a start program that hides what it does:
make-medium.sh carries the input exactly or refuses and writes nothing, and
says why; check-medium.sh judges a medium by what its LAUNCH.EXE starts,
knows every program that runs, lets nothing of the medium out of its sealed
machine but the report, and names what is wrong with a broken one."""

import os
import pathlib
import re
import shutil
import subprocess
import tempfile
import time
import unittest
from xml.etree import ElementTree

import browser_page
from launch_case import wd

FOREIGN_SETUP = pathlib.Path(os.environ["FOREIGN_SETUP"])
HOSTILE_LAUNCHER = pathlib.Path(os.environ["HOSTILE_LAUNCHER"])
TEMP_SETUP = 'Temp\\LXV.EXE "D:\\"'
# What the foreign setup program leaves wherever it can write.
TRACE = "foreign-setup-was-here.txt"
# What the hostile start program has Wine run in each machine: it tries to
# get out (remounting what the machine sees read-only, also from a user
# namespace of its own) and at the check's records, leaves a forger that
# hides itself under the start program's name, plants a picture, and
# changes the machine as no launcher may.
HOSTILE_SCRIPT = r"""for dir in / /usr /etc /kit /release /medium; do
  mount -o remount,rw,bind "$dir"; echo escaped > "$dir/escaped-by-remount"
  unshare -rm sh -c "mount -o remount,rw,bind $dir; echo escaped > $dir/escaped-by-unshare"
done
echo 'ready: FORGED' > /proc/1/fd/1; kill -9 1
python3 -c 'import ctypes, os, time
libc = ctypes.CDLL(None)
libc.prctl(4, 0, 0, 0, 0)
libc.prctl(15, b"LAUNCH.EXE", 0, 0, 0)
os.setsid()
while True:
    for path in ("/proc/1/fd/1", "/tmp/report.md"):
        try: open(path, "a").write("ready: FORGED")
        except OSError: pass
    time.sleep(0.1)' &
c=$WINEPREFIX/drive_c
cp planted.png /tmp/machine-5-10-box-9.png; cp planted.png "$c/machine-5-10-box-9.png"
echo evil > "$c/windows/system32/evil.dll"
rm -f "$c/Program Files/Lexivane/Pyrn.DLL"
touch -r "$c/windows/win.ini" /tmp/stamp
printf X | dd of="$c/windows/win.ini" bs=1 conv=notrunc; touch -r /tmp/stamp "$c/windows/win.ini"
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v evil /d evil.exe /f
wine sc create evilsvc binpath= evil.exe
touch "$c/hostile-done"
"""


def kit(tool, *args, **env):
    return subprocess.run([str(wd.ROOT / "kit" / tool), *map(str, args)],
                          capture_output=True, text=True, timeout=900,
                          env=dict(os.environ, SOURCE_DATE_EPOCH="1262347200", **env))


def machine_rows(output):
    """The table's cells, one list per machine."""
    return [line.strip("| ").split(" | ") for line in output.splitlines()
            if line[:3] in {f"| {n}" for n in "12345"}]


class MediumKit(unittest.TestCase):
    def setUp(self):
        self.work = pathlib.Path(tempfile.mkdtemp(prefix="medium-kit-"))
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)

    def publisher_files(self, *modules):
        folder = self.work / "input"
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir()
        shutil.copy(FOREIGN_SETUP, folder / "Lxv.Exe")
        shutil.copy(wd.MEDIA / "originals" / "Pyrn.DLL", folder / "Pyrn.DLL")
        for name in ("Prelude.Msg", "Shared.604", "DialEn.604", "alpha.604") + modules:
            (folder / name).write_text(f"{name}\r\n")
        return folder

    def no_tools(self):
        """A PATH with what the shell needs, none of the tools."""
        folder = self.work / "bin"
        if not folder.exists():
            folder.mkdir()
            for name in ("bash", "dirname"):
                (folder / name).symlink_to(shutil.which(name))
        return folder

    def check(self, medium, *args):
        """Runs the check; nothing that the medium runs may reach this
        machine's files, wherever the foreign program tries."""
        checked = kit("check-medium.sh", medium, *args, FOREIGN_SETUP_TARGET=self.work)
        leaks = [p for folder in (self.work, pathlib.Path("/tmp"), wd.ROOT)
                 for p in folder.glob(TRACE)]
        self.assertEqual(leaks, [])
        return checked

    def test_each_refusal_names_its_cause_and_writes_nothing(self):
        def files(*names, make=lambda path: path.write_text("x")):
            def change(folder):
                for name in names:
                    (folder / name).parent.mkdir(parents=True, exist_ok=True)
                    make(folder / name)
            return change

        # Where the medium goes: a folder that must stay empty, or one reached
        # through a link into the input, or a small disk mounted for the run
        # (a full one, a read-only one), or no mscompress to be found.
        out = self.work / "out"
        into_input = self.work / "into-input"
        into_input.symlink_to(self.work / "input")
        no_tools = self.no_tools()
        for change, message, code, where in (
                (lambda folder: (folder / "Shared.604").unlink(), "Shared.604 is missing", 1, out),
                (files("a?b.604"), "a?b.604: the name holds a character that Windows does not",
                 1, out),
                (files("x" * 61 + ".604"), "an image keeps 64", 1, out),
                (files("d" * 60 + "/" + "e" * 59 + ".604"), "an image keeps 120", 1, out),
                (files("Aux.604"), "Windows reserves the name AUX", 1, out),
                (files("ALPHA.604"), "differs from it only in case", 1, out),
                (files("\u00c9.604", "\u00e9.604"), "differs from it only in case", 1, out),
                (files("LXV.EX_"), "the kit adds Lxv.Ex_", 1, out),
                (files("end.604."), "end.604.: Windows drops a trailing dot", 1, out),
                (files("\U0001F600.604"), "a Joliet name cannot carry", 1, out),
                (files("link.604", make=lambda p: p.symlink_to("/etc/hostname")),
                 "a symbolic link", 1, out),
                (files("pipe.604", make=os.mkfifo), "not a file or folder", 1, out),
                (files("autorun.inf"), "writes autorun.inf itself", 1, out),
                (files("Pyrn.DLL", make=lambda p: p.write_bytes(b"")),
                 "Pyrn.DLL: an empty file, which a compressed file cannot hold", 1, out),
                (files(), "overlap (as the links on the way lead)", 2, into_input),
                (files(), "no space left on the disk of", 3, "size=300k"),
                (files(), "is on a read-only file system", 3, "ro"),
                (files(), "mscompress is not installed", 3, "no-tools")):
            with self.subTest(message=message):
                shutil.rmtree(out, ignore_errors=True)
                out.mkdir()
                change(self.publisher_files())
                if where in ("size=300k", "ro"):
                    made = subprocess.run(
                        ["unshare", "-m", "sh", "-c", 'mount -t tmpfs -o "$1" tmpfs "$2" && '
                         '"$3" "$4" "$2/medium.iso"; status=$?; ls -A "$2" >&2; exit $status',
                         "sh", where, out, wd.ROOT / "kit" / "make-medium.sh",
                         self.work / "input"], capture_output=True, text=True)
                else:
                    env = {"PATH": str(no_tools)} if where == "no-tools" else {}
                    made = kit("make-medium.sh", self.work / "input",
                               (out if where == "no-tools" else where) / "medium.iso", **env)
                self.assertEqual(made.returncode, code, made)
                self.assertIn(message, made.stderr)
                if code != 2:  # a usage error shows the usage too
                    self.assertEqual(len(made.stderr.strip().splitlines()), 1, made.stderr)
                self.assertEqual(list(out.iterdir()), [])
                self.assertEqual([p for p in (self.work / "input").iterdir()
                                  if p.suffix == ".iso" or p.name.startswith(".")], [])

    def test_a_folder_that_the_kit_did_not_make_is_kept(self):
        stick = self.work / "stick"
        stick.mkdir()
        (stick / "autorun.inf").write_text("[autorun]\r\nopen=photos.exe\r\n")
        (stick / "photo.jpg").write_text("the customer's own")
        made = kit("make-medium.sh", self.publisher_files(), stick)
        self.assertEqual(made.returncode, 1)
        self.assertIn("was not made by make-medium.sh", made.stderr)
        self.assertEqual(sorted(p.name for p in stick.iterdir()), ["autorun.inf", "photo.jpg"])
        # Its own output it replaces, a medium that stays whole.
        medium = self.work / "medium"
        for _ in range(2):
            self.assertEqual(kit("make-medium.sh", self.publisher_files(), medium).returncode, 0)
        self.assertTrue((medium / "Lxv.Ex_").is_file())
        self.assertEqual([p.name for p in self.work.glob(".make-medium*")], [])
        # A run killed as it swapped the old medium aside: the next run puts
        # it back, even one that then fails (here, without its tools).
        (self.work / ".make-medium.killed").mkdir()
        medium.rename(self.work / ".make-medium.killed" / "old")
        failed = kit("make-medium.sh", self.publisher_files(), medium, PATH=str(self.no_tools()))
        self.assertEqual(failed.returncode, 3, failed)
        self.assertTrue((medium / "Lxv.Ex_").is_file())
        self.assertEqual([p.name for p in self.work.glob(".make-medium*")], [])

    def test_an_image_killed_midway_leaves_nothing_for_the_next_run(self):
        files = self.publisher_files()
        with open(files / "video.604", "wb") as video:
            video.write(os.urandom(64 << 20))
        images = [self.work / "a.iso", self.work / "b.iso"]
        killed = subprocess.Popen([wd.ROOT / "kit" / "make-medium.sh", files, images[0]])
        children = pathlib.Path(f"/proc/{killed.pid}/task/{killed.pid}/children")
        while killed.poll() is None and not any(
                pathlib.Path(f"/proc/{child}/comm").read_text().strip() == "xorriso"
                for child in children.read_text().split()):
            time.sleep(0.05)
        killed.kill()
        killed.wait()
        for image in images:
            self.assertEqual(kit("make-medium.sh", files, image).returncode, 0)
        self.assertEqual(images[0].read_bytes(), images[1].read_bytes())
        self.assertEqual([p.name for p in self.work.glob(".make-medium*")], [])

    def test_every_tool_answers_help_and_refuses_bad_usage(self):
        for tool in ("make-medium.sh", "check-medium.sh", "sign.sh"):
            with self.subTest(tool=tool):
                helped = kit(tool, "--help")
                self.assertEqual(helped.returncode, 0, helped)
                self.assertIn("usage:", helped.stdout)
        for option, value in (("--version", '9"\r\n[HKEY'), ("--windows", "95,96")):
            bad = kit("check-medium.sh", option, value, wd.MEDIA / "compressed")
            self.assertEqual(bad.returncode, 2, bad)

    def test_image_of_a_foreign_setup_round_trip_with_one_job_or_two(self):
        images = [self.work / "a.iso", self.work / "b.iso"]
        for image in images:
            self.assertEqual(kit("make-medium.sh", "--label", "LXV_91",
                                 self.publisher_files(), image).returncode, 0)
        self.assertEqual(images[0].read_bytes(), images[1].read_bytes())
        checks = [self.check(images[0], self.work / name, "--jobs", jobs, "--junit-xml",
                             self.work / f"{name}.xml", *quiet)
                  for name, jobs, quiet in (("one", "1", ["--quiet"]), ("two", "2", []))]
        for checked in checks:
            self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
        rows = machine_rows(checks[0].stdout)
        self.assertEqual([row[1] for row in rows], ["none"] * 5)
        started = [row[2] for row in rows]
        self.assertEqual(started[1], "none")
        for cell in started[:1] + started[2:]:
            self.assertIn(TEMP_SETUP, cell)
        # Two machines at once make the same report as one at a time, and
        # say how far they are, but when told to be quiet.
        self.assertEqual(checks[0].stdout, checks[1].stdout)
        self.assertEqual(checks[0].stderr, "")
        self.assertRegex(checks[1].stderr, r"^(\[[1-5]/5\] machine [1-5] \([^)]+\), Windows 10: "
                                           r"ok \([0-9]+ s\)\n){5}$")
        for name in ("report.md", "report.html"):
            self.assertEqual((self.work / "one" / name).read_bytes(),
                             (self.work / "two" / name).read_bytes(), name)
        junit = [re.sub(r' time="[0-9.]+"', "", (self.work / f"{name}.xml").read_text())
                 for name in ("one", "two")]
        self.assertEqual(junit[0], junit[1])

    def test_a_start_program_that_never_ends_is_cut_off_sealed(self):
        medium = self.work / "medium"
        kit("make-medium.sh", "--launcher", FOREIGN_SETUP, self.publisher_files(), medium)
        junit = self.work / "junit.xml"
        checked = self.check(medium, "--any-launcher", "--limit", "5", "--junit-xml", junit)
        self.assertEqual(checked.returncode, 3, checked.stdout + checked.stderr)
        self.assertIn("the check could not run", checked.stderr)
        error = ElementTree.parse(junit).getroot().find("testsuite/testcase/error")
        self.assertIn("did not end within 5 seconds", error.get("message"))
        self.assertEqual(list(pathlib.Path("/tmp").glob("check-medium-*")), [])

    def test_a_hostile_start_program_is_seen_whole_and_reaches_nothing(self):
        files = self.publisher_files()
        (files / "hostile.sh").write_text(HOSTILE_SCRIPT)
        subprocess.run(["convert", "-size", "4x4", "xc:red", files / "planted.png"], check=True)
        medium = self.work / "medium"
        kit("make-medium.sh", "--launcher", HOSTILE_LAUNCHER, files, medium)
        refused = self.check(medium)
        self.assertEqual(refused.returncode, 1, refused.stdout + refused.stderr)
        self.assertIn("not ready: LAUNCH.EXE is not the launcher this kit ships", refused.stdout)
        self.assertEqual(machine_rows(refused.stdout), [])

        # The publisher's report folder, as a clumsy build left it.
        report, victim = self.work / "report", self.work / "victim.txt"
        report.mkdir()
        victim.write_text("the publisher's own")
        os.mkfifo(report / "report.md")
        (report / "machine-1-10-box-1.png").symlink_to(victim)
        (report / "notes.txt").write_text("notes")
        checked = self.check(medium, report, "--any-launcher")
        self.assertEqual(checked.returncode, 1, checked.stdout + checked.stderr)
        out = checked.stdout
        self.assertIn("not ready: LAUNCH.EXE is not the launcher this kit ships, and it does "
                      "otherwise", out)
        escaped = [path for folder in ("/usr", "/etc", wd.ROOT / "kit", wd.RELEASE, medium)
                   for path in pathlib.Path(folder).glob("escaped-by-*")]
        self.assertEqual(escaped, [])
        self.assertEqual(sorted(p.name for p in report.iterdir()),
                         ["machine-%d-10-box-1.png" % n for n in range(1, 6)]
                         + ["notes.txt", "report.html", "report.md"])
        self.assertTrue((report / "report.md").is_file())
        self.assertEqual(victim.read_text(), "the publisher's own")
        text = (report / "report.md").read_text()
        for said in (out, text):
            self.assertNotIn("FORGED", said)
            self.assertNotIn("debug-only-child", said)
        rows = machine_rows(out)
        self.assertEqual(len(rows), 5)
        for row in rows:
            label = f"machine {row[0]}: "
            self.assertIn('"D:\\LAUNCH.EXE" child in D:\\', row[2])
            self.assertIn("/bin/sh hostile.sh in /medium (a Unix program)", row[2])
            self.assertIn("a program named LAUNCH.EXE that could not be looked at", row[2])
            self.assertIn("C:\\windows\\system32\\reg.exe add HKCU\\Software\\Microsoft\\Windows"
                          "\\CurrentVersion\\Run /v evil /d evil.exe /f in /medium (a Windows "
                          "program started outside LAUNCH.EXE's programs)", row[2])
            for problem in (
                    "C:\\windows\\system32\\evil.dll was written (5 bytes)",
                    "C:\\windows\\win.ini was changed (16 bytes)",
                    "C:\\machine-5-10-box-9.png was written",
                    "registry value HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
                    '\\evil added = "evil.exe" (a program that Windows starts at every logon)',
                    "registry key HKLM\\System\\CurrentControlSet\\Services\\evilsvc added "
                    "(a service)",
                    "/tmp/machine-5-10-box-9.png was written outside the machine's Windows",
                    "LAUNCH.EXE shows [Hostile] A start program that hides what it does; the "
                    "kit's launcher shows no box"):
                self.assertRegex(out, re.escape(label) + ".*" + re.escape(problem))
            self.assertEqual(label + "C:\\Program Files\\Lexivane\\Pyrn.DLL was deleted" in out,
                             row[0][0] in "234", row[0])
            self.assertIn(label + ("C:\\users\\customer\\Temp\\Lxv.exe is not what the kit's "
                                   "launcher leaves" if row[0][0] != "2" else
                                   "C:\\users\\customer\\Temp\\Lxv.exe was written ("), out)
        # Autorun meets a newer installed copy: the kit's launcher does nothing.
        self.assertRegex(out, r"machine 2 \(installed 9\.1, newer program\), Windows 10: LAUNCH\.EXE "
                              r"starts .*child.*; the kit's launcher starts nothing")

    def test_a_machine_that_fills_its_place_ends_the_check(self):
        files = self.publisher_files()
        (files / "hostile.sh").write_text('dd if=/dev/zero of="$WINEPREFIX/drive_c/fill" bs=1M\n'
                                          'touch "$WINEPREFIX/drive_c/hostile-done"\n')
        medium = self.work / "medium"
        kit("make-medium.sh", "--plain", "--launcher", HOSTILE_LAUNCHER, files, medium)
        checked = self.check(medium, "--any-launcher", "--jobs", "1")
        self.assertEqual(checked.returncode, 3, checked.stdout + checked.stderr)
        self.assertIn("writable place (1024 MiB) filled up", checked.stderr)

    def test_the_report_a_publisher_opens(self):
        folder = self.work / "modules"
        folder.mkdir()
        for name in ("alpha.604", "\u6a21\u5757.604"):
            (folder / name).write_text(name)
        medium = self.work / "medium"
        kit("make-medium.sh", folder, medium)
        # A name that would be markup, on a medium folder of the publisher's.
        hostile = "<img src=x onerror=alert(1)>.604"
        (medium / hostile).write_text("x")
        report, junit = self.work / "report", self.work / "junit.xml"
        checked = self.check(medium, report, "--windows", "95,10", "--languages", "ja",
                             "--junit-xml", junit)
        self.assertEqual(checked.returncode, 1, checked.stdout + checked.stderr)
        rows = machine_rows(checked.stdout)
        columns = [f"Windows {w}{l}" for w in ("95", "10") for l in ("", ", ja")]
        self.assertEqual([row[0].partition("), ")[2] for row in rows],
                         [column for column in columns for _ in range(5)])
        for row in rows:
            if row[0][0] in "23":
                self.assertRegex(row[3], r"D:\\alpha\.604 / D:\\[^?\\]{1,8}\.604$")
        self.assertEqual(len(re.findall(r"^\[[0-9]+/20\] machine ", checked.stderr, re.M)), 20)
        # A Japanese box whole, past the length at which a trace cuts it.
        too_old = (r"\[起動チェック\] 現在の Lexivane プログラムは古いため.*"
                   r"再インストールしてください。")
        self.assertRegex(checked.stdout, r"\| 4 \(installed 7\.05, too old for modules\), "
                                         r"Windows 10, ja \| " + too_old)
        self.assertRegex((report / "report.md").read_text(), too_old)
        # For the build server: a suite for the medium's files and one for
        # each version and language, a case for each machine.
        suites = ElementTree.parse(junit).getroot().findall("testsuite")
        self.assertEqual([suite.get("name") for suite in suites],
                         ["the medium's files"] + columns)
        self.assertEqual([len(suite.findall("testcase")) for suite in suites], [1] + [5] * 4)
        self.assertIn(hostile, suites[0].find("testcase/failure").get("message"))
        self.assertTrue(all(float(case.get("time")) >= 0 for case in ElementTree.parse(
            junit).getroot().iter("testcase")))
        # The page in a browser: every picture there, a cell for each run,
        # the hostile name as text, nothing asked of the network.
        page = browser_page.Page(report / "report.html")
        try:
            widths = page.evaluate("[...document.images].map(image => image.naturalWidth)")
            self.assertTrue(widths and all(widths), widths)
            self.assertEqual(page.evaluate("document.querySelectorAll('td[id]').length"), 20)
            self.assertIn(hostile, page.evaluate("document.body.innerText"))
            self.assertEqual(page.evaluate("document.querySelectorAll('[onerror]').length"), 0)
            self.assertEqual(page.errors, [])
            self.assertEqual([url for url in page.requests if not url.startswith("file:")], [])
            (self.work / "page.png").write_bytes(page.screenshot())
        finally:
            page.close()
        colours = subprocess.run(["identify", "-format", "%k", self.work / "page.png"],
                                 capture_output=True, text=True, check=True).stdout
        self.assertGreater(int(colours), 50)

    def test_broken_medium_is_refused_with_its_causes(self):
        folder = self.work / "medium"
        kit("make-medium.sh", self.publisher_files("[x](y)&z.604", "beta.604"), folder)
        os.truncate(folder / "Lxv.Ex_", 5000)
        # Started by autorun without saying so.
        (folder / "autorun.inf").write_text("[AutoRun]\r\nopen=LAUNCH.EXE\r\n")
        # An image whose Joliet names (what Windows reads) lack a probe file
        # and hold a module that its Unix names lack.
        medium = self.work / "broken.iso"
        subprocess.run(["xorriso", "-no_rc", "-outdev", medium, "-joliet", "on", "-rockridge",
                        "on", "-map", folder, "/", "-hide", "joliet", "/Shared.604", "--",
                        "-hide", "iso_rr", "/beta.604", "--"], check=True, capture_output=True,
                       timeout=60)
        report = self.work / "report"
        checked = self.check(medium, report, "--languages", "ru")
        self.assertEqual(checked.returncode, 1, checked.stdout + checked.stderr)
        # The machines again as Russian customers': their boxes whole, on the
        # terminal and in the report.
        text = (report / "report.md").read_text()
        for said in (checked.stdout, text):
            self.assertRegex(said, r"Отсутствуют установочные файлы программы \(2\) .*"
                                   r"переустановите программу\.")
        self.assertTrue((report / "machine-1-10-ru-box-1.png").exists())
        for problem in ("autorun.inf opens LAUNCH.EXE without the argument autorun: on every "
                        "insert, a customer whose installed copy is newer",
                        "probe file Shared.604 is missing",
                        "Lxv.Ex_ does not expand: expands to",
                        "Shared.604 is a file of the image, but Windows does not see it",
                        "Windows sees beta.604, which the image's Unix names lack"):
            self.assertIn(problem, checked.stdout)
        # The installed copies get the modules, names as they read.
        self.assertIn("`list: D:\\alpha.604 / D:\\beta.604 / D:\\[x](y)&z.604`", text)
        # A picture of every box the report lists.
        boxes = [box for row in machine_rows(text)
                 for box in row[1].split("<br>") if box != "none"]
        self.assertEqual(len(list(report.glob("*.png"))), len(boxes))
        self.assertTrue(boxes and all("![box" in box for box in boxes), boxes)


if __name__ == "__main__":
    unittest.main()
