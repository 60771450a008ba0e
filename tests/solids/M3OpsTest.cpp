// The 3D routines: matrix builders and products with their float rounding,
// point transforms (also weight 0), viewing transforms and their degenerate
// cases, 3x3 inversion and its message, normals, and the tagged depth sort.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "solids/M3Ops.h"
#include "support/ScriptedPrompts.h"

namespace wlg {
namespace {

Point4 P(float x, float y, float z, float w = 1) {
  Point4 p;
  p(1) = x;
  p(2) = y;
  p(3) = z;
  p(4) = w;
  return p;
}

Point4 Transform(const Matrix4& m, float x, float y, float z) {
  Point4 r;
  M3Ops::TransformPoint(P(x, y, z), m, r);
  return r;
}

Matrix3 M3(std::array<float, 9> e) {
  Matrix3 m;
  m.e = e;
  return m;
}

// Always the same number: picks a known pivot.
class FixedRandom : public RandomSource {
 public:
  explicit FixedRandom(float u) : u_(u) {}
  float Next() override {
    ++draws;
    return u_;
  }
  int draws = 0;

 private:
  float u_;
};

// ---- builders and products

TEST(M3OpsMatrixTest, BuildersStartFromTheIdentity) {
  Matrix4 m, id;
  M3Ops::IdentityMatrix(id);
  m.e.fill(7);
  M3Ops::TranslateMatrix(m, 1, 2, 3);
  EXPECT_EQ(m.e, (std::array<float, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1}));
  M3Ops::PerspectiveMatrix(m, 500);
  EXPECT_FLOAT_EQ(m(3, 4), -0.002f);
  M3Ops::PerspectiveMatrix(m, 0);  // no division: the identity
  EXPECT_EQ(m.e, id.e);
}

TEST(M3OpsMatrixTest, FullProductRoundsItsSumAfterEveryTerm) {
  // 2^24 + 1 + 1: a float running sum loses each 1, a double sum keeps both.
  Matrix4 a, b, c;
  M3Ops::IdentityMatrix(a);
  a(1, 1) = 16777216;
  a(1, 2) = 1;
  a(1, 3) = 1;
  b(1, 1) = b(2, 1) = b(3, 1) = 1;
  M3Ops::MultiplyMatrix(c, a, b);
  EXPECT_EQ(c(1, 1), 16777216.0f);
  M3Ops::MultiplyAffine(c, a, b);
  EXPECT_EQ(c(1, 1), 16777218.0f);
}

TEST(M3OpsMatrixTest, ProductsAgreeWithHandWork) {
  // Scale then translate; the garbage in the last columns must not count
  // for the affine product, which puts (0, 0, 0, 1) there.
  Matrix4 s, t, c;
  M3Ops::ScaleMatrix(s, 2, 3, 4);
  M3Ops::TranslateMatrix(t, 10, 20, 30);
  s(1, 4) = 9;
  t(2, 4) = 9;
  t(4, 4) = 9;
  M3Ops::MultiplyAffine(c, s, t);
  EXPECT_EQ(c.e, (std::array<float, 16>{2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 10, 20, 30, 1}));
  M3Ops::MultiplyMatrix(c, s, t);  // the full product reads them
  EXPECT_EQ(c.e, (std::array<float, 16>{92, 180, 270, 81, 0, 3, 0, 27, 0, 0, 4, 0, 10, 20, 30, 9}));

  Matrix3 x = M3({1, 2, 3, 4, 5, 6, 7, 8, 10}), y = M3({2, 0, 1, 1, 3, 0, 0, 1, 4}), z;
  M3Ops::MultiplyMatrix3(z, x, y);
  EXPECT_EQ(z.e, (std::array<float, 9>{4, 9, 13, 13, 21, 28, 22, 34, 47}));
}

// ---- point transforms

TEST(M3OpsTransformTest, AffineTransformIgnoresTheWeight) {
  Matrix4 m;
  M3Ops::TranslateMatrix(m, 10, 20, 30);
  m(1, 4) = 5;  // not used
  Point4 r;
  M3Ops::TransformAffine(P(1, 2, 3, 99), m, r);
  EXPECT_EQ(r.e, (std::array<float, 4>{11, 22, 33, 1}));
  M3Ops::TransformAffine(r, m, r);  // in place
  EXPECT_EQ(r.e, (std::array<float, 4>{21, 42, 63, 1}));
}

TEST(M3OpsTransformTest, WeightDividesXAndYButNotTheDepth) {
  Matrix4 m;
  M3Ops::PerspectiveMatrix(m, 500);
  Point4 r = Transform(m, 10, -20, 250);  // w = 1 - 250/500
  EXPECT_FLOAT_EQ(r(1), 20);
  EXPECT_FLOAT_EQ(r(2), -40);
  EXPECT_EQ(r(3), 250);
  EXPECT_EQ(r(4), 1);

  M3Ops::PerspectiveMatrix(m, 512);
  r = Transform(m, 10, -20, 512);  // at the eye's depth: w = 0 exactly
  EXPECT_EQ(r.e, (std::array<float, 4>{10, -20, 2147483648.0f, 1}));
}

// ---- viewing transforms

void ExpectNear(const Point4& p, float x, float y, float z, float tol) {
  EXPECT_NEAR(p(1), x, tol);
  EXPECT_NEAR(p(2), y, tol);
  EXPECT_NEAR(p(3), z, tol);
}

TEST(M3OpsViewTest, LookingDownTheZAxis) {
  M3Ops ops;
  Matrix4 out, id;
  M3Ops::IdentityMatrix(id);
  ops.BuildViewMatrix(out, 0, 0, 0, 700, 0, 0, 0, 0, 1, 0);
  EXPECT_EQ(out.e, id.e);  // parallel: nothing changes

  ops.BuildViewMatrix(out, 1, 0, 0, 500, 0, 0, 0, 0, 1, 0);
  ExpectNear(Transform(out, 30, 40, 250), 60, 80, 250,
             1e-4f);                                    // halfway to the eye: twice the size
  ExpectNear(Transform(out, 30, 40, 0), 30, 40, 0, 0);  // the picture plane
  ExpectNear(Transform(out, 30, 40, -500), 15, 20, -500, 1e-4f);
}

TEST(M3OpsViewTest, AnyViewPutsReferenceAtOriginAndEyeOnZ) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<float> coord(-300, 300);
  M3Ops ops;
  for (int trial = 0; trial < 200; ++trial) {
    SCOPED_TRACE(trial);
    const float e[3] = {coord(gen), coord(gen), coord(gen)};
    const float f[3] = {coord(gen) / 10, coord(gen) / 10, coord(gen) / 10};
    const float u[3] = {coord(gen), coord(gen), coord(gen)};
    const double dist =
        std::sqrt(double(e[0] - f[0]) * (e[0] - f[0]) + double(e[1] - f[1]) * (e[1] - f[1]) +
                  double(e[2] - f[2]) * (e[2] - f[2]));
    Matrix4 out;
    ops.BuildViewMatrix(out, 0, e[0], e[1], e[2], f[0], f[1], f[2], u[0], u[1], u[2]);

    ExpectNear(Transform(out, f[0], f[1], f[2]), 0, 0, 0, 1e-3f);
    ExpectNear(Transform(out, e[0], e[1], e[2]), 0, 0, float(dist), 1e-3f);
    // A rotation: orthonormal rows, determinant +1 (no mirroring).
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 3; ++j) {
        double d = 0;
        for (int k = 1; k <= 3; ++k) d += double(out(i, k)) * out(j, k);
        EXPECT_NEAR(d, i == j ? 1 : 0, 1e-5);
      }
    const double det = out(1, 1) * (out(2, 2) * out(3, 3) - out(2, 3) * out(3, 2)) -
                       out(1, 2) * (out(2, 1) * out(3, 3) - out(2, 3) * out(3, 1)) +
                       out(1, 3) * (out(2, 1) * out(3, 2) - out(2, 2) * out(3, 1));
    EXPECT_NEAR(det, 1, 1e-5);
    // The up vector shows straight up: no x, positive y.
    Point4 up;
    M3Ops::TransformPoint(P(f[0] + u[0], f[1] + u[1], f[2] + u[2]), out, up);
    EXPECT_NEAR(up(1), 0, 1e-3);
    EXPECT_GT(up(2), 0);

