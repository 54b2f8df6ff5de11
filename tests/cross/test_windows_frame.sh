#!/usr/bin/env bash
# The editing frame on Windows, under Wine on a private X server: the common controls' toolbar
# shows the twelve pictures (the greyed ones where a command is not offered), a tip under the
# mouse and the pressed-in time button; Open and Save go through the system's file dialogs (a
# sample universe opened by typing its path, saved under a new name, the file the same universe
# for the Linux nimbula-tool, and opened again); a group built in the orb group dialog, its colour
# from the system's colour dialog, saved and opened again; with unsaved work Alt+F4 asks the save
# question in the system's box, where Cancel keeps the frame and No ends it.
# Usage: test_windows_frame.sh MINGW_BUILD_DIR; NIMBULA_HOST_BUILD names the Linux build whose
# nimbula-tool reads the saved file (else the Windows tool reads it under Wine).
E2E_BIN=$(cd "${1:?usage: test_windows_frame.sh MINGW_BUILD_DIR}" && pwd)/nimbula.scr
# Room for the frame (1280 x 720, or the screen where it is smaller) and its dialogs.
E2E_WIDTH=1024
E2E_HEIGHT=768
source "$(dirname "$0")/../e2e/common.sh" test_windows_frame "$@"
source "$(dirname "$0")/wine.sh"

# The group step needs the Windows dialog host (the orb group dialog as a system dialog): 0 turns
# it off where the host is not there.
FRAME_GROUP_STEP=${FRAME_GROUP_STEP:-1}

wine_e2e_start
data=$WORK/install
# The same program named .exe opens the editing frame.
mkdir -p "$WORK/bin"
cp "$BIN" "$WORK/bin/nimbula.exe"
pictures=$data/toolbar

# What a universe file holds for nimbula-tool: read by the Linux tool where there is one, numbers
# to 9 digits (the camera's axes are made unit length again when saved), without the top speed
# (measured while the universe runs).
host_tool=${NIMBULA_HOST_BUILD:+$(cd "$NIMBULA_HOST_BUILD" && pwd)/nimbula-tool}
universe_info() {
    if [ -n "$host_tool" ] && [ -x "$host_tool" ]; then
        "$host_tool" info "$1"
    else
        timeout "$E2E_TIMEOUT" "$WINE" "$(dirname "$BIN")/nimbula-tool.exe" info "$(winpath "$1")" | strip_cr
    fi | grep -v '^file ' | grep -v '^m_topSpeed ' |
        awk '{ for (i = 1; i <= NF; i++) if ($i ~ /^-?[0-9.]+(e[-+]?[0-9]+)?$/) $i = sprintf("%.9g", $i); print }'
}

# The windows titled Nimbula: the frame, and the save question's box while it is asked.
nimbula_windows() { xdotool search --onlyvisible --name '^Nimbula$' 2>/dev/null | wc -l; }
dialog_shown() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
dialog_gone() { ! dialog_shown "$1"; }

