#!/usr/bin/env bash
# The same strokes reach a window alike on both back ends: the key probe logs the key-down, key-up and
# character messages it gets with the modifiers it reads, once on the GTK back end with xdotool
# typing on a virtual display of its own, once headless from an input script of the same strokes.
# Both logs must be the expected one: Ctrl with a letter, Ctrl+Shift, the keys of the document window
# and of the keypad, Alt, Caps Lock, keys let go while a message box holds the keyboard, and editing
# in a text field (F8 shows the box, F9 focuses the field, F12 ends).
# Arguments: the probe and the expected log.
source "$(dirname "$0")/../framework/ui/gtk_session.sh"
probe="$1"
expected="$2"

strokes=(ctrl+i ctrl+shift+s ctrl+q Tab ctrl+Tab Return Delete BackSpace Left Up Right Down Prior Next shift+Left
  alt+Right ctrl+Left ctrl+alt+Up shift+8 slash equal shift+equal minus p shift+p n i o KP_Multiply KP_Divide KP_Add
  KP_Subtract Escape ctrl+1 ctrl+6 shift+F1 space a shift+a Caps_Lock a Caps_Lock)
editing=(F9 a b c Left Left BackSpace x shift+Right Delete ctrl+a y End shift+Home F12)

check_log() {
  if ! diff -u "$expected" "$2" > "$work/$1.diff"; then
    fail "the $1 back end's messages differ from the expected ones:"
    cat "$work/$1.diff"
  fi
}

# Headless: the box answers at once, so the keys held over it come up in the script.
printf 'stroke %s\n' "${strokes[@]}" ctrl+F8 "${editing[@]}" > "$work/script.txt"
QUARN2_HEADLESS=1 QUARN2_SCRIPT="$work/script.txt" "$probe" > "$work/headless.log" 2> "$work/headless.err" ||
  fail "the headless probe ended with status $?: $(cat "$work/headless.err")"
check_log headless "$work/headless.log"

"$probe" > "$work/gtk.log" 2> "$work/gtk.err" &
pid=$!
window="$(visible_windows 'key probe' | head -1)"
if [ -z "$window" ]; then
  fail "the probe showed no window"
else
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + 100)) $((Y + 40))
  sleep 0.5
  for stroke in "${strokes[@]}"; do xdotool key "$stroke"; sleep 0.05; done
  # Ctrl and F8 go up inside the box, which takes the keyboard; Return closes it.
  xdotool keydown ctrl keydown F8
  [ -n "$(visible_windows 'key probe box' 10)" ] || fail "F8 showed no message box"
  xdotool keyup ctrl keyup F8
  sleep 0.3
  xdotool key Return
  sleep 0.5
  for stroke in "${editing[@]}"; do xdotool key "$stroke"; sleep 0.05; done
fi
for _ in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
kill $pid 2>/dev/null && fail "the probe did not end at F12"
wait $pid
grep -q Sanitizer "$work/gtk.err" && fail "sanitizer report: $(cat "$work/gtk.err")"
check_log GTK "$work/gtk.log"

[ "$failures" = 0 ] && echo "KeyMessagesGtk passed"
exit $((failures > 0))
