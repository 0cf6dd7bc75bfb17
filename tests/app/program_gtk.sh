# What the program's GTK scripts share; sourced with the program and the build's data/ folder as $1
# and $2. The program runs from $work with its data/ beside it. Failures count once per check: check
# starts one, fail reports. visible_window TITLE waits up to 30 s for a visible window of exactly that
# title and prints its id; capture FILE grabs the main window $main; differs A B tells whether two
# captures differ; changed_in A B RECT counts the pixels of RECT (W x H + X + Y) that differ.
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
  visible_windows "$1" 30 | head -1
}

capture() {
  import -window "$main" "$1" 2>/dev/null
}

differs() {
  [ "$(compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1)" != 0 ]
}

changed_in() {
  convert "$1" -crop "$3" +repage a.png && convert "$2" -crop "$3" +repage b.png
  compare -metric AE a.png b.png null: 2>&1 | cut -d' ' -f1
}
