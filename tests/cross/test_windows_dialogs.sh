#!/usr/bin/env bash
# The Windows dialogs under Wine on a private X server, over the running saver (/s): O, S, A and H
# each open their dialog above it and close with Escape or OK while the saver runs on; the options
# dialog's "# Orbs" changes the population; the share dialog's Get Data and copy reach the X
# clipboard and a friend's string pasted with Set Data becomes the universe; the setup (/c)
# stores the default universe in the registry and /s then runs it.
# Usage: test_windows_dialogs.sh MINGW_BUILD_DIR LINUX_BUILD_DIR (for nimbula-tool)
E2E_BIN=$(cd "${1:?usage: test_windows_dialogs.sh MINGW_BUILD_DIR LINUX_BUILD_DIR}" && pwd)/nimbula.scr
# The test runs again inside its X server with the first argument alone: the tool goes by the environment.
if [ "${2:-}" != "--inner" ]; then
    NIMBULA_HOST_TOOL=$(cd "${2:?usage: test_windows_dialogs.sh MINGW_BUILD_DIR LINUX_BUILD_DIR}" && pwd)/nimbula-tool
    export NIMBULA_HOST_TOOL
fi
tool=$NIMBULA_HOST_TOOL
source "$(dirname "$0")/../e2e/common.sh" test_windows_dialogs "$@"
source "$(dirname "$0")/wine.sh"

wine_e2e_start

# How many pixels of the screenshot are within 12 % of a colour.
colour_pixels() {
    convert "$WORK/$1.png" -fuzz 12% -fill white -opaque "$2" -fill black +opaque white \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}
