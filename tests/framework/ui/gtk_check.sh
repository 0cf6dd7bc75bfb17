# What the GTK check scripts share; sourced. start_check PROGRAM starts the program with a private
# folder as its argument, its standard input on descriptor 3 and its output in $work/out and
# $work/err; wait_for PATTERN waits up to 15 s for an output line; send_command LINE sends a line
# and waits for the program's "done LINE"; fail MESSAGE counts a failure; finish NAME sends "quit", waits for the program's end, fails on any sanitizer report and exits.
set -uo pipefail
work="$(mktemp -d)"
export XDG_RUNTIME_DIR="$work" TMPDIR="$work"
unset QUARN2_HEADLESS
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

start_check() {
  mkfifo "$work/in"
  "$1" "$work" < "$work/in" > "$work/out" 2> "$work/err" &
  pid=$!
  exec 3> "$work/in"
  trap 'exec 3>&-; kill $pid 2>/dev/null; rm -rf "$work"' EXIT
}

wait_for() {
  for _ in $(seq 1 75); do
    grep -q -- "$1" "$work/out" && return 0
    sleep 0.2
  done
  return 1
}

send_command() {
  echo "$1" >&3
  wait_for "^done $1\$" || fail "no answer to $1"
  sleep 0.3
}

finish() {
  echo quit >&3
  for _ in $(seq 1 75); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
  if kill -0 $pid 2>/dev/null; then
    fail "the program did not end"
  else
    wait $pid || fail "exit status $?"
  fi
  grep -q Sanitizer "$work/err" && fail "sanitizer report: $(cat "$work/err")"
  [ "$failures" = 0 ] && echo "$1 passed"
  exit $((failures > 0))
}
