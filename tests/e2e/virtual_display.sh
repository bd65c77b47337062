# SPDX-License-Identifier: MIT
# Sourced by the end-to-end tests that run the window program: waiting for a condition, and
# a virtual display of its own. The caller defines fail and $work, and cleans up $xvfb_pid.

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    local tenths=$1
    shift
    for ((i = 0; i < tenths; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Starts Xvfb on a free display number, sets xvfb_pid and exports DISPLAY.
start_virtual_display() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    wait_for 100 test -s "$work/display" || fail "Xvfb did not start: $(tail -n 3 "$work/xvfb.log")"
    export DISPLAY=":$(head -n 1 "$work/display")"
}
