#!/usr/bin/env bash
# Setvane on the real back end, on a virtual display of its own (no window manager), with its XDG
# folders in a private folder. First run: dialog 101 is a window titled "Carvane Installation" whose
# text and field show (ImageMagick's import of the screen); a click on Cancel brings the warning
# "Carvane Not Installed", Return ends the run with status 1 and nothing is written. Second run: Space
# presses OK, which has the focus, so the suggested folder in the field is the one installed to; Yes
# to the group writes the menu files, which desktop-file-validate and xmllint accept; Yes to the start
# runs the installed cvn32.exe, which tells its folder; the status is 0. No run may print a sanitizer
# report. Arguments: the program and the folder mkpayload wrote to.
setvane="$1"
payload="$2/payload"
source "$(dirname "$0")/../framework/ui/gtk_session.sh"
export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
unset QUARN2_SCRIPT
mkdir -p "$HOME" "$XDG_DATA_HOME"
target="$XDG_DATA_HOME/Carvane"

window() { visible_windows "$1" | head -1; }  # the id of the visible window titled $1

answer() {  # answer TITLE KEY: presses KEY once the window titled TITLE shows
  local id
  id="$(window "$1")"
  [ -n "$id" ] || { fail "no window \"$1\" appeared"; return 1; }
  sleep 0.5
  xdotool key "$2"
}

finish() {  # waits up to 15 s for pid; status is its exit status, or "timeout"
  if timeout 15 tail --pid="$1" -f /dev/null; then
    wait "$1"
    status=$?
  else
    kill -9 "$1"
    wait "$1"
    status=timeout
  fi
}

darkest() {  # the darkest grey (0 to 1) of the screen's area X Y W H
  convert "$work/screen.png" -crop "$3x$4+$1+$2" -colorspace gray -format "%[fx:minima]" info: 2>/dev/null
}

"$setvane" > "$work/out1" 2> "$work/err1" &
pid=$!
id="$(window "Carvane Installation")"
if [ -z "$id" ]; then
  fail "dialog 101 did not appear: $(cat "$work/err1")"
else
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$id")"
  import -window root "$work/screen.png" 2>/dev/null
  # Inside a 3-pixel frame: the welcome text from (15, 13), the field at (15, 126), Cancel's middle at
  # (325, 178).
  awk "BEGIN {exit !($(darkest $((X + 20)) $((Y + 16)) 300 20) < 0.3)}" || fail "dialog 101 shows no welcome text"
  awk "BEGIN {exit !($(darkest $((X + 20)) $((Y + 131)) 100 12) < 0.3)}" || fail "the field shows no folder"
  xdotool mousemove --sync $((X + 325)) $((Y + 178)) click 1
  answer "Carvane Not Installed" Return
fi
finish $pid
[ "$status" = 1 ] || fail "exit status $status after Cancel, expected 1"
[ -e "$target" ] && fail "Cancel left $target"
grep -q Sanitizer "$work/err1" && fail "sanitizer report: $(cat "$work/err1")"

"$setvane" > "$work/out2" 2> "$work/err2" &
pid=$!
answer "Carvane Installation" space
answer "Add Program Group" Return
answer "Installation Successful" Return
finish $pid
[ "$status" = 0 ] || fail "exit status $status after installing and starting, expected 0: $(cat "$work/err2")"
grep -q Sanitizer "$work/err2" && fail "sanitizer report: $(cat "$work/err2")"
for name in cvn32.exe cvu32.exe carvane.hlp; do
  cmp -s "$payload/$name" "$target/$name" || fail "$name is not installed in the suggested $target"
done
for _ in $(seq 1 25); do grep -q . "$work/out2" && break; sleep 0.2; done
[ "$(cat "$work/out2")" = "Carvane is installed in $target." ] || fail "the started program said: $(cat "$work/out2")"

entry="$XDG_DATA_HOME/applications/Carvane.desktop"
directory="$XDG_DATA_HOME/desktop-directories/Carvane.directory"
menu="$XDG_CONFIG_HOME/menus/applications-merged/Carvane.menu"
[ "$(cat "$entry")" = "$(printf '[Desktop Entry]\nType=Application\nName=Carvane\nExec="%s/cvn32.exe"\nPath=%s\nTerminal=false\nCategories=X-Carvane;' "$target" "$target")" ] ||
  fail "the desktop entry holds: $(cat "$entry")"
[ "$(cat "$directory")" = "$(printf '[Desktop Entry]\nType=Directory\nName=Carvane')" ] || fail "the directory file holds: $(cat "$directory")"
grep -q '<Category>X-Carvane</Category>' "$menu" || fail "the menu file holds: $(cat "$menu")"
desktop-file-validate "$entry" "$directory" >/dev/null || fail "desktop-file-validate refuses: $(desktop-file-validate "$entry" "$directory")"
xmllint --noout "$menu" || fail "xmllint refuses the menu file"

[ "$failures" = 0 ] && echo "Setvane on GTK passed"
exit $((failures > 0))
