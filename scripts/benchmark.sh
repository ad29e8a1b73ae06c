#!/usr/bin/env bash
# Builds the release and measures the launcher under Wine against a program
# that does nothing (scripts/benchmark.py), in a Wine prefix of its own; then
# the medium check, one machine at a time and several at once
# (scripts/benchmark_check.py).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" >/dev/null

export LAUNCH_WINEPREFIX=$PWD/build/benchmark-prefix
export LAUNCH_DISPLAY=${LAUNCH_DISPLAY:-:86}
source kit/wine-env.sh
launch_ensure_display
launch_ensure_prefix
trap launch_stop_wine EXIT

python3 scripts/benchmark.py
# The medium check makes its own machines, each in a seal of its own.
python3 scripts/benchmark_check.py
