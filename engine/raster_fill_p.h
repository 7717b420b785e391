#pragma once
// Scan conversion of one filled triangle, shared by every filled mode and __RasterSolid.
//
// A pixel (px, py) is sampled at its integer position. It is inside the triangle when every
// fixed-point edge function reaches its bias there (top and left edges inclusive), so triangles
// that share an edge never both take, nor both miss, a pixel along it. Rows are walked top to
// bottom; each row's span of inside pixels is solved exactly from the edge functions.
//
// With kQuality, the pixels outside the triangle but within one pixel of it are edge pixels: they
// are shaded without a previous-pixel record, blended with their edge coverage, and leave the
// depth buffer as they found it, so anti-aliased edges never occlude later triangles.
//
// Shade is called as shade(px, py, z, previous, red, green, blue) and returns the opacity; it fills
// the previous-pixel record itself when one is given.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "engine/fragment_cache_p.h"
#include "engine/raster_p.h"
#include "engine/shading_p.h"

namespace trivane {

namespace fill_detail {

// Room for one T built only when needed. Unlike std::optional it leaves its bytes alone until
// then: the gather and the queue hold several kilobytes of arrays, and filling them with zeros for
// every triangle cost more than drawing a small one.
template <typename T>
class Deferred {
    static_assert(std::is_trivially_destructible_v<T>);

public:
    Deferred() {}
    Deferred(const Deferred&) = delete;
    Deferred& operator=(const Deferred&) = delete;
    template <typename... Args>
    T* Build(Args&&... args) {
        return ::new (static_cast<void*>(bytes_)) T(std::forward<Args>(args)...);
    }

private:
    alignas(T) unsigned char bytes_[sizeof(T)];
};

inline std::int64_t FloorDiv(std::int64_t n, std::int64_t d) {  // d > 0
    std::int64_t q = n / d;
    return (n % d != 0 && n < 0) ? q - 1 : q;
}

// The inside span [xs, xe] of row py (empty when xs > xe), before clipping.
inline void RowSpan(const TriangleSetup& s, int py, std::int64_t& xs, std::int64_t& xe) {
    xs = INT32_MIN;
    xe = INT32_MAX;
    for (const EdgeFunction& e : s.edges) {
        std::int64_t row = e.dy * py + e.c;
        if (e.dx > 0) {
            xs = std::max(xs, -FloorDiv(row - e.bias, e.dx));  // ceil((bias - row) / dx)
        } else if (e.dx < 0) {
            xe = std::min(xe, FloorDiv(row - e.bias, -e.dx));
        } else if (row < e.bias) {
            xs = 1, xe = 0;
        }
    }
}

// RowSpan for the rows py, py + 1, ... in turn: each edge's quotient is carried from one row to the
// next with its remainder (the numerator grows by dy per row), so that only the first row divides.
// Gives exactly RowSpan's spans.
class RowSpanWalk {
public:
    RowSpanWalk(const TriangleSetup& s, int py) {
        for (int k = 0; k < 3; ++k) {
            const EdgeFunction& e = s.edges[k];
            Edge& w = edges_[k];
            w.sign = e.dx > 0 ? 1 : e.dx < 0 ? -1 : 0;
            const std::int64_t row = e.dy * py + e.c;
            if (w.sign == 0) {
                w.q = row;  // the row value itself, compared with the bias
                w.dq = e.dy;
                w.bias = e.bias;
                continue;
            }
            w.d = e.dx > 0 ? e.dx : -e.dx;
            w.q = FloorDiv(row - e.bias, w.d);
            w.r = (row - e.bias) - w.q * w.d;
            w.dq = FloorDiv(e.dy, w.d);
            w.dr = e.dy - w.dq * w.d;
        }
    }

    // The span of the current row. (Inlined: called for every row of every triangle.)
    [[gnu::always_inline]] void Span(std::int64_t& xs, std::int64_t& xe) const {
        // Written without branches (edge by edge as RowSpan: a shut edge of sign 0 sets 1, 0).
        xs = INT32_MIN;
        xe = INT32_MAX;
#pragma GCC unroll 3
        for (const Edge& w : edges_) {
            const bool shut = w.sign == 0 && w.q < w.bias;
            const std::int64_t low = w.sign > 0 ? std::max(xs, -w.q) : xs;
            const std::int64_t high = w.sign < 0 ? std::min(xe, w.q) : xe;
            xs = shut ? 1 : low;
            xe = shut ? 0 : high;
        }
    }

