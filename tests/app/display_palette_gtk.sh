#!/usr/bin/env bash
# The display palette on the real back end, on a virtual display of its own: the pointer over the
# strip shows its tools, which fade four seconds after it left; the background menu's "Black" turns
# the document window's background black; the "marker pen" button runs the marker pen, a drag with the
# left button draws a red stroke over what the screen showed, and a key ends it, the program still
# running and the stroke gone. No run may print a sanitizer report. Arguments: the program and the
# build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

# The pixels of a capture that are pure black.
black_pixels() {
  convert "$1" -fill white +opaque '#000000' -format '%c' histogram:info:- 2>/dev/null |
    awk '/#000000/ { sub(":", "", $1); print $1; found = 1 } END { if (!found) print 0 }'
}

start_program
sleep 3
display="$(visible_window "display palette")"
if [ -z "$display" ]; then
  fail "the display palette did not appear"
  kill $pid; wait $pid; end_run
fi

# The lower tools lie at 148 6 396 114 of the strip. Over them they show; away, they fade.
check
fades_away "$display" 300 60 || fail "the display palette's tools did not show under the pointer and fade away from it"

# "background selector" (210 6 272 60): once let go, its menu opens at its corner; row 2 is "Black"
# (rows of 24 pixels under a frame of 3).
check
capture before.png
click_in "$display" 210 6 272 60
sleep 1
read -r x y < <(at "$display" $((210 + 3 + 24 + 12)) $((6 + 30)))
xdotool mousemove "$x" "$y" click 1
sleep 1.5
capture black.png
before="$(black_pixels before.png)"
after="$(black_pixels black.png)"
[ "${after:-0}" -gt $((${before:-0} + 50000)) ] ||
  fail "\"Black\" left ${after:-?} black pixels in the document window (${before:-?} before)"

# "marker pen" (148 6 210 60): a stroke along y = 950 over the main window's empty part.
check
import -window root screen.png 2>/dev/null
under="$(pixel_hex screen.png 200 950)"
click_in "$display" 148 6 210 60
sleep 1
xdotool mousemove 100 950 mousedown 1
for x in 150 200 250 300; do
  xdotool mousemove "$x" 950
  sleep 0.1
done
xdotool mouseup 1
sleep 0.5
import -window root stroke.png 2>/dev/null
for row in 948 951; do
  [ "$(pixel_hex stroke.png 200 $row)" = ff0000 ] || fail "no red at (200, $row) of the stroke: $(pixel_hex stroke.png 200 $row)"
done
[ "$(pixel_hex stroke.png 200 960)" = "$(pixel_hex screen.png 200 960)" ] ||
  fail "beside the stroke the screen shows $(pixel_hex stroke.png 200 960), not $(pixel_hex screen.png 200 960) as before"
xdotool key a
sleep 1
import -window root after.png 2>/dev/null
[ "$(pixel_hex after.png 200 950)" = "$under" ] || fail "after the key the stroke's place shows $(pixel_hex after.png 200 950), not $under"
kill -0 $pid 2>/dev/null || fail "the program ended with the marker pen"

check
kill $pid
wait $pid
end_run
