#!/usr/bin/env bash
# Printing on the real back end, on a virtual display of its own: Ctrl+P (the File menu's print
# item) shows the desktop's print dialog, and Escape cancels it: the command then answers 24, which
# shows no message box, and the program goes on. Then a real job: with two copies asked for, a double
# click on "Print to File" prints, and GTK's file printer writes output.pdf into the home folder:
# two pages, each white with the document image at its size (72 dots per inch) in the middle of the
# printable area. No run may print a sanitizer report.
# Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

# GTK's file printer writes into the home folder, here the test's own.
export HOME="$work"
shown() { xdotool search --onlyvisible --name '.' 2>/dev/null | sort; }

start_program
sleep 2
before="$(shown)"
for round in 1 2; do
  check
  # The keys go to the window with the focus: the pointer over the main window's menu bar gives it.
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 5))"
  xdotool key ctrl+p
  dialog="$(visible_window Print)"
  [ -n "$dialog" ] || { fail "Ctrl+P showed no print dialog (round $round)"; continue; }
  sleep 1
  xdotool windowfocus --sync "$dialog" 2>/dev/null
  xdotool key Escape
  for _ in $(seq 1 50); do
    [ -z "$(xdotool search --onlyvisible --name '^Print$' 2>/dev/null)" ] && break
    sleep 0.2
  done
  [ -z "$(xdotool search --onlyvisible --name '^Print$' 2>/dev/null)" ] || fail "Escape left the print dialog open"
  sleep 2
  # A cancel is no failure: no message box, nothing else shown.
  [ "$(shown)" = "$before" ] || fail "after the cancel other windows show: $(shown | tr '\n' ' ')"
  kill -0 $pid 2>/dev/null || { fail "the program ended"; break; }
done

# The document image is what is not the window's background in the middle of the main window.
check
capture window.png
read -r sw sh sx sy <<<"$(convert window.png -crop "800x600+$((WIDTH / 2 - 400))+$((HEIGHT / 2 - 300))" \
  -fuzz 2% -trim -format '%w %h %X %Y' info: 2>/dev/null | tr -d '+')"
convert window.png -crop "${sw}x${sh}+${sx}+${sy}" +repage shown.png
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 5))"
xdotool key ctrl+p
dialog="$(visible_window Print)"
if [ -z "$dialog" ]; then
  fail "Ctrl+P showed no print dialog for the job"
else
  sleep 1
  # The copies field, then the only printer's row, whose double click prints.
  xdotool mousemove --window "$dialog" 470 370 click --repeat 3 1 type 2
  sleep 0.5
  xdotool mousemove --window "$dialog" 80 86 click --repeat 2 1
  for _ in $(seq 1 100); do
    [ -f output.pdf ] && tail -c 8 output.pdf | grep -q '%%EOF' && break
    sleep 0.2
  done
  if ! [ -f output.pdf ]; then
    fail "printing to a file wrote no output.pdf"
  elif ! gs -q -dSAFER -sDEVICE=png16m -r72 -o 'page-%d.png' output.pdf 2>gs.err; then
    fail "Ghostscript cannot read the printed file: $(cat gs.err)"
  else
    pages=(page-*.png)
    [ "${#pages[@]}" = 2 ] || fail "${#pages[@]} pages printed for two copies"
    for page in "${pages[@]}"; do
      # What is not white on the page: the image, at its size, in the middle left to right.
      read -r w h x y <<<"$(convert "$page" -trim -format '%w %h %X %Y' info: 2>/dev/null | tr -d '+')"
      read -r pw ph <<<"$(convert "$page" -format '%w %h' info:)"
      [ "$((x * 2 + w - pw))" -ge -2 ] && [ "$((x * 2 + w - pw))" -le 2 ] ||
        fail "$page: the image ($w x $h at $x, $y) is not centred on a page $pw wide"
      [ "$w x $h" = "$sw x $sh" ] || fail "$page: the image prints $w x $h points, the window shows $sw x $sh"
      convert "$page" -trim +repage printed.png
      differ="$(compare -metric AE -fuzz 5% printed.png shown.png null: 2>&1 | cut -d' ' -f1)"
      [ "${differ:-1}" -le $((w * h / 100)) ] ||
        fail "$page: ${differ:-?} pixels of the printed image ($w x $h) differ from the window's"
    done
  fi
  [ -z "$(xdotool search --onlyvisible --name '^Print$' 2>/dev/null)" ] || fail "the print dialog stayed open"
fi

check
kill $pid
wait $pid
end_run
