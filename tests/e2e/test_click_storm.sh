#!/usr/bin/env bash
# End to end: random clicks and drags over the editing frame's dialogs (a fixed seed, so a failure
# replays): each round opens a dialog (toolbar or key), clicks its controls and places around it
# and drags from them, then Escape closes whatever is open, and every third round opens the same
# dialog again at once. Fails on any abort, crash or sanitizer report. Runs for
# NIMBULA_CLICK_SECONDS (default 40; soak.sh runs it longer). Usage: test_click_storm.sh BUILD_DIR.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_click_storm "$@"
source "$(dirname "$0")/clicks.sh"

SECONDS_TO_RUN=${NIMBULA_CLICK_SECONDS:-40}
CLICKS_PER_ROUND=25
RANDOM=1717

# The centres of the top dialog's controls, one "x y" a line.
centres() {
    awk '$1 == "dialog" { n = 0 } $1 == "control" { c[++n] = int(($4 + $6) / 2) " " int(($5 + $7) / 2) }
         END { for (i = 1; i <= n; i++) print c[i] }' "$LAYOUT" 2>/dev/null || true
}
dialog_open() { [ -n "$(top_dialog)" ]; }
alive() { kill -0 "$PID" 2>/dev/null || fail "the frame ended after $clicks clicks (status $(wait "$PID"; echo $?))"; }
# Escape until no dialog is open (a list dropped down takes one of its own).
close_all() {
    for _ in $(seq 10); do
        no_dialog && break
        xdotool key Escape
        wait_until -t 1 no_dialog || true
    done
    alive
}

launch frame "$BIN"
PID=$LAUNCHED
wait_for_window "$PID" >/dev/null || fail "no frame"
frames_drawn "$PID" || fail "the frame ended at start-up"

openers=("toolbar 1" "toolbar 2" "toolbar 3" "toolbar 4" "toolbar 10" "key a" "key s" "key o" "key h")
end=$((SECONDS + SECONDS_TO_RUN))
clicks=0
rounds=0
opened=0
while [ "$SECONDS" -lt "$end" ]; do
    read -r how which <<<"${openers[RANDOM % ${#openers[@]}]}"
    if [ "$how" = toolbar ]; then xdotool mousemove $((32 + 38 * which)) 22 click 1; else xdotool key "$which"; fi
    if wait_until -t 2 dialog_open; then opened=$((opened + 1)); fi
    # Five clicks to one xdotool call (a call costs a tenth of a second or more), each batch
    # aimed at the dialog on top as it stands.
    for _ in $(seq $((CLICKS_PER_ROUND / 5))); do
        mapfile -t spots < <(centres)
        batch=()
        for _ in 1 2 3 4 5; do
            # Mostly on a control of the dialog on top, else anywhere on the screen.
            if [ ${#spots[@]} -gt 0 ] && [ $((RANDOM % 4)) -ne 0 ]; then
                read -r x y <<<"${spots[RANDOM % ${#spots[@]}]}"
            else
                x=$((RANDOM % E2E_WIDTH)) y=$((RANDOM % E2E_HEIGHT))
            fi
            # One in five is a drag (a slider, a dialog's face, a list) rather than a click.
            if [ $((RANDOM % 5)) -eq 0 ]; then
                tx=$(( (x + RANDOM % 200 + E2E_WIDTH - 100) % E2E_WIDTH )) ty=$(( (y + RANDOM % 200 + E2E_HEIGHT - 100) % E2E_HEIGHT ))
                batch+=(mousemove "$x" "$y" mousedown 1 mousemove "$tx" "$ty" mouseup 1)
            else
                batch+=(mousemove "$x" "$y" mousedown 1 mouseup 1)
            fi
        done
        xdotool "${batch[@]}"
        clicks=$((clicks + 5))
    done
    alive
    close_all
    # The same dialog once more at once: it opens whole, in the middle, with its lists up.
    if [ $((rounds % 3)) -eq 0 ]; then
        if [ "$how" = toolbar ]; then xdotool mousemove $((32 + 38 * which)) 22 click 1; else xdotool key "$which"; fi
        if wait_until -t 2 dialog_open; then
            mapfile -t spots < <(centres)
            if [ ${#spots[@]} -gt 0 ]; then
                read -r x y <<<"${spots[RANDOM % ${#spots[@]}]}"
                xdotool mousemove "$x" "$y" click 1
            fi
        fi
        close_all
    fi
    rounds=$((rounds + 1))
done
clean_log frame || fail "the frame's log reports a fault after $clicks clicks"
kill -TERM "$PID"
wait_exit "$PID" || fail "the frame did not end on SIGTERM"
[ "$RC" = 0 ] || fail "the frame ended with $RC on SIGTERM"
clean_log frame || fail "the frame's log reports a fault"
# The openers work: most rounds click on a dialog (the second to fifth group may not exist yet).
[ $((opened * 2)) -gt "$rounds" ] || fail "only $opened of $rounds rounds opened a dialog"
pass "$clicks clicks in $rounds rounds ($opened over a dialog): no abort, crash or sanitizer report"
echo "test_click_storm: ok"
