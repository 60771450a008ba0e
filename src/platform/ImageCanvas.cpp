#include "platform/ImageCanvas.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/InParts.h"
#include "platform/PixelLine.h"

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

void ImageCanvas::DrawImage(const QImage& layer) {
  MarkDrawn(image_.rect());
  Painter().drawImage(0, 0, layer);
  // The layer is canvas-sized: the display painter scales it up.
  if (hasDisplay_) DisplayPainter().drawImage(QPointF(-0.5, -0.5), layer);
}

void ImageCanvas::DrawImage(const QRectF& target, const QImage& source, const QRectF& sourceRect) {
  MarkDrawn(target.toAlignedRect().adjusted(-2, -2, 2, 2));
  Painter().drawImage(target, source, sourceRect);
  if (!hasDisplay_) return;
  QPainter& d = DisplayPainter();
  d.setRenderHint(QPainter::SmoothPixmapTransform, smooth_);
  d.drawImage(target.translated(-0.5, -0.5), source, sourceRect);
  d.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

void ImageCanvas::Flush() const {
  EndPainter();
  FlushDisplay();
}

void ImageCanvas::EndPainter() const {
  if (painter_) {
    penKey_ = PenKey{};
    brushKey_ = BrushKey{};
    painter_->end();
    painter_.reset();
  }
}

void ImageCanvas::FlushDisplay() const {
  if (!displayFigures_.empty()) DrawDisplayFigures();
  if (displayPainter_) {
    displayPenKey_ = PenKey{};
    displayBrushKey_ = BrushKey{};
    displayPainter_->end();
    displayPainter_.reset();
  }
}

QPainter& ImageCanvas::Painter() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(&image_);
    painter_->setRenderHint(QPainter::Antialiasing, false);
  }
  return *painter_;
}

QPainter& ImageCanvas::DisplayPainter() {
  if (!displayPainter_) {
    if (!displayFigures_.empty()) DrawDisplayFigures();
    if (displayStale_) SyncDisplay();
    displayPainter_ = std::make_unique<QPainter>(&display_);
    displayPainter_->setRenderHint(QPainter::Antialiasing, smooth_);
    // The painter works in canvas units (the picture's ratio scales them).
    // An exact pixel (x, y) is the unit square centred on the point (x, y),
    // so the display picture puts each figure over the pixels it has there.
    displayPainter_->translate(0.5, 0.5);
  }
  return *displayPainter_;
}

