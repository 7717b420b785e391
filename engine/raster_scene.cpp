// __RasterScene: the per-call set-up (Z-buffer, default light, working buffers), the pass loop
// (back faces first when asked) and the choice of the draw mode's triangle loop.
#include <cstring>

#include "engine/raster_p.h"
#include "engine/shading_p.h"
#include "platform/platform.h"

namespace trivane {
namespace {

// The triangle loop of a draw mode, or null for a mode that draws nothing (yet).
TriangleLoop LoopOfMode(BYTE mode) {
    switch (mode) {
        case 0: return DrawRough;
        case 1: return DrawLine;
        case 2: return DrawWire;
        case 3: return DrawFlat;
        case 6: return DrawPhong;
        case 8: return DrawPatchFill;
        case 9: return DrawPatchPoints;
        case 10: return DrawSilhouette;
        default: return nullptr;
    }
}

// Whether any material of the call refracts (element 0 stands for all without materials).
bool UsesGlass(const GlassProp* glass, int materialCount) {
    if (glass == nullptr) return false;
    for (int i = 0; i < (materialCount > 0 ? materialCount : 1); ++i) {
        if (glass[i].useGlass) return true;
    }
    return false;
}

void FillEmptyDepth(float* buffer, std::size_t count) {
    std::memset(buffer, 0xFE, count * sizeof(float));
}

// Working buffers of one call, released on every way out.
struct WorkingBuffers {
    BYTE* backCopy = nullptr;
    BYTE* layer = nullptr;
    BYTE* edge = nullptr;
    BYTE* underEdge = nullptr;
    float* glassDepth = nullptr;
    BYTE* blank = nullptr;

    // The background copy and the glass depth serve glass materials only; a scene without glass
    // does without them (they are the largest buffers to fill).
    // Likewise the layer and the edge memories serve layered drawing only.
    bool Allocate(std::size_t imageBytes, std::size_t pixels, bool layered, bool glass) {
        if (layered) {
            layer = static_cast<BYTE*>(platform::AllocPages(imageBytes));
            edge = static_cast<BYTE*>(platform::AllocPages(imageBytes));
            underEdge = static_cast<BYTE*>(platform::AllocPages(imageBytes));
            if (!(layer && edge && underEdge)) return false;
        }
        if (!glass) return true;
        backCopy = static_cast<BYTE*>(platform::AllocPages(imageBytes));
        glassDepth = static_cast<float*>(platform::AllocPages(pixels * sizeof(float)));
        if (glassDepth != nullptr) FillEmptyDepth(glassDepth, pixels);
        return backCopy && glassDepth;
    }
    ~WorkingBuffers() {
        platform::FreePages(backCopy);
        platform::FreePages(layer);
        platform::FreePages(edge);
        platform::FreePages(underEdge);
        platform::FreePages(glassDepth);
        platform::FreePages(blank);
    }
};

// The depth buffer a call makes for itself is kept for the next call of the same size: filling
// fresh pages costs far more than refilling warm ones. A call of another size releases it.
struct DepthCache {
    float* block = nullptr;
    std::size_t count = 0;

    float* Acquire(std::size_t wanted) {
        if (block != nullptr && count == wanted) {
            float* b = block;
            block = nullptr;
            return b;
        }
        platform::FreePages(block);
        block = nullptr;
        count = wanted;
        return static_cast<float*>(platform::AllocPages(wanted * sizeof(float)));
    }
    void Release(float* b, std::size_t c) {
        platform::FreePages(block);
        block = b;
        count = c;
    }
};
DepthCache g_depthCache;

// Restores the library's per-call state when the call ends.
struct CallScope {
    bool ownsDepth = false;
    bool ownsLight = false;
    std::size_t depthCount = 0;
    ~CallScope() {
        if (ownsDepth) {
            g_depthCache.Release(ZBuff, depthCount);
            ZBuff = nullptr;
        }
        if (ownsLight) g_state.defaultLight = nullptr;
        g_state.backCopy = nullptr;
        g_state.glassDepth = nullptr;
        _DrawBackFaces1 = 0;
    }
};

}  // namespace
}  // namespace trivane

using namespace trivane;

