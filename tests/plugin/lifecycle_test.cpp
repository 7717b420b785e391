// The filter lifecycle as a host drives it: the real module, loaded by the stand-in host.
#include "host/standin/standin.h"
#include "params/params.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "../ui/controls/window_driver.h"
#endif

#include <cstring>
#include <random>
#include <string>

namespace {

using standin::Host;
using standin::HostKind;
using standin::HostOptions;
using standin::Image;
using standin::ParametersCall;

std::unique_ptr<Host> LoadedHost(HostOptions options = {}) {
    auto host = std::make_unique<Host>(std::move(options));
    std::string error;
    EXPECT_TRUE(host->Load(LORVEX_MODULE_PATH, &error)) << error;
    return host;
}

Image RandomImage(std::int32_t width, std::int32_t height, std::int16_t planes, std::int32_t depth, bool mask,
                  unsigned seed) {
    Image image = Image::Make(width, height, planes, depth);
    std::mt19937 random(seed);
    const std::uint32_t top = depth == 16 ? 32768 : 255;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            for (std::int16_t p = 0; p < planes; ++p) image.SetSample(x, y, p, random() % (top + 1));
    if (mask) {
        image.mask.assign(std::size_t(width) * height, 0);
        for (std::int32_t y = height / 4; y < height * 3 / 4; ++y)
            for (std::int32_t x = width / 4; x < width * 3 / 4; ++x) image.mask[std::size_t(y) * width + x] = 255;
    }
    return image;
}

RimelaceParams ParamsOf(const Host& host) {
    std::vector<std::uint8_t> bytes = host.ParameterBytes();
    RimelaceParams params{};
    EXPECT_EQ(bytes.size(), sizeof(RimelaceParams));
    if (bytes.size() == sizeof(RimelaceParams)) std::memcpy(static_cast<void*>(&params), bytes.data(), sizeof params);
    return params;
}

// Gray images (1 and 2 planes) are passed through after a warning, which is a modal message box on
// Windows; those runs are left to the Linux build.
#ifdef _WIN32
constexpr std::int16_t kFirstPlanes = 3;
#else
constexpr std::int16_t kFirstPlanes = 1;
#endif

// On Windows a run without descriptors asks for the dialog, and the about call shows the about
// box: both are confirmed as a person would, once they are up.
void ConfirmWhenShown(const char* caption) {
#ifdef _WIN32
    WhenWindowAppears(caption, [](HWND window) { SendMessageA(GetDlgItem(window, IDOK), BM_CLICK, 0, 0); });
#else
    (void)caption;
#endif
}

// Whether the window waited for by ConfirmWhenShown came up (always true without windows).
bool WasShown() {
#ifdef _WIN32
    return Fired();
#else
    return true;
#endif
}

// Every strip asks for the whole image as input (the effect is drawn over the whole image and
// each strip's rows are written from it): one served in rectangle per strip, each the whole height.
void ExpectStripsCover(const standin::RunTrace& trace, int height, int rowsPerStrip) {
    const std::size_t strips = std::size_t((height + rowsPerStrip - 1) / rowsPerStrip);
    EXPECT_EQ(trace.inRects.size(), strips);
    for (const Rect& r : trace.inRects) {
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.bottom, height);
    }
}

// What the filter makes of an image when a host hands it over whole, in one pass: the output
// every other host path must match byte for byte (other image modes pass through unchanged).
Image Reference(const Image& original) {
    standin::Host host;
    std::string error;
    EXPECT_TRUE(host.Load(LORVEX_MODULE_PATH, &error)) << error;
    Image image = original;
    const standin::RunResult result = host.Run(image);
    EXPECT_EQ(result.code, noErr) << result.error;
    return image;
}

TEST(LifecycleTest, UnknownSelectorsGiveBadParametersAndLeaveTheParametersAlone) {
    auto host = LoadedHost();
    ASSERT_TRUE(host->Loaded());
    Image image = RandomImage(9, 7, 3, 8, false, 1);
    ASSERT_EQ(host->Run(image).code, noErr);
    const std::vector<std::uint8_t> before = host->ParameterBytes();
    ASSERT_FALSE(before.empty());
    for (std::int16_t selector : {std::int16_t(6), std::int16_t(-1), std::int16_t(100), std::int16_t(-32768)}) {
        EXPECT_EQ(host->CallSelector(selector, image), filterBadParameters) << selector;
        EXPECT_EQ(host->ParameterBytes(), before) << selector;
    }
    EXPECT_EQ(host->Run(image).code, noErr);  // the plug-in still works afterwards
}

