# Shared by scripts/soak and scripts/memcheck: starting the demo on the display, watching it and
# ending it with Esc. Expects $work (a folder of the run's files), $demo (the demo's process id,
# or empty) and a function `fail MESSAGE` that reports and exits.
# shellcheck shell=bash

# Ends a demo still running when the script exits, however it exits.
cleanup() {
    if [ -n "$demo" ] && kill -0 "$demo" 2>/dev/null; then
        kill -KILL "$demo" 2>/dev/null || true
        wait "$demo" 2>/dev/null || true
    fi
}

# Running and not a zombie: a child that has ended stays in /proc until it is waited for.
alive() {
    local stat
    stat=$(cat "/proc/$demo/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != "Z" ]
}

# start_demo CMD...: runs CMD (the demo, or a tool that runs it) in the background from the run
# folder of BUILD (run/build, whose ../src is the sources'), with its output in $work/stdout and
# $work/stderr; its process id goes into $demo.
start_demo() {
    (
        cd "$BUILD/run/build"
        exec "$@" >"$work/stdout" 2>"$work/stderr" </dev/null
    ) &
    demo=$!
}

# The demo's window, waited for up to SECONDS; empty when none appeared.
find_window() {
    timeout "$1" xdotool search --sync --onlyvisible --name '^Navigation Example$' 2>/dev/null \
        | head -n 1 || true
}

# quit_with_esc WINDOW SECONDS: gives the window the focus, presses Esc and waits up to SECONDS
# for the demo to end; its exit status goes into $exit_status.
quit_with_esc() {
    timeout 10 xdotool windowfocus --sync "$1" >/dev/null || fail "xdotool windowfocus failed"
    xdotool key Escape >/dev/null || fail "xdotool key Escape failed"
    local deadline=$((SECONDS + $2))
    while alive && [ "$SECONDS" -lt "$deadline" ]; do
        sleep 0.2
    done
    if alive; then
        fail "still running $2 s after Esc"
    fi
    exit_status=0
    wait "$demo" || exit_status=$?
    demo=""
}

# The program prints nothing while it runs and on Esc.
check_no_output() {
    if [ -s "$work/stdout" ]; then
        fail "the demo wrote to standard output"
    fi
    if [ -s "$work/stderr" ]; then
        fail "the demo wrote to standard error"
    fi
}
