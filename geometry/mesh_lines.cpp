// CMeshBuilder: processing of the traced lines (preparation with the corner pass, midpoints,
// anchors, simplification, subdivision) and the shared point map.
#include "geometry/mesh_builder.h"

#include <bit>
#include <cmath>

namespace {

std::uint64_t PositionKey(float x, float y) {
    return (static_cast<std::uint64_t>(std::bit_cast<std::uint32_t>(x)) << 32) |
           std::bit_cast<std::uint32_t>(y);
}

// Distance from p to the segment from a to b (to a itself when the two ends coincide).
double SegmentDistance(const BorderPoint& p, const BorderPoint& a, const BorderPoint& b) {
    const double abx = static_cast<double>(b.x) - a.x, aby = static_cast<double>(b.y) - a.y;
    const double apx = static_cast<double>(p.x) - a.x, apy = static_cast<double>(p.y) - a.y;
    const double squared = abx * abx + aby * aby;
    double s = squared > 0 ? (apx * abx + apy * aby) / squared : 0.0;
    s = s < 0 ? 0 : (s > 1 ? 1 : s);
    const double dx = apx - s * abx, dy = apy - s * aby;
    return std::sqrt(dx * dx + dy * dy);
}

bool IsCorner(const BorderPoint& previous, const BorderPoint& point, const BorderPoint& next) {
    const float ax = point.x - previous.x, ay = point.y - previous.y;
    const float bx = next.x - point.x, by = next.y - point.y;
    return (std::fabs(ax) > 2 && ay == 0 && std::fabs(by) > 2 && bx == 0) ||
           (std::fabs(ay) > 2 && ax == 0 && std::fabs(bx) > 2 && by == 0);
}

} // namespace

void CMeshBuilder::RegisterPoint(const BorderPoint* point) {
    auto [entry, inserted] =
        pointMap_.try_emplace(PositionKey(point->x, point->y), MapEntry{currentLine_, false});
    if (!inserted && entry->second.firstLine != currentLine_) entry->second.shared = true;
}

bool CMeshBuilder::SharedPosition(const BorderPoint* point) const {
    const auto entry = pointMap_.find(PositionKey(point->x, point->y));
    return entry != pointMap_.end() && entry->second.shared;
}

void CMeshBuilder::ProcessLine(BorderLine& line, float x, std::int32_t e) {
    if (line.points.size() <= 2) return;
    PrepareLine(line);
    InsertMidpoints(line);
    SetAnchors(line);
    SimplifyLine(line, x - 0.5 > 0 ? x - 0.5 : 0.0);
    SubdivideLine(line, e);
}

void CMeshBuilder::PrepareLine(BorderLine& line) {
    std::vector<BorderPoint*>& points = line.points;
    const std::size_t n = points.size();
    const std::size_t distinct = line.closed ? n - 1 : n; // a closed line repeats its first point last
    constexpr std::uint32_t kWorking = kKeep | kCorner | kMark;
    for (std::size_t k = 0; k < n; ++k)
        if (line.closed || (k > 0 && k + 1 < n)) points[k]->flags &= ~kWorking;

    // Corner pass.
    for (std::size_t k = 0; k < distinct; ++k) {
        if (!line.closed && (k == 0 || k + 1 == n)) continue;
        const BorderPoint& previous = *points[line.closed ? (k + distinct - 1) % distinct : k - 1];
        const BorderPoint& next = *points[line.closed ? (k + 1) % distinct : k + 1];
        if (IsCorner(previous, *points[k], next) || SharedPosition(points[k]))
            points[k]->flags |= kKeep | kCorner;
    }
    if (!line.closed) return;
    points[n - 1]->flags = points[0]->flags;

    // A closed line starts at a kept point; without two of them its leftmost and rightmost are kept.
    std::size_t kept = 0, left = 0, right = 0;
    for (std::size_t k = 0; k < distinct; ++k) {
        if (points[k]->flags & kKeep) ++kept;
        if (points[k]->x < points[left]->x) left = k;
        if (points[k]->x > points[right]->x) right = k;
    }
    if (kept < 2) {
        points[left]->flags |= kKeep;
        points[right]->flags |= kKeep;
    }
    std::size_t start = 0;
    while (!(points[start]->flags & kKeep))
        ++start;
    if (start == 0) {
        points[n - 1]->flags = points[0]->flags;
        return;
    }
    std::vector<BorderPoint*> rotated;
    rotated.reserve(n);
    for (std::size_t k = 0; k < distinct; ++k)
        rotated.push_back(points[(start + k) % distinct]);
    BorderPoint* closing = NewPoint(rotated[0]->x, rotated[0]->y);
    closing->flags = rotated[0]->flags;
    closing->z = rotated[0]->z;
    RegisterPoint(closing);
    rotated.push_back(closing);
    points = std::move(rotated);
}

