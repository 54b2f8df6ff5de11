#!/usr/bin/env bash
# Random clicks and keys over the Windows dialogs under Wine and a window manager (openbox, or
# NIMBULA_WINE_WM), with a fixed seed so a failure replays: rounds over the saver's dialogs (O, S,
# A, H), the setup (/c), and the editing frame with its toolbar's dialogs, Open and Save As among
# them. Each round opens a window, clicks, drags and types at random in the window in front, then
# Escape (or Return on a box) closes what is open. Fails on a crash (Wine's crash dialog, an
# "Unhandled exception" or page fault in a log), a status other than 0, a program that no longer
# answers (its windows do not close, it does not end when asked), or a process left behind.
# Clicks for NIMBULA_CLICK_SECONDS (default 60). Usage: test_windows_clicks.sh MINGW_BUILD_DIR
E2E_BIN=$(cd "${1:?usage: test_windows_clicks.sh MINGW_BUILD_DIR}" && pwd)/nimbula.scr
E2E_WIDTH=1024
E2E_HEIGHT=768
source "$(dirname "$0")/../e2e/common.sh" test_windows_clicks "$@"
source "$(dirname "$0")/wine.sh"

NIMBULA_WINE_WM=${NIMBULA_WINE_WM-openbox}
SECONDS_TO_RUN=${NIMBULA_CLICK_SECONDS:-60}
# Another seed (NIMBULA_CLICK_SEED) explores other paths; a failure replays with its seed.
RANDOM=${NIMBULA_CLICK_SEED:-3131}
wine_e2e_start
unset NIMBULA_MESSAGE_BOXES
# A page a dialog opens in the browser goes to this stand-in, not to a browser of the machine.
mkdir -p "$WORK/bin" "$WORK/fake"
printf '#!/bin/sh\necho "$@" >>"%s/browser.txt"\n' "$WORK" >"$WORK/fake/xdg-open"
chmod +x "$WORK/fake/xdg-open"
export PATH=$WORK/fake:$PATH
# The program runs from the test's folder: whatever is left running is found by that path.
cp "$BIN" "$WORK/bin/nimbula.scr"
cp "$BIN" "$WORK/bin/nimbula.exe"

ours() { ps -eo pid=,args= | grep -F "$(winpath "$WORK/bin")" | grep -v grep || true; }
crashed() {
    xdotool search --onlyvisible --class winedbg >/dev/null 2>&1 && return 0
    grep -qE "Unhandled exception|Unhandled page fault|winedbg" "$WORK"/run-*.log 2>/dev/null
}
check_crash() { ! crashed || fail "a crash after $clicks clicks in $rounds rounds ($phase)"; }
# The windows of the program under test (its dialogs and the system's), one id a line: those the
# window manager keeps (not tips or Wine's own windows); without one, the named visible ones.
windows() {
    local w
    if xprop -root _NET_CLIENT_LIST >/dev/null 2>&1; then
        for w in $(xprop -root _NET_CLIENT_LIST | grep -o '0x[0-9a-f]*'); do
            xprop -id "$w" WM_CLASS 2>/dev/null | grep -q '"nimbula' && echo "$((w))"
        done
    else
        for w in $(xdotool search --onlyvisible --classname "nimbula" 2>/dev/null); do
            [ -n "$(xdotool getwindowname "$w" 2>/dev/null)" ] && echo "$w"
        done
    fi
    return 0
}
name_of() { local n; n=$(xdotool getwindowname "$1" 2>/dev/null); echo "${n:-(untitled)}"; }
window_count() { windows | wc -l; }
# The program's window on top (the window manager's stacking order), or nothing.
top_window() {
    local ours_now
    ours_now=$(windows)
    xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null | grep -o '0x[0-9a-f]*' | while read -r w; do
        grep -qx "$((w))" <<<"$ours_now" && echo "$((w))"
    done | tail -1
}
# A click on the bare desktop takes the keyboard from the program, as it would on Windows: its
# window on top is made active again (as a click on it would), so the keys reach it.
refocus() {
    local top
    # The saver covers the screen: a click lands on it or its dialog, never on the desktop, and
    # the keyboard must stay with it by itself.
    [ "$phase" != saver ] || return 0
    top=$(top_window)
    [ -n "$top" ] || return 0
    windows | grep -qx "$(xdotool getwindowfocus 2>/dev/null)" || xdotool windowactivate "$top" 2>/dev/null || true
}
# "x y width height" of window ID on the screen.
box_of() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { if (w) print x, y, w, h; else exit 1 }'
}

