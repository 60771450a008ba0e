#pragma once
// The frames of one full turn, as the windows' spin shows it: the 3D window's
// solid at the window's size, angles, lighting and smooth edges, and the
// sphere wrap's sphere. Frame 0 is the view as it stands; the windows are
// left as they were found.

#include <memory>

#include "animation/Animation.h"
#include "platform/ImageCanvas.h"
#include "solids/ShadedRenderer.h"

namespace wlg {

class frm3D;
class frmSphereWrap;

// The directions the 3D window's spin turns Theta and Phi (-1, 0 or 1
// each); about the vertical axis when the spin is off.
struct SpinTurns {
  int theta = -1, phi = 0;
};
SpinTurns SpinTurnsOf(frm3D& view);
// The window's view with its angles turned by 'turned' radians along
// 'turns', built by the window's own angle handling; the window is left as
// it was.
Matrix4 TurnedView(frm3D& view, SpinTurns turns, double turned);

class SolidSpin : public FrameSource {
 public:
  SolidSpin(frm3D& view, const SolidPolyList& solid, int frames);
  int Count() const override { return frames_; }
  int Width() const override { return canvas_.Width(); }
  int Height() const override { return canvas_.Height(); }
  QImage Frame(int i) override;

 private:
  frm3D& view_;
  const SolidPolyList& solid_;
  int frames_;
  ShadedRenderer renderer_;
  LcgRandom pivots_;  // the depth sort's, fresh for every frame
  ImageCanvas canvas_;
  SpinTurns turns_;
};

class SphereSpin : public FrameSource {
 public:
  // The window must show a sphere (SphereWrap::HasPixels).
  SphereSpin(frmSphereWrap& window, int frames, bool smooth);
  ~SphereSpin() override;
  int Count() const override { return frames_; }
  int Width() const override;
  int Height() const override { return Width(); }
  QImage Frame(int i) override;

 private:
  frmSphereWrap& window_;
  int frames_;
  bool smooth_;
  int shift0_;
  int direction_;
};

}  // namespace wlg
