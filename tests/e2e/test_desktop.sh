#!/usr/bin/env bash
# End to end: the program on a real desktop (openbox) and as XScreenSaver runs it: focus, the
# background at rest while covered, copies side by side, signals, messages and the -fps readout.
# Usage: test_desktop.sh BUILD_DIR. Screenshots stay in $NIMBULA_E2E_KEEP when that is set.
set -euo pipefail

SRC=$(cd "$(dirname "$0")/../.." && pwd)
source "$(dirname "$0")/common.sh" test_desktop "$@"
TOOL=$BUILD/nimbula-tool
alive() { kill -0 "$1" 2>/dev/null; }
# The first visible window of pid, or nothing.
window_of() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -1 || true; }
has_window() { [ -n "$(window_of "$1")" ]; }
focus_is() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
# ST = exit status of pid once it ended within TENTHS, "running" when it did not. Not in a
# subshell: only this shell can wait for its children.
end_status() {
    ST=running
    local _
    for _ in $(seq "$2"); do gone "$1" && break; sleep 0.1; done
    gone "$1" || return 0
    ST=0
    wait "$1" || ST=$?
}
# Processor time of pid so far, in clock ticks.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
ticks_over() { local a b; a=$(ticks "$1"); sleep "$2"; b=$(ticks "$1"); echo $((b - a)); }
# Share of pixels in the universe's dark blue ground, in percent.
ground_share() { convert "$WORK/$1.png" -fuzz 3% -transparent "srgb(0,0,25)" -alpha extract -negate -format "%[fx:int(mean*1000)/10]" info:; }
# A window that draws: the dark blue ground over most of it, orbs on some, a picture that moves.
draws() {
    shot "$1a" "$2"
    sleep 0.4
    shot "$1b" "$2"
    local g b
    g=$(ground_share "$1a")
    b=$(bright_share "$1a")
    awk -v g="$g" -v b="$b" 'BEGIN { exit !(g > 40 && b > 0.3) }' && [ "$(differing_pixels "$1a" "$1b")" -gt 50 ]
}
# A plain X window named NAME to draw into; its id goes to HOSTWIN.
named_window() { HOSTWIN=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true); [ -n "$HOSTWIN" ]; }
host_window() {
    xev -geometry "$2" -name "$1" >/dev/null 2>&1 &
    track "$!"
    wait_until named_window "$1" || fail "no window $1"
    named_window "$1"
}

# --- --help and --version print to standard output and end with 0 ---------------------------------
for prog in "$BIN" "$TOOL"; do
    for opt in --help --version; do
        rc=0
        out=$("$prog" $opt 2>"$WORK/err.log") || rc=$?
        [ "$rc" -eq 0 ] && [ -n "$out" ] && [ ! -s "$WORK/err.log" ] || fail "$(basename "$prog") $opt: status $rc, output '$out'"
    done
done
"$BIN" /s --help | grep -q -- "--pace N" || fail "--help among other words printed no usage"
pass "--help and --version of both programs"

# --- without a window manager the saver takes the focus; ESC ends it ------------------------------
"$BIN" /s --orbs 20 >"$WORK/nowm.log" 2>&1 &
SAVER=$!
track "$SAVER"
wait_until has_window "$SAVER" || fail "/s opened no window"
SAVERWIN=$(window_of "$SAVER")
wait_until focus_is "$SAVERWIN" || fail "without a window manager the saver has no focus ($(xdotool getwindowfocus))"
xdotool key Escape
end_status "$SAVER" 50; [ "$ST" = 0 ] || fail "ESC did not end the saver without a window manager"
pass "without a window manager /s takes the focus and ESC ends it"

