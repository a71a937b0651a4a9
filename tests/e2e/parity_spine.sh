#!/usr/bin/env bash
# Parity of the hosted tool with the Windows tool under Wine: the same machine
# and the same raw calls give the same output, the same messages and the same
# files, byte for byte.
#
# Scenarios (each one load and unload of the library):
#   unchanged  queries of the exports on a catalog that needs no repair: the
#              database is left untouched (no write, no backup)
#   abort      a catalog the start-up repairs, then bAbortDbUpdate: the
#              database and its old backup stay byte-identical
#   save       the same catalog plus installation records: the rewritten
#              database, its backup and VNTInstallEntry.ini match
#   scan       plug-ins registered in the registry (one version whose server
#              file is gone, which the scan deletes): the catalog records made
#              from them and the registry left behind (exported from Wine,
#              compared with the hosted registry.reg) match
#   restore    a damaged catalog beside a good backup: the copies listed, the
#              backup's difference shown and the backup put back
#   badtarget  the registry names a folder without a database: the message
#              box texts (messages.log) match and nothing is created
# After "unchanged" the registry is compared the same way. In each scenario
# the decisions the libraries logged (events.log, the Windows one asked for
# with VNT_EVENTS_LOG) and the tools' summaries on standard error match.
# Names on the machine are kept 8.3-shaped: Windows (and Wine) give long names
# a short form (FLASHP~1.DLL) that the scan stores, the hosted machine has none.
#
# Environment: COMP_MGR_BUILD (native build: bin/comp_mgr, bin/libcomp_mgr.so),
# COMP_MGR_MINGW_BUILD (MinGW-w64 build: bin/COMP_MGR.EXE, bin/comp_mgr.dll);
# without the latter the script skips (exit 77). KEEP_WORK=1 keeps the outputs.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
started=$(date +%s)

# shellcheck source=wine_lib.sh
. "$here/wine_lib.sh"
parity_begin parity_spine native:bin/comp_mgr windows:bin/COMP_MGR.EXE windows:bin/comp_mgr.dll

# ---- the machine ------------------------------------------------------------

write_registry() {  # ROOT TARGET (as it appears between the quotes)
  crlf >"$1/registry.reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]
"target"="$2"

REG
}

database() {  # [extra sections]
  crlf <<'INI'
;---------------------------------------------------------------------------
; Component database of the parity test
;---------------------------------------------------------------------------
;NOTE:
; IMPORTANT... DO NOT ALTER OR DELETE THIS FILE.
; This file is maintained by Vantrel Component Management tool
;
;---------------------------------------------------------------------------
;
[VntInstallation_1]
DisplayName      =Vantrel 3.0
ProgLocation     =D:\Vantrel\bin\vn_app.exe
LastAccessDate   =(I) Monday, December 04, 2006 15:04:33
Status           =0
SdkVersion       =3.0
CpuSupport       =SHARC,Blackfin
PlugInLst_GrpName=PlugIn_1,PlugIn_2
GroupDescription =
HelpFile         =
Sku              =PRO,EVAL
Registration     =R-100

[VntInstallation_2]
DisplayName      =Vantrel 2.5
ProgLocation     =D:\Vantrel25\bin\vn_app.exe
LastAccessDate   =
Status           =0
SdkVersion       =2.5
CpuSupport       =SHARC
PlugInLst_GrpName=PlugIn_1
GroupDescription =
HelpFile         =
Sku              =STD

[PlugIn_1]
DisplayName      =Trace Viewer
ProgLocation     =D:\Vantrel\plugins\trace.dll
LastAccessDate   =
Status           =0
SdkVersion       =2.0
CpuSupport       =SHARC,Blackfin
PlugInLst_GrpName=
GroupDescription =Trace tools
HelpFile         =D:\Vantrel\help\trace.chm
Sku              =
Family_InstDate  =Trace Viewer

[PlugIn_2]
DisplayName      =Flash Programmer With A Long Name
ProgLocation     =D:\Vantrel\plugins\Flash.dll
LastAccessDate   =
Status           =0
SdkVersion       =3.0
CpuSupport       =Blackfin
PlugInLst_GrpName=
GroupDescription =
HelpFile         =
Sku              =

INI
  if [ "${1:-}" = missing ]; then
    crlf <<'INI'
[VntInstallation_3]
DisplayName      =Vantrel Removed
ProgLocation     =D:\Removed\bin\vn_app.exe
Status           =0
SdkVersion       =3.0
CpuSupport       =SHARC

INI
  fi
}

