# Helpers for end-to-end scripts that run the Windows build under Wine next to
# the hosted build (sourced; bash). The Windows side uses the same machine
# root layout as the hosted adapter:
#   ROOT/registry.reg  imported into the prefix's registry with regedit
#   ROOT/drive_d       drive D: (a link in the prefix's dosdevices)
#   ROOT/log           messages.log, via VNT_LOG_DIR
# The programs are copied to ROOT/drive_d/Vantrel/bin and run as
# D:\Vantrel\bin\COMP_MGR.EXE, so GetModuleFileNameA reports the same path as
# --host-exe gives the hosted tool.
#
# Costs: creating a prefix takes about 15-20 s (once per prefix; it is kept in
# the MinGW build folder); a start while the prefix's wineserver runs takes
# about 0.3-1.5 s, a start that must bring the server up again about 2-3 s.
# wine_begin keeps one server up for the whole script; wine_end stops it.
#
# Registry text: regedit /E writes "Windows Registry Editor Version 5.00" in
# UTF-16 with CR LF; the hosted machine keeps REGEDIT4 in 8-bit text.
# Differences found between the two forms, all made alike by reg_normalize.py:
#   - header line, encoding, and blank lines;
#   - regedit /E wraps long hex values over several lines ("\" at the end);
#   - hex(2) (REG_EXPAND_SZ) and hex(7) (REG_MULTI_SZ) data is UTF-16 in the
#     5.00 form, 8-bit in REGEDIT4 (Wine's import of a REGEDIT4 file converts
#     "43,00" to "43,00,00,00");
#   - values: Windows and the hosted registry keep creation order, Wine keeps
#     them sorted by name, so its export (and RegEnumValueA) lists them by
#     name; the comparison sorts values by name;
#   - an export of KEY lists KEY and what is below it; the hosted file lists
#     every parent key as well; the comparison keeps KEY and below.
# Keys come in case-insensitive name order on both.
#
# Environment: COMP_MGR_MINGW_BUILD (the MinGW-w64 build folder, with
# bin/COMP_MGR.EXE and bin/comp_mgr.dll).

# ---- the common start of a parity script -----------------------------------

# parity_begin NAME FILE...: skips the script (exit 77) without a MinGW build
# folder or without Wine, fails when one of the files (paths relative to
# $COMP_MGR_BUILD for "native:..." and to $COMP_MGR_MINGW_BUILD for
# "windows:...") is missing, then makes the work folder $work (removed at exit
# unless KEEP_WORK is set), fixes the clock and sets HOST_EXE and KOVRA.
parity_begin() {
  local name=$1 item path
  shift
  if [ -z "${COMP_MGR_MINGW_BUILD:-}" ]; then
    echo "SKIP: COMP_MGR_MINGW_BUILD is not set; configure with -DCOMP_MGR_MINGW_BUILD=<MinGW-w64 build folder> to compare with Windows under Wine"
    exit 77
  fi
  : "${COMP_MGR_BUILD:?COMP_MGR_BUILD must name the native build folder}"
  for item in "$@"; do
    case $item in
      native:*) path=$COMP_MGR_BUILD/${item#native:} ;;
      windows:*) path=$COMP_MGR_MINGW_BUILD/${item#windows:} ;;
      *) path=$item ;;
    esac
    [ -e "$path" ] || { echo "FAIL: $path is missing; build the tool, the library and the fixtures first"; exit 1; }
  done
  [ -x "$WINE_BIN" ] || { echo "SKIP: wine64 is not installed"; exit 77; }
  work=$(mktemp -d "${TMPDIR:-/tmp}/$name.XXXXXX")
  trap parity_cleanup EXIT
  export VNT_NOW="2006-12-04 15:04:33"
  export TZ=UTC
  HOST_EXE='D:\Vantrel\bin\COMP_MGR.EXE'
  KOVRA='HKEY_LOCAL_MACHINE\SOFTWARE\KOVRA'
  failures=0
}

parity_cleanup() {
  wine_end
  if [ -n "${KEEP_WORK:-}" ]; then echo "-- outputs kept in $work"; else rm -rf "$work"; fi
}

# A failed check: counted, the script goes on.
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Text with CR LF line ends, as Windows files have them.
crlf() { sed 's/$/\r/'; }

WINE_BIN=${WINE_BIN:-/usr/lib/wine/wine64}
WINESERVER_BIN=${WINESERVER_BIN:-/usr/lib/wine/wineserver64}
WINE_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WINE_STARTS=0

# The Windows path of a Unix path (Wine maps / to Z:).
wine_path() {
  local p
  p=$(realpath -m "$1")
  printf 'Z:%s' "${p//\//\\}"
}

