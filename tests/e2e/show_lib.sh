# Shared by the end-to-end runs of the real program (sourced): an Xvfb of our own on a free display, a temp
# folder and a hive of our own, the registry values, and the pages the show must write.
# Needs: BIN (the program) and REG (the hive editor) set by the caller.

FAIL=0
fail() { echo "FAIL: $*"; FAIL=1; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/brelinde-e2e-XXXXXX")
# The toolkit puts its runtime folder into TMPDIR when XDG_RUNTIME_DIR is unset: give it its own.
export TMPDIR="$WORK/tmp" XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$TMPDIR" "$XDG_CONFIG_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
HIVE="$XDG_CONFIG_HOME/brelinde/registry.db"
unset QT_QPA_PLATFORM
XVFB_PID=

cleanup() {
  [ -n "${SHOW_PID:-}" ] && kill -9 "$SHOW_PID" 2>/dev/null
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# start_xvfb WIDTHxHEIGHT: the server picks a free display and tells us which.
start_xvfb() {
  local fdfile="$WORK/display"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset 3>"$fdfile" 2>"$WORK/xvfb.log" &
  XVFB_PID=$!
  for _ in $(seq 200); do
    [ -s "$fdfile" ] && break
    sleep 0.05
  done
  [ -s "$fdfile" ] || { echo "Xvfb did not start"; cat "$WORK/xvfb.log"; exit 1; }
  export DISPLAY=":$(head -n1 "$fdfile")"
}

# wait_until SECONDS COMMAND...: true as soon as the command succeeds.
wait_until() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  while [ $SECONDS -le $end ]; do
    "$@" && return 0
    sleep 0.05
  done
  return 1
}

# ---- Registry ----------------------------------------------------------------------------------

SOUND_KEY='HKCU\AppEvents\Schemes\Apps\Explorer\Navigating\.current'
MAIN_KEY='HKCU\Software\Microsoft\Internet Explorer\Main'

reg_clear() { rm -f "$HIVE" "$HIVE-wal" "$HIVE-shm"; }
set_dword() { "$REG" add "$1" /v "$2" /t REG_DWORD /d "$3" /f >/dev/null || fail "reg add $1 $2"; }
set_sz() { "$REG" add "$1" /ve /t REG_SZ /d "$2" /f >/dev/null || fail "reg add $1 (default)"; }
# value_hex KEYPATH NAME: "type:hexdata" as stored, empty when absent (key paths without HKCU\).
value_hex() {
  [ -f "$HIVE" ] || return 0
  local key=${1#HKCU\\}
  sqlite3 "$HIVE" "SELECT type || ':' || hex(data) FROM vals WHERE key = '${key//\'/\'\'}' COLLATE NOCASE AND name = '$2' COLLATE NOCASE"
}
dword_hex() { printf '4:%02X%02X%02X%02X' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
sz_hex() { printf '1:'; printf '%s\0' "$1" | od -An -tx1 | tr -d ' \n' | tr a-f A-F; }
expect_value() {  # expect_value WHAT KEY NAME EXPECTED_HEX
  local got; got=$(value_hex "$2" "$3")
  [ "$got" = "$4" ] || fail "$1: $3 in $2 is '$got', expected '$4'"
}

# ---- Pages ---------------------------------------------------------------------------------

FADE='<meta http-equiv=Page-Exit content=blendTrans(Duration=3)>'
BODY='</head><body oncontextmenu="return false;" style="margin-top:0;margin-left:0;margin-bottom:0;margin-right:0" bgcolor="#000000">'
blank_page() { printf '<html><head>%s%s</body></html>' "$1" "$BODY"; }
# slide_page META W H PICTURE FIT
slide_page() {
  printf '<html><head>%s%s<table cellspacing="0" cellpadding="0" border="0" width="%d" height="%d" style="overflow:hidden"><tr><td width="%d" height="%d" style="overflow:hidden"><div align="center" style="overflow:hidden"><img src="%s" %s></div></td></tr></table></body></html>' \
    "$1" "$BODY" $(($2 + 1)) $(($3 + 1)) "$2" "$3" "$4" "$5"
}
page_file() { ls "$TMPDIR"/ins*.htm 2>/dev/null | head -n1; }
has_page() { [ -n "$(page_file)" ] && [ -s "$(page_file)" ]; }
shows_slide() { has_page && grep -q '<img src=' "$(page_file)"; }

# check_slide W H SLIDES_DIR: the page is the slide page for a window of W x H and its picture
# file, which is byte for byte one of the slides; the fit follows the picture's shape.
check_slide() {
  local page picture fit want n
  page=$(cat "$(page_file)")
  picture=$(sed -n 's/.*<img src="\([^"]*\)".*/\1/p' <<<"$page")
  [[ "$picture" == "$TMPDIR"/ins*.jpg ]] || { fail "picture file '$picture' is not a temp file"; return; }
  n=
  for f in "$3"/slide*.jpg; do
    if cmp -s "$f" "$picture"; then n=$(basename "$f" .jpg); break; fi
  done
  [ -n "$n" ] || { fail "the picture file is none of the slides"; return; }
  # Slides 02 and 12 are portrait (576 x 768); the others 1024 x 768.
  local pw=1024
  [ "$n" = slide02 ] || [ "$n" = slide12 ] && pw=576
  # FitAttribute: round(H / 768 * pw) < W gives height, else width (no exact halves here).
  if [ $(((2 * $2 * pw + 768) / (2 * 768))) -lt "$1" ]; then fit='height="100%"'; else fit='width="100%"'; fi
  want=$(slide_page "$FADE" "$1" "$2" "$picture" "$fit")
  [ "$page" = "$want" ] || fail "slide page differs: got $page"
  echo "  slide page for $n in $1x$2 ok"
}

temp_folder_empty() { [ -z "$(ls -A "$TMPDIR")" ]; }
running() { kill -0 "$SHOW_PID" 2>/dev/null; }
# wait_end: waits for the show to end (at most 10 s); its exit code goes to CODE.
wait_end() {
  CODE=timeout
  wait_until 10 bash -c "! kill -0 $SHOW_PID 2>/dev/null" || return
  wait "$SHOW_PID"
  CODE=$?
  SHOW_PID=
}
