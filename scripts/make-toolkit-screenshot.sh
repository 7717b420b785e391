#!/usr/bin/env bash
# Screenshots of the toolkit test dialog and of its "Set value" dialog, taken under Wine with
# Xvfb as the display, into docs/toolkit-dialog.png and docs/set-value.png.
# Needs build/win64 (RIMELACE_TARGETS="linux win64" bash scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX=${WINEPREFIX:-$PWD/build/wineprefix}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
xvfb-run -a -s '-screen 0 1024x768x24' bash scripts/wine-run.sh build/win64/toolkit_test_dialog.exe \
    --screenshot "$tmp"  # the program runs on drive Z:, which is the Unix root
for name in toolkit-dialog set-value; do
    python3 scripts/bmp_to_png.py "$tmp/$name.bmp" "docs/$name.png"
done
ls -l docs/toolkit-dialog.png docs/set-value.png
