#!/bin/sh
# ui-scenario.sh BUILD_DIR PREFIX_NAME DPI COMMAND [ARGUMENTS...]
#
# Runs COMMAND (usually scripts/wine-run.sh with a test program, or a script
# that drives uihelper.exe) in the Wine prefix BUILD_DIR/wine/PREFIX_NAME, made
# from the build's template when missing, with the screen set to DPI dots per
# inch, on a fresh Xvfb screen (LORENT_SCREEN, default 1024x768x24). The
# caller's environment (LANG, LC_MESSAGES...) reaches the Windows programs.
# The message box asks for "Segoe UI", "Meiryo" or "MS UI Gothic", which a
# Windows system has and Wine has not: the Japanese faces are replaced by the
# installed Noto Sans CJK JP, as Windows would draw them with Meiryo.
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
name=$2
dpi=$3
shift 3
export WINEPREFIX="$build/wine/$name"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$here/../../scripts/wine-prefix.sh" "$build" "$WINEPREFIX"
# A server left from a run with another language or display would be reused.
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -w
status=0
xvfb-run -a -s "-screen 0 ${LORENT_SCREEN:-1024x768x24}" sh -c '
  /usr/lib/wine/wine64 reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$0" /f >/dev/null 2>&1
  for face in Meiryo "MS UI Gothic"; do
    /usr/lib/wine/wine64 reg add "HKCU\\Software\\Wine\\Fonts\\Replacements" /v "$face" /t REG_SZ \
      /d "Noto Sans CJK JP" /f >/dev/null 2>&1
  done
  exec "$@"' "$dpi" "$@" || status=$?
/usr/lib/wine/wineserver -k 2>/dev/null || true
exit $status
