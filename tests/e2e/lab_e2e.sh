#!/usr/bin/env bash
# End-to-end test of kanimo-lab: runs the real program on a virtual display and drives it
# with the mouse and keys as a person would: single steps, zoom with the wheel and keys, a
# drag to pan, a click on a creature (the view outlines it), follow it while the world runs,
# save the world through the file dialog, check that kanimo-sim goes on from the saved file
# exactly as from the unbroken run, go back to an earlier step on the timeline and save that;
# then drag the timeline's slider back, select a creature, go to its birth, delete it there
# (a branch of the run), step the branch on, switch to the run and back, save the branch and
# check that kanimo-sim goes on from it as from the world saved at that step with the
# creature deleted (built through the Python module, next to kanimo-sim's build, as the
# oracle); then open a file again and quit.
#
#   tests/e2e/lab_e2e.sh <path-to-kanimo-lab> <path-to-kanimo-sim> <artifact-dir>
#
# Needs Xvfb, xdotool, ImageMagick and the built Python module (KANIMO_PYTHONPATH, by default
# the python folder of kanimo-sim's build). Keeps screenshots in <artifact-dir>/lab-*.png.
set -uo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 <path-to-kanimo-lab> <path-to-kanimo-sim> <artifact-dir>" >&2
    exit 2
fi
lab=$1
sim=$2
artifacts=$3

fail() {
    echo "lab e2e: FAILED: $*" >&2
    exit 1
}

for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || fail "$tool not found (Debian packages: xvfb xdotool imagemagick)"
done
[ -x "$lab" ] || fail "no program at $lab"
[ -x "$sim" ] || fail "no program at $sim"
pythonpath=${KANIMO_PYTHONPATH:-$(cd "$(dirname "$sim")/.." && pwd)/python}
[ -d "$pythonpath/kanimo" ] || fail "no Python module in $pythonpath (set KANIMO_PYTHONPATH)"
mkdir -p "$artifacts" || fail "cannot create $artifacts"

work=$(mktemp -d) || fail "cannot make a scratch directory"
xvfb_pid=""
lab_pid=""
cleanup() {
    [ -n "$lab_pid" ] && kill "$lab_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$lab_pid" ] && wait "$lab_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

source "$(dirname "$0")/virtual_display.sh"
start_virtual_display

# Settings (recent files, window state) go to the scratch folder, not the user's.
mkdir -m 700 "$work/runtime" "$work/config"
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$work/runtime" \
    XDG_CONFIG_HOME="$work/config" "$lab" --seed 5 >"$work/lab.log" 2>&1 &
lab_pid=$!

alive() { kill -0 "$lab_pid" 2>/dev/null || fail "kanimo-lab ended after $1: $(tail -n 3 "$work/lab.log")"; }
window_id() { xdotool search --onlyvisible --name 'Kanimo Lab$' 2>/dev/null | head -n 1; }
has_window() { [ -n "$(window_id)" ]; }
wait_for 200 has_window || fail "no Kanimo Lab window appeared: $(tail -n 3 "$work/lab.log")"
wid=$(window_id)
sleep 1
eval "$(xdotool getwindowgeometry --shell "$wid")" # X, Y, WIDTH, HEIGHT
[ "$WIDTH" -ge 800 ] && [ "$HEIGHT" -ge 600 ] || fail "the window is only ${WIDTH}x$HEIGHT"

shot="$work/shot.png"
snap() { import -window root "$shot" 2>/dev/null || fail "cannot take a screenshot"; }
# The view is the window's left part, below the menu and the toolbar and above the timeline
# and the charts.
view_left=$((X + 10))
view_top=$((Y + 80))
view_width=$((WIDTH - 380))
view_height=$((HEIGHT - 380))
# The view's region as a mask: white where the colour is near R G B, black elsewhere.
view_mask() { # <r> <g> <b> <fuzz %>
    convert "$shot" -crop "${view_width}x${view_height}+${view_left}+${view_top}" +repage \
        -fill black -opaque white -fuzz "$4%" -fill white -opaque "rgb($1,$2,$3)" \
        -fill black +opaque white "$work/mask.png"
}
count_colour() { # <r> <g> <b>: pixels of the view near that colour
    view_mask "$1" "$2" "$3" 12
    convert "$work/mask.png" -format '%[fx:round(mean*w*h)]' info:
}
# The centre of the largest patch of a colour, in screen coordinates: "x y", or nothing.
patch_centre() { # <r> <g> <b> <fuzz %>
    view_mask "$@"
    convert "$work/mask.png" -define connected-components:verbose=true \
        -connected-components 8 null: 2>/dev/null | awk -v L="$view_left" -v T="$view_top" '
        /gray\(255\)|srgb\(255,255,255\)/ { split($3, c, ","); if ($4 + 0 > best) { best = $4 + 0; x = c[1]; y = c[2] } }
        END { if (best > 0) printf "%d %d\n", L + x, T + y }'
}

