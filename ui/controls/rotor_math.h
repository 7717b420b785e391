#pragma once
// The rotor's geometry: angles from pointer offsets, turn counting, the elevation, the dial
// pointer and the shading of the light sphere. No window code: tested on every platform.
//
// Offsets are taken from the client centre (cx = W / 2, cy = H / 2, integer halves): dx = x - cx,
// dy = y - cy in client pixels, y growing downward. Angles are in degrees.

constexpr double kRotorDegreesPerRadian = 57.29579143313326;
constexpr double kRotorPi = 3.141592;

// Dial: 0 points up and angles grow clockwise; the result lies in [0, 360).
// Sphere: 0 points right and angles grow counter-clockwise; the result lies in (-180, 180].
// Level with the centre (dy == 0) the angle cannot be told and `previous` is returned.
float DialAngle(int dx, int dy, float previous);
float SphereAngle(int dx, int dy, float previous);

// The elevation of a press: acos(min(1, r / (W / 2 - 2))) with r the distance from the centre, so
// 90 at the centre and 0 on the rim and beyond.
float PressElevation(int dx, int dy, int width);
// The elevation during a drag: acos(r / (W / 2)), the ratio held within [-1, 1].
float DragElevation(int dx, int dy, int width);

// Turn counting while dragging: a step from above 300 to below 90 adds a turn, a step from below
// 90 to above 300 takes one away. Returns the new turn count.
float CountTurns(float turns, float previousAngle, float angle);

// The dial's pointer for a total angle on a circle of radius `radius` about (cx, cy), truncated to
// whole pixels: (cx + sin(t) * radius, cy + cos(t) * radius) with t = (180 - angle) in radians.
struct RotorPoint {
    int x, y;
};
RotorPoint DialPointer(float totalAngle, int cx, int cy, int radius);

// The light sphere. The light comes from azimuth `angle` and elevation `elevation` (degrees).
struct SphereLight {
    double x, y, z;  // unit vector, screen axes (y down), z toward the viewer
};
SphereLight SphereLightFrom(float angle, float elevation);

// One pixel of the sphere of radius R at offset (x, y) from its centre. `blend` is how much of the
// grey `intensity` covers the face colour: 1 inside, a fraction within 11 pixels of the rim, 0
// outside the sphere (the pixel is not drawn).
struct SpherePixel {
    int intensity;  // grey 0..255
    double blend;   // 0..1
};
SpherePixel ShadeSpherePixel(int x, int y, int radius, const SphereLight& light);