    // With perspective, the reference point keeps weight 1.
    ops.BuildViewMatrix(out, 1, e[0], e[1], e[2], f[0], f[1], f[2], u[0], u[1], u[2]);
    ExpectNear(Transform(out, f[0], f[1], f[2]), 0, 0, 0, 1e-3f);
  }
}

TEST(M3OpsViewTest, EyeStraightAboveStillLooksAlongTheEyeDirection) {
  M3Ops ops;
  Matrix4 out;
  // dx = dz = 0 leaves the turn about y out; up (1, 0, 0) then shows as +y.
  ops.BuildViewMatrix(out, 0, 0, 300, 0, 0, 0, 0, 1, 0, 0);
  ExpectNear(Transform(out, 0, 300, 0), 0, 0, 300, 1e-4f);
  ExpectNear(Transform(out, 0, 100, 0), 0, 0, 100, 1e-4f);
  ExpectNear(Transform(out, 5, 0, 0), 0, 5, 0, 1e-4f);
  ExpectNear(Transform(out, 0, 0, -5), -5, 0, 0, 1e-4f);

  // Up along the view: no turn about z, x stays x and the old -z is +y.
  ops.BuildViewMatrix(out, 0, 0, 300, 0, 0, 0, 0, 0, 1, 0);
  ExpectNear(Transform(out, 5, 0, 0), 5, 0, 0, 1e-4f);
  ExpectNear(Transform(out, 0, 0, -5), 0, 5, 0, 1e-4f);
}