    // On to the next row. Without branches: whether a remainder carries is as good as random from
    // row to row. (An edge of sign 0 has no remainder: r 0, dr 0, d 1 never carry.)
    [[gnu::always_inline]] void Next() {
#pragma GCC unroll 3
        for (Edge& w : edges_) {
            const std::int64_t r = w.r + w.dr;
            const std::int64_t carry = r >= w.d ? 1 : 0;
            w.r = r - (w.d & -carry);
            w.q += w.dq + carry;
        }
    }

private:
    struct Edge {
        int sign = 0;
        // floor((row - bias) / d) and its remainder in [0, d), and their steps per row.
        std::int64_t q = 0, r = 0, d = 1, dq = 0, dr = 0, bias = 0;
    };
    Edge edges_[3];
};

// The x-extent [xmin, xmax] of the triangle over rows py - 1 .. py + 1 (empty: xmin > xmax).
inline void RowExtent(const TriangleSetup& s, int py, float& xmin, float& xmax) {
    float lo = static_cast<float>(py) - 1.0f, hi = static_cast<float>(py) + 1.0f;
    xmin = INFINITY, xmax = -INFINITY;
    for (const EdgeLine& l : s.lines) {
        float y0 = std::min(l.ay, l.by), y1 = std::max(l.ay, l.by);
        float ya = std::max(lo, y0), yb = std::min(hi, y1);
        if (ya > yb) continue;
        if (l.ay == l.by) {
            xmin = std::min({xmin, l.ax, l.bx});
            xmax = std::max({xmax, l.ax, l.bx});
            continue;
        }
        for (float y : {ya, yb}) {
            float x = l.ax + (y - l.ay) * (l.bx - l.ax) / (l.by - l.ay);
            xmin = std::min(xmin, x);
            xmax = std::max(xmax, x);
        }
    }
}

// The columns bx0..bx1 of a row's band from its x-extent, grown by one pixel; false when the
// extent is empty.
inline bool BandColumns(float xmin, float xmax, std::int64_t& bx0, std::int64_t& bx1) {
    if (!(xmin <= xmax)) return false;
    bx0 = static_cast<std::int64_t>(std::floor(xmin - 1.0f));
    bx1 = static_cast<std::int64_t>(std::ceil(xmax + 1.0f));
    return true;
}

// Columns of row py within one pixel of the triangle: the triangle's x-extent over rows
// py - 1 .. py + 1, grown by one pixel.
inline bool RowBand(const TriangleSetup& s, int py, std::int64_t& bx0, std::int64_t& bx1) {
    float xmin, xmax;
    RowExtent(s, py, xmin, xmax);
    return BandColumns(xmin, xmax, bx0, bx1);
}

// RowExtent of rows py .. py + 3, one row a lane: each lane takes the loop's steps with
// the same comparisons in the same order (std::min keeps its first operand unless the second is
// smaller, std::max unless it is larger), and an edge a lane's rows do not reach leaves it as it was.
inline void RowBands4(const TriangleSetup& s, int py, float xmin[4], float xmax[4]) {
    const Lanes4 row = __builtin_convertvector((Ints4{py, py + 1, py + 2, py + 3}), Lanes4);
    const Lanes4 lo = row - 1.0f, hi = row + 1.0f;
    Lanes4 low = Lanes4{} + INFINITY, high = Lanes4{} - INFINITY;
    auto lower = [](Lanes4 a, Lanes4 b) { return b < a ? b : a; };   // std::min(a, b)
    auto higher = [](Lanes4 a, Lanes4 b) { return a < b ? b : a; };  // std::max(a, b)
    for (const EdgeLine& l : s.lines) {
        const Lanes4 y0 = Lanes4{} + std::min(l.ay, l.by), y1 = Lanes4{} + std::max(l.ay, l.by);
        const Lanes4 ya = higher(lo, y0), yb = lower(hi, y1);
        const Ints4 reached = ~(ya > yb);
        const Lanes4 ax = Lanes4{} + l.ax, bx = Lanes4{} + l.bx;
        Lanes4 newLow, newHigh;
        if (l.ay == l.by) {
            newLow = lower(lower(low, ax), bx);
            newHigh = higher(higher(high, ax), bx);
        } else {
            const float run = l.bx - l.ax, rise = l.by - l.ay;
            const Lanes4 xa = ax + (ya - l.ay) * run / rise, xb = ax + (yb - l.ay) * run / rise;
            newLow = lower(lower(low, xa), xb);
            newHigh = higher(higher(high, xa), xb);
        }
        low = reached ? newLow : low;
        high = reached ? newHigh : high;
    }
    std::memcpy(xmin, &low, sizeof low);
    std::memcpy(xmax, &high, sizeof high);
}

// Prefetches the cache lines of pixels first..last of an image row (a hint only; always inlined,
// since a call the compiler sees as free of effects would be dropped with its hints).
[[gnu::always_inline]] inline void FetchSpan(const BYTE* row, int first, int last, bool forWriting) {
    constexpr std::uintptr_t kLine = 64;
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(row + PixelOffset(last, 0));
    std::uintptr_t at = reinterpret_cast<std::uintptr_t>(row + PixelOffset(first, 0)) & ~(kLine - 1);
    for (; at <= end; at += kLine) {
        if (forWriting) {
            __builtin_prefetch(reinterpret_cast<const void*>(at), 1);
        } else {
            __builtin_prefetch(reinterpret_cast<const void*>(at), 0);
        }
    }
}

// Prefetches the lines of depths first..last of a depth row, for writing (a hint only).
[[gnu::always_inline]] inline void FetchDepth(const float* row, int first, int last) {
    constexpr std::uintptr_t kLine = 64;
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(row + last);
    for (std::uintptr_t at = reinterpret_cast<std::uintptr_t>(row + first) & ~(kLine - 1); at <= end; at += kLine) {
        __builtin_prefetch(reinterpret_cast<const void*>(at), 1);
    }
}

// The depth test of pixel px of a row without branches: its depth, and whether it passes (always
// without a depth row; the depth row takes the depth where it does).
inline bool PassesDepth(const TriangleSetup& s, float* depthRow, int px, float depthRowTerm, float& depth) {
    depth = PlaneDepth(s, static_cast<float>(px), depthRowTerm);
    if (depthRow == nullptr) return true;
    const float old = depthRow[px];
    const bool pass = old < depth;
    depthRow[px] = pass ? depth : old;
    return pass;
}

// Whether every lane of a comparison's result holds all bits (the comparison held in all four).
inline bool AllSet(Ints4 lanes) {
#if defined(__SSE__)
    return __builtin_ia32_movmskps(reinterpret_cast<Lanes4>(lanes)) == 0xF;
#else
    return (lanes[0] & lanes[1] & lanes[2] & lanes[3]) == -1;
#endif
}

// Whether no lane of a comparison's result has a bit set (the comparison failed in all four).
inline bool AllClear(Ints4 lanes) {
#if defined(__SSE__)
    return __builtin_ia32_movmskps(reinterpret_cast<Lanes4>(lanes)) == 0;
#else
    return (lanes[0] | lanes[1] | lanes[2] | lanes[3]) == 0;
#endif
}

// The depth test of pixels first..last of a row, the test without branches: the pixels that pass
// (all of them without a depth row) are listed from columns[n] and depths[n] on, and take their
// depths in the depth row (entries up to n + last - first may be written). Returns n with them.
inline int PassingPixels(const TriangleSetup& s, float* depthRow, int first, int last, float depthRowTerm,
                         int* columns, float* depths, int n) {
    int px = first;
    if (depthRow != nullptr && !s.zFlat) {
        // Four pixels at a time on vector lanes: the depth, the test and the depth row's update of
        // the loop below for each.
        for (; px + 3 <= last; px += 4) {
            const Lanes4 x = __builtin_convertvector((Ints4{px, px + 1, px + 2, px + 3}), Lanes4);
            const Lanes4 depth = s.zx * x + depthRowTerm;
            Lanes4 old;
            std::memcpy(&old, depthRow + px, sizeof old);
            const Ints4 pass = old < depth;
            const Lanes4 kept = pass ? depth : old;
            std::memcpy(depthRow + px, &kept, sizeof kept);
            // All four listed at once; where some fail, the ones that pass one by one over them.
            const Ints4 column = Ints4{0, 1, 2, 3} + px;
            std::memcpy(columns + n, &column, sizeof column);
            std::memcpy(depths + n, &depth, sizeof depth);
            if (AllSet(pass)) {
                n += 4;
                continue;
            }
            if (AllClear(pass)) continue;  // none listed: n stays
            for (int k = 0; k < 4; ++k) {
                columns[n] = px + k;
                depths[n] = depth[k];
                n -= pass[k];  // -1 where it passes
            }
        }
    }
    for (; px <= last; ++px) {
        float depth;
        const bool pass = PassesDepth(s, depthRow, px, depthRowTerm, depth);
        columns[n] = px;
        depths[n] = depth;
        n += pass ? 1 : 0;
    }
    return n;
}

// Writes an opaque colour: clamped to 0..full, coverage full (the blend's g >= 1 case).
template <typename S>
inline void StoreOpaque(S* pixel, float red, float green, float blue, float full) {
    auto clamp = [full](float v) { return static_cast<S>(std::min(v > 0.0f ? v : 0.0f, full)); };
    pixel[0] = clamp(red);
    pixel[1] = clamp(green);
    pixel[2] = clamp(blue);
    pixel[3] = static_cast<S>(full);
}

// The interior pixels of triangles when the built-in shading takes them in batches: the pixels
// that pass the depth test (tested without branches) are gathered, row after row, with their
// position and normal, shaded together and written. A gather serves one triangle, or several in
// turn (Begin, rows, End for each) while they share the shading's plan and origin: their pixels are
// written in the order they were gathered, so a pixel drawn twice ends as the later triangle left it.
template <typename S, typename Shade, typename Writer>
class PixelGather {
public:
    explicit PixelGather(const Writer& out) : out_(out) {}
    PixelGather(Shade& shade, const Writer& out) : out_(out) { Begin(shade); }

