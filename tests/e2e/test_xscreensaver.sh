#!/usr/bin/env bash
# End to end: Debian's XScreenSaver daemon, configured in a private home, runs Nimbula as a
# registered GL hack when told to blank, Nimbula draws in the daemon's window, and it ends with
# status 0 when the daemon stops it. xscreensaver-settings reads res/nimbula.xml without a warning.
# XScreenSaver runs no hack as root: as root the daemon runs as the user nobody.
# Usage: test_xscreensaver.sh BUILD_DIR. Screenshots stay in $NIMBULA_E2E_KEEP when that is set.
set -euo pipefail

SRC=$(cd "$(dirname "$0")/../.." && pwd)
source "$(dirname "$0")/common.sh" test_xscreensaver "$@"
for p in xscreensaver xscreensaver-command xscreensaver-settings; do
    command -v "$p" >/dev/null || { echo "FAIL: no $p (scripts/setup installs xscreensaver)"; exit 1; }
done

shows_orbs() { import -window root "$WORK/$1.png" && awk -v s="$(bright_share "$1")" 'BEGIN { exit !(s > 2.0) }'; }
moved() { import -window root "$WORK/blank2.png" && [ "$(compare -metric AE "$WORK/blank1.png" "$WORK/blank2.png" null: 2>&1 || true)" -gt 100 ]; }

# A private home the daemon's user owns, with its own copy of the X server's cookie. As root that
# user is nobody, who must reach the home and the program: a test folder under a TMPDIR closed to
# others (soak.sh's) or a build under a closed home (/root's) is out of its reach. Then the home,
# and the program installed with its data as a package lays them out, go to a folder in /tmp.
HOME_DIR=$WORK/home
chmod 755 "$WORK"
OPEN=
open_folder() {
    [ -z "$OPEN" ] || return 0
    OPEN=$(mktemp -d /tmp/nimbula-xscreensaver.XXXXXX)
    chmod 755 "$OPEN"
    trap 'rm -rf "$OPEN"; e2e_cleanup' EXIT
}
if [ "$(id -u)" -eq 0 ]; then
    as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
    if ! as_nobody test -x "$WORK"; then
        open_folder
        HOME_DIR=$OPEN/home
    fi
    if ! as_nobody test -x "$BIN"; then
        open_folder
        cmake --install "$BUILD" --prefix "$OPEN/prefix" >"$WORK/install.log" 2>&1 || fail "cmake --install"
        rm "$WORK/install.log"
        BIN=$OPEN/prefix/bin/nimbula
    fi
fi
mkdir -p "$HOME_DIR"
[ -z "${XAUTHORITY:-}" ] || cp "$XAUTHORITY" "$HOME_DIR/.Xauthority"
export XAUTHORITY=$HOME_DIR/.Xauthority
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody:nogroup "$HOME_DIR"
    as_user() { as_nobody env HOME="$HOME_DIR" "$@"; }
    as_user test -x "$BIN" || fail "the user nobody cannot run $BIN"
else
    as_user() { env HOME="$HOME_DIR" "$@"; }
fi
# The hack finds its data beside itself, as an installed one does.
unset NIMBULA_DIR XDG_RUNTIME_DIR
cat >"$HOME_DIR/.xscreensaver" <<CONFIG
mode:		one
selected:	0
lock:		False
splash:		False
fade:		False
unfade:		False
dpmsEnabled:	False
timeout:	1:00:00
programs:	GL: "Nimbula"  $BIN -root  \n
CONFIG
[ "$(id -u)" -ne 0 ] || chown nobody:nogroup "$HOME_DIR/.xscreensaver"
ssc() { as_user xscreensaver-command "$@" >>"$WORK/command.log" 2>&1; }

as_user xscreensaver -no-splash -verbose >"$WORK/daemon.log" 2>&1 &
DAEMON=$!
track "$DAEMON"
wait_until quiet as_user xscreensaver-command -version || fail "the daemon did not answer"

# --- blanking runs the registered hack in the daemon's window ---
ssc -activate || fail "xscreensaver-command -activate"
hack_line() { grep -E "forked \"$BIN --?root\" in pid [0-9]+ on window" "$WORK/daemon.log" | sed -n "${1}p"; }
wait_until quiet hack_line 1 || fail "the daemon started no Nimbula"
HACK=$(hack_line 1 | sed -E 's/.* in pid ([0-9]+) on window.*/\1/')
WINDOW=$(hack_line 1 | sed -E 's/.* on window (0x[0-9a-fA-F]+).*/\1/')
if [ -r "/proc/$HACK/environ" ]; then
    tr '\0' '\n' <"/proc/$HACK/environ" | grep -qix "XSCREENSAVER_WINDOW=$WINDOW" || fail "Nimbula was not given the window $WINDOW"
