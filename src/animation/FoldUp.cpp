#include "animation/FoldUp.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

#include "animation/SpinFrames.h"
#include "solids/SolidNet.h"
#include "solids/Vec3.h"
#include "solids/frm3D.h"

namespace wlg {

namespace {

constexpr double Pi = 3.14159265358979;

// x -> r x + t.
struct Motion {
  double r[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  V3 t;
  V3 operator()(V3 p) const {
    return V3{r[0][0] * p.x + r[0][1] * p.y + r[0][2] * p.z,
              r[1][0] * p.x + r[1][1] * p.y + r[1][2] * p.z,
              r[2][0] * p.x + r[2][1] * p.y + r[2][2] * p.z} +
           t;
  }
  V3 Turn(V3 p) const { return (*this)(p)-t; }
};

// A turn by 'angle' about the line through 'at' along the unit 'axis' (Rodrigues).
Motion TurnAbout(V3 at, V3 axis, double angle) {
  Motion m;
  const double c = std::cos(angle), s = std::sin(angle), k = 1 - c;
  const double x = axis.x, y = axis.y, z = axis.z;
  const double r[3][3] = {{c + x * x * k, x * y * k - z * s, x * z * k + y * s},
                          {y * x * k + z * s, c + y * y * k, y * z * k - x * s},
                          {z * x * k - y * s, z * y * k + x * s, c + z * z * k}};
  std::copy(&r[0][0], &r[0][0] + 9, &m.r[0][0]);
  m.t = at - m.Turn(at);
  return m;
}

// a after b.
Motion Then(const Motion& a, const Motion& b) {
  Motion m;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      m.r[i][j] = a.r[i][0] * b.r[0][j] + a.r[i][1] * b.r[1][j] + a.r[i][2] * b.r[2][j];
  m.t = a(b.t);
  return m;
}

V3 Corner(const SolidPolyList& s, int polygon, int k) {
  const int j = s.PolyFirstPoint[polygon] + k;
  return {s.VertX[j], s.VertY[j], s.VertZ[j]};
}

// Polygons are wound with their normal into the solid; this one points out.
V3 Outward(const SolidPolyList& s, int polygon) {
  V3 n;
  const int count = s.PolyLastPoint[polygon] + 1;
  for (int k = 0; k < count; ++k) {
    const V3 a = Corner(s, polygon, k), b = Corner(s, polygon, (k + 1) % count);
    n = n + Cross(a, b);
  }
  return Unit(n * -1);
}

bool Usable(const SolidPolyList& s, int p) {
  const int first = s.PolyFirstPoint[p], last = s.PolyLastPoint[p];
  return first >= 0 && last >= 2 && last < 10 &&
         first + last < std::min(s.VertCount + 1, SolidVertCapacity);
}

// The renderer only needs somewhere to draw; the frames are drawn through
// the depth buffer from its projected points.
class NoCanvas : public Canvas {
 public:
  NoCanvas(int w, int h) : w_(w), h_(h) {}
  int Width() const override { return w_; }
  int Height() const override { return h_; }
  void Clear() override {}
  void Polygon(const IPoint*, int) override {}
  void Polyline(const IPoint*, int) override {}
  void Line(int, int, int, int, Colour) override {}
  void Dot(int, int, Colour) override {}
  Colour PointColour(int, int) const override { return 0; }
  void FloodFillSurface(int, int, Colour) override {}

