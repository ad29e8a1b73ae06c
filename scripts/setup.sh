#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on Debian 12, and does
# nothing when it is all there.
set -euo pipefail

packages=(cmake make g++ mingw-w64 wine wine32:i386 wine64 xvfb xdotool
          mscompress imagemagick xorriso googletest python3 clang-14
          libclang-rt-14-dev osslsigncode openssl bubblewrap locales
          fonts-wqy-microhei chromium)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    "${missing[@]}"
fi

# Wine's 32-bit loader must run: on a machine that refuses 32-bit programs,
# through an emulator.
as_root "$(dirname "$0")/i386-emulation.sh"
