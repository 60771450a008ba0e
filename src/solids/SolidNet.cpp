#include "solids/SolidNet.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <queue>

#include "imaging/LineMerge.h"
#include "platform/Numbers.h"
#include "platform/SafeFile.h"
#include "solids/SolidTables.h"
#include "solids/Vec3.h"

namespace wlg {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Overlaps thinner than this (in edge lengths) are faces touching along an
// edge or at a corner.
constexpr double kTouch = 1e-7;
// The tables' edges differ by up to 4 % (the truncated icosidodecahedron's);
// the net's faces are exactly regular.
constexpr double kEdgeSpread = 0.08;
constexpr size_t kMaxNetFaces = 500;
constexpr double kMaxTabMm = 7, kMaxTabEdges = 0.25;
// Tabs no shallower than this (or a quarter edge) can be glued, and keep
// this far from every face edge but their own, beyond their corners.
constexpr double kLeastTabMm = 6, kTabGapMm = 0.5, kTabCornerMm = 3;
constexpr double kNumberMm = 3, kHaloMm = 1;
constexpr double kLineMm = 0.2, kFoldDashMm = 2.5, kFoldGapMm = 1.5;
constexpr double kCanvasDpi = 96, kMmPerInch = 25.4;

// ---- small geometry

DPoint operator+(DPoint a, DPoint b) { return {a.x + b.x, a.y + b.y}; }
DPoint operator-(DPoint a, DPoint b) { return {a.x - b.x, a.y - b.y}; }
DPoint operator*(DPoint a, double s) { return {a.x * s, a.y * s}; }
double Length(DPoint a) { return std::hypot(a.x, a.y); }
DPoint Turn(DPoint d, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {d.x * c - d.y * s, d.x * s + d.y * c};
}

using Polygon2 = std::vector<DPoint>;

struct Box {
  double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
  void Add(DPoint p) {
    minX = std::min(minX, p.x);
    minY = std::min(minY, p.y);
    maxX = std::max(maxX, p.x);
    maxY = std::max(maxY, p.y);
  }
  bool Meets(const Box& o) const {
    return minX < o.maxX - kTouch && o.minX < maxX - kTouch && minY < o.maxY - kTouch &&
           o.minY < maxY - kTouch;
  }
};

Box BoxOf(const Polygon2& p) {
  Box b;
  for (const DPoint& q : p) b.Add(q);
  return b;
}

// Whether some edge direction of 'a' separates the two convex polygons.
bool Separates(const Polygon2& a, const Polygon2& b) {
  for (size_t i = 0; i < a.size(); ++i) {
    const DPoint e = a[(i + 1) % a.size()] - a[i];
    const double len = Length(e);
    if (len == 0) continue;
    const DPoint n{-e.y / len, e.x / len};
    double minA = HUGE_VAL, maxA = -HUGE_VAL, minB = HUGE_VAL, maxB = -HUGE_VAL;
    for (const DPoint& p : a) {
      const double d = p.x * n.x + p.y * n.y;
      minA = std::min(minA, d);
      maxA = std::max(maxA, d);
    }
    for (const DPoint& p : b) {
      const double d = p.x * n.x + p.y * n.y;
      minB = std::min(minB, d);
      maxB = std::max(maxB, d);
    }
    if (maxA <= minB + kTouch || maxB <= minA + kTouch) return true;
  }
  return false;
}

// Convex polygons overlapping in more than an edge or a corner.
bool Overlap(const Polygon2& a, const Box& boxA, const Polygon2& b, const Box& boxB) {
  return boxA.Meets(boxB) && !Separates(a, b) && !Separates(b, a);
}

// The convex hull (Andrew's monotone chain).
Polygon2 Hull(Polygon2 pts) {
  std::sort(pts.begin(), pts.end(),
            [](DPoint a, DPoint b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  if (pts.size() < 3) return pts;
  Polygon2 h(2 * pts.size());
  size_t k = 0;
  auto cross = [](DPoint o, DPoint a, DPoint b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
  };
  for (size_t i = 0; i < pts.size(); ++i) {
    while (k >= 2 && cross(h[k - 2], h[k - 1], pts[i]) <= 0) --k;
    h[k++] = pts[i];
  }
  for (size_t i = pts.size() - 1, t = k + 1; i-- > 0;) {
    while (k >= t && cross(h[k - 2], h[k - 1], pts[i]) <= 0) --k;
    h[k++] = pts[i];
  }
  h.resize(k - 1);
  return h;
}

// ---- the solid's faces

struct Face3 {
  int polygon = -1;
  std::vector<V3> corners;  // clockwise seen from outside
  V3 centre, normal;        // the normal points out
  std::vector<int> decoration;
};

bool Fail(std::string* why, const std::string& text) {
  if (why) *why = text;
  return false;
}

bool PolygonInRange(const SolidPolyList& s, int p) {
  const int first = s.PolyFirstPoint[p], last = s.PolyLastPoint[p];
  return first >= 0 && last >= 2 && last < 1000 && first + last < s.VertCount &&
         first + last < SolidVertCapacity;
}

// The recorded coordinates are left-handed as the 3D window shows them (the
// mesh files mirror x for the same reason): mirrored, the faces unfold as
// they are seen, not as in a mirror.
V3 Vertex(const SolidPolyList& s, int j) { return {-s.VertX[j], s.VertY[j], s.VertZ[j]}; }

bool ReadFaces(const SolidPolyList& s, std::vector<Face3>& faces, std::string* why) {
  if (s.PolyCount < 3 || s.PolyCount >= SolidPolyCapacity || s.VertCount > SolidVertCapacity)
    return Fail(why, "there is no solid to unfold");
  std::vector<int> faceOf(s.PolyCount + 1, -1);
  for (int p = 0; p <= s.PolyCount; ++p) {
    if (!PolygonInRange(s, p)) continue;
    const int owner = s.PolyFace[p];
    if (owner != p) {
      if (owner >= 0 && owner < p && faceOf[owner] >= 0)
        faces[faceOf[owner]].decoration.push_back(p);
      continue;
    }
    Face3 f;
    f.polygon = p;
    for (int k = 0; k <= s.PolyLastPoint[p]; ++k) {
      const V3 v = Vertex(s, s.PolyFirstPoint[p] + k);
      if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
        return Fail(why, "the solid has a corner that is not a number");
      f.corners.push_back(v);
      f.centre = f.centre + v;
    }
    f.centre = f.centre * (1.0 / static_cast<double>(f.corners.size()));
    // Newell's normal of the corners in their order.
    V3 n;
    for (size_t i = 0; i < f.corners.size(); ++i)
      n = n + Cross(f.corners[i], f.corners[(i + 1) % f.corners.size()]);
    if (Length(n) == 0 || Dot(f.centre, f.centre) == 0)
      return Fail(why, "the solid has a face without area");
    if (Dot(n, f.centre) > 0) std::reverse(f.corners.begin(), f.corners.end());
    f.normal = Dot(n, f.centre) > 0 ? n * (1 / Length(n)) : n * (-1 / Length(n));
    faceOf[p] = static_cast<int>(faces.size());
    faces.push_back(std::move(f));
  }
  if (faces.size() < 4) return Fail(why, "there is no solid to unfold");
  // The largest solid has 92; the search is quadratic in the faces.
  if (faces.size() > kMaxNetFaces) return Fail(why, "the solid has too many faces to unfold");
  return true;
}

struct Side {
  int face = -1, side = -1, edge = -1;
};

// Pairs every side with the side of the neighbouring face that runs the
// other way along the same edge.
bool MatchEdges(const std::vector<Face3>& faces, std::vector<std::vector<Side>>& across,
                std::vector<NetEdge>& edges, std::string* why) {
  double total = 0;
  size_t count = 0;
  for (const Face3& f : faces)
    for (size_t i = 0; i < f.corners.size(); ++i, ++count)
      total += Length(f.corners[(i + 1) % f.corners.size()] - f.corners[i]);
  const double mean = total / static_cast<double>(count);
  for (const Face3& f : faces)
    for (size_t i = 0; i < f.corners.size(); ++i)
      if (std::abs(Length(f.corners[(i + 1) % f.corners.size()] - f.corners[i]) - mean) >
          kEdgeSpread * mean)
        return Fail(why, "the solid's edges are not all of one length");
  const double tol = 0.05 * mean;
  across.assign(faces.size(), {});
  for (size_t f = 0; f < faces.size(); ++f) across[f].resize(faces[f].corners.size());
  for (size_t f = 0; f < faces.size(); ++f) {
    const auto& c = faces[f].corners;
    for (size_t i = 0; i < c.size(); ++i) {
      if (across[f][i].face >= 0) continue;
      const V3 a = c[i], b = c[(i + 1) % c.size()];
      int found = 0;
      for (size_t g = f + 1; g < faces.size(); ++g) {
        const auto& d = faces[g].corners;
        for (size_t j = 0; j < d.size(); ++j) {
          if (Length(d[j] - b) < tol && Length(d[(j + 1) % d.size()] - a) < tol) {
            if (across[g][j].face >= 0 || ++found > 1)
              return Fail(why, "the solid's faces do not close up");
            NetEdge e;
            e.faceA = static_cast<int>(f);
            e.sideA = static_cast<int>(i);
            e.faceB = static_cast<int>(g);
            e.sideB = static_cast<int>(j);
            const int index = static_cast<int>(edges.size());
            edges.push_back(e);
            across[f][i] = {static_cast<int>(g), static_cast<int>(j), index};
            across[g][j] = {static_cast<int>(f), static_cast<int>(i), index};
          }
        }
      }
      if (found == 0) return Fail(why, "the solid's faces do not close up");
    }
  }
  return true;
}

// ---- the unfolding, in edge lengths, y up

// A regular polygon of unit edges, clockwise, whose side 'side' runs from
// 'from' to 'to'.
Polygon2 RegularFrom(size_t n, size_t side, DPoint from, DPoint to) {
  Polygon2 q(n);
  q[side] = from;
  q[(side + 1) % n] = to;
  DPoint d = to - from;
  const double turn = -2 * kPi / static_cast<double>(n);
  for (size_t k = 1; k + 1 < n; ++k) {
    d = Turn(d, turn);
    q[(side + k + 1) % n] = q[(side + k) % n] + d;
  }
  return q;
}

DPoint Centroid(const Polygon2& p) {
  DPoint c;
  for (const DPoint& q : p) c = c + q;
  return c * (1.0 / static_cast<double>(p.size()));
}

// Whether the two faces would lie side by side along a stretch of edge
// that is not one edge of the solid: a slit in the paper with no room for a
// glue tab on either side.
bool Slit(const Polygon2& a, int faceA, const Polygon2& b, int faceB,
          const std::vector<std::vector<Side>>& across) {
  constexpr double kNear = 1e-6;
  for (size_t i = 0; i < a.size(); ++i) {
    const DPoint p = a[i], q = a[(i + 1) % a.size()];
    const DPoint t = (q - p) * (1 / Length(q - p));
    for (size_t j = 0; j < b.size(); ++j) {
      const DPoint r = b[j], s = b[(j + 1) % b.size()];
      auto off = [&](DPoint x) { return std::abs((x.x - p.x) * t.y - (x.y - p.y) * t.x); };
      if (off(r) > kNear || off(s) > kNear) continue;
      auto along = [&](DPoint x) { return (x.x - p.x) * t.x + (x.y - p.y) * t.y; };
      const double lo = std::max(0.0, std::min(along(r), along(s)));
      const double hi = std::min(1.0, std::max(along(r), along(s)));
      if (hi - lo < kNear) continue;
      const Side& other = across[faceA][i];
      if (other.face == faceB && other.side == static_cast<int>(j) && Length(p - s) < kNear &&
          Length(q - r) < kNear)
        continue;  // the same edge: a fold
      return true;
    }
  }
  return false;
}

// The size of 'points' turned by each whole degree; the turn that lets it
// fit the page largest, and whether that is on its side.
struct Fit {
  double scale = 0;  // page millimetres per edge length
  double angle = 0;
  bool landscape = false;
};

Fit BestFit(const Polygon2& points, double reach, double pageW, double pageH) {
  const Polygon2 hull = Hull(points);
  Fit best;
  // Called for every face a page's piece grows by: the turns are reused.
  static const auto turns = [] {
    std::array<DPoint, 180> t;
    for (int deg = 0; deg < 180; ++deg)
      t[deg] = {std::cos(deg * kPi / 180), std::sin(deg * kPi / 180)};
    return t;
  }();
  for (int deg = 0; deg < 180; ++deg) {
    const double a = deg * kPi / 180, c = turns[deg].x, s = turns[deg].y;
    Box b;
    for (const DPoint& p : hull) b.Add({p.x * c - p.y * s, p.x * s + p.y * c});
    const double w = b.maxX - b.minX + 2 * reach, h = b.maxY - b.minY + 2 * reach;
    const double portrait = std::min(pageW / w, pageH / h);
    const double landscape = std::min(pageH / w, pageW / h);
    if (portrait > best.scale * (1 + 1e-9)) best = {portrait, a, false};
    if (landscape > best.scale * (1 + 1e-9)) best = {landscape, a, true};
  }
  return best;
}

// The page a piece of the net must fit, at this edge length, with room for
// tabs 'reach' edge lengths deep all round.
struct PageFit {
  double reach, pageW, pageH, edgeMm;
};

struct Unfolding {
  std::vector<Polygon2> faces;
  std::vector<Box> boxes;
  std::vector<int> parentEdge;  // the fold that joined the face; -1 for the first
  std::vector<int> order;       // faces in the order they were laid down
};

// Grows the net from 'root', always adding the face whose place lies nearest
// the root, so that the net stays round and compact; a face that would
// overlap one already laid down is tried across another edge.
bool Grow(const std::vector<Face3>& faces, const std::vector<std::vector<Side>>& across, int root,
          Unfolding& u, std::vector<bool> placed, const PageFit* fit) {
  const size_t n = faces.size();
  u.faces.assign(n, {});
  u.boxes.assign(n, {});
  u.parentEdge.assign(n, -1);
  u.order.clear();
  const size_t free = static_cast<size_t>(std::count(placed.begin(), placed.end(), false));
  Polygon2 hull;
  struct Candidate {
    double distance;
    int face, edge;
    Polygon2 polygon;
    bool operator<(const Candidate& o) const { return distance > o.distance; }
  };
  std::priority_queue<Candidate> queue;
  DPoint rootCentre;
  auto place = [&](int f, Polygon2 polygon, int edge) {
    placed[f] = true;
    u.boxes[f] = BoxOf(polygon);
    u.faces[f] = std::move(polygon);
    u.parentEdge[f] = edge;
    u.order.push_back(f);
    const Polygon2& q = u.faces[f];
    for (size_t i = 0; i < q.size(); ++i) {
      const Side& s = across[f][i];
      if (placed[s.face]) continue;
      Polygon2 next =
          RegularFrom(faces[s.face].corners.size(), s.side, q[(i + 1) % q.size()], q[i]);
      const double distance = Length(Centroid(next) - rootCentre);
      queue.push({distance, s.face, s.edge, std::move(next)});
    }
  };
  const Polygon2 first = RegularFrom(faces[root].corners.size(), 0, {0, 0}, {1, 0});
  rootCentre = Centroid(first);
  hull = first;
  place(root, first, -1);
  while (!queue.empty()) {
    Candidate c = queue.top();
    queue.pop();
    if (placed[c.face]) continue;
    const Box box = BoxOf(c.polygon);
    bool clear = true;
    for (int g : u.order)
      if (Overlap(c.polygon, box, u.faces[g], u.boxes[g]) ||
          Slit(c.polygon, c.face, u.faces[g], g, across)) {
        clear = false;
        break;
      }
    if (clear && fit) {
      // The piece must still fit its page; it only grows, so a face that
      // would not fit now never will.
      Polygon2 more = hull;
      more.insert(more.end(), c.polygon.begin(), c.polygon.end());
      more = Hull(std::move(more));
      if (BestFit(more, fit->reach, fit->pageW, fit->pageH).scale < fit->edgeMm) continue;
      hull = std::move(more);
    }
    if (clear) place(c.face, std::move(c.polygon), c.edge);
  }
  return u.order.size() == free;
}

// ---- tabs

// A trapezoid 'height' deep on side 'side' of 'face', its ends slanting in
// at 'slantA' from the side's first corner and 'slantB' from its second.
Polygon2 TabShape(const Polygon2& face, int side, double height, double slantA, double slantB) {
  const DPoint a = face[side], b = face[(side + 1) % face.size()];
  const DPoint t = (b - a) * (1 / Length(b - a));
  const DPoint out{-t.y, t.x};  // the face lies to the right of a -> b
  return {a, b, b + out * height - t * (height / std::tan(slantB)),
          a + out * height + t * (height / std::tan(slantA))};
}

double PointSegmentDistance(DPoint x, DPoint p, DPoint q) {
  const DPoint d = q - p;
  const double dd = d.x * d.x + d.y * d.y;
  const double t = dd == 0 ? 0 : std::clamp(((x.x - p.x) * d.x + (x.y - p.y) * d.y) / dd, 0.0, 1.0);
  return Length(x - (p + d * t));
}

double SegmentDistance(DPoint p, DPoint q, DPoint r, DPoint s) {
  auto cross = [](DPoint o, DPoint a, DPoint b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
  };
  const double d1 = cross(p, q, r), d2 = cross(p, q, s), d3 = cross(r, s, p), d4 = cross(r, s, q);
  if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
    return 0;
  return std::min({PointSegmentDistance(p, r, s), PointSegmentDistance(q, r, s),
                   PointSegmentDistance(r, p, q), PointSegmentDistance(s, p, q)});
}

// Whether the outline of 'other' keeps 'gap' away from the tab's, apart from
// within 'corner' of the tab's two base corners, where the neighbouring
// faces' edges must meet it. Closer, the two cut lines would leave a slit
// that has to be cut exactly on the line.
bool KeepsClear(const Polygon2& tab, const Polygon2& other, double gap, double corner) {
  const DPoint a = tab[0], b = tab[1];
  for (size_t i = 0; i < other.size(); ++i) {
    const DPoint p = other[i], d = other[(i + 1) % other.size()] - p;
    // The stretches of p + d t, t in [0, 1], outside both corner discs.
    std::vector<std::pair<double, double>> parts{{0.0, 1.0}};
    for (const DPoint c : {a, b}) {
      const double dd = d.x * d.x + d.y * d.y, mid = ((c.x - p.x) * d.x + (c.y - p.y) * d.y) / dd;
      const double off = Length(p + d * mid - c);
      if (off >= corner) continue;
      const double half = std::sqrt((corner * corner - off * off) / dd);
      std::vector<std::pair<double, double>> left;
      for (const auto& [lo, hi] : parts) {
        if (lo < mid - half) left.push_back({lo, std::min(hi, mid - half)});
        if (hi > mid + half) left.push_back({std::max(lo, mid + half), hi});
      }
      parts = std::move(left);
    }
    for (const auto& [lo, hi] : parts)
      for (size_t j = 0; j < tab.size(); ++j)
        if (SegmentDistance(p + d * lo, p + d * hi, tab[j], tab[(j + 1) % tab.size()]) < gap)
          return false;
  }
  return true;
}

// Glue tabs, one per cut pair, none overlapping a face or another tab of
// its piece or coming near one; pieces are kept apart when packed. The
// deepest of a few shapes on either side of the pair is taken, none
// shallower than 'least'. Pairs go in 'order'. When some pair has room for
// none, false, with that pair in *stuck and in *blockers the faces that
// stand in the way of the least obstructed side, that side's face first.
bool PlaceTabs(const Unfolding& u, const std::vector<int>& piece, double full, double least,
               double edgeMm, const std::vector<int>& order, std::vector<NetEdge>& edges,
               std::vector<Polygon2>& shapes, int* stuck, std::vector<int>* blockers) {
  // Steeper ends first: they leave the most to glue.
  constexpr double kSlants[] = {kPi / 2, kPi / 4, kPi / 6, kPi / 9, kPi / 12, kPi / 18};
  struct Shape {
    double height, slantA, slantB;
  };
  std::vector<Shape> tries;
  for (int deep = 0; deep < (least < full ? 2 : 1); ++deep) {
    const double height = deep ? least : full;
    for (size_t sum = 0; sum <= 2 * (std::size(kSlants) - 1); ++sum)
      for (size_t i = 0; i < std::size(kSlants); ++i)
        if (sum >= i && sum - i < std::size(kSlants) &&
            height * (1 / std::tan(kSlants[i]) + 1 / std::tan(kSlants[sum - i])) < 0.9)
          tries.push_back({height, kSlants[i], kSlants[sum - i]});
  }
  const double gap = (kTabGapMm + 0.05) / edgeMm, corner = kTabCornerMm / edgeMm;
  shapes.assign(edges.size(), {});
  std::vector<Box> boxes(edges.size());
  std::vector<int> placed;
  for (int k : order) {
    NetEdge& e = edges[k];
    if (e.fold) continue;
    std::vector<int> fewest;
    bool done = false, first = true;
    for (size_t n = 0; n < tries.size() && !done; ++n) {
      for (int which = 0; which < 2 && !done; ++which) {
        const int f = which ? e.faceB : e.faceA, side = which ? e.sideB : e.sideA;
        Polygon2 shape =
            TabShape(u.faces[f], side, tries[n].height, tries[n].slantA, tries[n].slantB);
        Box box = BoxOf(shape);
        Box near = box;
        near.Add({box.minX - gap, box.minY - gap});
        near.Add({box.maxX + gap, box.maxY + gap});
        std::vector<int> faces{f};
        for (size_t g = 0; g < u.faces.size(); ++g)
          if (piece[g] == piece[f] && static_cast<int>(g) != f &&
              (Overlap(shape, box, u.faces[g], u.boxes[g]) ||
               (near.Meets(u.boxes[g]) && !KeepsClear(shape, u.faces[g], gap, corner))))
            faces.push_back(static_cast<int>(g));
        bool clear = faces.size() == 1;
        for (size_t t = 0; t < placed.size() && clear; ++t) {
          const NetEdge& o = edges[placed[t]];
          const Polygon2& other = shapes[placed[t]];
          clear = piece[o.tabFace] != piece[f] ||
                  (!Overlap(shape, box, other, boxes[placed[t]]) &&
                   (!near.Meets(boxes[placed[t]]) || KeepsClear(shape, other, gap, corner)));
        }
        if (first || faces.size() < fewest.size()) fewest = faces;
        first = false;
        if (!clear) continue;
        e.tabFace = f;
        e.tabSide = side;
        shapes[k] = std::move(shape);
        boxes[k] = box;
        placed.push_back(k);
        done = true;
      }
    }
    if (!done) {
      *stuck = k;
      *blockers = std::move(fewest);
      return false;
    }
  }
  return true;
}

// ---- edge numbers: one stroke per segment run, in a box 0.6 wide and 1
// high, for plotters and cutters as much as for print

const std::vector<std::vector<DPoint>>& DigitStrokes(int digit) {
  static const std::vector<std::vector<DPoint>> digits[10] = {
      {{{0, 0}, {0.6, 0}, {0.6, 1}, {0, 1}, {0, 0}}},
      {{{0.15, 0.8}, {0.35, 1}, {0.35, 0}}},
      {{{0, 1}, {0.6, 1}, {0.6, 0.5}, {0, 0.5}, {0, 0}, {0.6, 0}}},
      {{{0, 1}, {0.6, 1}, {0.6, 0}, {0, 0}}, {{0.1, 0.5}, {0.6, 0.5}}},
      {{{0, 1}, {0, 0.5}, {0.6, 0.5}}, {{0.6, 1}, {0.6, 0}}},
      {{{0.6, 1}, {0, 1}, {0, 0.5}, {0.6, 0.5}, {0.6, 0}, {0, 0}}},
      {{{0.6, 1}, {0, 1}, {0, 0}, {0.6, 0}, {0.6, 0.5}, {0, 0.5}}},
      {{{0, 1}, {0.6, 1}, {0.2, 0}}},
      {{{0, 0}, {0.6, 0}, {0.6, 1}, {0, 1}, {0, 0}}, {{0, 0.5}, {0.6, 0.5}}},
      {{{0.6, 0.5}, {0, 0.5}, {0, 1}, {0.6, 1}, {0.6, 0}, {0, 0}}},
  };
  return digits[digit];
}

// The number written along side a -> b of the convex 'region' that lies to
// its right (a face, or a tab read from its face), its foot towards the
// side and underlined, so that 6 and 9 read the right way up: kNumberMm
// tall or as tall as the region leaves room for with its halo, centred on
// a tab, just inside a face. In edge lengths.
NetNumber FittedNumber(const Polygon2& region, DPoint a, DPoint b, int number, double edgeMm,
                       bool centred) {
  const DPoint t = (b - a) * (1 / Length(b - a));
  const DPoint up{t.y, -t.x};  // into the region
  const DPoint along = t * -1;
  const std::string text = std::to_string(number);
  const double width = 0.85 * static_cast<double>(text.size()) - 0.25;  // in heights
  double depth = 0;
  for (const DPoint& p : region) depth = std::max(depth, (p.x - a.x) * up.x + (p.y - a.y) * up.y);
  auto halo = [&](double h) { return std::min(kHaloMm / 2 / edgeMm, 0.15 * h); };
  // The along-range of the region's chord at height y above the side, in
  // along-coordinates from a: exact for a convex region.
  auto chord = [&](double y) {
    double lo = 1e300, hi = -1e300;
    for (size_t i = 0; i < region.size(); ++i) {
      const DPoint p = region[i] - a, q = region[(i + 1) % region.size()] - a;
      const double yp = p.x * up.x + p.y * up.y, yq = q.x * up.x + q.y * up.y;
      if ((yp - y) * (yq - y) > 0) continue;
      const double sp = p.x * along.x + p.y * along.y, sq = q.x * along.x + q.y * along.y;
      const double s = yp == yq ? sp : sp + (sq - sp) * (y - yp) / (yq - yp);
      lo = std::min({lo, s, yp == yq ? sq : s});
      hi = std::max({hi, s, yp == yq ? sq : s});
    }
    return std::pair{lo, hi};
  };
  // The foot of a number h tall, its box (digits, underline and halo) put
  // in the middle of the room the region leaves at that height; nothing
  // when it does not fit. A tab narrows and may lean, so the middle of its
  // base is not always where the room is.
  auto foot = [&](double h) -> std::optional<DPoint> {
    const double m = halo(h), tall = 1.25 * h + 2 * m;
    const double lift = (centred ? std::max(0.0, (depth - tall) / 2) : 0) + m + 0.25 * h;
    const double bottom = lift - 0.25 * h - m, top = lift + h + m;
    if (top > depth) return std::nullopt;
    // Just inside, so that a box standing on a face's side finds it.
    const auto [l1, r1] = chord(bottom + 1e-9);
    const auto [l2, r2] = chord(top - 1e-9);
    const double lo = std::max(l1, l2), hi = std::min(r1, r2), wide = width * h + 2 * m;
    if (hi - lo < wide) return std::nullopt;
    return a + up * lift + along * ((lo + hi - wide) / 2 + m);
  };
  auto tallest = [&]() {
    double h = kNumberMm / edgeMm;
    if (!foot(h)) {
      double lo = 0;
      for (int k = 0; k < 20; ++k) (foot((lo + h) / 2) ? lo : h) = (lo + h) / 2;
      h = lo;
    }
    return h;
  };
  // Where a centred number must shrink, one nearer the fold may stay taller.
  double h = tallest();
  if (centred && h < kNumberMm / edgeMm) {
    centred = false;
    const double low = tallest();
    if (low > h)
      h = low;
    else
      centred = true;
  }
  NetNumber n;
  n.heightMm = h * edgeMm;
  n.haloMm = 2 * halo(h) * edgeMm;
  const DPoint f = foot(h).value_or(a);
  auto map = [&](DPoint p) { return f + along * (p.x * h) + up * (p.y * h); };
  for (size_t k = 0; k < text.size(); ++k)
    for (const auto& stroke : DigitStrokes(text[k] - '0')) {
      auto& s = n.strokes.emplace_back();
      for (const DPoint& p : stroke) s.push_back(map({p.x + static_cast<double>(k) * 0.85, p.y}));
    }
  n.strokes.push_back({map({0, -0.25}), map({width, -0.25})});
  return n;
}

// Each cut pair's number on its tab and, unless only tabs are asked for,
// just inside the partner edge; each with its piece as its page.
std::vector<NetNumber> EdgeNumbers(const SolidNet& net, const std::vector<Polygon2>& faces,
                                   const std::vector<Polygon2>& tabs, const std::vector<int>& piece,
                                   double edgeMm, NetNumbers where) {
  std::vector<NetNumber> out;
  for (size_t k = 0; k < net.tabs.size() && where != NetNumbers::None; ++k) {
    const int edge = net.tabs[k].edge;
    const NetEdge& e = net.edges[edge];
    // The tab lies to the left of its base a -> b.
    const Polygon2& tab = tabs[edge];
    out.push_back(FittedNumber(tab, tab[1], tab[0], e.number, edgeMm, true));
    out.back().edge = edge;
    out.back().page = net.tabs[k].page;
    out.back().onTab = true;
    if (where == NetNumbers::Tabs) continue;
    const bool tabOnA = e.tabFace == e.faceA && e.tabSide == e.sideA;
    const int f = tabOnA ? e.faceB : e.faceA, side = tabOnA ? e.sideB : e.sideA;
    const Polygon2& q = faces[f];
    out.push_back(FittedNumber(q, q[side], q[(side + 1) % q.size()], e.number, edgeMm, false));
    out.back().edge = edge;
    out.back().page = piece[f];
  }
  return out;
}

// ---- decoration

// Carries points on the plane of a face (seen from outside, in the face's
// own frame) onto its place in the net: the affine map taking the face's
// first three corners onto the net polygon's.
struct FaceMap {
  V3 centre, normal, u, w;
  double m[2][3] = {};
  bool ok = false;

  DPoint Local(V3 p) const { return {Dot(p - centre, u), Dot(p - centre, w)}; }
  DPoint operator()(DPoint l) const {
    return {m[0][0] * l.x + m[0][1] * l.y + m[0][2], m[1][0] * l.x + m[1][1] * l.y + m[1][2]};
  }
};

FaceMap MapFace(const Face3& f, const Polygon2& net) {
  FaceMap map;
  map.centre = f.centre;
  map.normal = f.normal;
  const V3 e = f.corners[1] - f.corners[0];
  map.u = e * (1 / Length(e));
  map.w = Cross(map.normal, map.u);
  DPoint l[3];
  for (int i = 0; i < 3; ++i) l[i] = map.Local(f.corners[i]);
  const double det =
      l[0].x * (l[1].y - l[2].y) - l[0].y * (l[1].x - l[2].x) + (l[1].x * l[2].y - l[2].x * l[1].y);
  if (std::abs(det) < 1e-12) return map;
  for (int row = 0; row < 2; ++row) {
    const double q0 = row ? net[0].y : net[0].x, q1 = row ? net[1].y : net[1].x,
                 q2 = row ? net[2].y : net[2].x;
    // Cramer's rule on [l.x l.y 1] * (a b c)^T = q.
    map.m[row][0] =
        (q0 * (l[1].y - l[2].y) - l[0].y * (q1 - q2) + (q1 * l[2].y - q2 * l[1].y)) / det;
    map.m[row][1] =
        (l[0].x * (q1 - q2) - q0 * (l[1].x - l[2].x) + (l[1].x * q2 - l[2].x * q1)) / det;
    map.m[row][2] = (l[0].x * (l[1].y * q2 - l[2].y * q1) - l[0].y * (l[1].x * q2 - l[2].x * q1) +
                     q0 * (l[1].x * l[2].y - l[2].x * l[1].y)) /
                    det;
  }
  map.ok = true;
  return map;
}

}  // namespace

// Sutherland-Hodgman: decoration reaching past its face's edges would lie on
// the neighbouring faces, or off the paper.
Polygon2 ClipToFace(const Polygon2& poly, const Polygon2& window) {
  Polygon2 out = poly;
  for (size_t i = 0; i < window.size() && !out.empty(); ++i) {
    const DPoint a = window[i], b = window[(i + 1) % window.size()];
    auto side = [&](DPoint p) { return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x); };
    Polygon2 in;
    in.swap(out);
    for (size_t k = 0; k < in.size(); ++k) {
      const DPoint p = in[k], q = in[(k + 1) % in.size()];
      const double sp = side(p), sq = side(q);
      if (sp <= 0) out.push_back(p);
      if ((sp < 0 && sq > 0) || (sp > 0 && sq < 0)) out.push_back(p + (q - p) * (sp / (sp - sq)));
    }
  }
  return out.size() >= 3 ? out : Polygon2{};
}

// ---- pieces

int ParentFace(const Unfolding& u, const std::vector<NetEdge>& edges, int f) {
  const int k = u.parentEdge[f];
  return k < 0 ? -1 : edges[k].faceA == f ? edges[k].faceB : edges[k].faceA;
}

// Whether 'g' lies on the branch of its fold tree that hangs from 'top'.
bool InBranch(const Unfolding& u, const std::vector<NetEdge>& edges, int top, int g) {
  for (; g >= 0; g = ParentFace(u, edges, g))
    if (g == top) return true;
  return false;
}

std::vector<int> Branch(const Unfolding& u, const std::vector<NetEdge>& edges,
                        const std::vector<int>& piece, int top) {
  std::vector<int> out;
  for (size_t g = 0; g < piece.size(); ++g)
    if (piece[g] == piece[top] && InBranch(u, edges, top, static_cast<int>(g)))
      out.push_back(static_cast<int>(g));
  return out;
}

bool Touching(const Unfolding& u, const NetEdge& e) {
  const Polygon2 &a = u.faces[e.faceA], &b = u.faces[e.faceB];
  return Length(a[e.sideA] - b[(e.sideB + 1) % b.size()]) < 1e-6 &&
         Length(a[(e.sideA + 1) % a.size()] - b[e.sideB]) < 1e-6;
}

// Folds where a piece's faces meet, numbered cut pairs elsewhere, and a tab
// on every pair. Where a pair finds no room, the faces in its way leave for
// a piece of their own, with the faces hanging from them, and it is tried
// again: a face alone always has room round it. Gives the piece count, or
// 0 when that never settles.
int CutForTabs(Unfolding& u, std::vector<int>& piece, int pieces, double full, double least,
               double edgeMm, std::vector<NetEdge>& edges, std::vector<Polygon2>& shapes) {
  std::vector<int> order(edges.size());
  for (size_t k = 0; k < order.size(); ++k) order[k] = static_cast<int>(k);
  std::vector<bool> moved(edges.size(), false);
  for (size_t round = 0; round < 4 * piece.size() + edges.size(); ++round) {
    int number = 0;
    for (NetEdge& e : edges) {
      e.fold = piece[e.faceA] == piece[e.faceB] && Touching(u, e);
      e.number = e.fold ? 0 : ++number;
      e.tabFace = e.tabSide = -1;
    }
    int stuck = -1;
    std::vector<int> blockers;
    if (PlaceTabs(u, piece, full, least, edgeMm, order, edges, shapes, &stuck, &blockers))
      return pieces;
    const int f = blockers[0];
    if (blockers.size() == 1 && !moved[stuck]) {
      // Only other tabs are in the way: this pair chooses first.
      moved[stuck] = true;
      order.erase(std::find(order.begin(), order.end(), stuck));
      order.insert(order.begin(), stuck);
      continue;
    }
    if (blockers.size() == 1) blockers.push_back(ParentFace(u, edges, f) < 0 ? -1 : f);
    for (size_t i = 1; i < blockers.size(); ++i) {
      const int g = blockers[i];
      if (g < 0 || piece[g] != piece[f]) continue;  // already apart
      int top = g;
      if (InBranch(u, edges, f, g))
        top = g;
      else if (InBranch(u, edges, g, f))
        top = f;
      else if (Branch(u, edges, piece, f).size() < Branch(u, edges, piece, g).size())
        top = f;
      if (ParentFace(u, edges, top) < 0) continue;
      for (int h : Branch(u, edges, piece, top)) piece[h] = pieces;
      u.parentEdge[top] = -1;
      ++pieces;
    }
  }
  return 0;
}

// Where a piece lies: turned by 'angle', in mm, y down, moved by 'shift'.
struct Placement {
  int page = 0;
  double angle = 0;
  DPoint shift;
  DPoint operator()(DPoint q, double edgeMm) const {
    const DPoint r = Turn(q, angle);
    return {shift.x + r.x * edgeMm, shift.y - r.y * edgeMm};
  }
};

// A piece turned, as the cells of the packing grid it covers with half the
// gap between pieces round it, row by row as runs of cells.
struct Raster {
  double angle = 0;
  DPoint origin;  // in mm, of the first cell's corner
  int w = 0, h = 0;
  long cells = 0;
  std::vector<std::vector<std::pair<int, int>>> rows;
};

Raster Rasterise(const std::vector<const Polygon2*>& parts, double angle, double edgeMm,
                 double cell, double half) {
  Raster r;
  r.angle = angle;
  const Placement turn{0, angle, {}};
  std::vector<Polygon2> mm;
  Box all;
  for (const Polygon2* p : parts) {
    Polygon2& q = mm.emplace_back();
    for (const DPoint& x : *p) all.Add(q.emplace_back(turn(x, edgeMm)));
  }
  r.origin = {all.minX - half, all.minY - half};
  r.w = static_cast<int>(std::ceil((all.maxX - all.minX + 2 * half) / cell));
  r.h = static_cast<int>(std::ceil((all.maxY - all.minY + 2 * half) / cell));
  r.rows.resize(r.h);
  for (const Polygon2& q : mm) {
    const Box b = BoxOf(q);
    const int j0 = std::max(0, static_cast<int>((b.minY - half - r.origin.y) / cell));
    const int j1 = std::min(r.h - 1, static_cast<int>((b.maxY + half - r.origin.y) / cell));
    for (int j = j0; j <= j1; ++j) {
      // The convex part's reach across the row, grown by 'half' each way.
      const double lo = r.origin.y + j * cell - half, hi = lo + cell + 2 * half;
      double x0 = HUGE_VAL, x1 = -HUGE_VAL;
      for (size_t i = 0; i < q.size(); ++i) {
        const DPoint a = q[i], c = q[(i + 1) % q.size()];
        if (a.y >= lo && a.y <= hi) x0 = std::min(x0, a.x), x1 = std::max(x1, a.x);
        for (const double y : {lo, hi})
          if ((a.y - y) * (c.y - y) < 0) {
            const double x = a.x + (c.x - a.x) * (y - a.y) / (c.y - a.y);
            x0 = std::min(x0, x), x1 = std::max(x1, x);
          }
      }
      if (x0 > x1) continue;
      r.rows[j].push_back({std::max(0, static_cast<int>((x0 - half - r.origin.x) / cell)),
                           std::min(r.w - 1, static_cast<int>((x1 + half - r.origin.x) / cell))});
    }
  }
  for (auto& row : r.rows) {
    std::sort(row.begin(), row.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& run : row)
      if (!merged.empty() && run.first <= merged.back().second + 1)
        merged.back().second = std::max(merged.back().second, run.second);
      else
        merged.push_back(run);
    row = std::move(merged);
    for (const auto& [lo, hi] : row) r.cells += hi - lo + 1;
  }
  return r;
}

struct Sheet {
  int w = 0, h = 0, words = 0;
  std::vector<uint64_t> bits;
  long free = 0;
  Sheet(int w, int h)
      : w(w), h(h), words((w + 63) / 64), bits(size_t(h) * words, 0), free(long(w) * h) {}
  // The last taken cell of row y in [a, b], or -1.
  int LastTaken(int y, int a, int b) const {
    const uint64_t* row = &bits[size_t(y) * words];
    for (int k = b >> 6; k >= a >> 6; --k) {
      uint64_t m = row[k];
      if (k == b >> 6 && (b & 63) != 63) m &= (uint64_t{1} << ((b & 63) + 1)) - 1;
      if (k == a >> 6) m &= ~uint64_t{0} << (a & 63);
      if (m) return k * 64 + 63 - std::countl_zero(m);
    }
    return -1;
  }
  // The first free place for 'r', row by row from the top, each from the
  // left, that leaves its bottom above 'bottom'.
  std::optional<std::pair<int, int>> Find(const Raster& r, int bottom) const {
    if (free < r.cells) return std::nullopt;
    int hit = 0;  // the row that last collided is the likeliest to again
    for (int y = 0; y + r.h <= std::min(h, bottom); ++y)
      for (int x = 0; x + r.w <= w;) {
        int next = -1;
        for (int k = -1; k < r.h && next < 0; ++k) {
          const int j = k < 0 ? hit : k;
          for (const auto& [lo, hi] : r.rows[j]) {
            const int taken = LastTaken(y + j, x + lo, x + hi);
            if (taken >= 0) {
              next = taken - lo + 1;
              hit = j;
              break;
            }
          }
        }
        if (next < 0) return std::pair{x, y};
        x = next;
      }
    return std::nullopt;
  }
  void Take(const Raster& r, int x, int y) {
    free -= r.cells;
    for (int j = 0; j < r.h; ++j)
      for (const auto& [lo, hi] : r.rows[j])
        for (int i = std::max(0, x + lo); i <= std::min(w - 1, x + hi); ++i)
          if (y + j >= 0 && y + j < h)
            bits[size_t(y + j) * words + (i >> 6)] |= uint64_t{1} << (i & 63);
  }
};

// Packs the pieces (each a list of convex parts, in edge lengths) onto as
// few pages as their outlines allow: largest first, each at the first free
// place from the top left in whichever of a few turns reaches least far
// down, on the first page with room. Each page's whole is then centred.
int PackPieces(const std::vector<std::vector<const Polygon2*>>& parts, double edgeMm, double pageW,
               double pageH, std::vector<Placement>& at) {
  const double cell = std::clamp(edgeMm / 40, 0.25, 1.0), half = (kTabGapMm + 0.1) / 2;
  std::vector<Sheet> sheets;
  std::vector<double> area(parts.size(), 0);
  std::vector<int> order(parts.size());
  for (size_t i = 0; i < parts.size(); ++i) {
    order[i] = static_cast<int>(i);
    for (const Polygon2* p : parts[i]) {
      for (size_t k = 0; k < p->size(); ++k)
        area[i] +=
            (*p)[k].x * (*p)[(k + 1) % p->size()].y - (*p)[(k + 1) % p->size()].x * (*p)[k].y;
      area[i] = std::abs(area[i]);
    }
  }
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return area[a] > area[b]; });
  at.assign(parts.size(), {});
  const int gridW = static_cast<int>(pageW / cell), gridH = static_cast<int>(pageH / cell);
  for (int i : order) {
    Polygon2 points;
    for (const Polygon2* p : parts[i]) points.insert(points.end(), p->begin(), p->end());
    const Fit fit = BestFit(points, 0, pageW, pageH);
    std::vector<Raster> turns;
    for (int k = 0; k < 8; ++k)
      turns.push_back(Rasterise(parts[i], fit.angle + (fit.landscape ? kPi / 2 : 0) + k * kPi / 4,
                                edgeMm, cell, half));
    bool done = false;
    for (size_t s = 0; s <= sheets.size() && !done; ++s) {
      const bool fresh = s == sheets.size();
      if (fresh) sheets.emplace_back(gridW, gridH);
      const Raster* best = nullptr;
      std::pair<int, int> where;
      for (const Raster& r : turns)
        if (const auto found = sheets[s].Find(r, best ? where.second + best->h : gridH);
            found &&
            (!best || found->second + r.h < where.second + best->h ||
             (found->second + r.h == where.second + best->h && found->first < where.first))) {
          best = &r;
          where = *found;
        }
      if (!best && !fresh) continue;
      if (!best) {
        // Only just fits a page of its own: centred in its best turn.
        best = &turns[0];
        where = {(gridW - best->w) / 2, (gridH - best->h) / 2};
      }
      sheets[s].Take(*best, where.first, where.second);
      at[i] = {static_cast<int>(s),
               best->angle,
               {kNetMarginMm + where.first * cell - best->origin.x,
                kNetMarginMm + where.second * cell - best->origin.y}};
      done = true;
    }
  }
  for (size_t s = 0; s < sheets.size(); ++s) {
    Box b;
    for (size_t i = 0; i < parts.size(); ++i)
      if (at[i].page == static_cast<int>(s))
        for (const Polygon2* p : parts[i])
          for (const DPoint& q : *p) b.Add(at[i](q, edgeMm));
    const DPoint move{kNetMarginMm + (pageW - b.maxX - b.minX) / 2,
                      kNetMarginMm + (pageH - b.maxY - b.minY) / 2};
    for (Placement& p : at)
      if (p.page == static_cast<int>(s)) p.shift = p.shift + move;
  }
  return static_cast<int>(sheets.size());
}

