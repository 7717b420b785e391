#!/usr/bin/env bash
# rimelace.exe apply --dialog under Wine, driven through the X server as a person drives it: mouse
# clicks at the controls' places and key presses (xdotool). F1, "Help" and the web link reach the
# shell (a stand-in browser records what it was asked to open); Enter and Escape in a field keep
# the dialog open; "About" shows the about box; OK writes exactly what `apply` writes with the same
# values given as options; Cancel after edits writes nothing and says so.
# Usage: dialog_by_hand_test.sh WINDOWS_BUILD PROJECT_SOURCE   (needs DISPLAY, xdotool, Wine)
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
wine_run=$source/scripts/wine-run.sh
photo=/usr/lib/python3/dist-packages/skimage/data/coffee.png
for tool in xdotool cmp; do
    command -v $tool >/dev/null || { echo "needs $tool" >&2; exit 1; }
done
[ -n "${DISPLAY:-}" ] || { echo "needs an X display (run under xvfb-run)" >&2; exit 1; }
[ -f "$photo" ] || { echo "needs the photograph $photo (python3-skimage)" >&2; exit 1; }
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-${RIMELACE_WINEPREFIX:-$HOME/.wine-rimelace}}

work=$(mktemp -d)
runner=""
fail() {
    echo "FAILED: $*" >&2
    shot failed
    exit 1
}
wine_reg() { WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 reg "$@" >/dev/null 2>&1; }
cleanup() {
    [ -n "$runner" ] && kill "$runner" 2>/dev/null || true
    wine_reg delete 'HKCU\Software\Wine\WineBrowser' /v Browsers /f || true
    rm -rf "$work"
}
trap cleanup EXIT

# The browser Wine hands documents and addresses to: one that writes down what it got.
cat >"$work/browser.sh" <<EOF
#!/bin/sh
echo "\$@" >>"$work/opened.txt"
EOF
chmod +x "$work/browser.sh"
touch "$work/opened.txt"
wine_reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$work/browser.sh" /f || fail "cannot set Wine's browser"
cp "$photo" "$work/in.png"

# ---- Driving -------------------------------------------------------------------------------
window=""
X=0
Y=0
# The dialog's template is in dialog units; its font makes a unit 7/4 pixels wide, 13/8 high.
# Pages sit in the tab control's display area, whose corner is at (503, 36) in the client area.
dlg() { echo "$(((X + $1 * 7 / 4))) $(((Y + $2 * 13 / 8)))"; }
page() { echo "$(((X + 503 + $1 * 7 / 4))) $(((Y + 36 + $2 * 13 / 8)))"; }
click() {
    xdotool mousemove --sync $1 $2 click 1
    sleep 0.4
}
key() {
    xdotool key --delay 60 "$@"
    sleep 0.4
}
open_dialog() {  # open_dialog OUTPUT [apply options...]
    local out=$1
    shift
    bash "$wine_run" "$build/rimelace.exe" apply "$work/in.png" "$out" --dialog --quiet "$@" \
        >"$work/stdout" 2>"$work/stderr" &
    runner=$!  # the program itself (wine-run.sh ends in exec)
    window=""
    for _ in $(seq 240); do
        window=$(xdotool search --name '^Rimelace$' 2>/dev/null | head -1) || true
        [ -n "$window" ] && break
        sleep 0.25
    done
    [ -n "$window" ] || fail "the dialog did not appear"
    sleep 1  # the first preview
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool windowfocus --sync "$window"
}
# RIMELACE_DIALOG_SHOTS=FOLDER keeps a picture of the screen at each step (ImageMagick's import).
shot() {
    [ -n "${RIMELACE_DIALOG_SHOTS:-}" ] && import -window root "$RIMELACE_DIALOG_SHOTS/$1.png" || true
}
still_open() { xdotool search --name '^Rimelace$' >/dev/null 2>&1; }
status=""
wait_closed() {
    for _ in $(seq 240); do
        if ! kill -0 "$runner" 2>/dev/null; then
            status=0
            wait "$runner" || status=$?
            runner=""
            return
        fi
        sleep 0.25
    done
    fail "the program did not end after the dialog"
}
opened() {  # opened TEXT [TIMES]: waits until the stand-in browser was asked for TEXT (TIMES times)
    for _ in $(seq 160); do
        [ "$(grep -cF "$1" "$work/opened.txt")" -ge "${2:-1}" ] && return 0
        sleep 0.25
    done
    fail "nothing opened $1 ${2:-1} times (asked for: $(cat "$work/opened.txt"))"
}
# Opens a drop-down list with a click and clicks entry INDEX of its COUNT entries once the list
# is up (the list is a window of its own).
choose() {  # choose X Y INDEX COUNT
    local before list="" lx ly lh
    before=$(xdotool search --onlyvisible --class '.*' 2>/dev/null | sort)
    click $1 $2
    for _ in $(seq 80); do
        list=$(comm -13 <(echo "$before") <(xdotool search --onlyvisible --class '.*' 2>/dev/null | sort) |
            while read -r w; do
                eval "$(xdotool getwindowgeometry --shell --prefix L "$w" 2>/dev/null)" || continue
                [ "${LHEIGHT:-0}" -gt 40 ] && { echo "$w"; break; }
            done) || true
        [ -n "$list" ] && break
        sleep 0.25
    done
    [ -n "$list" ] || fail "the drop-down list did not open"
    eval "$(xdotool getwindowgeometry --shell --prefix L "$list")"
    click $((LX + LWIDTH / 2)) $((LY + (2 * $3 + 1) * LHEIGHT / (2 * $4)))
    for _ in $(seq 40); do
        xdotool getwindowgeometry "$list" >/dev/null 2>&1 && xdotool search --onlyvisible --class '.*' 2>/dev/null |
            grep -qx "$list" || return 0
        sleep 0.25
    done
    fail "the drop-down list stayed open"
}
# Replaces a field's text: click into it, clear it, type.
type_into() {  # type_into X Y TEXT
    click $1 $2
    key End $(printf 'BackSpace %.0s' $(seq 10))
    xdotool type --delay 60 "$3"
    sleep 0.3
}

