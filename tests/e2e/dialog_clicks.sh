#!/usr/bin/env bash
# The real New Components dialog under Wine, used as a user uses it: mouse
# clicks and the Escape key made by the X server (xdotool) on a virtual
# display this script starts. COMP_MGR.EXE runs `detect ask` for four new
# plug-ins with no UI setting (the user answers); dialog_geometry.exe tells
# where the check boxes, the item texts and the buttons are on the screen.
# Checked afterwards: ui.log, the servers unregistered and the links saved.
# At the end a screenshot of the dialog inside Wine's desktop window (with a
# title bar) is written to $COMP_MGR_BUILD/screenshots/new_components.png.
#
# Environment: COMP_MGR_BUILD, COMP_MGR_MINGW_BUILD (bin/COMP_MGR.EXE,
# bin/comp_mgr.dll, bin/fixture_plugin.dll, bin/dialog_geometry.exe); without
# the latter, Xvfb, xdotool or ImageMagick the script skips (exit 77).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
started=$(date +%s)

# shellcheck source=wine_lib.sh
. "$here/wine_lib.sh"
parity_begin dialog_clicks windows:bin/COMP_MGR.EXE windows:bin/comp_mgr.dll windows:bin/fixture_plugin.dll \
  windows:bin/dialog_geometry.exe
# shellcheck source=dialog_lib.sh
. "$here/dialog_lib.sh"
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
start_display 170 199 || { echo "FAIL: no virtual X server could be started"; exit 1; }
trap 'parity_cleanup; stop_display' EXIT
export DISPLAY=$display
echo "-- preparing the Wine prefix (display $display)"
wine_begin dialog_clicks || { echo "FAIL: no Wine prefix"; exit 1; }
# wine_begin hides the display (for message boxes); every program here needs
# it, as the first one to make a window starts the session's desktop on it.
export DISPLAY=$display

M="$work/machine"
dialog_machine "$M"

declare -A item_state item_text item_y button

# run NAME [PROGRAM...]: starts `detect ask` on a fresh copy of the machine in
# the background (inside PROGRAM, e.g. Wine's desktop), then, unless PROGRAM
# is given (a program on another desktop cannot see the dialog), reads its
# geometry into item_state[N], item_text[N], item_y[N], button[ID].
run() {
  local name=$1
  shift
  root="$work/$name"
  cp -a "$M" "$root"
  dialog_servers_for "$root" wine
  wine_install_programs "$root"
  cp "$COMP_MGR_MINGW_BUILD/bin/dialog_geometry.exe" "$root/drive_d/Vantrel/bin/"
  wine_attach "$root"
  wine_registry_import "$root/registry.reg" "$KOVRA" "${reset_keys[@]}" || fail "$name: registry import"
  VNT_PLUGIN_LOG=$(wine_path "$root/plugin.log") VNT_LOG_DIR=$(wine_path "$root/log") \
    "$WINE_BIN" "$@" 'D:\Vantrel\bin\COMP_MGR.EXE' detect ask </dev/null >"$root.out" 2>&1 &
  tool_pid=$!
  [ $# -eq 0 ] || return 0
  item_state=() item_text=() item_y=() button=()
  local kind a b c d
  while read -r kind a b c d; do
    case $kind in
      item) item_state[$a]=$b item_text[$a]=$c item_y[$a]=$d ;;
      button) button[$a]="$b $c" ;;
    esac
  done < <("$WINE_BIN" 'D:\Vantrel\bin\dialog_geometry.exe' </dev/null | tr -d '\r')
  [ "${#item_state[@]}" -eq 4 ] || fail "$name: the dialog shows ${#item_state[@]} items, not 4"
}

# Clicks are spaced beyond the double-click time: two clicks at one place in
# quick succession would be one double click.
click_at() { xdotool mousemove "$1" "$2" click 1; sleep 0.6; }
click_box() { click_at "${item_state[$1]:-0}" "${item_y[$1]:-0}"; }
click_text() { click_at "${item_text[$1]:-0}" "${item_y[$1]:-0}"; }
click_button() { click_at ${button[$1]:-0 0}; }

finish() {  # NAME: waits for the tool
  local waited=0
  while kill -0 "$tool_pid" 2>/dev/null && [ $waited -lt 100 ]; do sleep 0.1; waited=$((waited + 1)); done
  if kill -0 "$tool_pid" 2>/dev/null; then
    fail "$1: the dialog did not close"
    kill "$tool_pid" 2>/dev/null
  fi
  wait "$tool_pid" 2>/dev/null
}

expect_ui() {  # NAME LINE
  local got
  got=$(tr -d '\r' <"$work/$1/log/ui.log" 2>/dev/null)
  [ "$got" = "$2" ] || fail "$1: ui.log is '$got', expected '$2'"
}
expect_calls() {  # NAME CALLS...
  local got
  got=$(sed 's/ cwd=.*//; s/\r$//' "$work/$1/plugin.log" 2>/dev/null)
  [ "$got" = "$(printf '%s\n' "${@:2}" | sed '/^$/d')" ] || fail "$1: plug-in calls are '$got'"
}
expect_links() {  # NAME LINKS
  grep -q "^PlugInLst_GrpName=$2"$'\r'"\$" "$work/$1/drive_d/Vantrel/db/vnt_Compdb.ini" ||
    fail "$1: the installation's links are not $2"
}

# Items: 0 PlugIn_2, 1 PlugIn_4, 2 PlugIn_3, 3 PlugIn_1. A click on an item's
# text changes nothing; a click on its box toggles it; two restore it.
run clicks
click_box 0
click_text 1
click_box 2
click_box 2
click_button 2008
click_box 3
click_text 3
click_button 1
finish clicks
expect_ui clicks "newcomponents|$DIALOG_ITEMS|checked=PlugIn_1|unchecked=PlugIn_2,PlugIn_4,PlugIn_3|ok"
expect_calls clicks 'unregister D:\N\beta.dll' 'unregister D:\N\delta.dll' 'unregister D:\N\gamma.ocx'
expect_links clicks PlugIn_1

run escape
click_text 0
click_button 2008
click_button 2007
click_box 1
xdotool key Escape
finish escape
expect_ui escape "newcomponents|$DIALOG_ITEMS|checked=PlugIn_2,PlugIn_3,PlugIn_1|unchecked=PlugIn_4|cancel"
expect_calls escape 'unregister D:\N\delta.dll'
expect_links escape PlugIn_1,PlugIn_2,PlugIn_3

# The screenshot: the dialog in a desktop window of Wine's, one box unticked.
mkdir -p "$COMP_MGR_BUILD/screenshots"
shot="$COMP_MGR_BUILD/screenshots/new_components.png"
run screenshot explorer /desktop=shot,510x184
sleep 5  # the desktop window, then the dialog
import -window root -crop 510x184+0+0 +repage "$shot" || fail "screenshot: import failed"
xdotool key Escape
finish screenshot
[ -s "$shot" ] && echo "-- screenshot: $shot"

ended=$(date +%s)
echo "-- Wine starts $WINE_STARTS, total $((ended - started)) s"
if [ "$failures" -ne 0 ]; then
  KEEP_WORK=1
  echo "FAILED: $failures check(s)"
  exit 1
fi
echo "PASSED"
