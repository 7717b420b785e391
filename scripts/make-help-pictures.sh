#!/usr/bin/env bash
# Renders the help document's pictures (resources/help/rimelacedoc_files/*.jpg) with the filter
# itself: the built-in sample picture at half size, frosted at a few values of one control each,
# three pictures to a strip, each shown at a tenth of the sample's size or, for the material
# values, as a part at half size.
# Needs build/linux (bash scripts/build.sh); the next build copies the pictures beside the module.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/linux/rimelace
out=resources/help/rimelacedoc_files
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"

# The sample unfiltered ("By selection" without a selection passes the picture through), halved.
"$cli" demo "$tmp/full.png" --set MaskKind=7 --quiet
python3 scripts/downscale_png.py "$tmp/full.png" "$tmp/sample.png" 2

# strip NAME SHOW SETTINGS...: one picture per settings word (Field=Value, several joined by
# commas), shown as help_strip.py's SHOW says.
strip() {
    local name=$1 show=$2 i=0 settings options tiles=()
    shift 2
    for settings in "$@"; do
        i=$((i + 1))
        options=()
        if [ "$settings" != default ]; then
            IFS=, read -ra fields <<<"$settings"
            for field in "${fields[@]}"; do options+=(--set "$field"); done
        fi
        "$cli" apply "$tmp/sample.png" "$tmp/$name-$i.png" --quiet "${options[@]}"
        tiles+=("$tmp/$name-$i.png")
    done
    python3 scripts/help_strip.py "$tmp/$name.png" "$show" "${tiles[@]}"
    "$cli" apply "$tmp/$name.png" "$out/$name.jpg" --set MaskKind=7 --quiet
}

whole=5
part=crop=30,410,160,120
strip effects $whole EffectKind=1,PatternKind=2 default EffectKind=3,PatternKind=2,Scale=150,Width=120
strip rendermode $whole RenderMode=3 RenderMode=4 RenderMode=5
strip width $whole Width=20 default Width=120
strip length $whole Lenght=5 default Lenght=30
strip density $whole MinInterval=10 default MinInterval=60
strip maskkind $whole MaskKind=1 MaskKind=4 MaskKind=6
strip turn $whole Turn=90 default Turn=270
strip glass $part UseGlass=0 default Transparancy=60
strip bump $part BumpPercent=0 default BumpPercent=200
strip colours $whole Diffuse=0xFF8040 LightColor=0x40A0FF LightMultiplay=50
du -ch "$out"/*.jpg | tail -1
