#!/usr/bin/env bash
# End to end: every button of the group, colour, file, help, about, share, options and setup
# dialogs pressed with the mouse where the program drew it (its layout file gives the places),
# among them each button that opens a second box: Set Color, Set Texture, OK on 0 orbs, Save over
# a file, Set Data with garbage. Then the frame's question about unsaved work: Cancel, Yes with
# the save cancelled, No. Usage: test_clicks.sh BUILD_DIR.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_clicks "$@"
source "$(dirname "$0")/clicks.sh"

# The toolbar's buttons, left to right (the frame fills the screen).
toolbar() {
    local i
    case $1 in
        new) i=0 ;; open) i=1 ;; save) i=2 ;; group1) i=3 ;; group2) i=4 ;; help) i=10 ;;
    esac
    xdotool mousemove $((32 + 38 * i)) 22 click 1
}
alive() { kill -0 "$PID" 2>/dev/null || fail "the frame ended (status $(wait "$PID"; echo $?))"; }
closed() { wait_until no_dialog || fail "a dialog stayed open (top: $(top_dialog))"; alive; }

convert -size 64x32 xc:'#30ff30' BMP3:"$WORK/green.bmp"
mkdir -p "$WORK/saved"

launch frame "$BIN"
PID=$LAUNCHED
wait_for_window "$PID" >/dev/null || fail "no frame"
frames_drawn "$PID" || fail "the frame ended at start-up"

# --- group dialog: Set Color (Cancel, OK), Set Texture (Up, Cancel, then Open), OK on 0 orbs ---
toolbar group1
click 134 "Set Color"
click 150 "Cancel"
click 134 "Set Color"
click 150 "OK"
click 134 "Set Texture"
click 1536 "Up"
click 1536 "Cancel"
click 134 "Set Texture"
type_into 1536 1152 "$WORK/green.bmp"
click 1536 "Open"
type_into 134 1000 0
click 134 "OK"
click 0 "OK"                       # "Please enter an integer between 1 and ..."
type_into 134 1000 3
click 134 "OK"
closed
pass "group dialog: Set Color, Set Texture, the file dialog's Up, Cancel and Open, OK on 0 orbs"

# A second group: Cancel, then set; then deleted again.
toolbar group2
click 134 "Cancel"
closed
toolbar group2
type_into 134 1000 2
click 134 "OK"
closed
toolbar group2
click 134 "Delete this Group"
closed
pass "group dialog: Cancel, OK and Delete this Group"

# --- Save, then Save over the same file: the replace question, No, then Yes ---
toolbar new
toolbar save
type_into 1536 1152 "$WORK/saved/one.nmd"
click 1536 "Save"
closed
[ -f "$WORK/saved/one.nmd" ] || fail "Save wrote no file"
touch -d '2000-01-01' "$WORK/saved/one.nmd"
toolbar save
type_into 1536 1152 "$WORK/saved/one.nmd"
click 1536 "Save"
click 0 "No"
click 1536 "Save"
click 0 "Yes"
closed
[ "$(stat -c %Y "$WORK/saved/one.nmd")" -gt 946684800 ] || fail "Yes to the replace question did not write the file"
"$BUILD/nimbula-tool" info "$WORK/saved/one.nmd" | grep -q "^groups 1$" || fail "the saved file does not hold the one group"
pass "file dialog: Save, the replace question's No and Yes"

# --- help (toolbar), about, share and options (their keys) ---
toolbar help
click 104 "OK"
closed
xdotool key a
click 100 "OK"
closed
xdotool key s
click 105 "Get Data"
click 105 "Make Default"
type_into 105 1014 "this is not a universal string"
click 105 "Set Data"
click 0 "OK"                       # the string's message
click 105 "All Done"
closed
xdotool key o
click 103 "Cancel"
closed
xdotool key o
click 103 "OK"
closed
pass "help, about, share (Get Data, Make Default, Set Data with garbage, All Done) and options (Cancel, OK)"

