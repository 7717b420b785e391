#pragma once
// Where the effect sits: the effect centre the driver computes, how the scene builder scales and
// moves the grown scene, and where the rendering puts the scene origin. The builder, the geometry
// export and the centre picking of the front ends all use these, so the rules live only here.
//
// The builder grows the pattern in scene coordinates, multiplies every point by the scale about
// the scene origin and then adds the offset (ox, oy) — except for Single, whose start point
// already carries the offset before the scaling. The rendering puts the scene origin at the
// working-area pixel (w/2, h/2), integer halves.

#include <cstdint>

struct RimelaceParams;

// The effect centre in working-area pixels from the top-left corner of a W x H area:
// (W/2 + W*CenterX/2000 - panX, H/2 - H*CenterY/2000 - panY); CenterY > 0 moves it up.
void EffectCentre(const RimelaceParams& params, std::int32_t W, std::int32_t H, float panX, float panY, float& cx,
                  float& cy);

struct ScenePlacement {
    bool single = false;           // Single: the offset is the start point, placed before scaling
    double scaleFactor = 1;        // Scale / 100, about the scene origin
    float scale = 1;               // the same as the points are multiplied by
    float ox = 0, oy = 0;          // offset of the scene (Single: of its start point), scene units
    std::int32_t originX = 0;      // working-area pixel of the scene origin
    std::int32_t originY = 0;

    // Scene point as grown -> scene point as stored (scaled, then moved unless Single; an offset
    // of (0, 0) leaves the point as it is).
    void Place(float& x, float& y) const {
        if (scaleFactor != 1.0) {
            x *= scale;
            y *= scale;
        }
        if (!single && (ox != 0 || oy != 0)) {
            x += ox;
            y += oy;
        }
    }
    // Stored scene point -> working-area pixel position.
    void ToArea(float x, float y, double& ax, double& ay) const;
};

// The placement BuildScene applies to a w x h working area that stands for a W x H filter area,
// with the effect centre (centreX, centreY) and a selection present or not.
ScenePlacement PlacementFor(const RimelaceParams& params, std::int32_t w, std::int32_t h, std::int32_t W,
                            std::int32_t H, float centreX, float centreY, bool haveSelection);

// The CenterX and CenterY that put the pattern's anchor at the working-area point (x, y) of a
// w x h final render: for Single its start point, otherwise the origin of the base path (which the
// offset moves). Not clamped to the dialog's range; a zero scale leaves the start point alone.
void CentreForPoint(const RimelaceParams& params, std::int32_t w, std::int32_t h, double x, double y,
                    float& centerX, float& centerY);
