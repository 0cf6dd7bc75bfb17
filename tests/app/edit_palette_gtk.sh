#!/usr/bin/env bash
# The edit palette on the real back end, on a virtual display of its own, over the default scene: a
# click selects the ground, and a drag to the right on the "reposition" button's right arrow (zone 2)
# moves it, which changes the captured document window. No run may print a sanitizer report.
# Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

start_program
sleep 3
palette="$(visible_window "edit palette")"
[ -n "$palette" ] || { fail "no edit palette window appeared"; kill $pid; wait $pid; end_run; }
eval "$(xdotool getwindowgeometry --shell "$main")"
ground_x=$((X + WIDTH / 2))
ground_y=$((Y + HEIGHT / 2 + 12 + 120))
eval "$(xdotool getwindowgeometry --shell "$palette")"
# The right arrow of "reposition" (rect 20 146 84 210 in the palette): the middle of its zone 2.
arrow_x=$((X + 146 + 52))
arrow_y=$((Y + 20 + 32))

check
xdotool mousemove "$ground_x" "$ground_y" click 1
sleep 1.5
capture selected.png

check
xdotool mousemove "$arrow_x" "$arrow_y" mousedown 1
sleep 0.5
for _ in 1 2 3 4; do xdotool mousemove_relative -- 10 0; sleep 0.3; done
xdotool mouseup 1
sleep 1.5
capture moved.png
differs selected.png moved.png || fail "a drag on the reposition button did not move the selected ground"

# The moved ground is an unsaved change, which Ctrl+Q would ask about: the run is ended instead.
check
kill $pid
wait $pid
end_run
