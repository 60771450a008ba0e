// Printable meshes of the eighteen solids under every shipped pattern: closed,
// welded, outward, as large as the solid, coloured as the 3D view paints.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>

#include "solids/PrintMesh.h"
#include "solids/SolidKit.h"
#include "support/DesignerHarness.h"

namespace wlg::testing {
namespace {

const char* const kSamples[] = {"sample.wlg", "octagons-and-squares.wlg", "star-sequential.wlg"};

V3 At(const PrintMesh& m, int i) { return {m.vertices[i][0], m.vertices[i][1], m.vertices[i][2]}; }

// Every edge is used once each way; returns the enclosed volume.
double CheckClosed(const PrintMesh& m) {
  std::map<std::pair<int, int>, int> uses;
  double volume = 0;
  int flat = 0;
  for (const auto& t : m.triangles) {
    for (int k = 0; k < 3; ++k) ++uses[{t[k], t[(k + 1) % 3]}];
    const V3 a = At(m, t[0]), b = At(m, t[1]), c = At(m, t[2]);
    if (Dot(Cross(b - a, c - a), Cross(b - a, c - a)) == 0) ++flat;
    volume += Dot(a, Cross(b, c)) / 6;
  }
  int open = 0, twice = 0;
  for (const auto& [e, n] : uses) {
    if (n > 1) ++twice;
    auto back = uses.find({e.second, e.first});
    if (back == uses.end() || back->second != n) ++open;
  }
  EXPECT_EQ(open, 0) << "edges without a partner the other way";
  EXPECT_EQ(twice, 0) << "edges used twice the same way";
  EXPECT_EQ(flat, 0) << "triangles without area";
  EXPECT_EQ(m.colours.size(), m.triangles.size());
  double minZ = HUGE_VAL;
  for (const auto& v : m.vertices) minZ = std::min(minZ, v[2]);
  EXPECT_EQ(minZ, 0);
  return volume;
}

// The solid's volume from its plain faces, with edges scaled to 'edge' on average.
double SolidVolume(const SolidPolyList& s, double edge) {
  double volume = 0, length = 0;
  int sides = 0;
  for (int p = 0; p <= s.PolyCount; ++p) {
    if (s.PolyFace[p] != p) continue;
    const int n = s.PolyLastPoint[p] + 1, j = s.PolyFirstPoint[p];
    auto v = [&](int k) {
      return V3{s.ExactX[j + k % n], s.ExactY[j + k % n], s.ExactZ[j + k % n]};
    };
    for (int k = 0; k < n; ++k) {
      const V3 d = v(k + 1) - v(k);
      length += std::sqrt(Dot(d, d));
      ++sides;
      if (k >= 1 && k + 1 < n) volume += std::abs(Dot(v(0), Cross(v(k), v(k + 1)))) / 6;
    }
  }
  return volume * std::pow(edge * sides / length, 3);
}

TEST(PrintMeshTest, EverySolidOfEverySampleIsClosedAndColoured) {
  for (const char* sample : kSamples) {
    SCOPED_TRACE(sample);
    auto h = std::make_unique<DesignerHarness>();
    h->Start("\"" + std::string(WHIRLIGONS_SAMPLES_DIR) + "/" + sample + "\"");
    for (const SolidInfo& info : Solids()) {
      SCOPED_TRACE(info.key);
      ASSERT_TRUE(BuildSolid(*h, info.key));
      const SolidPolyList& s = h->model().solid;
      std::set<Colour> painted{s.PolyColour[0]};
      for (int p = 0; p <= s.PolyCount; ++p)
        if (static_cast<int32_t>(s.PolyColour[p]) > 0) painted.insert(s.PolyColour[p]);
      PrintMesh plain;
      std::string why;
      ASSERT_TRUE(BuildPrintMesh(s, {30, 0}, plain, &why)) << why;
      const double solid = SolidVolume(s, 30);
      const double plainVolume = CheckClosed(plain);
      EXPECT_NEAR(plainVolume, solid, solid * 1e-3);
      std::set<Colour> used(plain.colours.begin(), plain.colours.end());
      for (Colour c : used) EXPECT_TRUE(painted.count(c)) << c;
      // Raised, it stays closed and holds more.
      PrintMesh raised;
      ASSERT_TRUE(BuildPrintMesh(s, {30, 0.6}, raised, &why)) << why;
      SCOPED_TRACE("raised");
      const double raisedVolume = CheckClosed(raised);
      if (used.size() > 1) EXPECT_GT(raisedVolume, plainVolume * (1 + 1e-6));
      // Nothing is wide enough for a printer 9 mm across: all stays flat.
      if (used.size() > 1 && info.key == std::string("Cube")) {
        ASSERT_TRUE(BuildPrintMesh(s, {30, 0.6, 9}, raised, &why)) << why;
        EXPECT_NEAR(CheckClosed(raised), plainVolume, plainVolume * 1e-9);
        EXPECT_GT(raised.flattened, 0);
      }
    }
  }
}

}  // namespace
}  // namespace wlg::testing
