#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine: wine-run.sh PREFIX PROGRAM [ARGS...]
# The prefix is created once, quietly; concurrent runs wait for that under a lock.
set -euo pipefail
if (($# < 2)); then
  echo "usage: $0 WINEPREFIX PROGRAM [ARGS...]" >&2
  exit 2
fi
export WINEPREFIX=$(realpath -m "$1")  # Wine wants an absolute path
shift
export WINEDEBUG=-all
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
if [ ! -x "$wine" ]; then
  echo "wine-run: wine64 not found (install the wine64 package)" >&2
  exit 127
fi

mkdir -p "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$wine" wineboot -i >"$WINEPREFIX.init.log" 2>&1 || true
      "${wine%64}server64" -w 2>/dev/null || wineserver -w 2>/dev/null || true
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec "$wine" "$@"
