#pragma once
// Vertices of a tile's inner and outer polygon: an edge walk of equal sides,
// optionally turned into a star, centred on a point and turned. The renderer,
// the pointer editor, the tessellator and the solid builder all read the
// result from DesignModel::poly.

#include <array>

#include "designer/DesignModel.h"

namespace wlg {

// Exterior angle of an n-gon in radians, kept in single precision because
// the replication angle of the ranks is compared against this exact value.
float ExteriorAngle(int sides);

// Inner polygon of tile geometry g in view `view`, centred on (x0, y0) and
// turned by an extra `angle` degrees. Fills InnerVertices 1..VertexCount,
// VertexCount, TurnAngle, StarMode, InnerWidth and InnerHeight.
// itemScale > 0 is the Scale of the tessellation item being drawn; 0 or
// less means the tile is not a tessellation copy.
void ConstructInner(DesignModel& m, const TileGeometry& g, int view, float x0, float y0, float angle,
                    float itemScale);

// Outer polygon, same arguments; fills OuterVertices 1..OuterCount and
// OuterCount.
void ConstructOuter(DesignModel& m, const TileGeometry& g, int view, float x0, float y0, float angle,
                    float itemScale);

// Turns entries 0..last about (x0, y0) by theta radians; a positive theta
// turns clockwise on screen (y points down).
void RotatePoints(std::array<FPoint, VertexCapacity>& pts, int last, float x0, float y0, float theta);
FPoint RotatePoint(FPoint p, float x0, float y0, float theta);

}  // namespace wlg
