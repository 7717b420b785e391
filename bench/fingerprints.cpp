// Render fingerprints: one line per case, a hash of the bytes a render leaves, over every draw mode,
// both depths, with and without quality, layers, glass, maps, back faces and a borrowed depth
// buffer, plus the scene builder's pictures of the ten effects. Two builds whose lists agree drew
// the same bytes; run it before and after a change that must not move a pixel:
//
//   fingerprints > before.txt   (old build)      fingerprints > after.txt   (new build)
//   diff before.txt after.txt
//
// Options: --engine (library cases only), --scenes (scene-builder cases only), --host MODULE (the
// final render through the stand-in host and the given plug-in module only).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/trivane.h"
#include "generate/render_state.h"
#include "generate/scene_builder.h"
#include "host/standin/standin.h"
#include "params/params.h"

namespace {

std::uint64_t Hash(const void* data, std::size_t size, std::uint64_t h = 1469598103934665603ull) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

void Reset() {
    __SetDrawMode(6);
    __SetQuality(1);
    __SetDeep(0);
    __SetDubleSide(0);
    __SetDrawBackFaces(0);
    _DrawBackFaces1 = 0;
    __SetUseMultyRefract(1);
    __SetUsePhong2(0);
    _WireSize = 1.0f;
    __AddPersp(0, nullptr, 0.0f, 0.0f, 0.0f, 1000.0f);
    __SetZBuff(nullptr, 0, 0);
    __SetLightDef(nullptr);
    __SetDefRenderOnePixel();
}

struct Scene {
    std::vector<__Triangle3ds> triangles;
    std::vector<__Point3ds> points;
};

// Random triangles of mixed sizes over a w x h image (origin at its centre), a few big ones,
// random normals and orientations, most vertices mapped, materials 0..2.
Scene MakeScene(unsigned seed, int w, int h, int count, float size) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    Scene scene;
    for (int i = 0; i < count; ++i) {
        const bool big = i % 37 == 5;
        const float s = big ? size * 5.0f : 1.0f + unit(random) * size;
        const float cx = (unit(random) - 0.5f) * (w + 30), cy = (unit(random) - 0.5f) * (h + 30);
        const float z = (unit(random) - 0.5f) * 300.0f;
        const std::int32_t base = static_cast<std::int32_t>(scene.points.size());
        for (int k = 0; k < 3; ++k) {
            __Point3ds p{};
            p.x = cx + (unit(random) - 0.5f) * s;
            p.y = cy + (unit(random) - 0.5f) * s;
            p.z = z + unit(random) * 60.0f;
            p.mapped = unit(random) < 0.9f ? 1 : 0;
            p.u = unit(random) * 1.3f - 0.1f, p.v = unit(random) * 1.3f - 0.1f;
            p.nx = unit(random) - 0.5f, p.ny = unit(random) - 0.5f, p.nz = unit(random) * 1.2f - 0.2f;
            scene.points.push_back(p);
        }
        scene.triangles.push_back(
            __Triangle3ds{base, base + 1, base + 2, 0, static_cast<std::uint16_t>(random() % 3)});
    }
    return scene;
}

struct Image {
    int w, h;
    bool deep;
    std::vector<BYTE> bytes;
    Image(int width, int height, bool is16, unsigned seed, bool transparentPart) : w(width), h(height), deep(is16) {
        bytes.resize(std::size_t(w) * h * (deep ? 8 : 4));
        const int full = deep ? 32768 : 255;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int v[4] = {(x * 7 + int(seed)) % (full + 1), (y * 5) % (full + 1), ((x ^ y) * 3) % (full + 1), full};
                if (transparentPart && x < w / 3) v[3] = (x * full) / (w / 3 + 1);
                for (int k = 0; k < 4; ++k) {
                    const std::size_t i = (std::size_t(y) * w + x) * 4 + k;
                    if (deep) {
                        const std::uint16_t s = std::uint16_t(v[k]);
                        std::memcpy(&bytes[i * 2], &s, 2);
                    } else {
                        bytes[i] = BYTE(v[k]);
                    }
                }
            }
        }
    }
};

