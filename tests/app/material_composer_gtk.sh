#!/usr/bin/env bash
# The material composer on the real back end, on a virtual display of its own, over a document of
# one sphere: Ctrl+A and Ctrl+E bring up "materials composer"; a drag to the right on "diffusion value
# slider" moves its bar, and the preview, rendered again in idle time, changes; a click on the grid
# gives component a a texture of the library, whose swatches render in idle time and are no flat
# fill; Escape hides the composer. No run may print a sanitizer report.
# Arguments: the program, the build's data/ folder and quarn2-scene.
scene_tool="$3"
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

printf 'sphere ball at 0 2 0 size 4 4 4\n' > scene.txt
"$scene_tool" scene.txt scene.qnc > /dev/null 2>&1 || { echo "FAIL: quarn2-scene"; exit 1; }

# In the composer's window (the layout's rectangles): the grid's cell of component a in the diffuse
# row, component a's colour, alpha and bump swatches, the diffusion slider and the preview.
grid_cell="$((336 + 31)) $((50 + 128))"
swatches="32x32+496+300 32x32+534+300 32x32+572+300"
slider="100x14+90+38"
preview="150x150+460+34"

capture_composer() {
  import -window "$composer" "$1" 2>/dev/null
}

./Quarn2 scene.qnc 2> run.err &
pid=$!
main="$(visible_window Quarn2)"
[ -n "$main" ] || { echo "FAIL: no main window appeared"; kill -9 $pid; exit 1; }
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 5))"

check
open_composer

check
sleep 4
capture_composer before.png
xdotool mousemove "$((cx + 100))" "$((cy + 45))" mousedown 1
sleep 0.3
for _ in 1 2 3 4 5 6 7 8 9; do xdotool mousemove_relative -- 10 0; sleep 0.1; done
xdotool mouseup 1
sleep 4
capture_composer after.png
[ "$(changed_in before.png after.png "$slider")" != 0 ] || fail "the drag left the diffusion slider as it was"

check
[ "$(changed_in before.png after.png "$preview")" != 0 ] || fail "the preview did not render the changed material"

check
set -- $grid_cell
xdotool mousemove "$((cx + $1))" "$((cy + $2))" click 1
sleep 4
capture_composer textured.png
most=0
for swatch in $swatches; do
  colours="$(convert textured.png -crop "$swatch" +repage -format %k info: 2>/dev/null)"
  [ "${colours:-0}" -gt "$most" ] && most=$colours
done
[ "$most" -gt 1 ] || fail "component a's swatches are flat fills"

check
xdotool key Escape
sleep 1.5
[ -z "$(xdotool search --onlyvisible --name '^materials composer$' 2>/dev/null)" ] || fail "Escape left the composer up"

check
kill $pid
wait $pid
end_run
