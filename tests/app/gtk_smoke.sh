#!/usr/bin/env bash
# The program on the real back end, on the display that xvfb-run gives: without data/system.dat the
# message box comes up and Return ends the program with status 1; with one, a window titled Quarn2
# fills the screen in black and Ctrl+Q ends it with status 0. No run may print a sanitizer report.
# Arguments: the program and the build's data/system.dat.
set -uo pipefail
program="$1"
system_dat="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work"
unset QUARN2_HEADLESS
cp "$program" "$work/Quarn2"
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

visible_window() {
  local id=""
  for _ in $(seq 1 150); do
    id="$(xdotool search --onlyvisible --name '^Quarn2$' 2>/dev/null | head -1)"
    [ -n "$id" ] && break
    sleep 0.2
  done
  echo "$id"
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

./Quarn2 2> box.err &
pid=$!
id="$(visible_window)"
[ -n "$id" ] || fail "no message box appeared"
sleep 0.5
xdotool key Return
finish $pid
[ "$status" = 1 ] || fail "exit status $status after the message box, expected 1"
grep -q Sanitizer box.err && fail "sanitizer report: $(cat box.err)"

mkdir -p data && cp "$system_dat" data/system.dat
./Quarn2 2> run.err &
pid=$!
id="$(visible_window)"
[ -n "$id" ] || fail "no main window appeared"
sleep 1
geometry="$(xdotool getwindowgeometry "$id" | grep Geometry)"
screen="$(xdpyinfo 2>/dev/null | awk '/dimensions/ {print $2}')"
[ -z "$screen" ] || [ "${geometry##* }" = "$screen" ] || fail "window is $geometry, screen $screen"
import -window "$id" shot.png 2>/dev/null
pixel="$(convert shot.png -format '%[pixel:p{20,200}]' info: 2>/dev/null)"
case "$pixel" in black|"gray(0)"|"srgb(0,0,0)"|"rgb(0,0,0)") ;; *) fail "pixel (20, 200) is $pixel, expected black" ;; esac
xdotool key ctrl+q
finish $pid
[ "$status" = 0 ] || fail "exit status $status after Ctrl+Q, expected 0"
grep -q Sanitizer run.err && fail "sanitizer report: $(cat run.err)"

echo "$((2 - (failures > 0 ? 1 : 0))) passed, $((failures > 0 ? 1 : 0)) failed"
exit $((failures > 0))
