// Reflection map: the reflection image stretched over the walls of a square box around the scene,
// looked up along the reflected view ray, separately in the (x, z) and (y, z) planes.
#include <cmath>

#include "engine/shading_texture_p.h"

namespace trivane::shading {

float BoxFraction(float p, float z, float rp, float rz, float halfSize) {
    const float w = halfSize;
    const float span = 2.0f * w;
    if (std::fabs(rz) < 1e-4f && std::fabs(rp) < 1e-4f) return (p + w) / span;

    constexpr float kMissing = 1e21f;
    // Hit on the wall z = -W or +W: its p coordinate.
    float zWallAlong = 0.0f;
    float zWallDistance = kMissing;
    if (std::fabs(rz) >= 1e-5f) {
        const float wall = rz < 0.0f ? -w : w;
        zWallAlong = p + (wall - z) / rz * rp;
        zWallDistance = zWallAlong * zWallAlong + wall * wall;
    }
    // Hit on the wall p = -W or +W: its z coordinate.
    float pWallAlong = 0.0f;
    float pWallDistance = kMissing;
    if (std::fabs(rp) >= 1e-5f) {
        const float wall = rp < 0.0f ? -w : w;
        pWallAlong = z + (wall - p) / rp * rz;
        pWallDistance = wall * wall + pWallAlong * pWallAlong;
    }
    if (zWallDistance == kMissing && pWallDistance == kMissing) return 0.5f;
    const float along = zWallDistance <= pWallDistance ? zWallAlong : pWallAlong;
    return (along + w) / span;
}

void ReadReflection(const Plan& plan, const Pixel& pixel, const Vec3& n, float out[3]) {
    const MapView& map = plan.reflectionMap;
    const Vec3 r{2.0f * n.z * n.x, 2.0f * n.z * n.y, 2.0f * n.z * n.z - 1.0f};
    const float w = static_cast<float>(Zwidth > 0 ? Zwidth : 1);
    const float horizontal = BoxFraction(pixel.x, pixel.z, r.x, r.z, w);
    const float vertical = BoxFraction(pixel.y, pixel.z, r.y, r.z, w);
    const TexelPoint at = Wrap(map, {(horizontal * map.uScale + map.uOffset) * static_cast<float>(map.width - 1),
                                     (vertical * map.vScale + map.vOffset) * static_cast<float>(map.height - 1)});
    float texel[4];
    if (plan.quality) {
        ReadBilinear(map, at, true, texel);
    } else {
        FetchTexel(map, static_cast<int>(at.tx), static_cast<int>(at.ty), texel);
    }
    out[0] = texel[0];
    out[1] = texel[1];
    out[2] = texel[2];
}

}  // namespace trivane::shading
