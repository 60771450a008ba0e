// The navigation disc: what it draws, the angles a click or drag picks, and
// the roll-compensated view angles.

#include <gtest/gtest.h>

#include <cmath>

#include "solids/NavigationDisc.h"
#include "support/RecordingCanvas.h"

namespace wlg {
namespace {

using testing::Figure;

constexpr double kPi = 3.14159265358979;
constexpr float kC = 111.25f;  // the centre on both axes

// Width 225 gives exact floats: R = 100, margins 11.25, centre (111.25, 111.25).
const NavigationDisc kDisc(225);

TEST(NavigationDiscTest, LeftClickInsideSetsAzimuthAndElevation) {
  EXPECT_EQ(kDisc.NavRadius, 100.0f);
  EXPECT_EQ(kDisc.NavCentre.x, kC);
  struct Case {
    float x, y;
    double phi, theta;
  } cases[] = {
      {kC, kC, 0, 1.5707964},      // the centre: the view at load
      {kC, 11.25f, 2, 1.5707964},  // top of the circle: |a'| = 1, t1 = 1
      {11.25f, kC, 0, -kPi / 2},   // leftmost: |b'| = 1, t2 = 0
      {61.25f, 61.25f, 2 * std::asin(0.25), 2 * std::asin(0.25) + kPi / 2},
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

TEST(NavigationDiscTest, RightClickOutsideSetsTheRoll) {
  struct Case {
    float x, y;
    double psi;
  } cases[] = {
      {215, kC, 0},
      {7, kC, -kPi},
      {kC, 5, 1.5707964},
      {kC, 215, 1.5707964},
      {211.25f, 11.25f, -kPi / 4},
      {11.25f, 11.25f, kPi / 4 - kPi},
      {11.25f, 211.25f, -kPi / 4 - kPi},
      {211.25f, 211.25f, kPi / 4 - 2 * kPi},
  };
  for (const Case& c : cases) {
    NavAngles a;
    EXPECT_TRUE(kDisc.Pick(kNavRightButton, c.x, c.y, a));
    EXPECT_FLOAT_EQ(a.PsiRad, static_cast<float>(c.psi)) << c.x << "," << c.y;
  }
}

TEST(NavigationDiscTest, WrongSideOrOtherButtonsChangeNoAngle) {
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

TEST(NavigationDiscTest, DrawsDiscAxesAndBothDots) {
  testing::RecordingCanvas pic(240, 240);
  pic.Dot(1, 1, 0);  // an earlier picture is cleared away
  kDisc.Draw(pic, NavAngles{});
  ASSERT_EQ(pic.figures.size(), 5u);
  const Figure& circle = pic.figures[0];
  EXPECT_EQ(circle.kind, Figure::Polyline);
  EXPECT_EQ(circle.drawWidth, 1);
  EXPECT_EQ(circle.points.front(), circle.points.back());
  for (const IPoint& p : circle.points) EXPECT_NEAR(std::hypot(p.x - kC, p.y - kC), 100, 1.0);
  EXPECT_EQ(pic.figures[1].points, (std::vector<IPoint>{{0, 111}, {222, 111}}));
  EXPECT_EQ(pic.figures[2].points, (std::vector<IPoint>{{111, 0}, {111, 222}}));

  const Figure& eye = pic.figures[3];
  EXPECT_EQ(eye.drawWidth, 3);
  EXPECT_EQ(eye.colour, Rgb(0, 0, 255));
  EXPECT_EQ(eye.points[0], (IPoint{111, 111}));
  const Figure& roll = pic.figures[4];  // psi = 0: 1.1 R right of the centre
  EXPECT_EQ(roll.colour, Rgb(255, 0, 0));
  EXPECT_EQ(roll.points[0], (IPoint{221, 111}));

  kDisc.Draw(pic, NavAngles{.PsiRad = 1.5707964f});  // a quarter roll: below
  EXPECT_EQ(pic.figures[4].points[0], (IPoint{111, 221}));
}

TEST(NavigationDiscTest, RollCompensatedAnglesInEachQuarter) {
  EXPECT_FALSE(RollIsShown(-0.017453292f));
  EXPECT_TRUE(RollIsShown(0.0175f));
  // From theta pi/2, phi 0 the elevation stays 0 and the azimuth becomes
  // pi/2 (+-sin psi +- cos psi), signs set by the quarter of psi = -PsiRad.
  struct Case {
    float psiRad;
    double sinSign, cosSign;
  } cases[] = {{-0.5f, 1, 1}, {-2.0f, 1, -1}, {-3.5f, -1, -1}, {-5.0f, -1, 1}, {0.5f, 1, 1}};
  for (const Case& c : cases) {
    float theta, phi;
    RollCompensatedAngles(NavAngles{.PsiRad = c.psiRad}, theta, phi);
    const double psi = -double(c.psiRad);
    EXPECT_NEAR(phi, 0, 1e-6) << c.psiRad;
    EXPECT_NEAR(theta, kPi / 2 * (c.sinSign * std::sin(psi) + c.cosSign * std::cos(psi)), 1e-5)
        << c.psiRad;
  }
  // The elevation turns into the azimuth and back.
  float theta, phi;
  RollCompensatedAngles(NavAngles{.ThetaRad = 1.7707964f, .PhiRad = 0.3f, .PsiRad = -1}, theta,
                        phi);
  EXPECT_NEAR(phi, 0.3 * std::cos(1.0) - 0.2 * std::sin(1.0), 1e-5);
  EXPECT_NEAR(theta, -(0.3 - kPi / 2) * std::sin(1.0) + (kPi / 2 + 0.2) * std::cos(1.0), 1e-5);
}

}  // namespace
}  // namespace wlg
