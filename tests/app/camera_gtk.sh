#!/usr/bin/env bash
# The camera on the real back end, on the display that xvfb-run gives, over the default scene: a
# Space+Alt drag turns the camera with the trackball and leaves the pointer where the press was, and
# the captured window changes. No run may print a sanitizer report.
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

./Quarn2 2> run.err &
pid=$!
main="$(visible_window Quarn2)"
[ -n "$main" ] || { echo "FAIL: no main window appeared"; kill -9 $pid; exit 1; }
sleep 3
eval "$(xdotool getwindowgeometry --shell "$main")"
# A point in the sky above the horizon, away from every object.
press_x=$((X + WIDTH / 2 - 200))
press_y=$((Y + HEIGHT / 2 + 12 - 140))
capture start.png

check
xdotool mousemove "$press_x" "$press_y" keydown space keydown alt
sleep 0.3
xdotool mousedown 1
sleep 0.5
for _ in 1 2 3; do xdotool mousemove_relative -- 25 0; sleep 0.4; done
xdotool mouseup 1
sleep 0.3
xdotool keyup alt keyup space
sleep 1.5
eval "$(xdotool getmouselocation --shell)"
[ "$X" = "$press_x" ] && [ "$Y" = "$press_y" ] || fail "the pointer is at ($X, $Y), not back at ($press_x, $press_y)"
capture turned.png
differs start.png turned.png || fail "a Space+Alt drag did not turn the view"

# The turned camera is an unsaved change, which Ctrl+Q would ask about: the run is ended instead.
check
kill $pid
wait $pid
grep -q Sanitizer run.err && fail "sanitizer report: $(cat run.err)"

echo "$((checks - failures)) passed, $failures failed"
exit $((failures > 0))
