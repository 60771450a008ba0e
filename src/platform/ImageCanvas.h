#pragma once
// The real canvas: paints with QPainter on a persistent QImage, antialiasing
// off and pens of exact pixel width, so pictures match pixel for pixel
// wherever they are drawn (window, exporter, saved pictures).

#include <QImage>
#include <QPainter>
#include <memory>
#include <vector>

#include "platform/Canvas.h"

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
  // The picture, with every figure drawn so far in it.
  const QImage& Image() const {
    Flush();
    return image_;
  }
  QImage& Image() {
    Flush();
    return image_;
  }
  // Ends the open painter, if any (figures are drawn through one painter
  // kept open between calls; opening one per figure costs more than the figure).
  void Flush() const;

 private:
  QPainter& Painter();
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
};

QColor ToQColor(Colour c);
Colour FromQColor(const QColor& c);

}  // namespace wlg
