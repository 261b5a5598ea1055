#!/usr/bin/env bash
# The settings dialog of the real program on a real X display (its own Xvfb): the window as the
# window system sees it, real key presses and clicks, the exit code, and what lands in the hive.
set -u
BIN=$1
. "$(dirname "$0")/show_lib.sh"
host_pid=""
pid=""
# What this run started itself, then what show_lib.sh started.
end_all() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  cleanup
}
trap end_all EXIT
die() { echo "FAIL: $*"; exit 1; }
check() { if ! eval "$1"; then fail "$2"; fi; }

start_xvfb 1280x1024
export QT_QPA_PLATFORM=xcb
key='Software\Kaltvor\Kaltvor - Brelinde'

# The values of the settings key, one "name=type:value" a line, sorted.
stored() {
  [ -f "$HIVE" ] || return 0
  sqlite3 "$HIVE" "SELECT name || '=' || type || ':' || hex(data) FROM vals WHERE key = '$key' ORDER BY name;"
}

# Starts the program with ARGS; sets pid and dialog (its window id, decimal).
start() {
  "$BIN" "$@" >"$WORK/out" 2>"$WORK/err" &
  pid=$!
  dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^Kaltvor - Brelinde$' | head -n1)
  [ -n "$dialog" ] || die "no dialog window for '$*': $(cat "$WORK/err")"
  sleep 0.3  # let the window settle and take input
}

# Waits up to 5 s for the program to end; sets code to its exit code, or to "running". (In this
# shell, not a subshell: only the parent can reap the process and learn its code.)
ended() {
  code=running
  for _ in $(seq 50); do
    local state
    state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)
    if [ -z "$state" ] || [ "$state" = Z ]; then
      wait "$pid"
      code=$?
      pid=""
      return
    fi
    sleep 0.1
  done
}

# 1. No host window: centred, Escape leaves it open, Enter presses OK.
start
geometry=$(xwininfo -id "$dialog")
check '[[ "$geometry" == *"Width: 513"* && "$geometry" == *"Height: 401"* ]]' "client area is not 513x401: $geometry"
check '[[ "$geometry" == *"Absolute upper-left X:  383"* && "$geometry" == *"Absolute upper-left Y:  311"* ]]' \
  "not centred on the 1280x1024 screen: $geometry"
state=$(xprop -id "$dialog" _NET_WM_STATE)
check '[[ "$state" != *SKIP_TASKBAR* ]]' "without a host the dialog keeps its task-bar entry: $state"
xdotool windowfocus --sync "$dialog"
xdotool key Escape
sleep 0.5
ended
check '[ "$code" = running ]' "Escape closed the dialog"
check '[ -z "$(stored)" ]' "Escape stored: $(stored)"
xdotool key Return
ended
check '[ "$code" = 0 ]' "Enter did not end the program with 0"
check '[ "$(stored)" = "Effect=4:17000000" ]' "Enter (OK on the Tips page) stored: $(stored)"

# 2. A host window: the dialog is its transient without a task-bar entry; Abbrechen stores
# nothing and gives the host the input focus back.
xmessage -name brelinde-host -title brelinde-host "host" >/dev/null 2>&1 &
host_pid=$!
host=$(timeout 10 xdotool search --sync --onlyvisible --name '^brelinde-host$' | head -n1)
[ -n "$host" ] || die "no host window"
start "/c:$host"
transient=$(xprop -id "$dialog" WM_TRANSIENT_FOR)
check '[[ "$transient" == *"$(printf "0x%x" "$host")"* ]]' "not transient for the host $host: $transient"
state=$(xprop -id "$dialog" _NET_WM_STATE)
check '[[ "$state" == *_NET_WM_STATE_SKIP_TASKBAR* ]]' "with a host the dialog has a task-bar entry: $state"
xdotool windowfocus --sync "$dialog"
xdotool mousemove --window "$dialog" 465 380 click 1  # Abbrechen
ended
check '[ "$code" = 0 ]' "Abbrechen did not end the program with 0"
check '[ "$(stored)" = "Effect=4:17000000" ]' "Abbrechen changed the store: $(stored)"
check '[ "$(xdotool getwindowfocus)" = "$host" ]' "the host did not get the focus back"

# 3. OK on the Options page after picking an entry with the keyboard.
start
xdotool windowfocus --sync "$dialog"
xdotool mousemove --window "$dialog" 36 18 click 1  # the "Options" tab
sleep 0.2
xdotool mousemove --window "$dialog" 200 62 click 1  # opens the list
sleep 0.3
xdotool key Home Return  # "Box in"
sleep 0.2
xdotool mousemove --window "$dialog" 373 380 click 1  # OK
ended
check '[ "$code" = 0 ]' "OK did not end the program with 0"
check '[ "$(stored)" = "$(printf "ActiveTabSheet=4:01000000\nEffect=4:00000000")" ]' "OK on Options stored: $(stored)"

# 4. An owner that does not exist stops start-up, with the error box of start-up.
"$BIN" /c:2147483000 >/dev/null 2>"$WORK/err" &
pid=$!
box=$(timeout 10 xdotool search --sync --onlyvisible --name '^Anwendungsfehler$' | head -n1)
check '[ -n "$box" ]' "no start-up error box"
[ -n "$box" ] && xdotool windowfocus --sync "$box" key Return
ended
check '[ "$code" = 1 ]' "a missing owner exited $code"
check 'grep -qF "Das Fenster 2147483000 existiert nicht." "$WORK/err"' "no window error: $(cat "$WORK/err")"

exit $FAIL
