#!/usr/bin/env bash
# End to end: the web support window (V) over the running saver under Xvfb: it opens on the help
# page above the saver and takes the keyboard; clicked "app:" links in either letter case reach the
# program and go nowhere, "ap:x" and "app" are followed; app:about closes it and opens the about
# box; Escape returns to the running universe. Where the test may make a private mount namespace,
# also a machine without WebKitGTK, a web process that cannot start, and a sandbox that cannot run.
# Usage: test_web.sh BUILD_DIR.
set -euo pipefail

source "$(dirname "$0")/common.sh" test_web "$@"
if [ ! -x "$BUILD/nimbula-web" ]; then
    echo "test_web: no $BUILD/nimbula-web (built without WebKitGTK); nothing to test"
    exit 0
fi
PID=
TRACE=$WORK/trace
# The shared clean-up stops what the test tracked (the local web server among them).
cleanup() {
    if [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null; then kill "$PID" 2>/dev/null || true; wait "$PID" 2>/dev/null || true; fi
    if [ -n "${NIMBULA_E2E_KEEP:-}" ]; then mkdir -p "$NIMBULA_E2E_KEEP" && cp "$TRACE" "$NIMBULA_E2E_KEEP"/ 2>/dev/null || true; fi
    e2e_cleanup
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    [ -f "$WORK/run.log" ] && sed 's/^/  program: /' "$WORK/run.log"
    [ -f "$TRACE" ] && sed 's/^/  trace: /' "$TRACE"
    exit 1
}

# The desktop's browser: records what it was asked to show. Every route xdg-open may take ends
# there, never at a browser or mailcap entry of the machine: no desktop's own opener, HTML pages
# and file: addresses go to it by our mimeapps.list, run-mailcap finds no rule, $BROWSER names it.
# Routes differ in what they hand on: the file: address or the file's path (xdg-mime, mailcap).
export BROWSER=$WORK/browser
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s"\n' "$WORK/browser.log" >"$BROWSER"
chmod +x "$BROWSER"
export XDG_CURRENT_DESKTOP=X-Generic MAILCAPS=$WORK/mailcap
: >"$MAILCAPS"
cat >"$XDG_CONFIG_HOME/mimeapps.list" <<'EOF'
[Default Applications]
text/html=nimbula-test-browser.desktop
x-scheme-handler/file=nimbula-test-browser.desktop
EOF
mkdir -p "$XDG_DATA_HOME/applications"
printf '[Desktop Entry]\nType=Application\nName=Test browser\nExec=%s %%u\nMimeType=text/html;\n' "$BROWSER" \
    >"$XDG_DATA_HOME/applications/nimbula-test-browser.desktop"
export NIMBULA_WEB_TRACE=$TRACE

# Runs the check until it holds, up to 30 s by the clock (a check that is slow on a busy machine
# does not stretch it), while the saver lives.
wait_for() {
    local what=$1 end=$((SECONDS + 30))
    shift
    until "$@" >/dev/null; do
        [ -n "$PID" ] && ! kill -0 "$PID" 2>/dev/null && fail "the saver ended while waiting for $what"
        [ "$SECONDS" -lt "$end" ] || fail "no $what in 30 s"
        sleep 0.1
    done
}
# What the test is doing, so a run stopped from outside shows how far it came.
step() { echo "test_web: $*"; }
traced() { [ -f "$TRACE" ] && grep -qxF "$1" "$TRACE"; }
count_traced() { grep -cxF "$1" "$TRACE" 2>/dev/null || true; }
web_window() { xdotool search --onlyvisible --name "^Nimbula - Quillon Web Support$" 2>/dev/null | head -1; }
has_web_window() { [ -n "$(web_window)" ]; }
no_web_window() { [ -z "$(web_window)" ]; }
logged() { grep -qF "$1" "$WORK/run.log"; }
# The browser was asked for the page, by its address or by its path, at least N times:
# opened_in_desktop_browser ADDRESS N.
opened_in_desktop_browser() {
    [ -f "$WORK/browser.log" ] && [ "$(grep -cxF -e "$1" -e "${1#file://}" "$WORK/browser.log")" -ge "$2" ]
}

# The universe moves: two screenshots a moment apart differ.
moving() { shot m-a; sleep 0.2; shot m-b; [ "$(differing_pixels m-a m-b)" != 0 ]; }
# At least N pixels of the colour (within 12 %) are on the screen.
colour_shown() {
    local n
    shot colour
    n=$(convert "$WORK/colour.png" -fuzz 12% -fill white -opaque "$1" -fill black +opaque white \
        -format "%[fx:int(mean*w*h+0.5)]" info:)
    [ "$n" -ge "$2" ]
}

# start [PREFIX...]: the saver, optionally inside a command (a private mount namespace).
start() {
    rm -f "$TRACE"
    "$@" "$BIN" -s --orbs 60 >"$WORK/run.log" 2>&1 &
    PID=$!
    wait_for "saver window" xdotool search --onlyvisible --pid "$PID"
    wait_for "moving universe" moving
}

# Waits for the saver to end and checks it ended cleanly: ended HOW.
ended() {
    wait_exit "$PID" 30 || fail "the saver still runs 30 s after $1"
    [ "$RC" = 0 ] || fail "the saver did not end cleanly after $1 (status $RC)"
    PID=
}

# The universe moves again only once the saver has left the window's dialog, which ignores keys
# (it waits for the window's program to end, a while on a busy machine): only then does Escape end it.
stop() {
    wait_for "the universe running before Escape" moving
    xdotool key Escape
    ended "Escape"
}

# --- V opens the shipped help page above the saver; Escape closes it and the universe runs on ---
step "the help page over the saver"
start
help_page="file://$NIMBULA_DIR/help/index.html"
xdotool key v
wait_for "help page loaded" traced "loaded $help_page"
wait_for "web support window" has_web_window
# The help page's night blue and golden title fill the window: it is above the saver.
wait_for "help page on the screen" colour_shown "rgb(246,203,28)" 300
shot help
xdotool key Escape
wait_for "web support window closed" no_web_window
wait_for "moving universe after the window closed" moving
kill -0 "$PID" || fail "Escape in the web support window ended the saver"

# --- SIGTERM with the window open ends the saver cleanly, and the window's program with it ---
step "SIGTERM with the window open"
xdotool key v
wait_for "help page loaded again" traced "loaded $help_page"
# This saver's own window program (other tests may run theirs beside it).
web=$(pgrep -P "$PID" -f "$BUILD/nimbula-web" | head -1)
[ -n "$web" ] || fail "no web support window program under the saver"
kill -TERM "$PID"
ended "SIGTERM with the web support window open"
wait_until -t 10 gone "$web" || fail "the web support window's program outlived the saver"
start

# --- Links of a page of our own, clicked where they stand ---
step "links of our own page"
page=$WORK/links.html
cat >"$page" <<'EOF'
<!DOCTYPE html>
<html><head><meta charset="utf-8"><style>
  body { margin: 0; font: 20px sans-serif; }
  a { display: block; height: 50px; line-height: 50px; padding-left: 10px; }
  iframe { display: block; height: 40px; border: 0; }
</style></head><body>
<a href="app:test-lower">app:test-lower</a>
<a href="APP:Test-Upper">APP:Test-Upper</a>
<a href="ap:x" target="f">ap:x</a>
<a href="app" target="f">app</a>
<a href="app:about" target="_blank">app:about</a>
<iframe name="f" src="about:blank"></iframe>
</body></html>
EOF
mkdir -p "$XDG_CONFIG_HOME/nimbula"
printf '{"Nimbula": {"HelpPage": "file://%s"}}\n' "$page" >"$XDG_CONFIG_HOME/nimbula/settings"
rm -f "$TRACE"
xdotool key v
wait_for "our page loaded" traced "loaded file://$page"
wait_for "web support window" has_web_window
eval "$(xdotool getwindowgeometry --shell "$(web_window)")"
# The browser starts 11 pixels below the window's top (the placeholder's place); links are 50 high.
click_link() {
    xdotool mousemove "$((X + 60))" "$((Y + 11 + $1 * 50 + 25))" click 1
}
click_link 0
wait_for "app:test-lower at OnAppCmd" traced "app test-lower"
click_link 1
wait_for "APP:Test-Upper at OnAppCmd" traced "app Test-Upper"
# Neither an unknown scheme nor a file outside the help folder is shown.
click_link 2
wait_for "ap:x refused" traced "refused ap:x"
click_link 3
wait_for "a file beside the page refused" traced "refused file://$WORK/app"
# Neither app: link went anywhere: the page is the one loaded once, still in its window.
[ "$(count_traced "loaded file://$page")" = 1 ] || fail "an app: link loaded a page"
grep -q "^follow .*[Aa][Pp][Pp]:" "$TRACE" && fail "an app: link was followed"
has_web_window || fail "an app: link closed the window"
kill -0 "$PID" || fail "the saver ended"

# --- app:about, a link for a new window: a click all the same; the window closes and the about
# box opens over the universe ---
step "app:about"
click_link 4
wait_for "app:about at OnAppCmd" traced "app about"
wait_for "web support window closed" no_web_window
wait_for "about box" colour_shown "rgb(240,240,240)" 20000
xdotool key Escape
wait_for "moving universe after the about box" moving
stop

# --- A hostile page: its script, its refresh and its images reach nothing; its web link goes to
# the desktop's browser; nothing is fetched from the web (a local server stands in for it) ---
step "a hostile page"
port=$((20000 + RANDOM % 20000))
mkdir -p "$WORK/web"
echo "outside" >"$WORK/web/page.html"
python3 -m http.server --bind 127.0.0.1 --directory "$WORK/web" "$port" >"$WORK/webserver.log" 2>&1 &
track $!
served() { python3 -c "import urllib.request as u; u.urlopen('http://127.0.0.1:$port/page.html', timeout=2)" 2>/dev/null; }
wait_for "local web server" served
# A listener that notes every connection, a request or not (a preconnect sends none).
listen_port=$((port + 1))
python3 -c "
import socket, sys
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(('127.0.0.1', $listen_port)); s.listen(8)
while True:
    c, a = s.accept(); print('connection', flush=True); c.close()
" >"$WORK/listener.log" 2>&1 &
track $!
listening() { python3 -c "import socket; socket.create_connection(('127.0.0.1', $listen_port), timeout=2)" 2>/dev/null; }
wait_for "local listener" listening
: >"$WORK/webserver.log"
page=$WORK/hostile.html
cat >"$page" <<EOF
<!DOCTYPE html>
<html><head><meta charset="utf-8"><meta http-equiv="refresh" content="1;url=app:options"><style>
  body { margin: 0; font: 20px sans-serif; }
  a { display: block; height: 50px; line-height: 50px; padding-left: 10px; }
</style><link rel="stylesheet" href="http://127.0.0.1:$port/style.css">
<link rel="stylesheet" href="file://$WORK/secret.css">
<link rel="preconnect" href="http://127.0.0.1:$listen_port/"><link rel="dns-prefetch" href="http://127.0.0.1:$listen_port/">
<link rel="prefetch" href="http://127.0.0.1:$listen_port/next.html"></head><body>
<a href="http://127.0.0.1:$port/page.html" target="_blank" ping="http://127.0.0.1:$port/ping">outside</a>
<img src="http://127.0.0.1:$port/image.png" width="10" height="10">
<img src="file://$WORK/secret.png" width="200" height="200">
<iframe src="file://$WORK/secret.html" width="200" height="100"></iframe>
<script>location.href = "app:share"; fetch("http://127.0.0.1:$port/fetch");</script>
</body></html>
EOF
# Other local files it names: a lime style sheet, a magenta picture, a page in a frame.
echo "body { background: rgb(0,255,0) !important; }" >"$WORK/secret.css"
convert -size 200x200 xc:"rgb(255,0,255)" "$WORK/secret.png"
echo '<body style="background: rgb(0,255,0)">secret</body>' >"$WORK/secret.html"
printf '{"Nimbula": {"HelpPage": "file://%s"}}\n' "$page" >"$XDG_CONFIG_HOME/nimbula/settings"
start
xdotool key v
wait_for "the hostile page loaded" traced "loaded file://$page"
wait_for "the other local style sheet blocked" traced "blocked file://$WORK/secret.css"
wait_for "the other local picture blocked" traced "blocked file://$WORK/secret.png"
wait_for "the web picture blocked" traced "blocked http://127.0.0.1:$port/image.png"
traced "follow file://$WORK/secret.html" && fail "the frame's other local page was followed"
wait_for "hostile page on the screen" colour_shown "rgb(0,0,238)" 10
colour_shown "rgb(0,255,0)" 1 && fail "a local style sheet or page from outside the help folder was shown"
colour_shown "rgb(255,0,255)" 1 && fail "a local picture from outside the help folder was shown"
wait_for "the page's own move to app:options refused" traced "refused app options (not clicked)"
wait_for "web support window" has_web_window
eval "$(xdotool getwindowgeometry --shell "$(web_window)")"
click_link 0
wait_for "the clicked web link in the desktop's browser" opened_in_desktop_browser "http://127.0.0.1:$port/page.html" 1
grep -q "^app " "$TRACE" && fail "the hostile page reached a command: $(grep "^app " "$TRACE")"
[ -s "$WORK/webserver.log" ] && fail "the help window fetched from the web: $(cat "$WORK/webserver.log")"
# The test's own look at the listener made the one connection allowed.
[ "$(grep -c connection "$WORK/listener.log")" = 1 ] || fail "the help window connected to the web without a request"
[ "$(count_traced "loaded file://$page")" = 1 ] || fail "the hostile page moved"
has_web_window || fail "the hostile page closed the window"
xdotool key Escape
wait_for "web support window closed" no_web_window
stop
pass "a page's script and refresh reach no command, its web link (for a new window, with a ping) goes to the desktop's browser, nothing is fetched from the web or read from other local files"

# --- Where a private mount namespace can hide files: what happens without a working browser ---
step "without a working browser"
if ! unshare -m true 2>/dev/null; then
    echo "test_web: no private mount namespace here; the missing-WebKitGTK cases are not run"
    echo "test_web: ok"
    exit 0
fi
rm -f "$XDG_CONFIG_HOME/nimbula/settings"
# Runs a command with a file hidden under another: hidden FILE REPLACEMENT COMMAND...
hidden=(unshare -m sh -c 'mount --bind "$2" "$1" && shift 2 && exec "$@"' sh)
webkit=$(ldd "$BUILD/nimbula-web" | awk '/libwebkit2gtk-4.1/ { print $3 }')
[ -f "$webkit" ] || fail "cannot find the WebKitGTK library nimbula-web uses"

# No WebKitGTK: said clearly, the page goes to the desktop's browser, the saver runs on.
start "${hidden[@]}" "$webkit" /dev/null
xdotool key v
wait_for "the page in the desktop's browser" opened_in_desktop_browser "$help_page" 1
wait_for "a message about WebKitGTK" logged "Nimbula cannot show the web support page: WebKitGTK 4.1 (libwebkit2gtk-4.1) could not be loaded."
logged "The page opens in your web browser instead:" || fail "the message does not say where the page went"
wait_for "moving universe without WebKitGTK" moving
stop

# A web process that cannot start: the same, and the browser window's program never hangs the saver.
printf '#!/bin/sh\nexit 1\n' >"$WORK/no-web-process"
chmod +x "$WORK/no-web-process"
start "${hidden[@]}" "$(dirname "$webkit")/webkit2gtk-4.1/WebKitWebProcess" "$WORK/no-web-process"
xdotool key v
wait_for "the page in the desktop's browser" opened_in_desktop_browser "$help_page" 2
wait_for "a message about the browser" logged "Nimbula cannot show the web support page: the browser"
wait_for "moving universe after the failed browser" moving
stop

# A sandbox that cannot run here: said on standard error, and the page shows without it.
printf '#!/bin/sh\necho "bwrap: No permissions to create a new namespace" >&2\nexit 1\n' >"$WORK/no-bwrap"
chmod +x "$WORK/no-bwrap"
start "${hidden[@]}" /usr/bin/bwrap "$WORK/no-bwrap"
xdotool key v
wait_for "help page without the sandbox" traced "loaded $help_page"
logged "nimbula-web: WebKit's sandbox cannot run here (bwrap: No permissions to create a new namespace); pages run without it" ||
    fail "no word about the sandbox"
xdotool key Escape
wait_for "web support window closed" no_web_window
stop
echo "test_web: ok"
