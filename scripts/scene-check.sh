#!/usr/bin/env bash
# Usage: scripts/scene-check.sh PNG COMMAND...
# On an X display, from the current folder: starts the demo with COMMAND (an installed or unpacked
# one), saves its window as PNG (scripts/screenshot.sh) and fails unless it showed a window, ended
# with status 0 on Esc and the picture shows the scene (.ci/check-screenshot).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
png=$1
shift
status=0
run=$(bash "$here/screenshot.sh" "$png" "$@" 2>&1) || status=$?
if [ "$status" -ne 0 ]; then
    echo "scene-check: $* showed no window (status $status): $run" >&2
    exit 1
fi
if ! grep -q "the demo ended with status 0)" <<<"$run"; then
    echo "scene-check: $* did not end with status 0: $run" >&2
    exit 1
fi
"$here/../.ci/check-screenshot" "$png"
