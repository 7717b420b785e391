// No exception leaves the library: a scene of any size is drawn without large allocations, so a
// process short of memory keeps running. This program replaces operator new to refuse large
// blocks while armed (on Windows the library keeps its own operator new, so there the test only
// shows that large scenes draw).
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "scene_fixture.h"

namespace {
bool g_refuseLarge = false;
constexpr std::size_t kLarge = 16u << 20;
}  // namespace

void* operator new(std::size_t size) {
    if (g_refuseLarge && size > kLarge) throw std::bad_alloc();
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

TEST(Allocation, SubdividingHalfAMillionTrianglesNeedsNoLargeBlock) {
    fixture::ResetLibrary();
    __SetDrawMode(8);
    fixture::Image bg(16, 16, false, 0, 0, 0, 0), target = bg;
    fixture::Scene scene;
    scene.Add(1000, 1000, 0, 1010, 1000, 0, 1010, 1010, 0);  // off the image
    scene.Add(-6, -6, 0, 6, -6, 0, 6, 6, 0);
    const __Triangle3ds far = scene.triangles[0], near = scene.triangles[1];
    scene.triangles.assign(500000, far);
    scene.triangles.push_back(near);  // the last one is drawn
    __SetNewRenderOnePixel(fixture::SolidShade);
    g_refuseLarge = true;
    fixture::Raster(target, bg, scene, 8, 8);
    g_refuseLarge = false;
    EXPECT_EQ(target.At(11, 4, 3), 255);
    fixture::ResetLibrary();
}

}  // namespace
