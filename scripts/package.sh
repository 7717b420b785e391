#!/usr/bin/env bash
# Builds the packages from the tree as it stands: a zip per Windows target (Lorvex.8bf,
# Trivane.dll, the help document with its pictures, RimelaceSaves/ with the shipped presets, an install note) and
# the Debian package (CMake's packaging). Results in out/packages/.
# RIMELACE_PACKAGES="deb win32 win64" chooses which (default: all three).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
packages=${RIMELACE_PACKAGES:-deb win32 win64}
out=$root/out/packages
mkdir -p "$out"

bash scripts/install-deps.sh
targets=""
for p in $packages; do
    case $p in
        deb) targets="$targets linux" ;;
        win32 | win64) targets="$targets $p" ;;
        *) echo "package.sh: unknown package '$p'" >&2; exit 2 ;;
    esac
done
# The zips' install note names the menu from the module's own resources, read by build/linux/rimelace.
case " $targets " in *" linux "*) ;; *) [ -x build/linux/rimelace ] || targets="linux $targets" ;; esac
RIMELACE_TARGETS="$targets" bash scripts/build.sh

version=$(sed -n 's/^project(Rimelace VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# The shipped presets, wherever the tree keeps them; the help document is in each build folder.
mapfile -t presets < <(git ls-files -- '*RimelaceSaves/*.ipt')

for p in $packages; do
    if [ "$p" = deb ]; then
        echo "== package: deb"
        (cd build/linux && cpack -G DEB -B "$out" >/dev/null)
        rm -rf "$out/_CPack_Packages"
        ls "$out"/rimelace_*.deb
        continue
    fi
    echo "== package: $p"
    stage=$(mktemp -d)
    dir=$stage/Rimelace-$version-$p
    mkdir -p "$dir/RimelaceSaves"
    cp "build/$p/Lorvex.8bf" "build/$p/Trivane.dll" "$dir/"
    cp "build/$p/rimelacedoc.html" "$dir/"
    cp -r "build/$p/rimelacedoc_files" "$dir/"
    for preset in "${presets[@]}"; do cp "$preset" "$dir/RimelaceSaves/"; done
    bits=$([ "$p" = win32 ] && echo 32 || echo 64)
    menu=$(build/linux/rimelace info "build/$p/Lorvex.8bf" | sed -n 's/^  category  //p')
    title=$(build/linux/rimelace info "build/$p/Lorvex.8bf" | sed -n 's/^  name      //p')
    {
        echo "Rimelace $version for $bits-bit Windows hosts of the Photoshop filter plug-in interface"
        echo
        echo "Where each file goes:"
        echo
        echo "  Lorvex.8bf      into the host's plug-in folder (for example Plug-ins\\Filters)."
        echo "  RimelaceSaves\\  into the same folder as Lorvex.8bf: the presets the dialog's Load"
        echo "                  and Save buttons open."
        echo "  rimelacedoc.html and rimelacedoc_files\\  into the same folder as Lorvex.8bf: the"
        echo "                  dialog's Help button opens the document."
        echo "  Trivane.dll     beside the host's program file (the .exe), or into a folder on PATH."
        echo "                  Windows does not look for it beside Lorvex.8bf, so the filter does"
        echo "                  not load when Trivane.dll is only there."
        echo
        echo "The $bits-bit files work in $bits-bit hosts only."
        echo "Then start the host: the filter is in the Filter menu under \"$menu\", \"$title\"."
    } | sed 's/$/\r/' >"$dir/INSTALL.txt"
    zip="$out/Rimelace-$version-$p.zip"
    rm -f "$zip"
    (cd "$stage" && cmake -E tar cf "$zip" --format=zip "Rimelace-$version-$p")
    rm -rf "$stage"
    echo "$zip"
done