// ---- pages

bool BuildSolidNet(const SolidPolyList& solid, const NetOptions& options, SolidNet& net,
                   std::string* why) {
  net = SolidNet{};
  std::vector<Face3> faces;
  std::vector<std::vector<Side>> across;
  if (!ReadFaces(solid, faces, why) || !MatchEdges(faces, across, net.edges, why)) return false;
  if (!ValidNetEdge(options.edgeMm))
    return Fail(why, "the edge length must be between 1 and 2000 mm");

  // Every face as the first, the one giving the most compact net kept.
  const double pageW = (options.page == PageSize::Letter ? 215.9 : 210) - 2 * kNetMarginMm;
  const double pageH = (options.page == PageSize::Letter ? 279.4 : 297) - 2 * kNetMarginMm;
  Unfolding u;
  double bestScale = 0;
  for (size_t root = 0; root < faces.size(); ++root) {
    Unfolding tried;
    if (!Grow(faces, across, static_cast<int>(root), tried, std::vector<bool>(faces.size()),
              nullptr))
      continue;
    Polygon2 all;
    for (const Polygon2& p : tried.faces) all.insert(all.end(), p.begin(), p.end());
    const double scale = BestFit(all, kMaxTabEdges, pageW, pageH).scale;
    if (scale > bestScale * (1 + 1e-9)) {
      bestScale = scale;
      u = std::move(tried);
    }
    // Only faces of a kind not tried yet are worth starting from again.
    if (root >= 2 * kMaxFaceKinds && bestScale > 0) break;
  }
  if (bestScale == 0) return Fail(why, "the solid could not be unfolded without overlaps");

  // By default as large as fits one page, but never so small that the net
  // cannot be cut and glued: then it goes over several pages.
  const double onePage = std::floor(bestScale * 10) / 10;
  double edgeMm = options.folding      ? onePage
                  : options.edgeMm > 0 ? options.edgeMm
                                       : std::max(onePage, kLeastDefaultEdgeMm);
  const Unfolding whole = u;
  std::vector<int> piece;
  std::vector<Polygon2> tabShapes;
  std::vector<Placement> at;
  int pageCount = 0;
  for (;;) {
    const double tab = std::min(kMaxTabEdges, kMaxTabMm / edgeMm);
    const bool several = !options.folding && (options.edgeMm > 0 || edgeMm > onePage);
    if (several) {
      // The longest edge that lets every face and its tabs onto a page.
      auto longest = [&](double reach) {
        double most = HUGE_VAL;
        for (const Polygon2& p : whole.faces)
          most = std::min(most, BestFit(p, reach, pageW, pageH).scale);
        return most;
      };
      if (longest(tab) < edgeMm) {
        double most = longest(kMaxTabEdges);
        for (int k = 0; k < 3; ++k) most = longest(std::min(kMaxTabEdges, kMaxTabMm / most));
        return Fail(why, "an edge of " + FormatFixed(edgeMm, 0) +
                             " mm is too long for the page (at most " +
                             FormatFixed(std::floor(most), 0) + " mm)");
      }
    }
    // Pieces as large as a page, or a half, quarter or eighth: smaller ones
    // leave less paper between them. The way that takes fewest pages wins.
    pageCount = 0;
    for (int split = 1; split <= (several ? 8 : 1); split *= 2) {
      Unfolding tried = whole;
      std::vector<int> pieceOf(faces.size(), 0);
      std::vector<NetEdge> edges = net.edges;
      std::vector<Polygon2> shapes;
      std::vector<Placement> places;
      int pieces = 1;
      if (several) {
        // Piece by piece, a fresh net of the faces still left, grown as far
        // as its share of a page allows from whichever of a few first
        // faces takes most.
        const PageFit fit{tab, split >= 4 ? pageW / 2 : pageW,
                          split == 1   ? pageH
                          : split == 8 ? pageH / 4
                                       : pageH / 2,
                          edgeMm};
        std::vector<bool> taken(faces.size(), false);
        pieces = 0;
        for (size_t left = faces.size(); left > 0; ++pieces) {
          Unfolding best;
          int tries = 0;
          for (size_t root = 0; root < faces.size() && tries < 8; ++root) {
            if (taken[root]) continue;
            ++tries;
            Unfolding grown;
            Grow(faces, across, static_cast<int>(root), grown, taken, &fit);
            if (grown.order.size() > best.order.size()) best = std::move(grown);
          }
          // A face alone larger than its share goes alone.
          if (best.order.empty()) {
            for (size_t f = 0; f < faces.size() && best.order.empty(); ++f)
              if (!taken[f]) {
                best.faces = whole.faces;
                best.boxes = whole.boxes;
                best.parentEdge.assign(faces.size(), -1);
                best.order = {static_cast<int>(f)};
              }
          }
          for (int f : best.order) {
            taken[f] = true;
            pieceOf[f] = pieces;
            tried.faces[f] = std::move(best.faces[f]);
            tried.boxes[f] = best.boxes[f];
            tried.parentEdge[f] = best.parentEdge[f];
          }
          left -= best.order.size();
        }
      }
      if (options.folding) {
        shapes.assign(edges.size(), {});
        for (NetEdge& e : edges) e.fold = Touching(tried, e);
      } else {
        pieces = CutForTabs(tried, pieceOf, pieces, tab,
                            std::min(kMaxTabEdges, kLeastTabMm / edgeMm), edgeMm, edges, shapes);
        if (pieces == 0) return Fail(why, "there is no room for a glue tab on every cut edge");
      }
      std::vector<std::vector<const Polygon2*>> parts(pieces);
      for (size_t f = 0; f < faces.size(); ++f) parts[pieceOf[f]].push_back(&tried.faces[f]);
      for (size_t k = 0; k < edges.size(); ++k)
        if (!edges[k].fold && edges[k].tabFace >= 0)
          parts[pieceOf[edges[k].tabFace]].push_back(&shapes[k]);
      const int used = PackPieces(parts, edgeMm, pageW, pageH, places);
      if (pageCount == 0 || used < pageCount) {
        pageCount = used;
        u = std::move(tried);
        piece = std::move(pieceOf);
        net.edges = std::move(edges);
        tabShapes = std::move(shapes);
        at = std::move(places);
      }
    }
    // A default net too big for one page once cut for its tabs is made smaller.
    if (options.folding || options.edgeMm > 0 || pageCount == 1 || edgeMm <= kLeastDefaultEdgeMm)
      break;
    edgeMm = std::max(kLeastDefaultEdgeMm, std::floor(edgeMm * 9.5) / 10);
  }

  // One tab per cut pair, in the pairs' order; numbers are placed by piece
  // and then moved with it.
  for (size_t k = 0; k < net.edges.size(); ++k)
    if (!net.edges[k].fold && !options.folding) {
      NetTab nt;
      nt.edge = static_cast<int>(k);
      nt.page = piece[net.edges[k].tabFace];
      net.tabs.push_back(std::move(nt));
    }
  net.edgeMm = edgeMm;
  net.faceColour = solid.PolyColour[faces[0].polygon];
  net.pages.assign(pageCount, {pageW + 2 * kNetMarginMm, pageH + 2 * kNetMarginMm});
  net.numbers = EdgeNumbers(net, u.faces, tabShapes, piece, edgeMm,
                            options.folding ? NetNumbers::None : options.numbers);
  for (NetNumber& n : net.numbers) {
    for (auto& stroke : n.strokes)
      for (DPoint& q : stroke) q = at[n.page](q, edgeMm);
    n.page = at[n.page].page;
  }
  for (NetTab& t : net.tabs) {
    for (const DPoint& q : tabShapes[t.edge]) t.outline.push_back(at[t.page](q, edgeMm));
    t.page = at[t.page].page;
  }

  for (size_t f = 0; f < faces.size(); ++f) {
    NetFace nf;
    nf.polygon = faces[f].polygon;
    nf.piece = piece[f];
    nf.page = at[piece[f]].page;
    for (const DPoint& q : u.faces[f]) nf.corners.push_back(at[piece[f]](q, edgeMm));
    net.faces.push_back(std::move(nf));

    const FaceMap map = MapFace(faces[f], u.faces[f]);
    if (!map.ok) continue;
    const double plane = Dot(map.normal, map.centre);
    std::vector<NetDecoration> own;
    for (int p : faces[f].decoration) {
      NetDecoration d;
      d.face = static_cast<int>(f);
      d.rank = solid.PolyRank[p];
      d.colour = solid.PolyColour[p];
      bool ok = true;
      Polygon2 flat;
      for (int k = 0; k <= solid.PolyLastPoint[p] && ok; ++k) {
        const V3 v = Vertex(solid, solid.PolyFirstPoint[p] + k);
        const double along = Dot(map.normal, v);
        // Decoration floats a little above its face: brought back onto it
        // along the line from the solid's centre.
        ok = std::isfinite(along) && along > 0;
        if (ok) flat.push_back(map(map.Local(v * (plane / along))));
      }
      if (!ok) continue;
      for (const DPoint& q : ClipToFace(flat, u.faces[f]))
        d.points.push_back(at[piece[f]](q, edgeMm));
      if (!d.points.empty()) own.push_back(std::move(d));
    }
    // Higher ranks float above lower ones on the solid.
    std::stable_sort(own.begin(), own.end(), [](const NetDecoration& a, const NetDecoration& b) {
      return a.rank < b.rank;
    });
    for (NetDecoration& d : own) net.decoration.push_back(std::move(d));
  }
  return true;
}

