#!/usr/bin/env bash
# End to end in a Wayland session: sway with its headless backend and the pixman renderer, run as
# an unprivileged user (sway refuses root; as root the test drops to nobody with setpriv). The
# saver natively (SDL_VIDEODRIVER=wayland) and through XWayland draws orbs and Escape ends it; V
# opens the help window in the session, Escape closes it and the saver runs on; a second saver
# ends at once. Keys come from wtype. Skipped, with a line, where sway, grim or wtype is missing.
# Usage: test_wayland.sh BUILD_DIR.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_wayland "$@"

for tool in sway grim wtype swaymsg; do
    command -v "$tool" >/dev/null || { echo "test_wayland: no $tool; skipped"; exit 0; }
done

# The session's user: nobody when the test runs as root, else the user running it.
if [ "$(id -u)" = 0 ]; then
    command -v setpriv >/dev/null || { echo "test_wayland: root without setpriv; skipped"; exit 0; }
    SESSION_UID=65534
    as_user() { setpriv --reuid=$SESSION_UID --regid=$SESSION_UID --clear-groups env -i "${SESSION_ENV[@]}" "$@"; }
else
    SESSION_UID=$(id -u)
    as_user() { env -i "${SESSION_ENV[@]}" "$@"; }
fi

# Everything the session's user reads or writes lies in a folder of its own: the program and its
# data are copied there, since the build folder may be closed to that user.
WL=$WORK/wayland
mkdir -p "$WL/app" "$WL/run" "$WL/home"
cp "$BIN" "$BUILD/nimbula-web" "$WL/app/" 2>/dev/null || cp "$BIN" "$WL/app/"
# The help window's guard in the browser's web process, found beside nimbula-web.
[ -d "$BUILD/web-extensions" ] && cp -r "$BUILD/web-extensions" "$WL/app/"
cp -r "$BUILD/res" "$WL/app/res"
cat >"$WL/sway.cfg" <<EOF
output HEADLESS-1 resolution 1280x720
xwayland enable
exec sh -c 'echo "\$DISPLAY" > $WL/display'
EOF
chmod 755 "$WORK"
chown -R "$SESSION_UID" "$WL"
chmod 700 "$WL/run"
SESSION_ENV=(PATH=/usr/bin:/bin HOME="$WL/home" XDG_RUNTIME_DIR="$WL/run" XDG_CONFIG_HOME="$WL/home/config"
             XDG_DATA_HOME="$WL/home/data" NIMBULA_DIR="$WL/app/res" NIMBULA_MESSAGE_BOXES=stderr)

as_user WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$WL/sway.cfg" >"$WORK/sway.log" 2>&1 &
track $!
socket() { ls "$WL/run" 2>/dev/null | grep -E '^wayland-[0-9]+$' | head -1; }
has_socket() { [ -n "$(socket)" ]; }
wait_until has_socket || fail "sway made no Wayland socket"
wait_until test -s "$WL/display" || fail "sway started no XWayland display"
SESSION_ENV+=(WAYLAND_DISPLAY="$(socket)" SWAYSOCK="$(ls "$WL"/run/sway-ipc.*.sock | head -1)")
XWAYLAND_DISPLAY=$(cat "$WL/display")

tree() { as_user swaymsg -t get_tree 2>/dev/null || true; }
shows() { tree | grep -q "$1"; }
# The screen as the compositor shows it, to $WORK/NAME.png.
grab() { as_user grim "$WL/home/$1.png" && cp "$WL/home/$1.png" "$WORK/$1.png"; }
# wtype loses the first key after it uploads its keymap, which it does on every start.
key() { as_user wtype -s 400 -k "$1" -k "$1" >>"$WORK/wtype.log" 2>&1; }
# The universe's dark blue ground near the bottom of the screen (the desktop is grey), and orbs.
lit() {
    grab "$1" || return 1
    case "$(convert "$WORK/$1.png" -format "%[pixel:p{640,700}]" info:)" in
        "srgb(0,0,25)"|"srgb(0,0,26)") ;;
        *) return 1 ;;
    esac
    awk -v s="$(bright_share "$1")" 'BEGIN { exit !(s > 2.0) }'
}
# Escape until pid ends (a window just shown may get the keyboard a moment later; a saver waiting
# for its help window's program takes keys again once that has ended).
escape_ends() {
    local i
    for i in $(seq 10); do
        key Escape
        wait_exit "$1" 3 && return 0
    done
    return 1
}

