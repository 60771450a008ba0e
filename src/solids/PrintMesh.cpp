#include "solids/PrintMesh.h"

#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_exact_constructions_kernel.h>
#include <CGAL/Polygon_2_algorithms.h>
#include <CGAL/Triangulation_face_base_with_info_2.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include <algorithm>
#include <clipper.hpp>
#include <cmath>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>

#include "solids/SolidNet.h"
#include "solids/Vec3.h"

namespace wlg {

namespace {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

// Clipper's grid: a micrometre, far below what a printer lays down and far
// above what a float in an STL file can tell apart.
constexpr double kUnits = 1000;
// Region corners this close to a face edge lie on it.
constexpr double kSnapMm = 2 / kUnits;
// How far apart copies of one corner are put: well above what a float holds
// at a metre, well below anything a printer shows.
constexpr double kApartMm = 0.005;

bool Fail(std::string* why, const std::string& text) {
  if (why) *why = text;
  return false;
}

bool Filled(Colour c) { return static_cast<int32_t>(c) > 0; }

struct Decoration {
  int rank = 0;
  Colour colour = 0;
  std::vector<DPoint> points;  // clipped to the face, in its plane
};

// A region corner, on a face edge (then 'global' is the shared mesh vertex)
// or inside the face.
struct Node {
  DPoint p;
  int global = -1;
};

struct Face {
  int polygon = -1;
  std::vector<V3> corners;  // counter-clockwise seen from outside
  std::vector<int> cornerIds;
  std::vector<int> edges;              // the solid edge of side i (corner i to i + 1)
  std::vector<bool> forward;           // side i runs from the edge's first corner to its second
  V3 origin, u, w, n;                  // the face's plane: u, w in it, n out
  std::vector<DPoint> flat;            // the corners in (u, w)
  std::vector<Decoration> decoration;  // filled, in painting order
  std::vector<Path> rings;             // every region's outline
  std::vector<Paths> levels;           // where the relief is at least level k
  std::vector<int> levelRank;
  std::vector<bool> levelWhole;  // no region of the level was left flat
  struct Bin {
    Colour colour;
    int rank;
    Paths paths;
  };
  std::vector<Bin> bins;                 // the regions, each of one colour and one rank
  std::vector<std::vector<Node>> nodes;  // 'rings' with the edge points snapped

