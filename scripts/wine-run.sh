#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly, in the project's own prefix.
# Used by CTest for the Windows builds (CMAKE_CROSSCOMPILING_EMULATOR) and by hand.
# 64-bit programs go to wine64. 32-bit programs go to the 32-bit loader, or, on a kernel
# without 32-bit x86 support, to the 32-bit loader run by qemu's user-mode emulator.
set -u
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEPREFIX=${WINEPREFIX:-${RIMELACE_WINEPREFIX:-$HOME/.wine-rimelace}}
here=$(cd "$(dirname "$0")" && pwd)
exe=$1
shift
if file -b "$exe" | grep -q 'PE32+'; then
    export WINELOADER=/usr/lib/wine/wine64
    loader=(/usr/lib/wine/wine64)
elif bash "$here/can-run-win32.sh"; then
    loader=(/usr/lib/wine/wine)
else
    bash "$here/prepare-wow64-prefix.sh" || exit 1
    export WINELOADERNOEXEC=1
    loader=(qemu-i386 /usr/lib/wine/wine)
fi
# Programs find the DLLs beside them.
cd "$(dirname "$exe")" || exit 1
exec "${loader[@]}" "$(basename "$exe")" "$@"
