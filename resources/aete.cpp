#include "params/param_table.h"
#include "resources/plugin_resources.h"
#include "resources/resource_bytes.h"

std::vector<std::uint8_t> BuildAete() {
    ResourceBytes out;
    for (std::uint16_t value : {1, 1, 0, 0}) out.U16(value);  // Windows prefix, version, language, script
    out.U16(1);                                               // suites

    out.PascalString("Corvanta");
    out.PascalString("Corvanta plug-ins");
    out.U32(FourCC("Plp3"));
    out.U16(1);  // level
    out.U16(1);  // version
    out.U16(1);  // events

    out.PascalString("Rimelace");
    out.PascalString("Rimelaces filter plug-in");
    out.U32(FourCC("Plp3"));  // class
    out.U32(FourCC("Plp3"));  // event
    out.U32(FourCC("null"));  // reply type, description, flags
    out.PascalString("");
    out.U16(0);
    out.U32(FourCC("#ImR"));  // direct parameter type, description, flags
    out.PascalString("");
    out.U16(0xB000);

    std::uint16_t count = 0;
    for (const ParamEntry& entry : ParamTable()) count = static_cast<std::uint16_t>(count + entry.dictionaryCount);
    out.U16(count);
    for (const ParamEntry& entry : ParamTable()) {
        for (int i = 0; i < entry.dictionaryCount; ++i) {
            out.PascalString(entry.dictionaryName);
            out.U32(entry.key);
            out.U32(DictionaryType(entry));
            out.PascalString(entry.dictionaryDescription);
            out.U16(0);
        }
    }

    out.U16(0);  // classes
    out.U16(0);  // comparison operators
    out.U16(0);  // enumerations
    return out.Take();
}
