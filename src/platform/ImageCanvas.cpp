#include "platform/ImageCanvas.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <vector>

namespace wlg {

QColor ToQColor(Colour c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
Colour FromQColor(const QColor& c) { return Rgb(c.red(), c.green(), c.blue()); }

ImageCanvas::ImageCanvas(int width, int height) : image_(width, height, QImage::Format_RGB32) {
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

namespace {

// Points farther out than this go through QPainter, which clips lines
// before stepping along them.
constexpr int kRasterReach = 1 << 20;

// A 1-pixel line from end to end, both ends included, each pixel checked
// against the picture only when the line leaves it.
void RasterLine(QRgb* bits, qsizetype stride, int w, int h, IPoint a, IPoint b, QRgb colour) {
  const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
  const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
  const bool inside = std::min(a.x, b.x) >= 0 && std::max(a.x, b.x) < w &&
                      std::min(a.y, b.y) >= 0 && std::max(a.y, b.y) < h;
  if (!inside && (std::max(a.x, b.x) < 0 || std::min(a.x, b.x) >= w || std::max(a.y, b.y) < 0 ||
                  std::min(a.y, b.y) >= h))
    return;
  int err = dx + dy;
  int x = a.x, y = a.y;
  for (;;) {
    if (inside || (x >= 0 && y >= 0 && x < w && y < h)) bits[y * stride + x] = colour;
    if (x == b.x && y == b.y) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

}  // namespace

// Most figures are small polygons with a thin outline (a shaded solid is
// ten thousand of them per frame); QPainter spends far longer setting up
// each one than filling it. The fill takes the pixels whose centres lie
// inside (even-odd, as QPainter and GDI fill), the outline then covers
// the edges.
bool ImageCanvas::RasterPolygon(const IPoint* pts, int count) {
  const bool outline = drawStyle != DrawStyle::Invisible;
  if (outline && (drawStyle != DrawStyle::Solid || drawWidth > 1)) return false;
  // Pixels are written as 32-bit words; a picture put in from elsewhere in
  // another layout goes through QPainter.
  const QImage::Format format = image_.format();
  if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied &&
      format != QImage::Format_ARGB32)
    return false;
  int minX = pts[0].x, maxX = pts[0].x, minY = pts[0].y, maxY = pts[0].y;
  for (int i = 1; i < count; ++i) {
    minX = std::min(minX, pts[i].x);
    maxX = std::max(maxX, pts[i].x);
    minY = std::min(minY, pts[i].y);
    maxY = std::max(maxY, pts[i].y);
  }
  if (minX < -kRasterReach || minY < -kRasterReach || maxX > kRasterReach || maxY > kRasterReach)
    return false;
  Flush();
  const int w = image_.width(), h = image_.height();
  if (maxX < 0 || maxY < 0 || minX >= w || minY >= h) return true;
  const QRgb opaque = 0xff000000u;
  QRgb* bits = reinterpret_cast<QRgb*>(image_.bits());
  const qsizetype stride = image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));

  if (fillStyle == FillStyle::Solid) {
    const QRgb fill = opaque | ToQColor(fillColour).rgb();
    crossings_.resize(count);
    const int top = std::max(minY, 0), bottom = std::min(maxY, h - 1);
    for (int y = top; y <= bottom; ++y) {
      int m = 0;
      for (int i = 0; i < count; ++i) {
        const IPoint& a = pts[i];
        const IPoint& b = pts[i + 1 == count ? 0 : i + 1];
        // Each edge counts from its upper end to just above its lower end,
        // so a vertex shared by two edges crosses the row once.
        if ((a.y <= y && y < b.y) || (b.y <= y && y < a.y)) {
          const double t = double(y - a.y) / (b.y - a.y);
          const double x = a.x + t * (b.x - a.x);
          // Insertion keeps the few crossings of a row in order.
          int k = m++;
          for (; k > 0 && crossings_[k - 1] > x; --k) crossings_[k] = crossings_[k - 1];
          crossings_[k] = x;
        }
      }
      QRgb* row = bits + y * stride;
      for (int k = 0; k + 1 < m; k += 2) {
        const int left = std::max(0, static_cast<int>(std::ceil(crossings_[k])));
        const int right = std::min(w, static_cast<int>(std::ceil(crossings_[k + 1])));
        if (left < right) std::fill(row + left, row + right, fill);
      }
    }
  }
  if (outline) {
    const QRgb pen = opaque | ToQColor(Palette0()).rgb();
    for (int i = 0; i < count; ++i)
      RasterLine(bits, stride, w, h, pts[i], pts[i + 1 == count ? 0 : i + 1], pen);
  }
  return true;
}

void ImageCanvas::Polygon(const IPoint* pts, int count) {
  if (count <= 0) return;
  if (RasterPolygon(pts, count)) return;
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
