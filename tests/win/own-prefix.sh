#!/bin/sh
# own-prefix.sh BUILD NAME PROGRAM [ARGS...]
# Runs a Windows test program in a fresh prefix of its own (BUILD/wine/NAME)
# and stops that prefix's wineserver afterwards. With
# LORENT_EXPECT_NO_CABINET_LIBRARY=1 in the environment the cabinet library
# (system32\cabinet.dll) is removed from the prefix first.
set -e
build=$(cd "$1" && pwd)
name=$2
shift 2
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
prefix="$build/wine/$name"
rm -rf "$prefix"
"$scripts/wine-prefix.sh" "$build" "$prefix"
# Wine links the user's shell folders (Desktop, Documents, ...) to the Linux
# home folder; here they are plain folders inside the prefix, so that what a
# test writes there stays in the prefix.
for link in "$prefix"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm "$link" && mkdir "$link"; fi
done
if [ "${LORENT_EXPECT_NO_CABINET_LIBRARY:-}" = 1 ]; then
  rm -f "$prefix/drive_c/windows/system32/cabinet.dll"
fi
export WINEPREFIX="$prefix"
set +e
"$scripts/wine-run.sh" "$@"
rc=$?
/usr/lib/wine/wineserver -k 2>/dev/null
exit $rc
