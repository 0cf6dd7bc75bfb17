# What the program's GTK scripts share; sourced with the program and the build's data/ folder as $1
# and $2. The program runs from $work with its data/ beside it. Failures count once per check: check
# starts one, fail reports. visible_window TITLE waits up to 60 s for a visible window of exactly that
# title and prints its id (on a busy machine, with the GTK tests side by side, the program under the
# sanitizers has taken more than 30 s to show its main window); capture FILE grabs the main window
# $main; differs A B tells whether two captures differ; changed_in A B RECT counts the pixels of RECT
# (W x H + X + Y) that differ; capture_settled RECT waits for the window to settle; open_composer
# brings up the material composer; add_sphere adds a sphere from the create palette. chooser prints the file chooser's id (the second visible window of
# the program's title); wait_for_chooser waits up to 10 s for one and prints its id; type_path DIALOG
# PATH enters a path into that chooser. at WINDOW V H prints the screen point of a point of a window
# (down, across); click_in WINDOW TOP LEFT BOTTOM RIGHT clicks a rectangle's middle; pixel_hex FILE X Y
# prints a captured pixel as rrggbb. fades_away WINDOW V H tells whether the window captured with the
# pointer over its point differs from a capture 4 s after the pointer left. show_sky_fog_palette and
# quit_without_saving are said where they are defined.
source "$(dirname "${BASH_SOURCE[0]}")/../framework/ui/gtk_session.sh"
cp "$1" "$work/Quarn2"
mkdir -p "$work/data" && cp "$2"/*.dat "$work/data/"
cd "$work"
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

visible_window() {
  visible_windows "$1" 60 | head -1
}

capture() {
  import -window "$main" "$1" 2>/dev/null
}

chooser() { xdotool search --onlyvisible --name '^Quarn2$' 2>/dev/null | grep -v "^$main\$" | head -1; }

wait_for_chooser() {
  local dialog=""
  for _ in $(seq 1 50); do
    dialog="$(chooser)"
    [ -n "$dialog" ] && break
    sleep 0.2
  done
  echo "$dialog"
}

# Ctrl+L, the path and Return into the chooser DIALOG, tried up to three times since a first key may
# come before the chooser takes keys; Ctrl+L shows an open chooser's location field and is the name
# field of a save chooser. Fails when the chooser stays shown.
type_path() {
  sleep 1
  for _ in 1 2 3; do
    [ -n "$(chooser)" ] || break
    xdotool windowfocus --sync "$1" 2>/dev/null
    xdotool key ctrl+l
    sleep 0.3
    xdotool key ctrl+a
    xdotool type --delay 20 "$2"
    sleep 0.5
    xdotool key Return
    for _ in $(seq 1 25); do
      [ -n "$(chooser)" ] || break
      sleep 0.2
    done
  done
  [ -z "$(chooser)" ] || fail "the file chooser did not take the typed path"
}

differs() {
  [ "$(compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1)" != 0 ]
}

changed_in() {
  convert "$1" -crop "$3" +repage a.png && convert "$2" -crop "$3" +repage b.png
  compare -metric AE a.png b.png null: 2>&1 | cut -d' ' -f1
}

# Captures WINDOW into AFTER every half second, up to 20 s, until it differs from BEFORE inside RECT
# (W x H + X + Y); prints the last count of changed pixels. A loaded machine may take its time.
changed_after() {
  local count=0
  for _ in $(seq 1 40); do
    sleep 0.5
    import -window "$1" "$3" 2>/dev/null
    count="$(changed_in "$2" "$3" "$4")"
    [ "$count" != 0 ] && break
  done
  echo "$count"
}

at() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$((X + $3)) $((Y + $2))"
}

click_in() {
  read -r x y < <(at "$1" $((($2 + $4) / 2)) $((($3 + $5) / 2)))
  xdotool mousemove "$x" "$y" click 1
}

# Clicks the Object menu's title (the third of the menu bar of the main window at X, Y) and presses
# Up N times and Return: the Nth item from the menu's end.
choose_object_item() {
  xdotool mousemove "$((X + 109))" "$((Y + 11))" click 1
  sleep 0.7
  for _ in $(seq 1 "$1"); do xdotool key Up; done
  xdotool key Return
}

fades_away() {
  read -r x y < <(at "$1" "$2" "$3")
  xdotool mousemove "$x" "$y"
  sleep 1
  import -window "$1" over.png 2>/dev/null
  xdotool mousemove 5 5
  sleep 4
  import -window "$1" away.png 2>/dev/null
  differs over.png away.png
}

pixel_hex() {
  local hex
  hex="$(convert "$1" -format "%[hex:p{$2,$3}]" info: 2>/dev/null)"
  hex="${hex,,}"
  echo "${hex:0:6}"
}

# Captures the main window into now.png every 2 s until RECT (W x H + X + Y) is the same twice, or up
# to 4 minutes: a render shows its bands as they finish, and the window settles when it is done.
capture_settled() {
  local previous="" digest
  for _ in $(seq 1 120); do
    sleep 2
    capture now.png
    digest="$(convert now.png -crop "$1" +repage rgb:- 2>/dev/null | md5sum)"
    [ -n "$previous" ] && [ "$digest" = "$previous" ] && break
    previous="$digest"
  done
}

# Starts the program from $work with its errors in run.err; $pid and its main window $main, or the
# script ends at once when no main window shows.
start_program() {
  ./Quarn2 2> run.err &
  pid=$!
  main="$(visible_window Quarn2)"
  [ -n "$main" ] || { echo "FAIL: no main window appeared"; kill -9 $pid; exit 1; }
}

# Ctrl+A and Ctrl+E over the program's focused main window: the composer on the selection, $composer
# its window and $cx, $cy its top-left corner; the run ends when it does not show.
open_composer() {
  xdotool key ctrl+a
  sleep 0.5
  xdotool key ctrl+e
  composer="$(visible_window "materials composer")"
  [ -n "$composer" ] || { fail "Ctrl+E showed no materials composer"; kill $pid; wait $pid; end_run; }
  eval "$(xdotool getwindowgeometry --shell "$composer")"
  cx=$X
  cy=$Y
}

# The edit palette's "create text" tab (2 262 17 310) brings the create palette forward, whose "sphere"
# (22 182 50 210) adds a sphere: $edit and $create the two palettes, sphere.png the main window with the
# sphere. Fails when the window did not change.
add_sphere() {
  click_in "$edit" 2 262 17 310
  sleep 1
  capture before.png
  click_in "$create" 22 182 50 210
  sleep 1.5
  capture sphere.png
  differs before.png sphere.png || fail "a click on the create palette's sphere changed nothing in the document window"
}

# $create and $control, the create and control palettes; the run ends when either does not show.
find_create_and_control() {
  create="$(visible_window "create palette")"
  control="$(visible_window "control palette")"
  if [ -z "$create" ] || [ -z "$control" ]; then
    fail "the create and control palettes did not both appear"
    kill $pid; wait $pid; end_run
  fi
}

# The create palette's "sky&fog text" tab (2 392 17 450) brings the sky & fog palette forward: $create
# and $palette the two palettes; the run ends when either does not show.
show_sky_fog_palette() {
  create="$(visible_window "create palette")"
  [ -n "$create" ] || { fail "the create palette did not appear"; kill $pid; wait $pid; end_run; }
  click_in "$create" 2 392 17 450
  palette="$(visible_window "sky&fog palette")"
  [ -n "$palette" ] || { fail "the \"sky&fog text\" tab showed no sky & fog palette"; kill $pid; wait $pid; end_run; }
}

# Ctrl+Q over the main window after an unsaved change WHAT: the question must come, and "dont save"
# (96 10 118 82 of the window "save changes") ends the program with status 0.
quit_without_saving() {
  xdotool windowfocus --sync "$main" 2>/dev/null
  xdotool key ctrl+q
  local question
  question="$(visible_windows "save changes" 10 | head -1)"
  if [ -n "$question" ]; then
    sleep 0.5
    click_in "$question" 96 10 118 82
  else
    fail "Ctrl+Q after $1 did not ask to save the changes"
  fi
  expect_quit
}

# After a quit was asked for: the program must end by itself, with status 0.
expect_quit() {
  for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
  if kill -0 $pid 2>/dev/null; then
    fail "Ctrl+Q left the program running"
    kill -9 $pid
  fi
  wait $pid
  local status=$?
  [ "$status" = 0 ] || fail "exit status $status after Ctrl+Q, expected 0"
}

# The last check: no sanitizer report; then the tally and the script's status.
end_run() {
  grep -q Sanitizer run.err && fail "sanitizer report: $(cat run.err)"
  echo "$((checks - failures)) passed, $failures failed"
  exit $((failures > 0))
}