# Where a toolbar picture shows in screenshot SHOT (within its top 160 rows, on the bar's face):
# find_picture SHOT PICTURE prints "SCORE X Y", SCORE from 0 (the same) to 1.
find_picture() {
    local face
    convert "$WORK/$1.png" -crop "560x160+0+0" +repage "$WORK/strip.png"
    face=$(convert "$WORK/strip.png" -format %c histogram:info:- | sort -rn | head -1 | grep -o '#[0-9A-Fa-f]\{6\}')
    convert "$pictures/$2.png" -background "$face" -flatten "$WORK/picture.png"
    # compare ends its line with no newline.
    { compare -metric RMSE -dissimilarity-threshold 1 -subimage-search "$WORK/strip.png" "$WORK/picture.png" null: 2>&1; echo; } |
        sed -n 's/^[0-9.]* (\([0-9.e-]*\)) @ \([0-9]*\),\([0-9]*\)$/\1 \2 \3/p'
}
# Whether PICTURE is in the button cell at X, Y of SHOT: picture_at SHOT PICTURE X Y.
picture_at() {
    local face score
    convert "$WORK/$1.png" -crop "40x40+$(($3 - 4))+$(($4 - 4))" +repage "$WORK/cell.png"
    face=$(convert "$WORK/$1.png" -format "%[pixel:p{$(($3 - 3)),$(($4 - 3))}]" info:)
    convert "$pictures/$2.png" -background "$face" -flatten "$WORK/picture.png"
    score=$(compare -metric RMSE -dissimilarity-threshold 1 -subimage-search "$WORK/cell.png" "$WORK/picture.png" null: 2>&1 |
        sed -n 's/^[0-9.]* (\([0-9.e-]*\)).*/\1/p')
    awk -v s="$score" 'BEGIN { exit !(s != "" && s < 0.06) }'
}
toolbar_shown() {
    shot frame || return 1
    read -r score open_x open_y < <(find_picture frame open) || return 1
    awk -v s="$score" 'BEGIN { exit !(s < 0.06) }'
}
click_at() { xdotool mousemove "$1" "$2" click 1; }
# The left edge of button N (1 to 12; Open is the second).
button_x() { echo $((open_x + ($1 - 2) * pitch)); }

# Orange orbs (the Cluster sample) in the pane's last frame, read back from OpenGL as the preview
# test reads its own: Wine shows no child window's OpenGL on the screen.
orange_pixels() {
    [ -f "$WORK/pane.png" ] || return 1
    convert "$WORK/pane.png" -scale 10% txt:- |
        awk -F'[(),]' 'NR > 1 && $2 > $4 + 60 && $2 > 100 { n++ } END { print n + 0 }'
}
cluster_shown() { [ "$(orange_pixels)" -gt 20 ]; }
registry_universe() {
    timeout 30 "$WINE" reg query 'HKCU\Software\Nimbula\APP' /v UnivFile 2>/dev/null | strip_cr |
        sed -n 's/^ *UnivFile *REG_SZ *//p'
}
universe_is() { [ "$(registry_universe)" = "$1" ]; }

# The system's file dialog titled TITLE takes a typed path: ask_file BUTTON TITLE PATH.
ask_file() {
    click_at "$(button_x "$1")" "$((open_y + 16))"
    wait_until dialog_shown "$2" || fail "the toolbar's button $1 opened no \"$2\" dialog"
    # The name box has the focus; what it offered is replaced.
    xdotool key ctrl+a
    xdotool type --delay 20 "$3"
    xdotool key Return
    wait_until dialog_gone "$2" || fail "the \"$2\" dialog did not take the typed path $3"
}

# Real boxes: the save question is the system's box here.
unset NIMBULA_MESSAGE_BOXES
launch frame env NIMBULA_PREVIEW_SNAPSHOT="$(winpath "$WORK/pane.png")" \
    timeout "$((E2E_TIMEOUT * 5))" "$WINE" "$WORK/bin/nimbula.exe"
frame=$LAUNCHED

# The toolbar: every picture in its cell, greyed where the command is not offered yet.
wait_until toolbar_shown || fail "the frame shows no toolbar with the Open picture"
read -r _ save_x _ < <(find_picture frame save)
pitch=$((save_x - open_x))
[ "$pitch" -ge 32 ] && [ "$pitch" -le 48 ] || fail "the toolbar's buttons stand $pitch pixels apart"
i=0
for picture in new open save group1 group2-disabled group3-disabled group4-disabled group5-disabled time start help \
    about-disabled; do
    i=$((i + 1))
    # New is offered when the universe shown at start has groups.
    [ "$picture" = new ] && { picture_at frame new "$(button_x 1)" "$open_y" || picture=new-disabled; }
    picture_at frame "$picture" "$(button_x "$i")" "$open_y" || fail "button $i does not show $picture.png"
