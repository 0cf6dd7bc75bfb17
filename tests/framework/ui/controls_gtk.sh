#!/usr/bin/env bash
# Menus, a text field, the scrolling pop-up and the console on the real back end, on a virtual display
# of its own (no window manager): controls_gtk_check puts a "Test" menu into the main window's
# menu bar, a numeric field on a grey canvas, and answers commands. Choosing the menu's third item
# must send the menu-select message with item 3 and the menu's handle, then the command 3; typing
# "12a.5" into the field must leave "12.5" and Return must reach the canvas as character 13; the
# pop-up must show its rows at the pointer, the row under the pointer highlighted; Ctrl+Shift+Space
# must show the console strip at the top of the screen with the banner's text in it. No run may print
# a sanitizer report.
# Argument: the controls_gtk_check program.
source "$(dirname "$0")/gtk_check.sh"
start_check "$1"

pixel() {  # the colour of a screen pixel
  import -window root "$work/screen.png" 2>/dev/null
  convert "$work/screen.png" -format "%[pixel:p{$1,$2}]" info: 2>/dev/null
}
extreme() {  # the lightest (maxima) or darkest (minima) grey of the screen's area X Y W H, 0 to 1
  import -window root "$work/screen.png" 2>/dev/null
  convert "$work/screen.png" -crop "$4x$5+$2+$3" -colorspace gray -format "%[fx:$1]" info: 2>/dev/null
}

wait_for '^ready$' || { fail "the controls did not come up: $(cat "$work/err")"; exit 1; }
handle="$(awk '/^menu / {print $2}' "$work/out")"
canvas="$(awk '/^canvas / {print $2}' "$work/out")"
console="$(awk '/^console / {print $2}' "$work/out")"
main="$(awk '/^main / {print $2}' "$work/out")"
sleep 1

# The menu bar of the main window, at the top of the screen: its first entry is "Test".
xdotool mousemove 20 12 click 1
sleep 0.5
xdotool key Down Down Down Return
wait_for '^command 3$' || fail "no command 3 from the menu: $(grep -E 'menuselect|command' "$work/out")"
[ "$(grep -E '^(menuselect|command)' "$work/out" | head -2 | paste -sd ' ')" = "menuselect 3 $handle command 3" ] ||
  fail "the menu's messages were: $(grep -E '^(menuselect|command)' "$work/out" | paste -sd ' ')"

# The field's entry lies on the grey canvas at (120, 130) to (220, 150).
case "$(pixel 170 140)" in "srgb(128,128,128)"|gray|grey) fail "no entry at the field's place" ;; esac
[ "$(pixel 110 140)" = "srgb(128,128,128)" ] || fail "the canvas beside the field is $(pixel 110 140)"
send_command focus
xdotool windowfocus --sync "$canvas" 2>/dev/null
xdotool type --delay 50 "12a.5"
sleep 0.3
send_command text
grep -q '^text 12\.5$' "$work/out" || fail "the field holds $(grep '^text' "$work/out")"
xdotool key Return
wait_for '^char 13$' || fail "Return did not reach the canvas: $(grep '^char' "$work/out")"
send_command text
[ "$(grep '^text' "$work/out" | tail -1)" = "text 12.5" ] || fail "Return changed the field"

# The pop-up opens at (600, 300); its second row (from y 322 to 341) is under the pointer.
echo "popup 600 300" >&3
sleep 1
xdotool mousemove 650 331
sleep 0.5
[ "$(pixel 608 331)" = "srgb(56,116,216)" ] || fail "the row under the pointer is $(pixel 608 331)"
[ "$(pixel 608 312)" = "srgb(240,240,240)" ] || fail "the first row is $(pixel 608 312)"
awk "BEGIN {exit !($(extreme minima 620 303 60 55) < 0.3)}" || fail "the rows show no dark text"
import -window root "$work/popup.png" 2>/dev/null
xdotool click 1
wait_for '^chosen 102 2$' || fail "the pop-up chose $(grep '^chosen' "$work/out")"

# Ctrl+Shift+Space on the main window shows the console across the top of the screen.
xdotool windowfocus --sync "$main" 2>/dev/null
xdotool key ctrl+shift+space
sleep 1
awk "BEGIN {exit !($(extreme maxima 0 0 600 15) > 0.5)}" || fail "the console strip shows no text"
xdotool search --onlyvisible --name '' 2>/dev/null | grep -qx "$console" || fail "the console is not visible"
xdotool key ctrl+shift+space
sleep 0.5

finish "controls"
