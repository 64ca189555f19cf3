#!/usr/bin/env bash
# A stop signal sent to a real program on an Xvfb display of its own: it must end promptly with
# status 128 + the signal's number and leave things as a user needs them.
# usage: signals_test.sh CASE SIGNAL PELX_DEMO PELX_CAPTURE DIALOG_PROBE MODE_TOOL SHOW_DIR
#   dialog         pelx-demo in its launch dialog ends at once
#   show           pelx-demo playing full screen at 800x600 ends through its teardown: the
#                  screen is back in its own mode
#   show-scaled    the same on a 1920x1080 screen that lacks the mode: the screen keeps its
#                  size, the picture fills its height in proportion between black bars
#   capture-png    pelx-capture --out: as many whole PNG files as it says it wrote, nothing else
#   capture-video  pelx-capture --video: a playable video of that many frames, the soundtrack
#                  cut to the same length
#   capture-both   both at once
set -u
case=$1 signal=$2 demo=$3 capture=$4 probe=$5 mode_tool=$6 show_dir=$7
number=$(kill -l "$signal") || exit 2
expected=$((128 + number))
work=$(mktemp -d)
pids=() pid=""

fail() {
    echo "FAIL ($case, SIG$signal): $*" >&2
    [ -s "$work/err" ] && tail -n 20 "$work/err" >&2
    exit 1
}
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

# Waits up to $1 seconds for the command after it, giving up early if the program has ended.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) && { [ -z "$pid" ] || kill -0 "$pid" 2>/dev/null; } || return 1
        sleep 0.1
    done
}

# The show switches the screen mode, which must not reach other tests' display. A white root
# window shows any part of the desktop the show leaves uncovered.
screen=1280x1024
[ "$case" = show-scaled ] && screen=1920x1080
Xvfb -displayfd 3 -screen 0 "${screen}x24" -wr -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
pids+=($!)
wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"

# A background job of a script starts with SIGINT ignored; env puts the signals back to their
# default, as a program started from a terminal has them.
start() {
    env --default-signal=INT,TERM,HUP "$@" >/dev/null 2>"$work/err" &
    pid=$!
    pids+=("$pid")
}
# Sends the signal (checking the program does not ignore it) and waits up to $1 seconds for the
# end; $took is the time it took.
stop_within() {
    local ignored sent
    ignored=$(awk '/^SigIgn:/ { print $2 }' "/proc/$pid/status") || fail "the program ended early"
    (((16#$ignored >> (number - 1)) & 1)) && fail "the program ignores SIG$signal: the test proves nothing"
    sent=$(date +%s%N)
    kill "-$signal" "$pid"
    local deadline=$((SECONDS + $1))
    while kill -0 "$pid" 2>/dev/null; do
        ((SECONDS < deadline)) || fail "still running $1 s after SIG$signal"
        sleep 0.05
    done
    wait "$pid"
    status=$? pid=""
    took=$(awk -v ns=$(($(date +%s%N) - sent)) 'BEGIN { printf "%.2f", ns / 1e9 }')
    [ "$status" -eq "$expected" ] || fail "exit status $status, expected $expected"
}
dialog_window() {
    wid=$(xdotool search --onlyvisible --pid "$pid" --name '^Pelx - Demo$' 2>/dev/null | head -n 1)
    [ -n "$wid" ]
}
screen_mode_is() { [ "$("$mode_tool" current)" = "$1" ]; }
# A picture that is not black inside the rectangle $@ (X Y W H from the top left) and nothing
# but black outside it.
picture_only_in() {
    "$mode_tool" lit "$@" >"$work/lit" || return 1
    read -r inside outside <"$work/lit"
    [ "$outside" -eq 0 ] && [ "$inside" -gt 50000 ]
}
click_launch() {
    launch=$("$probe" --layout | awk '$1 == 1003 { printf "%d %d", $2 + $4 / 2, $3 + $5 / 2 }')
    cd "$show_dir" && start "$demo"
    wait_for 30 dialog_window || fail "no launch dialog"
    # "Launch" as it stands: full screen at 800 x 600.
    # shellcheck disable=SC2086
    xdotool mousemove --window "$wid" $launch click --window "$wid" 1
}
no_hidden_files_in() { [ -z "$(find "$1" -maxdepth 1 -name '.?*')" ] || fail "left behind: $(ls -A "$1")"; }
# Checks that ffprobe decodes exactly $frames frames, without complaint, from the video in $@.
decodes_all() {
    local decoded
    decoded=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
        -of csv=p=0 "$@" 2>"$work/ffprobe")
    [ "$decoded" = "$frames" ] && [ ! -s "$work/ffprobe" ] ||
        fail "ffprobe decodes $decoded of $frames frames from $*: $(cat "$work/ffprobe")"
}
seconds_of() { ffprobe -v error -select_streams "$1" -show_entries stream=duration -of csv=p=0 v.mp4; }

case "$case" in
dialog)
    cd "$show_dir" && start "$demo"
    wait_for 30 dialog_window || fail "no launch dialog"
    stop_within 5
    ;;
show)
    "$mode_tool" offer 800x600 >"$work/mode" &
    pids+=($!)
    wait_for 10 grep -qs ready "$work/mode" || fail "cannot offer the mode 800x600"
    screen_mode_is 1280x1024 || fail "the screen does not start at 1280x1024"
    click_launch
    wait_for 60 screen_mode_is 800x600 || fail "the show did not switch the screen to 800x600"
    sleep 2
    # A frame takes well under a second; a loading step may take longer.
    stop_within 10
    screen_mode_is 1280x1024 || fail "the screen was left at $("$mode_tool" current)"
    ;;
