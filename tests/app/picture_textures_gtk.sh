#!/usr/bin/env bash
# The picture textures dialog on the real back end, on a virtual display of its own, over the
# default scene: the Object menu (the third title of the menu bar, clicked) and its "2D Pictures..."
# (chosen with the keyboard) bring up "picttextures", whose slot 0 shows the scene's picture "leo"
# framed in red; a click on an empty slot greys the three previews, and "cancel" hides the dialog.
# No run may print a sanitizer report. Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

# In the dialog's window (its layout's rectangles): slot 0's picture inside its frame and the frame's
# corner, the middle of the empty slot 1 and its frame's corner, the three previews, and "cancel".
slot0_inside="34x34+12+36"
slot0_corner="11 35"
slot1="67 53"
slot1_corner="49 35"
previews="96x96+324+50 96x96+428+50 96x96+532+50"
cancel="594 310"

capture_dialog() {
  import -window "$dialog" "$1" 2>/dev/null
}
colours() {  # the number of colours in RECT of the capture
  convert "$1" -crop "$2" +repage -format '%k' info: 2>/dev/null
}
pixel() {  # the hexadecimal colour at X Y of the capture
  convert "$1" -crop "1x1+$2+$3" +repage -format '%[hex:p{0,0}]' info: 2>/dev/null
}

start_program
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 5))"

check
# "2D Pictures..." is the second item from the Object menu's end.
choose_object_item 2
dialog="$(visible_window picttextures)"
[ -n "$dialog" ] || { fail "Object > 2D Pictures... showed no picttextures"; kill $pid; wait $pid; end_run; }
eval "$(xdotool getwindowgeometry --shell "$dialog")"
dx=$X
dy=$Y
sleep 1
capture_dialog opened.png
[ "$(colours opened.png "$slot0_inside")" -gt 16 ] || fail "slot 0 does not show the picture leo"
set -- $slot0_corner
[ "$(pixel opened.png "$1" "$2")" = FF0000 ] || fail "slot 0's frame is $(pixel opened.png "$1" "$2"), not red"
# leo's alpha is even, so its alpha preview is one grey; the picture and the result are not.
set -- $previews
for preview in "$1" "$3"; do
  [ "$(colours opened.png "$preview")" -gt 16 ] || fail "the preview $preview is a flat fill with leo current"
done

check
set -- $slot1
xdotool mousemove "$((dx + $1))" "$((dy + $2))" click 1
sleep 1.5
capture_dialog empty.png
for preview in $previews; do
  [ "$(changed_in opened.png empty.png "$preview")" != 0 ] || fail "the empty slot left the preview $preview as it was"
  [ "$(colours empty.png "$preview")" = 1 ] || fail "the preview $preview of the empty slot is not a flat grey"
done
set -- $slot1_corner
[ "$(pixel empty.png "$1" "$2")" = FF0000 ] || fail "the empty slot is not framed red once current"

check
set -- $cancel
xdotool mousemove "$((dx + $1))" "$((dy + $2))" click 1
sleep 1.5
[ -z "$(xdotool search --onlyvisible --name '^picttextures$' 2>/dev/null)" ] || fail "cancel left the dialog up"

check
kill $pid
wait $pid
end_run
