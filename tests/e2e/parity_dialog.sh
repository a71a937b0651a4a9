#!/usr/bin/env bash
# Parity of the New Components dialog between the hosted tool and the Windows
# tool under Wine. Both run `comp_mgr --ui script:FILE detect ask` on copies
# of one machine whose registry announces four plug-ins the catalog does not
# know yet; on Windows the script's steps are played on the real dialog by
# mouse and keyboard input, under a virtual X server this script starts.
#
# Compared byte for byte per scenario: the tool's output and its messages on
# standard error, ui.log, messages.log, vnt_Compdb.ini and vnt_Compdb.bak;
# the plug-in servers' calls (as in parity_plugins.sh) and the registry below
# SOFTWARE\KOVRA (normalised, reg_normalize.py); with the test engine, its
# log of calls.
#
# Scenarios (one `detect ask`, then the links of the installation):
#   uncheck      two items unchecked, one of them checked and unchecked again,
#                OK: the unchecked servers are unregistered, the rest linked
#   buttons      Deselect All, one item checked again, Select All, Deselect All,
#                one checked: the lists follow the buttons as the marks do
#   escape       one item unchecked, then Escape: read as OK would be
#   noline       a script without a line for the dialog: answered as no one
#   noengine     (the scenarios above run without a component engine; this
#                one also names a section the dialog does not have)
#   settled      the test engine settles every candidate: no dialog, no
#                server touched, nothing linked, no plug-in left new
#   rejected     the test engine rejects two, keeps one by an answer that is
#                neither true nor false and one by a failing question: the
#                rejected servers are unregistered, the rest asked
#   policy_settled, policy
#                the product engine with a policy file: the same two flows,
#                the host's own section read before [all]
#   tty          hosted only: the terminal, answered through standard input
#
# Environment: COMP_MGR_BUILD, COMP_MGR_MINGW_BUILD (as parity_plugins.sh);
# without the latter, or without Xvfb, the script skips (exit 77).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
started=$(date +%s)

# shellcheck source=wine_lib.sh
. "$here/wine_lib.sh"
parity_begin parity_dialog native:bin/comp_mgr native:bin/fixture_plugin.so native:bin/fixture_engine.so \
  native:engine/VntCoreComponentEngine.dll windows:bin/COMP_MGR.EXE windows:bin/comp_mgr.dll \
  windows:bin/fixture_plugin.dll windows:bin/fixture_engine.dll windows:engine/VntCoreComponentEngine.dll
# shellcheck source=dialog_lib.sh
. "$here/dialog_lib.sh"
command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
M="$work/machine"
dialog_machine "$M"
start_display 140 169 || { echo "FAIL: no virtual X server could be started"; exit 1; }
trap 'parity_cleanup; stop_display' EXIT

# ---- running both sides ------------------------------------------------------
run_hosted() {  # ROOT UI_SCRIPT OUT
  VNT_PLUGIN_LOG="$1/plugin.log" "$COMP_MGR_BUILD/bin/comp_mgr" --root "$1" --host-exe "$HOST_EXE" \
    --ui "script:$2" detect ask >"$3" 2>"$3.err"
  echo "exit=$?" >>"$3"
  VNT_PLUGIN_LOG="$1/plugin.log" "$COMP_MGR_BUILD/bin/comp_mgr" --root "$1" --host-exe "$HOST_EXE" --ui none \
    links VntInstallation_1 >>"$3" 2>>"$3.err"
}

run_wine() {  # ROOT UI_SCRIPT OUT
  local root=$1
  wine_install_programs "$root"
  wine_attach "$root"
  mkdir -p "$root/log"
  cp "$2" "$root/drive_d/ui.txt"
  (
    export VNT_PLUGIN_LOG VNT_LOG_DIR
    VNT_PLUGIN_LOG=$(wine_path "$root/plugin.log")
    VNT_LOG_DIR=$(wine_path "$root/log")
    "$WINE_BIN" 'D:\Vantrel\bin\COMP_MGR.EXE' --ui 'script:D:\ui.txt' detect ask </dev/null 2>"$3.err" |
      tr -d '\r' >"$3"
    echo "exit=${PIPESTATUS[0]}" >>"$3"
    VNT_UI=none "$WINE_BIN" 'D:\Vantrel\bin\COMP_MGR.EXE' links VntInstallation_1 </dev/null 2>>"$3.err" |
      tr -d '\r' >>"$3"
  )
  sed -i 's/\r$//' "$3.err"
  WINE_STARTS=$((WINE_STARTS + 2))
}

