#!/usr/bin/env bash
# The full-screen show of the real program on an Xvfb of 1280 x 1024: the blank page, the first
# picture after about 2.1 s, the registry values of other software during and after the show, and
# its end by a key, by mouse movement beyond 5 pixels, by a mouse button and by SIGTERM, SIGINT
# and SIGHUP, each leaving nothing behind.
# Usage: show_fullscreen.sh BRELINDE BRELINDE-REG SLIDES_DIR
set -u
BIN=$1 REG=$2 SLIDES=$3
. "$(dirname "$0")/show_lib.sh"

start_xvfb 1280x1024

# One show with the registry values given; ends it by $end: "key", "mouse", "click", or the signal
# "term", "int" or "hup".
# run_show END TRANSITIONS_BEFORE TRANSITIONS_DURING TRANSITIONS_AFTER SOUND_BEFORE SOUND_DURING SOUND_AFTER
# (a value "-" means absent; sound texts are the default value of the navigation sound key)
run_show() {
  local end=$1 tb=$2 td=$3 ta=$4 sb=$5 sd=$6 sa=$7
  echo "show ended by $end: Page_Transitions $tb, navigation sound '$sb'"
  reg_clear
  "$REG" add "$MAIN_KEY" /f >/dev/null
  [ "$tb" != - ] && set_dword "$MAIN_KEY" Page_Transitions "$tb"
  [ "$sb" != - ] && set_sz "$SOUND_KEY" "$sb"
  want_t() { [ "$1" = - ] && echo "" || dword_hex "$1"; }
  want_s() { [ "$1" = - ] && echo "" || sz_hex "$1"; }

  xdotool mousemove 640 512
  "$BIN" /s 2>"$WORK/stderr" &
  SHOW_PID=$!
  wait_until 10 has_page || { fail "no page file"; kill -9 "$SHOW_PID"; return; }
  local blank_at; blank_at=$(date -r "$(page_file)" +%s%N)
  [ "$(cat "$(page_file)")" = "$(blank_page "$FADE")" ] || fail "first page is not the blank page"
  # Maximised: the window covers the whole screen (Xvfb has no window manager).
  wait_until 5 bash -c "xwininfo -root -children | grep -q '\"Brelinde\": (\"brelinde\" \"Brelinde\")  1280x1024+0+0'" ||
    fail "no show window over the whole screen: $(xwininfo -root -children | grep Brelinde)"
  expect_value "during the show" "$MAIN_KEY" Page_Transitions "$(want_t "$td")"
  expect_value "during the show" "$SOUND_KEY" "" "$(want_s "$sd")"

  wait_until 8 shows_slide || fail "no picture within 8 s"
  local took=$((($(date -r "$(page_file)" +%s%N) - blank_at) / 1000000))
  echo "  first picture ${took} ms after the blank page"
  [ $took -ge 1800 ] && [ $took -le 5000 ] || fail "the first picture came after ${took} ms, not about 2.1 s"
  check_slide 1280 1024 "$SLIDES"
  running || fail "the show ended by itself"

  case $end in
    key) xdotool key a ;;
    mouse)
      xdotool mousemove 645 517 click 4 click 5
      sleep 0.7
      running || fail "a move of 5 pixels or the wheel ended the show"
      xdotool mousemove 650 522
      ;;
    click) xdotool click 3 ;;
    term | int | hup) kill -"${end^^}" "$SHOW_PID" ;;
  esac
  wait_end
  [ "$CODE" = 0 ] || fail "exit code $CODE after $end; stderr: $(cat "$WORK/stderr")"
  temp_folder_empty || fail "temp files left: $(ls "$TMPDIR")"
  expect_value "after the show" "$MAIN_KEY" Page_Transitions "$(want_t "$ta")"
  expect_value "after the show" "$SOUND_KEY" "" "$(want_s "$sa")"
}

run_show key 0 1 0 'C:\Windows\Media\Windows Navigation Start.wav' \
  'C:\Windows\Media\Windows Navigation Start.wav[deactivated]' 'C:\Windows\Media\Windows Navigation Start.wav'
run_show mouse 1 1 1 '' '[deactivated]' ''
run_show term 5 1 1 'a[deactivated]b' 'a[deactivated]b[deactivated]' 'a'
run_show key - - - - - -
run_show click 0 1 0 '' '[deactivated]' ''
run_show int 0 1 0 'x.wav' 'x.wav[deactivated]' 'x.wav'
run_show hup 1 1 1 - - -

[ $FAIL = 0 ] && echo "full-screen show: all passed"
exit $FAIL
