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
# A byte of the signature itself changed: still the kit's launcher, but
# with a broken signature.
cp signed-release/launch.exe broken-signature.exe
size=$(stat -c %s broken-signature.exe)
printf 'X' | dd of=broken-signature.exe bs=1 seek=$((size - 300)) conv=notrunc 2>/dev/null
# The medium check takes the signed program for the kit's launcher, its
# signature whole; the tampered one not; the one with a broken signature for
# the kit's launcher whose signature is broken.
python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); from kit.checking.launcher_identity import *
signed, tampered, broken, release = sys.argv[2:]
assert is_kit_launcher(signed, release, ".") and signature_problem(signed, ".") is None
assert not is_kit_launcher(tampered, release, ".")
assert is_kit_launcher(broken, release, ".")
assert signature_problem(broken, ".") == "the signature does not verify"' \
  "$source" signed-release/launch.exe tampered.exe broken-signature.exe "$release/launch.exe"

for medium in signed-release/media/*/LAUNCH.EXE; do
  cp signed-release/launch.exe "$medium"
done
cd "$source/tests/e2e"
LAUNCH_RELEASE_DIR=$work/signed-release python3 -m unittest \
  test_imports.ShippedProgram test_setup_launch.StartsSetup