namespace {

int PaletteIndex(Colour c) {
  for (int i = 0; i < 16; ++i)
    if (Palette16[i] == c) return i;
  return -1;
}

// On the solid, colours that read as zero or less (black, no fill) are
// drawn as outlines only.
bool Fills(Colour c) { return static_cast<int32_t>(c) > 0; }

PlanLayer Lines(const char* id, const char* label, Colour colour) {
  PlanLayer l;
  l.kind = PlanLayer::Kind::Stroke;
  l.id = id;
  l.label = label;
  l.colour = colour;
  return l;
}

PlanPath LinePath(std::vector<DPoint> points, bool closed, double widthMm) {
  PlanPath p;
  p.points = std::move(points);
  p.closed = closed;
  p.strokeMm = widthMm;
  return p;
}

}  // namespace

namespace {

// One page's faces and decoration, each when asked for, as the renderer
// records a picture, in canvas units.
VectorDrawing PageDrawing(const SolidNet& net, size_t p, bool withFaces, bool withDecoration) {
  const double unitsPerMm = kCanvasDpi / kMmPerInch;
  const NetPage& page = net.pages[p];
  VectorRecorder recorder(page.widthMm * unitsPerMm, page.heightMm * unitsPerMm,
                          Rgb(255, 255, 255));
  std::vector<DPoint> exact;
  std::vector<IPoint> pixels;
  auto record = [&](const std::vector<DPoint>& pts, RecordedFigure::Part part, int face, int rank,
                    Colour colour, bool stroked) {
    exact.clear();
    pixels.clear();
    for (const DPoint& q : pts) {
      exact.push_back(q * unitsPerMm);
      pixels.push_back({static_cast<int>(std::lround(q.x * unitsPerMm)),
                        static_cast<int>(std::lround(q.y * unitsPerMm))});
    }
    RecordedFigure f;
    f.part = part;
    f.tile = face;
    f.rank = rank;
    f.pixels = pixels.data();
    f.exact = exact.data();
    f.count = static_cast<int>(pts.size());
    f.closed = true;
    f.stroked = stroked;
    f.penWidth = 1;
    f.filled = Fills(colour);
    f.fill = colour;
    f.colourIndex = PaletteIndex(colour);
    if (f.filled || f.stroked) recorder.Record(f);
  };
  size_t next = 0;
  for (size_t f = 0; f < net.faces.size(); ++f) {
    if (net.faces[f].page != static_cast<int>(p)) continue;
    if (withFaces)
      record(net.faces[f].corners, RecordedFigure::Part::Outer, static_cast<int>(f), -1,
             net.faceColour, false);
    while (next < net.decoration.size() && net.decoration[next].face < static_cast<int>(f)) ++next;
    for (size_t d = next; withDecoration && d < net.decoration.size() &&
                          net.decoration[d].face == static_cast<int>(f);
         ++d)
      record(net.decoration[d].points, RecordedFigure::Part::Rank, static_cast<int>(f),
             net.decoration[d].rank, net.decoration[d].colour, true);
  }
  return recorder.Drawing();
}

// One page's paper lines in mm: where it is cut (the free sides of tabs and
// the untabbed sides of cut pairs) and where it folds (between faces, and
// at each tab's base).
void PageLines(const SolidNet& net, size_t p, std::vector<Segment>& cuts,
               std::vector<Segment>& folds) {
  for (const NetTab& t : net.tabs) {
    if (t.page != static_cast<int>(p)) continue;
    folds.push_back({t.outline[0], t.outline[1]});
    for (size_t i = 1; i < t.outline.size(); ++i)
      cuts.push_back({t.outline[i], t.outline[(i + 1) % t.outline.size()]});
  }
  for (const NetEdge& e : net.edges) {
    for (int which = 0; which < 2; ++which) {
      const int f = which ? e.faceB : e.faceA, side = which ? e.sideB : e.sideA;
      const NetFace& face = net.faces[f];
      if (face.page != static_cast<int>(p)) continue;
      const DPoint a = face.corners[side], b = face.corners[(side + 1) % face.corners.size()];
      if (e.fold) {
        if (which == 0) folds.push_back({a, b});
      } else if (f != e.tabFace || side != e.tabSide) {
        cuts.push_back({a, b});
      }
    }
  }
}

constexpr double kJoinMm = 1e-3;

}  // namespace