same_file() {  # WHAT HOSTED WINE
  if [ ! -e "$2" ] && [ ! -e "$3" ]; then return 0; fi
  if ! cmp -s "$2" "$3"; then
    fail "$1 differs (hosted < > wine)"
    diff <(cat -A "$2" 2>&1) <(cat -A "$3" 2>&1) | head -20
    return 1
  fi
}

calls_of() {  # ROOT hosted|wine: the servers' calls as "verb D:\path"
  [ -e "$1/plugin.log" ] || return 0
  local verb path rest prefix="$1/drive_d/"
  while read -r verb path rest; do
    path=${path%$'\r'}
    if [ "$2" = hosted ]; then
      path=${path#"$prefix"}
      path="D:\\${path//\//\\}"
    fi
    printf '%s %s\n' "$verb" "$path"
  done <"$1/plugin.log"
}

# put_engine ROOT hosted|wine fixture|product TEXT: the engine beside the
# tool as VntCoreComponentEngine.dll, with TEXT as the test engine's script
# or as the product engine's policy.
put_engine() {
  local bin="$1/drive_d/Vantrel/bin" src
  mkdir -p "$bin"
  case $2:$3 in
    hosted:fixture) src=$COMP_MGR_BUILD/bin/fixture_engine.so ;;
    wine:fixture) src=$COMP_MGR_MINGW_BUILD/bin/fixture_engine.dll ;;
    hosted:product) src=$COMP_MGR_BUILD/engine/VntCoreComponentEngine.dll ;;
    wine:product) src=$COMP_MGR_MINGW_BUILD/engine/VntCoreComponentEngine.dll ;;
  esac
  cp "$src" "$bin/VntCoreComponentEngine.dll"
  if [ "$3" = fixture ]; then
    printf '%s\n' "$4" >"$bin/VntCoreComponentEngine.script"
  else
    printf '%s\n' "$4" >"$bin/VntCoreComponentEngine.policy"
  fi
}

