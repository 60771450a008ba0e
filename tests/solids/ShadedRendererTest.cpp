// The shaded 3D picture: vertex table and roll, depth order, the light term
// and its zero attenuation distance, unfilled polygons, the background.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <memory>

#include "platform/ImageCanvas.h"
#include "solids/ShadedRenderer.h"
#include "support/RecordingCanvas.h"

namespace wlg {
namespace {

using testing::RecordingCanvas;
using Pts = std::vector<IPoint>;

constexpr Colour kRed = Rgb(255, 0, 0), kGreen = Rgb(0, 255, 0), kBlue = Rgb(0, 0, 255);
constexpr Colour kWhite = Rgb(255, 255, 255);

// A polygon list as the builder leaves it: PolyCount the index of the last
// polygon, VertCount the number of vertices.
struct TestSolid {
  std::unique_ptr<SolidPolyList> list = std::make_unique<SolidPolyList>();
  TestSolid() { list->PolyCount = -1; }

  void Add(std::initializer_list<std::array<float, 3>> points, Colour colour) {
    SolidPolyList& s = *list;
    const int f = ++s.PolyCount;
    s.PolyFirstPoint[f] = s.VertCount;
    s.PolyLastPoint[f] = static_cast<int>(points.size()) - 1;
    s.PolyColour[f] = colour;
    for (const auto& p : points) {
      s.VertX[s.VertCount] = p[0];
      s.VertY[s.VertCount] = p[1];
      s.VertZ[s.VertCount++] = p[2];
    }
  }
  // A square at depth z whose normal points along -z, away from the light.
  void Square(float z, float h, Colour colour) {
    Add({{-h, -h, z}, {-h, h, z}, {h, h, z}, {h, -h, z}}, colour);
  }
  // A triangle whose normal points along +z, its first vertex at (x, y, z).
  void Facing(float x, float y, float z, Colour colour) {
    Add({{x, y, z}, {x + 10, y, z}, {x + 10, y + 10, z}}, colour);
  }
};

// The parallel identity view: world (x, y, z) is picture (x + 300, y + 300), depth z.
struct Flat {
  ShadedRenderer r;
  RecordingCanvas pic{600, 600};
  Flat() {
    M3Ops::IdentityMatrix(r.ViewTransform);
    r.SolidCentre = {300, 300};
  }
  const std::vector<testing::Figure>& Draw(const TestSolid& s) {
    r.DrawData(pic, *s.list);
    return pic.figures;
  }
};

TEST(ShadedRendererTest, PointsAreScaledCentredAndRoundedHalvesToEven) {
  TestSolid solid;
  solid.Add({{10.25f, -20, 5}, {30, 0.75f, 5}, {0, 40.25f, 5}}, kRed);
  solid.list->VertX[3] = 7;  // left over from a larger solid
  Flat f;
  f.r.Scale = 2;
  EXPECT_EQ(f.Draw(solid)[0].points, (Pts{{320, 260}, {360, 302}, {300, 380}}));
  const SolidPointTable& pts = f.r.SolidPoints();
  ASSERT_EQ(pts.Count(), 4);  // the extra entry after the last vertex
  EXPECT_EQ(pts[3].World.e, (std::array<float, 4>{14, 0, 0, 1}));
  EXPECT_EQ(pts[1].Screen.e, (std::array<float, 4>{360, 301.5f, 10, 1}));

  solid.list->VertCount = SolidVertCapacity;  // no slot after the last: zero
  f.Draw(solid);
  EXPECT_EQ(f.r.SolidPoints()[SolidVertCapacity].World.e, (std::array<float, 4>{0, 0, 0, 1}));
}

TEST(ShadedRendererTest, RollUpToOneDegreeIsNotDrawnBeyondItTurnsAboutTheCentre) {
  TestSolid solid;
  solid.Add({{100, 0, 0}, {0, 50, 0}, {0, 0, 0}}, kRed);
  Flat f;
  for (float psi : {kRollThreshold, -kRollThreshold}) {
    f.r.PsiRad = psi;
    EXPECT_EQ(f.Draw(solid)[0].points, (Pts{{400, 300}, {300, 350}, {300, 300}})) << psi;
  }
  f.r.PsiRad = std::nextafter(kRollThreshold, 1.0f);
  f.Draw(solid);
  EXPECT_NEAR(f.r.SolidPoints()[0].Screen(2), 300 + 100 * std::sin(0.017453292), 1e-3);
  f.r.PsiRad = 1.5707964f;  // right of the centre goes below it, below goes left
  EXPECT_EQ(f.Draw(solid)[0].points, (Pts{{300, 400}, {250, 300}, {300, 300}}));
}

TEST(ShadedRendererTest, PolygonsArePaintedFarthestVertexFirst) {
  for (bool nearListedFirst : {true, false}) {
    TestSolid solid;
    if (nearListedFirst) solid.Square(50, 40, kBlue);
    solid.Square(-50, 40, kGreen);
    if (!nearListedFirst) solid.Square(50, 40, kBlue);
    // Reaches nearer than the blue square but also farther than the green
    // one: its farthest vertex puts it first.
    solid.Add({{-30, -30, -60}, {-30, 30, -60}, {30, 30, 90}, {30, -30, 90}}, kRed);
    Flat f;
    f.r.shading.Ka = 1;  // every face its pure colour
    const auto& figs = f.Draw(solid);
    ASSERT_EQ(figs.size(), 3u);
    EXPECT_EQ(figs[0].fillColour, kRed);
    EXPECT_EQ(figs[1].fillColour, kGreen);
    EXPECT_EQ(figs[2].fillColour, kBlue);
  }
}

TEST(ShadedRendererTest, InTheViewAtLoadTheNearSquareCoversTheFarOne) {
  // The eye stands at (0, 0, -500): negative z is near.
  TestSolid solid;
  solid.Square(-100, 40, kBlue);
  solid.Square(100, 80, kGreen);
  ShadedRenderer r;
  M3Ops().BuildViewFromAngles(r.ViewTransform, 1, 500, 0.001f, -1.5707964f, 0, 0, 0, 0, 1, 0);
  r.SolidCentre = {100, 100};
  r.shading.Ka = 1;
  r.BackColour = Rgb(9, 9, 9);
  ImageCanvas pic(200, 200);
  r.DrawData(pic, *solid.list);
  const QImage& img = pic.Image();
  EXPECT_EQ(FromQColor(img.pixelColor(100, 100)), kBlue);
  EXPECT_EQ(FromQColor(img.pixelColor(100, 155)), kGreen);  // the far one is larger
  EXPECT_EQ(FromQColor(img.pixelColor(2, 2)), Rgb(9, 9, 9));
}

TEST(ShadedRendererTest, FacesTurnedFromTheLightGetTheAmbientTermAlone) {
  TestSolid solid;
  solid.Square(0, 20, kRed);
  solid.Facing(-20, -20, 10, kWhite);  // the other side of the sheet is lit
  Flat f;
  auto figs = f.Draw(solid);
  EXPECT_EQ(figs[0].fillColour, Rgb(77, 0, 0));  // I = 256 x 0.3
  EXPECT_EQ(figs[1].fillColour, kWhite);

  f.r.shading.Ka = 1;  // I = 256, clamped to 255
  EXPECT_EQ(f.Draw(solid)[0].fillColour, kRed);
  solid.list->PolyColour[0] = Rgb(100, 200, 50);
  f.r.shading.Ka = 0.5f;  // each channel times 128 / 255
  EXPECT_EQ(f.Draw(solid)[0].fillColour, Rgb(50, 100, 25));
}

TEST(ShadedRendererTest, DiffuseAndHighlight) {
  // P0 = (100, 500, 0) lies below the light: d = 1000, cos theta = 1, and
  // the viewer is square to the mirror direction, so no highlight. The
  // point nearest (0, 0, 1000) is the zero extra entry:
  // LightIntensity = (-2000 + 1000 + 4) 255 and I = 253.98 Kd.
  TestSolid solid;
  solid.Facing(100, 500, 0, kWhite);
  Flat f;
  f.r.shading = {.Ka = 0, .Kd = 0.5f, .Ks = 1, .N = 3, .Kdist = -2000};
  EXPECT_EQ(f.Draw(solid)[0].fillColour, Rgb(127, 127, 127));
  EXPECT_EQ(f.r.LightIntensity(), -253980.0f);
  f.r.shading.Kd = 1;
  EXPECT_EQ(f.Draw(solid)[0].fillColour, Rgb(254, 254, 254));

  // P0 = (-50, -250, 250) = -(150, 750, -750) / 3: the viewer looks straight
  // down the mirrored light L = (150, 750, 750), so cos alpha = 1.
  TestSolid mirror;
  mirror.Facing(-50, -250, 250, kWhite);
  f.r.shading = {.Ka = 0, .Kd = 0, .Ks = 0.5f, .N = 10, .Kdist = -2000};
  const double light = (-2000 + std::sqrt(40.0 * 40 + 240 * 240 + 750 * 750) + 4) * 255;
  const double peak = light / (-2000 + std::sqrt(150.0 * 150 + 2 * 750 * 750)) * 0.5;
  EXPECT_NEAR(RedOf(f.Draw(mirror)[0].fillColour), peak, 1.0);
  for (int i = 0; i < 3; ++i) mirror.list->VertX[i] += 300;  // off the mirror direction
  EXPECT_LT(RedOf(f.Draw(mirror)[0].fillColour), peak / 2);
}

TEST(ShadedRendererTest, AZeroAttenuationDistanceLeavesTheAmbientTermOnly) {
  // (100, 500, -1000) is 2000 from the light: Kdist + d = 0.
  TestSolid solid;
  solid.Facing(100, 500, -1000, kRed);
  solid.Facing(100, 500, 0, kRed);
  Flat f;
  auto figs = f.Draw(solid);
  EXPECT_EQ(figs[0].fillColour, Rgb(77, 0, 0));
  EXPECT_EQ(figs[1].fillColour, kRed);  // lit as usual
  f.r.shading.Kdist = -1999;
  EXPECT_NE(f.Draw(solid)[0].fillColour, Rgb(77, 0, 0));
}

TEST(ShadedRendererTest, BlackAndUnfilledPolygonsAreOutlinesOnly) {
  TestSolid solid;
  solid.Square(-20, 20, kRed);
  solid.Square(0, 20, Rgb(0, 0, 0));
  solid.Square(20, 20, NoFill);
  solid.Square(40, 20, kBlue);
  Flat f;
  const auto& figs = f.Draw(solid);
  ASSERT_EQ(figs.size(), 4u);
  const FillStyle expected[] = {FillStyle::Solid, FillStyle::Transparent, FillStyle::Transparent,
                                FillStyle::Solid};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(figs[i].fillStyle, expected[i]) << i;
    EXPECT_EQ(figs[i].points.size(), 4u);
  }
  EXPECT_EQ(figs[3].fillColour, Rgb(0, 0, 77));
}

TEST(ShadedRendererTest, BackgroundSevenIsTheButtonFace) {
  const Colour saved = ButtonFaceColour();
  SetButtonFaceColour(Rgb(1, 2, 3));
  EXPECT_EQ(Background3D(7), Rgb(1, 2, 3));
  EXPECT_EQ(Background3D(6.5), Palette16[6]);  // halves to even
  EXPECT_EQ(Background3D(7.5), Palette16[8]);
  ShadedRenderer r;
  r.BackColour = Background3D(7);
  ImageCanvas pic(40, 40);
  r.DrawData(pic, *TestSolid().list);  // nothing to draw but the background
  EXPECT_EQ(FromQColor(pic.Image().pixelColor(20, 20)), Rgb(1, 2, 3));
  SetButtonFaceColour(saved);
}

}  // namespace
}  // namespace wlg
