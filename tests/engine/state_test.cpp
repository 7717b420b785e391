// Switches, Z-buffer accessors, perspective, depth sort, sample conversions and the processor probe.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

#include "engine/trivane.h"
#include "platform/platform.h"

namespace {

TEST(Switches, LoadTimeValuesAreTheDocumentedOnes) {
    // Checked before any other test of this program changes them.
    EXPECT_EQ(_DrawMode, 6);
    EXPECT_EQ(_Quality, 1);
    EXPECT_EQ(_Deep, 0);
    EXPECT_EQ(_DubleSide, 0);
    EXPECT_EQ(_DrawBackFaces, 0);
    EXPECT_EQ(_DrawBackFaces1, 0);
    EXPECT_EQ(_UseMultyRefract, 1);
    EXPECT_EQ(_UsePhong2, 0);
    EXPECT_EQ(_UseGlass, 0);
    EXPECT_EQ(_UseCustomMats, 1);
    EXPECT_EQ(_UsePersp, 0);
    EXPECT_EQ(_UseReflection, 0);
    EXPECT_FLOAT_EQ(_WireSize, 1.0f);
    EXPECT_FLOAT_EQ(_Persp_Val, 0.0f);
    EXPECT_FLOAT_EQ(_Persp_Far, 1000.0f);
    EXPECT_EQ(ZBuff, nullptr);
    EXPECT_EQ(Zwidth, 0);
    EXPECT_EQ(Zheight, 0);
    EXPECT_EQ(_mmx_enabled, 255);
}

TEST(Switches, QualityAboveOneStoresOne) {
    __SetQuality(5);
    EXPECT_EQ(__GetQuality(), 1);
    __SetQuality(0);
    EXPECT_EQ(__GetQuality(), 0);
    __SetQuality(2);
    EXPECT_EQ(__GetQuality(), 1);
    __SetQuality(1);
}

TEST(Switches, EverySetterStoresWhatItsGetterAndVariableReturn) {
    struct Pair {
        void (*set)(BYTE);
        BYTE (*get)();
        BYTE* variable;
    };
    const Pair pairs[] = {{__SetDrawMode, __GetDrawMode, &_DrawMode},
                          {__SetDeep, __GetDeep, &_Deep},
                          {__SetDubleSide, __GetDubleSide, &_DubleSide},
                          {__SetDrawBackFaces, __GetDrawBackFaces, &_DrawBackFaces},
                          {__SetUseMultyRefract, __GetUseMultyRefract, &_UseMultyRefract},
                          {__SetUsePhong2, __GetUsePhong2, &_UsePhong2},
                          {__SetUseGlass, __GetUseGlass, &_UseGlass},
                          {__SetUseCustomMats, __GetUseCustomMats, &_UseCustomMats},
                          {__SetUsePersp, __GetUsePersp, &_UsePersp},
                          {__SetUseReflection, __GetUseReflection, &_UseReflection}};
    for (const Pair& p : pairs) {
        BYTE before = *p.variable;
        for (BYTE value : {0, 1, 2, 7, 255}) {
            p.set(value);
            EXPECT_EQ(p.get(), value);
            EXPECT_EQ(*p.variable, value);
        }
        p.set(before);
    }
}

TEST(DepthBuffer, NullBufferOrZeroSizeResetsAllThree) {
    std::vector<float> buffer(100 * 100);
    float* b;
    int w, h;
    __SetZBuff(buffer.data(), 100, 50);
    __GetZBuff(b, w, h);
    EXPECT_EQ(b, buffer.data());
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    for (auto [buf, ww, hh] : {std::tuple{static_cast<float*>(nullptr), 100, 100}, std::tuple{buffer.data(), 0, 10},
                               std::tuple{buffer.data(), 10, -1}}) {
        __SetZBuff(buffer.data(), 100, 50);
        __SetZBuff(buf, ww, hh);
        __GetZBuff(b, w, h);
        EXPECT_EQ(b, nullptr);
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
    }
}

TEST(Perspective, FarOrValueZeroStoresButMovesNothing) {
    for (auto [val, far] : {std::pair{0.0f, 500.0f}, std::pair{2.0f, 0.0f}}) {
        __Point3ds p{};
        p.x = 10, p.y = 20, p.z = 30;
        __AddPersp(1, &p, val, 3.0f, 4.0f, far);
        EXPECT_FLOAT_EQ(p.x, 10);
        EXPECT_FLOAT_EQ(p.y, 20);
        EXPECT_FLOAT_EQ(p.z, 30);
        EXPECT_FLOAT_EQ(_Persp_Val, val);
        EXPECT_FLOAT_EQ(_Persp_x, 3.0f);
        EXPECT_FLOAT_EQ(_Persp_y, 4.0f);
        EXPECT_FLOAT_EQ(_Persp_Far, far);
    }
    __AddPersp(0, nullptr, 0.0f, 0.0f, 0.0f, 1000.0f);
}

TEST(Perspective, PointsMoveAwayFromTheVanishingPointAndAPointAtFarByOneOverTinyF) {
    __Point3ds p[2] = {};
    p[0].x = 12, p[0].y = -6, p[0].z = 500;  // f = 0.5: twice as far from (2, 4)
    p[1].x = 3, p[1].y = 4, p[1].z = 1000;   // f = 0 -> +1e-8
    __AddPersp(2, p, 1.0f, 2.0f, 4.0f, 1000.0f);
    EXPECT_FLOAT_EQ(p[0].x, 22);
    EXPECT_FLOAT_EQ(p[0].y, -16);
    EXPECT_FLOAT_EQ(p[0].z, 500);
    EXPECT_FLOAT_EQ(p[1].x, 2 + 1 / 1e-8f);
    EXPECT_FLOAT_EQ(p[1].y, 4);
    __AddPersp(0, nullptr, 0.0f, 0.0f, 0.0f, 1000.0f);
}

// Triangles whose key (sum of z) is keys[i]; flags carries the original position.
void MakeTriangles(const std::vector<float>& keys, std::vector<__Triangle3ds>& t, std::vector<__Point3ds>& p) {
    t.clear();
    p.clear();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        for (int k = 0; k < 3; ++k) {
            __Point3ds point{};
            point.z = k == 0 ? keys[i] : 0.0f;
            p.push_back(point);
        }
        std::int32_t base = static_cast<std::int32_t>(3 * i);
        t.push_back(__Triangle3ds{base, base + 1, base + 2, static_cast<std::uint16_t>(i), 7});
    }
}