fi
size=$(xwininfo -id "$WINDOW" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$size" = "640x480" ] || fail "the daemon's window is $size, not the screen"
wait_until shows_orbs blank1 || fail "no orbs on the blanked screen"
wait_until moved || fail "the universe does not move on the blanked screen"
pass "-activate runs Nimbula (pid $HACK) in the daemon's $size window $WINDOW: orbs on $(bright_share blank1) % of the screen, moving"

# --- cycling stops the hack and starts it again: it ends with status 0 ---
ssc -cycle || fail "xscreensaver-command -cycle"
ended() { grep -E "child pid $HACK \(.*nimbula\) (exited|terminated|crashed|stopped)" "$WORK/daemon.log"; }
wait_until quiet ended || fail "the daemon did not see Nimbula $HACK end"
ended | grep -q "with status 0$" || fail "Nimbula ended uncleanly: $(ended)"
wait_until quiet hack_line 2 || fail "the daemon did not start Nimbula again"
HACK2=$(hack_line 2 | sed -E 's/.* in pid ([0-9]+) on window.*/\1/')
wait_until shows_orbs cycled || fail "no orbs after cycling"
pass "-cycle: Nimbula $HACK ended with status 0, $HACK2 draws in its place"

# --- unblanking stops it ---
ssc -deactivate || fail "xscreensaver-command -deactivate"
wait_until gone "$HACK2" || fail "Nimbula $HACK2 still runs after -deactivate"
import -window root "$WORK/unblanked.png"
awk -v s="$(bright_share unblanked)" 'BEGIN { exit !(s < 0.5) }' || fail "orbs remain on the screen after -deactivate"
! grep -E "child pid $HACK2 .*(crashed|terminated|status [1-9])" "$WORK/daemon.log" || fail "Nimbula $HACK2 ended uncleanly"
! grep -q "^nimbula:" "$WORK/daemon.log" || fail "Nimbula complained"
pass "-deactivate: Nimbula $HACK2 ended and the screen is clear"

# --- the settings program reads nimbula.xml ---
# xscreensaver-settings reads hack settings only from /usr/share/xscreensaver/config. As root the
# test shows it a folder holding our file in a mount namespace of its own, leaving the system alone.
settings_cmd=()
if [ "$(id -u)" -eq 0 ] && unshare --mount --propagation private true 2>/dev/null; then
    mkdir -p "$WORK/config"
    cp "$SRC/res/nimbula.xml" "$WORK/config/"
    settings_cmd=(unshare --mount --propagation private sh -c
        "mount --bind '$WORK/config' /usr/share/xscreensaver/config && exec setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME='$HOME_DIR' xscreensaver-settings --debug")
elif cmp -s "$SRC/res/nimbula.xml" /usr/share/xscreensaver/config/nimbula.xml; then
    settings_cmd=(as_user xscreensaver-settings --debug)
fi
if [ ${#settings_cmd[@]} -eq 0 ]; then
    echo "test_xscreensaver: settings skipped: xscreensaver-settings reads only /usr/share/xscreensaver/config; install nimbula.xml there or run as root"
else
    "${settings_cmd[@]}" >"$WORK/settings.log" 2>&1 &
    SETTINGS=$!
    track "$SETTINGS"
    read_xml() { grep -q "reading /usr/share/xscreensaver/config/nimbula.xml" "$WORK/settings.log"; }
    previewing() { grep -Eq "forked [0-9]+ \(nimbula\)" "$WORK/settings.log"; }
    wait_until read_xml || fail "xscreensaver-settings did not read nimbula.xml"
    wait_until previewing || fail "xscreensaver-settings did not preview Nimbula"
    preview_window() { xdotool search --onlyvisible --name '^XScreenSaver Settings Preview$' 2>/dev/null | head -1; }
    preview_shows_orbs() {
        local w
        w=$(preview_window)
        [ -n "$w" ] && import -window "$w" "$WORK/preview.png" &&
            awk -v s="$(bright_share preview)" 'BEGIN { exit !(s > 1.0) }'
    }
    wait_until preview_shows_orbs || fail "the settings' preview shows no orbs"
    ! grep -i "warning" "$WORK/settings.log" | grep -qi "nimbula" || fail "xscreensaver-settings warns about nimbula.xml"
    import -window root "$WORK/settings.png"
    stop_process "$SETTINGS"
    pass "xscreensaver-settings reads nimbula.xml without a warning; its preview shows orbs on $(bright_share preview) %"
fi

ssc -exit || fail "xscreensaver-command -exit"
wait_exit "$DAEMON" || fail "the daemon did not exit"
