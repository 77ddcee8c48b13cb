# Common pieces of the end-to-end scenarios; sourced by each scenario script.
#
# A scenario runs in its own folder under the build (BUILD/e2e/NAME) with its
# own copy of the build's Wine prefix, under Xvfb (the CTest command wraps it
# in xvfb-run), and cleans up after itself when it passes.
#
# Environment (set by CTest): LORENT_SOURCE, LORENT_WIN_BUILD, LORENT_PACK.
set -eu
: "${LORENT_SOURCE:?}" "${LORENT_WIN_BUILD:?}" "${LORENT_PACK:?}"

scenario=$(basename "$0" .sh)
work="$LORENT_WIN_BUILD/e2e/$scenario"
helpers="$LORENT_WIN_BUILD/tests/helpers"
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX="$work/prefix"
"$LORENT_SOURCE/scripts/wine-prefix.sh" "$LORENT_WIN_BUILD" "$WINEPREFIX"

failures=0
cleanup() {
  status=$?
  WINEPREFIX="$work/prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  if [ "$status" -eq 0 ] && [ "$failures" -eq 0 ]; then rm -rf "$work"; fi
}
trap cleanup EXIT

# wine PROGRAM ARGS...: runs a Windows program in the scenario's prefix.
wine() { "$LORENT_SOURCE/scripts/wine-run.sh" "$@"; }

# winpath LINUX_PATH: the same file as Wine sees it (drive Z: is /).
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# exit_code PROGRAM ARGS...: runs the program through runner.exe and prints its
# full 32-bit exit code in decimal (the Linux shell would see only the low byte).
exit_code() {
  out=$(wine "$helpers/runner.exe" --timeout 120 "$@") || { echo "runner failed: $out" >&2; return 1; }
  printf '%s\n' "$out" | sed -n 's/^exit code: 0x[0-9A-F]* (\([0-9]*\))\r*$/\1/p'
}

# check DESCRIPTION COMMAND...: runs a check and counts a failure.
check() {
  what=$1
  shift
  if "$@"; then
    echo "ok   - $what"
  else
    echo "FAIL - $what"
    failures=$((failures + 1))
  fi
}

# contains TEXT WORDS: whether TEXT holds WORDS literally. The text is never
# passed through echo, which would read a Windows path's "\c" as an escape.
contains() {
  if grep -qF -- "$2" <<<"$1"; then return 0; fi
  printf '  (looked for "%s" in: %s)\n' "$2" "$1"
  return 1
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$scenario: $failures check(s) failed; files kept in $work"
    exit 1
  fi
  echo "$scenario: all checks passed"
}
