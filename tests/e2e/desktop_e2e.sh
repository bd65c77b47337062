#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# End-to-end test of the window program on a desktop: its outer size and place, frame
# included, on a bare virtual display and under a real window manager; the seed it says it
# took; and the one line it gives when the toolkit's platform plugin cannot be loaded
# although the display works.
#
#   tests/e2e/desktop_e2e.sh <path-to-kanimo>
#
# Needs Xvfb, openbox, xdotool and xwininfo (Debian: xvfb openbox xdotool x11-utils).
set -uo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 <path-to-kanimo>" >&2
    exit 2
fi
kanimo=$1

fail() {
    echo "desktop e2e: FAILED: $*" >&2
    exit 1
}

for tool in Xvfb openbox xdotool xwininfo; do
    command -v "$tool" >/dev/null || fail "$tool not found (Debian packages: xvfb openbox xdotool x11-utils)"
done
[ -x "$kanimo" ] || fail "no program at $kanimo"

work=$(mktemp -d) || fail "cannot make a scratch directory"
xvfb_pid=""
wm_pid=""
kanimo_pid=""
stop() { # pid variable name: ends that process and forgets it
    local pid=${!1}
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    printf -v "$1" '%s' ""
}
cleanup() {
    stop kanimo_pid
    stop wm_pid
    stop xvfb_pid
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

source "$(dirname "$0")/virtual_display.sh"
start_virtual_display
mkdir -m 700 "$work/runtime"

start_kanimo() { # arguments...
    env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$work/runtime" \
        "$kanimo" "$@" >"$work/kanimo.out" 2>"$work/kanimo.err" &
    kanimo_pid=$!
}

window_id() { xdotool search --name '^construct$' 2>/dev/null | head -n 1; }
has_window() { [ -n "$(window_id)" ]; }

# The outer window: the client itself on a bare display, the frame a window manager put
# around it otherwise (the ancestor just below the root). xwininfo waits for a click when
# it is given no window, so it never is.
parent_of() { timeout 5 xwininfo -tree -id "$1" | awk '/Parent window id/ {print $4}'; }
outer_geometry() { # window id: prints "<width>x<height>+<x>+<y>"
    local w=$1 parent root
    [ -n "$w" ] || return 1
    root=$(timeout 5 xwininfo -root | awk '/Window id/ {print $4}')
    for _ in 1 2 3 4 5 6; do
        parent=$(parent_of "$w")
        [ -n "$parent" ] && [ "$parent" != 0x0 ] && [ "$parent" != "$root" ] || break
        w=$parent
    done
    timeout 5 xwininfo -id "$w" | awk '
        /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /Width:/ {w = $NF} /Height:/ {h = $NF}
        END {print w "x" h "+" x "+" y}'
}

expected="748x658+202+201"
outer_is_right() { [ "$(outer_geometry "$(window_id)")" = "$expected" ]; }

check_outer() { # what is around the window
    wait_for 200 has_window || fail "no window \"construct\" $1: $(tail -n 3 "$work/kanimo.err")"
    wait_for 100 outer_is_right ||
        fail "$1 the window's outer geometry is $(outer_geometry "$(window_id)"), not $expected"
    echo "desktop e2e: outer geometry $expected $1"
}

# --- a bare display: the inner size is the outer size -------------------------------------
start_kanimo --seed 12345
check_outer "without a window manager"
grep -qx 'kanimo: seed 12345' "$work/kanimo.err" ||
    fail "--seed 12345 was not announced on standard error: $(head -n 3 "$work/kanimo.err")"
stop kanimo_pid

# --- under a window manager, which frames the window ---------------------------------------
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_for 100 wm_running || fail "openbox did not start: $(tail -n 3 "$work/openbox.log")"
start_kanimo
check_outer "under openbox"
grep -Eqx 'kanimo: seed [0-9]+' "$work/kanimo.err" ||
    fail "the clock's seed was not announced on standard error: $(head -n 3 "$work/kanimo.err")"
stop kanimo_pid
stop wm_pid

# --- a display that works, a platform plugin that does not ----------------------------------
XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=bogus "$kanimo" >"$work/kanimo.out" 2>"$work/kanimo.err"
status=$?
[ "$status" -eq 1 ] || fail "with a bogus platform plugin kanimo ended with status $status, not 1"
[ "$(wc -l <"$work/kanimo.err")" -eq 1 ] && grep -q 'platform plugin "bogus"' "$work/kanimo.err" ||
    fail "with a bogus platform plugin kanimo said: $(head -c 600 "$work/kanimo.err")"
echo "desktop e2e: passed"
