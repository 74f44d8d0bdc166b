// A 2-D point / vector of doubles with the few operations the geometry code needs.
#pragma once

#include <cmath>

namespace qlhost {

struct Pt {
    double x = 0;
    double y = 0;
};

inline Pt operator+(Pt a, Pt b) { return {a.x + b.x, a.y + b.y}; }
inline Pt operator-(Pt a, Pt b) { return {a.x - b.x, a.y - b.y}; }
inline Pt operator*(Pt a, double s) { return {a.x * s, a.y * s}; }
inline Pt operator*(double s, Pt a) { return {a.x * s, a.y * s}; }
inline double Dot(Pt a, Pt b) { return a.x * b.x + a.y * b.y; }
inline double Cross(Pt a, Pt b) { return a.x * b.y - a.y * b.x; }
inline double Norm(Pt a) { return std::hypot(a.x, a.y); }
inline Pt Perp(Pt a) { return {-a.y, a.x}; }
inline Pt Lerp(Pt a, Pt b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }
inline Pt Polar(Pt c, double r, double angle) { return {c.x + r * std::cos(angle), c.y + r * std::sin(angle)}; }

}  // namespace qlhost
