#!/usr/bin/env bash
# An element tree on the real back end, on a virtual display of its own: element_gtk_check shows
# a 300 x 200 canvas at (100, 100) whose switcher shows the red page (a red box at (20, 20) to
# (120, 120) and a green button at (20, 150) to (80, 190)); clicking the button opens the blue page
# (a blue box at (150, 50) to (250, 150)), and its button brings the red page back. The pixels must
# follow, and each press must reach the element under the pointer in that element's coordinates. No
# run may print a sanitizer report.
# Argument: the element_gtk_check program.
source "$(dirname "$0")/gtk_check.sh"
start_check "$1"

colour() {  # the colour name of a pixel of the window
  import -window "$window" "$work/shot.png" 2>/dev/null
  case "$(convert "$work/shot.png" -format "%[pixel:p{$1,$2}]" info: 2>/dev/null)" in
    red|"srgb(255,0,0)") echo red ;;
    blue|"srgb(0,0,255)") echo blue ;;
    "srgb(0,192,0)") echo green ;;
    white|"srgb(255,255,255)") echo white ;;
    *) convert "$work/shot.png" -format "%[pixel:p{$1,$2}]" info: 2>/dev/null ;;
  esac
}
expect() {  # what is seen at (h, v) of the window
  local seen
  seen="$(colour "$2" "$3")"
  [ "$seen" = "$1" ] || fail "$4: ($2, $3) is $seen, expected $1"
}

wait_for '^ready$' || { fail "the tree did not come up: $(cat "$work/err")"; exit 1; }
window="$(awk '/^window / {print $2}' "$work/out")"
sleep 1
[ "$(xdotool getwindowgeometry "$window" | awk '/Position/ {print $2}')" = "100,100" ] ||
  fail "the canvas is at $(xdotool getwindowgeometry "$window" | awk '/Position/ {print $2}')"

expect red 70 70 "the red page"
expect green 50 170 "the red page's button"
expect white 200 100 "beside the red box"
expect white 125 125 "just outside the red box"

xdotool mousemove 130 130 click 1  # canvas (30, 30): the red box's (10, 10)
wait_for '^press red box 10 10$' || fail "the red box took no press: $(grep press "$work/out")"
xdotool mousemove 130 270 click 1  # canvas (30, 170): the button's (10, 20)
wait_for '^press next 10 20$' || fail "the next button took no press: $(grep press "$work/out")"
sleep 0.5
expect white 70 70 "after next, where the red box was"
expect blue 200 100 "the blue page"
expect green 50 170 "the blue page's button"

xdotool mousemove 320 180 click 1  # canvas (220, 80): the blue box's (70, 30)
wait_for '^press blue box 70 30$' || fail "the blue box took no press: $(grep press "$work/out")"
xdotool mousemove 160 280 click 1
wait_for '^press back 40 30$' || fail "the back button took no press: $(grep press "$work/out")"
sleep 0.5
expect red 70 70 "the red page again"
expect white 200 100 "where the blue box was"

finish "element tree"
