#pragma once
// Private interface of the built-in per-pixel shading. The callback itself is the entry in
// shading_default.cpp; the steps live in shading_<step>.cpp; the rasteriser tells the shading
// about each call through BeginShadingCall.
//
// Speed: everything that cannot change during one call (material values, which maps are
// usable, the glass entry, the lights, the switches) is resolved once per material into a
// Plan, and the plan picks one of a few kernels. The pixel path then only computes.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/shading_math_p.h"
#include "engine/state_p.h"
#include "engine/trivane.h"

namespace trivane::shading {

// ---- The call in progress ---------------------------------------------------------------------
// Starts a new call: forgets every plan (the records may have changed since the last call) and
// the remembered glass samples. __RasterScene calls it once its buffers are in g_state; tests
// that call the shading directly call it after changing records or switches.
void BeginShadingCall();

// ---- One texture slot, resolved -------------------------------------------------------------
struct MapView {
    const void* texels = nullptr;  // null: the slot is not used for this material and pixel kind
    int width = 0;
    int height = 0;
    bool is16 = false;
    float inverseFull = 0.0f;  // 1 / the texture's own full-scale value
    float uScale = 1.0f, vScale = 1.0f, uOffset = 0.0f, vOffset = 0.0f;
    float amount = 0.0f;

    explicit operator bool() const { return texels != nullptr; }
};

// ---- Everything fixed for one material during one call ----------------------------------------
struct Plan;
struct Pixel;
using Kernel = float (*)(const Plan& plan, const Pixel& pixel, float out[3]);

struct Plan {
    // Cache key.
    unsigned generation = 0;
    int materialIndex = 0;
    const material3ds* materials = nullptr;
    int materialCount = 0;
    const __Texture* textures = nullptr;
    const light3ds* lightArray = nullptr;
    int lightArrayCount = 0;
    const GlassProp* glassArray = nullptr;
    bool mapped = false;
    std::uint8_t switches = 0;

    Kernel kernel = nullptr;

    // Material.
    float colour[3] = {0.5f, 0.5f, 0.5f};
    float specular[3] = {1.0f, 1.0f, 1.0f};
    float exponent = 150.0f;
    float strength = 10.0f;
    float selfIllumination = 0.0f;
    float opacity = 1.0f;
    float powThreshold = 0.0f;  // d below this gives no highlight (FastPowThreshold)

    // Normal handling.
    float normalSign = 1.0f;  // -1 during the back-face pass
    bool turnToViewer = false;  // double-sided: a normal with negative z has its z negated

    // Maps (unused ones are empty).
    MapView colourMap, opacityMap, bumpMap, reflectionMap;
    float bumpFactor = 0.0f;  // amount x 0.1, in the bump texture's sample units

    // Lights in force (the default light when the call has none); count 0: unlit.
    const light3ds* lights = nullptr;
    int lightCount = 0;

    // Glass.
    bool glass = false;
    float opticalCoefficient = 0.0f;
    float refraction = 0.0f;
    float aberrationFactor = 1.0f;  // q