# --- focus, a few single steps, zoom and pan -------------------------------------------------
# With no window manager the keys go to the window under the pointer; a click gives the view
# the focus. The corner of the view is outside the world at "fit" in a wide window.
xdotool mousemove $((view_left + 3)) $((view_top + 3)) click 1
sleep 0.3
for _ in $(seq 1 30); do xdotool key period; done
sleep 0.5
alive "single steps"
xdotool key plus plus minus
sleep 0.2
xdotool mousemove $((view_left + view_width / 2)) $((view_top + view_height / 2))
xdotool click 4 click 4 click 5
sleep 0.2
xdotool mousedown 1 mousemove_relative -- 60 40 mousemove_relative -- 60 40 mouseup 1
sleep 0.2
xdotool key Left Up
xdotool key f
sleep 0.5
alive "zooming and panning"

# --- click a creature: the view outlines it --------------------------------------------------
snap
cp "$shot" "$artifacts/lab-start.png"
[ "$(count_colour 40 230 255)" -lt 20 ] || fail "an outline shows before anything was selected"
# Bodies are red by energy, 180 50 50 when full: click the middle of the largest.
read -r cx cy < <(patch_centre 180 50 50 8)
[ -n "${cx:-}" ] || fail "no creature body to click in the view"
xdotool mousemove "$cx" "$cy" click 1
selected() { snap; [ "$(count_colour 40 230 255)" -ge 20 ]; }
wait_for 20 selected || fail "clicking the creature at $cx,$cy outlined nothing"
echo "lab e2e: a click at $cx,$cy selected a creature"

# --- follow it while the world runs ---------------------------------------------------------
xdotool key c space
sleep 3
xdotool key space
sleep 0.5
alive "following"
snap
cp "$shot" "$artifacts/lab-following.png"
read -r ox oy < <(patch_centre 40 230 255 12)
[ -n "${ox:-}" ] || fail "the followed creature is not outlined after running"
mid_x=$((view_left + view_width / 2))
mid_y=$((view_top + view_height / 2))
dx=$((ox - mid_x)); dy=$((oy - mid_y))
[ "${dx#-}" -lt 120 ] && [ "${dy#-}" -lt 120 ] ||
    fail "the followed creature is at $ox,$oy, far from the view's middle $mid_x,$mid_y"
echo "lab e2e: the followed creature stays in the middle ($dx, $dy from it)"

# --- save through the file dialog ---------------------------------------------------------------
saved="$work/lab.sav"
dialog_in() { # <title>: moves the pointer into the dialog, so that keys go to it
    local id
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] || return 1
    eval "$(xdotool getwindowgeometry --shell "$id" | sed 's/^/D_/')"
    xdotool mousemove $((D_X + D_WIDTH / 2)) $((D_Y + 10))
}
xdotool key ctrl+s
wait_for 100 dialog_in "Save the world" || fail "Ctrl+S showed no save dialog"
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 20 "$saved"
xdotool key Return
has_file() { [ -s "$saved" ]; }
wait_for 100 has_file || fail "the world was not saved to $saved"
alive "saving"
header=$("$sim" --load "$saved" --steps 0 --dump | head -n 1)
step=$(awk '{ print $2 }' <<<"$header")
[ "$step" -gt 30 ] || fail "the saved world is at step '$step', not past the 30 single steps"
resumed=$("$sim" --load "$saved" --steps 40 --dump) || fail "kanimo-sim cannot go on from the saved world"
unbroken=$("$sim" --seed 5 --steps $((step + 40)) --dump)
[ "$resumed" = "$unbroken" ] || fail "the saved world does not go on as the unbroken run of seed 5"
echo "lab e2e: saved at step $step; kanimo-sim goes on from it exactly"

