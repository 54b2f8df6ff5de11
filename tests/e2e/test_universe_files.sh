#!/usr/bin/env bash
# End to end: the default universe at start-up. A deleted default file shows both messages and then
# the generated universe; a sample from the library, once loaded, is what the next start shows.
# Usage: test_universe_files.sh BUILD_DIR. Screenshots stay in $NIMBULA_E2E_KEEP when that is set.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_universe_files "$@"
export XDG_DATA_HOME=$WORK/data
LIBRARY=$XDG_DATA_HOME/nimbula/universes
SETTINGS=$XDG_CONFIG_HOME/nimbula/settings
PID=
# Xvfb resets itself whenever its last client leaves, and a program that connects during the reset
# finds no display: one idle client holds it open between the starts.
xev -root >/dev/null 2>&1 &
HOLDER=$!
cleanup() {
    if [ -n "$PID" ]; then kill "$PID" 2>/dev/null || true; wait "$PID" 2>/dev/null || true; fi
    kill "$HOLDER" 2>/dev/null || true; wait "$HOLDER" 2>/dev/null || true
    if [ -n "${NIMBULA_E2E_KEEP:-}" ]; then mkdir -p "$NIMBULA_E2E_KEEP" && cp "$WORK"/*.png "$WORK"/*.log "$NIMBULA_E2E_KEEP"/ 2>/dev/null || true; fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; for f in "$WORK"/*.log; do [ -f "$f" ] && sed "s|^|  $(basename "$f"): |" "$f"; done; exit 1; }
pass() { echo "ok: $*"; }

# Runs the command until it succeeds, every 0.1 s, for at most $1 seconds.
wait_for() {
    local limit=$(( $1 * 10 )); shift
    for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.1; done
    return 1
}
has_window() { xdotool search --onlyvisible --pid "$PID" >/dev/null 2>&1; }
# Share of pixels clearly brighter than the dark blue ground, in percent.
bright_share() { convert "$1" -colorspace gray -threshold 20% -format "%[fx:int(mean*1000)/10]" info:; }
# Pixels whose green stands far above red and blue: the green group of a sample, never the
# pastel orbs of the generated universe.
green_pixels() { convert "$1" -fx "g > r + 0.25 && g > b + 0.25" -format "%[fx:int(mean*w*h)]" info:; }
shows_orbs() { import -window root "$1" && awk -v s="$(bright_share "$1")" 'BEGIN { exit !(s > 2.0) }'; }
set_default() { mkdir -p "$(dirname "$SETTINGS")"; printf '{"APP": {"UnivFile": "%s"}}\n' "$1" >"$SETTINGS"; }
start() { "$BIN" /s >"$WORK/$1.log" 2>&1 & PID=$!; wait_for 10 has_window || fail "$1: no window"; }
stop() { kill -TERM "$PID"; wait "$PID" || fail "the saver ended with $?"; PID=; }

# --- a default universe that was deleted: both messages, then the generated universe ---
set_default "$WORK/deleted.nmd"
start deleted
wait_for 10 shows_orbs "$WORK/deleted.png" || fail "no universe after the failed load"
printf '%s\n' "Selected file is missing or corrupted." "Could not successfully load file." >"$WORK/expected.txt"
diff "$WORK/expected.txt" "$WORK/deleted.log" >/dev/null || fail "start-up messages differ from: $(cat "$WORK/expected.txt")"
green=$(green_pixels "$WORK/deleted.png")
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
wait_for 10 shows_orbs "$WORK/spectrum1.png" || fail "the sample shows no orbs"
stop
grep -q "\"UnivFile\": \"$LIBRARY/Spectrum.nmd\"" "$SETTINGS" || fail "the load did not keep the sample as default: $(cat "$SETTINGS")"
start next
wait_for 10 shows_orbs "$WORK/spectrum2.png" || fail "the next start shows no orbs"
sleep 0.5
import -window root "$WORK/spectrum2.png"
[ ! -s "$WORK/next.log" ] || fail "the sample's start said something"
shown=$(green_pixels "$WORK/spectrum2.png")
[ "$shown" -gt $(( green + 200 )) ] || fail "the next start does not show the sample's green group ($shown green pixels, $green in the generated universe)"
stop
pass "the sample loaded as default is what the next start shows ($shown green pixels)"
