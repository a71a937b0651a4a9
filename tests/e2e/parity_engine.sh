#!/usr/bin/env bash
# Parity of the start-up's call to the component engine: the hosted tool and
# COMP_MGR.EXE under Wine, each with the test engine (tests/fixtures, an ELF
# shared object on the hosted side, a DLL on the Windows side) beside the
# tool as VntCoreComponentEngine.dll. The engine logs every call beside
# itself in UTF-8; the logs, the tool's output and messages.log must be the
# same byte for byte.
#
# Scenarios (the tool lists the installations, one load of the library):
#   notify     QueryHost once, with the tool's path upper-cased and
#              COMP_MGR.EXE replaced by VN_APP.EXE, then the releases
#   failing    QueryHost fails with error information: the start-up goes on
#              and the tool's output is the same as with no engine
#   accents    the tool in D:\Prüf\bin: the host path reaches the engine with
#              the same characters (code page 1252 on both sides)
#
# Environment: COMP_MGR_BUILD (bin/comp_mgr, bin/fixture_engine.so),
# COMP_MGR_MINGW_BUILD (bin/COMP_MGR.EXE, bin/comp_mgr.dll,
# bin/fixture_engine.dll); without the latter the script skips (exit 77).
# KEEP_WORK=1 keeps the outputs.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=wine_lib.sh
. "$here/wine_lib.sh"
parity_begin parity_engine native:bin/comp_mgr native:bin/fixture_engine.so \
  windows:bin/COMP_MGR.EXE windows:bin/comp_mgr.dll windows:bin/fixture_engine.dll

# A failed check: counted, the script goes on (see parity_plugins.sh).
same_file() {  # WHAT HOSTED WINE
  if [ ! -e "$2" ] && [ ! -e "$3" ]; then return 0; fi
  if ! cmp -s "$2" "$3"; then
    fail "$1 differs (hosted < > wine)"
    diff <(cat -A "$2" 2>&1) <(cat -A "$3" 2>&1) | head -20
    return 1
  fi
}

new_root() {  # ROOT
  mkdir -p "$1/drive_d/Vantrel/db" "$1/drive_d/Vantrel/bin" "$1/log"
  printf 'program\r\n' >"$1/drive_d/Vantrel/bin/vn_app.exe"
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\n"target"="D:\\\\Vantrel\\\\db"\n\n' \
    >"$1/registry.reg"
  printf '[VntInstallation_1]\r\nDisplayName      =Vantrel\r\nProgLocation     =D:\\Vantrel\\bin\\vn_app.exe\r\n\r\n' \
    >"$1/drive_d/Vantrel/db/vnt_Compdb.ini"
}

# scenario NAME FOLDER_HOSTED FOLDER_WINE SCRIPT: FOLDER_* is the tool's
# folder below drive_d, as each side's file system names it.
scenario() {
  local name=$1 hosted_dir=$2 wine_dir=$3 script=$4
  local h="$work/$name.hosted" w="$work/$name.wine"
  new_root "$h"
  new_root "$w"
  mkdir -p "$h/drive_d/$hosted_dir" "$w/drive_d/$wine_dir"
  cp "$COMP_MGR_BUILD/bin/fixture_engine.so" "$h/drive_d/$hosted_dir/VntCoreComponentEngine.dll"
  cp "$COMP_MGR_MINGW_BUILD/bin/fixture_engine.dll" "$w/drive_d/$wine_dir/VntCoreComponentEngine.dll"
  cp "$COMP_MGR_MINGW_BUILD/bin/COMP_MGR.EXE" "$COMP_MGR_MINGW_BUILD/bin/comp_mgr.dll" "$w/drive_d/$wine_dir/"
  printf '%s\n' "$script" >"$h/drive_d/$hosted_dir/VntCoreComponentEngine.script"
  printf '%s\n' "$script" >"$w/drive_d/$wine_dir/VntCoreComponentEngine.script"

  # The host path in code page 1252, as GetModuleFileNameA gives it.
  local exe
  exe="D:\\$(printf '%s' "$wine_dir" | iconv -f UTF-8 -t CP1252 | tr '/' '\\')\\COMP_MGR.EXE"
  "$COMP_MGR_BUILD/bin/comp_mgr" --root "$h" --host-exe "$exe" --ui none list installations \
    >"$work/$name.hosted.out" 2>"$work/$name.hosted.err"
  echo "exit=$?" >>"$work/$name.hosted.out"

  wine_attach "$w"
  wine_registry_import "$w/registry.reg" "$KOVRA" || fail "$name: registry import"
  WINE_STARTS=$((WINE_STARTS + 1))
  VNT_UI=none VNT_LOG_DIR="$(wine_path "$w/log")" \
    "$WINE_BIN" "D:\\${wine_dir//\//\\}\\COMP_MGR.EXE" list installations </dev/null 2>"$work/$name.wine.err" |
    tr -d '\r' >"$work/$name.wine.out"
  echo "exit=${PIPESTATUS[0]}" >>"$work/$name.wine.out"

  same_file "$name: output" "$work/$name.hosted.out" "$work/$name.wine.out"
  same_file "$name: messages.log" "$h/log/messages.log" "$w/log/messages.log"
  same_file "$name: engine calls" "$h/drive_d/$hosted_dir/VntCoreComponentEngine.log" \
    "$w/drive_d/$wine_dir/VntCoreComponentEngine.log"
  engine_log="$w/drive_d/$wine_dir/VntCoreComponentEngine.log"
}

expect_log() {  # NAME (expected lines on standard input)
  diff <(cat) "$engine_log" >"$work/$1.log.diff" || {
    fail "$1: engine calls not as expected"
    head -20 "$work/$1.log.diff"
  }
}

echo "-- preparing the Wine prefix"
wine_begin parity_engine || { echo "FAIL: no Wine prefix"; exit 1; }

echo "-- notify"
scenario notify Vantrel/bin Vantrel/bin 'host = 7'
expect_log notify <<'LOG'
DllGetClassObject
CreateInstance
QueryHost D:\VANTREL\BIN\VN_APP.EXE -> 7
release engine
release factory
LOG

echo "-- failing"
scenario failing Vantrel/bin Vantrel/bin 'host = fail 0x80004005 info Start-up refused'
expect_log failing <<'LOG'
DllGetClassObject
CreateInstance
QueryHost D:\VANTREL\BIN\VN_APP.EXE -> fail 0x80004005
release engine
release factory
LOG
grep -q 'VntInstallation_1' "$work/failing.wine.out" || fail "failing: the catalog was not read after the engine failed"

echo "-- accents"
scenario accents "$(printf 'Pr\xfcf/bin')" 'Prüf/bin' 'host = 3'
expect_log accents <<'LOG'
DllGetClassObject
CreateInstance
QueryHost D:\PRüF\BIN\VN_APP.EXE -> 3
release engine
release factory
LOG

echo "-- $WINE_STARTS Wine starts"
if [ "$failures" -ne 0 ]; then
  echo "FAIL: $failures check(s) failed"
  exit 1
fi
echo "PASS: the engine is told about the host alike on both sides"
