#!/usr/bin/env bash
# The quick 3D texture dialog on the real back end, on a virtual display of its own, over the default
# scene: the Object menu (the third title of the menu bar, clicked) and its last item "3D Textures..."
# (chosen with the keyboard) bring up "edit 3dtexture"; a click on "randomize" changes the preview,
# which renders again in idle time (its bands are checked headless: here it fills within a tenth of a
# second, too fast to catch between two captures on a loaded machine); its window is its layout's
# 340 x 250 and a drop shadow 8 pixels wide right and below, which darkens what lay behind; a click on
# the texture's name
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
import -window root behind.png 2>/dev/null
# "3D Textures..." is the Object menu's last item.
choose_object_item 1
dialog="$(visible_window "edit 3dtexture")"
[ -n "$dialog" ] || { fail "Object > 3D Textures... showed no edit 3dtexture"; kill $pid; wait $pid; end_run; }
eval "$(xdotool getwindowgeometry --shell "$dialog")"
dx=$X
dy=$Y
[ "${WIDTH}x$HEIGHT" = 348x258 ] || fail "the dialog's window is ${WIDTH}x$HEIGHT, not its layout and shadow's 348x258"

check
sleep 3
capture_dialog filled.png
# One pixel right of the layout and one below it, where the shadow is deepest.
for point in "341 120" "170 251"; do
  set -- $point
  shaded="$(convert filled.png -format "%[fx:int(1000*p{$1,$2}.intensity)]" info: 2>/dev/null)"
  before="$(convert behind.png -format "%[fx:int(1000*p{$((dx + $1)),$((dy + $2))}.intensity)]" info: 2>/dev/null)"
  [ "${shaded:-1000}" -lt "$((${before:-0} - 50))" ] ||
    fail "the shadow at $1, $2 is not darker than what lay behind (${shaded:-?} against ${before:-?} of 1000)"
done
# At its outer edge the shadow has faded into what lay behind: the margin is painted, not left black.
for point in "347 120" "170 257"; do
  set -- $point
  shaded="$(convert filled.png -format "%[fx:int(1000*p{$1,$2}.intensity)]" info: 2>/dev/null)"
  before="$(convert behind.png -format "%[fx:int(1000*p{$((dx + $1)),$((dy + $2))}.intensity)]" info: 2>/dev/null)"
  [ "$(( ${shaded:-0} - ${before:-1000} ))" -ge -30 ] ||
    fail "the shadow's edge at $1, $2 is not what lay behind (${shaded:-?} against ${before:-?} of 1000)"
done
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
