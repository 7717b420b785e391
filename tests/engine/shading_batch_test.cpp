// Batches of plain Phong pixels against the per-pixel callback.
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "engine/shading_lanes_p.h"
#include "engine/shading_texture_p.h"
#include "tests/engine/shading_fixture.h"

namespace shading_test {
namespace {

using trivane::shading::PixelBatch;
using trivane::shading::ShadeBatchBuiltin;

struct BatchData {
    std::vector<float> x, y, z, nx, ny, nz, r, g, b;
    explicit BatchData(int n) : x(n), y(n), z(n), nx(n), ny(n), nz(n), r(n, -1.0f), g(n, -1.0f), b(n, -1.0f) {}
    PixelBatch View() {
        PixelBatch batch;
        batch.count = static_cast<int>(x.size());
        batch.x = x.data(), batch.y = y.data(), batch.z = z.data();
        batch.nx = nx.data(), batch.ny = ny.data(), batch.nz = nz.data();
        batch.red = r.data(), batch.green = g.data(), batch.blue = b.data();
        return batch;
    }
};

// Whether the four outputs of pixels 0..n - 1 have the same bits in both.
::testing::AssertionResult SameBits(const std::vector<float> (&one)[4], const std::vector<float> (&lanes)[4], int n) {
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < n; ++i) {
            if (std::memcmp(&one[k][i], &lanes[k][i], sizeof(float)) != 0) {
                return ::testing::AssertionFailure() << "pixel " << i << " channel " << k << ": " << one[k][i]
                                                     << " against " << lanes[k][i];
            }
        }
    }
    return ::testing::AssertionSuccess();
}

float ShadeBatch(Scene& s, BatchData& d) {
    trivane::shading::BeginShadingCall();
    return ShadeBatchBuiltin(&s.triangle, &s.material, s.materialCount, s.textures, static_cast<int>(s.lights.size()),
                             s.lights.empty() ? nullptr : s.lights.data(), s.withGlassArray ? &s.glass : nullptr,
                             s.mapped != 0, d.View());
}

TEST_F(ShadingTest, BatchesMatchThePerPixelShadingForEveryLength) {
    std::mt19937 random(7);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
    for (int round = 0; round < 200; ++round) {
        const bool deep = round % 2 == 1;
        UseFrame(64, 64, deep);
        _DubleSide = round % 3 == 0;
        _DrawBackFaces = _DrawBackFaces1 = round % 5 == 0;
        const float tolerance = (deep ? 32768.0f : 255.0f) * 1e-4f;
        Scene s;
        for (int i = 0; i < 3; ++i) s.material.diffuse[i] = uniform(0, 1), s.material.specular[i] = uniform(0, 1);
        s.material.shininess = uniform(0, 3);
        s.material.shinStrength = uniform(0, 3);
        s.material.selfIllum = uniform(0, 1);
        s.material.transparency = uniform(-1, 0);
        const int lights = 1 + round % 3;
        for (int i = 0; i < lights; ++i) {
            s.FrontLight();
            s.lights.back().x = uniform(-300, 300), s.lights.back().y = uniform(-300, 300);
            s.lights.back().z = uniform(-50, 800), s.lights.back().multiplier = uniform(0.3f, 1.5f);
        }
        const int n = round % 14;
        BatchData d(n);
        for (int i = 0; i < n; ++i) {
            d.x[i] = uniform(-32, 32), d.y[i] = uniform(-32, 32), d.z[i] = uniform(-20, 100);
            d.nx[i] = uniform(-1, 1), d.ny[i] = uniform(-1, 1), d.nz[i] = uniform(-0.5f, 1);
        }
        const float opacity = ShadeBatch(s, d);
        for (int i = 0; i < n; ++i) {
            s.x = d.x[i], s.y = d.y[i], s.z = d.z[i];
            s.normal = {d.nx[i], d.ny[i], d.nz[i]};
            const Shaded one = CallBuiltin(s);
            EXPECT_NEAR(d.r[i], one.r, tolerance) << round << ":" << i;
            EXPECT_NEAR(d.g[i], one.g, tolerance) << round << ":" << i;
            EXPECT_NEAR(d.b[i], one.b, tolerance) << round << ":" << i;
            EXPECT_FLOAT_EQ(opacity, one.a);
        }
    }
}

