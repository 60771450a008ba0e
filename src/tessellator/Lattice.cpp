#include "tessellator/Lattice.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace wlg {

namespace {

Translation Minus(Translation p, Translation q) { return {p.x - q.x, p.y - q.y}; }
double Length(Translation t) { return std::hypot(t.x, t.y); }
double Cross(Translation p, Translation q) { return p.x * q.y - p.y * q.x; }
double Dot(Translation p, Translation q) { return p.x * q.x + p.y * q.y; }
Translation At(const TessItem& it) { return {it.X, it.Y}; }

bool Placed(const TessItem& it) { return it.X != 0 && it.Shape >= 1 && it.Shape <= TileCount; }

// Lattice coordinates of d in the basis.
void Solve(const LatticeBasis& L, Translation d, double& u, double& v) {
  const double det = Cross(L.a, L.b);
  u = Cross(d, L.b) / det;
  v = Cross(L.a, d) / det;
}

// What is left of d after the nearest lattice vector is taken off.
double Residual(const LatticeBasis& L, Translation d) {
  double u = 0, v = 0;
  Solve(L, d, u, v);
  const double ru = std::round(u), rv = std::round(v);
  return Length({d.x - ru * L.a.x - rv * L.b.x, d.y - ru * L.a.y - rv * L.b.y});
}

// Gauss's reduction: the shortest basis of the same lattice.
LatticeBasis Reduced(LatticeBasis L) {
  for (int round = 0; round < 64; ++round) {
    if (Dot(L.b, L.b) < Dot(L.a, L.a)) std::swap(L.a, L.b);
    const double k = std::round(Dot(L.a, L.b) / Dot(L.a, L.a));
    if (k == 0) break;
    L.b = {L.b.x - k * L.a.x, L.b.y - k * L.a.y};
  }
  if (Dot(L.b, L.b) < Dot(L.a, L.a)) std::swap(L.a, L.b);
  return L;
}

bool TouchesRect(const std::vector<Translation>& outline, Translation at, const FillRect& r) {
  auto inside = [&](double x, double y) {
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
  };
  if (outline.empty()) return inside(at.x, at.y);
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (const Translation& p : outline) {
    const double x = at.x + p.x, y = at.y + p.y;
    if (inside(x, y)) return true;
    x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
  }
  if (x1 < r.left || x0 > r.right || y1 < r.top || y0 > r.bottom) return false;
  // No corner of the polygon in the rectangle: they touch when a corner of
  // the rectangle is in the polygon or an edge crosses one of its sides.
  const size_t n = outline.size();
  auto corner = [&](double cx, double cy) {
    bool in = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
      const double xi = at.x + outline[i].x, yi = at.y + outline[i].y;
      const double xj = at.x + outline[j].x, yj = at.y + outline[j].y;
      if ((yi > cy) != (yj > cy) && cx < (xj - xi) * (cy - yi) / (yj - yi) + xi) in = !in;
    }
    return in;
  };
  if (corner(r.left, r.top) || corner(r.right, r.top) || corner(r.left, r.bottom) ||
      corner(r.right, r.bottom))
    return true;
  auto crosses = [](Translation p, Translation q, Translation s, Translation t) {
    const double d1 = Cross(Minus(q, p), Minus(s, p)), d2 = Cross(Minus(q, p), Minus(t, p));
    const double d3 = Cross(Minus(t, s), Minus(p, s)), d4 = Cross(Minus(t, s), Minus(q, s));
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0));
  };
  const Translation c[4] = {
      {r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    const Translation p{at.x + outline[j].x, at.y + outline[j].y};
    const Translation q{at.x + outline[i].x, at.y + outline[i].y};
    for (int k = 0; k < 4; ++k)
      if (crosses(p, q, c[k], c[(k + 1) % 4])) return true;
  }
  return false;
}

// Placed tiles by grid cell, to find one of a kind at a place quickly.
class PlaceIndex {
 public:
  PlaceIndex(const TessState& tess, double tolerance)
      : tess_(tess), cell_(std::max(tolerance, 1.0)), tolerance_(tolerance) {
    for (int i = 1; i <= tess.TessCount && i < TessCapacity; ++i)
      if (Placed(tess.TessItems[i]))
        cells_.emplace(Key(tess.TessItems[i].X, tess.TessItems[i].Y), i);
  }
  bool Holds(const TessItem& kind, Translation at) const {
    const int64_t cx = Cell(at.x), cy = Cell(at.y);
    for (int64_t dx = -1; dx <= 1; ++dx)
      for (int64_t dy = -1; dy <= 1; ++dy) {
        const auto range = cells_.equal_range(Pack(cx + dx, cy + dy));
        for (auto it = range.first; it != range.second; ++it) {
          const TessItem& t = tess_.TessItems[it->second];
          if (SameKind(t, kind) && Length(Minus(At(t), at)) <= tolerance_) return true;
        }
      }
    return false;
  }

