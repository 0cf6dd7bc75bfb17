#!/usr/bin/env bash
# The terrain editor on the real back end, on a virtual display of its own: a document of one
# generated terrain, Ctrl+A and Ctrl+T show the editor, whose 2D view shows the grid through the
# colour gradient (many colours, not a flat fill); a click on "elev smoothing" changes the view; Tab
# shows the filtering panel, a drag across its curve redraws the curve, the resolution pop-up's
# "256 x 256" changes the 2D view and Ctrl+I inverts it; Escape closes the editor. No run may print a
# sanitizer report.
# Arguments: the program, the build's data/ folder and quarn2-scene.
scene_tool="$3"
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

printf 'terrain T generate 7\n' > scene.txt
"$scene_tool" scene.txt doc.qnc > /dev/null 2>&1 || { echo "FAIL: quarn2-scene"; exit 1; }

./Quarn2 doc.qnc 2> run.err &
pid=$!
main="$(visible_window Quarn2)"
[ -n "$main" ] || { echo "FAIL: no main window appeared"; kill -9 $pid; exit 1; }
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 5))"

check
xdotool key ctrl+a
sleep 1
xdotool key ctrl+t
editor="$(visible_window "terrain editor")"
[ -n "$editor" ] || { fail "Ctrl+T showed no terrain editor"; kill $pid; wait $pid; end_run; }
# The relief rises in the 3D view while the editor settles.
sleep 3
eval "$(xdotool getwindowgeometry --shell "$editor")"
# The 2D view (rect 30 232 286 488 of the editor) and the "elev smoothing" button (rect 184 4 204 104
# of the elevation panel at 30 10).
view="256x256+232+30"
smoothing_x=$((X + 10 + 4 + 50))
smoothing_y=$((Y + 30 + 184 + 10))
import -window "$editor" opened.png 2>/dev/null
colours="$(convert opened.png -crop "$view" +repage -format %k info: 2>/dev/null)"
[ "${colours:-0}" -ge 16 ] || fail "the 2D view shows ${colours:-no} colours, not the terrain through the gradient"

check
xdotool mousemove "$smoothing_x" "$smoothing_y" click 1
sleep 2
import -window "$editor" smoothed.png 2>/dev/null
convert opened.png -crop "$view" +repage a.png && convert smoothed.png -crop "$view" +repage b.png
changed="$(compare -metric AE a.png b.png null: 2>&1 | cut -d' ' -f1)"
[ "${changed:-0}" != 0 ] || fail "a click on elev smoothing left the 2D view as it was"

# Tab shows the filtering panel.
check
import -window "$editor" elevation.png 2>/dev/null
xdotool key Tab
sleep 1
import -window "$editor" filtering.png 2>/dev/null
differs elevation.png filtering.png || fail "Tab left the editor as it was"

# A drag along the top of the transfer curve ("filter src image", rect 60 14 188 142) raises it there.
check
curve="128x128+14+60"
curve_y=$((Y + 60 + 6))
xdotool mousemove "$((X + 14 + 20))" "$curve_y" mousedown 1
for x in 40 60 80 100; do xdotool mousemove "$((X + 14 + x))" "$curve_y"; sleep 0.1; done
xdotool mouseup 1
sleep 1
import -window "$editor" drawn.png 2>/dev/null
[ "$(changed_in filtering.png drawn.png "$curve")" != 0 ] || fail "a drag across filter src image left the curve as it was"

# "resolution popup" (rect 324 524 342 648) opens menu 400 in the program's own pop-up window at the
# press; its fifth row, "256 x 256", resizes the grid, which the 2D view then shows.
check
popup_x=$((X + 586))
popup_y=$((Y + 333))
shown_before="$(xdotool search --onlyvisible --name '' 2>/dev/null | sort)"
xdotool mousemove "$popup_x" "$popup_y" click 1
sleep 1
menu_window="$(comm -13 <(echo "$shown_before") <(xdotool search --onlyvisible --name '' 2>/dev/null | sort) | head -1)"
if [ -z "$menu_window" ]; then
  fail "a press on resolution popup showed no pop-up window"
else
  # Seven rows of one height inside a frame of 3 pixels; the font decides the height.
  eval "$(xdotool getwindowgeometry --shell "$menu_window" | sed 's/^/MENU_/')"
  row=$(((MENU_HEIGHT - 6) / 7))
  xdotool mousemove "$((MENU_X + 30))" "$((MENU_Y + 3 + 4 * row + row / 2))" click 1
fi
sleep 2
import -window "$editor" resized.png 2>/dev/null
[ "$(changed_in drawn.png resized.png "$view")" != 0 ] || fail "choosing 256 x 256 left the 2D view as it was"

# Ctrl+I is the editor's own (the menu bar's letters wait while it is in front): it inverts the grid.
check
xdotool mousemove "$((X + 400))" "$((Y + 12))"
xdotool key ctrl+i
sleep 2
import -window "$editor" inverted.png 2>/dev/null
[ "$(changed_in resized.png inverted.png "$view")" != 0 ] || fail "Ctrl+I left the 2D view as it was"
[ -z "$(xdotool search --onlyvisible --name '^Quarn2$' 2>/dev/null | grep -vx "$main")" ] || fail "Ctrl+I showed a message"

check
xdotool key Escape
sleep 1.5
[ -z "$(xdotool search --onlyvisible --name "^terrain editor\$" 2>/dev/null)" ] || fail "Escape left the terrain editor shown"

check
kill $pid
wait $pid
end_run
