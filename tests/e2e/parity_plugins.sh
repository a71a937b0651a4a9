#!/usr/bin/env bash
# Parity of the plug-in work between the hosted tool and the Windows tool under
# Wine, with real plug-in servers: the fixture library (tests/fixtures) copied
# under .dll/.ocx names into the machine, an ELF shared object on the hosted
# side and a DLL on the Windows side. Each call of its DllRegisterServer or
# DllUnregisterServer appends "register|unregister <own path> cwd=<current
# directory>" to VNT_PLUGIN_LOG (on Windows it also writes or deletes its
# class key under HKCR\CLSID).
#
# Compared byte for byte per scenario: the tool's output, messages.log,
# vnt_Compdb.ini, vnt_Compdb.bak and VNTInstallEntry.ini. The plug-in logs are
# compared after mapping the server path to its Windows path (the hosted
# fixture reports the host path of the .so under ROOT, the Windows one the D:\
# path) and dropping the current directory: the hosted machine keeps its
# current directory inside the machine and never changes the process's, so
# the hosted fixture sees the real process directory. The order and paths of
# the calls must match; the current directory during each call (the server's
# folder) is checked on the Windows side only.
#
# Scenarios (one load and unload of the library per side unless said):
#   records      bInstallVNT new and update, bUpdateVNT, bGetKeyVNT with sizes
#                that fit, fill exactly and are 0; saved links in file order
#   links        bLinkPlugIns in modes 1, 0, 2, -1, 3, -2 with groups, a
#                plug-in that must not be unlinked and same-named plug-ins
#   renumber     a catalog with gaps (and records dropped at start-up): the
#                saved file has closed gaps and rewritten links
#   startup      two runs on the same machine: folder-suffixed group names
#                are the same in both; a "CERR: " group of the first run is
#                read as a grouped plug-in in the second (its name becomes
#                "CERR: <folder>", as the reconciliation defines), nothing is
#                saved by the second
#   prepare      bPrepareVNT switching installations back and forth and once
#                more for the current one: unregister/register order, shared
#                and same-named servers, a server path with doubled
#                backslashes, the obsolete folder sweep (*.ocx before *.dll; a
#                folder named x.dll, a text file named .dll and a library
#                without the exports are not called)
#   detectlink   new plug-ins made by the registry scan (entries pointing at
#                fixture copies): iDetectNewPlugIns 2, then 0
#   detectunreg  the same registry: iDetectNewPlugIns 2, then 1 (one call per
#                server file); the class keys of the unregistered servers are
#                gone from the Windows registry afterwards
#   unregall     vUnRegAllPlgN: new plug-ins linked first, every server found
#                in the registry unregistered once, no installation current
#   diagnose     bExplainLink and iCheckCatalog, then bAbortDbUpdate: no
#                server called, nothing saved
# Names on the machine are 8.3-shaped (see parity_spine.sh for why).
#
# Environment: COMP_MGR_BUILD (native build: bin/comp_mgr, bin/libcomp_mgr.so,
# bin/fixture_plugin.so, bin/fixture_no_export.so), COMP_MGR_MINGW_BUILD
# (MinGW-w64 build: bin/COMP_MGR.EXE, bin/comp_mgr.dll, bin/fixture_plugin.dll,
# bin/fixture_no_export.dll); without the latter the script skips (exit 77).
# KEEP_WORK=1 keeps the outputs.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
started=$(date +%s)

# shellcheck source=wine_lib.sh
. "$here/wine_lib.sh"
parity_begin parity_plugins native:bin/comp_mgr native:bin/fixture_plugin.so native:bin/fixture_no_export.so \
  windows:bin/COMP_MGR.EXE windows:bin/comp_mgr.dll windows:bin/fixture_plugin.dll windows:bin/fixture_no_export.dll
CLSID_ROOT='HKEY_LOCAL_MACHINE\SOFTWARE\Classes\CLSID'

# The class id the fixture registers for a file name (fixture_class_id.h).
class_id() {
  python3 - "$1" <<'PY'
import sys
h = 14695981039346656037
for b in sys.argv[1].lower().encode():
    h = ((h ^ b) * 1099511628211) & 0xFFFFFFFFFFFFFFFF
print("{5EC0F1A7-0000-4000-8000-%012X}" % (h & 0xFFFFFFFFFFFF))
PY
}

# ---- machines -----------------------------------------------------------------
# A template root holds everything but the servers; each side's copy gets the
# fixture built for it at the paths listed in ROOT/servers.txt
# ("plugin|no_export <path below drive_d>").

