#!/usr/bin/env bash
# Proof that a change to the simulation keeps its results bit for bit: runs `nimbula-tool simulate
# --dump` (every orb's position and velocity after every frame, printed to the last digit) with two
# builds over several populations, frame counts, constant sets and the sample universes, and
# compares the dumps byte for byte.
# Usage: bench/compare_simulation.sh OLD_NIMBULA_TOOL NEW_NIMBULA_TOOL [quick]
# (quick: fewer frames). Prints one line per case; exits 1 if any dump differs. The crowds (10,000
# and 100,000 orbs, and 100,000 orbs all at the centre, as a big bang leaves them) run a few frames
# only: their dumps are large.
set -euo pipefail

OLD=$1
NEW=$2
QUICK=${3:-}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# A constants string: the defaults with bytes written at offsets of the 352-byte block.
# Arguments: pairs of OFFSET and printf-escaped little-endian bytes.
constants() {
    "$NEW" defaults | "$NEW" decode > "$WORK/block"
    while [ $# -gt 0 ]; do
        printf "$2" | dd of="$WORK/block" bs=1 seek="$1" conv=notrunc status=none
        shift 2
    done
    "$NEW" encode < "$WORK/block"
}

# Offsets in the block and doubles as bytes.
GRAVITY=152 MAX_ENERGY=208 PACKING=224 TIDAL=320 MIN_ANGLE=328
SPINNING=336 BLACK_HOLE=337 FLASH=339 SPHERE=341
D100='\x00\x00\x00\x00\x00\x00\x59\x40' D5='\x00\x00\x00\x00\x00\x00\x14\x40'
D50='\x00\x00\x00\x00\x00\x00\x49\x40' D1E300='\x9c\x75\x00\x88\x3c\xe4\x37\x7e'
D0_01='\x7b\x14\xae\x47\xe1\x7a\x84\x3f' D0='\x00\x00\x00\x00\x00\x00\x00\x00'

declare -A SETS
SETS[defaults]=$("$NEW" defaults)
# Spinning, gravity 100 and the spherical boundary, as bench_simulation's stormy case.
SETS[stormy]=$(constants $SPINNING '\x01' $GRAVITY "$D100" $SPHERE '\x01')
# Gravity towards the floor, packing energy and the collision flash.
SETS[packed]=$(constants $BLACK_HOLE '\x00' $GRAVITY "$D5" $PACKING "$D0_01" $FLASH '\x01')
# A minimum angle that pushes touching orbs apart, tides without a divisor, a low speed cap.
SETS[pushed]=$(constants $MIN_ANGLE "$D50" $TIDAL "$D0" $SPINNING '\x01' $MAX_ENERGY "$D5")
# Gravity 1e300 towards the centre, spinning: pulls and speeds overflow, orbs restart.
SETS[wild]=$(constants $GRAVITY "$D1E300" $SPINNING '\x01')

failed=0
compare() {  # NAME ARGS...
    local name=$1
    shift
    "$OLD" simulate "$@" --dump "$WORK/old" > "$WORK/old.out"
    "$NEW" simulate "$@" --dump "$WORK/new" > "$WORK/new.out"
    if cmp -s "$WORK/old" "$WORK/new" && cmp -s "$WORK/old.out" "$WORK/new.out"; then
        echo "same      $name ($(wc -l < "$WORK/old") lines)"
    else
        echo "DIFFERENT $name"
        failed=1
    fi
}

scale() { if [ -n "$QUICK" ]; then echo $(($1 / 10)); else echo "$1"; fi; }
for set in defaults stormy packed pushed wild; do
    for case in 1:2000 100:2000 250:2000 1000:1000 2500:400; do
        orbs=${case%:*}
        frames=$(scale "${case#*:}")
        compare "$set, $orbs orbs, $frames frames" --orbs "$orbs" --frames "$frames" --constants "${SETS[$set]}"
    done
done
# A universe file of N orbs all at the centre, no groups, default constants: crowd_file N FILE.
# The container's header and the default camera, then the count, the positions and the string.
crowd_file() {
    local n=$1
    {
        printf '\x4e\x55\x4d\x46\x01\x00\x00\x00\x02\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xe0\x85\x40\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xf0\xbf\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xf0\xbf\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xf0\x3f\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xf0\x3f\x00\x00\x00\x00\x00\x00\xf0\x3f\x00\x00\x00\x00\x00\x00\xf0\x3f\x00\x00\x00\x00'
        printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((n & 255)) $((n >> 8 & 255)) $((n >> 16 & 255)) $((n >> 24 & 255)))"
        head -c $((n * 24)) /dev/zero
        printf '\xc4\x02\x00\x00'
        "$NEW" defaults | tr -d '\n'
    } >"$2"
}
crowd_file 100000 "$WORK/bang.nmd"
"$NEW" info "$WORK/bang.nmd" | grep -qx 'orbs 100000' || { echo "the crowd file does not load"; exit 1; }
for case in 10000:$(scale 100) 100000:$(scale 20); do
    compare "defaults, ${case%:*} orbs, ${case#*:} frames" --orbs "${case%:*}" --frames "${case#*:}"
done
compare "big bang, 100000 orbs at the centre, $(scale 20) frames" --universe "$WORK/bang.nmd" --frames "$(scale 20)"
for universe in "$ROOT"/res/universes/*.nmd; do
    compare "$(basename "$universe"), $(scale 2000) frames" --universe "$universe" --frames "$(scale 2000)"
done
exit $failed