# --- a message box open: SIGTERM ends the program and its box within a second ---------------------
"$BIN" /s --orbs 5 >"$WORK/first.log" 2>&1 &
FIRST=$!
track "$FIRST"
wait_until has_window "$FIRST" || fail "/s opened no window"
NIMBULA_MESSAGE_BOXES= "$BIN" /b >"$WORK/second.log" 2>&1 &
SECOND=$!
track "$SECOND"
# The box is drawn in a window of the copy's own, in the look of the program's dialogs.
wait_until has_window "$SECOND" || fail "the second copy showed no box"
sleep 0.5
shot box
kill -TERM "$SECOND"
end_status "$SECOND" 10; [ "$ST" = 0 ] || fail "SIGTERM did not end the copy with its box open"
grep -qx "Please switch to the already running copy of Nimbula" "$WORK/second.log" || fail "the box's text was lost"
kill -TERM "$FIRST"
end_status "$FIRST" 10; [ "$ST" = 0 ] || fail "/s after SIGTERM"
pass "SIGTERM ends a copy whose message box is open, and its text reaches standard error"
# --- under openbox, from a focused terminal: the saver takes the focus, stays above, ESC ends it ----
openbox >"$WORK/openbox.log" 2>&1 &
WM=$!
track "$WM"
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; }
wait_until wm_running || fail "openbox did not start"
xterm -geometry 60x10+20+20 -title terminal >/dev/null 2>&1 &
TERM_PID=$!
track "$TERM_PID"
wait_until has_window "$TERM_PID" || fail "no terminal window"
TERMWIN=$(window_of "$TERM_PID")
wait_until focus_is "$TERMWIN" || { xdotool windowactivate "$TERMWIN"; wait_until focus_is "$TERMWIN"; } ||
    fail "the terminal did not get the focus"

"$BIN" /s --orbs 20 >"$WORK/wm.log" 2>&1 &
SAVER=$!
track "$SAVER"
wait_until has_window "$SAVER" || fail "/s opened no window under openbox"
SAVERWIN=$(window_of "$SAVER")
wait_until focus_is "$SAVERWIN" || fail "under openbox the terminal kept the focus ($(xdotool getwindowfocus getwindowname))"
wait_until draws wm root || fail "the saver does not draw over the desktop"
# Above the terminal: the terminal's corner shows the universe's dark blue, not the terminal.
ground=$(convert "$WORK/wma.png" -format "%[pixel:p{30,30}]" info:)
case "$ground" in "srgb(0,0,25)"|"srgb(0,0,26)") ;; *) fail "the terminal shows over the saver ($ground)" ;; esac
xdotool key Escape
end_status "$SAVER" 50; [ "$ST" = 0 ] || fail "ESC did not end the saver under openbox ($ST)"
pass "under openbox /s takes the focus from the terminal, covers it, and ESC ends it"

# --- the background never takes the focus, rests while covered and draws again when shown --------
"$BIN" /b >"$WORK/background.log" 2>&1 &
BACK=$!
track "$BACK"
wait_until has_window "$BACK" || fail "/b opened no window"
BACKWIN=$(window_of "$BACK")
xdotool windowactivate "$TERMWIN" 2>/dev/null || true
wait_until focus_is "$TERMWIN" || fail "the terminal lost the focus to the background"
# A click on the background, away from the terminal.
xdotool mousemove 600 450 click 1
sleep 0.3
focus_is "$BACKWIN" && fail "a click gave the background the focus"
wait_until draws back1 root || fail "the uncovered background does not draw"
uncovered=$(ticks_over "$BACK" 3)
# Covered whole by the terminal.
xdotool windowmove "$TERMWIN" 0 0 windowsize "$TERMWIN" 700 540
at_rest() { [ "$(ticks_over "$BACK" 0.5)" -le 1 ]; }
wait_until at_rest || fail "the covered background keeps working"
covered=$(ticks_over "$BACK" 3)
echo "background processor time over 3 s at 640x480: uncovered $uncovered ticks, covered $covered ticks"
[ "$covered" -le 3 ] || fail "the covered background used $covered ticks in 3 s"
[ "$uncovered" -gt $((covered * 4)) ] || fail "uncovered ($uncovered) is no busier than covered ($covered)"
xdotool windowminimize "$TERMWIN"
wait_until draws back2 root || fail "the background did not draw again when uncovered"
kill -INT "$BACK"
end_status "$BACK" 10; [ "$ST" = 0 ] || fail "/b after SIGINT ($ST)"
pass "/b keeps off the focus, rests while covered ($covered against $uncovered ticks) and ends on SIGINT"