registry_head() {  # target only
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\n"target"="D:\\\\Vantrel\\\\db"\n\n'
}

# announce CATEGORY_KEY NAME SERVER [VALUE=TEXT...]: a plug-in key below
# SOFTWARE\KOVRA\Vantrel and the class registration of its server.
announce() {
  local key=$1 name=$2 server=$3
  shift 3
  local id
  id=$(class_id "${server##*\\}")
  printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\%s\\%s]\n"CLSID"="%s"\n' "$key" "$name" "$id"
  local v
  for v in "$@"; do printf '"%s"="%s"\n' "${v%%=*}" "${v#*=}"; done
  printf '\n[%s\\%s\\InprocServer32]\n@="%s"\n\n' "$CLSID_ROOT" "$id" "${server//\\/\\\\}"
  reset_keys+=("$CLSID_ROOT\\$id")
}

new_root() {  # ROOT
  mkdir -p "$1/drive_d/Vantrel/db" "$1/drive_d/Vantrel/bin" "$1/log"
  : >"$1/servers.txt"
}
text_file() {  # ROOT PATH (below drive_d) TEXT
  mkdir -p "$(dirname "$1/drive_d/$2")"
  printf '%s\r\n' "$3" >"$1/drive_d/$2"
}
server() {  # ROOT plugin|no_export PATH
  echo "$2 $3" >>"$1/servers.txt"
}
place_servers() {  # ROOT hosted|wine
  local kind path src
  while read -r kind path; do
    [ -n "$kind" ] || continue
    if [ "$2" = hosted ]; then src="$COMP_MGR_BUILD/bin/fixture_$kind.so"; else src="$COMP_MGR_MINGW_BUILD/bin/fixture_$kind.dll"; fi
    mkdir -p "$(dirname "$1/drive_d/$path")"
    cp "$src" "$1/drive_d/$path"
  done <"$1/servers.txt"
}

# Catalog sections. installation N DISPLAY PROG STATUS SDK CPU LINKS
installation() {
  printf '[VntInstallation_%s]\nDisplayName      =%s\nProgLocation     =%s\nLastAccessDate   =\nStatus           =%s\nSdkVersion       =%s\nCpuSupport       =%s\nPlugInLst_GrpName=%s\nGroupDescription =\nHelpFile         =\nSku              =%s\nRegistration     =\n\n' \
    "$1" "$2" "$3" "$4" "$5" "$6" "$7" "${8:-PRO}"
}
# plugin N DISPLAY PROG STATUS SDK CPU GROUPS
plugin() {
  printf '[PlugIn_%s]\nDisplayName      =%s\nProgLocation     =%s\nLastAccessDate   =\nStatus           =%s\nSdkVersion       =%s\nCpuSupport       =%s\nPlugInLst_GrpName=%s\nGroupDescription =\nHelpFile         =\nSku              =\nFamily_InstDate  =%s\n\n' \
    "$1" "$2" "$3" "$4" "$5" "$6" "$7" "$2"
}
database() {  # ROOT (sections on standard input)
  { printf ';---------------------------------------------------------------------------\n; Component database of the plug-in parity test\n;---------------------------------------------------------------------------\n;\n'; cat; } |
    crlf >"$1/drive_d/Vantrel/db/vnt_Compdb.ini"
}
programs() {  # ROOT PATH... (installation programs below drive_d)
  local root=$1 p
  shift
  for p in "$@"; do text_file "$root" "$p" program; done
}

# ---- running both sides ---------------------------------------------------------

run_hosted() {  # ROOT SCRIPT OUT
  VNT_PLUGIN_LOG="$1/plugin.log" "$COMP_MGR_BUILD/bin/comp_mgr" --root "$1" --host-exe "$HOST_EXE" --ui none \
    exec "$2" >"$3" 2>"$3.err"
  echo "exit=$?" >>"$3"
}

run_wine() {  # ROOT SCRIPT OUT
  wine_install_programs "$1"
  (
    export VNT_PLUGIN_LOG
    VNT_PLUGIN_LOG=$(wine_path "$1/plugin.log")
    wine_tool "$1" exec "$(wine_path "$2")" >"$3" 2>"$3.err"
    echo "exit=$?" >>"$3"
  )
  WINE_STARTS=$((WINE_STARTS + 1))  # counted in the subshell only
}

same_file() {  # WHAT HOSTED WINE
  if [ ! -e "$2" ] && [ ! -e "$3" ]; then return 0; fi
  if ! cmp -s "$2" "$3"; then
    fail "$1 differs (hosted < > wine)"
    diff <(cat -A "$2" 2>&1) <(cat -A "$3" 2>&1) | head -20
    return 1
  fi
}

