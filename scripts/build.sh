#!/usr/bin/env bash
# Configures and builds the three targets: build/linux (native), build/win32 and build/win64
# (MinGW-w64 cross builds). Extra arguments go to every CMake configure step.
# RIMELACE_TARGETS="linux win32 win64" chooses which (default: all three).
set -euo pipefail
cd "$(dirname "$0")/.."

targets=${RIMELACE_TARGETS:-linux win32 win64}
for target in $targets; do
    case $target in
        linux) toolchain=() ;;
        win32) toolchain=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-i686.cmake") ;;
        win64) toolchain=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-x86_64.cmake") ;;
        *) echo "build.sh: unknown target '$target'" >&2; exit 2 ;;
    esac
    echo "== configure and build: $target"
    cmake -S . -B "build/$target" -G Ninja "${toolchain[@]}" -DRIMELACE_LINUX_BUILD="$PWD/build/linux" "$@" >/dev/null
    cmake --build "build/$target" -j "$(nproc)"
done
