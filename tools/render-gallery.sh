#!/bin/sh
# Renders the contact sheets of all 25 transitions into docs/transitions/, with the page view's
# own engine (tools/render-transition): slide 0 giving way to slide 1, 9 frames from p = 0 to 1.
#
#   tools/render-gallery.sh [BUILD_DIR]     (default: build; builds render-transition there)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$top/$build ;; esac
cmake --build "$build" --target render-transition >/dev/null
tool=$build/tools/render-transition/render-transition
out=$top/docs/transitions
mkdir -p "$out"
names="box-in box-out circle-in circle-out wipe-up wipe-down wipe-right wipe-left vertical-blinds
horizontal-blinds checkerboard-across checkerboard-down random-dissolve split-vertical-in
split-vertical-out split-horizontal-in split-horizontal-out strips-left-down strips-left-up
strips-right-down strips-right-up random-bars-horizontal random-bars-vertical fade random"
n=0
for name in $names; do
  file=$(printf '%02d-%s.png' "$n" "$name")
  "$tool" "$top/pictures/slides/slide00.jpg" "$top/pictures/slides/slide01.jpg" --effect "$n" \
    --size 240x135 --steps 9 --columns 3 --seed 7 --sheet "$out/$file"
  n=$((n + 1))
done
