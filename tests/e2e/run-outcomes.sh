#!/bin/bash
# Whole interactive runs of bound installers, one per outcome of a run: what
# the user sees, what is launched with which parameter string, the full exit
# code, and that the staging folder is left with nothing but the emptied run
# folder (Wine reports Windows 7 here).
# As root the scenario runs in a mount namespace of its own, where a small
# file system over C:\ProgramData makes the free-space test fail.
if [ "$(id -u)" = 0 ] && [ -z "${LORENT_UNSHARED:-}" ] && unshare -m true 2>/dev/null; then
  LORENT_UNSHARED=1 exec unshare -m "$0" "$@"
fi
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/stub-lib.sh"

settings | bind full
# A full run. Keys and close commands on the progress window do nothing; the
# window is hidden once the setup launcher runs.
step 'caption=Stowline;has=1007;sized=1;dump=progress;act=key:27+key:13+altf4+close+help'
step 'caption=Stowline Viewer;has=1002;new=1;dump=after;act=click:1000'
step 'caption=Stowline Viewer;has=1002;new=1;dump=result;act=click:1001'
LORENT_RECORD_EXIT=3010 drive full -x
echo "full interactive run: $runtime ms"
check "full run: exit code 3010 (got $code)" test "$code" = 3010
check "full run: manual mode, command line after it (got $params)" test "$params" = 'Yes|W\setup.exe|/manual -x'
check "progress window: client 399 x 89" shows progress 'client=399x89 caption="Stowline"'
check "progress window: bar at 22,51 355 x 15" shows progress 'id=1007 class=msctls_progress32 visible=1 rect=22,51,355,15'
check "progress window: text at 22,22 150 x 14" shows progress 'visible=1 rect=22,22,150,14 text="Extracting..."'
check "after-install message: the ENG element, ampersand doubled for the control" \
  shows after 'text="Restart your PC after setup. Save && close other programs first."'
check "after-install message: OK left, Cancel right" \
  sh -c "grep -q 'id=1000 class=Button visible=1 .* text=\"OK\"' '$work/after.txt' &&
         grep -q 'id=1001 class=Button visible=1 .* text=\"Cancel\"' '$work/after.txt'"
check "after-install message: the progress window stays up under it" shows after 'other client=399x89 caption="Stowline"'
check "result box: success for 3010" shows result 'text="Setup completed successfully."'
check "result box: the progress window is hidden" sh -c "! grep -q '^other' '$work/result.txt'"
check "full run: staging folder clean" staging_clean

step 'caption=Stowline Viewer;has=1002;new=1;act=click:1001'
drive full
check "declined message: nothing launched, exit code 0 ($params, $code)" test "$params/$code" = none/0
check "declined message: staging folder clean" staging_clean

settings 'enc_data = 0123456789ABCDEF0123456789ABCDEF' | bind digest
step 'caption=Error;has=1002;new=1;dump=digest;act=click:1001'
drive digest
check "digest mismatch: failure 1001" shows digest 'text="Setup failed.(Error Code: 1001)"'
check "digest mismatch: nothing launched, exit code 0 ($params, $code)" test "$params/$code" = none/0
check "digest mismatch: staging folder clean" staging_clean

# Wine's maker is "The Wine Project": warning 102 and no launch.
settings 'UseZEKACheck = 1' | bind maker
step 'caption=Stowline;not=1007;new=1;dump=maker;act=click:1'
drive maker
check "maker check: warning 102" shows maker 'This program runs on ZEKA computers only.'
check "maker check: nothing launched, exit code 0 ($params, $code)" test "$params/$code" = none/0
check "maker check: staging folder clean" staging_clean

# No AssistFile.ini: the message is still shown, nothing is launched.
MESSAGE=1 settings | sed '/^\[AssistFile.ini\]/,/^\[MessageSetting.ini\]/{/^\[MessageSetting.ini\]/!d}' | bind noassist
step 'has=1002;new=1;dump=noassist;act=click:1000'
drive noassist
check "no AssistFile.ini: message shown, nothing launched, exit code 0 ($params, $code)" \
  test "$params/$code" = none/0
check "no AssistFile.ini: staging folder clean" staging_clean

