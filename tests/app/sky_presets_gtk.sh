#!/usr/bin/env bash
# The sky preset palette on the real back end, on a virtual display of its own, with the build's
# preset libraries beside the program: a click on the create palette's "sky&fog plopup" shows the
# window "skyfogpresets" with a drawn first thumbnail; a click on the second cell changes its preview;
# "ok" closes it and the control palette's nano preview shows the new sky within 3 s; Ctrl+Q asks to
# save the change, and "dont save" ends the program with status 0. No run may print a sanitizer report. Arguments: the program and the build's
# data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"
cp -r "$(dirname "$2")/Presets" "$work/"

start_program
sleep 3
find_create_and_control
sleep 3
import -window "$control" control-before.png 2>/dev/null

# "sky&fog plopup" is at 3 452 17 466 of the create palette; a quick click leaves the palette open.
check
click_in "$create" 3 452 17 466
skies="$(visible_window "skyfogpresets")"
if [ -z "$skies" ]; then
  fail "a click on \"sky&fog plopup\" showed no sky preset palette"
  kill $pid; wait $pid; end_run
fi
sleep 2

# The first grid cell (the grid at 32 10 of the palette, its first cell 2 2 54 54 within it).
check
import -window "$skies" skies.png 2>/dev/null
pixel="$(pixel_hex skies.png $((10 + 28)) $((32 + 28)))"
[ -n "$pixel" ] && [ "$pixel" != 000000 ] && [ "$pixel" != 20262e ] || fail "the first thumbnail is not drawn ($pixel)"

# The second cell (2 56 54 108 of the grid) loads its sky: the preview (32 334 128 430) changes.
check
click_in "$skies" $((32 + 2)) $((10 + 56)) $((32 + 54)) $((10 + 108))
sleep 1.5
import -window "$skies" skies-after.png 2>/dev/null
[ "$(changed_in skies.png skies-after.png 96x96+334+32)" != 0 ] || fail "a click on the second sky left the preview as it was"

# "ok" (296 364 320 430) puts the sky into the document: the control palette's preview renders it.
check
click_in "$skies" 296 364 320 430
sleep 1
[ -z "$(xdotool search --onlyvisible --name '^skyfogpresets$' 2>/dev/null)" ] || fail "\"ok\" left the sky preset palette open"
changed=""
for _ in 1 2 3 4 5 6; do
  sleep 0.5
  # Without a window manager the main window can come up over the palette, which captures black.
  xdotool windowraise "$control" 2>/dev/null
  import -window "$control" control-after.png 2>/dev/null
  differs control-before.png control-after.png && { changed=1; break; }
done
[ -n "$changed" ] || fail "the control palette did not change after \"ok\""
[ "$(convert control-after.png -format %k info: 2>/dev/null)" -gt 16 ] 2>/dev/null ||
  fail "the control palette captured after \"ok\" is not drawn"

# The new sky is an unsaved change, so quitting asks first.
check
quit_without_saving "a new sky"
end_run