# --- the saver natively, then through XWayland: orbs on the screen, Escape ends it ---------------
for route in native xwayland; do
    if [ "$route" = native ]; then
        as_user SDL_VIDEODRIVER=wayland "$WL/app/nimbula" /s >"$WORK/$route.log" 2>&1 &
        mark='"app_id": "nimbula"'
    else
        as_user DISPLAY="$XWAYLAND_DISPLAY" "$WL/app/nimbula" /s >"$WORK/$route.log" 2>&1 &
        mark='"shell": "xwayland"'
    fi
    SAVER=$!
    track "$SAVER"
    wait_until shows "$mark" || fail "$route: the saver showed no window in the session"
    wait_until lit "$route" || fail "$route: only $(bright_share "$route") % of the screen shows orbs"
    escape_ends "$SAVER" || fail "$route: Escape did not end the saver"
    [ "$RC" = 0 ] || fail "$route: the saver ended with $RC"
    pass "$route: /s draws orbs on $(bright_share "$route") % of the screen and Escape ends it"
done

# --- the help window in the session over the native saver; a second saver ends at once ----------
as_user SDL_VIDEODRIVER=wayland DISPLAY="$XWAYLAND_DISPLAY" "$WL/app/nimbula" /s >"$WORK/help.log" 2>&1 &
SAVER=$!
track "$SAVER"
wait_until shows '"app_id": "nimbula"' || fail "the saver showed no window for the help test"
second=0
as_user SDL_VIDEODRIVER=wayland timeout 20 "$WL/app/nimbula" /s >"$WORK/second.log" 2>&1 || second=$?
[ "$second" = 0 ] || fail "a second saver ended with $second"
grep -q "already shows" "$WORK/second.log" || fail "a second saver did not say why it ended"
help_shows() { shows '"class": "Nimbula-web"'; }
for _ in $(seq 5); do
    key v
    wait_until -t 15 help_shows && break
