#!/usr/bin/env bash
# scripts/sign with a certificate authority made for this run: nothing signed without the
# certificate; with it, both programs, the programs inside the package and the package verify
# against that authority, and a copy changed after signing does not.
#   sign_test.sh WORK BUILD_FOLDER
set -euo pipefail
work=$1 build=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$work"
mkdir -p "$work/out" "$work/unpacked"
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAILED: $*" >&2; exit 1; }

# The authority, and a code-signing certificate it issued, in a PKCS#12 file with its chain.
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Chronalign Test Authority" -addext basicConstraints=critical,CA:true \
  -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout maker.key -out maker.csr -subj "/CN=Velmora Test" 2>/dev/null
printf 'basicConstraints=CA:false\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >ext
openssl x509 -req -in maker.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile ext \
  -out maker.pem 2>/dev/null
openssl pkcs12 -export -inkey maker.key -in maker.pem -certfile ca.pem -passout pass:s3cret \
  -out maker.pfx

files=(Chronalign.exe ChronalignService.exe)
for f in "${files[@]}" Chronalign.msi.cmake; do cp "$build/$f" out/; done
verify() { osslsigncode verify -CAfile ca.pem -in "$1" >verify.log 2>&1; }

# Without the certificate: a non-zero exit, a word on what is missing, and nothing changed.
cp -r out before
if env -u CHRONALIGN_SIGN_PFX -u CHRONALIGN_SIGN_PASSWORD "$root/scripts/sign" out 2>said; then
  fail "signed without a certificate"
fi
grep -q CHRONALIGN_SIGN_PFX said || fail "did not say what is missing: $(cat said)"
diff -r before out >/dev/null || fail "changed files without a certificate"
[ ! -e out/Chronalign.msi ] || fail "built a package without a certificate"

CHRONALIGN_SIGN_PFX=$work/maker.pfx CHRONALIGN_SIGN_PASSWORD=s3cret "$root/scripts/sign" out >/dev/null
for f in "${files[@]}" Chronalign.msi; do
  verify "out/$f" || fail "out/$f does not verify: $(cat verify.log)"
done
msiextract -C unpacked out/Chronalign.msi >/dev/null
for f in "${files[@]}"; do
  packed=$(find unpacked -name "$f")
  [ -n "$packed" ] && verify "$packed" || fail "the package's $f is not the signed one"
done

# One byte changed in the middle of the signed program.
cp out/Chronalign.exe tampered.exe
size=$(stat -c %s tampered.exe)
printf '\x5a' | dd of=tampered.exe bs=1 seek=$((size / 3)) conv=notrunc status=none
cmp -s out/Chronalign.exe tampered.exe && fail "the byte was already 0x5a"
if verify tampered.exe; then fail "a tampered program verifies"; fi
echo "all signatures verify against the test authority; the tampered copy does not"
