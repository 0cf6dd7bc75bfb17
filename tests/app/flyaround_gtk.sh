#!/usr/bin/env bash
# The splash screen and the fly-around on the real back end, on a virtual display of its own. With
# the root window painted #336699, the splash screen that shows while the interface loads has copied
# the screen beneath it before it appeared: its transparent corners are #336699. Ctrl+F (the Render
# menu's Fly Around) orbits the view, and Escape leaves the document window as it was before. The
# Render menu's "About Quarn2..." shows the splash again with its text rising, until a key ends it. No
# run may print a sanitizer report.
# Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

# The X server resets the root window when its last client leaves, so a client stays connected
# from before the root is painted until the script ends.
xprop -root -spy >/dev/null 2>&1 &
holder=$!
trap 'kill $holder 2>/dev/null; rm -rf "$work"' EXIT
sleep 0.3
xsetroot -solid '#336699'
root="$(import -window root -crop 1x1+5+5 -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-Fa-f]\{6\}' | head -1)"
./Quarn2 2> run.err &
pid=$!

check
# The splash lives only while the interface loads: it is looked for often and captured at once.
splash=""
[ "${root^^}" = "#336699" ] || fail "xsetroot left the root window ${root:-unreadable}, not #336699"
for _ in $(seq 1 300); do
  splash="$(xdotool search --onlyvisible --name '^splashscreen$' 2>/dev/null | head -1)"
  [ -n "$splash" ] && break
  sleep 0.05
done
# A window is mapped before it first paints: captures are taken until the picture's middle shows.
painted=""
if [ -n "$splash" ]; then
  for _ in $(seq 1 40); do
    # import waits on a window that has gone.
    timeout 2 import -window "$splash" splash.png 2>/dev/null || break
    middle="$(convert splash.png -gravity center -crop 1x1+0+0 -format '%[hex:p{0,0}]' info: 2>/dev/null)"
    [ -n "$middle" ] && [ "${middle:0:6}" != 000000 ] && { painted=1; break; }
    sleep 0.05
  done
fi
if [ -z "$splash" ]; then
  fail "no splash screen showed while the interface loaded"
elif [ -z "$painted" ]; then
  fail "the splash screen went before it was painted and captured"
else
  corner="$(convert splash.png -format '%[hex:p{0,0}]' info: 2>/dev/null)"
  [ "${corner:0:6}" = "336699" ] || fail "the splash screen's corner is #${corner:-?}, not the screen's #336699"
fi

main="$(visible_window Quarn2)"
[ -n "$main" ] || { echo "FAIL: no main window appeared"; kill -9 $pid; exit 1; }
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
# A square of the document image around its middle, where the wireframe lies.
inside="240x160+$((WIDTH / 2 - 120))+$((HEIGHT / 2 + 12 - 80))"
capture before.png

check
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 5))"
xdotool key ctrl+f
sleep 2
capture flying.png
changed="$(changed_in before.png flying.png "$inside")"
[ "${changed:-0}" -gt 0 ] || fail "Ctrl+F did not move the view"
xdotool key Escape
sleep 2
capture after.png
changed="$(changed_in before.png after.png "$inside")"
[ "${changed:-1}" = 0 ] || fail "after Ctrl+F and Escape ${changed:-?} pixels of the document window differ"

check
# The Render menu is the fourth title of the menu bar; its last item is the about box.
xdotool mousemove "$((X + 168))" "$((Y + 11))" click 1
sleep 0.7
xdotool key Up Return
about="$(visible_window splashscreen)"
if [ -z "$about" ]; then
  fail "the Render menu's last item showed no about box"
else
  timeout 2 import -window "$about" about1.png 2>/dev/null
  sleep 1
  timeout 2 import -window "$about" about2.png 2>/dev/null
  differs about1.png about2.png || fail "the about box's text did not move in a second"
  xdotool key a
  sleep 1.5
  [ -z "$(xdotool search --onlyvisible --name '^splashscreen$' 2>/dev/null)" ] || fail "a key press left the about box open"
  kill -0 $pid 2>/dev/null || fail "the program ended with the about box"
fi

check
kill $pid
wait $pid
end_run
