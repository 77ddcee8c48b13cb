#!/bin/sh
# nocabinet.sh BUILD PROGRAM [ARGS...]
# Runs a Windows test program in a fresh prefix of its own from which the
# cabinet library (system32\cabinet.dll) has been removed. The program finds
# LORENT_EXPECT_NO_CABINET_LIBRARY=1 in its environment.
set -e
build=$(cd "$1" && pwd)
shift
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
prefix="$build/wine/nocabinet"
rm -rf "$prefix"
"$scripts/wine-prefix.sh" "$build" "$prefix"
rm -f "$prefix/drive_c/windows/system32/cabinet.dll"
export WINEPREFIX="$prefix" LORENT_EXPECT_NO_CABINET_LIBRARY=1
set +e
"$scripts/wine-run.sh" "$@"
rc=$?
/usr/lib/wine/wineserver -k 2>/dev/null
exit $rc
