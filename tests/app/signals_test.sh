#!/usr/bin/env bash
# A stop signal sent to a real program on an X display of its own (Xvfb): the program must end
# promptly with status 128 + the signal's number and leave things as a user needs them.
#
# usage: signals_test.sh CASE SIGNAL PELX_DEMO PELX_CAPTURE DIALOG_PROBE MODE_TOOL SHOW_DIR
#   CASE   dialog         pelx-demo in its launch dialog: it ends at once
#          show           pelx-demo playing full screen at 800x600: it ends through its teardown,
#                         so the screen is back in its own mode
#          capture-png    pelx-capture --out: it says how many frames it wrote, and that many
#                         whole PNG files are there, nothing else
#          capture-video  pelx-capture --video: a playable video of that many frames, with the
#                         soundtrack cut to the same length
#          capture-both   both at once
#   SIGNAL INT, TERM or HUP
#   SHOW_DIR holds the generated data/ folder.
# Every wait is bounded.
set -u

case=$1 signal=$2 demo=$3 capture=$4 probe=$5 mode_tool=$6 show_dir=$7
number=$(kill -l "$signal") || exit 2
expected=$((128 + number))
work=$(mktemp -d)
pids=()
pid=""

fail() {
    echo "FAIL ($case, SIG$signal): $*" >&2
    for f in "$work/out" "$work/err"; do
        [ -s "$f" ] && { echo "--- ${f##*/}:" >&2; tail -n 20 "$f" >&2; }
    done
    exit 1
}
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        kill -0 "$pid" 2>/dev/null || [ -z "$pid" ] || return 1
        sleep 0.1
    done
}

# A display of our own: the show switches the screen mode, which must not reach other tests.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
pids+=($!)
wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"

