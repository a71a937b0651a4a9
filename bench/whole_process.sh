#!/usr/bin/env bash
# Whole-process benchmark: the tool run once on machines of 10,000 and
# 100,000 sections (bench/make_machine.py: every file exists but one, so the
# run loads, repairs at start-up, scans, and saves), against the floor of the
# same machine in the same run: a copy of the catalog plus one open of each
# catalogued file (bench/floor.py). Prints both times, their ratio, the tool's
# peak memory beside the catalog's size, and the growth from the first size
# to the last; and the same in processor seconds (user and system), which a
# machine busy with other work disturbs less than the wall clock. Under Wine
# the processor figure is the program's own, without the wine server's. A
# figure to read, not a test.
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

# measure LABEL COMMAND...: runs COMMAND under /usr/bin/time; sets $seconds,
# $cpu_seconds and $peak_kb.
measure() {
  local label=$1
  shift
  # The wall time from the clock in nanoseconds: time(1) gives hundredths,
  # too coarse for the growth from a run of a twentieth of a second.
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" "$@" >"$work/$label.out" 2>"$work/$label.err"
  local rc=$?
  end=$(date +%s%N)
  local user system
  read -r seconds user system peak_kb < <(tail -1 "$work/time.txt")
  seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
  cpu_seconds=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
  if [ "$rc" -ne 0 ]; then
    echo "  $label: exit $rc" >&2
    tail -5 "$work/$label.err" >&2
  fi
}

run_size() {
  local adapter=$1 size=$2 root=$work/$adapter-$size
  python3 "$here/make_machine.py" "$root" "$size"
  # The new machine written out and settled: its writing back slows the next
  # seconds' file calls, the floor's and the tool's alike.
  sync
  sleep 2
  local catalog=$root/drive_d/Vantrel/db/vnt_Compdb.ini
  local catalog_kb=$(( $(stat -c %s "$catalog") / 1024 ))
  local floor floor_cpu
  read -r floor floor_cpu < <(python3 "$here/floor.py" "$catalog" "$root/files.txt")
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
  ratio() { awk -v t="$1" -v f="$2" 'BEGIN { printf "%.1f", (f > 0 ? t / f : 0) }'; }
  printf '%-7s %8d sections  catalog %7d KB  tool %7.3f s  floor %6.3f s  ratio %5sx  peak %7d KB (%sx catalog)\n' \
    "$adapter" "$size" "$catalog_kb" "$seconds" "$floor" "$(ratio "$seconds" "$floor")" "$peak_kb" \
    "$(ratio "$peak_kb" "$catalog_kb")"
  printf '%-7s %8d sections  processor: tool %7.2f s  floor %6.3f s  ratio %5sx\n' \
    "$adapter" "$size" "$cpu_seconds" "$floor_cpu" "$(ratio "$cpu_seconds" "$floor_cpu")"
  times+=("$seconds")
  cpu_times+=("$cpu_seconds")
  rm -rf "$root"
}

run_adapter() {
  local adapter=$1 size
  times=()
  cpu_times=()
  for size in $sizes; do run_size "$adapter" "$size"; done
  if [ "${#times[@]}" -ge 2 ]; then
    local last=$((${#times[@]} - 1))
    awk -v a="${times[0]}" -v b="${times[$last]}" -v c="${cpu_times[0]}" -v d="${cpu_times[$last]}" -v n="$adapter" \
      'BEGIN { printf "%-7s growth from the first size to the last: %.1fx (processor %.1fx)\n", n, (a > 0 ? b / a : 0), (c > 0 ? d / c : 0) }'
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
