// The 3D routines (row-vector products, the weight, viewing transforms and
// their degenerate cases, inversion, normals, the depth sort) and the shaded
// picture drawn with them.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "solids/M3Ops.h"
#include "solids/ShadedRenderer.h"
#include "solids/SolidKit.h"
#include "support/RecordingCanvas.h"
#include "support/ScriptedPrompts.h"

namespace wlg {
namespace {

Point4 P(float x, float y, float z) {
  Point4 p;
  p.e = {x, y, z, 1};
  return p;
}

Point4 Transform(const Matrix4& m, float x, float y, float z) {
  Point4 r;
  M3Ops::TransformPoint(P(x, y, z), m, r);
  return r;
}

void ExpectNear(const Point4& p, float x, float y, float z, float tol = 1e-4f) {
  EXPECT_NEAR(p(1), x, tol);
  EXPECT_NEAR(p(2), y, tol);
  EXPECT_NEAR(p(3), z, tol);
}

// Always the same number: picks a known pivot.
struct FixedRandom : RandomSource {
  explicit FixedRandom(float value) : u(value) {}
  float Next() override { return u; }
  float u;
};

TEST(M3OpsTest, RowVectorProductsAndTheWeight) {
  // The affine product ignores the last column and puts (0, 0, 0, 1) there.
  Matrix4 s, t, c;
  M3Ops::ScaleMatrix(s, 2, 3, 4);
  M3Ops::TranslateMatrix(t, 10, 20, 30);
  s(1, 4) = 9;
  t(2, 4) = 9;
  t(4, 4) = 9;
  M3Ops::MultiplyAffine(c, s, t);
  EXPECT_EQ(c.e, (std::array<float, 16>{2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 10, 20, 30, 1}));
  M3Ops::MultiplyMatrix(c, s, t);
  EXPECT_EQ(c.e, (std::array<float, 16>{92, 180, 270, 81, 0, 3, 0, 27, 0, 0, 4, 0, 10, 20, 30, 9}));

  // The weight divides x and y but not the depth; w = 0 does not divide by zero.
  Matrix4 m;
  M3Ops::PerspectiveMatrix(m, 500);
  const Point4 r = Transform(m, 10, -20, 250);
  EXPECT_FLOAT_EQ(r(1), 20);
  EXPECT_FLOAT_EQ(r(2), -40);
  EXPECT_EQ(r(3), 250);
  M3Ops::PerspectiveMatrix(m, 512);
  EXPECT_EQ(Transform(m, 10, -20, 512).e, (std::array<float, 4>{10, -20, 2147483648.0f, 1}));
}

TEST(M3OpsTest, AnyViewPutsReferenceAtOriginAndEyeOnZ) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<float> coord(-300, 300);
  M3Ops ops;
  for (int trial = 0; trial < 100; ++trial) {
    SCOPED_TRACE(trial);
    const float e[3] = {coord(gen), coord(gen), coord(gen)};
    const float f[3] = {coord(gen) / 10, coord(gen) / 10, coord(gen) / 10};
    const float u[3] = {coord(gen), coord(gen), coord(gen)};
    const double dist = std::hypot(double(e[0] - f[0]), double(e[1] - f[1]), double(e[2] - f[2]));
    Matrix4 out;
    ops.BuildViewMatrix(out, 0, e[0], e[1], e[2], f[0], f[1], f[2], u[0], u[1], u[2]);
    ExpectNear(Transform(out, f[0], f[1], f[2]), 0, 0, 0, 1e-3f);
    ExpectNear(Transform(out, e[0], e[1], e[2]), 0, 0, float(dist), 1e-3f);
    // A rotation without mirroring, with the up vector showing straight up.
    const Point4 up = Transform(out, f[0] + u[0], f[1] + u[1], f[2] + u[2]);
    EXPECT_NEAR(std::hypot(up(1), up(2), up(3)), std::hypot(u[0], u[1], u[2]), 1e-2);
    const double det = out(1, 1) * (out(2, 2) * out(3, 3) - out(2, 3) * out(3, 2)) -
                       out(1, 2) * (out(2, 1) * out(3, 3) - out(2, 3) * out(3, 1)) +
                       out(1, 3) * (out(2, 1) * out(3, 2) - out(2, 2) * out(3, 1));
    EXPECT_NEAR(det, 1, 1e-5);
    EXPECT_NEAR(up(1), 0, 1e-3);
    EXPECT_GT(up(2), 0);
  }
}

TEST(M3OpsTest, PerspectiveAndDegenerateViews) {
  M3Ops ops;
  Matrix4 out, t, id;
  M3Ops::IdentityMatrix(id);
  ops.BuildViewMatrix(out, 0, 0, 0, 700, 0, 0, 0, 0, 1, 0);
  EXPECT_EQ(out.e, id.e);
  ops.BuildViewMatrix(out, 1, 0, 0, 500, 0, 0, 0, 0, 1, 0);  // halfway to the eye: twice the size
  ExpectNear(Transform(out, 30, 40, 250), 60, 80, 250);
  ExpectNear(Transform(out, 30, 40, -500), 15, 20, -500);
  // Eye straight above: up (1, 0, 0) then shows as +y.
  ops.BuildViewMatrix(out, 0, 0, 300, 0, 0, 0, 0, 1, 0, 0);
  ExpectNear(Transform(out, 0, 100, 0), 0, 0, 100);
  ExpectNear(Transform(out, 5, 0, 0), 0, 5, 0);
  // Up along the view as well: no turn about z.
  ops.BuildViewMatrix(out, 0, 0, 300, 0, 0, 0, 0, 0, 1, 0);
  ExpectNear(Transform(out, 5, 0, 0), 5, 0, 0);
  ExpectNear(Transform(out, 0, 0, -5), 0, 5, 0);
  // Eye on the reference point: the translation alone.
  M3Ops::TranslateMatrix(t, -4, -5, -6);
  ops.BuildViewMatrix(out, 1, 4, 5, 6, 4, 5, 6, 0, 1, 0);
  EXPECT_EQ(out.e, t.e);
  // From angles the eye is not moved with the reference: a = b = 0 puts it at (r, 0, 0).
  ops.BuildViewFromAngles(out, 0, 100, 0, 0, 10, 0, 0, 0, 1, 0);
  ExpectNear(Transform(out, 100, 0, 0), 0, 0, 90);
}

TEST(M3OpsTest, InversionAndItsMessage) {
  Matrix3 a, inv, product, singular;
  a.e = {2, -1, 0.5f, 3, 4, -2, 1, 0, 7};
  inv = a;
  EXPECT_TRUE(M3Ops::InvertMatrix3(inv));
  M3Ops::MultiplyMatrix3(product, a, inv);
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 3; ++c) EXPECT_NEAR(product(r, c), r == c ? 1 : 0, 1e-6);

