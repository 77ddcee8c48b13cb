#!/bin/sh
# The main job: builds the bundled example installer from examples/stowline
# and shows what it carries. Run after both presets are built (scripts/build.sh).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
example="$root/examples/stowline"
out="$root/build/example"
pack="$root/build/host/pack/lorent-pack"
mkdir -p "$out"

echo "== product cabinet"
rm -f "$out/product.cab"
(cd "$example/product" && find . -type f | sed 's|^\./||' | sort | xargs -d '\n' gcab -c -z "$out/product.cab")
gcab -l "$out/product.cab"

echo "== binding the installer"
"$pack" build "$example/package.lorent" \
  -D "stub=$root/build/win/app/lorent.exe" \
  -D "launcher=$root/build/win/launcher/UpdateModuleSetup.exe" \
  -D "cabinet=$out/product.cab" \
  --output "$out/StowlineSetup.exe"

echo "== what the installer carries"
"$pack" inspect "$out/StowlineSetup.exe"

echo "== verifying its settings"
"$pack" verify "$out/StowlineSetup.exe" --setup "$example/product/setup.bat"
