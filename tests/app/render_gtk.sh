#!/usr/bin/env bash
# Rendering into the document window on the real back end, on a virtual display of its own: Ctrl+R
# (the Render menu's render item) renders the default scene into the window, which then differs inside
# the document image from the wireframe shown before. No run may print a sanitizer report.
# Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

start_program
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
# The document image sits in the middle of the main window below the menu bar; a square of it around
# the horizon holds sky and ground in the wireframe and in the render alike.
inside="200x120+$((WIDTH / 2 - 100))+$((HEIGHT / 2 + 12 - 60))"
capture wireframe.png

check
# The keys go to the window with the focus: the pointer over the main window's menu bar gives it.
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 5))"
xdotool key ctrl+r
capture_settled "$inside"
changed="$(changed_in wireframe.png now.png "$inside")"
[ "${changed:-0}" -gt 2000 ] || fail "Ctrl+R changed only ${changed:-0} pixels inside the document image"
# Above the horizon the wireframe view is grey, the rendered sky blue: what changed is the render, not
# a box in front of it. The render report opens over the middle of the image, so the sky is read
# left of it.
sky="$((WIDTH / 2 - 200)),$((HEIGHT / 2 + 12 - 120))"
read -r red blue <<< "$(convert now.png -format "%[fx:int(255*p{$sky}.r)] %[fx:int(255*p{$sky}.b)]" info: 2>/dev/null)"
[ "$((${blue:-0} - ${red:-0}))" -gt 60 ] || fail "the sky of the document image is not blue (red ${red:-?}, blue ${blue:-?})"

check
kill $pid
wait $pid
end_run
