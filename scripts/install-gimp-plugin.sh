#!/usr/bin/env bash
# Installs the GIMP plug-in for the current user: the plug-in, the module and its renderer (and
# the shipped presets) into GIMP 2.10's plug-in folder of this user, where GIMP looks at start.
# Builds build/linux first when the plug-in is not built yet.
# Usage: install-gimp-plugin.sh [BUILD_FOLDER]   (default build/linux)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/linux}
if [ ! -x "$build/rimelace-gimp" ]; then
    RIMELACE_TARGETS=linux bash scripts/build.sh
fi
[ -x "$build/rimelace-gimp" ] || { echo "install-gimp-plugin: $build/rimelace-gimp was not built (is libgimp2.0-dev installed?)" >&2; exit 1; }
profile=${GIMP2_DIRECTORY:-${XDG_CONFIG_HOME:-$HOME/.config}/GIMP/2.10}
target=$profile/plug-ins/rimelace-gimp
mkdir -p "$target/RimelaceSaves"
install -m 755 "$build/rimelace-gimp" "$target/rimelace-gimp"
install -m 644 "$build/liblorvex.so" "$build/libtrivane.so" "$target/"
git ls-files -z -- '*RimelaceSaves/*.ipt' | xargs -0 -r -I{} install -m 644 {} "$target/RimelaceSaves/"
echo "Installed into $target; restart GIMP, then use Filters > Decor > Rimelace..."
