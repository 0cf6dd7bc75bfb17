#!/usr/bin/env bash
# Runs a test of the real back end on a virtual display of its own (1280 × 1024, or the size that
# QUARN2_GTK_SCREEN gives as WIDTHxHEIGHTxDEPTH), with a home, runtime, configuration, cache, data and
# temporary folder of its own, so that any number of them run side by side: Xvfb picks a free display
# itself (-displayfd), which xvfb-run -a does with a race between starts. Answers the command's
# status, 1 when no display could be started.
# Usage: gtk_display.sh COMMAND [ARGUMENT...]
set -uo pipefail
private="$(mktemp -d)"
xvfb=""
finish() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$private"
}
trap finish EXIT

Xvfb -displayfd 3 -screen 0 "${QUARN2_GTK_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$private/display" 2>"$private/xvfb.log" &
xvfb=$!
for _ in $(seq 1 100); do
  [ -s "$private/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$private/display" ]; then
  echo "gtk_display.sh: no virtual display started: $(cat "$private/xvfb.log")" >&2
  exit 1
fi
export DISPLAY=":$(head -1 "$private/display")"
export HOME="$private/home" XDG_RUNTIME_DIR="$private/runtime" XDG_CONFIG_HOME="$private/config"
export XDG_CACHE_HOME="$private/cache" XDG_DATA_HOME="$private/data" TMPDIR="$private/tmp"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$TMPDIR"
chmod 700 "$XDG_RUNTIME_DIR"
"$@"
