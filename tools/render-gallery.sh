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
n=0
# One sheet per effect, named after the effect's index and its name as the settings dialog lists it.
"$tool" --list | while IFS= read -r name; do
  file=$(printf '%02d-%s.png' "$n" "$(echo "$name" | tr 'A-Z ' 'a-z-')")
  "$tool" "$top/pictures/slides/slide00.jpg" "$top/pictures/slides/slide01.jpg" --effect "$n" \
    --size 240x135 --steps 9 --columns 3 --seed 7 --sheet "$out/$file"
  n=$((n + 1))
done
