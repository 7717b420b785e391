#include "ui/controls/rotor_math.h"

#include <algorithm>
#include <cmath>

float DialAngle(int dx, int dy, float previous) {
    if (dy == 0) return previous;
    double angle = -std::atan(double(dx) / double(dy)) * kRotorDegreesPerRadian;
    if (dy > 0)
        angle += 180.0;
    else if (dx < 0)
        angle += 360.0;
    return float(angle) + 0.0f;
}

float SphereAngle(int dx, int dy, float previous) {
    if (dy == 0) return previous;
    double angle = std::atan(double(dx) / double(dy)) * kRotorDegreesPerRadian - 90.0;
    if (dy < 0) angle += 180.0;
    return float(angle) + 0.0f;
}

namespace {
double Distance(int dx, int dy) { return std::sqrt(double(dx) * dx + double(dy) * dy); }
}  // namespace

float PressElevation(int dx, int dy, int width) {
    const int radius = width / 2 - 2;
    const double r = Distance(dx, dy);
    double ratio = radius > 0 ? r / radius : (r > 0 ? 1.0 : 0.0);
    ratio = std::min(1.0, ratio);
    return float(std::acos(ratio) * kRotorDegreesPerRadian);
}

float DragElevation(int dx, int dy, int width) {
    const int radius = width / 2;
    const double r = Distance(dx, dy);
    double ratio = radius > 0 ? r / radius : (r > 0 ? 1.0 : 0.0);
    ratio = std::clamp(ratio, -1.0, 1.0);
    return float(std::acos(ratio) * kRotorDegreesPerRadian);
}

float CountTurns(float turns, float previousAngle, float angle) {
    if (previousAngle > 300.0f && angle < 90.0f) return turns + 1.0f;
    if (previousAngle < 90.0f && angle > 300.0f) return turns - 1.0f;
    return turns;
}

RotorPoint DialPointer(float totalAngle, int cx, int cy, int radius) {
    const double t = (180.0 - totalAngle) * kRotorPi / 180.0;
    return {int(cx + std::sin(t) * radius), int(cy + std::cos(t) * radius)};
}

SphereLight SphereLightFrom(float angle, float elevation) {
    const double e = elevation * kRotorPi / 180.0;
    const double a = (angle + 90.0) * kRotorPi / 180.0;
    SphereLight light{std::sin(a) * std::cos(e), std::cos(a) * std::cos(e), std::sin(e)};
    double length = std::sqrt(light.x * light.x + light.y * light.y + light.z * light.z);
    if (length == 0.0) length = 1.0;
    return {light.x / length, light.y / length, light.z / length};
}

SpherePixel ShadeSpherePixel(int x, int y, int radius, const SphereLight& light) {
    const double squared = double(radius) * radius - double(x) * x - double(y) * y;
    if (squared < 0.0) return {0, 0.0};
    const double s = std::sqrt(squared);
    const double depth = s == 0.0 ? 1.0 : s;
    double nx = x / depth, ny = y / depth, nz = 1.0;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    nx /= length, ny /= length, nz /= length;
    const double c = nx * light.x + ny * light.y + nz * light.z;
    const double t = c * c * c;
    const double shade = std::clamp((t + std::pow(t, 20)) * 205.0 + 50.0, 0.0, 255.0);
    return {int(shade), std::min(1.0, s / 11.0)};
}
