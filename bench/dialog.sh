#!/usr/bin/env bash
# Dialog figures of the real program under Xvfb: how soon the help box is on screen after H, the
# processor time the program takes while a dialog stands open with no input, and its peak memory.
# Usage: bench/dialog.sh [BUILD_DIR] [WIDTHxHEIGHT] [ORBS]
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
SIZE=${2:-1920x1080}
ORBS=${3:-250}
if [ "${4:-}" != "--inner" ]; then
    exec xvfb-run -a -s "-screen 0 ${SIZE}x24" bash "$0" "$BUILD" "$SIZE" "$ORBS" --inner
fi
WORK=$(mktemp -d)
trap 'kill $PID 2>/dev/null || true; rm -rf "$WORK"' EXIT
cc -O2 "$(dirname "$0")/pixel_wait.c" -lX11 -o "$WORK/pixel_wait"
export XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/run NIMBULA_DIR=$BUILD/res
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$BUILD/nimbula" /s --orbs "$ORBS" >"$WORK/log" 2>&1 &
PID=$!
until xdotool search --onlyvisible --pid "$PID" >/dev/null 2>&1; do sleep 0.1; done
sleep 2
cx=$(( ${SIZE%x*} / 2 )); cy=$(( ${SIZE#*x} / 2 ))
ticks() { awk '{ print $14 + $15 }' "/proc/$PID/stat"; }
hz=$(getconf CLK_TCK)

# The help box's black face reaches the middle of the screen.
for i in 1 2 3 4 5; do
    "$WORK/pixel_wait" "$cx" "$cy" 0 0 0 1 >/dev/null && { echo "the middle is black before H"; exit 1; } || true
    xdotool key h &
    KEY=$!
    ms=$("$WORK/pixel_wait" "$cx" "$cy" 0 0 0 3000)
    wait "$KEY"
    echo "help box on screen after H: $ms ms"
    if [ "$i" = 5 ]; then
        t0=$(ticks); sleep 10; t1=$(ticks)
        echo "processor time with the help box open, no input: $(awk -v a="$t0" -v b="$t1" -v hz="$hz" 'BEGIN { printf "%.2f", (b - a) / hz / 10 * 100 }') % of one core"
    fi
    xdotool key Escape
    sleep 1
done
t0=$(ticks); sleep 5; t1=$(ticks)
echo "processor time running ($ORBS orbs, $SIZE): $(awk -v a="$t0" -v b="$t1" -v hz="$hz" 'BEGIN { printf "%.1f", (b - a) / hz / 5 * 100 }') % of one core"
echo "peak memory: $(awk '/VmHWM/ { printf "%.1f MB", $2 / 1024 }' "/proc/$PID/status")"
