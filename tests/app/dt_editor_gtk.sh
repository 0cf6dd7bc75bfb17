#!/usr/bin/env bash
# The 3D texture editor on the real back end, on a virtual display of its own, over the default
# scene: Ctrl+A selects the ground and Ctrl+E brings up the material composer; a click on the grid
# gives component a a texture of the library, and an Alt-click on its colour swatch brings up
# "DTEditor". That texture shows its black colour in the final preview; choosing "Value" from the
# combiner's output menu has the preview render again in idle time, so two captures a few seconds
# apart differ inside it. A click on the two-component switch (or, when the texture has two already,
# the three-component one) changes the window; a click on component A's noise type brings up
# "DTSubEditor", whose preview shows the shaded cube, and its "dtsCancel" hides it; "cancel" hides
# the editor.
# No run may print a sanitizer report. Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

# In the composer's window (its layout's rectangles): the grid's cell of component a in the diffuse
# row and component a's colour swatch. In the editor's: the final preview, the combiner's output
# menu button (its pop-up's rows 19 pixels high from 3 below the press), the two- and three-component
# switches, the panels B and C, component A's noise type and "cancel". In the sub-editor's: its
# preview and "dtsCancel".
grid_cell="$((336 + 31)) $((50 + 128))"
swatch="512 316"
final_preview="92x92+732+30"
output_menu="860 83"
count_two="861 61"
count_three="928 61"
panels="472x282+248+30"
noise_type_a="173 65"
cancel="836 329"
sub_preview="68x68+10+34"
sub_cancel="284 219"

capture_editor() {
  import -window "$editor" "$1" 2>/dev/null
}

start_program
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 5))"

check
open_composer
set -- $grid_cell
xdotool mousemove "$((cx + $1))" "$((cy + $2))" click 1
sleep 2
set -- $swatch
xdotool mousemove "$((cx + $1))" "$((cy + $2))"
xdotool keydown alt
xdotool click 1
xdotool keyup alt
editor="$(visible_window "DTEditor")"
[ -n "$editor" ] || { fail "an Alt-click on the swatch showed no DTEditor"; kill $pid; wait $pid; end_run; }
eval "$(xdotool getwindowgeometry --shell "$editor")"
ex=$X
ey=$Y
sleep 3
capture_editor first.png

check
set -- $output_menu
xdotool mousemove "$((ex + $1))" "$((ey + $2))" click 1
sleep 1
xdotool mousemove "$((ex + $1 + 30))" "$((ey + $2 + 3 + 19 + 9))" click 1
sleep 4
capture_editor rendered.png
[ "$(changed_in first.png rendered.png "$final_preview")" != 0 ] || fail "the final preview did not render"

check
set -- $count_two
# The library's texture may have two components already: then the three-component switch is the one
# that changes the panels.
changed="$(xdotool mousemove "$((ex + $1))" "$((ey + $2))" click 1; changed_after "$editor" rendered.png two.png "$panels")"
if [ "$changed" = 0 ]; then
  set -- $count_three
  changed="$(xdotool mousemove "$((ex + $1))" "$((ey + $2))" click 1; changed_after "$editor" rendered.png two.png "$panels")"
fi
[ "$changed" != 0 ] || fail "neither component count switch changed the panels"

check
set -- $noise_type_a
xdotool mousemove "$((ex + $1))" "$((ey + $2))" click 1
sub="$(visible_window "DTSubEditor")"
if [ -z "$sub" ]; then
  fail "a click on component A's noise type showed no DTSubEditor"
else
  eval "$(xdotool getwindowgeometry --shell "$sub")"
  sleep 1
  import -window "$sub" sub.png 2>/dev/null
  shades="$(convert sub.png -crop "$sub_preview" +repage -format '%k' info: 2>/dev/null)"
  [ "${shades:-0}" -gt 2 ] || fail "the sub-editor's preview is a flat fill, not the shaded cube"
  set -- $sub_cancel
  xdotool mousemove "$((X + $1))" "$((Y + $2))" click 1
  sleep 1.5
  [ -z "$(xdotool search --onlyvisible --name '^DTSubEditor$' 2>/dev/null)" ] || fail "dtsCancel left the sub-editor up"
fi

check
set -- $cancel
xdotool mousemove "$((ex + $1))" "$((ey + $2))" click 1
sleep 1.5
[ -z "$(xdotool search --onlyvisible --name '^DTEditor$' 2>/dev/null)" ] || fail "cancel left the editor up"

check
kill $pid
wait $pid
end_run
