# Shared start and helpers of the end-to-end tests: find the program, run the test on a private X
# server, give it private data, settings and lock folders, and wait for conditions, not for times.
# Source with: source common.sh NAME BUILD_DIR "$@"; sets BIN and WORK, exports DISPLAY and
# XAUTHORITY. The script runs again inside (with --inner) while this first copy keeps the X
# server, which it ends after the test, whatever the test's own traps do. Whatever a test starts
# with `launch` or `track` is stopped when the test ends.

e2e_name=$1
BUILD=$(cd "${2:?usage: $e2e_name BUILD_DIR}" && pwd)
# The program under test; the Windows tests name the .scr (E2E_BIN) and run it under Wine.
BIN=${E2E_BIN:-$BUILD/nimbula}
if [ ! -x "$BIN" ]; then
    echo "$e2e_name: no $BIN (a build without the program); nothing to test"
    exit 0
fi

# The longest any one condition may take. Most hold at once; on a machine busy with other builds
# and tests a start-up can take many seconds, and a wait that ends early is a false failure.
E2E_TIMEOUT=${NIMBULA_E2E_TIMEOUT:-60}
# The private screen; a test may ask for another size before it sources this.
E2E_WIDTH=${E2E_WIDTH:-640}
E2E_HEIGHT=${E2E_HEIGHT:-480}

