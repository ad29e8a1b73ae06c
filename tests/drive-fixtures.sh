#!/usr/bin/env bash
# drive-fixtures.sh up|down: drives of the test prefix that the tests need.
# R: a file system that refuses every new file, as a CD-ROM does (/proc).
# F: a file system of 16 KiB, full after that: a full disk.
set -euo pipefail
devices=$WINEPREFIX/dosdevices
full=$WINEPREFIX.full-drive

case $1 in
  up)
    ln -sfn /proc "$devices/r:"
    mkdir -p "$full"
    mountpoint -q "$full" || mount -t tmpfs -o size=16k launch-full "$full"
    ln -sfn "$full" "$devices/f:"
    ;;
  down)
    rm -f "$devices/r:" "$devices/f:"
    if mountpoint -q "$full"; then umount "$full"; fi
    ;;
esac
