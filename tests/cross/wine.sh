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
