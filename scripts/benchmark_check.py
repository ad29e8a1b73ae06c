"""Measures the medium check on a 2-CPU machine's worth of machines: the
sample compressed medium on five machines under Windows 95 and 10 in English
and four more languages (50 runs), one machine at a time and then as many
at once as the machine has CPUs; with BENCHMARK_FULL_MATRIX=1, also the
full matrix (Windows 95, XP, 7 and 10, every language: 260 runs)."""

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parents[1]
CHECK = ROOT / "kit" / "check-medium.sh"


def timed(medium, *options):
    report = tempfile.mkdtemp(prefix="benchmark-report-")
    try:
        start = time.perf_counter()
        done = subprocess.run([CHECK, "--quiet", *options, medium, report],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if done.returncode != 0:
            sys.exit(f"benchmark: the check ended with {done.returncode}: {done.stderr}")
        return time.perf_counter() - start
    finally:
        shutil.rmtree(report, ignore_errors=True)


def main():
    medium = ROOT / "build" / "release" / "media" / "compressed"
    jobs = os.cpu_count() or 1
    matrix = ["--windows", "95,10", "--languages", "ja,de,ru,zh-CN"]
    one = timed(medium, *matrix, "--jobs", "1")
    many = timed(medium, *matrix, "--jobs", str(jobs))
    print(f"medium check, 50 runs: --jobs 1 {one:.0f} s, --jobs {jobs} {many:.0f} s, "
          f"ratio {many / one:.2f}")
    if os.environ.get("BENCHMARK_FULL_MATRIX") == "1":
        full = timed(medium, "--windows", "95,xp,7,10", "--languages", "all")
        print(f"medium check, full matrix (260 runs), --jobs {jobs}: {full / 60:.1f} min")


if __name__ == "__main__":
    main()
