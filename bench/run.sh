#!/usr/bin/env bash
# Runs every measure of the speed and memory table in one go and writes the results, with the
# machine, the load average and the commit, into bench/README.md (between the "results" markers).
# Installs its own packages and builds build/bench (Release).
#
#   bash bench/run.sh [--reps N] [--no-scaling] [--no-readme]
#
# Trivane against llvmpipe at llvmpipe's own thread count and at one thread (LP_NUM_THREADS=1),
# interleaved; the dialog previews, the final renders and their peak memory through the stand-in
# host; the whole `rimelace apply` against the render; and the scaling curve (threads, triangle
# count, image size).
set -euo pipefail
cd "$(dirname "$0")/.."

reps=3
scaling=1
readme=1
while [ $# -gt 0 ]; do
    case $1 in
        --reps) reps=$2; shift 2 ;;
        --no-scaling) scaling=0; shift ;;
        --no-readme) readme=0; shift ;;
        *) echo "usage: bash bench/run.sh [--reps N] [--no-scaling] [--no-readme]" >&2; exit 2 ;;
    esac
done

want=(build-essential cmake ninja-build pkg-config libosmesa6-dev libpng-dev libtiff-dev libjpeg-dev
      libcli11-dev nlohmann-json3-dev libbenchmark-dev libgtest-dev libgmock-dev)
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
cmake --build "$build" -j "$(nproc)" --target shading_bench scene_bench cli_bench rimelace lorvex

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
load() { cut -d' ' -f1-3 /proc/loadavg; }
log() { echo "== $*" >&2; }

commit=$(git rev-parse --short HEAD)
git diff --quiet HEAD -- . 2>/dev/null || commit="$commit (with changes)"
machine="$(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -n1), $(free -g | awk '/^Mem:/{print $2}') GB"
scenes=(--scene 100k_20px_4000x3000 --scene 100k_20px_thin8_4000x3000 --scene 10k_2000px_4000x3000
        --scene preview_10k_20px_400x300)

log "Trivane against llvmpipe at its own thread count"
echo "$(load)" > "$out/load_peer"
"$build/shading_bench" --reps "$reps" "${scenes[@]}" > "$out/peer_default.md"
echo "$(load)" >> "$out/load_peer"
log "Trivane against llvmpipe on one thread"
LP_NUM_THREADS=1 "$build/shading_bench" --reps "$reps" "${scenes[@]}" > "$out/peer_one.md"
echo "$(load)" >> "$out/load_peer"

log "dialog previews"
echo "$(load)" > "$out/load_scene"
"$build/scene_bench" --benchmark_filter='Preview' --benchmark_repetitions="$reps" \
    --benchmark_report_aggregates_only=true > "$out/preview.txt"
log "final renders (one depth per process, for the peak memory)"
"$build/scene_bench" --benchmark_filter='FinalRender/8' > "$out/final8.txt"
"$build/scene_bench" --benchmark_filter='FinalRender/16' > "$out/final16.txt"
echo "$(load)" >> "$out/load_scene"

log "rimelace apply against the render"
echo "$(load)" > "$out/load_cli"
"$build/cli_bench" --reps "$reps" > "$out/cli.md"
echo "$(load)" >> "$out/load_cli"

if [ "$scaling" = 1 ]; then
    log "scaling curve"
    echo "$(load)" > "$out/load_scaling"
    for threads in 1 $(nproc); do
        TRIVANE_THREADS=$threads "$build/shading_bench" --scaling --reps "$reps" --variant phong \
            | sed "s/^| scale_/| $threads | scale_/" > "$out/scaling_$threads.md"
    done
    echo "$(load)" >> "$out/load_scaling"
fi

# ---- The summary table ---------------------------------------------------------------------------
ratio() {  # file scene variant -> ratio of the medians
    awk -F'|' -v s="$2" -v v="$3" '{gsub(/ /, "", $2); gsub(/ /, "", $3)} $2 == s && $3 == v {gsub(/ /, "", $8); print $8}' "$1"
}
range() {  # file variant -> "lo-hi" over the three large scenes
    local lo="" hi=""
    for s in 100k_20px_4000x3000 100k_20px_thin8_4000x3000 10k_2000px_4000x3000; do
        r=$(ratio "$1" "$s" "$2")
        [ -z "$r" ] && continue
        lo=$(awk -v a="$lo" -v b="$r" 'BEGIN{print (a == "" || b < a) ? b : a}')
        hi=$(awk -v a="$hi" -v b="$r" 'BEGIN{print (a == "" || b > a) ? b : a}')
    done
    echo "$lo-$hi"
}
median_ms() {  # google-benchmark output, benchmark name -> real time of its median (ms)
    awk -v p="$2" 'index($1, p) == 1 && $1 ~ /_median$/ {print $2; exit}' "$1"
}
counter() {  # google-benchmark output, counter name -> its value on the median line
    awk '$1 ~ /_median$/' "$1" | grep -o "$2=[0-9.]*" | head -n1 | cut -d= -f2
}
previews=""
worst=0
for e in 0 1 2 3 4 5 6 7 8 9; do
    v=$(median_ms "$out/preview.txt" "BM_PreviewGrowAndRender/$e/")
    previews="$previews${previews:+ / }$v"
    worst=$(awk -v a="$worst" -v b="$v" 'BEGIN{print (b > a) ? b : a}')
