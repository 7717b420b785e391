#!/usr/bin/env bash
# "Load" and "Save" as a person uses them, from outside: rimelace.exe apply IN OUT --dialog under
# Wine, the mouse on the main dialog's buttons, names typed into the system's file dialogs with
# the keyboard (xdotool on the test's X display). Loading "Frost Feather" and pressing OK writes
# the picture that `apply --preset "Frost Feather"` writes; saving it under a name without an
# extension writes the shipped file's bytes under that name with ".ipt"; the file type is then
# registered for Lorvex.8bf (reg query).
# Usage: cli_dialog_presets.sh BUILD_DIR (build/win64, with rimelace.exe and Lorvex.8bf)
set -u
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
run=(bash "$here/../../../scripts/wine-run.sh")
export WINEDEBUG=-all WINEPREFIX=${WINEPREFIX:-${RIMELACE_WINEPREFIX:-$HOME/.wine-rimelace}}
if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null; then
    echo "cli_dialog_presets.sh: needs an X display and xdotool"; exit 1
fi
work=$(mktemp -d)
app=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; exit 1; }

# Under load a window may show before it takes input; each step is repeated until its effect shows.
find_window() { xdotool search --name "^$1\$" 2>/dev/null | head -1; }
wait_window() {  # NAME [SECONDS]: the X window of a top-level window of that caption
    local id
    for _ in $(seq 1 $((${2:-60} * 2))); do
        id=$(find_window "$1")
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.5
    done
    return 1
}
wait_gone() {  # NAME SECONDS
    for _ in $(seq 1 $(($2 * 2))); do
        [ -z "$(find_window "$1")" ] && return 0
        sleep 0.5
    done
    return 1
}
# A click on a control of the main dialog given in dialog units (the template is 684 x 316): the
# dialog's X window is its client area, so its size gives the units' scale.
click_units() {  # WINDOW X Y
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + $2 * WIDTH / 684)) $((Y + $3 * HEIGHT / 316)) click 1
}
open_by_button() {  # MAIN X Y CAPTION: clicks until the file dialog of that caption is up
    local box
    for _ in 1 2 3 4 5 6; do
        click_units "$1" "$2" "$3"
        box=$(wait_window "$4" 20) && { echo "$box"; return 0; }
    done
    return 1
}
choose_name() {  # CAPTION TEXT: into "File name" (it has the focus), Enter, until the dialog closes
    local box
    for _ in 1 2 3 4 5 6; do
        box=$(find_window "$1")
        [ -z "$box" ] && return 0
        xdotool windowfocus --sync "$box"
        xdotool key Home shift+End
        xdotool type --delay 20 "$2"
        xdotool key Return
        wait_gone "$1" 10 && return 0
    done
    return 1
}

"${run[@]}" "$build/rimelace.exe" demo "$work/in.png" --quiet || fail "no input picture"
"${run[@]}" "$build/rimelace.exe" apply "$work/in.png" "$work/expected.png" --preset "Frost Feather" --quiet \
    || fail "apply --preset"
"${run[@]}" "$build/rimelace.exe" apply "$work/in.png" "$work/out.png" --dialog --quiet > "$work/log" 2>&1 &
app=$!
main=$(wait_window Rimelace 120) || fail "the main dialog did not appear"
open_by_button "$main" 32 273 "Open filter params" >/dev/null || fail "the open dialog did not appear"   # "Load"
choose_name "Open filter params" "Frost Feather.ipt" || fail "the open dialog stayed open"
open_by_button "$main" 88 273 "Save filter params" >/dev/null || fail "the save dialog did not appear"   # "Save"
choose_name "Save filter params" "Z:${work//\//\\}\\feather again" || fail "the save dialog stayed open"
for _ in 1 2 3 4 5 6; do                          # "&OK", until the program has ended
    xdotool windowfocus --sync "$main" 2>/dev/null
    xdotool key alt+o
    for _ in $(seq 1 20); do kill -0 "$app" 2>/dev/null || break 2; sleep 0.5; done
done
wait "$app"; status=$?; app=
[ $status = 0 ] || { cat "$work/log"; fail "rimelace.exe apply --dialog ended with $status"; }

cmp -s "$work/out.png" "$work/expected.png" || fail "the dialog's result differs from apply --preset"
cmp -s "$work/feather again.ipt" "$build/RimelaceSaves/Frost Feather.ipt" || fail "the saved preset differs"
echo "Load, Save and OK gave apply --preset's picture and the shipped preset's bytes"

value() { /usr/lib/wine/wine64 reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p'; }
icon=$(value 'HKCR\BrightmoorRimelacePSD_Saves\DefaultIcon')
expected="$(/usr/lib/wine/wine64 winepath -w "$build/Lorvex.8bf" 2>/dev/null | tr -d '\r'),0"
echo "DefaultIcon = $icon"
[ "$(value 'HKCR\.ipt')" = BrightmoorRimelacePSD_Saves ] || fail "HKCR\\.ipt"
[ "${icon,,}" = "${expected,,}" ] || fail "expected $expected"
