#!/usr/bin/env bash
# The selection's menu states and the render report on the real back end, on a virtual display of
# its own, with a session bus of its own for the accessibility bus: with nothing selected the
# Edit menu's "Cut" is insensitive, sensitive once a click selects the ground, insensitive again
# once a click on the sky selects nothing; Ctrl+R renders the default scene into the document window, whose capture then
# differs inside "doc image", and shows the render report's window "report render time", which
# Escape closes (as Return does, which the headless tests check). No run may print a sanitizer report.
# Arguments: the program and the build's data/ folder.
if [ -z "${QUARN2_OWN_BUS:-}" ]; then
  QUARN2_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/program_gtk.sh" "$1" "$2"

keys() {  # the keys to the main window, which takes them only with the focus
  xdotool windowfocus --sync "$main" 2>/dev/null
  xdotool key "$@"
}

cut_state() {  # what the accessibility bus says of the Edit menu's "Cut"
  /usr/bin/python3 "$here/menu_item_state.py" Quarn2 Cut 2>/dev/null
}
wait_for_cut() {  # waits a few seconds for "Cut" to be in the state, then prints the state it is in
  local state=""
  for _ in $(seq 1 10); do
    state="$(cut_state)"
    [ "$state" = "$1" ] && break
    sleep 0.3
  done
  echo "$state"
}

start_program
sleep 2

check
state="$(wait_for_cut insensitive)"
[ "$state" = insensitive ] || fail "with nothing selected \"Cut\" is $state"
# The default view looks level at the horizon in the middle of the main window below the menu bar:
# the ground lies below it, the sky above.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2 + 12 + 120)) click 1
state="$(wait_for_cut sensitive)"
[ "$state" = sensitive ] || fail "with the ground selected \"Cut\" is $state"
xdotool mousemove $((X + WIDTH / 2 - 210)) $((Y + HEIGHT / 2 + 12 - 150)) click 1
state="$(wait_for_cut insensitive)"
[ "$state" = insensitive ] || fail "with nothing selected again \"Cut\" is $state"

# "doc image" lies in the middle of the main window below the menu bar: its middle row changes.
check
import -window "$main" before.png 2>/dev/null
keys ctrl+r
report="$(visible_windows "report render time" 200 | head -1)"
[ -n "$report" ] || fail "Ctrl+R showed no render report"
import -window "$main" after.png 2>/dev/null
band="240x60+$((WIDTH / 2 - 120))+$((HEIGHT / 2))"
convert before.png -crop "$band" +repage a.png && convert after.png -crop "$band" +repage b.png
changed="$(compare -metric AE a.png b.png null: 2>&1 | cut -d' ' -f1)"
[ "${changed:-0}" != 0 ] || fail "the rendered view does not differ from the wireframe in $band"
if [ -n "$report" ]; then
  xdotool windowfocus --sync "$report" 2>/dev/null
  xdotool key Escape
  for _ in $(seq 1 25); do
    [ -z "$(xdotool search --onlyvisible --name '^report render time$' 2>/dev/null)" ] && break
    sleep 0.2
  done
  [ -z "$(xdotool search --onlyvisible --name '^report render time$' 2>/dev/null)" ] ||
    fail "Escape left the render report shown"
fi

check
keys ctrl+q
# The render changed the document, so quitting asks first: "dont save" lies at 96 10 118 82 in the
# window "save changes".
question="$(visible_windows "save changes" 10 | head -1)"
if [ -n "$question" ]; then
  sleep 0.5
  click_in "$question" 96 10 118 82
else
  fail "Ctrl+Q after a render did not ask to save the changes"
fi
expect_quit
end_run
