#include "animation/SpinFrames.h"

#include <cmath>

#include "solids/frm3D.h"
#include "spherewrap/frmSphereWrap.h"

namespace wlg {

namespace {
constexpr double TwoPi = 6.28318530717958;
}

SpinTurns SpinTurnsOf(frm3D& view) {
  // The timer takes each angle down by its speed.
  auto turns = [](bool on, float speed) { return !on || speed == 0 ? 0 : speed > 0 ? -1 : 1; };
  SpinTurns t{turns(view.Check("chkSpin", 1).Checked(), view.SpinSpeedTheta),
              turns(view.Check("chkSpin", 0).Checked(), view.SpinSpeedPhi)};
  if (t.theta == 0 && t.phi == 0) t.theta = -1;
  return t;
}

Matrix4 TurnedView(frm3D& view, SpinTurns turns, double turned) {
  if (turned == 0) return view.ViewTransform;
  const float theta = view.ThetaRad, phi = view.PhiRad;
  const Matrix4 shown = view.ViewTransform;
  view.ThetaRad = static_cast<float>(theta + turns.theta * turned);
  view.PhiRad = static_cast<float>(phi + turns.phi * turned);
  view.CheckAngles();
  const Matrix4 turnedView = view.ViewTransform;
  view.ThetaRad = theta;
  view.PhiRad = phi;
  view.ViewTransform = shown;
  return turnedView;
}

SolidSpin::SolidSpin(frm3D& view, const SolidPolyList& solid, int frames)
    : view_(view),
      solid_(solid),
      frames_(frames),
      renderer_(view.shaded),
      canvas_(view.pic3D().canvas.Width(), view.pic3D().canvas.Height()),
      turns_(SpinTurnsOf(view)) {
  const ImageCanvas& shown = view.pic3D().canvas;
  canvas_.backColour = shown.backColour;
  canvas_.drawWidth = shown.drawWidth;
  canvas_.drawStyle = shown.drawStyle;
  // A file is seen at its own size: one pixel to a picture unit.
  canvas_.SetDisplay(1, shown.SmoothEdges());
}

QImage SolidSpin::Frame(int i) {
  renderer_.ViewTransform = TurnedView(view_, turns_, TwoPi * i / frames_);
  // Faces at one depth are sorted by random pivots: numbers started afresh
  // make a frame drawn again (as the GIF writer does) the same.
  pivots_ = LcgRandom();
  renderer_.random = &pivots_;
  renderer_.DrawData(canvas_, solid_);
  return canvas_.SmoothEdges() ? canvas_.DisplayImage() : canvas_.Image();
}

SphereSpin::SphereSpin(frmSphereWrap& window, int frames, bool smooth)
    : window_(window), frames_(frames), smooth_(smooth), shift0_(window.sphere.SpinShift()) {
  // The timer moves the texture by twice the speed each tick.
  direction_ = window.sphere.SpinSpeed() < 0 ? -1 : 1;
}

SphereSpin::~SphereSpin() {
  window_.sphere.SetSpinShift(shift0_);
  window_.sphere.Rotate();
}

int SphereSpin::Width() const { return frmSphereWrap::SphereSide; }

QImage SphereSpin::Frame(int i) {
  SphereWrap& s = window_.sphere;
  // One turn takes the texture once round: its whole width.
  s.SetSpinShift(shift0_ + direction_ * static_cast<int>(std::lround(static_cast<double>(i) *
                                                                     s.Width() / frames_)));
  s.Rotate();
  auto picture = window_.Picture(frmSphereWrap::SphereSide, smooth_);
  return picture ? *picture : QImage();
}

}  // namespace wlg
