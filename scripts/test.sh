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
# The lanes of launchers at once have a prefix (a copy of the first) and a
# display each; all end here.
lanes=("at_once :85" "held :84")
in_lane() {
  (export LAUNCH_WINEPREFIX=$PWD/build/wineprefix-$1 LAUNCH_DISPLAY=$2
   source kit/wine-env.sh
   "${@:3}")
}
lane_up() { launch_ensure_display && launch_ensure_prefix "$1"; }
lane_down() { wineserver -k >/dev/null 2>&1; launch_stop_display; }
for lane in "${lanes[@]}"; do
  in_lane $lane lane_up "$WINEPREFIX"
done
stop_lanes() {
  launch_stop_wine
  for lane in "${lanes[@]}"; do
    in_lane $lane lane_down
  done
}
trap stop_lanes EXIT

# The Wine cases in their lanes, side by side with the medium kit and the
# release built again: most of their time is waiting for windows and
# programs.
ctest --preset tests -j4 "$@"