# ---- OK: help, the web link, Enter and Escape in fields, the effect list --------------------
open_dialog "$work/out.png"
click $(page 95 19)  # into "Length"; F1 from a field
key F1
opened "rimelacedoc.html"
click $(dlg 200 273)  # "Help"
opened "rimelacedoc.html" 2
click $(dlg 142 301)  # the web link
opened "https://"

type_into $(page 95 45) 80  # "Width"
shot typed-width
key Return
shot width-entered
still_open || fail "Enter in a field closed the dialog"
type_into $(page 95 19) 33  # "Length", then Escape: back to 15
shot typed-length
key Escape
shot length-escaped
still_open || fail "Escape in a field closed the dialog"
choose $(dlg 229 245) 8 10  # "Effect kind:": "Single 3"
shot effect-chosen
still_open || fail "choosing an effect closed the dialog"
click $(dlg 589 301)  # OK
wait_closed
[ "$status" = 0 ] || fail "OK: status $status: $(cat "$work/stderr")"
[ -f "$work/out.png" ] || fail "OK wrote nothing"

bash "$wine_run" "$build/rimelace.exe" apply "$work/in.png" "$work/same.png" --quiet \
    --effect "Single 3" --set Width=80 || fail "apply with the same values failed"
cmp "$work/out.png" "$work/same.png" || fail "the dialog's result differs from apply --effect 'Single 3' --set Width=80"
echo "OK: the dialog's output equals apply with the same values, byte for byte"

# ---- Cancel: the about box, edits, then Cancel ----------------------------------------------
open_dialog "$work/cancelled.png"
click $(dlg 254 273)  # "About"
about=""
for _ in $(seq 40); do
    about=$(xdotool search --onlyvisible --name '^About Rimelace$' 2>/dev/null | head -1) || true
    [ -n "$about" ] && break
    sleep 0.25
done
[ -n "$about" ] || fail "\"About\" showed no about box"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell --prefix A "$about")"
click $((AX + 110 * 7 / 4)) $((AY + 77 * 13 / 8))  # its "OK"
for _ in $(seq 40); do
    xdotool search --name '^About Rimelace$' >/dev/null 2>&1 || break
    sleep 0.25
done
xdotool search --name '^About Rimelace$' >/dev/null 2>&1 && fail "OK left the about box open"
still_open || fail "closing the about box closed the dialog"
type_into $(page 95 45) 99
key Tab
click $(dlg 649 301)  # Cancel
wait_closed
[ "$status" = 3 ] || fail "Cancel: status $status: $(cat "$work/stderr")"
grep -q "the dialog was cancelled; nothing was written" "$work/stderr" || fail "Cancel: $(cat "$work/stderr")"
[ ! -e "$work/cancelled.png" ] || fail "Cancel wrote a file"
echo "OK: Cancel wrote nothing and said so"
