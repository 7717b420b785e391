#include "generate/base_paths.h"

#include "platform/platform.h"

#include <cmath>
#include <cstring>

namespace {

// Longest run we accept: a guard against absurd sizes, far above what real layouts make.
constexpr std::size_t kMaxRunPoints = 1u << 20;

// One run along a line; `along` is the running coordinate, `fixed` the other one.
void AddRun(PathLists& lists, bool horizontal, float fixed, float start, float extent, float stop,
            float baseStep, float reference, float dx, float dy, float dz) {
    bool first = true;
    std::size_t added = 0;
    for (float s = start; s <= stop && added < kMaxRunPoints; ++added) {
        PathPoint point{};
        point.x = horizontal ? s : fixed;
        point.y = horizontal ? fixed : s;
        point.dx = dx;
        point.dy = dy;
        point.dz = dz;
        point.flag = 1;
        lists.points.push_back(point);
        const float step = baseStep * (std::fabs(s - reference) / extent + 0.01f);
        const float nextS = s + step;
        if (!first) {
            const auto index = static_cast<std::int32_t>(lists.points.size()) - 1;
            lists.segments.push_back(PathSegment{index - 1, index, dx, dy, dz, step, 1});
        }
        first = false;
        if (!(nextS > s)) break; // a step that does not advance (zero, negative or NaN sizes)
        s = nextS;
    }
}

template <typename T> bool CopyToPages(const std::vector<T>& list, T*& out) {
    out = nullptr;
    if (list.empty()) return true;
    out = static_cast<T*>(platform::AllocPages(list.size() * sizeof(T)));
    if (!out) return false;
    std::memcpy(out, list.data(), list.size() * sizeof(T));
    return true;
}

} // namespace

void FreeBasePath(BasePath& path) {
    platform::FreePages(path.points);
    platform::FreePages(path.segments);
    path = BasePath{};
}

void AddHorizontalRun(PathLists& lists, float y, float xStart, float extent, float xEnd, float baseStep,
                      float reference, float dx, float dy, float dz) {
    AddRun(lists, true, y, xStart, extent, xEnd, baseStep, reference, dx, dy, dz);
}

void AddVerticalRun(PathLists& lists, float x, float yStart, float extent, float yEnd, float baseStep,
                    float reference, float dx, float dy, float dz) {
    AddRun(lists, false, x, yStart, extent, yEnd, baseStep, reference, dx, dy, dz);
}

bool FinishPath(const PathLists& lists, BasePath& out) {
    out = BasePath{};
    if (!CopyToPages(lists.points, out.points) || !CopyToPages(lists.segments, out.segments)) {
        FreeBasePath(out);
        return false;
    }
    out.pointCount = static_cast<std::int32_t>(lists.points.size());
    out.segmentCount = static_cast<std::int32_t>(lists.segments.size());
    return true;
}

namespace {

void BottomRun(PathLists& lists, float x0, float y0, float W, float H) {
    AddHorizontalRun(lists, y0 + H, x0, W, W / 2, W / 2, 0, 0, -1, 0);
}

void TopRun(PathLists& lists, float x0, float y0, float W) {
    AddHorizontalRun(lists, y0, x0, W, W / 2, W / 2, 0, 0, 1, 0);
}

} // namespace

bool BuildBottomPath(BasePath& out, float x0, float y0, float W, float H) {
    PathLists lists;
    BottomRun(lists, x0, y0, W, H);
    return FinishPath(lists, out);
}

bool BuildTopPath(BasePath& out, float x0, float y0, float W, float /*H*/) {
    PathLists lists;
    TopRun(lists, x0, y0, W);
    return FinishPath(lists, out);
}

bool BuildTopAndBottomPath(BasePath& out, float x0, float y0, float W, float H) {
    PathLists lists;
    TopRun(lists, x0, y0, W);
    BottomRun(lists, x0, y0, W, H);
    return FinishPath(lists, out);
}

bool BuildPerimeterPath(BasePath& out, float x0, float y0, float W, float H) {
    PathLists lists;
    const float middle = (y0 + (y0 + H)) / 2;
    AddVerticalRun(lists, x0, y0, H, y0 + H, H / 2, middle, 1, 0, 0);
    AddVerticalRun(lists, x0 + W, y0, H, y0 + H, H / 2, middle, -1, 0, 0);
    AddHorizontalRun(lists, y0 + H, x0, W, x0 + W, W / 2, 0, 0, -1, 0);
    AddHorizontalRun(lists, y0, x0, W, x0 + W, W / 2, 0, 0, 1, 0);
    return FinishPath(lists, out);
}

