#!/usr/bin/env bash
# Makes the pictures of README.md and of the manual (resources/help/Quarn2.html) from the program
# itself: starts the built program on GTK on a virtual display of its own, opens a landscape document,
# drives it with xdotool to each palette, editor and dialog the manual shows and captures each window
# with `import -window`; the landscape itself is rendered by quarn2-render. With --check it then
# checks that every picture README.md and the manual name was made here and is committed, and that
# none is blank, so that the pictures cannot drift from the program.
#
# Usage: scripts/docs_pictures.sh [--build DIR] [--out DIR] [--check] [--here]
#   --build DIR  the build tree with Quarn2, data/, Presets/, Plugins/ and the tools (default build)
#   --out DIR    where the pictures go (default resources/help/pictures, the committed ones)
#   --check      check the pictures the documents name, made and committed; status 1 when one fails
#   --here       use the display in $DISPLAY instead of starting a virtual one (the tests do so)
# Refresh the committed pictures after a change to what a window shows:
#   cmake --build build --target Quarn2 quarn2-scene quarn2-render && scripts/docs_pictures.sh
set -uo pipefail
source="$(cd "$(dirname "$0")/.." && pwd)"
build="$source/build"
out="$source/resources/help/pictures"
committed="$source/resources/help/pictures"
check_only=0
here=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$(cd "$2" && pwd)" || exit 2; shift 2 ;;
    --out) mkdir -p "$2" && out="$(cd "$2" && pwd)" || exit 2; shift 2 ;;
    --check) check_only=1; shift ;;
    --here) here=1; shift ;;
    -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "docs_pictures.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
done
for tool in Quarn2 quarn2-scene quarn2-render; do
  [ -x "$build/$tool" ] || { echo "docs_pictures.sh: $build/$tool is missing; build it first" >&2; exit 1; }
done
# A screen little larger than the palettes round a 640 x 360 document, so the window's picture is
# mostly the program.
if [ "$here" = 0 ]; then
  export QUARN2_GTK_SCREEN="${QUARN2_GTK_SCREEN:-1024x640x24}"
  args=(--build "$build" --out "$out" --here)
  [ "$check_only" = 1 ] && args+=(--check)
  exec bash "$source/tests/gtk_display.sh" bash "$0" "${args[@]}"
fi

