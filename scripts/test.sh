#!/usr/bin/env bash
# Builds the shipped program and the tests, then runs every test under Wine:
# the unit tests of the services and the launcher, and the end-to-end cases
# that run the real launch.exe from sample media on an Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
# The decisions on the host: quick, and no Wine needed.
cmake --preset host >/dev/null
cmake --build --preset host -j"$(nproc)"
ctest --preset host "$@"
# ... and a few seconds of fuzzing each, with sanitizers.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"
ctest --preset fuzz -j"$(nproc)" "$@"

cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)"
cmake --preset tests >/dev/null
cmake --build --preset tests -j"$(nproc)"

source kit/wine-env.sh
launch_ensure_display
launch_ensure_prefix
# The lane of launchers at once has a prefix and a display of its own; its
# cases make them as they start, and they end here.
stop_lanes() {
  launch_stop_wine
  (export LAUNCH_WINEPREFIX=$PWD/build/wineprefix-at-once LAUNCH_DISPLAY=:85
   source kit/wine-env.sh
   wineserver -k >/dev/null 2>&1
   launch_stop_display)
}
trap stop_lanes EXIT

# The Wine cases in their lanes, side by side with the medium kit and the
# release built again: most of their time is waiting for windows and
# programs.
ctest --preset tests -j3 "$@"
