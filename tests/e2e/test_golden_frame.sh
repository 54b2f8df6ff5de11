#!/usr/bin/env bash
# End to end: the renderer's picture of a fixed universe against a stored one. 250 orbs with the
# default constants and collisions flashing, after 300 frames, at 1280x720 and 300x1000, drawn by
# nimbula-tool render (no display needed); tests/golden/orbs-250-flash-1280x720.png is the same
# universe drawn by the renderer that wrote each pixel's depth, -300x1000.png by the one that drew
# every orb as a rectangle. Pictures may differ by rounding: at most 2 of 255
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

# Draws the universe at SIZE and holds it against tests/golden/orbs-250-flash-SIZE.png.
check_frame() {
    local size=$1 golden off limit
    golden=$GOLDEN_DIR/orbs-250-flash-$1.png
    "$TOOL" render --orbs 250 --constants "$constants" --frames 300 --size "$size" --output "$WORK/frame-$size.png" \
        >"$WORK/render.log" 2>&1 || fail "nimbula-tool render failed at $size"
    [ "$(identify -format '%wx%h' "$WORK/frame-$size.png")" = "$size" ] || fail "the picture is not $size"
    # Pixels whose largest channel difference is 3 levels or more (1 % of the range is 2.55 levels).
    off=$(convert "$golden" "$WORK/frame-$size.png" -compose difference -composite -channel RGB -separate \
        -evaluate-sequence max -threshold 1% -format '%[fx:int(mean*w*h+0.5)]' info:)
    limit=$(( ${size%x*} * ${size#*x} / 1000 ))
    if [ "$off" -gt "$limit" ]; then
        # Kept with the frame where NIMBULA_E2E_KEEP names a folder.
        convert "$golden" "$WORK/frame-$size.png" -compose difference -composite -auto-level "$WORK/difference-$size.png"
        fail "$off pixels differ from the golden frame at $size by more than 2 levels (at most $limit may)"
    fi
    pass "the frame at $size matches the golden frame ($off pixels differ by more than 2 levels, at most $limit may)"
}

check_frame 1280x720
# Tall and narrow: orbs cross the left and right edges, where orbs are drawn as rectangles
# rather than points (a point whose centre leaves the frame is dropped).
check_frame 300x1000
