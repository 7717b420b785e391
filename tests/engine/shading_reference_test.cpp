// The fast built-in shading against the slow reference over many random records and switches.
#include <cstring>
#include <random>
#include <vector>

#include "tests/engine/shading_fixture.h"

namespace shading_test {
namespace {

constexpr int kWidth = 32, kHeight = 24;

struct RandomCase {
    std::mt19937 random;
    explicit RandomCase(unsigned seed) : random(seed) {}

    float Uniform(float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); }
    int Integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(random); }

    void FillImage(Image& image, int full) {
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                for (int c = 0; c < 4; ++c) image.Set(x, y, c, Chance(0.2) ? full : Integer(0, full));
            }
        }
    }
};

// Images and buffers one case shades against.
struct Buffers {
    Image background, target, copy;
    std::vector<float> depth;
    std::vector<Image> textures;

    explicit Buffers(bool deep)
        : background(kWidth, kHeight, deep), target(kWidth, kHeight, deep), copy(kWidth, kHeight, deep),
          depth(kWidth * kHeight) {}
};

void BuildCase(RandomCase& r, Scene& s, Buffers& b, bool deep) {
    const int full = deep ? 32768 : 255;
    // Switches.
    _Quality = r.Chance(0.5);
    _DubleSide = r.Chance(0.3);
    _DrawBackFaces = r.Chance(0.2);
    _DrawBackFaces1 = _DrawBackFaces && r.Chance(0.5);
    _UseMultyRefract = r.Chance(0.5);

    // Material.
    material3ds& m = s.material;
    for (int i = 0; i < 3; ++i) m.diffuse[i] = r.Uniform(0, 1), m.specular[i] = r.Uniform(0, 1);
    m.shininess = r.Chance(0.1) ? 0.0f : r.Uniform(0.0f, 2.0f);
    m.shinStrength = r.Uniform(0, 2);
    m.selfIllum = r.Chance(0.5) ? 0.0f : r.Uniform(0, 1);
    m.transparency = r.Uniform(-1.2f, 0.2f);
    s.materialCount = r.Chance(0.1) ? 0 : 1;

    // Maps.
    b.textures.clear();
    b.textures.reserve(4);
    for (int slot = 0; slot < 4; ++slot) {
        s.textures[slot] = {};
        if (!r.Chance(0.5)) continue;
        b.textures.emplace_back(r.Integer(1, 9), r.Integer(1, 9), deep);
        Image& t = b.textures.back();
        r.FillImage(t, full);
        s.textures[slot] = {1, t.width, t.height, t.data(), static_cast<BYTE>(deep)};
    }
    for (map3ds& map : m.maps) {
        map.amount = r.Uniform(-0.2f, 1.2f);
        map.uScale = r.Uniform(0.5f, 2.0f), map.vScale = r.Uniform(0.5f, 2.0f);
        map.uOffset = r.Uniform(-0.5f, 0.5f), map.vOffset = r.Uniform(-0.5f, 0.5f);
    }
    s.mapped = r.Chance(0.7);
    s.u = r.Uniform(-1, 2), s.v = r.Uniform(-1, 2);

    // Lights.
    s.lights.clear();
    const int lights = r.Integer(0, 3);
    for (int i = 0; i < lights; ++i) {
        light3ds l{};
        l.x = r.Uniform(-300, 300), l.y = r.Uniform(-300, 300), l.z = r.Uniform(-100, 1000);
        l.r = r.Uniform(0, 1), l.g = r.Uniform(0, 1), l.b = r.Uniform(0, 1);
        l.multiplier = r.Uniform(0.2f, 1.5f);
        s.lights.push_back(l);
    }
    s.defaultLight = {};
    s.defaultLight.x = 200, s.defaultLight.y = 200, s.defaultLight.z = 1000;
    s.defaultLight.r = s.defaultLight.g = s.defaultLight.b = s.defaultLight.multiplier = 1;
    trivane::g_state.defaultLight = r.Chance(0.7) ? &s.defaultLight : nullptr;

    // Glass.
    s.withGlassArray = r.Chance(0.6);
    s.glass = {static_cast<BYTE>(r.Chance(0.8)), r.Uniform(0, 2), r.Uniform(0, 20), r.Chance(0.2) ? 0.0f : r.Uniform(0, 100)};

    // Pixel.
    s.originX = kWidth / 2, s.originY = kHeight / 2;
    s.x = static_cast<float>(r.Integer(-kWidth / 2 - 2, kWidth / 2 + 1));
    s.y = static_cast<float>(r.Integer(-kHeight / 2 - 2, kHeight / 2 + 1));
    s.normal = {r.Uniform(-1, 1), r.Uniform(-1, 1), r.Uniform(-0.5f, 1)};
    s.plane[0] = r.Uniform(-0.5f, 0.5f), s.plane[1] = r.Uniform(-0.5f, 0.5f), s.plane[2] = r.Uniform(-1, 1);
    s.plane[3] = r.Uniform(-50, 50);
    s.z = r.Uniform(-40, 40);
    s.withPrevious = r.Chance(0.7);
    s.previous = {};
    // Each case is a fresh call, so the glass window mean (which needs the previous call's
    // samples) never runs here; its own test covers it.
    s.previous.valid = r.Chance(0.8);
    s.previous.x = s.x - 1, s.previous.y = s.y;
    s.previous.u = s.u + r.Uniform(-0.6f, 0.6f), s.previous.v = s.v + r.Uniform(-0.6f, 0.6f);

    // Images.
    r.FillImage(b.background, full);
    r.FillImage(b.target, full);
    r.FillImage(b.copy, full);
    for (float& d : b.depth) {
        const int kind = r.Integer(0, 2);
        d = kind == 0 ? s.z + r.Uniform(-20, 20) : kind == 1 ? s.z + r.Uniform(40, 100) : 0.0f;
        if (kind == 2) std::memset(&d, 0xFE, sizeof d);
    }
    s.background = b.background.data();
    s.target = b.target.data();
}

