#!/usr/bin/env bash
# End to end in a Wayland session: sway with its headless backend, the pixman renderer and two
# outputs, run as an unprivileged user (sway refuses root; as root the test drops to nobody with
# setpriv). The saver natively (the default, DISPLAY set or not) covers both outputs full screen
# with the first focused, through XWayland (SDL_VIDEODRIVER=x11) it draws orbs; Escape ends
# either. V opens the help window in the session, Escape closes it and the saver runs on; a
# second saver ends at once. The background lies below a terminal window on both outputs and
# leaves it the focus. The editing frame natively (no DISPLAY) says nothing of X and opens a
# dialog at a click. Keys come from wtype, clicks from wl_click (the tests' own virtual pointer).
# Skipped, with a line, where sway, grim or wtype is missing; the background where foot is, the
# click where wl_click is.
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
    # In the background, its pid in STARTED: the program's own (setpriv and env replace
    # themselves), so that the test's end stops the program, not a shell around it.
    start_as_user() { setpriv --reuid=$SESSION_UID --regid=$SESSION_UID --clear-groups env -i "${SESSION_ENV[@]}" "$@" & STARTED=$!; }
else
    SESSION_UID=$(id -u)
    as_user() { env -i "${SESSION_ENV[@]}" "$@"; }
    start_as_user() { env -i "${SESSION_ENV[@]}" "$@" & STARTED=$!; }
fi

# Everything the session's user reads or writes lies in a folder of its own: the program and its
# data are copied there, since the build folder may be closed to that user.
WL=$WORK/wayland
mkdir -p "$WL/app" "$WL/run" "$WL/home"
cp "$BIN" "$BUILD/nimbula-web" "$WL/app/" 2>/dev/null || cp "$BIN" "$WL/app/"
[ -x "$BUILD/wl_click" ] && cp "$BUILD/wl_click" "$WL/app/"
# The help window's guard in the browser's web process, found beside nimbula-web.
[ -d "$BUILD/web-extensions" ] && cp -r "$BUILD/web-extensions" "$WL/app/"
cp -r "$BUILD/res" "$WL/app/res"
cat >"$WL/sway.cfg" <<EOF
output HEADLESS-1 resolution 1280x720 position 0 0
output HEADLESS-2 resolution 800x600 position 1280 0
for_window [app_id="foot"] floating enable, resize set 600 300, move position 300 200
xwayland enable
exec sh -c 'echo "\$DISPLAY" > $WL/display'
EOF
chmod 755 "$WORK"
chown -R "$SESSION_UID" "$WL"
chmod 700 "$WL/run"
SESSION_ENV=(PATH=/usr/bin:/bin HOME="$WL/home" XDG_RUNTIME_DIR="$WL/run" XDG_CONFIG_HOME="$WL/home/config"
             XDG_DATA_HOME="$WL/home/data" NIMBULA_DIR="$WL/app/res" NIMBULA_MESSAGE_BOXES=stderr)

start_as_user WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS=2 WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$WL/sway.cfg" >"$WORK/sway.log" 2>&1
track $STARTED
socket() { ls "$WL/run" 2>/dev/null | grep -E '^wayland-[0-9]+$' | head -1; }
has_socket() { [ -n "$(socket)" ]; }
wait_until has_socket || fail "sway made no Wayland socket"
wait_until test -s "$WL/display" || fail "sway started no XWayland display"
SESSION_ENV+=(WAYLAND_DISPLAY="$(socket)" SWAYSOCK="$(ls "$WL"/run/sway-ipc.*.sock | head -1)")
XWAYLAND_DISPLAY=$(cat "$WL/display")

