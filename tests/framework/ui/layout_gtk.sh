#!/usr/bin/env bash
# The test dialog on the real back end, on a virtual display of its own (1280 × 1024): resbuild
# compiles testdialog.layout; quarn2-layout shows it with its shadows, centred, as a window titled
# "test dialog" at 520,432 of 248 × 168. What the display shows equals, pixel for pixel, the tool's
# shots taken on GTK and headless, its title's text included; a click on "ok" prints its message, the
# held button shows its pressed picture, and Escape ends the tool with status 0. No run may print a
# sanitizer report.
# Arguments: quarn2-layout, resbuild, the test layouts' folder, the build's data/system.dat.
tool="$1" resbuild="$2" layouts="$3" system="$4"
source "$(dirname "$0")/gtk_session.sh"
unset QUARN2_SCRIPT
pid=""
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT

"$resbuild" "$layouts/testdialog.layout" "$work/testdialog.dat" || { echo "FAIL: resbuild"; exit 1; }
run_tool() { "$tool" "$work/testdialog.dat" "test dialog" --shadows --system "$system" "$@"; }
QUARN2_HEADLESS=1 run_tool --shot "$work/headless.bmp" 2> "$work/err-headless" || fail "the headless shot: $(cat "$work/err-headless")"
run_tool --shot "$work/gtk.bmp" 2> "$work/err-shot" || fail "the shot on GTK: $(cat "$work/err-shot")"
[ "$(identify -format '%w %h %m' "$work/gtk.bmp" 2>/dev/null)" = "248 168 BMP3" ] ||
  fail "the shot is $(identify -format '%w %h %m' "$work/gtk.bmp" 2>&1)"

run_tool > "$work/out" 2> "$work/err" &
pid=$!
id="$(timeout 15 xdotool search --sync --name "^test dialog$" | head -1)"
[ -n "$id" ] || { fail "no window titled \"test dialog\": $(cat "$work/err")"; exit 1; }
sleep 1
geometry="$(xdotool getwindowgeometry "$id" | awk '/Position/ {print $2} /Geometry/ {print $2}' | paste -sd' ')"
[ "$geometry" = "520,432 248x168" ] || fail "the window lies at $geometry"

import -window "$id" "$work/shown.png" 2>/dev/null
for shot in gtk headless; do
  differ="$(compare -metric AE "$work/shown.png" "$work/$shot.bmp" null: 2>&1)"
  [ "$differ" = "0" ] || fail "the window and the $shot shot differ in $differ pixels"
done

# The title "Quarn2" in the panel's top left, drawn by the program's own scan converter.
dark="$(convert "$work/shown.png" -crop 92x22+28+26 +repage -colorspace gray -threshold 15% -format '%[fx:round((1-mean)*w*h)]' info: 2>/dev/null)"
[ "${dark:-0}" -gt 20 ] || fail "the title shows $dark dark pixels"

xdotool mousemove 700 557 mousedown 1
sleep 0.5
import -window "$id" "$work/pressed.png" 2>/dev/null
xdotool mouseup 1
pressed="$(convert "$work/pressed.png" -format '%[pixel:p{180,125}]' info: 2>/dev/null)"
[ "$pressed" = "srgb(32,48,128)" ] || fail "the held button shows $pressed"
for _ in $(seq 1 50); do grep -q message "$work/out" && break; sleep 0.1; done
[ "$(cat "$work/out")" = 'message 0 "ok" "" "test dialog"' ] || fail "the tool printed: $(cat "$work/out")"

xdotool key Escape
for _ in $(seq 1 75); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
if kill -0 $pid 2>/dev/null; then
  fail "Escape did not end the tool"
else
  wait $pid || fail "exit status $?"
fi
pid=""
cat "$work"/err* | grep -q Sanitizer && fail "sanitizer report: $(cat "$work"/err*)"
[ "$failures" = 0 ] && echo "layout dialog passed"
exit $((failures > 0))
