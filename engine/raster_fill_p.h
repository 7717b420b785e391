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
#include <cmath>

#include "engine/raster_p.h"
#include "engine/shading_p.h"

namespace trivane {

namespace fill_detail {

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

// Columns of row py within one pixel of the triangle: the triangle's x-extent over rows
// py - 1 .. py + 1, grown by one pixel.
inline bool RowBand(const TriangleSetup& s, int py, std::int64_t& bx0, std::int64_t& bx1) {
    float lo = static_cast<float>(py) - 1.0f, hi = static_cast<float>(py) + 1.0f;
    float xmin = INFINITY, xmax = -INFINITY;
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
    if (!(xmin <= xmax)) return false;
    bx0 = static_cast<std::int64_t>(std::floor(xmin - 1.0f));
    bx1 = static_cast<std::int64_t>(std::ceil(xmax + 1.0f));
    return true;
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

// The interior of one row when the built-in shading takes whole runs of pixels: the pixels that
// pass the depth test are gathered (without branches on the test) in chunks and shaded together;
// a material the batches cannot shade falls back to one call per pixel for the rest of the
// triangle.
template <typename S, typename Shade, typename Writer>
void SpanBatched(const TriangleSetup& s, Shade& shade, const Writer& out, typename Writer::Row row, float* depthRow,
                 int first, int last, int py, float depthRowTerm, __PrevInfo& previous) {
    constexpr int kChunk = 64;
    float x[kChunk], y[kChunk], z[kChunk], nx[kChunk], ny[kChunk], nz[kChunk];
    float red[kChunk], green[kChunk], blue[kChunk];
    int column[kChunk];
    const float sceneY = static_cast<float>(py) - shade.OriginY();
    for (int i = 0; i < kChunk; ++i) y[i] = sceneY;
    for (int start = first; start <= last; start += kChunk) {
        const int end = std::min(last, start + kChunk - 1);
        int n = 0;
        for (int px = start; px <= end; ++px) {
            const float fx = static_cast<float>(px);
            const float depth = PlaneDepth(s, fx, depthRowTerm);
            bool pass = true;
            if (depthRow != nullptr) {
                const float old = depthRow[px];
                pass = old < depth;
                depthRow[px] = pass ? depth : old;
            }
            column[n] = px;
            z[n] = depth;
            n += pass ? 1 : 0;
        }
        if (n == 0) continue;
        // Positions and normals of the pixels that passed only.
        for (int i = 0; i < n; ++i) {
            const float fx = static_cast<float>(column[i]);
            x[i] = fx - shade.OriginX();
            shade.NormalAt(fx, nx[i], ny[i], nz[i]);
        }
        shading::PixelBatch batch;
        batch.count = n;
        batch.x = x, batch.y = y, batch.z = z, batch.nx = nx, batch.ny = ny, batch.nz = nz;
        batch.red = red, batch.green = green, batch.blue = blue;
        const float opacity = shade.ShadeBatch(batch);
        if (opacity >= 1.0f) {
            for (int i = 0; i < n; ++i) out.Opaque(row, column[i], red[i], green[i], blue[i]);
        } else if (opacity >= 0.0f) {
            for (int i = 0; i < n; ++i) out.Blend(row, column[i], red[i], green[i], blue[i], opacity);
        } else {
            for (int i = 0; i < n; ++i) {
                float o = shade(column[i], py, z[i], &previous, red[0], green[0], blue[0]);
                out.Blend(row, column[i], red[0], green[0], blue[0], o);
            }
            continue;
        }
        previous.valid = 1;
        previous.x = x[n - 1];
        previous.y = sceneY;
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
    void Opaque(Row row, int px, float red, float green, float blue) const {
        fill_detail::StoreOpaque<S>(row + 4 * px, red, green, blue, full);
    }
    void Blend(Row row, int px, float red, float green, float blue, float g) const {
        BlendPixel<S>(row + 4 * px, red, green, blue, g, full);
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
    // One row more than the float extent each way: the fixed-point vertices may round across a
    // row, and the edge band reaches one pixel beyond the triangle.
    int rowFirst = std::max(boxY0, static_cast<int>(std::floor(s.minY)) - 1);
    int rowLast = std::min(boxY1 - 1, static_cast<int>(std::ceil(s.maxY)) + 1);

    __PrevInfo previous{};
    float red, green, blue;
    float depthRowTerm = 0.0f;
    float* depthRow = nullptr;

    auto edgePixel = [&](int px, int py) {
        float fx = static_cast<float>(px);
        float coverage = EdgeCoverage(s, fx, static_cast<float>(py));
        if (!(coverage > 0.0f)) return;
        float z = PlaneDepth(s, fx, depthRowTerm);
        float saved = 0.0f;
        float* entry = nullptr;
        if (depthRow != nullptr) {
            entry = &depthRow[px];
            if (!(*entry < z)) return;
            saved = *entry;
            *entry = z;
        }
        float opacity = shade(px, py, z, static_cast<__PrevInfo*>(nullptr), red, green, blue);
        out.Blend(out.RowAt(py), px, red, green, blue, coverage * opacity);
        if (entry != nullptr) *entry = saved;
    };

    for (int py = rowFirst; py <= rowLast; ++py) {
        std::int64_t xs, xe;
        fill_detail::RowSpan(s, py, xs, xe);
        std::int64_t bx0 = 0, bx1 = -1;
        const bool band = kQuality && fill_detail::RowBand(s, py, bx0, bx1);
        if (xs > xe && !band) continue;
        const float fy = static_cast<float>(py);
        depthRowTerm = DepthRowTerm(s, fy);
        depthRow = depth != nullptr ? DepthRow(*depth, py) : nullptr;
        shade.BeginRow(fy);
        previous.valid = 0;

        if (band) {
            bx0 = std::max(bx0, clipX0);
            bx1 = std::min(bx1, clipX1);
            // Left of the span (or the whole band when the row has no inside pixel).
            std::int64_t leftEnd = xs <= xe ? std::min(xs - 1, bx1) : bx1;
            for (std::int64_t px = bx0; px <= leftEnd; ++px) edgePixel(static_cast<int>(px), py);
        }

        const int first = static_cast<int>(std::max(xs, clipX0));
        const int last = static_cast<int>(std::min(xe, clipX1));
        const typename Writer::Row row = out.RowAt(py);
        bool batchedSpan = false;
        if constexpr (Shade::kCanBatch) {
            if (shade.Batched()) {
                fill_detail::SpanBatched<S>(s, shade, out, row, depthRow, first, last, py, depthRowTerm, previous);
                batchedSpan = true;
            }
        }
        if (!batchedSpan) {
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

        if (band && xs <= xe) {
            for (std::int64_t px = std::max(xe + 1, bx0); px <= bx1; ++px) edgePixel(static_cast<int>(px), py);
        }
    }
}

}  // namespace trivane

namespace trivane {

// The triangle loop of a filled mode: orientation test, set-up, then the triangle drawn straight
// into the target, or when kLayered (with kQuality unless asked otherwise) through the layer.
// makeShade(triangle, setup) gives the mode's shading functor for one triangle.
template <typename S, bool kQuality, bool kLayered = kQuality, typename MakeShade>
void DrawFilledTriangles(const SceneCall& call, MakeShade makeShade) {
    TriangleSetup s;
    const float full = static_cast<float>(g_state.fullScale);
    ForEachTriangle(call, [&](int i) {
        __Triangle3ds* t = &call.triangles[i];
        if (!PassesOrientation(*t, call.points)) return;
        if (!SetupTriangle(*t, call.points, call.cx, call.cy, s)) return;
        auto shade = makeShade(t, s);
        if (kLayered) {
            int x0, y0, x1, y1;
            LayerBox(s, x0, y0, x1, y1);
            y0 = std::max(y0, call.rowBegin);
            y1 = std::min(y1, call.rowEnd);
            if (x1 <= x0 || y1 <= y0) return;
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
            const DirectWriter<S> out{call.target, 0, full};
            FillTriangle<S, false>(s, out, shade, &call, 0, call.rowBegin, Zwidth, call.rowEnd);
        }
    });
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
    bool batched;
    float rowTerms[3] = {0.0f, 0.0f, 0.0f};

    TriangleShader(const SceneCall& c, __Triangle3ds* t, const TriangleSetup& setup)
        : call(&c), triangle(t), s(&setup), normals(setup), originX(static_cast<float>(c.cx)),
          originY(static_cast<float>(c.cy)), needsWeights(NormalRule::kUsesWeights || setup.mapped),
          batched(g_state.renderOnePixel == RenderOnePixelBuiltin) {}

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
        float opacity = g_state.renderOnePixel(
            originX, originY, call->target, call->background, fx - originX, fy - originY, z, triangle,
            call->materials, call->materialCount, red, green, blue, &normal, s->mapped, u, v, call->textures,
            call->lightCount, call->lights, previous, call->glass, s->nx, s->ny, s->nz, s->d);
        if (previous != nullptr) {
            previous->valid = 1;
            previous->x = fx - originX;
            previous->y = fy - originY;
            previous->u = u;
            previous->v = v;
        }
        return opacity;
    }

    void NormalAt(float fx, float& nx, float& ny, float& nz) const {
        float w[3] = {0.0f, 0.0f, 0.0f};
        if (NormalRule::kUsesWeights) WeightsAt(*s, fx, rowTerms, w);
        __Point normal = normals.At(w);
        nx = normal.x, ny = normal.y, nz = normal.z;
    }

    // Opacity of the batch, or negative when this triangle's pixels must go one by one.
    float ShadeBatch(const shading::PixelBatch& batch) {
        float opacity = shading::ShadeBatchBuiltin(triangle, call->materials, call->materialCount, call->textures,
                                                   call->lightCount, call->lights, call->glass, s->mapped != 0,
                                                   batch);
        if (opacity < 0.0f) batched = false;
        return opacity;
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
