#!/usr/bin/env bash
# End to end: the editing frame. Three coloured groups (one textured from a BMP made here) are
# defined through the toolbar and the group, colour and file dialogs, New builds them, Save writes
# them; a new start opens the file and shows the same universe; nimbula-tool reads the file.
# Usage: test_frame.sh BUILD_DIR. Screenshots stay in $NIMBULA_E2E_KEEP when that is set.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_frame "$@"
# The universe pane alone, once the pointer has left the toolbar: a button's tip shows up after a
# delay that a busy machine stretches, and the buttons' enabled look differs between the runs.
universe_at_rest() {
    xdotool mousemove 600 440
    until_still "$1-screen" || return 1
    convert "$WORK/$1-screen.png" -crop 640x435+0+45 +repage "$WORK/$1.png"
}
# Pixels of a colour family: red, green or blue standing well above the other two.
family() {
    case $2 in
        red) fx="r > g + 0.3 && r > b + 0.3" ;;
        green) fx="g > r + 0.3 && g > b + 0.3" ;;
        blue) fx="b > r + 0.3 && b > g + 0.15" ;;
    esac
    convert "$WORK/$1.png" -fx "$fx" -format "%[fx:int(mean*w*h)]" info:
}
start() {
    launch "$1" "$BIN"
    PID=$LAUNCHED
    wait_for_window "$PID" >/dev/null || fail "the frame ended at start-up or opened no window"
    until_moving "$1-started" 12 || fail "$1-started: the universe does not move"
}
# The toolbar's buttons, left to right; the frame fills the 640 x 480 screen of Xvfb.
button() {
    local i
    case $1 in
        new) i=0 ;; open) i=1 ;; save) i=2 ;; group1) i=3 ;; group2) i=4 ;; group3) i=5 ;;
        time) i=8 ;; start) i=9 ;;
    esac
    xdotool mousemove $((32 + 38 * i)) 22 click 1
}
# In the colour dialog (the red entry has the focus): the three channels, then OK.
enter_colour() { xdotool key ctrl+a type "$1"; xdotool key Tab ctrl+a type "$2"; xdotool key Tab ctrl+a type "$3"; xdotool key Return; }
# Group dialog: the count (the entry has the focus), optionally a texture, the colour, OK.
define_group() {
    local name=$1 count=$2 texture=$3; shift 3
    button "$name"
    until_still "$name-dialog" || fail "$name-dialog: the screen did not come to rest"
    xdotool key ctrl+a type "$count"
    if [ -n "$texture" ]; then
        xdotool key Tab Return                       # Set Texture
        until_still "$name-files" || fail "$name-files: the screen did not come to rest"
        xdotool key ctrl+a type "$texture"
        xdotool key Return
        xdotool key shift+Tab                        # back on the count entry
    fi
    xdotool key Tab Tab Return                       # Set Color
    until_still "$name-colour" || fail "$name-colour: the screen did not come to rest"
    enter_colour "$@"
    until_still "$name-set" || fail "$name-set: the screen did not come to rest"
    xdotool key Tab Return                           # OK (Delete this Group is greyed for a new group and the first)
}

convert -size 100x60 xc:'#ff3030' -fill '#ffe040' -draw "circle 50,30 50,8" BMP3:"$WORK/stripes.bmp"

# --- three groups, New, time stopped and orbs at their start: picture A; Save ---
start first
define_group group1 30 "$WORK/stripes.bmp" 255 40 40
define_group group2 40 "" 40 230 40
define_group group3 50 "" 40 90 255
button new
button time
button start
universe_at_rest built || fail "built: the screen did not come to rest"
for c in red green blue; do
    n=$(family built $c)
    [ "$n" -gt 300 ] || fail "the new universe shows only $n $c pixels"
done
button save
until_still save-dialog || fail "save-dialog: the screen did not come to rest"
xdotool key ctrl+a type "$WORK/three.nmd"
xdotool key Return
for _ in $(seq 50); do [ -f "$WORK/three.nmd" ] && break; sleep 0.1; done
[ -f "$WORK/three.nmd" ] || fail "Save wrote no file"
xdotool key alt+F4
wait_exit "$PID" || fail "the frame did not end when closed"
[ "$RC" = 0 ] || fail "the frame ended with $RC when closed"
echo "ok: three groups built and saved"

# --- the file as nimbula-tool reads it ---
"$BUILD/nimbula-tool" info "$WORK/three.nmd" >"$WORK/info.log" || fail "nimbula-tool cannot read the saved file"
grep -q "^groups 3$" "$WORK/info.log" || fail "the file does not hold three groups"
[ "$(grep -c '^  orbs ' "$WORK/info.log")" = 3 ] || fail "not three group records"
grep -A3 "^group 1$" "$WORK/info.log" | grep -q "texture 128x64" || fail "group 1 lacks its 128x64 texture (100x60 made tileable)"
grep -A3 "^group 2$" "$WORK/info.log" | grep -q "texture none" || fail "group 2 carries a texture it never had"
grep -A3 "^group 3$" "$WORK/info.log" | grep -q "orbs 50" || fail "group 3 does not hold 50 orbs"
echo "ok: nimbula-tool info reads the saved universe"

# --- a new start, Open, time stopped and orbs at their start: picture B, the same universe ---
start second
button open
until_still open-dialog || fail "open-dialog: the screen did not come to rest"
xdotool key ctrl+a type "$WORK/three.nmd"
xdotool key Return
button time
button start
universe_at_rest opened || fail "opened: the screen did not come to rest"
d=$(differing_pixels built opened 12)
echo "pixels that differ between the saved and the reopened universe: $d"
[ "$d" -lt 3000 ] || fail "the reopened universe looks different ($d pixels differ)"
[ ! -s "$WORK/second.log" ] || fail "the second start said something"
kill -TERM "$PID"
wait_exit "$PID" && [ "$RC" = 0 ] || fail "the frame did not end cleanly"
echo "test_frame: ok"