TEST(LifecycleTest, FirstStartWithoutAParametersCallCreatesTheDefaults) {
    HostOptions options;
    options.parametersCall = ParametersCall::Never;
    auto host = LoadedHost(options);
    ASSERT_TRUE(host->Loaded());
    EXPECT_TRUE(host->ParameterBytes().empty());
    Image image = RandomImage(12, 10, 3, 8, false, 2);
    standin::RunResult result = host->Run(image);
    ASSERT_EQ(result.code, noErr) << result.error;
    EXPECT_EQ(result.trace.selectors, (std::vector<std::int16_t>{2, 3, 5}));

    RimelaceParams defaults{};
    ResetParams(defaults);
    const RimelaceParams params = ParamsOf(*host);
    EXPECT_EQ(params.RandomSeed, defaults.RandomSeed);
    EXPECT_EQ(params.EffectKind, defaults.EffectKind);
    EXPECT_EQ(params.MaskKind, defaults.MaskKind);
    EXPECT_EQ(params.Width, defaults.Width);
    EXPECT_EQ(params.CenterX, defaults.CenterX);
    EXPECT_EQ(params.Color, defaults.Color);
    EXPECT_EQ(params.RowsPerChunk, 10);
    EXPECT_EQ(params.UseAdvanceState, 1);
    EXPECT_EQ(params.HostIsPremiere, 0);  // no version resource to identify the host by
    EXPECT_EQ(params.SceneDirty, 0);  // the final render grew the scene and cached it
    EXPECT_GT(params.SceneTriangleCount, 0);
}

TEST(LifecycleTest, TheParametersSelectorRequestsTheDialogAndStartClearsTheRequest) {
    auto host = LoadedHost();
    ASSERT_TRUE(host->Loaded());
    Image image = RandomImage(5, 4, 3, 8, false, 3);
    standin::RunResult result = host->Run(image);
    ASSERT_EQ(result.code, noErr) << result.error;
    EXPECT_EQ(result.trace.selectors, (std::vector<std::int16_t>{1, 2, 3, 5}));
    EXPECT_EQ(ParamsOf(*host).QueryForParameters, 0);
}

TEST(LifecycleTest, PhotoshopLikeHostGetsTheWholeImageInOnePass) {
    auto host = LoadedHost();
    ASSERT_TRUE(host->Loaded());
    Image image = RandomImage(31, 17, 4, 8, false, 4);
    standin::RunResult result = host->Run(image);
    ASSERT_EQ(result.code, noErr) << result.error;
    EXPECT_EQ(result.trace.advanceStateCalls, 1);
    EXPECT_EQ(result.trace.continueCalls, 0);
    ExpectStripsCover(result.trace, 17, 17);
    EXPECT_EQ(ParamsOf(*host).RowsPerChunk, 17);
}

TEST(LifecycleTest, TinyMaxSpaceGivesOneRowStripsAndEveryStripIsWalked) {
    for (HostKind kind : {HostKind::NoAdvanceState, HostKind::Premiere, HostKind::Photoshop}) {
        HostOptions options;
        options.kind = kind;
        options.maxSpace = 1;
        options.outputStartsAsInput = false;
        auto host = LoadedHost(options);
        ASSERT_TRUE(host->Loaded());
        const Image original = RandomImage(6, 9, 3, 8, false, 5);
        Image image = original;
        standin::RunResult result = host->Run(image);
        ASSERT_EQ(result.code, noErr) << result.error;
        EXPECT_EQ(ParamsOf(*host).RowsPerChunk, 1);
        ExpectStripsCover(result.trace, 9, 1);
        if (kind == HostKind::Photoshop) {
            EXPECT_EQ(result.trace.advanceStateCalls, 9);
            EXPECT_EQ(result.trace.continueCalls, 0);
        } else {
            EXPECT_EQ(result.trace.advanceStateCalls, 0);
            EXPECT_EQ(result.trace.continueCalls, 9);
        }
        EXPECT_EQ(image.data, Reference(original).data) << "every row must be written";
    }
}

TEST(LifecycleTest, StripsOfSeveralRowsEndAtTheFilterBottom) {
    HostOptions options;
    options.kind = HostKind::NoAdvanceState;
    // Bytes per row: width + 2 × width × planes = 10 + 60 = 70; 3 rows fit in 200 bytes.
    options.maxSpace = 200;
    options.outputStartsAsInput = false;
    auto host = LoadedHost(options);
    ASSERT_TRUE(host->Loaded());
    const Image original = RandomImage(10, 8, 3, 8, false, 6);
    Image image = original;
    standin::RunResult result = host->Run(image);
    ASSERT_EQ(result.code, noErr) << result.error;
    EXPECT_EQ(ParamsOf(*host).RowsPerChunk, 3);
    ExpectStripsCover(result.trace, 8, 3);
    EXPECT_EQ(result.trace.continueCalls, 3);
    EXPECT_EQ(image.data, Reference(original).data);
}

