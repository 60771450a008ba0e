#include "solids/MergedPoints.h"

#include <algorithm>
#include <cmath>

namespace wlg {

MergedPoints::MergedPoints(int capacity) {
  const size_t n = static_cast<size_t>(std::max(capacity, 1));
  x_.reserve(n);
  y_.reserve(n);
  z_.reserve(n);
  next_.reserve(n);
  size_t slots = 16;
  while (slots < 2 * n) slots *= 2;
  keys_.assign(slots, kEmpty);
  heads_.assign(slots, -1);
}

int64_t MergedPoints::Axis(float v) {
  const double c = std::floor(static_cast<double>(v) / kCell);
  return static_cast<int64_t>(std::clamp(c, double(-kLimit), double(kLimit)));
}

MergedPoints::Span MergedPoints::AxisSpan(float v) {
  const int64_t c = Axis(v);
  // Exact, as kCell is a power of two: a match in the cell below is closer
  // than the tolerance to the border, and so is v. (Beyond the clamped
  // cells every point, and every match, shares the outermost cell.)
  const double offset = static_cast<double>(v) - static_cast<double>(c) * kCell;
  return {offset < kTolerance ? c - 1 : c, offset > kCell - kTolerance ? c + 1 : c};
}

uint64_t MergedPoints::Key(int64_t x, int64_t y, int64_t z) {
  const auto part = [](int64_t v) { return static_cast<uint64_t>(v + 2 * kLimit) & 0x1fffff; };
  return (part(x) << 42) | (part(y) << 21) | part(z);
}

bool MergedPoints::Finite(float x, float y, float z) {
  return std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
}

bool MergedPoints::Close(float a, float b) { return std::fabs(a - b) < kTolerance; }

namespace {
size_t Slot(uint64_t key, size_t mask) {
  return static_cast<size_t>((key * 0x9e3779b97f4a7c15ull) >> 20) & mask;
}
}  // namespace

long MergedPoints::Head(uint64_t key) const {
  const size_t mask = keys_.size() - 1;
  for (size_t s = Slot(key, mask);; s = (s + 1) & mask) {
    if (keys_[s] == key) return heads_[s];
    if (keys_[s] == kEmpty) return -1;
  }
}

long MergedPoints::Find(float x, float y, float z) const {
  if (!Finite(x, y, z)) return -1;
  const Span sx = AxisSpan(x), sy = AxisSpan(y), sz = AxisSpan(z);
  long best = -1;
  for (int64_t cx = sx.first; cx <= sx.last; ++cx)
    for (int64_t cy = sy.first; cy <= sy.last; ++cy)
      for (int64_t cz = sz.first; cz <= sz.last; ++cz)
        // Newest first: every match further down the chain is lower.
        for (long i = Head(Key(cx, cy, cz)); i >= 0; i = next_[i])
          if (Close(x_[i], x) && Close(y_[i], y) && Close(z_[i], z) && (best < 0 || i < best))
            best = i;
  return best;
}

long MergedPoints::Add(float x, float y, float z) {
  const long n = static_cast<long>(x_.size());
  x_.push_back(x);
  y_.push_back(y);
  z_.push_back(z);
  next_.push_back(-1);
  // A non-finite point can never be within the tolerance of anything.
  if (!Finite(x, y, z)) return n;
  if (2 * (cells_ + 1) > keys_.size()) Grow();
  const uint64_t key = Key(Axis(x), Axis(y), Axis(z));
  const size_t mask = keys_.size() - 1;
  size_t s = Slot(key, mask);
  while (keys_[s] != kEmpty && keys_[s] != key) s = (s + 1) & mask;
  if (keys_[s] == kEmpty) {
    keys_[s] = key;
    ++cells_;
  }
  next_[n] = heads_[s];
  heads_[s] = n;
  return n;
}

void MergedPoints::Grow() {
  std::vector<uint64_t> keys(keys_.size() * 2, kEmpty);
  std::vector<long> heads(keys.size(), -1);
  const size_t mask = keys.size() - 1;
  for (size_t old = 0; old < keys_.size(); ++old) {
    if (keys_[old] == kEmpty) continue;
    size_t s = Slot(keys_[old], mask);
    while (keys[s] != kEmpty) s = (s + 1) & mask;
    keys[s] = keys_[old];
    heads[s] = heads_[old];
  }
  keys_.swap(keys);
  heads_.swap(heads);
}

}  // namespace wlg
