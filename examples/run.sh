#!/bin/bash
# The main job: builds the bundled example installer from examples/stowline,
# shows what it carries, and runs it under Wine: once silently, as the update
# agent asks for it, and once interactively under Xvfb, answering its windows
# and taking a screenshot of each. Run after both presets are built
# (scripts/build.sh does both).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
example="$root/examples/stowline"
out="$root/build/example"
pack="$root/build/host/pack/lorent-pack"
helpers="$root/build/win/tests/helpers"
mkdir -p "$out"

echo "== product cabinet"
rm -f "$out/product.cab"
(cd "$example/product" && find . -type f | sed 's|^\./||' | sort | xargs -d '\n' gcab -c -z "$out/product.cab")
gcab -l "$out/product.cab"

echo
echo "== binding the installer"
"$pack" build "$example/package.lorent" \
  -D "stub=$root/build/win/app/lorent.exe" \
  -D "launcher=$root/build/win/launcher/UpdateModuleSetup.exe" \
  -D "cabinet=$out/product.cab" \
  --output "$out/StowlineSetup.exe"

echo
echo "== what the installer carries"
"$pack" inspect "$out/StowlineSetup.exe"

echo
echo "== verifying its settings"
"$pack" verify "$out/StowlineSetup.exe" --setup "$example/product/setup.bat"

# A Wine prefix of the example's own, made from the build's template.
export WINEPREFIX="$out/prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
rm -rf "$WINEPREFIX"
"$root/scripts/wine-prefix.sh" "$root/build/win" "$WINEPREFIX"
drive="$WINEPREFIX/drive_c"
installed="$drive/Program Files/Stowline Viewer"
staging="$drive/ProgramData/ZEKA Corporation/Stowline/PackagingTemp"
cp "$out/StowlineSetup.exe" "$drive/StowlineSetup.exe"
agent='HKLM\SOFTWARE\ZEKA Corporation\Davivido zazur'
shots="$out/screenshots"
rm -rf "$shots"
mkdir -p "$shots"

report() {
  echo "installed files:"
  if [ -d "$installed" ]; then
    (cd "$installed" && find . -type f | sort | sed 's|^\./|  |')
    echo "install.log: $(tr -d '\r' <"$installed/install.log")"
  else
    echo "  (none)"
  fi
  echo "left in the staging folder:"
  (cd "$staging" 2>/dev/null && find . -mindepth 1 | sort | sed 's|^\./|  |') || true
}

echo
echo "== silent run: the update agent's key asks for it (SilentExecution 1, LaunchInstaller 1)"
$wine reg add "$agent" /v SilentExecution /t REG_DWORD /d 1 /f >/dev/null 2>&1
$wine reg add "$agent" /v LaunchInstaller /t REG_DWORD /d 1 /f >/dev/null 2>&1
# A wineserver started without a display (as by "reg" here) keeps a desktop
# on which no window can be made: end it before the installer runs.
/usr/lib/wine/wineserver -k 2>/dev/null || true
sleep 0.5
# The setup launcher writes down the parameter string it was given.
export UPDATEMODULESETUP_LOG='C:\launcher.log'
launcher_log() {
  echo "setup launcher (UpdateModuleSetup.exe):"
  tr -d '\r' <"$drive/launcher.log" | sed 's/^/  /'
  rm -f "$drive/launcher.log"
}
xvfb-run -a -s "-screen 0 1024x768x24" \
  $wine "$helpers/runner.exe" --timeout 120 'C:\StowlineSetup.exe' | tee "$out/silent-exit.txt"
launcher_log
report
grep -q 'exit code: 0x00000000' "$out/silent-exit.txt"
test -f "$installed/install.log"

echo
echo "== interactive run: a user starts the installer (no agent key), under Xvfb"
$wine reg delete "$agent" /f >/dev/null 2>&1
rm -rf "$installed"
# A wineserver started without a display (as by "reg" here) keeps a desktop
# on which no window can be made: end it before the installer runs.
/usr/lib/wine/wineserver -k 2>/dev/null || true
sleep 0.5
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  wine=$1; helpers=$2; shots=$3
  "$wine" "$helpers/runner.exe" --timeout 120 "C:\\StowlineSetup.exe" >"$shots/../interactive-exit.txt" 2>&1 &
  runner=$!
  # answer NAME STEP: waits for a window called NAME, photographs the screen,
  # and presses Enter (the focused button: OK).
  answer() {
    for _ in $(seq 1 200); do
      id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1) && [ -n "$id" ] && break
      sleep 0.1
    done
    [ -n "${id:-}" ] || { echo "no window \"$1\" appeared"; return 1; }
    sleep 0.5
    import -window root "$shots/$2.png"
    echo "  $2: window \"$1\" shown; screenshot $2.png; pressing OK"
    xdotool windowfocus "$id" 2>/dev/null || true
    xdotool key Return
    for _ in $(seq 1 50); do xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0; sleep 0.1; done
  }
  # The progress window shows while the files are extracted.
  for _ in $(seq 1 100); do xdotool search --onlyvisible --name "^Stowline\$" >/dev/null 2>&1 && break; sleep 0.05; done
  sleep 0.3
  import -window root "$shots/0-progress.png" && echo "  0-progress: the progress window; screenshot 0-progress.png"
  answer "Stowline Viewer" 1-after-install-message
  answer "Stowline Viewer" 2-result
  wait $runner
' bash "$wine" "$helpers" "$shots"
cat "$out/interactive-exit.txt"
launcher_log
report
grep -q 'exit code: 0x00000000' "$out/interactive-exit.txt"
test -f "$installed/install.log"
echo
echo "screenshots: $shots"
/usr/lib/wine/wineserver -k 2>/dev/null || true
