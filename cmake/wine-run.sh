#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's private prefix, creating
# the prefix on first use (guarded by a lock so parallel tests do not race).
set -euo pipefail
: "${WINEPREFIX:=${COMP_MGR_WINEPREFIX:-$HOME/.cache/comp_mgr-wine}}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w || true
  fi
) 9>"$WINEPREFIX.lock"
exec "$WINE" "$@"