# --- the editing frame fits the screen with its title bar: nothing of it below the bottom edge ----
"$BIN" >"$WORK/frame.log" 2>&1 &
FRAME=$!
track "$FRAME"
wait_until has_window "$FRAME" || fail "the frame opened no window under openbox"
FRAMEWIN=$(window_of "$FRAME")
inside() {
    local geo
    geo=$(xwininfo -id "$FRAMEWIN") || return 1
    local x y w h
    x=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$geo")
    y=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$geo")
    w=$(awk '/Width:/ { print $NF }' <<<"$geo")
    h=$(awk '/Height:/ { print $NF }' <<<"$geo")
    [ "$y" -gt 0 ] && [ $((x + w)) -le "$E2E_WIDTH" ] && [ $((y + h)) -le "$E2E_HEIGHT" ]
}
wait_until inside || fail "the frame reaches past the screen: $(xwininfo -id "$FRAMEWIN" | grep -E 'Absolute|Width|Height' | tr -s ' \n' ' ')"
kill -TERM "$FRAME"
end_status "$FRAME" 10; [ "$ST" = 0 ] || fail "the frame after SIGTERM ($ST)"
pass "under openbox the editing frame fits the screen below its title bar"

# --- XScreenSaver: two -window-id copies side by side, and a copy right after SIGTERM -------------
host_window host-a 300x220+10+10
WIN_A=$HOSTWIN
host_window host-b 300x220+320+240
WIN_B=$HOSTWIN
"$BIN" -window-id "$WIN_A" >"$WORK/hack-a.log" 2>&1 &
HACK_A=$!
"$BIN" -window-id "$(printf '0x%x' "$WIN_B")" >"$WORK/hack-b.log" 2>&1 &
HACK_B=$!
track "$HACK_A"; track "$HACK_B"
wait_until draws hack-a "$WIN_A" || fail "the first -window-id copy does not draw"
wait_until draws hack-b "$WIN_B" || fail "the second -window-id copy does not draw"
alive "$HACK_A" && alive "$HACK_B" || fail "a -window-id copy ended"
share100=$(bright_share hack-aa)
kill -TERM "$HACK_A"
"$BIN" -window-id "$WIN_A" >"$WORK/hack-c.log" 2>&1 &
HACK_C=$!
track "$HACK_C"
end_status "$HACK_A" 10; [ "$ST" = 0 ] || fail "the first copy did not end within a second of SIGTERM"
wait_until draws hack-c "$WIN_A" || fail "the copy started right after SIGTERM does not draw"
kill -HUP "$HACK_B"
end_status "$HACK_B" 10; [ "$ST" = 0 ] || fail "a -window-id copy did not end within a second of SIGHUP"
kill -TERM "$HACK_C"
end_status "$HACK_C" 10; [ "$ST" = 0 ] || fail "the third copy after SIGTERM"
pass "two -window-id copies draw side by side, a third draws right after SIGTERM, SIGHUP ends one"

