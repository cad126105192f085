#!/usr/bin/env bash
# Runs on an X display from the build folder: starts the demo (or the command given after the
# file name, such as the Windows build under Wine), waits, saves its window as a PNG, and ends it
# with Esc.
set -euo pipefail
out=$1
shift
if [ $# -eq 0 ]; then
    set -- ./shadow-demo
fi
"$@" &
demo=$!
# A loaded machine can take long to show the first frame.
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Navigation Example$' | head -n 1) ||
    true
if [ -z "$window" ]; then
    echo "No window titled \"Navigation Example\" showed within 60 s; no screenshot." >&2
    kill "$demo" 2>/dev/null || true
    wait "$demo" 2>/dev/null || true
    exit 1
fi
# No window manager places the window: move it where a capture sees all of it.
xdotool windowmove "$window" 0 0
sleep 4
xwd -silent -id "$window" | xwdtopnm -quiet | pnmtopng -quiet >"$out"
xdotool key --window "$window" Escape 2>/dev/null
status=0
wait "$demo" || status=$?
echo "Screenshot saved: $out (the demo ended with status $status)"
