#!/usr/bin/env bash
# The Windows program under Wine on a private X server: /s draws the orbs and a key ends it with
# status 0; after M a mouse move ends it; a second saver ends at once, another mode is refused with
# the message; /p draws into a window that a test program made, follows its size and ends with it;
# /c and the .scr without arguments reach the setup; the settings are read from and written to the
# registry; messages go to standard error with NIMBULA_MESSAGE_BOXES=stderr.
# Usage: test_windows.sh MINGW_BUILD_DIR
E2E_BIN=$(cd "${1:?usage: test_windows.sh MINGW_BUILD_DIR}" && pwd)/nimbula.scr
source "$(dirname "$0")/../e2e/common.sh" test_windows "$@"
source "$(dirname "$0")/wine.sh"

# The prefix may be shared with the unit tests, whose settings store writes the registry (a default
# universe in a folder since gone): the program starts here from no settings of ours.
wine_e2e_start
data=$WORK/install

# Runs the program to its end: wine_run NAME ARGS...; its status goes to RC.
wine_run() {
    local name=$1
    shift
    RC=0
    timeout "$E2E_TIMEOUT" "$WINE" "$BIN" "$@" >"$WORK/$name.log" 2>&1 || RC=$?
    strip_cr <"$WORK/$name.log" >"$WORK/$name.txt"
}

orbs_shown() { shot "$1" && shows_ground "$1" && [ "$(bright_share "$1")" != 0 ]; }

# The screen saver: the orbs on the screen, then a second copy, then Escape.
wine_launch saver /s
saver=$LAUNCHED
wait_until orbs_shown saver || fail "/s drew no orbs"
pass "/s draws the orbs ($(bright_share saver) % of the screen lit)"

wine_run second /s
grep -qx "nimbula: the screen saver already shows; this copy ends" "$WORK/second.txt" ||
    fail "a second saver did not end at once with its line (status $RC)"
[ "$RC" = 0 ] || fail "the second saver ended with status $RC"
wine_run third /b
grep -qx "Please switch to the already running copy of Nimbula" "$WORK/third.txt" ||
    fail "a second copy in another mode was not refused with the message (status $RC)"
[ "$RC" = 0 ] || fail "the refused second copy ended with status $RC"
kill -0 "$saver" 2>/dev/null || fail "the first copy ended when the second was refused"
pass "a second saver ends at once with a line, another mode is refused with the message; the first runs on"

frames_drawn "$saver" || fail "the saver ended before Escape"
xdotool key Escape
wait_exit "$saver" || fail "Escape did not end the saver"
[ "$RC" = 0 ] || fail "the saver ended with status $RC after Escape"
pass "Escape ends the saver with status 0"

# With mouse tracking off (M), a real mouse move ends the saver.
xdotool mousemove 100 100
wine_launch moving /s
moving=$LAUNCHED
wait_until orbs_shown moving || fail "the second /s drew no orbs"
xdotool key m
frames_drawn "$moving" || fail "the saver ended after M alone"
kill -0 "$moving" 2>/dev/null || fail "M ended the saver"
# The first move sets where the mouse was; a later one far enough away ends the saver. Each move
# is read where the pointer is when the program gets to it, so keep moving until then.
step=0
mouse_moved_away() {
    step=$((step + 1))
    xdotool mousemove "$((200 + (step % 2) * 100))" "$((150 + (step % 2) * 100))"
    gone "$moving"
}
wait_until mouse_moved_away || fail "a mouse move with tracking off did not end the saver"
wait_exit "$moving" || fail "the saver did not end after the mouse moves"
[ "$RC" = 0 ] || fail "the saver ended with status $RC after the mouse move"
pass "after M a mouse move ends the saver with status 0"

# The preview: a test program plays Display Properties; the frame is read back from GL, as Wine
# shows no child window's OpenGL on the screen.
RC=0
NIMBULA_PREVIEW_SNAPSHOT=$(winpath "$WORK/preview.png") timeout $((E2E_TIMEOUT * 2)) "$WINE" \
    "$(dirname "$BIN")/nimbula-preview-host.exe" "$(winpath "$BIN")" "$(winpath "$WORK/preview-gdi.bmp")" \
    >"$WORK/preview.log" 2>&1 || RC=$?
