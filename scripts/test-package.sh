#!/usr/bin/env bash
# The Debian package from a build folder: made by CPack, unpacked into a scratch root, and the
# command line run from the unpacked paths (it finds its module and renderer there); the files a
# user expects are in it, and nothing is left in the build folder.
# Usage: test-package.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "test-package: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/deb" >/dev/null)
deb=$(ls "$scratch"/deb/rimelace_*.deb)
info=$(dpkg-deb --info "$deb")
grep -q '^ Package: rimelace$' <<<"$info" || fail "not a rimelace package"
listing=$(dpkg-deb --contents "$deb")
for path in ./usr/bin/rimelace ./usr/lib/rimelace/liblorvex.so ./usr/lib/rimelace/libtrivane.so \
    ./usr/lib/gimp/2.0/plug-ins/rimelace-gimp/rimelace-gimp ./usr/share/man/man1/rimelace.1.gz \
    ./usr/share/rimelace/RimelaceSaves/ ./usr/share/doc/rimelace/rimelacedoc.html \
    ./usr/share/doc/rimelace/rimelacedoc_files/; do
    grep -q " $path\$" <<<"$listing" || fail "the package lacks $path"
done
grep -q ' ./usr/local' <<<"$listing" && fail "files under /usr/local"

root=$scratch/root
dpkg-deb --extract "$deb" "$root"
# The command line runs from the unpacked tree, with nothing of the build folder on its paths.
(cd "$scratch" && env -i PATH=/usr/bin:/bin "$root/usr/bin/rimelace" demo "$scratch/demo.png" --quiet) ||
    fail "rimelace demo failed from the unpacked package"
[ -s "$scratch/demo.png" ] || fail "rimelace demo wrote nothing"
grep -q "libtrivane.so => $root/usr/bin/../lib/rimelace/libtrivane.so" <<<"$(ldd "$root/usr/bin/rimelace")" ||
    fail "rimelace does not take libtrivane.so from the package"
plugin=$root/usr/lib/gimp/2.0/plug-ins/rimelace-gimp
grep -q "libtrivane.so => $plugin/../../../../rimelace/libtrivane.so" <<<"$(ldd "$plugin/rimelace-gimp")" ||
    fail "the GIMP plug-in does not find libtrivane.so in the package"
# Every picture the help document shows is in the package beside it.
for picture in $(grep -o 'rimelacedoc_files/[^"]*' "$root/usr/share/doc/rimelace/rimelacedoc.html" | sort -u); do
    [ -s "$root/usr/share/doc/rimelace/$picture" ] || fail "the help document's $picture is not in the package"
done
grep -q '^\.SS rimelace apply' <<<"$(zcat "$root/usr/share/man/man1/rimelace.1.gz")" || fail "the manual page lacks apply"
echo "test-package: $(basename "$deb") unpacks and runs"
