#!/bin/bash
# The run's windows in English and Japanese at 96 and 120 DPI: the progress
# window's geometry, the after-install message, the result box, a warning and
# a failure report, each photographed to BUILD/screenshots/run-WINDOW-LANG-DPI.png
# (and -window.png, the window alone) for people to look at.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/stub-lib.sh"

settings | bind full
settings 'UseZEKACheck = 1' | bind maker
settings 'enc_data = 0123456789ABCDEF0123456789ABCDEF' | bind digest
# The message box faces of a Japanese Windows, drawn with the installed
# Noto Sans CJK JP (as tests/e2e/ui-scenario.sh does).
for face in Meiryo "MS UI Gothic"; do
  reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d 'Noto Sans CJK JP' /f
done

for dpi in 96 120; do
  reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f
  for lang in en ja; do
    case $lang in
      en) export LANG=C.UTF-8 ;;
      ja) export LANG=ja_JP.UTF-8 ;;
    esac
    session  # the language and the DPI are read when the Wine session starts
    tag=$lang-$dpi
    shot "run-progress-$tag" 'caption=Stowline;has=1007;sized=1'
    shot "run-after-$tag" 'caption=Stowline Viewer;has=1002;new=1;act=click:1000'
    shot "run-result-$tag" 'caption=Stowline Viewer;has=1002;new=1;act=click:1001'
    LORENT_RECORD_EXIT=1 drive full
    wait
    check "$tag full run: launched, exit code 1 ($params, $code)" test "$params/$code" = 'Yes|W\setup.exe|/manual/1'

    shot "run-warning-$tag" 'caption=Stowline;not=1007;new=1;act=click:1'
    drive maker
    wait
    shot "run-failure-$tag" 'caption=Error;has=1002;new=1;act=click:1001'
    drive digest
    wait
    check "$tag digest mismatch: nothing launched, exit code 0 ($params, $code)" test "$params/$code" = none/0
    check "$tag staging folder clean" staging_clean

    if [ $dpi = 96 ]; then
      size=399x89 bar=22,51,355,15 text=22,22,150,14
    else
      size=499x111 bar=28,64,444,19 text=28,28,188,18
    fi
    check "$tag progress window: client $size" shows "run-progress-$tag" "client=$size caption=\"Stowline\""
    check "$tag progress window: bar at $bar" shows "run-progress-$tag" "id=1007 class=msctls_progress32 visible=1 rect=$bar "
    check "$tag progress window: text at $text" shows "run-progress-$tag" "id=-1 class=Static visible=1 rect=$text "
    if [ $lang = en ]; then
      check "$tag texts: Extracting..., ENG message, Cancel, failure 1002, warning 102, failure 1001" sh -c "
        grep -qF 'text=\"Extracting...\"' '$work/run-progress-$tag.txt' &&
        grep -qF 'Restart your PC after setup.' '$work/run-after-$tag.txt' &&
        grep -qF 'text=\"Cancel\"' '$work/run-after-$tag.txt' &&
        grep -qF 'text=\"Setup failed.(Error Code: 1002)\"' '$work/run-result-$tag.txt' &&
        grep -qF 'This program runs on ZEKA computers only.' '$work/run-warning-$tag.txt' &&
        grep -qF 'text=\"Setup failed.(Error Code: 1001)\"' '$work/run-failure-$tag.txt'"
    else
      check "$tag texts: 展開中…, JPN message, キャンセル, failure 1002, warning 102, failure 1001" sh -c "
        grep -qF 'text=\"展開中…\"' '$work/run-progress-$tag.txt' &&
        grep -qF 'セットアップ後、必ずPCを再起動してください。' '$work/run-after-$tag.txt' &&
        grep -qF 'text=\"キャンセル\"' '$work/run-after-$tag.txt' &&
        grep -qF 'text=\"セットアップに失敗しました。(エラーコード：1002)\"' '$work/run-result-$tag.txt' &&
        grep -qF 'このプログラムはZEKA以外のコンピューターでは動作しません。' '$work/run-warning-$tag.txt' &&
        grep -qF 'text=\"セットアップに失敗しました。(エラーコード：1001)\"' '$work/run-failure-$tag.txt' &&
        grep -qF 'caption=\"Error\"' '$work/run-failure-$tag.txt'"
    fi
    for window in progress after result warning failure; do
      check "$tag picture of the $window" test -s "$screens/run-$window-$tag.png"
    done
  done
done
finish
