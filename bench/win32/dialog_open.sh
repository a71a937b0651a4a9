#!/usr/bin/env bash
# Runs dialog_open_bench.exe (MinGW build folder $1, default build-mingw)
# under Wine on a virtual X server of its own, and prints its figures.
set -euo pipefail
build=$(realpath "${1:-build-mingw}")
n=$(for d in $(seq 150 199); do [ -e "/tmp/.X11-unix/X$d" ] || { echo "$d"; break; }; done)
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'WINEPREFIX="$build/wine-e2e/dialog_bench" /usr/lib/wine/wineserver64 -k 2>/dev/null; kill $xvfb' EXIT
sleep 1
export WINEPREFIX="$build/wine-e2e/dialog_bench" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d" DISPLAY=":$n"
/usr/lib/wine/wine64 "$build/bin/dialog_open_bench.exe" </dev/null | tr -d '\r'