tree() { as_user swaymsg -t get_tree 2>/dev/null || true; }
shows() { tree | grep -q "$1"; }
# The screen as the compositor shows it (one output: grab NAME OUTPUT), to $WORK/NAME.png.
grab() { as_user grim ${2:+-o "$2"} "$WL/home/$1.png" && cp "$WL/home/$1.png" "$WORK/$1.png"; }
# The windows in the session, one line each: app_id (or X11 class), output, fullscreen, focused,
# and the client area's x y width height.
windows() {
    as_user swaymsg -t get_tree 2>/dev/null | python3 -c '
import json, sys
def walk(n, out):
    if n.get("type") == "output": out = n["name"]
    if n.get("pid"):
        r, w = n["rect"], n.get("window_rect") or {"x": 0, "y": 0}
        name = n.get("app_id") or (n.get("window_properties") or {}).get("class")
        print(name, out, n.get("fullscreen_mode"), n.get("focused"), r["x"] + w["x"], r["y"] + w["y"], w.get("width", r["width"]), w.get("height", r["height"]))
    for c in n.get("nodes", []) + n.get("floating_nodes", []): walk(c, out)
walk(json.load(sys.stdin), None)' 2>/dev/null || true
}
# The colour at x,y of $WORK/NAME.png.
pixel() { convert "$WORK/$1.png" -format "%[pixel:p{$2,$3}]" info:; }
# wtype loses the first key after it uploads its keymap, which it does on every start.
key() { as_user wtype -s 400 -k "$1" -k "$1" >>"$WORK/wtype.log" 2>&1; }
# The universe's dark blue ground near the bottom left of an output (the desktop is grey), and
# orbs: lit NAME [OUTPUT].
ground() { case "$(pixel "$1" "$2" "$3")" in "srgb(0,0,25)"|"srgb(0,0,26)") ;; *) return 1 ;; esac; }
lit() {
    grab "$1" "${2:-HEADLESS-1}" || return 1
    ground "$1" 40 "$(($(identify -format %h "$WORK/$1.png") - 20))" || return 1
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
        # The session's default, XWayland's DISPLAY set as in every such session.
        start_as_user DISPLAY="$XWAYLAND_DISPLAY" "$WL/app/nimbula" /s >"$WORK/$route.log" 2>&1
        mark='"app_id": "nimbula"'
    else
        start_as_user SDL_VIDEODRIVER=x11 DISPLAY="$XWAYLAND_DISPLAY" "$WL/app/nimbula" /s >"$WORK/$route.log" 2>&1
        mark='"shell": "xwayland"'
    fi
    SAVER=$STARTED
    track "$SAVER"
    wait_until shows "$mark" || fail "$route: the saver showed no window in the session"
    wait_until lit "$route" || fail "$route: only $(bright_share "$route") % of the screen shows orbs"
    if [ "$route" = native ]; then
        # One full-screen window per output, the first focused; the other output shows orbs too.
        full() { [ "$(windows | awk '$1 == "nimbula" && $3 == 1 { print $2 }' | sort | tr '\n' ' ')" = "HEADLESS-1 HEADLESS-2 " ]; }
        wait_until full || fail "native: the saver is not full screen on both outputs: $(windows)"
        windows | grep -q '^nimbula HEADLESS-1 1 True ' || fail "native: the saver's first window has no focus: $(windows)"
        wait_until lit native-2 HEADLESS-2 || fail "native: the second output shows no orbs"
        pass "native: /s full screen on both outputs, the first focused, orbs on each"
    fi
    escape_ends "$SAVER" || fail "$route: Escape did not end the saver"
    [ "$RC" = 0 ] || fail "$route: the saver ended with $RC"
    pass "$route: /s draws orbs on $(bright_share "$route") % of the screen and Escape ends it"
done

# --- the help window in the session over the native saver; a second saver ends at once ----------
start_as_user SDL_VIDEODRIVER=wayland DISPLAY="$XWAYLAND_DISPLAY" "$WL/app/nimbula" /s >"$WORK/help.log" 2>&1
SAVER=$STARTED
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
help_shows || fail "V opened no help window in the session: $(windows)"
grab help
key Escape
wait_until -t 30 eval '! shows "Nimbula-web"' || fail "Escape did not close the help window"
grep -q "ended unexpectedly" "$WORK/help.log" && fail "the help window's program crashed"
kill -0 "$SAVER" 2>/dev/null || fail "the saver ended with the help window"
escape_ends "$SAVER" || fail "Escape did not end the saver after the help window"
[ "$RC" = 0 ] || fail "the saver ended with $RC after the help window"
pass "V opens the help window in the Wayland session, Escape closes it; a second saver ends at once"

# --- the background below a terminal window, on both outputs, the focus left on the terminal ----
if command -v foot >/dev/null; then
    start_as_user foot sh -c 'echo a terminal over the background; sleep 600' >"$WORK/foot.log" 2>&1
    track $STARTED
    wait_until eval 'windows | grep -q "^foot HEADLESS-1 0 True "' || fail "foot showed no focused window: $(windows)"
    read -r _ _ _ _ fx fy fw fh < <(windows | grep '^foot ')
    # DISPLAY set as in every session with XWayland: the layer shell is chosen all the same.
    start_as_user DISPLAY="$XWAYLAND_DISPLAY" "$WL/app/nimbula" /b >"$WORK/background.log" 2>&1
    BACK=$STARTED
    track "$BACK"
    wait_until lit background || fail "the background shows no orbs around the terminal"
    wait_until lit background-2 HEADLESS-2 || fail "the background shows no orbs on the second output"
    grab background
    ground background $((fx + fw / 2)) $((fy + fh / 2)) && fail "the background covers the terminal"
    windows | grep -q '^foot HEADLESS-1 0 True ' || fail "the terminal lost the focus to the background: $(windows)"
    windows | grep -qi nimbula && fail "the background is a window in the session: $(windows)"
    # A click on the background and a key: the terminal keeps the keys' way, the background runs on.
    if [ -x "$WL/app/wl_click" ]; then
        as_user "$WL/app/wl_click" 100 650 2080 720 >>"$WORK/click.log" 2>&1 || fail "wl_click failed"
        kill -0 "$BACK" 2>/dev/null || fail "the background ended at a click"
    fi
    kill -TERM "$BACK"
    wait_exit "$BACK" 20 || fail "the background did not end at SIGTERM"
    [ "$RC" = 0 ] || fail "the background ended with $RC"
    grep -q "layer shell" "$WORK/background.log" && fail "the background said the layer shell is missing"
    pass "/b lies below the terminal on both outputs ($(bright_share background) % orbs), the terminal keeps the focus"
    as_user swaymsg '[app_id="foot"] kill' >/dev/null 2>&1 || true
else
    echo "test_wayland: no foot; the background below a window is not tested"
fi

# --- the editing frame natively: a click on the toolbar opens a dialog ---------------------------
if [ -x "$WL/app/wl_click" ]; then
    LAYOUT=$WL/home/layout.txt
    start_as_user SDL_VIDEODRIVER=wayland NIMBULA_LAYOUT_FILE="$LAYOUT" "$WL/app/nimbula" >"$WORK/frame.log" 2>&1
    FRAME=$STARTED
    track "$FRAME"
    wait_until eval 'windows | grep -q "^nimbula HEADLESS-1 0 True "' || fail "the frame showed no focused window: $(windows)"
    read -r _ _ _ _ wx wy _ _ < <(windows | grep '^nimbula ')
    dialog_open() { grep -q '^dialog ' "$LAYOUT" 2>/dev/null; }
    # The first group's button, the fourth on the toolbar (38 pixels apart, the first at 32), low
    # in the button: sway 1.7 hands a tiled window with a title bar pointer positions 25 pixels
    # below the client origin its tree reports (it draws the window at that origin), so the click
    # goes where the button lies by either reckoning.
    for _ in $(seq 5); do
        as_user "$WL/app/wl_click" $((wx + 32 + 38 * 3)) $((wy + 35)) 2080 720 >>"$WORK/click.log" 2>&1
        wait_until -t 10 dialog_open && break
    done
    dialog_open || fail "a click on the toolbar opened no dialog in the native frame"
    grab frame-dialog
    opened=$(grep -m1 '^dialog ' "$LAYOUT")
    key Escape
    wait_until eval '! dialog_open' || fail "Escape did not close the dialog"
    grep -q "cannot open the display" "$WORK/frame.log" && fail "the native frame spoke of an X display"
    pass "the native frame opens a dialog at a click on its toolbar ($opened), Escape closes it"
    as_user swaymsg '[app_id="nimbula"] kill' >/dev/null 2>&1 || true
    wait_exit "$FRAME" 20 || fail "the frame did not end when the compositor closed it"
fi

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
    start_as_user SDL_VIDEODRIVER=wayland NIMBULA_LAYOUT_FILE="$layout" "$WL/app/nimbula" >"$WORK/$name.log" 2>&1
    local frame=$STARTED
    track "$frame"
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
