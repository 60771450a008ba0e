#include "solids/M3Ops.h"

#include <cmath>

#include "platform/Prompts.h"

namespace wlg {

namespace {

float F(double x) { return static_cast<float>(x); }

// The 2x2 minor of w that leaves out row 'row' and column 'col'.
double Minor(const Matrix3& w, int row, int col) {
  int r[2], c[2];
  for (int i = 1, n = 0; i <= 3; ++i)
    if (i != row) r[n++] = i;
  for (int i = 1, n = 0; i <= 3; ++i)
    if (i != col) c[n++] = i;
  return double(w(r[0], c[0])) * w(r[1], c[1]) - double(w(r[0], c[1])) * w(r[1], c[0]);
}

}  // namespace

float LcgRandom::Next() {
  state_ = static_cast<uint32_t>((uint64_t{state_} * 1140671485u + 12820163u) & 0xFFFFFFu);
  return static_cast<float>(state_) / 16777216.0f;
}

// ---- builders

void M3Ops::IdentityMatrix(Matrix4& m) {
  m.e.fill(0);
  for (int i = 1; i <= 4; ++i) m(i, i) = 1;
}

void M3Ops::PerspectiveMatrix(Matrix4& m, float d) {
  IdentityMatrix(m);
  if (d != 0) m(3, 4) = F(-1.0 / d);
}

void M3Ops::ScaleMatrix(Matrix4& m, float sx, float sy, float sz) {
  IdentityMatrix(m);
  m(1, 1) = sx;
  m(2, 2) = sy;
  m(3, 3) = sz;
}

void M3Ops::TranslateMatrix(Matrix4& m, float tx, float ty, float tz) {
  IdentityMatrix(m);
  m(4, 1) = tx;
  m(4, 2) = ty;
  m(4, 3) = tz;
}

// ---- products

void M3Ops::MultiplyMatrix(Matrix4& c, const Matrix4& a, const Matrix4& b) {
  for (int i = 1; i <= 4; ++i)
    for (int j = 1; j <= 4; ++j) {
      float sum = 0;
      for (int k = 1; k <= 4; ++k) sum = F(double(sum) + double(a(i, k)) * b(k, j));
      c(i, j) = sum;
    }
}

void M3Ops::MultiplyAffine(Matrix4& c, const Matrix4& a, const Matrix4& b) {
  auto rowTimesColumn = [&](int i, int j) {
    return double(a(i, 1)) * b(1, j) + double(a(i, 2)) * b(2, j) + double(a(i, 3)) * b(3, j);
  };
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) c(i, j) = F(rowTimesColumn(i, j));
  for (int j = 1; j <= 3; ++j) c(4, j) = F(rowTimesColumn(4, j) + b(4, j));
  c(1, 4) = 0;
  c(2, 4) = 0;
  c(3, 4) = 0;
  c(4, 4) = 1;
}

void M3Ops::MultiplyMatrix3(Matrix3& c, const Matrix3& a, const Matrix3& b) {
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j)
      c(i, j) =
          F(double(a(i, 1)) * b(1, j) + double(a(i, 2)) * b(2, j) + double(a(i, 3)) * b(3, j));
}

// ---- point transforms

void M3Ops::TransformAffine(const Point4& p, const Matrix4& m, Point4& r) {
  Point4 out;
  for (int i = 1; i <= 3; ++i)
    out(i) = F(double(p(1)) * m(1, i) + double(p(2)) * m(2, i) + double(p(3)) * m(3, i) + m(4, i));
  out(4) = 1;
  r = out;
}

void M3Ops::TransformPoint(const Point4& p, const Matrix4& m, Point4& r) {
  auto column = [&](int i) {
    return F(double(p(1)) * m(1, i) + double(p(2)) * m(2, i) + double(p(3)) * m(3, i) +
             double(p(4)) * m(4, i));
  };
  Point4 out;
  out(1) = column(1);
  out(2) = column(2);
  out(3) = column(3);
  const float w = column(4);
  if (w != 0) {
    out(1) = F(double(out(1)) / w);
    out(2) = F(double(out(2)) / w);
  } else {
    out(3) = kBehindEverything;
  }
  out(4) = 1;
  r = out;
}

// ---- vectors and 3x3 matrices

void M3Ops::CrossProduct(float ax, float ay, float az, float bx, float by, float bz, float& cx,
                         float& cy, float& cz) {
  cx = F(double(ay) * bz - double(az) * by);
  cy = F(double(az) * bx - double(ax) * bz);
  cz = F(double(ax) * by - double(ay) * bx);
}

bool M3Ops::InvertMatrix3(Matrix3& m) {
  const Matrix3 w = m;
  const float det = F(double(w(1, 1)) * Minor(w, 1, 1) - double(w(1, 2)) * Minor(w, 1, 2) +
                      double(w(1, 3)) * Minor(w, 1, 3));
  if (det == 0) return false;
  const float inv = F(1.0 / det);
  double sign = 1;
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 3; ++c) {
      // Element (r, c) of the inverse is the cofactor of (c, r) over det.
      m(r, c) = F(sign * Minor(w, c, r) * inv);
      sign = -sign;
    }
  return true;
}

bool M3Ops::InvertMatrix3(Matrix3& m, Prompts& prompts) {
  if (InvertMatrix3(m)) return true;
  prompts.Tell(kMatrixInversionError);
  return false;
}

