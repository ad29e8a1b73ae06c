#!/usr/bin/env bash
# Builds the shipped program and the tests, then runs every test under Wine:
# the unit tests of the services and the launcher, and the end-to-end cases
# that run the real launch.exe from sample media on an Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
source kit/wine-env.sh
# The Wine prefixes come up meanwhile: the first, and those of the other
# lanes, copies of it (each lane has a display of its own).
lanes=(":87" "plain :83" "at_once :85" "held :84")
in_lane() {
  (if [ $# -gt 1 ] && [[ $1 != :* ]]; then
     export LAUNCH_WINEPREFIX=$PWD/build/wineprefix-$1 LAUNCH_DISPLAY=$2
     shift
   fi
   shift
   source kit/wine-env.sh
   "$@")
}
lane_up() { launch_ensure_display && launch_ensure_prefix "$PWD/build/wineprefix"; }
lane_down() { wineserver -k >/dev/null 2>&1; launch_stop_display; }
stop_lanes() {
  for lane in "${lanes[@]}"; do
    in_lane $lane lane_down
  done
}
trap stop_lanes EXIT
(for lane in "${lanes[@]}"; do in_lane $lane lane_up || exit 1; done) &
prefixes=$!

# The decisions on the host: quick, and no Wine needed.
cmake --preset host >/dev/null
cmake --build --preset host -j"$(nproc)"
ctest --preset host "$@"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)"
cmake --preset tests >/dev/null
cmake --build --preset tests -j"$(nproc)"
wait $prefixes

# A few seconds of fuzzing each target, with sanitizers, beside the Wine
# cases in their lanes, the medium kit and the release built again: most of
# their time is waiting for windows and programs.
ctest --preset fuzz -j"$(nproc)" "$@" >build/fuzz/ctest.log 2>&1 &
fuzzing=$!
status=0
ctest --preset tests -j4 "$@" || status=$?
wait $fuzzing || status=$?
cat build/fuzz/ctest.log
exit $status
