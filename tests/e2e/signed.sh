#!/bin/bash
# Authenticode signing after binding: the signature goes behind the package,
# the signed installer verifies, and the stub still reads its package.
. "$(dirname "$0")/lib.sh"

mkdir -p "$work/in" "$work/out"
head -c 70000 /dev/urandom >"$work/in/payload.bin"
head -c 3000 /dev/urandom >"$work/in/product.cab"
head -c 3000 /dev/urandom >"$work/in/launcher.bin"
cat >"$work/package.lorent" <<DESC
output = bound.exe
[files]
payload.bin = in/payload.bin
UpdateModuleSetup.exe = in/launcher.bin
cabinet = in/product.cab
DESC
"$LORENT_PACK" build "$work/package.lorent" --stub "$helpers/pkgdump.exe"

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Lorent test signer" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "Lorent test" \
  -in "$work/bound.exe" -out "$work/signed.exe" >/dev/null

check "the signed installer verifies" \
  sh -c "osslsigncode verify -CAfile '$work/cert.pem' -in '$work/signed.exe' | grep -q 'Signature verification: ok'"
check "the signature lies behind the package" test "$(stat -c %s "$work/signed.exe")" -gt "$(stat -c %s "$work/bound.exe")"
"$LORENT_PACK" inspect "$work/signed.exe" | tee "$work/inspect.txt"
check "inspect reads the signed package whole" grep -q '^after data' "$work/inspect.txt"

code=$(exit_code "$(winpath "$work/signed.exe")" "$(winpath "$work/out")")
check "the signed stub read its whole package (exit code $code)" test "$code" = 0
check "payload intact" cmp -s "$work/in/payload.bin" "$work/out/payload.bin"
check "cabinet intact" cmp -s "$work/in/product.cab" "$work/out/M6CO7800-6872-63e4-1K20-518M0177178M.kwd"
refusal=$("$LORENT_PACK" build "$work/package.lorent" --stub "$work/signed.exe" --output "$work/again.exe" 2>&1 || true)
check "binding to a signed installer is refused" contains "$refusal" 'already carries a package'
check "and writes nothing" test ! -e "$work/again.exe"
finish