# Prints the reason and every log of the test, then ends the test with failure.
fail() {
    echo "FAIL: $*"
    local f
    for f in "$WORK"/*.log; do [ -f "$f" ] && sed "s|^|  $(basename "$f" .log): |" "$f"; done
    exit 1
}

pass() { echo "ok: $*"; }

# Ends pid (TERM, after the time-out KILL) unless it has ended already, and reaps it.
stop_process() {
    kill -0 "$1" 2>/dev/null || { wait "$1" 2>/dev/null || true; return 0; }
    kill -TERM "$1" 2>/dev/null || true
    wait_exit "$1" || { kill -KILL "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }
}

# Runs a command until it succeeds: wait_until [-t SECONDS] COMMAND [ARGS...]. Status 1 when the
# time (default E2E_TIMEOUT) runs out first.
wait_until() {
    local timeout=$E2E_TIMEOUT
    if [ "$1" = "-t" ]; then timeout=$2; shift 2; fi
    local end=$((SECONDS + timeout))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.05
    done
}

# Waits until pid has ended; its exit status goes to RC. Status 1 when it still runs after
# [SECONDS] (default E2E_TIMEOUT).
wait_exit() {
    local end=$((SECONDS + ${2:-$E2E_TIMEOUT}))
    while kill -0 "$1" 2>/dev/null; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.05
    done
    RC=0
    wait "$1" 2>/dev/null || RC=$?
}

# Runs a command with its output dropped: for checks that print as they look.
quiet() { "$@" >/dev/null 2>&1; }

# Succeeds once pid has ended, whoever its parent is.
gone() { ! kill -0 "$1" 2>/dev/null; }

# Has pid stopped when the test ends (a process the test started in the background).
track() { E2E_PIDS+=("$1"); }

# Starts a command in the background with its output in $WORK/NAME.log; its pid goes to LAUNCHED.
launch() {
    local name=$1
    shift
    "$@" >"$WORK/$name.log" 2>&1 &
    LAUNCHED=$!
    track "$LAUNCHED"
}

# Prints the id of the first visible window of pid once there is one. Status 1 when the process
# ends first or the time runs out.
wait_for_window() {
    local end=$((SECONDS + E2E_TIMEOUT)) wid
    while :; do
        wid=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -1 || true)
        if [ -n "$wid" ]; then
            echo "$wid"
            return 0
        fi
        kill -0 "$1" 2>/dev/null || return 1
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.05
    done
}

# Screenshot of the screen (or of WINDOW) to $WORK/NAME.png: shot NAME [WINDOW].
# Bounded: a server that stopped answering fails the test instead of hanging it.
shot() { timeout 30 import -window "${2:-root}" "$WORK/$1.png"; }

# Waits until the program has drawn two frames after the call began, so that whatever was sent
# to it before (keys, clicks, pointer moves) has been handled and is on the screen. A tiny black
# window at the top right corner of the screen, closed again, leaves black pixels there that only
# the program's next frame paints over; the second such frame began after the first had ended.
# For a program that covers that corner (full screen); an expose asks even an idle one to paint.
# frames_drawn [PID]: status 1 when process PID ends instead.
frames_drawn() {
    local pid=${1:-} probe _
    for _ in 1 2; do
        xev -rv -bw 0 -geometry "2x2+$((E2E_WIDTH - 2))+0" -name nimbula-probe >/dev/null 2>&1 &
        probe=$!
        track "$probe"
        wait_until probe_shown || fail "the frame probe did not appear"
        stop_process "$probe"
        wait_until painted_or_ended "$pid" || fail "the program drew no frame in $E2E_TIMEOUT s"
        [ -z "$pid" ] || kill -0 "$pid" 2>/dev/null || return 1
    done
}
probe_shown() { xdotool search --onlyvisible --name '^nimbula-probe$' >/dev/null 2>&1; }
painted_or_ended() {
    [ -n "$1" ] && ! kill -0 "$1" 2>/dev/null && return 0
    [ "$(import -window root -crop "1x1+$((E2E_WIDTH - 1))+0" -format '%[pixel:p{0,0}]' info:)" != "srgb(0,0,0)" ]
}

# A screenshot to $WORK/NAME.png that shows everything sent to the program before the call:
# shot_after_frames NAME [PID]; status 1 when process PID ends instead.
shot_after_frames() {
    frames_drawn "${2:-}" || return 1
    shot "$1"
}

# Share of the picture's pixels clearly brighter than the dark blue ground, in percent.
bright_share() { convert "$WORK/$1.png" -colorspace gray -threshold 20% -format "%[fx:int(mean*1000)/10]" info:; }

# How many pixels of two screenshots differ: differing_pixels NAME1 NAME2 [FUZZ%].
differing_pixels() { compare -metric AE -fuzz "${3:-0}%" "$WORK/$1.png" "$WORK/$2.png" null: 2>&1 || true; }

# Screenshots NAME until two in a row are the same, so a frame caught half drawn does not count:
# the picture has come to rest (a dialog over a frozen universe). until_still NAME [FUZZ%];
# status 1 when it keeps changing for E2E_TIMEOUT seconds.
until_still() {
    local end=$((SECONDS + E2E_TIMEOUT))
    shot "$1"
    while [ "$SECONDS" -lt "$end" ]; do
        sleep 0.2
        shot "$1-next"
        [ "$(differing_pixels "$1" "$1-next" "${2:-0}")" = 0 ] && return 0
        mv "$WORK/$1-next.png" "$WORK/$1.png"
    done
    return 1
}

# Screenshots NAME and NAME-next until they differ: the universe moves. until_moving NAME [FUZZ%];
# status 1 when nothing moves for E2E_TIMEOUT seconds.
until_moving() {
    local end=$((SECONDS + E2E_TIMEOUT))
    while [ "$SECONDS" -lt "$end" ]; do
        shot "$1"
        sleep 0.2
        shot "$1-next"
        [ "$(differing_pixels "$1" "$1-next" "${2:-0}")" != 0 ] && return 0
    done
    return 1
}

# The universe's ground, a dark blue (0, 0, 0.1), at the picture's top left corner.
shows_ground() {
    case "$(convert "$WORK/$1.png" -format "%[pixel:p{2,2}]" info:)" in
        "srgb(0,0,25)"|"srgb(0,0,26)") return 0 ;;
        *) return 1 ;;
    esac
}

# Starts a private Xvfb and points DISPLAY and XAUTHORITY at it. The server picks a free display
# itself (-displayfd, taken under the server's own lock) and names it only once it accepts
# connections; xvfb-run -a guesses a number from lock files instead. -noreset: a bare server
# otherwise resets whenever its last client leaves and refuses the next one for a moment, which
# is exactly when a test starts the program again.
e2e_start_xvfb() {
    local cookie fd display= end
    cookie=$(mcookie)
    # The server accepts every cookie of its file, whatever display the entry names.
    : >"$WORK/xvfb.auth"
    xauth -q -f "$WORK/xvfb.auth" add :0 . "$cookie"
    mkfifo "$WORK/xvfb.fifo"
    exec {fd}<>"$WORK/xvfb.fifo"
    Xvfb -displayfd "$fd" -screen 0 "${E2E_WIDTH}x${E2E_HEIGHT}x24" -nolisten tcp -noreset -auth "$WORK/xvfb.auth" \
        >"$WORK/xvfb.out" 2>&1 &
    E2E_XVFB=$!
    end=$((SECONDS + E2E_TIMEOUT))
    until read -r -t 1 -u "$fd" display; do
        if ! kill -0 "$E2E_XVFB" 2>/dev/null || [ "$SECONDS" -ge "$end" ]; then
            exec {fd}>&-
            echo "FAIL: Xvfb did not start"
            sed 's/^/  Xvfb: /' "$WORK/xvfb.out"
            exit 1
        fi
    done
    exec {fd}>&-
    : >"$WORK/xauthority"
    xauth -q -f "$WORK/xauthority" add ":$display" . "$cookie"
    export DISPLAY=:$display XAUTHORITY=$WORK/xauthority
}

# The processes below pid, with how long they have run: e2e_descendants PID.
e2e_descendants() {
    ps -eo pid=,ppid=,etime=,args= | awk -v root="$1" '
        { pid[NR] = $1; parent[NR] = $2; line[NR] = $0 }
        END {
            keep[root] = 1
            for (changed = 1; changed;) {
                changed = 0
                for (i = 1; i <= NR; i++) if (keep[parent[i]] && !keep[pid[i]]) { keep[pid[i]] = 1; changed = 1 }
            }
            for (i = 1; i <= NR; i++) if (keep[pid[i]]) print substr(line[i], 1, 200)
        }'
}

# A test stopped from outside (ctest's time-out, Ctrl+C) still cleans up.
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP

if [ "${3:-}" != "--inner" ]; then
    # A driver asked for elsewhere (offscreen, wayland) would not draw on our server.
    unset SDL_VIDEODRIVER WAYLAND_DISPLAY
    WORK=$(mktemp -d)
    E2E_XVFB=
    trap '[ -z "$E2E_XVFB" ] || stop_process "$E2E_XVFB"; rm -rf "$WORK"' EXIT
    e2e_start_xvfb
    bash "$0" "$BUILD" --inner &
    E2E_INNER=$!
    # Stopped from outside: the test ends first (its own clean-up), then the X server.
    trap 'stop_process "$E2E_INNER"; exit 143' TERM
    trap 'stop_process "$E2E_INNER"; exit 130' INT
    trap 'stop_process "$E2E_INNER"; exit 129' HUP
    # A test that runs out of its time (ctest gives 300 s) says what it was still running, so a
    # run stopped from outside is not silent.
    if ! wait_exit "$E2E_INNER" "${NIMBULA_E2E_DEADLINE:-240}"; then
        echo "FAIL: $e2e_name still runs after ${NIMBULA_E2E_DEADLINE:-240} s; what it is running:"
        e2e_descendants "$E2E_INNER" | tee "$WORK/stuck" | sed 's/^/  /'
        # The shell runs its clean-up only once the command it waits for has ended: end that first.
        awk -v inner="$E2E_INNER" '$1 != inner { print $1 }' "$WORK/stuck" | xargs -r kill -TERM 2>/dev/null || true
        stop_process "$E2E_INNER"
        exit 1
    fi
    exit "$RC"
fi

WORK=$(mktemp -d)
E2E_PIDS=()
e2e_cleanup() {
    local i
    # Last started, first stopped: a program goes before the window manager it runs under.
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do stop_process "${E2E_PIDS[i]}"; done
    if [ -n "${NIMBULA_E2E_KEEP:-}" ]; then
        mkdir -p "$NIMBULA_E2E_KEEP" && cp "$WORK"/*.png "$WORK"/*.log "$NIMBULA_E2E_KEEP"/ 2>/dev/null || true
    fi
    rm -rf "$WORK"
}
trap e2e_cleanup EXIT

export NIMBULA_MESSAGE_BOXES=stderr
export NIMBULA_DIR=$WORK/install
export XDG_CONFIG_HOME=$WORK/config
# The universe library is seeded on the first start: into the test's own folder, not the home.
export XDG_DATA_HOME=$WORK/data
# Our own runtime folder: the single-instance lock of another test run must not refuse us.
export XDG_RUNTIME_DIR=$WORK/run
mkdir -p "$NIMBULA_DIR" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cp -r "$BUILD"/res/* "$NIMBULA_DIR"/
