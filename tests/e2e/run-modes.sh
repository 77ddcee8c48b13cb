#!/bin/bash
# Start-up and launch mode: the silent switch and the update agent's key
# decide whether the run shows its window and which mode parameter the packaged
# setup gets; the setup's exit code becomes the process exit code, all 32 bits.
# Whether a run is interactive shows while the after-install message is up:
# the progress window is then laid out (399 x 89) or still 0 x 0.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/stub-lib.sh"

settings | bind modes

# run LABEL WINDOW EXPECTED_PARAMS ARGS...: one run answered with OK;
# WINDOW is "399x89" (interactive), "0x0" (silent) or "none" (no message).
# Only interactive runs show the result box (a silent run that showed one
# would never end here).
run() {
  local label=$1 window=$2 expected=$3
  shift 3
  [ "$window" = none ] || step 'caption=Stowline Viewer;has=1002;new=1;dump=after;act=click:1000'
  [ "$window" = 399x89 ] && step 'caption=Stowline Viewer;has=1002;new=1;act=click:1001'
  rm -f "$work/after.txt"
  drive modes "$@"
  check "$label: parameters $expected (got $params)" test "$params" = "$expected"
  if [ "$window" = none ]; then
    check "$label: no message, exit code 0 (got $code)" test "$code" = 0
  else
    check "$label: message shown over a $window progress window, exit code 0 (got $code)" \
      sh -c "[ '$code' = 0 ] && grep -q 'other client=$window caption=\"Stowline\"' '$work/after.txt'"
  fi
}

run "no key, no switch" 399x89 'Yes|W\setup.exe|/manual'
run "no key, -s" 0x0 'Yes|W\setup.exe|/manual -s' -s
run "no key, /S among others" 0x0 'Yes|W\setup.exe|/manual a /S b' a /S b
run "no key, -S" 0x0 'Yes|W\setup.exe|/manual -S' -S
run "no key, -silent" 399x89 'Yes|W\setup.exe|/manual -silent' -silent

reg add "$agent_key" /v SilentExecution /t REG_SZ /d 1 /f
run "SilentExecution as the text 1" 399x89 'Yes|W\setup.exe|/manual'

reg add "$agent_key" /v SilentExecution /t REG_DWORD /d 1 /f
run "SilentExecution 1: agent silent mode" none 'Yes|W\setup.exe|/agent /silent'
echo "agent silent run without any window: $runtime ms"
check "agent silent mode: staging folder clean" staging_clean
for exit in 0 1 3010 2147944003 4294967295; do
  got=$(LORENT_RECORD_EXIT=$exit exit_code "$(winpath "$work/modes.exe")")
  check "exit code $exit passes through, read by runner.exe (got $got)" test "$got" = "$exit"
done

reg add "$agent_key" /v LaunchInstaller /t REG_DWORD /d 1 /f
reg add "$agent_key" /v SilentExecution /t REG_DWORD /d 0 /f
run "LaunchInstaller 1, SilentExecution 0: agent mode" 399x89 'Yes|W\setup.exe|/agent'
reg add "$agent_key" /v SilentExecution /t REG_DWORD /d 2 /f
run "LaunchInstaller 1, SilentExecution 2: no mode parameter" 399x89 'Yes|W\setup.exe'
reg delete "$agent_key" /v SilentExecution /f
run "LaunchInstaller 1, no SilentExecution, -s: agent mode, silent" 0x0 'Yes|W\setup.exe|/agent -s' -s
check "staging folder clean" staging_clean
finish
