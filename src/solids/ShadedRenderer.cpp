#include "solids/ShadedRenderer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

#include "platform/Numbers.h"

namespace wlg {

namespace {

float F(double x) { return static_cast<float>(x); }

// Picture coordinates as the polygon call takes them: nearest integer,
// halves to even. Points thrown far off by a near-zero weight are held
// inside the integer range rather than wrapping round.
int ToPixel(float v) {
  constexpr double kLimit = std::numeric_limits<int32_t>::max();
  const double clamped = std::clamp(static_cast<double>(v), -kLimit, kLimit);
  return static_cast<int>(RoundHalfEven(clamped));
}

int Channel(float share, double intensity) {
  return static_cast<int>(RoundHalfEven(double(share) * intensity));
}

constexpr int kMaxPolygonPoints = 10;

// The eye of a transform: the one homogeneous point whose picture position
// is undefined (x, y and the weight all 0), found as the cross product of the
// transform's columns 1, 2 and 4. Scaled so that w > 0 for a perspective
// view, and for a parallel one (w = 0) turned towards growing depth.
std::array<double, 4> EyeOf(const Matrix4& m) {
  auto det3 = [&](int r0, int r1, int r2) {
    auto a = [&](int r, int c) { return double(m(r, c)); };
    return a(r0, 1) * (a(r1, 2) * a(r2, 4) - a(r1, 4) * a(r2, 2)) -
           a(r0, 2) * (a(r1, 1) * a(r2, 4) - a(r1, 4) * a(r2, 1)) +
           a(r0, 4) * (a(r1, 1) * a(r2, 2) - a(r1, 2) * a(r2, 1));
  };
  std::array<double, 4> e{-det3(2, 3, 4), det3(1, 3, 4), -det3(1, 2, 4), det3(1, 2, 3)};
  const double towardsDepth = e[0] * m(1, 3) + e[1] * m(2, 3) + e[2] * m(3, 3) + e[3] * m(4, 3);
  if (e[3] < 0 || (e[3] == 0 && towardsDepth < 0))
    for (double& v : e) v = -v;
  return e;
}

}  // namespace

Colour Background3D(double value, Colour face) {
  const int64_t index = RoundHalfEven(value);
  const Colour back = index == 7 ? ButtonFaceColour() : PaletteColour(static_cast<long>(index));
  if (back != face) return back;
  auto shade = [&](int (*channel)(Colour)) {
    const int c = channel(back);
    return back == Rgb(255, 255, 255) ? c - 48 : c + (255 - c) / 3;
  };
  return Rgb(shade(RedOf), shade(GreenOf), shade(BlueOf));
}

void ShadedRenderer::DrawData(Canvas& pic, const SolidPolyList& solid) {
  pic.fillStyle = FillStyle::Solid;

  // Entry VertCount belongs to no polygon: it is read from the slot after
  // the last vertex, or left at zero when the arrays are full.
  const int vertCount = std::clamp(solid.VertCount, 0, SolidVertCapacity);
  points_.World.resize(vertCount + 1);
  points_.Screen.resize(vertCount + 1);

  const double s = Scale;
  double nearest = 2147483648.0;
  for (int i = 0; i <= vertCount; ++i) {
    Point4& w = points_.World[i];
    if (i < SolidVertCapacity) {
      w(1) = F(s * solid.VertX[i]);
      w(2) = F(s * solid.VertY[i]);
      w(3) = F(s * solid.VertZ[i]);
    } else {
      w(1) = w(2) = w(3) = 0;
    }
    w(4) = 1;
    const double dz = double(w(3)) - 1000;
    nearest = std::min(nearest, double(w(1)) * w(1) + double(w(2)) * w(2) + dz * dz);
  }
  lightIntensity_ = F((double(shading.Kdist) + std::sqrt(nearest) + 4) * 255);

  // The picture centre is added after the projection.
  Matrix4 scale, translate, model, whole;
  M3Ops::ScaleMatrix(scale, 1, 1, 1);
  M3Ops::TranslateMatrix(translate, SolidCentre.x, SolidCentre.y, 0);
  M3Ops::MultiplyAffine(model, scale, translate);
  M3Ops::MultiplyMatrix(whole, ViewTransform, model);
  for (int i = 0; i <= vertCount; ++i)
    M3Ops::TransformPoint(points_.World[i], whole, points_.Screen[i]);
  // The roll below turns the picture only: it moves no polygon to the
  // other side of the eye.
  eye_ = EyeOf(whole);

  if (std::fabs(PsiRad) > kRollThreshold) {
    const double c = std::cos(double(PsiRad));
    const double sn = std::sin(double(PsiRad));
    const double cx = SolidCentre.x, cy = SolidCentre.y;
    for (Point4& p : points_.Screen) {
      const double u = double(p(1)) - cx;
      const double v = double(p(2)) - cy;
      p(1) = F(u * c - v * sn + cx);
      p(2) = F(v * c + u * sn + cy);
    }
  }

  pic.backColour = BackColour;
  pic.Clear();
  DrawShaded(pic, solid);
}

bool ShadedRenderer::Drawable(const SolidPolyList& solid, int f) const {
  const int first = solid.PolyFirstPoint[f];
  const int last = solid.PolyLastPoint[f];
  return first >= 0 && last >= 0 && last < kMaxPolygonPoints &&
         int64_t{first} + last < points_.Count();
}

bool ShadedRenderer::FacesEye(const SolidPolyList& solid, int f) const {
  if (f < 0 || f >= SolidPolyCapacity || !Drawable(solid, f)) return false;
  const int first = solid.PolyFirstPoint[f];
  float nx, ny, nz;
  M3Ops::NormalVector(std::span<const Point4>(points_.World), first, nx, ny, nz);
  const Point4& p0 = points_.World[first];
  // From the polygon towards the eye; the inward normal must point away.
  const double tx = eye_[0] - eye_[3] * p0(1);
  const double ty = eye_[1] - eye_[3] * p0(2);
  const double tz = eye_[2] - eye_[3] * p0(3);
  return nx * tx + ny * ty + nz * tz < 0;
}

void ShadedRenderer::DrawShaded(Canvas& pic, const SolidPolyList& solid) {
  const int lastPoly = std::min(solid.PolyCount, SolidPolyCapacity - 1);
  if (lastPoly < 0) return;

  depth_.clear();
  order_.clear();
  for (int i = 0; i <= lastPoly; ++i) {
    if (!FacesEye(solid, i)) continue;
    const int first = solid.PolyFirstPoint[i];
    float farthest = points_.Screen[first](3);
    for (int k = 1; k <= solid.PolyLastPoint[i]; ++k)
      farthest = std::min(farthest, points_.Screen[first + k](3));
    order_.push_back(i);
    depth_.push_back(farthest);
  }
  const int last = static_cast<int>(order_.size()) - 1;
  M3Ops::QuickSortTagged(depth_, 0, last, order_, random ? *random : ownRandom_);

  IPoint list[kMaxPolygonPoints];
  for (int n = 0; n <= last; ++n) {
    const int f = order_[n];
    const int first = solid.PolyFirstPoint[f];
    const int count = solid.PolyLastPoint[f] + 1;
    for (int k = 0; k < count; ++k) {
      const Point4& p = points_.Screen[first + k];
      list[k] = {ToPixel(p(1)), ToPixel(p(2))};
    }
    Colour fill;
    if (FaceFill(solid, f, fill)) {
      pic.fillStyle = FillStyle::Solid;
      pic.fillColour = fill;
    } else {
      pic.fillStyle = FillStyle::Transparent;
    }
    pic.Polygon(list, count);
  }
}

bool ShadedRenderer::FaceFill(const SolidPolyList& solid, int f, Colour& fill) const {
  // Colours are 24-bit; anything that reads as zero or negative (black,
  // NoFill) is an unfilled polygon.
  const int32_t c = static_cast<int32_t>(solid.PolyColour[f]);
  if (c <= 0 || !Drawable(solid, f)) return false;

  double intensity = Intensity(solid.PolyFirstPoint[f]);
  if (intensity < 0) intensity = 0;
  if (intensity > 255) intensity = 255;
  const float red = F((c % 256) / 255.0);
  const float green = F(((c / 256) % 256) / 255.0);
  const float blue = F((c / 65536) / 255.0);
  fill = Rgb(Channel(red, intensity), Channel(green, intensity), Channel(blue, intensity));
  return true;
}

double ShadedRenderer::Intensity(int32_t first) const {
  const Point4& p0 = points_.World[first];
  const float lx = F(double(kLightPositionX) - p0(1));
  const float ly = F(double(kLightPositionY) - p0(2));
  const float lz = F(double(kLightPositionZ) - p0(3));
  const float d = F(std::sqrt(double(lx) * lx + double(ly) * ly + double(lz) * lz));
  // A vertex on the light itself has no direction to it: no diffuse light.
  const double inv = d != 0 ? 1.0 / d : 0.0;
  const double hx = lx * inv, hy = ly * inv, hz = lz * inv;

  float nx, ny, nz;
  M3Ops::UnitNormalVector(std::span<const Point4>(points_.World), first, nx, ny, nz);
  const double cosTheta = hx * nx + hy * ny + hz * nz;

  double diffuse = 0, specular = 0;
  if (cosTheta >= 0) {
    diffuse = shading.Kd * cosTheta;
    const double vx = double(kViewerPointX) - p0(1);
    const double vy = double(kViewerPointY) - p0(2);
    const double vz = double(kViewerPointZ) - p0(3);
    // The 0.001 keeps the root away from 0 for a vertex at the viewer point.
    const double vInv = 1.0 / std::sqrt(vx * vx + 0.001 + vy * vy + vz * vz);
    // The mirror direction of the light about the normal.
    const double rx = 2 * cosTheta * nx - hx;
    const double ry = 2 * cosTheta * ny - hy;
    const double rz = 2 * cosTheta * nz - hz;
    const double cosAlpha = -(vx * vInv * rx + vy * vInv * ry + vz * vInv * rz);
    if (cosAlpha >= 0) specular = shading.Ks * std::pow(cosAlpha, double(shading.N));
  }

  // At Kdist + d = 0 the attenuation has no value; the polygon then gets
  // the ambient light alone.
  const double denominator = double(shading.Kdist) + d;
  const double lit = denominator != 0 ? lightIntensity_ / denominator * (diffuse + specular) : 0;
  return lit + 256.0 * shading.Ka;
}

}  // namespace wlg
