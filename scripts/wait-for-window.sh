#!/usr/bin/env bash
# Starts a program (on a display) and waits until a top-level window with the
# given title appears; then ends the program. Exit 0 when the window came.
#   wait-for-window.sh TITLE SECONDS PROGRAM [ARGS...]
set -u
title=$1 seconds=$2; shift 2
"$@" >/tmp/wait-for-window.$$.log 2>&1 &
pid=$!
found=1
for _ in $(seq 1 $((seconds * 5))); do
  if xwininfo -root -tree 2>/dev/null | grep -qF "\"$title\""; then found=0; break; fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
if [ $found -ne 0 ]; then
  echo "wait-for-window: no window \"$title\" from $1" >&2
  sed 's/^/  | /' /tmp/wait-for-window.$$.log >&2
fi
rm -f /tmp/wait-for-window.$$.log
exit $found
