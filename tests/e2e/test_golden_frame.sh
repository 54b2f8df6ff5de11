#!/usr/bin/env bash
# End to end: the renderer's picture of a fixed universe against a stored one. 250 orbs with the
# default constants and collisions flashing, after 300 frames, at 1280x720 and 300x1000, drawn by
# nimbula-tool render (no display needed); tests/golden/orbs-250-flash-1280x720.png is the same
# universe drawn by the renderer that wrote each pixel's depth, -300x1000.png by the one that drew
# every orb as a rectangle; orbs-10000- and orbs-100000-flash-1280x720.png (after 100 and 20 frames)
# by the renderer that drew every orb, hidden or not. Pictures may differ by rounding: at most 2 of 255
# levels in any channel, except on at most 0.1 % of the pixels (where orbs cut into each other an
# edge may move by a pixel). Usage: test_golden_frame.sh BUILD_DIR.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_golden_frame "$@"
TOOL=$BUILD/nimbula-tool
GOLDEN_DIR=$(cd "$(dirname "$0")/../golden" && pwd)
if ! "$TOOL" --help 2>&1 | grep -q '^  render'; then
    echo "test_golden_frame: $TOOL has no render command (built without EGL); nothing to test"
    exit 0
fi

# The default constants with the collision flash on (byte 339 of the constants block).
"$TOOL" defaults | "$TOOL" decode >"$WORK/constants"
printf '\001' | dd of="$WORK/constants" bs=1 seek=339 conv=notrunc status=none
constants=$("$TOOL" encode <"$WORK/constants")
"$TOOL" show <<<"$constants" | grep -qx 'm_flashCollisions 1' || fail "the constants do not flash"

# Draws ORBS orbs after FRAMES frames at SIZE and holds the picture against
# tests/golden/orbs-ORBS-flash-SIZE.png.
check_frame() {
    local orbs=$1 frames=$2 size=$3 golden off limit name
    name=orbs-$orbs-flash-$size
    golden=$GOLDEN_DIR/$name.png
    "$TOOL" render --orbs "$orbs" --constants "$constants" --frames "$frames" --size "$size" --output "$WORK/$name.png" \
        >"$WORK/render.log" 2>&1 || fail "nimbula-tool render failed for $name"
    [ "$(identify -format '%wx%h' "$WORK/$name.png")" = "$size" ] || fail "the picture is not $size"
    # Pixels whose largest channel difference is 3 levels or more (1 % of the range is 2.55 levels).
    off=$(convert "$golden" "$WORK/$name.png" -compose difference -composite -channel RGB -separate \
        -evaluate-sequence max -threshold 1% -format '%[fx:int(mean*w*h+0.5)]' info:)
    limit=$(( ${size%x*} * ${size#*x} / 1000 ))
    if [ "$off" -gt "$limit" ]; then
        # Kept with the frame where NIMBULA_E2E_KEEP names a folder.
        convert "$golden" "$WORK/$name.png" -compose difference -composite -auto-level "$WORK/difference-$name.png"
        fail "$off pixels of $name differ from the golden frame by more than 2 levels (at most $limit may)"
    fi
    pass "$name matches the golden frame ($off pixels differ by more than 2 levels, at most $limit may)"
}

check_frame 250 300 1280x720
# Tall and narrow: orbs cross the left and right edges, where orbs are drawn as rectangles
# rather than points (a point whose centre leaves the frame is dropped).
check_frame 250 300 300x1000
# Crowds: the box packed with orbs, most of them hidden and cut into by several others.
check_frame 10000 100 1280x720
check_frame 100000 20 1280x720