TEST(M3OpsViewTest, EyeOnTheReferenceGivesTheTranslationAlone) {
  M3Ops ops;
  Matrix4 out, t;
  M3Ops::TranslateMatrix(t, -4, -5, -6);
  for (int16_t kind : {int16_t{0}, int16_t{1}}) {
    ops.BuildViewMatrix(out, kind, 4, 5, 6, 4, 5, 6, 0, 1, 0);
    EXPECT_EQ(out.e, t.e) << kind;
  }
}

TEST(M3OpsViewTest, AnglesPlaceTheEyeOnASphereAboutTheOrigin) {
  M3Ops ops;
  Matrix4 fromAngles, direct;
  const float r = 800, a = 0.3f, b = -1.1f;
  ops.BuildViewFromAngles(fromAngles, 1, r, a, b, 0, 0, 0, 0, 1, 0);
  const double rd = r, ad = a, bd = b;
  ops.BuildViewMatrix(direct, 1, float(rd * std::cos(ad) * std::cos(bd)), float(rd * std::sin(ad)),
                      float(rd * std::cos(ad) * std::sin(bd)), 0, 0, 0, 0, 1, 0);
  EXPECT_EQ(fromAngles.e, direct.e);

  // The eye is not moved with the reference point: a = b = 0 puts it at (r, 0, 0).
  ops.BuildViewFromAngles(fromAngles, 0, 100, 0, 0, 10, 0, 0, 0, 1, 0);
  ExpectNear(Transform(fromAngles, 100, 0, 0), 0, 0, 90, 1e-4f);
  ExpectNear(Transform(fromAngles, 10, 0, 0), 0, 0, 0, 1e-4f);
}

// ---- vectors, inversion and normals

TEST(M3OpsVectorTest, CrossProductIsRightHanded) {
  float x, y, z;
  M3Ops::CrossProduct(1, 0, 0, 0, 1, 0, x, y, z);
  EXPECT_EQ((std::array<float, 3>{x, y, z}), (std::array<float, 3>{0, 0, 1}));
  M3Ops::CrossProduct(2, 3, 4, 5, 6, 7, x, y, z);
  EXPECT_EQ((std::array<float, 3>{x, y, z}), (std::array<float, 3>{-3, 6, -3}));
}

TEST(M3OpsInvertTest, InvertsExactlyWhereItCan) {
  Matrix3 id = M3({1, 0, 0, 0, 1, 0, 0, 0, 1});
  EXPECT_TRUE(M3Ops::InvertMatrix3(id));
  EXPECT_EQ(id.e, (std::array<float, 9>{1, 0, 0, 0, 1, 0, 0, 0, 1}));

  Matrix3 diag = M3({2, 0, 0, 0, 4, 0, 0, 0, 8});
  EXPECT_TRUE(M3Ops::InvertMatrix3(diag));
  EXPECT_EQ(diag.e, (std::array<float, 9>{0.5f, 0, 0, 0, 0.25f, 0, 0, 0, 0.125f}));

  const Matrix3 a = M3({2, -1, 0.5f, 3, 4, -2, 1, 0, 7});
  Matrix3 inv = a, product;
  EXPECT_TRUE(M3Ops::InvertMatrix3(inv));
  for (const auto& [left, right] : {std::pair{a, inv}, std::pair{inv, a}}) {
    M3Ops::MultiplyMatrix3(product, left, right);
    for (int r = 1; r <= 3; ++r)
      for (int c = 1; c <= 3; ++c) EXPECT_NEAR(product(r, c), r == c ? 1 : 0, 1e-6);
  }
}

TEST(M3OpsInvertTest, SingularMatrixIsReportedAndLeftAlone) {
  const Matrix3 twoEqualRows = M3({1, 2, 3, 1, 2, 3, 4, 5, 6});
  Matrix3 m = twoEqualRows;
  EXPECT_FALSE(M3Ops::InvertMatrix3(m));
  EXPECT_EQ(m.e, twoEqualRows.e);

  testing::ScriptedPrompts prompts;
  prompts.Answer_(Answer::OK);
  EXPECT_FALSE(M3Ops::InvertMatrix3(m, prompts));
  EXPECT_EQ(m.e, twoEqualRows.e);
  ASSERT_EQ(prompts.log.size(), 1u);
  EXPECT_EQ(prompts.log[0].text, "Sorry - Matrix inversion error");
  EXPECT_EQ(prompts.log[0].title, kAppTitle);
  EXPECT_EQ(prompts.log[0].buttons, Buttons::OK);

  Matrix3 fine = M3({0, 1, 0, 1, 0, 0, 0, 0, 1});
  EXPECT_TRUE(M3Ops::InvertMatrix3(fine, prompts));
  EXPECT_EQ(prompts.log.size(), 1u);
}

