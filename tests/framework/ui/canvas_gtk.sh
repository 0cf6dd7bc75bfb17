#!/usr/bin/env bash
# Canvases on the real back end, on a virtual display of its own (no window manager, so windows
# sit exactly where they are placed): canvas_gtk_check shows a red canvas centred by its "canv"
# record and a blue one at (50, 100); their windows must be where and what the records say, take a
# press, move and hide. No run may print a sanitizer report.
# Argument: the canvas_gtk_check program.
source "$(dirname "$0")/gtk_check.sh"
start_check "$1"

geometry() { xdotool getwindowgeometry "$1" | awk '/Position/ {print $2} /Geometry/ {print $2}' | paste -sd ' '; }
pixel() {
  import -window "$1" "$work/shot.png" 2>/dev/null
  convert "$work/shot.png" -format "%[pixel:p{$2,$3}]" info: 2>/dev/null
}

wait_for '^ready$' || { fail "the canvases did not come up: $(cat "$work/err")"; exit 1; }
red="$(awk '/^red / {print $2}' "$work/out")"
blue="$(awk '/^blue / {print $2}' "$work/out")"
sleep 1

[ "$(geometry "$red")" = "540,462 201x101" ] || fail "red canvas at $(geometry "$red"), expected 540,462 201x101"
[ "$(geometry "$blue")" = "50,100 80x50" ] || fail "blue canvas at $(geometry "$blue"), expected 50,100 80x50"
for corner in "5 5" "0 0" "200 100"; do
  case "$(pixel "$red" $corner)" in red|"srgb(255,0,0)"|"rgb(255,0,0)") ;; *) fail "red canvas at ($corner) is $(pixel "$red" $corner)" ;; esac
done
for corner in "5 5" "79 49"; do
  case "$(pixel "$blue" $corner)" in blue|"srgb(0,0,255)"|"rgb(0,0,255)") ;; *) fail "blue canvas at ($corner) is $(pixel "$blue" $corner)" ;; esac
done

xdotool mousemove 60 110 click 1
wait_for '^press blue 60 110$' || fail "the blue canvas took no press at (60, 110): $(grep press "$work/out")"

send_command "move blue 300 200"
[ "$(geometry "$blue" | cut -d' ' -f1)" = "300,200" ] || fail "blue canvas at $(geometry "$blue") after the move"
for size in "60 30" "120 90"; do
  send_command "size blue $size"
  [ "$(geometry "$blue")" = "300,200 ${size/ /x}" ] || fail "blue canvas at $(geometry "$blue") after sizing to $size"
done
case "$(pixel "$blue" 110 80)" in blue|"srgb(0,0,255)"|"rgb(0,0,255)") ;; *) fail "the grown blue canvas is $(pixel "$blue" 110 80) at (110, 80)" ;; esac

xdotool search --onlyvisible --name '' 2>/dev/null | grep -qx "$red" || fail "the red window is not listed as visible"
send_command "hide red"
xdotool search --onlyvisible --name '' 2>/dev/null | grep -qx "$red" && fail "the red window is still visible"

finish "canvases"
