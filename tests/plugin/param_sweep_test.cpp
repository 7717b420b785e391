// Every scripting key at values a recorded action may carry but the dialog never offers: one
// below and one above the dialog's range, 0, the extremes of its type and, for floats, NaN and
// the infinities. Each value is replayed into the real module through the stand-in host over a
// small picture; the run must end, with noErr.
// (The command line's own paths, --set, preset files and action files, and larger pictures are
// swept by scripts/param-sweep.py.)
#include "params/param_table.h"
#include "host/standin/standin.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

// The values tried for a row, as the descriptor carries them (doubles for unit floats).
std::vector<double> SweepValues(const ParamEntry& entry) {
    std::vector<double> values = {0};
    if (entry.rangeKind != RangeKind::Angle) {
        values.push_back(entry.rangeMin - 1);
        values.push_back(entry.rangeMax + 1);
    } else {
        values.push_back(-1e9);
        values.push_back(1e9);
    }
    switch (entry.scriptType) {
        case ScriptType::Boolean: values = {0, 1}; break;
        case ScriptType::Integer:
            values.push_back(std::numeric_limits<std::int32_t>::min());
            values.push_back(std::numeric_limits<std::int32_t>::max());
            values.push_back(-1);
            values.push_back(256);
            break;
        case ScriptType::UnitFloat:
            values.push_back(-FLT_MAX);
            values.push_back(FLT_MAX);
            values.push_back(-DBL_MAX);
            values.push_back(DBL_MAX);
            values.push_back(std::numeric_limits<double>::quiet_NaN());
            values.push_back(std::numeric_limits<double>::infinity());
            values.push_back(-std::numeric_limits<double>::infinity());
            values.push_back(FLT_MIN / 2);
            break;
    }
    return values;
}

standin::DescriptorItem Item(const ParamEntry& entry, double value) {
    standin::DescriptorItem item;
    item.key = entry.key;
    item.number = value;
    switch (entry.scriptType) {
        case ScriptType::Boolean: item.type = typeBoolean; break;
        case ScriptType::Integer: item.type = typeInteger; break;
        case ScriptType::UnitFloat:
            item.type = typeUnitFloat;
            item.unit = unitDistance;
            break;
    }
    return item;
}

standin::Image Picture(std::int32_t width, std::int32_t height) {
    standin::Image image = standin::Image::Make(width, height, 3, 8);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            for (int p = 0; p < 3; ++p) image.SetSample(x, y, p, (x * 5 + y * 3 + p * 70) % 256);
    image.mask.assign(std::size_t(width) * height, 0);  // a selection, for "By selection"
    for (std::int32_t y = height / 4; y < height * 3 / 4; ++y)
        for (std::int32_t x = width / 5; x < width * 4 / 5; ++x) image.mask[std::size_t(y) * width + x] = 255;
    return image;
}

// Some rows are swept under a second effect or mask kind too, where their values are used.
std::vector<standin::Descriptor> Contexts() {
    auto with = [](std::vector<std::pair<std::uint32_t, double>> keys) {
        standin::Descriptor d;
        for (auto& [key, value] : keys) d.items.push_back(Item(*FindParamByKey(key), value));
        return d;
    };
    return {
        with({}),  // the defaults: "Floral 3" along "U-like"
        with({{FourCC("EfKn"), 1}, {FourCC("PtrK"), 1}, {FourCC("MskK"), 7}}),  // "Geometric 1" by selection
        with({{FourCC("EfKn"), 3}, {FourCC("PtrK"), 4}, {FourCC("UsGl"), 1}}),  // "Single 4" with glass
    };
}

TEST(ParamSweep, EveryKeyAtEveryOddValueRendersAndEnds) {
    const standin::Image picture = Picture(64, 48);
    standin::HostOptions options;
    options.parametersCall = standin::ParametersCall::Never;
    standin::Host host(options);
    std::string error;
    ASSERT_TRUE(host.Load(RIMELACE_MODULE, &error)) << error;
    double slowest = 0;
    std::string slowestCase;
    const std::vector<standin::Descriptor> contexts = Contexts();
    for (std::size_t c = 0; c < contexts.size(); ++c)
        for (const ParamEntry& entry : ParamTable())
            for (double value : SweepValues(entry)) {
                standin::RunOptions run;
                run.replay = contexts[c];
                run.replay->items.push_back(Item(entry, value));
                standin::Image image = picture;
                const auto start = std::chrono::steady_clock::now();
                const standin::RunResult result = host.Run(image, run);
                const double seconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                const std::string what = std::string(entry.field) + " = " + std::to_string(value) + " in context " +
                                         std::to_string(c);
                if (seconds > slowest) {
                    slowest = seconds;
                    slowestCase = what;
                }
                ASSERT_EQ(result.code, noErr) << what << ": " << result.error;
                host.ResetPluginState();  // the next case starts from the defaults
            }
    // Not an assertion: times are for benchmarks; this says where to look.
    std::printf("slowest run: %.2f s for %s\n", slowest, slowestCase.c_str());
}

}  // namespace