# --- back on the timeline: step 100 again, exactly -----------------------------------------------
xdotool mousemove $((view_left + 3)) $((view_top + 3)) click 1
sleep 0.3
xdotool key ctrl+g
sleep 0.3
xdotool type --delay 20 "100"
xdotool key Return
sleep 1
xdotool mousemove $((view_left + 3)) $((view_top + 3)) click 1
sleep 0.3
xdotool key ctrl+s
saved_step() { "$sim" --load "$saved" --steps 0 --dump 2>/dev/null | head -n 1 | awk '{ print $2 }'; }
at_100() { [ "$(saved_step)" = 100 ]; }
wait_for 100 at_100 || fail "after going to step 100 the saved world is at step $(saved_step)"
resumed=$("$sim" --load "$saved" --steps 40 --dump) || fail "kanimo-sim cannot go on from step 100"
[ "$resumed" = "$("$sim" --seed 5 --steps 140 --dump)" ] ||
    fail "the world shown again at step 100 does not go on as the unbroken run"
echo "lab e2e: back at step 100 on the timeline, the world is the unbroken run's"
snap
cp "$shot" "$artifacts/lab-timeline.png"

# --- a branch: the slider back, a creature's birth, deleted there ---------------------------------
# Run on past the steps taken so far, then drag the slider's handle back to the middle. The
# slider's filled groove runs from its left end to the handle, in the style's highlight.
xdotool mousemove $((view_left + 3)) $((view_top + 3)) click 1
xdotool key space
sleep 2
xdotool key space
sleep 0.5
# Ctrl+S saves the world shown to its file: a file saved anew shows the step.
save_again() { # <file> <what>
    rm -f "$1"
    xdotool key ctrl+s
    wait_for 100 test -s "$1" || fail "Ctrl+S did not save $2"
}
save_again "$saved" "the run after it ran on"
newest=$(saved_step)
snap
groove() { # "left right y" of the slider's filled groove, on screen
    local top=$((view_top + view_height))
    convert "$shot" -crop "${view_width}x60+${view_left}+${top}" +repage \
        -fill black -opaque white -fuzz 12% -fill white -opaque "rgb(56,161,227)" \
        -fill black +opaque white "$work/mask.png"
    convert "$work/mask.png" -define connected-components:verbose=true \
        -connected-components 8 null: 2>/dev/null | awk -v L="$view_left" -v T="$top" '
        /gray\(255\)|srgb\(255,255,255\)/ { if ($4 + 0 > best) { best = $4 + 0; box = $2 } }
        END { if (best > 0) { split(box, a, /[x+]/); printf "%d %d %d\n", L + a[3], L + a[3] + a[1], T + a[4] + a[2] / 2 } }'
}
read -r gl gr gy < <(groove)
[ -n "${gy:-}" ] && [ $((gr - gl)) -gt 100 ] || fail "no timeline slider under the view"
xdotool mousemove $((gr + 3)) "$gy" mousedown 1
for x in $(seq $((gr - 20)) -20 $(((gl + gr) / 2))); do xdotool mousemove "$x" "$gy"; done
xdotool mouseup 1
sleep 1.5
xdotool mousemove $((view_left + 3)) $((view_top + 3)) click 1
sleep 0.3
save_again "$saved" "the run after the drag"
[ "$(saved_step)" -lt $((newest * 3 / 4)) ] ||
    fail "dragging the slider back from step $newest showed step $(saved_step)"
echo "lab e2e: the slider dragged back from step $newest to step $(saved_step)"

# Select a creature there and go to its birth: the world saved then is at that step.
snap
read -r cx cy < <(patch_centre 180 50 50 8)
[ -n "${cx:-}" ] || fail "no creature body to click after dragging the slider"
xdotool mousemove "$cx" "$cy" click 1
wait_for 20 selected || fail "clicking the creature at $cx,$cy after the drag outlined nothing"
xdotool key ctrl+b
sleep 1.5
save_again "$saved" "the run at the creature's birth"
fork=$(saved_step)
cp "$saved" "$work/run-at-fork.sav"
echo "lab e2e: the selected creature was born at step $fork"

