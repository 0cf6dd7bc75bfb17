#!/usr/bin/env bash
# The light editor and the camera editor on the real back end, on a 1024 x 768 display whose root is
# painted #336699: a radial light made with the create palette and Ctrl+T bring up "edit light"; a drag
# to the right on its intensity slider changes the dialog; a press on its colour swatch released over
# a bare point of the root picks that point's colour, which the swatch then shows and the root reads
# there too; "ok" closes it. A double click on the control palette's camera control brings up "edit
# camera", and Escape closes it. No run may print a sanitizer report.
# Arguments: the program and the build's data/ folder. Run under
# tests/gtk_display.sh with QUARN2_GTK_SCREEN=1024x768x24.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

# The X server resets the root window when its last client leaves, so a client stays connected
# from before the root is painted until the script ends.
xprop -root -spy >/dev/null 2>&1 &
holder=$!
trap 'kill $holder 2>/dev/null; rm -rf "$work"' EXIT
sleep 0.3
xsetroot -solid '#336699'
# A pixel of the root as rrggbb.
root_hex() {
  import -window root -depth 8 -crop "1x1+$1+$2" txt:- 2>/dev/null | grep -o '#[0-9A-Fa-f]\{6\}' | head -1 |
    tr -d '#' | tr 'A-F' 'a-f'
}

start_program
sleep 3
create="$(visible_window "create palette")"
edit="$(visible_window "edit palette")"
palette="$(visible_window "control palette")"
if [ -z "$create" ] || [ -z "$edit" ] || [ -z "$palette" ]; then
  fail "the create, edit and control palettes did not all appear"
  kill $pid; wait $pid; end_run
fi

# The edit palette's "create text" tab (2 262 17 310) brings the create palette forward; its "radial
# light" lies at 56 356 84 384. Ctrl+T over the document window edits the new, selected light.
check
click_in "$edit" 2 262 17 310
sleep 1
click_in "$create" 56 356 84 384
sleep 1.5
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + 5))
sleep 0.3
xdotool key ctrl+t
light="$(visible_window "edit light")"
[ -n "$light" ] || { fail "Ctrl+T on a radial light showed no \"edit light\""; kill $pid; wait $pid; end_run; }
sleep 1

# "light intensity" lies at 50 180 64 340 of the dialog.
check
import -window "$light" before.png 2>/dev/null
read -r x y < <(at "$light" 57 200)
xdotool mousemove "$x" "$y" mousedown 1
sleep 0.3
for _ in 1 2 3 4; do xdotool mousemove_relative -- 20 0; sleep 0.2; done
xdotool mouseup 1
sleep 1
import -window "$light" dragged.png 2>/dev/null
differs before.png dragged.png || fail "a drag on the intensity slider did not change the light editor"

# A bare point of the root: the main window, which fills the screen, leaves a band at the bottom.
check
xdotool windowsize "$main" 1024 700
sleep 1
bare=""
for point in "1018 760" "512 760" "5 760"; do
  # shellcheck disable=SC2086
  if [ "$(root_hex $point)" = "336699" ]; then bare="$point"; break; fi
done
if [ -z "$bare" ]; then
  fail "no bare point of the root was found"
else
  read -r bx by <<<"$bare"
  # "light color" lies at 112 260 132 340 of the dialog.
  read -r x y < <(at "$light" 122 300)
  xdotool mousemove "$x" "$y" mousedown 1
  sleep 0.5
  xdotool mousemove "$bx" "$by"
  sleep 0.5
  xdotool mousemove_relative -- 0 -1
  sleep 0.5
  xdotool mouseup 1
  sleep 1
  import -window "$light" picked.png 2>/dev/null
  swatch="$(pixel_hex picked.png 300 122)"
  [ "$swatch" = "336699" ] || fail "the swatch shows $swatch after a pick over the root, expected 336699"
  root="$(root_hex "$bx" "$((by - 1))")"
  [ "$root" = "$swatch" ] || fail "the root reads $root where the swatch picked $swatch"
fi

# "ok" (266 196 290 268) closes the editor.
check
click_in "$light" 266 196 290 268
sleep 1
[ -z "$(xdotool search --onlyvisible --name '^edit light$' 2>/dev/null)" ] || fail "\"ok\" left the light editor shown"

# A double click on the control palette's "camera XY control" (222 62 278 118), in its zone 1.
check
read -r x y < <(at "$palette" 250 67)
xdotool mousemove "$x" "$y" click --repeat 2 --delay 120 1
camera="$(visible_window "edit camera")"
if [ -z "$camera" ]; then
  fail "a double click on the camera control showed no \"edit camera\""
else
  sleep 0.5
  xdotool key Escape
  sleep 1
  [ -z "$(xdotool search --onlyvisible --name '^edit camera$' 2>/dev/null)" ] || fail "Escape left the camera editor shown"
fi

# The new light is an unsaved change, which Ctrl+Q would ask about: the run is ended instead.
check
kill $pid
wait $pid
end_run