done
wait_until -t 30 test -f "$WORK/pane.png" || fail "the universe pane drew no frame"
pass "the toolbar shows its twelve pictures, groups 2 to 5 and About greyed, and the universe draws below it"

# Resized, the bar stays along the top and the pane fills the rest below it.
frame_wid=$(xdotool search --onlyvisible --name '^Nimbula$' | head -1)
read -r client_w client_h < <(xdotool getwindowgeometry "$frame_wid" | sed -n 's/^ *Geometry: \([0-9]*\)x\([0-9]*\)$/\1 \2/p')
pane_size() { identify -format '%w %h' "$WORK/pane.png" 2>/dev/null; }
pane_is() { [ "$(pane_size)" = "$1 $2" ]; }
read -r _ pane_h < <(pane_size; echo)
bar_h=$((client_h - pane_h))
[ "$bar_h" -ge 32 ] && [ "$bar_h" -le 64 ] || fail "the toolbar is $bar_h pixels high"
xdotool windowsize "$frame_wid" 700 500
wait_until pane_is 700 $((500 - bar_h)) || fail "after a resize to 700x500 the pane is $(pane_size)"
wait_until toolbar_shown || fail "the toolbar is gone after the resize"
xdotool windowsize "$frame_wid" "$client_w" "$client_h"
wait_until pane_is "$client_w" "$pane_h" || fail "after a resize back the pane is $(pane_size)"
pass "resized, the frame keeps the $bar_h pixel toolbar at its top and the pane fitted below it"

# The tip of Save under the mouse.
convert "$WORK/frame.png" -crop "300x40+$(button_x 3)+$((open_y + 34))" +repage "$WORK/no-tip.png"
xdotool mousemove "$(button_x 3)" "$((open_y + 16))"
tip_shown() {
    shot tip && convert "$WORK/tip.png" -crop "300x40+$(button_x 3)+$((open_y + 34))" +repage "$WORK/tip-area.png" &&
        [ "$(differing_pixels no-tip tip-area 10)" -gt 150 ]
}
wait_until tip_shown || fail "no tip under the Save button"
pass "the Save button shows its tip under the mouse"

# Open: the system's dialog, the sample's path typed into it.
cluster=$(winpath "$data/universes/Cluster.nmd")
ask_file 2 Open "$cluster"
wait_until universe_is "$cluster" || fail "the typed path did not open (the registry names '$(registry_universe)')"
wait_until cluster_shown || fail "the pane does not show the Cluster sample's orange orbs"
pass "Open through the system's dialog opened the typed sample universe"

# Save As into a new file, then the same universe for nimbula-tool.
saved=$WORK/saved.nmd
ask_file 3 "Save As" "$(winpath "$saved")"
wait_until test -s "$saved" || fail "Save As wrote no $saved"
universe_info "$data/universes/Cluster.nmd" >"$WORK/sample.txt"
universe_info "$saved" >"$WORK/saved.txt"
[ -s "$WORK/saved.txt" ] || fail "nimbula-tool cannot read the saved file"
diff -u "$WORK/sample.txt" "$WORK/saved.txt" >"$WORK/diff.log" || fail "the saved file holds another universe than the sample"
ask_file 2 Open "$(winpath "$saved")"
wait_until universe_is "$(winpath "$saved")" || fail "the saved file did not open again"
pass "Save As through the system's dialog wrote the same universe ($(grep -c . "$WORK/saved.txt") lines of nimbula-tool info), which opens again"