# Screenshots NAME until at least N pixels show colour C (a dialog in its scheme is up).
has_colour() { shot "$1" && [ "$(colour_pixels "$1" "$2")" -ge "$3" ]; }
# ... or until fewer than N do (it has gone).
lacks_colour() { shot "$1" && [ "$(colour_pixels "$1" "$2")" -lt "$3" ]; }
orbs_shown() { shot "$1" && shows_ground "$1" && [ "$(bright_share "$1")" != 0 ]; }
clipboard() { xclip -o -selection clipboard 2>/dev/null || true; }
clipboard_is_string() { got=$(clipboard); [ ${#got} = 708 ]; }
clipboard_is_friend() { got=$(clipboard); [ "$got" = "$friend" ]; }
# "x y width height" of the client area of the visible window titled NAME.
window_box() {
    local id
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [ -n "$id" ] || return 1
    xwininfo -id "$id" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { print x, y, w, h }'
}
saver_runs() { kill -0 "$saver" 2>/dev/null || fail "the saver ended while $1"; }

wine_launch -t "$((E2E_TIMEOUT * 4))" saver /s
saver=$LAUNCHED
wait_until orbs_shown saver || fail "/s drew no orbs"
# Without a window manager, keys go to the window under the pointer: the middle of the screen,
# where every dialog opens too. Under one (NIMBULA_WINE_WM) they go to the window it made active:
# the saver, and after each dialog closes the saver again.
xdotool mousemove "$((E2E_WIDTH / 2))" "$((E2E_HEIGHT / 2))"

# --- O: the options dialog, red on black above the saver; "# Orbs" to its lowest, OK ---
before=$(bright_share saver)
xdotool key o
wait_until has_colour options "rgb(255,0,0)" 2000 || fail "O opened no red options dialog above the saver"
saver_runs "the options dialog opened"
# From "Gravity" back through the universe list, Cancel and OK to "# Orbs"; Home, then Return.
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab Home Return
wait_until lacks_colour options-closed "rgb(255,0,0)" 200 || fail "Return did not close the options dialog"
saver_runs "the options dialog closed"
fewer() { shot fewer && shows_ground fewer && awk -v a="$(bright_share fewer)" -v b="$before" 'BEGIN { exit !(a * 4 < b) }'; }
wait_until fewer || fail "the orbs did not thin out after '# Orbs' went to its lowest (lit $before % before, $(bright_share fewer) % after)"
pass "O opens the options dialog above the saver; '# Orbs' at its lowest and OK leave one orb ($before % lit before, $(bright_share fewer) % after)"

# --- S: Get Data, the text area's string copied to the clipboard; Escape ---
printf 'nothing yet' | xclip -i -selection clipboard
xdotool key s
wait_until has_colour share "rgb(0,255,0)" 2000 || fail "S opened no green share dialog above the saver"
xdotool key Return                             # the focus starts on Get Data
xdotool key shift+Tab shift+Tab ctrl+a ctrl+c  # back through Make Default to the text area
wait_until clipboard_is_string || fail "the clipboard holds '${got:0:40}...' (${#got} letters), not a universal string"
"$tool" show <<<"$got" >"$WORK/show.log" 2>&1 || fail "the copied string is no valid universal string: $got"
# The text area's own menu, closed with Escape and then with Paste, leaves the mouse free: a click
# on All Done closes the dialog (a cursor clip left over would take every click).
read -r share_x share_y share_w share_h < <(window_box "SHARING UNIVERSAL CONSTANTS") || fail "no share dialog window"
text_at="$((share_x + share_w * 45 / 100)) $((share_y + share_h * 58 / 100))"
# shellcheck disable=SC2086
xdotool mousemove $text_at click 3
sleep 1
xdotool key Escape
# shellcheck disable=SC2086
xdotool mousemove $text_at click 3
sleep 1
xdotool key p
xdotool mousemove "$((share_x + share_w * 84 / 100))" "$((share_y + share_h * 93 / 100))" click 1
wait_until lacks_colour share-closed "rgb(0,255,0)" 200 || fail "after the text area's menu a click on All Done did not close the share dialog"
saver_runs "the share dialog closed"
pass "S: Get Data and Ctrl+C put the universe's 708-letter string on the X clipboard; after the text area's menu (Escape, Paste) a click on All Done closes it"

# --- S again: a friend's string (gravity 100, a falling field) pasted and set, read back ---
friend=$(printf '%s' "$got" | "$tool" decode | python3 -c '
import struct, sys
b = bytearray(sys.stdin.buffer.read())
struct.pack_into("<d", b, 152, 100.0)
b[337] = 0
sys.stdout.buffer.write(b)' | "$tool" encode)
[ ${#friend} = 708 ] || fail "could not make a friend's string"
printf '%s' "$friend" | xclip -i -selection clipboard
xdotool key s
wait_until has_colour share2 "rgb(0,255,0)" 2000 || fail "S did not open the share dialog again"
xdotool key shift+Tab shift+Tab ctrl+a ctrl+v  # the text area, its text replaced by the paste
xdotool key Tab Tab Tab space                  # Make Default, Get Data, Set Data: pressed
printf 'nothing yet' | xclip -i -selection clipboard
xdotool key Tab Tab Tab Tab space              # All Done, the text area, Make Default, Get Data
xdotool key shift+Tab shift+Tab ctrl+a ctrl+c
wait_until clipboard_is_friend || fail "Set Data did not make the pasted string the universe (Get Data gave '${got:0:40}...')"
grep -q "checksum\|right number" "$WORK/saver.log" && fail "Set Data refused the pasted string"
shot share-set
xdotool key Escape
wait_until lacks_colour share2-closed "rgb(0,255,0)" 200 || fail "Escape did not close the share dialog"
saver_runs "the share dialog closed after Set Data"
pass "S: a friend's string pasted from the clipboard and set with Set Data is the universe's own after"

# --- S once more: Get Data, then 40,000 letters pasted over the selected text with Ctrl+P are
# refused with the message, and the box keeps the universe's string ---
python3 -c 'print("A" * 40000, end="")' | xclip -i -selection clipboard
xdotool key s
wait_until has_colour share3 "rgb(0,255,0)" 2000 || fail "S did not open the share dialog a third time"
xdotool key Return                             # Get Data
xdotool key shift+Tab shift+Tab ctrl+a ctrl+p  # the text area, all of it selected, then pasted over
too_long() { grep -q "too long for the box" "$WORK/saver.log"; }
wait_until too_long || fail "a paste longer than the box was not refused with the message"
xdotool key ctrl+a ctrl+c
wait_until clipboard_is_string || fail "after the refused paste the box holds '${got:0:40}...' (${#got} letters)"
xdotool key Escape
wait_until lacks_colour share3-closed "rgb(0,255,0)" 200 || fail "Escape did not close the share dialog"
saver_runs "the share dialog closed after the refused paste"
pass "S: Ctrl+A and Ctrl+P work in the text area; a paste too long for it is refused and the box keeps its text"

# --- A and H: the about box in the system's colours, the help box golden; Escape closes each ---
xdotool key a
wait_until has_colour about "rgb(240,240,240)" 10000 || fail "A opened no about box above the saver"
xdotool key Escape
wait_until lacks_colour about-closed "rgb(240,240,240)" 2000 || fail "Escape did not close the about box"
saver_runs "the about box closed"
xdotool key h
wait_until has_colour help "rgb(246,203,28)" 1000 || fail "H opened no golden help box above the saver"
xdotool key Escape
wait_until lacks_colour help-closed "rgb(246,203,28)" 100 || fail "Escape did not close the help box"
saver_runs "the help box closed"
pass "A and H open the about and help boxes above the saver, Escape closes them, the saver runs on"

xdotool key Escape
wait_exit "$saver" || fail "Escape did not end the saver after the dialogs"
[ "$RC" = 0 ] || fail "the saver ended with status $RC"
pass "Escape then ends the saver with status 0"

# --- The setup (/c): the universe list filled on its focus, the first entry chosen, OK ---
wine_launch -t "$((E2E_TIMEOUT * 4))" setup /c
setup=$LAUNCHED
setup_shown() { xdotool search --onlyvisible --name '^Nimbula Screensaver Setup$' >/dev/null 2>&1; }
wait_until setup_shown || fail "/c opened no setup dialog"
xdotool mousemove "$((E2E_WIDTH / 2))" "$((E2E_HEIGHT / 2))"
# Painted, and so the active window that takes the keys.
wait_until has_colour setup "rgb(240,240,240)" 10000 || fail "the setup dialog was not drawn"
xdotool key shift+Tab shift+Tab Down Return    # from OK through Cancel to the list; its first entry
wait_exit "$setup" || fail "OK did not end the setup"
[ "$RC" = 0 ] || fail "the setup ended with status $RC"
reg_universe() {
    timeout 30 "$WINE" reg query 'HKCU\Software\Nimbula\APP' /v UnivFile 2>/dev/null | strip_cr |
        sed -n 's/.*REG_SZ *//p'
}
chosen=$(reg_universe)
case "$chosen" in
*\\Cluster.nmd) ;;
*) fail "the setup stored '$chosen' as the default universe, not the list's first entry Cluster.nmd" ;;
esac
pass "/c: the list's first entry chosen with the keyboard and OK store $chosen in the registry"

# /s then runs that universe: it loads it (a file it cannot load is no longer the default).
wine_launch -t "$((E2E_TIMEOUT * 4))" chosen /s
chosen_saver=$LAUNCHED
wait_until orbs_shown chosen || fail "/s drew no orbs with the chosen default universe"
xdotool key Escape
wait_exit "$chosen_saver" || fail "Escape did not end the saver"
[ "$(reg_universe)" = "$chosen" ] || fail "/s did not run the chosen universe (UnivFile is now '$(reg_universe)')"
grep -qi "cannot\|error" "$WORK/chosen.log" && fail "/s reported trouble loading the chosen universe"
pass "/s runs the universe the setup chose"
echo "test_windows_dialogs: ok ($(wine_desktop))"
