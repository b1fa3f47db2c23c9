#!/bin/sh
# Runs a Windows executable under Wine with the build's own prefix (first argument).
# Used as CTest's cross-compiling emulator and by the run and screenshot scripts.
prefix="$1"; shift
# What a desktop session would have (the recycle bin's folders) before Wine starts.
bash "$(dirname "$0")/desktop-home.sh" || exit 1
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -x /usr/lib/wine/wine64 ]; then exec /usr/lib/wine/wine64 "$@"; fi
exec wine "$@"
