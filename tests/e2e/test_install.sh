#!/usr/bin/env bash
# End to end: cmake --install into a temporary prefix lays out the standard tree, its desktop files
# validate, and the installed programs run from there and find their data and the help window's
# program (libexec/nimbula) without NIMBULA_DIR. Then the Debian package that CPack makes installs
# with apt, its programs run from /usr, and apt removes it again; that part needs root, and as any
# other user the test says so and passes.
# Usage: test_install.sh BUILD_DIR. Screenshots stay in $NIMBULA_E2E_KEEP when that is set.
set -euo pipefail

SRC=$(cd "$(dirname "$0")/../.." && pwd)
source "$(dirname "$0")/common.sh" test_install "$@"
APP_ID=io.github.nimbula.Nimbula
PREFIX=$WORK/prefix
INSTALLED=
apt_quiet() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -y -q "$@"; }
# The package goes again whatever happens to the test.
cleanup() {
    [ -z "$INSTALLED" ] || apt_quiet remove nimbula >/dev/null 2>&1 || true
    e2e_cleanup
}
trap cleanup EXIT

cmake --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log" 2>&1 || fail "cmake --install"
rm "$WORK/install.log"

# --- the standard layout ---
for f in bin/nimbula bin/nimbula-tool share/nimbula/sphere.umf share/nimbula/orb.bmp share/nimbula/cursor132.png \
         share/nimbula/nimbula-64.png share/xscreensaver/config/nimbula.xml share/applications/$APP_ID.desktop \
         share/metainfo/$APP_ID.metainfo.xml share/man/man1/nimbula.1.gz share/man/man1/nimbula-tool.1.gz \
         share/doc/nimbula/LICENSE share/doc/nimbula/copyright; do
    [ -s "$PREFIX/$f" ] || fail "the prefix lacks $f"