TEST_F(ShadingTest, FastShadingMatchesTheReferenceOverRandomRecords) {
    RandomCase r(20261208);
    int cases = 0, mismatches = 0;
    for (int i = 0; i < 6000; ++i) {
        const bool deep = i % 3 == 2;
        UseFrame(kWidth, kHeight, deep);
        const float tolerance = (deep ? 32768.0f : 255.0f) * 2e-3f;
        Scene s;
        Buffers b(deep);
        BuildCase(r, s, b, deep);

        // Each side gets its own copy and glass depth (both may be written).
        Image copyFast = b.copy, copyReference = b.copy;
        std::vector<float> depthFast = b.depth, depthReference = b.depth;
        trivane::g_state.backCopy = copyFast.data();
        trivane::g_state.glassDepth = depthFast.data();
        const Shaded fast = CallBuiltin(s);
        trivane::g_state.backCopy = copyReference.data();
        trivane::g_state.glassDepth = depthReference.data();
        const Shaded slow = CallReference(s);

        ++cases;
        const bool same = std::fabs(fast.r - slow.r) <= tolerance && std::fabs(fast.g - slow.g) <= tolerance &&
                          std::fabs(fast.b - slow.b) <= tolerance && std::fabs(fast.a - slow.a) <= 2e-3f &&
                          copyFast.bytes == copyReference.bytes;
        if (!same) {
            ++mismatches;
            if (mismatches <= 5) {
                ADD_FAILURE() << "case " << i << ": fast (" << fast.r << ", " << fast.g << ", " << fast.b << ", "
                              << fast.a << ") reference (" << slow.r << ", " << slow.g << ", " << slow.b << ", "
                              << slow.a << ") quality " << int(_Quality) << " deep " << deep;
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << "of " << cases;
}

}  // namespace
}  // namespace shading_test