# --- the options of res/nimbula.xml work as XScreenSaver passes them: -fps shows a readout ---------
xml=$SRC/res/nimbula.xml
grep -q 'gl="yes"' "$xml" || fail "nimbula.xml does not declare gl=\"yes\""
fps_arg=$(sed -n 's/.*id="showfps".*arg-set="\([^"]*\)".*/\1/p' "$xml")
orbs_arg=$(tr '\n' ' ' <"$xml" | sed -n 's/.*id="orbs"[^>]*arg="\([^"]*\)".*/\1/p')
[ "$fps_arg" = "-fps" ] && [ -n "$orbs_arg" ] || fail "nimbula.xml offers no frame rate or orb count ('$fps_arg', '$orbs_arg')"
# shellcheck disable=SC2086
"$BIN" -window-id "$WIN_A" $fps_arg ${orbs_arg/\%/5} >"$WORK/fps.log" 2>&1 &
FPS=$!
track "$FPS"
# The readout's yellow in the window's bottom-left corner, once a second of frames was counted.
readout() {
    shot fps "$WIN_A"
    local n
    n=$(convert "$WORK/fps.png" -crop 140x40+0+180 +repage -fill black +opaque "srgb(255,224,0)" -fill white -opaque "srgb(255,224,0)" \
        -format "%[fx:int(mean*w*h)]" info:)
    [ "$n" -gt 40 ]
}
sleep 1.2
wait_until readout || fail "-fps shows no readout in the corner"
share5=$(bright_share fps)
awk -v a="$share5" -v b="$share100" 'BEGIN { exit !(a < b) }' || fail "${orbs_arg/\%/5} did not thin the universe ($share5 % against $share100 %)"
kill -TERM "$FPS"
end_status "$FPS" 10; [ "$ST" = 0 ] || fail "-fps copy after SIGTERM"
pass "$fps_arg ${orbs_arg/\%/5} from nimbula.xml: a readout in the corner, fewer orbs ($share5 % against $share100 %)"

# --- -root with a damaged data folder: reasons on standard error, no box, SIGTERM ends it ---------
unset NIMBULA_MESSAGE_BOXES
mkdir -p "$WORK/damaged"
cp "$NIMBULA_DIR/sphere.umf" "$WORK/damaged/"
head -c 300 "$NIMBULA_DIR/orb.bmp" >"$WORK/damaged/orb.bmp"
NIMBULA_DIR=$WORK/damaged "$BIN" -root >"$WORK/root.log" 2>&1 &
ROOT=$!
track "$ROOT"
wait_until grep -q "orb.bmp is damaged" "$WORK/root.log" || fail "-root did not say that orb.bmp is damaged"
grep -q "The orb texture" "$WORK/root.log" || fail "-root did not print the message itself"
boxes=$(xdotool search --onlyvisible --name '^Nimbula$' 2>/dev/null | wc -l || true)
[ "$boxes" -eq 0 ] || fail "-root showed a box"
alive "$ROOT" || fail "-root ended by itself"
kill -TERM "$ROOT"
end_status "$ROOT" 10; [ "$ST" = 0 ] || fail "-root did not end within a second of SIGTERM"
mkdir -p "$WORK/nomodel"
NIMBULA_DIR=$WORK/nomodel timeout 20 "$BIN" -root --frames 3 >"$WORK/nomodel.log" 2>&1 || fail "-root did not fall back from an empty NIMBULA_DIR"
grep -q "NIMBULA_DIR names $WORK/nomodel, which lacks sphere.umf and orb.bmp" "$WORK/nomodel.log" ||
    fail "an empty NIMBULA_DIR was not reported"
printf 'garbage' >"$WORK/nomodel/sphere.umf"
rc=0
NIMBULA_DIR=$WORK/nomodel timeout 10 "$BIN" -root >"$WORK/badmodel.log" 2>&1 || rc=$?
grep -qx "The Sphere (sphere.umf) geometry file is missing!.  Cannot run without this file." "$WORK/badmodel.log" &&
    grep -q "$WORK/nomodel/sphere.umf is damaged" "$WORK/badmodel.log" || fail "a damaged sphere.umf was not reported with its path"
[ "$rc" -eq 255 ] || fail "a damaged sphere.umf ended with $rc"
pass "-root: damaged files and an empty NIMBULA_DIR reported on standard error, no box, SIGTERM ends it"

echo "test_desktop: ok"
