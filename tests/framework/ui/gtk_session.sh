# What every GTK test script shares; sourced. A private folder $work, removed at the end, holds
# XDG_RUNTIME_DIR and TMPDIR, and the headless back end is off. fail MESSAGE counts a failure in
# $failures; visible_windows TITLE [SECONDS] prints the ids of the visible windows of exactly that
# title, waiting up to SECONDS (15) for one to show.
set -uo pipefail
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work" TMPDIR="$work"
unset QUARN2_HEADLESS
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

visible_windows() {
  local ids=""
  for _ in $(seq 1 $((${2:-15} * 5))); do
    ids="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)"
    [ -n "$ids" ] && break
    sleep 0.2
  done
  echo "$ids"
}
