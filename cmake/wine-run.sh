#!/usr/bin/env bash
# Runs one Windows program under Wine, headless, bounded in time.
# The prefix is made once per build tree (or taken from K7V_WINEPREFIX) and set to Wine's null
# graphics driver, so windows, timers and dialogs work without a display.
set -euo pipefail
prefix=${K7V_WINEPREFIX:-${TMPDIR:-/tmp}/k7v-wine-$(id -u)}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win32
limit=${K7V_WINE_TIMEOUT:-120}

mkdir -p "$prefix.lockdir"
(
  flock 9
  if [ ! -f "$prefix/.k7v-ready" ]; then
    rm -rf "$prefix"
    timeout 300 wineboot -i >/dev/null 2>&1 || true
    timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    timeout 60 wineserver -w || true
    touch "$prefix/.k7v-ready"
  fi
) 9>"$prefix.lockdir/lock"

timeout --kill-after=10 "$limit" wine "$@"