strip_cr <"$WORK/preview.log" >"$WORK/preview.txt"
[ "$RC" = 0 ] || fail "the preview host ended with status $RC"
read -r _ cw ch < <(grep '^child ' "$WORK/preview.txt") || fail "/p made no child window in the host's window"
[ "$cw" -gt 100 ] && [ "$ch" -gt 100 ] || fail "the preview's child is ${cw}x$ch"
[ -f "$WORK/preview.png" ] || fail "the preview drew no frame"
# Orbs on the universe's ground: a frame drawn only in part (white where nothing was drawn) fails.
convert "$WORK/preview.png" -alpha off "$WORK/preview-ground.png"
shows_ground preview-ground && [ "$(bright_share preview)" != 0 ] || fail "the preview's frame shows no orbs on the ground"
grep -Eq '^resized ([0-9]+) ([0-9]+) of \1 \2$' "$WORK/preview.txt" || fail "the preview did not follow its window's size"
size=$(identify -format '%wx%h' "$WORK/preview.png")
grep -q "^resized ${size/x/ } " "$WORK/preview.txt" || fail "the preview was not drawn again at its new size ($size)"
grep -qx 'exit 0' "$WORK/preview.txt" || fail "the preview did not end with status 0 when its window went"
pass "/p draws into the host's window (${cw}x$ch, read back), redraws at its new size $size and ends with it"

wine_run internal /p
grep -qx "This option is only for Windows internal use!" "$WORK/internal.txt" || fail "/p alone did not give the message"
pass "/p without a window gives the internal-use message on standard error"

# The setup: /c, /c:HWND as Windows passes it, and the .scr with no argument open the setup dialog
# (test_windows_dialogs.sh works it); Escape cancels it and the program ends with status 0.
setup_shown() { xdotool search --onlyvisible --name '^Nimbula Screensaver Setup$' >/dev/null 2>&1; }
xdotool mousemove "$((E2E_WIDTH / 2))" "$((E2E_HEIGHT / 2))"
for args in "/c" "/c:1234" ""; do
    wine_launch setup $args
    setup=$LAUNCHED
    wait_until setup_shown || fail "setup '$args' opened no setup dialog"
    # A key that reaches the window before Wine has made it the active one is lost: again until it ends.
    escape_ends_setup() { xdotool key Escape; sleep 0.5; gone "$setup"; }
    wait_until escape_ends_setup || fail "Escape did not end setup '$args'"
    wait_exit "$setup" || fail "setup '$args' did not end"
    [ "$RC" = 0 ] || fail "setup '$args' ended with status $RC"
    wait_until -t 10 eval '! setup_shown' || fail "the setup dialog of '$args' stayed on the screen"
done
pass "/c, /c:1234 and no argument open the setup dialog; Escape ends each with status 0"

# The registry: the data folder from HKEY_CURRENT_USER\Software\Nimbula "directory", the default
# universe "UnivFile" read, loaded and written back in full. The program runs from a folder with
# no data beside it, without NIMBULA_DIR, from the library folder, so "Galaxy.nmd" is relative.
mkdir -p "$WORK/bin"
cp "$BIN" "$WORK/bin/"
timeout 30 "$WINE" reg add 'HKCU\Software\Nimbula' /v directory /t REG_SZ /d "$(winpath "$data")" /f >/dev/null 2>&1 ||
    fail "reg add directory"
timeout 30 "$WINE" reg add 'HKCU\Software\Nimbula\APP' /v UnivFile /t REG_SZ /d Galaxy.nmd /f >/dev/null 2>&1 ||
    fail "reg add UnivFile"
RC=0
(cd "$data/universes" && env -u NIMBULA_DIR timeout "$E2E_TIMEOUT" "$WINE" "$WORK/bin/nimbula.scr" /s --frames 20) \
    >"$WORK/registry.log" 2>&1 || RC=$?
strip_cr <"$WORK/registry.log" >"$WORK/registry.txt"
[ "$RC" = 0 ] || fail "/s with the registry's settings ended with status $RC"
grep -q 'not correctly installed' "$WORK/registry.txt" && fail "the registry's \"directory\" was not used"
grep -q '^frames: 20,' "$WORK/registry.txt" || fail "/s --frames 20 did not paint its frames"
timeout 30 "$WINE" reg query 'HKCU\Software\Nimbula\APP' /v UnivFile 2>/dev/null | strip_cr >"$WORK/reg.txt" || true
want="$(winpath "$data/universes/Galaxy.nmd")"
grep -Fq "REG_SZ    $want" "$WORK/reg.txt" || fail "UnivFile is not the loaded file's full path: $(cat "$WORK/reg.txt")"
pass "the data folder comes from the registry, and the loaded default universe is written back as $want"
echo "test_windows: ok ($(wine_desktop))"
