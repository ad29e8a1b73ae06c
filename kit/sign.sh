#!/usr/bin/env bash
# sign.sh [--timestamp URL] CERTIFICATE.p12 PASSWORD_FILE [EXE [SIGNED_EXE]]
# Signs the launcher with Authenticode (SHA-256) so that Windows names the
# publisher instead of warning "Unknown publisher". EXE defaults to the
# release build and is replaced unless SIGNED_EXE is given. With --timestamp,
# a time-stamping service (RFC 3161) countersigns, so that the signature stays
# valid after the certificate expires.
set -euo pipefail

usage() {
  sed -n '2,2p' "$0" | sed 's/^# /usage: /' >&2
  exit 2
}

timestamp=()
if [ "${1:-}" = --timestamp ]; then
  [ $# -ge 2 ] || usage
  timestamp=(-ts "$2")
  shift 2
fi
[ $# -ge 2 ] && [ $# -le 4 ] || usage
certificate=$1 password=$2
exe=${3:-$(dirname "$0")/../build/release/launch.exe}
signed=${4:-$exe}
for file in "$certificate" "$password" "$exe"; do
  [ -r "$file" ] || { echo "sign.sh: cannot read $file" >&2; exit 1; }
done

# Signed beside the target first: a failed signing leaves the target as it
# was. (osslsigncode writes only new files.)
work=$(mktemp -d "$(dirname "$signed")/.signing-XXXXXX")
trap 'rm -rf "$work"' EXIT
if osslsigncode extract-signature -in "$exe" -out "$work/old" >/dev/null 2>&1; then
  echo "sign.sh: $exe is signed already; sign the unsigned build" >&2
  exit 1
fi
osslsigncode sign -pkcs12 "$certificate" -readpass "$password" -h sha256 \
  -n "Lexivane medium start program" "${timestamp[@]}" \
  -in "$exe" -out "$work/signed.exe" >/dev/null || { echo "sign.sh: signing failed" >&2; exit 1; }
mv -f "$work/signed.exe" "$signed"
echo "Signed $signed"
