#!/usr/bin/env bash
# make-media.sh OUT LAUNCH.EXE LXV.EXE PYRN.DLL
# Lays out the sample media under OUT with make-medium.sh, as a publisher
# would: compressed, plain and nested, and the originals to compare against.
set -euo pipefail
out=$1 launch=$2 lxv=$3 pyrn=$4
kit=$(dirname "$0")/../kit/make-medium.sh

# The publisher's files of a full medium.
input=$(mktemp -d)
trap 'rm -rf "$input"' EXIT
cp "$lxv" "$input/Lxv.Exe"
cp "$pyrn" "$input/Pyrn.DLL"
printf 'Lexivane welcome message\r\n' >"$input/Prelude.Msg"
printf 'Lexivane shared content module\r\n' >"$input/Shared.604"
printf 'Lexivane dialect module\r\n' >"$input/DialEn.604"

# OUT is the build step's working directory: empty it, keep it.
rm -rf "${out:?}"/{compressed,plain,nested,originals}
mkdir -p "$out/originals"
"$kit" --launcher "$launch" "$input" "$out/compressed" >/dev/null
"$kit" --launcher "$launch" --plain "$input" "$out/plain" >/dev/null
"$kit" --launcher "$launch" --nested "$input" "$out/nested" >/dev/null
cp "$lxv" "$out/originals/Lxv.exe"
cp "$pyrn" "$out/originals/Pyrn.DLL"
