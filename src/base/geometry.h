#pragma once

#include <cmath>

// Small value helpers on points and angles. Angles are degrees; y grows downwards, and
// an angle of 90 points up the screen (-y). Nothing here depends on the rest of the system.
namespace kanimo {

inline constexpr double degreesToRadians = 0.017453292519943295;

struct Vec2 {
    double x;
    double y;
    Vec2() = default;
    constexpr Vec2(double px, double py) : x(px), y(py) {}
};

// Upper-left corner of the square that bounds a circle of radius r about p.
inline Vec2 cornerPoint(Vec2 p, double r) {
    return Vec2(p.x - r, p.y - r);
}

inline double distance(double x1, double y1, double x2, double y2) {
    return std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
}

// One correction in each direction, no loop: only -360 .. 720 land in [0, 360].
inline double wrapAngle(double a) {
    if (a > 360) a = a - 360;
    if (a < 0) a = a + 360;
    return a;
}

inline Vec2 polarOffset(double x, double y, double a, double d) {
    const double r = a * degreesToRadians;
    return Vec2(x + std::cos(r) * d, y - std::sin(r) * d);
}

inline void swapDoubles(double& u, double& v) {
    const double t = u;
    u = v;
    v = t;
}

// Two circles count as overlapping only when they overlap by at least 2 units.
inline bool circlesOverlap(double ax, double ay, double bx, double by, double ra, double rb) {
    const double d = std::sqrt((ax - bx) * (ax - bx) + (ay - by) * (ay - by));
    return ra + rb - 2.0 >= d;
}

} // namespace kanimo
