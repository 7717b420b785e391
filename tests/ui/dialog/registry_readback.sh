#!/usr/bin/env bash
# The ".ipt" file type as the preset dialogs register it, read back with Wine's own `reg query`:
# HKCR\.ipt names "BrightmoorRimelacePSD_Saves", whose DefaultIcon is the module's path and ",0".
# Usage: registry_readback.sh PRESET_DIALOGS_TEST_EXE
set -u
here=$(cd "$(dirname "$0")" && pwd)
exe=$1
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all WINEPREFIX=${WINEPREFIX:-${RIMELACE_WINEPREFIX:-$HOME/.wine-rimelace}}
"$wine" reg delete 'HKCR\.ipt' /f >/dev/null 2>&1
"$wine" reg delete 'HKCR\BrightmoorRimelacePSD_Saves' /f >/dev/null 2>&1
bash "$here/../../../scripts/wine-run.sh" "$exe" --gtest_filter='PresetFileType.*' --gtest_color=no || exit 1
# reg query prints "    (Default)    REG_SZ    VALUE" (the name column is localised; take what follows REG_SZ).
value() { "$wine" reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p'; }
type=$(value 'HKCR\.ipt')
icon=$(value 'HKCR\BrightmoorRimelacePSD_Saves\DefaultIcon')
expected_icon="$("$wine" winepath -w "$exe" 2>/dev/null | tr -d '\r'),0"
echo "HKCR\\.ipt = $type"
echo "HKCR\\BrightmoorRimelacePSD_Saves\\DefaultIcon = $icon"
status=0
[ "$type" = BrightmoorRimelacePSD_Saves ] || { echo "expected BrightmoorRimelacePSD_Saves"; status=1; }
# Compared without regard to case: Wine reports the module's path in the case it was loaded by.
[ "${icon,,}" = "${expected_icon,,}" ] || { echo "expected $expected_icon"; status=1; }
exit $status
