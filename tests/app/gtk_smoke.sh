#!/usr/bin/env bash
# The program on the real back end, on a virtual display of its own. Without its data the message
# box comes up and Return ends the program with status 1. With the build's data/ the main window
# "Quarn2" fills the screen with a menu bar of four menus, the six palettes are windows of their own at
# the rectangles of the normal layout, and the document window lies inside the main window between
# them, showing the default scene's wireframe; Ctrl+Tab hides and shows the palettes and Ctrl+Q ends
# the program with status 0. No run may print a sanitizer report.
# Arguments: the program and the build's data/ folder.
set -uo pipefail
program="$1"
data="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work"
unset QUARN2_HEADLESS
cp "$program" "$work/Quarn2"
cd "$work"
failures=0
checks=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { checks=$((checks + 1)); }

# The id of the visible window of that exact title, waiting for it a while.
visible_window() {
  local id=""
  for _ in $(seq 1 150); do
    id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)"
    [ -n "$id" ] && break
    sleep 0.2
  done
  echo "$id"
}

visible_count() {
  local count=0
  for name in "${palettes[@]}"; do
    [ -n "$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | head -1)" ] && count=$((count + 1))
  done
  echo "$count"
}

finish() {  # waits for pid and sets status to its exit status, or "timeout"
  for _ in $(seq 1 150); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.2
  done
  if kill -0 "$1" 2>/dev/null; then
    kill -9 "$1"
    wait "$1"
    status=timeout
  else
    wait "$1"
    status=$?
  fi
}

pixel() {  # the colour at (x, y) of an image, as srgb(r,g,b)
  convert "$1" -format "%[pixel:p{$2,$3}]" info: 2>/dev/null | sed 's/^rgb/srgb/; s/^gray(\(.*\))$/srgb(\1,\1,\1)/'
}

# ---- without data: the message box, and Return ends the program with status 1
check
./Quarn2 2> box.err &
pid=$!
id="$(visible_window Quarn2)"
[ -n "$id" ] || fail "no message box appeared"
sleep 0.5
xdotool key Return
finish $pid
[ "$status" = 1 ] || fail "exit status $status after the message box, expected 1"
grep -q Sanitizer box.err && fail "sanitizer report: $(cat box.err)"

# ---- with the build's data/
mkdir -p data && cp "$data"/*.dat data/
./Quarn2 2> run.err &
pid=$!
palettes=("control palette" "create palette" "edit palette" "sky&fog palette" "selection palette" "display palette")

check
main="$(visible_window Quarn2)"
[ -n "$main" ] || fail "no main window appeared"
for name in "${palettes[@]}"; do [ -n "$(visible_window "$name")" ] || fail "no visible window \"$name\""; done
sleep 1
screen="$(xdpyinfo 2>/dev/null | awk '/dimensions/ {print $2}')"
width="${screen%x*}"
height="${screen#*x}"
geometry="$(xdotool getwindowgeometry "$main" | awk '/Geometry/ {print $2}')"
[ "$geometry" = "$screen" ] || fail "main window is $geometry, screen $screen"

# The normal layout below the menu bar of 24: a block of 720 x 520 centred in the rest of the screen,
# the control and display palettes at its sides, the three rows at its top and the selection palette
# at its bottom between them.
check
bar=24
top=$((bar + ( (height - bar) / 2 - 260 )))
left=$((width / 2 - 360))
expect_window() {  # title x y width height
  local id position size
  id="$(xdotool search --onlyvisible --name "^$1\$" | head -1)"
  position="$(xdotool getwindowgeometry "$id" | awk '/Position/ {print $2}')"
  size="$(xdotool getwindowgeometry "$id" | awk '/Geometry/ {print $2}')"
  [ "$position" = "$2,$3" ] && [ "$size" = "$4x$5" ] || fail "$1 at $position size $size, expected $2,$3 size $4x$5"
}
expect_window "control palette" "$left" "$top" 120 520
expect_window "display palette" $((left + 600)) "$top" 120 520
for row in "create palette" "edit palette" "sky&fog palette"; do expect_window "$row" $((left + 120)) "$top" 480 100; done
expect_window "selection palette" $((left + 120)) $((top + 460)) 480 60

# The main window's capture: the menu bar's four titles, the document window's margin beside the
# palettes, and between them its view of the default scene: the view's background above the horizon
# (the display palette's first background picture, cream paper) and the ground's grey lines crossing
# at the projected origin, (240, 294) of the 480 x 360 view.
check
import -window "$main" main.png 2>/dev/null
titles="$(convert main.png -crop "${width}x${bar}+0+0" +repage -colorspace gray -threshold 50% -negate \
  -scale "${width}x1!" -threshold 0 txt:- 2>/dev/null |
  awk 'BEGIN { gap = 100 } NR > 1 { on = ($NF != "gray(0)" && $NF != "black"); if (on && gap >= 10) words++; gap = on ? 0 : gap + 1 }
       END { print words + 0 }')"
[ "$titles" = 4 ] || fail "the menu bar shows $titles titles, expected 4"
margin="$(pixel main.png 10 $((bar + 10)))"
[ "$margin" = "srgb(74,79,86)" ] || fail "document window margin at (10, $((bar + 10))) is $margin"
view="$(pixel main.png $((width / 2)) $((top + 150)))"
paper() {  # srgb(r,g,b) within the cream of the paper picture
  echo "$1" | awk -F'[(,)]' '{ exit !($2 >= 225 && $3 >= 220 && $4 >= 200 && $2 > $4 + 10) }'
}
paper "$view" || fail "document view at ($((width / 2)), $((top + 150))) is $view, not the paper picture"
origin_x=$((width / 2))
origin_y=$((top + 100 + 294))
ground=""
for dy in -1 0 1; do
  for dx in -1 0 1; do
    colour="$(pixel main.png $((origin_x + dx)) $((origin_y + dy)))"
    if [[ "$colour" =~ ^srgb\(([0-9]+),([0-9]+),([0-9]+)\)$ ]] && [ "${BASH_REMATCH[1]}" = "${BASH_REMATCH[2]}" ] &&
      [ "${BASH_REMATCH[2]}" = "${BASH_REMATCH[3]}" ] && [ "${BASH_REMATCH[1]}" -lt 170 ]; then
      ground="$colour"
    fi
  done
done
[ -n "$ground" ] ||
  fail "no ground line near the projected origin ($origin_x, $origin_y): $(pixel main.png "$origin_x" "$origin_y")"
import -window root screen.png 2>/dev/null

check
xdotool key ctrl+Tab
sleep 1
[ "$(visible_count)" = 0 ] || fail "Ctrl+Tab left $(visible_count) palettes visible"
xdotool key ctrl+Tab
sleep 1
[ "$(visible_count)" = 6 ] || fail "a second Ctrl+Tab shows $(visible_count) palettes"

check
xdotool key ctrl+q
finish $pid
[ "$status" = 0 ] || fail "exit status $status after Ctrl+Q, expected 0"
grep -q Sanitizer run.err && fail "sanitizer report: $(cat run.err)"
[ -s run.err ] && grep -qv Sanitizer run.err && fail "messages: $(cat run.err)"

echo "$((checks - failures)) passed, $failures failed"
exit $((failures > 0))