  DPoint Flat(V3 p) const { return {Dot(p - origin, u), Dot(p - origin, w)}; }
  V3 Space(DPoint p) const { return origin + u * p.x + w * p.y; }
};

struct SolidEdge {
  int a = 0, b = 0;  // corner vertex ids, a < b
  V3 A, B;
  int uses = 0;
  std::vector<double> t;  // where region outlines meet it, 0..1 from A
  std::vector<int> ids;   // the mesh vertices there
};

IntPoint Grid(DPoint p) {
  return {static_cast<cInt>(std::llround(p.x * kUnits)),
          static_cast<cInt>(std::llround(p.y * kUnits))};
}
DPoint Mm(const IntPoint& p) {
  return {static_cast<double>(p.X) / kUnits, static_cast<double>(p.Y) / kUnits};
}
Path ToPath(const std::vector<DPoint>& pts) {
  Path path;
  for (const DPoint& q : pts) path.push_back(Grid(q));
  return path;
}

bool InsideEvenOdd(const std::vector<DPoint>& poly, DPoint p) {
  bool in = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const DPoint a = poly[i], b = poly[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) in = !in;
  }
  return in;
}

// Even-odd over all the paths, at the point itself: rounded onto the grid,
// a point in a sliver between two outlines a micrometre apart could land
// on the wrong side of one.
bool InsidePaths(const Paths& paths, DPoint p) {
  bool in = false;
  const double x = p.x * kUnits, y = p.y * kUnits;
  for (const Path& path : paths)
    for (size_t i = 0, j = path.size() - 1; i < path.size(); j = i++) {
      const double ax = path[i].X, ay = path[i].Y, bx = path[j].X, by = path[j].Y;
      if ((ay > y) != (by > y) && x < (bx - ax) * (y - ay) / (by - ay) + ax) in = !in;
    }
  return in;
}

// Shrunk by 'mm': only whether anything is left counts, so square corners
// do (round ones cost far more points).
Paths Shrunk(const Paths& paths, double mm) {
  ClipperLib::ClipperOffset offset;
  offset.AddPaths(paths, ClipperLib::jtSquare, ClipperLib::etClosedPolygon);
  Paths out;
  offset.Execute(out, -mm * kUnits);
  return out;
}

Paths Boolean(ClipperLib::ClipType type, const Paths& subject, const Paths& clip,
              ClipperLib::PolyFillType subjectFill = ClipperLib::pftNonZero) {
  ClipperLib::Clipper c;
  c.AddPaths(subject, ClipperLib::ptSubject, true);
  c.AddPaths(clip, ClipperLib::ptClip, true);
  Paths out;
  c.Execute(type, out, subjectFill, ClipperLib::pftNonZero);
  return out;
}

// ---- reading the solid

V3 Corner(const SolidPolyList& s, int j, double scale) {
  const bool exact = s.ExactX.size() > static_cast<size_t>(j) &&
                     s.ExactY.size() > static_cast<size_t>(j) &&
                     s.ExactZ.size() > static_cast<size_t>(j);
  // Mirrored as the 3D view shows it (and as the OBJ file has it).
  const V3 v =
      exact ? V3{-s.ExactX[j], s.ExactY[j], s.ExactZ[j]} : V3{-s.VertX[j], s.VertY[j], s.VertZ[j]};
  return v * scale;
}

bool InRange(const SolidPolyList& s, int p) {
  const long first = s.PolyFirstPoint[p], last = first + s.PolyLastPoint[p];
  return s.PolyLastPoint[p] >= 2 && first >= 0 && last < SolidVertCapacity;
}

bool ReadFaces(const SolidPolyList& s, const PrintOptions& o, std::vector<Face>& faces,
               std::vector<SolidEdge>& edges, std::vector<V3>& cornerAt, std::string* why) {
  if (s.PolyCount < 3 || s.PolyCount >= SolidPolyCapacity || s.VertCount > SolidVertCapacity)
    return Fail(why, "there is no solid to print");
  // The faces' mean edge, so that the mesh's edges are o.edgeMm long.
  double total = 0;
  int sides = 0;
  for (int p = 0; p <= s.PolyCount; ++p) {
    if (s.PolyFace[p] != p || !InRange(s, p)) continue;
    const int first = s.PolyFirstPoint[p], n = s.PolyLastPoint[p] + 1;
    for (int k = 0; k < n; ++k) {
      total += Length(Corner(s, first + k, 1) - Corner(s, first + (k + 1) % n, 1));
      ++sides;
    }
  }
  if (sides == 0 || !std::isfinite(total) || total <= 0)
    return Fail(why, "there is no solid to print");
  const double scale = o.edgeMm * sides / total;

  std::map<std::array<double, 3>, int> cornerIds;
  std::map<std::pair<int, int>, int> edgeIds;
  std::vector<int> faceOf(s.PolyCount + 1, -1);
  for (int p = 0; p <= s.PolyCount; ++p) {
    if (!InRange(s, p)) continue;
    const int owner = s.PolyFace[p];
    if (owner != p) {
      if (owner < 0 || owner >= p || faceOf[owner] < 0 || !Filled(s.PolyColour[p])) continue;
      Face& f = faces[faceOf[owner]];
      const double plane = Dot(f.n, f.corners[0]);
      std::vector<DPoint> flat;
      for (int k = 0; k <= s.PolyLastPoint[p]; ++k) {
        const V3 v = Corner(s, s.PolyFirstPoint[p] + k, scale);
        const double along = Dot(f.n, v);
        // Decoration floats a little above its face: brought back onto it
        // along the line from the solid's centre.
        if (!std::isfinite(along) || along <= 0) {
          flat.clear();
          break;
        }
        flat.push_back(f.Flat(v * (plane / along)));
      }
      if (flat.empty()) continue;
      std::vector<DPoint> window(f.flat.rbegin(), f.flat.rend());
      Decoration d{s.PolyRank[p], s.PolyColour[p], ClipToFace(flat, window)};
      if (d.points.size() >= 3) f.decoration.push_back(std::move(d));
      continue;
    }
    Face f;
    f.polygon = p;
    V3 centre, n;
    for (int k = 0; k <= s.PolyLastPoint[p]; ++k) {
      const V3 v = Corner(s, s.PolyFirstPoint[p] + k, scale);
      if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
        return Fail(why, "the solid has a corner that is not a number");
      f.corners.push_back(v);
      centre = centre + v;
    }
    centre = centre * (1.0 / static_cast<double>(f.corners.size()));
    for (size_t i = 0; i < f.corners.size(); ++i)
      n = n + Cross(f.corners[i], f.corners[(i + 1) % f.corners.size()]);
    if (Length(n) == 0 || !(Dot(n, centre) != 0))
      return Fail(why, "the solid has a face without area");
    if (Dot(n, centre) < 0) {
      std::reverse(f.corners.begin(), f.corners.end());
      n = n * -1;
    }
    f.n = n * (1 / Length(n));
    f.origin = centre;
    f.u = f.corners[1] - f.corners[0];
    f.u = f.u * (1 / Length(f.u));
    f.w = Cross(f.n, f.u);
    for (const V3& c : f.corners) {
      f.flat.push_back(f.Flat(c));
      auto [it, added] = cornerIds.try_emplace({c.x, c.y, c.z}, static_cast<int>(cornerAt.size()));
      if (added) cornerAt.push_back(c);
      f.cornerIds.push_back(it->second);
    }
    for (size_t i = 0; i < f.corners.size(); ++i) {
      const int a = f.cornerIds[i], b = f.cornerIds[(i + 1) % f.corners.size()];
      if (a == b) return Fail(why, "the solid has a face without area");
      auto [it, added] =
          edgeIds.try_emplace({std::min(a, b), std::max(a, b)}, static_cast<int>(edges.size()));
      if (added) {
        SolidEdge e;
        e.a = std::min(a, b);
        e.b = std::max(a, b);
        e.A = cornerAt[e.a];
        e.B = cornerAt[e.b];
        edges.push_back(e);
      }
      ++edges[it->second].uses;
      f.edges.push_back(it->second);
      f.forward.push_back(a < b);
    }
    faceOf[p] = static_cast<int>(faces.size());
    faces.push_back(std::move(f));
  }
  if (faces.size() < 4) return Fail(why, "there is no solid to print");
  for (const SolidEdge& e : edges)
    if (e.uses != 2) return Fail(why, "the solid is not closed");
  for (Face& f : faces)
    // Higher ranks float above lower ones on the solid.
    std::stable_sort(f.decoration.begin(), f.decoration.end(),
                     [](const Decoration& a, const Decoration& b) { return a.rank < b.rank; });
  return true;
}

// ---- the regions of a face

// The visible part of each colour, and with a relief where it rises.
int FaceRegions(Face& f, const PrintOptions& o) {
  const Paths face{ToPath(f.flat)};
  // With a relief, a colour's parts at different ranks stand at different
  // heights, so they are outlined apart.
  std::map<std::pair<Colour, int>, Paths> byColour;
  // Ranks paint in order, so where the relief is at least rank r's is where
  // any polygon of rank r or higher shows: what lies under all of them,
  // taken as the polygons are gone through from the top.
  std::vector<std::pair<int, Paths>> under;
  Paths covered;
  for (size_t i = f.decoration.size(); i-- > 0;) {
    // Each polygon fills as the 3D view paints it, even-odd.
    const Paths clip{ToPath(f.decoration[i].points)};
    Paths shown = covered.empty()
                      ? Boolean(ClipperLib::ctUnion, clip, {}, ClipperLib::pftEvenOdd)
                      : Boolean(ClipperLib::ctDifference, clip, covered, ClipperLib::pftEvenOdd);
    if (!shown.empty()) {
      covered = covered.empty() ? shown : Boolean(ClipperLib::ctUnion, covered, shown);
      Paths& mine = byColour[{f.decoration[i].colour, o.reliefMm > 0 ? f.decoration[i].rank : 0}];
      mine.insert(mine.end(), shown.begin(), shown.end());
    }
    if (i == 0 || f.decoration[i - 1].rank != f.decoration[i].rank)
      under.emplace_back(f.decoration[i].rank, covered);
  }
  for (auto& [key, parts] : byColour) {
    Paths merged = Boolean(ClipperLib::ctUnion, parts, {});
    ClipperLib::CleanPolygons(merged, 1.5);
    std::erase_if(merged, [](const Path& p) { return p.size() < 3; });
    f.rings.insert(f.rings.end(), merged.begin(), merged.end());
    f.bins.push_back({key.first, key.second, std::move(merged)});
  }
  if (o.reliefMm <= 0) return 0;

  int flattened = 0;
  const double half = o.thinnestMm / 2;
  for (size_t u = under.size(); u-- > 0;) {
    const auto& [rank, raised] = under[u];
    const int before = flattened;
    if (raised.empty()) continue;
    // A region too thin to print anywhere (nothing is left of it shrunk by
    // half the thinnest width) stays flat as a whole; the rest rises with
    // exactly the outline its colours have, so the terraces add no lines
    // of their own to cut the faces by.
    const Paths eroded = half > 0 ? Shrunk(raised, half) : raised;
    ClipperLib::Clipper c;
    c.AddPaths(raised, ClipperLib::ptSubject, true);
    ClipperLib::PolyTree tree;
    c.Execute(ClipperLib::ctUnion, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    Paths kept;
    for (ClipperLib::PolyNode* n = tree.GetFirst(); n; n = n->GetNext()) {
      if (n->IsHole()) continue;
      IntPoint lo = n->Contour[0], hi = n->Contour[0];
      for (const IntPoint& q : n->Contour) {
        lo = {std::min(lo.X, q.X), std::min(lo.Y, q.Y)};
        hi = {std::max(hi.X, q.X), std::max(hi.Y, q.Y)};
      }
      bool survives = false;
      for (const Path& e : eroded) {
        for (const IntPoint& q : e) {
          if (q.X < lo.X || q.X > hi.X || q.Y < lo.Y || q.Y > hi.Y ||
              ClipperLib::PointInPolygon(q, n->Contour) == 0)
            continue;
          bool inHole = false;
          for (const ClipperLib::PolyNode* h : n->Childs)
            if (ClipperLib::PointInPolygon(q, h->Contour) == 1) inHole = true;
          if (!inHole) {
            survives = true;
            break;
          }
        }
        if (survives) break;
      }
      if (!survives) {
        ++flattened;
        continue;
      }
      kept.push_back(n->Contour);
      for (const ClipperLib::PolyNode* h : n->Childs) kept.push_back(h->Contour);
    }
    // Its outline is outlined already, between the colours of ranks below
    // and above.
    if (kept.empty()) continue;
    f.levels.push_back(std::move(kept));
    f.levelRank.push_back(rank);
    f.levelWhole.push_back(flattened == before);
  }
  return flattened;
}

// Where outlines meet a face edge, as the edge's parameter from its first
// corner; 'side' < 0 when the point is not on an edge.
void OnEdge(const Face& f, DPoint p, int& side, double& t) {
  side = -1;
  for (size_t i = 0; i < f.flat.size(); ++i) {
    const DPoint a = f.flat[i], b = f.flat[(i + 1) % f.flat.size()];
    const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
    const double across = (dx * (p.y - a.y) - dy * (p.x - a.x)) / len;
    const double along = (dx * (p.x - a.x) + dy * (p.y - a.y)) / len;
    if (std::abs(across) > kSnapMm || along < -kSnapMm || along > len + kSnapMm) continue;
    side = static_cast<int>(i);
    const double s = std::clamp(along / len, 0.0, 1.0);
    t = f.forward[i] ? s : 1 - s;
    return;
  }
}

// The face sides a point lies on, one bit each.
unsigned Sides(const Face& f, DPoint p) {
  unsigned mask = 0;
  for (size_t i = 0; i < f.flat.size() && i < 32; ++i) {
    const DPoint a = f.flat[i], b = f.flat[(i + 1) % f.flat.size()];
    const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
    const double across = (dx * (p.y - a.y) - dy * (p.x - a.x)) / len;
    const double along = (dx * (p.x - a.x) + dy * (p.y - a.y)) / len;
    if (std::abs(across) <= kSnapMm && along >= -kSnapMm && along <= len + kSnapMm) mask |= 1u << i;
  }
  return mask;
}

// ---- the mesh of a face

struct VInfo {
  int global = -1;
};
struct FInfo {
  bool inside = false;
  int cell = -1;
  int level = -1;
};
// Outlines cross one another: their crossings must be exact, or the
// triangulation's walks along them can go round for ever.
using K = CGAL::Exact_predicates_exact_constructions_kernel;
using Vb = CGAL::Triangulation_vertex_base_with_info_2<VInfo, K>;
using Fbi = CGAL::Triangulation_face_base_with_info_2<FInfo, K>;
using Fb = CGAL::Constrained_triangulation_face_base_2<K, Fbi>;
using Tds = CGAL::Triangulation_data_structure_2<Vb, Fb>;
using CDT = CGAL::Constrained_Delaunay_triangulation_2<K, Tds, CGAL::Exact_predicates_tag>;
using VH = CDT::Vertex_handle;
using FH = CDT::Face_handle;

class MeshBuilder {
 public:
  MeshBuilder(PrintMesh& mesh, const PrintOptions& o) : mesh_(mesh), o_(o) {}

  void AddFace(const Face& f, const std::vector<SolidEdge>& edges) {
    CDT cdt;
    auto insert = [&](DPoint p, int global) {
      VH v = cdt.insert(K::Point_2(p.x, p.y));
      if (global >= 0) v->info().global = global;
      return v;
    };
    // Terraces share most of their outlines with each other and with the
    // colours: each piece is constrained once.
    std::set<std::pair<VH, VH>> done;
    auto constrain = [&](VH a, VH b) {
      if (a == b || !done.insert(std::minmax(a, b)).second) return;
      cdt.insert_constraint(a, b);
    };
    // The face's outline through every point either face puts on each edge.
    std::vector<VH> chain;
    for (size_t i = 0; i < f.flat.size(); ++i) {
      chain.push_back(insert(f.flat[i], f.cornerIds[i]));
      const SolidEdge& e = edges[f.edges[i]];
      const size_t n = e.t.size();
      for (size_t k = 0; k < n; ++k) {
        const size_t j = f.forward[i] ? k : n - 1 - k;
        chain.push_back(insert(f.Flat(mesh3(e.ids[j])), e.ids[j]));
      }
    }
    for (size_t i = 0; i < chain.size(); ++i) {
      VH a = chain[i], b = chain[(i + 1) % chain.size()];
      constrain(a, b);
    }
    for (const std::vector<Node>& ring : f.nodes) {
      std::vector<VH> vs;
      std::vector<unsigned> sides;
      for (const Node& n : ring) {
        vs.push_back(insert(n.p, n.global));
        sides.push_back(n.global >= 0 ? Sides(f, n.p) : 0);
      }
      // A stretch along the face's outline is the outline's constraint
      // already. Drawn again straight, it would pass a hair beside the
      // outline's own points (they are not exactly in line) and cut it into
      // pieces the neighbouring face does not have.
      for (size_t i = 0; i < vs.size(); ++i)
        if (!(sides[i] & sides[(i + 1) % vs.size()])) constrain(vs[i], vs[(i + 1) % vs.size()]);
    }

    for (FH t : cdt.all_face_handles()) t->info() = FInfo{!cdt.is_infinite(t), -1, -1};
    std::vector<K::Point_2> outline;
    for (VH v : chain) outline.push_back(v->point());
    // Cells between constraints take one colour and one height.
    std::vector<Colour> cellColour;
    for (FH t : cdt.finite_face_handles()) {
      if (!t->info().inside || t->info().cell >= 0) continue;
      const int cell = static_cast<int>(cellColour.size());
      FH best = t;
      double bestArea = -1;
      std::vector<FH> members{t};
      t->info().cell = cell;
      for (size_t m = 0; m < members.size(); ++m) {
        FH c = members[m];
        const double area = std::abs(CGAL::to_double(cdt.triangle(c).area()));
        if (area > bestArea) {
          bestArea = area;
          best = c;
        }
        for (int i = 0; i < 3; ++i) {
          FH u = c->neighbor(i);
          if (!u->info().inside || u->info().cell >= 0 || cdt.is_constrained({c, i})) continue;
          u->info().cell = cell;
          members.push_back(u);
        }
      }
      const K::Point_2 c = CGAL::centroid(cdt.triangle(best));
      // The outline is a constraint, so a whole cell lies inside or out;
      // exact arithmetic tells slivers along it apart.
      if (CGAL::bounded_side_2(outline.begin(), outline.end(), c, K()) != CGAL::ON_BOUNDED_SIDE) {
        for (FH m : members) m->info().inside = false;
        cellColour.push_back(0);
        continue;
      }
      const DPoint at{CGAL::to_double(c.x()), CGAL::to_double(c.y())};
      // The cell's region, tested against the very outlines that bound it.
      Colour colour = faceColour_;
      int rank = -1;
      for (const Face::Bin& b : f.bins)
        if (InsidePaths(b.paths, at)) {
          colour = b.colour;
          rank = b.rank;
          break;
        }
      // It stands on the highest terrace of its rank or below; where a
      // terrace lost a region too thin to raise, its outline tells.
      int level = -1;
      for (int k = static_cast<int>(f.levels.size()); k-- > 0;)
        if (f.levelRank[k] <= rank && (f.levelWhole[k] || InsidePaths(f.levels[k], at))) {
          level = k;
          break;
        }
      for (FH m : members) m->info().level = level;
      cellColour.push_back(colour);
    }

    // Round each corner, the levels of the triangles in turn (outside the
    // face counts as the face itself). A corner's column of walls is split
    // at every height met there, and where regions of one height meet only
    // at the corner (two squares touching tip to tip) each run of
    // triangles at or above a height gets its own copy of the corner, so
    // that no edge is shared by four walls.
    struct Round {
      std::vector<FH> faces;
      std::vector<int> heights;               // sorted, distinct
      std::map<int, std::vector<int>> runOf;  // height -> run of each face
    };
    std::map<VH, Round> rounds;
    auto levelOf = [&](FH t) {
      return !cdt.is_infinite(t) && t->info().inside ? t->info().level : -1;
    };
    for (VH v : cdt.finite_vertex_handles()) {
      Round r;
      std::vector<int> lev;
      CDT::Face_circulator fc = cdt.incident_faces(v), end = fc;
      bool inside = false;
      do {
        r.faces.push_back(fc);
        lev.push_back(levelOf(fc));
        inside = inside || (!cdt.is_infinite(fc) && fc->info().inside);
      } while (++fc != end);
      if (!inside) continue;
      r.heights = lev;
      std::sort(r.heights.begin(), r.heights.end());
      r.heights.erase(std::unique(r.heights.begin(), r.heights.end()), r.heights.end());
      const size_t m = lev.size();
      for (int h : r.heights) {
        std::vector<int> run(m, -1);
        // Start just after a face below h, so that no run wraps round.
        size_t start = 0;
        while (start < m && lev[start] >= h) ++start;
        int id = 0;
        for (size_t k = 0; k < m; ++k) {
          const size_t j = (start + 1 + k) % m;
          if (lev[j] < h) {
            ++id;
            continue;
          }
          run[j] = id;
        }
        r.runOf[h] = std::move(run);
      }
      rounds[v] = std::move(r);
    }
    std::map<std::tuple<VH, int, int>, int> ids;
    // The copy of corner v at 'level' for the run that holds face 'side'.
    auto vertex = [&](VH v, int level, FH side) {
      if (level < 0 && v->info().global >= 0) return v->info().global;
      const Round& r = rounds[v];
      int run = 0;
      for (size_t j = 0; j < r.faces.size(); ++j)
        if (r.faces[j] == side) run = r.runOf.at(level)[j];
      auto [it, added] = ids.try_emplace({v, level, run}, 0);
      if (added) {
        it->second = static_cast<int>(mesh_.vertices.size());
        const DPoint at{CGAL::to_double(v->point().x()), CGAL::to_double(v->point().y())};
        V3 p = (v->info().global >= 0 ? mesh3(v->info().global) : f.Space(at)) +
               f.n * Height(f, level);
        // Copies of one corner would be one point in the file, and a reader
        // would join them again: each moves a hair into its own run.
        const std::vector<int>& runs = r.runOf.at(level);
        if (std::any_of(runs.begin(), runs.end(), [&](int k) { return k >= 0 && k != run; })) {
          DPoint towards{0, 0};
          for (size_t j = 0; j < r.faces.size(); ++j)
            if (runs[j] == run && !cdt.is_infinite(r.faces[j])) {
              const K::Point_2 c = CGAL::centroid(cdt.triangle(r.faces[j]));
              const double dx = CGAL::to_double(c.x()) - at.x, dy = CGAL::to_double(c.y()) - at.y;
              const double len = std::hypot(dx, dy);
              if (len > 0) towards = {towards.x + dx / len, towards.y + dy / len};
            }
          const double len = std::hypot(towards.x, towards.y);
          if (len > 0) p = p + (f.u * towards.x + f.w * towards.y) * (kApartMm / len);
        }
        mesh_.vertices.push_back({p.x, p.y, p.z});
      }
      return it->second;
    };
    for (FH t : cdt.finite_face_handles()) {
      if (!t->info().inside) continue;
      const int level = t->info().level;
      const Colour colour = cellColour[t->info().cell];
      Add(vertex(t->vertex(0), level, t), vertex(t->vertex(1), level, t),
          vertex(t->vertex(2), level, t), colour);
      for (int i = 0; i < 3; ++i) {
        FH u = t->neighbor(i);
        const int below = levelOf(u);
        if (below >= level) continue;
        // A wall down to the lower side, split wherever another height
        // meets either end.
        VH a = t->vertex(CDT::ccw(i)), b = t->vertex(CDT::cw(i));
        std::vector<int> left, right;
        for (int h : rounds[a].heights)
          if (h >= below && h <= level) left.push_back(h);
        for (int h : rounds[b].heights)
          if (h >= below && h <= level) right.push_back(h);
        size_t l = 0, r = 0;
        while (l + 1 < left.size() || r + 1 < right.size()) {
          const bool up =
              r + 1 < right.size() && (l + 1 >= left.size() || right[r + 1] <= left[l + 1]);
          if (up) {
            Add(vertex(a, left[l], t), vertex(b, right[r], t), vertex(b, right[r + 1], t), colour);
            ++r;
          } else {
            Add(vertex(a, left[l], t), vertex(b, right[r], t), vertex(a, left[l + 1], t), colour);
            ++l;
          }
        }
      }
    }
  }

  V3 mesh3(int id) const {
    const auto& v = mesh_.vertices[id];
    return {v[0], v[1], v[2]};
  }
  Colour faceColour_ = 0;

 private:
  double Height(const Face& f, int level) const {
    return level < 0 ? 0 : o_.reliefMm * (f.levelRank[level] + 1);
  }
  void Add(int a, int b, int c, Colour colour) {
    if (a == b || b == c || a == c) return;
    mesh_.triangles.push_back({a, b, c});
    mesh_.colours.push_back(colour);
  }
  PrintMesh& mesh_;
  const PrintOptions& o_;
};

// The face the solid rests on: its largest (the first of equals).
const Face& Base(const std::vector<Face>& faces) {
  const Face* base = &faces[0];
  double most = 0;
  for (const Face& f : faces) {
    V3 n;
    for (size_t i = 0; i < f.corners.size(); ++i)
      n = n + Cross(f.corners[i], f.corners[(i + 1) % f.corners.size()]);
    if (Length(n) > most * (1 + 1e-9)) {
      most = Length(n);
      base = &f;
    }
  }
  return *base;
}

// Turns the solid onto 'base' and lifts it onto z = 0.
void Place(PrintMesh& mesh, const Face* base) {
  // The rotation taking the base's outward normal to -z (Rodrigues).
  const V3 from = base->n, to{0, 0, -1};
  V3 axis = Cross(from, to);
  const double sin = Length(axis), cos = Dot(from, to);
  if (sin < 1e-12)
    axis = {1, 0, 0};
  else
    axis = axis * (1 / sin);
  const double angle = std::atan2(sin, cos);
  const double c = std::cos(angle), s = std::sin(angle);
  double minZ = HUGE_VAL, minX = HUGE_VAL, maxX = -HUGE_VAL, minY = HUGE_VAL, maxY = -HUGE_VAL;
  for (auto& v : mesh.vertices) {
    const V3 p{v[0], v[1], v[2]};
    const V3 r = p * c + Cross(axis, p) * s + axis * (Dot(axis, p) * (1 - c));
    v = {r.x, r.y, r.z};
    minZ = std::min(minZ, r.z);
    minX = std::min(minX, r.x);
    maxX = std::max(maxX, r.x);
    minY = std::min(minY, r.y);
    maxY = std::max(maxY, r.y);
  }
  for (auto& v : mesh.vertices) {
    v[0] -= (minX + maxX) / 2;
    v[1] -= (minY + maxY) / 2;
    v[2] = std::max(0.0, v[2] - minZ);
  }
}

// Corners the exact cut tells apart can be one point in the file's floats
// (an STL or 3MF stores no more): those become one vertex, and the
// triangles between them, which have no area, go.
void Weld(PrintMesh& mesh) {
  std::map<std::array<float, 3>, int> at;
  std::vector<int> to(mesh.vertices.size());
  std::vector<std::array<double, 3>> kept;
  for (size_t i = 0; i < mesh.vertices.size(); ++i) {
    const auto& v = mesh.vertices[i];
    const std::array<float, 3> key{static_cast<float>(v[0]), static_cast<float>(v[1]),
                                   static_cast<float>(v[2])};
    auto [it, added] = at.try_emplace(key, static_cast<int>(kept.size()));
    if (added) kept.push_back({key[0], key[1], key[2]});
    to[i] = it->second;
  }
  auto drop = [&](std::vector<int>& to) {
    size_t n = 0;
    for (size_t t = 0; t < mesh.triangles.size(); ++t) {
      const std::array<int, 3> tri{to[mesh.triangles[t][0]], to[mesh.triangles[t][1]],
                                   to[mesh.triangles[t][2]]};
      if (tri[0] == tri[1] || tri[1] == tri[2] || tri[0] == tri[2]) continue;
      mesh.triangles[n] = tri;
      mesh.colours[n++] = mesh.colours[t];
    }
    mesh.triangles.resize(n);
    mesh.colours.resize(n);
  };
  drop(to);
  // A sliver whose three corners fell onto one line: its middle corner
  // joins the nearer end, and the sliver and its neighbour go.
  for (int pass = 0; pass < 4; ++pass) {
    std::vector<int> join(kept.size());
    for (size_t i = 0; i < join.size(); ++i) join[i] = static_cast<int>(i);
    bool any = false;
    for (const auto& t : mesh.triangles) {
      const V3 p[3] = {{kept[t[0]][0], kept[t[0]][1], kept[t[0]][2]},
                       {kept[t[1]][0], kept[t[1]][1], kept[t[1]][2]},
                       {kept[t[2]][0], kept[t[2]][1], kept[t[2]][2]}};
      const V3 n = Cross(p[1] - p[0], p[2] - p[0]);
      if (Dot(n, n) != 0) continue;
      int mid = 0;
      for (int k = 1; k < 3; ++k)
        if (Dot(p[(k + 1) % 3] - p[k], p[(k + 2) % 3] - p[k]) <
            Dot(p[(mid + 1) % 3] - p[mid], p[(mid + 2) % 3] - p[mid]))
          mid = k;
      const int a = (mid + 1) % 3, b = (mid + 2) % 3;
      const int to = Length(p[a] - p[mid]) <= Length(p[b] - p[mid]) ? a : b;
      if (join[t[mid]] != t[mid] || join[t[to]] != t[to]) continue;
      join[t[mid]] = t[to];
      any = true;
    }
    if (!any) break;
    for (int& j : join)
      while (join[j] != j) j = join[j];
    drop(join);
  }
  // Only the corners still used.
  std::vector<int> used(kept.size(), -1);
  mesh.vertices.clear();
  for (auto& t : mesh.triangles)
    for (int& v : t) {
      if (used[v] < 0) {
        used[v] = static_cast<int>(mesh.vertices.size());
        mesh.vertices.push_back(kept[v]);
      }
      v = used[v];
    }
}

}  // namespace

bool BuildPrintMesh(const SolidPolyList& solid, const PrintOptions& o, PrintMesh& mesh,
                    std::string* why) {
  mesh = PrintMesh{};
  if (!(o.edgeMm >= kMinPrintEdgeMm && o.edgeMm <= kMaxPrintEdgeMm))
    return Fail(why, "the edge length must be between 1 and 1000 mm");
  if (!(o.reliefMm >= 0 && o.reliefMm <= kMaxReliefMm) || !(o.thinnestMm >= 0 && o.thinnestMm < 10))
    return Fail(why, "the relief must be between 0 and 20 mm");
  std::vector<Face> faces;
  std::vector<SolidEdge> edges;
  std::vector<V3> corners;
  if (!ReadFaces(solid, o, faces, edges, corners, why)) return false;
  for (const V3& c : corners) mesh.vertices.push_back({c.x, c.y, c.z});

  // Every point where a region meets an edge, from both faces, becomes one
  // vertex that both faces' triangles use.
  // The face on the plate stays flat: raised, it would stand on its
  // decoration and rock.
  const Face& base = Base(faces);
  PrintOptions flat = o;
  flat.reliefMm = 0;
  for (Face& f : faces) mesh.flattened += FaceRegions(f, &f == &base ? flat : o);
  for (Face& f : faces)
    for (const Path& ring : f.rings)
      for (const IntPoint& q : ring) {
        int side;
        double t;
        OnEdge(f, Mm(q), side, t);
        if (side >= 0) edges[f.edges[side]].t.push_back(t);
      }
  for (SolidEdge& e : edges) {
    const double tol = kSnapMm / Length(e.B - e.A);
    std::sort(e.t.begin(), e.t.end());
    std::vector<double> kept;
    for (double t : e.t)
      if (t > tol && t < 1 - tol && (kept.empty() || t - kept.back() > tol)) kept.push_back(t);
    e.t = std::move(kept);
    for (double t : e.t) {
      e.ids.push_back(static_cast<int>(mesh.vertices.size()));
      const V3 p = e.A + (e.B - e.A) * t;
      mesh.vertices.push_back({p.x, p.y, p.z});
    }
  }
  for (Face& f : faces)
    for (const Path& ring : f.rings) {
      std::vector<Node> nodes;
      for (const IntPoint& q : ring) {
        Node n{Mm(q), -1};
        int side;
        double t;
        OnEdge(f, n.p, side, t);
        if (side >= 0) {
          const SolidEdge& e = edges[f.edges[side]];
          const double tol = kSnapMm / Length(e.B - e.A);
          if (t <= tol) {
            n.global = e.a;
          } else if (t >= 1 - tol) {
            n.global = e.b;
          } else {
            const size_t k = std::lower_bound(e.t.begin(), e.t.end(), t - tol) - e.t.begin();
            n.global = k < e.ids.size() ? e.ids[k] : e.b;
          }
        }
        if (n.global >= 0) {
          const auto& v = mesh.vertices[n.global];
          n.p = f.Flat({v[0], v[1], v[2]});
        }
        if (nodes.empty() || nodes.back().global != n.global || n.global < 0) nodes.push_back(n);
      }
      while (nodes.size() > 1 && nodes.back().global >= 0 && nodes.back().global == nodes[0].global)
        nodes.pop_back();
      if (nodes.size() >= 3) f.nodes.push_back(std::move(nodes));
    }

  MeshBuilder builder(mesh, o);
  try {
    for (const Face& f : faces) {
      builder.faceColour_ = solid.PolyColour[f.polygon];
      builder.AddFace(f, edges);
    }
  } catch (const std::exception&) {
    return Fail(why, "the decoration could not be cut into the faces");
  }
  Place(mesh, &base);
  Weld(mesh);
  return true;
}

}  // namespace wlg
