#!/usr/bin/env bash
# Writes the shipped preset library, resources/RimelaceSaves/*.ipt. Each preset is the defaults
# plus the settings listed below, written by the command line's own preset writer, so the files
# are exactly what the plug-in's "Save" writes for the same values. Each look was chosen by
# rendering it on photographs (`rimelace gallery --presets PHOTO`) and looking at the results.
# Needs build/linux. Usage: scripts/make-presets.sh [FOLDER]   (default resources/RimelaceSaves)
set -euo pipefail
cd "$(dirname "$0")/.."
rimelace=${RIMELACE:-build/linux/rimelace}
out=${1:-resources/RimelaceSaves}
mkdir -p "$out"
rm -f "$out"/*.ipt

# preset NAME Field=Value...
preset() {
    local name=$1 args=()
    shift
    for setting in "$@"; do args+=(--set "$setting"); done
    "$rimelace" preset write "$out/$name.ipt" "${args[@]}"
}

# Colours are 0x00BBGGRR.
preset "Hoarfrost Frame" EffectKind=1 PatternKind=1 MaskKind=4 UseGlass=0 Diffuse=0xFFFFFF Width=40
preset "Frosted Mullions" EffectKind=1 PatternKind=2 MaskKind=6 Width=30 Lenght=8 Diffuse=0xFFE6C8
preset "Icicle Fringe" EffectKind=1 PatternKind=3 MaskKind=2 Diffuse=0xFFF0E1
preset "Snowdrift Ferns" EffectKind=2 PatternKind=1 MaskKind=1 Scale=150 MaxIterations=4 Width=100 Lenght=25 \
    UseGlass=0 Diffuse=0xFFF0E1
preset "Frosted Pane" EffectKind=2 PatternKind=2 MaskKind=6 Diffuse=0xFFE6C8 MinInterval=40
preset "Golden Filigree" EffectKind=2 PatternKind=3 UseGlass=0 Diffuse=0x3CB4E6 Speculare=0xC8F0FF Shininess=40
preset "Ice Seahorse" EffectKind=3 PatternKind=1 MaxTriangles=12 Width=120 Lenght=30 UseGlass=0 Diffuse=0xFFF0E1
preset "Aqua Shell Scroll" EffectKind=3 PatternKind=2 MaxTriangles=12 Width=120 Lenght=30 Diffuse=0xFFEB96 \
    Turn=-180 Turn1=-180 CenterX=-400 CenterY=-300
preset "Frost Feather" EffectKind=3 PatternKind=3 MaxTriangles=15 Width=150 Lenght=35 UseGlass=0 Diffuse=0xFFF0E1
preset "Prism Plume" EffectKind=3 PatternKind=4 MaxTriangles=12 Width=150 Lenght=35 Turn=-180 Turn1=-180 \
    Refraction=-100 Aberration=60
preset "Frosted Grass" EffectKind=2 PatternKind=1 RenderMode=2 UseGlass=0 Diffuse=0xFFF0E1
preset "Tinsel Frame" EffectKind=1 PatternKind=2 MaskKind=4 RenderMode=3 UseGlass=0
preset "Pewter Shards" EffectKind=1 PatternKind=2 MaskKind=3 RenderMode=4 UseGlass=0
preset "Crushed Ice Heap" EffectKind=1 PatternKind=2 MaskKind=1 RenderMode=4 Width=80 Lenght=25
preset "Negative Lace" EffectKind=2 PatternKind=3 RenderMode=1
# Along the selection, growing into it ("Direction 2"): a host keeps what lies outside the
# selection as it was, so a pattern grown out of it would not show.
preset "Frost Halo" EffectKind=1 PatternKind=1 MaskKind=7 GrowDirect=2 Width=40
ls "$out"
