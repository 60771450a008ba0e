#include "platform/ImageCanvas.h"

#include <QPainter>
#include <QPolygon>
#include <cstddef>
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
    penKey_ = PenKey{};
    brushKey_ = BrushKey{};
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

// IPoint and QPoint are both two ints, x then y, so point lists are handed
// to Qt as they are, without a copy per figure.
static_assert(sizeof(IPoint) == sizeof(QPoint) && offsetof(IPoint, y) == sizeof(int));
const QPoint* AsQPoints(const IPoint* pts) { return reinterpret_cast<const QPoint*>(pts); }
}  // namespace

// Pens and brushes are set only when they change: making one per figure
// costs more than drawing a small figure.
void ImageCanvas::UsePen(int style, int width, Colour colour) {
  const PenKey key{style, width, colour};
  if (painter_ && penKey_ == key) return;
  penKey_ = key;
  if (style == static_cast<int>(DrawStyle::Invisible)) {
    Painter().setPen(Qt::NoPen);
    return;
  }
  QPen pen(ToQColor(colour));
  pen.setWidth(width < 1 ? 1 : width);
  // GDI draws dotted lines only at width 1; wider pens stay solid.
  if (style == static_cast<int>(DrawStyle::Dot) && width <= 1) pen.setStyle(Qt::DotLine);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  Painter().setPen(pen);
}

void ImageCanvas::UseBrush(bool solid, Colour colour) {
  const BrushKey key{solid, solid ? colour : 0};
  if (painter_ && brushKey_ == key) return;
  brushKey_ = key;
  if (solid)
    Painter().setBrush(ToQColor(colour));
  else
    Painter().setBrush(Qt::NoBrush);
}

void ImageCanvas::Polygon(const IPoint* pts, int count) {
  if (count <= 0) return;
  UsePen(static_cast<int>(drawStyle), drawWidth, Palette0());
  UseBrush(fillStyle == FillStyle::Solid, fillColour);
  painter_->drawPolygon(AsQPoints(pts), count);
}

void ImageCanvas::Polyline(const IPoint* pts, int count) {
  if (count <= 0) return;
  UsePen(static_cast<int>(drawStyle), drawWidth, Palette0());
  UseBrush(false, 0);
  painter_->drawPolyline(AsQPoints(pts), count);
}

void ImageCanvas::Line(int x1, int y1, int x2, int y2, Colour colour) {
  UsePen(static_cast<int>(DrawStyle::Solid), drawWidth, colour);
  painter_->drawLine(x1, y1, x2, y2);
}

void ImageCanvas::Dot(int x, int y, Colour colour) {
  if (drawWidth <= 1) {
    Flush();
    if (x >= 0 && y >= 0 && x < image_.width() && y < image_.height())
      image_.setPixel(x, y, ToQColor(colour).rgb());
    return;
  }
  UsePen(static_cast<int>(DrawStyle::Invisible), 0, 0);
  UseBrush(true, colour);
  const double r = drawWidth / 2.0;
  painter_->drawEllipse(QRectF(x - r + 0.5, y - r + 0.5, drawWidth, drawWidth));
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