 private:
  int w_, h_;
};

QRgb ToQRgb(Colour c) { return qRgb(RedOf(c), GreenOf(c), BlueOf(c)); }

// The inside of the paper: the face colours do not show through.
constexpr Colour kPaper = Rgb(236, 232, 222);

}  // namespace

FoldUp::FoldUp(frm3D& view, const SolidPolyList& solid)
    : view_(view),
      solid_(solid),
      work_(std::make_unique<SolidPolyList>(solid)),
      renderer_(view.shaded),
      width_(view.pic3D().canvas.Width()),
      height_(view.pic3D().canvas.Height()),
      closed_(width_, height_) {
  const ImageCanvas& shown = view.pic3D().canvas;
  closed_.backColour = shown.backColour;
  closed_.drawWidth = shown.drawWidth;
  closed_.drawStyle = shown.drawStyle;
}

std::unique_ptr<FoldUp> FoldUp::Make(frm3D& view, const SolidPolyList& solid, int frames,
                                     std::string* why) {
  SolidNet net;
  if (!BuildOnePieceNet(solid, net, why)) return nullptr;
  std::unique_ptr<FoldUp> f(new FoldUp(view, solid));
  f->back_ = ToQRgb(f->renderer_.BackColour);
  f->frames_ = std::max(1, frames);
  const int n = f->frames_;
  f->flat_ = std::max(1, static_cast<int>(std::lround(0.1 * n)));
  const int turn =
      n < 3 ? 0 : std::clamp(static_cast<int>(std::lround(0.3 * n)), 1, n - f->flat_ - 1);
  f->fold_ = n - f->flat_ - turn;
  f->thetaTurns_ = SpinTurnsOf(view).theta;
  f->phiTurns_ = SpinTurnsOf(view).phi;

  // The eye as the window sees the solid.
  NoCanvas none(f->width_, f->height_);
  f->renderer_.DrawData(none, solid);
  const auto& e = f->renderer_.Eye();
  const V3 eye = Unit(V3{e[0], e[1], e[2]});

  // The hinge tree: faces joined by the net's folds, grown from the face
  // that looks most towards the eye, which then lies flat facing it.
  const int faces = static_cast<int>(net.faces.size());
  for (const NetFace& face : net.faces)
    if (face.polygon < 0 || face.polygon > solid.PolyCount || !Usable(solid, face.polygon)) {
      if (why) *why = "the solid has a face that cannot be folded";
      return nullptr;
    }
  std::vector<std::vector<int>> joined(faces);
  for (const NetEdge& edge : net.edges)
    if (edge.fold) {
      joined[edge.faceA].push_back(edge.faceB);
      joined[edge.faceB].push_back(edge.faceA);
    }
  int root = 0;
  for (int k = 1; k < faces; ++k)
    if (Dot(Outward(solid, net.faces[k].polygon), eye) >
        Dot(Outward(solid, net.faces[root].polygon), eye))
      root = k;
  std::vector<int> hingeOf(faces, -1);
  std::queue<int> next;
  next.push(root);
  hingeOf[root] = 0;
  f->hinges_.push_back({net.faces[root].polygon, -1, {}, {}, 0});
  double size = 0;
  for (int j = 0; j <= solid.VertCount && j < SolidVertCapacity; ++j)
    size = std::max({size, std::abs(double(solid.VertX[j])), std::abs(double(solid.VertY[j])),
                     std::abs(double(solid.VertZ[j]))});
  while (!next.empty()) {
    const int a = next.front();
    next.pop();
    for (int b : joined[a]) {
      if (hingeOf[b] >= 0) continue;
      const int pa = net.faces[a].polygon, pb = net.faces[b].polygon;
      // The fold's two ends: the corners the faces share.
      std::vector<V3> ends;
      for (int i = 0; i <= solid.PolyLastPoint[pb]; ++i)
        for (int k = 0; k <= solid.PolyLastPoint[pa]; ++k)
          if (Length(Corner(solid, pb, i) - Corner(solid, pa, k)) < 1e-3 * size)
            ends.push_back(Corner(solid, pb, i));
      if (ends.size() != 2) {
        if (why) *why = "two folded faces of the net do not share an edge";
        return nullptr;
      }
      const V3 axis = Unit(ends[1] - ends[0]);
      const V3 na = Outward(solid, pa), nb = Outward(solid, pb);
      Hinge h;
      h.polygon = pb;
      h.parent = hingeOf[a];
      h.axisPoint[0] = ends[0].x, h.axisPoint[1] = ends[0].y, h.axisPoint[2] = ends[0].z;
      h.axis[0] = axis.x, h.axis[1] = axis.y, h.axis[2] = axis.z;
      // The turn that lays b into a's plane: b's normal onto a's.
      h.angle = std::atan2(Dot(axis, Cross(nb, na)), Dot(nb, na));
      hingeOf[b] = static_cast<int>(f->hinges_.size());
      f->hinges_.push_back(h);
      next.push(b);
    }
  }
  if (static_cast<int>(f->hinges_.size()) != faces) {
    if (why) *why = "the net is not in one piece";
    return nullptr;
  }
  f->ownerHinge_.assign(solid.PolyCount + 1, -1);
  std::vector<int> hingeOfPolygon(solid.PolyCount + 1, -1);
  for (size_t h = 0; h < f->hinges_.size(); ++h)
    hingeOfPolygon[f->hinges_[h].polygon] = static_cast<int>(h);
  for (int p = 0; p <= solid.PolyCount; ++p) {
    const int owner = solid.PolyFace[p];
    if (!Usable(solid, p) || owner < 0 || owner > solid.PolyCount) continue;
    f->ownerHinge_[p] = hingeOfPolygon[owner];
    if (owner != p && hingeOfPolygon[owner] >= 0) f->decoration_.push_back(p);
  }
  // Higher ranks float above lower ones.
  std::stable_sort(f->decoration_.begin(), f->decoration_.end(),
                   [&](int a, int b) { return solid.PolyRank[a] < solid.PolyRank[b]; });

  // Flat, the root face turns to face the eye, and the net is shrunk to
  // about the solid's size.
  const V3 up = Outward(solid, net.faces[root].polygon);
  const V3 across = Cross(up, eye);
  f->flatAngle_ = std::atan2(Length(across), Dot(up, eye));
  V3 axis = Length(across) > 1e-9
                ? Unit(across)
                : Unit(Cross(up, std::abs(up.x) < 0.9 ? V3{1, 0, 0} : V3{0, 1, 0}));
  f->flatAxis_[0] = axis.x, f->flatAxis_[1] = axis.y, f->flatAxis_[2] = axis.z;
  auto reach = [&] {
    double r = 0;
    for (const Hinge& h : f->hinges_)
      for (int k = 0; k <= solid.PolyLastPoint[h.polygon]; ++k) {
        const int j = solid.PolyFirstPoint[h.polygon] + k;
        r = std::max(r, Length(V3{f->work_->VertX[j], f->work_->VertY[j], f->work_->VertZ[j]}));
      }
    return r;
  };
  f->flatScale_ = 1;
  f->Place(1);
  const double closed = reach();
  f->Place(0);
  f->flatScale_ = std::min(1.0, 1.4 * closed / std::max(reach(), 1e-9));
  return f;
}

void FoldUp::Place(double u) {
  std::vector<Motion> moved(hinges_.size());
  V3 centre;
  int corners = 0;
  for (size_t h = 0; h < hinges_.size(); ++h) {
    const Hinge& g = hinges_[h];
    if (g.parent >= 0) {
      const Motion own = TurnAbout(V3{g.axisPoint[0], g.axisPoint[1], g.axisPoint[2]},
                                   V3{g.axis[0], g.axis[1], g.axis[2]}, (1 - u) * g.angle);
      moved[h] = Then(moved[g.parent], own);
    }
    for (int k = 0; k <= solid_.PolyLastPoint[g.polygon]; ++k, ++corners)
      centre = centre + moved[h](Corner(solid_, g.polygon, k));
  }
  centre = centre * (1.0 / std::max(corners, 1));
  // The whole piece: centred while flat, turned to face the eye, and grown
  // back to the solid's size as it closes.
  Motion whole = TurnAbout({}, V3{flatAxis_[0], flatAxis_[1], flatAxis_[2]}, (1 - u) * flatAngle_);
  const double scale = std::pow(flatScale_, 1 - u);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) whole.r[i][j] *= scale;
  whole.t = whole(centre * -(1 - u));
  for (size_t h = 0; h < hinges_.size(); ++h) moved[h] = Then(whole, moved[h]);
  for (int p = 0; p < static_cast<int>(ownerHinge_.size()); ++p) {
    if (ownerHinge_[p] < 0) continue;
    const Motion& m = moved[ownerHinge_[p]];
    for (int k = 0; k <= solid_.PolyLastPoint[p]; ++k) {
      const int j = solid_.PolyFirstPoint[p] + k;
      const V3 q = m(V3{solid_.VertX[j], solid_.VertY[j], solid_.VertZ[j]});
      work_->VertX[j] = static_cast<float>(q.x);
      work_->VertY[j] = static_cast<float>(q.y);
      work_->VertZ[j] = static_cast<float>(q.z);
    }
  }
}

void FoldUp::Rasterise(int polygon, QRgb fill, bool filled, int face, double range) {
  // A face's own outline, and decoration over a face, lie on it: they pass
  // at depths a small share of the whole behind. Printed on the paper,
  // decoration shows only where its own face does.
  const bool decoration = face != polygon;
  const double level = 1e-4 * range, over = decoration ? 2e-3 * range : level, line = 1e-3 * range;
  // A face's outline stays under the decoration printed over it.
  auto passes = [&](size_t at, double depth, double outline) {
    if (decoration && faceAt_[at] != face) return false;
    const double extra = decorated_[at] && !decoration ? 0 : outline;
    return depth + (decorated_[at] ? level : over) + extra >= depth_[at];
  };
  auto put = [&](size_t at, double depth, QRgb colour, QRgb* px) {
    depth_[at] = std::max(depth_[at], static_cast<float>(depth));
    if (!decoration) faceAt_[at] = face;
    decorated_[at] = decoration;
    *px = colour;
  };
  const SolidPointTable& pts = renderer_.SolidPoints();
  const int first = work_->PolyFirstPoint[polygon], count = work_->PolyLastPoint[polygon] + 1;
  double x[10], y[10], z[10];
  double cx = 0, cy = 0, cz = 0, nx = 0, ny = 0, nz = 0;
  for (int k = 0; k < count; ++k) {
    const Point4& s = pts.Screen[first + k];
    // The renderer's own rounding to pixels.
    x[k] = std::nearbyint(double(s(1)));
    y[k] = std::nearbyint(double(s(2)));
    z[k] = s(3);
    if (!std::isfinite(x[k]) || !std::isfinite(y[k]) || !std::isfinite(z[k]) ||
        std::abs(x[k]) > 1e6 || std::abs(y[k]) > 1e6)
      return;
    cx += x[k], cy += y[k], cz += z[k];
  }
  cx /= count, cy /= count, cz /= count;
  for (int k = 0, m = count - 1; k < count; m = k++) {
    nx += (y[m] - y[k]) * (z[m] + z[k]);
    ny += (z[m] - z[k]) * (x[m] + x[k]);
    nz += (x[m] - x[k]) * (y[m] + y[k]);
  }
  const int w = width_, h = height_;
  auto* px = reinterpret_cast<QRgb*>(picture_.bits());
  const qsizetype stride = picture_.bytesPerLine() / 4;
  // Seen edge-on a face is only its outline.
  if (filled && std::abs(nz) > 1e-9) {
    const double dzdx = -nx / nz, dzdy = -ny / nz;
    double top = y[0], bottom = y[0];
    for (int k = 1; k < count; ++k) top = std::min(top, y[k]), bottom = std::max(bottom, y[k]);
    const int y0 = std::max(0, static_cast<int>(std::ceil(top - 0.5)));
    const int y1 = std::min(h - 1, static_cast<int>(std::ceil(bottom - 0.5)) - 1);
    double cross[10];
    for (int row = y0; row <= y1; ++row) {
      const double yc = row + 0.5;
      int n = 0;
      for (int k = 0, m = count - 1; k < count; m = k++)
        if ((y[k] <= yc) != (y[m] <= yc))
          cross[n++] = x[k] + (yc - y[k]) * (x[m] - x[k]) / (y[m] - y[k]);
      // At most ten crossings: sorted in place.
      for (int i = 1; i < n; ++i)
        for (int j = i; j > 0 && cross[j] < cross[j - 1]; --j) std::swap(cross[j], cross[j - 1]);
      for (int c = 0; c + 1 < n; c += 2) {
        const int a = std::max(0, static_cast<int>(std::ceil(cross[c] - 0.5)));
        const int b = std::min(w - 1, static_cast<int>(std::ceil(cross[c + 1] - 0.5)) - 1);
        double depth = cz + dzdx * (a + 0.5 - cx) + dzdy * (yc - cy);
        for (int col = a; col <= b; ++col, depth += dzdx) {
          const size_t at = static_cast<size_t>(row) * w + col;
          if (passes(at, depth, 0)) put(at, depth, fill, px + row * stride + col);
        }
      }
    }
  }
  // The outline, black like the window's, where nothing nearer covers it.
  const QRgb black = qRgb(0, 0, 0);
  for (int k = 0, m = count - 1; k < count; m = k++) {
    const int steps = static_cast<int>(std::max(std::abs(x[k] - x[m]), std::abs(y[k] - y[m])));
    for (int s = 0; s <= steps; ++s) {
      const double t = steps ? double(s) / steps : 0;
      const int col = static_cast<int>(std::lround(x[m] + t * (x[k] - x[m])));
      const int row = static_cast<int>(std::lround(y[m] + t * (y[k] - y[m])));
      if (col < 0 || row < 0 || col >= w || row >= h) continue;
      const size_t at = static_cast<size_t>(row) * w + col;
      const double depth = z[m] + t * (z[k] - z[m]);
      if (passes(at, depth, line)) put(at, depth, black, px + row * stride + col);
    }
  }
}

QImage FoldUp::Picture(double u, double turned) {
  Place(u);
  renderer_.ViewTransform = TurnedView(view_, {thetaTurns_, phiTurns_}, turned);
  pivots_ = LcgRandom();  // as for a turn's frames: the same picture when drawn again
  renderer_.random = &pivots_;
  if (u >= 1) {
    // Closed, the solid is convex again: the window's own drawing is exact
    // for it, decoration reaching past the faces' edges and all.
    renderer_.DrawData(closed_, *work_);
    return closed_.Image();
  }
  NoCanvas none(width_, height_);
  renderer_.DrawData(none, *work_);
  if (picture_.isNull()) picture_ = QImage(width_, height_, QImage::Format_RGB32);
  picture_.fill(back_);
  depth_.assign(static_cast<size_t>(width_) * height_, -std::numeric_limits<float>::infinity());
  faceAt_.assign(depth_.size(), -1);
  decorated_.assign(depth_.size(), 0);
  // Depths nearer by a small share of the whole depth pass: a face's own
  // outline and decoration lie on it.
  float nearest = -std::numeric_limits<float>::infinity(), farthest = -nearest;
  for (const Hinge& g : hinges_)
    for (int k = 0; k <= work_->PolyLastPoint[g.polygon]; ++k) {
      const float d = renderer_.SolidPoints().Screen[work_->PolyFirstPoint[g.polygon] + k](3);
      nearest = std::max(nearest, d), farthest = std::min(farthest, d);
    }
  const double range = std::isfinite(nearest - farthest) ? nearest - farthest : 0;
  Colour fill = 0;
  for (const Hinge& g : hinges_) {
    const bool outside = renderer_.FacesEye(*work_, g.polygon);
    Colour& colour = work_->PolyColour[g.polygon];
    const Colour own = colour;
    if (!outside && static_cast<int32_t>(own) > 0) colour = kPaper;
    const bool filled = renderer_.FaceFill(*work_, g.polygon, fill);
    colour = own;
    Rasterise(g.polygon, ToQRgb(fill), filled, g.polygon, range);
  }
  for (int p : decoration_) {
    if (!renderer_.FacesEye(*work_, p)) continue;
    const bool filled = renderer_.FaceFill(*work_, p, fill);
    // Paper, printed within its faces.
    Rasterise(p, ToQRgb(fill), filled, work_->PolyFace[p], range);
  }
  return picture_;
}

QImage FoldUp::Frame(int i) {
  if (i < flat_) return Picture(0, 0).copy();
  if (i < flat_ + fold_) {
    const double s = double(i - flat_ + 1) / fold_;
    return Picture(s * s * (3 - 2 * s), 0).copy();
  }
  const int turn = frames_ - flat_ - fold_;
  return Picture(1, Pi * (i - flat_ - fold_ + 1) / turn).copy();
}

}  // namespace wlg
