#!/usr/bin/env bash
# The quick 3D texture dialog on the real back end, on a virtual display of its own, over the default
# scene: the Object menu (the third title of the menu bar, clicked) and its last item "3D Textures..."
# (chosen with the keyboard) bring up "edit 3dtexture"; a click on "randomize" changes the preview,
# which renders again in idle time (its bands are checked headless: here it fills within a tenth of a
# second, too fast to catch between two captures on a loaded machine); a click on the texture's name
# pops the menu of textures up at the click, and a row clicked there shows its name; "cancel" hides
# the dialog and the program keeps running. No run may print a sanitizer report. Arguments: the
# program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

# In the dialog's window (its layout's rectangles): the preview, the texture's name, "randomize" and
# "cancel".
preview="128x96+10+58"
name_strip="320x20+10+30"
name="40 100"
randomize="74 172"
cancel="294 228"

capture_dialog() {
  import -window "$dialog" "$1" 2>/dev/null
}

start_program
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 5))"

check
# "3D Textures..." is the Object menu's last item.
choose_object_item 1
dialog="$(visible_window "edit 3dtexture")"
[ -n "$dialog" ] || { fail "Object > 3D Textures... showed no edit 3dtexture"; kill $pid; wait $pid; end_run; }
eval "$(xdotool getwindowgeometry --shell "$dialog")"
dx=$X
dy=$Y

check
sleep 3
capture_dialog filled.png
set -- $randomize
xdotool mousemove "$((dx + $1))" "$((dy + $2))" click 1
sleep 3
capture_dialog randomized.png
[ "$(changed_in filled.png randomized.png "$preview")" != 0 ] || fail "randomize did not change the preview"

check
set -- $name
xdotool mousemove "$((dx + $2))" "$((dy + $1))" click 1
menu=""
for _ in $(seq 1 25); do
  menu="$(chooser)"
  [ -n "$menu" ] && break
  sleep 0.2
done
if [ -z "$menu" ]; then
  fail "a click on the texture's name showed no menu"
else
  eval "$(xdotool getwindowgeometry --shell "$menu")"
  [ "$X $Y" = "$((dx + $2)) $((dy + $1))" ] ||
    fail "the menu of textures showed at $X, $Y, not at the click on the name, $((dx + $2)), $((dy + $1))"
  # The fourth row (rows 19 pixels high from 3 below the menu's top).
  xdotool mousemove "$((X + 33))" "$((Y + 3 + 3 * 19 + 9))" click 1
  sleep 1.5
  capture_dialog chosen.png
  [ "$(changed_in randomized.png chosen.png "$name_strip")" != 0 ] || fail "the row clicked in the menu did not show its name"
fi

check
set -- $cancel
xdotool mousemove "$((dx + $1))" "$((dy + $2))" click 1
sleep 1.5
[ -z "$(xdotool search --onlyvisible --name '^edit 3dtexture$' 2>/dev/null)" ] || fail "cancel left the dialog up"
kill -0 $pid 2>/dev/null || fail "the program ended after cancel"

check
kill $pid
wait $pid
end_run
