#!/usr/bin/env bash
# The Windows installer and the portable zip under Wine on a private X server: the zip holds the
# program, the tool, the data, the README and the licence; the installer (/S, twice) puts the data
# into Program Files\Nimbula, the saver into the system folder, the data folder into the registry, a
# Start menu entry and an Add/Remove Programs entry; the Start menu's program opens the editing
# frame; the saver runs from the system folder with its data found through the registry, and V over
# it hands the help page to the desktop's browser with the message said once, the saver running on;
# while it runs, installer and uninstaller refuse; installed again into C:\Other\Nimbula, the earlier
# folder goes and one Add/Remove entry names the new one; the uninstaller (/S, restarting from a
# copy of itself as NSIS does) takes everything away, C:\Other with it, and leaves the user's
# universes and settings.
# Usage: test_windows_installer.sh MINGW_BUILD_DIR
E2E_BIN=$(cd "${1:?usage: test_windows_installer.sh MINGW_BUILD_DIR}" && pwd)/nimbula.scr
source "$(dirname "$0")/../e2e/common.sh" test_windows_installer "$@"
source "$(dirname "$0")/wine.sh"

trap 'e2e_cleanup; wine_stop' EXIT
setup=$(ls "$BUILD"/nimbula-*-setup.exe 2>/dev/null | head -1)
zip=$(ls "$BUILD"/nimbula-*-windows.zip 2>/dev/null | head -1)
[ -f "$setup" ] && [ -f "$zip" ] || fail "no installer or zip in $BUILD (scripts/windows makes them)"

# --- The portable zip: one folder with the program, the tool, the README, the licence and the whole
# data folder.
python3 -m zipfile -l "$zip" | awk 'NR > 1 { print $1 }' | grep -v '/$' | sort >"$WORK/zip.txt"
(cd "$BUILD/res" && find . -type f | sed 's|^\./|Nimbula/res/|') >"$WORK/want.txt"
printf 'Nimbula/%s\n' nimbula.scr nimbula.exe nimbula-tool.exe README.md LICENSE >>"$WORK/want.txt"
sort -o "$WORK/want.txt" "$WORK/want.txt"
diff "$WORK/want.txt" "$WORK/zip.txt" >"$WORK/zip-diff.log" || fail "the zip's files are not the program's (see zip-diff)"
mkdir "$WORK/unzipped"
python3 -m zipfile -e "$zip" "$WORK/unzipped"
cmp -s "$BIN" "$WORK/unzipped/Nimbula/nimbula.scr" && cmp -s "$BIN" "$WORK/unzipped/Nimbula/nimbula.exe" ||
    fail "the zip's programs are not the build's nimbula.scr"
pass "the zip holds nimbula.scr, nimbula.exe, nimbula-tool.exe, README.md, LICENSE and the $(grep -c /res/ "$WORK/zip.txt") files of res/"

wine_start "$WORK"
wine_forget_settings
# The installed program finds its data by itself.
unset NIMBULA_DIR
drive=$WINEPREFIX/drive_c
program="$drive/Program Files/Nimbula"
# The installation's folder as Windows names it.
folder='C:\Program Files\Nimbula'
system="$drive/windows/system32"
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Nimbula"
product='HKLM\Software\Nimbula'
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nimbula'
# reg_value KEY NAME: the value's data as `wine reg query` prints it; empty when there is none.
reg_value() {
    timeout 30 "$WINE" reg query "$1" /v "$2" 2>/dev/null | strip_cr |
        sed -n "s/^    $2    REG_[A-Z_]*    //p"
}

orbs_shown() { shot "$1" && shows_ground "$1" && [ "$(bright_share "$1")" != 0 ]; }
shot_lit() { shot "$1" && [ "$(bright_share "$1")" != 0 ]; }

