#!/usr/bin/env bash
# The numeric sky & fog dialog on the real back end, on a virtual display of its own: a double click on
# the sky & fog palette's cloud cross-section brings up "edit skyfog"; "Edit Stratus" gives way to
# "edit 3dtexture", whose Escape brings the dialog back; Escape closes it with the palette as it was;
# opened again, Tab six times to the haze field, 77 and Return close it and the palette's haze picture
# shows the new haze; Ctrl+Q asks to save the change and "dont save" ends the program with status 0.
# No run may print a sanitizer report. Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

start_program
sleep 3
check
show_sky_fog_palette
sleep 2
import -window "$palette" palette-before.png 2>/dev/null

# "cloud freq & amp" lies at 22 262 62 326 of the palette.
open_dialog() {
  read -r x y < <(at "$palette" 42 294)
  xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
  dialog="$(visible_windows "edit skyfog" 20 | head -1)"
}
gone() { [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ]; }
# A closing dialog gives the main window the focus, which without a window manager also raises it over
# the palettes that a desktop keeps above it: the palette is raised again before it is captured.
capture_palette() {
  xdotool windowraise "$palette" 2>/dev/null
  sleep 0.3
  import -window "$palette" "$1" 2>/dev/null
}

check
open_dialog
if [ -z "$dialog" ]; then
  fail "a double click on the cloud cross-section showed no \"edit skyfog\""
  kill $pid; wait $pid; end_run
fi
sleep 1
import -window "$dialog" dialog.png 2>/dev/null

# "edit stratus" lies at 210 10 234 140 of the dialog.
check
click_in "$dialog" 210 10 234 140
quick="$(visible_windows "edit 3dtexture" 20 | head -1)"
if [ -n "$quick" ]; then
  sleep 1
  gone "edit skyfog" || fail "\"Edit Stratus\" left the sky & fog dialog shown"
  xdotool windowfocus --sync "$quick" 2>/dev/null
  xdotool key Escape
  back="$(visible_windows "edit skyfog" 20 | head -1)"
  [ -n "$back" ] || fail "Escape in the quick texture dialog did not bring the sky & fog dialog back"
  sleep 1
  gone "edit 3dtexture" || fail "Escape left the quick texture dialog shown"
else
  fail "\"Edit Stratus\" showed no quick texture dialog"
fi

check
dialog="$(visible_windows "edit skyfog" 5 | head -1)"
[ -n "$dialog" ] && xdotool windowfocus --sync "$dialog" 2>/dev/null
xdotool key Escape
sleep 1
gone "edit skyfog" || fail "Escape left the sky & fog dialog shown"
capture_palette palette-cancelled.png
# The haze picture (22 136 58 172 of the palette).
haze=36x36+136+22
[ "$(changed_in palette-before.png palette-cancelled.png "$haze")" = 0 ] || fail "cancel changed the palette's haze"

check
open_dialog
if [ -n "$dialog" ]; then
  sleep 1
  xdotool windowfocus --sync "$dialog" 2>/dev/null
  for _ in 1 2 3 4 5 6; do xdotool key Tab; sleep 0.1; done
  xdotool type --delay 50 77
  sleep 0.3
  xdotool key Return
  sleep 1
  gone "edit skyfog" || fail "Return left the sky & fog dialog shown"
  changed=""
  for _ in 1 2 3 4 5 6; do
    sleep 0.5
    capture_palette palette-after.png
    [ "$(changed_in palette-before.png palette-after.png "$haze")" != 0 ] && { changed=1; break; }
  done
  [ -n "$changed" ] || fail "the palette's haze picture did not change after 77 and Return"
else
  fail "the second double click showed no \"edit skyfog\""
fi

check
quit_without_saving "the dialog's haze"
end_run
