#!/usr/bin/env bash
# sign.sh [--timestamp URL] CERTIFICATE.p12 PASSWORD_FILE [EXE [SIGNED]]
#
# Signs the launcher with Authenticode (SHA-256) so that Windows names the
# publisher instead of warning "Unknown publisher". EXE defaults to the
# release build and is replaced unless SIGNED is given; SIGNED may be a
# folder, which then gets a file of EXE's name. With --timestamp, a
# time-stamping service (RFC 3161) countersigns, so that the signature stays
# valid after the certificate expires. A symbolic link is refused: name the
# file itself. Exit codes: 0 signed, 1 refused, 2 usage error, 3 could not
# sign (osslsigncode failed or did not end in time, a file could not be
# written).
set -euo pipefail
could_not() { echo "sign.sh: could not sign: $1" >&2; exit 3; }
trap 'could_not "a step failed (line $LINENO)"' ERR

usage() {
  sed -n '2s/^# /usage: /p' "$0"
  [ "${1:-}" = help ] && { sed -n '3,$ { /^#/!q; s/^# \{0,1\}//p }' "$0"; exit 0; }
  exit 2
}
refuse() { echo "sign.sh: $1" >&2; exit 1; }

timestamp=()
case ${1:-} in
  -h|--help) usage help ;;
  --timestamp) [ $# -ge 2 ] || usage >&2; timestamp=(-ts "$2"); shift 2 ;;
esac
[ $# -ge 2 ] && [ $# -le 4 ] || usage >&2
certificate=$1 password=$2
exe=${3:-$(dirname "$0")/../build/release/launch.exe}
signed=${4:-$exe}
[ -d "$signed" ] && [ ! -L "$signed" ] && signed=${signed%/}/$(basename "$exe")
for file in "$certificate" "$password" "$exe"; do
  [ -f "$file" ] && [ -r "$file" ] || refuse "cannot read the file $file"
done
for file in "$exe" "$signed"; do
  [ ! -L "$file" ] || refuse "$file is a symbolic link; name the file itself ($(realpath -m "$file"))"
done
[ -d "$(dirname "$signed")" ] || refuse "no folder $(dirname "$signed") for $signed"

# Signed beside the target first: a failed signing leaves the target as it
# was. (osslsigncode writes only new files.)
work=$(mktemp -d "$(dirname "$signed")/.signing-XXXXXX") ||
  could_not "no room beside $signed"
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
signed_already=0
timeout 60 osslsigncode extract-signature -in "$exe" -out "$work/old" >/dev/null 2>&1 ||
  signed_already=$?
case $signed_already in
  0) refuse "$exe is signed already; sign the unsigned build" ;;
  124) could_not "osslsigncode did not end within 60 seconds" ;;
esac
# A time-stamping service that does not answer must not hold the signing up.
said=$(timeout 300 osslsigncode sign -pkcs12 "$certificate" -readpass "$password" -h sha256 \
  -n "Lexivane medium start program" "${timestamp[@]}" \
  -in "$exe" -out "$work/signed.exe" 2>&1 >/dev/null) ||
  could_not "osslsigncode: $(printf '%s\n' "$said" | grep . | tail -1)"
mv -f "$work/signed.exe" "$signed" || could_not "$signed cannot be written"
echo "Signed $signed"
