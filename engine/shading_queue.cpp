// A triangle's pixels shaded in drawing order with the kernel of its material: the steps that
// follow one pixel after another (maps, bump, glass with its memory of the previous pixel) one by
// one, the lighting of all of them on the processor's widest lanes, the same bits as the kernel.
#include <cstddef>
#include <cstdint>
#include <new>

#include "engine/shading_lanes_p.h"

namespace trivane::shading {

namespace {

constexpr int kRun = 64;

// The exact lighting of count pixels on the widest lanes, then narrower ones for the rest.
void LightAll(const Plan& plan, const lanes::ExactBatch& b, int count) {
    const int width = LaneWidth();
    int i = 0;
    if (width >= 16) {
        const int whole = count / 8 * 8;
        lanes::LightRun8(plan, b, 0, whole);
        i = whole;
    }
    if (width >= 8) {
        const int whole = (count - i) / 4 * 4;
        lanes::LightRun4(plan, b, i, whole);
        i += whole;
    }
    if (width >= 4) {
        const int whole = (count - i) / 2 * 2;
        lanes::LightRun<2>(plan, b, i, whole);
        i += whole;
    }
    lanes::LightRun<1>(plan, b, i, count - i);
}

Pixel PixelOf(const QueuedPixels& q, int i, const __Point* normal) {
    return Pixel{q.originX, q.originY, q.target, q.background, q.x[i], q.y[i], q.z[i], normal,
                 q.u != nullptr ? q.u[i] : 0.0f, q.v != nullptr ? q.v[i] : 0.0f, q.previous[i],
                 q.planeA, q.planeB, q.planeC, q.planeD};
}

// Pixels [0, count) in groups of eight where the processor has such lanes, then of four, and the
// last few one by one (a lane of their own would cost more): eight(first, n), four(first, n), one(i).
template <typename Eight, typename Four, typename One>
void InLaneGroups(int count, Eight eight, Four four, One one) {
    const int width = LaneWidth();
    int i = 0;
    if (width >= 8) {
        const int whole = count / 8 * 8;
        eight(0, whole);
        i = whole;
    }
    if (width >= 4) {
        const int whole = (count - i) / 4 * 4;
        four(i, whole);
        i += whole;
    }
    for (; i < count; ++i) one(i);
}

// The glass of the run's first count pixels on lanes; the last few as the kernel refracts them.
void RefractAll(const Plan& plan, const QueuedPixels& q, const lanes::GlassBatch& b, int count) {
    GlassMemory unused;  // read with quality only
    InLaneGroups(
        count, [&](int first, int n) { lanes::RefractRun8(plan, b, first, n); },
        [&](int first, int n) { lanes::RefractRun<4>(plan, b, first, n); },
        [&](int i) {
            const __Point normal{q.nx[i], q.ny[i], q.nz[i]};
            const Vec3 n{b.nx[i], b.ny[i], b.nz[i]};
            float colour[3] = {b.c0[i], b.c1[i], b.c2[i]};
            RefractGlass(plan, PixelOf(q, i, &normal), n, colour, b.opacity[i], unused);
            b.c0[i] = colour[0], b.c1[i] = colour[1], b.c2[i] = colour[2];
        });
}

// Maps of at most this many texels have their steps kept for the lanes (a 16-bit map's take 8
// bytes a texel: at most 128 KiB a plan slot).
constexpr std::int64_t kMostStepTexels = std::int64_t{1} << 14;

template <typename T>
void MakeSteps(const MapView& map, std::int32_t* words) {
    const T* texels = static_cast<const T*>(map.texels);
    auto height = [&](int x, int y) {
        const T* t = texels + (static_cast<std::size_t>(y) * static_cast<std::size_t>(map.width) +
                               static_cast<std::size_t>(x)) * 4u;
        return static_cast<std::int32_t>(t[0]) + static_cast<std::int32_t>(t[1]) + static_cast<std::int32_t>(t[2]);
    };
    std::size_t at = 0;
    for (int y = 0; y < map.height; ++y) {
        const int below = y + 1 < map.height ? y + 1 : map.height - 1;
        for (int x = 0; x < map.width; ++x, ++at) {
            const int right = x + 1 < map.width ? x + 1 : map.width - 1;
            const std::int32_t centre = height(x, y);
            const std::int32_t stepX = height(right, y) - centre, stepY = height(x, below) - centre;
            if constexpr (sizeof(T) == 1) {
                words[at] = static_cast<std::int32_t>((static_cast<std::uint32_t>(stepX) & 0xFFFFu) |
                                                      (static_cast<std::uint32_t>(stepY) << 16));
            } else {
                words[2 * at] = stepX, words[2 * at + 1] = stepY;
            }
        }
    }
}

// The steps of the plan's bump map for the lanes, made on the call's first use on this thread and
// kept in the plan's slot (materials drawn in turn keep theirs); null for a larger map or without
// the memory (the lanes then read the texels).
const std::int32_t* StepsOf(const Plan& plan) {
    const MapView& map = plan.bumpMap;
    const std::int64_t texels = static_cast<std::int64_t>(map.width) * map.height;
    if (texels > kMostStepTexels) return nullptr;
    BumpSteps& steps =
        CurrentShading().bumpSteps[static_cast<unsigned>(plan.materialIndex) % ShadingScratch::kPlanSlots];
    if (steps.generation == plan.generation && steps.texels == map.texels && steps.width == map.width &&
        steps.height == map.height && steps.is16 == map.is16) {
        return steps.words.get();
    }
    const std::size_t words = static_cast<std::size_t>(texels) * (map.is16 ? 2u : 1u);
    if (words > steps.capacity) {
        steps.words.reset(new (std::nothrow) std::int32_t[words]);
        steps.capacity = steps.words != nullptr ? words : 0;
    }
    steps.generation = 0;
    if (steps.words == nullptr) return nullptr;
    if (map.is16) {
        MakeSteps<std::uint16_t>(map, steps.words.get());
    } else {
        MakeSteps<std::uint8_t>(map, steps.words.get());
    }
    steps.texels = map.texels, steps.width = map.width, steps.height = map.height, steps.is16 = map.is16;
    steps.generation = plan.generation;
    return steps.words.get();
}

// The bump of the run's pixels on lanes; the last few, and with quality those whose footprint
// needs the window means, as the kernel tilts them.
void BumpAll(const Plan& plan, const QueuedPixels& q, const float* u, const float* v, float n[3][kRun]) {
    static const __PrevInfo kNoRecord{};
    const float nan = __builtin_nanf("");
    float previousU[kRun], previousV[kRun];
    std::int32_t beyond[kRun];  // written by the lanes
    lanes::BumpBatch b{u, v, n[0], n[1]};
    b.steps = StepsOf(plan);
    if (plan.quality) {
        if (q.previousU != nullptr) {
            b.previousU = q.previousU, b.previousV = q.previousV;
        } else {
            for (int i = 0; i < q.count; ++i) {
                const __PrevInfo& previous = q.previous[i] != nullptr ? *q.previous[i] : kNoRecord;
                previousU[i] = previous.valid ? previous.u : nan;
                previousV[i] = previous.valid ? previous.v : nan;
            }
            b.previousU = previousU, b.previousV = previousV;
        }
        b.beyond = beyond;
    }
    auto one = [&](int i) {
        const __Point normal{q.nx[i], q.ny[i], q.nz[i]};
        Vec3 bumped{n[0][i], n[1][i], n[2][i]};
        ApplyBump(plan, PixelOf(q, i, &normal), bumped);
        n[0][i] = bumped.x, n[1][i] = bumped.y;
    };
    int onLanes = 0;
    InLaneGroups(
        q.count,
        [&](int first, int count) {
            lanes::BumpRun8(plan, b, first, count);
            onLanes = first + count;
        },
        [&](int first, int count) {
            lanes::BumpRun<4>(plan, b, first, count);
            onLanes = first + count;
        },
        one);
    if (plan.quality) {
        std::int32_t any = 0;
        for (int i = 0; i < onLanes; ++i) any |= beyond[i];
        for (int i = 0; any != 0 && i < onLanes; ++i) {
            if (beyond[i] != 0) one(i);
        }
    }
}

// Whether the plan's bump runs on lanes: with textures of at most 2^24 texels a side, and only when
// nothing per pixel reads the bumped normal before the lighting (glass, if any, is on lanes too).
bool BumpOnLanes(const Plan& plan, bool glassOnLanes) {
    constexpr int kMostSide = 1 << 24;
    return plan.bumpMap && (!plan.glass || glassOnLanes) && plan.bumpMap.width <= kMostSide &&
           plan.bumpMap.height <= kMostSide;
}

// Whether the plan's glass sees the caller's background alone, one sample per channel: the glass
// then runs on lanes after the other steps of all the run's pixels (it keeps no memory of the
// previous pixel without quality).
bool PlainGlass(const Plan& plan) {
    return plan.glass && !plan.quality && !plan.twoPassFront &&
           (!plan.multipleRefraction || g_state.backCopy == nullptr);
}

// Whether the steps before the lanes' bump, glass and lighting come down to the shaded normal:
// no map read per pixel, and the bump and glass, if any, on lanes.
bool OnlyNormals(const Plan& plan, bool bumpOnLanes, bool glassOnLanes) {
    return !plan.reflectionMap && !plan.colourMap && !plan.opacityMap && (!plan.bumpMap || bumpOnLanes) &&
           (!plan.glass || glassOnLanes);
}

// The normals of the run's first count pixels as the kernel shades them, on lanes.
void ShadeNormals(const Plan& plan, const QueuedPixels& q, float n[3][kRun], int count) {
    const lanes::NormalBatch b{q.nx, q.ny, q.nz, n[0], n[1], n[2]};
    InLaneGroups(
        count, [&](int first, int n8) { lanes::NormalRun8(plan, b, first, n8); },
        [&](int first, int n4) { lanes::NormalRun<4>(plan, b, first, n4); },
        [&](int i) {
            const __Point normal{q.nx[i], q.ny[i], q.nz[i]};
            const Vec3 shaded = ShadeNormal(plan, &normal);
            n[0][i] = shaded.x, n[1][i] = shaded.y, n[2][i] = shaded.z;
        });
}

// The material's colour and the given opacity for the run's first count pixels.
void MaterialColour(const Plan& plan, const QueuedPixels& q, float colour[3][kRun], float opacity, int count) {
    for (int i = 0; i < count; ++i) {
        colour[0][i] = plan.colour[0], colour[1][i] = plan.colour[1], colour[2][i] = plan.colour[2];
        q.opacity[i] = opacity;
    }
}

void ShadeRun(const Plan& plan, const QueuedPixels& q) {
    float n[3][kRun], colour[3][kRun];
    lanes::ExactBatch b{q.x, q.y, q.z, q.nx, q.ny, q.nz, true, colour[0], colour[1], colour[2],
                        q.red, q.green, q.blue};
    // The pixels the steps on lanes take: with the queue's padding, the last group whole where every
    // step before the lighting is on lanes (those one pixel after another see the run's own pixels).
    const int padded = q.padded > q.count && LaneWidth() >= 4 ? q.padded : q.count;
    int lanesCount = q.count;
    if (plan.kernel == KernelPhong) {
        lanesCount = padded;
        MaterialColour(plan, q, colour, plan.opacity, lanesCount);
    } else if (plan.kernel == KernelFull) {
        // A run of fewer pixels than the narrowest lanes is refracted and bumped pixel by pixel.
        const bool glassOnLanes = q.count >= 4 && PlainGlass(plan);
        const bool bumpOnLanes = q.count >= 4 && BumpOnLanes(plan, glassOnLanes);
        GlassMemory* glass = plan.glass && !glassOnLanes ? &CurrentShading().glass : nullptr;
        if (OnlyNormals(plan, bumpOnLanes, glassOnLanes)) {
            // The padded pixels keep the shaded normal where the bump is on lanes: it tilts the
            // run's own pixels only.
            lanesCount = padded;
            ShadeNormals(plan, q, n, lanesCount);
            MaterialColour(plan, q, colour, Clamp01(plan.opacity), lanesCount);
        } else {
            for (int i = 0; i < q.count; ++i) {
                const __Point normal{q.nx[i], q.ny[i], q.nz[i]};
                Vec3 shaded;
                float c[3];
                q.opacity[i] = Clamp01(PrepareFull(plan, PixelOf(q, i, &normal), shaded, c, glass, bumpOnLanes));
                n[0][i] = shaded.x, n[1][i] = shaded.y, n[2][i] = shaded.z;
                colour[0][i] = c[0], colour[1][i] = c[1], colour[2][i] = c[2];
            }
        }
        if (bumpOnLanes) {
            static const float kZeros[kRun] = {};
            BumpAll(plan, q, q.u != nullptr ? q.u : kZeros, q.v != nullptr ? q.v : kZeros, n);
        }
        if (glassOnLanes) {
            const lanes::GlassBatch g{q.x, q.y, n[0], n[1], n[2], colour[0], colour[1], colour[2], q.opacity,
                                      q.originX, q.originY, q.background, g_state.stride, Zwidth, Zheight};
            RefractAll(plan, q, g, lanesCount);
        }
        b.nx = n[0], b.ny = n[1], b.nz = n[2];
        b.rawNormals = false;
    } else {
        for (int i = 0; i < q.count; ++i) {
            const __Point normal{q.nx[i], q.ny[i], q.nz[i]};
            float out[3];
            q.opacity[i] = plan.kernel(plan, PixelOf(q, i, &normal), out);
            q.red[i] = out[0], q.green[i] = out[1], q.blue[i] = out[2];
        }
        return;
    }
    LightAll(plan, b, lanesCount);
}

}  // namespace

void ShadeQueued(const Plan& plan, const QueuedPixels& q) {
    for (int first = 0; first < q.count; first += kRun) {
        QueuedPixels part = q;
        part.count = q.count - first < kRun ? q.count - first : kRun;
        part.x += first, part.y += first, part.z += first;
        part.nx += first, part.ny += first, part.nz += first;
        if (part.u != nullptr) part.u += first, part.v += first;
        part.previous += first;
        if (part.previousU != nullptr) part.previousU += first, part.previousV += first;
        part.red += first, part.green += first, part.blue += first, part.opacity += first;
        part.padded = q.padded - first <= kRun ? q.padded - first : 0;  // the last run's
        ShadeRun(plan, part);
    }
}

}  // namespace trivane::shading
