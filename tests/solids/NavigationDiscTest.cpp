// The navigation disc: the angles a click or drag picks, and where it shows them.

#include <gtest/gtest.h>

#include <cmath>

#include "solids/NavigationDisc.h"

namespace wlg {
namespace {

constexpr double kPi = 3.14159265358979;
constexpr float kC = 111.25f;  // the centre on both axes

// Width 225 gives exact floats: R = 100, margins 11.25, centre (111.25, 111.25).
const NavigationDisc kDisc(225);

TEST(NavigationDiscTest, LeftClickInsideSetsAzimuthAndElevation) {
  struct Case {
    float x, y;
    double phi, theta;
  } cases[] = {
      {kC, kC, 0, 1.5707964},      // the centre: the view at load
      {kC, 11.25f, 2, 1.5707964},  // top of the circle: |a'| = 1, t1 = 1
      {11.25f, kC, 0, -kPi / 2},   // leftmost: |b'| = 1, t2 = 0
      {161.25f, 161.25f, -2 * std::asin(0.25), -2 * std::asin(0.25) + kPi / 2},
  };
  for (const Case& c : cases) {
    NavAngles a{.ThetaRad = 2, .PhiRad = 1, .PsiRad = -0.5f};
    EXPECT_TRUE(kDisc.Pick(kNavLeftButton, c.x, c.y, a));
    EXPECT_FLOAT_EQ(a.PhiRad, static_cast<float>(c.phi)) << c.x << "," << c.y;
    EXPECT_FLOAT_EQ(a.ThetaRad, static_cast<float>(c.theta)) << c.x << "," << c.y;
    EXPECT_EQ(a.PsiRad, -0.5f);
  }
}

TEST(NavigationDiscTest, RightClickOutsideSetsTheRollAndNothingElseChangesAngles) {
  struct Case {
    float x, y;
    double psi;
  } cases[] = {
      {215, kC, 0},
      {7, kC, -kPi},
      {kC, 215, 1.5707964},
      {211.25f, 11.25f, -kPi / 4},
      {11.25f, 211.25f, -kPi / 4 - kPi},
  };
  for (const Case& c : cases) {
    NavAngles a;
    EXPECT_TRUE(kDisc.Pick(kNavRightButton, c.x, c.y, a));
    EXPECT_FLOAT_EQ(a.PsiRad, static_cast<float>(c.psi)) << c.x << "," << c.y;
  }
  // Inside for the right button, outside for the left: a redraw only.
  const NavAngles before{.ThetaRad = 0.7f, .PhiRad = 0.2f, .PsiRad = -0.1f};
  NavAngles a = before;
  EXPECT_TRUE(kDisc.Pick(kNavRightButton, 120, 100, a));     // inside: redraw only
  EXPECT_TRUE(kDisc.Pick(kNavRightButton, 211.25f, kC, a));  // the circle is inside
  EXPECT_TRUE(kDisc.Pick(kNavLeftButton, 215, kC, a));       // outside: redraw only
  for (int16_t b : {0, 3, 4}) EXPECT_FALSE(kDisc.Pick(b, kC, kC, a)) << b;
  EXPECT_EQ(a.ThetaRad, before.ThetaRad);
  EXPECT_EQ(a.PhiRad, before.PhiRad);
  EXPECT_EQ(a.PsiRad, before.PsiRad);
}

TEST(NavigationDiscTest, DraggingAlongAnAxisKeepsTheEyeDotUnderThePointer) {
  // Over the pole (offset -90 gives phi > pi/2) and behind (theta > pi) too.
  NavAngles a;
  for (float off : {-90.f, -25.f, 0.f, 30.f, 75.f}) {
    kDisc.Pick(kNavLeftButton, kC, kC + off, a);
    FPoint dot = kDisc.EyeDot(a.ThetaRad, a.PhiRad);
    EXPECT_NEAR(dot.x, kC, 0.05) << off;
    EXPECT_NEAR(dot.y, kC + off, 0.05) << off;
    kDisc.Pick(kNavLeftButton, kC + off, kC, a);
    dot = kDisc.EyeDot(a.ThetaRad, a.PhiRad);
    EXPECT_NEAR(dot.x, kC + off, 0.05) << off;
    EXPECT_NEAR(dot.y, kC, 0.05) << off;
  }
  // Across the pole the dot stays on its side.
  EXPECT_GT(kDisc.EyeDot(0.97f, 2.0f).x, kC + 10);
}

}  // namespace
}  // namespace wlg