if [ "$FRAME_GROUP_STEP" = 1 ]; then
    # ---- The group step (needs the Windows dialog host) ----
    # Group 2 in the orb group dialog: 7 orbs, its colour through the system's colour dialog; New
    # builds them, Save As writes them, Open reads them back.
    click_at "$(button_x 5)" "$((open_y + 16))"
    wait_until dialog_shown "Set Orb Group" || fail "Group 2 opened no orb group dialog"
    # The count entry has the focus when the dialog opens.
    xdotool key ctrl+a
    xdotool type 7
    shot group
    # Tab goes from the count to Set Texture, then to Set Color.
    xdotool key Tab Tab space
    wait_until dialog_shown Color || fail "Set Color opened no system colour dialog"
    # It opens fully at the group's white with its red entry chosen: no red makes it cyan.
    xdotool type 0
    xdotool key Tab
    shot color
    xdotool key Return
    wait_until dialog_gone Color || fail "the colour dialog did not end with OK"
    # From Set Color past the greyed Delete to OK.
    xdotool key Tab Return
    wait_until dialog_gone "Set Orb Group" || fail "the orb group dialog did not end with OK"
    click_at "$(button_x 1)" "$((open_y + 16))"
    grouped=$WORK/grouped.nmd
    ask_file 3 "Save As" "$(winpath "$grouped")"
    wait_until test -s "$grouped" || fail "the grouped universe was not saved"
    universe_info "$grouped" >"$WORK/grouped.txt"
    grep -qx 'groups 2' "$WORK/grouped.txt" || fail "the saved universe does not hold the new group"
    grep -qx 'orbs 223' "$WORK/grouped.txt" || fail "the saved universe does not hold 216 + 7 orbs"
    sed -n '/^group 2$/,/^orbs /p' "$WORK/grouped.txt" >"$WORK/group2.txt"
    grep -qx 'colour 0 0.99609375 0.99609375' "$WORK/group2.txt" || fail "group 2 is not the cyan chosen: $(cat "$WORK/group2.txt")"
    grep -qx 'orbs 7' "$WORK/group2.txt" || fail "group 2 does not have its 7 orbs"
    ask_file 2 Open "$(winpath "$grouped")"
    wait_until universe_is "$(winpath "$grouped")" || fail "the grouped universe did not open again"
    pass "a group built in the orb group dialog (its colour from the system's dialog) is saved with the universe and opens again"
fi

# Unsaved work: time stopped (the button pressed in) and started again moves the start places.
convert "$WORK/frame.png" -crop "32x32+$(button_x 9)+$open_y" +repage "$WORK/time-up.png"
click_at "$(button_x 9)" "$((open_y + 16))"
xdotool mousemove 600 500
time_pressed() {
    shot pressed && convert "$WORK/pressed.png" -crop "32x32+$(button_x 9)+$open_y" +repage "$WORK/time-down.png" &&
        [ "$(differing_pixels time-up time-down 5)" -gt 50 ]
}
wait_until time_pressed || fail "the time button is not shown pressed in while time stands"
click_at "$(button_x 9)" "$((open_y + 16))"
pass "the time button shows pressed in while time stands"

# Alt+F4 asks the save question in the system's box: Cancel keeps the frame, No ends it.
question_asked() { [ "$(nimbula_windows)" -ge 2 ]; }
question_gone() { [ "$(nimbula_windows)" -le 1 ]; }
# A click in the pane makes the frame the active window, which takes the keys.
xdotool mousemove 600 500 click 1
xdotool key alt+F4
wait_until question_asked || fail "Alt+F4 with unsaved work asked nothing"
shot question
xdotool key Escape
wait_until question_gone || fail "Escape did not answer the save question"
sleep 1
kill -0 "$frame" 2>/dev/null && [ "$(nimbula_windows)" = 1 ] || fail "Cancel on the save question ended the frame"
xdotool key alt+F4
wait_until question_asked || fail "a second Alt+F4 asked nothing"
xdotool key n
wait_exit "$frame" || fail "No on the save question did not end the frame"
[ "$RC" = 0 ] || fail "the frame ended with status $RC"
pass "Alt+F4 with unsaved work asks in the system's box; Cancel keeps the frame, No ends it with status 0"
echo "test_windows_frame: ok ($(wine_desktop))"