// Textures for the maps, at either depth.
struct Textures {
    std::vector<BYTE> colour, opacity, bump, reflection;
    __Texture slots[12] = {};
    explicit Textures(bool deep) {
        auto make = [deep](std::vector<BYTE>& t, int size, int salt) {
            t.resize(std::size_t(size) * size * 4 * (deep ? 2 : 1));
            for (int i = 0; i < size * size * 4; ++i) {
                const int v = (i * 37 + salt * 11 + (i / 4 / size) * 13) % 256;
                if (deep) {
                    const std::uint16_t s = std::uint16_t((v * 32768 + 128) / 255);
                    std::memcpy(&t[std::size_t(i) * 2], &s, 2);
                } else {
                    t[i] = BYTE(v);
                }
            }
        };
        make(colour, 32, 1);
        make(opacity, 16, 2);
        make(bump, 40, 3);
        make(reflection, 24, 4);
        const BYTE is16 = deep ? 1 : 0;
        // Material 1: colour texture and bump; material 2: opacity map and reflection (and glass).
        slots[4 + 0] = {1, 32, 32, colour.data(), is16};
        slots[4 + 2] = {1, 40, 40, bump.data(), is16};
        slots[8 + 1] = {1, 16, 16, opacity.data(), is16};
        slots[8 + 3] = {1, 24, 24, reflection.data(), is16};
        slots[0 + 2] = {1, 40, 40, bump.data(), is16};
    }
};

enum class Materials { Plain, Mapped, Glass };

struct EngineCase {
    int mode;
    bool deep, quality;
    Materials materials;
    int extra;  // 0 none, 1 back faces, 2 double side, 3 multiple refraction off, 4 refraction 2,
                // 5 borrowed depth, 6 quadratic normals, 7 perspective, 8 wide lines, 9 callback
};

float CustomShade(float, float, BYTE*, BYTE*, float x, float y, float z, __Triangle3ds* t, material3ds*, int,
                  float& red, float& green, float& blue, __Point* n, BYTE mapped, float u, float v, __Texture*, int,
                  light3ds*, __PrevInfo* previous, GlassProp*, float, float, float, float) {
    const float full = _Deep ? 32768.0f : 255.0f;
    red = std::fmod(std::fabs(x * 3.1f + z), 1.0f) * full;
    green = std::fmod(std::fabs(y * 1.7f + (n ? n->x : 0.0f)), 1.0f) * full;
    blue = std::fmod(std::fabs(u + v + (previous && previous->valid ? previous->x : 0.0f)), 1.0f) * full;
    return mapped ? 0.9f : (t && t->material == 1 ? 0.5f : 1.0f);
}

std::string Name(const EngineCase& c) {
    static const char* kMaterials[] = {"plain", "mapped", "glass"};
    char text[160];
    std::snprintf(text, sizeof text, "engine mode %d deep %d quality %d %s extra %d", c.mode, c.deep, c.quality,
                  kMaterials[int(c.materials)], c.extra);
    return text;
}

std::uint64_t RenderEngineCase(const EngineCase& c, int w, int h, const Scene& original) {
    Reset();
    Scene scene = original;
    __SetDrawMode(BYTE(c.mode));
    __SetDeep(c.deep);
    __SetQuality(c.quality);
    if (c.extra == 1) __SetDrawBackFaces(1);
    if (c.extra == 2) __SetDubleSide(1);
    if (c.extra == 3) __SetUseMultyRefract(0);
    if (c.extra == 4) __SetUseMultyRefract(2);
    if (c.extra == 6) __SetUsePhong2(1);
    if (c.extra == 7) __AddPersp(int(scene.points.size()), scene.points.data(), 0.5f, 10.0f, -5.0f, 900.0f);
    if (c.extra == 8) _WireSize = 2.5f;
    if (c.extra == 9) __SetNewRenderOnePixel(CustomShade);
    Image background(w, h, c.deep, 3, true);
    Image target(w, h, c.deep, 9, false);
    std::vector<float> depth;
    if (c.extra == 5) {
        depth.assign(std::size_t(w) * h, 0.0f);
        for (std::size_t i = 0; i < depth.size(); ++i) depth[i] = (i % 7 == 0) ? 40.0f : -1e30f;
        __SetZBuff(depth.data(), w, h);
    }
    Textures textures(c.deep);
    material3ds materials[3] = {};
    for (int m = 0; m < 3; ++m) {
        material3ds& mt = materials[m];
        mt.diffuse[0] = 0.2f + 0.3f * m, mt.diffuse[1] = 0.6f, mt.diffuse[2] = 0.9f - 0.2f * m;
        for (float& s : mt.specular) s = 0.9f;
        mt.shininess = 0.2f + 0.1f * m;
        mt.shinStrength = 0.8f;
        mt.selfIllum = 0.1f * m;
        mt.transparency = m == 1 ? -0.2f : 0.0f;
        for (map3ds& map : mt.maps) map.uScale = map.vScale = 1.0f;
        mt.maps[kMapTexture].amount = 0.7f;
        mt.maps[kMapOpacity].amount = 0.5f;
        mt.maps[kMapBump].amount = 0.4f;
        mt.maps[kMapReflection].amount = 0.3f;
    }
    GlassProp glass[3] = {{0, 0.5f, 9.0f, 40.0f}, {0, 0.4f, -6.0f, 0.0f}, {1, 0.6f, 14.0f, 30.0f}};
    if (c.materials == Materials::Glass) glass[0].useGlass = glass[1].useGlass = 1;
    light3ds lights[2] = {};
    lights[0].x = -300, lights[0].y = -200, lights[0].z = 600, lights[0].r = lights[0].g = lights[0].b = 1;
    lights[0].multiplier = 1;
    lights[1] = lights[0];
    lights[1].x = 250, lights[1].z = -300, lights[1].g = 0.6f;
    const bool withMaps = c.materials != Materials::Plain;
    __RasterScene(target.bytes.data(), background.bytes.data(), w, h, w * 4, 0, int(scene.triangles.size()),
                  scene.triangles.data(), scene.points.data(), w / 2, h / 2, 3, materials,
                  withMaps ? textures.slots : nullptr, 2, lights, c.materials == Materials::Plain ? nullptr : glass);
    std::uint64_t hash = Hash(target.bytes.data(), target.bytes.size());
    if (!depth.empty()) hash = Hash(depth.data(), depth.size() * sizeof(float), hash);
    Reset();
    return hash;
}