// Every lane width the processor has (and the one-lane path beside them) gives the same bits, for
// batches of every length, zero and NaN normals, lights behind the surface and extreme exponents.
TEST_F(ShadingTest, EveryLaneWidthGivesTheBitsOfOneLane) {
    std::mt19937 random(11);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
    const int widest = trivane::shading::LaneWidth();
    int compared = 0;
    for (int round = 0; round < 120; ++round) {
        UseFrame(64, 64, round % 2 == 1);
        _DubleSide = round % 3 == 0;
        Scene s;
        for (int i = 0; i < 3; ++i) s.material.diffuse[i] = uniform(0, 1), s.material.specular[i] = uniform(0, 1);
        s.material.shininess = round % 7 == 0 ? 1e-6f : round % 7 == 1 ? 40.0f : uniform(0, 3);
        s.material.shinStrength = uniform(0, 3);
        s.material.selfIllum = uniform(0, 1);
        for (int i = 0; i < 1 + round % 3; ++i) {
            s.FrontLight();
            s.lights.back().x = uniform(-300, 300), s.lights.back().z = uniform(-400, 800);
        }
        const int n = 1 + round % 37;
        BatchData one(n);
        for (int i = 0; i < n; ++i) {
            one.x[i] = uniform(-32, 32), one.y[i] = uniform(-32, 32), one.z[i] = uniform(-20, 100);
            one.nx[i] = uniform(-1, 1), one.ny[i] = uniform(-1, 1), one.nz[i] = uniform(-1, 1);
            if (i % 11 == 3) one.nx[i] = one.ny[i] = one.nz[i] = 0.0f;
            if (i % 13 == 5) one.ny[i] = std::numeric_limits<float>::quiet_NaN();
        }
        BatchData wide = one;
        trivane::shading::ForceLaneWidth(1);
        ShadeBatch(s, one);
        for (int width = 4; width <= widest; width *= 2) {
            trivane::shading::ForceLaneWidth(width);
            ShadeBatch(s, wide);
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(std::memcmp(&one.r[i], &wide.r[i], sizeof(float)), 0) << width << " " << round << ":" << i;
                ASSERT_EQ(std::memcmp(&one.g[i], &wide.g[i], sizeof(float)), 0) << width << " " << round << ":" << i;
                ASSERT_EQ(std::memcmp(&one.b[i], &wide.b[i], sizeof(float)), 0) << width << " " << round << ":" << i;
            }
            ++compared;
        }
    }
    trivane::shading::ForceLaneWidth(0);
    EXPECT_GT(compared, 0);
}

TEST_F(ShadingTest, BatchesDeclineMaterialsThatNeedThePixelByPixelPath) {
    Image texture(2, 2, false);
    Scene s;
    s.FrontLight();
    BatchData d(3);
    s.withGlassArray = true;
    s.glass.useGlass = 1;
    EXPECT_LT(ShadeBatch(s, d), 0.0f);
    s.glass.useGlass = 0;
    s.textures[0] = {1, 2, 2, texture.data(), 0};
    s.mapped = 1;
    EXPECT_LT(ShadeBatch(s, d), 0.0f);
    EXPECT_EQ(d.r[0], -1.0f);  // nothing written
    s.mapped = 0;  // the texture needs mapped pixels: plain Phong again
    EXPECT_GE(ShadeBatch(s, d), 0.0f);
}

TEST_F(ShadingTest, UnlitBatchesAreBlackAndNaNNormalsStayFinite) {
    Scene s;
    s.material.transparency = -0.5f;
    BatchData d(5);
    d.nz[2] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FLOAT_EQ(ShadeBatch(s, d), 0.5f);
    for (float c : d.r) EXPECT_EQ(c, 0.0f);
    s.FrontLight();
    EXPECT_FLOAT_EQ(ShadeBatch(s, d), 0.5f);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(d.r[i] >= 0.0f && d.r[i] <= 255.0f) << i;
}

