// Trivane side of the benchmark: the scene as the library's records, drawn by __RasterScene.
#include <cstring>

#include "bench/renderers.h"
#include "engine/trivane.h"

namespace bench {

namespace {

class TrivaneRenderer : public Renderer {
public:
    TrivaneRenderer(const Scene& scene, Variant variant) : scene_(scene), variant_(variant) {
        const int count = static_cast<int>(scene.vertices.size() / 3);
        triangles_.resize(count);
        points_.resize(scene.vertices.size());
        for (std::size_t i = 0; i < scene.vertices.size(); ++i) {
            const Vertex& v = scene.vertices[i];
            __Point3ds& p = points_[i];
            p = {};
            p.x = v.x, p.y = v.y, p.z = v.z;
            p.nx = v.nx, p.ny = v.ny, p.nz = v.nz;
            p.mapped = variant == Variant::QualityBump ? 1 : 0;
            p.u = v.u, p.v = v.v;
        }
        for (int t = 0; t < count; ++t) triangles_[t] = {3 * t, 3 * t + 1, 3 * t + 2, 0, 0};

        material_ = {};
        std::strcpy(material_.name, "Material#0");
        for (int i = 0; i < 3; ++i) material_.diffuse[i] = kDiffuse[i], material_.specular[i] = kSpecular[i];
        material_.shininess = kShininess;
        material_.shinStrength = kStrength;
        material_.selfIllum = kSelfIllum;
        for (map3ds& map : material_.maps) map.uScale = map.vScale = 1.0f;
        std::strcpy(material_.maps[kMapBump].name, "Bump");
        if (variant == Variant::QualityBump) {
            material_.transparency = -(1.0f - kLayerOpacity);
            material_.maps[kMapBump].amount = kBumpAmount;
            bump_ = scene.bump;
            textures_[2] = {1, kBumpSize, kBumpSize, bump_.data(), 0};
        }
        glass_ = {static_cast<BYTE>(variant == Variant::Glass ? 1 : 0), kGlassOptical, kGlassRefraction,
                  kGlassAberration};
        for (int i = 0; i < 2; ++i) {
            lights_[i] = {};
            std::strcpy(lights_[i].name, i == 0 ? "LightOne" : "Light#2");
            lights_[i].x = kLights[i].x, lights_[i].y = kLights[i].y, lights_[i].z = kLights[i].z;
            lights_[i].r = kLights[i].r, lights_[i].g = kLights[i].g, lights_[i].b = kLights[i].b;
            lights_[i].multiplier = kLights[i].multiplier;
        }
        target_.resize(scene.background.size());
    }

    void Render() override {
        std::memcpy(target_.data(), scene_.background.data(), target_.size());
        __SetDrawMode(6);
        __SetQuality(variant_ == Variant::QualityBump ? 1 : 0);
        __SetDeep(0);
        __RasterScene(target_.data(), const_cast<BYTE*>(scene_.background.data()), scene_.width, scene_.height,
                      scene_.width * 4, 0, static_cast<int>(triangles_.size()), triangles_.data(), points_.data(),
                      scene_.width / 2, scene_.height / 2, 1, &material_, textures_, 2, lights_, &glass_);
    }

    const std::uint8_t* Pixels() const override { return target_.data(); }

private:
    const Scene& scene_;
    Variant variant_;
    std::vector<__Triangle3ds> triangles_;
    std::vector<__Point3ds> points_;
    material3ds material_;
    __Texture textures_[4] = {};
    std::vector<std::uint8_t> bump_;
    light3ds lights_[2];
    GlassProp glass_;
    std::vector<std::uint8_t> target_;
};

}  // namespace

const char* VariantName(Variant variant) {
    switch (variant) {
        case Variant::Phong: return "phong";
        case Variant::QualityBump: return "quality_bump_layers";
        case Variant::Glass: return "glass";
    }
    return "?";
}

std::unique_ptr<Renderer> MakeTrivane(const Scene& scene, Variant variant) {
    return std::make_unique<TrivaneRenderer>(scene, variant);
}

}  // namespace bench
