#!/bin/sh
# Reading every setting of a run against one hash of the setup launcher, with
# a 500 MiB launcher: the launcher is held and hashed once, so all the reads
# should cost about one hash (the per-value hashing they replace is timed too).
#
#   bench/settings-read.sh [WIN_BUILD] [SIZE_MIB]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/win}" && pwd)
size=${2:-500}
folder="$build/bench/settings-folder"
bench="$build/bench/settings_bench.exe"
[ -x "$bench" ] || { echo "build settings_bench first: cmake --build --preset win" >&2; exit 1; }
trap 'rm -rf "$folder"' EXIT

rm -rf "$folder"
mkdir -p "$folder"
head -c "$((size * 1024 * 1024))" /dev/urandom > "$folder/UpdateModuleSetup.exe"
echo "the packaged setup" > "$folder/setup.exe"

export LORENT_WIN_BUILD="$build"
"$here/../scripts/wine-run.sh" "$bench" settings "Z:$(echo "$folder" | tr / '\\')" | tr -d '\r'
