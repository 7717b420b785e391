#pragma once
// Layer compositing on lanes: a run of shaded pixels blended as layer pixels and composited into the
// target, one pixel a lane, with CompositePixel's integer and float operations in the same order,
// so every width gives its bytes. The pixels of a run are distinct, so no two lanes touch the same
// pixel.
#include <bit>
#include <cstring>
#include <utility>

#include "engine/raster_p.h"
#include "engine/shading_lanes_p.h"

namespace trivane::composite {

// Pixels [first, first + count) on the AVX2 processors' eight lanes (shading_batch_avx2.cpp).
template <typename S>
void CompositeRun8(const SceneCall& call, const CompositeBatch& b, int first, int count);
template <typename S>
void BlendRun8(BYTE* image, int row0, const CompositeBatch& b, int first, int count);

// Internal linkage, as in shading_lanes_p.h.
namespace {

template <int W>
using F = shading::lanes::F<W>;
template <int W>
using I = shading::lanes::I<W>;
template <int W>
using U = shading::lanes::U<W>;

// ClampSample on lanes: 0 for NaN and below, full at and above, else truncated.
template <int W>
inline I<W> ClampLanes(F<W> value, float full) {
    const F<W> zero = F<W>{}, top = F<W>{} + full;
    const I<W> inside = __builtin_convertvector(value > zero && value < top ? value : zero, I<W>);
    return value > zero ? (value >= top ? I<W>{} + static_cast<int>(full) : inside) : I<W>{};
}

// The four channels of W pixels, one lane per pixel.
template <int W>
struct Channels {
    I<W> c[4];
};

// The coverage a run's pixels are drawn with: the opacity, times the edge coverage where there is one.
template <int W>
inline F<W> DrawnCoverage(const CompositeBatch& b, int i) {
    const F<W> opacity = shading::lanes::Load<W>(b.opacity + i);
    if (b.coverage == nullptr) return opacity;
    const F<W> coverage = shading::lanes::Load<W>(b.coverage + i);
    return coverage < F<W>{} ? opacity : coverage * opacity;
}

// Every lane zero.
template <int W>
inline bool AllZero(I<W> v) {
    std::uint64_t words[W / 2], any = 0;
    std::memcpy(words, &v, sizeof v);
    for (int k = 0; k < W / 2; ++k) any |= words[k];
    return any == 0;
}

// Where a group of W pixels of a run lies, as byte offsets PixelOffset(column, row) (one image or
// plane is reached from another by its own base): W side by side on one row (a run is a
// triangle's pixels row by row, so most groups are), read and written as whole vectors from
// offset[0], or anywhere, one word a lane.
template <int W>
struct Group {
    bool sideBySide;
    std::size_t offset[W];
};
template <int W>
inline Group<W> GroupAt(const CompositeBatch& b, int i) {
    Group<W> g;
    I<W> columns, rows, step;
    std::memcpy(&columns, b.column + i, sizeof columns);
    std::memcpy(&rows, b.row + i, sizeof rows);
    for (int k = 0; k < W; ++k) step[k] = k;
    g.sideBySide = AllZero<W>((columns - b.column[i] - step) | (rows - b.row[i]));
    const int lanes = g.sideBySide ? 1 : W;
    for (int k = 0; k < lanes; ++k) g.offset[k] = PixelOffset(b.column[i + k], b.row[i + k]);
    return g;
}

// The 32-bit words at byte `within` of the group's pixels in an image whose first row is the one
// at offset `first` (from its `base`).
template <int W>
inline U<W> LoadWords(const BYTE* base, std::size_t first, const Group<W>& g, int within) {
    U<W> word;
    for (int k = 0; k < W; ++k) {
        std::uint32_t w;
        std::memcpy(&w, base + (g.offset[k] - first) + within, 4);
        word[k] = w;
    }
    return word;
}
template <int W>
inline void StoreWords(BYTE* base, std::size_t first, const Group<W>& g, int within, U<W> word) {
    for (int k = 0; k < W; ++k) {
        const std::uint32_t w = word[k];
        std::memcpy(base + (g.offset[k] - first) + within, &w, 4);
    }
}

// The 16-bit pixels' words split into the first and second word of each pixel, and back.
template <int W, std::size_t... K>
inline U<W> EveryOther(U<W> a, U<W> b, std::index_sequence<K...>, int from) {
    return from == 0 ? __builtin_shufflevector(a, b, (2 * K)...) : __builtin_shufflevector(a, b, (2 * K + 1)...);
}
template <int W, std::size_t... K>
inline U<W> Interleaved(U<W> first, U<W> second, std::index_sequence<K...>, bool upper) {
    constexpr int kHalf = W / 2;
    return upper ? __builtin_shufflevector(first, second, (K % 2 ? W + kHalf + K / 2 : kHalf + K / 2)...)
                 : __builtin_shufflevector(first, second, (K % 2 ? W + K / 2 : K / 2)...);
}

// The channels of the group's pixels in the image or plane at `base`, and back.
template <int W, typename S>
inline Channels<W> LoadPixels(const BYTE* base, std::size_t first, const Group<W>& g) {
    static_assert(std::endian::native == std::endian::little, "pixels are read as little-endian words");
    Channels<W> p;
    if constexpr (sizeof(S) == 1) {
        U<W> word;
        if (g.sideBySide)
            std::memcpy(&word, base + (g.offset[0] - first), sizeof word);
        else
            word = LoadWords<W>(base, first, g, 0);
        for (int c = 0; c < 4; ++c) p.c[c] = reinterpret_cast<I<W>>((word >> (8 * c)) & 0xFFu);
    } else {
        U<W> low, high;
        if (g.sideBySide) {
            U<W> a, b;
            std::memcpy(&a, base + (g.offset[0] - first), sizeof a);
            std::memcpy(&b, base + (g.offset[0] - first) + sizeof a, sizeof b);
            low = EveryOther<W>(a, b, std::make_index_sequence<W>(), 0);
            high = EveryOther<W>(a, b, std::make_index_sequence<W>(), 1);
        } else {
            low = LoadWords<W>(base, first, g, 0), high = LoadWords<W>(base, first, g, 4);
        }
        p.c[0] = reinterpret_cast<I<W>>(low & 0xFFFFu), p.c[1] = reinterpret_cast<I<W>>(low >> 16);
        p.c[2] = reinterpret_cast<I<W>>(high & 0xFFFFu), p.c[3] = reinterpret_cast<I<W>>(high >> 16);
    }
    return p;
}
template <int W, typename S>
inline void StorePixels(BYTE* base, std::size_t first, const Group<W>& g, const Channels<W>& p) {
    if constexpr (sizeof(S) == 1) {
        const U<W> word = reinterpret_cast<U<W>>(p.c[0] | (p.c[1] << 8) | (p.c[2] << 16) | (p.c[3] << 24));
        if (g.sideBySide)
            std::memcpy(base + (g.offset[0] - first), &word, sizeof word);
        else
            StoreWords<W>(base, first, g, 0, word);
    } else {
        const U<W> low = reinterpret_cast<U<W>>(p.c[0] | (p.c[1] << 16));
        const U<W> high = reinterpret_cast<U<W>>(p.c[2] | (p.c[3] << 16));
        if (g.sideBySide) {
            const U<W> a = Interleaved<W>(low, high, std::make_index_sequence<W>(), false);
            const U<W> b = Interleaved<W>(low, high, std::make_index_sequence<W>(), true);
            std::memcpy(base + (g.offset[0] - first), &a, sizeof a);
            std::memcpy(base + (g.offset[0] - first) + sizeof a, &b, sizeof b);
        } else {
            StoreWords<W>(base, first, g, 0, low);
            StoreWords<W>(base, first, g, 4, high);
        }
    }
}

// Pixels [first, first + count) of a run, count a multiple of W: the composite writer's layer pixel
// (colour and cover; cover 0 draws nothing) and CompositePixel's cases (opaque, over a clear pixel,
// over a drawn pixel with or without a similar edge), each worked out on every lane and chosen per
// lane.
template <int W, typename S>
inline void CompositeLanes(const SceneCall& call, const CompositeBatch& b, int first, int count) {
    if (count <= 0) return;
    const int full = g_state.fullScale;
    const float f = static_cast<float>(full);
    const int similarLimit = full == 255 ? 20 : 20 * 256;
    const I<W> zero = I<W>{}, top = I<W>{} + full;
    // The memories hold the band's rows from planeRow0 on, with the target's stride.
    const std::size_t planeFirst = PixelOffset(0, call.planeRow0);
    for (int i = first; i < first + count; i += W) {
        const Group<W> group = GroupAt<W>(b, i);
        // The layer pixel.
        const F<W> g = DrawnCoverage<W>(b, i);
        const I<W> cover = g > F<W>{} ? (g >= F<W>{} + 1.0f ? top : ClampLanes<W>(g * f, f)) : zero;
        const I<W> layer[3] = {ClampLanes<W>(shading::lanes::Load<W>(b.red + i), f),
                               ClampLanes<W>(shading::lanes::Load<W>(b.green + i), f),
                               ClampLanes<W>(shading::lanes::Load<W>(b.blue + i), f)};
        const Channels<W> t = LoadPixels<W, S>(call.target, 0, group);
        const Channels<W> e = LoadPixels<W, S>(call.edge, planeFirst, group);
        const Channels<W> u = LoadPixels<W, S>(call.underEdge, planeFirst, group);

        // Partly covered over a drawn pixel: blended against what lay under a similar edge, or the
        // memories taken afresh.
        I<W> difference = zero;
        for (int k = 0; k < 3; ++k) {
            const I<W> d = e.c[k] - layer[k];
            const I<W> magnitude = d < zero ? -d : d;
            difference = magnitude > difference ? magnitude : difference;
        }
        const I<W> similar = (e.c[3] != zero) & (difference < similarLimit);
        const I<W> raised = cover > e.c[3] ? cover : e.c[3];
        const I<W> c = similar ? raised : cover;
        const F<W> k = __builtin_convertvector(c, F<W>) / f;
        Channels<W> blended, edgeAfter, underAfter;
        for (int ch = 0; ch < 3; ++ch) {
            underAfter.c[ch] = similar ? u.c[ch] : t.c[ch];
            edgeAfter.c[ch] = similar ? e.c[ch] : layer[ch];
            const F<W> from = __builtin_convertvector(underAfter.c[ch], F<W>);
            blended.c[ch] = ClampLanes<W>(from + (__builtin_convertvector(layer[ch], F<W>) - from) * k, f);
        }
        edgeAfter.c[3] = similar ? raised : cover;
        underAfter.c[3] = u.c[3];
        blended.c[3] = c > t.c[3] ? c : t.c[3];

        // Each lane's case.
        const I<W> drawn = cover != zero, opaque = cover >= top, clear = t.c[3] == zero;
        const I<W> opaqueEdge = opaque & (e.c[3] != zero);  // the memories take the opaque colour
        const I<W> partly = drawn & ~opaque & ~clear;
        Channels<W> targetOut, edgeOut, underOut;
        for (int ch = 0; ch < 4; ++ch) {
            const I<W> own = ch < 3 ? layer[ch] : cover;  // the layer pixel (cover is full when opaque)
            targetOut.c[ch] = drawn ? (opaque | clear ? own : blended.c[ch]) : t.c[ch];
            edgeOut.c[ch] = partly ? edgeAfter.c[ch] : e.c[ch];
            underOut.c[ch] = partly ? underAfter.c[ch] : u.c[ch];
            if (ch < 3) {
                edgeOut.c[ch] = opaqueEdge ? layer[ch] : edgeOut.c[ch];
                underOut.c[ch] = opaqueEdge ? layer[ch] : underOut.c[ch];
            }
        }
        StorePixels<W, S>(call.target, 0, group, targetOut);
        StorePixels<W, S>(call.edge, planeFirst, group, edgeOut);
        StorePixels<W, S>(call.underEdge, planeFirst, group, underOut);
    }
}

// Pixels [first, first + count) of a run, count a multiple of W, blended straight into an image
// whose first row is image row row0, as BlendPixel does one by one: nothing where the coverage is
// not positive, the clamped colour at full coverage, the colour with its coverage over a clear
// pixel, else old + (colour - old) * g with the larger coverage, each case chosen per lane.
template <int W, typename S>
inline void BlendLanes(BYTE* image, int row0, const CompositeBatch& b, int first, int count) {
    if (count <= 0) return;
    const float f = static_cast<float>(g_state.fullScale);
    const I<W> top = I<W>{} + g_state.fullScale;
    const std::size_t imageFirst = PixelOffset(0, row0);
    for (int i = first; i < first + count; i += W) {
        const Group<W> group = GroupAt<W>(b, i);
        const F<W> g = DrawnCoverage<W>(b, i);
        const F<W> colour[3] = {shading::lanes::Load<W>(b.red + i), shading::lanes::Load<W>(b.green + i),
                                shading::lanes::Load<W>(b.blue + i)};
        const I<W> drawn = g > F<W>{}, opaque = g >= F<W>{} + 1.0f;
        Channels<W> out;
        if (AllZero<W>(~opaque)) {
            // The common case: the old pixels are not read.
            for (int c = 0; c < 3; ++c) out.c[c] = ClampLanes<W>(colour[c], f);
            out.c[3] = top;
            StorePixels<W, S>(image, imageFirst, group, out);
            continue;
        }
        const Channels<W> old = LoadPixels<W, S>(image, imageFirst, group);
        const I<W> cover = ClampLanes<W>(g * f, f);
        const I<W> clear = old.c[3] == I<W>{};
        for (int c = 0; c < 3; ++c) {
            const F<W> from = __builtin_convertvector(old.c[c], F<W>);
            const I<W> own = ClampLanes<W>(colour[c], f);
            const I<W> blended = ClampLanes<W>(from + (colour[c] - from) * g, f);
            out.c[c] = drawn ? (opaque | clear ? own : blended) : old.c[c];
        }
        const I<W> raised = cover > old.c[3] ? cover : old.c[3];
        out.c[3] = drawn ? (opaque ? top : clear ? cover : raised) : old.c[3];
        StorePixels<W, S>(image, imageFirst, group, out);
    }
}

}  // namespace
}  // namespace trivane::composite
