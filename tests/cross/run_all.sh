#!/usr/bin/env bash
# Every Windows test under Wine, sharing one Wine prefix made for this run (made once: it takes
# many seconds). Usage: run_all.sh LINUX_BUILD_DIR MINGW_BUILD_DIR
set -euo pipefail
linux=${1:?usage: run_all.sh LINUX_BUILD_DIR MINGW_BUILD_DIR}
mingw=${2:?usage: run_all.sh LINUX_BUILD_DIR MINGW_BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
source "$here/wine.sh"
trap 'wine_stop; rm -rf "$work"' EXIT
start=$SECONDS
wine_start "$work"
export NIMBULA_WINEPREFIX=$WINEPREFIX
echo "wine: prefix made in $((SECONDS - start)) s"
bash "$here/compare_with_wine.sh" "$linux" "$mingw"
bash "$here/run_unit_tests.sh" "$mingw"
wine_stop
# The saver once without a window manager (keys go to the window under the pointer), then
# everything under openbox, which hands the keyboard to the window it made active.
bash "$here/test_windows.sh" "$mingw"
export NIMBULA_WINE_WM=openbox
bash "$here/test_windows.sh" "$mingw"
bash "$here/test_windows_dialogs.sh" "$mingw" "$linux"
NIMBULA_HOST_BUILD=$linux bash "$here/test_windows_frame.sh" "$mingw"
bash "$here/test_windows_clicks.sh" "$mingw"
unset NIMBULA_WINE_WM
wine_stop
bash "$here/test_windows_installer.sh" "$mingw"
echo "wine: every Windows test in $((SECONDS - start)) s"
