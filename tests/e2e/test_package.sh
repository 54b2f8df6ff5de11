#!/usr/bin/env bash
# End to end: the Debian package that CPack makes installs with apt, its programs run from /usr, and
# apt removes it again. Installing needs root: as any other user the test says so and passes.
# Usage: test_package.sh BUILD_DIR. Screenshots stay in $NIMBULA_E2E_KEEP when that is set.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_package "$@"
if [ "$(id -u)" -ne 0 ]; then
    echo "test_package: skipped: installing a Debian package needs root; run the suite as root to test it"
    exit 0
fi
if dpkg-query -W -f='${Status}' nimbula 2>/dev/null | grep -q "install ok installed"; then
    echo "test_package: skipped: a nimbula package is installed already, and this test does not replace it"
    exit 0
fi
[ -f "$BUILD/CPackConfig.cmake" ] || { echo "FAIL: no $BUILD/CPackConfig.cmake"; exit 1; }

INSTALLED=
RUNNING=
apt_quiet() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -y -q "$@"; }
cleanup() {
    [ -z "$RUNNING" ] || { kill "$RUNNING" 2>/dev/null || true; wait "$RUNNING" 2>/dev/null || true; }
    [ -z "$INSTALLED" ] || apt_quiet remove nimbula >/dev/null 2>&1 || true
    if [ -n "${NIMBULA_E2E_KEEP:-}" ]; then mkdir -p "$NIMBULA_E2E_KEEP" && cp "$WORK"/*.png "$WORK"/*.log "$NIMBULA_E2E_KEEP"/ 2>/dev/null || true; fi
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; for f in "$WORK"/*.log; do [ -f "$f" ] && sed "s|^|  $(basename "$f"): |" "$f"; done; exit 1; }
pass() { echo "ok: $*"; }

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
pass "apt-get installs it: $(dpkg -L nimbula | wc -l) paths"

# The packaged program, started from elsewhere with no NIMBULA_DIR, draws the universe.
unset NIMBULA_DIR
cd "$WORK"
/usr/bin/nimbula /s >"$WORK/packaged.log" 2>&1 &
RUNNING=$!
drawn=
for _ in $(seq 300); do
    kill -0 "$RUNNING" 2>/dev/null || break
    if [ -n "$(xdotool search --onlyvisible --pid "$RUNNING" 2>/dev/null || true)" ]; then
        import -window root "$WORK/packaged.png"
        share=$(convert "$WORK/packaged.png" -colorspace gray -threshold 20% -format "%[fx:int(mean*1000)/10]" info:)
        if awk -v s="$share" 'BEGIN { exit !(s > 2.0) }'; then drawn=$share; break; fi
    fi
    sleep 0.1
done
[ -n "$drawn" ] || fail "the packaged nimbula /s drew no orbs"
kill -TERM "$RUNNING"
rc=0
wait "$RUNNING" || rc=$?
RUNNING=
[ "$rc" -eq 0 ] || fail "the packaged nimbula /s ended with $rc after SIGTERM"
! grep -Eq "sphere.umf|not correctly installed" "$WORK/packaged.log" || fail "the packaged nimbula did not find its data"
rc=0
/usr/libexec/xscreensaver/nimbula --root --frames 5 --pace 0 >"$WORK/hack.log" 2>&1 || rc=$?
[ "$rc" -eq 0 ] || fail "/usr/libexec/xscreensaver/nimbula --root ended with $rc"
/usr/bin/nimbula-tool defaults | cmp -s - <("$BUILD/nimbula-tool" defaults) || fail "the packaged nimbula-tool defaults"
pass "the packaged nimbula draws orbs on $drawn % of the screen; the hack and nimbula-tool run"

apt_quiet remove nimbula >"$WORK/apt.log" 2>&1 || fail "apt-get remove nimbula"
INSTALLED=
for f in /usr/bin/nimbula /usr/bin/nimbula-tool /usr/share/nimbula /usr/libexec/xscreensaver/nimbula; do
    [ ! -e "$f" ] && [ ! -L "$f" ] || fail "apt-get remove left $f"
done
pass "apt-get remove takes it away again"