# scenario NAME UI_LINE [fixture|product TEXT]: UI_LINE empty is a script
# with no line; without an engine kind no engine is put down.
scenario() {
  local name=$1 h="$work/$1.hosted" w="$work/$1.wine"
  printf '%s' "$2" >"$work/$name.ui"
  [ -n "$2" ] && printf '\n' >>"$work/$name.ui"
  cp -a "$M" "$h"
  cp -a "$M" "$w"
  dialog_servers_for "$h" hosted
  dialog_servers_for "$w" wine
  if [ $# -ge 4 ]; then
    put_engine "$h" hosted "$3" "$4"
    put_engine "$w" wine "$3" "$4"
  fi
  wine_attach "$w"
  wine_registry_import "$w/registry.reg" "$KOVRA" "${reset_keys[@]}" || fail "$name: registry import"
  run_hosted "$h" "$work/$name.ui" "$work/$name.hosted.out"
  run_wine "$w" "$work/$name.ui" "$work/$name.wine.out"
  same_file "$name: output" "$work/$name.hosted.out" "$work/$name.wine.out"
  sed "s|$work/$name.ui|D:\\\\ui.txt|" "$work/$name.hosted.out.err" >"$work/$name.hosted.err"
  same_file "$name: standard error" "$work/$name.hosted.err" "$work/$name.wine.out.err"
  local f
  for f in log/ui.log log/messages.log drive_d/Vantrel/db/vnt_Compdb.ini drive_d/Vantrel/db/vnt_Compdb.bak; do
    same_file "$name: $f" "$h/$f" "$w/$f"
  done
  calls_of "$h" hosted >"$work/$name.hosted.plugins"
  calls_of "$w" wine | sed 's/ cwd=.*//' >"$work/$name.wine.plugins"
  same_file "$name: plug-in calls" "$work/$name.hosted.plugins" "$work/$name.wine.plugins"
  hosted_registry_normalised "$h" "$KOVRA" "$work/$name.hosted.reg"
  wine_registry_export "$KOVRA" "$work/$name.wine.reg" || fail "$name: registry export"
  same_file "$name: registry" "$work/$name.hosted.reg" "$work/$name.wine.reg"
  same_file "$name: engine calls" "$h/drive_d/Vantrel/bin/VntCoreComponentEngine.log" \
    "$w/drive_d/Vantrel/bin/VntCoreComponentEngine.log"
}

expect_ui() {  # NAME LINE
  [ "$(cat "$work/$1.hosted/log/ui.log" 2>/dev/null)" = "$2" ] ||
    fail "$1: ui.log is '$(cat "$work/$1.hosted/log/ui.log" 2>/dev/null)', expected '$2'"
}
expect_no_ui() {  # NAME: the dialog was not shown
  [ ! -s "$work/$1.hosted/log/ui.log" ] || fail "$1: the dialog was shown: $(cat "$work/$1.hosted/log/ui.log")"
}
expect_questions() {  # NAME QUESTIONS...: the test engine's answers, in order
  diff <(printf '%s\n' "${@:2}") <(grep '^IsPlugin' "$work/$1.wine/drive_d/Vantrel/bin/VntCoreComponentEngine.log") \
    >/dev/null || fail "$1: engine questions are $(grep '^IsPlugin' "$work/$1.wine/drive_d/Vantrel/bin/VntCoreComponentEngine.log" | tr '\n' ';')"
}
expect_output() {  # NAME TEXT: a line of the tool's output
  grep -qxF "$2" "$work/$1.wine.out" || fail "$1: no line '$2' in the output"
}
expect_calls() {  # NAME CALLS...
  diff <(printf '%s\n' "${@:2}" | sed '/^$/d') "$work/$1.wine.plugins" >/dev/null ||
    fail "$1: plug-in calls are $(tr '\n' ';' <"$work/$1.wine.plugins"), expected $(printf '%s;' "${@:2}")"
}

echo "-- preparing the Wine prefix (display $display)"
wine_begin parity_dialog || { echo "FAIL: no Wine prefix"; exit 1; }
# Every Wine program sees the display: the first one to make a window starts
# the session's desktop, which keeps the display it was given. Message boxes
# do not wait: the dialog runs play a script, the others answer as no one.
export DISPLAY=$display

ITEMS=$DIALOG_ITEMS

scenario uncheck "newcomponents uncheck=PlugIn_2,PlugIn_3 check=PlugIn_3 uncheck=PlugIn_3 ok"
expect_ui uncheck "newcomponents|$ITEMS|checked=PlugIn_1,PlugIn_4|unchecked=PlugIn_2,PlugIn_3|ok"
expect_calls uncheck 'unregister D:\N\beta.dll' 'unregister D:\N\gamma.ocx'

scenario buttons "newcomponents deselectall check=PlugIn_1 selectall deselectall check=PlugIn_3 ok"
expect_ui buttons "newcomponents|$ITEMS|checked=PlugIn_3|unchecked=PlugIn_2,PlugIn_4,PlugIn_1|ok"
expect_calls buttons 'unregister D:\N\beta.dll' 'unregister D:\N\delta.dll' 'unregister D:\N\alpha.dll'

scenario escape "newcomponents uncheck=PlugIn_4 cancel"
expect_ui escape "newcomponents|$ITEMS|checked=PlugIn_1,PlugIn_2,PlugIn_3|unchecked=PlugIn_4|cancel"
expect_calls escape 'unregister D:\N\delta.dll'

scenario noline ""
expect_ui noline "newcomponents|$ITEMS|checked=PlugIn_1,PlugIn_2,PlugIn_3,PlugIn_4|unchecked=|ok"
expect_calls noline

scenario noengine "newcomponents uncheck=PlugIn_9 selectall ok"
expect_ui noengine "newcomponents|$ITEMS|checked=PlugIn_1,PlugIn_2,PlugIn_3,PlugIn_4|unchecked=|ok"
grep -q 'PlugIn_9 is not in the dialog' "$work/noengine.wine.out.err" || fail "noengine: the unknown section was not told"

# With the test engine beside the tool: every candidate settled, so no one
# is asked and no server is touched.
scenario settled "newcomponents uncheck=PlugIn_1 ok" fixture 'settled * = -1'
expect_no_ui settled
expect_calls settled
H='D:\VANTREL\BIN\COMP_MGR.EXE'
expect_questions settled "IsPluginSettled $H|Zeta Scope -> -1" "IsPluginSettled $H|alpha Trace -> -1" \
  "IsPluginSettled $H|Café Profiler -> -1" "IsPluginSettled $H|Beta Console -> -1"
# Settled is neither linked nor unregistered, and no longer new.
expect_output settled "result: 0 new plug-ins left"
expect_output settled "no plug-ins linked to VntInstallation_1"

# Two rejected by the engine, one kept by an answer that is neither true nor
# false, one whose question fails: the rejected servers go, the others are
# put to the user.
scenario rejected "newcomponents uncheck=PlugIn_2 ok" fixture "$(printf '%s\n' \
  'settled * = 0' 'settled Zeta Scope = 1' 'rejected * = -1' \
  'rejected alpha Trace = fail 0x80004005 info Refused')"
expect_ui rejected 'newcomponents|alpha Trace - D:\\N\\beta.dll;Zeta Scope - D:\\N\\alpha.dll|checked=PlugIn_1|unchecked=PlugIn_2|ok'
expect_calls rejected 'unregister D:\N\beta.dll' 'unregister D:\N\gamma.ocx' 'unregister D:\N\delta.dll'
expect_questions rejected "IsPluginSettled $H|Zeta Scope -> 1" "IsPluginSettled $H|alpha Trace -> 0" \
  "IsPluginRejected $H|alpha Trace -> fail 0x80004005" "IsPluginSettled $H|Café Profiler -> 0" \
  "IsPluginRejected $H|Café Profiler -> -1" "IsPluginSettled $H|Beta Console -> 0" \
  "IsPluginRejected $H|Beta Console -> -1"

# The product engine with a policy: the host's own section first, Latin-1
# letters without regard to case.
scenario policy_settled "newcomponents ok" product "$(printf '%s\n' '[all]' 'settle = *')"
expect_no_ui policy_settled
expect_calls policy_settled
expect_output policy_settled "no plug-ins linked to VntInstallation_1"
scenario policy "newcomponents uncheck=PlugIn_4 ok" product "$(printf '%s\n' \
  '; the dialog tests'"'"' policy' '[COMP_MGR.EXE]' 'ask = Zeta*' '[all]' 'settle = ALPHA ?RACE' \
  'reject = CAFÉ prof*' 'reject = Zeta*')"
expect_ui policy 'newcomponents|Beta Console - D:\\N\\delta.dll;Zeta Scope - D:\\N\\alpha.dll|checked=PlugIn_1|unchecked=PlugIn_4|ok'
expect_calls policy 'unregister D:\N\delta.dll' 'unregister D:\N\gamma.ocx'
expect_output policy "PlugIn_1  Zeta Scope    1.0"

# The terminal (hosted only): the items listed with their marks, toggled by
# number from standard input; the input's end answers as Escape.
T="$work/tty.hosted"
cp -a "$M" "$T"
dialog_servers_for "$T" hosted
printf '1 3\nd\n4\n' | VNT_PLUGIN_LOG="$T/plugin.log" "$COMP_MGR_BUILD/bin/comp_mgr" --root "$T" --host-exe "$HOST_EXE" \
  --ui tty detect ask >"$work/tty.out" 2>"$work/tty.err"
[ "$(cat "$T/log/ui.log")" = "newcomponents|$ITEMS|checked=PlugIn_1|unchecked=PlugIn_2,PlugIn_3,PlugIn_4|cancel" ] ||
  fail "tty: ui.log is '$(cat "$T/log/ui.log")'"
grep -qF '   3 [x] Café Profiler - D:\N\gamma.ocx' "$work/tty.err" || fail "tty: the list is not shown in UTF-8 with marks"

ended=$(date +%s)
echo "-- Wine starts $WINE_STARTS, total $((ended - started)) s"
if [ "$failures" -ne 0 ]; then
  echo "-- outputs kept in $work"
  KEEP_WORK=1
  echo "FAILED: $failures check(s)"
  exit 1
fi
echo "PASSED"
