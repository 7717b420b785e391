#include "growth_fingerprint_set.h"

#include "generate/base_paths.h"
#include "generate/growth.h"
#include "generate/portable_math.h"
#include "generate/random.h"
#include "geometry/mesh_builder.h"
#include "platform/platform.h"

#include <cstring>

namespace {

std::uint64_t Digest(const std::vector<float>& values) {
    std::uint64_t hash = 14695981039346656037ull;
    for (float v : values) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (int k = 0; k < 4; ++k) {
            hash ^= (bits >> (8 * k)) & 0xFFu;
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

FingerprintItem FromList(const std::string& name, const TriangleList& list) {
    FingerprintItem item;
    item.name = name;
    item.count = list.Size();
    for (const PatternTriangle& t : list) {
        for (const PatternVertex& v : t.corner)
            item.values.insert(item.values.end(), {v.x, v.y, v.z, v.nx, v.ny, v.nz});
        item.values.push_back(static_cast<float>(t.tag));
    }
    item.digest = Digest(item.values);
    return item;
}

FingerprintItem FromPath(const std::string& name, const BasePath& path) {
    FingerprintItem item;
    item.name = name;
    item.count = path.pointCount;
    for (std::int32_t k = 0; k < path.pointCount; ++k) {
        const PathPoint& p = path.points[k];
        item.values.insert(item.values.end(), {p.x, p.y, p.z, p.dx, p.dy, p.dz});
    }
    for (std::int32_t j = 0; j < path.segmentCount; ++j) {
        const PathSegment& s = path.segments[j];
        item.values.insert(item.values.end(),
                           {static_cast<float>(s.start), static_cast<float>(s.end), s.dx, s.dy, s.length});
    }
    item.digest = Digest(item.values);
    return item;
}

template <typename Grow>
FingerprintItem Grown(const std::string& name, std::uint32_t seed, Grow grow,
                      std::int32_t budget = kDefaultTriangleBudget) {
    TriangleList list(budget);
    TriangleCount = 0;
    SeedRandom(seed);
    grow(list);
    return FromList(name, list);
}

// A selection with rounded shapes, a hole, a thin bar and a diagonal touch, from integer maths only.
std::vector<std::uint8_t> SampleMask(int columns, int rows) {
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), 0);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const int dx = c - 70, dy = r - 60;
            bool on = dx * dx * 9 + dy * dy * 16 < 45 * 45 * 16;       // ellipse
            on &= !(dx * dx + dy * dy < 12 * 12);                      // with a hole
            on |= (c >= 130 && c < 190 && r >= 20 && r < 24);          // a thin bar
            on |= (c - 150) * (c - 150) + (r - 100) * (r - 100) < 400; // a disc
            on |= (c == 120 && r == 130) || (c == 121 && r == 131);    // two pixels touching at a corner
            mask[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) +
                 static_cast<std::size_t>(c)] = on ? 255 : 0;
        }
    return mask;
}

} // namespace

