// __RasterScene: the per-call set-up (depth, default light, working planes), the bands of rows the
// call is cut into and the threads that draw them, and the pass loop (back faces first when asked)
// within each band.
//
// Most calls are drawn in bands of rows by several threads, each band with its own small depth,
// layer and edge planes. A call whose pixels look at other rows while they are drawn is drawn as
// one band over the whole image, on the caller's thread, with whole-image planes: an installed
// shading callback (which may read anything, ZBuff included), glass that sees the target or other
// glass (multiple refraction with quality, or a back-face pass first), glass over a background that
// is the target itself, and mode 9 with quality when its samples' previous-sample records feed
// texture or glass filters.
#include <cstring>

#include "engine/fragment_cache_p.h"
#include "engine/line_p.h"
#include "engine/raster_bands_p.h"
#include "engine/raster_p.h"
#include "engine/shading_p.h"
#include "engine/worker_p.h"
#include "platform/platform.h"

namespace trivane {
namespace {

// The triangle loop of a draw mode, or null for a mode that draws nothing.
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

// What a triangle of the mode can reach, and how far beyond that its pixels may lie.
Reach ReachOfMode(BYTE mode, int width, int height, int& margin) {
    const int line = LineMargin(_WireSize, width, height);
    switch (mode) {
        case 0: margin = 2; return Reach::Vertices;
        case 1: margin = line; return Reach::Vertices;
        case 2: margin = line; return Reach::Patch;
        case 8: margin = 4; return Reach::SubTriangles;
        case 9:
        case 10: margin = 4; return Reach::Patch;
        // Filled triangles without the anti-aliased edges draw only pixels inside them.
        case 3:
        case 6: margin = _Quality ? 4 : 1; return Reach::Vertices;
        default: margin = 4; return Reach::Vertices;
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

void FillEmptyDepth(float* buffer, std::size_t count) { std::memset(buffer, 0xFE, count * sizeof(float)); }

// Whole-image planes of a call drawn as one band. Kept for the next call of the same size while
// they are small (previews); large ones are released when the call ends, so that no render leaves
// hundreds of megabytes mapped in a 32-bit host.
constexpr std::size_t kKeptImageBytes = std::size_t{24} << 20;

struct ImagePlane {
    void* block = nullptr;
    std::size_t bytes = 0;
    void* Get(std::size_t wanted) {
        if (block != nullptr && bytes == wanted) return block;
        Release();
        block = platform::AllocPages(wanted);
        bytes = block != nullptr ? wanted : 0;
        return block;
    }
    void Trim() {
        if (bytes > kKeptImageBytes) Release();
    }
    void Release() {
        platform::FreePages(block);
        block = nullptr;
        bytes = 0;
    }
};

struct ImagePlanes {
    ImagePlane depth, layer, edge, underEdge, backCopy, glassDepth, blank;
    ~ImagePlanes() {
        for (ImagePlane* p : {&depth, &layer, &edge, &underEdge, &backCopy, &glassDepth, &blank}) p->Release();
    }
    void Trim() {
        for (ImagePlane* p : {&depth, &layer, &edge, &underEdge, &backCopy, &glassDepth, &blank}) p->Trim();
    }
};
ImagePlanes g_image;

// Band planes larger than this are released when the call ends.
constexpr std::size_t kKeptBandBytes = std::size_t{16} << 20;

// What every band of a call shares.
struct BandJob {
    SceneCall call;  // the call's records; the band fields are set per band
    TriangleLoop loop;
    const Bins* bins;  // null: every band walks every triangle
    int width, height;
    bool ownsDepth, layered;
    bool record;  // each band records what it hands the shading
    std::size_t planeRowBytes;
};

// Draws band `index` of a call: its planes made ready over the columns its triangles reach, then
// the back-face pass when asked and the front-face pass.
void DrawBand(void* context, Worker& worker, int index) {
    const BandJob& job = *static_cast<const BandJob*>(context);
    SceneCall call = job.call;
    call.rowBegin = index * kBandRows;
    call.rowEnd = call.rowBegin + kBandRows < job.height ? call.rowBegin + kBandRows : job.height;
    int columnsFirst = 0, columnsEnd = job.width;
    if (job.bins != nullptr) {
        call.order = job.bins->Items(index);
        call.orderCount = job.bins->ItemCount(index);
        if (call.orderCount == 0) return;
        columnsFirst = job.bins->ColumnsFirst(index);
        columnsEnd = job.bins->ColumnsEnd(index);
    }
    if (job.record) call.fragments = fragments::Band(index);
    const int rows = call.rowEnd - call.rowBegin;
    BandPlanes& planes = worker.planes;
    call.planeRow0 = call.rowBegin;
    call.layer = planes.layer;
    call.edge = planes.edge;
    call.underEdge = planes.underEdge;
    if (job.layered && columnsEnd > columnsFirst) {
        // A clear edge memory (its colours are read only where its coverage is set).
        const std::size_t from = PixelOffset(columnsFirst, 0), to = PixelOffset(columnsEnd, 0);
        for (int y = 0; y < rows; ++y) std::memset(planes.edge + y * job.planeRowBytes + from, 0, to - from);
    }
    auto clearDepth = [&] {
        for (int y = 0; y < rows; ++y) {
            FillEmptyDepth(planes.depth + static_cast<std::size_t>(y) * job.width + columnsFirst,
                           static_cast<std::size_t>(columnsEnd - columnsFirst));
        }
    };
    if (job.ownsDepth) {
        call.depth = planes.depth;
        call.depthRow0 = call.rowBegin;
        clearDepth();
    }
    worker.backPass = _DrawBackFaces != 0;
    for (;;) {
        job.loop(call);
        if (!worker.backPass) break;
        worker.backPass = false;
        if (job.ownsDepth) clearDepth();
    }
}

// Draws the call as one band on the caller's thread, with whole-image planes.
void DrawWhole(SceneCall call, TriangleLoop loop, bool ownsDepth, bool layered, bool refracts, std::size_t pixels,
               std::size_t imageBytes) {
    if (ownsDepth) {
        ZBuff = static_cast<float*>(g_image.depth.Get(pixels * sizeof(float)));
        if (ZBuff == nullptr) return;
        FillEmptyDepth(ZBuff, pixels);
    }
    if (layered) {
        call.layer = static_cast<BYTE*>(g_image.layer.Get(imageBytes));
        call.edge = static_cast<BYTE*>(g_image.edge.Get(imageBytes));
        call.underEdge = static_cast<BYTE*>(g_image.underEdge.Get(imageBytes));
        if (!(call.layer && call.edge && call.underEdge)) return;
        std::memset(call.edge, 0, imageBytes);
    }
    // The background copy and the glass depth serve glass that sees other glass (multiple
    // refraction) or the back faces drawn first.
    BYTE* backCopy = nullptr;
    if (refracts && (_UseMultyRefract || _DrawBackFaces)) {
        backCopy = static_cast<BYTE*>(g_image.backCopy.Get(imageBytes));
        auto* glassDepth = static_cast<float*>(g_image.glassDepth.Get(pixels * sizeof(float)));
        if (!(backCopy && glassDepth)) return;
        FillEmptyDepth(glassDepth, pixels);
        if (call.background != nullptr) {
            std::memcpy(backCopy, call.background, imageBytes);
        } else {
            std::memset(backCopy, 0, imageBytes);
        }
        g_state.backCopy = backCopy;
        g_state.glassDepth = glassDepth;
    }
    if (call.background == nullptr) {
        // Without a background the shading sees transparent black.
        call.background = static_cast<BYTE*>(g_image.blank.Get(imageBytes));
        if (call.background == nullptr) return;
        std::memset(call.background, 0, imageBytes);
    }
    call.rowBegin = 0;
    call.rowEnd = Zheight;
    call.depth = ZBuff;
    call.depthRow0 = 0;
    call.planeRow0 = 0;
    call.fused = false;

    Worker& worker = WorkerAt(0);
    worker.backPass = _DrawBackFaces != 0;
    _DrawBackFaces1 = _DrawBackFaces;
    for (;;) {
        if (loop != nullptr) loop(call);
        if (!_DrawBackFaces1) break;
        if (backCopy != nullptr) std::memcpy(backCopy, call.target, imageBytes);
        _DrawBackFaces1 = 0;
        worker.backPass = false;
        if (ownsDepth) FillEmptyDepth(ZBuff, pixels);
    }
}

// Restores the library's per-call state when the call ends.
struct CallScope {
    bool ownsDepth = false;
    bool ownsLight = false;
    ~CallScope() {
        if (ownsDepth) ZBuff = nullptr;
        if (ownsLight) g_state.defaultLight = nullptr;
        g_state.backCopy = nullptr;
        g_state.glassDepth = nullptr;
        _DrawBackFaces1 = 0;
        for (int i = 0; i < kMaxThreads; ++i) WorkerAt(i).backPass = false;
        g_image.Trim();
        CallBins().Trim();
    }
};

// Whether [a, a + n) and [b, b + n) share a byte.
bool Overlap(const BYTE* a, const BYTE* b, std::size_t n) {
    if (a == nullptr || b == nullptr) return false;
    const auto x = reinterpret_cast<std::uintptr_t>(a), y = reinterpret_cast<std::uintptr_t>(b);
    return x < y + n && y < x + n;
}

// Draws the call in bands on up to ThreadCount() threads; `keepable`: the fragments of the call may
// be kept for the next call of the same scene.
void DrawBands(const SceneCall& call, TriangleLoop loop, bool ownsDepth, bool layered, int width, int height,
               bool keepable) {
    const int bandCount = (height + kBandRows - 1) / kBandRows;
    const fragments::Use use = fragments::Begin(call, g_state.stride, bandCount, keepable);
    const int threadsForBands = ThreadCount() < bandCount ? ThreadCount() : bandCount;
    if (use == fragments::Use::Replay && fragments::Replay(call, threadsForBands)) return;
    int margin = 0;
    const Reach reach = ReachOfMode(_DrawMode, width, height, margin);
    BandJob job{call, loop, nullptr, width, height, ownsDepth, layered, use != fragments::Use::Draw, 0};
    job.call.fused = true;
    int busy = bandCount;
    Bins& bins = CallBins();
    if (bins.Build(call, width, height, reach, margin)) {
        job.bins = &bins;
        busy = bins.BandsWithWork();
    }
    if (busy == 0) {
        if (job.record) fragments::EndRecording();
        return;
    }
    const int threads = ThreadCount() < busy ? ThreadCount() : busy;
    job.planeRowBytes = PixelOffset(0, 1);
    const std::size_t depthBytes = ownsDepth ? static_cast<std::size_t>(kBandRows) * width * sizeof(float) : 0;
    const std::size_t planeBytes = layered ? static_cast<std::size_t>(kBandRows) * job.planeRowBytes : 0;
    for (int i = 0; i < threads; ++i) {
        if (!WorkerAt(i).planes.Reserve(depthBytes, planeBytes)) return;
    }
    // The bands with the most triangles first (an effect along one border puts most of the work in
    // a few bands).
    int order[kMostOrderedBands];
    const int* heaviest =
        job.bins != nullptr ? HeaviestFirst(bandCount, [&](int b) { return bins.ItemCount(b); }, order) : nullptr;
    RunParallel(bandCount, threads, DrawBand, &job, heaviest);
    if (job.record) fragments::EndRecording();
    if (depthBytes + 3 * planeBytes > kKeptBandBytes) ReleaseBandPlanes();
}

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

    SceneCall call;
    call.target = target;
    call.background = background;
    call.width = width, call.height = height;
    call.triangleCount = drawable;
    call.triangles = triangles;
    call.points = points;
    call.cx = cx, call.cy = cy;

    // 2. Mode 0 uses no buffers and no depth, and runs a single pass.
    if (_DrawMode == 0) {
        fragments::Release();
        _DrawBackFaces = 0;
        _DrawBackFaces1 = 0;
        if (!addressable) return;
        // The background may be null: the outline is then drawn in full white.
        DrawPlainBands(call, width, height, Reach::Vertices, 2, [](void*, const SceneCall& band) { DrawRough(band); },
                       nullptr);
        return;
    }
    if (!addressable) {
        fragments::Release();
        return;
    }
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const std::size_t imageBytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height) *
                                   (_Deep ? 2u : 1u);

    CallScope scope;
    // 3. Depth: the caller's buffer when its size matches, else one of our own for this call.
    if (!(ZBuff != nullptr && Zwidth == width && Zheight == height)) {
        platform::FreePages(ZBuff);
        ZBuff = nullptr;
        Zwidth = width;
        Zheight = height;
        scope.ownsDepth = true;
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

    call.materialCount = materials != nullptr ? materialCount : 0;
    call.materials = materials;
    call.textures = textures;
    call.lightCount = lights != nullptr && lightCount > 0 ? lightCount : 0;
    call.lights = lights;
    call.glass = glass;
    shading::BeginShadingCall();  // the records and switches may have changed since the last call

    // 5. and 6. The working planes and the passes, in bands or as one.
    const TriangleLoop loop = LoopOfMode(_DrawMode);
    const bool layered = _Quality || _DrawMode == 8 || _DrawMode == 9;
    const bool refracts = UsesGlass(glass, call.materialCount);
    const bool oneBand = WholeImageForced() || g_state.renderOnePixel != RenderOnePixelBuiltin ||
                         (refracts && (_DrawBackFaces || (_UseMultyRefract && _Quality) ||
                                       Overlap(target, background, imageBytes))) ||
                         (_DrawMode == 9 && _Quality && (textures != nullptr || refracts));
    if (oneBand) {
        fragments::Release();
        DrawWhole(call, loop, scope.ownsDepth, layered, refracts, pixels, imageBytes);
    } else if (loop != nullptr) {
        if (!scope.ownsDepth) {
            call.depth = ZBuff;
            call.depthRow0 = 0;
        }
        // Scenes drawn again with other materials (a dialog's material changes) shade the last
        // call's fragments again: the geometry is recognised, see fragment_cache_p.h.
        const bool keepable = _DrawMode == 6 && !_Quality && !layered && !_DrawBackFaces && scope.ownsDepth &&
                              g_state.renderOnePixel == RenderOnePixelBuiltin && drawable > 0;
        DrawBands(call, loop, scope.ownsDepth, layered, width, height, keepable);
    } else {
        fragments::Release();
    }
}
