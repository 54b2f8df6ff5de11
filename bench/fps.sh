#!/usr/bin/env bash
# Frames per second of the real program under Xvfb (--pace 0: no pacing), and the time to the first frame,
# for the generated universe and for the largest sample universe loaded at start-up. Then what an orb
# costs at 1920x1080: 250, 1,000, 10,000 and 100,000 orbs (the crowds over a quarter and a
# twentieth of the frames) against the 1-orb floor (clear, draw, present) and the time each orb
# adds to a frame, the share of a core the saver takes at its usual 60 frames per second with 250
# orbs, and the 250-orb simulation frame against the plain reference (bench_reference_simulation),
# all in one run.
# Usage: bench/fps.sh [BUILD_DIR] [FRAMES] [RUNS]. Prints tables; each figure is the best of RUNS.
# With NIMBULA_WINDOWS_BUILD=DIR (scripts/windows' output) the Windows nimbula.scr runs too, under
# Wine on the same X server, with 100 and 250 orbs: what Wine costs against the Linux rows.
set -euo pipefail

BUILD=$(cd "${1:-build}" && pwd)
FRAMES=${2:-600}
RUNS=${3:-3}
BIN=$BUILD/nimbula
[ -x "$BIN" ] || { echo "fps.sh: no $BIN; build first (cmake --build $BUILD)"; exit 1; }

# The 250-orb simulation frame (processor time, median of 5) against the plain reference.
simulation_ratio() {
    local ours plain
    [ -x "$BUILD/bench/bench_simulation" ] && [ -x "$BUILD/bench/bench_reference_simulation" ] || {
        echo "| simulation frame, 250 orbs | (build bench_simulation and bench_reference_simulation) | |"
        return 0
    }
    ours=$("$BUILD/bench/bench_simulation" --benchmark_filter='BM_FrameDefaults/250$' --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true 2>/dev/null | awk '/_median/ { print $4 }')
    plain=$("$BUILD/bench/bench_reference_simulation" --benchmark_filter='/250/' --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true 2>/dev/null | awk '/_median/ { print $2 }')
    echo "| simulation frame, 250 orbs | $ours µs (reference $plain µs) | $(awk -v a="$ours" -v b="$plain" 'BEGIN { printf "%.1f times the reference", a / b }') |"
}

if [ -z "${4:-}" ]; then
    echo "| screen | orbs | frames per second | ms per frame | start to first frame |"
    echo "|---|---:|---:|---:|---:|"
    # -noreset: a bare X server resets when its last client leaves and refuses the next program
    # for a moment; a start refused so would count as the fastest start to first frame.
    for size in 1920x1080 1280x720; do
        xvfb-run -a -s "-screen 0 ${size}x24 -noreset" bash "$0" "$BUILD" "$FRAMES" "$RUNS" --inner "$size"
    done
    echo
    echo "| at 1920x1080 | figure | against the floor |"
    echo "|---|---:|---:|"
    xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" bash "$0" "$BUILD" "$FRAMES" "$RUNS" --orbs
    simulation_ratio
    exit 0
fi
SIZE=${5:-}

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export NIMBULA_MESSAGE_BOXES=stderr XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/run XDG_DATA_HOME=$WORK/data
mkdir -p "$XDG_CONFIG_HOME/nimbula" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# Best frames per second of RUNS runs of the saver with N orbs: best_fps N [FRAMES].
best_fps() {
    local best=0 fps
    for _ in $(seq "$RUNS"); do
        fps=$("$BIN" /s --orbs "$1" --pace 0 --frames "${2:-$FRAMES}" 2>&1 | grep '^frames:' | sed 's/.*fps: //')
        best=$(awk -v a="$fps" -v b="$best" 'BEGIN { print (a > b) ? a : b }')
    done
    echo "$best"
}

