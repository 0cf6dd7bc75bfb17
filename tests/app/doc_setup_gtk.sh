#!/usr/bin/env bash
# The document set-up dialog on the real back end, on a 1024 x 768 display: Ctrl+N on an unchanged
# document shows "doc setup"; a click on the preset "doc size1" (the screen less the palettes' room,
# 864 x 630) and one on "ok" make a new document of that size, which the main window then shows: the
# light document area of a row across it grows from the 480 columns of the first document to the 784
# that the window's view holds on this screen. No run may print a sanitizer report.
# Arguments: the program and the build's data/ folder. Run under tests/gtk_display.sh with
# QUARN2_GTK_SCREEN=1024x768x24.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

start_program
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + 5))
sleep 0.3
capture before.png
# The light pixels of row 300 of a capture: the document area, not its dark margins.
light_columns() {
  convert "$1" -crop "${WIDTH}x1+0+300" +repage -colorspace gray -threshold 70% -format "%[fx:round(w*mean)]" info:
}
[ "$(light_columns before.png)" = 480 ] || fail "the first document shows $(light_columns before.png) columns, not 480"

check
xdotool key ctrl+n
setup="$(visible_window "doc setup")"
[ -n "$setup" ] || { fail "Ctrl+N on an unchanged document showed no \"doc setup\""; kill $pid; wait $pid; end_run; }
sleep 1

# "doc size1" lies at 52 122 70 230 of the dialog, "ok" at 322 306 346 378.
check
click_in "$setup" 52 122 70 230
sleep 0.5
click_in "$setup" 322 306 346 378
sleep 2
[ -z "$(xdotool search --onlyvisible --name '^doc setup$' 2>/dev/null)" ] || fail "\"ok\" left the set-up dialog shown"
capture after.png
differs before.png after.png || fail "the new document did not change the main window"
[ "$(light_columns after.png)" = 784 ] || fail "the new document shows $(light_columns after.png) columns, not 784"

check
xdotool key ctrl+q
expect_quit
end_run
