#!/usr/bin/env bash
# The save question on the real back end, on a virtual display of its own: a sphere added from the
# create palette is an unsaved change, so Ctrl+Q shows the window "save changes"; a click on its
# "Cancel" ("save cancel") keeps the program running with the dialog gone; Ctrl+Q again, then a click
# on "Don't Save" ("dont save") ends the program with status 0. No run may print a sanitizer report.
# Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

# Ctrl+Q over the main window; the question's window id, or the run ends when none shows.
ask_to_quit() {
  xdotool windowactivate --sync "$main" 2>/dev/null
  xdotool key ctrl+q
  dialog="$(visible_windows "save changes" 20 | head -1)"
  if [ -z "$dialog" ]; then
    fail "Ctrl+Q with an unsaved sphere showed no \"save changes\""
    kill $pid; wait $pid; end_run
  fi
  sleep 0.5
}

start_program
sleep 3
edit="$(visible_window "edit palette")"
create="$(visible_window "create palette")"
if [ -z "$edit" ] || [ -z "$create" ]; then
  fail "the edit and create palettes did not both appear"
  kill $pid; wait $pid; end_run
fi
check
add_sphere

# The dialog's buttons: "dont save" at 96 10 118 82, "save cancel" at 96 156 118 228.
check
ask_to_quit
click_in "$dialog" 96 156 118 228
sleep 1.5
kill -0 $pid 2>/dev/null || fail "\"save cancel\" ended the program"
[ -z "$(xdotool search --onlyvisible --name '^save changes$' 2>/dev/null)" ] || fail "\"save cancel\" left the dialog shown"

check
ask_to_quit
click_in "$dialog" 96 10 118 82
expect_quit
end_run
