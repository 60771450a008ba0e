#pragma once
// The VRML scene's point list: each recorded vertex becomes the lowest
// earlier point closer than 0.1 in all three recorded coordinates, or a new
// point. A grid of cells wider than the tolerance keeps the search to the
// few cells a match can lie in, and within them the lowest matching index
// is taken, so the answer is the one a search through every earlier point
// would give.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace wlg {

class MergedPoints {
 public:
  static constexpr double kTolerance = 0.1;

  explicit MergedPoints(int capacity);

  // The index of the point that (x, y, z) merges into; -1 when it is new.
  long Find(float x, float y, float z) const;
  // Adds (x, y, z) as a new point and returns its index.
  long Add(float x, float y, float z);

  static bool Close(float a, float b);

 private:
  // A power of two, so that a coordinate's place in its cell is exact.
  static constexpr double kCell = 0.5;
  static constexpr int64_t kLimit = int64_t{1} << 19;  // clamping keeps neighbours neighbours
  static constexpr uint64_t kEmpty = ~uint64_t{0};

  // The cells along one axis that can hold a point within the tolerance
  // of v: its own, and the one below or above when v lies that close to
  // the border.
  struct Span {
    int64_t first, last;
  };
  static Span AxisSpan(float v);
  static int64_t Axis(float v);
  static uint64_t Key(int64_t x, int64_t y, int64_t z);
  static bool Finite(float x, float y, float z);

  long Head(uint64_t key) const;
  void Grow();

  std::vector<float> x_, y_, z_;
  // Points of one cell are chained from the newest down through next_.
  std::vector<long> next_;
  // Open addressing from cell key to the cell's newest point.
  std::vector<uint64_t> keys_;
  std::vector<long> heads_;
  size_t cells_ = 0;
};

}  // namespace wlg
