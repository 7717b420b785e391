// The effect centre, the scale and offset of the grown scene, and their inverse for picking.
#include "generate/scene_placement.h"

#include "params/params.h"

void EffectCentre(const RimelaceParams& params, std::int32_t W, std::int32_t H, float panX, float panY, float& cx,
                  float& cy) {
    cx = float(W / 2.0 + W * double(params.CenterX) / 2000.0 - panX);
    cy = float(H / 2.0 - H * double(params.CenterY) / 2000.0 - panY);
}

void ScenePlacement::ToArea(float x, float y, double& ax, double& ay) const {
    ax = originX + double(x);
    ay = originY + double(y);
}

ScenePlacement PlacementFor(const RimelaceParams& params, std::int32_t w, std::int32_t h, std::int32_t W,
                            std::int32_t H, float centreX, float centreY, bool haveSelection) {
    ScenePlacement p;
    p.single = params.EffectKind == 3;
    p.scaleFactor = params.Scale / 100.0;
    p.scale = float(p.scaleFactor);
    p.originX = w / 2;
    p.originY = h / 2;
    if (p.single) {
        p.ox = float(centreX - w / 2.0);
        p.oy = float(centreY - h / 2.0);
    } else if (params.MaskKind == 7 && haveSelection) {
        p.ox = float(W * double(params.CenterX) / 2000.0);
        p.oy = float(H * double(params.CenterY) / -2000.0);
    } else {
        p.ox = float(centreX - W / 2.0);
        p.oy = float(centreY - H / 2.0);
    }
    return p;
}

void CentreForPoint(const RimelaceParams& params, std::int32_t w, std::int32_t h, double x, double y,
                    float& centerX, float& centerY) {
    double dx = x - w / 2, dy = y - h / 2;  // from the scene origin
    if (params.EffectKind == 3 && params.Scale != 0) {
        // The start point is scaled with the scene: undo the scale to find where it was grown.
        dx /= params.Scale / 100.0;
        dy /= params.Scale / 100.0;
    }
    centerX = float(w > 0 ? dx * 2000.0 / w : 0.0);
    centerY = float(h > 0 ? -dy * 2000.0 / h : 0.0);
}
