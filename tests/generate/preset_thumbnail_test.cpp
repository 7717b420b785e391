// Preset thumbnails: the sample picture, one render through the driver in thumbnail mode with the
// host's record lent and given back, and the record kept aside while the open dialog browses.
#include "generate/preset_thumbnail.h"

#include "engine/trivane.h"
#include "generate/render_state.h"
#include "generate/scene_builder.h"
#include "params/param_table.h"
#include "params/params.h"
#include "platform/platform.h"
#include "plugin/handles.h"
#include "plugin/host_interface.h"
#include "plugin/plugin_main.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

// A filter record as a host leaves it between calls, with a parameter record in its handle.
struct Host {
    FilterRecord record{};
    BigDocumentStruct big{};
    std::int16_t result = noErr;
    PluginGlobals globals{&result, &record};
    std::vector<std::uint8_t> hostPixels = std::vector<std::uint8_t>(64 * 48 * 3, 77);
    std::uint8_t hostMask[1] = {255};

    Host() {
        record.parameters = NewPluginHandle(sizeof(RimelaceParams));
        ResetParams(*Params());
        // Fields the thumbnail must borrow and give back: a 16-bit 64 x 48 image with a selection
        // of one byte (any read of it beyond that byte would be out of bounds), 32-bit rectangles.
        record.filterRect = record.inRect = record.outRect = {0, 0, 48, 64};
        record.maskRect = {0, 0, 1, 1};
        record.inData = record.outData = hostPixels.data();
        record.inRowBytes = record.outRowBytes = 64 * 3;
        record.maskData = hostMask;
        record.maskRowBytes = 1;
        record.haveMask = 1;
        record.depth = 16;
        record.planes = 3;
        record.imageMode = plugInModeRGB48;
        big.PluginUsing32BitCoordinates = 1;
        big.filterRect32 = big.inRect32 = big.outRect32 = {0, 0, 48, 64};
        big.maskRect32 = {0, 0, 1, 1};
        record.bigDocumentData = &big;
    }
    ~Host() {
        if (RimelaceParams* params = Params()) {
            FreeSceneCache(*params);
            platform::FreePages(params->BumpImage);
        }
        DisposePluginHandle(record.parameters);
    }
    RimelaceParams* Params() { return LockedParams(globals); }
};

struct Thumbnail {
    int w, h;
    std::vector<std::uint8_t> source, result;
    Thumbnail(int width, int height) : w(width), h(height), source(std::size_t(w) * h * 4), result(source.size()) {
        FillFromSamplePicture(source.data(), w, h);
    }
    bool Render(Host& host) { return RenderThumbnail(host.globals, source.data(), result.data(), w, h); }
    int Changed() const {
        int n = 0;
        for (std::size_t i = 0; i < source.size(); i += 4) n += std::memcmp(&source[i], &result[i], 4) != 0;
        return n;
    }
};

std::vector<std::uint8_t> FileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void UsePreset(RimelaceParams& p, int effect, int maskKind) {
    const EffectPair pair = EffectFromIndex(effect);
    p.EffectKind = pair.effectKind;
    p.PatternKind = pair.patternKind;
    p.MaskKind = std::uint8_t(maskKind);
}

