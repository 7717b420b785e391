// The built-in per-pixel shading: finds (or builds) the plan of the pixel's material and runs its
// kernel. Steps in order: normal, material, reflection map, colour texture, opacity map, bump
// map, reflection blend, no-light check, glass, lighting, finish.
#include "engine/shading_p.h"

namespace trivane {

namespace shading {

namespace {

unsigned g_generation = 1;

// Lighting: diffuse with self-illumination, and the specular highlight, summed over the lights.
inline void Light(const Plan& plan, const Pixel& pixel, const Vec3& n, const float colour[3], float out[3]) {
    const float self = plan.selfIllumination;
    const float lit = 1.0f - self;
    float o0 = 0.0f, o1 = 0.0f, o2 = 0.0f;
    for (int i = 0; i < plan.lightCount; ++i) {
        const light3ds& light = plan.lights[i];
        const Vec3 l = NormalizeOrKeep({light.x - pixel.x, light.y - pixel.y, light.z - pixel.z});
        float d = Dot(n, l) * light.multiplier;
        if (!(d > 0.0f)) d = 0.0f;
        const float spec = d > plan.powThreshold ? FastPow(d, plan.exponent) * plan.strength : 0.0f;
        const float diffuse = d * lit + self;
        o0 += (diffuse * colour[0] + spec * plan.specular[0]) * light.r;
        o1 += (diffuse * colour[1] + spec * plan.specular[1]) * light.g;
        o2 += (diffuse * colour[2] + spec * plan.specular[2]) * light.b;
    }
    out[0] = o0;
    out[1] = o1;
    out[2] = o2;
}

// Finish: to sample units, clamped to [0, full].
inline void Finish(const Plan& plan, float out[3]) {
    for (int i = 0; i < 3; ++i) out[i] = ClampTo(out[i] * plan.fullScale, 0.0f, plan.fullScale);
}

}  // namespace

void BeginShadingCall() {
    ++g_generation;
    if (g_generation == 0) g_generation = 1;  // 0 marks a plan never built
    ResetGlassMemory();
}

// No light at all: black, with the material's (and opacity map's) opacity.
float KernelUnlit(const Plan& plan, const Pixel& pixel, float out[3]) {
    out[0] = out[1] = out[2] = 0.0f;
    float opacity = plan.opacity;
    if (plan.opacityMap) opacity = ApplyOpacityMap(plan, pixel, opacity);
    return Clamp01(opacity);
}

// Lit material without maps or glass: the common case.
float KernelPhong(const Plan& plan, const Pixel& pixel, float out[3]) {
    const Vec3 n = ShadeNormal(plan, pixel.normal);
    Light(plan, pixel, n, plan.colour, out);
    Finish(plan, out);
    return plan.opacity;
}

// Every step.
float KernelFull(const Plan& plan, const Pixel& pixel, float out[3]) {
    Vec3 n;
    float colour[3];
    const float opacity = PrepareFull(plan, pixel, n, colour, plan.glass ? &CurrentShading().glass : nullptr);
    Light(plan, pixel, n, colour, out);
    Finish(plan, out);
    return Clamp01(opacity);
}

float PrepareFull(const Plan& plan, const Pixel& pixel, Vec3& n, float colour[3], GlassMemory* glass, bool bumpLater) {
    n = ShadeNormal(plan, pixel.normal);
    colour[0] = plan.colour[0], colour[1] = plan.colour[1], colour[2] = plan.colour[2];
    float opacity = plan.opacity;

    float reflection[3] = {0.0f, 0.0f, 0.0f};
    if (plan.reflectionMap) ReadReflection(plan, pixel, n, reflection);
    if (plan.colourMap) ApplyColourTexture(plan, pixel, colour);
    if (plan.opacityMap) opacity = ApplyOpacityMap(plan, pixel, opacity);
    if (plan.bumpMap && !bumpLater) ApplyBump(plan, pixel, n);
    if (plan.reflectionMap) {
        const float r = plan.reflectionMap.amount;
        const float keep = 1.0f - r;
        for (int i = 0; i < 3; ++i) colour[i] = keep * colour[i] + r * reflection[i];
    }
    if (plan.glass && glass != nullptr) RefractGlass(plan, pixel, n, colour, opacity, *glass);
    return opacity;
}

const Plan& PlanFor(const __Triangle3ds* triangle, const material3ds* materials, int materialCount,
                    const __Texture* textures, int lightCount, const light3ds* lights, const GlassProp* glass,
                    bool mapped) {
    const int index = triangle != nullptr ? triangle->material : -1;
    const std::uint8_t switches = CurrentSwitches();
    Plan& plan = CurrentShading().plans[static_cast<unsigned>(index) % ShadingScratch::kPlanSlots];
    if (plan.generation != g_generation || plan.materialIndex != index || plan.materials != materials ||
        plan.materialCount != materialCount || plan.textures != textures || plan.lightArray != lights ||
        plan.lightArrayCount != lightCount || plan.glassArray != glass || plan.mapped != mapped ||
        plan.switches != switches) {
        BuildPlan(plan, g_generation, switches, index, materials, materialCount, textures, lightCount, lights, glass,
                  mapped);
    }
    return plan;
}

}  // namespace shading

float RenderOnePixelBuiltin(float originX, float originY, BYTE* target, BYTE* background, float x, float y,
                            float z, __Triangle3ds* triangle, material3ds* materials, int materialCount,
                            float& red, float& green, float& blue, __Point* normal, BYTE mapped, float u, float v,
                            __Texture* textures, int lightCount, light3ds* lights, __PrevInfo* previous,
                            GlassProp* glass, float planeA, float planeB, float planeC, float planeD) {
    using namespace shading;
    const Plan& plan = PlanFor(triangle, materials, materialCount, textures, lightCount, lights, glass, mapped != 0);
    const Pixel pixel{originX, originY, target, background, x, y, z, normal, u, v, previous,
                      planeA, planeB, planeC, planeD};
    float out[3];
    const float opacity = plan.kernel(plan, pixel, out);
    red = out[0];
    green = out[1];
    blue = out[2];
    return opacity;
}

}  // namespace trivane