make_root() {  # ROOT [missing]
  local root=$1
  mkdir -p "$root/drive_d/Vantrel/db" "$root/drive_d/Vantrel/bin" "$root/drive_d/Vantrel25/bin" \
    "$root/drive_d/Vantrel/plugins"
  write_registry "$root" 'D:\\Vantrel\\db'
  database "${2:-}" >"$root/drive_d/Vantrel/db/vnt_Compdb.ini"
  echo program >"$root/drive_d/Vantrel/bin/vn_app.exe"
  echo program >"$root/drive_d/Vantrel25/bin/vn_app.exe"
  echo library >"$root/drive_d/Vantrel/plugins/trace.dll"
  echo library >"$root/drive_d/Vantrel/plugins/Flash.dll"
}

# ---- running both sides -----------------------------------------------------

run_hosted() {  # ROOT SCRIPT OUT
  "$COMP_MGR_BUILD/bin/comp_mgr" --root "$1" --host-exe "$HOST_EXE" --ui none exec "$2" >"$3" 2>"$3.err"
  echo "exit=$?" >>"$3"
}

run_wine() {  # ROOT SCRIPT OUT
  wine_install_programs "$1"
  # The Windows library keeps its event log only when asked; here beside the
  # hosted machine's, to compare them.
  mkdir -p "$1/log"
  VNT_EVENTS_LOG="$(wine_path "$1/log/events.log")"
  export VNT_EVENTS_LOG
  wine_tool "$1" exec "$(wine_path "$2")" >"$3" 2>"$3.err"
  echo "exit=$?" >>"$3"
  sed -i 's/\r$//' "$3.err"  # a Windows program's text lines end in CR LF
  unset VNT_EVENTS_LOG
}

# The decisions both libraries logged (events.log), each line without its time
# (the two runs are seconds apart); the summaries on standard error too.
same_events() {  # NAME HOSTED_ROOT WINE_ROOT
  local side
  for side in hosted wine; do
    local log=$2
    [ "$side" = wine ] && log=$3
    if [ -e "$log/log/events.log" ]; then cut -d'|' -f2- "$log/log/events.log"; fi >"$work/$1.$side.events"
  done
  same_file "$1: events.log" "$work/$1.hosted.events" "$work/$1.wine.events"
  same_file "$1: standard error" "$work/$1.hosted.out.err" "$work/$1.wine.out.err"
}

same_file() {  # WHAT HOSTED WINE
  if [ ! -e "$2" ] && [ ! -e "$3" ]; then return 0; fi
  if ! cmp -s "$2" "$3"; then
    fail "$1 differs (hosted < > wine)"
    diff <(cat -A "$2" 2>&1) <(cat -A "$3" 2>&1) | head -20
    return 1
  fi
}

# Runs one scenario on both sides from copies of the same machine.
scenario() {  # NAME TEMPLATE_ROOT SCRIPT
  local name=$1 template=$2 script=$3
  local h="$work/$name.hosted" w="$work/$name.wine"
  cp -a "$template" "$h"
  cp -a "$template" "$w"
  run_hosted "$h" "$script" "$work/$name.hosted.out"
  run_wine "$w" "$script" "$work/$name.wine.out"
  same_file "$name: output" "$work/$name.hosted.out" "$work/$name.wine.out"
  same_file "$name: messages.log" "$h/log/messages.log" "$w/log/messages.log"
  same_events "$name" "$h" "$w"
  local f
  for f in Vantrel/db/vnt_Compdb.ini Vantrel/db/vnt_Compdb.bak Vantrel/bin/VNTInstallEntry.ini; do
    same_file "$name: $f" "$h/drive_d/$f" "$w/drive_d/$f"
  done
}

