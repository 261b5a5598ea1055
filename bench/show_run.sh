#!/usr/bin/env bash
# Runs the full-screen show on an Xvfb of its own at 1920 x 1080 and prints what it costs: the
# CPU share of one core between transitions and during them, the frames per second during
# transitions, the time from start to the blank page on the screen, and the peak memory.
# Usage: bench/show_run.sh [BRELINDE] [SECONDS] [EFFECT]
#   BRELINDE defaults to build/brelinde, SECONDS to 45 (at least 30), EFFECT to the stored default.
# The page view's frames are counted through BRELINDE_FRAME_LOG (one line per painted frame).
set -euo pipefail
BIN=${1:-build/brelinde}
DURATION=${2:-45}
EFFECT=${3:-}
[ -x "$BIN" ] || { echo "no program at $BIN (build first)"; exit 1; }
[ "$DURATION" -ge 30 ] || { echo "run at least 30 s"; exit 1; }
REG="$(dirname "$BIN")/tools/brelinde-reg/brelinde-reg"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/brelinde-bench-XXXXXX")
XVFB_PID= SHOW_PID=
cleanup() {
  [ -n "$SHOW_PID" ] && kill -9 "$SHOW_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
# BENCH_KEEP=folder keeps the frame log and the CPU samples there.
keep() { [ -n "${BENCH_KEEP:-}" ] && cp "$WORK"/frames.log "$WORK"/cpu.samples "$BENCH_KEEP"/ 2>/dev/null; true; }
export TMPDIR="$WORK/tmp" XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$TMPDIR" "$XDG_CONFIG_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$WORK/display" 2>/dev/null &
XVFB_PID=$!
for _ in $(seq 200); do [ -s "$WORK/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$WORK/display")"

if [ -n "$EFFECT" ]; then
  "$REG" add 'HKCU\Software\Kaltvor\Kaltvor - Brelinde' /v Effect /t REG_DWORD /d "$EFFECT" /f >/dev/null
fi

LOG="$WORK/frames.log" SAMPLES="$WORK/cpu.samples"
: >"$LOG"
START=$(date +%s%N)
BRELINDE_FRAME_LOG="$LOG" "$BIN" /s 2>"$WORK/stderr" &
SHOW_PID=$!

# CPU time of the show (user + system, in clock ticks) every 100 ms.
TCK=$(getconf CLK_TCK)
END=$((START + DURATION * 1000000000))
while [ "$(date +%s%N)" -lt "$END" ] && kill -0 "$SHOW_PID" 2>/dev/null; do
  read -r -a stat <"/proc/$SHOW_PID/stat"
  # Fields after the command name: utime is field 14, stime 15 (command names have no blanks here).
  echo "$(date +%s%N) $((stat[13] + stat[14]))" >>"$SAMPLES"
  sleep 0.1
done
PEAK_KB=$(awk '/^VmHWM:/ {print $2}' "/proc/$SHOW_PID/status")
kill -TERM "$SHOW_PID"
wait "$SHOW_PID" || true
SHOW_PID=
keep

awk -v start="$START" -v tck="$TCK" -v peak_kb="$PEAK_KB" -v duration="$DURATION" '
function median(a, n,    i, j, t) {
  for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
  if (n == 0) return -1
  return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
}
FNR == 1 { file++ }
file == 1 {  # the frame log: transitions are from a page shown to the transition finished
  t = $1 / 1e9
  if ($2 == "shown") { if (first_shown == "") first_shown = t; open_at = t }
  else if ($2 == "finished" && open_at != "") { n_tr++; tr_from[n_tr] = open_at; tr_to[n_tr] = t; open_at = "" }
  else if ($2 == "paint") { n_paint++; paint[n_paint] = t; if (first_shown != "" && first_paint == "") first_paint = t }
  next
}
{  # CPU samples
  n_s++; st[n_s] = $1 / 1e9; sc[n_s] = $2 / tck
}
END {
  # Frames per second of each transition.
  for (i = 1; i <= n_tr; i++) {
    frames = 0
    for (k = 1; k <= n_paint; k++) if (paint[k] > tr_from[i] && paint[k] <= tr_to[i]) frames++
    fps[i] = frames / (tr_to[i] - tr_from[i]); fps_copy[i] = fps[i]
  }
  # CPU share of each 100 ms step, by where the step lies. Start-up (to half a second after the
  # blank page) counts for neither.
  settle = first_paint + 0.5
  for (i = 2; i <= n_s; i++) {
    a = st[i - 1]; b = st[i]; if (a < settle) continue
    during = 0; near = 0
    for (j = 1; j <= n_tr; j++) {
      if (a < tr_to[j] && b > tr_from[j]) during = 1
      # a step that touches a transition edge (navigation, last frames) is left out of both
      if ((a < tr_from[j] && b > tr_from[j]) || (a < tr_to[j] && b > tr_to[j])) near = 1
    }
    if (open_at != "" && b > open_at) during = 1
    if (near) continue
    share = (sc[i] - sc[i - 1]) / (b - a) * 100
    if (during) { n_in++; in_share[n_in] = share; in_cpu += sc[i] - sc[i - 1]; in_time += b - a }
    else { n_out++; out_share[n_out] = share; out_cpu += sc[i] - sc[i - 1]; out_time += b - a }
  }
  printf "show on Xvfb 1920x1080, %d s, %d transitions\n", duration, n_tr
  printf "time from start to the blank page on the screen: %.0f ms\n", (first_paint - start / 1e9) * 1000
  out_mean = -1; if (out_time > 0) out_mean = out_cpu / out_time * 100
  in_mean = -1; if (in_time > 0) in_mean = in_cpu / in_time * 100
  printf "CPU between transitions: %.2f %% of one core (mean over %.1f s; median of 100 ms steps %.1f %%)\n", out_mean, out_time, median(out_share, n_out)
  printf "CPU during transitions:  %.1f %% of one core (mean over %.1f s; median of 100 ms steps %.1f %%)\n", in_mean, in_time, median(in_share, n_in)
  printf "frames per second during transitions: median %.1f (per transition:", median(fps_copy, n_tr)
  for (i = 1; i <= n_tr; i++) printf " %.1f", fps[i]
  printf ")\n"
  printf "peak memory (VmHWM): %.1f MB\n", peak_kb / 1024
}' "$LOG" "$SAMPLES"
