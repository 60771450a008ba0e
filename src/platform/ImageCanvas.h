#pragma once
// The real canvas: paints with QPainter on a persistent QImage, antialiasing
// off and pens of exact pixel width, so pictures match pixel for pixel
// wherever they are drawn (window, exporter, saved pictures).
//
// When asked (a screen with more than one device pixel per canvas unit, or
// smooth edges), every figure is drawn a second time into a display picture
// at device resolution, antialiased when smooth. Only the windows show that
// one; the hit test, flood fill, snapping and saved pictures read the exact
// picture, which stays as it would be without it.

#include <QImage>
#include <QPainter>
#include <memory>
#include <vector>

#include "platform/Canvas.h"
#include "platform/SmoothRaster.h"

namespace wlg {

class ImageCanvas : public Canvas {
 public:
  ImageCanvas(int width, int height);
  // A canvas whose background is see-through, for a layer laid over another.
  enum TransparentTag { Transparent };
  ImageCanvas(int width, int height, TransparentTag);

  int Width() const override { return image_.width(); }
  int Height() const override { return image_.height(); }
  void Clear() override;
  void Polygon(const IPoint* pts, int count) override;
  void Polyline(const IPoint* pts, int count) override;
  void Line(int x1, int y1, int x2, int y2, Colour colour) override;
  void Dot(int x, int y, Colour colour) override;
  Colour PointColour(int x, int y) const override;
  void FloodFillSurface(int x, int y, Colour surface) override;

  using Canvas::Polygon;
  using Canvas::Polyline;

  void Resize(int width, int height);
  // Lays a picture (with see-through parts) over this one.
  void DrawImage(const QImage& layer);
  // Stretches part of a picture over part of this one, pixel for pixel in
  // the exact picture (smoothed in the display picture when smooth).
  void DrawImage(const QRectF& target, const QImage& source, const QRectF& sourceRect);
  // The exact picture, with every figure drawn so far in it.
  const QImage& Image() const {
    Flush();
    return image_;
  }
  // The exact picture to change pixel by pixel; the display picture is
  // then made again from it, scaled, when next used.
  QImage& EditImage() {
    Flush();
    displayStale_ = true;
    MarkDrawn(image_.rect());
    return image_;
  }
  // Ends the open painters, if any (figures are drawn through one painter
  // kept open between calls; opening one per figure costs more than the figure).
  void Flush() const;

  // The display picture: none at ratio 1 without smooth edges.
  void SetDisplay(double devicePixelRatio, bool smoothEdges);
  void SetDevicePixelRatio(double ratio) { SetDisplay(ratio, smooth_); }
  void SetSmoothEdges(bool on) { SetDisplay(ratio_, on); }
  double DevicePixelRatio() const { return ratio_; }
  bool SmoothEdges() const { return smooth_; }
  bool HasDisplay() const { return hasDisplay_; }
  // What a window shows: the display picture (its device pixel ratio set),
  // or the exact picture when there is none.
  const QImage& DisplayImage() const;

  // Both pictures as they are now, to be put back or laid over later
  // (shared until either side draws again).
  struct Pictures {
    QImage exact, display;
  };
  Pictures Save() const;
  void Restore(const Pictures& pictures);
  // Lays saved pictures (with see-through parts) over these.
  void DrawLayer(const Pictures& layer);
  // The same two within a box in canvas units only, both pictures kept
  // elsewhere: a drag repairs what the moved tile covered, not the whole
  // view. False (nothing changed) when the saved pictures do not fit these.
  bool RestoreWithin(const Pictures& pictures, const QRect& box);
  void DrawLayerWithin(const Pictures& layer, const QRect& box);

  // The box in canvas units holding every pixel either picture changes
  // from TrackDrawn() until EndTracking() (pens and smoothing included).
  void TrackDrawn() {
    tracking_ = true;
    drawn_ = QRect();
  }
  QRect EndTracking() {
    tracking_ = false;
    return drawn_;
  }
  // Counts the changes to the pictures, tracked or not: a kept picture is
  // still what the canvas shows while this stays the same.
  unsigned long long Changes() const { return changes_; }

 private:
  QPainter& Painter();
  QPainter& DisplayPainter();
  void EndPainter() const;
  void FlushDisplay() const;
  // The display picture made again from the exact one, scaled.
  void SyncDisplay() const;
  QImage BlankDisplay() const;
  // The device pixels of a box in canvas units, within the display picture.
  QRect DisplayBox(const QRect& box) const;
  // Lays a see-through picture of the display's size and layout over the
  // display picture, within a box of device pixels.
  void BlendDisplay(const QImage& layer, const QRect& device);
  void MarkDrawn(const IPoint* pts, int count, int pen);
  void MarkDrawn(const QRect& box) {
    ++changes_;
    if (tracking_) drawn_ |= box;
  }
  void DisplayPen(int style, int width, Colour colour);
  void DisplayBrush(bool solid, Colour colour);
  // A solid (or no) outline, drawn straight into the display picture;
  // false when the figure has to go through the display painter.
  bool SmoothPolygon(const IPoint* pts, int count);
  bool SmoothPolyline(const IPoint* pts, int count, DrawStyle style, Colour colour);
  // A solid or dotted figure for the display picture, kept to be drawn by
  // our own rasteriser; false when it has to go through the painter.
  bool DirectFigure(const IPoint* pts, int count, bool closed, bool fill, bool outline,
                    DrawStyle style, Colour pen);
  void DrawDisplayFigures() const;
  void MirrorFill(const std::vector<IPoint>& spans, Colour surface, Colour fill);
  // Draws a polygon with a 1-pixel (or no) outline straight into the
  // picture's pixels; false when it has to go through QPainter instead.
  bool RasterPolygon(const IPoint* pts, int count);
  void UsePen(int style, int width, Colour colour);
  void UseBrush(bool solid, Colour colour);
  static constexpr Colour Palette0() { return 0; }  // outlines are black

  struct PenKey {
    int style = -1, width = -1;
    Colour colour = 0;
    bool operator==(const PenKey&) const = default;
  };
  struct BrushKey {
    bool solid = false;
    Colour colour = 0xffffffffu;
    bool operator==(const BrushKey&) const = default;
  };
  mutable PenKey penKey_;
  mutable BrushKey brushKey_;

  QImage image_;
  bool transparent_ = false;
  mutable std::unique_ptr<QPainter> painter_;
  std::vector<double> crossings_;

  double ratio_ = 1;
  bool smooth_ = false;
  bool hasDisplay_ = false;
  mutable bool displayStale_ = false;
  mutable QImage display_;
  mutable std::unique_ptr<QPainter> displayPainter_;
  mutable PenKey displayPenKey_;
  mutable BrushKey displayBrushKey_;
  mutable SmoothRaster smoothRaster_;
  struct DisplayFigure {
    uint32_t first = 0, count = 0;
    bool closed = false, fill = false, outline = false, dotted = false, unscaled = false;
    int width = 1;
    int top = 0, bottom = 0;  // the device rows it can touch
    uint32_t fillRgb = 0, penRgb = 0;
  };
  mutable std::vector<DisplayFigure> displayFigures_;
  mutable std::vector<IPoint> displayPoints_;
  bool tracking_ = false;
  QRect drawn_;
  unsigned long long changes_ = 0;
};

QColor ToQColor(Colour c);
Colour FromQColor(const QColor& c);

}  // namespace wlg
