// The preset reader under any bytes: with or without a valid header, long lines, control bytes,
// numbers of every shape. Besides the sanitizers' findings it checks that whatever the reader
// stored is written and read back to the same record (integers and bytes exactly, floats to the
// six decimals the file keeps).
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "params/param_table.h"
#include "params/preset_file.h"

namespace {

RimelaceParams Defaults() {
    RimelaceParams params;
    std::memset(static_cast<void*>(&params), 0, sizeof params);
    ResetParams(params);
    return params;
}

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    RimelaceParams params = Defaults();
    MemoryPresetInput in(bytes);
    if (!CheckPresetHeader(in)) {
        // The caller would stop here; the reader itself must still cope with any lines.
        MemoryPresetInput raw(bytes);
        ReadPreset(params, raw);
    } else {
        ReadPreset(params, in);
    }

    StringPresetOutput out;
    Check(WritePresetHeader(out) && WritePreset(params, out));
    RimelaceParams again = Defaults();
    MemoryPresetInput back(out.Bytes());
    Check(CheckPresetHeader(back));
    ReadPreset(again, back);
    for (const ParamEntry& entry : ParamTable()) {
        if (entry.ref.type != FieldType::F32) {
            Check(GetInteger(params, entry) == GetInteger(again, entry));
            continue;
        }
        const double a = GetFloat(params, entry), b = GetFloat(again, entry);
        Check(std::isfinite(a) && std::isfinite(b));
        Check(std::fabs(a - b) <= 5e-7 + std::fabs(a) * 1e-6);
    }
    return 0;
}
