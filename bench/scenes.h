#pragma once
// Named benchmark scenes: seeded random triangles of a given area and aspect over an image, with
// per-vertex normals and texture coordinates, and the material and two point lights both
// renderers use.

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct Vertex {
    float x, y, z;     // scene coordinates (origin at the image centre, y down, larger z nearer)
    float nx, ny, nz;  // unit normal
    float u, v;
};

struct Scene {
    std::string name;
    int width = 0, height = 0;
    std::vector<Vertex> vertices;  // three per triangle, front-facing
    std::vector<std::uint8_t> background;  // width x height x 4, 8-bit
    std::vector<std::uint8_t> bump;        // kBumpSize^2 x 4, 8-bit
};

constexpr int kBumpSize = 64;

struct SceneRecipe {
    const char* name;
    int width, height;
    int triangles;
    float area;    // pixels
    float aspect;  // base / height
    bool scaling = false;  // one point of the scaling curve (run with --scaling only)
};

// The benchmark's scenes, in report order: the comparison scenes, then the scaling curve (the
// triangle count at 4000 x 3000, and the image size at 100k triangles covering the same share of
// it as 100k triangles of 20 px^2 cover 4000 x 3000).
const std::vector<SceneRecipe>& SceneRecipes();

// Builds a scene (deterministic for a recipe).
Scene MakeScene(const SceneRecipe& recipe);

// Shared lighting set-up (scene coordinates).
struct PointLight {
    float x, y, z, r, g, b, multiplier;
};
constexpr PointLight kLights[2] = {{-1500.0f, -1200.0f, 2500.0f, 1.0f, 1.0f, 1.0f, 1.0f},
                                   {1800.0f, 900.0f, 1800.0f, 0.6f, 0.6f, 0.8f, 1.0f}};
constexpr float kDiffuse[3] = {0.3f, 0.5f, 0.8f};
constexpr float kSpecular[3] = {1.0f, 1.0f, 1.0f};
constexpr float kShininess = 0.3f;  // exponent 30
constexpr float kStrength = 0.6f;
constexpr float kSelfIllum = 0.1f;
constexpr float kBumpAmount = 0.02f;
constexpr float kLayerOpacity = 0.9f;  // the layered variant's opacity (transparency -0.1)
constexpr float kGlassRefraction = 12.0f, kGlassOptical = 0.5f, kGlassAberration = 40.0f;

}  // namespace bench
