#!/bin/bash
# The reference setup launcher: it runs the target named in its parameter
# string from its working folder and ends with the target's full exit code.
# The recording launcher stands in for the target and writes down its
# command line and folder.
. "$(dirname "$0")/lib.sh"

launcher=$(winpath "$LORENT_WIN_BUILD/launcher/UpdateModuleSetup.exe")
recorder=$(winpath "$helpers/recordlauncher.exe")
folder="$work/run folder"
mkdir -p "$folder"
export LORENT_RECORD
LORENT_RECORD=$(winpath "$work/record.txt")

# launch EXIT PARAMETERS: the launcher's exit code when the target ends with EXIT.
launch() {
  LORENT_RECORD_EXIT=$1 exit_code --cwd "$(winpath "$folder")" --raw "$launcher" "$2"
}

for code in 0 1 3010 2147944003 4294967295; do
  rm -f "$work/record.txt"
  got=$(launch "$code" "Yes|$recorder|/manual x")
  check "exit code $code passes through (got $got)" test "$got" = "$code"
done
check "the target got its arguments" grep -q "^cmdline=\"$(printf '%s' "$recorder" | sed 's/\\/\\\\/g')\" /manual x" "$work/record.txt"
check "the target ran in the launcher's folder" grep -qF "cwd=$(winpath "$folder")" "$work/record.txt"

printf '@echo off\r\necho %%*> "%%~dp0bat.txt"\r\nexit /b 3010\r\n' >"$folder/setup.bat"
got=$(launch 0 "No|C:\\windows\\system32\\cmd.exe|/c \"$(winpath "$folder/setup.bat")\" /quiet")
check "a batch file through cmd.exe ends with 3010 (got $got)" test "$got" = 3010
check "the batch file got its arguments" grep -q '/quiet' "$folder/bat.txt"

got=$(launch 0 "Maybe|$recorder")
check "a malformed parameter string ends with 0x80070057 (got $got)" test "$got" = 2147942487
got=$(launch 0 "Yes|C:\\no such folder\\setup.exe")
check "a missing target ends with 0x80070002 or 0x80070003 (got $got)" \
  sh -c "test '$got' = 2147942402 || test '$got' = 2147942403"
finish
