#!/usr/bin/env bash
# The sky & fog palette on the real back end, on a virtual display of its own: the create palette's
# "sky&fog text" tab brings it forward; a drag of 30 pixels to the right on "haze intensity" changes
# the control palette's help lines while the button is held, and on release the haze reaches the
# document, whose preview in the control palette renders again; Ctrl+Q asks to save the change and
# "dont save" ends the program with status 0. No run may print a sanitizer report. Arguments: the
# program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

start_program
sleep 3
find_create_and_control

# "sky&fog text" lies at 2 392 17 450 of the create palette.
check
click_in "$create" 2 392 17 450
palette="$(visible_window "sky&fog palette")"
if [ -z "$palette" ]; then
  fail "the \"sky&fog text\" tab showed no sky & fog palette"
  kill $pid; wait $pid; end_run
fi
sleep 2
import -window "$palette" skyfog.png 2>/dev/null

# The help lines (404 4 516 116 of the control palette) and its preview (22 4 106 116).
readout=112x112+4+404
preview=112x84+4+22
check
read -r x y < <(at "$palette" 40 140)
xdotool mousemove "$x" "$y"
sleep 1.5
import -window "$control" hovered.png 2>/dev/null
xdotool mousedown 1
sleep 0.5
for step in 1 2 3 4 5 6; do
  xdotool mousemove $((x + 5 * step)) "$y"
  sleep 0.2
done
sleep 0.5
import -window "$control" dragging.png 2>/dev/null
[ "$(changed_in hovered.png dragging.png "$readout")" != 0 ] || fail "the drag left the help lines as they were"
import -window "$palette" dragged.png 2>/dev/null
xdotool mouseup 1

check
changed=""
for _ in 1 2 3 4 5 6 7 8; do
  sleep 0.5
  import -window "$control" released.png 2>/dev/null
  [ "$(changed_in hovered.png released.png "$preview")" != 0 ] && { changed=1; break; }
done
[ -n "$changed" ] || fail "the preview of the document did not change after the haze was let go"

# The new haze is an unsaved change, so quitting asks first.
check
quit_without_saving "a new haze"
end_run