# A background job of a script starts with SIGINT ignored; env puts the three signals back to
# their default, so the program meets them as it would when started from a terminal.
start() {
    env --default-signal=INT,TERM,HUP "$@" >"$work/out" 2>"$work/err" &
    pid=$!
    pids+=("$pid")
}
# Sends the signal once the program runs (env has made way for it) with the signal not ignored;
# then waits up to $1 seconds for its end, leaving its status in $status and the time it took
# in $took.
stop_within() {
    local ignored
    ignored=$(awk '/^SigIgn:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || fail "the program ended early"
    (((16#$ignored >> (number - 1)) & 1)) && fail "the program runs with SIG$signal ignored: the test proves nothing"
    local sent
    sent=$(date +%s%N)
    kill "-$signal" "$pid"
    local deadline=$((SECONDS + $1))
    while kill -0 "$pid" 2>/dev/null; do
        ((SECONDS < deadline)) || fail "still running $1 s after SIG$signal"
        sleep 0.05
    done
    wait "$pid"
    status=$?
    took=$(awk -v ns=$(($(date +%s%N) - sent)) 'BEGIN { printf "%.2f", ns / 1e9 }')
    pid=""
    [ "$status" -eq "$expected" ] || fail "exit status $status, expected $expected"
}

dialog_window() {
    wid=$(xdotool search --onlyvisible --pid "$pid" --name '^Pelx - Demo$' 2>/dev/null | head -n 1)
    [ -n "$wid" ]
}
screen_mode_is() { [ "$("$mode_tool" current)" = "$1" ]; }
display_window() { xdotool search --pid "$pid" --name '^Pelx Engine - Demo$' >/dev/null 2>&1; }
hidden_files_in() { [ -n "$(find "$1" -maxdepth 1 -name '.*' ! -name . ! -name .. | head -n 1)" ]; }
# ffprobe's count of the frames it decodes from the first video stream of $@.
decoded_frames() {
    ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$@" \
        2>"$work/ffprobe.err"
}
stream_seconds() {
    ffprobe -v error -select_streams "$1" -show_entries stream=duration -of csv=p=0 "$2"
}

case "$case" in
dialog)
    cd "$show_dir" || fail "no show folder"
    start "$demo"
    wait_for 30 dialog_window || fail "no launch dialog within 30 s"
    stop_within 5
    ;;
show)
    "$mode_tool" offer 800x600 >"$work/mode" &
    pids+=($!)
    wait_for 10 grep -qs ready "$work/mode" || fail "cannot offer the mode 800x600"
    screen_mode_is 1280x1024 || fail "the screen does not start at 1280x1024"
    "$probe" --layout >"$work/layout" || fail "no dialog layout"
    launch=$(awk '$1 == 1003 { printf "%d %d", $2 + $4 / 2, $3 + $5 / 2 }' "$work/layout")
    cd "$show_dir" || fail "no show folder"
    start "$demo"
    wait_for 30 dialog_window || fail "no launch dialog within 30 s"
    # "Launch" as it stands: full screen at 800 x 600.
    # shellcheck disable=SC2086
    xdotool mousemove --window "$wid" $launch click --window "$wid" 1
    wait_for 60 screen_mode_is 800x600 || fail "the show did not switch the screen to 800x600"
    wait_for 30 display_window || fail "no display window"
    sleep 2
    # A frame takes well under a second here; loading steps take longer, so allow for one.
    stop_within 10
    screen_mode_is 1280x1024 || fail "the screen was left at $("$mode_tool" current)"
    ;;
capture-png | capture-video | capture-both)
    cd "$work" || fail "no work folder"
    ln -s "$show_dir/data" data
    args=(--size 160x120 --fps 10)
    case "$case" in
    # The loading frames make the first PNG files appear early.
    capture-png) args+=(--with-loading --out frames) ;;
    capture-video) args+=(--video v.mp4) ;;
    capture-both) args+=(--out frames --video v.mp4) ;;
    esac
    start "$capture" "${args[@]}"
    if [ "$case" = capture-png ]; then
        wait_for 60 test -f frames/frame-000003.png || fail "no frames within 60 s"
    else
        # ffmpeg starts with the first frame, writing under a temporary name.
        wait_for 90 compgen -G ".v.part-*.mp4" >/dev/null || fail "no video started within 90 s"
        sleep 2
    fi
    stop_within 30
    report=$(grep -o "stopped by SIG$signal: [0-9]* frames written" "$work/err") || fail "no line with the frames written"
    frames=$(echo "$report" | awk '{ print $4 }')
    [ "$frames" -ge 1 ] || fail "$report"
    if [ -d frames ]; then
        count=$(find frames -name 'frame-*.png' | wc -l)
        [ "$count" -eq "$frames" ] || fail "$count PNG files, but the capture said $frames"
        hidden_files_in frames && fail "unfinished files left: $(ls -A frames | grep '^\.')"
        decoded=$(decoded_frames -f image2 -i frames/frame-%06d.png)
        [ "$decoded" = "$frames" ] && [ ! -s "$work/ffprobe.err" ] ||
            fail "ffprobe decodes $decoded of $frames PNG files: $(cat "$work/ffprobe.err")"
    fi
    if [ "$case" != capture-png ]; then
        [ -f v.mp4 ] || fail "no video under its name"
        hidden_files_in . && fail "unfinished files left: $(ls -A | grep '^\.')"
        decoded=$(decoded_frames v.mp4)
        [ "$decoded" = "$frames" ] && [ ! -s "$work/ffprobe.err" ] ||
            fail "ffprobe decodes $decoded of $frames frames from the video: $(cat "$work/ffprobe.err")"
        video=$(stream_seconds v:0 v.mp4)
        audio=$(stream_seconds a:0 v.mp4)
        [ -n "$audio" ] || fail "the video has no soundtrack"
        awk -v v="$video" -v a="$audio" 'BEGIN { d = v - a; exit !(d < 0.15 && d > -0.15) }' ||
            fail "the soundtrack lasts $audio s, the pictures $video s"
    fi
    ;;
*)
    fail "unknown case"
    ;;
esac
echo "PASS ($case, SIG$signal): status $status, ended $took s after the signal"
