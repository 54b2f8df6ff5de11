#!/usr/bin/env bash
# Dialog figures of the Windows program under Wine on Xvfb: how soon each dialog is on screen after
# its key (its black face reaching the middle of the screen; the about box's light one), and the
# processor time the program (and Wine's server) take while a dialog stands open with no input.
# Usage: bench/windows_dialogs.sh MINGW_BUILD_DIR [WIDTHxHEIGHT] [RUNS]
set -euo pipefail
BUILD=$(cd "${1:?usage: windows_dialogs.sh MINGW_BUILD_DIR [WIDTHxHEIGHT] [RUNS]}" && pwd)
SIZE=${2:-1280x720}
RUNS=${3:-5}
if [ "${4:-}" != "--inner" ]; then
    exec xvfb-run -a -s "-screen 0 ${SIZE}x24" bash "$0" "$BUILD" "$SIZE" "$RUNS" --inner
fi
here=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
source "$here/../tests/cross/wine.sh"
trap 'kill $PID 2>/dev/null || true; wine_stop; rm -rf "$WORK"' EXIT
wine_start "$WORK"
cc -O2 "$here/pixel_wait.c" -lX11 -o "$WORK/pixel_wait"
export NIMBULA_DIR NIMBULA_MESSAGE_BOXES=stderr
NIMBULA_DIR=$(winpath "$BUILD/res")
"$WINE" "$BUILD/nimbula.scr" /s >"$WORK/log" 2>&1 &
PID=$!
cx=$(( ${SIZE%x*} / 2 )); cy=$(( ${SIZE#*x} / 2 ))
# The saver's dark blue ground, then a few seconds for the start to settle.
"$WORK/pixel_wait" 2 2 0 0 25 60000 >/dev/null
sleep 3
xdotool mousemove "$cx" "$cy"
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
# Wine's server of this prefix (other runs may have servers of their own).
server=""
for p in $(pgrep -f wineserver || true); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && server=$p
done

# KEY R G B NAME: the time from the key to the dialog's face in the middle of the screen.
time_dialog() {
    local key=$1 r=$2 g=$3 b=$4 name=$5 i ms all=""
    for ((i = 1; i <= RUNS; i++)); do
        # The last dialog is gone and the ground shows in the middle (else the run does not count).
        "$WORK/pixel_wait" "$cx" "$cy" 0 0 25 10000 >/dev/null 2>&1 || { sleep 1; continue; }
        xdotool key "$key" &
        local sent=$!
        ms=$("$WORK/pixel_wait" "$cx" "$cy" "$r" "$g" "$b" 5000)
        wait "$sent"
        all="$all $ms"
        if [ "$i" = "$RUNS" ] && [ "$key" = o ]; then
            local t0 s0 t1 s1
            t0=$(ticks "$PID"); s0=$([ -n "$server" ] && ticks "$server" || echo 0)
            sleep 10
            t1=$(ticks "$PID"); s1=$([ -n "$server" ] && ticks "$server" || echo 0)
            echo "processor time with the options dialog open, no input: $(awk -v a="$t0" -v b="$t1" -v hz="$hz" 'BEGIN { printf "%.2f", (b - a) / hz / 10 * 100 }') % of one core (Wine's server $(awk -v a="$s0" -v b="$s1" -v hz="$hz" 'BEGIN { printf "%.2f", (b - a) / hz / 10 * 100 }') %)"
        fi
        xdotool key Escape
        # Wine without a window manager takes 2 to 3 s to destroy a top-level window, and the
        # program waits for that: a key sent sooner would time the destruction too.
        sleep 4
    done
    echo "$name on screen after its key (ms, $RUNS runs):$all"
}
time_dialog o 0 0 0 "options dialog"
time_dialog h 0 0 0 "help box"
time_dialog s 0 0 0 "share dialog"
time_dialog a 240 240 240 "about box"
