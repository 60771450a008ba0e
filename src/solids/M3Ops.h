#pragma once
// The 3D routines: viewing matrices, products, point transforms, the cross
// product, 3x3 inversion for placing tiles on faces, and the depth sort.
//
// Row-vector convention: a point is the row (x, y, z, 1) and is transformed
// as p' = p . M, so translation sits in row 4 and the weight comes from
// column 4. Matrices and points are indexed from 1, as (row, column).
// Values are stored as floats; each formula is worked in double and rounded
// when stored, except where a routine says otherwise.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace wlg {

class Prompts;

inline constexpr const char* kMatrixInversionError = "Sorry - Matrix inversion error";
// The depth TransformPoint gives a point of weight 0: behind everything.
inline constexpr float kBehindEverything = 2147483648.0f;

struct Matrix4 {
  std::array<float, 16> e{};
  float& operator()(int row, int col) { return e[(row - 1) * 4 + (col - 1)]; }
  float operator()(int row, int col) const { return e[(row - 1) * 4 + (col - 1)]; }
};

struct Matrix3 {
  std::array<float, 9> e{};
  float& operator()(int row, int col) { return e[(row - 1) * 3 + (col - 1)]; }
  float operator()(int row, int col) const { return e[(row - 1) * 3 + (col - 1)]; }
};

// (x, y, z, w), indexed 1..4.
struct Point4 {
  std::array<float, 4> e{0, 0, 0, 1};
  float& operator()(int i) { return e[i - 1]; }
  float operator()(int i) const { return e[i - 1]; }
};

// Uniform floats in [0, 1): the program's random numbers, which pick the
// sort's pivots.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual float Next() = 0;
};

// A 24-bit linear congruential generator: x = (x * 1140671485 + 12820163) mod 2^24,
// giving x / 2^24. Cheap, repeatable from its seed.
class LcgRandom : public RandomSource {
 public:
  explicit LcgRandom(uint32_t seed = 327680) : state_(seed & 0xFFFFFF) {}
  float Next() override;

 private:
  uint32_t state_;
};

class M3Ops {
 public:
  // ---- builders; each starts from the identity

  static void IdentityMatrix(Matrix4& m);
  // m(3,4) = -1/d, so a point's weight becomes 1 - z/d; d = 0 gives the identity.
  static void PerspectiveMatrix(Matrix4& m, float d);
  static void ScaleMatrix(Matrix4& m, float sx, float sy, float sz);
  static void TranslateMatrix(Matrix4& m, float tx, float ty, float tz);

  // ---- products; c must be distinct from a and b

  // The full product, its sums kept in a float rounded after every term.
  static void MultiplyMatrix(Matrix4& c, const Matrix4& a, const Matrix4& b);
  // For matrices whose last column is (0, 0, 0, 1): that column is neither
  // read nor computed, c gets (0, 0, 0, 1) there.
  static void MultiplyAffine(Matrix4& c, const Matrix4& a, const Matrix4& b);
  static void MultiplyMatrix3(Matrix3& c, const Matrix3& a, const Matrix3& b);

  // ---- point transforms

  // r = (p1, p2, p3, 1) . m without the weight: p(4) is not read, r(4) = 1.
  static void TransformAffine(const Point4& p, const Matrix4& m, Point4& r);
  // r = p . m; x and y divided by the weight w, the depth r(3) left undivided.
  // A weight of exactly 0 leaves x and y undivided and puts the depth at
  // kBehindEverything. r(4) = 1.
  static void TransformPoint(const Point4& p, const Matrix4& m, Point4& r);

  // ---- vectors and 3x3 matrices

  static void CrossProduct(float ax, float ay, float az, float bx, float by, float bz, float& cx,
                           float& cy, float& cz);
  // Inverts m in place (adjugate over determinant). A determinant of exactly
  // 0 leaves m unchanged and returns false; the Prompts form also shows
  // kMatrixInversionError with an OK button, which is how the program reports it.
  static bool InvertMatrix3(Matrix3& m);
  static bool InvertMatrix3(Matrix3& m, Prompts& prompts);

  // Normal (P1 - P0) x (P2 - P1) of the polygon whose first vertex is
  // points[first]: its first three vertices, or for a two-vertex polygon the
  // next polygon's first vertex as the third. Zero when points[first + 2]
  // does not exist.
  static void NormalVector(std::span<const Point4> points, int32_t first, float& nx, float& ny,
                           float& nz);
  // The same, divided by its length; (0, 0, 0) when the length is 0.
  static void UnitNormalVector(std::span<const Point4> points, int32_t first, float& nx, float& ny,
                               float& nz);

  // ---- sorting

  // Sorts keys[lo..hi] (both inclusive) ascending, moving tags[] alike: a
  // quicksort with random pivots drawn from 'random'. Equal keys end in an
  // order that depends on the numbers drawn.
  static void QuickSortTagged(std::span<float> keys, int32_t lo, int32_t hi,
                              std::span<int32_t> tags, RandomSource& random);

  // ---- viewing transforms

  // The transform that puts the reference point at the origin and the eye
  // on +z at distance |eye - reference|, with the up vector's projection
  // along +y. kind 1 adds the perspective with the eye as centre of
  // projection and the picture plane through the reference point; any other
  // kind is a parallel projection. Uses this object's work matrices, so one
  // object must not build two views at once.
  void BuildViewMatrix(Matrix4& out, int16_t kind, float eyeX, float eyeY, float eyeZ, float refX,
                       float refY, float refZ, float upX, float upY, float upZ);
  // The eye at (r cos a cos b, r sin a, r cos a sin b), not offset by the
  // reference point.
  void BuildViewFromAngles(Matrix4& out, int16_t kind, float r, float a, float b, float refX,
                           float refY, float refZ, float upX, float upY, float upZ);

 private:
  // Work matrices, overwritten by every BuildViewMatrix.
  Matrix4 t_, ry_, rx_, rz_, p_, tRy_, rxRz_, tRyRxRz_;
};

}  // namespace wlg
