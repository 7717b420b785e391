#!/usr/bin/env bash
# Renders the README's pictures into docs/: the frosted sample picture (halved), the gallery and the shipped presets.
# Needs build/linux (bash scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
build/linux/rimelace demo "$tmp/demo.png" --quiet
python3 scripts/downscale_png.py "$tmp/demo.png" "$tmp/demo_half.png" 2
# Into JPEG through the command line itself: "By selection" without a selection draws nothing, so
# the picture passes unchanged.
build/linux/rimelace apply "$tmp/demo_half.png" docs/demo.jpg --set MaskKind=7 --quiet
build/linux/rimelace gallery docs/gallery.jpg --tile 200 --quiet
build/linux/rimelace gallery docs/presets.jpg --presets --tile 200 --columns 4 --quiet
ls -l docs/