// The queued pixels of a bump material, with and without quality, get the kernel's floats bit for
// bit at every lane width: footprints within two texels of the previous pixel (bumped on lanes)
// and beyond (the window means), pixels without a record or with an invalid one, runs of every
// length (the last few pixels of a run go one by one), small maps (whose height steps the lanes
// keep) and large ones (whose texels they read).
TEST_F(ShadingTest, QueuedBumpPixelsGetTheKernelsFloatsAtEveryLaneWidth) {
    using trivane::shading::QueuedPixels;
    std::mt19937 random(13);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
    const int widest = trivane::shading::LaneWidth();
    int beyond = 0, within = 0;
    for (int round = 0; round < 60; ++round) {
        const bool deep = round % 2 == 1;
        UseFrame(64, 64, deep);
        _Quality = round % 4 < 3 ? 1 : 0;
        const bool large = round % 6 == 5;  // more texels than the lanes keep steps for
        Image bump(large ? 300 : 16 + round % 3, large ? 230 : 16, deep);
        for (int y = 0; y < bump.height; ++y) {
            for (int x = 0; x < bump.width; ++x) {
                const int full = deep ? 32768 : 255;
                bump.SetPixel(x, y, static_cast<int>(uniform(0, full)), static_cast<int>(uniform(0, full)),
                              static_cast<int>(uniform(0, full)), full);
            }
        }
        Scene s;
        s.FrontLight();
        s.FrontLight().lights.back().x = 150.0f;
        s.mapped = 1;
        s.textures[2] = {1, bump.width, bump.height, bump.data(), static_cast<BYTE>(deep)};
        map3ds& map = s.material.maps[kMapBump];
        map.amount = uniform(0.1f, 1.0f);
        map.uScale = uniform(0.5f, 3.0f), map.vScale = uniform(0.5f, 3.0f);
        map.uOffset = uniform(-1, 1), map.vOffset = uniform(-1, 1);
        trivane::shading::BeginShadingCall();
        const trivane::shading::Plan& plan = trivane::shading::PlanFor(
            &s.triangle, &s.material, 1, s.textures, static_cast<int>(s.lights.size()), s.lights.data(), nullptr, true);
        ASSERT_TRUE(plan.bumpMap);

        // A row of pixels: u steps by a texel fraction or by several texels.
        const int n = 1 + (round * 7) % 90;
        std::vector<float> x(n), y(n), z(n), nx(n), ny(n), nz(n), u(n), v(n);
        std::vector<__PrevInfo> records(n);
        std::vector<const __PrevInfo*> previous(n);
        float atU = uniform(-1, 1), atV = uniform(-1, 1);
        for (int i = 0; i < n; ++i) {
            x[i] = uniform(-32, 32), y[i] = uniform(-32, 32), z[i] = uniform(-20, 100);
            nx[i] = uniform(-1, 1), ny[i] = uniform(-1, 1), nz[i] = uniform(-0.5f, 1);
            const float step = i % 5 == 2 ? 0.3f : 0.02f;
            u[i] = atU + uniform(0, step), v[i] = atV + uniform(-step, step);
            records[i] = {};
            records[i].valid = i % 9 != 4 ? 1 : 0;
            records[i].u = atU, records[i].v = atV;
            previous[i] = i % 7 == 3 ? nullptr : &records[i];
            atU = u[i], atV = v[i];
        }
        auto shade = [&](int width, std::vector<float> out[4]) {
            for (int k = 0; k < 4; ++k) out[k].assign(n, -1.0f);
            QueuedPixels q;
            q.count = n;
            q.originX = s.originX, q.originY = s.originY;
            q.x = x.data(), q.y = y.data(), q.z = z.data(), q.nx = nx.data(), q.ny = ny.data(), q.nz = nz.data();
            q.u = u.data(), q.v = v.data(), q.previous = previous.data();
            q.red = out[0].data(), q.green = out[1].data(), q.blue = out[2].data(), q.opacity = out[3].data();
            trivane::shading::ForceLaneWidth(width);
            trivane::shading::ShadeQueued(plan, q);
        };
        // The kernel pixel by pixel.
        std::vector<float> one[4];
        for (int k = 0; k < 4; ++k) one[k].resize(n);
        for (int i = 0; i < n; ++i) {
            const __Point normal{nx[i], ny[i], nz[i]};
            const trivane::shading::Pixel pixel{s.originX, s.originY, nullptr, nullptr, x[i], y[i], z[i], &normal,
                                                u[i], v[i], previous[i], 0, 0, 1, 0};
            float out[3];
            one[3][i] = plan.kernel(plan, pixel, out);
            one[0][i] = out[0], one[1][i] = out[1], one[2][i] = out[2];
            float sizeX, sizeY;
            const trivane::shading::TexelPoint here = trivane::shading::MapToTexels(plan.bumpMap, u[i], v[i]);
            const bool wide = trivane::shading::FootprintBeyondTwo(plan.bumpMap, pixel, here, sizeX, sizeY);
            (wide && _Quality ? beyond : within) += 1;
        }
        for (int width = 1; width <= widest; width *= 2) {
            if (width == 2) continue;
            std::vector<float> lanes[4];
            shade(width, lanes);
            ASSERT_TRUE(SameBits(one, lanes, n)) << "lanes " << width << " round " << round;
        }
    }
    trivane::shading::ForceLaneWidth(0);
    EXPECT_GT(beyond, 100);
    EXPECT_GT(within, 100);
}

