#!/usr/bin/env bash
# The release as scripts/package writes it: two runs of the same commit give the same bytes,
# and with --sign the exe in the zip, the exe in the package and the package itself verify
# against the organisation's CA, a throwaway one made here, while a changed byte fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }

package() {
    local out=$1
    shift
    "$root/scripts/package" --out "$work/$out" "$@" >"$work/$out.log" 2>&1 || { cat "$work/$out.log" >&2; fail "scripts/package $*"; }
}

package first
package second
for file in "$work"/first/*; do
    cmp -s "$file" "$work/second/$(basename "$file")" || fail "$(basename "$file") differs between two runs"
done
grep -q 'unsigned' "$work/first.log" || fail "an unsigned run does not say so"

# A certificate authority of the organisation and its code-signing certificate.
cd "$work"
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj '/CN=Korvel Test-CA' \
    -addext 'basicConstraints=critical,CA:TRUE' -addext 'keyUsage=critical,keyCertSign,cRLSign' 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj '/CN=Korvel Codesignatur' 2>/dev/null
printf '%s\n' 'basicConstraints=CA:FALSE' 'keyUsage=critical,digitalSignature' 'extendedKeyUsage=codeSigning' >signer.ext
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile signer.ext \
    -out signer.pem 2>/dev/null
openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -passout pass:geheim -out signer.pfx
MEROVANT_SIGN_PASSWORD=geheim package signed --sign "$work/signer.pfx"

(cd signed && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not list the files as written"
unzip -q signed/merovant-*-win32.zip merovant.exe merovant-uebersicht.exe -d zip
msiextract -C msi signed/merovant-*.msi >/dev/null
verifies() { osslsigncode verify -CAfile ca.pem -in "$1" >verify.log 2>&1; }
for file in zip/merovant.exe zip/merovant-uebersicht.exe "$(find msi -name merovant.exe)" \
    "$(find msi -name merovant-uebersicht.exe)" signed/merovant-*.msi; do
    verifies "$file" || { cat verify.log >&2; fail "$file does not verify"; }
done

# One byte changed in the middle of the signed exe, and in the package.
for file in zip/merovant.exe signed/merovant-*.msi; do
    cp "$file" changed
    size=$(stat -c %s changed)
    printf '\x5a' | dd of=changed bs=1 seek=$((size / 2)) conv=notrunc status=none
    cmp -s "$file" changed && printf '\xa5' | dd of=changed bs=1 seek=$((size / 2)) conv=notrunc status=none
    ! verifies changed || fail "$file with a changed byte still verifies"
done
echo "PASS: the same bytes twice; signatures verify, changed bytes do not"
