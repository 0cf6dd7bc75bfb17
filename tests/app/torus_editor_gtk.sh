#!/usr/bin/env bash
# The torus editor on the real back end, on the display that xvfb-run gives: a torus made with the
# create palette's "torus" and Ctrl+T show the window "edit tori", whose preview spins; a drag to the
# right on "torus" and "ok" change the document window, and Ctrl+Z brings it back; a click into the
# document window while the editor is up closes it. No run may print a sanitizer report.
# Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

# A point of a window given in its own coordinates (h v).
at() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$((X + $2)) $((Y + $3))"
}
click_at() {
  read -r x y < <(at "$1" "$2" "$3")
  xdotool mousemove "$x" "$y" click 1
}
open_editor() {
  xdotool windowactivate --sync "$main" 2>/dev/null
  xdotool key ctrl+t
  sleep 1
  tori="$(visible_windows "edit tori" 10 | head -1)"
}

start_program
sleep 3
create="$(visible_window "create palette")"
edit="$(visible_window "edit palette")"
[ -n "$create" ] && [ -n "$edit" ] || { fail "the create and edit palettes did not appear"; kill $pid; wait $pid; end_run; }

# The edit palette's "create text" tab brings the create palette forward; its "torus" (22 269 50 297)
# adds a selected torus.
check
click_at "$edit" 286 9
sleep 1
click_at "$create" 283 36
sleep 1.5
capture before.png
open_editor
[ -n "$tori" ] || fail "Ctrl+T on a torus showed no window \"edit tori\""

if [ -n "$tori" ]; then
  check
  import -window "$tori" spin1.png 2>/dev/null
  sleep 0.5
  import -window "$tori" spin2.png 2>/dev/null
  differs spin1.png spin2.png || fail "the torus editor's preview does not spin"

  # A drag to the right on "torus" (30 10 150 170), then "ok" (180 18 204 90). The document window is
  # compared with its capture from before the editor opened, which covers part of it.
  check
  read -r x y < <(at "$tori" 90 90)
  xdotool mousemove "$x" "$y" mousedown 1
  sleep 0.3
  for _ in 1 2 3 4; do xdotool mousemove_relative -- 10 0; sleep 0.2; done
  xdotool mouseup 1
  sleep 0.5
  click_at "$tori" 54 192
  sleep 1.5
  [ -z "$(xdotool search --onlyvisible --name '^edit tori$' 2>/dev/null)" ] || fail "\"ok\" left the torus editor up"
  capture thicker.png
  differs before.png thicker.png || fail "the torus editor's \"ok\" did not change the document window"
  check
  xdotool windowactivate --sync "$main" 2>/dev/null
  xdotool key ctrl+z
  sleep 1.5
  capture undone.png
  # Around the torus in the middle of the document's image: the frame about the image may differ.
  eval "$(xdotool getwindowgeometry --shell "$main")"
  around="200x150+$((WIDTH / 2 - 100))+$((HEIGHT / 2 + 30))"
  [ "$(changed_in thicker.png undone.png "$around")" != 0 ] || fail "Ctrl+Z did not change the torus back"
  [ "$(changed_in before.png undone.png "$around")" = 0 ] || fail "Ctrl+Z did not bring back the torus as it was"

  # A click into the document window closes the editor on top.
  check
  open_editor
  if [ -z "$tori" ]; then
    fail "the torus editor did not open again"
  else
    # Beside the editor and its shadows: near the window's bottom left corner.
    eval "$(xdotool getwindowgeometry --shell "$main")"
    xdotool mousemove $((X + 60)) $((Y + HEIGHT - 60)) click 1
    sleep 1
    [ -z "$(xdotool search --onlyvisible --name '^edit tori$' 2>/dev/null)" ] ||
      fail "a click into the document window left the torus editor up"
  fi
fi

# The edits are unsaved changes, which Ctrl+Q would ask about: the run is ended instead.
check
kill $pid
wait $pid
end_run
