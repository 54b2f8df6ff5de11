#!/usr/bin/env bash
# End to end: Open, Open, Save and Open again in the editing frame, with the toolbar driven by the
# mouse. Each button is clicked where the program drew it, found by its own picture in the toolbar
# (enabled and greyed pictures differ), so the test follows the program's layout. Shell and then
# Cluster are opened: Cluster's groups replace Shell's (the group buttons say so); Save writes the
# universe on screen (nimbula-tool reads Cluster's groups and orbs back), and opening the saved
# file shows the same picture. The file dialog is answered with the keyboard (a typed path).
# Usage: test_frame_files.sh BUILD_DIR. Screenshots stay in $NIMBULA_E2E_KEEP when that is set.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_frame_files "$@"
LIBRARY=$XDG_DATA_HOME/nimbula/universes
ICONS=$NIMBULA_DIR/toolbar

# Where the toolbar shows a button's picture (NAME, or NAME-disabled for the greyed one): "X Y" of
# its top left corner in the screenshot $WORK/bar.png, when it is there almost exactly. The pictures
# are drawn over the bar's own colour, taken from the bar's free right end.
find_picture() {
    local bar found
    bar=$(convert "$WORK/bar.png" -format "%[pixel:p{$((E2E_WIDTH - 8)),8}]" info:)
    convert "$ICONS/$1.png" -background "$bar" -flatten "$WORK/picture.png"
    # "ERROR (SCORE) @ X,Y": the best place and how far it is from the picture, 0 to 1.
    found=$(compare -metric RMSE -dissimilarity-threshold 1 -subimage-search "$WORK/bar.png" "$WORK/picture.png" \
        null: 2>&1 || true)
    [[ $found =~ \(([0-9.e-]+)\)\ @\ ([0-9]+),([0-9]+) ]] || return 1
    awk -v s="${BASH_REMATCH[1]}" 'BEGIN { exit !(s < 0.02) }' || return 1
    echo "${BASH_REMATCH[2]} ${BASH_REMATCH[3]}"
}
# The toolbar as it is now, with the pointer resting on the universe pane (a button under the
# pointer is drawn lit, and its tip may cover its neighbours).
bar_shot() {
    xdotool mousemove $((E2E_WIDTH - 40)) $((E2E_HEIGHT - 40))
    sleep 0.2
    shot screen
    convert "$WORK/screen.png" -crop "${E2E_WIDTH}x60+0+0" +repage "$WORK/bar.png"
}
shows_picture() { bar_shot && find_picture "$1" >/dev/null; }
# Clicks the button NAME in the middle of its picture, once the bar shows it enabled.
click() {
    local x y
    wait_until shows_picture "$1" || fail "the toolbar shows no enabled $1 button"
    read -r x y < <(find_picture "$1")
    xdotool mousemove $((x + 16)) $((y + 16)) click 1
}
# The file dialog that a button opened: the path typed into its name entry, then Return.
answer_file() {
    until_still "$2-dialog" || fail "$2-dialog: the screen did not come to rest"
    xdotool key ctrl+a type "$1"
    xdotool key Return
}
# The universe pane alone, at rest (time is stopped for it).
universe_at_rest() {
    xdotool mousemove $((E2E_WIDTH - 40)) $((E2E_HEIGHT - 40))
    until_still "$1-screen" || return 1
    convert "$WORK/$1-screen.png" -crop "${E2E_WIDTH}x$((E2E_HEIGHT - 50))+0+50" +repage "$WORK/$1.png"
}
# One of the file's facts as nimbula-tool prints it: fact FILE "groups" -> "1".
fact() { "$BUILD/nimbula-tool" info "$1" | awk -v k="$2" '$1 == k { print $2; exit }'; }
colours() { "$BUILD/nimbula-tool" info "$1" | grep "^  colour "; }

