#!/usr/bin/env bash
# The Windows build's unit tests under Wine. Usage: run_unit_tests.sh MINGW_BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: run_unit_tests.sh MINGW_BUILD_DIR}" && pwd)
exe=$build/tests/nimbula_tests.exe
[ -f "$exe" ] || { echo "FAIL: no $exe"; exit 1; }
source "$(dirname "$0")/wine.sh"
wine_script_start
work=$WORK
# The tests that run nimbula-tool find it beside them; the data is the build's own res/. The
# dialog tests make real windows: on a private X server of their own.
# A server kept running from before (run_all.sh keeps one) has its desktop on no X server or
# another one, where the dialog tests could make no window and would only be skipped: they start
# afresh on this one.
wine_stop
status=0
NIMBULA_TOOL="$(winpath "$build/nimbula-tool.exe")" NIMBULA_DIR="$(winpath "$build/res")" \
    timeout 600 xvfb-run -a "$WINE" "$exe" --gtest_brief=1 >"$work/out.txt" 2>&1 || status=$?
strip_cr <"$work/out.txt" | grep -v '^$' | tail -n 40
passed=$(strip_cr <"$work/out.txt" | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p')
if [ "$status" -ne 0 ] || [ -z "$passed" ]; then
    echo "FAIL: the Windows unit tests under Wine (status $status)"
    exit 1
fi
if strip_cr <"$work/out.txt" | grep -q "no display for windows"; then
    echo "FAIL: the Windows dialog tests could make no window under Wine"
    exit 1
fi
echo "ok: $passed Windows unit tests passed under Wine"
