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

// The group's pixels in the image or plane at `base` as whole words, one lane a pixel: an 8-bit
// pixel is one word (channel c at bit 8c), a 16-bit pixel two (channels 0 and 1 in the first,
// 2 and 3 in the second, each at bit 16 (c % 2)); and back.
template <int W, typename S>
struct Words {
    U<W> w[sizeof(S)];
};
template <typename S>
constexpr int kChannelBits = 8 * static_cast<int>(sizeof(S));
template <typename S>
constexpr int WordOf(int channel) {
    return channel * kChannelBits<S> / 32;
}
template <typename S>
constexpr int ShiftOf(int channel) {
    return channel * kChannelBits<S> % 32;
}
template <int W, typename S>
inline Words<W, S> LoadWordsOf(const BYTE* base, std::size_t first, const Group<W>& g) {
    static_assert(std::endian::native == std::endian::little, "pixels are read as little-endian words");
    Words<W, S> p;
    if constexpr (sizeof(S) == 1) {
        if (g.sideBySide)
            std::memcpy(&p.w[0], base + (g.offset[0] - first), sizeof p.w[0]);
        else
            p.w[0] = LoadWords<W>(base, first, g, 0);
    } else {
        if (g.sideBySide) {
            U<W> a, b;
            std::memcpy(&a, base + (g.offset[0] - first), sizeof a);
            std::memcpy(&b, base + (g.offset[0] - first) + sizeof a, sizeof b);
            p.w[0] = EveryOther<W>(a, b, std::make_index_sequence<W>(), 0);
            p.w[1] = EveryOther<W>(a, b, std::make_index_sequence<W>(), 1);
        } else {
            p.w[0] = LoadWords<W>(base, first, g, 0), p.w[1] = LoadWords<W>(base, first, g, 4);
        }
    }
    return p;
}
template <int W, typename S>
inline void StoreWordsOf(BYTE* base, std::size_t first, const Group<W>& g, const Words<W, S>& p) {
    if constexpr (sizeof(S) == 1) {
        if (g.sideBySide)
            std::memcpy(base + (g.offset[0] - first), &p.w[0], sizeof p.w[0]);
        else
            StoreWords<W>(base, first, g, 0, p.w[0]);
    } else {
        if (g.sideBySide) {
            const U<W> a = Interleaved<W>(p.w[0], p.w[1], std::make_index_sequence<W>(), false);
            const U<W> b = Interleaved<W>(p.w[0], p.w[1], std::make_index_sequence<W>(), true);
            std::memcpy(base + (g.offset[0] - first), &a, sizeof a);
            std::memcpy(base + (g.offset[0] - first) + sizeof a, &b, sizeof b);
        } else {
            StoreWords<W>(base, first, g, 0, p.w[0]);
            StoreWords<W>(base, first, g, 4, p.w[1]);
        }
    }
}

// One channel of the pixels' words.
template <int W, typename S>
inline I<W> Channel(const Words<W, S>& p, int channel) {
    constexpr std::uint32_t kMask = sizeof(S) == 1 ? 0xFFu : 0xFFFFu;
    return reinterpret_cast<I<W>>((p.w[WordOf<S>(channel)] >> ShiftOf<S>(channel)) & kMask);
}
// Pixels' words from their channels (each within 0..full).
template <int W, typename S>
inline Words<W, S> Pack(const I<W> (&c)[4]) {
    Words<W, S> p{};
    for (int ch = 0; ch < 4; ++ch) p.w[WordOf<S>(ch)] |= reinterpret_cast<U<W>>(c[ch]) << ShiftOf<S>(ch);
    return p;
}

// The channels of the group's pixels in the image or plane at `base`, and back.
template <int W, typename S>
inline Channels<W> LoadPixels(const BYTE* base, std::size_t first, const Group<W>& g) {
    const Words<W, S> words = LoadWordsOf<W, S>(base, first, g);
    Channels<W> p;
    for (int c = 0; c < 4; ++c) p.c[c] = Channel<W, S>(words, c);
    return p;
}
template <int W, typename S>
inline void StorePixels(BYTE* base, std::size_t first, const Group<W>& g, const Channels<W>& p) {
    StoreWordsOf<W, S>(base, first, g, Pack<W, S>(p.c));
}

