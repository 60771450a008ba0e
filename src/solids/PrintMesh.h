#pragma once
// The decorated solid as one closed mesh that a printer can take: every face
// cut into the regions of colour the 3D view shows on it, each region
// triangulated so that neighbouring triangles share whole edges (no corner of
// one lies inside an edge of another, across the solid's edges too), sized
// in millimetres and resting on its largest face. With a relief, the
// decoration stands out of its face in terraces, one step per rank.

#include <array>
#include <string>
#include <vector>

#include "designer/DesignModel.h"

namespace wlg {

struct PrintOptions {
  double edgeMm = 30;       // the solid's edges are scaled to this mean length
  double reliefMm = 0;      // decoration of rank r stands reliefMm * (r + 1) proud; 0: flat
  double thinnestMm = 0.4;  // raised parts narrower than this are left flat
};

// What the exporter and the dialog accept.
inline constexpr double kMinPrintEdgeMm = 1, kMaxPrintEdgeMm = 1000;
inline constexpr double kMaxReliefMm = 20;

struct PrintMesh {
  std::vector<std::array<double, 3>> vertices;  // mm, z >= 0
  std::vector<std::array<int, 3>> triangles;    // counter-clockwise seen from outside
  std::vector<Colour> colours;                  // one per triangle
  int flattened = 0;  // raised regions left flat because they were too thin
};

// False with *why set when the list holds no closed solid.
bool BuildPrintMesh(const SolidPolyList& solid, const PrintOptions& options, PrintMesh& mesh,
                    std::string* why);

}  // namespace wlg
