#!/usr/bin/env bash
# Pictures on the real back end, on a virtual display of its own: picture_gtk_check shows a
# backdrop canvas at (100, 100) whose red and blue picture lies at (100, 50) over grey, and a composed
# canvas at (100, 400) with the same picture at (0, 0), a green box at (150, 20) to (250, 80) casting
# its shadow to the right and below, and a yellow picture at (20, 120) with its own shadow. The
# pixels must show them, and the backdrop must follow a move. No run may print a sanitizer report.
# Argument: the picture_gtk_check program.
source "$(dirname "$0")/gtk_check.sh"
start_check "$1"

shot() { import -window "$1" "$work/$2.png" 2>/dev/null; }
# The colour name of a pixel of a shot: red, blue, green, yellow, grey, shade (a grey darker than the
# canvas's) or what convert says.
colour() {
  local p
  p="$(convert "$work/$1.png" -format "%[pixel:p{$2,$3}]" info: 2>/dev/null)"
  case "$p" in
    red|"srgb(255,0,0)") echo red ;;
    blue|"srgb(0,0,255)") echo blue ;;
    "srgb(0,192,0)") echo green ;;
    yellow|"srgb(255,255,0)") echo yellow ;;
    "srgb(128,128,128)"|gray50|grey50) echo grey ;;
    "srgb("*)
      local r g b
      IFS=', ' read -r r g b <<< "${p#srgb(}"
      b="${b%)}"
      if [ "$r" = "$g" ] && [ "$g" = "$b" ] && [ "$r" -lt 128 ]; then echo shade; else echo "$p"; fi ;;
    *) echo "$p" ;;
  esac
}
expect() {  # expect SHOT COLOUR H V WHAT
  local seen
  seen="$(colour "$1" "$3" "$4")"
  [ "$seen" = "$2" ] || fail "$5: ($3, $4) is $seen, expected $2"
}

wait_for '^ready$' || { fail "the canvases did not come up: $(cat "$work/err")"; exit 1; }
backdrop="$(awk '/^window backdrop / {print $3}' "$work/out")"
composed="$(awk '/^window composed / {print $3}' "$work/out")"
sleep 1
[ "$(xdotool getwindowgeometry "$backdrop" | awk '/Position/ {print $2}')" = "100,100" ] ||
  fail "the backdrop canvas is at $(xdotool getwindowgeometry "$backdrop" | awk '/Position/ {print $2}')"

shot "$backdrop" b
expect b red 140 100 "the picture's left half"
expect b blue 180 100 "the picture's right half"
expect b grey 50 50 "left of and above the picture"
expect b grey 250 180 "right of and below the picture"
expect b grey 150 160 "below the picture"

shot "$composed" c
expect c red 30 30 "the backdrop under the tree"
expect c blue 70 30 "the backdrop's right half"
expect c grey 150 10 "beside the backdrop"
expect c green 200 50 "the composite element's fill"
expect c shade 253 50 "the box's shadow to the right"
expect c shade 200 83 "the box's shadow below"
expect c grey 145 50 "left of the box"
expect c grey 270 50 "beyond the box's shadow"
expect c yellow 40 140 "the image element's picture"
expect c shade 62 145 "the picture's shadow"
expect c grey 10 140 "left of the picture"

echo "move 0 0" >&3
wait_for '^done move 0 0$' || fail "the move was not taken"
sleep 0.5
shot "$backdrop" m
expect m red 20 20 "the moved picture's left half"
expect m blue 80 20 "the moved picture's right half"
expect m grey 150 100 "where the picture was"

finish "pictures"
