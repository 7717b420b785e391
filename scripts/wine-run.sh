#!/usr/bin/env bash
# Runs a Windows program under Wine without a display, quietly, in the project's own prefix.
# Used by CTest for the Windows builds (CMAKE_CROSSCOMPILING_EMULATOR) and by hand.
# 64-bit programs go to wine64 directly; 32-bit ones to the 32-bit loader.
set -u
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEPREFIX=${WINEPREFIX:-${RIMELACE_WINEPREFIX:-$HOME/.wine-rimelace}}
exe=$1
shift
if file -b "$exe" | grep -q 'PE32+'; then
    export WINELOADER=/usr/lib/wine/wine64
    loader=/usr/lib/wine/wine64
else
    loader=${RIMELACE_WINE32:-/usr/lib/wine/wine}
fi
# Programs find the DLLs beside them.
cd "$(dirname "$exe")" || exit 1
exec $loader "$(basename "$exe")" "$@"
