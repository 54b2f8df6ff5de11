#!/usr/bin/env bash
# End to end: the default universe at start-up. A deleted default file shows both messages and then
# the generated universe; a sample from the library, once loaded, is what the next start shows.
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
printf '%s\n' "Selected file is missing or corrupted." "Could not successfully load file." >"$WORK/expected.txt"
diff "$WORK/expected.txt" "$WORK/deleted.log" >/dev/null || fail "start-up messages differ from: $(cat "$WORK/expected.txt")"
green=$(green_pixels deleted)
stop
pass "a deleted default universe shows both messages, then the generated universe ($green green pixels)"

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
