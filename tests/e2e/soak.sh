#!/usr/bin/env bash
# Runs the end-to-end suite over and over to show that it holds: soak.sh BUILD_DIR RUNS [--with-units].
# Alone: `ctest -L e2e` RUNS times. --with-units: the whole suite with `ctest -j2` RUNS times, while
# the unit tests run again and again beside it (on their own they last about a second), so both
# cores stay busy for the whole run. The random click test clicks for NIMBULA_CLICK_SECONDS
# (default 240) in each run. Prints one line per run and a summary; status 1 when any run
# failed. Every run's output stays in the folder it names, the screenshots of failed runs too.
set -euo pipefail

BUILD=$(cd "${1:?usage: soak.sh BUILD_DIR RUNS [--with-units]}" && pwd)
RUNS=${2:?usage: soak.sh BUILD_DIR RUNS [--with-units]}
WITH_UNITS=no
[ "${3:-}" = "--with-units" ] && WITH_UNITS=yes

LOGS=$(mktemp -d /tmp/nimbula-soak.XXXXXX)
STOP=$LOGS/stop
LOAD=
finish() {
    # The load loop ends after the unit run it is in.
    touch "$STOP"
    [ -z "$LOAD" ] || wait "$LOAD" 2>/dev/null || true
}
trap finish EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# The random click test runs for minutes here, not the seconds it gets in scripts/test.
export NIMBULA_CLICK_SECONDS=${NIMBULA_CLICK_SECONDS:-240}

# Some unit tests use fixed names under the temporary folder: two runs at once (the load beside the
# suite, another developer's run) would share them. Each gets a temporary folder of its own.
mkdir -p "$LOGS/tmp-suite" "$LOGS/tmp-load"
export TMPDIR=$LOGS/tmp-suite
if [ "$WITH_UNITS" = yes ]; then
    (while [ ! -e "$STOP" ]; do TMPDIR=$LOGS/tmp-load ctest --test-dir "$BUILD" -LE e2e -j2 >/dev/null 2>&1 || true; done) &
    LOAD=$!
    suite=(ctest --test-dir "$BUILD" -j2 -V)
else
    suite=(ctest --test-dir "$BUILD" -L e2e -V)
fi

echo "soak: ${suite[*]}, $RUNS runs$([ "$WITH_UNITS" = yes ] && echo ", unit tests running beside"); logs in $LOGS"
passed=0
failed=0
start=$SECONDS
for i in $(seq "$RUNS"); do
    keep=$LOGS/run-$i
    t0=$SECONDS
    if NIMBULA_E2E_KEEP=$keep "${suite[@]}" >"$keep.txt" 2>&1; then
        passed=$((passed + 1))
        rm -rf "$keep"
        echo "run $i: ok ($((SECONDS - t0)) s, load $(cut -d' ' -f1 /proc/loadavg))"
    else
        failed=$((failed + 1))
        echo "run $i: FAILED ($((SECONDS - t0)) s, load $(cut -d' ' -f1 /proc/loadavg)); see $keep.txt and $keep/"
        grep -E "FAIL|\*\*\*Failed|Timeout" "$keep.txt" | head -5 | sed 's/^/  /'
    fi
done
echo "soak: $passed of $RUNS runs passed, $failed failed, $((SECONDS - start)) s in all"
[ "$failed" -eq 0 ]
