#!/usr/bin/env bash
# End to end: the run modes of the real program under Xvfb, judged by screenshots and exit codes.
# Usage: test_screensaver.sh BUILD_DIR. Screenshots stay in $NIMBULA_E2E_KEEP when that is set.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_screensaver "$@"

# --- the screen saver: orbs on a dark blue ground, moving, ended by SIGTERM ---
launch saver "$BIN" /s
SAVER=$LAUNCHED
SAVERWIN=$(wait_for_window "$SAVER") || fail "/s opened no window"
geometry=$(xwininfo -id "$SAVERWIN" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$geometry" = "640x480" ] || fail "the saver covers $geometry of the 640x480 screen"
shot_after_frames saver1 "$SAVER" || fail "/s ended by itself"
shows_ground saver1 || fail "the ground is $(convert "$WORK/saver1.png" -format "%[pixel:p{2,2}]" info:), not the dark blue (0, 0, 0.1)"
share=$(bright_share saver1)
awk -v s="$share" 'BEGIN { exit !(s > 2.0) }' || fail "only $share % of the screen shows orbs"
moved() { shot saver2 && [ "$(differing_pixels saver1 saver2)" -gt 100 ]; }
wait_until moved || fail "the universe does not move ($(differing_pixels saver1 saver2) pixels changed)"
pass "/s shows orbs on $share % of the screen and moves ($(differing_pixels saver1 saver2) pixels changed)"

# --- a second saver (an idle daemon's next timeout) ends at once with a line; another mode says so ---
rc=0
timeout 10 "$BIN" /s >"$WORK/second.log" 2>&1 || rc=$?
[ "$rc" -eq 0 ] || fail "the second saver ended with $rc"
grep -qx "nimbula: the screen saver already shows; this copy ends" "$WORK/second.log" || fail "the second saver did not say why it ended: $(cat "$WORK/second.log")"
grep -q "Please switch" "$WORK/second.log" && fail "the second saver showed the box meant for other modes"
rc=0
"$BIN" /b >"$WORK/third.log" 2>&1 || rc=$?
grep -qx "Please switch to the already running copy of Nimbula" "$WORK/third.log" || fail "a second copy in another mode did not refuse"
[ "$rc" -eq 0 ] || fail "the second copy ended with $rc"
pass "a second saver ends at once with a line on standard error; a copy in another mode refuses with its message"

kill -TERM "$SAVER"
wait_exit "$SAVER" || fail "/s is still running after SIGTERM"
[ "$RC" = "0" ] || fail "/s after SIGTERM: $RC"
pass "SIGTERM ends the screen saver with status 0"

# --- a fixed number of frames ---
rc=0
"$BIN" /s --frames 30 --pace 0 >"$WORK/frames.log" 2>&1 || rc=$?
[ "$rc" -eq 0 ] || fail "--frames 30 ended with $rc"
grep -Eq "^frames: 30, seconds: [0-9.]+, fps: [0-9.]+$" "$WORK/frames.log" || fail "--frames printed no frame line"
pass "--frames 30: $(grep '^frames:' "$WORK/frames.log")"

# --- the preview draws one frame into another program's window and keeps still ---
xev -geometry 320x240+20+20 -name nimbula-host >/dev/null 2>&1 &
HOST=$!
track "$HOST"
host_shown() { HOSTWIN=$(xdotool search --onlyvisible --name '^nimbula-host$' 2>/dev/null | head -1 || true); [ -n "$HOSTWIN" ]; }
wait_until host_shown || fail "no host window for the preview"
launch preview "$BIN" /p "$HOSTWIN"
PREVIEW=$LAUNCHED
# The host window is white until the preview has drawn into it.
drawn() { shot "$1" "$HOSTWIN" && shows_ground "$1"; }
wait_until drawn preview1 || fail "the preview drew nothing into its window"
# Standing still can only be watched for a while.
sleep 1
shot preview2 "$HOSTWIN"
kill -0 "$PREVIEW" 2>/dev/null || fail "the preview ended by itself"
share=$(bright_share preview1)
awk -v s="$share" 'BEGIN { exit !(s > 1.0) }' || fail "the preview shows orbs on only $share % of its window"
diff=$(differing_pixels preview1 preview2)
[ "$diff" -eq 0 ] || fail "the preview moved ($diff pixels changed)"
# Hidden and shown again, the host window is white and asks for a paint: one new frame.
xdotool windowunmap --sync "$HOSTWIN"
xdotool windowmap --sync "$HOSTWIN"
wait_until drawn preview3 || fail "the preview was not drawn again when exposed"
share=$(bright_share preview3)
awk -v s="$share" 'BEGIN { exit !(s > 1.0) }' || fail "the preview was drawn again with orbs on only $share % of its window"
kill -TERM "$PREVIEW"
wait_exit "$PREVIEW" || fail "the preview is still running after SIGTERM"
[ "$RC" = "0" ] || fail "the preview after SIGTERM: $RC"
pass "/p $HOSTWIN draws one still frame ($share % orbs)"

# --- XScreenSaver's -window-id animates and ends cleanly when the host window goes ---
# The host still shows the preview's last frame: the hack's own frames are the ones after it.
shot hack0 "$HOSTWIN"
launch hack "$BIN" -window-id "$HOSTWIN"
HACK=$LAUNCHED
changed() { shot "$2" "$HOSTWIN" && [ "$(differing_pixels "$1" "$2")" -gt "$3" ]; }
wait_until changed hack0 hack1 0 || fail "-window-id drew nothing into its window"
wait_until changed hack1 hack2 50 || fail "-window-id does not animate ($(differing_pixels hack1 hack2) pixels changed)"
diff=$(differing_pixels hack1 hack2)
kill "$HOST"
wait_exit "$HACK" || fail "-window-id is still running after its window went"
[ "$RC" = "0" ] || fail "-window-id after its window went: $RC"
pass "-window-id animates ($diff pixels changed) and ends with 0 when the window goes"

# --- the background is a desktop window ---
launch background "$BIN" /b
BACK=$LAUNCHED
BACKWIN=$(wait_for_window "$BACK") || fail "/b opened no window"
type=$(xprop -id "$BACKWIN" _NET_WM_WINDOW_TYPE)
echo "$type" | grep -q "_NET_WM_WINDOW_TYPE_DESKTOP" || fail "/b window type: $type"
kill -TERM "$BACK"
wait_exit "$BACK" || fail "/b is still running after SIGTERM"
[ "$RC" = "0" ] || fail "/b after SIGTERM: $RC"
pass "/b opens a desktop window"

# --- without sphere.umf anywhere: both messages, status 255 ---
mkdir -p "$WORK/lonely/bin" "$WORK/lonely/empty" "$WORK/lonely/cwd"
cp "$BIN" "$WORK/lonely/bin/nimbula.scr"
rc=0
(cd "$WORK/lonely/cwd" && NIMBULA_DIR="$WORK/lonely/empty" "$WORK/lonely/bin/nimbula.scr" /s >"$WORK/missing.log" 2>&1) || rc=$?
grep -q "Nimbula is not correctly installed. Defaulting to local directory!. You should reinstall Nimbula!" "$WORK/missing.log" \
    || fail "no installation message"
[ "$rc" -eq 255 ] || fail "a missing sphere.umf ended with $rc, not 255"
pass "a missing sphere.umf shows its messages and ends with 255"