 private:
  static int64_t Pack(int64_t x, int64_t y) { return x * 4000037 + y; }
  // A file may place a tile as far out as a float goes: its cell is held
  // within 2^31 cells (those far ones share the border cells), so that
  // neither the conversion nor Pack overflows.
  int64_t Cell(double v) const {
    constexpr double kMost = 2147483648.0;
    const double c = std::floor(v / cell_);
    return static_cast<int64_t>(c > -kMost ? (c < kMost ? c : kMost) : -kMost);
  }
  int64_t Key(double x, double y) const { return Pack(Cell(x), Cell(y)); }
  const TessState& tess_;
  double cell_, tolerance_;
  std::unordered_multimap<int64_t, int> cells_;
};

}  // namespace

bool SameKind(const TessItem& a, const TessItem& b) {
  if (a.Shape != b.Shape || a.Mirror != b.Mirror) return false;
  if (std::fabs(a.Scale - b.Scale) > 1e-4 * std::max(std::fabs(a.Scale), 1.0f)) return false;
  const double turn = std::remainder(static_cast<double>(a.Angle) - b.Angle, 360.0);
  return std::fabs(turn) <= 1e-3;
}

bool UsableBasis(const LatticeBasis& L, double tolerance) {
  const double la = Length(L.a), lb = Length(L.b);
  if (!std::isfinite(la) || !std::isfinite(lb) || la < tolerance || lb < tolerance) return false;
  // The second must leave the first's line by more than the tolerance.
  return std::fabs(Cross(L.a, L.b)) > tolerance * std::max(la, lb);
}

std::optional<LatticeBasis> FindLattice(const TessState& tess, double tolerance) {
  // Tiles of each kind; the first few hundred of a kind show its repeats.
  constexpr size_t kMembers = 256;
  std::vector<std::vector<int>> kinds;
  for (int i = 1; i <= tess.TessCount && i < TessCapacity; ++i) {
    const TessItem& it = tess.TessItems[i];
    if (!Placed(it)) continue;
    auto k = std::find_if(kinds.begin(), kinds.end(), [&](const std::vector<int>& g) {
      return SameKind(tess.TessItems[g[0]], it);
    });
    if (k == kinds.end())
      kinds.push_back({i});
    else if (k->size() < kMembers)
      k->push_back(i);
  }
  std::vector<Translation> moves;
  for (const std::vector<int>& g : kinds)
    for (size_t i = 0; i < g.size(); ++i)
      for (size_t j = i + 1; j < g.size(); ++j) {
        Translation d = Minus(At(tess.TessItems[g[j]]), At(tess.TessItems[g[i]]));
        if (Length(d) < tolerance) continue;  // the same place twice
        if (d.x < 0 || (d.x == 0 && d.y < 0)) d = {-d.x, -d.y};
        moves.push_back(d);
      }
  std::sort(moves.begin(), moves.end(),
            [](Translation p, Translation q) { return Dot(p, p) < Dot(q, q); });
  if (moves.empty()) return std::nullopt;
  const Translation a = moves.front();
  for (const Translation& b : moves) {
    LatticeBasis L{a, b};
    if (UsableBasis(L, tolerance)) return Reduced(L);
  }
  return std::nullopt;
}

