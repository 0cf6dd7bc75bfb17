# What the scripts around GTK check programs share; sourced, after gtk_session.sh. start_check PROGRAM
# starts the program with $work as its argument, its standard input on descriptor 3 and its output
# in $work/out and $work/err; wait_for PATTERN waits up to 15 s for an output line; send_command LINE
# sends a line and waits for the program's "done LINE"; finish NAME sends "quit", waits for the
# program's end, fails on any sanitizer report and exits.
source "$(dirname "${BASH_SOURCE[0]}")/gtk_session.sh"

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
