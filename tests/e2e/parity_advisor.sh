#!/usr/bin/env bash
# Parity of the hosted tool with the Windows tool under Wine on the update
# advisor: the same machine, raw calls and answers to the reminder give the
# same output, the same pages opened (open.log), the same dialogs (ui.log),
# the same redirect files and the same saved catalog, byte for byte.
#
# Scenarios (each one load and unload of the library):
#   due        never checked: the reminder shows; Yes opens the page and
#              stores the check date (mode 2), then the settings are read
#   due_tick   the same answered No with the box ticked: no page, AutoLaunch
#              FALSE
#   not_due    checked three days ago, every 30 days: no reminder, no page,
#              also through bWebStartupByVNT
#   exactly    checked exactly 30 days ago: the reminder shows
#   modes      mode 0 (remind, open whatever the answer), mode 1 (bind only,
#              then settings written and read back through small buffers),
#              a bWebUpdate
#   long       an address over 260 characters, with characters an HTML
#              attribute must not hold raw, through the redirect file, twice
#              in the same second
#   pages      the support page, the local registration page, the gate, and
#              the folders of a Sku (bWebRegister is called only once a start-up
#              has given it a program location: before, it opens a relative
#              path that does not exist, and Windows shows an error box)
# In every scenario the plug-in trace.dll is a real library with a version
# resource, so the identifiers sent carry its file version.
# On Windows the reminder is the real dialog, on a virtual X server this
# script starts, driven by the same UI script as the hosted side.
#
# Environment: COMP_MGR_BUILD, COMP_MGR_MINGW_BUILD (see wine_lib.sh); without
# the latter the script skips (exit 77). KEEP_WORK=1 keeps the outputs.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
started=$(date +%s)

# shellcheck source=wine_lib.sh
. "$here/wine_lib.sh"
parity_begin parity_advisor native:bin/comp_mgr windows:bin/COMP_MGR.EXE windows:bin/comp_mgr.dll \
  windows:version_fixtures/standard.dll
command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }

# ---- the machine ------------------------------------------------------------

database() {  # EXTRA_LINES_OF_THE_INSTALLATION
  crlf <<INI
[VntInstallation_1]
DisplayName      =Vantrel 3.0
ProgLocation     =D:\\Vantrel\\bin\\vn_app.exe
Status           =0
SdkVersion       =3.0
CpuSupport       =SHARC
PlugInLst_GrpName=PlugIn_1,PlugIn_2
Sku              =PRO,EVAL
Registration     =R-100, R 200
$1
[VntInstallation_2]
DisplayName      =Vantrel 2.5
ProgLocation     =D:\\Old\\bin\\tools\\vn_app.exe
SdkVersion       =2.5
Sku              =STD,PRO

[PlugIn_1]
DisplayName      =Trace Viewer
ProgLocation     =D:\\Vantrel\\plugins\\trace.dll
SdkVersion       =2.0
Sku              =UA-TRACE

[PlugIn_2]
DisplayName      =Simulator
ProgLocation     =D:\\Vantrel\\plugins\\sim.dll
SdkVersion       =3.0
Sku              =KV-SIMARM

INI
}

make_root() {  # ROOT EXTRA_LINES
  local root=$1
  mkdir -p "$root/drive_d/Vantrel/db" "$root/drive_d/Vantrel/bin" "$root/drive_d/Vantrel/plugins" \
    "$root/drive_d/Old/bin/tools" "$root/drive_d/tmp" "$root/log"
  crlf >"$root/registry.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\KOVRA\Vantrel\ComponentManager]
"target"="D:\\Vantrel\\db"

REG
  database "$2" >"$root/drive_d/Vantrel/db/vnt_Compdb.ini"
  echo program >"$root/drive_d/Vantrel/bin/vn_app.exe"
  echo program >"$root/drive_d/Old/bin/tools/vn_app.exe"
  # A real library with a version resource (FileVersion "3.1.0.42" in US
  # English): its identifier carries the version; sim.dll has none.
  cp "$COMP_MGR_MINGW_BUILD/version_fixtures/standard.dll" "$root/drive_d/Vantrel/plugins/trace.dll"
  echo library >"$root/drive_d/Vantrel/plugins/sim.dll"
  # The registration page installed with the older product: the shell opens
  # only what exists.
  mkdir -p "$root/drive_d/Old/docs/releasenotes"
  echo '<html></html>' >"$root/drive_d/Old/docs/releasenotes/vnt_registration.html"
}

# ---- running both sides -----------------------------------------------------

export TEMP='D:\tmp'

