#!/usr/bin/env bash
# End to end: on a 2560x720 screen split into two monitors (xrandr --setmonitor), the screen saver
# and the background cover both, each monitor showing the whole universe centred at its own aspect
# (round orbs); keys reach the saver whichever monitor's window has the focus; also under openbox.
# Usage: test_monitors.sh BUILD_DIR. Screenshots stay in $NIMBULA_E2E_KEEP when that is set.
set -euo pipefail

E2E_WIDTH=2560 E2E_HEIGHT=720
source "$(dirname "$0")/common.sh" test_monitors "$@"

# --- the wide screen split into two monitors ---
xrandr --setmonitor left 1280/338x720/190+0+0 screen >/dev/null
xrandr --setmonitor right 1280/338x720/190+1280+0 none >/dev/null
[ "$(xrandr --listmonitors | head -1)" = "Monitors: 2" ] || fail "xrandr did not split the screen: $(xrandr --listmonitors)"

# The geometry of every visible window of pid, sorted: "WxH+X+Y" lines.
geometries() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
        xwininfo -id "$w" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
            /Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h "+" x "+" y }'
    done | sort
}
covers_both() { [ "$(geometries "$1" | tr '\n' ' ')" = "1280x720+0+0 1280x720+1280+0 " ]; }
# One monitor's part of a screenshot: half NAME X SIDE makes NAME-SIDE.png.
half() { convert "$WORK/$1.png" -crop "1280x720+$2+0" +repage "$WORK/$1-$3.png"; }
both_show_orbs() {
    import -window root "$WORK/$1.png" && half "$1" 0 left && half "$1" 1280 right &&
        awk -v a="$(bright_share "$1-left")" -v b="$(bright_share "$1-right")" 'BEGIN { exit !(a > 2 && b > 2) }'
}
# The centre of the orbs on a monitor's picture, as fractions of its width and height.
orb_centre() {
    convert "$1" -colorspace gray -threshold 20% -define connected-components:verbose=true \
        -connected-components 8 null: | awk '$NF == "gray(255)" || $NF == "srgb(255,255,255)" {
            split($3, c, ","); n = $4; sx += c[1] * n; sy += c[2] * n; sum += n }
            END { if (sum) printf "%.2f %.2f\n", sx / sum / 1280, sy / sum / 720 }'
}
# Width over height of the orbs standing alone (a bounding box of 10 to 80 pixels), median.
orb_roundness() {
    convert "$1" -colorspace gray -threshold 20% -define connected-components:verbose=true \
        -connected-components 8 null: | awk '$NF == "gray(255)" || $NF == "srgb(255,255,255)" {
            split($2, g, /[x+]/); w = g[1]; h = g[2]; n = $4
            if (w >= 10 && w <= 80 && h >= 10 && h <= 80 && n > 0.6 * w * h) print w / h }' | sort -n |
        awk '{ r[NR] = $1 } END { if (NR) printf "%.2f %d\n", r[int((NR + 1) / 2)], NR }'
}
check_monitor() {
    local picture=$1 name=$2 centre round
    centre=$(orb_centre "$picture")
    awk -v c="$centre" 'BEGIN { split(c, v, " "); exit !(v[1] > 0.35 && v[1] < 0.65 && v[2] > 0.3 && v[2] < 0.7) }' ||
        fail "the orbs on the $name monitor are not centred on it (centre at $centre of its size)"
    round=$(orb_roundness "$picture")
    awk -v r="$round" 'BEGIN { split(r, v, " "); exit !(v[2] >= 5 && v[1] > 0.85 && v[1] < 1.18) }' ||
        fail "the orbs on the $name monitor are not round (median width/height, count: $round)"
    echo "$name: centre $centre, roundness $round"
}

run_saver() {
    local name=$1
    "$BIN" /s >"$WORK/$name.log" 2>&1 &
    SAVER=$!
    track "$SAVER"
    wait_until covers_both "$SAVER" || fail "$name: the windows are $(geometries "$SAVER" | tr '\n' ' ')"
    wait_until both_show_orbs "$name" || fail "$name: orbs on only one monitor"
    local left right diff tries=0
    # The same universe from the same camera: the two pictures nearly agree. Each monitor's
    # window is presented on its own, so a screenshot may fall between the two and show moving
    # orbs a frame apart; a later one agrees. Two different universes never would.
    while :; do
        diff=$(compare -metric AE -fuzz 10% "$WORK/$name-left.png" "$WORK/$name-right.png" null: 2>&1 || true)
        [ "$diff" -ge 30000 ] || break
        tries=$((tries + 1))
        [ "$tries" -lt 20 ] || fail "$name: the monitors show different pictures ($diff pixels differ)"
        sleep 0.2
        both_show_orbs "$name" || fail "$name: orbs on only one monitor"
    done
    left=$(check_monitor "$WORK/$name-left.png" left) || exit 1
    right=$(check_monitor "$WORK/$name-right.png" right) || exit 1
    pass "$name: a window on each monitor, each showing the universe ($left; $right; $diff pixels differ, $tries retries)"
}
end_with_escape() {
    local name=$1
    xdotool key Escape
    wait_exit "$SAVER" || fail "$name: Escape did not end the saver"
    [ "$RC" -eq 0 ] || fail "$name: the saver ended with $RC"
    pass "$name: Escape ends the saver with status 0"
}

# --- the screen saver, no window manager, the mouse on the left monitor ---
xdotool mousemove 300 300
run_saver saver
end_with_escape saver

# --- the background ---
"$BIN" /b >"$WORK/background.log" 2>&1 &
BACK=$!
track "$BACK"
wait_until covers_both "$BACK" || fail "background: the windows are $(geometries "$BACK" | tr '\n' ' ')"
for w in $(xdotool search --onlyvisible --pid "$BACK"); do
    xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DESKTOP || fail "background: window $w is no desktop window"
done
wait_until both_show_orbs background || fail "background: orbs on only one monitor"
kill -TERM "$BACK"
wait_exit "$BACK" || fail "background: SIGTERM did not end it"
[ "$RC" -eq 0 ] || fail "background: ended with $RC after SIGTERM"
pass "background: a desktop window on each monitor, orbs on both, SIGTERM ends it with 0"

# --- under a window manager, the mouse on the right monitor ---
openbox >"$WORK/openbox.log" 2>&1 &
track "$!"
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
wait_until wm_running || fail "openbox did not start"
xdotool mousemove 2000 300
run_saver openbox
focused=$(xdotool getwindowfocus 2>/dev/null || true)
xdotool search --onlyvisible --pid "$SAVER" | grep -qx "$focused" || fail "openbox: the saver does not have the focus"
end_with_escape openbox
