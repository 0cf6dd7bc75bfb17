#!/usr/bin/env bash
# The document window's keys on the real back end, on a virtual display of its own: Tab selects
# the first object of the default scene, Page Up raises it, and Esc switches to the rendered image
# and back to the same wireframe. Ctrl+I and Ctrl+Shift+S bring up their file choosers, which Esc
# closes, Ctrl+Tab then hides and shows the palettes, and Ctrl+Q asks to save the changes. No run
# may print a sanitizer report.
# Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

start_program
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
inside="300x200+$((WIDTH / 2 - 150))+$((HEIGHT / 2 + 12 - 100))"
# The keys go to the window with the focus: the pointer over the main window's menu bar gives it.
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 5))"
capture before.png

check
xdotool key Tab
sleep 1
capture selected.png
changed="$(changed_in before.png selected.png "$inside")"
[ "${changed:-0}" -gt 0 ] || fail "Tab selected nothing that shows"
xdotool key --delay 150 Prior Prior Prior Prior
sleep 1
capture raised.png
changed="$(changed_in selected.png raised.png "$inside")"
[ "${changed:-0}" -gt 200 ] || fail "Page Up moved nothing: only ${changed:-0} pixels changed"

check
xdotool key Escape
sleep 1
capture rendered.png
differs raised.png rendered.png || fail "Esc did not switch to the rendered image"
xdotool key Escape
sleep 1
capture wireframe.png
changed="$(changed_in raised.png wireframe.png "$inside")"
[ "${changed:-1}" = 0 ] || fail "the second Esc did not bring the wireframe back (${changed:-?} pixels differ)"

for keys in ctrl+i ctrl+shift+s; do
  check
  xdotool key "$keys"
  [ -n "$(wait_for_chooser)" ] || fail "$keys showed no file chooser"
  sleep 0.5
  xdotool key Escape
  for _ in $(seq 1 25); do
    [ -z "$(chooser)" ] && break
    sleep 0.2
  done
  [ -z "$(chooser)" ] || fail "Esc left the chooser of $keys open"
done

palettes() { xdotool search --onlyvisible --name '^(control|create|edit|selection|display|sky&fog) palette$' 2>/dev/null | wc -l; }
check
[ "$(palettes)" = 6 ] || fail "$(palettes) palettes show before Ctrl+Tab, expected 6"
xdotool key ctrl+Tab
sleep 1
[ "$(palettes)" = 0 ] || fail "Ctrl+Tab left $(palettes) palettes visible"
xdotool key ctrl+Tab
sleep 1
[ "$(palettes)" = 6 ] || fail "the second Ctrl+Tab shows $(palettes) palettes"

check
quit_without_saving "Page Up and a render"
end_run