show-scaled)
    # 800 x 600 scaled to the full height: 1440 x 1080, with bars of (1920 - 1440) / 2 = 240.
    screen_mode_is 1920x1080 || fail "the screen does not start at 1920x1080"
    click_launch
    wait_for 60 picture_only_in 240 0 1440 1080 ||
        fail "no picture between black bars; lit inside and outside: $(cat "$work/lit")"
    # Still so a while later, the loading behind.
    sleep 2
    picture_only_in 240 0 1440 1080 || fail "lit inside and outside the picture: $(cat "$work/lit")"
    screen_mode_is 1920x1080 || fail "the screen was switched to $("$mode_tool" current)"
    stop_within 10
    screen_mode_is 1920x1080 || fail "the screen was left at $("$mode_tool" current)"
    ;;
capture-*)
    cd "$work" && ln -s "$show_dir/data" data
    case "$case" in
    # The loading frames make the first PNG files appear early.
    capture-png) start "$capture" --size 160x120 --fps 10 --with-loading --out frames ;;
    capture-video) start "$capture" --size 160x120 --fps 10 --video v.mp4 ;;
    *) start "$capture" --size 160x120 --fps 10 --out frames --video v.mp4 ;;
    esac
    # ffmpeg starts with the first show frame, writing under a temporary name.
    writing() { [ -e frames/frame-000003.png ] || compgen -G ".v.part-*.mp4" >/dev/null; }
    wait_for 90 writing || fail "nothing written"
    sleep 2
    stop_within 30
    frames=$(sed -n "s/^pelx-capture: stopped by SIG$signal: \([0-9]*\) frames written.*/\1/p" "$work/err")
    [ -n "$frames" ] && [ "$frames" -ge 1 ] || fail "no line saying how many frames were written"
    if [ -d frames ]; then
        count=$(find frames -name 'frame-*.png' | wc -l)
        [ "$count" -eq "$frames" ] || fail "$count PNG files, but the capture said $frames"
        no_hidden_files_in frames
        decodes_all -f image2 -i frames/frame-%06d.png
    fi
    if [ "$case" != capture-png ]; then
        no_hidden_files_in .
        decodes_all v.mp4
        video=$(seconds_of v:0) audio=$(seconds_of a:0)
        awk -v v="$video" -v a="$audio" 'BEGIN { exit !(a != "" && v - a < 0.15 && a - v < 0.15) }' ||
            fail "the soundtrack lasts '$audio' s, the pictures $video s"
    fi
    ;;
esac
echo "PASS ($case, SIG$signal): status $status, ended $took s after the signal"
