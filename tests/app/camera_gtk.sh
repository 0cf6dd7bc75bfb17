#!/usr/bin/env bash
# The camera on the real back end, on a virtual display of its own, over the default scene: a
# Space+Alt drag turns the camera with the trackball and leaves the pointer where the press was, and
# the captured window changes. No run may print a sanitizer report.
# Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

start_program
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
# A point in the sky above the horizon, away from every object.
press_x=$((X + WIDTH / 2 - 200))
press_y=$((Y + HEIGHT / 2 + 12 - 140))
capture start.png

check
xdotool mousemove "$press_x" "$press_y" keydown space keydown alt
sleep 0.3
xdotool mousedown 1
sleep 0.5
for _ in 1 2 3; do xdotool mousemove_relative -- 25 0; sleep 0.4; done
xdotool mouseup 1
sleep 0.3
xdotool keyup alt keyup space
sleep 1.5
eval "$(xdotool getmouselocation --shell)"
[ "$X" = "$press_x" ] && [ "$Y" = "$press_y" ] || fail "the pointer is at ($X, $Y), not back at ($press_x, $press_y)"
capture turned.png
differs start.png turned.png || fail "a Space+Alt drag did not turn the view"

# The turned camera is an unsaved change, which Ctrl+Q would ask about: the run is ended instead.
check
kill $pid
wait $pid
end_run