# Delete it: a branch starts there, and the title says so.
xdotool key Delete
branch_titled() { xdotool search --onlyvisible --name '(branch 1).* Kanimo Lab$' >/dev/null 2>&1; }
wait_for 50 branch_titled || fail "deleting the selected creature started no branch"
branch="$work/branch.sav"
xdotool key ctrl+s
wait_for 100 dialog_in "Save the world" || fail "Ctrl+S on the new branch showed no save dialog"
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 20 "$branch"
xdotool key Return
has_branch() { [ -s "$branch" ]; }
wait_for 100 has_branch || fail "the branch was not saved to $branch"
cp "$branch" "$work/branch-at-fork.sav"

# Step the branch on, switch to the run and back, and save the branch where it is.
xdotool mousemove $((view_left + 3)) $((view_top + 3)) click 1
sleep 0.3
for _ in $(seq 1 25); do xdotool key period; done
sleep 1
xdotool key bracketleft
run_titled() { xdotool search --onlyvisible --name '^lab\.sav.* Kanimo Lab$' >/dev/null 2>&1; }
wait_for 50 run_titled || fail "[ did not switch back to the run"
xdotool key bracketright
wait_for 50 branch_titled || fail "] did not switch to the branch again"
sleep 1
snap
cp "$shot" "$artifacts/lab-branches.png"
save_again "$branch" "the branch stepped on"
branch_step=$("$sim" --load "$branch" --steps 0 --dump | head -n 1 | awk '{ print $2 }')
[ "$branch_step" = $((fork + 25)) ] || fail "the branch saved is at step $branch_step, not $((fork + 25))"

# The oracle: the run's world at the fork, saved and loaded, the creature the branch lacks
# deleted, stepped on.
PYTHONPATH="$pythonpath" /usr/bin/python3 - "$work/run-at-fork.sav" "$work/branch-at-fork.sav" \
    "$sim" 25 "$work/oracle.sav" <<'PY' || fail "the oracle could not be built"
import subprocess, sys, tempfile, os
import kanimo
run_at_fork, branch_at_fork, sim, onward, out = sys.argv[1:6]
ids = lambda w: set(int(i) for i in w.creatures()["id"])
gone = ids(kanimo.World.load(run_at_fork)) - ids(kanimo.World.load(branch_at_fork))
assert len(gone) == 1, f"the branch lacks {len(gone)} creatures of the run, not one"
fork = kanimo.World.load(run_at_fork).step_count
with tempfile.TemporaryDirectory() as folder:
    at_fork = os.path.join(folder, "fork.sav")
    subprocess.run([sim, "--seed", "5", "--steps", str(fork), "--save", at_fork], check=True,
                   stdout=subprocess.DEVNULL)
    world = kanimo.World.load(at_fork)
world.delete(gone.pop())
world.step(int(onward))
world.save(out)
PY
resumed=$("$sim" --load "$branch" --steps 40 --dump) || fail "kanimo-sim cannot go on from the branch"
[ "$resumed" = "$("$sim" --load "$work/oracle.sav" --steps 40 --dump)" ] ||
    fail "the branch does not go on as the world saved at step $fork with the creature deleted"
echo "lab e2e: the branch from step $fork goes on in kanimo-sim as the oracle's world"

# --- open it again ------------------------------------------------------------------------------
# The closed dialog took the keyboard with it: a click on the view brings it back.
xdotool mousemove $((view_left + 3)) $((view_top + 3)) click 1
sleep 0.3
xdotool key ctrl+o
wait_for 100 dialog_in "Open a world" || fail "Ctrl+O showed no open dialog"
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 20 "$saved"
xdotool key Return
titled() { xdotool search --onlyvisible --name '^lab\.sav.* Kanimo Lab$' >/dev/null 2>&1; }
wait_for 100 titled || fail "opening $saved did not show it in the title"
sleep 1
xdotool mousemove "$mid_x" "$mid_y"
snap
convert "$shot" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$artifacts/lab-opened.png"

# --- quit ---------------------------------------------------------------------------------------
xdotool mousemove $((view_left + 3)) $((view_top + 3)) click 1
sleep 0.3
xdotool key ctrl+q
ended() { ! kill -0 "$lab_pid" 2>/dev/null; }
wait_for 100 ended || fail "kanimo-lab did not end within 10 s of Ctrl+Q"
wait "$lab_pid"
status=$?
lab_pid=""
[ "$status" -eq 0 ] || fail "kanimo-lab ended with status $status: $(tail -n 3 "$work/lab.log")"
echo "lab e2e: passed (screenshots in $artifacts/lab-*.png)"
