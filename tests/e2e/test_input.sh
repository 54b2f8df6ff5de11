#!/usr/bin/env bash
# End to end: keys and mouse steer the real screen saver under Xvfb (turn, Home, drag, M, ESC).
# Usage: test_input.sh BUILD_DIR. Screenshots stay in $NIMBULA_E2E_KEEP when that is set.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_input "$@"
PID=

# Five frames a second: a held arrow turns the view a fixed step per frame, so the frames that
# pass while a screenshot is being judged stay few even when the judging is slow.
start() {
    launch run "$BIN" -s --orbs "$1" --fps 5
    PID=$LAUNCHED
    wait_for_window "$PID" >/dev/null || fail "the program ended at start-up or opened no window"
    wait_until has_orbs || fail "no orbs on the screen"
}

has_orbs() { shot first && [ "$(blobs first | wc -l)" -gt 0 ]; }

# A screenshot that shows all input sent so far (see shot_after_frames); the program must live on.
after_frames() { shot_after_frames "$1" "$PID" || fail "${2:-the program ended while the test waited for a frame}"; }

# Ends within the time-out, with status 0, or the test fails with what.
expect_exit() {
    wait_exit "$PID" || fail "$1: the window is still open"
    [ "$RC" = 0 ] || fail "$1: exit status $RC"
    PID=
}

# Bright blobs of a screenshot, one per line: centre x, centre y, area (largest first).
blobs() {
    convert "$WORK/$1.png" -colorspace gray -threshold 20% -define connected-components:verbose=true \
        -connected-components 8 null: 2>/dev/null |
        awk '/gray\(255\)|white|255,255,255/ { split($3, c, ","); if ($4 >= 6) print c[1], c[2], $4 }' |
        sort -k3,3nr
}

# Area-weighted centre of everything bright: "x y".
centroid() {
    blobs "$1" | awk '{ sx += $1 * $3; sy += $2 * $3; n += $3 } END { if (n > 0) printf "%.1f %.1f\n", sx / n, sy / n; else print "none" }'
}

# Succeeds when two centres "x y" lie within RADIUS pixels: near "x0 y0" "x1 y1" RADIUS.
near() { awk -v a="$1" -v b="$2" -v r="$3" 'BEGIN { split(a, p); split(b, q); exit !((p[1] - q[1]) ^ 2 + (p[2] - q[2]) ^ 2 < r * r) }'; }

# The pixel deepest inside what is bright on both screenshots: "x y". The centre of the largest
# orb that stood still between them, so the pointer stays on it; the centre of a blob of touching
# orbs can fall on the dark gap between them.
target() {
    convert "$WORK/$1.png" "$WORK/$2.png" -colorspace gray -threshold 20% -compose multiply -composite \
        -morphology Distance:-1 Euclidean:4,100 -depth 16 miff:- |
        identify -define identify:locate=maximum -define identify:limit=1 - |
        awk '/Gray:/ { split($NF, c, ","); print c[1], c[2] }'
}

# Slows the orbs until two screenshots, frames apart, show them in the same places; the two stay
# as still1 and still2. Gravity speeds them up again while a busy machine judges the pictures, so
# it may take a few rounds.
cool() {
    local c1 c2 end=$((SECONDS + E2E_TIMEOUT))
    while [ "$SECONDS" -lt "$end" ]; do
        for _ in $(seq 40); do xdotool key --delay 15 c; done
        after_frames still1
        after_frames still2
        c1=$(centroid still1)
        c2=$(centroid still2)
        near "$c1" "$c2" 0.5 && [ "$(blobs still1 | wc -l)" = "$(blobs still2 | wc -l)" ] && return 0
    done
    fail "the orbs did not come to rest ($c1 -> $c2)"
}

# Holds KEY until the orbs' centre satisfies the condition: hold KEY NAME AWK_CONDITION (on x and
# y; x0, y0 are the centre of NAME.before). Each turn lets go as soon as the picture changes (the
# first frame that turned, mostly) and looks once the release has been handled, so a slow look on
# a busy machine does not let the view turn on and on. The last screenshot stays as NAME.
hold() {
    local key=$1 name=$2 condition=$3 before now
    before=$(centroid "$name.before")
    now=$before
    for _ in $(seq 20); do
        import -window root "rgb:$WORK/held.rgb"
        xdotool keydown "$key"
        wait_until picture_changed || { xdotool keyup "$key"; fail "holding $key changed nothing on the screen"; }
        xdotool keyup "$key"
        after_frames "$name"
        now=$(centroid "$name")
        awk -v b="$before" -v c="$now" \
            "BEGIN { split(b, p); x0 = p[1]; y0 = p[2]; split(c, q); x = q[1]; y = q[2]; exit !(c != \"none\" && ($condition)) }" &&
            return 0
    done
    fail "holding $key: the orbs went from $before to $now, not $condition"
}
picture_changed() { import -window root "rgb:$WORK/now.rgb" && ! cmp -s "$WORK/held.rgb" "$WORK/now.rgb"; }