TEST(LifecycleTest, EveryHostPathGivesTheOnePassResult) {
    unsigned seed = 10;
    for (HostKind kind : {HostKind::Photoshop, HostKind::Premiere, HostKind::NoAdvanceState})
        for (std::int32_t depth : {8, 16})
            for (std::int16_t planes = kFirstPlanes; planes <= 5; ++planes)
                for (bool mask : {false, true}) {
                    HostOptions options;
                    options.kind = kind;
                    options.outputStartsAsInput = false;  // so that nothing passes by accident
                    auto host = LoadedHost(options);
                    ASSERT_TRUE(host->Loaded());
                    const Image original = RandomImage(13, 11, planes, depth, mask, ++seed);
                    Image image = original;
                    standin::RunResult result = host->Run(image);
                    ASSERT_EQ(result.code, noErr) << result.error;
                    EXPECT_EQ(image.data, Reference(original).data)
                        << "kind " << int(kind) << " depth " << depth << " planes " << planes << " mask " << mask;
                    EXPECT_EQ(image.mask, original.mask);
                }
}

// Hosts differ in what they offer and how they drive the selectors; the filter gives the same
// bytes under each of them.
TEST(LifecycleTest, EveryHostPoseGivesTheOnePassResult) {
    struct Pose {
        const char* name;
        void (*apply)(HostOptions&);
        bool strips;  // the strip path is taken
    };
    const Pose poses[] = {
        {"no bigDocumentData", [](HostOptions& o) { o.bigDocument = false; }, false},
        {"no descriptorParameters", [](HostOptions& o) { o.descriptorParameters = false; }, false},
        {"descriptorParameters without procs", [](HostOptions& o) { o.descriptorProcs = false; }, false},
        {"no basic suite", [](HostOptions& o) { o.basicSuite = false; }, false},
        {"no displayPixels", [](HostOptions& o) { o.displayPixels = false; }, true},
        {"parameters every run, no saved record",
         [](HostOptions& o) {
             o.parametersCall = ParametersCall::EveryRun;
             o.keepParameters = false;
         },
         false},
        {"continue until the right edges are 0",
         [](HostOptions& o) {
             o.kind = HostKind::NoAdvanceState;
             o.maxSpace = 1;
             o.continueUntilRightIsZero = true;
         },
         true},
        {"one pass, continue until the right edges are 0", [](HostOptions& o) { o.continueUntilRightIsZero = true; },
         false},
    };
    for (const Pose& pose : poses) {
        HostOptions options;
        options.outputStartsAsInput = false;
        pose.apply(options);
        auto host = LoadedHost(options);
        ASSERT_TRUE(host->Loaded());
        // Without descriptors the parameters call asks for the dialog; it is confirmed as it comes up.
        const bool dialog = !(options.descriptorParameters && options.descriptorProcs);
        for (int run = 0; run < 2; ++run) {  // the second run starts from what the first left
            const Image original = RandomImage(8, 6, 3, 16, true, 40 + unsigned(run));
            Image image = original;
            if (dialog) ConfirmWhenShown("Rimelace");
            standin::RunResult result = host->Run(image);
            ASSERT_EQ(result.code, noErr) << pose.name << ": " << result.error;
            if (dialog) {
                EXPECT_TRUE(WasShown()) << pose.name << ": no dialog without descriptors";
            }
            EXPECT_EQ(image.data, Reference(original).data) << pose.name;
            EXPECT_EQ(result.trace.continueCalls > 0, pose.strips) << pose.name;
            EXPECT_EQ(result.recorded.has_value(), options.descriptorParameters && options.descriptorProcs)
                << pose.name;
        }
    }
}

TEST(LifecycleTest, HandlesFallBackToGlobalMemoryWhenTheHostSuiteIsUnusable) {
    struct Suite {
        bool present;
        std::int16_t version, count;
    };
    for (Suite suite : {Suite{false, 1, 8}, Suite{true, 2, 8}, Suite{true, 0, 8}, Suite{true, 1, 7}}) {
        HostOptions options;
        options.handleProcs = suite.present;
        options.handleProcsVersion = suite.version;
        options.numHandleProcs = suite.count;
        options.outputStartsAsInput = false;
        auto host = LoadedHost(options);
        ASSERT_TRUE(host->Loaded());
        for (int run = 0; run < 2; ++run) {  // the second run finds the globals and parameters again
            const Image original = RandomImage(7, 5, 3, 8, false, 60 + unsigned(run));
            Image image = original;
            standin::RunResult result = host->Run(image);
            ASSERT_EQ(result.code, noErr) << result.error;
            EXPECT_EQ(image.data, Reference(original).data);
        }
        EXPECT_TRUE(host->ParameterBytes().empty()) << "the parameters must not be a host handle";
    }
}

