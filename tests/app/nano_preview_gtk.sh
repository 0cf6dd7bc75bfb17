#!/usr/bin/env bash
# The control palette's nano preview on the real back end, on a virtual display of its own: the
# palette's window shows, and its preview, rendered from the heartbeat a second after the start,
# changes the preview's area from what a capture taken at once shows. No run may print a sanitizer
# report. Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

start_program
check
palette="$(visible_window "control palette")"
[ -n "$palette" ] || fail "no control palette window appeared"
# The "nano preview" element of the layout: 112 x 84 at (4, 22) of the palette.
preview="112x84+4+22"
import -window "$palette" first.png 2>/dev/null
changed=0
for _ in $(seq 1 30); do
  sleep 1
  import -window "$palette" now.png 2>/dev/null
  changed="$(changed_in first.png now.png "$preview")"
  [ "${changed:-0}" -gt 500 ] && break
done
[ "${changed:-0}" -gt 500 ] || fail "the nano preview changed only ${changed:-0} pixels after its start"
# The render is the default scene's: the sky above the horizon is blue, not the element's black.
read -r red blue <<< "$(convert now.png -format "%[fx:int(255*p{60,26}.r)] %[fx:int(255*p{60,26}.b)]" info: 2>/dev/null)"
[ "${blue:-0}" -gt "${red:-0}" ] || fail "the preview's sky is not blue (red ${red:-?}, blue ${blue:-?})"

check
kill $pid
wait $pid
end_run