    // Switches of the call.
    bool quality = false;
    bool twoPassFront = false;  // front pass of a two-pass render
    bool multipleRefraction = false;
    bool drawBackFaces = false;
    bool deepSamples = false;  // image samples are 16-bit
    int full = 255;
    float fullScale = 255.0f;
};

// ---- One pixel's arguments ----------------------------------------------------------------------
struct Pixel {
    float originX, originY;
    std::uint8_t* target;
    std::uint8_t* background;
    float x, y, z;
    const __Point* normal;
    float u, v;
    const __PrevInfo* previous;
    float planeA, planeB, planeC, planeD;
};

// ---- One thread's shading state -------------------------------------------------------------------
// Where the previous glass pixel sampled each channel, so the next pixel on the row can tell how
// far its samples jumped.
struct GlassMemory {
    bool valid = false;
    float x = 0.0f, y = 0.0f;
    float sampleX[3] = {}, sampleY[3] = {};
};

// A bump map's height steps towards the next column and the next row, texel by texel (the last
// column's and row's next being their own), as the lanes read them: for an 8-bit map one word per
// texel, the column's step in the low 16 bits and the row's in the high 16, for a 16-bit map two
// words. Kept for one map during one call, one set per plan slot (shading_queue.cpp).
struct BumpSteps {
    const void* texels = nullptr;
    int width = 0, height = 0;
    bool is16 = false;
    unsigned generation = 0;  // 0: none kept
    std::unique_ptr<std::int32_t[]> words;
    std::size_t capacity = 0;  // in words
};

// The plans of the materials seen in this call (by material index modulo the slot count), the
// glass memory and the bump maps' steps of the plans' slots, one set per drawing thread.
struct ShadingScratch {
    static constexpr int kPlanSlots = 16;
    Plan plans[kPlanSlots];
    GlassMemory glass;
    BumpSteps bumpSteps[kPlanSlots];
};
// The calling thread's set (worker_p.h).
ShadingScratch& CurrentShading();

// ---- Plan building (shading_plan.cpp: the only place that reads the records) -------------------
// The switch that changes within a call (between the back-face and the front-face pass); the
// others are fixed for a call, and BeginShadingCall covers changes between calls.
inline std::uint8_t CurrentSwitches() { return BackPass() ? 1 : 0; }

void BuildPlan(Plan& plan, unsigned generation, std::uint8_t switches, int materialIndex,
               const material3ds* materials, int materialCount,
               const __Texture* textures, int lightCount, const light3ds* lights, const GlassProp* glass,
               bool mapped);

// The plan of a pixel's material in the current call, built on first use (shading_default.cpp).
const Plan& PlanFor(const __Triangle3ds* triangle, const material3ds* materials, int materialCount,
                    const __Texture* textures, int lightCount, const light3ds* lights, const GlassProp* glass,
                    bool mapped);

// ---- Batches (shading_batch.cpp) ----------------------------------------------------------------
// A run of pixels of one triangle as a rasteriser can hand them over: scene position and normal
// (any length) per pixel; everything else is fixed for the triangle.
struct PixelBatch {
    int count = 0;
    const float *x = nullptr, *y = nullptr, *z = nullptr;
    const float *nx = nullptr, *ny = nullptr, *nz = nullptr;
    float *red = nullptr, *green = nullptr, *blue = nullptr;  // outputs, 0..full
};

// Shades a batch with the built-in shading, four pixels at a time, when the material's plan needs
// nothing per pixel beyond position and normal (no maps, no glass), and returns the opacity shared
// by every pixel. Returns a negative value, writing nothing, when the pixels must go through the
// callback one by one. Same results as the callback within float rounding (the highlight's power
// is computed in float here).
float ShadeBatchBuiltin(const __Triangle3ds* triangle, const material3ds* materials, int materialCount,
                        const __Texture* textures, int lightCount, const light3ds* lights, const GlassProp* glass,
                        bool mapped, const PixelBatch& batch);

// The same in two steps: the plan of a triangle's material when its pixels can be shaded in
// batches (null when they must go one by one), and a batch shaded with it. The plan stays valid
// while the thread shades pixels of that material only.
const Plan* BatchPlan(const __Triangle3ds* triangle, const material3ds* materials, int materialCount,
                      const __Texture* textures, int lightCount, const light3ds* lights, const GlassProp* glass,
                      bool mapped);
float ShadeBatch(const Plan& plan, const PixelBatch& batch);
// Whether a plan's pixels can be shaded in batches.
inline bool Batches(const Plan& plan);

// The normals of pixels of one triangle mixed from its three unit vertex normals n[vertex][axis]
// by their barycentric weights: the weight planes wx[i] * x + (wy[i] * y + w0[i]) at the pixel's
// column and row, clamped to >= 0 and scaled by the inverse of their sum when it is positive
// (NormalizeWeights), then w0 * n[0] + w1 * n[1] + w2 * n[2].
struct NormalMix {
    float wx[3], wy[3], w0[3];
    float n[3][3];
    // The vertices' texture coordinates, mixed by the same weights (MixTexture's order) for
    // MixAttributes only.
    float u[3], v[3];
};
// The mixed normals of count pixels at the given columns and rows, on the widest lanes (every width
// the same bits as the scalar mix).
void MixNormals(const NormalMix& mix, const int* columns, const int* rows, int count, float* nx, float* ny,
                float* nz);
// The same with the pixels' texture coordinates w0 * u[0] + w1 * u[1] + w2 * u[2] (v likewise).
void MixAttributes(const NormalMix& mix, const int* columns, const int* rows, int count, float* nx, float* ny,
                   float* nz, float* u, float* v);

// The lanes the batches use: 16, 8, 4 or 1 (the widest the processor has). For tests, a width to
// use instead (0 gives the choice back); every width gives the same bits.
int LaneWidth();
void ForceLaneWidth(int width);

// ---- Kernels (shading_default.cpp) --------------------------------------------------------------
float KernelUnlit(const Plan& plan, const Pixel& pixel, float out[3]);
float KernelPhong(const Plan& plan, const Pixel& pixel, float out[3]);
float KernelFull(const Plan& plan, const Pixel& pixel, float out[3]);
// KernelFull's steps before the lighting: the normal as lit, the colour, and the opacity before
// it is clamped. glass is the calling thread's glass memory (only glass materials use it); null
// leaves a glass material's refraction to the caller, and bumpLater the bump (nothing after the
// bump but the refraction reads the normal).
float PrepareFull(const Plan& plan, const Pixel& pixel, Vec3& n, float colour[3], GlassMemory* glass,
                  bool bumpLater = false);

// ---- Pixels in drawing order for the kernels (shading_queue.cpp) -----------------------------------
// Everything the per-pixel shading would be handed for each of a run of one triangle's pixels.
struct QueuedPixels {
    int count = 0;
    float originX = 0.0f, originY = 0.0f;
    std::uint8_t* target = nullptr;
    std::uint8_t* background = nullptr;
    float planeA = 0.0f, planeB = 0.0f, planeC = 0.0f, planeD = 0.0f;
    const float *x = nullptr, *y = nullptr, *z = nullptr;     // scene position
    const float *nx = nullptr, *ny = nullptr, *nz = nullptr;  // normal as interpolated
    const float *u = nullptr, *v = nullptr;
    const __PrevInfo* const* previous = nullptr;  // per pixel; null entries: no record
    // The records' texture coordinates as the bump's lanes read them, NaN where a record is not
    // valid; null: read through previous.
    const float *previousU = nullptr, *previousV = nullptr;
    float *red = nullptr, *green = nullptr, *blue = nullptr, *opacity = nullptr;  // outputs
    // Above count: the entries count..padded - 1 repeat the last pixel and their outputs are
    // scratch, so that the steps on lanes take the last group whole.
    int padded = 0;
};
// The most pixels a triangle's queue hands ShadeQueued at once (a multiple of eight); a recording
// of the queue's flushes replays them with room for as many.
constexpr int kMostQueued = 128;
static_assert(kMostQueued % 8 == 0);
// Shades the pixels in order with the plan's kernel: the bits of calling the kernel for each pixel
// in turn (the lighting runs on the processor's widest lanes).
void ShadeQueued(const Plan& plan, const QueuedPixels& q);

// ---- Steps ------------------------------------------------------------------------------------------
// Reflection map: the box environment's colour seen along the reflected view ray (shading_reflection.cpp).
void ReadReflection(const Plan& plan, const Pixel& pixel, const Vec3& normal, float out[3]);
// Horizontal or vertical fraction of the box environment for the point (p, z) and direction (rp, rz).
float BoxFraction(float p, float z, float rp, float rz, float halfSize);

// Colour texture, opacity map and bump map (shading_maps.cpp).
void ApplyColourTexture(const Plan& plan, const Pixel& pixel, float colour[3]);
float ApplyOpacityMap(const Plan& plan, const Pixel& pixel, float opacity);
void ApplyBump(const Plan& plan, const Pixel& pixel, Vec3& normal);

// Glass: refracted background per channel, tinted by the colour (shading_glass.cpp).
void RefractGlass(const Plan& plan, const Pixel& pixel, const Vec3& normal, float colour[3], float& opacity,
                  struct GlassMemory& last);
// Forgets every thread's remembered glass samples (a new call).
void ResetGlassMemory();

// ---- Inline steps shared by the kernels ----------------------------------------------------------
// Normal: sign for the back-face pass, double-sided turn, unit length.
inline Vec3 ShadeNormal(const Plan& plan, const __Point* normal) {
    Vec3 n = normal ? Vec3{normal->x, normal->y, normal->z} : Vec3{0.0f, 0.0f, 1.0f};
    n.x *= plan.normalSign;
    n.y *= plan.normalSign;
    n.z *= plan.normalSign;
    if (plan.turnToViewer && n.z < 0.0f) n.z = -n.z;
    return NormalizeOrKeep(n);
}

// Whether the plan's glass looks at the target (the back faces drawn first, or other glass layers
// through the background copy): its pixels must then be drawn one after another as they are
// shaded.
inline bool SeesTarget(const Plan& plan) {
    return plan.glass && (plan.twoPassFront || (plan.multipleRefraction && g_state.backCopy != nullptr));
}

inline bool Batches(const Plan& plan) {
    return (plan.kernel == KernelUnlit && !plan.opacityMap) || plan.kernel == KernelPhong;
}

}  // namespace trivane::shading
