#include "host/cli/scene_export.h"

#include "engine/trivane.h"
#include "generate/scene_builder.h"
#include "generate/scene_placement.h"
#include "params/params.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

namespace rimelace_cli {
namespace {

// Grows the scene once more with the plug-in's own scene builder (the same code the module runs,
// so the same triangles), asking it for the base path too. The render is skipped.
struct GrownScene {
    RimelaceParams params{};
    SceneGeometry geometry;
    ~GrownScene() { FreeSceneCache(params); }
};

void Grow(const RimelaceParams& values, int w, int h, const std::vector<std::uint8_t>& mask, GrownScene& scene) {
    std::memcpy(static_cast<void*>(&scene.params), &values, sizeof values);
    scene.params.SceneDirty = 1;
    scene.params.SceneTriangles = nullptr;
    scene.params.ScenePoints = nullptr;
    scene.params.SceneTriangleCount = scene.params.ScenePointCount = 0;
    scene.params.BumpImage = nullptr;
    SceneContext ctx;
    ctx.params = &scene.params;
    ctx.w = ctx.W = w;
    ctx.h = ctx.H = h;
    ctx.mask = mask.empty() ? nullptr : mask.data();
    ctx.maskRowBytes = w;
    ctx.geometry = &scene.geometry;
    float cx, cy;
    EffectCentre(scene.params, w, h, 0, 0, cx, cy);
    BuildScene(ctx, nullptr, nullptr, cx, cy, 0, 0, 0, false);
}

std::string Lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};

}  // namespace

bool GeometryFileName(const std::string& path) {
    const std::string name = Lower(path);
    return name.size() > 4 && (name.compare(name.size() - 4, 4, ".svg") == 0 || name.compare(name.size() - 4, 4, ".obj") == 0);
}

bool ExportSceneGeometry(const std::string& path, const RimelaceParams& values, int width, int height,
                         const std::vector<std::uint8_t>& mask, std::string* why, const std::string& writeTo) {
    const std::string name = Lower(path);
    const bool svg = name.size() > 4 && name.compare(name.size() - 4, 4, ".svg") == 0;
    const bool obj = name.size() > 4 && name.compare(name.size() - 4, 4, ".obj") == 0;
    if (!svg && !obj) {
        *why = "--export-geometry: '" + path + "' must end in .svg or .obj";
        return false;
    }
    GrownScene scene;
    Grow(values, width, height, mask, scene);
    const RimelaceParams& p = scene.params;
    const std::vector<SceneGeometry::Line>& lines = scene.geometry.pathLines;
    const std::int32_t count = p.SceneTriangles && p.ScenePoints ? p.SceneTriangleCount : 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen((writeTo.empty() ? path : writeTo).c_str(), "w"));
    if (!file) {
        *why = "cannot write '" + path + "'";
        return false;
    }
    std::FILE* f = file.get();
    const float cx = float(width / 2), cy = float(height / 2);  // the scene origin (ScenePlacement)
    if (svg) {
        std::fprintf(f, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
        std::fprintf(f, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\">\n",
                     width, height, width, height);
        std::fprintf(f, "<rect width=\"%d\" height=\"%d\" fill=\"#1b2430\"/>\n", width, height);
        std::fprintf(f, "<g id=\"triangles\" fill=\"#dfe9f5\" fill-opacity=\"0.55\" stroke=\"#8fb3d9\" stroke-width=\"0.3\">\n");
        for (std::int32_t t = 0; t < count; ++t) {
            const __Triangle3ds& tri = p.SceneTriangles[t];
            const __Point3ds& a = p.ScenePoints[tri.v0];
            const __Point3ds& b = p.ScenePoints[tri.v1];
            const __Point3ds& c = p.ScenePoints[tri.v2];
            std::fprintf(f, "<polygon points=\"%.2f,%.2f %.2f,%.2f %.2f,%.2f\"/>\n", a.x + cx, a.y + cy, b.x + cx,
                         b.y + cy, c.x + cx, c.y + cy);
        }
        std::fprintf(f, "</g>\n<g id=\"base-path\" stroke=\"#ff9a3c\" stroke-width=\"1.5\" fill=\"none\">\n");
        for (const SceneGeometry::Line& l : lines)
            std::fprintf(f, "<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\"/>\n", l.x0 + cx, l.y0 + cy, l.x1 + cx,
                         l.y1 + cy);
        std::fprintf(f, "</g>\n</svg>\n");
    } else {
        std::fprintf(f, "# Rimelace scene: scene coordinates (origin at the image centre, y down, z towards the viewer)\n");
        std::fprintf(f, "# %d triangles, %zu base path segments, image %d x %d\n", count, lines.size(), width, height);
        std::fprintf(f, "o base_path\n");
        for (const SceneGeometry::Line& l : lines) std::fprintf(f, "v %.4f %.4f 0\nv %.4f %.4f 0\n", l.x0, l.y0, l.x1, l.y1);
        for (std::size_t i = 0; i < lines.size(); ++i) std::fprintf(f, "l %zu %zu\n", 2 * i + 1, 2 * i + 2);
        std::fprintf(f, "o triangles\n");
        const std::size_t base = 2 * lines.size();
        for (std::int32_t t = 0; t < count; ++t) {
            const __Triangle3ds& tri = p.SceneTriangles[t];
            for (std::int32_t v : {tri.v0, tri.v1, tri.v2}) {
                const __Point3ds& q = p.ScenePoints[v];
                std::fprintf(f, "v %.4f %.4f %.4f\n", q.x, q.y, q.z);
            }
        }
        for (std::int32_t t = 0; t < count; ++t)
            std::fprintf(f, "f %zu %zu %zu\n", base + 3 * std::size_t(t) + 1, base + 3 * std::size_t(t) + 2,
                         base + 3 * std::size_t(t) + 3);
    }
    if (std::ferror(f) || std::fclose(file.release()) != 0) {
        *why = "cannot write '" + path + "'";
        return false;
    }
    return true;
}

}  // namespace rimelace_cli