void EngineCases() {
    const int w = 257, h = 191;
    const Scene small = MakeScene(7, w, h, 700, 30.0f);
    const Scene few = MakeScene(8, w, h, 60, 40.0f);
    for (int mode : {0, 1, 2, 3, 6, 8, 9, 10}) {
        const Scene& scene = mode == 9 || mode == 10 || mode == 8 ? few : small;
        for (bool deep : {false, true}) {
            for (bool quality : {false, true}) {
                for (Materials m : {Materials::Plain, Materials::Mapped, Materials::Glass}) {
                    for (int extra = 0; extra <= 9; ++extra) {
                        if (extra != 0 && m == Materials::Mapped) continue;
                        if (extra == 8 && mode != 1 && mode != 2) continue;
                        if ((extra == 3 || extra == 4) && m != Materials::Glass) continue;
                        EngineCase c{mode, deep, quality, m, extra};
                        std::printf("%s %016llx\n", Name(c).c_str(),
                                    static_cast<unsigned long long>(RenderEngineCase(c, w, h, scene)));
                    }
                }
            }
        }
    }
    // __RasterSolid and __DrawScenesLineColor.
    for (bool deep : {false, true}) {
        for (bool quality : {false, true}) {
            Reset();
            __SetDeep(deep);
            __SetQuality(quality);
            Scene scene = small;
            Image target(w, h, deep, 5, true);
            const float full = deep ? 32768.0f : 255.0f;
            __RasterSolid(target.bytes.data(), w, h, w * 4, 0, int(scene.triangles.size()), scene.triangles.data(),
                          scene.points.data(), w / 2, h / 2, full * 0.8f, full * 0.3f, full * 1.2f, 0.6f);
            std::printf("solid deep %d quality %d %016llx\n", deep, quality,
                        static_cast<unsigned long long>(Hash(target.bytes.data(), target.bytes.size())));
            for (float width : {1.0f, 3.5f}) {
                Image lines(w, h, deep, 6, false);
                __DrawScenesLineColor(width, int(full) / 2, int(full), 7, lines.bytes.data(), nullptr, w, h, 0,
                                      int(scene.triangles.size()), scene.triangles.data(), scene.points.data(), w / 2,
                                      h / 2);
                std::printf("linecolor deep %d quality %d width %.1f %016llx\n", deep, quality, width,
                            static_cast<unsigned long long>(Hash(lines.bytes.data(), lines.bytes.size())));
            }
            Reset();
        }
    }
}

