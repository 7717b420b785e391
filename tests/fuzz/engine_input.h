#pragma once
// Shared by the rendering library's fuzz harnesses: reading switches, numbers, images and scenes
// out of the fuzzer's bytes. Everything is bounded so that one input runs in milliseconds.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "engine/trivane.h"
#include "platform/platform.h"

namespace fuzz {

// Sets every switch from the input (any byte values, not only the meaningful ones).
inline void ReadSwitches(FuzzedDataProvider& in) {
    static const BYTE kModes[] = {0, 1, 2, 3, 6, 8, 9, 10, 4, 255};
    __SetDrawMode(in.ConsumeBool() ? in.PickValueInArray(kModes) : in.ConsumeIntegral<BYTE>());
    __SetQuality(in.ConsumeIntegral<BYTE>());
    __SetDeep(in.ConsumeIntegral<BYTE>() & 0x81);
    __SetDubleSide(in.ConsumeIntegralInRange<BYTE>(0, 2));
    __SetDrawBackFaces(in.ConsumeIntegralInRange<BYTE>(0, 2));
    __SetUseMultyRefract(in.ConsumeIntegralInRange<BYTE>(0, 3));
    __SetUsePhong2(in.ConsumeBool());
    __SetUseGlass(in.ConsumeBool());
    __SetUseCustomMats(in.ConsumeBool());
    __SetUsePersp(in.ConsumeBool());
    __SetUseReflection(in.ConsumeBool());
}

// A float that is often one of the values that break arithmetic.
inline float ReadFloat(FuzzedDataProvider& in, float low, float high) {
    if (high < low) std::swap(low, high);
    static const float kSpecial[] = {
        0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 1e-7f, -1e-7f, 1e-30f, 2097152.0f, -2097152.0f, 2097153.0f, 3e6f, -3e6f,
        16777216.0f, 33554432.0f, 1e9f, -1e9f, 1e30f, -1e30f, 3.4e38f, -3.4e38f,
        std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
        std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::denorm_min()};
    switch (in.ConsumeIntegralInRange<int>(0, 7)) {
        case 0: return in.PickValueInArray(kSpecial);
        case 1: {
            std::uint32_t bits = in.ConsumeIntegral<std::uint32_t>();
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        default: return in.ConsumeFloatingPointInRange<float>(low, high);
    }
}

// A buffer of the page allocator (the library may release or replace such buffers).
struct Pages {
    BYTE* data = nullptr;
    explicit Pages(std::size_t bytes) : data(static_cast<BYTE*>(platform::AllocPages(bytes))) {}
    ~Pages() { platform::FreePages(data); }
    Pages(const Pages&) = delete;
    Pages& operator=(const Pages&) = delete;
};

// An image of width x height pixels with the given stride (bytes as for 8-bit samples), filled
// from the input. Exactly as large as the library may address, so that the sanitizer sees any
// access beyond it.
struct Image {
    int width = 0, height = 0, stride = 0;
    bool deep = false;
    std::vector<BYTE> bytes;

    Image(FuzzedDataProvider& in, int w, int h, int s, bool is16) : width(w), height(h), stride(s), deep(is16) {
        if (w <= 0 || h <= 0) return;
        std::size_t rowBytes = static_cast<std::size_t>(s > w * 4 ? s : w * 4);
        bytes.resize(rowBytes * static_cast<std::size_t>(h) * (is16 ? 2 : 1));
        std::vector<BYTE> fill = in.ConsumeBytes<BYTE>(16);
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = fill.empty() ? 0 : fill[i % fill.size()];
    }
    BYTE* data() { return bytes.empty() ? nullptr : bytes.data(); }
};

// Image sizes: mostly small, sometimes long and thin (huge along one side).
inline void ReadImageSize(FuzzedDataProvider& in, int& width, int& height) {
    switch (in.ConsumeIntegralInRange<int>(0, 7)) {
        case 0: width = in.ConsumeIntegralInRange<int>(1, 1200), height = in.ConsumeIntegralInRange<int>(1, 3); break;
        case 1: width = in.ConsumeIntegralInRange<int>(1, 3), height = in.ConsumeIntegralInRange<int>(1, 1200); break;
        case 2: width = in.ConsumeIntegralInRange<int>(-3, 1), height = in.ConsumeIntegralInRange<int>(-3, 64); break;
        default: width = in.ConsumeIntegralInRange<int>(1, 72), height = in.ConsumeIntegralInRange<int>(1, 72); break;
    }
}

// A stride for a row of width pixels: usually width * 4, sometimes more, sometimes too small.
inline int ReadStride(FuzzedDataProvider& in, int width) {
    const int row = width > 0 ? width * 4 : 0;
    switch (in.ConsumeIntegralInRange<int>(0, 5)) {
        case 0: return in.ConsumeIntegralInRange<int>(-8, row);
        case 1: return row + 4 * in.ConsumeIntegralInRange<int>(1, 8);
        default: return row;
    }
}

// A scene: points with coordinates around an image of size w x h (origin cx, cy), sometimes far
// off, non-finite or degenerate; triangles with indices mostly valid, sometimes negative.
struct Scene {
    std::vector<__Point3ds> points;
    std::vector<__Triangle3ds> triangles;

    Scene(FuzzedDataProvider& in, float w, float h, int maxTriangles) {
        const int pointCount = in.ConsumeIntegralInRange<int>(1, 24);
        const float reach = in.ConsumeBool() ? 2.0f : 40.0f;
        for (int i = 0; i < pointCount; ++i) {
            __Point3ds p{};
            if (i > 0 && in.ConsumeIntegralInRange<int>(0, 7) == 0) {
                p = points[in.ConsumeIntegralInRange<std::size_t>(0, points.size() - 1)];  // a shared position
            }
            p.x = ReadFloat(in, -reach * w, reach * w);
            p.y = ReadFloat(in, -reach * h, reach * h);
            p.z = ReadFloat(in, -200.0f, 200.0f);
            p.mapped = in.ConsumeIntegralInRange<BYTE>(0, 3) != 0;
            p.u = ReadFloat(in, -2.0f, 3.0f);
            p.v = ReadFloat(in, -2.0f, 3.0f);
            p.tag = in.ConsumeIntegral<std::uint32_t>();
            p.nx = ReadFloat(in, -1.0f, 1.0f);
            p.ny = ReadFloat(in, -1.0f, 1.0f);
            p.nz = ReadFloat(in, -1.0f, 1.0f);
            points.push_back(p);
        }
        const int triangleCount = in.ConsumeIntegralInRange<int>(0, maxTriangles);
        for (int i = 0; i < triangleCount; ++i) {
            auto index = [&]() {
                return in.ConsumeIntegralInRange<int>(0, 15) == 0 ? in.ConsumeIntegralInRange<std::int32_t>(INT32_MIN, -1)
                                                                  : in.ConsumeIntegralInRange<std::int32_t>(0, pointCount - 1);
            };
            __Triangle3ds t{};
            t.v0 = index(), t.v1 = index(), t.v2 = index();
            t.flags = in.ConsumeIntegral<std::uint16_t>();
            t.material = in.ConsumeIntegralInRange<std::uint16_t>(0, 5);
            triangles.push_back(t);
        }
    }
    int Count() const { return static_cast<int>(triangles.size()); }
};

}  // namespace fuzz