done
help_shows || fail "V opened no help window in the session"
grab help
key Escape
wait_until -t 30 eval '! shows "Nimbula-web"' || fail "Escape did not close the help window"
grep -q "ended unexpectedly" "$WORK/help.log" && fail "the help window's program crashed"
kill -0 "$SAVER" 2>/dev/null || fail "the saver ended with the help window"
escape_ends "$SAVER" || fail "Escape did not end the saver after the help window"
[ "$RC" = 0 ] || fail "the saver ended with $RC after the help window"
pass "V opens the help window in the Wayland session, Escape closes it; a second saver ends at once"
# --- the editing frame natively at scales 1, 1.5 and 2: laid out in the output's pixels ---------
# The toolbar is 44 units thick (a 38-unit button between margins of 3): 44 x scale pixels of the
# screen from its top-left corner, across the whole width. A (the about box) opens a dialog whose
# controls are drawn where the layout file says they are, its OK button scale times the height
# it has at scale 1. The frame at scale 2 is kept as frame-scale2.png.
# The rows of the bar's face from the top of column x of screenshot NAME (at a fractional scale
# the output's first row may blend the bar's edge).
bar_rows() {
    convert "$WORK/$1.png" -crop "1x400+$2+0" +repage txt:- |
        awk 'NR > 1 { face = $0 ~ /#F0F0F0/; if (face && !gap) n++; else if (n > 0 || NR > 3) gap = 1 } END { print n + 0 }'
}
# The colour at x,y of screenshot NAME.
pixel() { convert "$WORK/$1.png" -alpha off -format "%[pixel:p{$2,$3}]" info:; }
frame_at_scale() {
    local scale=$1 name=frame-scale${1/./_} layout=$WL/home/layout-${1/./_}
    as_user swaymsg output HEADLESS-1 scale "$scale" >/dev/null
    as_user SDL_VIDEODRIVER=wayland NIMBULA_LAYOUT_FILE="$layout" "$WL/app/nimbula" >"$WORK/$name.log" 2>&1 &
    local frame=$!
    track "$frame"
    wait_until eval 'ps -o pid= --ppid "$frame" >/dev/null' || true
    # The program itself too (setpriv and env give way to it in a child of that shell), so that a
    # failure leaves no frame behind.
    track "$(ps -o pid= --ppid "$frame" | head -1)"
    wait_until shows '"app_id": "nimbula"' || fail "scale $scale: the frame showed no window"
    local want rows right
    want=$(awk -v s="$scale" 'BEGIN { printf "%d", 44 * s - 1 }')
    bar_ok() {
        grab "$name" || return 1
        rows=$(bar_rows "$name" 1)
        right=$(bar_rows "$name" 1270)
        [ "$rows" -ge $((want - 2)) ] && [ "$rows" -le $((want + 2)) ] && [ "$right" -ge $((want - 2)) ]
    }
    wait_until bar_ok || fail "scale $scale: the toolbar is $rows rows thick at the left, $right at the right, not $want"
    # The about box: its OK button (control 1) where the layout file puts it, drawn there.
    has_dialog() { grep -q '^control 1 ' "$layout" 2>/dev/null; }
    for _ in $(seq 5); do
        key a
        wait_until -t 10 has_dialog && break
    done
    has_dialog || fail "scale $scale: A opened no dialog in the frame"
    local l t r b
    read -r l t r b < <(awk '$1 == "control" && $2 == 1 { print $4, $5, $6, $7 }' "$layout")
    OK_HEIGHT[$scale]=$((b - t))
    [ "$l" -ge 0 ] && [ "$t" -ge 0 ] && [ "$r" -le 1280 ] && [ "$b" -le 720 ] ||
        fail "scale $scale: OK at $l,$t-$r,$b lies outside the 1280 x 720 output"
    local x=$((l + (r - l) / 8)) y=$(((t + b) / 2))
    button_drawn() {
        grab "$name-about" || return 1
        case "$(pixel "$name-about" "$x" "$y")" in
            "srgb(225,225,225)"|"srgb(229,241,251)"|"srgb(204,228,247)") ;;
            *) return 1 ;;
        esac
    }
    wait_until button_drawn || fail "scale $scale: at $x,$y, inside OK as laid out, the screen shows $(pixel "$name-about" "$x" "$y")"
    pass "scale $scale: toolbar $rows rows thick at the top left; the about box's OK is drawn at $l,$t-$r,$b"
    # Closed as the compositor closes a window (a title bar's close box).
    key Escape
    as_user swaymsg '[app_id="nimbula"] kill' >/dev/null
    wait_exit "$frame" || fail "scale $scale: the frame did not close"
    [ "$RC" = 0 ] || fail "scale $scale: the frame ended with $RC"
}
declare -A OK_HEIGHT
as_user swaymsg 'for_window [app_id="nimbula"] border none' >/dev/null
for scale in 1 1.5 2; do frame_at_scale "$scale"; done
for scale in 1.5 2; do
    awk -v h="${OK_HEIGHT[$scale]}" -v one="${OK_HEIGHT[1]}" -v s="$scale" 'BEGIN { exit !(h >= 0.9 * s * one && h <= 1.1 * s * one) }' ||
        fail "the OK button is ${OK_HEIGHT[$scale]} pixels tall at scale $scale, ${OK_HEIGHT[1]} at scale 1"
done
pass "the about box's OK is ${OK_HEIGHT[1]}, ${OK_HEIGHT[1.5]} and ${OK_HEIGHT[2]} pixels tall at scales 1, 1.5 and 2"
as_user swaymsg output HEADLESS-1 scale 1 >/dev/null
echo "test_wayland: ok"