void CMeshBuilder::InsertMidpoints(BorderLine& line) {
    std::vector<BorderPoint*> out;
    out.reserve(line.points.size() * 2);
    for (std::size_t k = 0; k < line.points.size(); ++k) {
        BorderPoint* a = line.points[k];
        out.push_back(a);
        if (k + 1 == line.points.size()) break;
        const BorderPoint* b = line.points[k + 1];
        if ((a->flags & kCorner) || (b->flags & kCorner)) continue;
        BorderPoint* middle = NewPoint((a->x + b->x) / 2, (a->y + b->y) / 2);
        RegisterPoint(middle);
        out.push_back(middle);
    }
    line.points = std::move(out);
}

void CMeshBuilder::SetAnchors(BorderLine& line) {
    std::vector<BorderPoint*>& points = line.points;
    const std::size_t n = points.size();
    constexpr std::uint32_t kWorking = kKeep | kCorner | kMark;
    for (std::size_t k = 1; k + 1 < n; ++k)
        points[k]->flags &= ~kWorking;
    points[0]->flags |= kKeep;
    points[n - 1]->flags |= kKeep; // an open line's end, or a closed line's closing copy of its start
    if (line.closed && n >= 3) points[n - 2]->flags |= kKeep;
}

void CMeshBuilder::SimplifyLine(BorderLine& line, double tolerance) {
    std::vector<BorderPoint*>& points = line.points;
    struct Interval {
        std::size_t from, to;
    };
    std::vector<Interval> stack;
    std::size_t previous = 0;
    for (std::size_t k = 1; k < points.size(); ++k)
        if (points[k]->flags & kKeep) {
            stack.push_back({previous, k});
            previous = k;
        }
    while (!stack.empty()) {
        const Interval interval = stack.back();
        stack.pop_back();
        if (interval.to - interval.from < 2) continue;
        std::size_t farthest = interval.from + 1;
        double distance = -1;
        for (std::size_t k = interval.from + 1; k < interval.to; ++k) {
            const double d = SegmentDistance(*points[k], *points[interval.from], *points[interval.to]);
            if (d > distance) {
                distance = d;
                farthest = k;
            }
        }
        if (distance >= tolerance) {
            points[farthest]->flags |= kKeep;
            stack.push_back({interval.from, farthest});
            stack.push_back({farthest, interval.to});
        }
    }
    std::vector<BorderPoint*> kept;
    kept.reserve(points.size());
    for (BorderPoint* p : points)
        if (p->flags & kKeep) kept.push_back(p);
    points = std::move(kept);
}

void CMeshBuilder::SubdivideLine(BorderLine& line, std::int32_t e) {
    if (line.closed && line.points.size() <= 3) return;
    std::vector<BorderPoint*> out;
    out.reserve(line.points.size());
    for (std::size_t k = 0; k < line.points.size(); ++k) {
        const BorderPoint* a = line.points[k];
        out.push_back(line.points[k]);
        if (k + 1 == line.points.size()) break;
        const BorderPoint* b = line.points[k + 1];
        const double dx = static_cast<double>(b->x) - a->x, dy = static_cast<double>(b->y) - a->y;
        const double length = std::sqrt(dx * dx + dy * dy);
        const auto pieces = static_cast<std::int64_t>(std::floor(length / e));
        for (std::int64_t s = 1; s <= pieces; ++s) {
            const double f = static_cast<double>(s) / static_cast<double>(pieces + 1);
            BorderPoint* p = NewPoint(static_cast<float>(a->x + dx * f), static_cast<float>(a->y + dy * f));
            RegisterPoint(p);
            out.push_back(p);
        }
    }
    line.points = std::move(out);
}
