#!/usr/bin/env bash
# make-media.sh OUT LAUNCH.EXE LXV.EXE PYRN.DLL
# Lays out the sample media under OUT: compressed, plain and nested.
set -euo pipefail
out=$1 launch=$2 lxv=$3 pyrn=$4

# Compresses SRC into DEST with the platform's SZDD format.
compress() {
  local work
  work=$(mktemp -d)
  cp "$1" "$work/file"
  mscompress "$work/file" >/dev/null
  mv "$work/file_" "$2"
  rm -rf "$work"
}

# Files that every complete medium carries beside the program and library.
common_files() {
  printf 'Lexivane welcome message\r\n' >"$1/Prelude.Msg"
  printf 'Lexivane shared content module\r\n' >"$1/Shared.604"
  printf 'Lexivane dialect module\r\n' >"$1/DialEn.604"
}

autorun() {
  cp "$launch" "$1/LAUNCH.EXE"
  printf '[autorun]\r\nopen=LAUNCH.EXE autorun\r\n' >"$1/autorun.inf"
}

rm -rf "$out"
mkdir -p "$out/compressed" "$out/plain" "$out/nested/lxv/win32"

autorun "$out/compressed"
compress "$lxv" "$out/compressed/Lxv.Ex_"
compress "$pyrn" "$out/compressed/Pyrn.Dl_"
common_files "$out/compressed"

autorun "$out/plain"
cp "$lxv" "$out/plain/Lxv.Exe"
cp "$pyrn" "$out/plain/Pyrn.Dll"
common_files "$out/plain"

autorun "$out/nested"
compress "$lxv" "$out/nested/lxv/win32/lxv.ex_"
compress "$pyrn" "$out/nested/lxv/win32/Pyrn.Dl_"
common_files "$out/nested/lxv/win32"

# The originals, to compare expanded files against.
mkdir -p "$out/originals"
cp "$lxv" "$out/originals/Lxv.exe"
cp "$pyrn" "$out/originals/Pyrn.DLL"
