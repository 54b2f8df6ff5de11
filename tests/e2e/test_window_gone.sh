#!/usr/bin/env bash
# End to end: a window of ours destroyed by another program (xdotool windowclose, as a window
# manager that kills a window does) ends the program cleanly: the editing frame (also with a dialog
# open over it), the saver, the background and the setup dialog's own window. The single-copy lock goes with it, so a saver starts
# afterwards. Usage: test_window_gone.sh BUILD_DIR.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_window_gone "$@"

# Starts nimbula ARGS... as NAME, destroys its window once it draws, and checks that it ends with 0.
destroyed_ends() {
    local name=$1 wid
    shift
    launch "$name" "$BIN" "$@"
    local pid=$LAUNCHED
    wid=$(wait_for_window "$pid") || fail "$name: no window"
    # The setup dialog's small window does not reach the corner frames_drawn watches.
    if [ "$name" = setup ]; then
        until_still "$name" || fail "$name: the screen did not come to rest"
    else
        frames_drawn "$pid" || fail "$name: ended before its window was destroyed"
    fi
    [ -z "${BEFORE_CLOSE:-}" ] || $BEFORE_CLOSE
    xdotool windowclose "$wid"
    # A few seconds are plenty; a busy machine gets the usual time-out.
    wait_exit "$pid" || fail "$name: still running without its window"
    [ "$RC" = 0 ] || fail "$name: ended with status $RC when its window was destroyed"
    pass "$name: ends with 0 when its window is destroyed"
}

destroyed_ends frame
destroyed_ends saver -s --orbs 20
destroyed_ends background -b --orbs 20
destroyed_ends setup -c

# The group dialog open over the frame: the dialog's own loop sees the window go.
open_group_dialog() { xdotool mousemove $((32 + 38 * 3)) 22 click 1; frames_drawn; }
BEFORE_CLOSE=open_group_dialog destroyed_ends frame-dialog

# Nothing holds the lock: a saver starts, draws and ends on Escape.
launch after "$BIN" -s --orbs 20
PID=$LAUNCHED
wait_for_window "$PID" >/dev/null || fail "no saver after the frame's window was destroyed"
frames_drawn "$PID" || fail "the saver after the frame ended at start-up"
grep -q "already running" "$WORK/after.log" && fail "the saver found the lock still held"
xdotool key Escape
wait_exit "$PID" && [ "$RC" = 0 ] || fail "the saver did not end cleanly"
echo "test_window_gone: ok"
