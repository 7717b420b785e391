// A few end-to-end pictures of the scene builder compared with stored ones, byte for byte: the
// three builds (Linux, Windows i686 and x86_64) must give the same bytes, so this test run in
// each of them is the cross-build comparison. Odd sizes and a photograph are among them.
// Regenerate with scripts/regenerate-golden.sh (RIMELACE_REGENERATE_GOLDEN=1), then look at the
// pictures before committing them.
#include "tests/generate/scene_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* name;
    int effect;  // list index; -1 keeps the default effect and mask kind
    int maskKind;
    bool wide;
    int w = 0, h = 0;             // 0: the fixture's size
    const char* photo = nullptr;  // a picture of tests/generate/data instead of the gradient
};

constexpr Case kCases[] = {
    {"floral3_ulike_8bit", 5, 5, false},
    {"geometric1_perimeter_8bit", 0, 4, false},
    {"single4_16bit", 9, 1, true},
    // Odd sizes: odd halves of the working area, rows that are not a multiple of anything.
    {"geometric2_window_161x119", 1, 6, false, 161, 119},
    {"floral1_topbottom_97x203_16bit", 3, 3, true, 97, 203},
    {"geometric3_perimeter_255x37", 2, 4, false, 255, 37},
    // A photograph at the default parameters.
    {"astronaut_333x257", -1, 0, false, 0, 0, "astronaut_333x257.ppm"},
};

std::string GoldenPath(const char* name) { return std::string(RIMELACE_GOLDEN_DIR) + "/" + name + ".raw"; }
// The triangle count of each picture's scene, which every build must grow alike.
std::string CountPath(const char* name) { return std::string(RIMELACE_GOLDEN_DIR) + "/" + name + ".count"; }

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::uint8_t buffer[65536];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return bytes;
}

TEST(SceneGolden, StoredPicturesAreReproducedExactly) {
    const bool regenerate = std::getenv("RIMELACE_REGENERATE_GOLDEN") != nullptr;
    for (const Case& c : kCases) {
        SceneFixture s;
        s.wide = c.wide;
        if (c.w > 0) {
            s.w = c.w;
            s.h = c.h;
        }
        if (c.photo) {
            const std::string photo = std::string(RIMELACE_TEST_DATA_DIR) + "/" + c.photo;
            ASSERT_TRUE(s.LoadPpm(photo.c_str())) << photo;
        } else {
            s.MakeInput();
        }
        if (c.effect >= 0) {
            s.params.EffectKind = std::uint8_t(c.effect < 3 ? 1 : c.effect < 6 ? 2 : 3);
            s.params.PatternKind =
                std::uint8_t(c.effect < 3 ? c.effect + 1 : c.effect < 6 ? c.effect - 2 : c.effect - 5);
            s.params.MaskKind = std::uint8_t(c.maskKind);
        }
        s.Build();
        const std::string path = GoldenPath(c.name);
        if (regenerate) {
            std::FILE* f = std::fopen(path.c_str(), "wb");
            ASSERT_NE(f, nullptr) << path;
            std::fwrite(s.output.data(), 1, s.output.size(), f);
            std::fclose(f);
            f = std::fopen(CountPath(c.name).c_str(), "w");
            ASSERT_NE(f, nullptr);
            std::fprintf(f, "%d\n", int(s.params.SceneTriangleCount));
            std::fclose(f);
            continue;
        }
        const std::vector<std::uint8_t> countText = ReadFile(CountPath(c.name));
        EXPECT_EQ(std::atoi(std::string(countText.begin(), countText.end()).c_str()), s.params.SceneTriangleCount)
            << c.name;
        const std::vector<std::uint8_t> golden = ReadFile(path);
        ASSERT_EQ(golden.size(), s.output.size()) << path;
        const std::size_t bytes = c.wide ? 2 : 1, samples = golden.size() / bytes;
        std::size_t differing = 0;
        int worst = 0;
        for (std::size_t i = 0; i < samples; ++i) {
            int a = golden[i * bytes], b = s.output[i * bytes];
            if (c.wide) {
                a |= golden[i * 2 + 1] << 8;
                b |= s.output[i * 2 + 1] << 8;
                a = (a * 255 + 16384) >> 15;  // compare in 8-bit levels
                b = (b * 255 + 16384) >> 15;
            }
            if (a != b) {
                if (differing < 8)
                    std::printf("%s: sample %zu (x %zu, y %zu, channel %zu): %d, stored %d\n", c.name, i,
                                i / 4 % std::size_t(s.w), i / 4 / std::size_t(s.w), i % 4, b, a);
                ++differing;
            }
            worst = std::max(worst, std::abs(a - b));
        }
        EXPECT_EQ(differing, 0u) << c.name << ": at most " << worst << " levels apart";
        std::printf("%s: %zu of %zu samples differ, at most by %d\n", c.name, differing, samples, worst);
    }
}

}  // namespace
