#!/usr/bin/env bash
# Parity of bSetupVNT between the hosted tool and the Windows tool under Wine,
# on one machine with a product key of two processor families (C6000 with a
# compiler, kernel content and a kernel package; C5500 with a compiler found
# through the first subfolder and a package), compilers with and without a
# version resource (PE files from the MinGW build, on both sides), and the
# version-printing stand-in vers.exe (tests/fixtures/fixture_vers.cpp, the
# ELF build on the hosted side, the PE build under Wine), which reads what to
# print from vers.txt beside it.
#
# Compared per scenario: the tool's output, the report
# VN_App_Tool_Versions.txt byte for byte, the database files, and the
# registry afterwards (the class keys the setup rewrites, the product keys
# with the recorded compiler versions), the hosted registry.reg against
# regedit /E of the prefix, both normalised (reg_normalize.py). The class
# trees must also equal what they were before.
#
# Scenarios:
#   setup      the full machine: bSetupVNT, SetupVNT, an unknown location
#   silent     vers.exe never writes: no kernel content from it, no hang
#   flood      vers.exe writes 10 MB: one read of 260 bytes, then killed
#   notprog    vers.exe is a text file: it does not start
#   badvalues  a Build Tools value of 600 characters, a ProductName that is a
#              number, a folder chain 200 levels deep and a cycle through a
#              link where a compiler is looked for
#   readonly   the report's folder is read-only: no report, nothing recorded
#   nopath     a location without backslashes
#
# Environment: COMP_MGR_BUILD (bin/comp_mgr, bin/fixture_vers),
# COMP_MGR_MINGW_BUILD (bin/COMP_MGR.EXE, bin/comp_mgr.dll,
# bin/fixture_vers.exe, bin/fixture_compiler_versioned.exe,
# bin/fixture_compiler_plain.exe); without the latter the script skips
# (exit 77). KEEP_WORK=1 keeps the outputs.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
started=$(date +%s)

# shellcheck source=wine_lib.sh
. "$here/wine_lib.sh"
parity_begin parity_setup native:bin/comp_mgr native:bin/fixture_vers windows:bin/COMP_MGR.EXE \
  windows:bin/comp_mgr.dll windows:bin/fixture_vers.exe windows:bin/fixture_compiler_versioned.exe \
  windows:bin/fixture_compiler_plain.exe

CLASSES='HKEY_LOCAL_MACHINE\SOFTWARE\Classes\CLSID'
BRIMWELL='HKEY_LOCAL_MACHINE\SOFTWARE\Brimwell'
CLASS1='{5B7F2E81-D6A0-4C39-B2E4-71F0A8C9D563}'
CLASS2='{A9D4E6F0-2C3B-4F58-8E17-0B92D3C4A702}'
CLASS3='{3C5E9A12-7B44-4E1A-9D20-5A61C7E0B311}'
LOCATION='D:\Brimwell\VNT3\bin\vn_app.exe'

# ---- the machine ---------------------------------------------------------------
# A class tree with every value type, a value of 300 bytes, a value name of
# 300 characters, nested and empty keys; a second small one; the third is
# missing.
class_trees() {
  local c="$CLASSES\\$CLASS1" long blob
  long=$(printf 'N%.0s' $(seq 300))
  blob=$(python3 -c 'print(",".join("%02x" % (i * 37 % 256) for i in range(300)))')
  printf '[%s]\n@="Brimwell Target Session"\n"AppID"="{11111111-2222-3333-4444-555555555555}"\n\n' "$c"
  printf '[%s\\InprocServer32]\n@=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,5c,73,2e,64,6c,6c,00\n"ThreadingModel"="Both"\n\n' "$c"
  printf '[%s\\Types]\n"Count"=dword:0000002a\n"Blob"=hex:%s\n"List"=hex(7):6f,6e,65,00,74,77,6f,00,00\n"Wide"=hex(b):01,02,03,04,05,06,07,08\n"%s"="long name"\n\n' "$c" "$blob" "$long"
  printf '[%s\\Empty]\n\n[%s\\Empty\\Deeper]\n\n[%s\\ProgID]\n@="Brimwell.Session.3"\n\n' "$c" "$c" "$c"
  printf '[%s\\%s]\n@="Second class"\n\n[%s\\%s\\LocalServer32]\n@="D:\\\\Brimwell\\\\srv.exe"\n\n' \
    "$CLASSES" "$CLASS2" "$CLASSES" "$CLASS2"
}

