#!/usr/bin/env bash
# Writes the manual page of rimelace from the program's own help texts (help2man over
# "rimelace --help", with every command's "--help" as a section of its own).
# Usage: make-manpage.sh RIMELACE OUTPUT.1
set -euo pipefail
program=$1
output=$2
include=$(mktemp)
trap 'rm -f "$include"' EXIT
{
    echo "[COMMANDS]"
    for command in apply demo gallery "preset write" "preset show" params info; do
        echo ".SS rimelace $command"
        echo ".nf"
        # shellcheck disable=SC2086
        "$program" $command --help | sed -e 's/\\/\\e/g' -e 's/^\./\\\&./'
        echo ".fi"
    done
    echo "[FILES]"
    echo ".TP"
    echo ".I <prefix>/lib/rimelace/liblorvex.so, libtrivane.so"
    echo "The plug-in module that does the work, and its renderer."
    echo ".TP"
    echo ".I <prefix>/share/rimelace/RimelaceSaves/"
    echo "The presets that come with Rimelace (.ipt files)."
} >"$include"
help2man --no-info --no-discard-stderr --section=1 \
    --name="frost patterns over image files, through the Rimelace plug-in module" \
    --include="$include" --output="$output" "$program"
