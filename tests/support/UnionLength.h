#pragma once
// The length of the union of segments, the slow way: each counts only where
// no earlier one on the same line (within 'tol') covers it.

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/LineMerge.h"

namespace wlg::testing {

inline double UnionLength(const std::vector<Segment>& segs, double tol) {
  double total = 0;
  for (size_t i = 0; i < segs.size(); ++i) {
    const DPoint a = segs[i].a, b = segs[i].b;
    const double len = std::hypot(b.x - a.x, b.y - a.y);
    if (len < 1e-9) continue;
    const double ux = (b.x - a.x) / len, uy = (b.y - a.y) / len;
    auto off = [&](DPoint p) { return std::abs((p.x - a.x) * uy - (p.y - a.y) * ux); };
    auto along = [&](DPoint p) { return (p.x - a.x) * ux + (p.y - a.y) * uy; };
    std::vector<std::pair<double, double>> covered;
    for (size_t j = 0; j < i; ++j) {
      if (off(segs[j].a) > tol || off(segs[j].b) > tol) continue;
      const double s = std::max(0.0, std::min(along(segs[j].a), along(segs[j].b)));
      const double e = std::min(len, std::max(along(segs[j].a), along(segs[j].b)));
      if (s < e) covered.push_back({s, e});
    }
    std::sort(covered.begin(), covered.end());
    double reach = 0, shown = 0;
    for (auto [s, e] : covered) shown += std::max(0.0, s - reach), reach = std::max(reach, e);
    total += shown + std::max(0.0, len - reach);
  }
  return total;
}

}  // namespace wlg::testing
