#!/bin/bash
# The stub's reader reads back exactly what the packer wrote, byte for byte:
# the packer binds files to pkgdump.exe (which reads itself with the stub's
# package reader and writes every entry out), started from a folder whose
# path is longer than 255 characters.
. "$(dirname "$0")/lib.sh"

in="$work/in"
mkdir -p "$in/docs"
head -c 0 /dev/zero >"$in/empty.bin"
printf 'x' >"$in/one.bin"
for size in 65535 65536 65537 200003; do head -c $size /dev/urandom >"$in/r$size.bin"; done
head -c 5000 /dev/urandom >"$in/product.cab"
printf '[ParamOption]\r\nExecuteFileName=setup.exe\r\n' >"$in/AssistFile.ini"
printf 'Japanese name\r\n' >"$in/docs/readme.txt"

head -c 3000 /dev/urandom >"$work/in/launcher.bin"
cat >"$work/package.lorent" <<DESC
output = bound.exe
[files]
AssistFile.ini = in/AssistFile.ini
UpdateModuleSetup.exe = in/launcher.bin
empty.bin = in/empty.bin
one.bin = in/one.bin
r65536.bin = in/r65536.bin
cabinet = in/product.cab
[group Docs]
読んでね.txt = in/docs/readme.txt
r65537.bin = in/r65537.bin
[group Apps]
r65535.bin = in/r65535.bin
r200003.bin = in/r200003.bin
DESC
"$LORENT_PACK" build "$work/package.lorent" --stub "$helpers/pkgdump.exe"
"$LORENT_PACK" inspect "$work/bound.exe"

# A folder chain that makes the program's path 258 characters long (Windows
# paths stop at 260 for an ordinary start).
base=$(winpath "$work")
pad=$((258 - ${#base} - 10 - 2))  # 10: \bound.exe; 2: the two separators
long="$work/L$(printf '%*s' $((pad / 2 - 1)) '' | tr ' ' a)/L$(printf '%*s' $((pad - pad / 2 - 1)) '' | tr ' ' b)"
mkdir -p "$long" "$work/out"
cp "$work/bound.exe" "$long/"
program=$(winpath "$long/bound.exe")
echo "program path: ${#program} characters"

code=$(exit_code "$program" "$(winpath "$work/out")")
check "pkgdump read its whole package (exit code $code)" test "$code" = 0
check "the program's path is longer than 255 characters" test "${#program}" -gt 255

same() { cmp -s "$1" "$2"; }
check "AssistFile.ini" same "$in/AssistFile.ini" "$work/out/AssistFile.ini"
check "empty entry" same "$in/empty.bin" "$work/out/empty.bin"
check "one-byte entry" same "$in/one.bin" "$work/out/one.bin"
check "65,536-byte entry" same "$in/r65536.bin" "$work/out/r65536.bin"
check "cabinet, complemented back" same "$in/product.cab" "$work/out/M6CO7800-6872-63e4-1K20-518M0177178M.kwd"
check "group Docs, Japanese name" same "$in/docs/readme.txt" "$work/out/Docs/読んでね.txt"
check "65,537-byte entry" same "$in/r65537.bin" "$work/out/Docs/r65537.bin"
check "group Apps, 65,535 bytes" same "$in/r65535.bin" "$work/out/Apps/r65535.bin"
check "group Apps, 200,003 bytes" same "$in/r200003.bin" "$work/out/Apps/r200003.bin"
finish