if [ "$4" = "--orbs" ]; then
    floor=$(best_fps 1)
    echo "| 1 orb (the floor) | $floor fps | 1 |"
    for orbs in 250 1000 10000 100000; do
        # The crowds run fewer frames: a run of 100,000 orbs takes seconds a frame.
        case $orbs in
            10000) frames=$(( (FRAMES + 3) / 4 )) ;;
            100000) frames=$(( FRAMES / 20 > 10 ? FRAMES / 20 : 10 )) ;;
            *) frames=$FRAMES ;;
        esac
        fps=$(best_fps "$orbs" "$frames")
        # What one orb adds to a frame: the time over the floor's, shared out.
        echo "| $orbs orbs | $fps fps, $(awk -v a="$fps" -v b="$floor" -v n="$orbs" 'BEGIN { printf "%.1f", (1000 / a - 1000 / b) * 1000 / n }') µs per orb | $(awk -v a="$fps" -v b="$floor" 'BEGIN { printf "%.2f", a / b }') |"
    done
    # The saver as it runs (60 frames per second where there is no vsync): its processor time
    # over 10 s once started, user and system, all its threads; the lowest of RUNS.
    best=
    for _ in $(seq "$RUNS"); do
        "$BIN" /s --orbs 250 >/dev/null 2>&1 &
        pid=$!
        sleep 2
        t0=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
        sleep 10
        t1=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
        kill "$pid"
        wait "$pid" || true
        share=$(awk -v a="$t0" -v b="$t1" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", (b - a) / hz / 10 }')
        if [ -z "$best" ] || awk -v a="$share" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$share; fi
    done
    echo "| the saver, 250 orbs at 60 fps | $best of a core | |"
    exit 0
fi

# The largest sample, made the default universe for the last row.
SAMPLE=$(ls -S "$BUILD"/res/universes/*.nmd | head -1)
SAMPLE_ORBS=$("$BUILD/nimbula-tool" info "$SAMPLE" | awk '/^orbs / { print $2 }')

for orbs in 100 250 "$(basename "$SAMPLE") ($SAMPLE_ORBS)"; do
    best_fps=0
    best_first=999999
    case "$orbs" in
        *.nmd*) printf '{"APP": {"UnivFile": "%s"}}\n' "$SAMPLE" >"$XDG_CONFIG_HOME/nimbula/settings"; count=() ;;
        *) rm -f "$XDG_CONFIG_HOME/nimbula/settings"; count=(--orbs "$orbs") ;;
    esac
    for _ in $(seq "$RUNS"); do
        line=$("$BIN" /s "${count[@]}" --pace 0 --frames "$FRAMES" 2>&1 | grep '^frames:')
        fps=$(echo "$line" | sed 's/.*fps: //')
        best_fps=$(awk -v a="$fps" -v b="$best_fps" 'BEGIN { print (a > b) ? a : b }')
        # Start to first frame: a run that ends after one frame (its short shutdown included).
        t0=$(date +%s%N)
        "$BIN" /s "${count[@]}" --frames 1 >/dev/null 2>&1
        t1=$(date +%s%N)
        first=$(( (t1 - t0) / 1000000 ))
        [ "$first" -lt "$best_first" ] && best_first=$first
    done
    ms=$(awk -v f="$best_fps" 'BEGIN { printf "%.2f", 1000 / f }')
    echo "| $SIZE | $orbs | $best_fps | $ms | $best_first ms |"
done

# The editing frame (no argument) with 250 orbs: the same loop, with the toolbar drawn every frame.
best_fps=0
for _ in $(seq "$RUNS"); do
    fps=$("$BIN" --orbs 250 --pace 0 --frames "$FRAMES" 2>&1 | grep '^frames:' | sed 's/.*fps: //')
    best_fps=$(awk -v a="$fps" -v b="$best_fps" 'BEGIN { print (a > b) ? a : b }')
done
echo "| editing frame (at most 1280x720) on $SIZE | 250 | $best_fps | $(awk -v f="$best_fps" 'BEGIN { printf "%.2f", 1000 / f }') | |"

# The Windows build under Wine, in a prefix of this run's own.
[ -n "${NIMBULA_WINDOWS_BUILD:-}" ] || exit 0
SCR=$(cd "$NIMBULA_WINDOWS_BUILD" && pwd)/nimbula.scr
[ -f "$SCR" ] || { echo "fps.sh: no $SCR; run scripts/windows first"; exit 1; }
source "$(dirname "$0")/../tests/cross/wine.sh"
wine_start "$WORK"
trap 'wine_stop; rm -rf "$WORK"' EXIT
export NIMBULA_DIR
NIMBULA_DIR=$(winpath "$BUILD/res")
for orbs in 100 250; do
    best_fps=0
    best_first=999999
    for _ in $(seq "$RUNS"); do
        fps=$(timeout 600 "$WINE" "$SCR" /s --orbs "$orbs" --pace 0 --frames "$FRAMES" 2>&1 | strip_cr | grep '^frames:' | sed 's/.*fps: //')
        best_fps=$(awk -v a="${fps:-0}" -v b="$best_fps" 'BEGIN { print (a > b) ? a : b }')
        # Start to first frame: until the line that the first frame prints arrives (Wine's end of
        # a top-level window without a window manager takes seconds, so the whole run would hide it).
        t0=$(date +%s%N)
        # No filter in between: tr would hold the line back until the program ends.
        t1=$(timeout 120 "$WINE" "$SCR" /s --orbs "$orbs" --frames 1 2>&1 |
            while IFS= read -r l; do case $l in frames:*) date +%s%N ;; esac; done)
        first=$(( (${t1:-$t0} - t0) / 1000000 ))
        [ "$first" -lt "$best_first" ] && best_first=$first
    done
    echo "| $SIZE, Windows build under Wine | $orbs | $best_fps | $(awk -v f="$best_fps" 'BEGIN { printf "%.2f", 1000 / f }') | $best_first ms |"
done
