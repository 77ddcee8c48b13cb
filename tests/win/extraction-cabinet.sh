#!/bin/sh
# extraction-cabinet.sh OUTDIR
# The product cabinet of the extraction tests: made by gcab -c -z (MSZIP) from
# files in folders, kept beside it in OUTDIR/src for comparison.
set -e
out=$1
rm -rf "$out"
mkdir -p "$out/src/bin" "$out/src/manual/guide"
seq 1 20000 >"$out/src/bin/numbers.txt"
printf 'read me\r\n' >"$out/src/manual/guide/readme.txt"
printf 'top level\r\n' >"$out/src/top.txt"
cd "$out/src"
gcab -c -z ../product.cab bin/numbers.txt manual/guide/readme.txt top.txt
