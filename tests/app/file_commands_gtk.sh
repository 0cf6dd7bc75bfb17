#!/usr/bin/env bash
# The document's file commands on the real back end, on a virtual display of its own: Ctrl+O shows
# GTK's file chooser with the documents' filter, a path typed into it opens the document, whose
# picture beside it becomes the rendered image shown in the document window; Ctrl+S saves the document
# again without a dialog, writing the picture beside it anew; Ctrl+Q then ends the program with status
# 0 and no question. No run may print a sanitizer report.
# Arguments: the program, the build's data/ folder and quarn2-scene.
scene_tool="$3"
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

pixel() {  # the colour at (x, y) of an image, as srgb(r,g,b)
  convert "$1" -format "%[pixel:p{$2,$3}]" info: 2>/dev/null | sed 's/^rgb/srgb/'
}

printf 'camera from 0 6 -20 to 0 2 0 fov 60\nsphere ball at 0 2 0 size 4 4 4\n' > scene.txt
"$scene_tool" scene.txt doc.qnc > /dev/null 2>&1 || { echo "FAIL: quarn2-scene"; exit 1; }
convert -size 480x360 xc:'#ff0000' BMP3:doc.bmp
touch -d '2001-01-01' doc.bmp

start_program
sleep 1

# Ctrl+L opens the chooser's location field, and a path typed there replaces what a try before left
# in it.
check
xdotool key ctrl+o
dialog="$(wait_for_chooser)"
[ -n "$dialog" ] || fail "Ctrl+O showed no file chooser"
type_path "$dialog" "$work/doc.qnc"
sleep 2

# The view shows the rendered image, the picture read from beside the document.
check
import -window "$main" main.png 2>/dev/null
width="$(identify -format '%w' main.png)"
height="$(identify -format '%h' main.png)"
centre="$(pixel main.png $((width / 2)) $((height / 2 + 12)))"
[ "$centre" = "srgb(255,0,0)" ] || fail "the document view's centre is $centre, expected the picture's red"

# A document with its file saves without a dialog, and the picture beside it is written again.
check
xdotool key ctrl+s
sleep 2
[ -n "$(find doc.bmp -newermt '2002-01-01')" ] || fail "Ctrl+S did not write the picture beside the document"
[ "$(identify -format '%w %h' doc.bmp 2>/dev/null)" = "480 360" ] || fail "the picture is $(identify doc.bmp 2>&1)"
[ "$(xdotool search --onlyvisible --name '^Quarn2$' 2>/dev/null | wc -l)" = 1 ] || fail "Ctrl+S showed a dialog"

check
xdotool key ctrl+q
expect_quit
end_run
