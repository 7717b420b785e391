// Hosts that differ in their details, posed by the stand-in host over the real module: handle
// suites that answer sizes wrongly, a host that loads the module again between runs, images past
// 16-bit coordinates, and the host's masking of the output by the selection.
#include "host/standin/standin.h"
#include "params/params.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#if defined(__linux__)
#include <sys/resource.h>
#endif
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RIMELACE_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define RIMELACE_ASAN 1
#endif

namespace {

using standin::Host;
using standin::HostKind;
using standin::HostOptions;
using standin::Image;

std::unique_ptr<Host> LoadedHost(HostOptions options = {}) {
    auto host = std::make_unique<Host>(std::move(options));
    std::string error;
    EXPECT_TRUE(host->Load(LORVEX_MODULE_PATH, &error)) << error;
    return host;
}

Image Picture(std::int32_t width, std::int32_t height, std::int16_t planes, std::int32_t depth, unsigned seed) {
    Image image = Image::Make(width, height, planes, depth);
    std::mt19937 random(seed);
    const std::uint32_t top = depth == 16 ? 32768 : 255;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            for (std::int16_t p = 0; p < planes; ++p)
                image.SetSample(x, y, p, p == 3 ? top : (x * 7 + y * 3 + p * 50 + random() % 16) % (top + 1));
    return image;
}

Image Filtered(HostOptions options, Image image, const standin::RunOptions& run = {}) {
    auto host = LoadedHost(std::move(options));
    const standin::RunResult result = host->Run(image, run);
    EXPECT_EQ(result.code, noErr) << result.error;
    return image;
}

standin::DescriptorItem IntegerItem(std::uint32_t key, double value) {
    standin::DescriptorItem item;
    item.key = key;
    item.type = typeInteger;
    item.number = value;
    return item;
}

double Recorded(const standin::RunResult& result, std::uint32_t key) {
    if (!result.recorded) return -1;
    for (const standin::DescriptorItem& item : result.recorded->items)
        if (item.key == key) return item.number;
    return -1;
}

// A replay that changes the seed, so that a later run shows whether it found the record again.
standin::RunOptions SeedReplay(int seed) {
    standin::RunOptions run;
    run.replay = standin::Descriptor{{IntegerItem(FourCC("RndS"), seed)}};
    return run;
}

TEST(HostPosesTest, AHandleSuiteThatAnswersSizeZeroStillRunsAndKeepsTheParameters) {
    HostOptions options;
    options.handleSizesAnswerZero = true;
    options.outputStartsAsInput = false;
    auto host = LoadedHost(options);
    const Image original = Picture(40, 30, 3, 8, 1);
    for (HostKind kind : {HostKind::Photoshop, HostKind::NoAdvanceState}) {
        host->Options().kind = kind;
        Image image = original;
        standin::RunResult first = host->Run(image, SeedReplay(17));
        ASSERT_EQ(first.code, noErr) << first.error;
        EXPECT_EQ(image.data, Filtered({}, original, SeedReplay(17)).data);
        standin::RunResult second = host->Run(image);  // no replay: the record of the first run
        ASSERT_EQ(second.code, noErr) << second.error;
        EXPECT_EQ(Recorded(second, FourCC("RndS")), 17);
    }
}

// The module's file copied beside it under another name, so that loading it gives a second copy
// of the module with its own module state.
class ModuleCopy {
public:
    ModuleCopy() {
        const std::filesystem::path module(LORVEX_MODULE_PATH);
        path_ = module.parent_path() / ("copy_" + module.filename().string());
        std::filesystem::copy_file(module, path_, std::filesystem::copy_options::overwrite_existing);
    }
    ~ModuleCopy() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

TEST(HostPosesTest, HandlesOfTheMemoryFallbackAreRecognisedByAnotherCopyOfTheModule) {
    ModuleCopy copy;
    struct Pose {
        bool handleProcs, sizesAnswerZero;
    };
    for (Pose pose : {Pose{false, false}, Pose{true, true}}) {
        HostOptions options;
        options.handleProcs = pose.handleProcs;
        options.handleSizesAnswerZero = pose.sizesAnswerZero;
        auto host = LoadedHost(options);
        Image image = Picture(16, 12, 3, 8, 2);
        standin::RunResult first = host->Run(image, SeedReplay(23));
        ASSERT_EQ(first.code, noErr) << first.error;
        for (const std::string& module : {copy.Path(), std::string(LORVEX_MODULE_PATH)}) {
            std::string error;
            ASSERT_TRUE(host->Reload(module, &error)) << error;
            standin::RunResult again = host->Run(image);
            ASSERT_EQ(again.code, noErr) << module << ": " << again.error;
            EXPECT_EQ(Recorded(again, FourCC("RndS")), 23) << module;
        }
    }
}

// Every column and row of a picture wider or taller than 16-bit coordinates reach is written
// (the host's output starts all zero here); strips give the same bytes as one pass.
TEST(HostPosesTest, ImagesPast32767PixelsAreFilteredThrough32BitRectangles) {
    struct Size {
        std::int32_t width, height;
    };
    for (Size size : {Size{40000, 12}, Size{10, 33000}}) {
        // A short path: along the tall picture's long sides the pattern would reach the triangle
        // limit, whose warning is a modal message box on Windows.
        standin::RunOptions cheap;
        cheap.replay = standin::Descriptor{{IntegerItem(FourCC("MxIt"), 3)}};
        if (size.height > size.width) cheap.replay->items.push_back(IntegerItem(FourCC("MskK"), 1));
        const Image original = Picture(size.width, size.height, 3, 8, 3);
        HostOptions options;
        options.outputStartsAsInput = false;
        const Image whole = Filtered(options, original, cheap);
        ASSERT_EQ(whole.data.size(), original.data.size());
        std::size_t farSamples = 0, farWritten = 0, farChanged = 0;
        for (std::int32_t y = size.height > 32768 ? 32768 : 0; y < size.height; ++y)
            for (std::int32_t x = size.width > 32768 ? 32768 : 0; x < size.width; ++x)
                for (int p = 0; p < 3; ++p) {
                    ++farSamples;
                    farWritten += whole.Sample(x, y, p) != 0;
                    farChanged += whole.Sample(x, y, p) != original.Sample(x, y, p);
                }
        const std::string what = std::to_string(size.width) + " x " + std::to_string(size.height);
        EXPECT_GT(farWritten, farSamples * 9 / 10) << what;
        // Along the wide picture's border the pattern reaches past 32768 too.
        if (size.width > 32768) {
            EXPECT_GT(farChanged, farSamples / 10) << what;
        }

        HostOptions strips = options;
        strips.kind = HostKind::NoAdvanceState;
        strips.maxSpace = size.width * 7 * (size.height / 3 + 1);
        EXPECT_EQ(Filtered(strips, original, cheap).data, whole.data) << what;
    }
    HostOptions sixteenBit;
    sixteenBit.bigDocument = false;
    auto host = LoadedHost(sixteenBit);
    Image image = Picture(40000, 2, 3, 8, 4);
    const standin::RunResult refused = host->Run(image);
    EXPECT_NE(refused.code, noErr);
    EXPECT_NE(refused.error.find("32-bit"), std::string::npos) << refused.error;
}

// A host that serves one plane per request: the planes are fetched and handed back one by one,
// with the same result as a host that serves them all at once.
TEST(HostPosesTest, AHostThatServesOnePlanePerRequestGetsTheSameResult) {
    for (std::int16_t planes : {3, 4, 5})
        for (std::int32_t depth : {8, 16})
            for (std::int32_t maxSpace : {1 << 24, 1}) {  // one strip, or a strip a row
                Image original = Picture(20, 9, planes, depth, 7 + unsigned(planes));
                original.mask.assign(20 * 9, 0);
                for (std::size_t i = 40; i < 140; ++i) original.mask[i] = 255;
                HostOptions options;
                options.outputStartsAsInput = false;
                options.maxSpace = maxSpace;
                const Image reference = Filtered(options, original);
                options.singlePlaneRequests = true;
                EXPECT_EQ(Filtered(options, original).data, reference.data)
                    << planes << " planes, depth " << depth << ", max space " << maxSpace;
            }
}

// With autoMask left set, the host masks the output: unselected pixels keep their values exactly
// and a grey selection moves each sample that part of the way.
TEST(HostPosesTest, TheHostMasksTheOutputByTheSelectionsValue) {
    for (std::int32_t depth : {8, 16}) {
        const Image plain = Picture(48, 40, 3, depth, 5);
        Image full = plain;
        full.mask.assign(std::size_t(48 * 40), 255);
        const Image unmasked = Filtered({}, full);
        Image grey = plain;
        grey.mask.resize(full.mask.size());
        for (std::size_t i = 0; i < grey.mask.size(); ++i) grey.mask[i] = std::uint8_t((i * 37) % 256);
        grey.mask[0] = 0;
        grey.mask[1] = 255;
        const Image masked = Filtered({}, grey);
        std::size_t unselectedChanged = 0, mismatches = 0;
        for (std::int32_t y = 0; y < 40; ++y)
            for (std::int32_t x = 0; x < 48; ++x)
                for (int p = 0; p < 3; ++p) {
                    const std::int64_t m = grey.mask[std::size_t(y) * 48 + x];
                    const std::int64_t before = plain.Sample(x, y, p), after = unmasked.Sample(x, y, p);
                    const std::int64_t delta = (after - before) * m;
                    const std::int64_t expected = before + (delta >= 0 ? (delta + 127) / 255 : -((-delta + 127) / 255));
                    if (m == 0 && masked.Sample(x, y, p) != plain.Sample(x, y, p)) ++unselectedChanged;
                    if (masked.Sample(x, y, p) != expected) ++mismatches;
                }
        EXPECT_EQ(unselectedChanged, 0u) << depth;
        EXPECT_EQ(mismatches, 0u) << depth;
        EXPECT_NE(unmasked.data, plain.data) << depth;
    }
}

#if defined(__linux__) && !defined(RIMELACE_ASAN)
// The address space this process uses now, in bytes.
std::uint64_t AddressSpaceInUse() {
    std::ifstream statm("/proc/self/statm");
    std::uint64_t pages = 0;
    statm >> pages;
    return pages * 4096;
}

// The run of the test below, in its own process: returns the host's result code.
int RunWithTooLittleAddressSpace() {
    HostOptions options;
    options.maxSpace = 1;  // one row a strip: many strips in one pass
    auto host = LoadedHost(options);
    Image image = Picture(1500, 1000, 3, 8, 6);  // the driver asks for 2 x 6 MB
    const std::uint64_t hostBuffers = 2 * image.data.size();  // the output copy and the input served
    rlimit limit{};
    limit.rlim_cur = AddressSpaceInUse() + hostBuffers + (3u << 20);
    limit.rlim_max = RLIM_INFINITY;
    setrlimit(RLIMIT_AS, &limit);
    return host->Run(image).code;
}

// A strip whose working buffers cannot be allocated fails the run with memFullErr; the strips
// after it must not turn that into a cancel. The address space is limited so that the host's
// own buffers fit and the plug-in's do not (in a child process).
TEST(HostPosesTest, OutOfMemoryInOneOfSeveralStripsIsReportedAsSuch) {
    EXPECT_EXIT(
        {
            const int code = RunWithTooLittleAddressSpace();
            std::fprintf(stderr, "result %d\n", code);
            std::exit(code == memFullErr ? 0 : 1);
        },
        testing::ExitedWithCode(0), "result -108");
}
#endif

}  // namespace
