#pragma once
// Draws a tile: its inner and outer outlines and every rank replicated round
// the inner polygon. The one renderer behind the designer, the tessellator,
// the solids (recording instead of drawing), the tessellator's hit test and
// the metafile export.

#include <functional>

#include "designer/Program.h"
#include "platform/Canvas.h"

namespace wlg {

// The per-tile values the renderer reads live from the designer's controls.
class TileSettings {
 public:
  virtual ~TileSettings() = default;
  virtual TileGeometry Geometry(int tile) const = 0;
  virtual int FirstColour(int tile) const = 0;
  virtual bool Sequential(int tile) const = 0;
  // Fill colour of faces recorded for a solid.
  virtual Colour FaceColour() const = 0;
};

// One figure as the renderer draws it: its whole-pixel points (what the
// window shows and the metafile records), its exact points before rounding,
// and what it is. Only what the window shows is recorded.
struct RecordedFigure {
  enum class Part { Inner, Outer, Rank };
  Part part = Part::Rank;
  int item = -1;  // tessellation item, -1 in the designer
  int tile = 0;
  int rank = -1;  // 0..15 for a rank, -1 for the tile's own polygons
  int copy = 0;
  const IPoint* pixels = nullptr;
  const DPoint* exact = nullptr;
  int count = 0;
  bool closed = true;   // false: an open "No Polygon" rank
  bool stroked = true;  // false: the outline is hidden, only the fill shows
  int penWidth = 1;
  bool filled = false;  // as the window fills it
  Colour fill = 0;
  // Palette index 0..15 of the fill, 16 + i for custom colour i (an
  // Alt-click override), -1 when unfilled.
  int colourIndex = -1;
};

// Receives every figure while metafile mode is on.
class PathRecorder {
 public:
  virtual ~PathRecorder() = default;
  virtual void Record(const RecordedFigure& figure) = 0;
};

class TileRenderer {
 public:
  TileRenderer(Program& program, const TileSettings& settings)
      : p_(program), settings_(settings) {}

  // Constructs and draws (or records) the two polygons of tile t.
  void DRP(Canvas& canvas, int view, float x0, float y0, float angle, int tile, bool showHidden,
           int item);
  // Replicates, draws, records or hit-tests the ranks of tile t; follows a
  // DRP call with the same arguments.
  void CopyPolygon(Canvas& canvas, int view, float x0, float y0, float angle, int tile, int item);

  // While set, CopyPolygon returns at once (the solid builder's faces).
  bool suppressRanks = false;
  PathRecorder* metafile = nullptr;
  // Called when a solid would overflow the recorded lists; recording stops.
  std::function<void()> onTooComplex;

  static constexpr const char* TooComplexMessage =
      "Sorry, this structure is too complex for the program\r\n"
      "Remove a Rank or two of Shapes\r\n"
      "or make the Shapes less complex";

 private:
  IPoint ToCanvas(FPoint p) const;
  void TooComplex();

  Program& p_;
  const TileSettings& settings_;
  DPoint Exact(FPoint p) const;
  void RecordOutline(RecordedFigure::Part part, const IPoint* pixels, const FPoint* vertices,
                     int count, int penWidth, int tile, int item);

  std::array<IPoint, VertexCapacity> innerInts_{};
  int innerKept_ = 0;
};

}  // namespace wlg
