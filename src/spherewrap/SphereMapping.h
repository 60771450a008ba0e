#pragma once
// The turning sphere: the tessellator picture squeezed into a square texture,
// the per-row disc tables, and the frames that wrap the texture round the
// disc by longitude. Texture row r is shown on screen row r; there is no
// latitude correction and no lighting.
//
// Both planes are 32-bit pixels (blue, green, red, reserved in memory).
// Rows are numbered 1..H from the bottom, columns 1..W from the left, so row
// r is QImage line H - r and column x is QImage column x - 1.

#include <QImage>
#include <QRect>
#include <cstdint>
#include <vector>

namespace wlg {

class SphereWrap {
 public:
  static constexpr double Pi = 3.14159265358979;

  // Texture and disc side for an Image Quality value: quality x 1024 / 10,
  // rounded (1..10 gives 102..1024).
  static int SizeForQuality(double quality);

  // Rebuilds the texture from the tessellator picture: a picture more than
  // 1.5 times as wide as it is high is stretched once over the square, any
  // other is stretched into each half, so it goes twice round the sphere.
  // The frame is filled with the background of palette index backIndex, then
  // the tables are rebuilt (Wrap_Rotate). The caller stops its spin timer
  // first and clears its "tessellation changed" flag afterwards.
  void SqueezePIC(const QImage& tessImage, double quality, int backIndex);

  // Per-row tables, the turning state back at the centre, and each disc
  // pixel's longitude offset (fixed until the next rebuild).
  void Wrap_Rotate();

  // Renders the frame from the texture at the current SpinShift by table
  // lookup. Pixels outside the disc keep the background.
  void Rotate();
  // The same frame, evaluating the square root and the arctangent for every
  // pixel; kept as the yardstick for Rotate.
  void RotateReference();

  // Fills the whole frame with palette colour backIndex (index 7 is the
  // palette's light grey here, as the sphere's saved scene also uses it).
  void SetBackCol(int backIndex);

  // SpinSpeed = 10 - scroll bar value (0..20).
  void GetSpeed(int hScrollValue);

  // One spin-timer tick: renders when the speed is not 0, then moves
  // SpinShift by twice the speed, jumping to the other end (1 or W) when it
  // leaves 1..W. True when a new frame was rendered and should be shown.
  bool SpinTick();

  // Drops both planes and the tables (the window does this on closing).
  void Release();
  bool HasPixels() const { return w_ > 0; }

  const QImage& Texture() const { return texture_; }  // plane 1
  const QImage& Frame() const { return frame_; }      // plane 2
  int Width() const { return w_; }
  int Height() const { return h_; }

  // Row tables, r = 1..H.
  int RowLeft(int r) const { return rowLeft_[r - 1]; }
  float RowRadius2(int r) const { return rowRadius2_[r - 1]; }

  int SpinShift() const { return spinShift_; }
  // Any value names a texture column; it is brought into 1..W.
  void SetSpinShift(int value);
  int SphereCentre() const { return sphereCentre_; }
  float AngleScale() const { return angleScale_; }
  int SpinSpeed() const { return spinSpeed_; }

  // The part of a plane the window shows, stretched into its 400 x 400
  // place: columns 1..W-1 and rows 1..H-1 from the bottom, in QImage
  // coordinates.
  QRect DisplaySource() const { return w_ > 0 ? QRect(0, 1, w_ - 1, h_ - 1) : QRect(); }

  // Texture columns between a disc pixel and the disc's left rim along the
  // row's circle: atan2 of the depth under the pixel and its distance dx
  // left of the centre, times angleScale.
  static double LongitudeColumns(float rowRadius2, int dx, float angleScale);
  // Column (1..W) for a longitude at a turning state: rounded halves to
  // even, then wrapped once.
  static int TextureColumn(double longitude, int spinShift, int w);
  // The offset k with round(longitude + s) == k + s for every turning state
  // s of a texture up to 2^18 wide; false when the longitude lies so close to
  // a half that the rounding depends on s.
  static bool FixedColumnOffset(double longitude, int& offset);

 private:
  // One distinct row of the disc; rows r and W - r have the same circle and
  // share their offsets.
  struct RowPlan {
    int count = 0;       // disc pixels in the row
    int start = 0;       // first entry in offsets_
    int extraBegin = 0;  // its range in extras_
    int extraEnd = 0;
  };
  // A disc pixel whose column must be rounded afresh each frame.
  struct Extra {
    int slot;  // index into offsets_
    double longitude;
  };

  void BuildOffsets();

  int w_ = 0;
  int h_ = 0;
  QImage texture_;
  QImage frame_;
  std::vector<int> rowLeft_;
  std::vector<float> rowRadius2_;
  int spinShift_ = 0;
  int sphereCentre_ = 0;
  float angleScale_ = 0;
  int spinSpeed_ = 0;

  std::vector<int> rowPlan_;  // row r - 1 -> index into plans_
  std::vector<RowPlan> plans_;
  std::vector<int32_t> offsets_;  // 0-based column at turning state 0
  std::vector<Extra> extras_;
};

}  // namespace wlg
