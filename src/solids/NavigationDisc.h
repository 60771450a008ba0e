#pragma once
// The 3D window's navigation disc (picNav): a dot on a disc for where the
// eye stands, a dot just outside it for the roll, and the pointer maths that
// turns a click or drag on it into new viewing angles. Everything is in the
// disc picture's own drawing units; the window owns the angles and does the
// redrawing.

#include <cstdint>

#include "designer/DesignModel.h"
#include "platform/Canvas.h"

namespace wlg {

inline constexpr Colour kNavEyeColour = Rgb(0, 0, 255);
inline constexpr Colour kNavRollColour = Rgb(255, 0, 0);

// Button states as the pointer events give them: the left or the right
// button alone. The disc answers to no other.
inline constexpr int16_t kNavLeftButton = 1;
inline constexpr int16_t kNavRightButton = 2;

// The window's viewing angles, radians.
struct NavAngles {
  float ThetaRad = 1.5707964f;  // azimuth
  float PhiRad = 0;             // elevation
  float PsiRad = 0;             // roll
};

class NavigationDisc {
 public:
  // The geometry is fixed from the picture's scale width alone.
  explicit NavigationDisc(float scaleWidth);

  float NavRadius = 0;  // R
  FPoint NavMargin;     // (mx, my)
  FPoint NavCentre;     // (mx + R, my + R)

  // Clears the picture and draws the disc, its axes, the eye dot (blue) and
  // the roll dot (red).
  void Draw(Canvas& pic, const NavAngles& angles) const;

  FPoint EyeDot(float thetaRad, float phiRad) const;
  FPoint RollDot(float psiRad) const;

  // A button-down or pointer move at (x, y) with the given button state.
  // The left button inside the disc sets azimuth and elevation, the right
  // button outside it sets the roll; elsewhere no angle changes. Returns
  // true when the picture must be redrawn (left or right button alone),
  // whether or not an angle changed.
  bool Pick(int16_t button, float x, float y, NavAngles& angles) const;
};

// Whether a roll is large enough to be drawn (more than one degree); the
// window then builds its view from RollCompensatedAngles instead of the
// plain angles.
bool RollIsShown(float psiRad);

// The temporary azimuth and elevation the window's view is built from while
// a roll is shown, so that the rolled picture still turns the way the disc
// points.
void RollCompensatedAngles(const NavAngles& angles, float& thetaRad, float& phiRad);

}  // namespace wlg
