#pragma once
// The one table of the effect's parameters. Every effect field that presets and scripts carry
// has one row here: its four-character key, how it is stored and exchanged, its default, the
// dialog's range and texts, the preset comment and the dictionary entry. The record's defaults,
// the preset reader and writer, the scripting reader and writer and the dictionary resource are
// loops over this table; the dialog binds its controls through it.
//
// Rows are in preset-file order. The scripting writer emits the rows with `scriptWritten` in
// this same order; the dictionary lists them in this order too (a row may be listed twice,
// see `dictionaryCount`).

#include "params/four_cc.h"
#include "params/params.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// How the field is declared in RimelaceParams.
enum class FieldType : std::uint8_t { U8, I32, F32 };

// A field of RimelaceParams, reached by member pointer; the constructor picks the type.
struct FieldRef {
    FieldType type;
    std::uint8_t RimelaceParams::* u8 = nullptr;
    std::int32_t RimelaceParams::* i32 = nullptr;
    float RimelaceParams::* f32 = nullptr;

    constexpr FieldRef(std::uint8_t RimelaceParams::* m) : type(FieldType::U8), u8(m) {}
    constexpr FieldRef(std::int32_t RimelaceParams::* m) : type(FieldType::I32), i32(m) {}
    constexpr FieldRef(float RimelaceParams::* m) : type(FieldType::F32), f32(m) {}
};

// Line kind in the preset file: byte ("%d", low 8 bits), integer ("%d"), float ("%f").
enum class PresetKind : std::uint8_t { Byte, Integer, Float };

// Descriptor type used by the scripting reader and writer. (Include this header before
// plugin/host_interface.h: otherwise -Wshadow reports `Boolean` against the host's type name.)
enum class ScriptType : std::uint8_t { Boolean, Integer, UnitFloat };

// What the dialog's control offers.
enum class RangeKind : std::uint8_t {
    Span,    // a spin edit from rangeMin to rangeMax
    List,    // a drop-down list; values rangeMin..rangeMax are list index + 1
    Flag,    // a check box, 0/1
    Colour,  // a colour container, 0x000000..0xFFFFFF (0x00BBGGRR)
    Angle,   // a rotor, degrees, no limits (rangeMin/rangeMax unused)
};

// Where the dialog shows the field (the geometry page's changes make the scene stale).
enum class DialogPage : std::uint8_t { None, Main, Geometry, Material };

struct ParamEntry {
    const char* field;        // the record field's name, letter for letter
    std::uint32_t key;        // four-character code in reading order
    FieldRef ref;
    PresetKind presetKind;
    ScriptType scriptType;
    double defaultValue;
    RangeKind rangeKind;
    double rangeMin;
    double rangeMax;
    DialogPage page;
    int controlId;            // dialog control id; 0 when the dialog does not edit the field
    const char* label;        // dialog label ("" when not edited)
    const char* tooltip;      // dialog tooltip ("" when none)
    const char* valueName;    // name in the "Set value" dialog ("" when none)
    const char* presetComment;  // preset comment name (";Width"); "" writes no comment at all
    bool scriptWritten;       // written into the script descriptor (all rows are read)
    int dictionaryCount;      // times the dictionary lists this row: 0, 1 or 2
    const char* dictionaryName;
    const char* dictionaryDescription;
};

constexpr std::size_t kParamCount = 46;

// The table, in preset-file order.
std::span<const ParamEntry> ParamTable();

// Lookups; nullptr when there is no such row. Field names match exactly.
const ParamEntry* FindParamByKey(std::uint32_t key);
const ParamEntry* FindParamByField(std::string_view field);

// Dictionary type code of a row: 'bool', 'long' or 'doub' after its script type.
std::uint32_t DictionaryType(const ParamEntry& entry);

// ---- Field access ------------------------------------------------------------------------
// Integer view: bytes widened, integers as stored, floats truncated toward zero (saturated).
std::int32_t GetInteger(const RimelaceParams& params, const ParamEntry& entry);
// Float view: the field widened to double.
double GetFloat(const RimelaceParams& params, const ParamEntry& entry);
// Stores an integer: a byte field takes the low 8 bits; a float field takes the value.
void SetInteger(RimelaceParams& params, const ParamEntry& entry, std::int32_t value);
// Stores a double: a float field takes it narrowed (see NarrowToFloat); an integer or byte
// field takes it truncated toward zero and saturated to 32 bits (then the low byte).
void SetFloat(RimelaceParams& params, const ParamEntry& entry, double value);
// Stores the row's default.
void SetDefault(RimelaceParams& params, const ParamEntry& entry);

// Double to f32 without undefined behaviour: finite values beyond the f32 range saturate to
// the largest f32 of that sign, NaN becomes 0.
float NarrowToFloat(double value);

// ---- List values -------------------------------------------------------------------------
std::span<const char* const> RenderModeLabels();  // "Rough" .. "Phong"; index = RenderMode - 1
std::span<const char* const> MaskKindLabels();    // "Bottom" .. "By selection"; index = MaskKind - 1
std::span<const char* const> GrowDirectLabels();  // "Direction 1" .. "All directions"
std::span<const char* const> EffectLabels();      // "Geometric 1" .. "Single 4"

struct EffectPair {
    std::uint8_t effectKind;
    std::uint8_t patternKind;
};
// Effect list index (0..9) to (EffectKind, PatternKind); indices outside 0..9 give entry 0.
EffectPair EffectFromIndex(int index);
// (EffectKind, PatternKind) to the effect list index; 0 for an EffectKind outside 1..3. The
// result may lie outside 0..9 for a PatternKind outside its kind's variants.
int EffectIndex(std::uint8_t effectKind, std::uint8_t patternKind);
