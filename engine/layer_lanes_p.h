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

// The 32-bit words at byte offset 'offset' of the pixels at[k].
template <int W, typename S>
inline U<W> LoadWords(S* const at[W], int offset) {
    U<W> word;
    for (int k = 0; k < W; ++k) {
        std::uint32_t w;
        std::memcpy(&w, reinterpret_cast<const BYTE*>(at[k]) + offset, 4);
        word[k] = w;
    }
    return word;
}
template <int W, typename S>
inline void StoreWords(S* const at[W], int offset, U<W> word) {
    for (int k = 0; k < W; ++k) {
        const std::uint32_t w = word[k];
        std::memcpy(reinterpret_cast<BYTE*>(at[k]) + offset, &w, 4);
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

// W pixels side by side from `run` on: the same channels as LoadPixels gives for their addresses.
template <int W, typename S>
inline Channels<W> LoadRun(const S* run) {
    Channels<W> p;
    if constexpr (std::endian::native == std::endian::little && sizeof(S) == 1) {
        U<W> word;
        std::memcpy(&word, run, sizeof word);
        for (int c = 0; c < 4; ++c) p.c[c] = reinterpret_cast<I<W>>((word >> (8 * c)) & 0xFFu);
    } else if constexpr (std::endian::native == std::endian::little && sizeof(S) == 2) {
        U<W> a, b;
        std::memcpy(&a, run, sizeof a);
        std::memcpy(&b, run + 2 * W, sizeof b);
        const U<W> low = EveryOther<W>(a, b, std::make_index_sequence<W>(), 0);
        const U<W> high = EveryOther<W>(a, b, std::make_index_sequence<W>(), 1);
        p.c[0] = reinterpret_cast<I<W>>(low & 0xFFFFu), p.c[1] = reinterpret_cast<I<W>>(low >> 16);
        p.c[2] = reinterpret_cast<I<W>>(high & 0xFFFFu), p.c[3] = reinterpret_cast<I<W>>(high >> 16);
    } else {
        for (int c = 0; c < 4; ++c) {
            for (int k = 0; k < W; ++k) p.c[c][k] = run[4 * k + c];
        }
    }
    return p;
}
template <int W, typename S>
inline void StoreRun(S* run, const Channels<W>& p) {
    if constexpr (std::endian::native == std::endian::little && sizeof(S) == 1) {
        const U<W> word = reinterpret_cast<U<W>>(p.c[0] | (p.c[1] << 8) | (p.c[2] << 16) | (p.c[3] << 24));
        std::memcpy(run, &word, sizeof word);
    } else if constexpr (std::endian::native == std::endian::little && sizeof(S) == 2) {
        const U<W> low = reinterpret_cast<U<W>>(p.c[0] | (p.c[1] << 16));
        const U<W> high = reinterpret_cast<U<W>>(p.c[2] | (p.c[3] << 16));
        const U<W> a = Interleaved<W>(low, high, std::make_index_sequence<W>(), false);
        const U<W> b = Interleaved<W>(low, high, std::make_index_sequence<W>(), true);
        std::memcpy(run, &a, sizeof a);
        std::memcpy(run + 2 * W, &b, sizeof b);
    } else {
        for (int c = 0; c < 4; ++c) {
            for (int k = 0; k < W; ++k) run[4 * k + c] = static_cast<S>(p.c[c][k]);
        }
    }
}

template <int W, typename S>
inline Channels<W> LoadPixels(S* const at[W]) {
    Channels<W> p;
    if constexpr (std::endian::native == std::endian::little && sizeof(S) == 1) {
        const U<W> word = LoadWords<W, S>(at, 0);
        for (int c = 0; c < 4; ++c) p.c[c] = reinterpret_cast<I<W>>((word >> (8 * c)) & 0xFFu);
    } else if constexpr (std::endian::native == std::endian::little && sizeof(S) == 2) {
        const U<W> low = LoadWords<W, S>(at, 0), high = LoadWords<W, S>(at, 4);
        p.c[0] = reinterpret_cast<I<W>>(low & 0xFFFFu), p.c[1] = reinterpret_cast<I<W>>(low >> 16);
        p.c[2] = reinterpret_cast<I<W>>(high & 0xFFFFu), p.c[3] = reinterpret_cast<I<W>>(high >> 16);
    } else {
        for (int c = 0; c < 4; ++c) {
            for (int k = 0; k < W; ++k) p.c[c][k] = at[k][c];
        }
    }
    return p;
}

template <int W, typename S>
inline void StorePixels(S* const at[W], const Channels<W>& p) {
    if constexpr (std::endian::native == std::endian::little && sizeof(S) == 1) {
        StoreWords<W, S>(at, 0, reinterpret_cast<U<W>>(p.c[0] | (p.c[1] << 8) | (p.c[2] << 16) | (p.c[3] << 24)));
    } else if constexpr (std::endian::native == std::endian::little && sizeof(S) == 2) {
        StoreWords<W, S>(at, 0, reinterpret_cast<U<W>>(p.c[0] | (p.c[1] << 16)));
        StoreWords<W, S>(at, 4, reinterpret_cast<U<W>>(p.c[2] | (p.c[3] << 16)));
    } else {
        for (int c = 0; c < 4; ++c) {
            for (int k = 0; k < W; ++k) at[k][c] = static_cast<S>(p.c[c][k]);
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
    int rowIndex = b.row[first];
    S* targetRow = reinterpret_cast<S*>(call.target + PixelOffset(0, rowIndex));
    S* edgeRow = reinterpret_cast<S*>(call.edge + PlaneOffset(call, 0, rowIndex));
    S* underRow = reinterpret_cast<S*>(call.underEdge + PlaneOffset(call, 0, rowIndex));
    I<W> step;
    for (int k = 0; k < W; ++k) step[k] = k;
    for (int i = first; i < first + count; i += W) {
        // A run is a triangle's pixels row by row: most groups are W pixels side by side on one row,
        // read and written whole.
        I<W> columns, rows;
        std::memcpy(&columns, b.column + i, sizeof columns);
        std::memcpy(&rows, b.row + i, sizeof rows);
        const I<W> apart = (columns - b.column[i] - step) | (rows - b.row[i]);
        std::uint64_t words[W / 2], any = 0;
        std::memcpy(words, &apart, sizeof apart);
        for (int k = 0; k < W / 2; ++k) any |= words[k];
        const bool sideBySide = any == 0;
        S *target[W], *edge[W], *under[W];
        if (sideBySide) {
            if (b.row[i] != rowIndex) {
                rowIndex = b.row[i];
                targetRow = reinterpret_cast<S*>(call.target + PixelOffset(0, rowIndex));
                edgeRow = reinterpret_cast<S*>(call.edge + PlaneOffset(call, 0, rowIndex));
                underRow = reinterpret_cast<S*>(call.underEdge + PlaneOffset(call, 0, rowIndex));
            }
            const std::size_t at = static_cast<std::size_t>(b.column[i]) * 4u;
            target[0] = targetRow + at, edge[0] = edgeRow + at, under[0] = underRow + at;
        }
        for (int k = 0; k < W && !sideBySide; ++k) {
            if (b.row[i + k] != rowIndex) {
                rowIndex = b.row[i + k];
                targetRow = reinterpret_cast<S*>(call.target + PixelOffset(0, rowIndex));
                edgeRow = reinterpret_cast<S*>(call.edge + PlaneOffset(call, 0, rowIndex));
                underRow = reinterpret_cast<S*>(call.underEdge + PlaneOffset(call, 0, rowIndex));
            }
            const std::size_t at = static_cast<std::size_t>(b.column[i + k]) * 4u;
            target[k] = targetRow + at, edge[k] = edgeRow + at, under[k] = underRow + at;
        }
        // The layer pixel.
        const F<W> opacity = shading::lanes::Load<W>(b.opacity + i);
        F<W> g = opacity;
        if (b.coverage != nullptr) {
            const F<W> coverage = shading::lanes::Load<W>(b.coverage + i);
            g = coverage < F<W>{} ? opacity : coverage * opacity;
        }
        const I<W> cover = g > F<W>{} ? (g >= F<W>{} + 1.0f ? top : ClampLanes<W>(g * f, f)) : zero;
        const I<W> layer[3] = {ClampLanes<W>(shading::lanes::Load<W>(b.red + i), f),
                               ClampLanes<W>(shading::lanes::Load<W>(b.green + i), f),
                               ClampLanes<W>(shading::lanes::Load<W>(b.blue + i), f)};
        const Channels<W> t = sideBySide ? LoadRun<W, S>(target[0]) : LoadPixels<W, S>(target);
        const Channels<W> e = sideBySide ? LoadRun<W, S>(edge[0]) : LoadPixels<W, S>(edge);
        const Channels<W> u = sideBySide ? LoadRun<W, S>(under[0]) : LoadPixels<W, S>(under);

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
        if (sideBySide) {
            StoreRun<W, S>(target[0], targetOut);
            StoreRun<W, S>(edge[0], edgeOut);
            StoreRun<W, S>(under[0], underOut);
        } else {
            StorePixels<W, S>(target, targetOut);
            StorePixels<W, S>(edge, edgeOut);
            StorePixels<W, S>(under, underOut);
        }
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
    int rowIndex = b.row[first];
    S* row = reinterpret_cast<S*>(image + PixelOffset(0, rowIndex - row0));
    for (int i = first; i < first + count; i += W) {
        S* at[W];
        for (int k = 0; k < W; ++k) {
            if (b.row[i + k] != rowIndex) {
                rowIndex = b.row[i + k];
                row = reinterpret_cast<S*>(image + PixelOffset(0, rowIndex - row0));
            }
            at[k] = row + static_cast<std::size_t>(b.column[i + k]) * 4u;
        }
        const F<W> opacity = shading::lanes::Load<W>(b.opacity + i);
        F<W> g = opacity;
        if (b.coverage != nullptr) {
            const F<W> coverage = shading::lanes::Load<W>(b.coverage + i);
            g = coverage < F<W>{} ? opacity : coverage * opacity;
        }
        const F<W> colour[3] = {shading::lanes::Load<W>(b.red + i), shading::lanes::Load<W>(b.green + i),
                                shading::lanes::Load<W>(b.blue + i)};
        const I<W> drawn = g > F<W>{}, opaque = g >= F<W>{} + 1.0f;
        Channels<W> out;
        bool allOpaque = true;
        for (int k = 0; k < W; ++k) allOpaque = allOpaque && opaque[k] != 0;
        if (allOpaque) {
            // The common case: the old pixels are not read.
            for (int c = 0; c < 3; ++c) out.c[c] = ClampLanes<W>(colour[c], f);
            out.c[3] = top;
            StorePixels<W, S>(at, out);
            continue;
        }
        const Channels<W> old = LoadPixels<W, S>(at);
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
        StorePixels<W, S>(at, out);
    }
}

}  // namespace
}  // namespace trivane::composite