# The hosted plug-in log with host paths as Windows paths, without cwd.
hosted_calls() {  # ROOT
  local verb path rest prefix="$1/drive_d/"
  [ -e "$1/plugin.log" ] || return 0
  while read -r verb path rest; do
    path=${path#"$prefix"}
    printf '%s D:\\%s\n' "$verb" "${path//\//\\}"
  done <"$1/plugin.log"
}

# The Windows plug-in log without cwd, after checking that each call ran
# with the server's folder (doubled backslashes reduced) as the current
# directory.
wine_calls() {  # NAME ROOT
  [ -e "$2/plugin.log" ] || return 0
  local line verb path cwd folder
  while IFS= read -r line; do
    line=${line%$'\r'}
    verb=${line%% *}
    path=${line#* }
    path=${path% cwd=*}
    cwd=${line##* cwd=}
    folder=${path//\\\\/\\}
    folder=${folder%\\*}
    [ "$cwd" = "$folder" ] || fail "$1: $verb $path ran in '$cwd', not in the server's folder '$folder'"
    printf '%s %s\n' "$verb" "$path"
  done <"$2/plugin.log"
}

# Runs one scenario on both sides from copies of the same template.
scenario() {  # NAME TEMPLATE_ROOT SCRIPT
  local name=$1 template=$2 script=$3
  local h="$work/$name.hosted" w="$work/$name.wine"
  cp -a "$template" "$h"
  cp -a "$template" "$w"
  place_servers "$h" hosted
  place_servers "$w" wine
  run_hosted "$h" "$script" "$work/$name.hosted.out"
  run_wine "$w" "$script" "$work/$name.wine.out"
  compare "$name" "$h" "$w" "$work/$name.hosted.out" "$work/$name.wine.out"
}

compare() {  # NAME HOSTED_ROOT WINE_ROOT HOSTED_OUT WINE_OUT
  local name=$1 h=$2 w=$3
  same_file "$name: output" "$4" "$5"
  same_file "$name: messages.log" "$h/log/messages.log" "$w/log/messages.log"
  local f
  for f in Vantrel/db/vnt_Compdb.ini Vantrel/db/vnt_Compdb.bak Vantrel/bin/VNTInstallEntry.ini; do
    same_file "$name: $f" "$h/drive_d/$f" "$w/drive_d/$f"
  done
  hosted_calls "$h" >"$work/$name.hosted.plugins"
  wine_calls "$name" "$w" >"$work/$name.wine.plugins"
  same_file "$name: plug-in calls" "$work/$name.hosted.plugins" "$work/$name.wine.plugins"
}

expect_line() {  # NAME FILE LINE
  grep -qxF -- "$3" "$2" || fail "$1: expected the line '$3' in $(basename "$2")"
}
expect_no_line() {  # NAME FILE LINE
  grep -qxF -- "$3" "$2" && fail "$1: did not expect the line '$3' in $(basename "$2")"
}
expect_calls() {  # NAME (expected calls on standard input)
  diff <(cat) "$work/$1.wine.plugins" >"$work/$1.calls.diff" || {
    fail "$1: plug-in calls not as expected"
    head -20 "$work/$1.calls.diff"
  }
}

# Imports ROOT/registry.reg into the prefix after deleting KOVRA and every
# class key any scenario announces (so nothing of an earlier run stays).
import_registry() {  # ROOT
  wine_attach "$1"
  wine_registry_import "$1/registry.reg" "$KOVRA" "${reset_keys[@]}" || fail "registry import ($(basename "$1"))"
}

echo "-- preparing the Wine prefix"
wine_begin parity_plugins || { echo "FAIL: no Wine prefix"; exit 1; }
reset_keys=()

# ---- the plug-in machine (prepare, detect*, unregall) ---------------------------
# Installation 1 (current) uses One and Two; installation 2 uses Two, Three,
# a second One, a text file named .dll and Dbl, whose location is written
# with a doubled backslash.
P="$work/plug"
new_root "$P"
programs "$P" V1/ide/bin/vn_app.exe V2/ide/bin/vn_app.exe
for s in V1/plugins/one.dll V1/plugins/two.ocx V2/plugins/three.dll V2/plugins/four.dll V2/plugins/dbl.dll \
  V2/plugins/obsolete/a.ocx V2/plugins/obsolete/d.ocx V2/plugins/obsolete/b.dll V2/plugins/obsolete/C.DLL \
  V1/plugins/obsolete/old.dll N/new.dll N/ctl.ocx N/scope.dll; do
  server "$P" plugin "$s"
done
server "$P" no_export V2/plugins/obsolete/none.dll
server "$P" no_export N/none.dll
text_file "$P" V2/plugins/text.dll "not a library"
text_file "$P" V2/plugins/obsolete/notes.dll "not a library"
text_file "$P" N/text.dll "not a library"
mkdir -p "$P/drive_d/V2/plugins/obsolete/x.dll"
{
  installation 1 "Vantrel One" 'D:\V1\ide\bin\vn_app.exe' 17 3.0 'SHARC,Blackfin' PlugIn_1,PlugIn_2
  installation 2 "Vantrel Two" 'D:\V2\ide\bin\vn_app.exe' 16 3.0 '*' PlugIn_2,PlugIn_3,PlugIn_4,PlugIn_5,PlugIn_6
  plugin 1 One 'D:\V1\plugins\one.dll' 16 1.0 '*' ''
  plugin 2 Two 'D:\V1\plugins\two.ocx' 16 1.0 '*' ''
  plugin 3 Three 'D:\V2\plugins\three.dll' 16 1.0 '*' ''
  plugin 4 One 'D:\V2\plugins\four.dll' 16 1.0 '*' ''
  plugin 5 Text 'D:\V2\plugins\text.dll' 16 1.0 '*' ''
  plugin 6 Dbl 'D:\V2\\plugins\dbl.dll' 16 1.0 '*' ''
} | database "$P"
# Registered (the scan finds them): One and Two.
{
  registry_head
  announce 'Plugins\Command Tools' One 'D:\V1\plugins\one.dll'
  announce 'Plugins\Command Tools' Two 'D:\V1\plugins\two.ocx'
} | crlf >"$P/registry.reg"
# With new plug-ins: two sharing one server, one under a processor family
# with a group, one without the exports, one whose server is a text file.
PN="$work/plugnew"
cp -a "$P" "$PN"
{
  cat "$P/registry.reg" | tr -d '\r'
  announce 'Plugins\Command Tools' NewA 'D:\N\new.dll'
  announce 'Plugins\Command Tools' NewB 'D:\N\new.dll' 'DisplayName=New B'
  announce 'Plugins\Command Tools' Ctl 'D:\N\ctl.ocx'
  announce 'Plugins\Command Tools' None 'D:\N\none.dll'
  announce 'Plugins\Command Tools' Txt 'D:\N\text.dll'
  announce 'SHARC\Plugins\Server Tools' Scope 'D:\N\scope.dll' 'GroupName=Analysis' 'GroupDescription=Analysis tools'
} | crlf >"$PN/registry.reg.new"
mv "$PN/registry.reg.new" "$PN/registry.reg"
# Every class key of the announced servers, under any name.
reset_keys+=("$CLSID_ROOT\\$(class_id a.ocx)" "$CLSID_ROOT\\$(class_id three.dll)" "$CLSID_ROOT\\$(class_id four.dll)"
  "$CLSID_ROOT\\$(class_id dbl.dll)" "$CLSID_ROOT\\$(class_id d.ocx)" "$CLSID_ROOT\\$(class_id b.dll)"
  "$CLSID_ROOT\\$(class_id C.DLL)" "$CLSID_ROOT\\$(class_id old.dll)")

# ---- records, links, renumber, startup: no plug-ins in the registry ---------------
B="$work/base"
new_root "$B"
registry_head | crlf >"$B/registry.reg"
import_registry "$B"

cp -a "$P" "$work/rec"
cp "$B/registry.reg" "$work/rec/registry.reg"
programs "$work/rec" V3/ide/bin/vn_app.exe
cat >"$work/records.calls" <<'CALLS'
bInstallVNT "D:\V3\ide\bin\vn_app.exe" 3.5 "SHARC" "PRO,STD" "Vantrel Three" "D:\V3" "R-1"
bInstallVNT "D:\\V1\\IDE\\bin\\VN_APP.EXE" 3.0 "SHARC,TigerSHARC" ", PRO ,NET," "Vantrel 1" "D:\\V1" "R-2,R-3"
bInstallVNT "D:\Vantrel\bin\vn_app.exe" 3.0 "*" "PRO" "Manager" "D:\Vantrel" ""
bInstallVNT "D:\V1\ide\bin\vn_app.exe" 3.0 "SHARC" NULL "Vantrel 1" "D:\V1" ""
bInstallVNT "D:\V4\ide\bin\vn_app.exe" 0 "SHARC" "PRO" "Vantrel 4" "D:\V4" ""
bUpdateVNT "D:\V1\ide\bin\vn_app.exe" 3.0 NET FULL "Vantrel One"
bUpdateVNT "D:\V1\ide\bin\vn_app.exe" 3.0 FULL FULL "Vantrel One"
bUpdateVNT "D:\V1\ide\bin\vn_app.exe" 3.0 NONE FULL "Vantrel One"
bGetKeyVNT "D:\V1\ide\bin\vn_app.exe" 3.0 18
bGetKeyVNT "D:\V1\ide\bin\vn_app.exe" 3.0 17
bGetKeyVNT "D:\V1\ide\bin\vn_app.exe" 3.0 0
bGetKeyVNT "D:\\V3\\ide\\bin\\vn_app.exe" 1.0 260
bGetKeyVNT "D:\V9\ide\bin\vn_app.exe" 3.0 260
bGetKeyVNT "D:\V1\ide\bin\vn_app.exe" abc 260
bGetDbUpdateFlag
bGetCatalogByKey VntInstallation_1
bGetCatalogByKey VntInstallation_3
CALLS
scenario records "$work/rec" "$work/records.calls"
O="$work/records.hosted.out"
expect_line records "$O" 'bGetKeyVNT -> 1 size=17 text="VntInstallation_1" nul=yes'
expect_line records "$O" 'bGetKeyVNT -> 0 size=17 text="VntInstallation_1" nul=no'
expect_line records "$O" 'bGetKeyVNT -> 0 size=0 text="" nul=no'
expect_line records "$O" '  Sku=PRO,FULL'
# VNTInstallEntry.ini holds the installation of the host folder's vn_app.exe only.
grep -qF 'ProgLocation     =D:\Vantrel\bin\vn_app.exe' "$work/records.hosted/drive_d/Vantrel/bin/VNTInstallEntry.ini" ||
  fail "records: VNTInstallEntry.ini does not hold the host's installation"
[ -s "$work/records.hosted.plugins" ] && fail "records: a server was called"

# Links: groups Debug (Viewer, Probe, Big) and Locked (Lock, never unlinked,
# and Lock2) in D:\G; a second Probe in D:\H with its own group; Solo, which
# fits no processor of the installations.
L="$work/lnk"
new_root "$L"
cp "$B/registry.reg" "$L/registry.reg"
programs "$L" V1/ide/bin/vn_app.exe V2/ide/bin/vn_app.exe
for s in G/view.dll G/probe.dll G/big.dll G/lock.dll G/lock2.dll G/solo.dll H/probe.dll; do
  text_file "$L" "$s" library
done
{
  installation 1 "Vantrel One" 'D:\V1\ide\bin\vn_app.exe' 16 3.0 'SHARC,Blackfin' PlugIn_1,PlugIn_2
  installation 2 "Vantrel Two" 'D:\V2\ide\bin\vn_app.exe' 17 2.5 'SHARC' PlugIn_1
  plugin 1 Viewer 'D:\G\view.dll' 16 1.0 'SHARC' 'Debug'
  plugin 2 Probe 'D:\G\probe.dll' 16 2.0 '*' 'Debug'
  plugin 3 Probe 'D:\H\probe.dll' 16 2.0 'Blackfin' 'Probe2'
  plugin 4 Big 'D:\G\big.dll' 16 3.0 'SHARC' 'Debug'
  plugin 5 Lock 'D:\G\lock.dll' 24 1.0 '*' 'Locked'
  plugin 6 Solo 'D:\G\solo.dll' 16 1.0 'Alpha' ''
  plugin 7 Lock2 'D:\G\lock2.dll' 16 1.0 '*' 'Locked'
} | database "$L"
cat >"$work/links.calls" <<'CALLS'
bLinkPlugIns VntInstallation_2 PlugIn_2 1
bLinkPlugIns VntInstallation_2 PlugIn_2 1
bLinkPlugIns VntInstallation_2 PlugIn_3 1
bLinkPlugIns VntInstallation_1 PlugIn_3 1
bLinkPlugIns VntInstallation_1 PlugIn_6 1
bLinkPlugIns VntInstallation_1 PlugIn_5 1
bLinkPlugIns VntInstallation_1 PlugIn_7 0
bLinkPlugIns VntInstallation_1 PlugIn_3 0
bLinkPlugIns VntInstallation_2 PlugIn_4 2
bLinkPlugIns VntInstallation_2 PlugIn_4 -1
bLinkPlugIns VntInstallation_2 PlugIn_4 1
bLinkPlugIns VntInstallation_2 PlugIn_1 3
bLinkPlugIns VntInstallation_2 PlugIn_1 -2
bLinkPlugIns VntInstallation_9 PlugIn_1 1
bLinkPlugIns NULL PlugIn_1 1
bGetDbUpdateFlag
bGetCatalogByKey VntInstallation_1
bGetCatalogByKey VntInstallation_2
bGetCatalogByKey PlugIn_2
CALLS
scenario links "$work/lnk" "$work/links.calls"
O="$work/links.hosted.out"
expect_line links "$O" '  PlugInLst_GrpName=PlugIn_5|PlugIn_7'
# A group member already linked is not appended a second time.
expect_line links "$O" '  PlugInLst_GrpName=PlugIn_1|PlugIn_2'
expect_line links "$O" '  PlugInLst_GrpName=Debug <d:\g>'

# Renumbering: numbers with gaps; one installation and one plug-in whose
# files are gone are dropped at start-up (the plug-in's place in a link list
# goes to the other plug-in of its name).
R="$work/ren"
new_root "$R"
cp "$B/registry.reg" "$R/registry.reg"
programs "$R" V1/ide/bin/vn_app.exe V2/ide/bin/vn_app.exe
for s in P/two.dll P/five.dll P/seven.dll; do text_file "$R" "$s" library; done
{
  installation 1 "Vantrel One" 'D:\V1\ide\bin\vn_app.exe' 16 3.0 '*' PlugIn_2,PlugIn_5,PlugIn_8
  installation 3 "Vantrel Gone" 'D:\Gone\bin\vn_app.exe' 16 3.0 '*' PlugIn_2
  installation 4 "Vantrel Two" 'D:\V2\ide\bin\vn_app.exe' 16 3.0 '*' PlugIn_7,PlugIn_5,PlugIn_5
  plugin 2 Two 'D:\P\two.dll' 16 1.0 '*' ''
  plugin 5 Five 'D:\P\five.dll' 16 1.0 '*' ''
  plugin 7 Seven 'D:\P\seven.dll' 16 1.0 '*' ''
  plugin 8 Seven 'D:\P\gone.dll' 16 1.0 '*' ''
} | database "$R"
cat >"$work/renumber.calls" <<'CALLS'
iGetCatalogCount 0
iGetCatalogCount 1
bGetCatalogByNdx 0 1 260
bGetCatalogByNdx 1 2 260
bGetCatalogByKey VntInstallation_1
bGetDbUpdateFlag
CALLS
scenario renumber "$work/ren" "$work/renumber.calls"
S="$work/renumber.hosted/drive_d/Vantrel/db/vnt_Compdb.ini"
for section in '[VntInstallation_1]' '[VntInstallation_2]' '[PlugIn_1]' '[PlugIn_2]' '[PlugIn_3]'; do
  expect_line renumber <(tr -d '\r' <"$S") "$section"
done
for section in '[VntInstallation_3]' '[VntInstallation_4]' '[PlugIn_4]' '[PlugIn_5]' '[PlugIn_7]'; do
  expect_no_line renumber <(tr -d '\r' <"$S") "$section"
done
expect_line renumber <(tr -d '\r' <"$S") 'PlugInLst_GrpName=PlugIn_1,PlugIn_2,PlugIn_3'

# Start-up twice: One and Uno share a library without a group; Scope carries
# a "SPLIT: " group, Trace a group with an old folder.
U="$work/stu"
new_root "$U"
cp "$B/registry.reg" "$U/registry.reg"
programs "$U" V1/ide/bin/vn_app.exe
for s in V1/plugins/one.dll V2/plugins/scope.dll V1/plugins/Trace.dll; do text_file "$U" "$s" library; done
{
  installation 1 "Vantrel One" 'D:\V1\ide\bin\vn_app.exe' 16 3.0 '*' PlugIn_1,PlugIn_2,PlugIn_3,PlugIn_4
  plugin 1 One 'D:\V1\plugins\one.dll' 16 1.0 '*' ''
  plugin 2 Uno 'D:\V1\plugins\one.dll' 16 1.0 '*' ''
  plugin 3 Scope 'D:\V2\plugins\scope.dll' 16 1.0 '*' 'SPLIT: <Tools>'
  plugin 4 Trace 'D:\V1\plugins\Trace.dll' 16 1.0 '*' 'Tools <d:\old>'
} | database "$U"
cat >"$work/startup.calls" <<'CALLS'
bGetDbUpdateFlag
bGetCatalogByNdx 1 0 260
bGetCatalogByNdx 1 1 260
bGetCatalogByNdx 1 2 260
bGetCatalogByNdx 1 3 260
CALLS
scenario startup1 "$U" "$work/startup.calls"
for side in hosted wine; do
  cp -a "$work/startup1.$side" "$work/startup2.$side"
  rm -f "$work/startup2.$side/log/"*
done
run_hosted "$work/startup2.hosted" "$work/startup.calls" "$work/startup2.hosted.out"
run_wine "$work/startup2.wine" "$work/startup.calls" "$work/startup2.wine.out"
compare startup2 "$work/startup2.hosted" "$work/startup2.wine" "$work/startup2.hosted.out" "$work/startup2.wine.out"
grp() { grep -E '^  PlugInLst_GrpName=' "$1"; }
diff <(grp "$work/startup1.hosted.out" | sed -n '3,4p') <(grp "$work/startup2.hosted.out" | sed -n '3,4p') >/dev/null ||
  fail "startup: grouped plug-ins changed their group names in the second run"
expect_line startup "$work/startup1.hosted.out" '  PlugInLst_GrpName=CERR: <One><Uno>'
expect_line startup "$work/startup1.hosted.out" '  PlugInLst_GrpName=Tools <d:\v2\plugins>'
expect_line startup "$work/startup1.hosted.out" '  PlugInLst_GrpName=Tools <d:\v1\plugins>'
expect_line startup "$work/startup2.hosted.out" '  PlugInLst_GrpName=CERR: <d:\v1\plugins>'
expect_line startup "$work/startup2.hosted.out" 'bGetDbUpdateFlag -> 0 changes=0xFFFFCFC7'
cmp -s "$work/startup1.hosted/drive_d/Vantrel/db/vnt_Compdb.ini" "$work/startup2.hosted/drive_d/Vantrel/db/vnt_Compdb.ini" ||
  fail "startup: the second run rewrote the database"

# ---- prepare ---------------------------------------------------------------------
import_registry "$P"
cat >"$work/prepare.calls" <<'CALLS'
bPrepareVNT VntInstallation_2
bPrepareVNT VntInstallation_1
bPrepareVNT VntInstallation_1
bPrepareVNT PlugIn_1
bPrepareVNT NULL
bGetDbUpdateFlag
bGetCatalogByKey VntInstallation_1
bGetCatalogByKey VntInstallation_2
CALLS
scenario prepare "$P" "$work/prepare.calls"
# Switch to 2: One's server goes (only 1 used it), Three, the second One,
# the text file and Dbl are registered; then 2's obsolete folder. Back to 1:
# nothing registered is left to undo (the marks come from the start-up scan),
# 1's obsolete folder; once more as the current one: the same sweep. Dbl's
# server reports its path with the doubled backslash reduced (the system's
# module name, dladdr's file name on the hosted side).
expect_calls prepare <<'EXPECTED'
unregister D:\V1\plugins\one.dll
register D:\V2\plugins\three.dll
register D:\V2\plugins\four.dll
register D:\V2\plugins\dbl.dll
unregister D:\V2\plugins\obsolete\a.ocx
unregister D:\V2\plugins\obsolete\d.ocx
unregister D:\V2\plugins\obsolete\b.dll
unregister D:\V2\plugins\obsolete\C.DLL
unregister D:\V1\plugins\obsolete\old.dll
unregister D:\V1\plugins\obsolete\old.dll
EXPECTED

# ---- a dry run -------------------------------------------------------------------
# prepare on the hosted tool with --dry-run: it runs on a copy, so the machine
# (catalog, registry, every file) and the servers' log stay as they were, and
# what would change is told. Its servers are loaded but not called. The
# Windows tool refuses --dry-run (usage, exit 2) before loading anything.
D="$work/dry.hosted"
cp -a "$P" "$D"
place_servers "$D" hosted
cp -a "$D" "$D.before"
VNT_PLUGIN_LOG="$D/plugin.log" "$COMP_MGR_BUILD/bin/comp_mgr" --root "$D" --host-exe "$HOST_EXE" --ui none \
  --dry-run prepare VntInstallation_2 >"$work/dry.out" 2>"$work/dry.err"
rc=$?
[ "$rc" -eq 0 ] || fail "dry run: exit $rc ($(head -3 "$work/dry.err"))"
diff -r --exclude=comp_mgr.lock "$D.before" "$D" >"$work/dry.diff" || fail "dry run: the machine changed"
[ ! -e "$D/plugin.log" ] || fail "dry run: a server was called"
expect_line dry "$work/dry.err" '  ~ drive_d/Vantrel/db/vnt_Compdb.ini'
expect_line dry "$work/dry.err" '      ~ [VntInstallation_2] Status'
grep -q '^comp_mgr: dry run: this run .*registered 3 servers' "$work/dry.err" || fail "dry run: no summary of the registrations"
grep -q '^comp_mgr: dry run on a copy of the machine, which was not changed' "$work/dry.err" ||
  fail "dry run: not told"
W="$work/dry.wine"
cp -a "$P" "$W"
wine_install_programs "$W"
wine_tool "$W" --dry-run list >"$work/dry.wine.out" 2>"$work/dry.wine.err"
rc=$?
[ "$rc" -eq 2 ] || fail "dry run: the Windows tool answered $rc, not 2"
grep -q -- '--dry-run runs on a copy of a hosted machine' "$work/dry.wine.err" || fail "dry run: Windows did not say why"

# ---- new plug-ins ----------------------------------------------------------------
import_registry "$PN"
cat >"$work/detectlink.calls" <<'CALLS'
iDetectNewPlugIns 2
iDetectNewPlugIns 0
iDetectNewPlugIns 2
iDetectNewPlugIns 1
bGetCatalogByKey VntInstallation_1
bGetCatalogByKey VntInstallation_2
bGetCatalogByNdx 1 6 260
bGetCatalogByNdx 1 11 260
CALLS
scenario detectlink "$PN" "$work/detectlink.calls"
expect_line detectlink "$work/detectlink.hosted.out" 'iDetectNewPlugIns -> 6'
[ -s "$work/detectlink.wine.plugins" ] && fail "detectlink: a server was called"

import_registry "$PN"
cat >"$work/detectunreg.calls" <<'CALLS'
iDetectNewPlugIns 2
iDetectNewPlugIns 1
iDetectNewPlugIns 0
iDetectNewPlugIns 2
CALLS
scenario detectunreg "$PN" "$work/detectunreg.calls"
expect_calls detectunreg <<'EXPECTED'
unregister D:\N\ctl.ocx
unregister D:\N\new.dll
unregister D:\N\scope.dll
EXPECTED
wine_registry_export "$CLSID_ROOT" "$work/clsid.wine.txt" || fail "registry export (CLSID)"
for name in new.dll ctl.ocx scope.dll; do
  grep -qiF "$(class_id $name)" "$work/clsid.wine.txt" && fail "detectunreg: the class key of $name is still there"
done
for name in none.dll one.dll two.ocx; do
  grep -qiF "$(class_id $name)" "$work/clsid.wine.txt" || fail "detectunreg: the class key of $name is gone"
done

import_registry "$PN"
cat >"$work/unregall.calls" <<'CALLS'
iDetectNewPlugIns 2
vUnRegAllPlgN
iDetectNewPlugIns 2
bGetDbUpdateFlag
bGetCatalogByKey VntInstallation_1
bGetCatalogByKey VntInstallation_2
CALLS
scenario unregall "$PN" "$work/unregall.calls"
expect_calls unregall <<'EXPECTED'
unregister D:\V1\plugins\one.dll
unregister D:\V1\plugins\two.ocx
unregister D:\N\ctl.ocx
unregister D:\N\new.dll
unregister D:\N\scope.dll
EXPECTED
for side in hosted wine; do
  grep -q '^  Status=1[79]$' "$work/unregall.$side.out" && fail "unregall: an installation is still current ($side)"
done

# why and doctor through their exports: the explanations of a linkable, a
# refused and an unknown pair, and the catalog check (servers loaded and
# freed, none called; the text file and the library without the exports are
# problems), then the abort: nothing is saved.
import_registry "$PN"
cat >"$work/diagnose.calls" <<'CALLS'
bExplainLink VntInstallation_2 PlugIn_3 4096
bExplainLink VntInstallation_1 PlugIn_4 4096
bExplainLink VntInstallation_1 PlugIn_99 4096
iCheckCatalog 16384
bAbortDbUpdate
CALLS
scenario diagnose "$PN" "$work/diagnose.calls"
expect_calls diagnose </dev/null
same_file "diagnose: the catalog is not saved" "$PN/drive_d/Vantrel/db/vnt_Compdb.ini" \
  "$work/diagnose.wine/drive_d/Vantrel/db/vnt_Compdb.ini"
grep -q '^problem|server-load|PlugIn_5|' "$work/diagnose.wine.out" || fail "diagnose: the text file is not told"

ended=$(date +%s)
echo "-- Wine starts $WINE_STARTS, total $((ended - started)) s"
if [ "$failures" -ne 0 ]; then
  echo "-- outputs kept in $work"
  trap - EXIT
  wine_end
  echo "FAILED: $failures check(s)"
  exit 1
fi
echo "PASS: hosted and Windows agree on the plug-in work ($(cat "$work"/*.calls 2>/dev/null | grep -c .) lines compared)"
