#!/usr/bin/env bash
# Configures and builds the three targets: build/linux (native), build/win32 and build/win64
# (MinGW-w64 cross builds). Extra arguments go to every CMake configure step.
# RIMELACE_TARGETS="linux win32 win64" chooses which (default: all three). Two more Linux builds
# are built only when named: asan (build/asan, the whole tree with the address and
# undefined-behaviour sanitizers) and fuzz (build/fuzz, clang, the harnesses of tests/fuzz only).
set -euo pipefail
cd "$(dirname "$0")/.."

targets=${RIMELACE_TARGETS:-linux win32 win64}
for target in $targets; do
    case $target in
        linux) config=() ;;
        win32) config=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-i686.cmake") ;;
        win64) config=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-x86_64.cmake") ;;
        # Optimised lightly: the sanitizers' checks cost more than the optimiser saves.
        asan) config=(-DRIMELACE_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
                         "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1") ;;
        fuzz) config=(-DRIMELACE_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
        *) echo "build.sh: unknown target '$target'" >&2; exit 2 ;;
    esac
    echo "== configure and build: $target"
    cmake -S . -B "build/$target" -G Ninja "${config[@]}" -DRIMELACE_LINUX_BUILD="$PWD/build/linux" "$@" >/dev/null
    if [ "$target" = fuzz ]; then
        cmake --build "build/$target" -j "$(nproc)" --target fuzzers
    else
        cmake --build "build/$target" -j "$(nproc)"
    fi
done
