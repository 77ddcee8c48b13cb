#!/bin/sh
# fake-maker.sh BUILD VENDOR EXPECT PROGRAM [ARGS...]
# Runs a Windows test program with a faked computer maker: WMI's
# Win32_ComputerSystem.Manufacturer comes from /sys/class/dmi/id/sys_vendor,
# which is replaced for this process tree only (a mount namespace with a
# tmpfs over /sys/class). The wineserver is started inside the namespace, in
# a prefix of its own, so that it sees the fake too. The program finds the
# vendor file in LORENT_FAKE_VENDOR_FILE (a Windows path; it may rewrite it)
# and the expected answer (true/false) in LORENT_EXPECT_MAKER.
# VENDOR "-" runs with the real (unfaked) maker in the same way.
# Needs root; without it the test is skipped (exit 77).
set -e
build=$(cd "$1" && pwd)
vendor=$2
expect=$3
shift 3
if [ "$(id -u)" != 0 ] || ! command -v unshare >/dev/null; then
  echo "fake-maker.sh: needs root and unshare" >&2
  exit 77
fi
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
work=$(mktemp -d "$build/wine/maker.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$scripts/wine-prefix.sh" "$build" "$work/prefix"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LORENT_EXPECT_MAKER="$expect"
if [ "$vendor" = - ]; then
  set +e
  "$scripts/wine-run.sh" "$@"
  rc=$?
  /usr/lib/wine/wineserver -w
  exit $rc
fi
mkdir -p "$work/dmi/id"
printf '%s\n' "$vendor" > "$work/dmi/id/sys_vendor"
export LORENT_FAKE_VENDOR_FILE="Z:$(echo "$work/dmi/id/sys_vendor" | tr / '\\')"
set +e
unshare -m sh -c '
  set -e
  mount -t tmpfs none /sys/class
  mkdir -p /sys/class/dmi
  mount --bind "$0/dmi" /sys/class/dmi
  set +e
  "$@"
  rc=$?
  /usr/lib/wine/wineserver -w
  exit $rc' "$work" "$scripts/wine-run.sh" "$@"
