#pragma once
// A recorded redraw drawn again at any scale, a band of rows at a time, so
// that a picture far larger than memory can be streamed to a file. The
// figures are redrawn, not resampled: lines keep their width in pixels
// unless they are asked to scale with the picture.

#include <QImage>
#include <vector>

#include "imaging/VectorDrawing.h"

namespace wlg {

struct RasterOptions {
  double scale = 1;
  bool scaleLines = false;   // pens penWidth x scale wide instead of penWidth
  bool transparent = false;  // the background left see-through
  bool antialias = false;    // smooth edges, from the exact points
};

// The picture's size in pixels: the drawing's size times the scale.
int RasterSide(double canvasUnits, double scale);

class BandedRaster {
 public:
  BandedRaster(const VectorDrawing& drawing, const RasterOptions& options);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // The pixel format of every band: opaque colours only, so premultiplied
  // and straight alpha are the same bytes.
  static constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;

  // Draws the picture's rows top .. top + band.height() - 1 into 'band'
  // (Width() pixels wide, kFormat).
  void RenderBand(int top, QImage& band) const;
  // The whole picture at once, for pictures that fit in memory.
  QImage Render() const;

 private:
  const VectorDrawing& d_;
  RasterOptions o_;
  int width_ = 0, height_ = 0;
  // Each figure's rows in the picture, pen included, so a band skips the
  // figures that cannot reach it.
  std::vector<int> top_, bottom_;

  void RenderSmoothBand(int top, QImage& band) const;
};

}  // namespace wlg
