#!/usr/bin/env bash
# The idle program on the real back end hardly wakes: after its start, with nothing to do, it uses
# under 0.5 % of a core and wakes under 20 times a second (the main loop blocks in GLib with the
# single-instance socket watched there, the pointer is not asked of the server, and nothing is drawn).
# The quietest of three 5-second spells counts, so that a loaded machine does not decide. A forwarded
# start still reaches the sleeping program at once: it says that the document it was handed is
# missing.
# Arguments: the program and the build's data/ folder.
source "$(dirname "$0")/program_gtk.sh" "$1" "$2"

start_program
sleep 5
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
switches() { awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$pid/status"; }
best_ticks=999999
best_switches=999999
for _ in 1 2 3; do
  t0=$(ticks)
  s0=$(switches)
  sleep 5
  t=$(($(ticks) - t0))
  s=$(($(switches) - s0))
  [ "$t" -lt "$best_ticks" ] && best_ticks=$t
  [ "$s" -lt "$best_switches" ] && best_switches=$s
done
# 5 s at 100 ticks a second: 0.5 % of a core is 2.5 ticks.
check
[ "$best_ticks" -le 2 ] || fail "the idle program used $best_ticks ticks in 5 s (over 0.5 % of a core)"
check
[ "$best_switches" -lt 100 ] || fail "the idle program woke $best_switches times in 5 s (20 a second or more)"

# A second start hands over its document and ends; the sleeping program takes it at once: the
# document is missing, and the message saying so shows.
check
./Quarn2 missing.qnc 2>> run.err
[ "$?" = 0 ] || fail "the second start did not end with 0"
[ -n "$(wait_for_chooser)" ] || fail "the running program did not take the forwarded document"

check
kill $pid
wait $pid
end_run
