#!/bin/sh
# plant-links.sh BUILD PROGRAM [ARGS...]
# Runs a Windows test program in a prefix of its own after planting folder and
# file links in it. Wine shows a Unix symbolic link to a folder as a folder
# with FILE_ATTRIBUTE_REPARSE_POINT, as Windows shows a junction.
#
# C:\lorent-links\<case>\target\keep.txt   what the links point to
# C:\lorent-links\<case>\work\              the folder to remove, holding
#     link -> target, sub\deeplink -> target, sub\file.txt, file.txt
# (A Unix link to a file shows under Wine 8 as a plain file, and deleting it
# deletes the file it points to, so file links cannot be tested here.)
# C:\lorent-links\<case>\worklink -> work    a folder that is itself a link
set -e
build=$(cd "$1" && pwd)
shift
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
prefix="$build/wine/links"
"$scripts/wine-prefix.sh" "$build" "$prefix"
root="$prefix/drive_c/lorent-links"
rm -rf "$root"
for case in tree contents selftree selfcontents; do
  dir="$root/$case"
  mkdir -p "$dir/target" "$dir/work/sub"
  echo keep > "$dir/target/keep.txt"
  echo file > "$dir/work/file.txt"
  echo file > "$dir/work/sub/file.txt"
  ln -s "$dir/target" "$dir/work/link"
  ln -s "$dir/target" "$dir/work/sub/deeplink"
  ln -s "$dir/target" "$dir/worklink"
done
export WINEPREFIX="$prefix"
exec "$scripts/wine-run.sh" "$@"
