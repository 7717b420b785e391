// A few end-to-end pictures of the scene builder compared with stored ones. Tolerance: at least
// 99.9 % of the samples identical and none off by more than 2 levels (the three builds may differ
// that much in the last bits of the shading). Regenerate with scripts/regenerate-golden.sh
// (RIMELACE_REGENERATE_GOLDEN=1), then look at the pictures before committing them.
#include "tests/generate/scene_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* name;
    int effect;  // list index
    int maskKind;
    bool wide;
};

constexpr Case kCases[] = {
    {"floral3_ulike_8bit", 5, 5, false},
    {"geometric1_perimeter_8bit", 0, 4, false},
    {"single4_16bit", 9, 1, true},
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

TEST(SceneGolden, StoredPicturesAreReproducedWithinTwoLevels) {
    const bool regenerate = std::getenv("RIMELACE_REGENERATE_GOLDEN") != nullptr;
    for (const Case& c : kCases) {
        SceneFixture s;
        s.wide = c.wide;
        s.MakeInput();
        s.params.EffectKind = std::uint8_t(c.effect < 3 ? 1 : c.effect < 6 ? 2 : 3);
        s.params.PatternKind = std::uint8_t(c.effect < 3 ? c.effect + 1 : c.effect < 6 ? c.effect - 2 : c.effect - 5);
        s.params.MaskKind = std::uint8_t(c.maskKind);
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
            if (a != b) ++differing;
            worst = std::max(worst, std::abs(a - b));
        }
        EXPECT_LE(worst, 2) << c.name;
        EXPECT_LE(double(differing), samples * 0.001) << c.name;
        std::printf("%s: %zu of %zu samples differ, at most by %d\n", c.name, differing, samples, worst);
    }
}

}  // namespace