bool BuildULikePath(BasePath& out, float x0, float y0, float W, float H) {
    PathLists lists;
    const float ys = y0 + H / 3;
    AddVerticalRun(lists, x0, ys, H, y0 + H, H / 2, ys, 1, 0, 0);
    AddVerticalRun(lists, x0 + W, ys, H, y0 + H, H / 2, ys, -1, 0, 0);
    AddHorizontalRun(lists, y0 + H, x0, W, x0 + W, W / 2, 0, 0, -1, 0);
    return FinishPath(lists, out);
}

bool BuildWindowPath(BasePath& out, float x0, float y0, float W, float H) {
    PathLists lists;
    const float paneW = W / 2, paneH = H / 2;
    const float corners[4][2] = {{x0, y0}, {x0, y0 + paneH}, {x0 + paneW, y0 + paneH}, {x0 + paneW, y0}};
    for (const auto& corner : corners) {
        const float px = corner[0], py = corner[1];
        const float middleY = py + paneH / 2, middleX = px + paneW / 2;
        AddVerticalRun(lists, px, py, paneH, py + paneH, H / 4, middleY, 1, 0, 0);
        AddVerticalRun(lists, px + paneW, py, paneH, py + paneH, H / 4, middleY, -1, 0, 0);
        AddHorizontalRun(lists, py + paneH, px, paneW, px + paneW, W / 4, middleX, 0, -1, 0);
        AddHorizontalRun(lists, py, px, paneW, px + paneW, W / 4, middleX, 0, 1, 0);
    }
    return FinishPath(lists, out);
}

bool BuildLayoutPath(int maskKind, BasePath& out, float x0, float y0, float W, float H) {
    switch (maskKind) {
    case 1:
        return BuildBottomPath(out, x0, y0, W, H);
    case 2:
        return BuildTopPath(out, x0, y0, W, H);
    case 3:
        return BuildTopAndBottomPath(out, x0, y0, W, H);
    case 4:
        return BuildPerimeterPath(out, x0, y0, W, H);
    case 5:
        return BuildULikePath(out, x0, y0, W, H);
    case 6:
        return BuildWindowPath(out, x0, y0, W, H);
    default:
        out = BasePath{};
        return true;
    }
}

bool PathFromSelection(std::int32_t pointCount, std::int32_t segmentCount, const MeshPoint* points,
                       const MeshSegment* segments, float ox, float oy, BasePath& out) {
    out = BasePath{};
    if (pointCount < 0 || segmentCount < 0 || (pointCount > 0 && !points) || (segmentCount > 0 && !segments))
        return false;
    for (std::int32_t j = 0; j < segmentCount; ++j) {
        const MeshSegment& s = segments[j];
        if (s.from < 0 || s.from >= pointCount || s.to < 0 || s.to >= pointCount) return false;
    }
    PathLists lists;
    lists.points.resize(static_cast<std::size_t>(pointCount));
    for (std::int32_t k = 0; k < pointCount; ++k) {
        PathPoint& p = lists.points[static_cast<std::size_t>(k)];
        p = PathPoint{};
        p.x = points[k].x + ox;
        p.y = points[k].y + oy;
    }
    lists.segments.reserve(static_cast<std::size_t>(segmentCount));
    for (std::int32_t j = 0; j < segmentCount; ++j) {
        PathPoint& a = lists.points[static_cast<std::size_t>(segments[j].from)];
        PathPoint& b = lists.points[static_cast<std::size_t>(segments[j].to)];
        const double ex = static_cast<double>(b.y) - a.y;
        const double ey = static_cast<double>(a.x) - b.x;
        const double length = std::sqrt(ex * ex + ey * ey);
        PathSegment segment{segments[j].from, segments[j].to, 0, 0, 0, static_cast<float>(length), 1};
        if (length > 0) {
            segment.dx = static_cast<float>(ex / length);
            segment.dy = static_cast<float>(ey / length);
        }
        lists.segments.push_back(segment);
        for (PathPoint* p : {&a, &b}) {
            if (p->flag == 0) {
                p->dx = segment.dx;
                p->dy = segment.dy;
                p->flag = 1;
            } else {
                p->dx = (p->dx + segment.dx) / 2;
                p->dy = (p->dy + segment.dy) / 2;
            }
            p->dz = 0;
        }
    }
    return FinishPath(lists, out);
}
