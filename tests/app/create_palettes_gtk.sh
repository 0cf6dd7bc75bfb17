#!/usr/bin/env bash
# The create, edit and selection palettes on the real back end, on a virtual display of its own,
# over the default scene: the create palette's "sphere" adds a sphere; the pointer resting on "align x
# left" makes it glow; a stretched cube made with Shift held joins the sphere in the selection, and
# "align x left" moves it; the selection palette fades while the pointer is away. No run may print a
# sanitizer report. Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

start_program
sleep 3
create="$(visible_window "create palette")"
edit="$(visible_window "edit palette")"
selection="$(visible_window "selection palette")"
if [ -z "$create" ] || [ -z "$edit" ] || [ -z "$selection" ]; then
  fail "the create, edit and selection palettes did not all appear"
  kill $pid; wait $pid; end_run
fi

check
add_sphere

# A stretched cube (56 8 84 36), then "sel spheres" (20 78 38 96) with Shift held: the sphere joins the
# cube in the selection. Shift goes down and up over the main window, which takes the keys.
check
click_in "$create" 56 8 84 36
sleep 1.5
capture cube.png
differs sphere.png cube.png || fail "the stretched cube did not show"
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + 5))
sleep 0.3
xdotool keydown shift
sleep 0.3
click_in "$selection" 20 78 38 96
sleep 0.5
xdotool mousemove $((X + WIDTH / 2)) $((Y + 5))
sleep 0.3
xdotool keyup shift
sleep 1
capture both.png
differs cube.png both.png || fail "\"sel spheres\" with Shift did not add the sphere to the selection"

# The create palette's "edit text" tab (2 330 17 368) brings the edit palette back; "align x left"
# lies at 0 20 18 38 in "align" (20 216 58 316). Resting on it, it glows.
check
click_in "$create" 2 330 17 368
sleep 1
read -r x y < <(at "$edit" 29 245)
xdotool mousemove "$x" "$y"
sleep 2
import -window "$edit" glow1.png 2>/dev/null
sleep 0.5
import -window "$edit" glow2.png 2>/dev/null
differs glow1.png glow2.png || fail "the hovered align button did not glow"

check
xdotool click 1
sleep 1.5
capture aligned.png
differs both.png aligned.png || fail "align x left did not move the selection"

# Over the selection palette its tools show; four seconds away, they have faded.
check
fades_away "$selection" 38 260 || fail "the selection palette did not fade while the pointer was away"

# The new objects are unsaved changes, which Ctrl+Q would ask about: the run is ended instead.
check
kill $pid
wait $pid
end_run