// The scene builder over a working image, as the driver calls it.
std::uint64_t RenderSceneCase(int effect, int renderMode, bool alphaCut, bool glass, bool wide, bool preview, int w,
                              int h, int* triangles) {
    RimelaceParams params{};
    ResetParams(params);
    params.SceneTriangles = nullptr;
    params.ScenePoints = nullptr;
    params.SceneTriangleCount = params.ScenePointCount = 0;
    params.EffectKind = std::uint8_t(effect < 3 ? 1 : effect < 6 ? 2 : 3);
    params.PatternKind = std::uint8_t(effect < 3 ? effect + 1 : effect < 6 ? effect - 2 : effect - 5);
    params.RenderMode = std::uint8_t(renderMode);
    params.AlphaCut = alphaCut ? 1 : 0;
    params.UseGlass = glass ? 1 : 0;
    params.SceneDirty = 1;
    PreviewMode = preview;
    PreviewZoom = preview ? 4.0f : 1.0f;
    const int bytes = wide ? 8 : 4;
    std::vector<std::uint8_t> input(std::size_t(w) * h * bytes), output(input.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t s[4] = {255, std::uint32_t(x * 255 / w), std::uint32_t(y * 255 / h),
                                        std::uint32_t((x * y) % 200)};
            for (int c = 0; c < 4; ++c) {
                const std::size_t i = (std::size_t(y) * w + x) * 4 + c;
                if (wide) {
                    const std::uint16_t v = std::uint16_t((s[c] * 32768 + 128) / 255);
                    std::memcpy(&input[i * 2], &v, 2);
                } else {
                    input[i] = std::uint8_t(s[c]);
                }
            }
        }
    }
    SceneContext ctx;
    ctx.params = &params;
    ctx.w = ctx.W = w;
    ctx.h = ctx.H = h;
    ctx.depth16 = wide;
    ctx.preview = preview;
    BuildScene(ctx, output.data(), input.data(), w / 2.0f, h / 2.0f, 0, 0, w * bytes, false);
    *triangles = params.SceneTriangleCount;
    std::uint64_t hash = Hash(output.data(), output.size());
    hash = Hash(input.data(), input.size(), hash);  // the input must come back unchanged
    FreeSceneCache(params);
    PreviewMode = false;
    PreviewZoom = 1.0f;
    return hash;
}

void SceneCases() {
    for (int effect = 0; effect < 10; ++effect) {
        for (int kind = 0; kind < 3; ++kind) {
            const bool preview = kind == 0, wide = kind == 2;
            int triangles = 0;
            const std::uint64_t hash = RenderSceneCase(effect, 5, false, true, wide, preview, preview ? 400 : 720,
                                                       preview ? 300 : 540, &triangles);
            std::printf("scene effect %d %s triangles %d %016llx\n", effect,
                        preview ? "preview" : wide ? "final16" : "final8", triangles,
                        static_cast<unsigned long long>(hash));
        }
    }
    for (int mode = 1; mode <= 7; ++mode) {
        for (bool alphaCut : {false, true}) {
            for (bool glass : {false, true}) {
                for (bool wide : {false, true}) {
                    int triangles = 0;
                    const std::uint64_t hash = RenderSceneCase(5, mode, alphaCut, glass, wide, false, 480, 360, &triangles);
                    std::printf("scene rendermode %d alphacut %d glass %d wide %d triangles %d %016llx\n", mode,
                                alphaCut, glass, wide, triangles, static_cast<unsigned long long>(hash));
                }
            }
        }
    }
}

// Final renders through the stand-in host: both depths, 3, 4 and 5 planes, with a selection.
void HostCases(const char* module) {
    for (int depth : {8, 16}) {
        for (int planes : {3, 4, 5}) {
            for (bool mask : {false, true}) {
                standin::Image image = standin::Image::Make(640, 480, std::int16_t(planes), depth);
                const std::uint32_t top = depth == 16 ? 32768 : 255;
                for (int y = 0; y < image.height; ++y) {
                    for (int x = 0; x < image.width; ++x) {
                        for (int p = 0; p < planes; ++p) {
                            image.SetSample(x, y, p, p == 3 ? (x * 3 + y) % (top + 1) : (x * 7 + y * 3 + p * 60) % (top + 1));
                        }
                    }
                }
                if (mask) {
                    image.mask.assign(std::size_t(image.width) * image.height, 0);
                    for (int y = 100; y < 380; ++y)
                        for (int x = 120; x < 520; ++x) image.mask[std::size_t(y) * image.width + x] = 255;
                }
                standin::HostOptions options;
                options.parametersCall = standin::ParametersCall::Never;
                standin::Host host(options);
                std::string error;
                if (!host.Load(module, &error)) {
                    std::printf("host cannot load %s: %s\n", module, error.c_str());
                    return;
                }
                standin::RunOptions run;
                if (mask) {
                    standin::Descriptor d;
                    d.items.push_back({FourCC("MskK"), typeInteger, 0, 7});
                    run.replay = d;
                    run.playInfo = plugInDialogSilent;
                }
                const standin::RunResult result = host.Run(image, run);
                std::printf("host depth %d planes %d mask %d code %d %016llx\n", depth, planes, mask, int(result.code),
                            static_cast<unsigned long long>(Hash(image.data.data(), image.data.size())));
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool engine = true, scenes = true;
    const char* module = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--engine") == 0) scenes = false;
        if (std::strcmp(argv[i], "--scenes") == 0) engine = false;
        if (std::strcmp(argv[i], "--host") == 0 && i + 1 < argc) module = argv[++i], engine = scenes = false;
    }
    if (engine) EngineCases();
    if (scenes) SceneCases();
    if (module != nullptr) HostCases(module);
    return 0;
}