# Everything the installer puts in place; fails with what is missing.
installed_ok() {
    local f version
    for f in nimbula.exe nimbula-tool.exe README.md LICENSE uninstall.exe; do
        [ -f "$program/$f" ] || fail "the installer left no $f in $folder"
    done
    cmp -s "$BIN" "$system/nimbula.scr" || fail "the system folder holds no copy of the build's nimbula.scr"
    cmp -s "$BIN" "$program/nimbula.exe" || fail "$folder\\nimbula.exe is not the build's program"
    diff -r "$BUILD/res" "$program/res" >"$WORK/res-diff.log" || fail "the installed res\\ differs from the build's"
    [ "$(reg_value "$product" directory)" = "$folder\\res" ] ||
        fail "HKLM\\Software\\Nimbula directory is '$(reg_value "$product" directory)'"
    [ "$(reg_value "$uninstall" DisplayName)" = Nimbula ] || fail "no Add/Remove Programs entry"
    version=$(basename "$setup" | sed 's/^nimbula-\(.*\)-setup\.exe$/\1/')
    [ "$(reg_value "$uninstall" DisplayVersion)" = "$version" ] || fail "the entry's version is not $version"
    [ "$(reg_value "$uninstall" InstallLocation)" = "$folder" ] || fail "the entry's folder is '$(reg_value "$uninstall" InstallLocation)'"
    [ "$(reg_value "$uninstall" UninstallString)" = "\"$folder\\uninstall.exe\"" ] ||
        fail "the entry's uninstaller is '$(reg_value "$uninstall" UninstallString)'"
    [ -f "$menu/Nimbula.lnk" ] || fail "no Start menu entry"
    # A shortcut keeps its target's path in UTF-16 or in the system's code page.
    { strings -el "$menu/Nimbula.lnk"; strings "$menu/Nimbula.lnk"; } | grep -Fqi "$folder\\nimbula.exe" ||
        fail "the Start menu entry does not open $folder\\nimbula.exe"
}
# run_setup NAME [ARGUMENT]: runs the installer silently (/D=FOLDER chooses the folder); its time
# in milliseconds goes to TOOK.
run_setup() {
    local start
    start=$(date +%s%N)
    RC=0
    timeout "$E2E_TIMEOUT" "$WINE" "$setup" /S ${2:+"$2"} >"$WORK/$1.log" 2>&1 || RC=$?
    TOOK=$(( ($(date +%s%N) - start) / 1000000 ))
    [ "$RC" = 0 ] || [ "$1" = busy ] || fail "the installer ended with status $RC"
}

# Every file and folder of the Wine prefix's C: drive but the user's own and temporary ones.
drive_files() {
    (cd "$drive" && find . -path ./users -prune -o -print | sort)
}
drive_files >"$WORK/drive-before.txt"

# --- The silent installation, then once more over it (the earlier one is removed first).
run_setup setup
installed_ok
took=$TOOK
run_setup again
installed_ok
pass "/S installs res\\, nimbula.exe and the tool into Program Files\\Nimbula, nimbula.scr into system32, the registry's directory, the Start menu and Add/Remove Programs entries (${took} ms; ${TOOK} ms again over it)"

# --- The Start menu's entry: Program Files\Nimbula\nimbula.exe opens the editing frame with its data.
frame_shown() { xdotool search --onlyvisible --name '^Nimbula$' >/dev/null 2>&1; }
launch frame timeout "$((E2E_TIMEOUT * 2))" "$WINE" 'C:\Program Files\Nimbula\nimbula.exe'
frame=$LAUNCHED
wait_until frame_shown || fail "nimbula.exe opened no window"
wait_until shot_lit frame || fail "the editing frame shows no orbs"
grep -Eq 'no folder holds sphere.umf|not correctly installed|cannot' "$WORK/frame.log" && fail "the editing frame did not start cleanly"
stop_process "$frame"
# Nothing of the frame may outlive it: the saver started next would be refused as a second copy.
wine_stop
wine_start "$WORK"
pass "the Start menu's nimbula.exe opens the editing frame with the universe ($(bright_share frame) % lit)"

