#!/usr/bin/env bash
# Whole-process benchmark: the tool run once on machines of 10,000 and
# 100,000 sections (bench/make_machine.py: every file exists but one, so the
# run loads, repairs at start-up, scans, and saves), against the floor of the
# same machine in the same run: a copy of the catalog plus one open of each
# catalogued file (bench/floor.py). Prints both times, their ratio, the tool's
# peak memory beside the catalog's size, and the growth from the first size
# to the last. A figure to read, not a test.
#
#   bench/whole_process.sh [hosted|wine|both] [SIZES...]
#
# COMP_MGR_BUILD: the native build folder (bin/comp_mgr), default ./build;
# COMP_MGR_MINGW_BUILD: the MinGW-w64 build (bin/COMP_MGR.EXE, comp_mgr.dll),
# default ./build-mingw. Under Wine the machine is drive D: of a private
# prefix (created once, under the MinGW build folder) and the program runs as
# D:\Vantrel\bin\vn_app.exe, the catalog's host program.
set -u
here=$(cd "$(dirname "$0")" && pwd)
mode=${1:-hosted}
shift || true
sizes=${*:-10000 100000}
COMP_MGR_BUILD=${COMP_MGR_BUILD:-$PWD/build}
COMP_MGR_MINGW_BUILD=${COMP_MGR_MINGW_BUILD:-$PWD/build-mingw}
work=$(mktemp -d "${TMPDIR:-/tmp}/whole_process.XXXXXX")
trap 'wine_end 2>/dev/null; rm -rf "$work"' EXIT
export VNT_NOW="2006-12-04 15:04:33" TZ=UTC
script=$work/query.txt
printf 'iGetCatalogCount 0\n' >"$script"

# measure LABEL COMMAND...: runs COMMAND under /usr/bin/time; sets $seconds
# and $peak_kb.
measure() {
  local label=$1
  shift
  /usr/bin/time -f '%e %M' -o "$work/time.txt" "$@" >"$work/$label.out" 2>"$work/$label.err"
  local rc=$?
  read -r seconds peak_kb < <(tail -1 "$work/time.txt")
  if [ "$rc" -ne 0 ]; then
    echo "  $label: exit $rc" >&2
    tail -5 "$work/$label.err" >&2
  fi
}

run_size() {
  local adapter=$1 size=$2 root=$work/$adapter-$size
  python3 "$here/make_machine.py" "$root" "$size"
  local catalog=$root/drive_d/Vantrel/db/vnt_Compdb.ini
  local catalog_kb=$(( $(stat -c %s "$catalog") / 1024 ))
  local floor
  floor=$(python3 "$here/floor.py" "$catalog" "$root/files.txt")
  case $adapter in
    hosted)
      measure tool "$COMP_MGR_BUILD/bin/comp_mgr" --root "$root" --host-exe 'D:\Vantrel\bin\vn_app.exe' \
        --ui none exec "$script"
      ;;
    wine)
      wine_attach "$root"
      cp "$COMP_MGR_MINGW_BUILD/bin/COMP_MGR.EXE" "$root/drive_d/Vantrel/bin/vn_app.exe"
      cp "$COMP_MGR_MINGW_BUILD/bin/comp_mgr.dll" "$root/drive_d/Vantrel/bin/"
      wine_registry_import "$root/registry.reg" 'HKEY_LOCAL_MACHINE\SOFTWARE\KOVRA' >/dev/null 2>&1
      VNT_UI=none VNT_LOG_DIR="$(wine_path "$root/log")" measure tool "$WINE_BIN" 'D:\Vantrel\bin\vn_app.exe' \
        exec "$(wine_path "$script")"
      ;;
  esac
  if ! grep -q 'iGetCatalogCount -> ' "$work/tool.out"; then echo "  the run printed no answer" >&2; fi
  # The second run measures a machine that the first one repaired and saved.
  local ratio
  ratio=$(awk -v t="$seconds" -v f="$floor" 'BEGIN { printf "%.1f", (f > 0 ? t / f : 0) }')
  printf '%-7s %8d sections  catalog %7d KB  tool %8.2f s  floor %7.3f s  ratio %6sx  peak %7d KB (%.1fx catalog)\n' \
    "$adapter" "$size" "$catalog_kb" "$seconds" "$floor" "$ratio" "$peak_kb" \
    "$(awk -v p="$peak_kb" -v c="$catalog_kb" 'BEGIN { print (c > 0 ? p / c : 0) }')"
  times+=("$seconds")
  rm -rf "$root"
}

run_adapter() {
  local adapter=$1 size
  times=()
  for size in $sizes; do run_size "$adapter" "$size"; done
  if [ "${#times[@]}" -ge 2 ]; then
    awk -v a="${times[0]}" -v b="${times[${#times[@]}-1]}" -v n="$adapter" \
      'BEGIN { printf "%-7s growth from the first size to the last: %.1fx\n", n, (a > 0 ? b / a : 0) }'
  fi
}

case $mode in
  hosted | both) run_adapter hosted ;;
esac
case $mode in
  wine | both)
    # shellcheck source=../tests/e2e/wine_lib.sh
    . "$here/../tests/e2e/wine_lib.sh"
    [ -x "$WINE_BIN" ] || { echo "wine64 is not installed" >&2; exit 1; }
    wine_begin bench
    run_adapter wine
    ;;
esac
