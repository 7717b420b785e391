#!/usr/bin/env bash
# Exit 0 when 32-bit Windows programs can run here (32-bit Wine starts), 1 otherwise.
# Some kernels are built without 32-bit x86 support; 32-bit Wine cannot start there.
# RIMELACE_WINE32=/nonexistent forces the emulated path on any machine.
loader=${RIMELACE_WINE32:-/usr/lib/wine/wine}
[ -x "$loader" ] || exit 1
"$loader" --version >/dev/null 2>&1
