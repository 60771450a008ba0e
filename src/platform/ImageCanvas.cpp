#include "platform/ImageCanvas.h"

#include <QPainter>
#include <QPolygon>
#include <vector>

namespace wlg {

QColor ToQColor(Colour c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
Colour FromQColor(const QColor& c) { return Rgb(c.red(), c.green(), c.blue()); }

ImageCanvas::ImageCanvas(int width, int height)
    : image_(width, height, QImage::Format_RGB32) {
  image_.fill(ToQColor(backColour));
}

ImageCanvas::ImageCanvas(int width, int height, TransparentTag)
    : image_(width, height, QImage::Format_ARGB32_Premultiplied), transparent_(true) {
  image_.fill(Qt::transparent);
}

void ImageCanvas::DrawImage(const QImage& layer) { Painter().drawImage(0, 0, layer); }

void ImageCanvas::Flush() const {
  if (painter_) {
    painter_->end();
    painter_.reset();
  }
}

QPainter& ImageCanvas::Painter() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(&image_);
    painter_->setRenderHint(QPainter::Antialiasing, false);
  }
  return *painter_;
}

void ImageCanvas::Resize(int width, int height) {
  if (width == image_.width() && height == image_.height()) return;
  Flush();
  image_ = QImage(width, height, QImage::Format_RGB32);
  image_.fill(ToQColor(backColour));
}

void ImageCanvas::Clear() {
  Flush();
  if (transparent_)
    image_.fill(Qt::transparent);
  else
    image_.fill(ToQColor(backColour));
}

namespace {
QPen MakePen(const Canvas& c) {
  if (c.drawStyle == DrawStyle::Invisible) return QPen(Qt::NoPen);
  QPen pen(Qt::black);
  pen.setWidth(c.drawWidth < 1 ? 1 : c.drawWidth);
  // GDI draws dotted lines only at width 1; wider pens stay solid.
  if (c.drawStyle == DrawStyle::Dot && c.drawWidth <= 1) pen.setStyle(Qt::DotLine);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

QPolygon ToQPolygon(const IPoint* pts, int count) {
  QPolygon poly(count);
  for (int i = 0; i < count; ++i) poly.setPoint(i, pts[i].x, pts[i].y);
  return poly;
}
}  // namespace

void ImageCanvas::Polygon(const IPoint* pts, int count) {
  if (count <= 0) return;
  QPainter& p = Painter();
  p.setPen(MakePen(*this));
  if (fillStyle == FillStyle::Solid)
    p.setBrush(ToQColor(fillColour));
  else
    p.setBrush(Qt::NoBrush);
  p.drawPolygon(ToQPolygon(pts, count));
}

void ImageCanvas::Polyline(const IPoint* pts, int count) {
  if (count <= 0) return;
  QPainter& p = Painter();
  p.setPen(MakePen(*this));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(ToQPolygon(pts, count));
}

void ImageCanvas::Line(int x1, int y1, int x2, int y2, Colour colour) {
  QPainter& p = Painter();
  QPen pen(ToQColor(colour));
  pen.setWidth(drawWidth < 1 ? 1 : drawWidth);
  pen.setCapStyle(Qt::RoundCap);
  p.setPen(pen);
  p.drawLine(x1, y1, x2, y2);
}

void ImageCanvas::Dot(int x, int y, Colour colour) {
  if (drawWidth <= 1) {
    Flush();
    if (x >= 0 && y >= 0 && x < image_.width() && y < image_.height())
      image_.setPixel(x, y, ToQColor(colour).rgb());
    return;
  }
  QPainter& p = Painter();
  p.setPen(Qt::NoPen);
  p.setBrush(ToQColor(colour));
  const double r = drawWidth / 2.0;
  p.drawEllipse(QRectF(x - r + 0.5, y - r + 0.5, drawWidth, drawWidth));
}

Colour ImageCanvas::PointColour(int x, int y) const {
  Flush();
  if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return 0;
  return FromQColor(QColor(image_.pixel(x, y)));
}

void ImageCanvas::FloodFillSurface(int x, int y, Colour surface) {
  Flush();
  const int w = image_.width(), h = image_.height();
  if (x < 0 || y < 0 || x >= w || y >= h) return;
  const QRgb target = ToQColor(surface).rgb();
  const QRgb fill = ToQColor(fillColour).rgb();
  if (target == fill) return;
  auto at = [&](int px, int py) -> QRgb& {
    return reinterpret_cast<QRgb*>(image_.scanLine(py))[px];
  };
  if (at(x, y) != target) return;
  // Scan-line fill with an explicit stack: no recursion depth to overflow.
  std::vector<IPoint> stack{{x, y}};
  while (!stack.empty()) {
    IPoint s = stack.back();
    stack.pop_back();
    int lx = s.x;
    if (at(lx, s.y) != target) continue;
    while (lx > 0 && at(lx - 1, s.y) == target) --lx;
    int rx = s.x;
    while (rx < w - 1 && at(rx + 1, s.y) == target) ++rx;
    for (int i = lx; i <= rx; ++i) at(i, s.y) = fill;
    for (int dy : {-1, 1}) {
      const int ny = s.y + dy;
      if (ny < 0 || ny >= h) continue;
      bool inRun = false;
      for (int i = lx; i <= rx; ++i) {
        const bool t = at(i, ny) == target;
        if (t && !inRun) stack.push_back({i, ny});
        inRun = t;
      }
    }
  }
}

}  // namespace wlg