void __RasterScene(BYTE* target, BYTE* background, int width, int height, int stride, int /*unused*/,
                   int triangleCount, __Triangle3ds* triangles, __Point3ds* points, int cx, int cy,
                   int materialCount, material3ds* materials, __Texture* textures, int lightCount,
                   light3ds* lights, GlassProp* glass) {
    // 1. Sample depth and addressing.
    g_state.stride = stride;
    g_state.fullScale = _Deep ? 32768 : 255;
    g_state.pixelBytes = _Deep ? 8 : 4;

    // An image the call cannot address safely is left alone.
    const bool addressable =
        target != nullptr && width > 0 && height > 0 && width <= 0x7FFFFFFF / 4 && stride >= width * 4;
    const int drawable = (triangles != nullptr && points != nullptr && triangleCount > 0) ? triangleCount : 0;

    // 2. Mode 0 uses no buffers and no depth, and runs a single pass.
    if (_DrawMode == 0) {
        _DrawBackFaces = 0;
        _DrawBackFaces1 = 0;
        if (!addressable) return;
        SceneCall call;
        call.target = target;
        call.background = background;  // may be null: the outline is then drawn in full white
        call.width = width, call.height = height;
        call.triangleCount = drawable;
        call.triangles = triangles;
        call.points = points;
        call.cx = cx, call.cy = cy;
        DrawRough(call);
        return;
    }
    if (!addressable) return;
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const std::size_t imageBytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height) *
                                   (_Deep ? 2u : 1u);

    CallScope scope;
    // 3. Z-buffer: the caller's when its size matches, else one of our own for this call.
    if (!(ZBuff != nullptr && Zwidth == width && Zheight == height)) {
        platform::FreePages(ZBuff);
        Zwidth = width;
        Zheight = height;
        ZBuff = g_depthCache.Acquire(pixels);
        if (ZBuff == nullptr) return;
        FillEmptyDepth(ZBuff, pixels);
        scope.ownsDepth = true;
        scope.depthCount = pixels;
    }

    // 4. Default light for a call without lights.
    light3ds ownLight{};
    if (g_state.defaultLight == nullptr && (lights == nullptr || lightCount <= 0)) {
        std::memcpy(ownLight.name, "Default", 8);
        ownLight.x = 200.0f, ownLight.y = 200.0f, ownLight.z = 1000.0f;
        ownLight.r = ownLight.g = ownLight.b = 1.0f;
        ownLight.multiplier = 1.0f;
        g_state.defaultLight = &ownLight;
        scope.ownsLight = true;
    }

    // 5. Working buffers.
    WorkingBuffers buffers;
    const bool layered = _Quality || _DrawMode == 8 || _DrawMode == 9;
    const bool refracts = UsesGlass(glass, materials != nullptr ? materialCount : 0);
    if (!buffers.Allocate(imageBytes, pixels, layered, refracts)) return;
    if (background != nullptr && buffers.backCopy != nullptr) std::memcpy(buffers.backCopy, background, imageBytes);
    g_state.backCopy = buffers.backCopy;
    g_state.glassDepth = buffers.glassDepth;
    shading::BeginShadingCall();  // the records and switches may have changed since the last call

    SceneCall call;
    call.target = target;
    if (background == nullptr) {
        // Without a background the shading sees transparent black.
        buffers.blank = static_cast<BYTE*>(platform::AllocPages(imageBytes));
        if (buffers.blank == nullptr) return;
    }
    call.background = background != nullptr ? background : buffers.blank;
    call.width = width, call.height = height;
    call.triangleCount = drawable;
    call.triangles = triangles;
    call.points = points;
    call.cx = cx, call.cy = cy;
    call.materialCount = materials != nullptr ? materialCount : 0;
    call.materials = materials;
    call.textures = textures;
    call.lightCount = lights != nullptr && lightCount > 0 ? lightCount : 0;
    call.lights = lights;
    call.glass = glass;
    call.layer = buffers.layer;
    call.edge = buffers.edge;
    call.underEdge = buffers.underEdge;

    // 6. and the pass loop: back faces first when asked, then the front faces over them.
    const TriangleLoop loop = LoopOfMode(_DrawMode);
    _DrawBackFaces1 = _DrawBackFaces;
    for (;;) {
        if (loop != nullptr) loop(call);
        if (!_DrawBackFaces1) break;
        if (buffers.backCopy != nullptr) std::memcpy(buffers.backCopy, target, imageBytes);
        _DrawBackFaces1 = 0;
        if (scope.ownsDepth) FillEmptyDepth(ZBuff, pixels);
    }
}
