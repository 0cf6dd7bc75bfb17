#!/usr/bin/env bash
# The mouse in the document window on the real back end, on a virtual display of its own, over the
# default scene: a click on the ground selects it (its box and handles appear), a drag on it moves it,
# the pointer over the overlay button "A" of the selection frames it in white until it leaves, a drag
# in the sky shows a dotted band, and a Space-drag pans the camera and leaves the pointer where the
# press was. Each step changes the captured window. No run may print a sanitizer report.
# Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

start_program
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
# The default view looks level at the horizon in the middle of the view, which is the main window's
# middle below the menu bar: the ground lies below it, the sky above.
ground_x=$((X + WIDTH / 2))
ground_y=$((Y + HEIGHT / 2 + 12 + 120))
empty_x=$((X + WIDTH / 2 - 210))
empty_y=$((Y + HEIGHT / 2 + 12 - 150))
capture start.png

check
xdotool mousemove "$ground_x" "$ground_y" click 1
sleep 1.5
capture selected.png
differs start.png selected.png || fail "a click on the ground changed nothing on screen"

# The overlay buttons stand at the document image's lower right corner while something is selected.
check
button="30x30+$((WIDTH / 2 + 216))+$((HEIGHT / 2 + 134))"
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + HEIGHT / 2 - 60))"
sleep 1
capture away.png
xdotool mousemove "$((X + WIDTH / 2 + 231))" "$((Y + HEIGHT / 2 + 149))"
sleep 1
capture over.png
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + HEIGHT / 2 - 60))"
sleep 1
capture left.png
# The frame is white: the crop gains that many white pixels.
white() { convert "$1" -crop "$button" +repage -fill black +opaque white -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null; }
framed=$(($(white over.png) - $(white away.png)))
[ "$framed" -gt 40 ] || fail "the pointer over the overlay button added $framed white pixels, no frame"
restored="$(changed_in away.png left.png "$button")"
[ "${restored:-1}" = 0 ] || fail "the frame stayed after the pointer left (${restored:-?} pixels differ)"

check
xdotool mousemove "$ground_x" "$ground_y" mousedown 1
sleep 0.5
for _ in 1 2 3 4; do xdotool mousemove_relative -- 15 5; sleep 0.3; done
xdotool mouseup 1
sleep 1.5
capture moved.png
differs selected.png moved.png || fail "a drag on the selected ground changed nothing on screen"

check
xdotool mousemove "$empty_x" "$empty_y" mousedown 1
sleep 0.5
xdotool mousemove_relative -- 60 40
sleep 0.5
capture band.png
xdotool mouseup 1
sleep 1.5
capture after_band.png
# The band's outline: half of its pixels are gaps drawn in XOR.
outline="$(changed_in moved.png band.png "62x42+$((empty_x - X))+$((empty_y - Y))")"
[ "${outline:-0}" -gt 60 ] || fail "the selection band did not show during the drag ($outline pixels changed)"

check
xdotool mousemove "$empty_x" "$empty_y" keydown space
sleep 0.3
xdotool mousedown 1
sleep 0.5
for _ in 1 2 3; do xdotool mousemove_relative -- 20 10; sleep 0.4; done
xdotool mouseup 1
sleep 0.3
xdotool keyup space
sleep 1.5
eval "$(xdotool getmouselocation --shell)"
[ "$X" = "$empty_x" ] && [ "$Y" = "$empty_y" ] || fail "the pointer is at ($X, $Y), not back at ($empty_x, $empty_y)"
capture panned.png
differs after_band.png panned.png || fail "a Space-drag did not move the view"

# The moved ground is an unsaved change, which Ctrl+Q would ask about: the run is ended instead.
check
kill $pid
wait $pid
end_run
