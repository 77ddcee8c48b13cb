#!/bin/bash
# lorent-pack built for Windows binds the same description to the same bytes
# as lorent-pack built for Linux, and refuses bad input the same way.
. "$(dirname "$0")/lib.sh"

winpack="$LORENT_WIN_BUILD/pack/lorent-pack.exe"
mkdir -p "$work/in/docs"
head -c 100000 /dev/urandom >"$work/in/data.bin"
head -c 2000 /dev/urandom >"$work/in/product.cab"
printf 'readme\r\n' >"$work/in/docs/readme.txt"
head -c 3000 /dev/urandom >"$work/in/launcher.bin"
cat >"$work/package.lorent" <<DESC
[files]
data.bin = in/data.bin
UpdateModuleSetup.exe = in/launcher.bin
cabinet = \${cabinet}
[group Docs]
readme.txt = in/docs/readme.txt
DESC
"$LORENT_PACK" build "$work/package.lorent" --stub "$helpers/pkgdump.exe" -D "cabinet=$work/in/product.cab" \
  --output "$work/linux.exe"
wine "$winpack" build "$(winpath "$work/package.lorent")" --stub "$(winpath "$helpers/pkgdump.exe")" \
  -D "cabinet=$(winpath "$work/in/product.cab")" --output "$(winpath "$work/windows.exe")"
check "both packers write the same installer" cmp "$work/linux.exe" "$work/windows.exe"

printf '[files]\n..\\evil.dll = in/data.bin\n' >"$work/bad.lorent"
message=$(wine "$winpack" build "$(winpath "$work/bad.lorent")" --stub "$(winpath "$helpers/pkgdump.exe")" \
  --output "$(winpath "$work/bad.exe")" 2>&1 || true)
check "the Windows packer refuses an unsafe name" contains "$message" 'contains a path separator'
check "and writes nothing" test ! -e "$work/bad.exe"
finish
