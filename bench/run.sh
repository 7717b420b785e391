#!/usr/bin/env bash
# Builds and runs the shading benchmark: Trivane against llvmpipe (one thread each), interleaved.
# Installs its own packages. Extra arguments go to shading_bench (e.g. --reps 5 --scene NAME).
set -euo pipefail
cd "$(dirname "$0")/.."

want=(build-essential cmake ninja-build pkg-config libosmesa6-dev libpng-dev libbenchmark-dev libgtest-dev libgmock-dev)
missing=()
for p in "${want[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRIMELACE_BUILD_BENCH=ON -DRIMELACE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target shading_bench shading_kernel_bench

echo "machine: $(nproc) cores"
lscpu | head -n 15
echo
echo "== llvmpipe on one thread (LP_NUM_THREADS=1)"
LP_NUM_THREADS=1 "$build/shading_bench" "$@"
