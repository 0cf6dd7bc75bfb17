#!/usr/bin/env bash
# The mouse in the document window on the real back end, on the display that xvfb-run gives, over the
# default scene: a click on the ground selects it (its box and handles appear), a drag on it moves it,
# a drag in the sky shows a dotted band, and a Space-drag pans the camera and leaves the pointer where
# the press was. Each step changes the captured window. No run may print a sanitizer report.
# Arguments: the program and the build's data/ folder.
set -uo pipefail
program="$1"
data="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work"
unset QUARN2_HEADLESS
cp "$program" "$work/Quarn2"
mkdir -p "$work/data" && cp "$data"/*.dat "$work/data/"
cd "$work"
failures=0
checks=0
failed=0
fail() {
  echo "FAIL: $*"
  [ "$failed" = 1 ] || failures=$((failures + 1))
  failed=1
}
check() {
  checks=$((checks + 1))
  failed=0
}

visible_window() {  # the id of the visible window of that exact title, waiting for it a while
  local id=""
  for _ in $(seq 1 150); do
    id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)"
    [ -n "$id" ] && break
    sleep 0.2
  done
  echo "$id"
}

capture() {  # the main window into the file
  import -window "$main" "$1" 2>/dev/null
}

differs() {  # whether two captures differ in any pixel
  [ "$(compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1)" != 0 ]
}

changed_in() {  # how many pixels of the rectangle (W x H + X + Y in the window) differ between two captures
  convert "$1" -crop "$3" +repage a.png && convert "$2" -crop "$3" +repage b.png
  compare -metric AE a.png b.png null: 2>&1 | cut -d' ' -f1
}

./Quarn2 2> run.err &
pid=$!
main="$(visible_window Quarn2)"
[ -n "$main" ] || { echo "FAIL: no main window appeared"; kill -9 $pid; exit 1; }
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
# The default view looks level at the horizon in the middle of the view, which is the main window's
# middle below the menu bar: the ground lies below it, the sky above.
ground_x=$((X + WIDTH / 2))
ground_y=$((Y + HEIGHT / 2 + 12 + 120))
empty_x=$((X + WIDTH / 2 - 210))
empty_y=$((Y + HEIGHT / 2 + 12 - 150))
capture start.png

check
xdotool mousemove "$ground_x" "$ground_y" click 1
sleep 1.5
capture selected.png
differs start.png selected.png || fail "a click on the ground changed nothing on screen"

check
xdotool mousemove "$ground_x" "$ground_y" mousedown 1
sleep 0.5
for _ in 1 2 3 4; do xdotool mousemove_relative -- 15 5; sleep 0.3; done
xdotool mouseup 1
sleep 1.5
capture moved.png
differs selected.png moved.png || fail "a drag on the selected ground changed nothing on screen"

check
xdotool mousemove "$empty_x" "$empty_y" mousedown 1
sleep 0.5
xdotool mousemove_relative -- 60 40
sleep 0.5
capture band.png
xdotool mouseup 1
sleep 1.5
capture after_band.png
# The band's outline: half of its pixels are gaps drawn in XOR.
outline="$(changed_in moved.png band.png "62x42+$((empty_x - X))+$((empty_y - Y))")"
[ "${outline:-0}" -gt 60 ] || fail "the selection band did not show during the drag ($outline pixels changed)"

check
xdotool mousemove "$empty_x" "$empty_y" keydown space
sleep 0.3
xdotool mousedown 1
sleep 0.5
for _ in 1 2 3; do xdotool mousemove_relative -- 20 10; sleep 0.4; done
xdotool mouseup 1
sleep 0.3
xdotool keyup space
sleep 1.5
eval "$(xdotool getmouselocation --shell)"
[ "$X" = "$empty_x" ] && [ "$Y" = "$empty_y" ] || fail "the pointer is at ($X, $Y), not back at ($empty_x, $empty_y)"
capture panned.png
differs after_band.png panned.png || fail "a Space-drag did not move the view"

# The moved ground is an unsaved change, which Ctrl+Q would ask about: the run is ended instead.
check
kill $pid
wait $pid
grep -q Sanitizer run.err && fail "sanitizer report: $(cat run.err)"

echo "$((checks - failures)) passed, $failures failed"
exit $((failures > 0))