TEST(LifecycleTest, CancelDuringTheStripPathStillCallsFinishAndLeavesTheImage) {
    HostOptions options;
    options.kind = HostKind::NoAdvanceState;
    options.maxSpace = 1;
    int polls = 0;
    options.abort = [&polls] { return ++polls > 3; };
    auto host = LoadedHost(options);
    ASSERT_TRUE(host->Loaded());
    const Image original = RandomImage(6, 8, 3, 8, false, 70);
    Image image = original;
    standin::RunResult result = host->Run(image);
    EXPECT_EQ(result.code, userCanceledErr);
    EXPECT_FALSE(result.error.empty());
    EXPECT_TRUE(result.trace.finishCalled);
    ASSERT_FALSE(result.trace.selectors.empty());
    EXPECT_EQ(result.trace.selectors.back(), filterSelectorFinish);
    EXPECT_EQ(image.data, original.data);
}

TEST(LifecycleTest, CancelInTheOnePassStartFailsStartAndSkipsFinish) {
    HostOptions options;
    options.abort = [] { return true; };
    options.outputStartsAsInput = false;
    auto host = LoadedHost(options);
    ASSERT_TRUE(host->Loaded());
    const Image original = RandomImage(6, 8, 3, 8, false, 71);
    Image image = original;
    standin::RunResult result = host->Run(image);
    EXPECT_EQ(result.code, userCanceledErr);
    EXPECT_FALSE(result.trace.finishCalled);
    ASSERT_FALSE(result.trace.selectors.empty());
    EXPECT_EQ(result.trace.selectors.back(), filterSelectorStart);
    EXPECT_EQ(image.data, original.data) << "a failed run leaves the image as it was";
}

TEST(LifecycleTest, ParametersPersistBetweenRunsOfOneHost) {
    HostOptions options;
    auto host = LoadedHost(options);
    ASSERT_TRUE(host->Loaded());
    Image image = RandomImage(4, 4, 3, 8, false, 80);
    ASSERT_EQ(host->Run(image).code, noErr);
    const std::vector<std::uint8_t> first = host->ParameterBytes();
    ASSERT_EQ(host->Run(image).code, noErr);
    EXPECT_EQ(host->ParameterBytes(), first);
    host->ResetPluginState();
    EXPECT_TRUE(host->ParameterBytes().empty());
    EXPECT_EQ(host->Run(image).code, noErr);
}

TEST(LifecycleTest, AboutAnswersWithoutCreatingState) {
    auto host = LoadedHost();
    ASSERT_TRUE(host->Loaded());
    ConfirmWhenShown("About Rimelace");
    standin::RunResult result = host->About();
    EXPECT_EQ(result.code, noErr);
    EXPECT_TRUE(WasShown());
    EXPECT_TRUE(host->ParameterBytes().empty());
}

TEST(LifecycleTest, RecordedDescriptorReplaysIntoTheSameFields) {
    auto host = LoadedHost();
    ASSERT_TRUE(host->Loaded());
    Image image = RandomImage(4, 4, 3, 8, false, 90);
    standin::RunResult first = host->Run(image);
    ASSERT_EQ(first.code, noErr);
    if (!first.recorded) GTEST_SKIP() << "this build records no descriptors (scripting layer absent)";
    ASSERT_FALSE(first.recorded->items.empty());

    // Change every recorded value, replay it on a fresh plug-in state, and record again.
    standin::Descriptor changed = *first.recorded;
    for (standin::DescriptorItem& item : changed.items)
        item.number = item.type == typeBoolean ? 1 - item.number : item.number + 1;
    host->ResetPluginState();
    standin::RunOptions replay;
    replay.replay = changed;
    standin::RunResult second = host->Run(image, replay);
    ASSERT_EQ(second.code, noErr) << second.error;
    ASSERT_TRUE(second.recorded);
    ASSERT_EQ(second.recorded->items.size(), changed.items.size());
    for (std::size_t i = 0; i < changed.items.size(); ++i) {
        EXPECT_EQ(second.recorded->items[i].key, changed.items[i].key);
        EXPECT_NEAR(second.recorded->items[i].number, changed.items[i].number, 1e-4) << i;
    }
}

}  // namespace