std::vector<VectorPlan> NetPlans(const SolidNet& net) {
  std::vector<VectorPlan> plans;
  for (size_t p = 0; p < net.pages.size(); ++p) {
    VectorPlan plan = BuildVectorPlan(PageDrawing(net, p, true, true), VectorOptions{});

    PlanLayer tabs;
    tabs.kind = PlanLayer::Kind::Fill;
    tabs.id = "tabs";
    tabs.label = "Glue tabs";
    tabs.colour = Rgb(221, 221, 221);
    PlanLayer fold = Lines("fold", "Fold", Rgb(80, 80, 80));
    fold.dashMm = {kFoldDashMm, kFoldGapMm};
    PlanLayer cut = Lines("cut", "Cut", Rgb(0, 0, 0));
    PlanLayer numbers = Lines("numbers", "Edge numbers", Rgb(0, 0, 0));
    // Under each number the same strokes, wider and white: it reads on
    // any colour and hides little of the decoration.
    PlanLayer halos = Lines("number-halos", "Edge number halos", Rgb(255, 255, 255));
    for (const NetNumber& n : net.numbers)
      for (const auto& stroke : n.strokes)
        if (n.page == static_cast<int>(p)) {
          halos.paths.push_back(LinePath(stroke, false, n.haloMm));
          numbers.paths.push_back(LinePath(stroke, false, kLineMm));
        }
    for (const NetTab& t : net.tabs) {
      if (t.page != static_cast<int>(p)) continue;
      PlanPath shape;
      shape.points = t.outline;
      tabs.paths.push_back(shape);
    }
    std::vector<Segment> cuts, folds;
    PageLines(net, p, cuts, folds);
    for (const Segment& s : folds) fold.paths.push_back(LinePath({s.a, s.b}, false, kLineMm));
    for (Stroke& s : MergeIntoStrokes(cuts, kJoinMm))
      cut.paths.push_back(LinePath(std::move(s.points), s.closed, kLineMm));
    for (PlanLayer* l : {&tabs, &halos, &fold, &cut, &numbers})
      if (!l->paths.empty()) plan.layers.push_back(std::move(*l));
    plans.push_back(std::move(plan));
  }
  return plans;
}