void M3Ops::NormalVector(std::span<const Point4> points, int32_t first, float& nx, float& ny,
                         float& nz) {
  if (first < 0 || size_t(first) + 2 >= points.size()) {
    nx = ny = nz = 0;
    return;
  }
  const Point4& p0 = points[first];
  const Point4& p1 = points[first + 1];
  const Point4& p2 = points[first + 2];
  CrossProduct(p1(1) - p0(1), p1(2) - p0(2), p1(3) - p0(3), p2(1) - p1(1), p2(2) - p1(2),
               p2(3) - p1(3), nx, ny, nz);
}

void M3Ops::UnitNormalVector(std::span<const Point4> points, int32_t first, float& nx, float& ny,
                             float& nz) {
  NormalVector(points, first, nx, ny, nz);
  const float length = F(std::sqrt(double(nx) * nx + double(ny) * ny + double(nz) * nz));
  if (length == 0) {
    nx = ny = nz = 0;
    return;
  }
  nx = F(double(nx) / length);
  ny = F(double(ny) / length);
  nz = F(double(nz) / length);
}

// ---- sorting

void M3Ops::QuickSortTagged(std::span<float> keys, int32_t lo, int32_t hi, std::span<int32_t> tags,
                            RandomSource& random) {
  // The high part is sorted by the loop rather than by recursion: the order
  // of the random draws stays that of the plain recursive sort, and a long
  // run of equal keys (which all go high) cannot exhaust the stack.
  while (lo < hi) {
    const double u = random.Next();
    int32_t i = static_cast<int32_t>(std::floor(double(hi - lo + 1) * u + lo));
    if (i < lo) i = lo;
    if (i > hi) i = hi;

    // The pivot leaves a hole at lo that the partition moves along.
    const float pivotKey = keys[i];
    const int32_t pivotTag = tags[i];
    keys[i] = keys[lo];
    tags[i] = tags[lo];
    int32_t a = lo;
    int32_t b = hi;
    while (true) {
      while (b > a && keys[b] >= pivotKey) --b;
      if (b <= a) break;
      keys[a] = keys[b];
      tags[a] = tags[b];
      ++a;
      while (a < b && keys[a] < pivotKey) ++a;
      if (a >= b) {
        a = b;
        break;
      }
      keys[b] = keys[a];
      tags[b] = tags[a];
    }
    keys[a] = pivotKey;
    tags[a] = pivotTag;

    QuickSortTagged(keys, lo, a - 1, tags, random);
    lo = a + 1;
  }
}

// ---- viewing transforms

void M3Ops::BuildViewMatrix(Matrix4& out, int16_t kind, float eyeX, float eyeY, float eyeZ,
                            float refX, float refY, float refZ, float upX, float upY, float upZ) {
  TranslateMatrix(t_, -refX, -refY, -refZ);
  const float dx = F(double(eyeX) - refX);
  const float dy = F(double(eyeY) - refY);
  const float dz = F(double(eyeZ) - refZ);

  // Turn the eye direction about y into the y-z plane, on the +z side.
  const float r1 = F(std::sqrt(double(dz) * dz + double(dx) * dx));
  IdentityMatrix(ry_);
  if (r1 != 0) {
    ry_(1, 1) = F(double(dz) / r1);
    ry_(1, 3) = F(double(dx) / r1);
    ry_(3, 1) = F(-double(dx) / r1);
    ry_(3, 3) = F(double(dz) / r1);
  }

  // Then about x onto the +z axis; r2 is the eye distance.
  const float r2 = F(std::sqrt(double(dy) * dy + double(dx) * dx + double(dz) * dz));
  IdentityMatrix(rx_);
  if (r2 != 0) {
    rx_(2, 2) = F(double(r1) / r2);
    rx_(2, 3) = F(double(dy) / r2);
    rx_(3, 2) = F(-double(dy) / r2);
    rx_(3, 3) = F(double(r1) / r2);
  }

  // Then about z so that the up vector, turned alike, points along +y.
  Point4 up;
  up(1) = upX;
  up(2) = upY;
  up(3) = upZ;
  Point4 turned;
  TransformAffine(up, ry_, turned);
  TransformAffine(turned, rx_, up);
  const float r3 = F(std::sqrt(double(up(2)) * up(2) + double(up(1)) * up(1)));
  IdentityMatrix(rz_);
  if (r3 != 0) {
    rz_(1, 1) = F(double(up(2)) / r3);
    rz_(1, 2) = F(double(up(1)) / r3);
    rz_(2, 1) = F(-double(up(1)) / r3);
    rz_(2, 2) = F(double(up(2)) / r3);
  }

  if (kind == 1 && r2 != 0)
    PerspectiveMatrix(p_, r2);
  else
    IdentityMatrix(p_);

  MultiplyAffine(tRy_, t_, ry_);
  MultiplyAffine(rxRz_, rx_, rz_);
  MultiplyAffine(tRyRxRz_, tRy_, rxRz_);
  if (kind == 1)
    MultiplyMatrix(out, tRyRxRz_, p_);
  else
    MultiplyAffine(out, tRyRxRz_, p_);
}

void M3Ops::BuildViewFromAngles(Matrix4& out, int16_t kind, float r, float a, float b, float refX,
                                float refY, float refZ, float upX, float upY, float upZ) {
  const float eyeX = F(double(r) * std::cos(double(a)) * std::cos(double(b)));
  const float eyeY = F(double(r) * std::sin(double(a)));
  const float eyeZ = F(double(r) * std::cos(double(a)) * std::sin(double(b)));
  BuildViewMatrix(out, kind, eyeX, eyeY, eyeZ, refX, refY, refZ, upX, upY, upZ);
}

}  // namespace wlg