expect_same_as_template() {  # NAME TEMPLATE SIDE_ROOT FILE...
  local name=$1 template=$2 root=$3
  shift 3
  local f
  for f in "$@"; do
    if [ -e "$template/drive_d/$f" ]; then
      cmp -s "$template/drive_d/$f" "$root/drive_d/$f" || fail "$name: $f was changed in $(basename "$root")"
    elif [ -e "$root/drive_d/$f" ]; then
      fail "$name: $f was created in $(basename "$root")"
    fi
  done
}

expect_line() {  # NAME OUT LINE
  grep -qxF -- "$3" "$2" || fail "$1: expected the line '$3' in $(basename "$2")"
}

echo "-- preparing the Wine prefix"
t0=$(date +%s.%N)
wine_begin parity_spine || { echo "FAIL: no Wine prefix"; exit 1; }
t1=$(date +%s.%N)

# The registry is the same for the first three scenarios: import it once.
make_root "$work/plain"
make_root "$work/repair" missing
printf 'older backup\r\n' >"$work/repair/drive_d/Vantrel/db/vnt_Compdb.bak"
wine_attach "$work/plain"
t2=$(date +%s.%N)
wine_registry_import "$work/plain/registry.reg" "$KOVRA" || fail "registry import"
t3=$(date +%s.%N)

# ---- unchanged --------------------------------------------------------------
cat >"$work/unchanged.calls" <<'CALLS'
# queries only: nothing may change
iGetCatalogCount 0
iGetCatalogCount 1
iGetCatalogCount 2
bGetCatalogByNdx 0 0 260
bGetCatalogByNdx 0 1 260
bGetCatalogByNdx 1 0 260
bGetCatalogByNdx 1 1 260
bGetCatalogByNdx 1 1 7
bGetCatalogByNdx 0 2 260
bGetCatalogByNdx 2 0 260
bGetCatalogByKey VntInstallation_1
bGetCatalogByKey PlugIn_2
bGetCatalogByKey "PlugIn_9"
bGetCatalogByKey NULL
bGetKeyVNT "D:\Vantrel\bin\vn_app.exe" 3.0 260
bGetKeyVNT "D:\\Vantrel\\bin\\VN_APP.EXE" 3.0 17
bGetDbUpdateFlag
InstallVNT
iDetectNewPlugIns 2
bGetDbUpdateFlag
CALLS
scenario unchanged "$work/plain" "$work/unchanged.calls"
t4=$(date +%s.%N)
for side in hosted wine; do
  expect_same_as_template unchanged "$work/plain" "$work/unchanged.$side" \
    Vantrel/db/vnt_Compdb.ini Vantrel/db/vnt_Compdb.bak Vantrel/bin/VNTInstallEntry.ini
done
expect_line unchanged "$work/unchanged.hosted.out" "iGetCatalogCount -> 2"
expect_line unchanged "$work/unchanged.hosted.out" "bGetDbUpdateFlag -> 0 changes=0xFFFFCFC7"
expect_line unchanged "$work/unchanged.hosted.out" "InstallVNT -> 0"

# The registry as Wine holds it after the run, against the hosted file.
wine_registry_export "$KOVRA" "$work/registry.wine.txt" || fail "registry export"
hosted_registry_normalised "$work/unchanged.hosted" "$KOVRA" "$work/registry.hosted.txt"
same_file "registry after unchanged" "$work/registry.hosted.txt" "$work/registry.wine.txt"

# ---- abort ------------------------------------------------------------------
cat >"$work/abort.calls" <<'CALLS'
bGetDbUpdateFlag
iGetCatalogCount 0
bGetCatalogByKey VntInstallation_3
bAbortDbUpdate
bGetDbUpdateFlag
CALLS
scenario abort "$work/repair" "$work/abort.calls"
for side in hosted wine; do
  expect_same_as_template abort "$work/repair" "$work/abort.$side" \
    Vantrel/db/vnt_Compdb.ini Vantrel/db/vnt_Compdb.bak Vantrel/bin/VNTInstallEntry.ini
