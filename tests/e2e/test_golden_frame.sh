#!/usr/bin/env bash
# End to end: the renderer's picture of a fixed universe against a stored one. 250 orbs with the
# default constants and collisions flashing, after 300 frames, at 1280x720, drawn by nimbula-tool
# render (no display needed); tests/golden/orbs-250-flash-1280x720.png is the same universe drawn
# by the renderer that wrote each pixel's depth. Pictures may differ by rounding: at most 2 of 255
# levels in any channel, except on at most 0.1 % of the pixels (where orbs cut into each other an
# edge may move by a pixel). Usage: test_golden_frame.sh BUILD_DIR.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_golden_frame "$@"
TOOL=$BUILD/nimbula-tool
GOLDEN=$(cd "$(dirname "$0")/../golden" && pwd)/orbs-250-flash-1280x720.png
if ! "$TOOL" --help 2>&1 | grep -q '^  render'; then
    echo "test_golden_frame: $TOOL has no render command (built without EGL); nothing to test"
    exit 0
fi

# The default constants with the collision flash on (byte 339 of the constants block).
"$TOOL" defaults | "$TOOL" decode >"$WORK/constants"
printf '\001' | dd of="$WORK/constants" bs=1 seek=339 conv=notrunc status=none
constants=$("$TOOL" encode <"$WORK/constants")
"$TOOL" show <<<"$constants" | grep -qx 'm_flashCollisions 1' || fail "the constants do not flash"

"$TOOL" render --orbs 250 --constants "$constants" --frames 300 --size 1280x720 --output "$WORK/frame.png" \
    >"$WORK/render.log" 2>&1 || fail "nimbula-tool render failed"
size=$(identify -format '%wx%h' "$WORK/frame.png")
[ "$size" = 1280x720 ] || fail "the picture is $size, not 1280x720"

# Pixels whose largest channel difference is 3 levels or more (1 % of the range is 2.55 levels).
off=$(convert "$GOLDEN" "$WORK/frame.png" -compose difference -composite -channel RGB -separate \
    -evaluate-sequence max -threshold 1% -format '%[fx:int(mean*w*h+0.5)]' info:)
limit=$((1280 * 720 / 1000))
if [ "$off" -gt "$limit" ]; then
    # Kept with the frame where NIMBULA_E2E_KEEP names a folder.
    convert "$GOLDEN" "$WORK/frame.png" -compose difference -composite -auto-level "$WORK/difference.png"
    fail "$off pixels differ from the golden frame by more than 2 levels (at most $limit may)"
fi
pass "the frame matches the golden frame ($off pixels differ by more than 2 levels, at most $limit may)"
