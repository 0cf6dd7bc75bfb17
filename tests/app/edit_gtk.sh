#!/usr/bin/env bash
# The Edit menu's commands on the real back end, on a virtual display of its own, over the default
# scene: Ctrl+A selects the ground (its box and handles appear), Ctrl+X takes it out of the scene, and
# Ctrl+Z brings it back selected, the window as it was after Ctrl+A. Ctrl+T on the ground says that
# this kind of object has no editor (read through the accessibility bus of a session bus of its own).
# No run may print a sanitizer report. Arguments: the program and the build's data/ folder.
if [ -z "${QUARN2_OWN_BUS:-}" ]; then
  QUARN2_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/program_gtk.sh" "$1" "$2"

start_program
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
# The keys go to the window with the focus: the pointer over the main window's menu bar gives it, and
# there it frames no handle or button of the document window.
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 5))"
capture start.png

check
xdotool key ctrl+a
sleep 1.5
capture selected.png
differs start.png selected.png || fail "Ctrl+A changed nothing on screen"

check
xdotool key ctrl+t
said=""
for _ in $(seq 1 20); do
  said="$(/usr/bin/python3 "$here/file_chooser.py" alert Quarn2 2>/dev/null)" && break
  sleep 0.5
done
[[ "$said" == *"This kind of object has no editor."* ]] || fail "Ctrl+T on the ground said: ${said:-nothing}"
xdotool key Return
sleep 1
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 5))"

check
xdotool key ctrl+x
sleep 1.5
capture cut.png
differs selected.png cut.png || fail "Ctrl+X left the selected ground on screen"

check
xdotool key ctrl+z
sleep 1.5
capture undone.png
differs selected.png undone.png && fail "Ctrl+Z did not bring the selected ground back as it was"

check
kill $pid
wait $pid
end_run
