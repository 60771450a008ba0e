#pragma once

#include <cmath>

namespace wlg {

// A point or direction in the solid's space, for the few sums the nets,
// meshes and fold-up need.
struct V3 {
  double x = 0, y = 0, z = 0;
};
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 Cross(V3 a, V3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(V3 a) { return std::sqrt(Dot(a, a)); }
inline V3 Unit(V3 a) { return a * (1 / Length(a)); }

}  // namespace wlg
