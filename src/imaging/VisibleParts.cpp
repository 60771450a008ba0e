#include "imaging/VisibleParts.h"

#include <clipper.hpp>

#include <algorithm>
#include <cmath>

namespace wlg {

namespace {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

// Clipping works in integers: a thousandth of a canvas unit.
constexpr double kUnits = 1000;

struct Box {
  double minX, minY, maxX, maxY;
  bool Overlaps(const Box& o) const {
    return minX < o.maxX && o.minX < maxX && minY < o.maxY && o.minY < maxY;
  }
};

Box BoxOf(const VectorDrawing& d, const VectorFigure& f) {
  Box b{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (uint32_t i = 0; i < f.count; ++i) {
    const DPoint p = d.points[f.first + i];
    b.minX = std::min(b.minX, p.x);
    b.maxX = std::max(b.maxX, p.x);
    b.minY = std::min(b.minY, p.y);
    b.maxY = std::max(b.maxY, p.y);
  }
  return b;
}

Path ToPath(const VectorDrawing& d, const VectorFigure& f, bool closeRing) {
  Path p;
  p.reserve(f.count + 1);
  for (uint32_t i = 0; i < f.count; ++i) {
    const DPoint q = d.points[f.first + i];
    p.push_back({static_cast<cInt>(std::llround(q.x * kUnits)),
                 static_cast<cInt>(std::llround(q.y * kUnits))});
  }
  if (closeRing) p.push_back(p.front());
  return p;
}

std::vector<std::vector<DPoint>> FromPaths(const Paths& paths) {
  std::vector<std::vector<DPoint>> out;
  out.reserve(paths.size());
  for (const Path& p : paths) {
    std::vector<DPoint> ring;
    ring.reserve(p.size());
    for (const IntPoint& q : p) ring.push_back({q.X / kUnits, q.Y / kUnits});
    out.push_back(std::move(ring));
  }
  return out;
}

// Filled figures by the grid cells their boxes touch.
class FillGrid {
 public:
  FillGrid(const VectorDrawing& d, const std::vector<Box>& boxes) : boxes_(boxes) {
    cell_ = std::max(8.0, std::sqrt(std::max(d.width * d.height, 1.0) / 4096));
    cols_ = static_cast<int>(std::ceil(std::max(d.width, 1.0) / cell_)) + 2;
    rows_ = static_cast<int>(std::ceil(std::max(d.height, 1.0) / cell_)) + 2;
    cells_.resize(static_cast<size_t>(cols_) * rows_);
    for (uint32_t i = 0; i < d.figures.size(); ++i)
      if (d.figures[i].filled) Visit(boxes[i], [&](std::vector<uint32_t>& c) { c.push_back(i); });
    seen_.assign(d.figures.size(), 0);
  }

  // Filled figures after 'i' whose boxes overlap its box, in order.
  void Later(uint32_t i, std::vector<uint32_t>& out) {
    out.clear();
    ++stamp_;
    Visit(boxes_[i], [&](std::vector<uint32_t>& c) {
      for (auto it = std::upper_bound(c.begin(), c.end(), i); it != c.end(); ++it)
        if (seen_[*it] != stamp_) {
          seen_[*it] = stamp_;
          if (boxes_[*it].Overlaps(boxes_[i])) out.push_back(*it);
        }
    });
    std::sort(out.begin(), out.end());
  }

 private:
  template <typename F>
  void Visit(const Box& b, F&& f) {
    auto col = [&](double x) {
      return std::clamp(static_cast<int>(std::floor(x / cell_)) + 1, 0, cols_ - 1);
    };
    auto row = [&](double y) {
      return std::clamp(static_cast<int>(std::floor(y / cell_)) + 1, 0, rows_ - 1);
    };
    for (int r = row(b.minY); r <= row(b.maxY); ++r)
      for (int c = col(b.minX); c <= col(b.maxX); ++c) f(cells_[static_cast<size_t>(r) * cols_ + c]);
  }

  const std::vector<Box>& boxes_;
  double cell_ = 8;
  int cols_ = 1, rows_ = 1;
  std::vector<std::vector<uint32_t>> cells_;
  std::vector<uint32_t> seen_;
  uint32_t stamp_ = 0;
};

}  // namespace

std::vector<VisibleFigure> VisibleParts(const VectorDrawing& d) {
  const size_t n = d.figures.size();
  std::vector<VisibleFigure> out(n);
  std::vector<Box> boxes(n);
  for (size_t i = 0; i < n; ++i) boxes[i] = BoxOf(d, d.figures[i]);
  FillGrid grid(d, boxes);
  std::vector<uint32_t> later;
  for (uint32_t i = 0; i < n; ++i) {
    const VectorFigure& f = d.figures[i];
    grid.Later(i, later);
    if (later.empty()) continue;

    if (f.filled) {
      Paths over;
      for (uint32_t j : later)
        if (d.figures[j].fill != f.fill) over.push_back(ToPath(d, d.figures[j], false));
      if (!over.empty()) {
        ClipperLib::Clipper c;
        c.AddPath(ToPath(d, f, false), ClipperLib::ptSubject, true);
        c.AddPaths(over, ClipperLib::ptClip, true);
        Paths shown;
        c.Execute(ClipperLib::ctDifference, shown, ClipperLib::pftEvenOdd,
                  ClipperLib::pftNonZero);
        out[i].fillWhole = false;
        out[i].fillRings = FromPaths(shown);
      }
    }
    if (f.stroked) {
      Paths over;
      for (uint32_t j : later) over.push_back(ToPath(d, d.figures[j], false));
      ClipperLib::Clipper c;
      c.AddPath(ToPath(d, f, f.closed), ClipperLib::ptSubject, false);
      c.AddPaths(over, ClipperLib::ptClip, true);
      ClipperLib::PolyTree tree;
      c.Execute(ClipperLib::ctDifference, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
      Paths pieces;
      ClipperLib::OpenPathsFromPolyTree(tree, pieces);
      out[i].outlineWhole = false;
      out[i].outlinePieces = FromPaths(pieces);
    }
  }
  return out;
}

}  // namespace wlg
