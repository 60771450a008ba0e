#pragma once
// Small helpers the solid tests share: 3D vector arithmetic in doubles and a
// polygon list built polygon by polygon.

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "designer/DesignModel.h"

namespace wlg::testing {

struct V3 {
  double x = 0, y = 0, z = 0;
};
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator/(V3 a, double d) { return {a.x / d, a.y / d, a.z / d}; }
inline double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 Cross(V3 a, V3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(V3 a) { return std::sqrt(Dot(a, a)); }

using Vertex = std::array<float, 3>;

// A polygon list as the builder leaves it: PolyCount the index of the last
// polygon, VertCount the number of vertices.
class TestSolid {
 public:
  TestSolid() : s_(std::make_unique<SolidPolyList>()) { s_->PolyCount = -1; }
  TestSolid& Add(Colour colour, const std::vector<Vertex>& vertices) {
    const int f = ++s_->PolyCount;
    s_->PolyColour[f] = colour;
    s_->PolyFirstPoint[f] = s_->VertCount;
    s_->PolyLastPoint[f] = static_cast<int>(vertices.size()) - 1;
    for (const Vertex& v : vertices) {
      s_->VertX[s_->VertCount] = v[0];
      s_->VertY[s_->VertCount] = v[1];
      s_->VertZ[s_->VertCount++] = v[2];
    }
    return *this;
  }
  SolidPolyList& operator*() const { return *s_; }
  SolidPolyList* operator->() const { return s_.get(); }

 private:
  std::unique_ptr<SolidPolyList> s_;
};

}  // namespace wlg::testing