# --- Arrow keys turn the view; Home brings the first picture back -------------------------------
start 24
cool
cp "$WORK/still2.png" "$WORK/start.png"
read -r x0 y0 <<<"$(centroid start)"
[ "$x0" != none ] || fail "no orbs on the first screenshot"
echo "orbs' centre at start: $x0 $y0 ($(blobs start | wc -l) blobs)"

cp "$WORK/start.png" "$WORK/left.before.png"
hold Left left "x > x0 + 15"
read -r x1 y1 <<<"$(centroid left)"
echo "after Left: $x1 $y1"
[ "$x1" != none ] || fail "every orb left the screen after a short Left"
awk -v a="$x0" -v b="$x1" 'BEGIN { exit !(b > a + 15) }' || fail "after Left the orbs did not drift right ($x0 -> $x1)"

# Tilting up makes the universe sink on the screen (screen y grows downwards).
cp "$WORK/left.png" "$WORK/up.before.png"
hold Up up "y > y0 + 15"
read -r x2 y2 <<<"$(centroid up)"
echo "after Up: $x2 $y2"
awk -v a="$y1" -v b="$y2" 'BEGIN { exit !(b > a + 15) }' || fail "after Up the orbs did not sink ($y1 -> $y2)"

xdotool key Home
after_frames home
read -r x3 y3 <<<"$(centroid home)"
echo "after Home: $x3 $y3"
near "$x0 $y0" "$x3 $y3" 6 || fail "Home did not bring the first picture back ($x0 $y0 -> $x3 $y3)"
echo "pixels differing from the first picture after Home: $(differing_pixels start home 20)"

# --- A right click rides along with an orb; a second one lets go -------------------------------
cool
# Cooled orbs still drift a little while the camera turns and rides: each check measures from the
# picture just before it, and "back" allows a few pixels against the tens a turn or a ride moves.
read -r cx cy <<<"$(centroid still2)"
read -r bx by <<<"$(target still1 still2)"
[ -n "$bx" ] || fail "no orb to aim at"
# The click is read where the pointer is when the program handles it: the pointer stays put.
xdotool mousemove "$bx" "$by"
xdotool click 3
# Hooked in the frame that reads the click, the camera rides with the orb from the next one on.
ridden() { shot hooked && ! near "$cx $cy" "$(centroid hooked)" 20; }
wait_until ridden || fail "a right click on an orb did not move the camera ($cx $cy -> $(centroid hooked))"
echo "riding the orb at $bx $by: orbs' centre $(centroid hooked)"
xdotool click 3
after_frames unhooked
read -r ux uy <<<"$(centroid unhooked)"
near "$cx $cy" "$ux $uy" 6 || fail "the second right click did not bring the camera back ($cx $cy -> $ux $uy)"

# --- A left-button drag moves an orb -------------------------------------------------------------
cool
read -r bx by <<<"$(target still1 still2)"
[ -n "$bx" ] || fail "no orb to aim at"
echo "dragging the orb at $bx $by"
xdotool mousemove "$bx" "$by"
xdotool mousedown 1
# The frame that reads the press picks the orb under the pointer as it is then: the pointer stays
# put until that frame has been drawn.
after_frames picked
for i in $(seq 1 12); do xdotool mousemove "$((bx + i * 10))" "$by"; done
after_frames drag
xdotool mouseup 1
# The dragged orb's blob: the one nearest to where it was, now clearly to the right.
read -r dx dy <<<"$(blobs drag | awk -v x="$bx" -v y="$by" -v ex=40 '
    { d = ($1 - x - ex) ^ 2 + ($2 - y) ^ 2; if (best == "" || d < best) { best = d; bx2 = $1; by2 = $2 } }
    END { printf "%.1f %.1f\n", bx2 - x, by2 - y }')"
echo "dragged orb moved by $dx $dy pixels"
awk -v a="$dx" -v b="$dy" 'BEGIN { exit !(a > 10 && b * b < 100) }' || fail "the drag did not move the orb right ($dx $dy)"

# --- M turns mouse tracking off; then a mouse move ends the saver --------------------------------
xdotool key m
after_frames tracking-off "M alone closed the window"
# The first move sets where the mouse was; the saver ends once a later one has gone far enough.
# Each move is read where the pointer is when the program gets to it, so keep moving until then.
step=0
mouse_moved_away() {
    step=$((step + 1))
    xdotool mousemove "$((200 + (step % 2) * 100))" "$((150 + (step % 2) * 100))"
    ! kill -0 "$PID" 2>/dev/null
}
wait_until mouse_moved_away || fail "M then mouse moves: the window is still open"
expect_exit "M then a mouse move"

# --- ESC ends the saver; Alt+Space does not ------------------------------------------------------
start 8
xdotool key alt+space
after_frames alt-space "Alt+Space closed the window"
xdotool key Escape
expect_exit "ESC"

echo "test_input: ok"
