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
echo "test_wayland: ok"