done
material=$(median_ms "$out/preview.txt" "BM_PreviewMaterialOnly/5/")
final8=$(median_ms "$out/final8.txt" "BM_FinalRender/8/")
final16=$(median_ms "$out/final16.txt" "BM_FinalRender/16/")
peak=$(counter "$out/final8.txt" peak_MB)
image=$(counter "$out/final8.txt" image_MB)
peak16=$(counter "$out/final16.txt" peak_MB)
image16=$(counter "$out/final16.txt" image_MB)
apply=$(awk -F'|' '/rimelace apply/ {gsub(/ /, "", $5); print $5}' "$out/cli.md")

summary="$out/summary.md"
{
    echo "Measured $(date -u +%Y-%m-%d) at commit $commit: $machine."
    echo "Load average (1, 5, 15 min) before and after each part: peers $(paste -sd'/' "$out/load_peer" | tr '\n' ' '),"
    echo "scenes $(paste -sd'/' "$out/load_scene"), command line $(paste -sd'/' "$out/load_cli")."
    echo "Command: \`bash bench/run.sh --reps $reps\`. Ratios are Trivane / llvmpipe, medians of interleaved runs."
    echo
    echo "| measure | goal | llvmpipe at its thread count | llvmpipe on one thread |"
    echo "|---|---|---|---|"
    echo "| Phong, 100k triangles of 20 px^2, 4000 x 3000 | <= 0.33 x | $(ratio "$out/peer_default.md" 100k_20px_4000x3000 phong) | $(ratio "$out/peer_one.md" 100k_20px_4000x3000 phong) |"
    echo "| Phong, 10k triangles of 2000 px^2 | <= 0.8 x | $(ratio "$out/peer_default.md" 10k_2000px_4000x3000 phong) | $(ratio "$out/peer_one.md" 10k_2000px_4000x3000 phong) |"
    echo "| quality + bump + layers | <= 0.5 x | $(range "$out/peer_default.md" quality_bump_layers) | $(range "$out/peer_one.md" quality_bump_layers) |"
    echo "| glass | <= 1.0 x | $(range "$out/peer_default.md" glass) | $(range "$out/peer_one.md" glass) |"
    echo
    echo "| measure | goal | measured |"
    echo "|---|---|---|"
    echo "| preview grow + render, 400 x 300, each of the ten effects | <= 8 ms each | $previews ms (worst $worst) |"
    echo "| preview, material change only | <= 4 ms | $material ms |"
    echo "| final render 6000 x 4000, 8-bit, default effect, stand-in host | <= 1.5 s | $final8 ms |"
    echo "| the same, 16-bit | <= 1.3 x the 8-bit time | $final16 ms = $(awk -v a="$final16" -v b="$final8" 'BEGIN{printf "%.2f", a / b}') x |"
    echo "| peak memory of that final render (whole process) | <= 5 x the image + the scene arrays | 8-bit $peak MB = $(awk -v a="$peak" -v b="$image" 'BEGIN{printf "%.2f", a / b}') x the image ($image MB); 16-bit $peak16 MB = $(awk -v a="$peak16" -v b="$image16" 'BEGIN{printf "%.2f", a / b}') x ($image16 MB) |"
    echo "| \`rimelace apply\` 6000 x 4000 PNG to PNG, whole command | <= 2 x the render | $apply x |"
    echo
    echo "Trivane against llvmpipe at its own thread count (milliseconds):"
    echo
    cat "$out/peer_default.md"
    echo
    echo "llvmpipe on one thread:"
    echo
    cat "$out/peer_one.md"
    echo
    echo "The command line (\`cli_bench\`):"
    echo
    cat "$out/cli.md"
    if [ "$scaling" = 1 ]; then
        echo
        echo "Scaling curve, Phong without quality, Trivane alone on 1 and $(nproc) threads (load $(paste -sd'/' "$out/load_scaling")):"
        echo
        echo "| threads | scene | variant | min ms | median ms |"
        echo "|---|---|---|---|---|"
        cat "$out"/scaling_*.md | awk -F'|' 'NF > 6 && $2 ~ /[0-9]/ {printf "|%s|%s|%s|%s|%s|\n", $2, $3, $4, $5, $6}'
    fi
} > "$summary"
cat "$summary"

if [ "$readme" = 1 ]; then
    readme_file=bench/README.md
    begin='<!-- results: written by bench/run.sh -->'
    end='<!-- /results -->'
    if ! grep -qF "$begin" "$readme_file"; then
        printf '\n## Latest results (bench/run.sh)\n\n%s\n%s\n' "$begin" "$end" >> "$readme_file"
    fi
    awk -v begin="$begin" -v end="$end" -v file="$summary" '
        $0 == begin { print; while ((getline line < file) > 0) print line; skip = 1; next }
        $0 == end { skip = 0 }
        !skip { print }' "$readme_file" > "$out/readme" && cp "$out/readme" "$readme_file"
    log "bench/README.md updated"
fi
