#!/usr/bin/env bash
# The terrain editor on the real back end, on a virtual display of its own: a document of one
# generated terrain, Ctrl+A and Ctrl+T show the editor, whose 2D view shows the grid through the
# colour gradient (many colours, not a flat fill); a click on "elev smoothing" changes the view, and
# Escape closes the editor. No run may print a sanitizer report.
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

check
xdotool mousemove "$((X + 400))" "$((Y + 12))"
xdotool key Escape
sleep 1.5
[ -z "$(xdotool search --onlyvisible --name "^terrain editor\$" 2>/dev/null)" ] || fail "Escape left the terrain editor shown"

check
kill $pid
wait $pid
end_run
