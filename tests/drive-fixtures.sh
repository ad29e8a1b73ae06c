#!/usr/bin/env bash
# drive-fixtures.sh up|down: drives of the test prefix that the tests need.
# R: a CD-ROM drive whose file system refuses every new file (/proc).
# F: a file system of 16 KiB, full after that: a full disk.
set -euo pipefail
devices=$WINEPREFIX/dosdevices
full=$WINEPREFIX.full-drive

case $1 in
  up)
    ln -sfn /proc "$devices/r:"
    wine reg add 'HKLM\Software\Wine\Drives' /v r: /d cdrom /f >/dev/null 2>&1
    mkdir -p "$full"
    mountpoint -q "$full" || mount -t tmpfs -o size=16k launch-full "$full"
    ln -sfn "$full" "$devices/f:"
    ;;
  down)
    rm -f "$devices/r:" "$devices/f:"
    wine reg delete 'HKLM\Software\Wine\Drives' /v r: /f >/dev/null 2>&1 || true
    if mountpoint -q "$full"; then umount "$full"; fi
    ;;
esac