TEST(Sort, OrdersFarthestFirstAtEveryCountAroundTheThreshold) {
    for (int count : {1, 2, 3, 50, 99, 100, 101, 257}) {
        std::vector<float> keys;
        for (int i = 0; i < count; ++i) keys.push_back(static_cast<float>((i * 37) % 11) - 5.0f);
        std::vector<__Triangle3ds> t;
        std::vector<__Point3ds> p;
        MakeTriangles(keys, t, p);
        __Sort(count, t.data(), p.data());
        for (int i = 1; i < count; ++i) EXPECT_LE(p[t[i - 1].v0].z, p[t[i].v0].z) << count;
        for (const auto& tri : t) {
            EXPECT_EQ(tri.material, 7);
            EXPECT_EQ(tri.v1, tri.v0 + 1);  // whole records moved
        }
    }
    EXPECT_NE(_mmx_enabled, 255) << "the sort probes the processor first";
}

// One nearer triangle among equal ones: below 100 the bubble sort keeps the equal keys in their
// order; from 100 on the gap sort's first gap moves the first one behind the others.
TEST(Sort, NinetyNineUsesTheBubbleSortAndOneHundredTheGapSort) {
    for (int count : {99, 100}) {
        std::vector<float> keys(count, 1.0f);
        keys[count / 2] = 0.0f;
        std::vector<__Triangle3ds> t;
        std::vector<__Point3ds> p;
        MakeTriangles(keys, t, p);
        __Sort(count, t.data(), p.data());
        EXPECT_EQ(t[0].flags, count / 2);
        if (count == 99) {
            for (int i = 1; i < count; ++i) EXPECT_EQ(t[i].flags, i <= count / 2 ? i - 1 : i);
        } else {
            EXPECT_EQ(t[count / 2].flags, 0) << "gap sort swapped elements 0 and 50";
        }
    }
}

TEST(Sort, EqualKeysAreNeverSwapped) {
    for (int count : {10, 99, 100, 300}) {
        std::vector<float> keys(count, 2.5f);
        std::vector<__Triangle3ds> t;
        std::vector<__Point3ds> p;
        MakeTriangles(keys, t, p);
        __Sort(count, t.data(), p.data());
        for (int i = 0; i < count; ++i) EXPECT_EQ(t[i].flags, i) << count;
    }
}

TEST(Sort, NothingHappensBelowOneOrWithNullArrays) {
    __Sort(0, nullptr, nullptr);
    __Sort(-3, nullptr, nullptr);
    __Triangle3ds t{0, 0, 0, 1, 2};
    __Sort(5, &t, nullptr);
    EXPECT_EQ(t.flags, 1);
}

TEST(Conversion, EightToSixteenToEightReturnsEveryValue) {
    const int rows = 2, rowSamples = 256;
    BYTE* buffer = static_cast<BYTE*>(platform::AllocPages(rows * rowSamples));
    for (int i = 0; i < rows * rowSamples; ++i) buffer[i] = static_cast<BYTE>(i);
    __ConvertBYTE8TO16(&buffer, 0, rows, rowSamples);
    std::uint16_t s;
    std::memcpy(&s, buffer + 2 * 255, 2);
    EXPECT_EQ(s, 32768);
    std::memcpy(&s, buffer + 2 * 128, 2);
    EXPECT_EQ(s, (128 * 32768 + 128) / 255);
    __ConvertBYTE16TO8(&buffer, 0, rows, rowSamples);
    for (int i = 0; i < rows * rowSamples; ++i) ASSERT_EQ(buffer[i], static_cast<BYTE>(i)) << i;
    platform::FreePages(buffer);
}

