#!/usr/bin/env bash
# make-medium.sh [options] INPUT_DIR OUTPUT
#
# Lays out a Lexivane installation medium from the publisher's files: adds
# LAUNCH.EXE and autorun.inf, compresses the program and its library the way
# the launcher expands them, and writes a folder or (OUTPUT ending in .iso) an
# ISO 9660 image with Joliet names. The same input gives the same bytes.
#
#   --plain          leave Lxv.Exe and Pyrn.Dll uncompressed
#   --nested         put the publisher's files under lxv\win32\ (compressed)
#   --label LABEL    volume label, up to 16 of A-Z 0-9 _ (default LEXIVANE)
#   --launcher FILE  the start program to add (default: the release build)
#
# A full medium is one whose input holds the program, its library or the
# welcome message; anything else is a modules-only medium.
# Exit codes: 0 made, 1 refused (nothing written), 2 usage error.
set -euo pipefail
export LC_ALL=C.UTF-8

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
usage="usage: make-medium.sh [--plain] [--nested] [--label LABEL] [--launcher FILE] INPUT_DIR OUTPUT"

# The launcher counts a file without a DOS date (before 1980, local time) as
# missing: dates are clamped to a day after 1980 began, so that no time zone
# sees them in 1979.
EARLIEST=315619200    # 1980-01-02 00:00 UTC
DEFAULT_EPOCH=946684800 # 2000-01-01 00:00 UTC

fail_usage() { echo "make-medium.sh: $1" >&2; echo "$usage" >&2; exit 2; }
refuse() { echo "make-medium.sh: refused: $1" >&2; exit 1; }

plain=0 nested=0 label=LEXIVANE launcher=$root/build/release/launch.exe
while [ $# -gt 0 ]; do
  case $1 in
    --plain) plain=1 ;;
    --nested) nested=1 ;;
    --label) [ $# -ge 2 ] || fail_usage "--label needs a value"; label=$2; shift ;;
    --launcher) [ $# -ge 2 ] || fail_usage "--launcher needs a file"; launcher=$2; shift ;;
    --) shift; break ;;
    -*) fail_usage "unknown option $1" ;;
    *) break ;;
  esac
  shift
done
[ $# -eq 2 ] || fail_usage "expected INPUT_DIR and OUTPUT"
input=${1%/} output=${2%/}
[ -d "$input" ] || fail_usage "$input is not a folder"
[ -f "$launcher" ] || fail_usage "no start program at $launcher (build it: cmake --build --preset release)"
[[ $label =~ ^[A-Z0-9_]{1,16}$ ]] || fail_usage "label '$label': use 1 to 16 of A-Z 0-9 _ (Joliet keeps 16)"
# The nested layout is found through the compressed program (lxv\win32\lxv.ex_).
[ $plain -eq 1 ] && [ $nested -eq 1 ] && fail_usage "--nested and --plain exclude each other: the nested layout is marked by the compressed program"
case $output in
  *.iso) [ ! -e "$output" ] || [ -f "$output" ] || fail_usage "$output exists and is not an image" ;;
  *) [ ! -e "$output" ] || [ -f "$output/autorun.inf" ] ||
       fail_usage "$output exists and is not a medium folder; name a new one" ;;
esac

epoch=${SOURCE_DATE_EPOCH:-$DEFAULT_EPOCH}
[[ $epoch =~ ^[0-9]+$ ]] || fail_usage "SOURCE_DATE_EPOCH must be seconds since 1970"
[ "$epoch" -ge $EARLIEST ] || epoch=$EARLIEST

# The input's top-level file whose name matches PATTERN without regard to
# case, as Windows matches it; empty when there is none.
find_input() {
  find "$input" -mindepth 1 -maxdepth 1 -iname "$1" -print -quit
}