run_hosted() {  # ROOT CALLS UI OUT
  "$COMP_MGR_BUILD/bin/comp_mgr" --root "$1" --host-exe "$HOST_EXE" --ui "script:$3" exec "$2" >"$4" 2>"$4.err"
  echo "exit=$?" >>"$4"
}

run_wine() {  # ROOT CALLS UI OUT
  wine_install_programs "$1"
  wine_tool "$1" --ui "script:$(wine_path "$3")" exec "$(wine_path "$2")" >"$4" 2>"$4.err"
  echo "exit=$?" >>"$4"
}

same_file() {  # WHAT HOSTED WINE
  if [ ! -e "$2" ] && [ ! -e "$3" ]; then return 0; fi
  if ! cmp -s "$2" "$3"; then
    fail "$1 differs (hosted < > wine)"
    diff <(cat -A "$2" 2>&1) <(cat -A "$3" 2>&1) | head -20
    return 1
  fi
}

# scenario NAME EXTRA_LINES UI_SCRIPT_TEXT: the calls are in $work/NAME.calls.
scenario() {
  local name=$1
  local h="$work/$name.hosted" w="$work/$name.wine"
  make_root "$h" "$2"
  make_root "$w" "$2"
  printf '%s' "$3" >"$work/$name.ui"
  run_hosted "$h" "$work/$name.calls" "$work/$name.ui" "$work/$name.hosted.out"
  run_wine "$w" "$work/$name.calls" "$work/$name.ui" "$work/$name.wine.out"
  same_file "$name: output" "$work/$name.hosted.out" "$work/$name.wine.out"
  local f
  for f in open.log ui.log messages.log; do same_file "$name: $f" "$h/log/$f" "$w/log/$f"; done
  for f in Vantrel/db/vnt_Compdb.ini Vantrel/db/vnt_Compdb.bak; do
    same_file "$name: $f" "$h/drive_d/$f" "$w/drive_d/$f"
  done
  same_file "$name: redirect files" <(cd "$h/drive_d/tmp" && ls) <(cd "$w/drive_d/tmp" && ls)
  for f in "$h"/drive_d/tmp/*; do
    [ -e "$f" ] && same_file "$name: $(basename "$f")" "$f" "$w/drive_d/tmp/$(basename "$f")"
  done
}

expect_line() {  # NAME FILE LINE
  grep -qxF -- "$3" "$2" || fail "$1: expected the line '$3' in $(basename "$2")"
}
expect_no_line() {  # NAME FILE TEXT
  ! grep -qF -- "$3" "$2" 2>/dev/null || fail "$1: did not expect '$3' in $(basename "$2")"
}

# A display no one else uses for the real dialogs.
display=130
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'parity_cleanup; kill $xvfb_pid 2>/dev/null' EXIT

echo "-- preparing the Wine prefix"
wine_begin parity_advisor || { echo "FAIL: no Wine prefix"; exit 1; }
# Every Wine process of the run sees the X server, so that the desktop
# process Wine starts with the first one has a display for the dialogs.
export DISPLAY=":$display"
make_root "$work/template" ""
# What a Windows machine has and a fresh prefix lacks: .html files open in
# the browser, and TEMP (which Wine takes from the registry, not from the
# environment) is the machine's D:\tmp. The browser is "true", so pages
# "open" without a browser window.
crlf >"$work/prefix.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Classes\.html]
@="htmlfile"

[HKEY_CURRENT_USER\Environment]
"TEMP"="D:\\tmp"

[HKEY_CURRENT_USER\Software\Wine\WineBrowser]
"Browsers"="true"

REG
cat "$work/template/registry.reg" >>"$work/prefix.reg"
wine_registry_import "$work/prefix.reg" "$KOVRA" || fail "registry import"

K=VntInstallation_1
UPDATE='https://www.kovra.com/apps/advisor/register.asp?PR=R-100,R200&PID=Vantrel&PI=PRO,EVAL&tools=PRO,EVAL,UA-TRACE-3.1.0.42'

# ---- due --------------------------------------------------------------------
cat >"$work/due.calls" <<CALLS
bWebStartup $K 2
bWebGetSetting $K 64 64
bGetWebSettingWithDefault $K
bGetDbUpdateFlag
CALLS
scenario due "" $'reminder yes\n'
expect_line due "$work/due.hosted/log/open.log" "open|$UPDATE|ok"
expect_line due "$work/due.hosted/log/ui.log" "reminder|disable=0|yes"
grep -q '^LastCheckDate    =12 04,2006 15:04:33' "$work/due.wine/drive_d/Vantrel/db/vnt_Compdb.ini" ||
  fail "due: the check date was not stored under Windows"

# ---- due_tick ---------------------------------------------------------------
cat >"$work/due_tick.calls" <<CALLS
bWebStartup $K 2
CALLS
scenario due_tick "" $'reminder disable no\n'
expect_line due_tick "$work/due_tick.hosted/log/ui.log" "reminder|disable=1|no"
[ -e "$work/due_tick.wine/log/open.log" ] && fail "due_tick: a page was opened"
grep -q '^AutoLaunch       =FALSE' "$work/due_tick.wine/drive_d/Vantrel/db/vnt_Compdb.ini" ||
  fail "due_tick: AutoLaunch is not FALSE under Windows"

# ---- not_due ----------------------------------------------------------------
cat >"$work/not_due.calls" <<CALLS
bWebStartup $K 2
bWebStartupByVNT "D:\\Vantrel\\bin\\vn_app.exe" 3.0
bWebStartupByVNT "D:\\Old\\bin\\tools\\vn_app.exe" 2.5
CALLS
scenario not_due $'LastCheckDate    =12 01,2006 15:04:33\nFrequency        =30\nAutoLaunch       =TRUE' $'reminder yes\n'
[ -e "$work/not_due.wine/log/ui.log" ] && fail "not_due: the reminder showed"

# ---- exactly ----------------------------------------------------------------
cat >"$work/exactly.calls" <<CALLS
bWebStartup $K 2
CALLS
scenario exactly $'LastCheckDate    =11 04,2006 15:04:33\nFrequency        =30' $'reminder no\n'
expect_line exactly "$work/exactly.wine/log/ui.log" "reminder|disable=0|no"

# ---- modes ------------------------------------------------------------------
cat >"$work/modes.calls" <<CALLS
bWebStartup $K 0
bWebStartup $K 1
bWebSetSetting $K 1 7 "www.kovra.com" "apps/advisor2"
bWebGetSetting $K 13 5
bWebGetSetting $K 0 1
bWebUpdate $K
bWebStartup $K 7
bGetDbUpdateFlag
CALLS
scenario modes "" $'reminder no\nreminder disable yes\n'
expect_line modes "$work/modes.hosted.out" \
  'bWebGetSetting -> 1 autoLaunch=1 frequency=7 size1=13 text1="www.kovra.com" nul1=no size2=5 text2="apps/" nul2=no'

# ---- long -------------------------------------------------------------------
LONG=$(printf 'a%.0s' $(seq 230))
cat >"$work/long.calls" <<CALLS
bWebStartup $K 0
bWebStartup $K 0
CALLS
scenario long "UrlBase          =www.kovra.com/\"<b>\"&x=1
Section          =$LONG" ""
ls "$work/long.hosted/drive_d/tmp/" | grep -qx '~Netbeacon061204150433.html' || fail "long: no redirect file"
ls "$work/long.hosted/drive_d/tmp/" | grep -qx '~Netbeacon061204150433_2.html' || fail "long: no second redirect file"
grep -qF '/&quot;&lt;b&gt;&quot;&amp;x=1/' "$work/long.wine/drive_d/tmp/~Netbeacon061204150433.html" ||
  fail "long: the address is not escaped in the redirect file"

# ---- pages ------------------------------------------------------------------
cat >"$work/pages.calls" <<CALLS
bWebSupport $K
bWebStartup VntInstallation_2 1
bWebSupport $K
bWebSupport VntInstallation_2
bWebRegister
bWebGetPath4Sku PRO 260
bWebGetPath4Sku PRO 10
bWebGetPath4Sku EVAL 0
bWebGetPath4Sku NONE 260
bWebGetPath4Sku NULL 260
CALLS
scenario pages "" ""
expect_line pages "$work/pages.hosted.out" \
  'bWebGetPath4Sku -> 1 size=33 text="D:\Vantrel\bin\|D:\Old\bin\tools\" nul=yes'
expect_line pages "$work/pages.hosted/log/open.log" 'open|D:\\Old\\docs\\releasenotes\\vnt_registration.html|ok'

ended=$(date +%s)
echo "-- Wine starts $WINE_STARTS, total $((ended - started)) s"
if [ "$failures" -ne 0 ]; then
  echo "-- outputs kept in $work"
  trap 'wine_end; kill $xvfb_pid 2>/dev/null' EXIT
  echo "FAILED: $failures check(s)"
  exit 1
fi
echo "PASS: hosted and Windows agree on the advisor ($(cat "$work"/*.calls | grep -c .) call lines)"
