// Glass: each colour channel takes the background displaced along the normal by its own length
// (chromatic aberration), tinted by the surface colour. With quality the sample is a weighted
// 2 x 2 mean, or a window mean where the samples jump between neighbouring pixels.
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstdint>

#include "engine/shading_p.h"

namespace trivane::shading {

namespace {

constexpr float kSameLayerDepth = 30.0f;  // glass depths closer than this are the same layer
constexpr float kDepthEmptyBelow = -1e37f;
constexpr int kMaxWindow = 5;

// The images a glass pixel reads, fixed for the call.
struct Sources {
    const Plan& plan;
    const std::uint8_t* background;
    const std::uint8_t* target;
    std::uint8_t* copy;
    float* glassDepth;
    int width, height;
    int stride;

    std::size_t Index(int px, int py) const {
        return static_cast<std::size_t>(py) * static_cast<std::size_t>(stride) + static_cast<std::size_t>(px) * 4u;
    }
    float Read(const std::uint8_t* image, std::size_t index) const {
        if (image == nullptr) return 0.0f;
        return plan.deepSamples ? static_cast<float>(reinterpret_cast<const std::uint16_t*>(image)[index])
                                : static_cast<float>(image[index]);
    }
    void CopyTargetPixel(std::size_t index) const {
        if (plan.deepSamples) {
            auto* to = reinterpret_cast<std::uint16_t*>(copy) + index;
            const auto* from = reinterpret_cast<const std::uint16_t*>(target) + index;
            for (int k = 0; k < 4; ++k) to[k] = from[k];
        } else {
            for (int k = 0; k < 4; ++k) copy[index + k] = target[index + k];
        }
    }

    // The value of one channel (3: coverage) seen through the glass at pixel (px, py), whose own
    // depth on the glass surface is depth.
    float Value(int px, int py, int channel, float depth) const {
        const std::size_t index = Index(px, py);
        if (plan.twoPassFront) {
            // Front pass over drawn back faces: their copy, weighed by the target's coverage.
            if (copy == nullptr || Read(copy, index + 3) == 0.0f) return Read(background, index + channel);
            const float k = Read(target, index + 3) / plan.fullScale;
            return Read(copy, index + channel) * k + Read(background, index + channel) * (1.0f - k);
        }
        if (!plan.multipleRefraction || copy == nullptr) return Read(background, index + channel);
        if (glassDepth != nullptr && target != nullptr) {
            // Another glass layer, drawn since this pixel was last refreshed: see it.
            const float g = glassDepth[static_cast<std::size_t>(py) * static_cast<std::size_t>(width) + px];
            if (!(std::fabs(g - depth) < kSameLayerDepth) && Read(target, index + 3) >= plan.fullScale &&
                g > kDepthEmptyBelow) {
                CopyTargetPixel(index);
            }
        }
        return Read(copy, index + channel);
    }

    float PlaneDepth(const Pixel& pixel, int px, int py) const {
        if (std::fabs(pixel.planeC) > 0.01f) {
            return -(pixel.planeA * static_cast<float>(px) + pixel.planeB * static_cast<float>(py) + pixel.planeD) /
                   pixel.planeC;
        }
        return pixel.z;
    }
};

// The common case: nothing but the caller's background is seen through the glass (no other glass
// layer, no back faces drawn first), read straight at the sample type.
template <typename S>
struct PlainSources {
    const Plan& plan;
    const S* background;
    float* glassDepth;  // always null: nothing reads it
    int width, height;
    int stride;  // in samples

