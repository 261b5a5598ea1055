#!/usr/bin/env bash
# The preview of the real program inside a host window of 152 x 112 on Xvfb: the show runs inside
# it, the mouse does nothing, a key press ends it; a host window that is destroyed ends it too.
# Both ends leave exit code 0, no temp file and the registry values as they were.
# Usage: show_preview.sh BRELINDE BRELINDE-REG SLIDES_DIR HOST_WINDOW_TOOL
set -u
BIN=$1 REG=$2 SLIDES=$3 HOST_TOOL=$4
. "$(dirname "$0")/show_lib.sh"

start_xvfb 1280x1024

# start_preview: a host window (fd 5 writes to it, fd 6 reads from it) and the show inside it.
start_preview() {
  reg_clear
  set_dword "$MAIN_KEY" Page_Transitions 0
  set_sz "$SOUND_KEY" 'nav.wav'
  coproc HOST { "$HOST_TOOL" 152 112; }
  read -r -t 10 HOST_ID <&"${HOST[0]}" || { fail "no host window"; return 1; }
  "$BIN" /p "$HOST_ID" 2>"$WORK/stderr" &
  SHOW_PID=$!
  wait_until 10 has_page || { fail "no page file"; return 1; }
  # The show window is a child of the host, at its top-left corner, of its size.
  wait_until 5 bash -c "xwininfo -children -id $HOST_ID | grep -q '1 child'" || fail "no child in the host"
  SHOW_WIN=$(xwininfo -children -id "$HOST_ID" | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p' | head -n1)
  local geometry; geometry=$(xwininfo -id "$SHOW_WIN" | awk -F: '/Relative upper-left X|Relative upper-left Y|  Width|  Height/ {gsub(/ /, "", $2); printf "%s ", $2}')
  [ "$geometry" = "0 0 152 112 " ] || fail "show window at x, y, width, height: $geometry"
  expect_value "during the preview" "$MAIN_KEY" Page_Transitions "$(dword_hex 1)"
}

check_clean_end() {  # check_clean_end HOW
  wait_end
  [ "$CODE" = 0 ] || fail "exit code $CODE after $1; stderr: $(cat "$WORK/stderr")"
  temp_folder_empty || fail "temp files left after $1: $(ls "$TMPDIR")"
  expect_value "after $1" "$MAIN_KEY" Page_Transitions "$(dword_hex 0)"
  expect_value "after $1" "$SOUND_KEY" "" "$(sz_hex nav.wav)"
}

echo "preview ended by a key"
if start_preview; then
  wait_until 8 shows_slide || fail "no picture within 8 s"
  check_slide 152 112 "$SLIDES"
  # The mouse does nothing: moves and clicks over the preview.
  xdotool mousemove 150 150 click 1 mousemove 200 190 click 3
  sleep 0.5
  running || fail "the mouse ended the preview"
  xdotool windowfocus --sync "$SHOW_WIN" key x
  check_clean_end "a key"
  exec {HOST[1]}>&-
  wait "$HOST_PID" 2>/dev/null
fi

echo "preview ended by its host window going away"
if start_preview; then
  echo destroy >&"${HOST[1]}"
  read -r -t 5 answer <&"${HOST[0]}"
  [ "$answer" = destroyed ] || fail "host tool answered '$answer'"
  check_clean_end "the host window's destruction"
  exec {HOST[1]}>&-
  wait "$HOST_PID" 2>/dev/null
fi

echo "preview of a window that does not exist"
reg_clear
set_dword "$MAIN_KEY" Page_Transitions 0
"$BIN" /p 12345 2>"$WORK/stderr" &
SHOW_PID=$!
# Start-up reports the error in a box; answer it.
wait_until 10 bash -c "xdotool search --name Anwendungsfehler >/dev/null" || fail "no error box"
xdotool windowfocus --sync "$(xdotool search --name Anwendungsfehler | head -n1)" key Return
wait_end
[ "$CODE" = 1 ] || fail "exit code $CODE for a missing host window"
grep -qF 'Das Fenster 12345 existiert nicht.' "$WORK/stderr" || fail "stderr: $(cat "$WORK/stderr")"
expect_value "after a failed start" "$MAIN_KEY" Page_Transitions "$(dword_hex 0)"
temp_folder_empty || fail "temp files left after a failed start: $(ls "$TMPDIR")"

[ $FAIL = 0 ] && echo "preview: all passed"
exit $FAIL
