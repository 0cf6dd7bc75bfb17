#!/usr/bin/env bash
# Printing on the real back end, on the display that xvfb-run gives: Ctrl+P (the File menu's print
# item) shows the desktop's print dialog, and Escape cancels it: the command then answers 24, which
# shows no message box, and the program goes on. No run may print a sanitizer report.
# Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

shown() { xdotool search --onlyvisible --name '.' 2>/dev/null | sort; }

start_program
sleep 2
before="$(shown)"
for round in 1 2; do
  check
  # The keys go to the window with the focus: the pointer over the main window's menu bar gives it.
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 5))"
  xdotool key ctrl+p
  dialog="$(visible_window Print)"
  [ -n "$dialog" ] || { fail "Ctrl+P showed no print dialog (round $round)"; continue; }
  sleep 1
  xdotool windowfocus --sync "$dialog" 2>/dev/null
  xdotool key Escape
  for _ in $(seq 1 50); do
    [ -z "$(xdotool search --onlyvisible --name '^Print$' 2>/dev/null)" ] && break
    sleep 0.2
  done
  [ -z "$(xdotool search --onlyvisible --name '^Print$' 2>/dev/null)" ] || fail "Escape left the print dialog open"
  sleep 2
  # A cancel is no failure: no message box, nothing else shown.
  [ "$(shown)" = "$before" ] || fail "after the cancel other windows show: $(shown | tr '\n' ' ')"
  kill -0 $pid 2>/dev/null || { fail "the program ended"; break; }
done

check
kill $pid
wait $pid
end_run