    // The triangle whose pixels follow.
    void Begin(Shade& shade) {
        shade_ = &shade;
        plan_ = shade.plan;
        from_ = n_;
    }
    // The triangle's pixels are all gathered: their normals are made now, while its shade lives.
    void End() {
        Normals();
        shade_ = nullptr;
    }

    // The pixels first..last of row py (the shade's row terms set for it).
    void Row(const TriangleSetup& s, float* depthRow, int first, int last, int py, float depthRowTerm) {
        const float sceneY = static_cast<float>(py) - shade_->OriginY();
        const float originX = shade_->OriginX();
        for (int start = first; start <= last;) {
            const int end = std::min(last, start + (kChunk - n_) - 1);
            // The depth test as PassingPixels makes it, every pixel written at n and kept by
            // counting it when it passes (its normal is made later, with the triangle's others).
            int n = n_;
            for (int px = start; px <= end; ++px) {
                const float fx = static_cast<float>(px);
                float depth;
                const bool pass = PassesDepth(s, depthRow, px, depthRowTerm, depth);
                column_[n] = px;
                row_[n] = py;
                z_[n] = depth;
                x_[n] = fx - originX;
                y_[n] = sceneY;
                n += pass ? 1 : 0;
            }
            n_ = n;
            if (n_ == kChunk) Flush();
            start = end + 1;
        }
    }

    void Flush() {
        if (n_ == 0) return;
        Normals();
        shading::PixelBatch batch;
        batch.count = n_;
        batch.x = x_, batch.y = y_, batch.z = z_, batch.nx = nx_, batch.ny = ny_, batch.nz = nz_;
        batch.red = red_, batch.green = green_, batch.blue = blue_;
        const float opacity = shading::ShadeBatch(*plan_, batch);
        if constexpr (requires { out_.OpaqueRun(column_, row_, red_, green_, blue_, n_); }) {
            if (opacity >= 1.0f) {
                out_.OpaqueRun(column_, row_, red_, green_, blue_, n_);
                n_ = 0;
                from_ = 0;
                return;
            }
        }
        int rowIndex = row_[0];
        typename Writer::Row row = out_.RowAt(rowIndex);
        for (int i = 0; i < n_; ++i) {
            if (row_[i] != rowIndex) row = out_.RowAt(rowIndex = row_[i]);
            if (opacity >= 1.0f) {
                out_.Opaque(row, column_[i], red_[i], green_[i], blue_[i]);
            } else {
                out_.Blend(row, column_[i], red_[i], green_[i], blue_[i], opacity);
            }
        }
        n_ = 0;
        from_ = 0;
    }

private:
    // The normals of the current triangle's pixels gathered since the last ones were made.
    void Normals() {
        if (from_ < n_) {
            shade_->NormalsAt(column_ + from_, row_ + from_, n_ - from_, nx_ + from_, ny_ + from_, nz_ + from_);
        }
        from_ = n_;
    }

    static constexpr int kChunk = 64;
    Shade* shade_ = nullptr;
    const shading::Plan* plan_ = nullptr;
    const Writer& out_;
    int n_ = 0;
    int from_ = 0;  // the first pixel without its normal
    float x_[kChunk], y_[kChunk], z_[kChunk], nx_[kChunk], ny_[kChunk], nz_[kChunk];
    float red_[kChunk], green_[kChunk], blue_[kChunk];
    int column_[kChunk], row_[kChunk];
};

// Writes pixels shaded by ShadeQueued, each blended with its opacity (an edge pixel's, one whose
// coverage is not negative, times its coverage; no coverage: all interior).
template <typename Writer>
void WriteQueued(const Writer& out, const shading::QueuedPixels& q, const int* column, const int* row,
                 const float* coverage) {
    int i = 0;
    if constexpr (requires { out.Run(q, column, row, coverage); }) i = out.Run(q, column, row, coverage);
    if (i == q.count) return;
    int rowIndex = row[i];
    typename Writer::Row at = out.RowAt(rowIndex);
    for (; i < q.count; ++i) {
        if (row[i] != rowIndex) at = out.RowAt(rowIndex = row[i]);
        const float g = coverage == nullptr || coverage[i] < 0.0f ? q.opacity[i] : coverage[i] * q.opacity[i];
        out.Blend(at, column[i], q.red[i], q.green[i], q.blue[i], g);
    }
}

// The pixels the material's own kernel shades: a triangle's edge pixels, and with a material the
// batches cannot shade every pixel, queued in drawing order with what the per-pixel shading would
// be handed (normal, texture coordinates, the previous-pixel record), then shaded together in that
// order and written.
template <typename S, typename Shade, typename Writer>
class ExactQueue {
public:
    ExactQueue(Shade& shade, const Writer& out, BandFragments* log) : shade_(shade), out_(out), log_(log) {}

    // The interior pixels first..last of row py that pass the depth test (tested without branches,
    // a part of the row at a time), queued with their previous-pixel records: the row's record
    // gives the first pixel's validity (the others have the pixel before them) and is left valid
    // when a pixel passed; the place and texture coordinates the records hold are the queue's own,
    // from the triangle's first row on (made at the flush, with the coordinates).
    // Rows below it up to py + rowsBelow are the triangle's too: for a long span, the lines of its
    // columns in the depth, target and background rows kAhead rows below are asked for now, so that
    // they are on their way when that row is queued (a small triangle's first rows were asked for
    // with the triangle).
    void Row(const TriangleSetup& s, float* depthRow, int first, int last, int py, float depthRowTerm,
             __PrevInfo& previous, int rowsBelow) {
        // The span's lines of the target (blended into when the queue is written) and, for glass,
        // of the background around it are asked for now: they are seldom in the cache yet.
        if (first <= last) {
            out_.Fetch(py, first, last);
            const bool glass = shade_.plan->glass;
            if (glass) FetchSpan(shade_.call->background + PixelOffset(0, py), first, last, false);
            if (rowsBelow >= kAhead && last - first >= kAheadSpan) {
                if (depthRow != nullptr) {
                    FetchDepth(depthRow + kAhead * static_cast<std::ptrdiff_t>(Zwidth), first, last);
                }
                out_.Fetch(py + kAhead, first, last);
                if (glass) FetchSpan(shade_.call->background + PixelOffset(0, py + kAhead), first, last, false);
            }
        }
        if (!started_) {
            before_ = previous;
            started_ = true;
        }
        const float originX = shade_.OriginX(), sceneY = static_cast<float>(py) - shade_.OriginY();
        BYTE valid = previous.valid;
        for (int start = first; start <= last;) {
            // As many columns as the queue has room for, the passing ones listed straight into it.
            const int end = std::min(last, start + (kChunk - n_) - 1);
            const int from = n_;
            const int n = PassingPixels(s, depthRow, start, end, depthRowTerm, column_, z_, from);
            start = end + 1;
            if (n == from) continue;
            for (int i = from; i < n; ++i) x_[i] = static_cast<float>(column_[i]) - originX;
            std::fill(y_ + from, y_ + n, sceneY);
            std::fill(row_ + from, row_ + n, py);
            std::fill(coverage_ + from, coverage_ + n, -1.0f);
            runs_[runCount_++] = Run{from, n, last_, valid};
            valid = 1;
            last_ = n - 1;
            n_ = n;
            if (n_ == kChunk) Flush();
        }
        previous.valid = valid;
    }

