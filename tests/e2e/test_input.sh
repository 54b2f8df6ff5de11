#!/usr/bin/env bash
# End to end: keys and mouse steer the real screen saver under Xvfb (turn, Home, drag, M, ESC).
# Usage: test_input.sh BUILD_DIR. Screenshots stay in $NIMBULA_E2E_KEEP when that is set.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_input "$@"
PID=
cleanup() {
    if [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null; then kill "$PID" 2>/dev/null || true; fi
    if [ -n "${NIMBULA_E2E_KEEP:-}" ]; then mkdir -p "$NIMBULA_E2E_KEEP" && cp "$WORK"/*.png "$WORK"/*.log "$NIMBULA_E2E_KEEP"/ 2>/dev/null || true; fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; [ -f "$WORK/run.log" ] && sed 's/^/  program: /' "$WORK/run.log"; exit 1; }

start() {
    "$BIN" -s --orbs "$1" >"$WORK/run.log" 2>&1 &
    PID=$!
    local wid=
    for _ in $(seq 100); do
        wid=$(xdotool search --onlyvisible --pid "$PID" 2>/dev/null | head -1 || true)
        [ -n "$wid" ] && break
        kill -0 "$PID" 2>/dev/null || fail "the program ended at start-up"
        sleep 0.1
    done
    [ -n "$wid" ] || fail "no window appeared (windows of the program: $(xdotool search --pid "$PID" 2>&1 | tr '\n' ' '))"
    sleep 1
}

# Ends within a few seconds, or the test fails with what.
expect_exit() {
    for _ in $(seq 50); do
        if ! kill -0 "$PID" 2>/dev/null; then
            wait "$PID" || fail "$1: exit status $?"
            PID=
            return
        fi
        sleep 0.1
    done
    fail "$1: the window is still open"
}

shot() { import -window root "$WORK/$1.png"; }

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

# The orbs should sit nearly still, so that pictures differ only by what the input did.
cool() { for _ in $(seq 40); do xdotool key --delay 15 c; done; sleep 1; }

# --- Arrow keys turn the view; Home brings the first picture back -------------------------------
start 24
cool
shot start
read -r x0 y0 <<<"$(centroid start)"
[ "$x0" != none ] || fail "no orbs on the first screenshot"
echo "orbs' centre at start: $x0 $y0 ($(blobs start | wc -l) blobs)"

xdotool keydown Left; sleep 0.12; xdotool keyup Left; sleep 0.5
shot left
read -r x1 y1 <<<"$(centroid left)"
echo "after Left: $x1 $y1"
[ "$x1" != none ] || fail "every orb left the screen after a short Left"
awk -v a="$x0" -v b="$x1" 'BEGIN { exit !(b > a + 15) }' || fail "after Left the orbs did not drift right ($x0 -> $x1)"

xdotool keydown Up; sleep 0.12; xdotool keyup Up; sleep 0.5
shot up
read -r x2 y2 <<<"$(centroid up)"
echo "after Up: $x2 $y2"
# Tilting up makes the universe sink on the screen (screen y grows downwards).
awk -v a="$y1" -v b="$y2" 'BEGIN { exit !(b > a + 15) }' || fail "after Up the orbs did not sink ($y1 -> $y2)"

xdotool key Home; sleep 0.5
shot home
read -r x3 y3 <<<"$(centroid home)"
echo "after Home: $x3 $y3"
awk -v a="$x0" -v b="$x3" -v c="$y0" -v d="$y3" 'BEGIN { dx = a - b; dy = c - d; exit !(dx * dx + dy * dy < 16) }' ||
    fail "Home did not bring the first picture back ($x0 $y0 -> $x3 $y3)"
changed=$(compare -metric AE -fuzz 20% "$WORK/start.png" "$WORK/home.png" null: 2>&1 || true)
echo "pixels differing from the first picture after Home: $changed"

# --- A right click rides along with an orb; a second one lets go -------------------------------
read -r bx by barea <<<"$(blobs home | head -1)"
bx=${bx%.*}; by=${by%.*}
xdotool mousemove "$bx" "$by"; sleep 0.3
xdotool click 3; sleep 0.5
shot hooked
read -r hx hy <<<"$(centroid hooked)"
echo "riding the orb at $bx $by: orbs' centre $hx $hy"
awk -v a="$x0" -v b="$hx" -v c="$y0" -v d="$hy" 'BEGIN { dx = a - b; dy = c - d; exit !(dx * dx + dy * dy > 400) }' ||
    fail "a right click on an orb did not move the camera ($x0 $y0 -> $hx $hy)"
xdotool click 3; sleep 0.5
shot unhooked
read -r ux uy <<<"$(centroid unhooked)"
awk -v a="$x0" -v b="$ux" -v c="$y0" -v d="$uy" 'BEGIN { dx = a - b; dy = c - d; exit !(dx * dx + dy * dy < 16) }' ||
    fail "the second right click did not bring the camera back ($x0 $y0 -> $ux $uy)"

# --- A left-button drag moves an orb -------------------------------------------------------------
echo "dragging the orb at $bx $by (area $barea)"
xdotool mousemove "$bx" "$by"; sleep 0.3
xdotool mousedown 1; sleep 0.3
for i in $(seq 1 12); do xdotool mousemove "$((bx + i * 10))" "$by"; sleep 0.05; done
sleep 0.4
shot drag
xdotool mouseup 1; sleep 0.2
# The dragged orb's blob: the one nearest to where it was, now clearly to the right.
read -r dx dy <<<"$(blobs drag | awk -v x="$bx" -v y="$by" -v ex=40 '
    { d = ($1 - x - ex) ^ 2 + ($2 - y) ^ 2; if (best == "" || d < best) { best = d; bx2 = $1; by2 = $2 } }
    END { printf "%.1f %.1f\n", bx2 - x, by2 - y }')"
echo "dragged orb moved by $dx $dy pixels"
awk -v a="$dx" -v b="$dy" 'BEGIN { exit !(a > 10 && b * b < 100) }' || fail "the drag did not move the orb right ($dx $dy)"

# --- M turns mouse tracking off; then a mouse move ends the saver --------------------------------
xdotool key m; sleep 0.3
kill -0 "$PID" 2>/dev/null || fail "M alone closed the window"
xdotool mousemove 300 200; sleep 0.2
xdotool mousemove 340 240; sleep 0.2
xdotool mousemove 380 280
expect_exit "M then a mouse move"

# --- ESC ends the saver; Alt+Space does not ------------------------------------------------------
start 8
xdotool key alt+space; sleep 0.5
kill -0 "$PID" 2>/dev/null || fail "Alt+Space closed the window"
xdotool key Escape
expect_exit "ESC"

echo "test_input: ok"
