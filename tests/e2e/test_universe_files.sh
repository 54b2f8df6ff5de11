#!/usr/bin/env bash
# End to end: the default universe at start-up. A deleted default file shows both messages and then
# the generated universe; a damaged one shows its message over the generated universe (a box) or
# on standard error alone (XScreenSaver's mode); a sample from the library, once loaded, is what the
# next start shows, unless --orbs asks for the generated universe.
# Usage: test_universe_files.sh BUILD_DIR. Screenshots stay in $NIMBULA_E2E_KEEP when that is set.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_universe_files "$@"
LIBRARY=$XDG_DATA_HOME/nimbula/universes
SETTINGS=$XDG_CONFIG_HOME/nimbula/settings
PID=

# Pixels whose green stands far above red and blue: the green group of a sample, never the
# pastel orbs of the generated universe.
green_pixels() { convert "$WORK/$1.png" -fx "g > r + 0.25 && g > b + 0.25" -format "%[fx:int(mean*w*h)]" info:; }
shows_orbs() { shot "$1" && awk -v s="$(bright_share "$1")" 'BEGIN { exit !(s > 2.0) }'; }
set_default() { mkdir -p "$(dirname "$SETTINGS")"; printf '{"APP": {"UnivFile": "%s"}}\n' "$1" >"$SETTINGS"; }
start() { launch "$1" "$BIN" /s; PID=$LAUNCHED; wait_for_window "$PID" >/dev/null || fail "$1: no window"; }
stop() {
    kill -TERM "$PID"
    wait_exit "$PID" || fail "SIGTERM did not end the saver"
    [ "$RC" = 0 ] || fail "the saver ended with $RC"
}

# --- a default universe that was deleted: both messages, then the generated universe ---
set_default "$WORK/deleted.nmd"
start deleted
wait_until shows_orbs deleted || fail "no universe after the failed load"
printf '%s\n' "$WORK/deleted.nmd: file not found" "Selected file is missing or corrupted." \
    "Could not successfully load file." >"$WORK/expected.txt"
diff "$WORK/expected.txt" "$WORK/deleted.log" >/dev/null || fail "start-up messages differ from: $(cat "$WORK/expected.txt")"
green=$(green_pixels deleted)
stop
pass "a deleted default universe shows the path, the reason and both messages, then the generated universe ($green green pixels)"

# --- a damaged default universe: its message in a box over the generated universe, which runs on ---
head -c 300 "$NIMBULA_DIR/universes/Spectrum.nmd" >"$WORK/cut.nmd"
set_default "$WORK/cut.nmd"
NIMBULA_MESSAGE_BOXES= start damaged
# The box's light face in the middle of the screen, and orbs around it.
shows_box() {
    shot "$1" && [ "$(convert "$WORK/$1.png" -crop 200x40+220+220 -colorspace gray -format "%[fx:int(mean*100)]" info:)" -gt 80 ] &&
        awk -v s="$(bright_share "$1")" 'BEGIN { exit !(s > 12.0) }'
}
wait_until shows_box boxed || fail "no message box over a universe after the damaged load"
convert "$WORK/boxed.png" -crop 640x150+0+0 +repage "$WORK/boxed-top.png"
awk -v s="$(bright_share boxed-top)" 'BEGIN { exit !(s > 1.0) }' || fail "the box stands over an empty screen"
xdotool key Return
wait_until -t 20 until_moving damaged-after || fail "the generated universe does not run after the message"
grep -qxF "$WORK/cut.nmd: stored image truncated" "$WORK/damaged.log" || fail "standard error lacks the path and reason"
stop
rc=0
"$BIN" -root --frames 5 --pace 0 >"$WORK/hack.log" 2>&1 || rc=$?
[ "$rc" = 0 ] || fail "the hack ended with $rc after the damaged load"
printf '%s\n' "$WORK/cut.nmd: stored image truncated" "Could not successfully load file." >"$WORK/expected.txt"
grep -v "^frames: " "$WORK/hack.log" | diff "$WORK/expected.txt" - >/dev/null || fail "the hack said: $(cat "$WORK/hack.log")"
pass "a damaged default universe shows its message over the generated universe; the hack says it on standard error"

# --- the first start made the library and copied the samples in ---
samples=$(ls "$NIMBULA_DIR/universes"/*.nmd | wc -l)
[ "$samples" -ge 6 ] || fail "only $samples sample universes are installed"
[ "$(ls "$LIBRARY"/*.nmd | wc -l)" -eq "$samples" ] || fail "the library holds $(ls "$LIBRARY") instead of the samples"
pass "the first start copied $samples samples into $LIBRARY"

# --- a sample loaded once is what the next start shows ---
set_default "$LIBRARY/Spectrum.nmd"
start spectrum
wait_until shows_orbs spectrum1 || fail "the sample shows no orbs"
stop
grep -q "\"UnivFile\": \"$LIBRARY/Spectrum.nmd\"" "$SETTINGS" || fail "the load did not keep the sample as default: $(cat "$SETTINGS")"
start next
wait_until shows_orbs spectrum2 || fail "the next start shows no orbs"
sleep 0.5
shot spectrum2
[ ! -s "$WORK/next.log" ] || fail "the sample's start said something"
shown=$(green_pixels spectrum2)
[ "$shown" -gt $(( green + 200 )) ] || fail "the next start does not show the sample's green group ($shown green pixels, $green in the generated universe)"
stop
pass "the sample loaded as default is what the next start shows ($shown green pixels)"

# --- --orbs asks for the generated universe, whatever the default; the default stays ---
launch orbs "$BIN" /s --orbs 60
PID=$LAUNCHED
wait_for_window "$PID" >/dev/null || fail "orbs: no window"
wait_until shows_orbs orbs || fail "--orbs 60 shows no orbs"
sleep 0.5
shot orbs
asked=$(green_pixels orbs)
[ "$asked" -lt $(( green + 200 )) ] || fail "--orbs 60 shows the default universe's green group ($asked green pixels)"
stop
grep -q "\"UnivFile\": \"$LIBRARY/Spectrum.nmd\"" "$SETTINGS" || fail "--orbs changed the default universe: $(cat "$SETTINGS")"
pass "--orbs 60 shows the generated universe ($asked green pixels), and the default stays"
