#!/bin/sh
# Runs a Windows program under Wine 64-bit. The prefix comes from WINEPREFIX;
# without one, the build's shared test prefix is used (made from the template
# on first use). Quiet: no debug channels, no Mono or Gecko prompts.
set -e
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${WINEPREFIX:-}" ]; then
  : "${LORENT_WIN_BUILD:?set WINEPREFIX or LORENT_WIN_BUILD}"
  WINEPREFIX="$LORENT_WIN_BUILD/wine/unit"
  "$here/wine-prefix.sh" "$LORENT_WIN_BUILD" "$WINEPREFIX"
fi
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec /usr/lib/wine/wine64 "$@"
