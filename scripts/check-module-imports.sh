#!/usr/bin/env bash
# Checks that the Lorvex module takes exactly seven functions from the Trivane library, by name:
# __SetDrawMode, __SetQuality, __SetDeep, __GetDeep, __SetUseMultyRefract, __SetDubleSide,
# __RasterScene. ELF: libtrivane.so is on the needed list and the module's undefined symbols that
# libtrivane.so defines are those seven. PE: the import table names Trivane.dll with those seven.
# Usage: check-module-imports.sh MODULE LIBRARY OBJDUMP
set -euo pipefail
module=$1 library=$2 objdump=$3
expected=$(printf '%s\n' __GetDeep __RasterScene __SetDeep __SetDrawMode __SetDubleSide __SetQuality \
    __SetUseMultyRefract | sort)
demangle() { c++filt | sed 's/(.*//' | sort -u; }

headers=$("$objdump" -p "$module")
if grep -q 'DLL Name' <<<"$headers"; then
    # The import table: the names listed under "DLL Name: Trivane.dll".
    names=$(awk '
        /DLL Name:/ { inside = ($3 == "Trivane.dll"); found = found || inside; next }
        inside && NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print $3 }
        inside && NF == 0 { inside = 0 }
        END { if (!found) print "MISSING-Trivane.dll" }' <<<"$headers" | demangle)
else
    grep -q 'NEEDED *libtrivane.so' <<<"$headers" || { echo "libtrivane.so is not needed"; exit 1; }
    grep -Eq '(RUNPATH|RPATH) *\$ORIGIN' <<<"$headers" || { echo "no \$ORIGIN run path"; exit 1; }
    defined=$("$objdump" -T "$library" | awk '$0 !~ /\*UND\*/ { print $NF }' | sort -u)
    undefined=$("$objdump" -T "$module" | awk '/\*UND\*/ { print $NF }' | sort -u)
    names=$(comm -12 <(echo "$defined") <(echo "$undefined") | demangle)
fi
if [ "$names" != "$expected" ]; then
    echo "imports from Trivane differ:"; diff <(echo "$expected") <(echo "$names") || true
    exit 1
fi
echo "the module imports exactly the seven Trivane functions"