TEST(Conversion, UnusableArgumentsLeaveTheBuffer) {
    BYTE* buffer = static_cast<BYTE*>(platform::AllocPages(16));
    BYTE* before = buffer;
    __ConvertBYTE8TO16(&buffer, 4, 0, 16);
    __ConvertBYTE8TO16(&buffer, 4, 1, -16);
    __ConvertBYTE16TO8(&buffer, 4, -1, 16);
    __ConvertBYTE8TO16(nullptr, 4, 1, 16);
    BYTE* none = nullptr;
    __ConvertBYTE8TO16(&none, 4, 1, 16);
    EXPECT_EQ(buffer, before);
    EXPECT_EQ(none, nullptr);
    platform::FreePages(buffer);
}

TEST(Conversion, TextureFollowsTheSampleDepthAndAnAbsentOneIsLeftAlone) {
    __Texture texture{1, 2, 3, static_cast<BYTE*>(platform::AllocPages(2 * 3 * 4)), 0};
    for (int i = 0; i < 24; ++i) texture.texels[i] = static_cast<BYTE>(i * 10);
    __SetDeep(1);
    __ConvertText(&texture);
    EXPECT_EQ(texture.is16, 1);
    std::uint16_t s;
    std::memcpy(&s, texture.texels + 2 * 23, 2);
    EXPECT_EQ(s, (230 * 32768 + 128) / 255);
    __ConvertText(&texture);  // already 16-bit: unchanged
    EXPECT_EQ(texture.is16, 1);
    __SetDeep(0);
    __ConvertText(&texture);
    EXPECT_EQ(texture.is16, 0);
    EXPECT_EQ(texture.texels[23], 230);

    __Texture absent{0, 2, 3, texture.texels, 0};
    __SetDeep(1);
    __ConvertText(&absent);
    EXPECT_EQ(absent.texels, texture.texels);
    EXPECT_EQ(absent.is16, 0);
    absent.is16 = 1;
    __SetDeep(0);
    __ConvertText(&absent);
    EXPECT_EQ(absent.is16, 1) << "not even the flag changes";

    __Texture empty{1, 0, 0, nullptr, 0};
    __SetDeep(1);
    __ConvertText(&empty);
    __ConvertText(nullptr);
    EXPECT_EQ(empty.texels, nullptr);
    __SetDeep(0);
    platform::FreePages(texture.texels);
}

TEST(Processor, ProbeStoresItsAnswer) {
    BYTE present = __mmx_present();
    EXPECT_EQ(_mmx_enabled, present);
#if defined(__x86_64__) || defined(__i386__)
    EXPECT_EQ(present, 1) << "every x86 processor that runs this has MMX";
#endif
}

float Marker(float, float, BYTE*, BYTE*, float, float, float, __Triangle3ds*, material3ds*, int, float& r, float& g,
             float& b, __Point*, BYTE, float, float, __Texture*, int, light3ds*, __PrevInfo*, GlassProp*, float,
             float, float, float) {
    r = 1, g = 2, b = 3;
    return 1.0f;
}

TEST(Callback, InstalledShadingIsUsedUntilTheBuiltInOneIsReinstalled) {
    __SetQuality(0);
    std::vector<BYTE> target(8 * 8 * 4, 0), background(8 * 8 * 4, 0);
    __Point3ds p[3] = {};
    p[0].x = -3, p[0].y = -3, p[1].x = 3, p[1].y = -3, p[2].x = 3, p[2].y = 3;
    for (auto& q : p) q.nz = 1;
    __Triangle3ds t{0, 1, 2, 0, 0};
    __SetNewRenderOnePixel(Marker);
    __RasterScene(target.data(), background.data(), 8, 8, 32, 0, 1, &t, p, 4, 4, 0, nullptr, nullptr, 0, nullptr,
                  nullptr);
    std::size_t centre = (5 * 8 + 5) * 4;
    EXPECT_EQ(target[centre], 1);
    EXPECT_EQ(target[centre + 2], 3);
    __SetDefRenderOnePixel();
    std::fill(target.begin(), target.end(), BYTE(0));
    __RasterScene(target.data(), background.data(), 8, 8, 32, 0, 1, &t, p, 4, 4, 0, nullptr, nullptr, 0, nullptr,
                  nullptr);
    EXPECT_EQ(target[centre + 3], 255);
    EXPECT_FALSE(target[centre] == 1 && target[centre + 1] == 2 && target[centre + 2] == 3);
    __SetQuality(1);
}

}  // namespace
