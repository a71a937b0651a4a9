#!/usr/bin/env bash
# Parity of the hosted reader of version resources with Windows under Wine:
# for every fixture library (tests/fixtures/versions, built by the MinGW-w64
# build into version_fixtures/), version_dump prints what the file versions
# port answers (the block size, each query's result, length and bytes) and
# what CVersion records; the Windows build (the system's functions) and the
# native build (our reader of the PE file) must print the same, line by line.
#
# Then the tool's `version FILE` on a few of them: the hosted tool and
# COMP_MGR.EXE under Wine print the same and end with the same status.
#
# Environment: COMP_MGR_BUILD (native build: bin/version_dump, bin/comp_mgr),
# COMP_MGR_MINGW_BUILD (MinGW-w64 build: bin/version_dump.exe,
# bin/COMP_MGR.EXE, bin/comp_mgr.dll and version_fixtures/); without the
# latter the script skips (exit 77).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=wine_lib.sh
. "$here/wine_lib.sh"
parity_begin parity_versions native:bin/version_dump native:bin/comp_mgr windows:bin/version_dump.exe \
  windows:bin/COMP_MGR.EXE windows:bin/comp_mgr.dll windows:version_fixtures/standard.dll windows:version_fixtures/truncated.dll

root=$work/root
mkdir -p "$root/drive_d/versions"
cp "$COMP_MGR_MINGW_BUILD"/version_fixtures/*.dll "$root/drive_d/versions/"
: >"$root/drive_d/versions/empty.dll"
paths=()
for file in "$root"/drive_d/versions/*.dll; do paths+=("D:\\versions\\$(basename "$file")"); done
paths+=('D:\versions\missing.dll' 'D:\versions')

wine_begin parity_versions
wine_attach "$root"

"$COMP_MGR_BUILD/bin/version_dump" "$root" "${paths[@]}" >"$work/hosted.txt" 2>"$work/hosted.err" ||
  fail "the hosted version_dump failed: $(cat "$work/hosted.err")"
"$WINE_BIN" "$COMP_MGR_MINGW_BUILD/bin/version_dump.exe" "${paths[@]}" 2>"$work/windows.err" | tr -d '\r' \
  >"$work/windows.txt" || fail "version_dump.exe failed under Wine"

if ! diff -u "$work/windows.txt" "$work/hosted.txt" >"$work/diff.txt"; then
  fail "the hosted reader answers otherwise than Windows:"
  head -n 60 "$work/diff.txt"
fi
# The comparison means something only if the fixtures were read at all.
for fact in 'recorded 040904B0 FileVersion=332e312e302e3432' 'recorded 040704E4 FileVersion=' \
  'query \StringFileInfo\040904B0\FileVersion -> 1 length=0 bytes=-'; do
  grep -qF "$fact" "$work/hosted.txt" || fail "no line '$fact' in the answers"
done
files=$(grep -c '^file ' "$work/hosted.txt")
echo "-- $files files compared, $(wc -l <"$work/hosted.txt") lines"

# The tool, on a machine that has no catalog: the command needs none.
printf 'REGEDIT4\r\n\r\n' >"$root/registry.reg"
wine_install_programs "$root"
for name in standard two_translations missing_string zero_length no_version truncated; do
  path="D:\\versions\\$name.dll"
  "$COMP_MGR_BUILD/bin/comp_mgr" --root "$root" --host-exe "$HOST_EXE" version "$path" >"$work/tool_hosted_$name.txt" \
    2>/dev/null
  hosted_rc=$?
  wine_tool "$root" version "$path" >"$work/tool_windows_$name.txt" 2>/dev/null
  windows_rc=$?
  [ "$hosted_rc" = "$windows_rc" ] || fail "version $name: the hosted tool ends with $hosted_rc, Windows with $windows_rc"
  diff -u "$work/tool_windows_$name.txt" "$work/tool_hosted_$name.txt" || fail "version $name: the tools print otherwise"
done
grep -q 'FileVersion: *3.1.0.42' "$work/tool_hosted_standard.txt" || fail "version standard: no FileVersion line"
[ "$failures" -eq 0 ] || exit 1
echo "PASS"