// The bump's height steps the lanes keep for a map are those of its texels in the current call:
// texels changed in place between two calls (same map, same size) tilt the next call's normals as
// the kernel does, at every lane width.
TEST_F(ShadingTest, QueuedBumpFollowsTexelsChangedBetweenCalls) {
    using trivane::shading::QueuedPixels;
    std::mt19937 random(19);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
    const int widest = trivane::shading::LaneWidth();
    for (bool deep : {false, true}) {
        UseFrame(64, 64, deep);
        _Quality = 0;
        const int full = deep ? 32768 : 255;
        Image bump(12, 10, deep);
        Scene s;
        s.FrontLight();
        s.mapped = 1;
        s.textures[2] = {1, bump.width, bump.height, bump.data(), static_cast<BYTE>(deep)};
        s.material.maps[kMapBump].amount = 0.8f;
        const int n = 40;
        std::vector<float> x(n), y(n), z(n), nx(n), ny(n), nz(n), u(n), v(n);
        std::vector<const __PrevInfo*> previous(n, nullptr);
        for (int i = 0; i < n; ++i) {
            x[i] = uniform(-32, 32), y[i] = uniform(-32, 32), z[i] = uniform(0, 50);
            nx[i] = uniform(-0.5f, 0.5f), ny[i] = uniform(-0.5f, 0.5f), nz[i] = 1.0f;
            u[i] = uniform(0, 1), v[i] = uniform(0, 1);
        }
        std::vector<float> before;
        for (int call = 0; call < 2; ++call) {
            // The same texels' memory, new heights.
            for (int ty = 0; ty < bump.height; ++ty) {
                for (int tx = 0; tx < bump.width; ++tx) {
                    bump.SetPixel(tx, ty, static_cast<int>(uniform(0, full)), static_cast<int>(uniform(0, full)),
                                  static_cast<int>(uniform(0, full)), full);
                }
            }
            trivane::shading::BeginShadingCall();
            const trivane::shading::Plan& plan = trivane::shading::PlanFor(
                &s.triangle, &s.material, 1, s.textures, static_cast<int>(s.lights.size()), s.lights.data(), nullptr, true);
            ASSERT_TRUE(plan.bumpMap);
            std::vector<float> one(n);
            for (int i = 0; i < n; ++i) {
                const __Point normal{nx[i], ny[i], nz[i]};
                const trivane::shading::Pixel pixel{s.originX, s.originY, nullptr, nullptr, x[i], y[i], z[i], &normal,
                                                    u[i], v[i], nullptr, 0, 0, 1, 0};
                float out[3];
                plan.kernel(plan, pixel, out);
                one[i] = out[0];
            }
            for (int width = 1; width <= widest; width *= 2) {
                std::vector<float> red(n, -1.0f), green(n), blue(n), opacity(n);
                QueuedPixels q;
                q.count = n;
                q.originX = s.originX, q.originY = s.originY;
                q.x = x.data(), q.y = y.data(), q.z = z.data(), q.nx = nx.data(), q.ny = ny.data(), q.nz = nz.data();
                q.u = u.data(), q.v = v.data(), q.previous = previous.data();
                q.red = red.data(), q.green = green.data(), q.blue = blue.data(), q.opacity = opacity.data();
                trivane::shading::ForceLaneWidth(width);
                trivane::shading::ShadeQueued(plan, q);
                for (int i = 0; i < n; ++i) {
                    ASSERT_EQ(std::memcmp(&one[i], &red[i], sizeof(float)), 0)
                        << "deep " << deep << " call " << call << " lanes " << width << " pixel " << i;
                }
            }
            if (call == 1) {
                EXPECT_NE(one, before) << "the new heights change the shading";
            }
            before = one;
        }
    }
    trivane::shading::ForceLaneWidth(0);
}

