#!/usr/bin/env bash
# signing.sh SOURCE RELEASE_DIR: signs the release's launch.exe with a
# throw-away certificate, checks the signature and that removing it gives the
# unsigned bytes back, then runs the imports test and the setup cases under
# Wine with the signed program on the sample media.
set -euo pipefail
source=$1 release=$2
work=$(mktemp -d /tmp/launch-signing-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throw-away publisher" \
  -keyout key.pem -out certificate.pem 2>/dev/null
echo "throw-away" >password
openssl pkcs12 -export -inkey key.pem -in certificate.pem -passout file:password \
  -out certificate.p12

mkdir signed-release
cp -r "$release/media" "$release/CMakeCache.txt" signed-release/
"$source/kit/sign.sh" certificate.p12 password "$release/launch.exe" signed-release/
osslsigncode verify -CAfile certificate.pem -in signed-release/launch.exe | grep -qx "Signature verification: ok"
osslsigncode remove-signature -in signed-release/launch.exe -out unsigned.exe >/dev/null
cmp unsigned.exe "$release/launch.exe"

# A changed byte in a signed program breaks its signature.
cp signed-release/launch.exe tampered.exe
printf 'X' | dd of=tampered.exe bs=1 seek=1024 conv=notrunc 2>/dev/null
if osslsigncode verify -CAfile certificate.pem -in tampered.exe >/dev/null 2>&1; then
  echo "a tampered program passed verification" >&2
  exit 1
fi
# The medium check takes the signed program for the kit's launcher, the
# tampered one not.
python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); from launcher_identity import *
sys.exit(not is_kit_launcher(sys.argv[2], sys.argv[4], ".")
         or is_kit_launcher(sys.argv[3], sys.argv[4], "."))' \
  "$source/kit" signed-release/launch.exe tampered.exe "$release/launch.exe"

for medium in signed-release/media/*/LAUNCH.EXE; do
  cp signed-release/launch.exe "$medium"
done
cd "$source/tests/e2e"
LAUNCH_RELEASE_DIR=$work/signed-release python3 -m unittest \
  test_imports.ShippedProgram test_setup_launch.StartsSetup
