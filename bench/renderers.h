#pragma once
// The two renderers of the benchmark, each drawing a scene over its background into memory:
// Trivane through __RasterScene, and Mesa's llvmpipe through OSMesa with GLSL per-pixel Phong.

#include <cstdint>
#include <memory>
#include <vector>

#include "bench/scenes.h"

namespace bench {

enum class Variant {
    Phong,          // Trivane: Phong mode, no quality.      llvmpipe: Phong shader.
    QualityBump,    // Trivane: quality (layers), bump map, opacity 0.9.
                    // llvmpipe: Phong with bump, 4x multisampling, blending at 0.9.
    Glass,          // Trivane: glass material, no quality.  llvmpipe: per-channel refraction of the background.
};

const char* VariantName(Variant variant);

class Renderer {
public:
    virtual ~Renderer() = default;
    // Draws one frame: the background, then the scene; returns when the pixels are in memory.
    virtual void Render() = 0;
    virtual const std::uint8_t* Pixels() const = 0;
};

std::unique_ptr<Renderer> MakeTrivane(const Scene& scene, Variant variant);
// Null when OSMesa cannot make a context.
std::unique_ptr<Renderer> MakeLlvmpipe(const Scene& scene, Variant variant);

}  // namespace bench
