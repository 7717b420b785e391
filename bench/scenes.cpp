// Seeded random triangle scenes for the benchmark.
#include "bench/scenes.h"

#include <cmath>
#include <random>

namespace bench {

const std::vector<SceneRecipe>& SceneRecipes() {
    static const std::vector<SceneRecipe> recipes = {
        {"100k_20px_4000x3000", 4000, 3000, 100000, 20.0f, 1.0f},
        {"100k_20px_thin8_4000x3000", 4000, 3000, 100000, 20.0f, 8.0f},
        {"10k_2000px_4000x3000", 4000, 3000, 10000, 2000.0f, 1.0f},
        {"1M_20px_6000x4000", 6000, 4000, 1000000, 20.0f, 1.0f},
        {"preview_10k_20px_400x300", 400, 300, 10000, 20.0f, 1.0f},
        {"scale_10k_20px_4000x3000", 4000, 3000, 10000, 20.0f, 1.0f, true},
        {"scale_100k_20px_4000x3000", 4000, 3000, 100000, 20.0f, 1.0f, true},
        {"scale_1M_20px_4000x3000", 4000, 3000, 1000000, 20.0f, 1.0f, true},
        {"scale_1MP_100k_1155x866", 1155, 866, 100000, 20.0f / 12.0f, 1.0f, true},
        {"scale_6MP_100k_3000x2000", 3000, 2000, 100000, 10.0f, 1.0f, true},
        {"scale_24MP_100k_6000x4000", 6000, 4000, 100000, 40.0f, 1.0f, true},
        {"scale_96MP_100k_12000x8000", 12000, 8000, 100000, 160.0f, 1.0f, true},
    };
    return recipes;
}

Scene MakeScene(const SceneRecipe& recipe) {
    Scene scene;
    scene.name = recipe.name;
    scene.width = recipe.width;
    scene.height = recipe.height;
    std::mt19937 random(12345u + static_cast<unsigned>(recipe.triangles) + static_cast<unsigned>(recipe.area));
    auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); };

    // Triangles: base b and height h with b * h / 2 = area and b / h = aspect, rotated and placed
    // at random; depth 50..950 with a little tilt; normals tilted around the viewer's direction.
    const float base = std::sqrt(2.0f * recipe.area * recipe.aspect);
    const float tall = std::sqrt(2.0f * recipe.area / recipe.aspect);
    const float halfW = recipe.width * 0.5f, halfH = recipe.height * 0.5f;
    scene.vertices.reserve(static_cast<std::size_t>(recipe.triangles) * 3);
    for (int t = 0; t < recipe.triangles; ++t) {
        const float angle = uniform(0.0f, 6.2831853f);
        const float c = std::cos(angle), s = std::sin(angle);
        const float cx = uniform(-halfW + 40.0f, halfW - 40.0f), cy = uniform(-halfH + 40.0f, halfH - 40.0f);
        const float depth = uniform(50.0f, 950.0f);
        const float apex = uniform(-0.5f, 0.5f) * base;
        const float local[3][2] = {{-base / 2, -tall / 3}, {base / 2, -tall / 3}, {apex, 2 * tall / 3}};
        Vertex v[3];
        for (int k = 0; k < 3; ++k) {
            v[k].x = cx + local[k][0] * c - local[k][1] * s;
            v[k].y = cy + local[k][0] * s + local[k][1] * c;
            v[k].z = depth + uniform(-5.0f, 5.0f);
            float nx = uniform(-0.5f, 0.5f), ny = uniform(-0.5f, 0.5f), nz = 1.0f;
            const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
            v[k].nx = nx / length, v[k].ny = ny / length, v[k].nz = nz / length;
            v[k].u = (v[k].x + halfW) / recipe.width;
            v[k].v = (v[k].y + halfH) / recipe.height;
        }
        // Front-facing: N = (V2 - V1) x (V0 - V1) with N.z >= 0.
        const float ax = v[2].x - v[1].x, ay = v[2].y - v[1].y, bx = v[0].x - v[1].x, by = v[0].y - v[1].y;
        if (ax * by - ay * bx < 0.0f) std::swap(v[0], v[2]);
        for (const Vertex& vertex : v) scene.vertices.push_back(vertex);
    }

    // Background: smooth colour gradients with some texture.
    scene.background.resize(static_cast<std::size_t>(recipe.width) * recipe.height * 4);
    for (int y = 0; y < recipe.height; ++y) {
        for (int x = 0; x < recipe.width; ++x) {
            std::uint8_t* p = &scene.background[(static_cast<std::size_t>(y) * recipe.width + x) * 4];
            p[0] = static_cast<std::uint8_t>(x * 255 / recipe.width);
            p[1] = static_cast<std::uint8_t>(y * 255 / recipe.height);
            p[2] = static_cast<std::uint8_t>(((x / 16) ^ (y / 16)) & 1 ? 200 : 60);
            p[3] = 255;
        }
    }
    // Bump: soft bumps.
    scene.bump.resize(kBumpSize * kBumpSize * 4);
    for (int y = 0; y < kBumpSize; ++y) {
        for (int x = 0; x < kBumpSize; ++x) {
            const float h = 0.5f + 0.25f * std::sin(x * 0.39f) + 0.25f * std::cos(y * 0.29f);
            std::uint8_t* p = &scene.bump[(static_cast<std::size_t>(y) * kBumpSize + x) * 4];
            p[0] = p[1] = p[2] = static_cast<std::uint8_t>(h * 255.0f);
            p[3] = 255;
        }
    }
    return scene;
}

}  // namespace bench
