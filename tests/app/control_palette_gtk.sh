#!/usr/bin/env bash
# The control palette on the real back end, on a virtual display of its own: its window shows beside
# the document window, and a click on its "render all button" renders the default scene into the
# document window, which then differs inside the document image from the wireframe shown before. No run
# may print a sanitizer report.
# Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

start_program
check
palette="$(visible_window "control palette")"
[ -n "$palette" ] || fail "no visible control palette"
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
main_width=$WIDTH
main_height=$HEIGHT
main_x=$X
main_y=$Y
if [ -n "$palette" ]; then
  eval "$(xdotool getwindowgeometry --shell "$palette")"
  # The palette is the band left of the document view, as tall as the view's block.
  [ "$WIDTH" = 120 ] && [ "$HEIGHT" = 520 ] || fail "the palette is ${WIDTH}x$HEIGHT, expected 120x520"
  [ $((X + WIDTH)) -le $((main_x + main_width / 2 - 240)) ] || fail "the palette at $X is not left of the document view"
fi
inside="200x120+$((main_width / 2 - 100))+$((main_height / 2 + 12 - 60))"
capture wireframe.png

check
if [ -n "$palette" ]; then
  # "render all button" lies at (4, 374) to (40, 398) of the palette.
  xdotool mousemove "$((X + 22))" "$((Y + 386))"
  sleep 0.5
  xdotool click 1
fi
capture_settled "$inside"
changed="$(changed_in wireframe.png now.png "$inside")"
[ "${changed:-0}" -gt 2000 ] || fail "the render all button changed only ${changed:-0} pixels inside the document image"

check
kill $pid
wait $pid
end_run
