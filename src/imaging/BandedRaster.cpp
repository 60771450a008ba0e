#include "imaging/BandedRaster.h"

#include <QPainter>
#include <QPoint>
#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

#include "platform/SmoothRaster.h"

namespace wlg {

namespace {

QColor Opaque(Colour c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

// Outlines are black, as the canvas draws them.
constexpr Colour kOutline = 0;

// Canvas units to whole pixels, rounded as the canvas rounds (half to even).
int Pixel(double v, double scale) {
  const double p = std::nearbyint(v * scale);
  // Recorded coordinates are held to a million units; this keeps a huge
  // scale from overflowing as well.
  return static_cast<int>(std::clamp(p, -1e9, 1e9));
}

}  // namespace

int RasterSide(double canvasUnits, double scale) {
  return static_cast<int>(std::max(1.0, std::round(canvasUnits * scale)));
}

BandedRaster::BandedRaster(const VectorDrawing& drawing, const RasterOptions& options)
    : d_(drawing), o_(options) {
  width_ = RasterSide(d_.width, o_.scale);
  height_ = RasterSide(d_.height, o_.scale);
  top_.resize(d_.figures.size());
  bottom_.resize(d_.figures.size());
  for (size_t i = 0; i < d_.figures.size(); ++i) {
    const VectorFigure& f = d_.figures[i];
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (uint32_t k = 0; k < f.count; ++k) {
      lo = std::min(lo, d_.points[f.first + k].y);
      hi = std::max(hi, d_.points[f.first + k].y);
    }
    const int pen = o_.scaleLines ? static_cast<int>(std::ceil(f.penWidth * o_.scale)) : f.penWidth;
    const int reach = (f.stroked ? pen : 0) + 1;
    top_[i] = Pixel(lo, o_.scale) - reach;
    bottom_[i] = Pixel(hi, o_.scale) + reach;
  }
}

namespace {

// The band's pixels, rows top .. top + h - 1 of the picture. Thin lines and
// fills are set pixel by pixel from the whole figure, so where a band
// begins never changes a pixel: the bands join without seams.
struct BandPixels {
  QRgb* bits;
  qsizetype stride;
  int w, top, h;
  void Set(int x, int y, QRgb c) const {
    if (x >= 0 && x < w && y >= top && y < top + h) bits[(y - top) * stride + x] = c;
  }
};

// A 1-pixel line, both ends included, stepped as the canvas steps it; only
// the part of the line inside the band's rows is walked pixel by pixel.
void ThinLine(const BandPixels& b, QPoint p, QPoint q, QRgb c) {
  if (std::max(p.y(), q.y()) < b.top || std::min(p.y(), q.y()) >= b.top + b.h) return;
  if (std::max(p.x(), q.x()) < 0 || std::min(p.x(), q.x()) >= b.w) return;
  const long long dx = std::llabs(q.x() - p.x()), dy = -std::llabs(q.y() - p.y());
  const int sx = p.x() < q.x() ? 1 : -1, sy = p.y() < q.y() ? 1 : -1;
  long long err = dx + dy;
  int x = p.x(), y = p.y();
  for (;;) {
    b.Set(x, y, c);
    if (x == q.x() && y == q.y()) break;
    // Past the band, going away from it: nothing more to set.
    if ((sy > 0 && y >= b.top + b.h) || (sy < 0 && y < b.top)) break;
    const long long e2 = 2 * err;
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

// Even-odd fill of the pixels whose corners lie inside, row by row, as the
// canvas fills.
void Fill(const BandPixels& b, const std::vector<QPoint>& pts, int minY, int maxY, QRgb c,
          std::vector<double>& crossings) {
  const int n = static_cast<int>(pts.size());
  crossings.resize(pts.size());
  const int first = std::max(minY, b.top), last = std::min(maxY, b.top + b.h - 1);
  for (int y = first; y <= last; ++y) {
    int m = 0;
    for (int i = 0; i < n; ++i) {
      const QPoint& a = pts[i];
      const QPoint& e = pts[i + 1 == n ? 0 : i + 1];
      if ((a.y() <= y && y < e.y()) || (e.y() <= y && y < a.y())) {
        const double t = double(y - a.y()) / (e.y() - a.y());
        const double x = a.x() + t * (e.x() - a.x());
        int k = m++;
        for (; k > 0 && crossings[k - 1] > x; --k) crossings[k] = crossings[k - 1];
        crossings[k] = x;
      }
    }
    QRgb* row = b.bits + (y - b.top) * b.stride;
    for (int k = 0; k + 1 < m; k += 2) {
      const double l = std::clamp(std::ceil(crossings[k]), 0.0, double(b.w));
      const double r = std::clamp(std::ceil(crossings[k + 1]), 0.0, double(b.w));
      if (l < r) std::fill(row + static_cast<int>(l), row + static_cast<int>(r), c);
    }
  }
}

}  // namespace

void BandedRaster::RenderBand(int top, QImage& band) const {
  band.fill(o_.transparent ? QColor(Qt::transparent) : Opaque(d_.background));
  if (o_.antialias) return RenderSmoothBand(top, band);
  const BandPixels pixels{reinterpret_cast<QRgb*>(band.bits()),
                          band.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb)), band.width(),
                          top, band.height()};
  // Wide pens go through QPainter, opened on the first one.
  std::optional<QPainter> painter;
  int penNow = -1;
  const QRgb outline = Opaque(kOutline).rgba();
  const int bottom = top + band.height() - 1;
  std::vector<QPoint> pts;
  std::vector<double> crossings;
  for (size_t i = 0; i < d_.figures.size(); ++i) {
    if (bottom_[i] < top || top_[i] > bottom) continue;
    const VectorFigure& f = d_.figures[i];
    if (!f.stroked && !f.filled) continue;
    pts.resize(f.count);
    int minY = INT_MAX, maxY = INT_MIN;
    for (uint32_t k = 0; k < f.count; ++k) {
      const DPoint p = d_.points[f.first + k];
      pts[k] = QPoint(Pixel(p.x, o_.scale), Pixel(p.y, o_.scale));
      minY = std::min(minY, pts[k].y());
      maxY = std::max(maxY, pts[k].y());
    }
    if (f.filled) Fill(pixels, pts, minY, maxY, Opaque(f.fill).rgba(), crossings);
    if (!f.stroked) continue;
    const int width = o_.scaleLines
                          ? std::max(1, static_cast<int>(std::lround(f.penWidth * o_.scale)))
                          : f.penWidth;
    if (width <= 1) {
      const int n = static_cast<int>(pts.size());
      for (int k = 0; k + (f.closed ? 0 : 1) < n; ++k)
        ThinLine(pixels, pts[k], pts[k + 1 == n ? 0 : k + 1], outline);
      continue;
    }
    if (!painter) {
      painter.emplace(&band);
      painter->setRenderHint(QPainter::Antialiasing, false);
      painter->translate(0, -top);
      painter->setBrush(Qt::NoBrush);
    }
    if (penNow != width) {
      QPen pen(Opaque(kOutline));
      pen.setWidth(width);
      pen.setCapStyle(Qt::RoundCap);
      pen.setJoinStyle(Qt::RoundJoin);
      painter->setPen(pen);
      penNow = width;
    }
    if (f.closed)
      painter->drawPolygon(pts.data(), static_cast<int>(pts.size()));
    else
      painter->drawPolyline(pts.data(), static_cast<int>(pts.size()));
  }
}

// Smooth edges: every figure by our own coverage rasteriser at its exact
// points (pixel centres, as the window's smooth picture places figures),
// or through an antialiasing painter when its points lie beyond that
// rasteriser's reach. The band is only a whole-pixel shift of the picture,
// so each pixel is covered the same whichever band holds it.
void BandedRaster::RenderSmoothBand(int top, QImage& band) const {
  const PixelRows px{reinterpret_cast<uint32_t*>(band.bits()),
                     band.bytesPerLine() / static_cast<qsizetype>(sizeof(uint32_t)), band.width(),
                     band.height()};
  SmoothRaster raster;
  std::optional<QPainter> painter;
  const int bottom = top + band.height() - 1;
  const uint32_t black = Opaque(kOutline).rgba();
  std::vector<DPoint> pts;
  std::vector<QPointF> far;
  for (size_t i = 0; i < d_.figures.size(); ++i) {
    if (bottom_[i] < top || top_[i] > bottom) continue;
    const VectorFigure& f = d_.figures[i];
    if (!f.stroked && !f.filled) continue;
    pts.resize(f.count);
    for (uint32_t k = 0; k < f.count; ++k) {
      const DPoint p = d_.points[f.first + k];
      pts[k] = {p.x * o_.scale + 0.5, p.y * o_.scale + 0.5 - top};
    }
    const int n = static_cast<int>(pts.size());
    // A pen is at least a pixel wide, as the canvas draws it.
    const double pen =
        f.stroked ? std::max(1.0, o_.scaleLines ? f.penWidth * o_.scale : f.penWidth) : 0.0;
    const uint32_t fill = Opaque(f.fill).rgba();
    // A closed figure is filled and outlined in one go.
    const bool drawn =
        f.filled ? raster.Figure(px, pts.data(), n, true, true, true, fill, f.closed ? pen : 0,
                                 false, black) &&
                       (f.closed || !f.stroked ||
                        raster.Figure(px, pts.data(), n, false, true, false, 0, pen, false, black))
                 : raster.Figure(px, pts.data(), n, f.closed, true, false, 0, pen, false, black);
    if (drawn) continue;
    if (!painter) {
      painter.emplace(&band);
      painter->setRenderHint(QPainter::Antialiasing, true);
      painter->translate(0.5, 0.5 - top);
    }
    far.resize(f.count);
    for (uint32_t k = 0; k < f.count; ++k)
      far[k] = QPointF(d_.points[f.first + k].x * o_.scale, d_.points[f.first + k].y * o_.scale);
    QPen outline(Opaque(kOutline));
    outline.setCapStyle(Qt::RoundCap);
    outline.setJoinStyle(Qt::RoundJoin);
    outline.setWidthF(pen);
    painter->setPen(f.stroked && (f.closed || !f.filled) ? outline : QPen(Qt::NoPen));
    painter->setBrush(f.filled ? QBrush(Opaque(f.fill)) : QBrush(Qt::NoBrush));
    if (f.closed || f.filled) painter->drawPolygon(far.data(), n, Qt::OddEvenFill);
    if (!f.closed && f.stroked) {
      painter->setPen(outline);
      painter->setBrush(Qt::NoBrush);
      painter->drawPolyline(far.data(), n);
    }
  }
}

QImage BandedRaster::Render() const {
  QImage picture(width_, height_, kFormat);
  if (!picture.isNull()) RenderBand(0, picture);
  return picture;
}

}  // namespace wlg