TEST(PresetThumbnail, TheSamplePictureIsTheCommittedBitmapWithWhiteBeyondIt) {
    const std::vector<std::uint8_t> bmp = FileBytes(RIMELACE_SOURCE_DIR "/resources/sample115.bmp");
    ASSERT_EQ(bmp.size(), 54u + 160 * 160 * 3);
    const int w = 190, h = 120;
    std::vector<std::uint8_t> buffer(std::size_t(w) * h * 4, 0);
    ASSERT_TRUE(FillFromSamplePicture(buffer.data(), w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = &buffer[(std::size_t(y) * w + x) * 4];
            ASSERT_EQ(p[0], 255);
            if (x >= 160) {
                ASSERT_EQ(p[1] & p[2] & p[3], 255) << x << "," << y;
                continue;
            }
            const std::uint8_t* bgr = &bmp[54 + (std::size_t(159 - y) * 160 + x) * 3];  // bottom-up
            ASSERT_EQ(p[1], bgr[2]);
            ASSERT_EQ(p[2], bgr[1]);
            ASSERT_EQ(p[3], bgr[0]);
        }
}

TEST(PresetThumbnail, RendersOverThePictureAndGivesTheHostsRecordBackAsItWas) {
    for (int effect : {0, 4, 8}) {
        Host host;
        UsePreset(*host.Params(), effect, 4);
        const FilterRecord before = host.record;
        const BigDocumentStruct bigBefore = host.big;
        PreviewZoom = 3.5f;
        Thumbnail t(138, 128);
        ASSERT_TRUE(t.Render(host)) << effect;
        EXPECT_GT(t.Changed(), 100) << effect;
        EXPECT_EQ(std::memcmp(&before, &host.record, sizeof before), 0) << effect;
        EXPECT_EQ(std::memcmp(&bigBefore, &host.big, sizeof bigBefore), 0) << effect;
        EXPECT_EQ(std::vector<std::uint8_t>(64 * 48 * 3, 77), host.hostPixels);
        EXPECT_EQ(PreviewZoom, 3.5f);
        EXPECT_FALSE(ThumbnailMode);
        EXPECT_EQ(host.result, noErr);
        EXPECT_EQ(host.Params()->SceneDirty, 1);
    }
    PreviewZoom = 1.0f;
}

TEST(PresetThumbnail, APresetLooksTheSameWhateverWasRenderedBefore) {
    Host host;
    RimelaceParams& p = *host.Params();
    Thumbnail first(120, 110), other(120, 110), again(120, 110);
    UsePreset(p, 3, 5);
    p.RandomSeed = 4;
    ASSERT_TRUE(first.Render(host));
    UsePreset(p, 1, 6);
    p.Width = 120;
    ASSERT_TRUE(other.Render(host));
    UsePreset(p, 3, 5);
    p.Width = 60;
    ASSERT_TRUE(again.Render(host));
    EXPECT_NE(first.result, other.result);
    EXPECT_EQ(first.result, again.result);
}

TEST(PresetThumbnail, APresetAlongTheSelectionGrowsAroundTheSampleOvalNotTheHostsSelection) {
    Host host;
    RimelaceParams& p = *host.Params();
    UsePreset(p, 0, 7);
    Thumbnail oval(130, 120);
    ASSERT_TRUE(oval.Render(host));
    EXPECT_GT(oval.Changed(), 130 * 120 / 50);
    // The same without a host selection at all: the thumbnail does not depend on it.
    host.record.haveMask = 0;
    host.record.maskData = nullptr;
    Thumbnail plain(130, 120);
    ASSERT_TRUE(plain.Render(host));
    EXPECT_EQ(oval.result, plain.result);
    // The oval fills the middle 60 %.
    std::vector<std::uint8_t> mask(130 * 120);
    FillSampleSelection(mask.data(), 130, 120);
    EXPECT_EQ(mask[60 * 130 + 65], 255);
    EXPECT_EQ(mask[0], 0);
    EXPECT_EQ(mask[60 * 130 + 25], 0);  // 0.3 of the width from the middle is the outline
    EXPECT_EQ(mask[60 * 130 + 27], 255);
}

TEST(PresetThumbnail, WithoutARecordOrBuffersNothingIsRendered) {
    Host host;
    Thumbnail t(40, 40);
    EXPECT_FALSE(RenderThumbnail(host.globals, nullptr, t.result.data(), 40, 40));
    EXPECT_FALSE(RenderThumbnail(host.globals, t.source.data(), t.result.data(), 0, 40));
    FilterRecord* record = host.globals.filterRecord;
    host.globals.filterRecord = nullptr;
    EXPECT_FALSE(t.Render(host));
    host.globals.filterRecord = record;
    EXPECT_EQ(t.Changed(), 40 * 40);  // the result was never written (all zero)
}

TEST(PresetThumbnail, BrowsingPutsEveryByteOfTheRecordBack) {
    Host host;
    RimelaceParams& p = *host.Params();
    // The dialog's own scene, grown before the open dialog comes up.
    Thumbnail dialog(100, 90);
    ASSERT_TRUE(dialog.Render(host));
    p.SceneDirty = 0;
    const RimelaceParams found = p;
    RimelaceParams kept{};
    KeepRecord(p, kept);
    EXPECT_EQ(p.SceneTriangles, nullptr);
    for (int effect : {2, 5, 9}) {
        RestoreEffectFields(p, kept);
        UsePreset(p, effect, 3);
        p.Width = 33;
        Thumbnail t(100, 90);
        ASSERT_TRUE(t.Render(host));
    }
    RestoreEffectFields(p, kept);
    for (const ParamEntry& entry : ParamTable()) EXPECT_EQ(GetFloat(p, entry), GetFloat(found, entry)) << entry.field;
    RestoreRecord(p, kept);
    EXPECT_EQ(std::memcmp(&p, &found, sizeof p), 0);
    // The kept scene is whole: the dialog's arrays are back, never released meanwhile.
    ASSERT_GT(p.SceneTriangleCount, 0);
    std::uint32_t sum = 0;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(p.SceneTriangles);
    for (std::size_t i = 0; i < std::size_t(p.SceneTriangleCount) * sizeof(__Triangle3ds); ++i) sum += bytes[i];
    EXPECT_GT(sum, 0u);
}

}  // namespace