// Pixels [first, first + count) of a run, count a multiple of W: the composite writer's layer pixel
// (colour and cover; cover 0 draws nothing) and CompositePixel's cases (opaque, over a clear pixel,
// over a drawn pixel with or without a similar edge), each worked out on every lane and chosen per
// lane. The pixels stay whole words where a case takes a pixel (or its colour, or its coverage) as
// it is, so that few vectors are live at once. The memories change only where a lane is partly
// covered over a drawn pixel or opaque over an edge: a group with neither leaves the under-edge
// memory unread and both unwritten.
template <int W, typename S>
inline void CompositeLanes(const SceneCall& call, const CompositeBatch& b, int first, int count) {
    if (count <= 0) return;
    constexpr int kWords = static_cast<int>(sizeof(S));
    constexpr std::uint32_t kCoverBits = (sizeof(S) == 1 ? 0xFFu : 0xFFFFu) << ShiftOf<S>(3);
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
        const I<W> layer[4] = {ClampLanes<W>(shading::lanes::Load<W>(b.red + i), f),
                               ClampLanes<W>(shading::lanes::Load<W>(b.green + i), f),
                               ClampLanes<W>(shading::lanes::Load<W>(b.blue + i), f), cover};
        const Words<W, S> own = Pack<W, S>(layer);
        const Words<W, S> t = LoadWordsOf<W, S>(call.target, 0, group);
        const Words<W, S> e = LoadWordsOf<W, S>(call.edge, planeFirst, group);
        const I<W> targetCover = Channel<W, S>(t, 3), edgeCover = Channel<W, S>(e, 3);

        // Each lane's case.
        const I<W> drawn = cover != zero, opaque = cover >= top, clear = targetCover == zero;
        const I<W> opaqueEdge = opaque & (edgeCover != zero);  // the memories take the opaque colour
        const I<W> partly = drawn & ~opaque & ~clear;
        Words<W, S> targetOut;
        if (AllZero<W>(partly | opaqueEdge)) {
            // The layer pixel as it is where drawn (opaque, or over a clear pixel).
            for (int j = 0; j < kWords; ++j) targetOut.w[j] = drawn ? own.w[j] : t.w[j];
            StoreWordsOf<W, S>(call.target, 0, group, targetOut);
            continue;
        }
        const Words<W, S> u = LoadWordsOf<W, S>(call.underEdge, planeFirst, group);

        // Partly covered over a drawn pixel: blended against what lay under a similar edge, or the
        // memories taken afresh.
        I<W> difference = zero;
        for (int k = 0; k < 3; ++k) {
            const I<W> d = Channel<W, S>(e, k) - layer[k];
            const I<W> magnitude = d < zero ? -d : d;
            difference = magnitude > difference ? magnitude : difference;
        }
        const I<W> similar = (edgeCover != zero) & (difference < similarLimit);
        const I<W> raised = cover > edgeCover ? cover : edgeCover;
        const I<W> c = similar ? raised : cover;
        const F<W> k = __builtin_convertvector(c, F<W>) / f;
        Words<W, S> from;  // what the blend starts from: under a similar edge, else the target
        for (int j = 0; j < kWords; ++j) from.w[j] = similar ? u.w[j] : t.w[j];
        I<W> blended[4];
        for (int ch = 0; ch < 3; ++ch) {
            const F<W> start = __builtin_convertvector(Channel<W, S>(from, ch), F<W>);
            blended[ch] = ClampLanes<W>(start + (__builtin_convertvector(layer[ch], F<W>) - start) * k, f);
        }
        blended[3] = c > targetCover ? c : targetCover;
        const Words<W, S> mixed = Pack<W, S>(blended);
        Words<W, S> edgeOut, underOut;
        for (int j = 0; j < kWords; ++j) {
            const U<W> coverBits = U<W>{} + (j == WordOf<S>(3) ? kCoverBits : 0u), colourBits = ~coverBits;
            const U<W> raisedWord = j == WordOf<S>(3) ? reinterpret_cast<U<W>>(raised) << ShiftOf<S>(3) : U<W>{};
            targetOut.w[j] = drawn ? (opaque | clear ? own.w[j] : mixed.w[j]) : t.w[j];
            const U<W> edgeAfter = similar ? ((e.w[j] & colourBits) | raisedWord) : own.w[j];
            edgeOut.w[j] = opaqueEdge ? ((own.w[j] & colourBits) | (e.w[j] & coverBits))
                                      : (partly ? edgeAfter : e.w[j]);
            underOut.w[j] = (u.w[j] & coverBits) |
                            (colourBits & (opaqueEdge ? own.w[j] : (partly ? from.w[j] : u.w[j])));
        }
        StoreWordsOf<W, S>(call.target, 0, group, targetOut);
        StoreWordsOf<W, S>(call.edge, planeFirst, group, edgeOut);
        StoreWordsOf<W, S>(call.underEdge, planeFirst, group, underOut);
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
