#!/usr/bin/env bash
# reproducible-build.sh SOURCE RELEASE_DIR: builds the release again from a
# copy of SOURCE in another directory, later, and fails unless launch.exe
# comes out byte for byte as in RELEASE_DIR.
set -euo pipefail
source=$1 release=$2
copy=$(mktemp -d /tmp/launch-again-XXXXXX)
trap 'rm -rf "$copy"' EXIT

tar -C "$source" --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf -
sleep 1  # a link time stamp would differ now
cmake --preset release -S "$copy" >/dev/null
cmake --build "$copy/build/release" --target launch -j"$(nproc)" >/dev/null
cmp "$release/launch.exe" "$copy/build/release/launch.exe"
echo "launch.exe is the same, $(stat -c %s "$release/launch.exe") bytes, built in $copy"
