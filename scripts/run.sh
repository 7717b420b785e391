#!/usr/bin/env bash
# The main job: installs what is missing, builds, and applies the filter.
#   scripts/run.sh                  frosts the built-in sample picture into out/demo.png
#   scripts/run.sh INPUT [OUTPUT]   frosts INPUT into OUTPUT (default out/<name>-frost.png)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
RIMELACE_TARGETS=linux bash scripts/build.sh
mkdir -p out
if [ $# -eq 0 ]; then
    build/linux/rimelace demo out/demo.png
    echo "wrote out/demo.png"
else
    input=$1
    name=$(basename "${input%.*}")
    output=${2:-out/$name-frost.png}
    build/linux/rimelace apply "$input" "$output"
    echo "wrote $output"
fi
