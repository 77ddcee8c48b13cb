#!/bin/sh
# Size and imports of the shipped stub: at most 150 KB stripped, and only
# system DLLs imported. Run after the win preset has been built.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
limit=153600
stub=$(mktemp)
trap 'rm -f "$stub"' EXIT
x86_64-w64-mingw32-strip -o "$stub" "$root/build/win/app/lorent.exe"
size=$(stat -c %s "$stub")
dlls=$(x86_64-w64-mingw32-objdump -p "$stub" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
echo "lorent.exe stripped: $size bytes ($((size / 1024)) KB, limit $((limit / 1024)) KB); imports: $dlls"
status=0
[ "$size" -le "$limit" ] || { echo "lorent.exe is larger than $limit bytes"; status=1; }
for dll in $dlls; do
  case $(echo "$dll" | tr 'A-Z' 'a-z') in
    kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|ole32.dll|oleaut32.dll|shell32.dll|advapi32.dll|msvcrt.dll|shlwapi.dll|uxtheme.dll|version.dll) ;;
    *) echo "lorent.exe imports $dll, which is not a system DLL"; status=1 ;;
  esac
done
exit $status
