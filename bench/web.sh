#!/usr/bin/env bash
# Web support window figures of the real program under Xvfb: how soon the help page is on screen
# after V, and the saver's memory (VmRSS) before V, while the window is open and after it closed,
# over several openings; also what the window's own processes take while open.
# Usage: bench/web.sh [BUILD_DIR] [WIDTHxHEIGHT] [RUNS]
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
SIZE=${2:-1280x720}
RUNS=${3:-5}
if [ "${4:-}" != "--inner" ]; then
    exec xvfb-run -a -s "-screen 0 ${SIZE}x24" bash "$0" "$BUILD" "$SIZE" "$RUNS" --inner
fi
WORK=$(mktemp -d)
trap 'kill $PID 2>/dev/null || true; rm -rf "$WORK"' EXIT
cc -O2 "$(dirname "$0")/pixel_wait.c" -lX11 -o "$WORK/pixel_wait"
export XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/run NIMBULA_DIR=$BUILD/res NIMBULA_MESSAGE_BOXES=stderr
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$BUILD/nimbula" /s >"$WORK/log" 2>&1 &
PID=$!
until xdotool search --onlyvisible --pid "$PID" >/dev/null 2>&1; do sleep 0.1; done
sleep 2
rss() { awk '/VmRSS/ { print $2 }' "/proc/$1/status"; }
# Proportional set sizes: the libraries the window's three processes share are counted once.
helper_pss() {
    local total=0 p
    for p in $(pgrep -f "$BUILD/nimbula-web") $(pgrep -f "webkit2gtk-4.1/WebKit"); do
        total=$((total + $(awk '/^Pss:/ { print $2 }' "/proc/$p/smaps_rollup" 2>/dev/null || echo 0)))
    done
    echo "$total"
}
# The help page's golden "Welcome" button, inside the window centred on the screen.
W=${SIZE%x*} H=${SIZE#*x}
w=$(( W * 9 / 10 < 747 ? W * 9 / 10 : 747 )); h=$(( H * 9 / 10 < 730 ? H * 9 / 10 : 730 ))
px=$(( (W - w) / 2 + 69 )); py=$(( (H - h) / 2 + 104 ))

echo "VmRSS of the saver before V: $(rss "$PID") kB"
for i in $(seq "$RUNS"); do
    "$WORK/pixel_wait" "$px" "$py" 246 203 28 1 >/dev/null && { echo "the page is on screen before V"; exit 1; } || true
    xdotool key v &
    KEY=$!
    ms=$("$WORK/pixel_wait" "$px" "$py" 246 203 28 10000)
    wait "$KEY"
    sleep 1
    echo "run $i: help page on screen $ms ms after V; VmRSS open: saver $(rss "$PID") kB, the window's processes (PSS) $(helper_pss) kB; load average $(cut -d' ' -f1 /proc/loadavg)"
    xdotool key Escape
    while pgrep -f "$BUILD/nimbula-web" >/dev/null; do sleep 0.1; done
    sleep 2
    echo "run $i: VmRSS of the saver after closing: $(rss "$PID") kB"
done
echo "peak memory of the saver: $(awk '/VmHWM/ { print $2 }' "/proc/$PID/status") kB"
