#pragma once
// The decorated net folding itself up: the printable net's unfolding, in
// one piece, lies flat and faces the eye; every hinge then turns smoothly
// from flat to its dihedral angle while the net turns to the 3D window's
// view and shrinks to the solid's size; the closed solid then turns half a
// round as the window's spin turns it.
//
// A half-folded net is not convex, so the window's painter sort would paint
// faces over ones in front of them: until the solid closes, the frames are
// drawn through a depth buffer instead, the decoration printed within its
// faces as on the printable net. Paper has two sides: the outside shows the face colours
// and the decoration, lit as the window lights them; the inside is plain.

#include <memory>
#include <string>
#include <vector>

#include "animation/Animation.h"
#include "platform/ImageCanvas.h"
#include "solids/ShadedRenderer.h"

namespace wlg {

class frm3D;

class FoldUp : public FrameSource {
 public:
  // Nothing, with *why set, when the solid cannot be unfolded.
  static std::unique_ptr<FoldUp> Make(frm3D& view, const SolidPolyList& solid, int frames,
                                      std::string* why);

  int Count() const override { return frames_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  QImage Frame(int i) override;

  // The frames that lie flat, fold, and turn, in that order.
  int FlatFrames() const { return flat_; }
  int FoldFrames() const { return fold_; }
  // The net at fold state u (0 flat, 1 closed), seen with the window's view
  // turned by 'turned' radians along its spin.
  QImage Picture(double u, double turned);

  // One piece of the net: a face polygon, its parent across a fold (-1 for
  // the root), and the turn about their common edge that lays it flat.
  struct Hinge {
    int polygon = -1, parent = -1;
    double axisPoint[3] = {}, axis[3] = {}, angle = 0;
  };
  const std::vector<Hinge>& Hinges() const { return hinges_; }

 private:
  FoldUp(frm3D& view, const SolidPolyList& solid);
  void Place(double u);
  void Rasterise(int polygon, QRgb fill, bool filled, int face, double range);

  frm3D& view_;
  const SolidPolyList& solid_;
  std::unique_ptr<SolidPolyList> work_;
  ShadedRenderer renderer_;
  LcgRandom pivots_;
  int frames_ = 0, flat_ = 0, fold_ = 0;
  int width_ = 0, height_ = 0;
  ImageCanvas closed_;  // the closed solid, drawn as the window draws it
  QRgb back_ = 0;
  std::vector<Hinge> hinges_;    // parents before children
  std::vector<int> ownerHinge_;  // polygon -> its face's hinge, or -1
  std::vector<int> decoration_;  // polygons on faces, by rank
  double flatScale_ = 1, flatAxis_[3] = {0, 0, 1}, flatAngle_ = 0;
  int thetaTurns_ = 0, phiTurns_ = 0;
  QImage picture_;
  std::vector<float> depth_;
  std::vector<int> faceAt_;         // the face under each pixel, or -1
  std::vector<uint8_t> decorated_;  // decoration lies over it
};

}  // namespace wlg