keys=(Tab Tab shift+Tab space Return Down Up Home End Left Right BackSpace a 7 x ctrl+a ctrl+c ctrl+v ctrl+p Delete)
# Thirty clicks, drags and keys in the window in front (a fifth of them anywhere on the screen).
storm() {
    local front box x y w h n
    windows | while read -r w; do name_of "$w"; done >>"$WORK/seen.txt"
    for n in 1 2 3 4 5 6; do
        refocus
        front=$(xdotool getactivewindow 2>/dev/null || true)
        box=$( [ -n "$front" ] && box_of "$front" || echo "0 0 $E2E_WIDTH $E2E_HEIGHT")
        read -r x y w h <<<"$box"
        batch=()
        for _ in 1 2 3 4 5; do
            local px=$((x + RANDOM % (w > 0 ? w : 1))) py=$((y + RANDOM % (h > 0 ? h : 1)))
            [ $((RANDOM % 5)) -ne 0 ] || { px=$((RANDOM % E2E_WIDTH)); py=$((RANDOM % E2E_HEIGHT)); }
            case $((RANDOM % 5)) in
            0) batch+=(mousemove "$px" "$py" mousedown 1 mousemove "$((px + RANDOM % 80))" "$((py + RANDOM % 80))" mouseup 1) ;;
            1 | 2) batch+=(key "${keys[RANDOM % ${#keys[@]}]}") ;;
            *) batch+=(mousemove "$px" "$py" click 1) ;;
            esac
        done
        xdotool "${batch[@]}" 2>/dev/null || true
        clicks=$((clicks + 5))
        sleep 0.2
    done
    check_crash
}
# Back to the program's one window (none once it ended): Escape, and Return for a box that
# takes no Escape; a program that keeps its windows does not answer.
settle() {
    local main=$1 i
    for i in $(seq 20); do
        gone "$main" && return 0
        [ "$(window_count)" -le 1 ] && return 0
        refocus
        xdotool key "$([ $((i % 4)) = 0 ] && echo Return || echo Escape)"
        sleep 0.5
    done
    check_crash
    shot stuck
    fail "the program still shows $(window_count) windows after 20 Escapes ($phase): $(windows | while read -r w; do name_of "$w"; done | tr '\n' ',')"
}
# The program ended: with status 0, and no crash.
ended_well() {
    wait_exit "$1" 20 || { check_crash; shot stuck; fail "the program did not end when asked ($phase, after $clicks clicks; $(focus_text))"; }
    check_crash
    [ "$RC" = 0 ] || fail "the program ended with status $RC ($phase, after $clicks clicks)"
}
focus_text() { echo "the keyboard on '$(name_of "$(xdotool getwindowfocus 2>/dev/null)")', windows: $(windows | while read -r w; do name_of "$w"; done | tr '\n' ',')"; }
# Escape ends the saver and the setup (again, should a key come before the window is active).
escape_until_gone() {
    local i
    for i in $(seq 10); do
        gone "$1" && return 0
        refocus
        xdotool key Escape
        wait_exit "$1" 1 && return 0
    done
}
# Starts the program NAME ARGS; waits for its first window.
start() {
    runs=$((runs + 1))
    local program=$1
    shift
    launch "run-$runs" timeout 300 "$WINE" "$WORK/bin/$program" "$@"
    main=$LAUNCHED
    wait_until eval '[ "$(window_count)" -ge 1 ] || gone "$main"' || fail "no window of $program $* ($phase)"
    sleep 1
}

clicks=0 rounds=0 runs=0
end=$((SECONDS + SECONDS_TO_RUN))
phases=(saver setup frame)
while [ "$SECONDS" -lt "$end" ]; do
    phase=${phases[runs % 3]}
    case $phase in
    saver)
        start nimbula.scr /s
        for opener in $(printf 'o\ns\na\nh\n' | shuf --random-source=<(yes "$RANDOM")); do
            # A key or click of the last round may have ended the saver (with status 0): again.
            if gone "$main"; then
                ended_well "$main"
                [ "$SECONDS" -lt "$end" ] || break
                start nimbula.scr /s
            fi
            xdotool key "$opener"
            wait_until -t 10 eval '[ "$(window_count)" -ge 2 ] || gone "$main"' ||
                { shot stuck; fail "the saver lost the keyboard: $opener opened nothing after $clicks clicks ($(focus_text))"; }
            storm
            settle "$main"
            rounds=$((rounds + 1))
            # Keys that come while a dialog closes are the dialog's, dropped with it.
            sleep 1
        done
        escape_until_gone "$main"
        ended_well "$main"
        ;;
    setup)
        start nimbula.scr /c
        storm
        settle "$main"
        escape_until_gone "$main"
        ended_well "$main"
        rounds=$((rounds + 1))
        ;;
    frame)
        start nimbula.exe
        frame_id=$(windows | head -1)
        for opener in 2 3 any; do
            gone "$main" && break
            read -r fx fy _ _ <<<"$(box_of "$frame_id")"
            # Open and Save As (the toolbar's second and third buttons, 39 pixels apart), then
            # any button or a dialog's key on the universe's pane.
            [ "$opener" = any ] && opener=$((1 + RANDOM % 16))
            if [ "$opener" -le 12 ]; then
                xdotool mousemove "$((fx + 20 + 39 * (opener - 1)))" "$((fy + 20))" click 1
            else
                xdotool mousemove "$((fx + 300))" "$((fy + 300))" key "$(printf 'o\ns\na\nh' | sed -n "$((opener - 12))p")"
            fi
            wait_until -t 5 eval '[ "$(window_count)" -ge 2 ] || gone "$main"' || true
            storm
            settle "$main"
            rounds=$((rounds + 1))
        done
        # Alt+F4; unsaved work is asked about, and No ends the frame.
        for _ in 1 2 3 4 5; do
            gone "$main" && break
            xdotool windowactivate "$frame_id" 2>/dev/null || true
            xdotool key alt+F4
            sleep 1
            [ "$(window_count)" -ge 2 ] && xdotool key n
            wait_exit "$main" 5 || true
        done
        gone "$main" || fail "the frame did not end on Alt+F4 (after $clicks clicks)"
        ended_well "$main"
        ;;
    esac
done
wait_until -t 30 eval '[ -z "$(ours)" ]' || fail "processes left behind: $(ours)"
check_crash
[ "$rounds" -ge 3 ] || fail "only $rounds rounds in $SECONDS_TO_RUN s"
seen=$(sort -u "$WORK/seen.txt" | grep -vx Nimbula | tr '\n' ';')
pass "seed ${NIMBULA_CLICK_SEED:-3131}: $clicks clicks and keys in $rounds rounds over $runs runs of the saver, the setup and the frame (windows clicked in: $seen): no crash, hang or process left"
echo "test_windows_clicks: ok ($(wine_desktop))"
