# Wine for the Windows tests, sourced by them: a prefix of the run's own, never the user's ~/.wine
# (made once per run and shared through NIMBULA_WINEPREFIX, else made in the test's folder), no
# Wine noise on the output, one wineserver kept running while the test runs.
# wine_start DIR: sets WINE, exports WINEPREFIX and WINEDEBUG. wine_stop: ends the server.
wine_start() {
    WINE=$(command -v wine || command -v /usr/lib/wine/wine64 || true)
    [ -n "$WINE" ] || { echo "FAIL: no wine (scripts/setup installs wine64)"; exit 1; }
    export WINEDEBUG=-all
    # No offer to download Mono or Gecko while the prefix is made, and no menu entries or icons
    # written into the desktop of the user running the tests for what an installer puts in the
    # Start menu.
    export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
    export WINEPREFIX=${NIMBULA_WINEPREFIX:-$1/wine}
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        timeout 180 wineboot -i >/dev/null 2>&1 || { echo "FAIL: cannot make the Wine prefix $WINEPREFIX"; exit 1; }
    fi
    # A cold start of the server costs about a second, a warm one a few milliseconds.
    timeout 30 wineserver -p >/dev/null 2>&1 || true
}

wine_stop() { timeout 30 wineserver -k >/dev/null 2>&1 || true; }

# A Linux path as Windows programs under Wine see it (the Z: drive).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Wine's console output without the CR of its line ends.
strip_cr() { tr -d '\r'; }

# The start of an end-to-end test under Wine (after common.sh): the prefix, the server ended with
# the test, no settings of ours from a test before (a shared prefix keeps the registry), and the
# data folder as the program sees it.
wine_e2e_start() {
    trap 'e2e_cleanup; wine_stop' EXIT
    wine_window_manager
    wine_start "$WORK"
    wine_forget_settings
    export NIMBULA_DIR
    NIMBULA_DIR=$(winpath "$NIMBULA_DIR")
}

# With NIMBULA_WINE_WM=openbox the test runs under that window manager, which hands the keyboard
# to the window it makes active (without one, keys go to the window under the pointer): the
# program must take and keep the keyboard itself. Stopped after everything the test started.
wine_window_manager() {
    [ -n "${NIMBULA_WINE_WM:-}" ] || return 0
    "$NIMBULA_WINE_WM" >"$WORK/window-manager.log" 2>&1 &
    track $!
    wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
    wait_until wm_running || fail "the window manager $NIMBULA_WINE_WM did not start"
}

# "under openbox" or "without a window manager", for the test's lines.
wine_desktop() { if [ -n "${NIMBULA_WINE_WM:-}" ]; then echo "under $NIMBULA_WINE_WM"; else echo "without a window manager"; fi; }

wine_forget_settings() { timeout 30 "$WINE" reg delete 'HKCU\Software\Nimbula' /f >/dev/null 2>&1 || true; }

# Runs the program in the background for at most SECONDS (default E2E_TIMEOUT + 30):
# wine_launch [-t SECONDS] NAME ARGS...; its pid goes to LAUNCHED.
wine_launch() {
    local limit=$((E2E_TIMEOUT + 30))
    if [ "$1" = "-t" ]; then limit=$2; shift 2; fi
    local name=$1
    shift
    launch "$name" timeout "$limit" "$WINE" "$BIN" "$@"
}

# For a script that runs Windows programs without a screen test around it: a work folder WORK of
# its own, removed at the end with the prefix's server (which would otherwise linger a few
# seconds), unless the prefix is shared by run_all.sh.
wine_script_start() {
    WORK=$(mktemp -d)
    trap '[ -n "${NIMBULA_WINEPREFIX:-}" ] || wine_stop; rm -rf "$WORK"' EXIT
    wine_start "$WORK"
}