TEST(M3OpsVectorTest, NormalsFollowTheWinding) {
  // An anticlockwise square seen from +z, then a two-point polygon.
  const std::vector<Point4> pts = {P(0, 0, 5), P(2, 0, 5), P(2, 2, 5), P(0, 2, 5),
                                   P(0, 0, 0), P(0, 3, 0), P(4, 3, 0)};
  float x, y, z;
  M3Ops::NormalVector(pts, 0, x, y, z);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(z, 4);
  M3Ops::UnitNormalVector(pts, 0, x, y, z);
  EXPECT_EQ(z, 1);
  // Two vertices: the third point is the next polygon's first.
  M3Ops::NormalVector(pts, 4, x, y, z);
  EXPECT_EQ(z, -12);
  M3Ops::UnitNormalVector(pts, 4, x, y, z);
  EXPECT_EQ(z, -1);
  // Past the end, or collinear: no normal.
  M3Ops::NormalVector(pts, 5, x, y, z);
  EXPECT_EQ(x * x + y * y + z * z, 0);
  const std::vector<Point4> line = {P(0, 0, 0), P(1, 1, 1), P(2, 2, 2)};
  M3Ops::UnitNormalVector(line, 0, x, y, z);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(z, 0);
}

// ---- the depth sort

TEST(M3OpsSortTest, SmallRanges) {
  std::vector<float> keys = {5, 4};
  std::vector<int32_t> tags = {50, 40};
  FixedRandom random(0.5f);
  M3Ops::QuickSortTagged(keys, 0, -1, tags, random);  // empty
  M3Ops::QuickSortTagged(keys, 1, 1, tags, random);   // one element
  EXPECT_EQ(keys, (std::vector<float>{5, 4}));
  EXPECT_EQ(tags, (std::vector<int32_t>{50, 40}));
  EXPECT_EQ(random.draws, 0);

  for (float u : {0.0f, 0.34f, 0.5f, 0.99999994f}) {  // every pivot
    SCOPED_TRACE(u);
    FixedRandom fixed(u);
    keys = {3, 1, 2};
    tags = {30, 10, 20};
    M3Ops::QuickSortTagged(keys, 0, 2, tags, fixed);
    EXPECT_EQ(keys, (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(tags, (std::vector<int32_t>{10, 20, 30}));
  }
}

TEST(M3OpsSortTest, LargeRangesEndSortedWithTheirTags) {
  const int n = 10000;  // as many polygons as a solid can have
  std::mt19937 gen(5);
  std::uniform_int_distribution<int> value(-50, 50);
  std::vector<float> repeats(n + 4), equal(n + 4, 42.0f);
  for (float& k : repeats) k = value(gen) * 0.5f;
  LcgRandom lcg;
  FixedRandom low(0), high(0.99999994f);
  for (const auto& [original, random] :
       {std::pair<const std::vector<float>&, RandomSource*>{repeats, &lcg},
        {repeats, &low},
        {repeats, &high},
        {equal, &lcg}}) {
    std::vector<float> keys = original;
    std::vector<int32_t> tags(n + 4);
    std::iota(tags.begin(), tags.end(), 0);
    // Only 2..n+1 is sorted; both ends stay where they are.
    M3Ops::QuickSortTagged(keys, 2, n + 1, tags, *random);
    EXPECT_TRUE(std::is_sorted(keys.begin() + 2, keys.begin() + n + 2));
    for (int i : {0, 1, n + 2, n + 3}) {
      EXPECT_EQ(keys[i], original[i]);
      EXPECT_EQ(tags[i], i);
    }
    // The tags went where their keys went (equal keys may swap tags).
    std::vector<int32_t> seen(tags.begin() + 2, tags.begin() + n + 2);
    std::sort(seen.begin(), seen.end());
    for (int i = 0; i < n; ++i) ASSERT_EQ(seen[i], i + 2);
    for (int i = 2; i < n + 2; ++i) ASSERT_EQ(original[tags[i]], keys[i]);
  }
}

TEST(M3OpsRandomTest, DrawsRepeatableUniformFloatsBelowOne) {
  LcgRandom a(1234), b(1234), c(1235);
  double sum = 0;
  bool differs = false;
  const int n = 20000;
  for (int i = 0; i < n; ++i) {
    const float x = a.Next();
    ASSERT_GE(x, 0);
    ASSERT_LT(x, 1);
    ASSERT_EQ(x, b.Next());
    differs |= x != c.Next();
    sum += x;
  }
  EXPECT_TRUE(differs);
  EXPECT_NEAR(sum / n, 0.5, 0.01);
}

}  // namespace
}  // namespace wlg