# A setup launcher that cannot be started: nothing shown, exit code 0.
head -c 3000 /dev/urandom >"$work/in/broken.exe"
settings | LAUNCHER=in/broken.exe bind nostart
step 'caption=Stowline Viewer;has=1002;new=1;act=click:1000'
drive nostart
check "launcher cannot start: exit code 0 (got $code)" test "$code" = 0
check "launcher cannot start: staging folder clean" staging_clean

# A damaged cabinet: failure 1003, no launch.
head -c 3000 /dev/urandom >"$work/in/broken.cab"
settings | CABINET=in/broken.cab bind badcab
step 'caption=Error;has=1002;new=1;dump=badcab;act=click:1001'
drive badcab
check "damaged cabinet: failure 1003" shows badcab 'text="Setup failed.(Error Code: 1003)"'
check "damaged cabinet: nothing launched, exit code 0 ($params, $code)" test "$params/$code" = none/0
check "damaged cabinet: the extraction emptied the staging folder" staging_clean empty

# No cabinet library (moved away): warning 103, then the run goes on and launches.
step 'caption=Stowline;not=1007;new=1;dump=nocablib;act=click:1'
step 'caption=Stowline Viewer;has=1002;new=1;act=click:1000'
step 'caption=Stowline Viewer;has=1002;new=1;act=click:1001'
cablib="$WINEPREFIX/drive_c/windows/system32/cabinet.dll"
mv "$cablib" "$cablib.away"
LORENT_RECORD_EXIT=1 drive full
mv "$cablib.away" "$cablib"
check "no cabinet library: warning 103" shows nocablib "Can't Extract files!"
check "no cabinet library: launched anyway, exit code 1 ($params, $code)" \
  test "$params/$code" = 'Yes|W\setup.exe|/manual/1'
check "no cabinet library: staging folder clean" staging_clean

# The package lets the user choose the folder. The folder browser's first
# item, the desktop, is chosen; Wine links it to the Linux home, so it is made
# a folder of the prefix first. The browser comes twice: for the first
# ordinary file (setup.exe, written after the settings) and for the cabinet.
# The product files go there, the folder is opened, nothing is launched.
desktop="$WINEPREFIX/drive_c/users/$(id -un)/Desktop"
if [ -L "$desktop" ]; then rm "$desktop"; fi
mkdir -p "$desktop"
settings 'ExtractPathByUser = 1' | bind pick
for browser in files cabinet; do
  step 'new=1;sized=1;not=1007;act=root:14145'
  step 'sized=1;not=1007;act=click:1'
done
drive pick
check "chosen folder: setup.exe is there too" test -f "$desktop/setup.exe"
check "chosen folder: the product files are there" test -f "$desktop/docs/readme.txt"
check "chosen folder: nothing launched, exit code 0 ($params, $code)" test "$params/$code" = none/0
check "chosen folder: staging folder clean" staging_clean

# Not enough free space (256 KiB, less than three times the installer's
# size): warning 101 naming drive C, nothing extracted, no launch.
session
if [ -n "${LORENT_UNSHARED:-}" ] && mount -t tmpfs -o size=256k none "$WINEPREFIX/drive_c/ProgramData"; then
  step 'caption=Stowline;not=1007;new=1;dump=disk;act=click:1'
  drive full
  check "free space: warning 101 for drive C" shows disk 'There is not enough space on Local Disk (C:).'
  check "free space: nothing launched, exit code 0 ($params, $code)" test "$params/$code" = none/0
  check "free space: no staging folder left" staging_clean gone
  session
  umount "$WINEPREFIX/drive_c/ProgramData"
else
  echo "skipped: the free-space warning needs root and a mount namespace"
fi

# WM_CLOSE from another program while the setup launcher runs (20 s here): the
# window waits up to 10 s for the worker, stops it and ends the dialog; the
# process ends with exit code 0 before the launcher does (which would give 5).
# The run's folder stays until the next run clears it.
step 'caption=Stowline Viewer;has=1002;new=1;act=click:1000;pause=1500'
step 'caption=Stowline;has=1007;hidden=1;act=wmclose'
LORENT_RECORD_WAIT_MS=20000 LORENT_RECORD_EXIT=5 drive full
echo "WM_CLOSE during the launch: the stub ended after $runtime ms"
check "WM_CLOSE during the launch: launched, process ended first with exit code 0 ($params, $code)" \
  test "$params/$code" = 'Yes|W\setup.exe|/manual/0'
finish
