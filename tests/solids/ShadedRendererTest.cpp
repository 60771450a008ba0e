// The shaded 3D picture: the roll about the centre, depth order, unfilled
// polygons, and the light term with its zero attenuation distance.

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "solids/ShadedRenderer.h"
#include "solids/SolidKit.h"
#include "support/RecordingCanvas.h"

namespace wlg {
namespace {

using testing::RecordingCanvas;
using testing::TestSolid;
using Pts = std::vector<IPoint>;

constexpr Colour kRed = Rgb(255, 0, 0), kGreen = Rgb(0, 255, 0), kBlue = Rgb(0, 0, 255);
constexpr Colour kWhite = Rgb(255, 255, 255);

// A square at depth z whose normal points along -z, away from the light.
void Square(TestSolid& s, float z, float h, Colour colour) {
  s.Add(colour, {{-h, -h, z}, {-h, h, z}, {h, h, z}, {h, -h, z}});
}
// A triangle whose normal points along +z, its first vertex at (x, y, z).
void Facing(TestSolid& s, float x, float y, float z, Colour colour) {
  s.Add(colour, {{x, y, z}, {x + 10, y, z}, {x + 10, y + 10, z}});
}

// The parallel identity view: world (x, y, z) is picture (x + 300, y + 300), depth z.
struct Flat {
  ShadedRenderer r;
  RecordingCanvas pic{600, 600};
  Flat() {
    M3Ops::IdentityMatrix(r.ViewTransform);
    r.SolidCentre = {300, 300};
  }
  const std::vector<testing::Figure>& Draw(const TestSolid& s) {
    r.DrawData(pic, *s);
    return pic.figures;
  }
};

TEST(ShadedRendererTest, RollUpToOneDegreeIsNotDrawnBeyondItTurnsAboutTheCentre) {
  TestSolid solid;
  solid.Add(kRed, {{100, 0, 0}, {0, 50, 0}, {0, 0, 0}});
  Flat f;
  for (float psi : {kRollThreshold, -kRollThreshold}) {
    f.r.PsiRad = psi;
    EXPECT_EQ(f.Draw(solid)[0].points, (Pts{{400, 300}, {300, 350}, {300, 300}})) << psi;
  }
  f.r.PsiRad = std::nextafter(kRollThreshold, 1.0f);
  EXPECT_NE(f.Draw(solid)[0].points[0], (IPoint{400, 300}));
  f.r.PsiRad = 1.5707964f;  // right of the centre goes below it, below goes left
  EXPECT_EQ(f.Draw(solid)[0].points, (Pts{{300, 400}, {250, 300}, {300, 300}}));
}

TEST(ShadedRendererTest, PolygonsArePaintedFarthestVertexFirstAndBlackOnesUnfilled) {
  TestSolid solid;
  Square(solid, 50, 40, kBlue);
  Square(solid, -50, 40, kGreen);
  // Reaches nearer than the blue square but also farther than the green
  // one: its farthest vertex puts it first.
  solid.Add(kRed, {{-30, -30, -60}, {-30, 30, -60}, {30, 30, 90}, {30, -30, 90}});
  Flat f;
  f.r.shading.Ka = 1;  // every face its pure colour
  const auto& figs = f.Draw(solid);
  ASSERT_EQ(figs.size(), 3u);
  EXPECT_EQ(figs[0].fillColour, kRed);
  EXPECT_EQ(figs[1].fillColour, kGreen);
  EXPECT_EQ(figs[2].fillColour, kBlue);

  // Black and unfilled polygons are outlines only.
  TestSolid outlines;
  Square(outlines, 0, 20, Rgb(0, 0, 0));
  Square(outlines, 20, 20, NoFill);
  Square(outlines, 40, 20, kBlue);
  const auto& drawn = f.Draw(outlines);
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_EQ(drawn[0].fillStyle, FillStyle::Transparent);
  EXPECT_EQ(drawn[1].fillStyle, FillStyle::Transparent);
  EXPECT_EQ(drawn[2].fillStyle, FillStyle::Solid);
}

TEST(ShadedRendererTest, AmbientDiffuseClampAndTheZeroAttenuationDistance) {
  // The square is turned from the light: the ambient term alone, 256 x 0.3.
  // P0 = (100, 500, 0) lies below the light, d = 1000, no highlight:
  // LightIntensity = (-2000 + 1000 + 4) 255, I = 0.3 x 256 + 0.5 x 253.98.
  // (100, 500, -1000) is 2000 from the light: Kdist + d = 0, ambient only.
  TestSolid solid;
  Facing(solid, 100, 500, -1000, kRed);
  Square(solid, -500, 20, kRed);
  Facing(solid, 100, 500, 0, kWhite);
  Flat f;
  f.r.shading = {.Ka = 0.3f, .Kd = 0.5f, .Ks = 1, .N = 3, .Kdist = -2000};
  auto figs = f.Draw(solid);
  EXPECT_EQ(figs[0].fillColour, Rgb(77, 0, 0));
  EXPECT_EQ(figs[1].fillColour, Rgb(77, 0, 0));
  EXPECT_EQ(figs[2].fillColour, Rgb(204, 204, 204));
  EXPECT_EQ(f.r.LightIntensity(), -253980.0f);
  f.r.shading.Kdist = -1999;
  EXPECT_NE(f.Draw(solid)[0].fillColour, Rgb(77, 0, 0));

  f.r.shading.Ka = 1;  // I = 256, clamped to 255
  EXPECT_EQ(f.Draw(solid)[1].fillColour, kRed);
  solid->PolyColour[1] = Rgb(100, 200, 50);
  f.r.shading.Ka = 0.5f;  // each channel times 128 / 255
  EXPECT_EQ(f.Draw(solid)[1].fillColour, Rgb(50, 100, 25));
}

}  // namespace
}  // namespace wlg
