#!/usr/bin/env bash
# End to end: 100,000 orbs after a big bang, all in one cell of the map, still end at once on
# Escape and on SIGTERM. Usage: test_crowd.sh BUILD_DIR.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_crowd "$@"

# How long the stop may take: a crowded frame lasts well under a second; the rest is margin for
# a machine busy with other builds and tests.
LIMIT=5

# Starts the saver with 100,000 orbs, sets off a big bang, waits until crowded frames are on the
# screen, then asks it to stop with "$@"; MS holds how long it took to end.
crowd_then() {
    launch crowd "$BIN" /s --orbs 100000
    local pid=$LAUNCHED start
    wait_for_window "$pid" >/dev/null || fail "/s --orbs 100000 opened no window"
    frames_drawn "$pid" || fail "/s --orbs 100000 ended by itself"
    xdotool key b
    frames_drawn "$pid" || fail "the saver ended on B"
    frames_drawn "$pid" || fail "the saver ended after the big bang"
    start=$(date +%s%N)
    "$@" "$pid"
    wait_exit "$pid" "$LIMIT" || fail "still running $LIMIT s after the request to stop"
    [ "$RC" = "0" ] || fail "ended with status $RC"
    MS=$(( ($(date +%s%N) - start) / 1000000 ))
}
press_escape() { xdotool key Escape; }
terminate() { kill -TERM "$1"; }

crowd_then press_escape
pass "after a big bang of 100,000 orbs Escape ends the saver in $MS ms"
crowd_then terminate
pass "after a big bang of 100,000 orbs SIGTERM ends the saver in $MS ms"
