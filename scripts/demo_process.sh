# Shared by scripts/soak and scripts/memcheck: watching the demo they started and reaching the
# display. Expects $work (a folder of the run's files) and $demo (the demo's process id, or empty).
# shellcheck shell=bash

# Ends a demo still running when the script exits, however it exits.
cleanup() {
    if [ -n "$demo" ] && kill -0 "$demo" 2>/dev/null; then
        kill -KILL "$demo" 2>/dev/null || true
        wait "$demo" 2>/dev/null || true
    fi
}

# Xvfb here now and then drops a new client's connection before the handshake; such a call did
# nothing and is made again. Standard output of the call that went through is printed; retries
# are counted in $work/retried, a file since some calls run in a subshell.
xdo() {
    local status
    for _ in 1 2 3 4 5 6; do
        status=0
        timeout 10 xdotool "$@" >"$work/xdo.out" 2>"$work/xdo.err" || status=$?
        if ! grep -qiE "can't open display|failed creating new xdo|xcb|XIO" "$work/xdo.err"; then
            cat "$work/xdo.out"
            return "$status"
        fi
        echo "$*" >>"$work/retried"
        sleep 0.1
    done
    echo "$(basename "$0"): xdotool $* could not reach the display: $(head -n 1 "$work/xdo.err")" >&2
    return 1
}

# Running and not a zombie: a child that has ended stays in /proc until it is waited for.
alive() {
    local stat
    stat=$(cat "/proc/$demo/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != "Z" ]
}
