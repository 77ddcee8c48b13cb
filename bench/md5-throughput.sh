#!/bin/sh
# MD5 throughput: the stub's FileDigestText (under Wine) against md5sum, on the
# same 1 GiB file in one run, both from a warm page cache; best of three each.
#
#   bench/md5-throughput.sh [WIN_BUILD] [SIZE_MIB]
#
# WIN_BUILD is the Windows build folder (default build/win); the file is made
# there (bench/md5-1g.bin) and removed afterwards. Goal: ratio >= 0.9.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/win}" && pwd)
size=${2:-1024}
file="$build/bench/md5-input.bin"
bench="$build/bench/settings_bench.exe"
[ -x "$bench" ] || { echo "build settings_bench first: cmake --build --preset win" >&2; exit 1; }
trap 'rm -f "$file"' EXIT

echo "making a $size MiB file of random bytes"
head -c "$((size * 1024 * 1024))" /dev/urandom > "$file"
cat "$file" > /dev/null

best_md5sum=
for round in 1 2 3; do
  start=$(date +%s.%N)
  expected=$(md5sum "$file" | cut -d' ' -f1)
  end=$(date +%s.%N)
  t=$(echo "$end - $start" | bc -l)
  echo "md5sum round $round: $t s"
  if [ -z "$best_md5sum" ] || [ "$(echo "$t < $best_md5sum" | bc -l)" = 1 ]; then best_md5sum=$t; fi
done

export LORENT_WIN_BUILD="$build"
winpath="Z:$(echo "$file" | tr / '\\')"
"$here/../scripts/wine-run.sh" "$bench" digest "$winpath" 1 > /dev/null  # starts the wineserver
out=$("$here/../scripts/wine-run.sh" "$bench" digest "$winpath" 3 | tr -d '\r')
echo "$out" | sed 's/^/FileDigestText /'
digest=$(echo "$out" | sed -n 's/^digest //p')
best_stub=$(echo "$out" | sed -n 's/^best \([0-9.]*\) s$/\1/p')

if [ "$(echo "$digest" | tr 'A-F' 'a-f')" != "$expected" ]; then
  echo "digests differ: $digest / $expected" >&2
  exit 1
fi
echo
printf 'md5sum          %6.3f s  %7.1f MiB/s\n' "$best_md5sum" "$(echo "$size / $best_md5sum" | bc -l)"
printf 'FileDigestText  %6.3f s  %7.1f MiB/s\n' "$best_stub" "$(echo "$size / $best_stub" | bc -l)"
printf 'ratio (FileDigestText / md5sum throughput): %.2f (goal >= 0.90)\n' "$(echo "$best_md5sum / $best_stub" | bc -l)"