# --- a list dropped down: Escape closes the list alone; the dialog opens again with its lists up,
# so a click meant for the gravity list chooses no universe from the list left open before ---
settings=$XDG_CONFIG_HOME/nimbula/settings
before=$(cat "$settings" 2>/dev/null || true)
xdotool key o
click_list 103 1012
sleep 1
xdotool key Escape
sleep 1
dialog_on_top 103 || fail "Escape with the universe list dropped down closed the options dialog"
xdotool key Escape
closed
xdotool key o
click_list 103 1018
sleep 1
xdotool key Escape
sleep 1
xdotool key Escape
closed
[ "$(cat "$settings" 2>/dev/null || true)" = "$before" ] || fail "a click on the gravity list loaded a universe"
pass "options: Escape closes a dropped-down list alone, and the dialog opens again with its lists up"

# --- a drag on a dialog's face does not move it (the options dialog has no caption to move it by) ---
xdotool key o
wait_until dialog_on_top 103 || fail "O opened no options dialog"
ok_before=$(control_at OK)
read -r lx ly < <(awk '$1 == "control" && $8 == "Universe" { print $4 - 4, $5 - 4 }' "$LAYOUT")
xdotool mousemove "$lx" "$ly" mousedown 1 mousemove $((lx + 100)) $((ly + 200)) mousemove $((lx + 200)) $((ly + 300)) mouseup 1
sleep 1
[ "$(control_at OK)" = "$ok_before" ] || fail "a drag on the options dialog's face moved it (OK at $(control_at OK), was $ok_before)"
xdotool key Escape
closed
pass "a drag on a dialog's face leaves it where it opened"

# --- unsaved work: the close question's Cancel, Yes with the save cancelled, then No ---
toolbar new
xdotool key alt+F4
click 0 "Cancel"
closed
xdotool key alt+F4
click 0 "Yes"
click 1536 "Cancel"
closed
xdotool key alt+F4
click 0 "No"
wait_exit "$PID" || fail "No to the close question did not end the frame"
[ "$RC" = 0 ] || fail "the frame ended with $RC"
clean_log frame || fail "the frame's log reports a fault"
pass "the close question: Cancel and a cancelled save keep the frame, No ends it"

# --- the setup dialog in a window of its own: Cancel, then OK ---
for button in Cancel OK; do
    launch "setup-$button" "$BIN" /c
    click 138 "$button"
    wait_exit "$LAUNCHED" || fail "$button did not end the setup dialog"
    [ "$RC" = 0 ] || fail "the setup dialog ended with $RC on $button"
    clean_log "setup-$button" || fail "the setup dialog's log reports a fault"
done
pass "setup dialog: Cancel and OK"

# --- the setup dialog's "Other...": the file dialog gets the room it needs, then the setup
# window is as it was ---
launch setup-other "$BIN" /c
wid=$(wait_for_window "$LAUNCHED") || fail "no setup window"
click_list 138 1003
sleep 1
xdotool key Escape End
wait_until dialog_on_top 1536 || fail "\"Other...\" opened no file dialog (top: '$(top_dialog)')"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$wid")"
outside=$(awk -v x="$X" -v y="$Y" -v w="$WIDTH" -v h="$HEIGHT" '$1 == "dialog" { n = 0; t = $2 }
    # A list counts with its box alone, not the part that drops down.
    $1 == "control" && t == 1536 { bottom = $3 == "combo" ? $5 + 16 : $7 }
    $1 == "control" && t == 1536 && ($4 < x || $5 < y || $6 > x + w || bottom > y + h) { n++ } END { print n + 0 }' "$LAYOUT")
[ "$outside" = 0 ] || fail "$outside controls of the file dialog lie outside the ${WIDTH}x$HEIGHT setup window"
small=$WIDTH
click 1536 "Cancel"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$WIDTH" -lt "$small" ] || fail "the setup window kept the file dialog's size"
click 138 Cancel
wait_exit "$LAUNCHED" || fail "Cancel did not end the setup dialog"
pass "setup dialog: the file dialog of \"Other...\" opens whole in a window grown for it"
echo "test_clicks: ok"
