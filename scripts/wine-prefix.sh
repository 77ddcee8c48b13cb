#!/bin/sh
# wine-prefix.sh BUILD_DIR [DEST]
# Makes the build's Wine prefix template once (BUILD_DIR/wine/template), set up
# for tests: no window-manager wait when dialogs close, no crash dialog. With
# DEST, copies the template there when DEST does not exist yet.
set -e
build=$(cd "$1" && pwd)
dest=${2:-}
template="$build/wine/template"
mkdir -p "$build/wine"
wine=/usr/lib/wine/wine64
(
  flock 9
  if [ ! -f "$template/.lorent-ready" ]; then
    rm -rf "$template"
    export WINEPREFIX="$template" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    $wine wineboot -i >/dev/null 2>&1
    $wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    $wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # Japanese glyphs under an English locale come through a font link.
    for font in 'MS Shell Dlg' 'MS Shell Dlg 2' 'Tahoma'; do
      $wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$font" \
        /t REG_MULTI_SZ /d 'NotoSansCJK-Regular.ttc,Noto Sans CJK JP' /f >/dev/null 2>&1
    done
    /usr/lib/wine/wineserver -w
    # Wine links the user's Desktop, Documents and the like to the Linux home
    # folder. A test that chooses a folder there (the folder browser starts at
    # the Desktop) must not write outside the prefix: make them plain folders.
    for link in "$template"/drive_c/users/*/*; do
      if [ -L "$link" ]; then rm "$link" && mkdir "$link"; fi
    done
    touch "$template/.lorent-ready"
  fi
  if [ -n "$dest" ] && [ ! -d "$dest" ]; then
    cp -a "$template" "$dest"
  fi
) 9>"$build/wine/.lock"