# --- The installed saver from the system folder, from a folder without data, with no NIMBULA_DIR:
# only the registry's "directory" leads it to the data. V then finds no browser window here
# (Wine has no HTML engine without its Gecko): the page goes to the desktop's browser, which a
# script stands in for, and the saver runs on.
cat >"$WORK/browser" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$WORK/opened.txt"
EOF
chmod +x "$WORK/browser"
# Wine hands pages to winebrowser, which runs the first program of this list that it finds (else
# xdg-open, which reads BROWSER). A prefix made without Wine's HTML engine, as the tests make it,
# has no program for .html files at all: the one a prefix made with it has is given back.
export BROWSER=$WORK/browser
timeout 30 "$WINE" reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ /d "$BROWSER" /f >/dev/null 2>&1 ||
    fail "reg add Browsers"
timeout 30 "$WINE" reg add 'HKCR\.html' /ve /t REG_SZ /d htmlfile /f >/dev/null 2>&1 || fail "reg add .html"
mkdir "$WORK/elsewhere"
opened() { [ -f "$WORK/opened.txt" ] && [ "$(grep -c 'res/help/index.html' "$WORK/opened.txt")" -ge "$1" ]; }
said() { strip_cr <"$WORK/saver.log" | grep -c "The page opens in your web browser instead:" || true; }
said_once() { [ "$(said)" = 1 ]; }
(cd "$WORK/elsewhere" && exec timeout "$((E2E_TIMEOUT * 3))" "$WINE" 'C:\windows\system32\nimbula.scr' /s) \
    >"$WORK/saver.log" 2>&1 &
saver=$!
track "$saver"
wait_until orbs_shown installed || fail "the installed saver drew no orbs"
grep -Eq 'no folder holds sphere.umf|not correctly installed' "$WORK/saver.log" && fail "the installed saver did not find its data"
pass "the saver runs from the system folder with its data through the registry ($(bright_share installed) % lit)"

xdotool key v
wait_until opened 1 || fail "V did not hand the help page to the desktop's browser"
wait_until said_once || fail "V did not say that the page opens in the web browser"
strip_cr <"$WORK/saver.log" | grep -q "^Nimbula cannot show the web support page: the system's web browser engine (MSHTML) cannot be created" ||
    fail "the message does not say why no window shows the page"
strip_cr <"$WORK/saver.log" | grep -Fqx 'file:///C:/Program%20Files/Nimbula/res/help/index.html' ||
    fail "the message does not give the installed help page's address"
frames_drawn "$saver" || fail "the saver ended after V"
until_moving running || fail "the universe stands still after V"
xdotool key v
wait_until opened 2 || fail "a second V did not open the page again"
frames_drawn "$saver" || fail "the saver ended after the second V"
[ "$(said)" = 1 ] || fail "the second V said the message again"
pass "V opens the installed help page in the desktop's browser ($(head -1 "$WORK/opened.txt")), says why once, and the saver runs on"

# While Nimbula runs, neither the installer nor the uninstaller (run in place, not from a copy,
# so that its status is its own) touches anything: both end with NSIS's status for an abort.
run_setup busy
[ "$RC" = 2 ] || fail "the installer ended with status $RC while Nimbula ran"
RC=0
# NSIS reads "_?=" to the end of the command line, unquoted: a batch file passes it on as written.
printf '@"C:\\Program Files\\Nimbula\\uninstall.exe" /S _?=C:\\Program Files\\Nimbula\r\n' >"$WORK/busy.bat"
timeout "$E2E_TIMEOUT" "$WINE" cmd /c "$(winpath "$WORK/busy.bat")" >"$WORK/uninstall-busy.log" 2>&1 || RC=$?
[ "$RC" = 2 ] || fail "the uninstaller ended with status $RC while Nimbula ran"
installed_ok
kill -0 "$saver" 2>/dev/null || fail "the saver ended while the installer ran"
xdotool key Escape
wait_exit "$saver" || fail "Escape did not end the installed saver"
[ "$RC" = 0 ] || fail "the installed saver ended with status $RC"
pass "while the saver runs, the installer and the uninstaller refuse (status 2) and change nothing"

