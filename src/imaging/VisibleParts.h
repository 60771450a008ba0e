#pragma once
// A figure painted later hides what lies under it. A layered file draws
// colour by colour, not in painting order, so each figure keeps only the
// parts that show in the window: its fill less the later fills over it that
// lie in a lower layer, its outline (the lines lie on top) less every later
// fill over it.

#include <vector>

#include "imaging/VectorDrawing.h"

namespace wlg {

struct VisibleFigure {
  // When false, only 'fillRings' of the fill show (even-odd, as drawn).
  bool fillWhole = true;
  std::vector<std::vector<DPoint>> fillRings;
  // When false, only 'outlinePieces' (open lines) of the outline show.
  bool outlineWhole = true;
  std::vector<std::vector<DPoint>> outlinePieces;
};

struct VisibleDrawing {
  std::vector<VisibleFigure> figures;  // one per figure of the drawing
  std::vector<Colour> fillOrder;       // the colour layers, bottom first
};

// With 'edgesOfFills', a filled figure's outline pieces are found too, stroked
// or not: where two colours meet is a line for a cutter or a plotter.
// With 'reuseCopies', how a tile's figures hide one another is found once
// for all its copies moved elsewhere (the same parts, at a thousandth of a
// canvas unit); without, figure by figure.
VisibleDrawing VisibleParts(const VectorDrawing& drawing, bool edgesOfFills = false,
                            bool reuseCopies = true);

}  // namespace wlg