QImage ImageCanvas::BlankDisplay() const {
  const int w = static_cast<int>(std::lround(image_.width() * ratio_));
  const int h = static_cast<int>(std::lround(image_.height() * ratio_));
  QImage d(w, h, transparent_ ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  d.setDevicePixelRatio(ratio_);
  if (transparent_)
    d.fill(Qt::transparent);
  else
    d.fill(ToQColor(backColour));
  return d;
}

void ImageCanvas::SyncDisplay() const {
  displayStale_ = false;
  if (!hasDisplay_) return;
  FlushDisplay();
  display_ = BlankDisplay();
  QPainter p(&display_);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(QRectF(0, 0, image_.width(), image_.height()), image_);
}

void ImageCanvas::SetDisplay(double devicePixelRatio, bool smoothEdges) {
  if (!(devicePixelRatio >= 1) || devicePixelRatio > 8) devicePixelRatio = 1;
  const bool want = devicePixelRatio > 1 || smoothEdges;
  if (want == hasDisplay_ && devicePixelRatio == ratio_ && smoothEdges == smooth_) return;
  Flush();
  const bool remake = !hasDisplay_ || devicePixelRatio != ratio_;
  ratio_ = devicePixelRatio;
  smooth_ = smoothEdges;
  hasDisplay_ = want;
  if (!want) {
    display_ = QImage();
    displayStale_ = false;
    return;
  }
  // Until the owner draws again, the display shows the exact picture.
  if (remake) SyncDisplay();
}

const QImage& ImageCanvas::DisplayImage() const {
  Flush();
  if (!hasDisplay_) return image_;
  if (displayStale_) SyncDisplay();
  return display_;
}

ImageCanvas::Pictures ImageCanvas::Save() const {
  Flush();
  if (displayStale_) SyncDisplay();
  return {image_, hasDisplay_ ? display_ : QImage()};
}

void ImageCanvas::Restore(const Pictures& pictures) {
  Flush();
  image_ = pictures.exact;
  MarkDrawn(image_.rect());
  if (!hasDisplay_) return;
  if (pictures.display.size() == display_.size() && pictures.display.devicePixelRatio() == ratio_) {
    display_ = pictures.display;
    displayStale_ = false;
  } else {
    displayStale_ = true;
  }
}

void ImageCanvas::DrawLayer(const Pictures& layer) { DrawLayerWithin(layer, image_.rect()); }

namespace {

void CopyRows(QImage& to, const QImage& from, const QRect& r) {
  const int bytes = to.depth() / 8;
  for (int y = r.top(); y <= r.bottom(); ++y)
    std::memcpy(to.scanLine(y) + qsizetype(r.left()) * bytes,
                from.constScanLine(y) + qsizetype(r.left()) * bytes,
                size_t(r.width()) * size_t(bytes));
}

}  // namespace

QRect ImageCanvas::DisplayBox(const QRect& box) const {
  if (box.isEmpty()) return {};
  // Exact pixel x covers device pixels x * ratio up to (x + 1) * ratio.
  const int x0 = static_cast<int>(std::floor(box.left() * ratio_));
  const int y0 = static_cast<int>(std::floor(box.top() * ratio_));
  const int x1 = static_cast<int>(std::ceil((box.right() + 1.0) * ratio_));
  const int y1 = static_cast<int>(std::ceil((box.bottom() + 1.0) * ratio_));
  return QRect(x0, y0, x1 - x0, y1 - y0) & display_.rect();
}

bool ImageCanvas::RestoreWithin(const Pictures& pictures, const QRect& box) {
  Flush();
  if (pictures.exact.size() != image_.size() || pictures.exact.format() != image_.format())
    return false;
  if (hasDisplay_ && (displayStale_ || pictures.display.size() != display_.size() ||
                      pictures.display.format() != display_.format() ||
                      pictures.display.devicePixelRatio() != ratio_))
    return false;
  const QRect r = box & image_.rect();
  if (r.isEmpty()) return true;
  MarkDrawn(r);
  CopyRows(image_, pictures.exact, r);
  if (hasDisplay_) {
    const QRect d = DisplayBox(r);
    if (!d.isEmpty()) CopyRows(display_, pictures.display, d);
  }
  return true;
}

void ImageCanvas::DrawLayerWithin(const Pictures& layer, const QRect& box) {
  const QRect r = box & image_.rect();
  if (r.isEmpty()) return;
  MarkDrawn(r);
  Painter().drawImage(r.topLeft(), layer.exact, r);
  if (!hasDisplay_) return;
  if (!layer.display.isNull() && layer.display.devicePixelRatio() == ratio_ &&
      layer.display.size() == display_.size()) {
    BlendDisplay(layer.display, DisplayBox(r));
    return;
  }
  DisplayPainter().drawImage(QRectF(r).translated(-0.5, -0.5), layer.exact, QRectF(r));
}

// Pixel for pixel: the display painter works in canvas units, whose
// scaling would take Qt's slower transformed path for a same-sized picture.
void ImageCanvas::BlendDisplay(const QImage& layer, const QRect& device) {
  FlushDisplay();
  if (displayStale_) SyncDisplay();
  if (device.isEmpty()) return;
  QImage to(display_.bits(), display_.width(), display_.height(), display_.bytesPerLine(),
            display_.format());
  const QImage from(layer.constBits(), layer.width(), layer.height(), layer.bytesPerLine(),
                    layer.format());
  QPainter p(&to);
  p.drawImage(device.topLeft(), from, device);
}

void ImageCanvas::MarkDrawn(const IPoint* pts, int count, int pen) {
  if (!tracking_ || count <= 0) {
    ++changes_;
    return;
  }
  const auto [minX, maxX, minY, maxY] = BoundsOf(pts, count);
  // Far-off points only need to stay far off; the margin covers half the
  // pen, its round ends and the smoothing.
  constexpr long long kFar = 1 << 24;
  const long long m = std::clamp(pen, 1, 1 << 16) / 2 + 2;
  auto at = [&](long long v) { return static_cast<int>(std::clamp(v, -kFar, kFar)); };
  MarkDrawn(QRect(QPoint(at(minX - m), at(minY - m)), QPoint(at(maxX + m), at(maxY + m))));
}

void ImageCanvas::Resize(int width, int height) {
  if (width == image_.width() && height == image_.height()) return;
  Flush();
  image_ = QImage(width, height, QImage::Format_RGB32);
  image_.fill(ToQColor(backColour));
  if (hasDisplay_) {
    display_ = BlankDisplay();
    displayStale_ = false;
  }
}

void ImageCanvas::Clear() {
  Flush();
  MarkDrawn(image_.rect());
  if (transparent_)
    image_.fill(Qt::transparent);
  else
    image_.fill(ToQColor(backColour));
  if (hasDisplay_) {
    if (display_.size() != QSize(static_cast<int>(std::lround(image_.width() * ratio_)),
                                 static_cast<int>(std::lround(image_.height() * ratio_))))
      display_ = BlankDisplay();
    else
      display_.fill(transparent_ ? QColor(Qt::transparent) : ToQColor(backColour));
    displayStale_ = false;
  }
}

namespace {

// IPoint and QPoint are both two ints, x then y, so point lists are handed
// to Qt as they are, without a copy per figure.
static_assert(sizeof(IPoint) == sizeof(QPoint) && offsetof(IPoint, y) == sizeof(int));
const QPoint* AsQPoints(const IPoint* pts) { return reinterpret_cast<const QPoint*>(pts); }
}  // namespace

// Pens and brushes are set only when they change: making one per figure
// costs more than drawing a small figure.
namespace {

// The canvas pen of a visible style, for either picture.
QPen CanvasPen(int style, int width, Colour colour) {
  QPen pen(ToQColor(colour));
  pen.setWidth(width < 1 ? 1 : width);
  // GDI draws dotted lines only at width 1; wider pens stay solid.
  if (style == static_cast<int>(DrawStyle::Dot) && width <= 1) pen.setStyle(Qt::DotLine);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

}  // namespace

void ImageCanvas::UsePen(int style, int width, Colour colour) {
  const PenKey key{style, width, colour};
  if (painter_ && penKey_ == key) return;
  penKey_ = key;
  if (style == static_cast<int>(DrawStyle::Invisible)) {
    Painter().setPen(Qt::NoPen);
    return;
  }
  Painter().setPen(CanvasPen(style, width, colour));
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

void ImageCanvas::DisplayPen(int style, int width, Colour colour) {
  const PenKey key{style, width, colour};
  if (displayPainter_ && displayPenKey_ == key) return;
  QPainter& d = DisplayPainter();
  displayPenKey_ = key;
  if (style == static_cast<int>(DrawStyle::Invisible)) {
    d.setPen(Qt::NoPen);
    return;
  }
  // Widths in canvas units: the picture's ratio widens them.
  d.setPen(CanvasPen(style, width, colour));
}

void ImageCanvas::DisplayBrush(bool solid, Colour colour) {
  const BrushKey key{solid, solid ? colour : 0};
  if (displayPainter_ && displayBrushKey_ == key) return;
  QPainter& d = DisplayPainter();
  displayBrushKey_ = key;
  if (solid)
    d.setBrush(ToQColor(colour));
  else
    d.setBrush(Qt::NoBrush);
}

namespace {

// Points farther out than this go through QPainter, which clips lines
// before stepping along them.
constexpr int kRasterReach = 1 << 20;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Steps along the minor axis after j steps along the major one, for a line
// of 'major' by 'minor' steps (minor <= major): the stepping below takes a
// minor step exactly when its error says so, which comes to this.
int64_t MinorSteps(int64_t j, int64_t major, int64_t minor) {
  return std::max<int64_t>(0, FloorDiv(2 * minor * j - major, 2 * major) + 1);
}

// The fewest major steps after which the minor axis has taken 'need' steps.
int64_t MajorStepsFor(int64_t need, int64_t major, int64_t minor) {
  if (need <= 0) return 0;
  if (minor == 0) return INT64_MAX;
  const int64_t top = major * (2 * need - 1);
  return top / (2 * minor) + (top % (2 * minor) != 0);
}

// Steps before a coordinate moving by 'step' from 'at' reaches [0, size).
int64_t StepsToEnter(int64_t at, int step, int64_t size) {
  if (step > 0 && at < 0) return -at;
  if (step < 0 && at >= size) return at - (size - 1);
  return 0;
}

}  // namespace

void PixelLine(QRgb* bits, qsizetype stride, int w, int h, IPoint a, IPoint b, QRgb colour) {
  const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
  const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
  if (std::max(a.x, b.x) < 0 || std::min(a.x, b.x) >= w || std::max(a.y, b.y) < 0 ||
      std::min(a.y, b.y) >= h)
    return;
  int err = dx + dy;
  int x = a.x, y = a.y;
  const bool inside = std::min(a.x, b.x) >= 0 && std::max(a.x, b.x) < w &&
                      std::min(a.y, b.y) >= 0 && std::max(a.y, b.y) < h;
  if (!inside) {
    // Start at the first step that can be in the picture: both axes
    // there. The state after j steps follows from the step counts alone.
    const bool xMajor = dx >= -dy;
    const int64_t major = xMajor ? dx : -dy, minor = xMajor ? -dy : dx;
    const int64_t majorNeed = xMajor ? StepsToEnter(a.x, sx, w) : StepsToEnter(a.y, sy, h);
    const int64_t minorNeed = xMajor ? StepsToEnter(a.y, sy, h) : StepsToEnter(a.x, sx, w);
    const int64_t j = std::max(majorNeed, MajorStepsFor(minorNeed, major, minor));
    if (j > major) return;
    const int64_t m = MinorSteps(j, major, minor);
    const int64_t stepsX = xMajor ? j : m, stepsY = xMajor ? m : j;
    x = static_cast<int>(a.x + sx * stepsX);
    y = static_cast<int>(a.y + sy * stepsY);
    err = static_cast<int>(dx + dy + stepsX * dy + stepsY * dx);
  }
  bool drawn = false;
  for (;;) {
    if (inside || (x >= 0 && y >= 0 && x < w && y < h)) {
      bits[y * stride + x] = colour;
      drawn = true;
    } else if (drawn) {
      break;  // a straight line that has left the picture does not come back
    }
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
  const auto [minX, maxX, minY, maxY] = BoundsOf(pts, count);
  if (minX < -kRasterReach || minY < -kRasterReach || maxX > kRasterReach || maxY > kRasterReach)
    return false;
  EndPainter();
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
      PixelLine(bits, stride, w, h, pts[i], pts[i + 1 == count ? 0 : i + 1], pen);
  }
  return true;
}

namespace {

// Whether a figure with these corners, outlined 'pen' pixels wide, lies
// wholly outside a w x h picture. The display painter would clip it too,
// but only after transforming and rasterising its outline.
bool OffPicture(const IPoint* pts, int count, int pen, int w, int h) {
  const auto [minX, maxX, minY, maxY] = BoundsOf(pts, count);
  const int reach = pen / 2 + 2;
  return maxX < -reach || maxY < -reach || minX >= w + reach || minY >= h + reach;
}

}  // namespace

// The display painter's own set-up per figure costs several times the
// exact picture's whole drawing, and at a ratio above 1 every outline
// becomes a wide pen with round joins, which the painter strokes slowest
// of all. Figures are drawn straight into the pixels instead.
bool ImageCanvas::SmoothPolygon(const IPoint* pts, int count) {
  const bool outline = drawStyle != DrawStyle::Invisible;
  return DirectFigure(pts, count, true, fillStyle == FillStyle::Solid, outline, drawStyle,
                      Palette0());
}

bool ImageCanvas::SmoothPolyline(const IPoint* pts, int count, DrawStyle style, Colour colour) {
  if (style == DrawStyle::Invisible) return true;
  return DirectFigure(pts, count, false, false, true, style, colour);
}

// The display's figures are kept until the picture is next used, then drawn
// in one go, split by rows between the cores when there are many: each row
// band takes every figure in order, so each pixel sees the same blends.
bool ImageCanvas::DirectFigure(const IPoint* pts, int count, bool closed, bool fill, bool outline,
                               DrawStyle style, Colour pen) {
  if (!fill && !outline) return true;
  if (outline && style != DrawStyle::Solid && style != DrawStyle::Dot) return false;
  const QImage::Format format = display_.format();
  if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied) return false;
  if (static_cast<long long>(std::max(drawWidth, 1)) * 8 > (1 << 16)) return false;
  for (int i = 0; i < count; ++i)
    if (std::abs(static_cast<long long>(pts[i].x)) > SmoothRaster::kReach ||
        std::abs(static_cast<long long>(pts[i].y)) > SmoothRaster::kReach)
      return false;
  // The display painter's figures so far go first.
  if (displayPainter_) FlushDisplay();
  if (displayStale_) SyncDisplay();
  DisplayFigure f;
  f.first = static_cast<uint32_t>(displayPoints_.size());
  f.count = static_cast<uint32_t>(count);
  f.closed = closed;
  f.fill = fill;
  f.outline = outline;
  f.dotted = outline && style == DrawStyle::Dot && drawWidth <= 1;  // as in the exact picture
  f.width = std::max(drawWidth, 1);
  f.fillRgb = ToQColor(fillColour).rgb();
  f.penRgb = ToQColor(pen).rgb();
  // Smooth thin solid outlines at ratio 1 have their own quicker path.
  f.unscaled =
      smooth_ && ratio_ == 1 && (!outline || (f.width == 1 && !f.dotted)) && (closed || outline);
  const IBounds b = BoundsOf(pts, count);
  const int reach = f.width / 2 + 2;
  f.top = static_cast<int>(std::floor((b.minY - reach) * ratio_));
  f.bottom = static_cast<int>(std::ceil((b.maxY + reach + 1) * ratio_));
  displayPoints_.insert(displayPoints_.end(), pts, pts + count);
  displayFigures_.push_back(f);
  return true;
}

void ImageCanvas::DrawDisplayFigures() const {
  const size_t figures = displayFigures_.size();
  const int h = display_.height();
  uint32_t* bits = reinterpret_cast<uint32_t*>(display_.bits());
  const std::ptrdiff_t stride = display_.bytesPerLine() / static_cast<qsizetype>(sizeof(uint32_t));
  auto band = [&](int top, int bottom, SmoothRaster& raster) {
    const PixelRows px{bits + std::ptrdiff_t(top) * stride, stride, display_.width(), bottom - top};
    std::vector<IPoint> shifted;
    std::vector<DPoint> device;
    for (const DisplayFigure& f : displayFigures_) {
      if (f.bottom < top || f.top >= bottom) continue;
      const IPoint* pts = displayPoints_.data() + f.first;
      const int n = static_cast<int>(f.count);
      if (f.unscaled) {
        shifted.resize(f.count);
        for (int i = 0; i < n; ++i) shifted[i] = {pts[i].x, pts[i].y - top};
        if (f.closed)
          raster.Polygon(px, shifted.data(), n, f.fill, f.fillRgb, f.outline, f.penRgb);
        else
          raster.Polyline(px, shifted.data(), n, f.penRgb);
        continue;
      }
      // Exact pixel (x, y) covers the device square from x * ratio to (x + 1) * ratio.
      device.resize(f.count);
      for (int i = 0; i < n; ++i)
        device[i] = {(pts[i].x + 0.5) * ratio_, (pts[i].y + 0.5) * ratio_ - top};
      raster.Figure(px, device.data(), n, f.closed, smooth_, f.fill, f.fillRgb,
                    f.outline ? f.width * ratio_ : 0.0, f.dotted, f.penRgb);
    }
  };
  // Even a drag's one tile is worth two threads at a high ratio; the rows
  // are split where half the figures lie above.
  if (figures < 200 || h < 64) {
    band(0, h, smoothRaster_);
  } else {
    std::vector<int> middles;
    middles.reserve(figures);
    for (const DisplayFigure& f : displayFigures_) middles.push_back(f.top / 2 + f.bottom / 2);
    std::nth_element(middles.begin(), middles.begin() + figures / 2, middles.end());
    const int mid = std::clamp(middles[figures / 2], 1, h - 1);
    SmoothRaster other;
    InParts(
        2,
        [&](size_t begin, size_t end, size_t part) {
          SmoothRaster& raster = part == 0 ? smoothRaster_ : other;
          for (size_t k = begin; k < end; ++k) band(k == 0 ? 0 : mid, k == 0 ? mid : h, raster);
        },
        1);
  }
  displayFigures_.clear();
  displayPoints_.clear();
}

void ImageCanvas::Polygon(const IPoint* pts, int count) {
  if (count <= 0) return;
  MarkDrawn(pts, count, drawWidth);
  if (hasDisplay_ && !OffPicture(pts, count, drawWidth, image_.width(), image_.height()) &&
      !SmoothPolygon(pts, count)) {
    DisplayPen(static_cast<int>(drawStyle), drawWidth, Palette0());
    DisplayBrush(fillStyle == FillStyle::Solid, fillColour);
    displayPainter_->drawPolygon(AsQPoints(pts), count);
  }
  if (RasterPolygon(pts, count)) return;
  UsePen(static_cast<int>(drawStyle), drawWidth, Palette0());
  UseBrush(fillStyle == FillStyle::Solid, fillColour);
  painter_->drawPolygon(AsQPoints(pts), count);
}

void ImageCanvas::Polyline(const IPoint* pts, int count) {
  if (count <= 0) return;
  MarkDrawn(pts, count, drawWidth);
  if (hasDisplay_ && !OffPicture(pts, count, drawWidth, image_.width(), image_.height()) &&
      !SmoothPolyline(pts, count, drawStyle, Palette0())) {
    DisplayPen(static_cast<int>(drawStyle), drawWidth, Palette0());
    DisplayBrush(false, 0);
    displayPainter_->drawPolyline(AsQPoints(pts), count);
  }
  UsePen(static_cast<int>(drawStyle), drawWidth, Palette0());
  UseBrush(false, 0);
  painter_->drawPolyline(AsQPoints(pts), count);
}

void ImageCanvas::Line(int x1, int y1, int x2, int y2, Colour colour) {
  const IPoint ends[2] = {{x1, y1}, {x2, y2}};
  MarkDrawn(ends, 2, drawWidth);
  if (hasDisplay_ && !SmoothPolyline(ends, 2, DrawStyle::Solid, colour)) {
    DisplayPen(static_cast<int>(DrawStyle::Solid), drawWidth, colour);
    displayPainter_->drawLine(x1, y1, x2, y2);
  }
  UsePen(static_cast<int>(DrawStyle::Solid), drawWidth, colour);
  painter_->drawLine(x1, y1, x2, y2);
}

void ImageCanvas::Dot(int x, int y, Colour colour) {
  const IPoint at{x, y};
  MarkDrawn(&at, 1, drawWidth);
  if (hasDisplay_) {
    DisplayPen(static_cast<int>(DrawStyle::Invisible), 0, 0);
    DisplayBrush(true, colour);
    if (drawWidth <= 1) {
      // The exact pixel's square.
      displayPainter_->fillRect(QRectF(x - 0.5, y - 0.5, 1, 1), ToQColor(colour));
    } else {
      const double r = drawWidth / 2.0;
      displayPainter_->drawEllipse(QRectF(x - r, y - r, drawWidth, drawWidth));
    }
  }
  if (drawWidth <= 1) {
    EndPainter();
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
  std::vector<IPoint> spans;  // first and last pixel of each run filled
  while (!stack.empty()) {
    IPoint s = stack.back();
    stack.pop_back();
    int lx = s.x;
    if (at(lx, s.y) != target) continue;
    while (lx > 0 && at(lx - 1, s.y) == target) --lx;
    int rx = s.x;
    while (rx < w - 1 && at(rx + 1, s.y) == target) ++rx;
    for (int i = lx; i <= rx; ++i) at(i, s.y) = fill;
    MarkDrawn(QRect(lx - 1, s.y - 1, rx - lx + 3, 3));
    if (hasDisplay_) spans.push_back({lx, s.y}), spans.push_back({rx, s.y});
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
  if (hasDisplay_) MirrorFill(spans, surface, fillColour);
}

// The display picture cannot be flood filled itself: with smooth edges its
// borders are blends, and at another ratio its outlines do not fall on the
// same pixels, so a fill there would stop short or leak. Instead the exact
// fill's result is copied: each filled pixel's device pixels take the fill
// colour in proportion to how much surface colour they hold, which keeps
// the smoothed outline over it.
void ImageCanvas::MirrorFill(const std::vector<IPoint>& spans, Colour surface, Colour fill) {
  FlushDisplay();
  if (displayStale_) SyncDisplay();
  const int w = display_.width(), h = display_.height();
  const double sr = RedOf(surface), sg = GreenOf(surface), sb = BlueOf(surface);
  const double fr = RedOf(fill) - sr, fg = GreenOf(fill) - sg, fb = BlueOf(fill) - sb;
  const double ss = sr * sr + sg * sg + sb * sb;
  const QRgb fillRgb = ToQColor(fill).rgb();
  const QRgb surfaceRgb = ToQColor(surface).rgb();
  auto edge = [&](int v) { return static_cast<int>(std::lround(v * ratio_)); };
  for (size_t k = 0; k + 1 < spans.size(); k += 2) {
    const int y0 = std::max(0, edge(spans[k].y)), y1 = std::min(h, edge(spans[k].y + 1));
    const int x0 = std::max(0, edge(spans[k].x)), x1 = std::min(w, edge(spans[k + 1].x + 1));
    for (int y = y0; y < y1; ++y) {
      QRgb* row = reinterpret_cast<QRgb*>(display_.scanLine(y));
      for (int x = x0; x < x1; ++x) {
        const QRgb c = row[x];
        if ((c & 0xffffffu) == (surfaceRgb & 0xffffffu)) {
          row[x] = fillRgb;
          continue;
        }
        if (ss <= 0) continue;
        const double a = std::clamp((qRed(c) * sr + qGreen(c) * sg + qBlue(c) * sb) / ss, 0.0, 1.0);
        // Only blends of the surface with the black outline; a figure's own
        // colours stay.
        if (std::abs(qRed(c) - a * sr) + std::abs(qGreen(c) - a * sg) +
                std::abs(qBlue(c) - a * sb) >
            24)
          continue;
        auto channel = [a](int v, double d) {
          return std::clamp(static_cast<int>(std::lround(v + a * d)), 0, 255);
        };
        row[x] = qRgb(channel(qRed(c), fr), channel(qGreen(c), fg), channel(qBlue(c), fb));
      }
    }
  }
}

}  // namespace wlg