    float Value(int px, int py, int channel, float) const {
        if (background == nullptr) return 0.0f;
        return static_cast<float>(background[static_cast<std::size_t>(py) * static_cast<std::size_t>(stride) +
                                             static_cast<std::size_t>(px) * 4u + static_cast<std::size_t>(channel)]);
    }
    float PlaneDepth(const Pixel&, int, int) const { return 0.0f; }
};

// Inside the clip rectangle along one axis once truncated.
inline bool Inside(float coordinate, int size) { return coordinate > -1.0f && coordinate < static_cast<float>(size); }

// Weighted 2 x 2 mean from the truncated sample (neighbours held at the last column and row).
template <typename Source>
float FilteredValue(const Source& s, const Pixel& pixel, float sx, float sy, int channel) {
    const int ix = static_cast<int>(sx);
    const int iy = static_cast<int>(sy);
    const float fx = sx - static_cast<float>(ix);
    const float fy = sy - static_cast<float>(iy);
    const int nx = ix + 1 < s.width ? ix + 1 : s.width - 1;
    const int ny = iy + 1 < s.height ? iy + 1 : s.height - 1;
    const float wSelf = (2.0f - fx - fy) * (2.0f - fx - fy);
    const float wDiagonal = (fx + fy) * (fx + fy);
    const float wRight = (1.0f + fx - fy) * (1.0f + fx - fy);
    const float wBelow = (1.0f - fx + fy) * (1.0f - fx + fy);
    const float sum = s.Value(ix, iy, channel, s.PlaneDepth(pixel, ix, iy)) * wSelf +
                      s.Value(nx, ny, channel, s.PlaneDepth(pixel, nx, ny)) * wDiagonal +
                      s.Value(nx, iy, channel, s.PlaneDepth(pixel, nx, iy)) * wRight +
                      s.Value(ix, ny, channel, s.PlaneDepth(pixel, ix, ny)) * wBelow;
    return sum / (wSelf + wDiagonal + wRight + wBelow);
}

// Whole pixels moved along one axis, held to a sane range before truncation.
inline int Moved(float now, float before) {
    float d = now - before;
    if (!(d > -1e6f)) d = -1e6f;
    if (d > 1e6f) d = 1e6f;
    return static_cast<int>(d);
}

// Mean over the window the sample swept since the previous pixel (up to 5 x 5 pixels back
// towards the previous sample), with the window's mean coverage. Channel 2 marks the glass
// depth of the pixels it reads.
template <typename Source>
float WindowValue(const Source& s, const Pixel& pixel, int ix, int iy, int dx, int dy, int channel, float& coverage) {
    const int wx = std::abs(dx) + 1 < kMaxWindow ? std::abs(dx) + 1 : kMaxWindow;
    const int wy = std::abs(dy) + 1 < kMaxWindow ? std::abs(dy) + 1 : kMaxWindow;
    const int stepX = dx > 0 ? -1 : 1;
    const int stepY = dy > 0 ? -1 : 1;
    float sum = 0.0f, coverageSum = 0.0f;
    int count = 0;
    for (int j = 0; j < wy; ++j) {
        const int py = iy + j * stepY;
        if (py < 0 || py >= s.height) continue;
        for (int i = 0; i < wx; ++i) {
            const int px = ix + i * stepX;
            if (px < 0 || px >= s.width) continue;
            sum += s.Value(px, py, channel, pixel.z);
            coverageSum += s.Value(px, py, 3, pixel.z);
            if (channel == 2 && s.glassDepth != nullptr) {
                s.glassDepth[static_cast<std::size_t>(py) * static_cast<std::size_t>(s.width) + px] = pixel.z;
            }
            ++count;
        }
    }
    // The sample pixel itself is always inside, so count >= 1.
    coverage = coverageSum / static_cast<float>(count) / s.plan.fullScale;
    return sum / static_cast<float>(count);
}

// The same over the caller's background alone: the rows and columns inside the image found first,
// then summed in the same order.
template <typename S>
float WindowValue(const PlainSources<S>& s, const Pixel&, int ix, int iy, int dx, int dy, int channel,
                  float& coverage) {
    const int wx = std::abs(dx) + 1 < kMaxWindow ? std::abs(dx) + 1 : kMaxWindow;
    const int wy = std::abs(dy) + 1 < kMaxWindow ? std::abs(dy) + 1 : kMaxWindow;
    const int stepX = dx > 0 ? -1 : 1;
    const int stepY = dy > 0 ? -1 : 1;
    // The steps i (and j) whose column (row) ix + i * step lies inside [0, size).
    auto inside = [](int start, int step, int steps, int size, int& first, int& end) {
        if (step > 0) {
            first = start < 0 ? -start : 0;
            end = size - start < steps ? size - start : steps;
        } else {
            first = start >= size ? start - size + 1 : 0;
            end = start + 1 < steps ? start + 1 : steps;
        }
    };
    int i0, i1, j0, j1;
    inside(ix, stepX, wx, s.width, i0, i1);
    inside(iy, stepY, wy, s.height, j0, j1);
    float sum = 0.0f, coverageSum = 0.0f;
    if (s.background != nullptr) {
        for (int j = j0; j < j1; ++j) {
            const S* row = s.background + static_cast<std::size_t>(iy + j * stepY) * static_cast<std::size_t>(s.stride);
            for (int i = i0; i < i1; ++i) {
                const S* pixel = row + static_cast<std::size_t>(ix + i * stepX) * 4u;
                sum += static_cast<float>(pixel[channel]);
                coverageSum += static_cast<float>(pixel[3]);
            }
        }
    }
    const int count = (i1 - i0) * (j1 - j0);
    // The sample pixel itself is always inside, so count >= 1.
    coverage = coverageSum / static_cast<float>(count) / s.plan.fullScale;
    return sum / static_cast<float>(count);
}

// Where a pixel's three channels look from before the image's bounds are applied: the pixel's
// place, the factor of the displacement along the normal, and each channel's length (the
// refraction, spread by the aberration).
struct Displacement {
    float px, py, f;
    float lengths[3];
};

inline Displacement Displace(const Plan& plan, const Pixel& pixel, const Vec3& n) {
    const float o = plan.opticalCoefficient;
    return {pixel.originX + pixel.x,
            pixel.originY + pixel.y,
            -n.z * o - ((n.z - 1.0f) * o + 1.0f),
            {plan.refraction, plan.refraction * plan.aberrationFactor,
             plan.refraction * plan.aberrationFactor * plan.aberrationFactor}};
}

template <typename Source>
void Refract(const Source& s, const Plan& plan, const Pixel& pixel, const Vec3& n, float colour[3], float& opacity,
             GlassMemory& last) {
    const Displacement d = Displace(plan, pixel, n);
    const float px = d.px, py = d.py, f = d.f;
    const float* lengths = d.lengths;

    const bool jumpsKnown = plan.quality && !plan.drawBackFaces && pixel.previous != nullptr &&
                            pixel.previous->valid && last.valid && last.x == pixel.previous->x &&
                            last.y == pixel.previous->y;
    GlassMemory memory;
    memory.valid = true;
    memory.x = pixel.x;
    memory.y = pixel.y;
    float coverageSum = 0.0f;
    int windowed = 0;

    for (int c = 0; c < 3; ++c) {
        float sx = px + f * n.x * lengths[c];
        float sy = py + f * n.y * lengths[c];
        if (!Inside(sx, s.width)) sx = px;
        if (!Inside(sy, s.height)) sy = py;
        memory.sampleX[c] = sx;
        memory.sampleY[c] = sy;
        const float tint = colour[c] - 0.5f;
        if (!Inside(sx, s.width) || !Inside(sy, s.height)) {
            opacity = 0.0f;
            colour[c] = Clamp01(tint);
            continue;
        }
        float value;
        const int ix = static_cast<int>(sx);
        const int iy = static_cast<int>(sy);
        if (!plan.quality) {
            value = s.Value(ix, iy, c, pixel.z);
        } else {
            int dx = 0, dy = 0;
            if (jumpsKnown) {
                dx = Moved(sx, last.sampleX[c]);
                dy = Moved(sy, last.sampleY[c]);
            }
            if (std::abs(dx) + std::abs(dy) > 2) {
                float coverage;
                value = WindowValue(s, pixel, ix, iy, dx, dy, c, coverage);
                coverageSum += coverage;
                ++windowed;
            } else {
                value = FilteredValue(s, pixel, sx, sy, c);
            }
        }
        colour[c] = Clamp01(value / plan.fullScale + tint);
    }
    if (windowed > 0) {
        const float coverage = coverageSum / static_cast<float>(windowed);
        if (coverage < opacity) opacity = coverage;
    }
    last = memory;
}

// Refract without quality over the caller's background alone (the previews): one sample per
// channel, the same steps as above in the same order, with the image bounds and the sample
// scale read once instead of for every test.
template <typename S>
void RefractSampled(const PlainSources<S>& s, const Plan& plan, const Pixel& pixel, const Vec3& n, float colour[3],
                    float& opacity, GlassMemory& last) {
    const Displacement d = Displace(plan, pixel, n);
    const float px = d.px, py = d.py, f = d.f;
    const float* lengths = d.lengths;
    const float width = static_cast<float>(s.width), height = static_cast<float>(s.height);
    auto insideX = [width](float x) { return x > -1.0f && x < width; };
    auto insideY = [height](float y) { return y > -1.0f && y < height; };
    const float fullScale = plan.fullScale;

    GlassMemory memory;
    memory.valid = true;
    memory.x = pixel.x;
    memory.y = pixel.y;
    for (int c = 0; c < 3; ++c) {
        float sx = px + f * n.x * lengths[c];
        float sy = py + f * n.y * lengths[c];
        if (!insideX(sx)) sx = px;
        if (!insideY(sy)) sy = py;
        memory.sampleX[c] = sx;
        memory.sampleY[c] = sy;
        const float tint = colour[c] - 0.5f;
        if (!insideX(sx) || !insideY(sy)) {
            opacity = 0.0f;
            colour[c] = Clamp01(tint);
            continue;
        }
        const float value = s.Value(static_cast<int>(sx), static_cast<int>(sy), c, pixel.z);
        colour[c] = Clamp01(value / fullScale + tint);
    }
    last = memory;
}

}  // namespace

void RefractGlass(const Plan& plan, const Pixel& pixel, const Vec3& n, float colour[3], float& opacity,
                  GlassMemory& last) {
    if (!plan.twoPassFront && (!plan.multipleRefraction || g_state.backCopy == nullptr)) {
        const int stride = g_state.stride;  // in samples at either depth
        if (plan.deepSamples) {
            const PlainSources<std::uint16_t> s{plan, reinterpret_cast<const std::uint16_t*>(pixel.background),
                                                nullptr, Zwidth, Zheight, stride};
            if (plan.quality) {
                Refract(s, plan, pixel, n, colour, opacity, last);
            } else {
                RefractSampled(s, plan, pixel, n, colour, opacity, last);
            }
        } else {
            const PlainSources<std::uint8_t> s{plan, pixel.background, nullptr, Zwidth, Zheight, stride};
            if (plan.quality) {
                Refract(s, plan, pixel, n, colour, opacity, last);
            } else {
                RefractSampled(s, plan, pixel, n, colour, opacity, last);
            }
        }
        return;
    }
    const Sources s{plan, pixel.background, pixel.target, g_state.backCopy, g_state.glassDepth,
                    Zwidth, Zheight, g_state.stride};
    Refract(s, plan, pixel, n, colour, opacity, last);
}

}  // namespace trivane::shading
