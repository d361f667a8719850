#!/usr/bin/env bash
# Runs a Windows program under Wine without a display: the cross-build's
# test runner. Usage: wine-run.sh PREFIX_DIR PROGRAM.exe [ARGUMENTS...]
# The Wine prefix (a Windows directory tree) is made on first use, under a
# lock so that parallel tests make it once.
set -euo pipefail
prefix=${1:?usage: wine-run.sh PREFIX_DIR PROGRAM.exe [ARGUMENTS...]}
shift

wine=$(command -v wine64 || command -v wine || true)
[ -n "$wine" ] || [ ! -x /usr/lib/wine/wine64 ] || wine=/usr/lib/wine/wine64
if [ -z "$wine" ]; then
  echo "wine-run.sh: Wine is not installed (Debian: wine64)" >&2
  exit 127
fi

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko: console programs need neither, and their installers
# would wait for a dialog nobody sees.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
unset DISPLAY WAYLAND_DISPLAY

mkdir -p "$(dirname "$prefix")"
if [ ! -f "$prefix/system.reg" ]; then
  (
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
      "$wine" wineboot --init >"$prefix.log" 2>&1 || {
        cat "$prefix.log" >&2
        exit 1
      }
      # wineboot returns before the registry is on disk.
      "$(dirname "$wine")/wineserver" --wait 2>/dev/null ||
        wineserver --wait 2>/dev/null || true
    fi
  ) 9>"$prefix.lock"
fi
exec "$wine" "$@"
