#!/bin/bash
# Windows versions through Wine's Version setting: 5.0 is refused with text
# 110; 5.1 runs without the compatibility mark and removes the whole staging
# folder at the end; 6.0 and later run with the mark (for installer-named
# executables only) and leave the emptied run folder.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/stub-lib.sh"

# Runs without any window: no message, no result box.
MESSAGE=0 settings | sed 's/^ShowResult = 1/ShowResult = 0/' >"$work/settings.txt"
for name in Setup Update Install_x; do bind "$name" <"$work/settings.txt"; done
persisted='HKCU\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Compatibility Assistant\Persisted'
# The stub only opens this key; Windows has it, a fresh Wine prefix has not.
reg add "$persisted" /f
marked() { wine reg query "$persisted" 2>/dev/null | tr -d '\r' | grep -qiF "$(winpath "$work/$1.exe")    REG_DWORD    0x21"; }
unmarked() { ! marked "$1"; }
version() { reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d "$1" /f; }

version win2k
step 'caption=Setup;new=1;dump=refused;act=click:1'
drive Setup
check "5.0 (win2k): text 110, captioned with the executable's name" \
  shows refused 'This program cannot run on the current operating system.'
check "5.0: nothing launched, exit code 0 ($params, $code)" test "$params/$code" = none/0
check "5.0: no staging folder made" test ! -e "$staging"
check "5.0: no compatibility mark" unmarked Setup

version winxp
mkdir -p "$staging/{00000000-0000-0000-0000-000000000000}"  # left by an earlier run
LORENT_RECORD_EXIT=3010 drive Setup
check "5.1 (winxp): launched, exit code 3010 ($params, $code)" test "$params/$code" = 'Yes|W\setup.exe|/manual/3010'
check "5.1: the whole staging folder is removed" staging_clean gone
check "5.1: no compatibility mark" unmarked Setup

version vista
drive Setup
check "6.0 (vista): launched, exit code 0 ($params, $code)" test "$params/$code" = 'Yes|W\setup.exe|/manual/0'
check "6.0: the emptied run folder stays" staging_clean
check "6.0: Setup.exe gets the compatibility mark" marked Setup

reg delete 'HKCU\Software\Wine' /v Version /f  # Windows 7
drive Update
check "6.1: Update.exe runs (exit code $code)" test "$code" = 0
check "6.1: Update.exe gets no compatibility mark" unmarked Update
check "6.1: the emptied run folder stays" staging_clean

version win10
drive Install_x
check "6.2 (win10): Install_x.exe runs (exit code $code)" test "$code" = 0
check "6.2: Install_x.exe gets the compatibility mark" marked Install_x
check "6.2: the emptied run folder stays" staging_clean
finish
