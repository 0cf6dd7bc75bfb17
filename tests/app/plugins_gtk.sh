#!/usr/bin/env bash
# The plug-ins the program comes with, on the real back end, on a virtual display of its own, with
# a session bus of its own for the accessibility bus: with the build's Plugins/ beside it, Ctrl+I
# shows GTK's file chooser whose filters list the DXF and both 3DMF formats; File ▸ Render to Disk
# shows one whose filters are the image plug-in's BMP and PNG formats, and with PNG chosen and a path
# typed it writes a PNG file of the document's 480 × 360 with a picture in it, after which the render
# report shows. No run may print a sanitizer report.
# Arguments: the program, the build's data/ folder and its Plugins/ folder.
if [ -z "${QUARN2_OWN_BUS:-}" ]; then
  QUARN2_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
here="$(cd "$(dirname "$0")" && pwd)"
plugins="$3"
source "$here/program_gtk.sh" "$1" "$2"
mkdir -p "$work/Plugins" && cp "$plugins"/*.qn? "$work/Plugins/"

chooser_tool() { /usr/bin/python3 "$here/file_chooser.py" "$@" 2>/dev/null; }

# Waits up to 200 s for the render report, $report its id; stops early when the program ends or,
# looked for every few seconds, shows a message box, whose text it then reports as a failure.
wait_for_report() {
  local alert
  report=""
  for i in $(seq 1 1000); do
    report="$(xdotool search --onlyvisible --name '^report render time$' 2>/dev/null | head -1)"
    [ -n "$report" ] && break
    kill -0 $pid 2>/dev/null || break
    if [ $((i % 15)) = 0 ] && alert="$(chooser_tool alert Quarn2)"; then
      fail "Render to Disk said: $alert"
      break
    fi
    sleep 0.2
  done
}

start_program
sleep 2

check
xdotool windowfocus --sync "$main" 2>/dev/null
xdotool key ctrl+i
dialog="$(wait_for_chooser)"
if [ -z "$dialog" ]; then
  fail "Ctrl+I showed no file chooser"
else
  filters="$(chooser_tool filters Quarn2)"
  for format in "DXF Files (*.dxf)" "3DMF (ASCII) Files (*.t3d)" "3DMF (Binary) Files (*.b3d)"; do
    grep -qxF "$format" <<< "$filters" || fail "Import Object does not offer \"$format\"; it offers: $filters"
  done
  xdotool windowfocus --sync "$dialog" 2>/dev/null
  xdotool key Escape
  for _ in $(seq 1 25); do
    [ -n "$(chooser)" ] || break
    sleep 0.2
  done
  [ -z "$(chooser)" ] || fail "Escape left the Import Object chooser shown"
fi

check
chooser_tool activate Quarn2 "Render to Disk..." || fail "File has no item \"Render to Disk...\""
dialog="$(wait_for_chooser)"
[ -n "$dialog" ] && filters="$(chooser_tool filters Quarn2)"
# A step that fails ends the check, and the run with it when a dialog stays in the way.
if [ -z "$dialog" ]; then
  fail "Render to Disk showed no file chooser"
elif [ "$filters" != "$(printf 'BMP Files (*.bmp)\nPNG Files (*.png)')" ]; then
  fail "Render to Disk offers: $filters"
elif ! chooser_tool choose Quarn2 "PNG Files (*.png)"; then
  fail "the PNG filter could not be chosen"
else
  type_path "$dialog" "$work/rendered.png"
  wait_for_report
  [ -n "$report" ] || fail "Render to Disk showed no render report"
  [ "$(identify -format '%m %w %h' "$work/rendered.png" 2>&1)" = "PNG 480 360" ] ||
    fail "Render to Disk wrote: $(identify "$work/rendered.png" 2>&1)"
  colours="$(identify -format '%k' "$work/rendered.png" 2>/dev/null)"
  [ "${colours:-0}" -gt 100 ] || fail "the PNG written holds ${colours:-no} colours, not a render"
  if [ -n "$report" ]; then
    xdotool windowfocus --sync "$report" 2>/dev/null
    xdotool key Return
  fi
fi

# Render to Disk leaves the document as it was: Ctrl+Q quits without a question.
check
xdotool windowfocus --sync "$main" 2>/dev/null
xdotool key ctrl+q
expect_quit
end_run