    // An edge pixel and its coverage (no previous-pixel record).
    void Edge(int px, int py, float z, float coverage) {
        const int i = n_++;
        const float fx = static_cast<float>(px), fy = static_cast<float>(py);
        column_[i] = px;
        row_[i] = py;
        coverage_[i] = coverage;
        x_[i] = fx - shade_.OriginX();
        y_[i] = fy - shade_.OriginY();
        z_[i] = z;
        previous_[i] = nullptr;
        previousU_[i] = previousV_[i] = kNoCoordinate;
        if (n_ == kChunk) Flush();
    }

    void Flush() {
        if (n_ == 0) return;
        if (mapped_) {
            shade_.AttributesAt(column_, row_, z_, n_, nx_, ny_, nz_, u_, v_);
        } else {
            shade_.NormalsAt(column_, row_, n_, nx_, ny_, nz_);
            std::fill(u_, u_ + n_, 0.0f);
            std::fill(v_, v_ + n_, 0.0f);
        }
        // The interior pixels' records: the place and coordinates of the interior pixel before
        // each; the record carried on past the flush takes the last one's.
        for (int r = 0; r < runCount_; ++r) {
            const Run& run = runs_[r];
            __PrevInfo record = before_;
            record.valid = run.valid;
            if (run.from >= 0) {
                const int from = run.from;
                record.x = x_[from], record.y = y_[from], record.u = u_[from], record.v = v_[from];
            }
            records_[run.first] = record;
            previous_[run.first] = &records_[run.first];
            previousU_[run.first] = record.valid ? record.u : kNoCoordinate;
            previousV_[run.first] = record.valid ? record.v : kNoCoordinate;
            record.valid = 1;
            for (int i = run.first + 1; i < run.end; ++i) {
                record.x = x_[i - 1], record.y = y_[i - 1], record.u = u_[i - 1], record.v = v_[i - 1];
                records_[i] = record;
                previous_[i] = &records_[i];
                previousU_[i] = u_[i - 1], previousV_[i] = v_[i - 1];
            }
        }
        runCount_ = 0;
        if (last_ >= 0) {
            before_.x = x_[last_], before_.y = y_[last_], before_.u = u_[last_], before_.v = v_[last_];
            last_ = -1;
        }
        // The last group of eight filled with the last pixel, for the steps on lanes.
        const int padded = (n_ + 7) / 8 * 8;
        for (int i = n_; i < padded; ++i) {
            const int last = n_ - 1;
            x_[i] = x_[last], y_[i] = y_[last], z_[i] = z_[last];
            nx_[i] = nx_[last], ny_[i] = ny_[last], nz_[i] = nz_[last], u_[i] = u_[last], v_[i] = v_[last];
            previous_[i] = previous_[last];
            previousU_[i] = previousU_[last], previousV_[i] = previousV_[last];
        }
        shading::QueuedPixels q;
        q.count = n_;
        q.padded = padded;
        shade_.Describe(q);
        q.x = x_, q.y = y_, q.z = z_, q.nx = nx_, q.ny = ny_, q.nz = nz_, q.u = u_, q.v = v_;
        q.previous = previous_;
        q.previousU = previousU_, q.previousV = previousV_;
        q.red = red_, q.green = green_, q.blue = blue_, q.opacity = opacity_;
        if (log_ != nullptr) {
            log_->Add(static_cast<int>(shade_.triangle - shade_.call->triangles), shade_.s->mapped != 0, q, column_,
                      row_, records_);
        }
        shading::ShadeQueued(*shade_.plan, q);
        WriteQueued(out_, q, column_, row_, coverage_);
        n_ = 0;
    }

private:
    static constexpr int kChunk = shading::kMostQueued;
    static constexpr int kAhead = 2;
    static constexpr int kAheadSpan = 16;  // pixels
    Shade& shade_;
    const Writer& out_;
    BandFragments* log_;
    bool mapped_ = shade_.s->mapped != 0;  // with texture coordinates
    int n_ = 0;
    // The previous-pixel record as the last interior pixel before the queued ones left it (taken
    // from the first row's), and the last interior pixel queued (-1: none since the flush).
    __PrevInfo before_{};
    bool started_ = false;
    int last_ = -1;
    float x_[kChunk], y_[kChunk], z_[kChunk], nx_[kChunk], ny_[kChunk], nz_[kChunk], u_[kChunk], v_[kChunk];
    float coverage_[kChunk];  // negative: an interior pixel
    float red_[kChunk], green_[kChunk], blue_[kChunk], opacity_[kChunk];
    int column_[kChunk], row_[kChunk];
    __PrevInfo records_[kChunk];
    const __PrevInfo* previous_[kChunk];
    float previousU_[kChunk], previousV_[kChunk];  // the records' coordinates, NaN where not valid
    static constexpr float kNoCoordinate = __builtin_nanf("");
    // The runs of interior pixels queued one after another from one row, [first, end): the record
    // of the first holds the interior pixel from (-1: the one before_ holds) and is valid or not,
    // those of the others the pixel before them, valid.
    struct Run {
        int first, end, from;
        BYTE valid;
    };
    Run runs_[kChunk];
    int runCount_ = 0;
};

// Lists the pixels from..from + count - 1 of row py at x[at], y[at] on, as floats, and moves at past
// them. Written four at a time: up to three more entries past them are overwritten (the lists have
// room for kCoverageSlack more).
inline void ListColumns(float* x, float* y, int& at, int from, int count, int py) {
    const Lanes4 row = Lanes4{} + static_cast<float>(py);
    for (int k = 0; k < count; k += 4) {
        const Ints4 column = Ints4{0, 1, 2, 3} + (from + k);
        const Lanes4 columns = __builtin_convertvector(column, Lanes4);
        std::memcpy(x + at + k, &columns, sizeof columns);
        std::memcpy(y + at + k, &row, sizeof row);
    }
    at += count;
}

// Calls visit(k) for the bits k in [from, to) that are set in words (bit k of word k / 64), in
// increasing order.
template <typename Visit>
inline void ForEachBit(const std::uint64_t* words, int from, int to, Visit&& visit) {
    while (from < to) {
        const int word = from >> 6, end = std::min(to, (word + 1) << 6);
        std::uint64_t bits = words[word] >> (from & 63);
        if (end - from < 64) bits &= (std::uint64_t{1} << (end - from)) - 1;
        while (bits != 0) {
            visit(from + std::countr_zero(bits));
            bits &= bits - 1;
        }
        from = end;
    }
}

}  // namespace fill_detail

// How the pixels of a filled triangle reach an image: blended straight into it.
template <typename S>
struct DirectWriter {
    using Row = S*;
    BYTE* image;
    int row0;  // image row of the buffer's first row
    float full;
    Row RowAt(int py) const { return reinterpret_cast<S*>(image + PixelOffset(0, py - row0)); }
    // Asks for the pixels first..last of row py ahead of their writes.
    [[gnu::always_inline]] void Fetch(int py, int first, int last) const {
        fill_detail::FetchSpan(reinterpret_cast<const BYTE*>(RowAt(py)), first, last, true);
    }
    void Opaque(Row row, int px, float red, float green, float blue) const {
        fill_detail::StoreOpaque<S>(row + 4 * px, red, green, blue, full);
    }
    // Opaque for count pixels at the given columns and rows (none twice). 8-bit samples are clamped
    // and converted four at a time on lanes (the same comparisons and truncation) and stored as
    // one word each.
    void OpaqueRun(const int* column, const int* row, const float* red, const float* green, const float* blue,
                   int count) const {
        int i = 0;
        if constexpr (std::is_same_v<S, BYTE> && std::endian::native == std::endian::little) {
            typedef std::uint32_t Words __attribute__((vector_size(16)));
            const Lanes4 zero = {0.0f, 0.0f, 0.0f, 0.0f}, top = zero + full;
            const Words alpha = Words{0u, 0u, 0u, 0u} + (static_cast<unsigned>(static_cast<S>(full)) << 24);
            auto sample = [&](const float* from) {
                Lanes4 v;
                std::memcpy(&v, from, sizeof v);
                v = v > zero ? v : zero;  // StoreOpaque's clamp: min(v > 0 ? v : 0, full)
                v = top < v ? top : v;
                return reinterpret_cast<Words>(__builtin_convertvector(v, Ints4));
            };
            // Addressed from the buffer's first row (a pointer to image row 0 may lie outside it).
            const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(PixelOffset(0, 1));
            for (; i + 4 <= count; i += 4) {
                const Words words = sample(red + i) | sample(green + i) << 8 | sample(blue + i) << 16 | alpha;
#pragma GCC unroll 4
                for (int k = 0; k < 4; ++k) {
                    const std::uint32_t word = words[k];
                    std::memcpy(image + (row[i + k] - row0) * rowBytes + 4 * column[i + k], &word, sizeof word);
                }
            }
        }
        for (; i < count; ++i) Opaque(RowAt(row[i]), column[i], red[i], green[i], blue[i]);
    }
    void Blend(Row row, int px, float red, float green, float blue, float g) const {
        BlendPixel<S>(row + 4 * px, red, green, blue, g, full);
    }
    // A queued run's first pixels at once (the pixels of one triangle, so none twice); returns how many.
    int Run(const shading::QueuedPixels& q, const int* column, const int* row, const float* coverage) const {
        return BlendRun<S>(image, row0, CompositeBatch{column, row, coverage, q.red, q.green, q.blue, q.opacity},
                           q.count);
    }
};

// Layered drawing without the layer: the pixel the layer would hold (a blend into a clear pixel)
// composited into the target at once.
template <typename S>
struct CompositeWriter {
    struct Row {
        S* target;
        S* edge;
        S* under;
    };
    const SceneCall* call;
    int full;
    Row RowAt(int py) const {
        const std::size_t plane = PlaneOffset(*call, 0, py);
        return Row{reinterpret_cast<S*>(call->target + PixelOffset(0, py)), reinterpret_cast<S*>(call->edge + plane),
                   reinterpret_cast<S*>(call->underEdge + plane)};
    }
    // Asks for the pixels first..last of row py in the target and both memories ahead of the
    // compositing, which reads and writes all three.
    [[gnu::always_inline]] void Fetch(int py, int first, int last) const {
        const std::size_t plane = PlaneOffset(*call, 0, py);
        fill_detail::FetchSpan(call->target + PixelOffset(0, py), first, last, true);
        fill_detail::FetchSpan(call->edge + plane, first, last, true);
        fill_detail::FetchSpan(call->underEdge + plane, first, last, true);
    }
    // A queued run's first pixels at once (the pixels of one triangle, so none twice); returns how many.
    int Run(const shading::QueuedPixels& q, const int* column, const int* row, const float* coverage) const {
        return CompositeRun<S>(*call, CompositeBatch{column, row, coverage, q.red, q.green, q.blue, q.opacity},
                               q.count);
    }
    void Put(const Row& row, int px, const S layer[4]) const {
        CompositePixel<S>(row.target + 4 * px, row.edge + 4 * px, row.under + 4 * px, layer, full);
    }
    void Opaque(const Row& row, int px, float red, float green, float blue) const {
        const float f = static_cast<float>(full);
        const S layer[4] = {ClampSample<S>(red, f), ClampSample<S>(green, f), ClampSample<S>(blue, f),
                            static_cast<S>(full)};
        Put(row, px, layer);
    }
    void Blend(const Row& row, int px, float red, float green, float blue, float g) const {
        if (!(g > 0.0f)) return;
        const float f = static_cast<float>(full);
        const S cover = g >= 1.0f ? static_cast<S>(full) : ClampSample<S>(g * f, f);
        const S layer[4] = {ClampSample<S>(red, f), ClampSample<S>(green, f), ClampSample<S>(blue, f), cover};
        Put(row, px, layer);
    }
};

// Draws triangle s through out. Pixels stay inside the clip [boxX0, boxX1) x [boxY0, boxY1) (the
// band's rows, and with layers the layer box), which lies inside [0, Zwidth) x [0, Zheight).
template <typename S, bool kQuality, typename Shade, typename Writer>
void FillTriangle(const TriangleSetup& s, const Writer& out, Shade& shade, const SceneCall* depth, int boxX0,
                  int boxY0, int boxX1, int boxY1) {
    const int width = Zwidth;
    const std::int64_t clipX0 = std::max(0, boxX0);
    const std::int64_t clipX1 = std::min(width, boxX1) - 1;
    // Without the edge band, the rows of the fixed-point triangle; with it, one row more than the
    // float extent each way (the fixed-point vertices may round across a row, and the band reaches
    // one pixel beyond the triangle).
    const int rowFirst = std::max(boxY0, kQuality ? static_cast<int>(std::floor(s.minY)) - 1 : s.rowFirst);
    const int rowLast = std::min(boxY1 - 1, kQuality ? static_cast<int>(std::ceil(s.maxY)) + 1 : s.rowLast);
    if (!kQuality && rowFirst > rowLast) return;

    __PrevInfo previous{};
    float red, green, blue;
    float depthRowTerm = 0.0f;
    float* depthRow = nullptr;
    // With the built-in shading, the pixels go through the batches (interior pixels of plain
    // materials) and the kernel's queue (the others); else one call of the installed shading each.
    using Gather = fill_detail::PixelGather<S, Shade, Writer>;
    using Queue = fill_detail::ExactQueue<S, Shade, Writer>;
    fill_detail::Deferred<Gather> batches;
    fill_detail::Deferred<Queue> queued;
    Gather* gather = nullptr;
    Queue* queue = nullptr;
    BandFragments* log = depth != nullptr ? depth->fragments : nullptr;
    if constexpr (Shade::kCanBatch) {
        if (shade.plan != nullptr && !shading::SeesTarget(*shade.plan)) {
            queue = queued.Build(shade, out, log);
            if (shade.Batched()) gather = batches.Build(shade, out);
        }
    }
    // A recording holds only pixels that went through the queue.
    if (log != nullptr && (queue == nullptr || gather != nullptr || kQuality)) log->complete = false;

    EdgeLanes edges;
    if constexpr (kQuality) edges = MakeEdgeLanes(s);
    // An edge pixel with its coverage.
    auto edgePixel = [&](int px, int py, float coverage) {
        if (!(coverage > 0.0f)) return;
        float fx = static_cast<float>(px);
        float z = PlaneDepth(s, fx, depthRowTerm);
        float saved = 0.0f;
        float* entry = nullptr;
        if (depthRow != nullptr) {
            entry = &depthRow[px];
            if (!(*entry < z)) return;
            // The edge pixel's depth is put back once it is drawn; the built-in shading never
            // reads it, so a queued pixel leaves it untouched.
            if constexpr (Shade::kCanBatch) {
                if (queue != nullptr) {
                    queue->Edge(px, py, z, coverage);
                    return;
                }
            }
            saved = *entry;
            *entry = z;
        } else if constexpr (Shade::kCanBatch) {
            if (queue != nullptr) {
                queue->Edge(px, py, z, coverage);
                return;
            }
        }
        float opacity = shade(px, py, z, static_cast<__PrevInfo*>(nullptr), red, green, blue);
        out.Blend(out.RowAt(py), px, red, green, blue, coverage * opacity);
        if (entry != nullptr) *entry = saved;
    };
    // The band's pixels from..to of row py, their coverage worked out one by one.
    auto edgeRange = [&](std::int64_t from, std::int64_t to, int py) {
        for (std::int64_t px = from; px <= to; ++px) {
            edgePixel(static_cast<int>(px), py, EdgeCoverage(edges, static_cast<float>(px), static_cast<float>(py)));
        }
    };

    // Row py: the band's pixels left of the span [xs, xe], the span, the band's pixels right of it.
    // The band's pixels come from a list (those of positive coverage), or without one (listed:
    // null) as the band's clipped columns bx0..bx1.
    struct EdgeList {
        const float* coverage;
        const std::uint64_t* positive;    // bit k of word k / 64: coverage[k] > 0
        int start, left, right;           // the row's pixels in the list: left of the span, then right
        int leftFrom, rightFrom;          // their first columns
    };
    auto listedPixels = [&](const EdgeList& l, int from, int to, int column, int py) {
        fill_detail::ForEachBit(l.positive, from, to,
                                [&](int k) { edgePixel(column + (k - from), py, l.coverage[k]); });
    };
    auto drawRow = [&](int py, std::int64_t xs, std::int64_t xe, bool band, std::int64_t bx0, std::int64_t bx1,
                       const EdgeList* listed) {
        const float fy = static_cast<float>(py);
        depthRowTerm = DepthRowTerm(s, fy);
        depthRow = depth != nullptr ? DepthRow(*depth, py) : nullptr;
        // The row's weight terms, for the pixels shaded one at a time or queued (a batch makes its
        // own at its flush).
        if (kQuality || gather == nullptr) shade.BeginRow(fy);
        previous.valid = 0;

        if (listed != nullptr) {
            listedPixels(*listed, listed->start, listed->start + listed->left, listed->leftFrom, py);
        } else if (band) {
            // Left of the span (or the whole band when the row has no inside pixel).
            edgeRange(bx0, xs <= xe ? std::min(xs - 1, bx1) : bx1, py);
        }

        const int first = static_cast<int>(std::max(xs, clipX0));
        const int last = static_cast<int>(std::min(xe, clipX1));
        bool batchedSpan = false;
        if constexpr (Shade::kCanBatch) {
            if (gather != nullptr) {
                gather->Row(s, depthRow, first, last, py, depthRowTerm);
                batchedSpan = true;
            }
        }
        if constexpr (Shade::kCanBatch) {
            if (!batchedSpan && queue != nullptr) {
                queue->Row(s, depthRow, first, last, py, depthRowTerm, previous, rowLast - py);
                batchedSpan = true;
            }
        }
        if (!batchedSpan) {
            const typename Writer::Row row = out.RowAt(py);
            for (int px = first; px <= last; ++px) {
                const float z = PlaneDepth(s, static_cast<float>(px), depthRowTerm);
                if (depthRow != nullptr) {
                    if (!(depthRow[px] < z)) continue;
                    depthRow[px] = z;
                }
                float opacity = shade(px, py, z, &previous, red, green, blue);
                out.Blend(row, px, red, green, blue, opacity);
            }
        }

        if (listed != nullptr) {
            const int from = listed->start + listed->left;
            listedPixels(*listed, from, from + listed->right, listed->rightFrom, py);
        } else if (band && xs <= xe) {
            edgeRange(std::max(xe + 1, bx0), bx1, py);
        }
    };

    fill_detail::RowSpanWalk spans(s, rowFirst);
    if constexpr (!kQuality) {
        for (int py = rowFirst; py <= rowLast; ++py, spans.Next()) {
            std::int64_t xs, xe;
            spans.Span(xs, xe);
            if (xs > xe) continue;
            drawRow(py, xs, xe, false, 0, -1, nullptr);
        }
    } else {
        // Rows are taken a list at a time: their spans and bands first (the bands four rows at a
        // time), then the coverage of all their band pixels at once on lanes, then the rows drawn
        // in order, each with its band pixels of positive coverage.
        constexpr int kRows = 64, kPixels = 256, kRoom = kPixels + kCoverageSlack;
        struct BandRow {
            int py;
            std::int64_t xs, xe;
            EdgeList edges;
        };
        BandRow rows[kRows];
        float bandX[kRoom], bandY[kRoom], coverage[kRoom];
        std::uint64_t positive[(kRoom + 63) / 64];
        float bandLow[4], bandHigh[4];
        int bandsFrom = rowFirst - 4;  // the rows whose band extents bandLow and bandHigh hold
        int py = rowFirst;
        while (py <= rowLast) {
            int count = 0, pixels = 0;
            while (py <= rowLast && count < kRows) {
                BandRow& r = rows[count];
                spans.Span(r.xs, r.xe);
                if (py >= bandsFrom + 4) {
                    fill_detail::RowBands4(s, py, bandLow, bandHigh);
                    bandsFrom = py;
                }
                std::int64_t bx0 = 0, bx1 = -1;
                const bool band = fill_detail::BandColumns(bandLow[py - bandsFrom], bandHigh[py - bandsFrom], bx0, bx1);
                if (r.xs <= r.xe || band) {
                    std::int64_t left = 0, right = 0, rightFrom = 0;
                    if (band) {
                        bx0 = std::max(bx0, clipX0);
                        bx1 = std::min(bx1, clipX1);
                        const std::int64_t leftEnd = r.xs <= r.xe ? std::min(r.xs - 1, bx1) : bx1;
                        left = std::max<std::int64_t>(0, leftEnd - bx0 + 1);
                        if (r.xs <= r.xe) {
                            rightFrom = std::max(r.xe + 1, bx0);
                            right = std::max<std::int64_t>(0, bx1 - rightFrom + 1);
                        }
                    }
                    if (pixels + left + right > kPixels) {
                        if (count == 0) {
                            // More band pixels than a list holds: the row is drawn on its own.
                            drawRow(py, r.xs, r.xe, band, bx0, bx1, nullptr);
                            ++py;
                            spans.Next();
                        }
                        break;
                    }
                    r.py = py;
                    r.edges = EdgeList{coverage, positive, pixels, static_cast<int>(left), static_cast<int>(right),
                                       static_cast<int>(bx0), static_cast<int>(rightFrom)};
                    // The band's depths are read as its pixels are drawn, and the images it is written
                    // into when they are composited: they are seldom in the cache yet.
                    if (band && bx0 <= bx1) {
                        const int from = static_cast<int>(bx0), to = static_cast<int>(bx1);
                        if (depth != nullptr) fill_detail::FetchDepth(DepthRow(*depth, py), from, to);
                        out.Fetch(py, from, to);
                    }
                    fill_detail::ListColumns(bandX, bandY, pixels, r.edges.leftFrom, r.edges.left, py);
                    fill_detail::ListColumns(bandX, bandY, pixels, r.edges.rightFrom, r.edges.right, py);
                    ++count;
                }
                ++py;
                spans.Next();
            }
            if (pixels > 0) {
                for (int k = pixels; k < pixels + kCoverageSlack; ++k) {
                    bandX[k] = bandX[pixels - 1];
                    bandY[k] = bandY[pixels - 1];
                }
                EdgeCoverageRun(edges, bandX, bandY, pixels, coverage, positive);
            }
            for (int k = 0; k < count; ++k) {
                const BandRow& r = rows[k];
                drawRow(r.py, r.xs, r.xe, true, 0, -1, &r.edges);
            }
        }
    }
    if constexpr (Shade::kCanBatch) {
        if (gather != nullptr) gather->Flush();
        if (queue != nullptr) queue->Flush();
    }
}

// Draws triangle s, whose shade takes its pixels in batches, straight into the target through a
// gather that carries them on to the next triangles of the same plan (no edge band; the clip is
// the band's rows).
template <typename S, typename Shade, typename Writer>
void StreamTriangle(const TriangleSetup& s, Shade& shade, fill_detail::PixelGather<S, Shade, Writer>& gather,
                    const SceneCall& call) {
    const std::int64_t clipX1 = Zwidth - 1;
    const int rowFirst = std::max(call.rowBegin, s.rowFirst);
    const int rowLast = std::min(call.rowEnd - 1, s.rowLast);
    // A recording holds only pixels that went through the queue.
    if (call.fragments != nullptr) call.fragments->complete = false;
    gather.Begin(shade);
    fill_detail::RowSpanWalk spans(s, rowFirst);
    for (int py = rowFirst; py <= rowLast; ++py, spans.Next()) {
        std::int64_t xs, xe;
        spans.Span(xs, xe);
        if (xs > xe) continue;
        const int first = static_cast<int>(std::max<std::int64_t>(xs, 0));
        const int last = static_cast<int>(std::min(xe, clipX1));
        gather.Row(s, DepthRow(call, py), first, last, py, DepthRowTerm(s, static_cast<float>(py)));
    }
    gather.End();
}

}  // namespace trivane

