#pragma once
// Filling the plane by repetition. The placed tiles are an example: two
// translations that carry a tile onto another of the same kind span the
// pattern's lattice, the tiles reduced by it are one cell's motif, and the
// motif is copied over an area as ordinary placed tiles.

#include <optional>
#include <string>
#include <vector>

#include "designer/DesignModel.h"
#include "tessellator/TessItems.h"

namespace wlg {

struct Translation {
  double x = 0, y = 0;
};

struct LatticeBasis {
  Translation a, b;
};

// An area of the plane in world units (canvas pixels at zoom 1), y down.
struct FillRect {
  double left = 0, top = 0, right = 0, bottom = 0;
};

// Told when the placed tiles show fewer than two independent translations.
inline constexpr const char* kNoLatticeMessage =
    "Place a second and a third copy of one tile, snapped where the pattern repeats, then fill "
    "again";

// Whether two placed tiles are copies of each other by a translation: same
// tile, turn, scale and mirror.
bool SameKind(const TessItem& a, const TessItem& b);

// The two shortest independent translations that carry a placed tile onto
// another of the same kind, within 'tolerance' world units; nullopt when the
// tiles show fewer than two.
std::optional<LatticeBasis> FindLattice(const TessState& tess, double tolerance);

// A basis fit to fill with: two translations at least 'tolerance' long
// that span a cell of real area.
bool UsableBasis(const LatticeBasis& basis, double tolerance);

// The tile outline's points, relative to its position, by item (index 0
// unused): a copy's polygon is its original's moved with it. An item with no
// outline counts as its position alone.
using TileOutlines = std::vector<std::vector<Translation>>;

struct FillOutcome {
  int placed = 0;      // new tiles
  int recoloured = 0;  // colour overrides repeated onto them
  // Nothing was changed because the result would not fit.
  bool tooManyTiles = false, tooManyOverrides = false;
};

// Copies one tile of each lattice class (the motif) over 'area': a copy is
// placed where its polygon touches the area and no tile of its kind stands
// there already. The overrides of each class's tile are repeated onto its
// copies. The tiles are appended after TessCount; all or nothing.
FillOutcome FillByLattice(TessState& tess, ColourOverrides& overrides, const TileOutlines& outlines,
                          const LatticeBasis& basis, const FillRect& area, double tolerance);

}  // namespace wlg