product_keys() {
  local p="$BRIMWELL\\VNT3" g="$BRIMWELL\\CodeGen" k="$BRIMWELL\\Packages"
  printf '[%s\\Alpha]\n"VN_APP"="D:\\\\Alpha\\\\bin\\\\vn_app.exe"\n\n' "$BRIMWELL"
  printf '[%s]\n"VN_APP"="d:\\\\BRIMWELL\\\\vnt3\\\\bin\\\\vn_app.exe"\n\n' "$p"
  printf '[%s\\C6000\\Build Tools]\n@="SOFTWARE\\\\Brimwell\\\\CodeGen\\\\CGT_D:|Brimwell|cgtools|c6000"\n\n' "$p"
  printf '[%s\\C5500\\Build Tools]\n@="SOFTWARE\\\\Brimwell\\\\CodeGen\\\\CGT_D:|tools|c5500"\n\n' "$p"
  printf '[%s\\Packages\\C6000\\LUMA_5]\n@="SOFTWARE\\\\Brimwell\\\\Packages\\\\Kernel6"\n\n' "$p"
  printf '[%s\\Packages\\C5500\\LUMA_4]\n@="SOFTWARE\\\\Brimwell\\\\Packages\\\\Kernel5"\n\n' "$p"
  printf '[%s\\CGT_D:|Brimwell|cgtools|c6000]\n"ProductName"="Luma C6000 Code Generation Tools"\n\n' "$g"
  printf '[%s\\CGT_D:|tools|c5500]\n"ProductName"="C5500 Code Generation Tools"\n\n' "$g"
  printf '[%s\\Kernel6]\n"ProductName"="lUma Kernel"\n"Version"="5.2.1"\n\n' "$k"
  printf '[%s\\Kernel5]\n"ProductName"="Luma Kernel"\n"Version"="4.0"\n\n' "$k"
}

installation_db() {
  printf ';---------------------------------------------------------------------------\n; Component database of the setup parity test\n;---------------------------------------------------------------------------\n;\n'
  printf '[VntInstallation_1]\nDisplayName      =Vantrel Three\nProgLocation     =%s\nLastAccessDate   =\nStatus           =16\nSdkVersion       =3.0\nCpuSupport       =*\nPlugInLst_GrpName=\nGroupDescription =\nHelpFile         =\nSku              =PRO\nRegistration     =\n\n' "$LOCATION"
}

M="$work/machine"
mkdir -p "$M/drive_d/Vantrel/db" "$M/drive_d/Vantrel/bin" "$M/drive_d/Brimwell/VNT3/bin" "$M/drive_d/Brimwell/bin" \
  "$M/drive_d/Brimwell/cgtools/c6000" "$M/drive_d/Brimwell/luma" "$M/drive_d/tools/c5500/bin" \
  "$M/drive_d/tools/c5500/docs" "$M/log"
printf 'program\r\n' >"$M/drive_d/Brimwell/VNT3/bin/vn_app.exe"
printf 'kernel library\r\n' >"$M/drive_d/Brimwell/luma/luma.a64"
cp "$COMP_MGR_MINGW_BUILD/bin/fixture_compiler_versioned.exe" "$M/drive_d/Brimwell/cgtools/c6000/cl6x.exe"
cp "$COMP_MGR_MINGW_BUILD/bin/fixture_compiler_plain.exe" "$M/drive_d/tools/c5500/bin/cl55.exe"
printf 'print\nLumakern ***cuda Lumakern v5.20 (C6000)\r\n***' >"$M/drive_d/Brimwell/bin/vers.txt"
installation_db | crlf >"$M/drive_d/Vantrel/db/vnt_Compdb.ini"
{
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\n"target"="D:\\\\Vantrel\\\\db"\n\n'
  class_trees
  product_keys
} | crlf >"$M/registry.reg"