launch frame "$BIN"
PID=$LAUNCHED
wait_for_window "$PID" >/dev/null || fail "the frame ended at start-up or opened no window"
until_moving started 12 || fail "the universe does not move"
[ -f "$LIBRARY/Shell.nmd" ] && [ -f "$LIBRARY/Cluster.nmd" ] || fail "the library lacks Shell or Cluster"
groups=$(fact "$LIBRARY/Cluster.nmd" groups)
[ "$groups" = 1 ] || fail "Cluster has $groups groups; the group buttons below expect 1"

# --- Open Shell, then (time stopped, so the orbs stay as the file puts them) Open Cluster:
# Cluster's one group stands alone ---
click open
answer_file "$LIBRARY/Shell.nmd" shell
wait_until shows_picture group3 || fail "after Shell (two groups) the third group's button is not offered"
click time
click open
answer_file "$LIBRARY/Cluster.nmd" cluster
wait_until shows_picture group3-disabled || fail "after Cluster (one group) the third group's button is still offered"
shows_picture group2 || fail "after Cluster the second group's button is not offered"
pass "Open Shell, Open Cluster: Cluster's group replaces Shell's two"

# --- what is shown; Save ---
universe_at_rest shown || fail "shown: the screen did not come to rest"
click save
answer_file "$WORK/saved.nmd" save
wait_until test -s "$WORK/saved.nmd" || fail "Save wrote no file"
for k in groups orbs; do
    [ "$(fact "$WORK/saved.nmd" $k)" = "$(fact "$LIBRARY/Cluster.nmd" $k)" ] ||
        fail "the saved file holds $k $(fact "$WORK/saved.nmd" $k), Cluster $(fact "$LIBRARY/Cluster.nmd" $k)"
done
[ "$(colours "$WORK/saved.nmd")" = "$(colours "$LIBRARY/Cluster.nmd")" ] || fail "the saved groups' colours are not Cluster's"
pass "Save writes Cluster's $groups group and $(fact "$WORK/saved.nmd" orbs) orbs, as shown"

# --- the saved file opened again: the same picture ---
click open
answer_file "$WORK/saved.nmd" reopen
wait_until shows_picture group3-disabled || fail "after the saved file the third group's button is offered"
universe_at_rest reopened || fail "reopened: the screen did not come to rest"
d=$(differing_pixels shown reopened 12)
[ "$d" -lt 2000 ] || fail "the reopened universe looks different from the one shown ($d pixels differ)"
pass "the saved universe reopens as it was shown ($d pixels differ)"

# --- Save onto a link to a read-only file: the question names the file the link leads to and
# calls it read-only; after the yes (a question nobody sees is answered by its default button
# here) that file is replaced, the link stays a link and the file stays read-only ---
ln -s "$WORK/saved.nmd" "$WORK/link.nmd"
chmod 444 "$WORK/saved.nmd"
before=$(stat -c %i "$WORK/saved.nmd")
click save
answer_file "$WORK/link.nmd" link
question="link.nmd is a link to $WORK/saved.nmd."
wait_until grep -qxF "$question" "$WORK/frame.log" || fail "no question naming the file the link leads to"
grep -qxF "saved.nmd is read-only." "$WORK/frame.log" || fail "the question does not call the file read-only"
wait_until test "$(stat -c %i "$WORK/saved.nmd")" != "$before" || fail "the file the link leads to was not replaced"
[ -L "$WORK/link.nmd" ] || fail "the link was replaced by a file"
[ "$(stat -c %a "$WORK/saved.nmd")" = 444 ] || fail "the replaced file is no longer read-only"
[ "$(fact "$WORK/saved.nmd" groups)" = "$groups" ] || fail "the replaced file is no universe of $groups group"
printf '%s\n' "$question" "saved.nmd is read-only." "Do you want to replace it?" >"$WORK/asked.txt"
pass "Save onto a link to a read-only file asks about that file, and after a yes replaces it, still read-only"

kill -TERM "$PID"
wait_exit "$PID" && [ "$RC" = 0 ] || fail "the frame did not end cleanly"
! grep -v "^$" "$WORK/frame.log" | grep -vxF -f "$WORK/asked.txt" | grep -q . || fail "the frame said something"
echo "test_frame_files: ok"