namespace trivane {

// The triangle loop of a filled mode: orientation test, set-up, then the triangle drawn straight
// into the target, or when kLayered (with kQuality unless asked otherwise) through the layer.
// makeShade(triangle, setup, plan) gives the mode's shading functor for one triangle (plan: the
// triangle's shading plan when it is known, else null).
//
// Straight into the target, the triangles whose pixels go in batches hand them on to one gather
// while they follow one another with one material: the batches are full and the per-triangle
// work of one is left out. Their plan is looked up once for the run.
template <typename S, bool kQuality, bool kLayered = kQuality, typename MakeShade>
void DrawFilledTriangles(const SceneCall& call, MakeShade makeShade) {
    TriangleSetup s;
    const float full = static_cast<float>(g_state.fullScale);
    using Shade = decltype(makeShade(call.triangles, s, nullptr));
    const DirectWriter<S> direct{call.target, 0, full};
    fill_detail::Deferred<fill_detail::PixelGather<S, Shade, DirectWriter<S>>> streamRoom;
    fill_detail::PixelGather<S, Shade, DirectWriter<S>>* stream = nullptr;
    const bool backPass = BackPass();  // a thread-local read, once for the loop
    // The run in the gather: its plan (null: none), material and mapping.
    const shading::Plan* runPlan = nullptr;
    int runMaterial = 0;
    BYTE runMapped = 0;
    ForEachTriangle(call, [&](int i) {
        __Triangle3ds* t = &call.triangles[i];
        // A band lists the triangles that reach near it; straight into the target, those whose
        // corners lie wholly above or below its rows (by more than a pixel) are passed over before
        // any set-up. (Through the layer, the lists' margin is the layer box's.)
        if (!kLayered && CornersOutsideRows(*t, call.points, call.cy, call.rowBegin - 1, call.rowEnd + 1)) return;
        if (!PassesOrientation(*t, call.points, backPass)) return;
        if (!SetupTriangle(*t, call.points, call.cx, call.cy, s, kQuality)) return;
        if (kLayered) {
            int x0, y0, x1, y1;
            LayerBox(s, x0, y0, x1, y1);
            y0 = std::max(y0, call.rowBegin);
            y1 = std::min(y1, call.rowEnd);
            if (x1 <= x0 || y1 <= y0) return;
            auto shade = makeShade(t, s, nullptr);
            if (call.fused) {
                const CompositeWriter<S> out{&call, g_state.fullScale};
                FillTriangle<S, kQuality>(s, out, shade, &call, x0, y0, x1, y1);
            } else {
                ClearLayer(call, x0, y0, x1, y1);
                const DirectWriter<S> out{call.layer, call.planeRow0, full};
                FillTriangle<S, kQuality>(s, out, shade, &call, x0, y0, x1, y1);
                CompositeLayer<S>(call, x0, y0, x1, y1);
            }
        } else {
            // No row of the band holds a pixel of it.
            if (s.rowFirst >= call.rowEnd || s.rowLast < call.rowBegin || s.rowFirst > s.rowLast) return;
            if constexpr (Shade::kCanBatch && !kQuality) {
                if (runPlan != nullptr && t->material == runMaterial && s.mapped == runMapped) {
                    auto shade = makeShade(t, s, runPlan);
                    StreamTriangle<S>(s, shade, *stream, call);
                    return;
                }
                // Another material (whose plan may take the run's place among the plans): the run's
                // pixels are written first.
                if (stream != nullptr) stream->Flush();
                runPlan = nullptr;
                auto shade = makeShade(t, s, nullptr);
                if (shade.plan != nullptr && !shading::SeesTarget(*shade.plan) && shade.Batched()) {
                    if (stream == nullptr) stream = streamRoom.Build(direct);
                    runPlan = shade.plan;
                    runMaterial = t->material;
                    runMapped = s.mapped;
                    StreamTriangle<S>(s, shade, *stream, call);
                    return;
                }
                FillTriangle<S, false>(s, direct, shade, &call, 0, call.rowBegin, Zwidth, call.rowEnd);
            } else {
                auto shade = makeShade(t, s, nullptr);
                FillTriangle<S, false>(s, direct, shade, &call, 0, call.rowBegin, Zwidth, call.rowEnd);
            }
        }
    });
    if (stream != nullptr) stream->Flush();
}

// The shading of one filled triangle: calls the installed shading for a pixel with the normal
// of NormalRule, adding texture coordinates when the triangle is mapped, and records the pixel as
// the previous one. With the built-in shading installed, runs of pixels go to it in batches.
//
// NormalRule(setup) gives At(weights) -> __Point and kUsesWeights (whether At reads them).
template <typename NormalRule>
struct TriangleShader {
    static constexpr bool kCanBatch = true;