done
expect_line abort "$work/abort.hosted.out" "bAbortDbUpdate -> 1"
expect_line abort "$work/abort.wine.events" 'dropped|VntInstallation_3|D:\\Removed\\bin\\vn_app.exe: the file is gone'

# ---- save -------------------------------------------------------------------
cat >"$work/save.calls" <<'CALLS'
bGetDbUpdateFlag
bInstallVNT "D:\Vantrel\bin\vn_app.exe" 3.0 "SHARC,Blackfin,TigerSHARC" ",PRO, NET," "Vantrel 3.0" "D:\Vantrel" "R-200"
bInstallVNT "D:\Vantrel4\bin\vn_app.exe" 4.0 "Blackfin" "PRO" "Vantrel 4.0" "D:\Vantrel4" ""
bUpdateVNT "D:\Vantrel\bin\vn_app.exe" 3.0 EVAL FULL "Vantrel 3.0"
bLinkPlugIns VntInstallation_2 PlugIn_2 0
bGetDbUpdateFlag
iGetCatalogCount 0
bGetCatalogByKey VntInstallation_1
CALLS
scenario save "$work/repair" "$work/save.calls"
[ -e "$work/save.wine/drive_d/Vantrel/db/vnt_Compdb.bak" ] || fail "save: no backup written under Wine"
cmp -s "$work/repair/drive_d/Vantrel/db/vnt_Compdb.ini" "$work/save.wine/drive_d/Vantrel/db/vnt_Compdb.bak" ||
  fail "save: the backup is not the previous database"
t5=$(date +%s.%N)

# ---- restore ----------------------------------------------------------------
# Random bytes over the catalog beside a good backup: the copies are listed,
# the backup's difference shown and the backup put back, the damaged file
# kept aside; the load then saves nothing over the restored catalog.
cp -a "$work/plain" "$work/damaged"
cp "$work/plain/drive_d/Vantrel/db/vnt_Compdb.ini" "$work/damaged/drive_d/Vantrel/db/vnt_Compdb.bak"
printf '\x9c\xf1Z\x03q\xee\x81=\x02' >"$work/damaged/drive_d/Vantrel/db/vnt_Compdb.ini"
cat >"$work/restore.calls" <<'CALLS'
iGetCatalogCount 0
iListCatalogCopies 1000
iCompareCatalogCopy NULL 1000
iCompareCatalogCopy "missing.ini" 1000
bRestoreCatalogCopy "vnt_Compdb.ini" 1000
bRestoreCatalogCopy NULL 1000
iListCatalogCopies 1000
bGetDbUpdateFlag
CALLS
scenario restore "$work/damaged" "$work/restore.calls"
for side in hosted wine; do
  cmp -s "$work/plain/drive_d/Vantrel/db/vnt_Compdb.ini" "$work/restore.$side/drive_d/Vantrel/db/vnt_Compdb.ini" ||
    fail "restore: the backup is not the catalog again on the $side side"
  cmp -s "$work/damaged/drive_d/Vantrel/db/vnt_Compdb.ini" \
    "$work/restore.$side/drive_d/Vantrel/db/vnt_Compdb.20061204-150433.ini" ||
    fail "restore: the damaged catalog was not kept aside on the $side side"
done
expect_line restore "$work/restore.hosted.out" 'bRestoreCatalogCopy -> 1 size=195 text="put D:\Vantrel\db\vnt_Compdb.bak back as the catalog D:\Vantrel\db\vnt_Compdb.ini; the catalog it replaced was kept as D:\Vantrel\db\vnt_Compdb.20061204-150433.ini; this run saves nothing over it" nul=yes'

# ---- scan -------------------------------------------------------------------
CLSID_ROOT='HKEY_LOCAL_MACHINE\SOFTWARE\Classes\CLSID'
C1='{6A1D2E3F-0001-4B2C-9D8E-7F6A5B4C3D21}'
C2='{6A1D2E3F-0002-4B2C-9D8E-7F6A5B4C3D21}'
C3='{6A1D2E3F-0003-4B2C-9D8E-7F6A5B4C3D21}'
make_root "$work/scan"
echo library >"$work/scan/drive_d/Vantrel/plugins/scope.dll"
crlf >>"$work/scan/registry.reg" <<REG
[HKEY_LOCAL_MACHINE\SOFTWARE\KOVRA\Vantrel\Plugins\Command Tools\Trace]
"DisplayName"="Trace Viewer"
"CLSID"="$C1"
"HelpFile"="  D:\\\\Vantrel\\\\help\\\\trace.chm  "

