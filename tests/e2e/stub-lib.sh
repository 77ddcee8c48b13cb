# Whole runs of the stub; sourced after lib.sh by the run scenarios.
#
# bind NAME < SECTIONS: binds $work/NAME.exe from the stub, the recording
#   launcher as UpdateModuleSetup.exe (or $LAUNCHER), a MessageInfo.xml, the
#   packaged setup setup.exe and a product cabinet (or $CABINET); the settings
#   sections come on standard input.
# drive NAME ARGS...: runs $work/NAME.exe through rundriver.exe with the steps
#   in the array STEPS; sets $code (full exit code, "none" when the driver
#   failed) and $params (the launcher parameter string the recording launcher
#   got, with the run's folder written as W; "none" when nothing was launched)
#   and $runtime (milliseconds from the start to the end of the program).
# staging_clean: true when the staging folder holds nothing but, on 6.0 and
#   later, one emptied run folder ($1 = "gone": the staging folder is gone;
#   "empty": it is there and empty).
stub="$LORENT_WIN_BUILD/app/lorent.exe"
screens="$LORENT_WIN_BUILD/screenshots"
staging="$WINEPREFIX/drive_c/ProgramData/ZEKA Corporation/Stowline/PackagingTemp"
export LORENT_RECORD
LORENT_RECORD=$(winpath "$work/record.txt")
STEPS=()

mkdir -p "$work/in/product/docs"
head -c 4000 /dev/urandom >"$work/in/setup.exe"
printf 'Stowline Viewer\r\n' >"$work/in/product/docs/readme.txt"
(cd "$work/in/product" && gcab -c -z "$work/in/product.cab" docs/readme.txt)
printf '\xef\xbb\xbf<?xml version="1.0" encoding="UTF-8"?>\n<MessageInfo>\n  <ENG>Restart your PC after setup. Save &amp; close other programs first.</ENG>\n  <JPN>セットアップ後、必ずPCを再起動してください。</JPN>\n</MessageInfo>\n' \
  >"$work/in/MessageInfo.xml"

bind() {
  {
    printf 'output = %s.exe\n[files]\n' "$1"
    printf 'MessageInfo.xml = in/MessageInfo.xml\nUpdateModuleSetup.exe = %s\nsetup.exe = in/setup.exe\n' \
      "${LAUNCHER:-$helpers/recordlauncher.exe}"
    printf 'cabinet = %s\n' "${CABINET:-in/product.cab}"
    cat
  } >"$work/$1.lorent"
  "$LORENT_PACK" build "$work/$1.lorent" --stub "$stub" >/dev/null
}

# The usual settings: manual, agent and agent-silent parameters, a result box
# for 0 and 3010, and the after-install message with OK and Cancel.
settings() {
  cat <<'EOF'
[AssistFile.ini]
ExecuteFileName = setup.exe
ParamManual = /manual
ParamDAM = /agent
ParamDAAU = /agent /silent
ProductName = Stowline Viewer
ShowResult = 1
SuccessCode = 0;3010
EOF
  printf '%s\n' "$@"
  printf '[MessageSetting.ini]\nIsShowMessageBox = %s\nIsOk = 0\n' "${MESSAGE:-1}"
}

drive() {
  local name=$1
  shift
  rm -f "$work/record.txt"
  local out
  # Into a file: a setup launcher that outlives the stub would hold a pipe open.
  wine "$helpers/rundriver.exe" --timeout 40 "${STEPS[@]}" -- "$(winpath "$work/$name.exe")" "$@" \
    >"$work/driver.out" 2>&1 || true
  out=$(cat "$work/driver.out")
  code=$(printf '%s\n' "$out" | sed -n 's/^exit code: 0x[0-9A-F]* (\([0-9]*\))\r*$/\1/p')
  [ -n "$code" ] || { code=none; echo "rundriver: $out" >&2; }
  runtime=$(printf '%s\n' "$out" | sed -n 's/^run time: \([0-9]*\) ms\r*$/\1/p')
  params=none
  if [ -f "$work/record.txt" ]; then
    params=$(sed -n 's/^cmdline="[^"]*UpdateModuleSetup.exe" \?//p' "$work/record.txt" | tr -d '\r' |
      sed 's/C:\\ProgramData\\ZEKA Corporation\\Stowline\\PackagingTemp\\{[0-9A-F-]*}\\/W\\/g')
  fi
  STEPS=()
}

# step ITEMS: adds a driver step (see rundriver.cpp); dump=NAME writes $work/NAME.txt.
step() {
  local spec=$1 name
  if [[ $spec =~ dump=([^\;]*) ]]; then
    name=${BASH_REMATCH[1]}
    spec=${spec/dump=$name/dump=$(winpath "$work/$name.txt")}
  fi
  STEPS+=(--step "$spec")
}

# shot NAME ITEMS: a step whose window is photographed to $screens/NAME.png
# (the screen, and the window alone as NAME-window.png) before it acts.
shot() {
  local name=$1 spec=$2
  mkdir -p "$screens"
  rm -f "$work/$name.ready" "$work/$name.go"
  step "$spec;dump=$name;ready=$(winpath "$work/$name.ready");go=$(winpath "$work/$name.go")"
  (
    for _ in $(seq 600); do
      if [ -f "$work/$name.ready" ]; then
        sleep 0.4
        import -window root "$screens/$name.png"
        geometry=$(sed -n '1s/.* window=\([0-9-]*\),\([0-9-]*\),\([0-9]*\),\([0-9]*\) .*/\3x\4+\1+\2/p' "$work/$name.txt")
        [ -n "$geometry" ] && convert "$screens/$name.png" -crop "$geometry" +repage "$screens/$name-window.png"
        touch "$work/$name.go"
        exit 0
      fi
      sleep 0.1
    done
  ) &
}

# shows FILE TEXT: the description FILE ($work/FILE.txt) holds TEXT.
shows() { grep -qF -- "$2" "$work/$1.txt"; }

staging_clean() {
  if [ "${1:-}" = gone ]; then
    [ ! -e "$staging" ]
    return
  fi
  local entries
  entries=$(find "$staging" -mindepth 1 2>/dev/null)
  if [ "${1:-}" = empty ]; then
    [ -d "$staging" ] && [ -z "$entries" ]
    return
  fi
  [ "$(printf '%s\n' "$entries" | grep -c .)" = 1 ] &&
    printf '%s\n' "$entries" | grep -qE '/\{[0-9A-F-]{36}\}$' && [ -d "$entries" ]
}

# session [LANG]: a fresh Wine session (language and DPI are read when it starts).
session() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  /usr/lib/wine/wineserver -w 2>/dev/null || true
}

# reg ARGS: "wine reg" in the scenario's prefix. A start of reg.exe can fail
# when the machine is busy: one more try, then the scenario stops and says so.
reg() {
  wine reg "$@" >/dev/null 2>&1 && return 0
  sleep 1
  wine reg "$@" >/dev/null 2>&1 && return 0
  echo "reg $* failed" >&2
  return 1
}
agent_key='HKLM\SOFTWARE\ZEKA Corporation\Davivido zazur'
