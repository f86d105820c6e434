#!/usr/bin/env bash
# scripts/package --sign-pkcs11 with a key that never leaves its token: SoftHSM stands in for
# the smart card or HSM. The token is made here, the key generated on it (not extractable), a
# throwaway CA certifies it; the exe in the zip, the custom action DLL in the package and the
# package itself verify against that CA, the run says that its signatures end with the
# certificate, and no file holds the signing key.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }

module=$(dpkg -L softhsm2 libsofthsm2 2>/dev/null | grep -m1 '/libsofthsm2\.so$') || fail "no SoftHSM module (package softhsm2)"
cd "$work"
mkdir tokens
printf 'directories.tokendir = %s/tokens\nobjectstore.backend = file\n' "$work" >softhsm2.conf
export SOFTHSM2_CONF=$work/softhsm2.conf
readonly PIN=654321
softhsm2-util --init-token --free --label merovant --so-pin 12345678 --pin "$PIN" >/dev/null || fail "no token"
pkcs11-tool --module "$module" --login --pin "$PIN" --keypairgen --key-type rsa:2048 --id 01 --label Codesignatur \
    >keygen.log 2>&1 || { cat keygen.log >&2; fail "no key on the token"; }
grep -q 'never extractable' keygen.log || fail "the token's key could be extracted"

# The organisation's CA certifies the key through a request the token signs.
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj '/CN=Korvel Test-CA' \
    -addext 'basicConstraints=critical,CA:TRUE' -addext 'keyUsage=critical,keyCertSign,cRLSign' 2>/dev/null
PKCS11_MODULE_PATH=$module openssl req -new -engine pkcs11 -keyform engine -key 'pkcs11:id=%01;type=private' \
    -passin "pass:$PIN" -subj '/CN=Korvel Codesignatur' -out signer.csr >req.log 2>&1 || { cat req.log >&2; fail "no request"; }
printf '%s\n' 'basicConstraints=CA:FALSE' 'keyUsage=critical,digitalSignature' 'extendedKeyUsage=codeSigning' >signer.ext
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile signer.ext \
    -out signer.pem 2>/dev/null

MEROVANT_SIGN_PIN=$PIN "$root/scripts/package" --out "$work/signed" --sign-pkcs11 "$module" --key-id 01 \
    --cert "$work/signer.pem" >package.log 2>&1 || { cat package.log >&2; fail "scripts/package --sign-pkcs11"; }
grep -q 'no time stamp: the signatures stop validating when the signing certificate expires' package.log ||
    fail "a run without a time stamp does not say that its signatures end with the certificate"
! grep -q "$PIN" package.log || fail "the log shows the PIN"

unzip -q signed/merovant-*-win32.zip merovant.exe -d zip
msiinfo extract signed/merovant-*.msi Binary.Einrichtung >merovant_setup.dll
verifies() { osslsigncode verify -CAfile ca.pem -in "$1" >verify.log 2>&1; }
for file in zip/merovant.exe merovant_setup.dll signed/merovant-*.msi; do
    verifies "$file" || { cat verify.log >&2; fail "$file does not verify"; }
done
# The only private key in a file is the throwaway CA's.
[[ $(grep -rl 'PRIVATE KEY' . --exclude-dir=tokens) == ./ca.key ]] || fail "a private key was written to a file"
echo "PASS: exe, DLL and package signed with the token's key verify"
