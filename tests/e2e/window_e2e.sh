#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# End-to-end test of the window program: runs the real kanimo on a virtual display, checks
# that its paint box shows the gradient with creatures on it, drives it with keys and checks
# that Esc ends it with status 0.
#
#   tests/e2e/window_e2e.sh <path-to-kanimo> <artifact-dir>
#
# Needs Xvfb, xdotool and ImageMagick (Debian: xvfb xdotool imagemagick). Keeps the screenshot
# of the running window as <artifact-dir>/window.png.
set -uo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 <path-to-kanimo> <artifact-dir>" >&2
    exit 2
fi
kanimo=$1
artifacts=$2

fail() {
    echo "window e2e: FAILED: $*" >&2
    exit 1
}

for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || fail "$tool not found (Debian packages: xvfb xdotool imagemagick)"
done
[ -x "$kanimo" ] || fail "no program at $kanimo"
mkdir -p "$artifacts" || fail "cannot create $artifacts"

work=$(mktemp -d) || fail "cannot make a scratch directory"
xvfb_pid=""
kanimo_pid=""
cleanup() {
    [ -n "$kanimo_pid" ] && kill "$kanimo_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$kanimo_pid" ] && wait "$kanimo_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# --- a virtual display on a free number --------------------------------------------------
source "$(dirname "$0")/virtual_display.sh"
start_virtual_display

# --- the program, with the desktop platform whatever the caller's environment says --------
mkdir -m 700 "$work/runtime"
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$work/runtime" \
    "$kanimo" >"$work/kanimo.log" 2>&1 &
kanimo_pid=$!

window_id() { xdotool search --name '^construct$' 2>/dev/null | head -n 1; }
has_window() { [ -n "$(window_id)" ]; }
wait_for 200 has_window || fail "no window \"construct\" appeared: $(tail -n 3 "$work/kanimo.log")"
wid=$(window_id)
eval "$(xdotool getwindowgeometry --shell "$wid")" # X, Y, WIDTH, HEIGHT
[ "$WIDTH" = 748 ] && [ "$HEIGHT" = 658 ] || fail "window is ${WIDTH}x$HEIGHT, not 748x658"

# --- what the paint box shows -------------------------------------------------------------
# Compares a region of a screenshot, given as picture row 0 at its top, with the background
# gradient row by row. Prints "<matching> <total>": pixels within 4 of their row's colour,
# and all pixels.
gradient_match() { # <png> <left> <top> <width> <height>
    convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 rgb:- | od -An -v -tu1 -w$(($4 * 3)) | awk '
        BEGIN {
            # The bands of the gradient, each covering the one before; the last one wins.
            for (t = -50; t < 206; t++) {
                h = t + 50
                y1 = int(h * 600 / 206); y2 = int((h + 2) * 600 / 206) - 2
                for (y = y1; y <= y2; y++) {
                    r[y] = int(t * 0.5 + 130) % 256; g[y] = int(t * 0.6 + 130) % 256
                    b[y] = int(t + 100) % 256
                }
            }
        }
        {
            y = NR - 1; R = r[y]; G = g[y]; B = b[y]
            for (i = 1; i < NF; i += 3) {
                total++
                dr = $i - R; dg = $(i + 1) - G; db = $(i + 2) - B
                if (dr <= 4 && dr >= -4 && dg <= 4 && dg >= -4 && db <= 4 && db >= -4) match_++
            }
        }
        END { print match_ + 0, total + 0 }'
}

# The frames sit at (2, 2) of the paint box, which sits at (8, 8) of the window.
frame_left=$((X + 10))
frame_top=$((Y + 10))
shot="$work/shot.png"
drawn() {
    import -window root "$shot" 2>/dev/null || return 1
    read -r matching total < <(gradient_match "$shot" "$frame_left" "$frame_top" 590 590)
    # Mostly the gradient, with some creatures over it.
    [ "$total" -gt 0 ] && [ $((matching * 100 / total)) -ge 70 ] && [ $((total - matching)) -ge 200 ]
}
sleep 1.5 # so that the screenshot shows the figures too, which come once a second
wait_for 60 drawn || fail "the paint box does not show the gradient with creatures (${matching:-0} of ${total:-0} pixels on the gradient)"
convert "$shot" -crop "748x658+$X+$Y" +repage "$artifacts/window.png" || fail "cannot write $artifacts/window.png"
echo "window e2e: frame seen ($matching of $total pixels on the gradient, the rest creatures)"

alive() { kill -0 "$kanimo_pid" 2>/dev/null || fail "kanimo ended after $1: $(tail -n 3 "$work/kanimo.log")"; }

# --- keys ---------------------------------------------------------------------------------
# The window took the focus itself (no window manager here), so keys go to it.
for key in w g g b; do
    xdotool key "$key"
    sleep 0.3
    alive "key $key"
done
# Paused, so the bare background that B copied at (8, 8) stays on screen.
import -window root "$shot" 2>/dev/null || fail "cannot take a screenshot"
read -r matching total < <(gradient_match "$shot" $((X + 16)) $((Y + 16)) 590 590)
[ "$total" -gt 0 ] && [ $((total - matching)) -le $((total / 200)) ] ||
    fail "after B the paint box does not show the bare gradient at (8, 8) ($matching of $total)"

xdotool key d
sleep 0.3
alive "key d"

xdotool key Home
box_id() { xdotool search --onlyvisible --name '^Information$' 2>/dev/null | head -n 1; }
has_box() { [ -n "$(box_id)" ]; }
wait_for 100 has_box || fail "Home showed no \"Information\" box"
box=$(box_id)
xdotool windowfocus --sync "$box" 2>/dev/null
xdotool key --clearmodifiers Return
wait_for 100 eval '! has_box' ||
    fail "the \"Information\" box did not close"
alive "the Home box"

# Back to the gradient (B again) and resume: frames come again after the box, from the
# same loop.
xdotool windowfocus --sync "$wid" 2>/dev/null
xdotool key b
xdotool key w
wait_for 60 drawn || fail "no frames after resuming"
alive "resuming"

# --- Esc ends the program with status 0 -----------------------------------------------------
xdotool key Escape
ended() { ! kill -0 "$kanimo_pid" 2>/dev/null; }
wait_for 150 ended || fail "kanimo did not end within 15 s of Esc"
wait "$kanimo_pid"
status=$?
kanimo_pid=""
[ "$status" -eq 0 ] || fail "kanimo ended with status $status: $(tail -n 3 "$work/kanimo.log")"
echo "window e2e: passed (screenshot in $artifacts/window.png)"