# An ASan build's leak check knows GTK's own allocations.
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$source/tests/app/gtk_leaks.supp:print_suppressions=0}"
# Pictures an earlier run left in a folder of the build's own would pass the check unmade.
[ "$out" = "$committed" ] || rm -f "$out"/*.png
# The program's GTK helpers (start_program, visible_window, click_in, at ...), in a private folder.
source "$source/tests/app/program_gtk.sh" "$build/Quarn2" "$build/data"
cp -r "$build/Presets" "$build/Plugins" . 2>/dev/null

# The landscape of README.md: a generated terrain over a lake, a boulder in the water, haze and sun.
cat > landscape.txt <<'SCENE'
size 640 360
camera from -34 11 -66 to 4 3 8 fov 60
sun direction -0.7 0.45 -0.5 colour 1 0.93 0.8
sky haze 14 shadows 75
terrain hills generate 11 at 0 4 8 size 84 15 84 colour 0.36 0.46 0.25 ambient-colour 0.36 0.46 0.25
plane lake at 0 -1.6 0 colour 0.08 0.22 0.36 ambient-colour 0.08 0.22 0.36 reflection 0.55
sphere boulder at -12 -0.6 -34 size 5 4 5 colour 0.62 0.58 0.52 ambient-colour 0.62 0.58 0.52
SCENE
"$build/quarn2-scene" landscape.txt Landscape.qnc || { echo "FAIL: quarn2-scene landscape.txt"; exit 1; }
# The render runs while the program is driven.
"$build/quarn2-render" Landscape.qnc landscape.bmp --aa=7 2> render.err &
render=$!

# One picture: WINDOW captured as NAME.png in the output folder; "root" captures the main window with
# the palettes over it. SIZE (W x H) crops the picture to the dialog of a window that is larger than
# what it draws, by a margin at its right and bottom that shows whatever lies beneath.
shoot() {  # WINDOW NAME [SIZE]
  check
  if [ -z "$1" ] || ! xdotool getwindowname "$1" > /dev/null 2>&1; then
    fail "no window to capture as $2.png"
  else
    if [ "$1" = "$main" ]; then
      # Without a window manager to keep them above it, the main window comes over the palettes when
      # a dialog closes.
      for palette in "$control" "$selection" "$display" "$edit"; do xdotool windowraise "$palette"; done
      sleep 0.3
      import -window root -crop "$(palettes_box)" +repage "$out/$2.png" 2>/dev/null
    else
      # A dialog under the main window would be captured black.
      xdotool windowraise "$1"
      sleep 0.3
      import -window "$1" "$out/$2.png" 2>/dev/null &&
        if [ -n "${3:-}" ]; then mogrify -crop "$3+0+0" +repage "$out/$2.png"; fi
    fi || fail "$2.png could not be captured"
  fi
}
# The screen from its top-left corner to the bottom-right corner of the palettes: the menu bar, the
# palettes and the document window between them.
palettes_box() {
  local right bottom
  eval "$(xdotool getwindowgeometry --shell "$display")"
  right=$((X + WIDTH))
  eval "$(xdotool getwindowgeometry --shell "$selection")"
  bottom=$((Y + HEIGHT))
  echo "${right}x${bottom}+0+0"
}
# Waits for the window of exactly that title; prints its id, or fails naming what should have shown it.
shown() {
  local id
  id="$(visible_windows "$1" 10 | head -1)"
  if [ -z "$id" ]; then
    echo "FAIL: $2 showed no \"$1\"" >&2
    [ -n "${QUARN2_DOCS_DEBUG:-}" ] && import -window root "$QUARN2_DOCS_DEBUG/no-$1.png" 2>/dev/null
  fi
  echo "$id"
}
# The pointer over the middle of WINDOW, and the keys to it: there is no window manager to give it them.
point_into() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove "$((X + WIDTH / 2))" "$((Y + HEIGHT / 2))"
  # A window that took the focus before keeps the keys; the focus returns to the pointer once
  # this one closes.
  xdotool windowfocus "$1" 2>/dev/null
  sleep 0.2
}
# Waits up to 5 s for the window TITLE to go; fails naming what should have closed it.
closed() {  # TITLE WHAT
  for _ in $(seq 1 25); do
    [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ] && return
    sleep 0.2
  done
  fail "$2 left \"$1\" shown"
}
# Closes the window TITLE with Escape, as its Cancel does.
dismiss() {
  local id
  id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)"
  [ -n "$id" ] && point_into "$id"
  xdotool key Escape
  closed "$1" Escape
}
# The pointer over the main window's body, where the program takes the keys; it moves twice, so the
# window hears it come in.
focus_main() {
  read -r fx fy < <(at "$main" 300 20)
  xdotool mousemove "$fx" "$fy"
  sleep 0.2
  xdotool mousemove "$((fx + 10))" "$((fy + 10))"
}
# Picks item N of the menu whose title lies at X of the menu bar; a negative N counts from the end.
# The title takes a press held a moment once the pointer has rested on it; a press that did not open
# the menu (its light rows under the title) is tried again, since the keys would otherwise edit the
# selection.
menu_pick() {
  local opened=0 mx my
  read -r mx my < <(at "$main" 11 "$1")
  for _ in 1 2 3 4 5 6; do
    # The title takes the press once the pointer has moved over it, not only onto it.
    xdotool mousemove "$((mx - 2))" "$((my - 1))"
    sleep 0.1
    xdotool mousemove "$mx" "$my"
    sleep 0.3
    xdotool mousedown 1
    sleep 0.3
    xdotool mouseup 1
    for _ in 1 2 3 4 5; do
      sleep 0.2
      [ "$(import -window root -crop "1x1+$((mx + 20))+$((my + 40))" -format '%[fx:int(255*mean)]' info: 2>/dev/null)" \
        -gt 200 ] 2>/dev/null &&
        { opened=1; break; }
    done
    [ "$opened" = 1 ] && break
    focus_main
  done
  [ "$opened" = 1 ] || { echo "FAIL: the menu at $1 did not open" >&2; return; }
  if [ "$2" -gt 0 ]; then
    for _ in $(seq 1 "$2"); do xdotool key Down; done
  else
    for _ in $(seq 1 "${2#-}"); do xdotool key Up; done
  fi
  xdotool key Return
}
file_menu=19
edit_menu=59
object_menu=109

# Starts the program on the landscape, ending the one that runs; $main and the palettes' windows.
pid=""
start_landscape() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  fi
  ./Quarn2 Landscape.qnc 2>> run.err &
  pid=$!
  main="$(visible_window Quarn2)"
  [ -n "$main" ] || { echo "FAIL: no main window appeared"; kill -9 $pid; exit 1; }
  control="$(visible_window "control palette")"
  create="$(visible_window "create palette")"
  edit="$(visible_window "edit palette")"
  sky="$(visible_window "sky&fog palette")"
  selection="$(visible_window "selection palette")"
  display="$(visible_window "display palette")"
}
start_landscape
# The nano preview renders the scene a second after the document opens.
sleep 4

# The window, with the pointer over the selection palette so its tools show.
read -r x y < <(at "$selection" 30 300)
xdotool mousemove "$x" "$y"
sleep 1
shoot "$main" window
shoot "$selection" selection-palette
read -r x y < <(at "$display" 200 60)
xdotool mousemove "$x" "$y"
sleep 1
shoot "$display" display-palette
shoot "$control" control-palette
shoot "$edit" edit-palette

# The render report follows a complete render; Ctrl+R is pressed again if the first did not start one.
report=""
for _ in 1 2; do
  focus_main
  xdotool key ctrl+r
  report="$(visible_windows "report render time" 30 | head -1)"
  [ -n "$report" ] && break
done
[ -n "$report" ] || echo "FAIL: Ctrl+R showed no render report" >&2
sleep 0.5
shoot "$report" render-report
# Its "ok" (228 238 252 310) closes it.
if [ -n "$report" ]; then
  click_in "$report" 228 238 252 310
  closed "report render time" "its ok"
fi
shoot "$main" render

# Escape goes back from the rendered image to the wireframe.
focus_main
xdotool key Escape
sleep 0.5
# Fly Around orbits a camera of its own round the scene; Escape drops it.
focus_main
xdotool key ctrl+f
sleep 2
shoot "$main" fly-around
xdotool key Escape
sleep 1
focus_main
xdotool key ctrl+i
chooser_id="$(wait_for_chooser)"
[ -n "$chooser_id" ] || echo "FAIL: Ctrl+I showed no file chooser" >&2
xdotool windowsize "$chooser_id" 820 520 2>/dev/null
sleep 0.7
shoot "$chooser_id" import
xdotool key Escape
sleep 1

# The edit palette's "create text" tab (2 262 17 310) brings the create palette forward; its "radial
# light" (56 356 84 384) makes a light, and Ctrl+T edits it.
click_in "$edit" 2 262 17 310
sleep 1
shoot "$create" create-palette
click_in "$create" 56 356 84 384
sleep 1
focus_main
xdotool key ctrl+t
light="$(shown "edit light" "Ctrl+T on a radial light")"
sleep 1
shoot "$light" light-editor
dismiss "edit light"

# The create palette's "sky&fog text" tab brings the sky & fog palette forward; raised by hand too,
# in case the palette does not come forward by itself.
click_in "$create" 2 392 17 450
sleep 1
xdotool windowraise "$sky"
sleep 0.5
shoot "$sky" skyfog-palette
focus_main
xdotool key ctrl+2
sleep 0.5
xdotool windowraise "$edit"

# "sel terrains" (20 24 38 42) selects the terrain: Ctrl+T edits it, Ctrl+E its material.
click_in "$selection" 20 24 38 42
sleep 0.5
focus_main
xdotool key ctrl+t
terrain="$(shown "terrain editor" "Ctrl+T on the terrain")"
# The relief rises in the 3D view when the editor opens.
sleep 3
shoot "$terrain" terrain-editor
dismiss "terrain editor"

focus_main
xdotool key ctrl+e
composer="$(shown "materials composer" "Ctrl+E on the terrain")"
sleep 2
shoot "$composer" material-composer
# The grid's cell of component a in the diffuse row gives it a texture; a click on the component's
# colour swatch opens the texture in the quick 3D texture dialog, an Alt-click in the 3D texture
# editor.
read -r cx cy < <(at "$composer" 0 0)
xdotool mousemove "$((cx + 367))" "$((cy + 178))" click 1
sleep 1.5
xdotool mousemove "$((cx + 512))" "$((cy + 316))" click 1
quick="$(shown "edit 3dtexture" "a click on a component's swatch")"
# The texture's name (32 10 50 190) lists the textures of the library: the third row, Marble, is one
# that shows its colours; the list is the program's second window of its own title. The preview then
# fills in by itself, and OK (Return) gives the component the texture chosen, for the editor below.
if [ -n "$quick" ]; then
  click_in "$quick" 32 10 50 190
  sleep 1
  list="$(chooser)"
  if [ -n "$list" ]; then
    read -r lx ly < <(at "$list" 63 40)
    xdotool mousemove "$lx" "$ly" click 1
  fi
  sleep 2
fi
shoot "$quick" quick-texture 340x250
if [ -n "$quick" ]; then
  point_into "$quick"
  xdotool key Return
  closed "edit 3dtexture" Return
fi
xdotool windowraise "$composer"
xdotool mousemove "$((cx + 512))" "$((cy + 316))"
xdotool keydown alt click 1 keyup alt
texture="$(shown DTEditor "an Alt-click on a component's swatch")"
sleep 2
shoot "$texture" texture-editor
dismiss DTEditor
dismiss "materials composer"


# A double click on the control palette's "camera XY control" (222 62 278 118).
read -r x y < <(at "$control" 250 67)
xdotool mousemove "$x" "$y" click --repeat 2 --delay 120 1
camera="$(shown "edit camera" "a double click on the camera control")"
sleep 0.5
shoot "$camera" camera-editor
dismiss "edit camera"


# The edit palette's presets button (3 370 17 384), clicked rather than held, keeps the material
# presets open; the second thumbnail of the grid (at 32 110, cells of 54) chooses "sandstone", which
# the preview shows on the selected terrain.
for palette in "$control" "$selection" "$display" "$edit"; do xdotool windowraise "$palette"; done
click_in "$edit" 3 370 17 384
presets="$(shown objmatpresets "a click on the edit palette's presets button")"
if [ -n "$presets" ]; then
  sleep 1
  click_in "$presets" 34 166 86 218
  sleep 2
fi
shoot "$presets" presets
dismiss objmatpresets

# The radial light made above is an unsaved change, so New asks first; "Don't Save" (d) goes on to
# the set-up of the new document, whose Cancel keeps the landscape.
focus_main
xdotool key ctrl+n
question="$(shown "save changes" "Ctrl+N on a changed document")"
shoot "$question" save-changes
if [ -n "$question" ]; then
  point_into "$question"
  xdotool key d
fi
setup="$(shown "doc setup" "Don't Save after Ctrl+N")"
sleep 0.5
shoot "$setup" doc-setup
dismiss "doc setup"

# The dialogs of the menus, one after another in a fresh program. Once a dialog has closed, the menu
# bar may let presses on its titles pass for a while, so a dialog that does not show is asked for
# again from a program started anew. "sel terrains" (20 24 38 42) selects the terrain for those
# that need a selection; a radial light from the create palette makes the change that Revert asks
# about. $dialog is the window shown, "chooser" the file chooser; $selected the program in which the
# terrain was selected.
selected=""
menu_dialog() {  # MENU ITEM TITLE [select|change]
  local attempt
  dialog=""
  for attempt in 1 2 3; do
    [ "$attempt" = 1 ] || start_landscape
    for palette in "$control" "$selection" "$display" "$edit"; do xdotool windowraise "$palette"; done
    case "${4:-}" in
      # The menus' states follow the selection at the window's next heartbeat.
      select)
        if [ "$selected" != "$pid" ]; then
          click_in "$selection" 20 24 38 42
          selected=$pid
          sleep 1.5
        fi ;;
      change)
        click_in "$edit" 2 262 17 310
        sleep 1
        xdotool windowraise "$create"
        click_in "$create" 56 356 84 384
        sleep 1 ;;
    esac
    focus_main
    menu_pick "$1" "$2" 2>/dev/null
    if [ "$3" = chooser ]; then
      dialog="$(wait_for_chooser)"
    else
      dialog="$(visible_windows "$3" 5 | head -1)"
    fi
    [ -n "$dialog" ] && break
  done
  [ -n "$dialog" ] || echo "FAIL: item $2 of the menu at $1 showed no \"$3\"" >&2
  sleep 0.7
}
start_landscape
menu_dialog "$object_menu" 3 "edit objattrs" select
shoot "$dialog" attributes
dismiss "edit objattrs"
menu_dialog "$object_menu" -2 picttextures
shoot "$dialog" picture-textures
dismiss picttextures
menu_dialog "$edit_menu" -1 replicate select
shoot "$dialog" replicate
dismiss replicate
menu_dialog "$file_menu" -2 Preferences
shoot "$dialog" preferences
dismiss Preferences

menu_dialog "$file_menu" 4 "revert changes" change
shoot "$dialog" revert-changes
dismiss "revert changes"

# Export Render Size opens with its width selected. 6400 pixels across render long enough for the
# progress dialog to show; Render asks for the file, and Esc stops the render.
menu_dialog "$file_menu" -6 "export render"
shoot "$dialog" export-render
if [ -n "$dialog" ]; then
  point_into "$dialog"
  xdotool type --delay 30 6400
  # "Render" at the bottom of the dialog.
  click_in "$dialog" 230 164 252 220
  chooser_id="$(wait_for_chooser)"
  [ -n "$chooser_id" ] && type_path "$chooser_id" "$PWD/export.bmp"
  progress="$(shown ioprogress "the render of Export Render Size")"
  sleep 1
  shoot "$progress" progress 340x118
  xdotool key Escape
  closed ioprogress Escape
  check
  [ ! -e export.bmp ] || fail "the stopped render left export.bmp behind"
fi

# Render to Disk asks for the file and its format first; larger than the screen, its chooser would
# hide the list of formats at the bottom right.
menu_dialog "$file_menu" -7 chooser
xdotool windowsize "$dialog" 820 520 2>/dev/null
sleep 0.7
shoot "$dialog" render-to-disk
if [ -n "$dialog" ]; then
  point_into "$dialog"
  xdotool key Escape
  for _ in $(seq 1 25); do
    [ -z "$(chooser)" ] && break
    sleep 0.2
  done
fi

menu_dialog "$file_menu" -4 "Page Setup"
shoot "$dialog" page-setup
dismiss "Page Setup"

kill $pid 2>/dev/null
wait $pid 2>/dev/null
check
wait $render && convert landscape.bmp "$out/landscape.png" || fail "quarn2-render: $(cat render.err)"

optipng -quiet -o2 "$out"/*.png 2>/dev/null || true

# Every picture README.md and the manual name: made now, committed, and not one flat colour.
if [ "$check_only" = 1 ]; then
  names="$( (grep -o 'resources/help/pictures/[a-z0-9-]*\.png' "$source/README.md";
    grep -o 'pictures/[a-z0-9-]*\.png' "$source/resources/help/Quarn2.html") | sed 's|.*/||' | sort -u)"
  check
  [ -n "$names" ] || fail "README.md and the manual name no pictures"
  for name in $names; do
    for folder in "$out" "$committed"; do
      check
      if [ ! -f "$folder/$name" ]; then
        fail "$folder/$name is missing"
      else
        spread="$(identify -format '%[fx:standard_deviation]' "$folder/$name" 2>/dev/null)"
        awk -v s="${spread:-0}" 'BEGIN { exit !(s > 0.01) }' || fail "$folder/$name is blank (spread ${spread:-none})"
      fi
    done
  done
fi
echo "docs_pictures.sh: $SECONDS s"
end_run