# Refuses a name that Windows or a Joliet image cannot hold. Joliet keeps 64
# characters of a name; Windows forbids some characters, trailing dots and
# spaces, and the old device names.
check_name() {
  local path=$1 name=${1##*/} upper
  upper=${name^^}
  if [[ $name =~ [[:cntrl:]\<\>:\"\\\|\?\*] ]]; then
    refuse "$path: the name holds a character that Windows does not allow (< > : \" \\ | ? * or a control character); rename it"
  elif [[ $name =~ [.\ ]$ ]]; then
    refuse "$path: Windows drops a trailing dot or space from a name; rename it"
  elif [ ${#name} -gt 64 ]; then
    refuse "$path: the name has ${#name} characters, an image keeps 64; shorten it"
  elif [[ ${upper%%.*} =~ ^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])$ ]]; then
    refuse "$path: Windows reserves the name ${upper%%.*} for a device; rename it"
  elif ! printf %s "$name" | iconv -f UTF-8 -t UCS-2BE >/dev/null 2>&1; then
    refuse "$path: the name holds a character that a Joliet name cannot carry; rename it"
  fi
}

check_names() {
  local path
  while IFS= read -r -d '' path; do
    check_name "$path"
  done < <(find "$input" -mindepth 1 -print0)
  # Windows ignores case: two names that differ only in case are one file.
  local twins
  twins=$(cd "$input" && find . -mindepth 1 | sort -f | uniq -di | head -1)
  [ -z "$twins" ] || refuse "$input/${twins#./}: another name differs from it only in case, which Windows takes for the same file; rename one"
  for name in LAUNCH.EXE autorun.inf; do
    [ -z "$(find_input "$name")" ] || refuse "$(find_input "$name"): make-medium.sh writes $name itself; remove it from the input"
  done
}

# A full medium needs every file that the launcher probes (in the order it
# probes them); a modules-only medium has none of program, library, message.
medium_kind() {
  if [ -z "$(find_input Lxv.Exe)$(find_input Pyrn.Dll)$(find_input Prelude.Msg)" ]; then
    echo modules-only
  else
    echo full
  fi
}

check_full_medium() {
  local name
  for name in Lxv.Exe Pyrn.Dll Prelude.Msg Shared.604; do
    [ -n "$(find_input "$name")" ] || refuse "$input/$name is missing: the launcher needs it on a full medium; add it (or leave out Lxv.Exe, Pyrn.Dll and Prelude.Msg for a modules-only medium)"
    [ -f "$(find_input "$name")" ] || refuse "$(find_input "$name") is not a file; the launcher probes it as one"
  done
  [ -n "$(find_input 'Dial*')" ] || refuse "$input has no Dial* entry (for example DialEn.604): the launcher needs one on a full medium; add it"
}

# Compresses SRC into DEST (SZDD, mscompress), then expands DEST again with
# an independent expander and compares, so a medium never carries a file that
# the launcher would expand to something else.
compress() {
  local src=$1 dest=$2 work=$stage/.compress
  mkdir -p "$work"
  cp "$src" "$work/file"
  mscompress "$work/file" >/dev/null
  msexpand <"$work/file_" >"$work/check"
  cmp -s "$src" "$work/check" ||
    refuse "$src: its compressed copy does not expand to the same bytes; compress it with --plain, or report the file to the kit's maintainers"
  mv "$work/file_" "$dest"
  rm -rf "$work"
}

# Copies the publisher's files into DIR; program and library get the names
# the launcher looks for, compressed unless --plain.
lay_out() {
  local dir=$1 program library entry name
  program=$(find_input Lxv.Exe) library=$(find_input Pyrn.Dll)
  mkdir -p "$dir"
  for entry in "$input"/* "$input"/.[!.]*; do
    [ -e "$entry" ] || continue
    [ "$entry" = "$program" ] || [ "$entry" = "$library" ] || cp -R "$entry" "$dir/"
  done
  [ -n "$program" ] || return 0
  if [ $plain -eq 1 ]; then
    cp "$program" "$dir/Lxv.Exe"
    cp "$library" "$dir/Pyrn.Dll"
  else
    # The nested marker is lxv\win32\lxv.ex_: the nested program carries that name.
    if [ $nested -eq 1 ]; then name=lxv.ex_; else name=Lxv.Ex_; fi
    compress "$program" "$dir/$name"
    compress "$library" "$dir/Pyrn.Dl_"
  fi
}

write_autorun() {
  cp "$launcher" "$stage/medium/LAUNCH.EXE"
  printf '[autorun]\r\nopen=LAUNCH.EXE autorun\r\nicon=LAUNCH.EXE\r\nlabel=%s\r\n' \
    "$label" >"$stage/medium/autorun.inf"
}

# Same bytes from the same input: fixed dates and modes on every entry.
settle() {
  find "$1" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
  find "$1" -exec touch -h -d "@$epoch" {} +
}

make_image() {
  local dir=$1 image=$2
  SOURCE_DATE_EPOCH=$epoch xorriso -no_rc -report_about FAILURE \
    -outdev "$image" -volid "$label" -joliet on -rockridge on \
    -map "$dir" / -chown_r 0 / -- -chgrp_r 0 / -- \
    -volume_date all_file_dates "=$epoch" -volume_date uuid \
    "$(date -u -d "@$epoch" +%Y%m%d%H%M%S00)" >/dev/null 2>&1 ||
    refuse "xorriso could not write the image (run it by hand to see why)"
}

check_names
kind=$(medium_kind)
if [ "$kind" = full ]; then
  check_full_medium
else
  [ $nested -eq 0 ] || refuse "$input holds no program: a modules-only medium cannot be nested (the launcher finds the nested layout through the program); leave out --nested"
fi

# Everything is built beside OUTPUT and moved into place at the end, so a
# refusal leaves nothing behind.
out_dir=$(dirname "$output")
[ -d "$out_dir" ] || fail_usage "no folder $out_dir for $output"
stage=$(mktemp -d "$out_dir/.make-medium.XXXXXX")
trap 'rm -rf "$stage"' EXIT

if [ $nested -eq 1 ]; then lay_out "$stage/medium/lxv/win32"; else lay_out "$stage/medium"; fi
write_autorun
settle "$stage/medium"
if [[ $output == *.iso ]]; then
  make_image "$stage/medium" "$stage/image.iso"
  mv -f "$stage/image.iso" "$output"
else
  rm -rf "$output"
  mv "$stage/medium" "$output"
fi
echo "made $output: a $kind medium"