  singular.e = {1, 2, 3, 1, 2, 3, 4, 5, 6};
  Matrix3 m = singular;
  testing::ScriptedPrompts prompts;
  prompts.Answer_(Answer::OK);
  EXPECT_FALSE(M3Ops::InvertMatrix3(m, prompts));
  EXPECT_EQ(m.e, singular.e);
  ASSERT_EQ(prompts.log.size(), 1u);
  EXPECT_EQ(prompts.log[0].text, "Sorry - Matrix inversion error");
}

TEST(M3OpsTest, NormalsFollowTheWinding) {
  // An anticlockwise square seen from +z, then a two-point polygon whose
  // third point is the next polygon's first.
  const std::vector<Point4> pts = {P(0, 0, 5), P(2, 0, 5), P(2, 2, 5), P(0, 2, 5),
                                   P(0, 0, 0), P(0, 3, 0), P(4, 3, 0)};
  float x, y, z;
  M3Ops::NormalVector(pts, 0, x, y, z);
  EXPECT_EQ((std::array{x, y, z}), (std::array<float, 3>{0, 0, 4}));
  M3Ops::NormalVector(pts, 4, x, y, z);
  EXPECT_EQ(z, -12);
  M3Ops::NormalVector(pts, 5, x, y, z);  // past the end
  EXPECT_EQ(x * x + y * y + z * z, 0);
  const std::vector<Point4> line = {P(0, 0, 0), P(1, 1, 1), P(2, 2, 2)};
  M3Ops::UnitNormalVector(line, 0, x, y, z);
  EXPECT_EQ((std::array{x, y, z}), (std::array<float, 3>{0, 0, 0}));
}

TEST(M3OpsTest, SortOrdersItsRangeAndCarriesTheTags) {
  const int n = 10000;  // as many polygons as a solid can have
  std::mt19937 gen(5);
  std::uniform_int_distribution<int> value(-50, 50);
  std::vector<float> repeats(n + 4), equal(n + 4, 42.0f);
  for (float& k : repeats) k = value(gen) * 0.5f;
  LcgRandom lcg;
  FixedRandom low(0), high(0.99999994f);  // the first and the last pivot
  const std::pair<const std::vector<float>*, RandomSource*> runs[] = {
      {&repeats, &lcg}, {&repeats, &low}, {&repeats, &high}, {&equal, &lcg}};
  for (const auto& [original, random] : runs) {
    std::vector<float> keys = *original;
    std::vector<int32_t> tags(n + 4);
    std::iota(tags.begin(), tags.end(), 0);
    // Only 2..n+1 is sorted; both ends stay where they are.
    M3Ops::QuickSortTagged(keys, 2, n + 1, tags, *random);
    EXPECT_TRUE(std::is_sorted(keys.begin() + 2, keys.begin() + n + 2));
    for (int i : {0, 1, n + 2, n + 3}) {
      EXPECT_EQ(keys[i], (*original)[i]);
      EXPECT_EQ(tags[i], i);
    }
    std::vector<int32_t> seen(tags.begin() + 2, tags.begin() + n + 2);
    std::sort(seen.begin(), seen.end());
    for (int i = 0; i < n; ++i) ASSERT_EQ(seen[i], i + 2);
    for (int i = 2; i < n + 2; ++i) ASSERT_EQ((*original)[tags[i]], keys[i]);
  }
  std::vector<float> one = {5};
  std::vector<int32_t> tag = {50};
  M3Ops::QuickSortTagged(one, 0, -1, tag, lcg);  // an empty range is fine
  EXPECT_EQ(one, std::vector<float>{5});
}

