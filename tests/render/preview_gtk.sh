#!/usr/bin/env bash
# A preview mini-scene on the real back end, on a virtual display of its own: preview_gtk_check
# shows a canvas at (100, 100) whose preview element lies at (30, 20) in it. After a render the
# window must show the preview image's pixels there; a drag in the element must turn the camera away
# from its home and leave the wireframe on show. No run may print a sanitizer report.
# Argument: the preview_gtk_check program.
source "$(dirname "$(readlink -f "$0")")/../framework/ui/gtk_check.sh"
start_check "$1"

command() {  # sends a command and waits for its answer
  echo "$1" >&3
  wait_for "^done $1\$" || fail "no answer to $1"
  sleep 0.3
}
# The window's pixel as RRGGBB.
shown() {
  import -window "$canvas" "$work/shot.png" 2>/dev/null
  convert "$work/shot.png" -format "%[hex:p{$1,$2}]" info: 2>/dev/null | cut -c1-6
}
printed() { awk -v at="$1" '$1 == "pixel" && $2 == at {value = $4} END {print value}' "$work/out"; }

wait_for '^ready$' || { fail "the canvas did not come up: $(cat "$work/err")"; exit 1; }
canvas="$(awk '/^canvas / {print $2}' "$work/out")"
sleep 1

command render
grep -q '^rendered 0$' "$work/out" || fail "the render did not finish: $(grep rendered "$work/out")"
for at in 48 3; do
  expected="$(printed "$at")"
  seen="$(shown $((30 + at)) $((20 + at)))"
  [ -n "$expected" ] && [ "$seen" = "$expected" ] || fail "the window shows $seen at image ($at, $at), the image holds $expected"
done
[ "$(printed 48)" != "$(printed 3)" ] || fail "the sphere and the sky look alike: $(printed 48)"
[ "$(shown 5 5)" = "00C000" ] || fail "the canvas around the preview is $(shown 5 5)"

# A click beside the element makes the program the active one; then the drag.
xdotool mousemove 110 110 click 1
sleep 0.5
grep -q '^dragged ' "$work/out" && fail "a press beside the element dragged the camera"
xdotool mousemove 178 168 mousedown 1
sleep 0.3
xdotool mousemove 208 173
sleep 0.5
xdotool mouseup 1
wait_for '^dragged ' || fail "the drag was not taken"
read -r _ x y z <<< "$(grep '^dragged ' "$work/out")"
[ "$x $y $z" != "3.2500 1.2500 -3.2500" ] || fail "the camera stayed at home"
sleep 0.3
[ "$(printed 3 | tail -1)" = "CACACA" ] || fail "the image after the drag is not the wireframe: $(printed 3)"
[ "$(shown 33 23)" = "CACACA" ] || fail "the window shows $(shown 33 23) after the drag, not the wireframe's background"

finish "preview"