done
for size in 16 32 48 64 128 256; do
    icon=$PREFIX/share/icons/hicolor/${size}x${size}/apps/nimbula.png
    [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x${size}" ] || fail "no ${size}x${size} icon at $icon"
done
# Whole folders: every file the source and build data folders hold, in their sub-folders too.
while IFS= read -r f; do
    [ -f "$PREFIX/share/nimbula/$f" ] || fail "share/nimbula lacks $f"
done < <(cd "$SRC/res" && find . -type f ! -name nimbula.xml ! -path './desktop/*'; cd "$BUILD/res" && find . -type f)
# The build's generated data wins over the copies committed in res/.
cmp -s "$BUILD/res/sphere.umf" "$PREFIX/share/nimbula/sphere.umf" || fail "share/nimbula/sphere.umf is not the build's"
hack=$PREFIX/libexec/xscreensaver/nimbula
[ -L "$hack" ] && [ "$(readlink -f "$hack")" = "$(readlink -f "$PREFIX/bin/nimbula")" ] ||
    fail "libexec/xscreensaver/nimbula does not lead to bin/nimbula"
WEB=
if [ -x "$BUILD/nimbula-web" ]; then
    WEB=libexec/nimbula/nimbula-web
    [ -x "$PREFIX/$WEB" ] || fail "the prefix lacks $WEB, the help window's program"
fi
cmp -s "$SRC/LICENSE" "$PREFIX/share/doc/nimbula/LICENSE" || fail "share/doc/nimbula/LICENSE is not the project's"
grep -qx "License: Expat" "$PREFIX/share/doc/nimbula/copyright" && grep -qx " SOFTWARE." "$PREFIX/share/doc/nimbula/copyright" ||
    fail "share/doc/nimbula/copyright does not carry the licence"
pass "the prefix holds bin, share/nimbula (every file of res/), ${WEB:+$WEB, }the hack link, icons, desktop files, man pages and the licence"

# --- desktop files and man pages as the desktop's own tools read them ---
desktop-file-validate "$PREFIX/share/applications/$APP_ID.desktop" >"$WORK/validate.log" 2>&1 ||
    fail "desktop-file-validate"
appstreamcli validate --no-net "$PREFIX/share/metainfo/$APP_ID.metainfo.xml" >"$WORK/validate.log" 2>&1 ||
    fail "appstreamcli validate"
for page in nimbula nimbula-tool; do
    MANWIDTH=80 man --warnings -l "$PREFIX/share/man/man1/$page.1.gz" >"$WORK/man.txt" 2>"$WORK/man.log" ||
        fail "man $page"
    [ ! -s "$WORK/man.log" ] || fail "man $page warns"
    grep -q "^NAME" "$WORK/man.txt" || fail "man $page has no NAME section"
done
rm -f "$WORK/validate.log" "$WORK/man.log"
pass "the desktop entry and the metainfo validate; both man pages render without warnings"

# --- universe files on the desktop: their type, the entry that opens them, the thumbnailer ---
for f in share/mime/packages/$APP_ID.xml share/thumbnailers/nimbula.thumbnailer share/applications/screensavers/nimbula.desktop \
         share/icons/hicolor/48x48/mimetypes/application-x-nimbula-universe.png; do
    [ -s "$PREFIX/$f" ] || fail "the prefix lacks $f"
done
desktop-file-validate "$PREFIX/share/applications/screensavers/nimbula.desktop" >"$WORK/validate.log" 2>&1 ||
    fail "desktop-file-validate of the screen-saver entry"
entry=$PREFIX/share/applications/$APP_ID.desktop
grep -qx "MimeType=application/x-nimbula-universe;" "$entry" && grep -qx "Exec=nimbula %f" "$entry" ||
    fail "the desktop entry does not take universe files"
# (Both say that the prefix is not where the desktop looks; the test points XDG_DATA_DIRS there.)
update-mime-database "$PREFIX/share/mime" >"$WORK/mime.log" 2>&1 || fail "update-mime-database"
update-desktop-database "$PREFIX/share/applications" >"$WORK/mime.log" 2>&1 || fail "update-desktop-database"
rm "$WORK/mime.log"
# xdg-mime asks GIO, which reads the prefix's mime database, on a desktop it knows.
mime() {
    XDG_CURRENT_DESKTOP=MATE XDG_DATA_DIRS="$PREFIX/share:/usr/share" XDG_DATA_HOME=$WORK/no-home \
        XDG_CONFIG_HOME=$WORK/no-config xdg-mime query "$@" 2>/dev/null
}
cp "$PREFIX/share/nimbula/universes/Galaxy.nmd" "$WORK/galaxy-without-extension"
for f in "$PREFIX"/share/nimbula/universes/*.nmd "$WORK/galaxy-without-extension"; do
    [ "$(mime filetype "$f")" = application/x-nimbula-universe ] || fail "xdg-mime query filetype $f: $(mime filetype "$f")"
done
# The model file shares the container but holds no universe; a container version the loader
# refuses is none either.
[ "$(mime filetype "$PREFIX/share/nimbula/sphere.umf")" != application/x-nimbula-universe ] || fail "sphere.umf passes for a universe"
{ printf 'NUMF\x09\x00\x00\x00'; tail -c +9 "$WORK/galaxy-without-extension"; } >"$WORK/container-version-9"
[ "$(mime filetype "$WORK/container-version-9")" != application/x-nimbula-universe ] ||
    fail "a container of version 9 passes for a universe"
[ "$(mime default application/x-nimbula-universe)" = "$APP_ID.desktop" ] || fail "the type does not open with $APP_ID.desktop"
pass "xdg-mime knows every sample (by name and, without one, by its header) as application/x-nimbula-universe, opened by $APP_ID.desktop"

# The thumbnailer's Exec line as a file manager runs it: no display, the installed programs on PATH.
read -ra exec_words < <(sed -n 's/^Exec=//p' "$PREFIX/share/thumbnailers/nimbula.thumbnailer")
grep -qx "MimeType=application/x-nimbula-universe;" "$PREFIX/share/thumbnailers/nimbula.thumbnailer" ||
    fail "the thumbnailer does not name the type"
# thumbnail SIZE INPUT OUTPUT: the exit status goes to RC, the time in milliseconds to MS.
thumbnail() {
    local words=() w start
    for w in "${exec_words[@]}"; do
        case $w in %s) w=$1 ;; %i) w=$2 ;; %o) w=$3 ;; esac
        words+=("$w")
    done
    start=$(date +%s%N)
    RC=0
    env -u DISPLAY -u XAUTHORITY PATH="$PREFIX/bin:$PATH" timeout 10 "${words[@]}" 2>>"$WORK/thumbnail.log" || RC=$?
    MS=$((($(date +%s%N) - start) / 1000000))
}
times=
for f in "$PREFIX"/share/nimbula/universes/*.nmd; do
    name=$(basename "$f" .nmd)
    thumbnail 256 "$f" "$WORK/$name-256.png"
    [ "$RC" -eq 0 ] || fail "the thumbnailer ended with $RC on $name.nmd: $(cat "$WORK/thumbnail.log")"
    times="$times $name $MS ms,"
    [ "$(identify -format '%wx%h' "$WORK/$name-256.png")" = 256x256 ] || fail "the thumbnail of $name.nmd is not 256x256"
    orbs=$(convert "$WORK/$name-256.png" -colorspace gray -threshold 20% -format '%[fx:int(mean*1000)]' info:)
    [ "$orbs" -ge 20 ] || fail "the thumbnail of $name.nmd shows no universe ($orbs per mille bright)"
done
thumbnail 128 "$PREFIX/share/nimbula/universes/Spectrum.nmd" "$WORK/spectrum-128.png"
[ "$RC" -eq 0 ] && [ "$(identify -format '%wx%h' "$WORK/spectrum-128.png")" = 128x128 ] || fail "no 128x128 thumbnail"
pass "the thumbnailer draws every sample at 256x256 with no display:${times%,}"

# Damaged files, as a folder may hold them: a failure, never a picture, never a hang.
sample=$PREFIX/share/nimbula/universes/Galaxy.nmd
: >"$WORK/empty.nmd"
head -c 5000 "$sample" >"$WORK/truncated.nmd"
awk 'BEGIN { srand(7); for (i = 0; i < 65536; i++) printf "%c", int(rand() * 256) }' >"$WORK/random.nmd"
# The header and camera of a real file, then one group whose texture claims 8192 x 8192 pixels.
{ head -c 112 "$sample"; printf '\001\000\000\000'; head -c 24 /dev/zero; printf '\001\000\000\000\000\040\000\000\000\040\000\000'; } >"$WORK/huge-texture.nmd"
# A header, then a file far larger than any thumbnail is worth reading.
{ head -c 12 "$sample"; } >"$WORK/huge-file.nmd"
truncate -s 200M "$WORK/huge-file.nmd"
times=
for name in empty truncated random huge-texture huge-file missing; do
    thumbnail 256 "$WORK/$name.nmd" "$WORK/$name.png"
    [ "$RC" -ne 0 ] && [ "$RC" -ne 124 ] && [ "$RC" -lt 128 ] || fail "the thumbnailer ended with $RC on $name.nmd"
    [ ! -e "$WORK/$name.png" ] || fail "the thumbnailer wrote a picture of $name.nmd"
    times="$times $name $MS ms,"
done
rm -f "$WORK/huge-file.nmd"
pass "damaged files end with an error and no picture:${times%,}"

# --- the installed programs, started from elsewhere, find their data beside themselves ---
unset NIMBULA_DIR
mkdir -p "$WORK/elsewhere"
cd "$WORK/elsewhere"
found_data() { ! grep -Eq "sphere.umf|not correctly installed" "$WORK/$1.log"; }

# Starts PROGRAM /s from elsewhere, waits for orbs on the screen (their share goes to DRAWN), ends
# it with SIGTERM and checks that it ended with 0 and found its data: draws_orbs NAME PROGRAM.
draws_orbs() {
    local name=$1 program=$2 pid
    DRAWN=
    launch "$name" "$program" /s
    pid=$LAUNCHED
    wait_for_window "$pid" >/dev/null || fail "$program /s ended at start-up or opened no window"
    shows_orbs() { shot "$name" && DRAWN=$(bright_share "$name") && awk -v s="$DRAWN" 'BEGIN { exit !(s > 2.0) }'; }
    wait_until shows_orbs || fail "$program /s drew no orbs"
    kill -TERM "$pid"
    wait_exit "$pid" || fail "$program /s did not end on SIGTERM"
    [ "$RC" -eq 0 ] || fail "$program /s ended with $RC after SIGTERM"
    found_data "$name" || fail "$program did not find its data"
}
draws_orbs installed "$PREFIX/bin/nimbula"
pass "the installed nimbula /s draws orbs on $DRAWN % of the screen from its own data"

# V opens the help window through the installed helper, from its place in libexec.
web_window() { xdotool search --onlyvisible --name "^Nimbula - Quillon Web Support$" >/dev/null 2>&1; }
finds_helper() {
    local program=$1 helper=$2 pid
    launch help "$program" /s --orbs 20
    pid=$LAUNCHED
    wait_for_window "$pid" >/dev/null || fail "$program /s opened no window"
    xdotool key v
    wait_until web_window || fail "V opened no help window from $program"
    pgrep -f "^$helper" >/dev/null || fail "the help window is not $helper's"
    xdotool key Escape
    until_moving help-back || fail "Escape did not bring the universe back"
    kill -TERM "$pid"
    wait_exit "$pid" && [ "$RC" -eq 0 ] || fail "$program /s did not end cleanly after the help window"
    ! grep -q "missing" "$WORK/help.log" || fail "$program says: $(cat "$WORK/help.log")"
}
if [ -n "$WEB" ]; then
    finds_helper "$PREFIX/bin/nimbula" "$PREFIX/$WEB"
    pass "V in the installed nimbula opens the help window with $WEB"
fi

rc=0
"$hack" --root --frames 5 --pace 0 >"$WORK/hack.log" 2>&1 || rc=$?
[ "$rc" -eq 0 ] && grep -q "^frames: 5," "$WORK/hack.log" && found_data hack || fail "libexec/xscreensaver/nimbula --root ended with $rc"
pass "the hack link runs: $(grep '^frames:' "$WORK/hack.log")"

"$PREFIX/bin/nimbula-tool" defaults >"$WORK/defaults.txt" 2>"$WORK/tool.log" || fail "the installed nimbula-tool defaults"
"$BUILD/nimbula-tool" defaults | cmp -s - "$WORK/defaults.txt" || fail "the installed nimbula-tool prints another defaults string"
"$PREFIX/bin/nimbula-tool" simulate --frames 3 --orbs 20 >"$WORK/simulate.txt" 2>"$WORK/tool.log" ||
    fail "the installed nimbula-tool simulate"
"$BUILD/nimbula-tool" simulate --frames 3 --orbs 20 | cmp -s - "$WORK/simulate.txt" ||
    fail "the installed nimbula-tool simulates another universe"
pass "the installed nimbula-tool prints the build's defaults string and simulation"

# --- the Debian package ---
if [ "$(id -u)" -ne 0 ]; then
    echo "test_install: the Debian package skipped: installing a Debian package needs root; run the suite as root to test it"
    exit 0
fi
if dpkg-query -W -f='${Status}' nimbula 2>/dev/null | grep -q "install ok installed"; then
    echo "test_install: the Debian package skipped: a nimbula package is installed already, and this test does not replace it"
    exit 0
fi
[ -f "$BUILD/CPackConfig.cmake" ] || fail "no $BUILD/CPackConfig.cmake"

cpack -G DEB -B "$WORK/package" --config "$BUILD/CPackConfig.cmake" >"$WORK/cpack.log" 2>&1 || fail "cpack"
deb=$(ls "$WORK"/package/nimbula_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
# The libraries the programs link (found by dpkg-shlibdeps) and what they only open at run time.
for p in libsdl2-2.0-0 libepoxy0 libstb0 libx11-6 libstdc++6 libc6 libgl1 fonts-dejavu-core fonts-dseg; do
    echo "$depends" | tr ',|' '\n\n' | awk '{ print $1 }' | grep -qxF "$p" || fail "the package does not depend on $p: $depends"
done
pass "$(basename "$deb") ($(du -k "$deb" | cut -f1) KiB) depends on $depends"

apt_quiet install --no-install-recommends "$deb" >"$WORK/apt.log" 2>&1 || fail "apt-get install $deb"
INSTALLED=1
dpkg-query -W -f='${Status}' nimbula | grep -q "install ok installed" || fail "apt did not install nimbula"
for f in /usr/bin/nimbula /usr/bin/nimbula-tool /usr/share/nimbula/sphere.umf /usr/share/xscreensaver/config/nimbula.xml \
         /usr/share/applications/io.github.nimbula.Nimbula.desktop /usr/share/icons/hicolor/48x48/apps/nimbula.png \
         /usr/share/man/man1/nimbula.1.gz /usr/share/doc/nimbula/copyright; do
    [ -e "$f" ] || fail "the package did not install $f"
done
[ "$(readlink -f /usr/libexec/xscreensaver/nimbula)" = /usr/bin/nimbula ] || fail "no hack link in /usr/libexec/xscreensaver"
[ -z "$WEB" ] || [ -x "/usr/$WEB" ] || fail "the package did not install /usr/$WEB"
pass "apt-get installs it: $(dpkg -L nimbula | wc -l) paths"
system_mime() { XDG_CURRENT_DESKTOP=MATE XDG_DATA_HOME=$WORK/no-home xdg-mime query filetype "$1" 2>/dev/null; }
[ "$(system_mime "$WORK/galaxy-without-extension")" = application/x-nimbula-universe ] ||
    fail "the package's scripts did not update the system's mime database"

# The packaged program, started from elsewhere with no NIMBULA_DIR, draws the universe.
draws_orbs packaged /usr/bin/nimbula
rc=0
/usr/libexec/xscreensaver/nimbula --root --frames 5 --pace 0 >"$WORK/hack.log" 2>&1 || rc=$?
[ "$rc" -eq 0 ] || fail "/usr/libexec/xscreensaver/nimbula --root ended with $rc"
/usr/bin/nimbula-tool defaults | cmp -s - <("$BUILD/nimbula-tool" defaults) || fail "the packaged nimbula-tool defaults"
[ -z "$WEB" ] || finds_helper /usr/bin/nimbula "/usr/$WEB"
pass "the packaged nimbula draws orbs on $DRAWN % of the screen${WEB:+ and opens its help window}; the hack and nimbula-tool run"

# MATE's screen saver runs only hacks from its own and XScreenSaver's folders, so it takes Nimbula
# from the package (/usr/libexec/xscreensaver/nimbula), found through the package's entry in
# /usr/share/applications/screensavers; it hands the hack its window in $XSCREENSAVER_WINDOW.
mate_screensaver() {
    local mate=$WORK/mate bus daemon pid window
    mkdir -p "$mate/home" "$mate/config/glib-2.0/settings"
    printf '%s\n' "[org/mate/screensaver]" "mode='single'" "themes=['screensavers-nimbula']" \
        "lock-enabled=false" "idle-activation-enabled=false" >"$mate/config/glib-2.0/settings/keyfile"
    local env=(env HOME="$mate/home" XDG_CONFIG_HOME="$mate/config" GSETTINGS_BACKEND=keyfile XDG_CURRENT_DESKTOP=MATE
               NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS="unix:path=$mate/bus")
    launch mate-bus dbus-daemon --session --nofork --nopidfile --address="unix:path=$mate/bus"
    bus=$LAUNCHED
    wait_until test -S "$mate/bus" || fail "no session bus for mate-screensaver"
    launch mate-screensaver "${env[@]}" mate-screensaver --no-daemon --debug
    daemon=$LAUNCHED
    wait_until quiet "${env[@]}" mate-screensaver-command --query || fail "mate-screensaver does not answer"
    quiet "${env[@]}" mate-screensaver-command --activate || fail "mate-screensaver-command --activate"
    hack() { pgrep -P "$daemon" -f "^nimbula -root"; }
    wait_until quiet hack || fail "mate-screensaver did not start Nimbula: $(grep -m1 'Setting command' "$WORK/mate-screensaver.log")"
    pid=$(hack | head -1)
    window=$(tr '\0' '\n' <"/proc/$pid/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
    [ -n "$window" ] || fail "mate-screensaver gave Nimbula no window"
    shows_orbs() { shot mate && DRAWN=$(bright_share mate) && awk -v s="$DRAWN" 'BEGIN { exit !(s > 2.0) }'; }
    wait_until shows_orbs || fail "Nimbula drew no orbs under mate-screensaver"
    quiet "${env[@]}" mate-screensaver-command --deactivate || fail "mate-screensaver-command --deactivate"
    wait_until gone "$pid" || fail "Nimbula did not end when mate-screensaver stopped it"
    pass "mate-screensaver lists Nimbula and runs it into its window $window: orbs on $DRAWN % of the screen, gone when it stops"
    stop_process "$daemon"
    # The preferences dialog lists the themes and previews the chosen one in a window of its own.
    launch mate-preferences "${env[@]}" mate-screensaver-preferences
    local prefs=$LAUNCHED
    preview() { pgrep -P "$prefs" -f "^nimbula -root"; }
    wait_until quiet preview || fail "the screen-saver preferences do not preview Nimbula"
    pid=$(preview | head -1)
    window=$(tr '\0' '\n' <"/proc/$pid/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
    previewed() { shot mate-preview "$window" && DRAWN=$(bright_share mate-preview) && awk -v s="$DRAWN" 'BEGIN { exit !(s > 2.0) }'; }
    wait_until previewed || fail "the preferences' preview of Nimbula shows no orbs"
    stop_process "$prefs"
    wait_until gone "$pid" || fail "the preview did not end with the preferences"
    pass "mate-screensaver-preferences previews Nimbula in its window $window: orbs on $DRAWN % of it"
    stop_process "$bus"
}
if command -v mate-screensaver >/dev/null; then
    mate_screensaver
else
    echo "test_install: mate-screensaver is not installed; its run of Nimbula is not checked"
fi

apt_quiet remove nimbula >"$WORK/apt.log" 2>&1 || fail "apt-get remove nimbula"
INSTALLED=
for f in /usr/bin/nimbula /usr/bin/nimbula-tool /usr/share/nimbula /usr/libexec/xscreensaver/nimbula /usr/libexec/nimbula; do
    [ ! -e "$f" ] && [ ! -L "$f" ] || fail "apt-get remove left $f"
done
[ "$(system_mime "$WORK/galaxy-without-extension")" != application/x-nimbula-universe ] ||
    fail "the system's mime database still knows the type after removal"
pass "apt-get remove takes it away again, the type with it"
