#include "imaging/LineMerge.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <thread>
#include <utility>

#include "platform/InParts.h"

namespace wlg {
namespace {

bool Finite(DPoint p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The length of (dx, dy): a square root where the squares are safe, which
// costs a fraction of hypot's careful scaling.
double Length(double dx, double dy) {
  const double s = dx * dx + dy * dy;
  return s > 1e-290 && s < 1e290 ? std::sqrt(s) : std::hypot(dx, dy);
}

// A grid cell index that is always representable, whatever the coordinate.
int64_t CellOf(double v, double cell) {
  double c = std::floor(v / cell);
  if (!(c > -1e9)) return -1000000000;  // also NaN
  if (c > 1e9) return 1000000000;
  return static_cast<int64_t>(c);
}

uint64_t CellKey(int64_t ix, int64_t iy) {
  return (static_cast<uint64_t>(ix + (1ll << 31)) << 32) |
         static_cast<uint64_t>(static_cast<uint32_t>(iy + (1ll << 31)));
}

// Open-addressing map from a cell key to the head of that cell's list.
class CellMap {
 public:
  explicit CellMap(size_t n) {
    size_t cap = 16;
    while (cap < 2 * n + 16) cap *= 2;
    keys_.assign(cap, kEmpty);
    vals_.assign(cap, -1);
    mask_ = cap - 1;
  }
  int Find(uint64_t key) const {
    for (size_t i = Hash(key) & mask_;; i = (i + 1) & mask_) {
      if (keys_[i] == key) return vals_[i];
      if (keys_[i] == kEmpty) return -1;
    }
  }
  int& Slot(uint64_t key) {
    size_t i = Hash(key) & mask_;
    while (keys_[i] != key && keys_[i] != kEmpty) i = (i + 1) & mask_;
    keys_[i] = key;
    return vals_[i];
  }

 private:
  static constexpr uint64_t kEmpty = ~0ull;
  static size_t Hash(uint64_t x) {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ull;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebull;
    x ^= x >> 31;
    return static_cast<size_t>(x);
  }
  std::vector<uint64_t> keys_;
  std::vector<int> vals_;
  size_t mask_ = 0;
};

// Endpoints within the tolerance of an earlier node become that node. Nodes are kept at
// their first point, so nothing drifts by chaining.
class Snapper {
 public:
  Snapper(size_t n, double tol) : map_(n), tol_(tol), cell_(tol > 0 ? 4 * tol : 1.0) {}
  int Node(DPoint p) {
    const int64_t ix = CellOf(p.x, cell_), iy = CellOf(p.y, cell_);
    const double fx = p.x - static_cast<double>(ix) * cell_;
    const double fy = p.y - static_cast<double>(iy) * cell_;
    const int x0 = fx <= tol_ ? -1 : 0, x1 = cell_ - fx <= tol_ ? 1 : 0;
    const int y0 = fy <= tol_ ? -1 : 0, y1 = cell_ - fy <= tol_ ? 1 : 0;
    const double tol2 = tol_ * tol_;
    for (int dx = x0; dx <= x1; ++dx)
      for (int dy = y0; dy <= y1; ++dy)
        for (int k = map_.Find(CellKey(ix + dx, iy + dy)); k >= 0; k = next_[k]) {
          const double ex = nodes[k].x - p.x, ey = nodes[k].y - p.y;
          if (ex * ex + ey * ey <= tol2) return k;
        }
    int& head = map_.Slot(CellKey(ix, iy));
    next_.push_back(head);
    head = static_cast<int>(nodes.size());
    nodes.push_back(p);
    return head;
  }
  std::vector<DPoint> nodes;

 private:
  CellMap map_;
  std::vector<int> next_;
  double tol_, cell_;
};

struct Edge {
  int u, v;
  auto operator<=>(const Edge&) const = default;
};

// Joins the edges end to end, preferring the straightest way on at every node.
std::vector<Stroke> Walk(const std::vector<DPoint>& nodes, const std::vector<Edge>& edges) {
  const size_t n = nodes.size();
  std::vector<int> first(n + 1, 0), adj(2 * edges.size());
  for (const Edge& e : edges) ++first[e.u + 1], ++first[e.v + 1];
  for (size_t i = 0; i < n; ++i) first[i + 1] += first[i];
  std::vector<int> fill(first.begin(), first.end() - 1);
  for (size_t k = 0; k < edges.size(); ++k) {
    adj[fill[edges[k].u]++] = static_cast<int>(k);
    adj[fill[edges[k].v]++] = static_cast<int>(k);
  }
  std::vector<char> used(edges.size(), 0);
  std::vector<int> cursor(first.begin(), first.end() - 1);
  auto other = [&](int k, int node) { return edges[k].u == node ? edges[k].v : edges[k].u; };
  auto unusedAt = [&](int node) {
    while (cursor[node] < first[node + 1] && used[adj[cursor[node]]]) ++cursor[node];
    return cursor[node] < first[node + 1] ? adj[cursor[node]] : -1;
  };

  std::vector<Stroke> strokes;
  std::vector<int> path;
  auto walkFrom = [&](int s) {
    for (int k; (k = unusedAt(s)) >= 0;) {
      path.assign(1, s);
      int cur = s;
      while (k >= 0) {
        used[k] = 1;
        const int next = other(k, cur);
        path.push_back(next);
        const double dx = nodes[next].x - nodes[cur].x, dy = nodes[next].y - nodes[cur].y;
        const double dl = Length(dx, dy);
        cur = next;
        k = -1;
        double bestDot = -2;
        for (int i = first[cur]; i < first[cur + 1]; ++i) {
          const int e = adj[i];
          if (used[e]) continue;
          const DPoint q = nodes[other(e, cur)];
          const double ex = q.x - nodes[cur].x, ey = q.y - nodes[cur].y;
          const double dot = (dx * ex + dy * ey) / (dl * Length(ex, ey));
          if (k < 0 || dot > bestDot) bestDot = dot, k = e;
        }
      }
      Stroke st;
      st.closed = path.size() > 3 && path.back() == path.front();
      if (st.closed) path.pop_back();
      st.points.reserve(path.size());
      for (int p : path) st.points.push_back(nodes[p]);
      strokes.push_back(std::move(st));
    }
  };
  // Odd nodes first, so open paths start at their real ends; what is left are cycles.
  for (size_t i = 0; i < n; ++i)
    if ((first[i + 1] - first[i]) % 2) walkFrom(static_cast<int>(i));
  for (size_t i = 0; i < n; ++i) walkFrom(static_cast<int>(i));
  return strokes;
}

double Dist(DPoint a, DPoint b) { return Length(b.x - a.x, b.y - a.y); }

}  // namespace

std::vector<Stroke> MergeIntoStrokes(const std::vector<Segment>& segments, double tolerance) {
  const double tol = std::isfinite(tolerance) && tolerance > 0 ? tolerance : 0.0;
  Snapper snap(2 * segments.size(), tol);
  std::vector<Edge> edges;
  edges.reserve(segments.size());
  // An outline's next edge starts where the last one ended. When that
  // point made its node, it is that node again: any node made since lies
  // farther than the tolerance from it, or it would have taken that one.
  int lastEnd = -1;
  for (const Segment& s : segments) {
    if (!Finite(s.a) || !Finite(s.b) || !std::isfinite(s.b.x - s.a.x) ||
        !std::isfinite(s.b.y - s.a.y) || s.a == s.b)
      continue;
    const int u = lastEnd >= 0 && snap.nodes[lastEnd] == s.a ? lastEnd : snap.Node(s.a);
    const int v = snap.Node(s.b);
    lastEnd = v;
    if (u != v) edges.push_back({std::min(u, v), std::max(u, v)});
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  const std::vector<DPoint>& nodes = snap.nodes;
  const size_t m = edges.size();
  if (m == 0) return {};

  // Collinear edges that overlap do so where an end of one lies on the
  // other. Every edge is split at the nodes that lie on it (within the
  // tolerance), so that overlaps become equal node pairs and go once.
  double cell = 0;
  for (const Edge& e : edges) cell += Dist(nodes[e.u], nodes[e.v]);
  cell = std::max(4 * tol, std::min(cell / m, 1e6));
  CellMap grid(nodes.size());
  std::vector<int> nextInCell(nodes.size(), -1);
  for (size_t k = 0; k < nodes.size(); ++k) {
    int& head = grid.Slot(CellKey(CellOf(nodes[k].x, cell), CellOf(nodes[k].y, cell)));
    nextInCell[k] = head;
    head = static_cast<int>(k);
  }
  // The edges are split side by side, each part into its own list: the
  // grid and the nodes are only read.
  std::vector<std::vector<Edge>> parts(std::max(1u, std::thread::hardware_concurrency()));
  InParts(
      m,
      [&](size_t begin, size_t end, size_t part) {
        std::vector<Edge>& pieces = parts[part];
        pieces.reserve((end - begin) + (end - begin) / 4);
        std::vector<std::pair<double, int>> on;
        for (size_t ei = begin; ei < end; ++ei) {
          const Edge& e = edges[ei];
          const DPoint a = nodes[e.u], b = nodes[e.v];
          const double len = Dist(a, b);
          const double ux = (b.x - a.x) / len, uy = (b.y - a.y) / len;
          on.clear();
          const int64_t x0 = CellOf(std::min(a.x, b.x) - tol, cell),
                        x1 = CellOf(std::max(a.x, b.x) + tol, cell);
          const int64_t y0 = CellOf(std::min(a.y, b.y) - tol, cell),
                        y1 = CellOf(std::max(a.y, b.y) + tol, cell);
          // A very long edge through a sparse region: its cells are visited
          // along its length only.
          const bool along = (x1 - x0 + 1) * (y1 - y0 + 1) > 64;
          auto consider = [&](int k) {
            if (k == e.u || k == e.v) return;
            const double px = nodes[k].x - a.x, py = nodes[k].y - a.y;
            const double t = px * ux + py * uy;
            if (t <= tol || t >= len - tol || std::abs(px * uy - py * ux) > tol) return;
            on.push_back({t, k});
          };
          auto visit = [&](uint64_t key) {
            for (int k = grid.Find(key); k >= 0; k = nextInCell[k]) consider(k);
          };
          if (!along) {
            for (int64_t cx = x0; cx <= x1; ++cx)
              for (int64_t cy = y0; cy <= y1; ++cy) visit(CellKey(cx, cy));
          } else if (len / cell * 18 > static_cast<double>(nodes.size())) {
            // The walk below looks in nine cells at two steps a cell. Where
            // that is more looks than there are nodes, every node is asked
            // instead: the same ones answer (the cells only spare asking).
            for (int k = 0; k < static_cast<int>(nodes.size()); ++k) consider(k);
          } else {
            const int steps = static_cast<int>(std::min(len / cell * 2 + 2, 4e6));
            int64_t lastX = INT64_MIN, lastY = INT64_MIN;
            std::vector<uint64_t> seen;
            for (int i = 0; i <= steps; ++i) {
              const double t = len * i / steps;
              const int64_t cx = CellOf(a.x + ux * t, cell), cy = CellOf(a.y + uy * t, cell);
              if (cx == lastX && cy == lastY) continue;
              lastX = cx;
              lastY = cy;
              for (int64_t dx = -1; dx <= 1; ++dx)
                for (int64_t dy = -1; dy <= 1; ++dy) seen.push_back(CellKey(cx + dx, cy + dy));
            }
            std::sort(seen.begin(), seen.end());
            seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
            for (uint64_t key : seen) visit(key);
          }
          std::sort(on.begin(), on.end());
          int from = e.u;
          for (const auto& [t, k] : on) {
            if (k == from) continue;
            pieces.push_back({std::min(from, k), std::max(from, k)});
            from = k;
          }
          if (from != e.v) pieces.push_back({std::min(from, e.v), std::max(from, e.v)});
        }
      },
      20000);
  std::vector<Edge> pieces;
  for (std::vector<Edge>& p : parts) pieces.insert(pieces.end(), p.begin(), p.end());
  std::sort(pieces.begin(), pieces.end());
  pieces.erase(std::unique(pieces.begin(), pieces.end()), pieces.end());
  return Walk(nodes, pieces);
}

double PenUpTravel(const std::vector<Stroke>& strokes, DPoint start) {
  double sum = 0;
  DPoint pos = start;
  for (const Stroke& s : strokes) {
    if (s.points.empty()) continue;
    sum += Dist(pos, s.points.front());
    pos = s.closed ? s.points.front() : s.points.back();
  }
  return sum;
}

double DrawnLength(const std::vector<Stroke>& strokes) {
  double sum = 0;
  for (const Stroke& s : strokes) {
    for (size_t i = 1; i < s.points.size(); ++i) sum += Dist(s.points[i - 1], s.points[i]);
    if (s.closed && s.points.size() > 2) sum += Dist(s.points.back(), s.points.front());
  }
  return sum;
}

namespace {

// Where a stroke may begin: either end of an open one, any vertex of a closed one.
struct Entry {
  DPoint p;
  int stroke, vertex;
};

// A uniform grid over the entries of the strokes still to draw; drawn ones are dropped from
// their cells as they are met, and the grid is rebuilt coarser as it empties.
class EntryGrid {
 public:
  void Build(const std::vector<Entry>& entries) {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool any = false;
    for (const Entry& e : entries)
      if (Finite(e.p)) {
        if (!any) x0 = x1 = e.p.x, y0 = y1 = e.p.y, any = true;
        x0 = std::min(x0, e.p.x), x1 = std::max(x1, e.p.x);
        y0 = std::min(y0, e.p.y), y1 = std::max(y1, e.p.y);
      }
    const double target = std::max<double>(1.0, static_cast<double>(entries.size()) / 2);
    const double w = x1 - x0, h = y1 - y0;
    cell_ = std::max({std::sqrt(w * h / target), std::max(w, h) / target, 1e-9});
    if (!std::isfinite(cell_)) cell_ = std::numeric_limits<double>::max();
    ox_ = x0, oy_ = y0;
    nx_ = Index(x1, ox_) + 1, ny_ = Index(y1, oy_) + 1;
    start_.assign(static_cast<size_t>(nx_ * ny_) + 1, 0);
    for (const Entry& e : entries) ++start_[Cell(e.p) + 1];
    for (size_t i = 1; i < start_.size(); ++i) start_[i] += start_[i - 1];
    count_.assign(start_.size() - 1, 0);
    items_.resize(entries.size());
    for (const Entry& e : entries) {
      const int64_t c = Cell(e.p);
      items_[start_[c] + count_[c]++] = e;
    }
  }
  // The nearest entry of a stroke not yet drawn, or stroke -1.
  Entry Nearest(DPoint q, const std::vector<char>& drawn) {
    Entry best{{}, -1, -1};
    double bestD = 0;
    const int64_t cx = Index(q.x, ox_), cy = Index(q.y, oy_);
    const int64_t rmax = std::max(nx_, ny_);
    for (int64_t r = 0; r <= rmax; ++r) {
      for (int64_t y = cy - r; y <= cy + r; ++y) {
        if (y < 0 || y >= ny_) continue;
        const bool edgeRow = y == cy - r || y == cy + r;
        for (int64_t x = cx - r; x <= cx + r; x += edgeRow ? 1 : 2 * r) {
          if (x >= 0 && x < nx_) Scan(y * nx_ + x, q, drawn, best, bestD);
          if (r == 0) break;
        }
      }
      if (best.stroke >= 0 && bestD <= static_cast<double>(r) * cell_) break;
    }
    return best;
  }

 private:
  int64_t Index(double v, double o) const {
    const double c = std::floor((v - o) / cell_);
    if (!(c >= 0)) return 0;
    return static_cast<int64_t>(std::min(c, 1e7));
  }
  int64_t Cell(DPoint p) const {
    return std::min(Index(p.y, oy_), ny_ - 1) * nx_ + std::min(Index(p.x, ox_), nx_ - 1);
  }
  void Scan(int64_t c, DPoint q, const std::vector<char>& drawn, Entry& best, double& bestD) {
    for (int i = 0; i < count_[c];) {
      Entry& e = items_[start_[c] + i];
      if (drawn[e.stroke]) {
        e = items_[start_[c] + --count_[c]];
        continue;
      }
      const double d = Dist(q, e.p);
      if (best.stroke < 0 || d < bestD) best = e, bestD = d;
      ++i;
    }
  }
  double cell_ = 1, ox_ = 0, oy_ = 0;
  int64_t nx_ = 1, ny_ = 1;
  std::vector<int64_t> start_;
  std::vector<int> count_;
  std::vector<Entry> items_;
};

}  // namespace

void OrderForShortTravel(std::vector<Stroke>& strokes, DPoint start) {
  const size_t n = strokes.size();
  if (n == 0) return;
  std::vector<char> drawn(n, 0);
  std::vector<Stroke> result;
  result.reserve(n);
  size_t alive = 0;
  for (size_t i = 0; i < n; ++i)
    if (strokes[i].points.empty())
      drawn[i] = 1;
    else
      ++alive;
  auto entriesOfAlive = [&] {
    std::vector<Entry> entries;
    for (size_t i = 0; i < n; ++i) {
      if (drawn[i]) continue;
      const Stroke& s = strokes[i];
      const int si = static_cast<int>(i), last = static_cast<int>(s.points.size()) - 1;
      if (s.closed) {
        for (int v = 0; v <= last; ++v) entries.push_back({s.points[v], si, v});
      } else {
        entries.push_back({s.points.front(), si, 0});
        if (last > 0) entries.push_back({s.points.back(), si, last});
      }
    }
    return entries;
  };
  EntryGrid grid;
  grid.Build(entriesOfAlive());
  size_t builtFor = alive, fallback = 0;
  DPoint pos = start;
  while (alive > 0) {
    if (alive * 2 < builtFor) grid.Build(entriesOfAlive()), builtFor = alive;
    Entry e = grid.Nearest(pos, drawn);
    if (e.stroke < 0) {  // only unreachable (non-finite) entries are left
      while (drawn[fallback]) ++fallback;
      e = {{}, static_cast<int>(fallback), 0};
    }
    Stroke s = strokes[e.stroke];
    if (s.closed)
      std::rotate(s.points.begin(), s.points.begin() + e.vertex, s.points.end());
    else if (e.vertex > 0)
      std::reverse(s.points.begin(), s.points.end());
    pos = s.closed ? s.points.front() : s.points.back();
    result.push_back(std::move(s));
    drawn[e.stroke] = 1;
    --alive;
  }
  for (const Stroke& s : strokes)
    if (s.points.empty()) result.push_back(s);
  // Nearest-neighbour is a heuristic: never hand back something worse than what came in.
  if (!(PenUpTravel(result, start) > PenUpTravel(strokes, start))) strokes = std::move(result);
}

}  // namespace wlg
