#!/usr/bin/env bash
# A screenshot of the GIMP plug-in's dialog with its preview, under Xvfb: GIMP starts with a
# private profile that holds the built plug-in and the shipped presets (installed there by
# install-gimp-plugin.sh), opens the sample photograph and runs
# "Filters > Decor > Rimelace..." interactively; the screen is captured once the preview has
# rendered, then the dialog is cancelled. Writes docs/gimp-dialog.png (and docs/gimp-dialog-material.png).
# Usage: make-gimp-screenshot.sh [BUILD_FOLDER]   (default build/linux)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/linux}" && pwd)
photo=${RIMELACE_PHOTO:-/usr/lib/python3/dist-packages/skimage/data/coffee.png}
for tool in Xvfb xdotool import gimp; do
    command -v $tool >/dev/null || { echo "make-gimp-screenshot: needs $tool (xvfb, xdotool, imagemagick, gimp)" >&2; exit 2; }
done
work=$(mktemp -d)
display=:$((100 + RANDOM % 100))
Xvfb "$display" -screen 0 1400x1000x24 >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    [ -n "${gimp:-}" ] && kill "$gimp" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display

# The 46 parameters after the drawable (the table's defaults; the dialog starts from the last values).
defaults="1 0.0 0.0 5 5 3 1 0 25.0 3 3 60.0 15.0 100.0 100.0 6.25 15.0 10.0 10.0 0.0 100.0 '(192 192 192)
  '(255 255 255) 15.0 100.0 10.0 0.0 20.0 -50.0 75.0 20.0 '(255 255 255) 0.0 45.0 100.0 1 0 1 2 180.0 180.0 15
  0.0 0.0 45.0 '(255 255 0)"

shoot() { # PAGE OUTPUT
    # A fresh profile each time: an ended GIMP would offer to recover its image at the next start.
    local profile=$work/profile$1
    mkdir -p "$profile/gradients"
    # Installed as a user installs it, shipped presets included (the dialog's drop-down lists them).
    GIMP2_DIRECTORY=$profile bash scripts/install-gimp-plugin.sh "$build" >/dev/null
    RIMELACE_GIMP_PAGE=$1 GIMP2_DIRECTORY=$profile gimp -d -f --no-splash --batch-interpreter plug-in-script-fu-eval \
        -b "(let* ((img (car (gimp-file-load RUN-NONINTERACTIVE \"$photo\" \"$photo\")))
                   (d (car (gimp-image-get-active-drawable img))))
              (gimp-display-new img)
              (gimp-image-select-ellipse img CHANNEL-OP-REPLACE 60 80 300 360)
              (plug-in-rimelace RUN-INTERACTIVE img d $defaults))" \
        -b '(gimp-quit 0)' >"$work/gimp.log" 2>&1 &
    gimp=$!
    local wid=""
    for _ in $(seq 240); do
        wid=$(xdotool search --name '^Rimelace$' 2>/dev/null | head -1) && [ -n "$wid" ] && break
        sleep 0.5
    done
    [ -n "$wid" ] || { import -window root "$work/../gimp-nodialog.png" 2>/dev/null; cat "$work/gimp.log" >&2; echo "make-gimp-screenshot: no dialog" >&2; exit 1; }
    sleep "${RIMELACE_SHOT_WAIT:-12}" # the first preview renders
    xdotool mousemove 0 0 2>/dev/null || true # no tooltip in the picture
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
    xdotool key --window "$wid" Escape 2>/dev/null || true
    sleep 2
    kill "$gimp" 2>/dev/null || true
    wait "$gimp" 2>/dev/null || true
    gimp=""
}
shoot 0 docs/gimp-dialog.png
shoot 1 docs/gimp-dialog-material.png
echo "docs/gimp-dialog.png docs/gimp-dialog-material.png"
