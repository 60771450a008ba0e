#pragma once
// The drawing surface every renderer draws through. It keeps GDI-style state
// between calls (pen width and style, fill style and colour, back colour);
// outlines are always black.

#include <cstddef>
#include <vector>

#include "platform/Colour.h"

namespace wlg {

struct IPoint {
  int x = 0;
  int y = 0;
  bool operator==(const IPoint&) const = default;
};

// The smallest box holding 'count' (at least one) points.
struct IBounds {
  int minX, maxX, minY, maxY;
};
inline IBounds BoundsOf(const IPoint* pts, int count) {
  IBounds b{pts[0].x, pts[0].x, pts[0].y, pts[0].y};
  for (int i = 1; i < count; ++i) {
    b.minX = pts[i].x < b.minX ? pts[i].x : b.minX;
    b.maxX = pts[i].x > b.maxX ? pts[i].x : b.maxX;
    b.minY = pts[i].y < b.minY ? pts[i].y : b.minY;
    b.maxY = pts[i].y > b.maxY ? pts[i].y : b.maxY;
  }
  return b;
}

// Whether p lies inside the polygon q[0..n), by the even-odd rule the
// canvas fills with. For any point type with x and y.
template <class Point>
bool InsideEvenOdd(Point p, const Point* q, size_t n) {
  bool in = false;
  for (size_t k = 0, m = n - 1; k < n; m = k++)
    if ((q[k].y > p.y) != (q[m].y > p.y) &&
        p.x < (q[m].x - q[k].x) * (p.y - q[k].y) / (q[m].y - q[k].y) + q[k].x)
      in = !in;
  return in;
}

// A point in canvas units before rounding to whole pixels: what vector
// files are written from.
struct DPoint {
  double x = 0;
  double y = 0;
  bool operator==(const DPoint&) const = default;
};

enum class DrawStyle { Solid = 0, Dot = 2, Invisible = 5 };
enum class FillStyle { Solid = 0, Transparent = 1 };

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // Fills the whole surface with the back colour.
  virtual void Clear() = 0;
  // Closed outline with the current pen, filled with the current brush.
  virtual void Polygon(const IPoint* pts, int count) = 0;
  // Open outline with the current pen, never filled.
  virtual void Polyline(const IPoint* pts, int count) = 0;
  virtual void Line(int x1, int y1, int x2, int y2, Colour colour) = 0;
  // A dot of the current draw width.
  virtual void Dot(int x, int y, Colour colour) = 0;
  virtual Colour PointColour(int x, int y) const = 0;
  // Fills the connected area of 'surface' colour around (x, y) with the fill colour.
  virtual void FloodFillSurface(int x, int y, Colour surface) = 0;

  int drawWidth = 1;
  DrawStyle drawStyle = DrawStyle::Solid;
  FillStyle fillStyle = FillStyle::Transparent;
  Colour fillColour = 0;
  Colour backColour = Rgb(255, 255, 255);

  void Polygon(const std::vector<IPoint>& pts) {
    Polygon(pts.data(), static_cast<int>(pts.size()));
  }
  void Polyline(const std::vector<IPoint>& pts) {
    Polyline(pts.data(), static_cast<int>(pts.size()));
  }
};

}  // namespace wlg
