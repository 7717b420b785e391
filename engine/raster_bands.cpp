// Which triangles each band of rows draws.
#include "engine/raster_bands_p.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/curved_patch_p.h"
#include "engine/worker_p.h"
#include "platform/platform.h"

namespace trivane {
namespace {

// Lists larger than this are released after the call.
constexpr std::size_t kKeptBytes = std::size_t{16} << 20;

struct Box {
    float x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    void Add(float x, float y) {
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        x0 = std::min(x0, x), x1 = std::max(x1, x);
        y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
    bool Empty() const { return !(x0 <= x1 && y0 <= y1); }
};

// The box of triangle t (image coordinates, the origin at (cx, cy)); empty when the triangle draws
// nothing anywhere.
template <Reach kReach>
Box Reached(const SceneCall& call, const __Triangle3ds& t, float cx, float cy) {
    Box box;
    if (t.v0 < 0 || t.v1 < 0 || t.v2 < 0) return box;
    const __Point3ds& a = call.points[t.v0];
    const __Point3ds& b = call.points[t.v1];
    const __Point3ds& c = call.points[t.v2];
    switch (kReach) {
        case Reach::Vertices:
            box.Add(a.x + cx, a.y + cy);
            box.Add(b.x + cx, b.y + cy);
            box.Add(c.x + cx, c.y + cy);
            break;
        case Reach::SubTriangles: {
            __Point3ds points[6];
            SubdivisionPoints(a, b, c, points);
            for (const __Point3ds& p : points) box.Add(p.x + cx, p.y + cy);
            break;
        }
        case Reach::Patch: {
            CurvedPatch patch;
            if (!BuildPatch(t, call.points, call.cx, call.cy, patch)) break;
            for (const float* q : patch.p) box.Add(q[0], q[1]);
            break;
        }
    }
    return box;
}

// floor(value) - margin and ceil(value) + margin held inside [0, size - 1] for finite values, with
// the values that clamp worked out once (in doubles, which hold every float and these sums exactly).
class Clamped {
public:
    Clamped(int margin, int size)
        : margin_(margin), last_(size - 1), lowerBelow_(margin), lowerFrom_(static_cast<double>(size) + margin),
          upperTo_(-1.0 - margin), upperAbove_(static_cast<double>(size) - 1.0 - margin) {}
    int Lower(float value) const {
        const double v = value;
        if (v < lowerBelow_) return 0;      // floor(v) < margin
        if (v >= lowerFrom_) return last_;  // floor(v) >= size + margin
        std::int64_t whole = static_cast<std::int64_t>(v);  // toward zero
        if (static_cast<double>(whole) > v) --whole;
        return static_cast<int>(whole - margin_);
    }
    int Upper(float value) const {
        const double v = value;
        if (v <= upperTo_) return 0;        // ceil(v) <= -margin - 1
        if (v > upperAbove_) return last_;  // ceil(v) > size - 1 - margin
        std::int64_t whole = static_cast<std::int64_t>(v);
        if (static_cast<double>(whole) < v) ++whole;
        return static_cast<int>(whole + margin_);
    }

private:
    int margin_, last_;
    double lowerBelow_, lowerFrom_, upperTo_, upperAbove_;
};

// Lists per triangle i in [begin, end) its first and last band (first > last: none), counts the
// triangles of band b in starts[b + 1] and widens the band's columns; returns the number of list
// entries.
template <Reach kReach>
std::size_t RangeTriangles(const SceneCall& call, int begin, int end, int width, int height, int margin,
                           std::int32_t* ranges, int* starts, int* columnsFirst, int* columnsEnd) {
    const float cx = static_cast<float>(call.cx), cy = static_cast<float>(call.cy);
    const Clamped rows(margin, height), columns(margin, width);
    std::size_t total = 0;
    for (int i = begin; i < end; ++i) {
        const Box box = Reached<kReach>(call, call.triangles[i], cx, cy);
        int first = 1, last = 0;
        if (!box.Empty() && box.y1 + margin >= 0.0f && box.y0 - margin < height && box.x1 + margin >= 0.0f &&
            box.x0 - margin < width) {
            first = rows.Lower(box.y0) / kBandRows;
            last = rows.Upper(box.y1) / kBandRows;
            const int x0 = columns.Lower(box.x0), x1 = columns.Upper(box.x1) + 1;
            for (int b = first; b <= last; ++b) {
                ++starts[b + 1];
                columnsFirst[b] = std::min(columnsFirst[b], x0);
                columnsEnd[b] = std::max(columnsEnd[b], x1);
            }
            total += static_cast<std::size_t>(last - first + 1);
        }
        ranges[2 * i] = first;
        ranges[2 * i + 1] = last;
    }
    return total;
}

std::size_t RangeTriangles(Reach reach, const SceneCall& call, int begin, int end, int width, int height,
                           int margin, std::int32_t* ranges, int* starts, int* columnsFirst, int* columnsEnd) {
    switch (reach) {
        case Reach::Vertices:
            return RangeTriangles<Reach::Vertices>(call, begin, end, width, height, margin, ranges, starts,
                                                   columnsFirst, columnsEnd);
        case Reach::SubTriangles:
            return RangeTriangles<Reach::SubTriangles>(call, begin, end, width, height, margin, ranges, starts,
                                                       columnsFirst, columnsEnd);
        case Reach::Patch:
            return RangeTriangles<Reach::Patch>(call, begin, end, width, height, margin, ranges, starts,
                                                columnsFirst, columnsEnd);
    }
    return 0;
}

// Calls of this many triangles or more have their lists built by several threads, each over its
// own share of the triangles in array order; the lists are the ones one thread builds.
constexpr int kSharedBuildTriangles = 8192;
constexpr int kMostBuildParts = 4;

// One share of a shared build: its triangles [begin, end), and its counts per band (starts[b + 1];
// then the cursor where its entries of band b go, starts[b]) and columns.
struct BuildPart {
    int begin, end;
    int *starts, *columnsFirst, *columnsEnd;
    std::size_t total;
};

struct SharedBuild {
    const SceneCall* call;
    Reach reach;
    int width, height, margin, bandCount;
    std::int32_t* ranges;
    std::int32_t* items;
    BuildPart parts[kMostBuildParts];
};

void RangePart(void* context, Worker&, int index) {
    SharedBuild& job = *static_cast<SharedBuild*>(context);
    BuildPart& part = job.parts[index];
    for (int b = 0; b <= job.bandCount; ++b) part.starts[b] = 0;
    for (int b = 0; b < job.bandCount; ++b) part.columnsFirst[b] = job.width, part.columnsEnd[b] = 0;
    part.total = RangeTriangles(job.reach, *job.call, part.begin, part.end, job.width, job.height, job.margin,
                                job.ranges, part.starts, part.columnsFirst, part.columnsEnd);
}

void ListPart(void* context, Worker&, int index) {
    const SharedBuild& job = *static_cast<const SharedBuild*>(context);
    const BuildPart& part = job.parts[index];
    int* cursor = part.starts;
    for (int i = part.begin; i < part.end; ++i) {
        for (int b = job.ranges[2 * i]; b <= job.ranges[2 * i + 1]; ++b) job.items[cursor[b]++] = i;
    }
}

Bins g_bins;

struct PlainJob {
    const SceneCall* call;
    const Bins* bins;
    int height;
    PlainBandDraw draw;
    void* context;
};

void DrawPlainBand(void* context, Worker&, int index) {
    const PlainJob& job = *static_cast<const PlainJob*>(context);
    SceneCall band = *job.call;
    band.rowBegin = index * kBandRows;
    band.rowEnd = band.rowBegin + kBandRows < job.height ? band.rowBegin + kBandRows : job.height;
    if (job.bins != nullptr) {
        band.order = job.bins->Items(index);
        band.orderCount = job.bins->ItemCount(index);
        if (band.orderCount == 0) return;
    }
    job.draw(job.context, band);
}

}  // namespace

Bins& CallBins() { return g_bins; }

void DrawPlainBands(const SceneCall& call, int width, int height, Reach reach, int margin, PlainBandDraw draw,
                    void* context) {
    if (width <= 0 || height <= 0) return;
    PlainJob job{&call, nullptr, height, draw, context};
    if (WholeImageForced()) {
        SceneCall whole = call;
        whole.rowBegin = 0;
        whole.rowEnd = height;
        draw(context, whole);
        return;
    }
    const int bandCount = (height + kBandRows - 1) / kBandRows;
    int busy = bandCount;
    if (g_bins.Build(call, width, height, reach, margin)) {
        job.bins = &g_bins;
        busy = g_bins.BandsWithWork();
    }
    if (busy > 0) RunParallel(bandCount, ThreadCount() < busy ? ThreadCount() : busy, DrawPlainBand, &job);
    g_bins.Trim();
}

bool Bins::Room(std::size_t bytes) {
    if (block_ != nullptr && bytes_ >= bytes) return true;
    platform::FreePages(block_);
    block_ = platform::AllocPages(bytes);
    bytes_ = block_ != nullptr ? bytes : 0;
    return block_ != nullptr;
}

void Bins::Trim() {
    if (bytes_ <= kKeptBytes) return;
    platform::FreePages(block_);
    block_ = nullptr;
    bytes_ = 0;
}

bool Bins::Build(const SceneCall& call, int width, int height, Reach reach, int margin) {
    const int count = call.triangleCount;
    bandCount_ = (height + kBandRows - 1) / kBandRows;
    busy_ = 0;
    int parts = count >= kSharedBuildTriangles ? std::min(ThreadCount(), kMostBuildParts) : 1;
    if (parts < 1) parts = 1;
    // Per triangle its first and last band (first > last: none); per band the list bounds and
    // columns; with several parts, each part's counts and columns; then the lists.
    const std::size_t perTriangle = static_cast<std::size_t>(count) * 2 * sizeof(std::int32_t);
    const std::size_t perBand = (static_cast<std::size_t>(bandCount_) * 3 + 1) * sizeof(std::int32_t);
    const std::size_t perParts = parts > 1 ? parts * perBand : 0;
    const std::size_t head = perTriangle + perBand + perParts;
    if (!Room(head)) return false;
    auto* ranges = static_cast<std::int32_t*>(block_);
    auto place = [&] {
        starts_ = ranges + static_cast<std::size_t>(count) * 2;
        columnsFirst_ = starts_ + bandCount_ + 1;
        columnsEnd_ = columnsFirst_ + bandCount_;
    };
    place();
    for (int b = 0; b <= bandCount_; ++b) starts_[b] = 0;
    for (int b = 0; b < bandCount_; ++b) columnsFirst_[b] = width, columnsEnd_[b] = 0;

    SharedBuild job{&call, reach, width, height, margin, bandCount_, ranges, nullptr, {}};
    auto placeParts = [&] {
        int* at = columnsEnd_ + bandCount_;
        for (int p = 0; p < parts; ++p) {
            BuildPart& part = job.parts[p];
            part.starts = at;
            part.columnsFirst = at + bandCount_ + 1;
            part.columnsEnd = part.columnsFirst + bandCount_;
            at = part.columnsEnd + bandCount_;
        }
        job.ranges = ranges;
    };
    std::size_t total = 0;
    if (parts == 1) {
        total = RangeTriangles(reach, call, 0, count, width, height, margin, ranges, starts_, columnsFirst_,
                               columnsEnd_);
    } else {
        placeParts();
        for (int p = 0; p < parts; ++p) {
            job.parts[p].begin = static_cast<int>(static_cast<long long>(count) * p / parts);
            job.parts[p].end = static_cast<int>(static_cast<long long>(count) * (p + 1) / parts);
        }
        RunParallel(parts, parts, RangePart, &job, nullptr, false);
        for (int p = 0; p < parts; ++p) {
            const BuildPart& part = job.parts[p];
            total += part.total;
            for (int b = 0; b < bandCount_; ++b) {
                starts_[b + 1] += part.starts[b + 1];
                columnsFirst_[b] = std::min(columnsFirst_[b], part.columnsFirst[b]);
                columnsEnd_[b] = std::max(columnsEnd_[b], part.columnsEnd[b]);
            }
        }
    }
    for (int b = 0; b < bandCount_; ++b) {
        if (starts_[b + 1] > 0) ++busy_;
        starts_[b + 1] += starts_[b];
    }

    // The lists go behind the rest; the block may move, so the ranges are read from the new one.
    const std::size_t wanted = head + total * sizeof(std::int32_t);
    if (bytes_ < wanted) {
        void* bigger = platform::AllocPages(wanted);
        if (bigger == nullptr) return false;
        std::copy(static_cast<const std::uint8_t*>(block_), static_cast<const std::uint8_t*>(block_) + head,
                  static_cast<std::uint8_t*>(bigger));
        platform::FreePages(block_);
        block_ = bigger;
        bytes_ = wanted;
        ranges = static_cast<std::int32_t*>(block_);
        place();
        if (parts > 1) placeParts();
    }
    items_ = reinterpret_cast<std::int32_t*>(static_cast<std::uint8_t*>(block_) + head);
    if (parts == 1) {
        // Filled in array order with the starts as cursors, which end at the next band's start.
        std::int32_t* cursor = starts_;
        for (int i = 0; i < count; ++i) {
            for (int b = ranges[2 * i]; b <= ranges[2 * i + 1]; ++b) items_[cursor[b]++] = i;
        }
        for (int b = bandCount_; b > 0; --b) starts_[b] = starts_[b - 1];
        starts_[0] = 0;
        return true;
    }
    // Each part's entries of a band follow the earlier parts' ones: its cursor starts behind them.
    for (int b = 0; b < bandCount_; ++b) {
        int cursor = starts_[b];
        for (int p = 0; p < parts; ++p) {
            const int counted = job.parts[p].starts[b + 1];
            job.parts[p].starts[b] = cursor;
            cursor += counted;
        }
    }
    job.items = items_;
    RunParallel(parts, parts, ListPart, &job, nullptr, false);
    return true;
}

}  // namespace trivane