std::vector<FingerprintItem> RunFingerprintSet() {
    std::vector<FingerprintItem> items;
    items.push_back(Grown("path-triangles", 1212, [](TriangleList& list) {
        for (int k = 0; k < 64; ++k) {
            const float a = k * 0.1f;
            AddPathTriangle(list, {k * 3.0f, 5.0f}, {k * 3.0f + 2.5f, 5.5f}, {0.3f * a - 1, 1 - 0.2f * a},
                            1.25f, 0.05f * k);
        }
    }));
    items.push_back(Grown("geometric-small", 1213, [](TriangleList& list) {
        GrowGeometricBranch(list, 0, 2, 0, 10, -20, 0, {0, -1}, 0.6f, 15, 0.05f, 0.05f, 0.25f, 0.15f, 3, 3);
    }));
    items.push_back(Grown("geometric-sides", 1214, [](TriangleList& list) {
        for (int i = 0; i < 4; ++i)
            GrowGeometricBranch(list, i, 1 + i % 3, 0, i * 40.0f, 0, 0, {0.6f, -0.8f}, 0.4f, 9, -0.2f, 0.3f,
                                0.5f, 0.4f, 7, 4);
    }));
    items.push_back(Grown(
        "geometric-cut", 1215,
        [](TriangleList& list) {
            GrowGeometricBranch(list, 3, 3, 0, 0, 0, 0, {-1, 0}, 0.3f, 20, 0.1f, 0.1f, 1.0f, 0.2f, 15, 6);
        },
        30000));
    items.push_back(Grown("floral-arcs", 1216, [](TriangleList& list) {
        GrowFloralBranch(list, 4, 100, 50, 20, 0.7f, 2.5f, 60, 0.05f, false, -640);
    }));
    items.push_back(Grown("floral-curl", 1217, [](TriangleList& list) {
        GrowFloralBranch(list, 3, -30, 80, 0, -1.2f, -3.1f, 120, 0.3f, true, 75);
    }));
    items.push_back(Grown("curl-and-arc", 1218, [](TriangleList& list) {
        DrawCurl(list, 0, 0, 5, 0.25f, 0, 40);
        PlanePoint end{};
        DrawArcBranch(list, 5, 5, 0, 1.0f, -2.0f, 90, 12, 0.08f, 0, &end);
        AddTriangle(list, 7, {end.x, end.y, 0}, {end.x + 1, end.y, 1}, {end.x, end.y + 1, 2});
    }));
    items.push_back(Grown("fern-2", 1219, [](TriangleList& list) {
        GrowFernBranch(list, 2, 0, 0, 0, -1.57f, 1.5f, 300, 0.02f, 15, -640, 0.05f, 3.14f, 0);
    }));
    items.push_back(Grown("fern-3", 1220, [](TriangleList& list) {
        GrowFernBranch(list, 3, 20, 10, 30, 2.0f, -0.9f, 220, 0.03f, 37, 15, 0.1f, 1.2f, 0);
    }));
    {
        FingerprintItem angles;
        angles.name = "branch-angles";
        for (int k = 0; k < 72; ++k) {
            const float a = k * 0.0872664626f;
            angles.values.push_back(static_cast<float>(BranchAngle(-PortableCos(a), -PortableSin(a), 0, 0)));
        }
        angles.count = static_cast<std::int32_t>(angles.values.size());
        angles.digest = Digest(angles.values);
        items.push_back(angles);
    }
    for (int kind = 1; kind <= 6; ++kind) {
        BasePath path;
        BuildLayoutPath(kind, path, -320, -240, 640, 480);
        items.push_back(FromPath("layout-" + std::to_string(kind), path));
        FreeBasePath(path);
    }
    {
        const int columns = 200, rows = 150;
        const auto mask = SampleMask(columns, rows);
        CMeshBuilder builder;
        std::int32_t n = 0, m = 0;
        MeshPoint* points = nullptr;
        MeshSegment* segments = nullptr;
        FingerprintItem traced;
        traced.name = "traced-mask";
        if (builder.BuildBorderLines(columns, rows, columns, mask.data(), 1.0f, 30, &n, &m, &points,
                                     &segments)) {
            traced.count = n;
            for (std::int32_t k = 0; k < n; ++k)
                traced.values.insert(traced.values.end(), {points[k].x, points[k].y});
            for (std::int32_t j = 0; j < m; ++j)
                traced.values.insert(traced.values.end(), {static_cast<float>(segments[j].from),
                                                           static_cast<float>(segments[j].to)});
            traced.digest = Digest(traced.values);
            items.push_back(traced);
            BasePath path;
            PathFromSelection(n, m, points, segments, -columns / 2.0f, -rows / 2.0f, path);
            items.push_back(FromPath("selection-path", path));
            FreeBasePath(path);
        } else {
            items.push_back(traced);
        }
        platform::FreePages(points);
        platform::FreePages(segments);
    }
    return items;
}
