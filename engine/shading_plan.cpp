// Resolving one material for a call: material values with their defaults, the usable maps, the
// lights in force, the glass entry and the switches, and the kernel that fits them.
#include "engine/shading_p.h"

namespace trivane::shading {

namespace {

constexpr float kBump16BitFactor = 255.0f / 32768.0f;  // bump strength is given for 8-bit samples

// A slot is usable when it is present and has texels and a size.
MapView ResolveMap(const __Texture* textures, int materialIndex, int slot, const map3ds& map) {
    MapView view;
    if (textures == nullptr) return view;
    const __Texture& texture = textures[materialIndex * kSlotsPerMaterial + slot];
    if (!texture.present || texture.texels == nullptr || texture.width <= 0 || texture.height <= 0) return view;
    view.texels = texture.texels;
    view.width = texture.width;
    view.height = texture.height;
    // Samples are read at the texture's own depth, so a texture left unconverted reads right
    // (and never past its end) instead of being taken for the other depth.
    view.is16 = texture.is16 != 0;
    view.inverseFull = view.is16 ? 1.0f / 32768.0f : 1.0f / 255.0f;
    view.uScale = map.uScale;
    view.vScale = map.vScale;
    view.uOffset = map.uOffset;
    view.vOffset = map.vOffset;
    view.amount = map.amount;
    return view;
}

void LoadMaterial(Plan& plan, const material3ds& material) {
    for (int i = 0; i < 3; ++i) {
        plan.colour[i] = material.diffuse[i];
        plan.specular[i] = material.specular[i];
    }
    plan.exponent = material.shininess * 100.0f;
    plan.strength = material.shinStrength;
    plan.selfIllumination = material.selfIllum;
    plan.opacity = 1.0f - Clamp01(-material.transparency);
}

}  // namespace

void BuildPlan(Plan& plan, unsigned generation, std::uint8_t switches, int materialIndex,
               const material3ds* materials, int materialCount, const __Texture* textures, int lightCount,
               const light3ds* lights, const GlassProp* glass, bool mapped) {
    plan = Plan{};
    plan.generation = generation;
    plan.switches = switches;
    plan.materialIndex = materialIndex;
    plan.materials = materials;
    plan.materialCount = materialCount;
    plan.textures = textures;
    plan.lightArray = lights;
    plan.lightArrayCount = lightCount;
    plan.glassArray = glass;
    plan.mapped = mapped;

    plan.quality = _Quality != 0;
    plan.drawBackFaces = _DrawBackFaces != 0;
    plan.twoPassFront = _DrawBackFaces != 0 && !BackPass();
    plan.multipleRefraction = _UseMultyRefract != 0;
    plan.normalSign = BackPass() ? -1.0f : 1.0f;
    plan.turnToViewer = _DubleSide != 0;
    plan.deepSamples = g_state.pixelBytes == 8;
    plan.full = g_state.fullScale > 0 ? g_state.fullScale : 255;
    plan.fullScale = static_cast<float>(plan.full);

    // Material and maps.
    const bool valid = materials != nullptr && materialCount > 0 && materialIndex >= 0 && materialIndex < materialCount;
    if (valid) {
        const material3ds& material = materials[materialIndex];
        LoadMaterial(plan, material);
        plan.reflectionMap = ResolveMap(textures, materialIndex, 3, material.maps[kMapReflection]);
        plan.reflectionMap.amount = Clamp01(plan.reflectionMap.amount);
        if (mapped) {
            plan.colourMap = ResolveMap(textures, materialIndex, 0, material.maps[kMapTexture]);
            plan.colourMap.amount = Clamp01(plan.colourMap.amount);
            plan.opacityMap = ResolveMap(textures, materialIndex, 1, material.maps[kMapOpacity]);
            plan.opacityMap.amount = Clamp01(plan.opacityMap.amount);
            plan.bumpMap = ResolveMap(textures, materialIndex, 2, material.maps[kMapBump]);
            plan.bumpFactor = plan.bumpMap.amount * 0.1f * (plan.bumpMap.is16 ? kBump16BitFactor : 1.0f);
        }
    }
    plan.powThreshold = FastPowThreshold(plan.exponent);

    // Lights: the call's, else the default light, else none.
    if (lightCount > 0 && lights != nullptr) {
        plan.lights = lights;
        plan.lightCount = lightCount;
    } else if (g_state.defaultLight != nullptr) {
        plan.lights = g_state.defaultLight;
        plan.lightCount = 1;
    }

    // Glass: the material's entry; element 0 without materials; none for an invalid index.
    const GlassProp* entry = nullptr;
    if (glass != nullptr) {
        if (valid) {
            entry = &glass[materialIndex];
        } else if (materialCount <= 0) {
            entry = &glass[0];
        }
    }
    if (entry != nullptr && entry->useGlass) {
        plan.glass = true;
        plan.opticalCoefficient = entry->optical;
        plan.refraction = entry->refraction;
        const float a = entry->aberration * 0.01f;
        plan.aberrationFactor = a == 0.0f ? 1.0f : (1.0f + a) * (1.0f - a);
    }

    // Kernel.
    if (plan.lightCount == 0) {
        plan.kernel = KernelUnlit;
    } else if (!plan.glass && !plan.colourMap && !plan.opacityMap && !plan.bumpMap && !plan.reflectionMap) {
        plan.kernel = KernelPhong;
    } else {
        plan.kernel = KernelFull;
    }
}

}  // namespace trivane::shading
