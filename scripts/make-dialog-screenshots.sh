#!/usr/bin/env bash
# Screenshots of the Windows dialog over a photograph, under Wine and an X server of its own:
# rimelace.exe apply --dialog opens it, the "Geometry" page is taken, then the "Material" page,
# then the about box; the dialog is cancelled. Writes docs/dialog-geometry.png,
# docs/dialog-material.png and docs/dialog-about.png.
# Usage: make-dialog-screenshots.sh [WINDOWS_BUILD]   (default build/win64; needs Xvfb, xdotool,
# ImageMagick and the photograph of python3-skimage)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/win64}" && pwd)
photo=${RIMELACE_PHOTO:-/usr/lib/python3/dist-packages/skimage/data/coffee.png}
for tool in Xvfb xdotool import convert; do
    command -v $tool >/dev/null || { echo "make-dialog-screenshots: needs $tool" >&2; exit 2; }
done
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-${RIMELACE_WINEPREFIX:-$PWD/build/wineprefix}}
work=$(mktemp -d)
display=:$((100 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
program=""
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
sleep 1

find_window() {  # find_window NAME: waits for a top-level window of that name
    local found=""
    for _ in $(seq 240); do
        found=$(xdotool search --name "^$1\$" 2>/dev/null | head -1) || true
        [ -n "$found" ] && { echo "$found"; return; }
        sleep 0.25
    done
    echo "make-dialog-screenshots: no window '$1'" >&2
    exit 1
}
# A window's client area (without a window manager, its X window) cut out of the screen.
take() {  # take WINDOW OUTPUT
    eval "$(xdotool getwindowgeometry --shell --prefix W "$1")"
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "${WWIDTH}x${WHEIGHT}+${WX}+${WY}" +repage "$2"
    echo "wrote $2"
}

cp "$photo" "$work/photo.png"
bash scripts/wine-run.sh "$build/rimelace.exe" apply "$work/photo.png" "$work/out.png" --dialog --quiet &
program=$!
dialog=$(find_window Rimelace)
sleep 2  # the first preview
eval "$(xdotool getwindowgeometry --shell "$dialog")"
xdotool mousemove $((X + 1300)) $((Y + 1000))  # off the dialog: no tooltip
take "$dialog" docs/dialog-geometry.png

xdotool mousemove --sync $((X + 625)) $((Y + 22)) click 1  # the "Material" tab
sleep 2
xdotool mousemove $((X + 1300)) $((Y + 1000))
sleep 1
take "$dialog" docs/dialog-material.png

xdotool mousemove --sync $((X + 444)) $((Y + 443)) click 1  # "About"
about=$(find_window "About Rimelace")
sleep 1
take "$about" docs/dialog-about.png
xdotool windowfocus --sync "$about"
xdotool key Return
sleep 1
xdotool windowfocus --sync "$dialog"
xdotool key alt+c
wait "$program" || true
program=""
