#!/bin/sh
# screenshots.sh BUILD_DIR DPI
#
# Run by ui-scenario.sh (Wine prefix set, Xvfb screen open). Shows the failure
# report and a two-button box in English and in Japanese, photographs the
# screen with each box open, and writes BUILD_DIR/screenshots/BOX-LANG-DPI.png,
# the box alone (BOX-LANG-DPI-box.png) and the UI helper's description of the
# box (.txt). Fails when a box does not appear, does not close on its button,
# or a picture is missing.
set -e
build=$(cd "$1" && pwd)
dpi=$2
out="$build/screenshots"
mkdir -p "$out"
helpers="$build/tests/helpers"
run="$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run.sh"
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

shoot() {  # LANG_NAME BOX ARGUMENTS...
  lang=$1 box=$2
  shift 2
  name="$box-$lang-$dpi"
  rm -f "$out/$name.png" "$out/$name.txt" "$out/$name.ready" "$out/$name.go"
  "$run" "$helpers/uihelper.exe" --dump "$(windows_path "$out/$name.txt")" \
    --ready "$(windows_path "$out/$name.ready")" --go "$(windows_path "$out/$name.go")" \
    --action click:1001 -- "$(windows_path "$helpers/showbox.exe")" "$@" >"$out/$name.result" &
  helper=$!
  tries=0
  while [ ! -f "$out/$name.ready" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 300 ] || ! kill -0 $helper 2>/dev/null; then
      echo "$name: the box did not appear" >&2
      return 1
    fi
    sleep 0.1
  done
  sleep 0.5  # let the box finish painting
  import -window root "$out/$name.png"
  touch "$out/$name.go"
  wait $helper
  grep -q '^exit code: ' "$out/$name.result" || { echo "$name: the box did not close" >&2; return 1; }
  rm -f "$out/$name.ready" "$out/$name.go" "$out/$name.result"
  [ -s "$out/$name.png" ] || { echo "$name: no picture" >&2; return 1; }
  # A second picture of the box alone, cut out along its window rectangle.
  geometry=$(sed -n '1s/.* window=\([0-9-]*\),\([0-9-]*\),\([0-9]*\),\([0-9]*\) .*/\3x\4+\1+\2/p' "$out/$name.txt")
  [ -n "$geometry" ] && convert "$out/$name.png" -crop "$geometry" +repage "$out/$name-box.png"
  echo "$out/$name.png"
}

for lang in en ja; do
  case $lang in
    en) export LANG=C.UTF-8 ;;
    ja) export LANG=ja_JP.UTF-8 ;;
  esac
  # The language is fixed when the Wine session starts.
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  /usr/lib/wine/wineserver -w
  shoot $lang failure failure 1010
  shoot $lang twobuttons ask
done
