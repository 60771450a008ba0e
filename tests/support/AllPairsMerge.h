#pragma once
// The plain way to find a VRML point to merge into: look at every earlier
// point in order and take the first one closer than the tolerance in all
// three coordinates. The grid search must always agree with it.

#include <cmath>
#include <vector>

#include "solids/MergedPoints.h"

namespace wlg::testing {

class AllPairsPoints {
 public:
  long Find(float x, float y, float z) const {
    for (long i = 0; i < static_cast<long>(x_.size()); ++i)
      if (MergedPoints::Close(x_[i], x) && MergedPoints::Close(y_[i], y) &&
          MergedPoints::Close(z_[i], z))
        return i;
    return -1;
  }
  long Add(float x, float y, float z) {
    x_.push_back(x);
    y_.push_back(y);
    z_.push_back(z);
    return static_cast<long>(x_.size()) - 1;
  }

 private:
  std::vector<float> x_, y_, z_;
};

// Feeds the points through either search, adding each one that finds no
// match, and returns the index each point ends up with.
template <class Points>
std::vector<long> MergeAll(Points& points, const std::vector<float>& x, const std::vector<float>& y,
                           const std::vector<float>& z) {
  std::vector<long> indices;
  indices.reserve(x.size());
  for (size_t j = 0; j < x.size(); ++j) {
    long i = points.Find(x[j], y[j], z[j]);
    if (i < 0) i = points.Add(x[j], y[j], z[j]);
    indices.push_back(i);
  }
  return indices;
}

}  // namespace wlg::testing
