// The plug-in's descriptor reader (and writer) through the stand-in host and the real module: a
// replayed descriptor of any keys, types, units and values, in any order and number, with any
// dialog option. The host cancels the run before the first strip is rendered, so each input costs
// the reading at start and the writing at finish only. Besides the sanitizers' findings it checks
// that the run ends with the cancel (or the host's own complaint about a mistyped value) and that
// what the plug-in records has only its own keys, each with its own type.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "params/param_table.h"
#include "host/standin/standin.h"

namespace {

constexpr DescriptorTypeID kTypes[] = {typeBoolean, typeInteger, typeUnitFloat, typeFloat, typeText,
                                       typeEnumerated, typeObject, typeType, typeAlias, FourCC("comp")};

standin::Host& TheHost() {
    static standin::Host* host = [] {
        standin::HostOptions options;
        options.kind = standin::HostKind::NoAdvanceState;  // start reads, continue cancels, finish writes
        options.parametersCall = standin::ParametersCall::Never;
        options.abort = [] { return true; };
        auto* made = new standin::Host(options);
        std::string error;
        if (!made->Load(RIMELACE_MODULE, &error)) std::abort();
        return made;
    }();
    return *host;
}

DescriptorTypeID ExpectedType(const ParamEntry& entry) {
    switch (entry.scriptType) {
        case ScriptType::Boolean: return typeBoolean;
        case ScriptType::Integer: return typeInteger;
        case ScriptType::UnitFloat: return typeUnitFloat;
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const auto table = ParamTable();
    standin::RunOptions run;
    run.playInfo = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int16_t>(0, 2) : in.ConsumeIntegral<std::int16_t>();
    standin::Descriptor descriptor;
    const int count = in.ConsumeIntegralInRange(0, 80);
    for (int i = 0; i < count && in.remaining_bytes() > 0; ++i) {
        standin::DescriptorItem item;
        item.key = in.ConsumeBool() ? table[in.ConsumeIntegralInRange<std::size_t>(0, table.size() - 1)].key
                                    : in.ConsumeIntegral<std::uint32_t>();
        item.type = in.ConsumeBool() ? kTypes[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kTypes) - 1)]
                                     : in.ConsumeIntegral<std::uint32_t>();
        item.unit = in.ConsumeBool() ? unitDistance : in.ConsumeIntegral<std::uint32_t>();
        item.number = in.ConsumeBool() ? double(in.ConsumeIntegral<std::int64_t>()) : in.ConsumeFloatingPoint<double>();
        descriptor.items.push_back(item);
    }
    run.replay = descriptor;
    standin::Image image = standin::Image::Make(3, 2, 3, 8);
    const standin::RunResult result = TheHost().Run(image, run);
    // The cancel, or the failure the host's close of the descriptor reported (a value read with
    // the wrong getter), which ends the start before the cancel.
    if (result.code != userCanceledErr && result.code != paramErr) {
        std::fprintf(stderr, "run ended with %d: %s\n", int(result.code), result.error.c_str());
        std::abort();
    }
    if (result.recorded) {
        for (const standin::DescriptorItem& item : result.recorded->items) {
            const ParamEntry* entry = FindParamByKey(item.key);
            if (!entry || !entry->scriptWritten || item.type != ExpectedType(*entry)) std::abort();
        }
    }
    TheHost().ResetPluginState();  // the next input starts from the defaults again
    return 0;
}