// The queue's exact lighting (the highlight's power in double, several groups of pixels side by
// side) gives the kernel's bits at every lane width: runs of every length up to past two parts (so
// every count of groups left over), one to three lights, powers cut at the floor, held at the
// ceiling (bright lights, negative exponents), below the threshold, zero exponents, zero and NaN
// normals, lights behind the surface.
TEST_F(ShadingTest, QueuedLightingGivesTheKernelsBitsForEveryPowerAndRunLength) {
    using trivane::shading::QueuedPixels;
    std::mt19937 random(17);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
    const int widest = trivane::shading::LaneWidth();
    int floored = 0, ceiled = 0, powered = 0;
    for (int round = 0; round < 150; ++round) {
        UseFrame(64, 64, round % 2 == 1);
        _DubleSide = round % 3 == 0;
        Scene s;
        for (int i = 0; i < 3; ++i) s.material.diffuse[i] = uniform(0, 1), s.material.specular[i] = uniform(0, 1);
        const float shininess[] = {0.0f, 1e-6f, 40.0f, -0.3f, uniform(0, 3), uniform(0, 0.2f)};
        s.material.shininess = shininess[round % 6];
        s.material.shinStrength = uniform(0, 3);
        s.material.selfIllum = uniform(0, 1);
        for (int i = 0; i < 1 + round % 3; ++i) {
            s.FrontLight();
            s.lights.back().x = uniform(-300, 300), s.lights.back().y = uniform(-300, 300);
            s.lights.back().z = uniform(-400, 800);
            s.lights.back().multiplier = round % 4 == 1 ? uniform(2, 40) : uniform(0.3f, 1.5f);
        }
        trivane::shading::BeginShadingCall();
        const trivane::shading::Plan& plan = trivane::shading::PlanFor(
            &s.triangle, &s.material, 1, nullptr, static_cast<int>(s.lights.size()), s.lights.data(), nullptr, false);
        const int n = 1 + (round * 11) % 150;
        std::vector<float> x(n), y(n), z(n), nx(n), ny(n), nz(n);
        std::vector<const __PrevInfo*> previous(n, nullptr);
        for (int i = 0; i < n; ++i) {
            x[i] = uniform(-32, 32), y[i] = uniform(-32, 32), z[i] = uniform(-20, 100);
            nx[i] = uniform(-1, 1), ny[i] = uniform(-1, 1), nz[i] = uniform(-1, 1);
            if (i % 23 == 3) nx[i] = ny[i] = nz[i] = 0.0f;
            if (i % 29 == 5) ny[i] = std::numeric_limits<float>::quiet_NaN();
        }
        // The kernel pixel by pixel, and how its powers fell.
        std::vector<float> one[4];
        for (auto& channel : one) channel.resize(n);
        for (int i = 0; i < n; ++i) {
            const __Point normal{nx[i], ny[i], nz[i]};
            const trivane::shading::Pixel pixel{s.originX, s.originY, nullptr, nullptr, x[i], y[i], z[i], &normal,
                                                0, 0, nullptr, 0, 0, 1, 0};
            float out[3];
            one[3][i] = plan.kernel(plan, pixel, out);
            one[0][i] = out[0], one[1][i] = out[1], one[2][i] = out[2];
            const trivane::shading::Vec3 shaded = trivane::shading::ShadeNormal(plan, &normal);
            for (const light3ds& light : s.lights) {
                trivane::shading::Vec3 l{light.x - x[i], light.y - y[i], light.z - z[i]};
                const float length = std::sqrt(l.x * l.x + l.y * l.y + l.z * l.z);
                const float d = (shaded.x * l.x + shaded.y * l.y + shaded.z * l.z) / length * light.multiplier;
                if (!(d > plan.powThreshold)) continue;
                const double y2 = static_cast<double>(plan.exponent) * std::log2(static_cast<double>(d));
                (y2 < trivane::shading::kPowFloorLog2 ? floored : y2 > trivane::shading::kPowCeilingLog2 ? ceiled
                                                                                                           : powered) += 1;
            }
        }
        for (int width = 1; width <= widest; width *= 2) {
            std::vector<float> lanes[4];
            for (auto& channel : lanes) channel.assign(n, -1.0f);
            QueuedPixels q;
            q.count = n;
            q.originX = s.originX, q.originY = s.originY;
            q.x = x.data(), q.y = y.data(), q.z = z.data(), q.nx = nx.data(), q.ny = ny.data(), q.nz = nz.data();
            q.previous = previous.data();
            q.red = lanes[0].data(), q.green = lanes[1].data(), q.blue = lanes[2].data(), q.opacity = lanes[3].data();
            trivane::shading::ForceLaneWidth(width);
            trivane::shading::ShadeQueued(plan, q);
            ASSERT_TRUE(SameBits(one, lanes, n)) << "lanes " << width << " round " << round;
        }
    }
    trivane::shading::ForceLaneWidth(0);
    EXPECT_GT(floored, 100);
    EXPECT_GT(ceiled, 100);
    EXPECT_GT(powered, 1000);
}

