#!/usr/bin/env bash
# Builds the program and shows what it does with sample media, on a fresh
# private Wine prefix of its own.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" >/dev/null

export LAUNCH_WINEPREFIX=$PWD/build/demo-prefix
# Its own display unless told another (another session may use :88).
export LAUNCH_DISPLAY=${LAUNCH_DISPLAY:-:88}
source kit/wine-env.sh
launch_stop_wine
rm -rf "$WINEPREFIX"
echo "Preparing a fresh Windows (Wine prefix) in build/demo-prefix ..."
launch_ensure_display
launch_ensure_prefix
trap launch_stop_wine EXIT

python3 scripts/demo.py