    const SceneCall* call;
    __Triangle3ds* triangle;
    const TriangleSetup* s;
    NormalRule normals;
    float originX, originY;
    bool needsWeights;
    // With the built-in shading installed, the material's plan (what the shading would look up for
    // every pixel), and whether its pixels go in batches.
    const shading::Plan* plan;
    bool batched;
    float rowTerms[3] = {0.0f, 0.0f, 0.0f};

    // known: the triangle's plan when the caller has it (the built-in shading installed), else null.
    TriangleShader(const SceneCall& c, __Triangle3ds* t, const TriangleSetup& setup,
                   const shading::Plan* known = nullptr)
        : call(&c), triangle(t), s(&setup), normals(setup), originX(static_cast<float>(c.cx)),
          originY(static_cast<float>(c.cy)), needsWeights(NormalRule::kUsesWeights || setup.mapped),
          plan(known != nullptr ? known : BuiltinPlan(c, t, setup)),
          batched(plan != nullptr && shading::Batches(*plan)) {}

    // The plan of triangle t with the built-in shading installed, else null.
    static const shading::Plan* BuiltinPlan(const SceneCall& c, __Triangle3ds* t, const TriangleSetup& setup) {
        if (g_state.renderOnePixel != RenderOnePixelBuiltin) return nullptr;
        return &shading::PlanFor(t, c.materials, c.materialCount, c.textures, c.lightCount, c.lights, c.glass,
                                 setup.mapped != 0);
    }