TEST(BumpLanes, TexelCoordinatesWrapToTheTexelsOfTheOneLaneRule) {
    // Every texel index the wrapping gives on four lanes is the scalar rule's, for coordinates
    // inside, on and beyond the edges, negative, huge, infinite and NaN, and sizes from 1 up.
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> values = {0.0f, -0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 15.0f, 15.999f, 16.0f, -16.0f, 16.5f,
                                 -16.5f, 1e6f, -1e6f, 8388607.5f, 8388609.0f, -8388609.0f, 3e9f, -3e9f, 1e30f,
                                 -1e30f, inf, -inf, nan};
    std::mt19937 random(5);
    std::uniform_real_distribution<float> any(-5000.0f, 5000.0f);
    for (int i = 0; i < 2000; ++i) values.push_back(any(random));
    while (values.size() % 4 != 0) values.push_back(0.25f);
    for (int size : {1, 2, 3, 16, 17, 255, 4096}) {
        for (std::size_t i = 0; i < values.size(); i += 4) {
            using Lanes4 = trivane::shading::lanes::F<4>;
            const Lanes4 t = {values[i], values[i + 1], values[i + 2], values[i + 3]};
            const Lanes4 wrapped = trivane::shading::lanes::WrapTexels<4>(t, static_cast<float>(size));
            for (int k = 0; k < 4; ++k) {
                const float one = trivane::shading::WrapTexel(values[i + k], size);
                ASSERT_EQ(static_cast<int>(wrapped[k]), static_cast<int>(one)) << values[i + k] << " in " << size;
                ASSERT_TRUE(wrapped[k] >= 0.0f && wrapped[k] < static_cast<float>(size));
            }
        }
    }
}

}  // namespace
}  // namespace shading_test
