#!/usr/bin/env bash
# End to end: the run modes of the real program under Xvfb, judged by screenshots and exit codes.
# Usage: test_screensaver.sh BUILD_DIR. Screenshots stay in $NIMBULA_E2E_KEEP when that is set.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_screensaver "$@"
PIDS=()
cleanup() {
    for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    if [ -n "${NIMBULA_E2E_KEEP:-}" ]; then mkdir -p "$NIMBULA_E2E_KEEP" && cp "$WORK"/*.png "$WORK"/*.log "$NIMBULA_E2E_KEEP"/ 2>/dev/null || true; fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; for f in "$WORK"/*.log; do [ -f "$f" ] && sed "s|^|  $(basename "$f"): |" "$f"; done; exit 1; }
pass() { echo "ok: $*"; }

# Waits for a visible window of pid; prints its id.
window_of() {
    local wid=
    for _ in $(seq 100); do
        wid=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -1 || true)
        [ -n "$wid" ] && { echo "$wid"; return; }
        kill -0 "$1" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Waits up to 5 s for pid to end; its exit status goes to RC ("running" when it did not end).
wait_end() {
    RC=running
    for _ in $(seq 50); do
        if ! kill -0 "$1" 2>/dev/null; then
            RC=0
            wait "$1" || RC=$?
            return
        fi
        sleep 0.1
    done
}

# Share of pixels clearly brighter than the dark blue ground, in percent.
bright_share() { convert "$1" -colorspace gray -threshold 20% -format "%[fx:int(mean*1000)/10]" info:; }
differing_pixels() { compare -metric AE "$1" "$2" null: 2>&1 || true; }

# --- the screen saver: orbs on a dark blue ground, moving, ended by SIGTERM ---
"$BIN" /s >"$WORK/saver.log" 2>&1 &
SAVER=$!
PIDS+=("$SAVER")
SAVERWIN=$(window_of "$SAVER") || fail "/s opened no window"
sleep 1
geometry=$(xwininfo -id "$SAVERWIN" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$geometry" = "640x480" ] || fail "the saver covers $geometry of the 640x480 screen"
import -window root "$WORK/saver1.png"
sleep 0.5
import -window root "$WORK/saver2.png"
ground=$(convert "$WORK/saver1.png" -format "%[pixel:p{2,2}]" info:)
case "$ground" in
    "srgb(0,0,25)"|"srgb(0,0,26)") ;;
    *) fail "the ground is $ground, not the dark blue (0, 0, 0.1)" ;;
esac
share=$(bright_share "$WORK/saver1.png")
awk -v s="$share" 'BEGIN { exit !(s > 2.0) }' || fail "only $share % of the screen shows orbs"
diff=$(differing_pixels "$WORK/saver1.png" "$WORK/saver2.png")
[ "$diff" -gt 100 ] || fail "the universe does not move ($diff pixels changed)"
pass "/s shows orbs on $share % of the screen and moves ($diff pixels changed)"

# --- a second copy only says so ---
rc=0
"$BIN" /s >"$WORK/second.log" 2>&1 || rc=$?
grep -qx "Please switch to the already running copy of Nimbula" "$WORK/second.log" || fail "the second copy did not refuse"
[ "$rc" -eq 0 ] || fail "the second copy ended with $rc"
pass "a second copy refuses with its message"

kill -TERM "$SAVER"
wait_end "$SAVER"
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
PIDS+=("$HOST")
HOSTWIN=
for _ in $(seq 50); do
    HOSTWIN=$(xdotool search --onlyvisible --name '^nimbula-host$' 2>/dev/null | head -1 || true)
    [ -n "$HOSTWIN" ] && break
    sleep 0.1
done
[ -n "$HOSTWIN" ] || fail "no host window for the preview"
"$BIN" /p "$HOSTWIN" >"$WORK/preview.log" 2>&1 &
PREVIEW=$!
PIDS+=("$PREVIEW")
sleep 1.5
import -window "$HOSTWIN" "$WORK/preview1.png"
sleep 1
import -window "$HOSTWIN" "$WORK/preview2.png"
kill -0 "$PREVIEW" 2>/dev/null || fail "the preview ended by itself"
share=$(bright_share "$WORK/preview1.png")
awk -v s="$share" 'BEGIN { exit !(s > 1.0) }' || fail "the preview shows orbs on only $share % of its window"
diff=$(differing_pixels "$WORK/preview1.png" "$WORK/preview2.png")
[ "$diff" -eq 0 ] || fail "the preview moved ($diff pixels changed)"
# Hidden and shown again, the host window asks for a paint: one new frame.
xdotool windowunmap "$HOSTWIN"
sleep 0.3
xdotool windowmap "$HOSTWIN"
sleep 1
import -window "$HOSTWIN" "$WORK/preview3.png"
share=$(bright_share "$WORK/preview3.png")
awk -v s="$share" 'BEGIN { exit !(s > 1.0) }' || fail "the preview was not drawn again when exposed ($share % orbs)"
kill -TERM "$PREVIEW"
wait_end "$PREVIEW"
[ "$RC" = "0" ] || fail "the preview after SIGTERM: $RC"
pass "/p $HOSTWIN draws one still frame ($share % orbs)"

# --- XScreenSaver's -window-id animates and ends cleanly when the host window goes ---
"$BIN" -window-id "$HOSTWIN" >"$WORK/hack.log" 2>&1 &
HACK=$!
PIDS+=("$HACK")
sleep 1.5
import -window "$HOSTWIN" "$WORK/hack1.png"
sleep 0.5
import -window "$HOSTWIN" "$WORK/hack2.png"
diff=$(differing_pixels "$WORK/hack1.png" "$WORK/hack2.png")
[ "$diff" -gt 50 ] || fail "-window-id does not animate ($diff pixels changed)"
kill "$HOST"
wait_end "$HACK"
[ "$RC" = "0" ] || fail "-window-id after its window went: $RC"
pass "-window-id animates ($diff pixels changed) and ends with 0 when the window goes"

# --- the background is a desktop window ---
"$BIN" /b >"$WORK/background.log" 2>&1 &
BACK=$!
PIDS+=("$BACK")
BACKWIN=$(window_of "$BACK") || fail "/b opened no window"
type=$(xprop -id "$BACKWIN" _NET_WM_WINDOW_TYPE)
echo "$type" | grep -q "_NET_WM_WINDOW_TYPE_DESKTOP" || fail "/b window type: $type"
kill -TERM "$BACK"
wait_end "$BACK"
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