# wine_begin NAME: uses the private prefix NAME under the MinGW build folder,
# creating it the first time (wineboot, then waiting for the server, under a
# lock so parallel scripts do not race), and starts a server that lives until
# wine_end.
wine_begin() {
  local name=$1
  export WINEPREFIX="$COMP_MGR_MINGW_BUILD/wine-e2e/$name"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d"
  unset DISPLAY   # message boxes return at once instead of waiting for a click
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$WINE_BIN" wineboot -i >/dev/null 2>&1 || true
      "$WINESERVER_BIN" -w || true
    fi
  ) 9>"$WINEPREFIX.lock"
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wine_lib: cannot create the prefix $WINEPREFIX" >&2; return 1; }
  # Persistent server: later starts skip its start-up. Its output must not
  # hold the test's pipes open.
  "$WINESERVER_BIN" -p >/dev/null 2>&1 </dev/null || true
}

# Stops the prefix's server (only this prefix's) and waits for it.
wine_end() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  "$WINESERVER_BIN" -k >/dev/null 2>&1 || true
  "$WINESERVER_BIN" -w >/dev/null 2>&1 || true
}

# wine_attach ROOT: makes ROOT/drive_d drive D: of the prefix.
wine_attach() {
  mkdir -p "$1/drive_d"
  ln -sfn "$(realpath "$1/drive_d")" "$WINEPREFIX/dosdevices/d:"
}

# wine_install_programs ROOT: copies COMP_MGR.EXE and comp_mgr.dll to
# ROOT/drive_d/Vantrel/bin.
wine_install_programs() {
  local bin="$1/drive_d/Vantrel/bin"
  mkdir -p "$bin"
  cp "$COMP_MGR_MINGW_BUILD/bin/COMP_MGR.EXE" "$COMP_MGR_MINGW_BUILD/bin/comp_mgr.dll" "$bin/"
}

# wine_registry_import FILE [RESET_KEY...]: imports a registry file, first
# deleting each RESET_KEY (e.g. HKEY_LOCAL_MACHINE\SOFTWARE\KOVRA) so that
# nothing of an earlier run stays. One start.
wine_registry_import() {
  local file=$1
  shift
  local staged
  staged=$(mktemp "${TMPDIR:-/tmp}/wine_import.XXXXXX.reg")
  {
    printf 'REGEDIT4\r\n\r\n'
    local key
    for key in "$@"; do printf '[-%s]\r\n\r\n' "$key"; done
    # The file's own header is dropped; the rest is imported as it is.
    sed '1{/^REGEDIT4/d}' "$file"
  } >"$staged"
  WINE_STARTS=$((WINE_STARTS + 1))
  "$WINE_BIN" regedit /S "$(wine_path "$staged")" </dev/null
  local rc=$?
  rm -f "$staged"
  return $rc
}

# wine_registry_export KEY OUT: writes KEY and everything below it to OUT as
# normalised REGEDIT4 text (reg_normalize.py). One start.
wine_registry_export() {
  local key=$1 out=$2 raw
  raw=$(mktemp "${TMPDIR:-/tmp}/wine_export.XXXXXX.reg")
  WINE_STARTS=$((WINE_STARTS + 1))
  # Asked twice before taken as absent: on a loaded machine an export of a key
  # that is there has been seen to fail once.
  "$WINE_BIN" regedit /E "$(wine_path "$raw")" "$key" </dev/null ||
    { WINE_STARTS=$((WINE_STARTS + 1)); "$WINE_BIN" regedit /E "$(wine_path "$raw")" "$key" </dev/null; } ||
    { rm -f "$raw"; return 1; }
  python3 "$WINE_LIB_DIR/reg_normalize.py" "$raw" "$key" >"$out"
  local rc=$?
  rm -f "$raw"
  return $rc
}

# hosted_registry_normalised ROOT KEY OUT: the hosted machine's registry below
# KEY in the same form.
hosted_registry_normalised() {
  python3 "$WINE_LIB_DIR/reg_normalize.py" "$1/registry.reg" "$2" >"$3"
}

# wine_tool ROOT ARGS...: runs D:\Vantrel\bin\COMP_MGR.EXE ARGS with ROOT as
# the machine (attached as D:), message boxes logged to ROOT/log, no user;
# standard output with carriage returns removed. Returns the tool's status.
# VNT_NOW and other settings come from the caller's environment. One start.
wine_tool() {
  local root=$1
  shift
  wine_attach "$root"
  mkdir -p "$root/log"
  WINE_STARTS=$((WINE_STARTS + 1))
  local rc=0
  VNT_UI=none VNT_LOG_DIR="$(wine_path "$root/log")" \
    "$WINE_BIN" 'D:\Vantrel\bin\COMP_MGR.EXE' "$@" </dev/null | tr -d '\r'
  rc=${PIPESTATUS[0]}
  return "$rc"
}