    void BeginRow(float fy) {
        if (needsWeights) WeightRowTerms(*s, fy, rowTerms);
    }
    bool Batched() const { return batched; }
    float OriginX() const { return originX; }
    float OriginY() const { return originY; }

    float operator()(int px, int py, float z, __PrevInfo* previous, float& red, float& green, float& blue) const {
        const float fx = static_cast<float>(px), fy = static_cast<float>(py);
        float w[3] = {0.0f, 0.0f, 0.0f};
        if (needsWeights) WeightsAt(*s, fx, rowTerms, w);
        __Point normal = normals.At(w);
        float u = 0.0f, v = 0.0f;
        if (s->mapped) TextureAt(*s, call->cx, call->cy, fx, fy, z, w, u, v);
        float opacity;
        if (plan != nullptr) {
            const shading::Pixel pixel{originX, originY, call->target, call->background, fx - originX, fy - originY,
                                       z, &normal, u, v, previous, s->nx, s->ny, s->nz, s->d};
            float out[3];
            opacity = plan->kernel(*plan, pixel, out);
            red = out[0], green = out[1], blue = out[2];
        } else {
            opacity = g_state.renderOnePixel(
                originX, originY, call->target, call->background, fx - originX, fy - originY, z, triangle,
                call->materials, call->materialCount, red, green, blue, &normal, s->mapped, u, v, call->textures,
                call->lightCount, call->lights, previous, call->glass, s->nx, s->ny, s->nz, s->d);
        }
        if (previous != nullptr) {
            previous->valid = 1;
            previous->x = fx - originX;
            previous->y = fy - originY;
            previous->u = u;
            previous->v = v;
        }
        return opacity;
    }

