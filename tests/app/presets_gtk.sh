#!/usr/bin/env bash
# The preset palette on the real back end, on a virtual display of its own, with the build's preset
# libraries beside the program: a click on the edit palette's "edit plopup" shows the window
# "objmatpresets" 15 pixels right of the control palette (clamped to the screen), its first thumbnail
# is not black, Escape closes it and Ctrl+Q ends the program with status 0. No run may print a
# sanitizer report. Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"
cp -r "$(dirname "$2")/Presets" "$work/"

start_program
sleep 3
edit="$(visible_window "edit palette")"
control="$(visible_window "control palette")"
if [ -z "$edit" ] || [ -z "$control" ]; then
  fail "the edit and control palettes did not both appear"
  kill $pid; wait $pid; end_run
fi

# "edit plopup" is at 3 370 17 384 of the edit palette; a quick click leaves the palette open.
check
click_in "$edit" 3 370 17 384
presets="$(visible_window "objmatpresets")"
if [ -z "$presets" ]; then
  fail "a click on \"edit plopup\" showed no preset palette"
  kill $pid; wait $pid; end_run
fi
sleep 2
eval "$(xdotool getwindowgeometry --shell "$control")"
wanted=$((X + WIDTH + 15))
eval "$(xdotool getwindowgeometry --shell "$presets")"
read -r screen_width _ < <(xdotool getdisplaygeometry)
[ "$wanted" -gt $((screen_width - WIDTH)) ] && wanted=$((screen_width - WIDTH))
[ "$X" = "$wanted" ] || fail "the preset palette is at x = $X, not $wanted beside the control palette"

# The first grid cell (the grid at 32 110 of the palette, its first cell 2 2 54 54 within it).
check
import -window "$presets" presets.png 2>/dev/null
pixel="$(pixel_hex presets.png $((110 + 28)) $((32 + 28)))"
# Neither black (an empty cell) nor the grid's own background.
[ -n "$pixel" ] && [ "$pixel" != 000000 ] && [ "$pixel" != 20262e ] || fail "the first thumbnail is not drawn ($pixel)"

check
xdotool windowfocus --sync "$presets" 2>/dev/null
xdotool key Escape
sleep 1.5
[ -z "$(xdotool search --onlyvisible --name '^objmatpresets$' 2>/dev/null)" ] || fail "Escape left the preset palette open"

check
xdotool windowfocus --sync "$main" 2>/dev/null
xdotool key ctrl+q
expect_quit
end_run
