#!/bin/sh
# wine-version.sh BUILD VERSION CODE PROGRAM [ARGS...]
# Runs a Windows test program in a prefix of its own in which Wine reports
# the Windows version VERSION (HKCU\Software\Wine Version; "default" leaves it
# unset), with LORENT_EXPECT_VERSION_CODE=CODE in its environment.
set -e
build=$(cd "$1" && pwd)
version=$2
code=$3
shift 3
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
prefix="$build/wine/version-$version"
rm -rf "$prefix"
"$scripts/wine-prefix.sh" "$build" "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$version" != default ]; then
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d "$version" /f >/dev/null 2>&1
fi
set +e
LORENT_EXPECT_VERSION_CODE=$code "$scripts/wine-run.sh" "$@"
rc=$?
/usr/lib/wine/wineserver -k 2>/dev/null
rm -rf "$prefix"
exit $rc
