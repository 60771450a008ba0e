#pragma once
// Helpers the solid tests share: 3D vectors, a polygon list, a regular rank
// drawn in the designer, and a solid built.

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "solids/SolidTables.h"
#include "support/DesignerHarness.h"

namespace wlg::testing {

struct V3 {
  double x = 0, y = 0, z = 0;
};
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 Cross(V3 a, V3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

using Vertex = std::array<float, 3>;

// PolyCount is the index of the last polygon, as the builder leaves it.
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

// A rank of 'points' corners around (cx, cy) on the designer canvas, drawn.
inline void DrawRank(DesignerHarness& h, int slot, int points, float cx, float cy, float radius) {
  DesignModel& m = h.model();
  h.form.vs("vsN", slot).SetValue(std::to_string(points));
  m.PointCount[slot] = points;
  for (int j = 0; j < points; ++j) {
    const double a = 2 * 3.14159265358979 * j / points;
    m.X[slot][j] = cx + radius * static_cast<float>(std::cos(a));
    m.Y[slot][j] = cy + radius * static_cast<float>(std::sin(a));
  }
  m.CurrentTile = slot / RanksPerTile;
  h.form.DrawPolygon();
}

// Runs a solid's menu command, answering Yes when the tiles need setting up.
inline bool BuildSolid(DesignerHarness& h, const char* key) {
  const SolidInfo& info = *FindSolid(key);
  bool fits = !info.platonic || h.model().CurrentTile == 0;
  for (int k = 0; k < info.kindCount; ++k)
    fits = fits && h.form.vs("vsPoly", k).Integer() == info.sides[k] &&
           h.form.vs("vsPolyOut", k).Integer() == info.sides[k] &&
           h.form.chk("chkRotateOut", k).Checked() && !h.form.chk("chkStar", k).Checked();
  if (!fits) h.prompts.Answer_(Answer::Yes);
  h.form.Menu(info.menuName).UserClick();
  return h.prompts.AllAnswered();
}

}  // namespace wlg::testing