FillOutcome FillByLattice(TessState& tess, ColourOverrides& overrides, const TileOutlines& outlines,
                          const LatticeBasis& basis, const FillRect& area, double tolerance) {
  FillOutcome out;
  if (!UsableBasis(basis, tolerance)) return out;

  // Items that carry recoloured polygons: a class copies one of them, so a
  // recoloured motif fills recoloured.
  std::vector<char> recoloured(static_cast<size_t>(TessCapacity), 0);
  for (int o = 0; o < overrides.OverrideCount && o < OverrideCapacity; ++o) {
    const float item = overrides.entries[o].item;
    if (item >= 1 && item < static_cast<float>(TessCapacity) && item == std::floor(item))
      recoloured[static_cast<size_t>(item)] = 1;
  }
  // The motif: one tile of each class of tiles equal up to a lattice move.
  std::vector<int> motif;
  for (int i = 1; i <= tess.TessCount && i < TessCapacity; ++i) {
    const TessItem& it = tess.TessItems[i];
    if (!Placed(it)) continue;
    auto same = std::find_if(motif.begin(), motif.end(), [&](int m) {
      const TessItem& r = tess.TessItems[m];
      return SameKind(r, it) && Residual(basis, Minus(At(it), At(r))) <= tolerance;
    });
    if (same == motif.end())
      motif.push_back(i);
    else if (recoloured[static_cast<size_t>(i)] && !recoloured[static_cast<size_t>(*same)])
      *same = i;
  }

  struct Copy {
    int from;
    Translation at;
  };
  std::vector<Copy> copies;
  const PlaceIndex placed(tess, tolerance);
  const int room = MaxTessItems - tess.TessCount;
  for (const int m : motif) {
    const TessItem& r = tess.TessItems[m];
    static const std::vector<Translation> none;
    const std::vector<Translation>& outline =
        static_cast<size_t>(m) < outlines.size() ? outlines[m] : none;
    double bx0 = 0, by0 = 0, bx1 = 0, by1 = 0;
    for (const Translation& p : outline)
      bx0 = std::min(bx0, p.x), by0 = std::min(by0, p.y), bx1 = std::max(bx1, p.x),
      by1 = std::max(by1, p.y);
    // Where the tile's position may be for its polygon to reach the area,
    // in lattice steps from where it is.
    const Translation corners[4] = {{area.left - bx1, area.top - by1},
                                    {area.right - bx0, area.top - by1},
                                    {area.left - bx1, area.bottom - by0},
                                    {area.right - bx0, area.bottom - by0}};
    double u0 = 1e300, u1 = -1e300, v0 = 1e300, v1 = -1e300;
    for (const Translation& c : corners) {
      double u = 0, v = 0;
      Solve(basis, Minus(c, At(r)), u, v);
      u0 = std::min(u0, u), u1 = std::max(u1, u), v0 = std::min(v0, v), v1 = std::max(v1, v);
    }
    const double nu = std::floor(u1) - std::ceil(u0) + 1, nv = std::floor(v1) - std::ceil(v0) + 1;
    const double steps = nu * nv;
    if (!std::isfinite(steps) || steps > 64.0 * TessCapacity) {
      out.tooManyTiles = true;
      return out;
    }
    if (nu < 1 || nv < 1) continue;
    // Counted in integers: a tile placed far out has lattice steps where a
    // double no longer changes by one.
    for (int64_t a = 0; a < static_cast<int64_t>(nu); ++a)
      for (int64_t b = 0; b < static_cast<int64_t>(nv); ++b) {
        const double i = std::ceil(u0) + static_cast<double>(a),
                     j = std::ceil(v0) + static_cast<double>(b);
        const Translation at{r.X + i * basis.a.x + j * basis.b.x,
                             r.Y + i * basis.a.y + j * basis.b.y};
        if (!TouchesRect(outline, at, area) || placed.Holds(r, at)) continue;
        copies.push_back({m, at});
        if (static_cast<int>(copies.size()) > room) {
          out.tooManyTiles = true;
          return out;
        }
      }
  }

  // The overrides each copy repeats, in their order.
  std::unordered_map<int, std::vector<int>> entriesOf;
  for (int o = 0; o < overrides.OverrideCount && o < OverrideCapacity; ++o) {
    const float item = overrides.entries[o].item;
    if (item >= 1 && item < static_cast<float>(TessCapacity) &&
        recoloured[static_cast<size_t>(item)])
      entriesOf[static_cast<int>(item)].push_back(o);
  }
  int64_t newEntries = 0;
  for (const Copy& c : copies) {
    const auto e = entriesOf.find(c.from);
    if (e != entriesOf.end()) newEntries += static_cast<int64_t>(e->second.size());
  }
  if (overrides.OverrideCount + newEntries > OverrideCapacity) {
    out.tooManyOverrides = true;
    return out;
  }

  for (const Copy& c : copies) {
    const TessItem& r = tess.TessItems[c.from];
    TessItem it = r;
    // X == 0 marks an empty slot; a thousandth of a pixel is not seen.
    it.X = static_cast<float>(c.at.x) == 0 ? 0.001f : static_cast<float>(c.at.x);
    it.Y = static_cast<float>(c.at.y);
    it.Selected = false;
    // The outline moves along, so snapping onto the copy works before the
    // next redraw lays it out again.
    for (int k = 0; k < OutlineCapacity; ++k) {
      it.OutlineX[k] += it.X - r.X;
      it.OutlineY[k] += it.Y - r.Y;
    }
    const int n = ++tess.TessCount;
    tess.TessItems[n] = it;
    ++out.placed;
    const auto e = entriesOf.find(c.from);
    if (e == entriesOf.end()) continue;
    for (const int o : e->second) {
      ColourOverride copy = overrides.entries[o];
      copy.item = static_cast<float>(n);
      overrides.entries[overrides.OverrideCount++] = copy;
      ++out.recoloured;
    }
  }
  return out;
}

}  // namespace wlg
