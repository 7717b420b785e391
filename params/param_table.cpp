#include "params/param_table.h"

#include <cmath>
#include <limits>

namespace {

using P = RimelaceParams;
using PK = PresetKind;
using ST = ScriptType;
using enum RangeKind;
using enum DialogPage;

constexpr double kColourMax = 0xFFFFFF;

// clang-format off
// field, key, member, preset kind, script type, default, range kind, min, max, page, control id,
// label, tooltip, value-dialog name, preset comment, script written, dictionary count,
// dictionary name, dictionary description.
constexpr ParamEntry kParams[kParamCount] = {
    {"AutoUpdate", FourCC("AtUp"), &P::AutoUpdate, PK::Byte, ST::Boolean, 1, Flag, 0, 1, Main, 1024,
     "Auto update", "", "", ";Auto Apdates", true, 1, "Auto Update", "Use Automatic Preview Update"},
    {"CenterX", FourCC("CtnX"), &P::CenterX, PK::Float, ST::UnitFloat, 0, Span, -1000, 1000, Geometry, 1026,
     "Center X", "Effect position by X", "Center X", ";Center X", true, 1, "Center X", "Center Lens Position"},
    {"CenterY", FourCC("CtnY"), &P::CenterY, PK::Float, ST::UnitFloat, 0, Span, -1000, 1000, Geometry, 1027,
     "Center Y", "Effect position by Y", "Center Y", "", true, 1, "Center Y", "Center Lens Position"},
    {"RenderMode", FourCC("RndM"), &P::RenderMode, PK::Byte, ST::Integer, 5, List, 1, 5, Main, 1027,
     "Render mode:", "The mode of visualisation", "", ";RenderMode", true, 1, "Render Mode", "Mode of Scene Rendering"},
    {"MaskKind", FourCC("MskK"), &P::MaskKind, PK::Byte, ST::Integer, 5, List, 1, 7, Geometry, 1028,
     "Mask kind:", "You can set path. Rimelace will grow up by this path. You can use selected area and create paths in any shape",
     "", ";MaskKind", true, 1, "Mask Kind", "Type of Shape for pattern"},
    {"PatternKind", FourCC("PtrK"), &P::PatternKind, PK::Byte, ST::Integer, 3, Span, 1, 4, Main, 1036,
     "Effect kind:", "The Rimelace effect kind", "", ";PatternKind", true, 1, "Pattern Kind", "Type of Pattern"},
    {"GrowDirect", FourCC("GrwD"), &P::GrowDirect, PK::Byte, ST::Integer, 1, List, 1, 8, Geometry, 1030,
     "Growth direction:", "You can set how to patterns will grou up relatively the path", "", ";GrowDirect", true, 1,
     "Grow Direct", "Direction for pattern growing"},
    {"RandomSeed", FourCC("RndS"), &P::RandomSeed, PK::Integer, ST::Integer, 0, Span, 0, 100, Geometry, 1031,
     "Random seed", "Initial state of random numbers generator", "Random seed", ";RandomSeed", true, 1,
     "Random Seed", "Initial state for random number generator"},
    {"MinInterval", FourCC("MnIn"), &P::MinInterval, PK::Float, ST::UnitFloat, 25, Span, 1, 100, Geometry, 1032,
     "Density", "Minimal interval between rimelace elements", "Density", ";MinInterval", true, 1,
     "Min Interval", "Minimal distance between elements"},
    {"MaxIterations", FourCC("MxIt"), &P::MaxIterations, PK::Integer, ST::Integer, 3, Span, 2, 6, Geometry, 1034,
     "Max iterations", "Maximal posible namber of iterations", "Max iterations", ";MaxIterations", true, 1,
     "Max Iteration", "Maximal Number of Iterations"},
    {"MaxTriangles", FourCC("MxTr"), &P::MaxTriangles, PK::Integer, ST::Integer, 3, Span, 1, 15, Geometry, 1035,
     "N triangles 1", "Maximal posible namber of triangles in each branch", "Max triangles", ";MaxTriangles", true, 1,
     "Max Triangles", "Maximal posible number in any element"},
    {"Width", FourCC("Wdth"), &P::Width, PK::Float, ST::UnitFloat, 60, Span, 1, 150, Geometry, 1033,
     "Width", "Average width of triangles", "Width of triangles", ";Width", true, 1, "Width", "Width"},
    {"Lenght", FourCC("Lngh"), &P::Lenght, PK::Float, ST::UnitFloat, 15, Span, 0, 35, Geometry, 1037,
     "Length", "Average lenght of triangles", "Lenght of triangles", ";Lenght", true, 1, "Length", "Length"},
    {"Completance", FourCC("Comp"), &P::Completance, PK::Float, ST::UnitFloat, 100, Span, 0, 100, Geometry, 1038,
     "Completeness", "How Rimelaces covers the given path", "Completeness", ";Completance", true, 1,
     "Completance", "Completance of Path"},
    {"CompletanceDist", FourCC("CmDs"), &P::CompletanceDist, PK::Float, ST::UnitFloat, 100, Span, 0, 100, Geometry, 1039,
     "Complet. dist.", "How Rimelaces grows up during the path covering", "Completeness distance", ";CompletanceDist",
     true, 1, "Compl. Dist.", "Completance Distance"},
    {"Dispers", FourCC("Dspr"), &P::Dispers, PK::Float, ST::UnitFloat, 6.25, Span, 0, 100, Geometry, 1140,
     "Dispersion", "Dispersion for different parameters", "Dispersion", ";Dispers", true, 1, "Dispersion", "Dispersion"},
    {"LoseInitDir", FourCC("LsID"), &P::LoseInitDir, PK::Float, ST::UnitFloat, 15, Span, 0, 100, Geometry, 1041,
     "Lose direction", "The random losing of initial direction", "Lose direction", ";LoseInitDir", true, 1,
     "Lose Direct", "Lose Initial Direction"},
    {"PLenght", FourCC("PLen"), &P::PLenght, PK::Float, ST::UnitFloat, 10, Span, -100, 100, Geometry, 1043,
     "Prop. lenght", "How triangles lenght change during growing", "Changing lenght", ";PLenght", true, 1,
     "Progr. Length", "Progress of Length"},
    {"PWidth", FourCC("PWid"), &P::PWidth, PK::Float, ST::UnitFloat, 10, Span, -100, 100, Geometry, 1042,
     "Prop. width", "How triangles width change during growing", "Changing width", ";PWidth", true, 1,
     "Progr. Width", "Progress of Width"},
    {"IntervDepend", FourCC("InDp"), &P::IntervDepend, PK::Float, ST::UnitFloat, 0, Span, -100, 100, Geometry, 1044,
     "Interv. depend", "How triangles depend on intervals between brunches", "Interval dependance", ";IntervDepend",
     true, 1, "Interv.Depend", "Dependance of Interval"},
    {"Scale", FourCC("Scle"), &P::Scale, PK::Float, ST::UnitFloat, 100, Span, 10, 150, Geometry, 1045,
     "Scale", "Scale of Rimelace scene", "Scale", ";Scale", true, 1, "Scale", "Scale"},
    {"Diffuse", FourCC("Diff"), &P::Diffuse, PK::Integer, ST::Integer, 0xC0C0C0, Colour, 0, kColourMax, Material, 1054,
     "Diffuse color", "Diffuse color of material", "", ";Diffuse", true, 1, "Diffuse", "Diffuse Color"},
    {"Speculare", FourCC("Spec"), &P::Speculare, PK::Integer, ST::Integer, 0xFFFFFF, Colour, 0, kColourMax, Material, 1055,
     "Specular color", "Specular color of material", "", ";Speculare", true, 1, "Speculare", "Speculare Color"},
    {"Shininess", FourCC("Shin"), &P::Shininess, PK::Float, ST::UnitFloat, 15, Span, 0, 150, Material, 1136,
     "Shininess", "Shininess of material", "Material shininess", ";Shininess", true, 1, "Shininess", "Shininess"},
    {"Shinstrength", FourCC("ShSt"), &P::Shinstrength, PK::Float, ST::UnitFloat, 100, Span, 0, 500, Material, 1135,
     "Shin strength", "Shine strength of material", "Material shine strength", ";Shinstrength", true, 1,
     "Shinstrength", "ShinStrength"},
    {"SelfIllumination", FourCC("SlIl"), &P::SelfIllumination, PK::Float, ST::UnitFloat, 10, Span, 0, 150, Material, 1138,
     "Self illumination", "Self illumination of material", "Material self illumination", ";SelfIllumination", true, 1,
     "Self Illum.", "Self Illumination"},
    {"Transparancy", FourCC("Trns"), &P::Transparancy, PK::Float, ST::UnitFloat, 0, Span, 0, 100, Material, 1137,
     "Transparansy", "Transparancy of material", "Material transparancy", ";Transparancy", true, 1,
     "Transparancy", "Transparancy"},
    {"BumpPercent", FourCC("BmpP"), &P::BumpPercent, PK::Float, ST::UnitFloat, 20, Span, -200, 200, Material, 1139,
     "Bump", "Value of bump on material surface", "Material bump", ";BumpPercent", true, 1, "Bump", "Bump Percent"},
    {"Refraction", FourCC("Rfrc"), &P::Refraction, PK::Float, ST::UnitFloat, -50, Span, -100, 100, Material, 2240,
     "Refraction", "Refraction of glass", "Refraction", ";Refraction", true, 1, "Refraction", "Refraction"},
    {"Koefficient", FourCC("Keff"), &P::Koefficient, PK::Float, ST::UnitFloat, 75, Span, -100, 100, Material, 2241,
     "Optic.coefficient", "Optical koefficient of glass", "Optical koefficient", ";Koefficient", true, 1,
     "Opt. Coef.", "Optical Coefficient"},
    {"Aberration", FourCC("Abbr"), &P::Aberration, PK::Float, ST::UnitFloat, 20, Span, 0, 100, Material, 2242,
     "Aberration", "Chromatically aberration", "Aberration", ";Aberration", true, 1, "Aberration", "Aberration"},
    {"LightColor", FourCC("LgCl"), &P::LightColor, PK::Integer, ST::Integer, 0xFFFFFF, Colour, 0, kColourMax, Material, 9004,
     "Light color", "Color of light", "", ";LightColor", true, 1, "Light Color", "Light Color"},
    {"LightAlpha", FourCC("LgAl"), &P::LightAlpha, PK::Float, ST::UnitFloat, 0, Angle, 0, 0, Material, 1006,
     "Light position", "Light position", "Position of light", ";LightAlpha", true, 1, "Light DirA", "Light Direction Alpha"},
    {"LightBeta", FourCC("LgBt"), &P::LightBeta, PK::Float, ST::UnitFloat, 45, Angle, 0, 0, Material, 1006,
     "Light position", "Light position", "Position of light", ";LightBeta", true, 1, "Light DirB", "Light Direction Beta"},
    {"LightMultiplay", FourCC("LgMt"), &P::LightMultiplay, PK::Float, ST::UnitFloat, 100, Span, 0, 150, Material, 1240,
     "Multiplay", "Value of light", "Value of light", ";LightMultiplay", true, 1, "Multiplay", "Light Multiplay"},
    {"UseBackLight", FourCC("UsBk"), &P::UseBackLight, PK::Byte, ST::Integer, 1, Flag, 0, 1, None, 0,
     "", "", "", ";UseBackLight", false, 0, "", ""},
    {"AlphaCut", FourCC("AlpC"), &P::AlphaCut, PK::Byte, ST::Integer, 0, Flag, 0, 1, Main, 1032,
     "Alpha cut", "Cutting the scene by alpha-channel", "", ";AlphaCut", true, 1, "Alpha Cut", "Cut Alpha chanal"},
    {"UseGlass", FourCC("UsGl"), &P::UseGlass, PK::Byte, ST::Integer, 1, Flag, 0, 1, Material, 1056,
     "Use glass", "", "", ";UseGlass", true, 2, "Use Glass", "Use Glass"},
    {"EffectKind", FourCC("EfKn"), &P::EffectKind, PK::Byte, ST::Integer, 2, Span, 1, 3, Main, 1036,
     "Effect kind:", "The Rimelace effect kind", "", ";EffectKind", true, 1, "Effect Kind", "Effect Kind"},
    {"Turn", FourCC("Turn"), &P::Turn, PK::Float, ST::UnitFloat, 180, Span, -360, 360, Geometry, 1046,
     "Turn main", "Declination of Rimelace branch", "Turn1", ";Turn", true, 1, "Turn", "Turn"},
    {"Turn1", FourCC("Trn1"), &P::Turn1, PK::Float, ST::UnitFloat, 180, Span, -360, 360, Geometry, 1047,
     "Turn add", "Second declination of Rimelace branch", "Turn 2", ";Turn1", true, 1, "Turn 1", "Turn 1"},
    {"MaxTriangles1", FourCC("MxT1"), &P::MaxTriangles1, PK::Integer, ST::Integer, 15, Span, 10, 40, Geometry, 1040,
     "N triangles 2", "Maximal posible namber of triangles in each subbranch", "Max triangles 2", ";MaxTriangles1", true,
     1, "Max Trngls 1", "Max number of triangless 1"},
    {"RotateX", FourCC("RttX"), &P::RotateX, PK::Float, ST::UnitFloat, 0, Angle, 0, 0, Geometry, 9025,
     "Rotation by X", "Rotation by X", "Rotation by X", ";RotateX", true, 1, "Rotate", "Rotation"},
    {"Alpha", FourCC("Alph"), &P::Alpha, PK::Float, ST::UnitFloat, 0, Angle, 0, 0, None, 0,
     "", "", "", ";Alpha", false, 0, "", ""},
    {"Beta", FourCC("Beta"), &P::Beta, PK::Float, ST::UnitFloat, 45, Angle, 0, 0, None, 0,
     "", "", "", ";Beta", false, 0, "", ""},
    {"Color", FourCC("Colr"), &P::Color, PK::Integer, ST::Integer, 0x00FFFF, Colour, 0, kColourMax, None, 0,
     "", "", "", ";Color", true, 1, "Color", "Color"},
};
// clang-format on

constexpr const char* kRenderModes[] = {"Rough", "Line", "Wire", "Flat", "Phong"};
constexpr const char* kMaskKinds[] = {"Bottom", "Top", "Top and bottom", "Perimeter", "U-like", "Window", "By selection"};
constexpr const char* kGrowDirects[] = {"Direction 1", "Direction 2", "Direction 3", "Direction 4",
                                        "Direction 5", "Direction 6", "Direction 7", "All directions"};
constexpr const char* kEffects[] = {"Geometric 1", "Geometric 2", "Geometric 3", "Floral 1", "Floral 2",
                                    "Floral 3",    "Single 1",    "Single 2",    "Single 3", "Single 4"};

// Truncation toward zero, saturated to the 32-bit range; NaN gives 0.
std::int32_t TruncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::span<const ParamEntry> ParamTable() { return kParams; }

const ParamEntry* FindParamByKey(std::uint32_t key) {
    for (const ParamEntry& entry : kParams)
        if (entry.key == key) return &entry;
    return nullptr;
}

const ParamEntry* FindParamByField(std::string_view field) {
    for (const ParamEntry& entry : kParams)
        if (field == entry.field) return &entry;
    return nullptr;
}

std::uint32_t DictionaryType(const ParamEntry& entry) {
    switch (entry.scriptType) {
        case ST::Boolean: return FourCC("bool");
        case ST::Integer: return FourCC("long");
        case ST::UnitFloat: return FourCC("doub");
    }
    return FourCC("long");
}

float NarrowToFloat(double value) {
    if (std::isnan(value)) return 0.0f;
    constexpr double kMax = std::numeric_limits<float>::max();
    if (value > kMax && std::isfinite(value)) return std::numeric_limits<float>::max();
    if (value < -kMax && std::isfinite(value)) return -std::numeric_limits<float>::max();
    return static_cast<float>(value);
}

std::int32_t GetInteger(const RimelaceParams& params, const ParamEntry& entry) {
    switch (entry.ref.type) {
        case FieldType::U8: return params.*entry.ref.u8;
        case FieldType::I32: return params.*entry.ref.i32;
        case FieldType::F32: return TruncateToInt32(params.*entry.ref.f32);
    }
    return 0;
}

double GetFloat(const RimelaceParams& params, const ParamEntry& entry) {
    switch (entry.ref.type) {
        case FieldType::U8: return params.*entry.ref.u8;
        case FieldType::I32: return params.*entry.ref.i32;
        case FieldType::F32: return params.*entry.ref.f32;
    }
    return 0;
}

void SetInteger(RimelaceParams& params, const ParamEntry& entry, std::int32_t value) {
    switch (entry.ref.type) {
        case FieldType::U8: params.*entry.ref.u8 = static_cast<std::uint8_t>(value & 0xFF); break;
        case FieldType::I32: params.*entry.ref.i32 = value; break;
        case FieldType::F32: params.*entry.ref.f32 = static_cast<float>(value); break;
    }
}

void SetFloat(RimelaceParams& params, const ParamEntry& entry, double value) {
    if (entry.ref.type == FieldType::F32)
        params.*entry.ref.f32 = NarrowToFloat(value);
    else
        SetInteger(params, entry, TruncateToInt32(value));
}

void SetDefault(RimelaceParams& params, const ParamEntry& entry) { SetFloat(params, entry, entry.defaultValue); }

void ResetParams(RimelaceParams& params) {
    for (const ParamEntry& entry : kParams) SetDefault(params, entry);
    params.SceneDirty = 1;
    params.BumpImage = nullptr;
}

std::span<const char* const> RenderModeLabels() { return kRenderModes; }
std::span<const char* const> MaskKindLabels() { return kMaskKinds; }
std::span<const char* const> GrowDirectLabels() { return kGrowDirects; }
std::span<const char* const> EffectLabels() { return kEffects; }

EffectPair EffectFromIndex(int index) {
    if (index < 0 || index > 9) index = 0;
    if (index <= 2) return {1, static_cast<std::uint8_t>(index + 1)};
    if (index <= 5) return {2, static_cast<std::uint8_t>(index - 2)};
    return {3, static_cast<std::uint8_t>(index - 5)};
}

int EffectIndex(std::uint8_t effectKind, std::uint8_t patternKind) {
    switch (effectKind) {
        case 1: return patternKind - 1;
        case 2: return patternKind + 2;
        case 3: return patternKind + 5;
        default: return 0;
    }
}