// ---- the shaded picture: the roll about the centre, depth order, unfilled
// polygons, and the light term with its zero attenuation distance

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
  solid.Add(kRed, {{100, 0, 0}, {0, 0, 0}, {0, 50, 0}});
  Flat f;
  for (float psi : {kRollThreshold, -kRollThreshold}) {
    f.r.PsiRad = psi;
    EXPECT_EQ(f.Draw(solid)[0].points, (Pts{{400, 300}, {300, 300}, {300, 350}})) << psi;
  }
  f.r.PsiRad = std::nextafter(kRollThreshold, 1.0f);
  EXPECT_NE(f.Draw(solid)[0].points[0], (IPoint{400, 300}));
  f.r.PsiRad = 1.5707964f;  // right of the centre goes below it, below goes left
  EXPECT_EQ(f.Draw(solid)[0].points, (Pts{{300, 400}, {300, 300}, {250, 300}}));
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

TEST(ShadedRendererTest, OnlyPolygonsFacingTheEyeAreDrawnUnderEitherProjection) {
  // Wound with the normal into the solid: the square faces +z, the walls at
  // x = 100 and x = -100 both face -x.
  TestSolid solid;
  Square(solid, 0, 20, kBlue);
  solid.Add(kRed, {{100, -50, -100}, {100, 50, -100}, {100, 50, 100}});
  solid.Add(kGreen, {{-100, -50, -100}, {-100, 50, -100}, {-100, 50, 100}});
  solid.Add(kWhite, {{5, 5, 5}, {5, 5, 5}, {5, 5, 5}});  // no normal: faces nowhere
  Flat f;
  f.r.shading.Ka = 1;
  auto figs = f.Draw(solid);  // looking along -z, the walls edge-on
  ASSERT_EQ(figs.size(), 1u);
  EXPECT_EQ(figs[0].fillColour, kBlue);
  f.r.ViewTransform(3, 3) = -1;  // from -z: the square's back
  EXPECT_TRUE(f.Draw(solid).empty());

  // From an eye at (0, 0, 500) the inner side of the right wall shows.
  M3Ops::PerspectiveMatrix(f.r.ViewTransform, 500);
  figs = f.Draw(solid);
  ASSERT_EQ(figs.size(), 2u);
  EXPECT_EQ(figs[0].fillColour, kRed);
  EXPECT_EQ(figs[1].fillColour, kBlue);
}

TEST(ShadedRendererTest, AmbientDiffuseClampAndTheZeroAttenuationDistance) {
  // The triangle above the light is turned from it: the ambient term
  // alone, 256 x 0.3. P0 = (100, 500, 0) lies below the light, d = 1000, no
  // highlight: LightIntensity = (-2000 + 1000 + 4) 255, I = 0.3 x 256 + 0.5 x
  // 253.98. (100, 500, -1000) is 2000 from the light: Kdist + d = 0, ambient only.
  TestSolid solid;
  Facing(solid, 100, 500, -1000, kRed);
  Facing(solid, 100, 500, 2000, kRed);
  Facing(solid, 100, 500, 0, kWhite);
  Flat f;
  f.r.ViewTransform(3, 3) = -1;  // seen from -z, the side these triangles face
  f.r.shading = {.Ka = 0.3f, .Kd = 0.5f, .Ks = 1, .N = 3, .Kdist = -2000};
  auto figs = f.Draw(solid);  // farthest first: z = 2000, 0, -1000
  ASSERT_EQ(figs.size(), 3u);
  EXPECT_EQ(figs[2].fillColour, Rgb(77, 0, 0));
  EXPECT_EQ(figs[0].fillColour, Rgb(77, 0, 0));
  EXPECT_EQ(figs[1].fillColour, Rgb(204, 204, 204));
  EXPECT_EQ(f.r.LightIntensity(), -253980.0f);
  f.r.shading.Kdist = -1999;
  EXPECT_NE(f.Draw(solid)[2].fillColour, Rgb(77, 0, 0));

  f.r.shading.Ka = 1;  // I = 256, clamped to 255
  EXPECT_EQ(f.Draw(solid)[0].fillColour, kRed);
  solid->PolyColour[1] = Rgb(100, 200, 50);
  f.r.shading.Ka = 0.5f;  // each channel times 128 / 255
  EXPECT_EQ(f.Draw(solid)[0].fillColour, Rgb(50, 100, 25));
}

}  // namespace
}  // namespace wlg
