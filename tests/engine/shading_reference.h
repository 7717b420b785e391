#pragma once
// A slow, obvious version of the built-in per-pixel shading, written straight from the steps in
// double precision with the standard library's pow. The tests hold the fast shading to it.
// Same arguments and result as the shading callback; reads the switches and the rasteriser's
// per-call state (g_state, Zwidth, Zheight) as the built-in shading does. It does not cover the
// glass window mean (which depends on the previous call); tests pass no valid previous record
// to glass pixels when comparing.

#include "engine/trivane.h"

namespace reference {

float ShadeOnePixel(float originX, float originY, BYTE* target, BYTE* background, float x, float y, float z,
                    __Triangle3ds* triangle, material3ds* materials, int materialCount, float& red, float& green,
                    float& blue, __Point* normal, BYTE mapped, float u, float v, __Texture* textures,
                    int lightCount, light3ds* lights, __PrevInfo* previous, GlassProp* glass, float planeA,
                    float planeB, float planeC, float planeD);

}  // namespace reference
