#!/usr/bin/env bash
# Runs the preset dialogs' read-only-folder test against a folder that really cannot be written:
# made read-only, and, for root (whom permissions do not stop), immutable as well (chattr +i).
# Usage: readonly_folder.sh PRESET_DIALOGS_TEST_EXE
set -u
here=$(cd "$(dirname "$0")" && pwd)
exe=$1
folder=$(mktemp -d)
printf 'Sol Rimelace1\nhtdW 33.000000 \t\t\t\t;Width \n' > "$folder/keep.ipt"
chmod a-w "$folder/keep.ipt" "$folder"
immutable=0
if [ "$(id -u)" = 0 ]; then
    chattr +i "$folder/keep.ipt" "$folder" 2>/dev/null && immutable=1
fi
cleanup() {
    [ $immutable = 1 ] && chattr -i "$folder" "$folder/keep.ipt" 2>/dev/null
    chmod -R u+w "$folder"
    rm -rf "$folder"
}
trap cleanup EXIT
if touch "$folder/probe" 2>/dev/null; then
    rm -f "$folder/probe"
    echo "readonly_folder.sh: cannot make a folder read-only here (root without chattr +i); not run"
    exit 0
fi
RIMELACE_READONLY_FOLDER="$folder" bash "$here/../../../scripts/wine-run.sh" "$exe" \
    --gtest_filter='PresetBadInputTest.AFolderThatCannotBeWritten*' --gtest_color=no
