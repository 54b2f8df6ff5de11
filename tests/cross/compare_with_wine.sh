#!/usr/bin/env bash
# The Windows build of nimbula-tool under Wine against the Linux build: the defaults string must be
# the same, and simulate's numbers must agree to 1e-9 relative. Says whether they are bit-identical.
# Usage: compare_with_wine.sh LINUX_BUILD_DIR MINGW_BUILD_DIR [FRAMES]
set -euo pipefail
linux=$(cd "${1:?usage: compare_with_wine.sh LINUX_BUILD_DIR MINGW_BUILD_DIR [FRAMES]}" && pwd)
mingw=$(cd "${2:?usage: compare_with_wine.sh LINUX_BUILD_DIR MINGW_BUILD_DIR [FRAMES]}" && pwd)
frames=${3:-10}
tool=$linux/nimbula-tool
exe=$mingw/nimbula-tool.exe
[ -x "$tool" ] || { echo "FAIL: no $tool"; exit 1; }
[ -f "$exe" ] || { echo "FAIL: no $exe"; exit 1; }

source "$(dirname "$0")/wine.sh"
wine_script_start
work=$WORK

# Both read the same orb model: the Linux build's data, reached by Wine through its Z: drive.
data=$linux/res
[ -f "$data/sphere.umf" ] || data=$(cd "$(dirname "$0")/../../res" && pwd)
windata="Z:${data//\//\\}"

# Windows writes text with CR LF line ends; the comparison is of the text.
run_exe() { NIMBULA_DIR=$windata timeout 120 "$WINE" "$exe" "$@" 2>"$work/wine.err" | tr -d '\r'; }

"$tool" defaults >"$work/linux-defaults.txt"
run_exe defaults >"$work/wine-defaults.txt" || { cat "$work/wine.err"; echo "FAIL: nimbula-tool.exe defaults"; exit 1; }
if ! cmp -s "$work/linux-defaults.txt" "$work/wine-defaults.txt"; then
    diff "$work/linux-defaults.txt" "$work/wine-defaults.txt" | head -5
    echo "FAIL: the defaults strings differ"
    exit 1
fi
echo "ok: defaults: the same $(($(wc -c <"$work/linux-defaults.txt") - 1))-letter string"

NIMBULA_DIR=$data "$tool" simulate --frames "$frames" >"$work/linux-simulate.txt"
run_exe simulate --frames "$frames" >"$work/wine-simulate.txt" || {
    cat "$work/wine.err"
    echo "FAIL: nimbula-tool.exe simulate"
    exit 1
}
if cmp -s "$work/linux-simulate.txt" "$work/wine-simulate.txt"; then
    echo "ok: simulate --frames $frames: bit-identical ($(wc -l <"$work/linux-simulate.txt") lines)"
    exit 0
fi
# Line by line, word by word: the same labels, numbers within 1e-9 of each other relatively.
paste -d '\n' "$work/linux-simulate.txt" "$work/wine-simulate.txt" | awk -v frames="$frames" '
    function abs(v) { return v < 0 ? -v : v }
    NR % 2 == 1 { split($0, a); na = NF; next }
    {
        if (NF != na) { printf "FAIL: line %d has %d words on Linux, %d under Wine\n", NR / 2, na, NF; bad = 1; exit }
        for (i = 1; i <= NF; ++i) {
            ++numbers
            if (a[i] == $i) continue
            ++differ
            if (a[i] !~ /^[-+0-9.eE]+$/ || $i !~ /^[-+0-9.eE]+$/) { printf "FAIL: line %d: \"%s\" against \"%s\"\n", NR / 2, a[i], $i; bad = 1; exit }
            scale = abs(a[i]) > abs($i) ? abs(a[i]) : abs($i)
            rel = abs(a[i] - $i) / (scale > 1e-300 ? scale : 1e-300)
            if (rel > worst) { worst = rel; where = sprintf("line %d: %s against %s", NR / 2, a[i], $i) }
        }
    }
    END {
        if (bad) exit 1
        printf "simulate --frames %d: %d of %d words differ in their last digits; largest relative difference %.3g (%s)\n", frames, differ, numbers, worst, where
        if (worst > 1e-9) { print "FAIL: more than 1e-9 apart"; exit 1 }
        print "ok: simulate agrees to 1e-9 relative, not bit for bit"
    }'
