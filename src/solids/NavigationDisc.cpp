#include "solids/NavigationDisc.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/Numbers.h"
#include "solids/ShadedRenderer.h"

namespace wlg {

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kHalfPi = 1.570796326794895;
// The same bounds as floats, as the angle comparisons use them.
constexpr float kHalfPiF = 1.5707964f;
constexpr float kPiF = 3.1415927f;
constexpr float kThreeHalfPiF = 4.712389f;

constexpr Colour kForeColour = Rgb(0, 0, 0);

float F(double x) { return static_cast<float>(x); }
int Px(double v) { return static_cast<int>(RoundHalfEven(v)); }

double Sign(double x) { return x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0); }

}  // namespace

NavigationDisc::NavigationDisc(float scaleWidth) {
  NavRadius = F(double(scaleWidth) / 2.25);
  NavMargin = {F(0.05 * scaleWidth), F(0.05 * scaleWidth)};
  NavCentre = {F(double(NavMargin.x) + NavRadius), F(double(NavMargin.y) + NavRadius)};
}

void NavigationDisc::Draw(Canvas& pic, const NavAngles& angles) const {
  pic.Clear();
  pic.drawWidth = 1;

  // The circle as a closed outline of short chords, about two units each.
  constexpr int kMaxChords = 360;
  std::array<IPoint, kMaxChords + 1> circle;
  const double r = NavRadius, cx = NavCentre.x, cy = NavCentre.y;
  const int chords = std::clamp(static_cast<int>(std::ceil(kPi * r)), 24, kMaxChords);
  for (int i = 0; i <= chords; ++i) {
    const double t = 2 * kPi * i / chords;
    circle[i] = {Px(cx + r * std::cos(t)), Px(cy + r * std::sin(t))};
  }
  pic.Polyline(circle.data(), chords + 1);

  pic.Line(0, Px(cy), Px(2 * cx), Px(cy), kForeColour);
  pic.Line(Px(cx), 0, Px(cx), Px(2 * cy), kForeColour);

  pic.drawWidth = 3;
  const FPoint eye = EyeDot(angles.ThetaRad, angles.PhiRad);
  pic.Dot(Px(eye.x), Px(eye.y), kNavEyeColour);
  const FPoint roll = RollDot(angles.PsiRad);
  pic.Dot(Px(roll.x), Px(roll.y), kNavRollColour);
}

FPoint NavigationDisc::EyeDot(float thetaRad, float phiRad) const {
  const double a = double(thetaRad) - kHalfPi;
  const double phi = phiRad;
  const double A = std::sqrt(std::fabs(std::cos(phi / 2) * std::sin(a / 2)));
  const double B = std::sqrt(std::fabs(std::sin(phi / 2) * std::cos(a / 2)));
  const double sx = Sign(std::sin(a) * std::cos(phi));
  const double sy = Sign(std::cos(a) * std::sin(phi));
  const double r = NavRadius, mx = NavMargin.x, my = NavMargin.y;

  // Past a pole cos phi turns sx over, and behind (theta >= pi) cos a turns
  // sy over; the mirrored forms turn them back, so the dot does not jump.
  if (phiRad >= kHalfPiF && phiRad <= kThreeHalfPiF)
    return {F((1 + sx * A) * r + mx), F((1 - sy * B) * r + my)};
  if (thetaRad >= kPiF) return {F((1 - sx * A) * r + mx), F((1 + sy * B) * r + my)};
  return {F((1 - sx * A) * r + mx), F((1 - sy * B) * r + my)};
}

FPoint NavigationDisc::RollDot(float psiRad) const {
  const double reach = 1.1 * NavRadius;
  return {F(NavCentre.x + reach * std::cos(double(psiRad))),
          F(NavCentre.y + reach * std::sin(double(psiRad)))};
}

bool NavigationDisc::Pick(int16_t button, float x, float y, NavAngles& angles) const {
  if (button != kNavLeftButton && button != kNavRightButton) return false;

  // Upwards and leftwards from the centre.
  const double u = double(NavCentre.y) - y;
  const double v = double(NavCentre.x) - x;
  const double r = NavRadius;
  const bool inside = u * u + v * v <= r * r;

  if (button == kNavRightButton) {
    if (!inside) {
      if (v == 0) {
        angles.PsiRad = kHalfPiF;
      } else {
        double psi = std::atan(u / v);
        if (v > 0) psi -= kPi;
        if (v < 0 && u < 0) psi -= 2 * kPi;
        angles.PsiRad = F(psi);
      }
    }
    return true;
  }

  if (inside) {
    // Squared distances along each axis spread the picks over the disc
    // like the eye dot's square roots do.
    const double ap = Sign(u) * (u / r) * (u / r);
    const double bp = Sign(v) * (v / r) * (v / r);
    const double t1 = std::fabs(F(ap)) < 1 ? std::atan(ap / std::sqrt(1 - ap * ap)) : 1.0;
    const double t2 = std::fabs(F(bp)) < 1 ? std::atan(bp / std::sqrt(1 - bp * bp)) + kHalfPi : 0.0;
    angles.PhiRad = F(2 * t1);
    angles.ThetaRad = F(2 * t2 - kHalfPi);
  }
  return true;
}

bool RollIsShown(float psiRad) { return std::fabs(psiRad) > kRollThreshold; }

void RollCompensatedAngles(const NavAngles& angles, float& thetaRad, float& phiRad) {
  const double theta0 = angles.ThetaRad;
  const double phi0 = angles.PhiRad;
  const float psi = -angles.PsiRad;
  const double c = std::cos(double(psi));
  const double s = std::sin(double(psi));
  if (psi < kHalfPiF) {
    phiRad = F(phi0 * c - (theta0 - kHalfPi) * s);
    thetaRad = F(-(phi0 - kHalfPi) * s + theta0 * c);
  } else if (psi < kPiF) {
    phiRad = F(-phi0 * c + (theta0 - kHalfPi) * s);
    thetaRad = F(-(phi0 - kHalfPi) * s - theta0 * c);
  } else if (psi < kThreeHalfPiF) {
    phiRad = F(-phi0 * c + (theta0 - kHalfPi) * s);
    thetaRad = F((phi0 - kHalfPi) * s - theta0 * c);
  } else {
    phiRad = F(-phi0 * c + (theta0 - kHalfPi) * s);
    thetaRad = F((phi0 - kHalfPi) * s + theta0 * c);
  }
}

}  // namespace wlg
