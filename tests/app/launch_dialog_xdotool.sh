#!/usr/bin/env bash
# Drives the launch dialog on a real X display (Xvfb in the tests) with xdotool and checks the
# outcome: where the dialog stands, what each scenario leaves in the options, the exit status,
# and whether the show's display window ("Pelx Engine - Demo") ever appeared.
#
# usage: launch_dialog_xdotool.sh PROBE SCENARIO CLOSE_REQUEST_TOOL [PROGRAM]
#   PROBE prints the controls' pixel rectangles with --layout, and without arguments runs the
#   dialog and prints the resulting options. PROGRAM (default: PROBE) is what is started; for
#   any other program (pelx-demo) the printed options are not checked, only its exit status
#   and the windows it makes.
#   SCENARIO: exit   click "Exit"
#             close  send the title bar's close request
#             launch click "1152x864", "Windowed" twice, "No Music", then "Launch"
#             keys   click "Windowed", press Space, Tab, Return and Escape (the dialog takes no
#                    keys: the box stays ticked and the dialog stays), then click "Exit"
# Every wait is bounded, so the script ends within about 40 seconds whatever happens.
set -u

probe=$1
scenario=$2
close_tool=${3:-}
program=${4:-$probe}
dialog_name='^Pelx - Demo$'
display_name='^Pelx Engine - Demo$'

fail() {
    echo "FAIL ($scenario): $*" >&2
    [ -f "$work/out" ] && { echo "--- program output:" >&2; cat "$work/out" >&2; }
    [ -f "$work/err" ] && { echo "--- program errors:" >&2; cat "$work/err" >&2; }
    exit 1
}

if [ -z "${DISPLAY:-}" ]; then
    echo "FAIL: no DISPLAY; run under xvfb-run" >&2
    exit 1
fi
command -v xdotool >/dev/null || { echo "FAIL: xdotool is not installed" >&2; exit 1; }

work=$(mktemp -d)
pid=""
watcher=""
holder=""
cleanup() {
    [ -n "$watcher" ] && kill "$watcher" 2>/dev/null
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ -n "$holder" ] && kill "$holder" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb resets itself whenever its last client leaves and refuses connections meanwhile; the
# short-lived xdotool calls below would make it do so all the time, and a program starting in
# such a moment finds no display. One client that stays connected keeps the server up.
for _ in 1 2 3 4 5; do
    xdotool sleep 600 &
    holder=$!
    sleep 0.2
    kill -0 "$holder" 2>/dev/null && break
    holder=""
done
[ -n "$holder" ] || fail "cannot connect to the display $DISPLAY"

timeout 10 "$probe" --layout >"$work/layout" || fail "--layout failed"
# Centre of a control, in window coordinates.
centre() {
    awk -v id="$1" '$1 == id { printf "%d %d\n", $2 + $4 / 2, $3 + $5 / 2 }' "$work/layout"
}
click() {
    local xy
    xy=$(centre "$1")
    [ -n "$xy" ] || fail "control $1 is not in the layout"
    # The click is sent to the dialog's window itself, so a window of another test that happens
    # to lie over the dialog on the shared test display cannot take it.
    # shellcheck disable=SC2086
    xdotool mousemove --window "$wid" $xy click --window "$wid" 1 || fail "click on control $1"
    sleep 0.3
}

"$program" >"$work/out" 2>"$work/err" &
pid=$!

# Notes every sighting of the display window while the program runs, and whether it carries
# icon 103 too.
(
    while kill -0 "$pid" 2>/dev/null; do
        shown=$(xdotool search --all --pid "$pid" --name "$display_name" 2>/dev/null | head -n 1)
        if [ -n "$shown" ]; then
            touch "$work/display_seen"
            if command -v xprop >/dev/null && xprop -id "$shown" _NET_WM_ICON 2>/dev/null | grep -q "32 x 32"; then
                touch "$work/display_icon"
            fi
        fi
        sleep 0.05
    done
) &
watcher=$!

# Only this program's windows count: other tests may show windows on the same display.
# Asked again and again until the program's dialog shows or the program ends.
wid=""
for _ in $(seq 1 150); do
    wid=$(timeout 5 xdotool search --all --onlyvisible --pid "$pid" --name "$dialog_name" 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$wid" ] || fail "no visible window named 'Pelx - Demo' within 15 s"
sleep 0.5

# The dialog stands at (100, 100) with the template's 165 x 103 units in pixels.
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$X" = 100 ] && [ "$Y" = 100 ] || fail "dialog at ($X, $Y), expected (100, 100)"
[ "$WIDTH" = 248 ] && [ "$HEIGHT" = 167 ] || fail "dialog is ${WIDTH}x${HEIGHT}, expected 248x167"
# Icon 103 reaches the window system as a 32 x 32 picture (when xprop is there to ask).
if command -v xprop >/dev/null; then
    xprop -id "$wid" _NET_WM_ICON | grep -q "32 x 32" || fail "the dialog has no 32 x 32 icon"
fi

case "$scenario" in
exit)
    click 1004
    expected="width=800 height=600 fullscreen=1 lightsOff=0 musicOff=0 launchRequested=0 cancelled=1"
    want_display=no
    ;;
close)
    [ -x "$close_tool" ] || fail "close scenario needs the close-request tool"
    "$close_tool" "$wid" || fail "could not send the close request"
    expected="width=800 height=600 fullscreen=1 lightsOff=0 musicOff=0 launchRequested=0 cancelled=1"
    want_display=no
    ;;
launch)
    click 1005
    click 1006
    click 1006
    click 1008
    click 1003
    expected="width=1152 height=864 fullscreen=1 lightsOff=0 musicOff=1 launchRequested=1 cancelled=0"
    want_display=yes
    ;;
keys)
    click 1006
    for key in space Tab Return KP_Enter Escape space; do
        xdotool key --window "$wid" "$key" || fail "could not press $key"
        sleep 0.2
    done
    sleep 0.3
    kill -0 "$pid" 2>/dev/null || fail "the dialog ended on a key"
    xdotool search --all --onlyvisible --pid "$pid" --name "$dialog_name" >/dev/null 2>&1 ||
        fail "the dialog was hidden by a key"
    click 1004
    expected="width=800 height=600 fullscreen=0 lightsOff=0 musicOff=0 launchRequested=0 cancelled=1"
    want_display=no
    ;;
*)
    fail "unknown scenario"
    ;;
esac

# The program must end by itself within 20 seconds.
for _ in $(seq 1 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    fail "the program did not end within 20 s"
fi
wait "$pid"
status=$?
pid=""
wait "$watcher" 2>/dev/null
watcher=""

[ "$status" -eq 0 ] || fail "exit status $status"
if [ "$program" = "$probe" ]; then
    grep -qx "$expected" "$work/out" || fail "expected options: $expected"
fi
if [ "$want_display" = yes ]; then
    [ -f "$work/display_seen" ] || fail "the display window never appeared after Launch"
    if command -v xprop >/dev/null; then
        [ -f "$work/display_icon" ] || fail "the display window has no 32 x 32 icon"
    fi
else
    [ ! -f "$work/display_seen" ] || fail "a display window was created although the dialog was dismissed"
fi
echo "PASS ($scenario, $(basename "$program")): $(cat "$work/out")"
exit 0
