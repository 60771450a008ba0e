#include "imaging/VisibleParts.h"

#include <algorithm>
#include <clipper.hpp>
#include <cmath>
#include <mutex>
#include <unordered_map>

#include "imaging/BoxGrid.h"
#include "platform/InParts.h"

namespace wlg {

namespace {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

// Clipping works in integers: a thousandth of a canvas unit.
constexpr double kUnits = 1000;

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

void ToPath(const VectorDrawing& d, const VectorFigure& f, Path& p) {
  p.clear();
  for (uint32_t i = 0; i < f.count; ++i) {
    const DPoint q = d.points[f.first + i];
    p.push_back({static_cast<cInt>(std::llround(q.x * kUnits)),
                 static_cast<cInt>(std::llround(q.y * kUnits))});
  }
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

// The paths' bounding box, in canvas units.
Box BoxOf(const Paths& paths) {
  Box b{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (const Path& p : paths)
    for (const IntPoint& q : p) {
      b.minX = std::min(b.minX, q.X / kUnits);
      b.maxX = std::max(b.maxX, q.X / kUnits);
      b.minY = std::min(b.minY, q.Y / kUnits);
      b.maxY = std::max(b.maxY, q.Y / kUnits);
    }
  return b;
}

// How what is left of a fill lies against a later figure g, found without
// Clipper where the answer is plain: apart, wholly under g, or anything
// else (edges that cross or touch, g over a hole or inside).
enum class Relation { Apart, Under, Other };

bool SegmentsMeet(DPoint a, DPoint b, DPoint c, DPoint e) {
  auto side = [](DPoint p, DPoint q, DPoint r) {
    return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
  };
  const double d1 = side(c, e, a), d2 = side(c, e, b), d3 = side(a, b, c), d4 = side(a, b, e);
  return (d1 <= 0 || d2 <= 0) && (d1 >= 0 || d2 >= 0) && (d3 <= 0 || d4 <= 0) &&
         (d3 >= 0 || d4 >= 0);
}

Relation RelationTo(const std::vector<std::vector<DPoint>>& shown, const VectorDrawing& d,
                    const VectorFigure& g, const Box& gb) {
  const DPoint* q = &d.points[g.first];
  int under = 0, rings = 0;
  for (const std::vector<DPoint>& ring : shown) {
    if (ring.empty()) continue;
    for (size_t i = 0; i < ring.size(); ++i) {
      const DPoint a = ring[i], b = ring[(i + 1) % ring.size()];
      // An edge beside g's box meets none of g's edges.
      if (std::max(a.x, b.x) < gb.minX || std::min(a.x, b.x) > gb.maxX ||
          std::max(a.y, b.y) < gb.minY || std::min(a.y, b.y) > gb.maxY)
        continue;
      for (uint32_t k = 0, m = g.count - 1; k < g.count; m = k++)
        if (SegmentsMeet(a, b, q[m], q[k])) return Relation::Other;
    }
    ++rings;
    under += InsideEvenOdd(ring[0], q, g.count);
  }
  if (under != 0 && under != rings) return Relation::Other;
  // No edges meet: g lies inside what is left (a hole to cut) or apart.
  for (const std::vector<DPoint>& ring : shown)
    if (ring.size() >= 3 && InsideEvenOdd(q[0], ring.data(), ring.size())) return Relation::Other;
  return under == rings && rings > 0 ? Relation::Under : Relation::Apart;
}

// The parameters (0..1) along a -> b (whose box is 'sb') where it crosses
// the edges of figure g, and whether a lies inside g (even-odd).
bool Crossings(const VectorDrawing& d, const VectorFigure& g, DPoint a, DPoint b, const Box& sb,
               std::vector<double>& ts) {
  const DPoint* q = &d.points[g.first];
  const double ex = b.x - a.x, ey = b.y - a.y;
  bool inside = false;
  for (uint32_t k = 0, m = g.count - 1; k < g.count; m = k++) {
    const DPoint p0 = q[m], p1 = q[k];
    if ((p1.y > a.y) != (p0.y > a.y) && a.x < (p0.x - p1.x) * (a.y - p1.y) / (p0.y - p1.y) + p1.x)
      inside = !inside;
    // Most edges lie wholly beside the segment.
    if (std::max(p0.x, p1.x) < sb.minX || std::min(p0.x, p1.x) > sb.maxX ||
        std::max(p0.y, p1.y) < sb.minY || std::min(p0.y, p1.y) > sb.maxY)
      continue;
    const double fx = p1.x - p0.x, fy = p1.y - p0.y;
    const double den = ex * fy - ey * fx;
    if (den == 0) continue;  // parallel: touching along an edge hides nothing
    const double t = ((p0.x - a.x) * fy - (p0.y - a.y) * fx) / den;
    const double u = ((p0.x - a.x) * ey - (p0.y - a.y) * ex) / den;
    if (t > 0 && t < 1 && u >= 0 && u < 1) ts.push_back(t);
  }
  return inside;
}

// The stretches (0..1) of the segment a -> b that the chosen later fills
// cover, added to 'hidden'; true when one of them covers it whole, and
// 'hidden' is then that alone.
template <typename Chosen>
bool SegmentHidden(const VectorDrawing& d, DPoint a, DPoint b, const std::vector<uint32_t>& later,
                   const std::vector<Box>& boxes, Chosen&& chosen,
                   std::vector<std::pair<double, double>>& hidden, std::vector<double>& ts) {
  const Box sb{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
  for (uint32_t j : later) {
    const Box& gb = boxes[j];
    if (!(sb.minX <= gb.maxX && gb.minX <= sb.maxX && sb.minY <= gb.maxY && gb.minY <= sb.maxY) ||
        !chosen(j))
      continue;
    ts.clear();
    bool inside = Crossings(d, d.figures[j], a, b, sb, ts);
    if (inside && ts.empty()) {  // wholly under this one: nothing more to learn
      hidden.assign(1, {0.0, 1.0});
      return true;
    }
    std::sort(ts.begin(), ts.end());
    double from = 0;
    for (double t : ts) {
      if (inside) hidden.push_back({from, t});
      inside = !inside;
      from = t;
    }
    if (inside) hidden.push_back({from, 1});
  }
  return false;
}

// The outline less the fills that hide it: each segment keeps the
// stretches outside all of its 'hidden' ones.
void OutlinePieces(const VectorDrawing& d, const VectorFigure& f,
                   std::vector<std::vector<std::pair<double, double>>>& hiddenBySegment,
                   VisibleFigure& out) {
  const DPoint* p = &d.points[f.first];
  std::vector<DPoint> piece;
  bool cut = false;
  auto flush = [&] {
    if (piece.size() >= 2) out.outlinePieces.push_back(piece);
    piece.clear();
  };
  for (uint32_t s = 0; s < hiddenBySegment.size(); ++s) {
    const DPoint a = p[s], b = p[(s + 1) % f.count];
    std::vector<std::pair<double, double>>& hidden = hiddenBySegment[s];
    if (hidden.empty()) {
      if (piece.empty()) piece.push_back(a);
      piece.push_back(b);
      continue;
    }
    cut = true;
    std::sort(hidden.begin(), hidden.end());
    auto at = [&](double t) { return DPoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; };
    double shownFrom = 0;
    for (auto [h0, h1] : hidden) {
      if (h0 > shownFrom) {
        if (piece.empty() || shownFrom > 0) {
          flush();
          piece.push_back(at(shownFrom));
        }
        piece.push_back(at(h0));
        flush();
      } else if (shownFrom == 0) {
        flush();
      }
      shownFrom = std::max(shownFrom, h1);
    }
    if (shownFrom < 1) {
      flush();
      piece.push_back(at(shownFrom));
      piece.push_back(b);
    }
  }
  flush();
  out.outlineWhole = !cut;
  if (!cut) out.outlinePieces.clear();
}

uint32_t Segments(const VectorFigure& f) { return f.closed ? f.count : f.count - 1; }

// For every figure, the filled figures after it whose boxes overlap its
// box, in order: found once, for the layer votes and for the clipping.
// Each figure is kept in the finest of grids twice as coarse each that it
// spans at most two cells of a side: one kept in a fine grid would be met
// again in each of its cells by every figure over it, which where large
// figures pile up costs the cells' count times the pairs.
std::vector<std::vector<uint32_t>> LaterFills(const VectorDrawing& d,
                                              const std::vector<Box>& boxes) {
  const Box area{0, 0, std::max(d.width, 1.0), std::max(d.height, 1.0)};
  std::vector<BoxGrid> grids;
  // Two dozen doublings take the finest cell past any page.
  for (double cells = 4096, least = 8; grids.size() < 24; cells /= 4, least *= 2) {
    grids.emplace_back(area, cells, least);
    if (grids.back().Whole()) break;
  }
  for (uint32_t i = 0; i < d.figures.size(); ++i) {
    if (!d.figures[i].filled) continue;
    const Box& b = boxes[i];
    const double side = std::max(b.maxX - b.minX, b.maxY - b.minY);
    size_t level = 0;
    // Written so that a side that is not a number goes to the coarsest.
    while (level + 1 < grids.size() && !(side <= grids[level].CellSize())) ++level;
    grids[level].Add(i, b);
  }
  std::vector<std::vector<uint32_t>> later(d.figures.size());
  InParts(d.figures.size(), [&](size_t begin, size_t end, size_t) {
    // A figure over several cells is met in each: seenBy keeps it once.
    std::vector<uint32_t> seenBy(d.figures.size(), UINT32_MAX);
    for (size_t i = begin; i < end; ++i) {
      std::vector<uint32_t>& out = later[i];
      for (const BoxGrid& grid : grids)
        grid.Visit(boxes[i], [&](const std::vector<uint32_t>& c) {
          for (auto it = std::upper_bound(c.begin(), c.end(), i); it != c.end(); ++it)
            if (seenBy[*it] != i && boxes[*it].Overlaps(boxes[i])) {
              seenBy[*it] = static_cast<uint32_t>(i);
              out.push_back(*it);
            }
        });
      std::sort(out.begin(), out.end());
    }
  });
  return later;
}

// The order of the colour layers, bottom first, that most often puts a
// later fill above an earlier one it overlaps: each overlap is a vote, and
// colours are taken greedily by how much more they lie under others than
// over them.
std::vector<Colour> LayerOrder(const VectorDrawing& d,
                               const std::vector<std::vector<uint32_t>>& laterFills) {
  std::vector<Colour> colours;
  std::unordered_map<Colour, size_t> index;
  for (const VectorFigure& f : d.figures)
    if (f.filled && index.emplace(f.fill, colours.size()).second) colours.push_back(f.fill);
  const size_t k = colours.size();
  std::vector<double> below(k * k, 0);  // below[a * k + b]: a under b
  std::vector<uint16_t> colourOf(d.figures.size(), 0);
  for (size_t i = 0; i < d.figures.size(); ++i)
    if (d.figures[i].filled) colourOf[i] = static_cast<uint16_t>(index[d.figures[i].fill]);
  std::mutex sum;
  InParts(d.figures.size(), [&](size_t begin, size_t end, size_t) {
    std::vector<double> votes(k * k, 0);
    for (size_t i = begin; i < end; ++i) {
      if (!d.figures[i].filled) continue;
      for (uint32_t j : laterFills[i]) votes[colourOf[i] * k + colourOf[j]] += 1;
    }
    std::lock_guard<std::mutex> hold(sum);
    for (size_t v = 0; v < votes.size(); ++v) below[v] += votes[v];
  });
  std::vector<Colour> order;
  std::vector<bool> taken(k, false);
  for (size_t step = 0; step < k; ++step) {
    size_t best = k;
    double bestScore = -HUGE_VAL;
    for (size_t a = 0; a < k; ++a) {
      if (taken[a]) continue;
      double score = 0;
      for (size_t b = 0; b < k; ++b)
        if (!taken[b] && b != a) score += below[a * k + b] - below[b * k + a];
      if (score > bestScore) {
        bestScore = score;
        best = a;
      }
    }
    taken[best] = true;
    order.push_back(colours[best]);
  }
  return order;
}

// Figures one after another that one tile item drew.
struct Run {
  uint32_t begin = 0, end = 0;
};

// A tile drawn again elsewhere at the same angle and size draws the same
// figures moved, and they hide one another as they did there: that is found
// once, for the first such run, and moved to the others.
struct Copy {
  uint32_t of = 0;  // the run found first
  DPoint by{0, 0};
};

uint64_t Mix(uint64_t h, uint64_t v) { return (h ^ v) * 0x100000001b3ull; }

// Equal for runs that may be moved copies of each other: the figures' kinds
// and sizes, and the first edge's direction (tiles turned apart differ).
uint64_t Signature(const VectorDrawing& d, const Run& r, const std::vector<uint16_t>& layerOf) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (uint32_t i = r.begin; i < r.end; ++i) {
    const VectorFigure& f = d.figures[i];
    h = Mix(h, f.count);
    h = Mix(h, (f.closed ? 1u : 0u) | (f.stroked ? 2u : 0u) | (f.filled ? 4u : 0u) |
                   static_cast<uint64_t>(layerOf[i]) << 3 |
                   static_cast<uint64_t>(f.penWidth) << 20);
  }
  const VectorFigure& f = d.figures[r.begin];
  if (f.count >= 2) {
    const DPoint a = d.points[f.first], b = d.points[f.first + 1];
    h = Mix(h, static_cast<uint64_t>(std::llround((b.x - a.x) * 100)));
    h = Mix(h, static_cast<uint64_t>(std::llround((b.y - a.y) * 100)));
  }
  return h;
}

// Whether run b is run a moved, and by how much.
bool MovedCopy(const VectorDrawing& d, const Run& a, const Run& b,
               const std::vector<uint16_t>& layerOf, DPoint& by) {
  if (a.end - a.begin != b.end - b.begin) return false;
  by = {d.points[d.figures[b.begin].first].x - d.points[d.figures[a.begin].first].x,
        d.points[d.figures[b.begin].first].y - d.points[d.figures[a.begin].first].y};
  constexpr double kSame = 0.25 / kUnits;
  for (uint32_t k = 0; k < a.end - a.begin; ++k) {
    const VectorFigure &f = d.figures[a.begin + k], &g = d.figures[b.begin + k];
    if (f.count != g.count || f.closed != g.closed || f.stroked != g.stroked ||
        f.filled != g.filled || f.penWidth != g.penWidth ||
        layerOf[a.begin + k] != layerOf[b.begin + k])
      return false;
    for (uint32_t i = 0; i < f.count; ++i) {
      const DPoint p = d.points[f.first + i], q = d.points[g.first + i];
      if (std::fabs(q.x - p.x - by.x) > kSame || std::fabs(q.y - p.y - by.y) > kSame) return false;
    }
  }
  return true;
}

// What the later fills of the figure's own run hide of it.
struct OwnHidden {
  VisibleFigure alone;  // what shows when nothing else lies over it
  bool fillCut = false;
  Paths fillShown;
  std::vector<std::vector<std::pair<double, double>>> segments;
};

// Cuts the chosen later fills in lower layers out of 'shown' (the latest
// first, stopping once nothing is left); true when any of them lay over it.
template <typename Chosen>
bool CutAway(const VectorDrawing& d, const std::vector<uint32_t>& later,
             const std::vector<Box>& boxes, const std::vector<uint16_t>& layerOf, size_t layer,
             Chosen&& chosen, ClipperLib::Clipper& c, Paths& shown,
             std::vector<std::vector<DPoint>>& rings) {
  Path clip;
  Paths rest;
  Box shownBox = BoxOf(shown);
  bool cut = false;
  for (auto it = later.rbegin(); it != later.rend() && !shown.empty(); ++it) {
    if (layerOf[*it] >= layer || !shownBox.Overlaps(boxes[*it]) || !chosen(*it)) continue;
    const VectorFigure& g = d.figures[*it];
    const Relation r = RelationTo(rings, d, g, boxes[*it]);
    if (r == Relation::Apart) continue;
    cut = true;
    if (r == Relation::Under) {
      shown.clear();
      rings.clear();
      break;
    }
    c.Clear();
    c.AddPaths(shown, ClipperLib::ptSubject, true);
    ToPath(d, g, clip);
    c.AddPath(clip, ClipperLib::ptClip, true);
    rest.clear();
    c.Execute(ClipperLib::ctDifference, rest, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
    shown.swap(rest);
    rings = FromPaths(shown);
    shownBox = BoxOf(shown);
  }
  return cut;
}

void Move(VisibleFigure& v, DPoint by) {
  if (by.x == 0 && by.y == 0) return;
  for (auto* lines : {&v.fillRings, &v.outlinePieces})
    for (std::vector<DPoint>& line : *lines)
      for (DPoint& p : line) p = {p.x + by.x, p.y + by.y};
}

}  // namespace

VisibleDrawing VisibleParts(const VectorDrawing& d, bool edgesOfFills, bool reuseCopies) {
  const size_t n = d.figures.size();
  VisibleDrawing result;
  std::vector<VisibleFigure>& out = result.figures;
  out.resize(n);
  std::vector<Box> boxes(n);
  for (size_t i = 0; i < n; ++i) boxes[i] = BoxOf(d, d.figures[i]);
  const std::vector<std::vector<uint32_t>> laterFills = LaterFills(d, boxes);
  result.fillOrder = LayerOrder(d, laterFills);
  std::unordered_map<Colour, size_t> layerIndex;
  for (size_t i = 0; i < result.fillOrder.size(); ++i) layerIndex[result.fillOrder[i]] = i;
  std::vector<uint16_t> layerOf(n, 0);
  for (size_t i = 0; i < n; ++i)
    if (d.figures[i].filled) layerOf[i] = static_cast<uint16_t>(layerIndex[d.figures[i].fill]);
  auto outlined = [&](const VectorFigure& f) { return f.stroked || (edgesOfFills && f.filled); };

  // Without reuse, every figure is a run of its own and nothing is moved.
  std::vector<Run> runs;
  std::vector<uint32_t> runOf(n);
  for (uint32_t i = 0; i < n; ++i) {
    if (i == 0 || !reuseCopies || d.figures[i].item < 0 ||
        d.figures[i].item != d.figures[i - 1].item)
      runs.push_back({i, i});
    runs.back().end = i + 1;
    runOf[i] = static_cast<uint32_t>(runs.size() - 1);
  }
  std::vector<Copy> copyOf(runs.size());
  {
    std::unordered_multimap<uint64_t, uint32_t> first;
    for (uint32_t r = 0; r < runs.size(); ++r) {
      copyOf[r].of = r;
      if (runs[r].end - runs[r].begin < 2) continue;  // nothing of its own hides it
      const uint64_t key = Signature(d, runs[r], layerOf);
      auto [lo, hi] = first.equal_range(key);
      bool found = false;
      for (auto it = lo; it != hi && !found; ++it)
        if (MovedCopy(d, runs[it->second], runs[r], layerOf, copyOf[r].by)) {
          copyOf[r].of = it->second;
          found = true;
        }
      if (!found) {
        copyOf[r].by = {0, 0};
        first.emplace(key, r);
      }
    }
  }

  // What each first run's figures hide of one another, kept from ownFrom[r]
  // on for first run r.
  std::vector<uint32_t> originals;
  std::vector<uint32_t> ownFrom(runs.size(), UINT32_MAX);
  for (uint32_t r = 0; r < runs.size(); ++r)
    if (copyOf[r].of == r && runs[r].end - runs[r].begin >= 2) {
      ownFrom[r] = static_cast<uint32_t>(originals.size());
      for (uint32_t i = runs[r].begin; i < runs[r].end; ++i) originals.push_back(i);
    }
  std::vector<OwnHidden> own(originals.size());
  const OwnHidden none;  // a figure alone in its run
  InParts(originals.size(), [&](size_t begin, size_t end, size_t) {
    ClipperLib::Clipper c;
    std::vector<double> ts;
    for (size_t k = begin; k < end; ++k) {
      const uint32_t i = originals[k];
      const VectorFigure& f = d.figures[i];
      const std::vector<uint32_t>& later = laterFills[i];
      auto same = [&](uint32_t j) { return runOf[j] == runOf[i]; };
      OwnHidden& h = own[k];
      if (f.filled) {
        Paths shown(1);
        ToPath(d, f, shown[0]);
        std::vector<std::vector<DPoint>> rings = FromPaths(shown);
        h.fillCut = CutAway(d, later, boxes, layerOf, layerOf[i], same, c, shown, rings);
        if (h.fillCut) {
          h.fillShown = std::move(shown);
          h.alone.fillWhole = false;
          h.alone.fillRings = std::move(rings);
        }
      }
      if (outlined(f)) {
        h.segments.resize(Segments(f));
        for (uint32_t s = 0; s < h.segments.size(); ++s)
          SegmentHidden(d, d.points[f.first + s], d.points[f.first + (s + 1) % f.count], later,
                        boxes, same, h.segments[s], ts);
        OutlinePieces(d, f, h.segments, h.alone);
      }
    }
  });

  InParts(n, [&](size_t begin, size_t end, size_t) {
    ClipperLib::Clipper c;
    std::vector<double> ts;
    std::vector<std::vector<std::pair<double, double>>> hidden;
    for (uint32_t i = static_cast<uint32_t>(begin); i < end; ++i) {
      const VectorFigure& f = d.figures[i];
      const std::vector<uint32_t>& later = laterFills[i];
      if (later.empty()) continue;
      const uint32_t r = runOf[i];
      const Copy& copy = copyOf[r];
      const OwnHidden& h =
          ownFrom[copy.of] == UINT32_MAX ? none : own[ownFrom[copy.of] + (i - runs[r].begin)];
      auto others = [&](uint32_t j) { return runOf[j] != r; };
      if (std::none_of(later.begin(), later.end(), others)) {
        out[i] = h.alone;
        Move(out[i], copy.by);
        continue;
      }

      // A later fill in a layer above this one covers it in the file as in
      // the window; one in a layer below is cut out of it. One figure at a
      // time, each clip small, stopping once nothing is left: many
      // overlapping clips at once cost Clipper far more.
      if (f.filled) {
        Paths shown;
        if (h.fillCut) {
          const cInt dx = std::llround(copy.by.x * kUnits), dy = std::llround(copy.by.y * kUnits);
          shown = h.fillShown;
          for (Path& ring : shown)
            for (IntPoint& q : ring) q = {q.X + dx, q.Y + dy};
        } else {
          shown.resize(1);
          ToPath(d, f, shown[0]);
        }
        std::vector<std::vector<DPoint>> rings = FromPaths(shown);
        const bool cut = CutAway(d, later, boxes, layerOf, layerOf[i], others, c, shown, rings);
        if (cut || h.fillCut) {
          out[i].fillWhole = false;
          out[i].fillRings = std::move(rings);
        }
      }
      if (outlined(f)) {
        hidden.assign(Segments(f), {});
        for (uint32_t s = 0; s < hidden.size(); ++s) {
          if (s < h.segments.size()) hidden[s] = h.segments[s];
          const bool whole = hidden[s].size() == 1 && hidden[s][0] == std::pair{0.0, 1.0};
          if (!whole)
            SegmentHidden(d, d.points[f.first + s], d.points[f.first + (s + 1) % f.count], later,
                          boxes, others, hidden[s], ts);
        }
        OutlinePieces(d, f, hidden, out[i]);
      }
    }
  });
  return result;
}

}  // namespace wlg
