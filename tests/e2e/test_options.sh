#!/usr/bin/env bash
# End to end: the options dialog over the running saver (orb count, Cancel, the universe list) and
# the setup dialog of the configuration mode, judged by screenshots and the settings they leave.
# Usage: test_options.sh BUILD_DIR.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_options "$@"
PID=

# Share of the screen that is bright (orbs), in tenths of a percent.
bright() { convert "$WORK/$1.png" -colorspace gray -threshold 20% -format "%[fx:int(mean*1000)]" info:; }
setting() { python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["APP"].get("UnivFile", ""))' "$XDG_CONFIG_HOME/nimbula/settings" 2>/dev/null || true; }

# start [OPTIONS...]: the saver.
start() {
    "$BIN" /s "$@" >"$WORK/run.log" 2>&1 &
    PID=$!
    track "$PID"
    wait_for_window "$PID" >/dev/null || fail "no window appeared"
    until_moving started || fail "started: the universe does not move"
}
stop() {
    xdotool key Escape
    for _ in $(seq 50); do kill -0 "$PID" 2>/dev/null || break; sleep 0.1; done
    wait "$PID" || fail "the saver did not end cleanly"
    PID=
}

# --- O, then # Orbs to the right end and OK: 250 orbs; Cancel keeps the count ---
start --orbs 12
until_moving few || fail "few: the universe does not move"
before=$(bright few)
xdotool key o
until_still options || fail "options: the screen did not come to rest"
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab End Escape   # # Orbs at 100, then Cancel
until_moving cancelled || fail "cancelled: the universe does not move"
[ "$(bright cancelled)" -lt $((before * 2 + 10)) ] || fail "Cancel changed the universe ($before -> $(bright cancelled))"
xdotool key o
until_still options2 || fail "options2: the screen did not come to rest"
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab End Return   # # Orbs at 100, then OK
until_moving many || fail "many: the universe does not move"
# New orbs start close together and spread out: on a busy machine the first pictures after OK
# still show them bunched up.
after=0
fills() { shot many && after=$(bright many) && [ "$after" -gt $((before * 4)) ]; }
wait_until fills || fail "OK with # Orbs at its end did not fill the universe ($before -> $after)"
echo "bright share: $before with 12 orbs, $after after OK with the slider at its end"

# --- The universe list: the first sample loads at once and becomes the default universe ---
xdotool key o
until_still options3 || fail "options3: the screen did not come to rest"
xdotool key shift+Tab Down                        # the list takes the focus, fills, first entry
for _ in $(seq 50); do [ -n "$(setting)" ] && break; sleep 0.1; done
chosen=$(setting)
[ "$chosen" = "$XDG_DATA_HOME/nimbula/universes/Cluster.nmd" ] || fail "the list did not load its first sample (UnivFile: '$chosen')"
xdotool key Escape
until_moving cluster || fail "cluster: the universe does not move"
stop

# --- The next start shows it: 216 lava orbs; --orbs 3 asks for the generated universe instead ---
start --orbs 3
until_moving asked || fail "asked: the universe does not move"
[ "$(bright asked)" -lt 30 ] || fail "--orbs 3 showed the default universe (bright share $(bright asked))"
stop
start
until_moving next-start || fail "next-start: the universe does not move"
[ "$(bright next-start)" -gt 30 ] || fail "the next start did not show the chosen sample (bright share $(bright next-start))"
grep -q . "$WORK/run.log" && fail "the start with the sample said something"
stop

# --- nimbula /c: the setup dialog in a window of its own; a choice and OK make the default ---
"$BIN" /c >"$WORK/run.log" 2>&1 &
PID=$!
track "$PID"
wait_for_window "$PID" >/dev/null || fail "no window appeared"
wid=$(xdotool search --onlyvisible --pid "$PID" | head -1)
[ "$(xdotool getwindowname "$wid")" = "Nimbula Screensaver Setup" ] || fail "/c opened '$(xdotool getwindowname "$wid")'"
until_still setup || fail "setup: the screen did not come to rest"
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
xdotool key Tab Down Down Return                 # the list, its second entry, OK
for _ in $(seq 50); do kill -0 "$PID" 2>/dev/null || break; sleep 0.1; done
wait "$PID" || fail "the setup dialog did not end cleanly"
PID=
chosen=$(setting)
[ "$chosen" = "$XDG_DATA_HOME/nimbula/universes/Galaxy.nmd" ] || fail "OK stored '$chosen', not the second sample"
echo "test_options: ok"
