#!/usr/bin/env bash
# Builds the libFuzzer harnesses (build/fuzz) and runs each, or the named ones, for SECONDS each:
#
#   bash scripts/fuzz.sh SECONDS [NAME...]          NAME as in tests/fuzz/NAME_fuzz.cpp
#   bash scripts/fuzz.sh --merge SECONDS [NAME...]  also merge new coverage into the committed corpus
#
# A harness runs on a copy of its seed corpus (tests/fuzz/corpus/NAME) in build/fuzz/runs/NAME, so
# the committed corpus is only written with --merge. Extra libFuzzer flags for one harness go in
# tests/fuzz/NAME_fuzz.options (one flag a line). A finding keeps its input and the log in
# build/fuzz/findings/NAME/ and makes the script exit with 1. Harnesses run side by side,
# RIMELACE_FUZZ_JOBS at a time (default: the number of processors).
set -euo pipefail
cd "$(dirname "$0")/.."

merge=0
if [ "${1:-}" = --merge ]; then
    merge=1
    shift
fi
if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
    echo "usage: scripts/fuzz.sh [--merge] SECONDS [NAME...]" >&2
    exit 2
fi
seconds=$1
shift
if [ $# -gt 0 ]; then
    names=("$@")
else
    names=()
    for file in tests/fuzz/*_fuzz.cpp; do
        name=$(basename "$file" _fuzz.cpp)
        names+=("$name")
    done
fi
for name in "${names[@]}"; do
    if [ ! -f "tests/fuzz/${name}_fuzz.cpp" ]; then
        echo "fuzz.sh: no harness tests/fuzz/${name}_fuzz.cpp" >&2
        exit 2
    fi
done

mkdir -p build
RIMELACE_TARGETS=fuzz bash scripts/build.sh >build/fuzz-build.log 2>&1 || {
    cat build/fuzz-build.log >&2
    exit 1
}

# One harness: its corpus copy, its flags, its run; a finding is kept.
run_one() {
    local name=$1
    local run=build/fuzz/runs/$name findings=build/fuzz/findings/$name
    rm -rf "$run"
    mkdir -p "$run/corpus" "$findings"
    if [ -d "tests/fuzz/corpus/$name" ]; then
        cp -r "tests/fuzz/corpus/$name/." "$run/corpus/"
    fi
    local flags=()
    if [ -f "tests/fuzz/${name}_fuzz.options" ]; then
        mapfile -t flags < <(grep -v '^\s*\(#\|$\)' "tests/fuzz/${name}_fuzz.options")
    fi
    local status=0
    ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1} \
        "build/fuzz/${name}_fuzz" "${flags[@]}" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$findings/" "$run/corpus" >"$run/log" 2>&1 || status=$?
    local runs
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$run/log" | grep -o '[0-9]*$' || echo "?")
    if [ $status -ne 0 ]; then
        cp "$run/log" "$findings/log"
        echo "FINDING $name after $runs runs: $(ls -t "$findings" | grep -v '^log$' | head -1 | sed "s|^|$findings/|")"
        grep -m 3 -E 'ERROR|runtime error|SUMMARY|Assertion|deadly' "$run/log" | sed 's/^/    /' || true
        return 1
    fi
    echo "ok $name: $runs runs in ${seconds}s, corpus $(ls "$run/corpus" | wc -l) inputs"
    if [ $merge = 1 ]; then
        mkdir -p "tests/fuzz/corpus/$name"
        "build/fuzz/${name}_fuzz" "${flags[@]}" -merge=1 "tests/fuzz/corpus/$name" "$run/corpus" \
            >"$run/merge.log" 2>&1
        echo "   merged into tests/fuzz/corpus/$name: $(ls "tests/fuzz/corpus/$name" | wc -l) inputs"
    fi
}

jobs=${RIMELACE_FUZZ_JOBS:-$(nproc)}
status=0
running=0
for name in "${names[@]}"; do
    if [ $running -ge "$jobs" ]; then
        wait -n || status=1
        running=$((running - 1))
    fi
    run_one "$name" &
    running=$((running + 1))
done
while [ $running -gt 0 ]; do
    wait -n || status=1
    running=$((running - 1))
done
exit $status
