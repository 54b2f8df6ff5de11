#!/usr/bin/env bash
# End to end: the help, about and share dialogs over the running saver under Xvfb, with the
# system clipboard both ways. Usage: test_dialogs.sh BUILD_DIR.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_dialogs "$@"
PID=


start() {
    "$BIN" -s --orbs 60 >"$WORK/run.log" 2>&1 &
    PID=$!
    track "$PID"
    local wid=
    for _ in $(seq 100); do
        wid=$(xdotool search --onlyvisible --pid "$PID" 2>/dev/null | head -1 || true)
        [ -n "$wid" ] && break
        kill -0 "$PID" 2>/dev/null || fail "the program ended at start-up"
        sleep 0.1
    done
    [ -n "$wid" ] || fail "no window appeared"
    # The first frames are on screen once two screenshots differ (the universe moves).
    until_moving start || fail "the universe does not move"
}


# Waits until the screen holds at least N pixels of colour C (within 12 %): a dialog is up.
until_colour() {
    local name=$1 colour=$2 least=$3 n=0
    for _ in $(seq 50); do
        shot "$name"
        n=$(convert "$WORK/$name.png" -fuzz 12% -fill white -opaque "$colour" -fill black +opaque white \
            -format "%[fx:int(mean*w*h+0.5)]" info:)
        [ "$n" -ge "$least" ] && return 0
        sleep 0.1
    done
    fail "no dialog in $colour on the screen ($n pixels)"
}

clipboard() { xclip -o -selection clipboard 2>/dev/null || true; }

# --- H: golden help over a universe that stands still; Escape and the universe moves again ---
start
xdotool key h
until_colour help "rgb(246,203,28)" 2000
until_still help || fail "the universe kept moving behind the help box"
sleep 0.5; shot help-later
[ "$(differing_pixels help help-later)" = 0 ] || fail "the universe moved behind the help box"
xdotool key Escape
until_moving after-help || fail "the universe did not move again after the help box closed"
kill -0 "$PID" || fail "Escape in the help box ended the saver"

# --- A: the about box; Escape closes it ---
xdotool key a
until_colour about "rgb(240,240,240)" 20000
xdotool key Escape
until_moving after-about || fail "the universe did not move again after the about box closed"

# --- S: Get Data, then Ctrl+A, Ctrl+C in the text area put the string on the clipboard ---
printf 'nothing yet' | xclip -i -selection clipboard
xdotool key s
until_colour share "rgb(0,255,0)" 2000
xdotool key Return   # the focus starts on Get Data
xdotool key shift+Tab shift+Tab   # back through Make Default to the text area
xdotool key ctrl+a ctrl+c
got=""
for _ in $(seq 30); do got=$(clipboard); [ ${#got} = 708 ] && break; sleep 0.1; done
expected=$("$BUILD/nimbula-tool" show <<<"$got" >/dev/null 2>&1 && echo valid || echo invalid)
[ ${#got} = 708 ] && [ "$expected" = valid ] || fail "the clipboard holds '${got:0:40}...' (${#got} letters), not a universal string"
xdotool key Escape
until_moving after-share || fail "the universe did not move again after the share dialog closed"
kill -0 "$PID" || fail "Escape in the share dialog ended the saver"
xdotool key Escape
wait "$PID" || fail "the saver did not end cleanly"
PID=

# --- A friend's string on the clipboard is pasted into a fresh start and made the constants ---
friend=$(printf '%s' "$got" | "$BUILD/nimbula-tool" decode | python3 -c '
import struct, sys
b = bytearray(sys.stdin.buffer.read())
struct.pack_into("<d", b, 152, 100.0)   # gravity 100
b[337] = 0                              # a gravity field: everything falls
sys.stdout.buffer.write(b)' | "$BUILD/nimbula-tool" encode)
printf '%s' "$friend" | xclip -i -selection clipboard
start
xdotool key s
until_colour share2 "rgb(0,255,0)" 2000
xdotool key shift+Tab shift+Tab            # from Get Data through Make Default to the text area
xdotool key ctrl+a ctrl+v
xdotool key Tab Tab Tab space               # Make Default, Get Data, Set Data: pressed
shot share-set
xdotool key Tab Tab Tab Tab space           # All Done, the text area, Make Default, Get Data: pressed
xdotool key shift+Tab shift+Tab ctrl+a ctrl+c
got2=""
for _ in $(seq 30); do got2=$(clipboard); [ "$got2" = "$friend" ] && break; sleep 0.1; done
[ "$got2" = "$friend" ] || fail "Set Data did not make the pasted string the running constants"
grep -q "checksum\|right number" "$WORK/run.log" && fail "Set Data refused the pasted string"
xdotool key Escape
until_moving fall || fail "the universe did not move again after Set Data"
echo "test_dialogs: ok"
