#!/usr/bin/env bash
# Makes $WINEPREFIX able to start 32-bit programs when the 32-bit loader cannot run natively.
# wineboot fills syswow64 by running 32-bit programs, which fails on such kernels; the
# 32-bit builtin modules are copied there instead, once.
set -eu
: "${WINEPREFIX:?}"
wow=$WINEPREFIX/drive_c/windows/syswow64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    WINELOADER=/usr/lib/wine/wine64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
fi
if [ ! -f "$wow/kernel32.dll" ]; then
    command -v qemu-i386 >/dev/null || { echo "qemu-i386 is missing: cannot run 32-bit programs here" >&2; exit 1; }
    mkdir -p "$wow"
    cp -n /usr/lib/i386-linux-gnu/wine/i386-windows/*.dll /usr/lib/i386-linux-gnu/wine/i386-windows/*.exe "$wow"/ 2>/dev/null || true
fi
