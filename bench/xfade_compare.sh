#!/bin/sh
# Our compositor against ffmpeg's xfade filter, the same transitions at 1920 x 1080, in frames per
# second, measured side by side in one run.
#
#   bench/xfade_compare.sh [BUILD_DIR]      (default: build)
#
# ffmpeg: two 1920 x 1080 colour sources in planar RGB with alpha (4 bytes a pixel, as our
# frames), xfade on one filter thread (our compositor is one thread too), output discarded. The
# run without xfade (sources and sink only) is timed as well and its time taken off, so the xfade
# figure is the filter's own. Ours: compositor_bench's frame time for the same pattern.
set -eu
for tool in ffmpeg bc; do
  command -v "$tool" >/dev/null || { echo "xfade_compare.sh needs $tool: run 'make bench-deps'" >&2; exit 1; }
done
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$top/$build ;; esac
cmake --build "$build" --target compositor_bench >/dev/null
bench=$build/bench/compositor_bench
size=1920x1080
secs=4

now() { date +%s.%N; }

# Seconds for one ffmpeg run of filter graph $1; prints "frames seconds".
run_ffmpeg() {
  t0=$(now)
  frames=$(ffmpeg -hide_banner -nostdin -loglevel error -filter_threads 1 \
    -f lavfi -i "color=c=0x3060a0:s=$size:r=60:d=$secs,format=gbrap" \
    -f lavfi -i "color=c=0xa06030:s=$size:r=60:d=$secs,format=gbrap" \
    -filter_complex "$1" -progress pipe:1 -f null - | sed -n 's/^frame=//p' | tail -1)
  t1=$(now)
  echo "$frames $(echo "$t1 - $t0" | bc -l)"
}

# Sources and sink alone: both inputs consumed, nothing blended.
set -- $(run_ffmpeg "[0][1]concat=n=2:v=1:a=0")
base_frames=$1 base_secs=$2
base_per_frame=$(echo "$base_secs / $base_frames" | bc -l)

printf '%-22s %-12s %12s %14s %8s\n' "ours" "xfade" "ours fps" "xfade fps" "ratio"
for pair in "Fade:fade:23" "Wipe-right:wiperight:6" "Wipe-left:wipeleft:7" "Wipe-up:wipeup:4" \
  "Wipe-down:wipedown:5" "Circle-out:circleopen:3" "Circle-in:circleclose:2" \
  "Split-vertical-out:vertopen:14" "Split-vertical-in:vertclose:13" \
  "Split-horizontal-out:horzopen:16" "Split-horizontal-in:horzclose:15" \
  "Random-dissolve:dissolve:12"; do
  name=${pair%%:*}
  rest=${pair#*:}
  xfade=${rest%%:*}
  effect=${rest#*:}
  ms=$("$bench" --benchmark_filter="^BM_Transition/$effect/1920/1080\$" --benchmark_min_time=0.5 \
    --benchmark_format=csv 2>/dev/null | awk -F, '/^"BM_Transition/ {print $3}')
  ours=$(echo "1000 / $ms" | bc -l)
  # xfade over the whole second input: every output frame but the first half second blends.
  set -- $(run_ffmpeg "[0][1]xfade=transition=$xfade:duration=$((secs - 1)):offset=0.5")
  net=$(echo "$2 / $1 - $base_per_frame" | bc -l)
  theirs=$(echo "1 / $net" | bc -l)
  printf '%-22s %-12s %12.0f %14.0f %7.1fx\n' "$name" "$xfade" "$ours" "$theirs" "$(echo "$ours / $theirs" | bc -l)"
done
