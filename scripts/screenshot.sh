#!/usr/bin/env bash
# Runs on an X display from the build folder: starts the demo (or the command given after the
# file name, such as the Windows build under Wine), waits, saves its window as a PNG, and ends it
# with Esc.
set -euo pipefail
trap 'echo "screenshot.sh: line $LINENO failed (status $?): $BASH_COMMAND" >&2' ERR
out=$1
shift
if [ $# -eq 0 ]; then
    set -- ./shadow-demo
fi
"$@" &
demo=$!
# A loaded machine can take long to show the first frame; a demo that ended shows none.
window=
for _ in $(seq 120); do
    window=$(xdotool search --onlyvisible --name '^Navigation Example$' 2>/dev/null | head -n 1 ||
        true)
    [ -n "$window" ] && break
    kill -0 "$demo" 2>/dev/null || break
    sleep 0.5
done
if [ -z "$window" ]; then
    if kill -0 "$demo" 2>/dev/null; then
        echo "No window titled \"Navigation Example\" showed within 60 s; no screenshot." >&2
        kill "$demo" 2>/dev/null || true
    fi
    status=0
    wait "$demo" 2>/dev/null || status=$?
    echo "No window titled \"Navigation Example\"; the demo ended with status $status." >&2
    exit 1
fi
# No window manager places the window: move it where a capture sees all of it.
xdotool windowmove "$window" 0 0
sleep 4
xwd -silent -id "$window" | xwdtopnm -quiet | pnmtopng -quiet >"$out"
# xdotool complains on every key here that Xvfb has no focused window; only a failure is news.
# The demo ends on the key's press and may close its window before xdotool is done with it: a
# failure counts only while the window is still there.
if ! keyed=$(xdotool key --window "$window" Escape 2>&1) &&
    xdotool getwindowname "$window" >/dev/null 2>&1; then
    echo "screenshot.sh: Esc could not be sent to window $window: $keyed" >&2
    kill "$demo" 2>/dev/null || true
    exit 1
fi
status=0
wait "$demo" || status=$?
echo "Screenshot saved: $out (the demo ended with status $status)"