namespace {

// Whether segment a-b runs along the line p-q, within it.
bool OnLine(DPoint a, DPoint b, DPoint p, DPoint q) {
  const DPoint d = q - p;
  const double len = Length(d);
  if (len == 0) return false;
  auto off = [&](DPoint x) { return std::abs((x.x - p.x) * d.y - (x.y - p.y) * d.x) / len; };
  auto along = [&](DPoint x) { return ((x.x - p.x) * d.x + (x.y - p.y) * d.y) / len; };
  return off(a) < kJoinMm && off(b) < kJoinMm && std::min(along(a), along(b)) > -kJoinMm &&
         std::max(along(a), along(b)) < len + kJoinMm;
}

PlanLayer HairlineLayer(const char* id, const char* label, Colour colour,
                        const std::vector<Segment>& segments) {
  PlanLayer layer = Lines(id, label, colour);
  for (Stroke& s : MergeIntoStrokes(segments, kJoinMm))
    layer.paths.push_back(LinePath(std::move(s.points), s.closed, kHairlineMm));
  return layer;
}

}  // namespace

std::vector<VectorPlan> NetLaserPlans(const SolidNet& net, bool engrave, double kerfMm) {
  std::vector<VectorPlan> plans;
  for (size_t p = 0; p < net.pages.size(); ++p) {
    // The decoration's visible outlines, each edge once, as the cut mode of
    // any drawing finds them; not on the paper's own lines, which are cut or
    // scored already.
    VectorOptions cutMode;
    cutMode.mode = VectorMode::Cut;
    VectorPlan plan = BuildVectorPlan(PageDrawing(net, p, false, engrave), cutMode);
    std::vector<Segment> cuts, folds, marks;
    PageLines(net, p, cuts, folds);
    for (const PlanLayer& layer : plan.layers)
      for (const PlanPath& path : layer.paths) {
        const size_t n = path.points.size();
        for (size_t i = 0; i + 1 < n + (path.closed ? 1 : 0); ++i) {
          const Segment s{path.points[i], path.points[(i + 1) % n]};
          bool paper = false;
          for (const auto* lines : {&cuts, &folds})
            for (const Segment& l : *lines) paper = paper || OnLine(s.a, s.b, l.a, l.b);
          if (!paper) marks.push_back(s);
        }
      }
    plan.layers.clear();
    for (const NetNumber& n : net.numbers)
      for (const auto& stroke : n.strokes)
        for (size_t i = 0; i + 1 < stroke.size() && n.page == static_cast<int>(p); ++i)
          marks.push_back({stroke[i], stroke[i + 1]});
    PlanLayer cut = HairlineLayer("cut", "Cut #ff0000", Rgb(255, 0, 0), cuts);
    InnerLinesFirst(cut.paths, kerfMm);
    for (PlanLayer l : {HairlineLayer("engrave", "Engrave #000000", Rgb(0, 0, 0), marks),
                        HairlineLayer("score", "Score #0000ff", Rgb(0, 0, 255), folds), cut})
      if (!l.paths.empty()) plan.layers.push_back(std::move(l));
    plans.push_back(std::move(plan));
  }
  return plans;
}

bool SaveNetFile(const SolidPolyList& solid, const NetOptions& options, const std::string& path,
                 std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = "Failed to save " + path + ": " + why;
    return false;
  };
  const std::string ext = FileExtension(path);
  if (ext != "svg" && ext != "pdf") return fail("a net is saved as an .svg or .pdf file");
  if (!CheckWritable(path, error)) return false;
  SolidNet net;
  std::string why;
  if (!BuildSolidNet(solid, options, net, &why)) return fail(why);
  const std::vector<VectorPlan> plans =
      options.laser ? NetLaserPlans(net, options.engrave, options.kerfMm) : NetPlans(net);
  std::string bytes;
  if (ext == "svg")
    bytes = LayeredSvg(plans);
  else if (!PdfBytes(plans, bytes))
    return fail("the PDF could not be made");
  return WriteFileAtomically(path, bytes, error);
}

bool BuildOnePieceNet(const SolidPolyList& solid, SolidNet& net, std::string* why) {
  NetOptions options;
  options.folding = true;
  if (!BuildSolidNet(solid, options, net, why)) return false;
  return net.pages.size() == 1 || Fail(why, "the net does not fit in one piece");
}

}  // namespace wlg
