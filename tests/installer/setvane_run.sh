#!/usr/bin/env bash
# Setvane as a program, headless, its answers from the input script QUARN2_SCRIPT names: every chunk
# that mkpayload wrote inflates (Python's zlib) to its slice of the source; an installation writes
# files that cmp finds equal to the sources and exits 0; the installed cvn32.exe tells its folder;
# Cancel exits 1; an unreadable script exits 1 before anything shows; a file size limit fails the
# installation and leaves no temporary. No run may print a sanitizer
# report. Arguments: the program and the folder mkpayload wrote to.
set -uo pipefail
setvane="$1"
payload="$2/payload"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" QUARN2_HEADLESS=1
unset XDG_DATA_HOME
mkdir -p "$HOME"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

python3 - "$payload" <<'PY' || fail "the chunks do not inflate to their sources"
import os, sys, zlib
payload = sys.argv[1]
for name, count in (("cvn32.exe", 10), ("cvu32.exe", 2), ("carvane.hlp", 1)):
    source = open(os.path.join(payload, name), "rb").read()
    chunks = sorted(f for f in os.listdir(os.path.join(payload, "chunks")) if f.startswith(name + "."))
    assert len(chunks) == count, (name, chunks)
    for k in range(count):
        data = zlib.decompress(open(os.path.join(payload, "chunks", f"{name}.{k}.z"), "rb").read())
        assert len(data) <= 32000 and data == source[k * 32000:(k + 1) * 32000], (name, k)
PY

run() {  # run SCRIPT_TEXT: Setvane's exit status, its errors in $work/err
  printf '%s\n' "$1" > "$work/script"
  QUARN2_SCRIPT="$work/script" "$setvane" > "$work/out" 2> "$work/err"
  status=$?
  grep -q Sanitizer "$work/err" && fail "sanitizer report: $(cat "$work/err")"
  return 0
}

target="$work/Carvane here"
run "$(printf 'dialog 1 "1001=%s"\nbox 7\nbox 7' "$target")"
[ "$status" = 0 ] || fail "exit status $status after an installation, expected 0: $(cat "$work/err")"
for name in cvn32.exe cvu32.exe carvane.hlp; do
  cmp -s "$payload/$name" "$target/$name" || fail "$name differs from its source"
done
[ -x "$target/cvn32.exe" ] || fail "cvn32.exe is not executable"
answer="$("$target/cvn32.exe")"
[ "$answer" = "Carvane is installed in $target." ] || fail "cvn32.exe says: $answer"

run "$(printf 'dialog 1 "1001=%s"\nbox 7\nbox 6' "$target")"
[ "$status" = 0 ] || fail "exit status $status after Yes to the start, expected 0"

# A file size limit fails the installation as a full disk does, instead of ending Setvane by SIGXFSZ
# (status 153): a message, and no temporary left beside the files.
limited="$work/Limited"
printf '%s\n' "$(printf 'dialog 1 "1001=%s"\nbox 7\nbox 7' "$limited")" > "$work/script"
(ulimit -f 100; QUARN2_SCRIPT="$work/script" exec "$setvane" > "$work/out" 2> "$work/err")
status=$?
grep -q Sanitizer "$work/err" && fail "sanitizer report: $(cat "$work/err")"
[ "$status" != 0 ] && [ "$status" -lt 128 ] || fail "exit status $status under a file size limit, expected a failure"
[ -s "$work/err" ] || fail "no message under a file size limit"
left="$(find "$limited" -name '.*Setvane-*' 2>/dev/null)"
[ -z "$left" ] || fail "temporaries left under a file size limit: $left"

run "dialog 2"
[ "$status" = 1 ] || fail "exit status $status after Cancel, expected 1"
grep -q "Carvane Not Installed" "$work/err" || fail "no message after Cancel: $(cat "$work/err")"

run "dialog one"
[ "$status" = 1 ] || fail "exit status $status with a bad script, expected 1"
grep -q "line 1: dialog needs a button id" "$work/err" || fail "the bad script was not named: $(cat "$work/err")"

[ "$failures" = 0 ] && echo "Setvane runs passed"
exit $((failures > 0))
