#pragma once
// Boxes by the cells of a uniform grid they cover, for finding the few that
// lie near a point or another box among tens of thousands. Whatever lies
// beyond the grid's area falls in its border cells.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace wlg {

struct Box {
  double minX, minY, maxX, maxY;
  bool Overlaps(const Box& o) const {
    return minX < o.maxX && o.minX < maxX && minY < o.maxY && o.minY < maxY;
  }
  bool Contains(const Box& o) const {
    return minX <= o.minX && o.maxX <= maxX && minY <= o.minY && o.maxY <= maxY;
  }
};

class BoxGrid {
 public:
  // About 'cells' cells over the area, none smaller than 'least' a side.
  BoxGrid(const Box& area, double cells, double least) {
    const double w = std::max(area.maxX - area.minX, 1e-9),
                 h = std::max(area.maxY - area.minY, 1e-9);
    cell_ = std::max(least, std::sqrt(w * h / std::max(cells, 1.0)));
    x0_ = area.minX;
    y0_ = area.minY;
    cols_ = static_cast<int>(std::min(4096.0, std::ceil(w / cell_))) + 2;
    rows_ = static_cast<int>(std::min(4096.0, std::ceil(h / cell_))) + 2;
    cells_.resize(static_cast<size_t>(cols_) * rows_);
  }

  double CellSize() const { return cell_; }
  // Whether the grid is one cell over the area (beside its border cells).
  bool Whole() const { return cols_ <= 3 && rows_ <= 3; }

  // Ids added in increasing order stay sorted in every cell.
  void Add(uint32_t id, const Box& b) {
    Visit(b, [id](std::vector<uint32_t>& c) { c.push_back(id); });
  }

  // f(cell) for every cell the box covers.
  template <typename F>
  void Visit(const Box& b, F&& f) const {
    Each(*this, b, f);
  }
  template <typename F>
  void Visit(const Box& b, F&& f) {
    Each(*this, b, f);
  }

 private:
  template <typename Self, typename F>
  static void Each(Self& self, const Box& b, F& f) {
    for (int r = self.Row(b.minY); r <= self.Row(b.maxY); ++r)
      for (int c = self.Col(b.minX); c <= self.Col(b.maxX); ++c)
        f(self.cells_[static_cast<size_t>(r) * self.cols_ + c]);
  }
  int Col(double x) const {
    return static_cast<int>(std::clamp(std::floor((x - x0_) / cell_) + 1, 0.0, cols_ - 1.0));
  }
  int Row(double y) const {
    return static_cast<int>(std::clamp(std::floor((y - y0_) / cell_) + 1, 0.0, rows_ - 1.0));
  }

  double cell_ = 1, x0_ = 0, y0_ = 0;
  int cols_ = 1, rows_ = 1;
  std::vector<std::vector<uint32_t>> cells_;
};

}  // namespace wlg
