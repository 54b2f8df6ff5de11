#!/usr/bin/env bash
# Time of nimbula-tool thumbnail for each sample universe, as a file manager runs it (no display),
# and for damaged files; the first row per sample with an empty shader cache (what the first
# thumbnail a user ever sees costs), the others with Mesa's cache warm.
# Usage: bench/thumbnail.sh [BUILD_DIR] [SIZE] [RUNS]. Prints a table: wall time (best and median
# of RUNS) and processor time (median), which a machine busy with other work inflates far less.
set -euo pipefail

BUILD=$(cd "${1:-build}" && pwd)
SIZE=${2:-256}
RUNS=${3:-5}
TOOL=$BUILD/nimbula-tool
[ -x "$TOOL" ] || { echo "thumbnail.sh: no $TOOL; build first (cmake --build $BUILD)"; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# The middle line of sorted numbers on standard input (the lower one of two).
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# RUNS runs of a thumbnail of FILE, printed as "best | median | processor median" in milliseconds.
measure() {
    local i
    : >"$WORK/times"
    for ((i = 0; i < RUNS; i++)); do
        rm -f "$WORK/out.png"
        /usr/bin/time -f "%e %U %S" -o "$WORK/time" env -u DISPLAY "$@" "$TOOL" thumbnail -s "$SIZE" "$FILE" "$WORK/out.png" \
            >/dev/null 2>&1 || true
        cat "$WORK/time" >>"$WORK/times"
    done
    printf '%d | %d | %d' "$(awk '{ print $1 * 1000 }' "$WORK/times" | sort -n | head -1)" \
        "$(awk '{ print $1 * 1000 }' "$WORK/times" | median)" "$(awk '{ print ($2 + $3) * 1000 }' "$WORK/times" | median)"
}

echo "| file | size | wall best (ms) | wall median (ms) | processor (ms) |"
echo "|---|---:|---:|---:|---:|"
for FILE in "$BUILD"/res/universes/*.nmd; do
    name=$(basename "$FILE")
    echo "| $name, empty shader cache | ${SIZE}px | $(RUNS=1 measure MESA_SHADER_CACHE_DIR="$WORK/cache-$name") |"
    echo "| $name | ${SIZE}px | $(measure) |"
done
FILE=$WORK/truncated.nmd
head -c 5000 "$BUILD/res/universes/Galaxy.nmd" >"$FILE"
echo "| damaged (truncated) | ${SIZE}px | $(measure) |"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
