# Shared helpers of the tests that drive dialogs with the mouse (source after common.sh). The
# program writes every open dialog's controls in screen pixels to $LAYOUT after each redraw
# (NIMBULA_LAYOUT_FILE), and the helpers click where a control is drawn. Message boxes are drawn
# as dialogs too (not printed), so that the boxes a click opens are clicked in their turn.
unset NIMBULA_MESSAGE_BOXES
LAYOUT=$WORK/layout
export NIMBULA_LAYOUT_FILE=$LAYOUT

# The template id of the dialog on top; nothing when none is open.
top_dialog() { awk '$1 == "dialog" { t = $2 } END { print t }' "$LAYOUT" 2>/dev/null || true; }
dialog_on_top() { [ "$(top_dialog)" = "$1" ]; }
no_dialog() { [ -f "$LAYOUT" ] && [ -z "$(top_dialog)" ]; }

# "x y" of the centre of the top dialog's control whose text (or, with -i, id) is WANT.
control_at() {
    local field=text
    if [ "$1" = "-i" ]; then field=id; shift; fi
    awk -v want="$1" -v field="$field" '
        $1 == "dialog" { found = "" }
        $1 == "control" {
            text = $8
            for (i = 9; i <= NF; i++) text = text " " $i
            key = field == "id" ? $2 : text
            if (key == want) found = int(($4 + $6) / 2) " " int(($5 + $7) / 2)
        }
        END { if (found == "") exit 1; print found }' "$LAYOUT"
}

# Waits for dialog TEMPLATE on top, then clicks its control TEXT (or -i ID): click TEMPLATE [-i] WANT.
click() {
    local template=$1 at
    shift
    wait_until dialog_on_top "$template" || fail "dialog $template is not on top (top: '$(top_dialog)') to click $*"
    at=$(control_at "$@") || fail "dialog $template has no control $*"
    # shellcheck disable=SC2086
    xdotool mousemove $at click 1
}

# Clicks the closed box of drop-down list ID of dialog TEMPLATE (the layout gives a list's
# rectangle with its dropped-down part, as the template does): click_list TEMPLATE ID.
click_list() {
    wait_until dialog_on_top "$1" || fail "dialog $1 is not on top (top: '$(top_dialog)') to click list $2"
    local at
    at=$(awk -v want="$2" '$1 == "dialog" { found = "" }
         $1 == "control" && $2 == want { found = int(($4 + $6) / 2) " " ($5 + 8) }
         END { if (found == "") exit 1; print found }' "$LAYOUT") || fail "dialog $1 has no list $2"
    # shellcheck disable=SC2086
    xdotool mousemove $at click 1
}

# Clicks into the edit control ID of dialog TEMPLATE and types TEXT over what it held.
type_into() {
    click "$1" -i "$2"
    xdotool key ctrl+a type "$3"
}

# The program's log has no abort, crash or sanitizer report: clean_log NAME.
clean_log() {
    ! grep -E "Assertion|AddressSanitizer|LeakSanitizer|runtime error|Segmentation|Aborted" "$WORK/$1.log"
}