# --- The user's own: a universe in the library (seeded by the saver's first start) and settings.
library="$drive/users/$(id -un)/AppData/Roaming/Nimbula/universes"
[ -d "$library" ] || fail "the saver made no universe library in the user's folder"
cp "$program/res/universes/Galaxy.nmd" "$library/Mine.nmd"
timeout 30 "$WINE" reg add 'HKCU\Software\Nimbula\APP' /v UnivFile /t REG_SZ /d 'C:\mine.nmd' /f >/dev/null 2>&1 ||
    fail "reg add UnivFile"
find "$library" -type f | sort >"$WORK/library-before.txt"

# --- Installed again into a folder of the user's choice, whose parent does not exist: the earlier
# installation goes whole from where the registry had it, and only the new one is registered.
run_setup moved '/D=C:\Other\Nimbula'
[ -e "$drive/Program Files/Nimbula" ] && fail "the earlier installation's folder stayed: $(cd "$drive/Program Files/Nimbula" && find . | head -5 | tr '\n' ' ')"
program="$drive/Other/Nimbula"
folder='C:\Other\Nimbula'
installed_ok
entries=$(timeout 30 "$WINE" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | strip_cr |
    grep -c '^    DisplayName    REG_SZ    Nimbula$' || true)
[ "$entries" = 1 ] || fail "Add/Remove Programs holds $entries entries for Nimbula"
pass "installed into C:\\Other\\Nimbula: the earlier folder in Program Files is gone, one Add/Remove entry names the new folder (${TOOK} ms)"

# An uninstaller left in a folder that the registry no longer names (by an older installer) takes
# its own folder's files and leaves the registered installation whole.
mkdir -p "$drive/Stale/Nimbula"
cp "$program/uninstall.exe" "$program/README.md" "$drive/Stale/Nimbula/"
printf '@"C:\\Stale\\Nimbula\\uninstall.exe" /S _?=C:\\Stale\\Nimbula\r\n' >"$WORK/stale.bat"
RC=0
timeout "$E2E_TIMEOUT" "$WINE" cmd /c "$(winpath "$WORK/stale.bat")" >"$WORK/uninstall-stale.log" 2>&1 || RC=$?
[ "$RC" = 0 ] || fail "the stale uninstaller ended with status $RC"
[ -e "$drive/Stale/Nimbula/README.md" ] && fail "the stale uninstaller left its own folder's files"
installed_ok
rm -r "$drive/Stale"
pass "an uninstaller in a folder the registry no longer names takes its own files and leaves the installation in C:\\Other\\Nimbula whole"

# --- The uninstaller restarts from a copy of itself and returns at once: the Wine server, no longer
# kept running, ends once that copy has ended. C:\Other, which the installation made, goes too.
wine_stop
RC=0
timeout "$E2E_TIMEOUT" "$WINE" 'C:\Other\Nimbula\uninstall.exe' /S >"$WORK/uninstall.log" 2>&1 || RC=$?
[ "$RC" = 0 ] || fail "the uninstaller ended with status $RC"
timeout "$E2E_TIMEOUT" wineserver -w || fail "the uninstaller did not end"
drive_files | diff "$WORK/drive-before.txt" - >"$WORK/drive-diff.log" || fail "the uninstaller left files behind (see drive-diff)"
# The machine's registry, which the ended server has written back: nothing of ours in it.
grep -in nimbula "$WINEPREFIX/system.reg" >"$WORK/system-reg.log" && fail "the machine's registry still names Nimbula (see system-reg)"
wine_start "$WORK"
[ "$(reg_value 'HKCU\Software\Nimbula\APP' UnivFile)" = 'C:\mine.nmd' ] || fail "the user's settings went"
find "$library" -type f | sort | diff "$WORK/library-before.txt" - >"$WORK/library-diff.log" || fail "the user's universes changed"
pass "the uninstaller leaves the C: drive (but the users' folders) as before the installation and no Nimbula in the machine's registry; the user's universes and settings stay"