    // The rest of what the shading is handed: origin, images and the triangle's plane.
    void Describe(shading::QueuedPixels& q) const {
        q.originX = originX, q.originY = originY;
        q.target = call->target, q.background = call->background;
        q.planeA = s->nx, q.planeB = s->ny, q.planeC = s->nz, q.planeD = s->d;
    }

    // The normals of count pixels at the given columns and rows: on lanes where the rule mixes the
    // vertex normals linearly (the same operations in the same order as WeightRowTerms, WeightsAt
    // and At), else one by one.
    void NormalsAt(const int* columns, const int* rows, int count, float* nx, float* ny, float* nz) const {
        int i = 0;
        if constexpr (requires(const NormalRule& r) { r.Vertices(); }) {
            shading::NormalMix mix;
            MixOf(mix);
            shading::MixNormals(mix, columns, rows, count, nx, ny, nz);
            i = count;
        }
        for (; i < count; ++i) {
            float w[3] = {0.0f, 0.0f, 0.0f};
            if (NormalRule::kUsesWeights) {
                float terms[3];
                WeightRowTerms(*s, static_cast<float>(rows[i]), terms);
                WeightsAt(*s, static_cast<float>(columns[i]), terms, w);
            }
            const __Point normal = normals.At(w);
            nx[i] = normal.x, ny[i] = normal.y, nz[i] = normal.z;
        }
    }

    // What operator() hands the shading for count pixels of a mapped triangle at the given columns,
    // rows and depths: normals and texture coordinates. On lanes where the rule mixes the vertex
    // normals linearly and the coordinates are mixed without the perspective (the operations of
    // WeightRowTerms, WeightsAt, At and MixTexture in their order), else one by one.
    void AttributesAt(const int* columns, const int* rows, const float* z, int count, float* nx, float* ny,
                      float* nz, float* u, float* v) const {
        if constexpr (requires(const NormalRule& r) { r.Vertices(); }) {
            if (!PerspectiveTextures()) {
                shading::NormalMix mix;
                MixOf(mix);
                for (int k = 0; k < 3; ++k) mix.u[k] = s->v[k].u, mix.v[k] = s->v[k].v;
                shading::MixAttributes(mix, columns, rows, count, nx, ny, nz, u, v);
                return;
            }
        }
        // The queued pixels come in runs along rows: a row's weight terms are made when it changes.
        float terms[3];
        int termsRow = 0;
        for (int i = 0; i < count; ++i) {
            const float fx = static_cast<float>(columns[i]), fy = static_cast<float>(rows[i]);
            if (i == 0 || rows[i] != termsRow) {
                WeightRowTerms(*s, fy, terms);
                termsRow = rows[i];
            }
            float w[3];
            WeightsAt(*s, fx, terms, w);
            const __Point normal = normals.At(w);
            nx[i] = normal.x, ny[i] = normal.y, nz[i] = normal.z;
            TextureAt(*s, call->cx, call->cy, fx, fy, z[i], w, u[i], v[i]);
        }
    }

    // Shades a batch; returns the opacity shared by its pixels.
    float ShadeBatch(const shading::PixelBatch& batch) { return shading::ShadeBatch(*plan, batch); }

private:
    // The weight planes and vertex normals of a rule that mixes them linearly (the texture
    // coordinates left to the caller that mixes them).
    void MixOf(shading::NormalMix& mix) const {
        for (int k = 0; k < 3; ++k) {
            mix.wx[k] = s->wx[k], mix.wy[k] = s->wy[k], mix.w0[k] = s->w0[k];
            for (int axis = 0; axis < 3; ++axis) mix.n[k][axis] = normals.Vertices()[k][axis];
        }
    }
};

// Picks the sample type and the edge treatment once per call.
template <template <typename, bool> class Loop>
void DispatchFilled(const SceneCall& call) {
    if (_Deep) {
        _Quality ? Loop<std::uint16_t, true>::Run(call) : Loop<std::uint16_t, false>::Run(call);
    } else {
        _Quality ? Loop<BYTE, true>::Run(call) : Loop<BYTE, false>::Run(call);
    }
}

}  // namespace trivane
