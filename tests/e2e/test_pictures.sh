#!/usr/bin/env bash
# End to end: pictures without a screen. nimbula-tool render, run with no display, draws what the
# program draws on Xvfb: the preview's one still frame at 1280x720, and the editing frame that
# `nimbula FILE.nmd` opens (also with a file that cannot be loaded: the standard universe then).
# Usage: test_pictures.sh BUILD_DIR. Screenshots stay in $NIMBULA_E2E_KEEP when that is set.
set -euo pipefail

E2E_WIDTH=1280 E2E_HEIGHT=720
source "$(dirname "$0")/common.sh" test_pictures "$@"
TOOL=$BUILD/nimbula-tool
SAMPLE=$NIMBULA_DIR/universes/Spectrum.nmd
# The frame fills the screen; its universe pane lies below the 45-pixel toolbar.
PANE=1280x675

# nimbula-tool render ARGS... --output $WORK/NAME.png, with no display at all: render NAME ARGS...
render() {
    local name=$1
    shift
    env -u DISPLAY -u XAUTHORITY "$TOOL" render "$@" --output "$WORK/$name.png" 2>"$WORK/render.log" ||
        fail "nimbula-tool render $* (no display)"
}
# Per mille of pixels that differ by more than 2 % of the range in any channel: per_mille A B.
per_mille() { echo $(($(differing_pixels "$1" "$2" 2) * 1000 / ($(identify -format '%w*%h' "$WORK/$1.png")))); }
# The orbs' outline: every pixel brighter than the ground, so textures turned by rolling agree.
outline() { convert "$WORK/$1.png" -colorspace gray -threshold 6% "$WORK/$1-outline.png"; }
button() { xdotool mousemove $((32 + 38 * $1)) 22 click 1; }
# Stops time, puts every orb back on its start place (frame 0 of the file), and takes the pane.
pane_at_start() {
    button 8
    button 9
    xdotool mousemove 1200 700
    until_still "$1-screen" || fail "$1: the screen did not come to rest"
    convert "$WORK/$1-screen.png" -crop $PANE+0+45 +repage "$WORK/$1.png"
    outline "$1"
}
open_frame() {
    launch "$1" "$BIN" "$2"
    PID=$LAUNCHED
    wait_for_window "$PID" >/dev/null || fail "nimbula $2 ended at start-up or opened no window"
    until_moving "$1-moving" 12 || fail "$1: the universe does not move"
}
close_frame() {
    kill -TERM "$PID"
    wait_exit "$PID" && [ "$RC" = 0 ] || fail "the frame did not end cleanly"
}

render spectrum-0 --universe "$SAMPLE" --size $PANE
render standard-0 --size $PANE
outline spectrum-0
outline standard-0

# --- nimbula FILE.nmd: the frame opens with that universe, as Open would, and it becomes the default ---
open_frame opened "$SAMPLE"
pane_at_start opened
close_frame
same=$(per_mille opened-outline spectrum-0-outline)
other=$(per_mille opened-outline standard-0-outline)
echo "outline differs from the render of the file in $same per mille of the pane, from the standard universe in $other"
[ "$same" -le 10 ] && [ "$other" -ge 50 ] || fail "nimbula FILE.nmd does not show that universe"
[ ! -s "$WORK/opened.log" ] || fail "nimbula FILE.nmd said something: $(cat "$WORK/opened.log")"
grep -qF "\"UnivFile\": \"$SAMPLE\"" "$XDG_CONFIG_HOME/nimbula/settings" || fail "the opened file did not become the default universe"
pass "nimbula FILE.nmd shows the file's universe and makes it the default"

# --- a file that cannot be loaded: the loader's messages, and the standard universe ---
head -c 3000 "$SAMPLE" >"$WORK/cut.nmd"
open_frame cut "$WORK/cut.nmd"
close_frame
grep -q "Could not successfully load file" "$WORK/cut.log" || fail "no message for a damaged file: $(cat "$WORK/cut.log")"
# The standard universe's orbs are white; most of the sample's are red, green, blue, yellow or violet.
convert "$WORK/cut-moving-next.png" -crop $PANE+0+45 +repage "$WORK/cut.png"
orbs=$(convert "$WORK/cut.png" -colorspace gray -threshold 20% -format '%[fx:int(mean*w*h)]' info:)
coloured=$(convert "$WORK/cut.png" -fx 'saturation > 0.4 && lightness > 0.25' -format '%[fx:int(mean*w*h)]' info:)
echo "after the damaged file: $orbs bright pixels, $coloured of them coloured"
[ "$orbs" -ge 20000 ] && [ "$((coloured * 10))" -lt "$((orbs * 4))" ] || fail "a damaged file does not leave the standard universe"
grep -qF "\"UnivFile\": \"$SAMPLE\"" "$XDG_CONFIG_HOME/nimbula/settings" || fail "a failed load changed the default universe"
pass "a damaged file gives the loader's message and the standard universe; the default stays"

# --- the preview draws frame 1 of the default universe once; render --frames 1 draws the same ---
root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
launch preview "$BIN" /p "$root"
preview_drawn() { shot preview && awk -v s="$(bright_share preview)" 'BEGIN { exit !(s > 2.0) }'; }
wait_until preview_drawn || fail "the preview drew nothing"
until_still preview || fail "the preview does not stand still"
for f in 0 1 2; do render frame-$f --universe "$SAMPLE" --frames $f --size 1280x720; done
d0=$(per_mille preview frame-0) d1=$(per_mille preview frame-1) d2=$(per_mille preview frame-2)
echo "the preview differs from render --frames 0, 1, 2 in $d0, $d1, $d2 per mille of its pixels"
[ "$d1" -le 5 ] && [ "$d0" -ge 20 ] && [ "$d2" -ge 20 ] || fail "the preview's frame and render --frames 1 differ"
pass "a 1280x720 render of frame 1 matches the screen within $d1 per mille of pixels (tolerance 5, 2 % per channel)"
echo "test_pictures: ok"
