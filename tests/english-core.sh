#!/usr/bin/env bash
# english-core.sh SOURCE: builds the release with English alone, elsewhere,
# and fails when it is larger than the program was before it learnt other
# languages: 35,840 bytes.
set -euo pipefail
source=$1
build=$(mktemp -d /tmp/launch-english-XXXXXX)
trap 'rm -rf "$build"' EXIT
cmake --preset release -S "$source" -B "$build" -DLAUNCH_LANGUAGES=none >/dev/null
cmake --build "$build" --target launch -j"$(nproc)" >/dev/null
size=$(stat -c %s "$build/launch.exe")
echo "launch.exe in English alone: $size bytes"
[ "$size" -le 35840 ]
