#pragma once
// The plain search for a VRML point to merge into, which the grid search
// must always agree with: the first earlier point close in all coordinates.

#include <vector>

#include "solids/MergedPoints.h"

namespace wlg::testing {

class AllPairsPoints {
 public:
  long Find(float x, float y, float z) const {
    for (size_t i = 0; i < p_.size(); i += 3)
      if (MergedPoints::Close(p_[i], x) && MergedPoints::Close(p_[i + 1], y) &&
          MergedPoints::Close(p_[i + 2], z))
        return static_cast<long>(i / 3);
    return -1;
  }
  long Add(float x, float y, float z) {
    p_.insert(p_.end(), {x, y, z});
    return static_cast<long>(p_.size() / 3) - 1;
  }

 private:
  std::vector<float> p_;
};

// Each point's index through either search, adding those that find no match.
template <class Points>
std::vector<long> MergeAll(Points& points, const std::vector<float>& x, const std::vector<float>& y,
                           const std::vector<float>& z) {
  std::vector<long> indices;
  for (size_t j = 0; j < x.size(); ++j) {
    const long i = points.Find(x[j], y[j], z[j]);
    indices.push_back(i < 0 ? points.Add(x[j], y[j], z[j]) : i);
  }
  return indices;
}

}  // namespace wlg::testing
