#!/usr/bin/env bash
# The Update Advisor Reminder under Wine on a virtual X server of its own,
# answered with the real mouse and keyboard (xdotool): the check box ticked,
# then Yes, No or Escape; and a UI script playing its clicks on the real
# dialog. A screenshot of the dialog with its box ticked is left in the build
# folder (screenshots/update_reminder.png).
# Usage: reminder_dialog_test.sh PROBE.EXE (run by CTest of the MinGW build).
set -uo pipefail
probe=$1
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$(dirname "$probe")/.." && pwd)
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/reminder_dialog.XXXXXX")
xvfb_pid=
# The prefix is this test's own (CTest sets COMP_MGR_WINEPREFIX): its server,
# and with it Wine's desktop, is stopped before and after, so the desktop
# always belongs to this run's X display.
stop_wine() {
  [ -n "${COMP_MGR_WINEPREFIX:-}" ] && WINEPREFIX=$COMP_MGR_WINEPREFIX /usr/lib/wine/wineserver64 -k >/dev/null 2>&1
  return 0
}
cleanup() {
  stop_wine
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A display no one else uses: the lowest free number from 120 up.
display=120
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
stop_wine

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run NAME SETTING ACTIONS... : starts the probe, performs the actions once
# the dialog is up (box, yes, no, escape, shot), and leaves its last line in
# $work/NAME.result.
run() {
  local name=$1 setting=$2
  shift 2
  local out=$work/$name.out
  local pid controls= attempt
  # The first window of a fresh prefix may fail to be made while Wine starts
  # its desktop: a probe that ends without showing the dialog is started again.
  for attempt in 1 2 3; do
    "$here/../../cmake/wine-run.sh" "$probe" "$setting" >"$out" 2>"$work/$name.err" &
    pid=$!
    # Wine's first window in a busy prefix can take long; wait up to two minutes.
    for _ in $(seq 1200); do
      controls=$(grep -m1 '^controls ' "$out" 2>/dev/null | tr -d '\r')
      [ -n "$controls" ] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    [ -n "$controls" ] && break
    wait "$pid" 2>/dev/null
  done
  if [ -z "$controls" ]; then
    fail "$name: the dialog did not show"
    kill "$pid" 2>/dev/null
    return
  fi
  local action xy
  for action in "$@"; do
    case $action in
      box | yes | no)
        xy=$(sed -n "s/.* $action=\([0-9-]*\),\([0-9-]*\).*/\1 \2/p" <<<"$controls")
        # shellcheck disable=SC2086
        xdotool mousemove $xy click 1
        ;;
      escape) xdotool key Escape ;;
      shot)
        local d
        d=$(sed -n 's/.* dialog=\([0-9-]*\),\([0-9-]*\),\([0-9-]*\),\([0-9-]*\).*/\1 \2 \3 \4/p' <<<"$controls")
        read -r l t r b <<<"$d"
        mkdir -p "$build/screenshots"
        import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$build/screenshots/update_reminder.png"
        ;;
    esac
    sleep 0.4
  done
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    fail "$name: the dialog did not close"
    kill "$pid" 2>/dev/null
  fi
  grep '^result=' "$out" | tr -d '\r' >"$work/$name.result"
}

expect() {  # NAME WANTED
  local got
  got=$(cat "$work/$1.result" 2>/dev/null)
  [ "$got" = "$2" ] || fail "$1: got '$got', wanted '$2'"
}

run tick_yes "" box shot yes
expect tick_yes "result=1 disable=1"
run tick_no "" box no
expect tick_no "result=2 disable=1"
run tick_twice_escape "" box box escape
expect tick_twice_escape "result=2 disable=0"
run plain_escape "" escape
expect plain_escape "result=2 disable=0"

printf 'reminder disable yes\n' >"$work/script_yes.txt"
run script_yes "script:$(/usr/lib/wine/wine64 winepath -w "$work/script_yes.txt" 2>/dev/null | tr -d '\r')"
expect script_yes "result=1 disable=1"
printf 'reminder no\n' >"$work/script_no.txt"
run script_no "script:$(/usr/lib/wine/wine64 winepath -w "$work/script_no.txt" 2>/dev/null | tr -d '\r')"
expect script_no "result=2 disable=0"

[ -s "$build/screenshots/update_reminder.png" ] || fail "no screenshot"
[ "$failures" -eq 0 ] && echo "PASS: the reminder answers real clicks and keys" && exit 0
echo "$failures failure(s)"
exit 1