[HKEY_LOCAL_MACHINE\SOFTWARE\KOVRA\Vantrel\Plugins\Command Tools\Trace\2.0]
"CLSID"="$C2"

[HKEY_LOCAL_MACHINE\SOFTWARE\KOVRA\Vantrel\SHARC\Plugins\Server Tools\Scope]
"DisplayName"="Scope"
"CLSID"="$C3"
"GroupName"="Analysis,Debug"
"GroupDescription"="Analysis tools"
"SKU"="PRO"

[$CLSID_ROOT\\$C1\\InprocServer32]
@="D:\\\\Vantrel\\\\plugins\\\\trace.dll"

[$CLSID_ROOT\\$C2\\InprocServer32]
@="D:\\\\Vantrel\\\\plugins\\\\gone.dll"

[$CLSID_ROOT\\$C3\\InprocServer32]
@="D:\\\\Vantrel\\\\plugins\\\\scope.dll"

REG
wine_registry_import "$work/scan/registry.reg" "$KOVRA" "$CLSID_ROOT\\$C1" "$CLSID_ROOT\\$C2" "$CLSID_ROOT\\$C3" ||
  fail "registry import (scan)"
cat >"$work/scan.calls" <<'CALLS'
bGetDbUpdateFlag
iGetCatalogCount 1
bGetCatalogByNdx 1 0 260
bGetCatalogByNdx 1 1 260
bGetCatalogByNdx 1 2 260
bGetCatalogByNdx 1 3 260
iDetectNewPlugIns 2
CALLS
scenario scan "$work/scan" "$work/scan.calls"
wine_registry_export "$KOVRA" "$work/registry.scan.wine.txt" || fail "registry export (scan)"
hosted_registry_normalised "$work/scan.hosted" "$KOVRA" "$work/registry.scan.hosted.txt"
same_file "registry after scan" "$work/registry.scan.hosted.txt" "$work/registry.scan.wine.txt"
grep -q 'Trace\\2.0' "$work/registry.scan.wine.txt" && fail "scan: the version key of the vanished server is still there"

# ---- badtarget --------------------------------------------------------------
make_root "$work/bad"
write_registry "$work/bad" 'D:\\Vantrel\\\\nowhere\\'
rm -rf "$work/bad/drive_d/Vantrel/db"
wine_registry_import "$work/bad/registry.reg" "$KOVRA" || fail "registry import (bad target)"
cat >"$work/badtarget.calls" <<'CALLS'
iGetCatalogCount 0
bGetDbUpdateFlag
iDetectNewPlugIns 2
CALLS
scenario badtarget "$work/bad" "$work/badtarget.calls"
for side in hosted wine; do
  expect_same_as_template badtarget "$work/bad" "$work/badtarget.$side" \
    Vantrel/db/vnt_Compdb.ini Vantrel/bin/VNTInstallEntry.ini
  grep -q '^comp_mgr|Error opening Component Manager INI file' "$work/badtarget.$side/log/messages.log" 2>/dev/null ||
    fail "badtarget: no load-error message on the $side side"
done
t6=$(date +%s.%N)

ended=$(date +%s)
timing() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }
echo "-- timings: prefix $(timing "$t0" "$t1") s, first registry import $(timing "$t2" "$t3") s," \
  "unchanged scenario (hosted + wine) $(timing "$t3" "$t4") s, Wine starts $WINE_STARTS," \
  "total $((ended - started)) s"
if [ "$failures" -ne 0 ]; then
  echo "-- outputs kept in $work"
  trap - EXIT
  wine_end
  echo "FAILED: $failures check(s)"
  exit 1
fi
echo "PASS: hosted and Windows agree ($(grep -c . "$work"/*.calls | awk -F: '{s += $2} END {print s}') call lines)"
