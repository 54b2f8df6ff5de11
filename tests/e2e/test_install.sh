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
         share/metainfo/$APP_ID.metainfo.xml share/man/man1/nimbula.1.gz share/man/man1/nimbula-tool.1.gz; do
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
pass "the prefix holds bin, share/nimbula (every file of res/), ${WEB:+$WEB, }the hack link, icons, desktop files and man pages"

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
         /usr/share/man/man1/nimbula.1.gz; do
    [ -e "$f" ] || fail "the package did not install $f"
done
[ "$(readlink -f /usr/libexec/xscreensaver/nimbula)" = /usr/bin/nimbula ] || fail "no hack link in /usr/libexec/xscreensaver"
[ -z "$WEB" ] || [ -x "/usr/$WEB" ] || fail "the package did not install /usr/$WEB"
pass "apt-get installs it: $(dpkg -L nimbula | wc -l) paths"

# The packaged program, started from elsewhere with no NIMBULA_DIR, draws the universe.
draws_orbs packaged /usr/bin/nimbula
rc=0
/usr/libexec/xscreensaver/nimbula --root --frames 5 --pace 0 >"$WORK/hack.log" 2>&1 || rc=$?
[ "$rc" -eq 0 ] || fail "/usr/libexec/xscreensaver/nimbula --root ended with $rc"
/usr/bin/nimbula-tool defaults | cmp -s - <("$BUILD/nimbula-tool" defaults) || fail "the packaged nimbula-tool defaults"
[ -z "$WEB" ] || finds_helper /usr/bin/nimbula "/usr/$WEB"
pass "the packaged nimbula draws orbs on $DRAWN % of the screen${WEB:+ and opens its help window}; the hack and nimbula-tool run"

apt_quiet remove nimbula >"$WORK/apt.log" 2>&1 || fail "apt-get remove nimbula"
INSTALLED=
for f in /usr/bin/nimbula /usr/bin/nimbula-tool /usr/share/nimbula /usr/libexec/xscreensaver/nimbula /usr/libexec/nimbula; do
    [ ! -e "$f" ] && [ ! -L "$f" ] || fail "apt-get remove left $f"
done
pass "apt-get remove takes it away again"