# ---- running both sides ----------------------------------------------------------

place_vers() {  # ROOT hosted|wine
  local to="$1/drive_d/Brimwell/bin/vers.exe"
  [ -e "$to" ] && return 0  # a scenario put its own
  if [ "$2" = hosted ]; then cp "$COMP_MGR_BUILD/bin/fixture_vers" "$to"; else cp "$COMP_MGR_MINGW_BUILD/bin/fixture_vers.exe" "$to"; fi
}

same_file() {  # WHAT HOSTED WINE
  if [ ! -e "$2" ] && [ ! -e "$3" ]; then return 0; fi
  if [ -d "$2" ] && [ -d "$3" ]; then return 0; fi
  if ! cmp -s "$2" "$3"; then
    fail "$1 differs (hosted < > wine)"
    diff <(cat -A "$2" 2>&1) <(cat -A "$3" 2>&1) | head -20
    return 1
  fi
}
expect_line() {  # NAME FILE LINE
  grep -qxF -- "$3" "$2" || fail "$1: expected the line '$3' in $(basename "$2")"
}

# scenario NAME TEMPLATE CALLS [BEFORE_HOOK]: copies the template for each
# side, runs the calls, compares everything.
scenario() {
  local name=$1 template=$2 calls=$3 hook=${4:-}
  local h="$work/$name.hosted" w="$work/$name.wine"
  cp -a "$template" "$h"
  cp -a "$template" "$w"
  place_vers "$h" hosted
  place_vers "$w" wine
  if [ -n "$hook" ]; then "$hook" "$h"; "$hook" "$w"; fi
  printf '%s\n' "$calls" >"$work/$name.calls"
  local c
  for c in "$CLASS1" "$CLASS2" "$CLASS3"; do hosted_registry_normalised "$h" "$CLASSES\\$c" "$work/$name.$c.before"; done

  local t0 t1
  t0=$(date +%s)
  "$COMP_MGR_BUILD/bin/comp_mgr" --root "$h" --host-exe "$HOST_EXE" --ui none exec "$work/$name.calls" \
    >"$work/$name.hosted.out" 2>"$work/$name.hosted.err"
  echo "exit=$?" >>"$work/$name.hosted.out"
  t1=$(date +%s)
  [ $((t1 - t0)) -le 20 ] || fail "$name: the hosted run took $((t1 - t0)) s"

  wine_attach "$w"
  wine_registry_import "$w/registry.reg" "$KOVRA" "$BRIMWELL" "$CLASSES\\$CLASS1" "$CLASSES\\$CLASS2" \
    "$CLASSES\\$CLASS3" || fail "$name: registry import"
  wine_install_programs "$w"
  wine_tool "$w" exec "$(wine_path "$work/$name.calls")" >"$work/$name.wine.out" 2>"$work/$name.wine.err"
  echo "exit=$?" >>"$work/$name.wine.out"

  same_file "$name: output" "$work/$name.hosted.out" "$work/$name.wine.out"
  local f
  for f in Brimwell/VNT3/bin/VN_App_Tool_Versions.txt Vantrel/db/vnt_Compdb.ini Vantrel/db/vnt_Compdb.bak \
    Vantrel/bin/VN_App_Tool_Versions.txt; do
    same_file "$name: $f" "$h/drive_d/$f" "$w/drive_d/$f"
  done
  local key
  for key in "$CLASSES\\$CLASS1" "$CLASSES\\$CLASS2" "$CLASSES\\$CLASS3" "$BRIMWELL"; do
    local tag=${key##*\\}
    hosted_registry_normalised "$h" "$key" "$work/$name.$tag.hosted.reg"
    # A key that is not there exports as nothing.
    wine_registry_export "$key" "$work/$name.$tag.wine.reg" >/dev/null 2>&1 || : >"$work/$name.$tag.wine.reg"
    [ -s "$work/$name.$tag.hosted.reg" ] || : >"$work/$name.$tag.hosted.reg"
    same_file "$name: registry below $key" "$work/$name.$tag.hosted.reg" "$work/$name.$tag.wine.reg"
  done
  for c in "$CLASS1" "$CLASS2" "$CLASS3"; do
    same_file "$name: class tree $c before and after" "$work/$name.$c.before" "$work/$name.$c.hosted.reg"
  done
}

report() {  # NAME SIDE
  printf '%s' "$work/$1.$2/drive_d/Brimwell/VNT3/bin/VN_App_Tool_Versions.txt"
}

echo "-- preparing the Wine prefix"
wine_begin parity_setup || { echo "FAIL: no Wine prefix"; exit 1; }

SETUP_CALLS="bSetupVNT \"$LOCATION\" 3.0
SetupVNT \"$LOCATION\" 3.0
bSetupVNT \"D:\\Nowhere\\bin\\vn_app.exe\" 3.0
bSetupVNT NULL NULL
bGetCatalogByKey VntInstallation_1"

scenario setup "$M" "$SETUP_CALLS"
O="$work/setup.hosted.out"
expect_line setup "$O" "bSetupVNT -> 1"
expect_line setup "$O" "SetupVNT -> 1"
expect_line setup "$O" "bSetupVNT -> 0"
expect_line setup "$O" "  Status=17"
R=$(report setup hosted)
printf 'C5500 : C5500 Code Generation Tools : \r\nC6000 : Target Content (Lumakern) : 5.2.1\r\nC6000 : LUMA C6000 Code Generation Tools : %s\r\nC5500 : LUMA Kernel : 4.0\r\n' \
  "${COMPILER_VERSION-7.4.2.1}" >"$work/setup.expected.txt"
same_file "setup: report as expected" "$work/setup.expected.txt" "$R"
# The compilers' versions recorded in their tool keys (none: an empty value).
python3 - "$work/setup.Brimwell.hosted.reg" "${COMPILER_VERSION-7.4.2.1}" <<'PY' || fail "setup: compiler versions not recorded"
import sys
text, version = open(sys.argv[1]).read(), sys.argv[2]
blocks = {b.split("]")[0]: b for b in text.split("\n[")}
c6 = [b for k, b in blocks.items() if k.endswith("CGT_D:|Brimwell|cgtools|c6000")]
c5 = [b for k, b in blocks.items() if k.endswith("CGT_D:|tools|c5500")]
ok = c6 and '"Version"="%s"' % version in c6[0] and c5 and '"Version"=""' in c5[0]
sys.exit(0 if ok else 1)
PY
# vers.exe that never writes, that floods, that is no program.
silent_vers() { printf 'sleep\n' >"$1/drive_d/Brimwell/bin/vers.txt"; }
flood_vers() { printf 'flood\n' >"$1/drive_d/Brimwell/bin/vers.txt"; }
text_vers() { printf 'not a program\r\n' >"$1/drive_d/Brimwell/bin/vers.exe"; chmod +x "$1/drive_d/Brimwell/bin/vers.exe"; }
for s in silent:silent_vers flood:flood_vers notprog:text_vers; do
  scenario "${s%%:*}" "$M" "bSetupVNT \"$LOCATION\" 3.0" "${s#*:}"
  expect_line "${s%%:*}" "$work/${s%%:*}.hosted.out" "bSetupVNT -> 1"
done

# Values and folders the report cannot use.
bad_values() {
  local r=$1
  python3 - "$r/registry.reg" <<'PY'
import sys
p = sys.argv[1]
s = open(p, newline="").read()
s = s.replace('CGT_D:|tools|c5500"', 'CGT_D:|tools|c5500' + "x" * 560 + '"', 1)
s = s.replace('"ProductName"="Luma Kernel"', '"ProductName"=dword:00000005')
open(p, "w", newline="").write(s)
PY
  # A compiler folder whose first subfolder is a chain 200 levels deep, and
  # one whose first subfolder leads round a cycle.
  local deep="$r/drive_d/Brimwell/cgtools/c6000" i
  mv "$deep/cl6x.exe" "$r/drive_d/Brimwell/cl6x.exe"
  deep="$deep/a"
  for i in $(seq 200); do deep="$deep/d"; done
  mkdir -p "$deep"
  cp "$r/drive_d/Brimwell/cl6x.exe" "$deep/cl6x.exe"
  mkdir -p "$r/drive_d/Brimwell/luma/a"
  ln -s .. "$r/drive_d/Brimwell/luma/a/loop"
  mv "$r/drive_d/Brimwell/luma/luma.a64" "$r/drive_d/Brimwell/luma/b.a64"
}
scenario badvalues "$M" "bSetupVNT \"$LOCATION\" 3.0" bad_values
expect_line badvalues "$work/badvalues.hosted.out" "bSetupVNT -> 1"

# A folder that takes no new file: read-only, and, since the superuser writes
# into read-only folders, a folder in the way of the report's name.
read_only() {
  local bin="$1/drive_d/Brimwell/VNT3/bin"
  if [ "$(id -u)" -eq 0 ]; then mkdir "$bin/VN_App_Tool_Versions.txt"; else chmod 555 "$bin"; fi
}
scenario readonly "$M" "bSetupVNT \"$LOCATION\" 3.0" read_only
[ -f "$(report readonly hosted)" ] && fail "readonly: a report was written"
hosted_registry_normalised "$M" "$BRIMWELL" "$work/brimwell.before.reg"
same_file "readonly: product keys unchanged without a report" "$work/brimwell.before.reg" "$work/readonly.Brimwell.hosted.reg"
chmod -R u+w "$work/readonly.hosted" "$work/readonly.wine"

# The installation in the folder of the running program (COMP_MGR.EXE, the
# host of both tools): the report lands beside the real host executable.
host_dir() {
  local r=$1
  python3 - "$r/registry.reg" "$r/drive_d/Vantrel/db/vnt_Compdb.ini" <<'PY'
import sys
for p in sys.argv[1:]:
    s = open(p, newline="").read()
    s = s.replace("d:\\\\BRIMWELL\\\\vnt3\\\\bin\\\\vn_app.exe", "D:\\\\VANTREL\\\\bin\\\\vn_app.exe")
    s = s.replace("D:\\Brimwell\\VNT3\\bin\\vn_app.exe", "D:\\Vantrel\\bin\\vn_app.exe")
    open(p, "w", newline="").write(s)
PY
  printf 'program\r\n' >"$r/drive_d/Vantrel/bin/vn_app.exe"
  mkdir -p "$r/drive_d/bin"
  mv "$r/drive_d/Brimwell/bin/vers.exe" "$r/drive_d/Brimwell/bin/vers.txt" "$r/drive_d/bin/"
}
scenario hostdir "$M" 'bSetupVNT "D:\Vantrel\bin\vn_app.exe" 3.0' host_dir
expect_line hostdir "$work/hostdir.hosted.out" "bSetupVNT -> 1"
grep -q 'Target Content (Lumakern) : 5.2.1' "$work/hostdir.hosted/drive_d/Vantrel/bin/VN_App_Tool_Versions.txt" ||
  fail "hostdir: no report beside the host program"

scenario nopath "$M" 'bSetupVNT "vn_app.exe" 3.0
bSetupVNT "D:vn_app.exe" 3.0'

ended=$(date +%s)
echo "-- Wine starts $WINE_STARTS, total $((ended - started)) s"
if [ "$failures" -ne 0 ]; then
  echo "-- outputs kept in $work"
  trap - EXIT
  wine_end
  echo "FAILED: $failures check(s)"
  exit 1
fi
echo "PASS: hosted and Windows agree on bSetupVNT"
