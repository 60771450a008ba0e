#pragma once
// The vector recording behind the SVG, PDF and DXF files: every figure the
// renderer draws in one redraw, with its exact coordinates, turned into
// layers (a picture, a cutter's lines or a plotter's pens) that each
// writer only has to put on paper.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "designer/TileRenderer.h"

namespace wlg {

struct VectorFigure {
  uint32_t first = 0, count = 0;  // into VectorDrawing::points
  RecordedFigure::Part part = RecordedFigure::Part::Rank;
  int item = -1, tile = 0, rank = -1, copy = 0;
  bool closed = true, stroked = true, filled = false;
  int penWidth = 1;
  Colour fill = 0;
  int colourIndex = -1;
};

// A drawing in canvas units (pixels before rounding), y down.
struct VectorDrawing {
  double width = 0, height = 0;
  Colour background = 0;
  std::vector<DPoint> points;
  std::vector<VectorFigure> figures;
};

// Collects a redraw. A figure with a non-finite coordinate, or wholly off
// the page, is left out (nothing of it shows, and a cutter would cut it);
// coordinates of the rest are held to a million canvas units, so that no
// writer sees a number it cannot write.
class VectorRecorder : public PathRecorder {
 public:
  VectorRecorder(double width, double height, Colour background);
  void Record(const RecordedFigure& figure) override;
  const VectorDrawing& Drawing() const { return drawing_; }

 private:
  VectorDrawing drawing_;
};

enum class VectorMode {
  Picture,  // fills by colour, then the outlines, as the window shows them
  Cut,      // outlines only, every edge once, as hairlines
  Plot,     // strokes only, one layer per pen, ordered for short travel
};
enum class PageSize { Drawing, A4, Letter };

struct VectorOptions {
  VectorMode mode = VectorMode::Picture;
  double widthMm = 0;  // 0: 96 canvas units to the inch
  PageSize page = PageSize::Drawing;
  double hatchMm = 0;  // plot mode: fills hatched with lines this far apart (0: none)
  double kerfMm = 0;   // cut mode: closed contours moved by half this, pieces out, holes in
};

// A path on the page, in millimetres from the page's top left corner.
struct PlanPath {
  std::vector<DPoint> points;
  // Where further rings of a fill begin in 'points' (a fill with holes or
  // in pieces, even-odd).
  std::vector<size_t> ringStarts;
  bool closed = true;
  double strokeMm = 0;  // stroke layers only
};

struct PlanLayer {
  enum class Kind { Background, Fill, Stroke } kind = Kind::Fill;
  std::string id;     // "fill-9": letters, digits and dashes only
  std::string label;  // "Colour 9 #ff0000"
  Colour colour = 0;
  std::vector<PlanPath> paths;
  std::vector<double> dashMm;  // stroke layers: dash and gap lengths; empty for solid lines
};

struct VectorPlan {
  double pageWidthMm = 0, pageHeightMm = 0;
  // Where the drawing lies on the page (the page itself unless fitted).
  double drawingLeftMm = 0, drawingTopMm = 0, drawingWidthMm = 0, drawingHeightMm = 0;
  std::vector<PlanLayer> layers;
  // Pen-up travel of cut and plot lines, in the drawing's own order and as
  // written.
  double travelDrawnMm = 0, travelWrittenMm = 0;
};

// Edges closer than this (canvas units) are one edge in cut and plot lines.
inline constexpr double kSharedEdgeTolerance = 0.02;
inline constexpr double kHairlineMm = 0.01;

VectorPlan BuildVectorPlan(const VectorDrawing& drawing, const VectorOptions& options);

// A laser's order: lines inside a closed contour before that contour, so no
// piece drops out before its holes are cut; with a kerf, closed contours
// moved by half of it, pieces out and holes in.
void InnerLinesFirst(std::vector<PlanPath>& paths, double kerfMm);

// "#ff0000".
std::string HexColour(Colour c);
// A number with this many decimals at most, without trailing zeros: lengths
// in millimetres to a tenth of a micrometre by default.
void AppendDecimal(std::string& out, double v, int decimals = 4);

// Writes the drawing as an SVG, PDF or DXF file, chosen by the extension of
// 'path' (svg, pdf, dxf). The file appears complete or not at all; false
// with *error set ("Failed to save PATH: REASON") otherwise.
bool SaveVectorFile(const VectorDrawing& drawing, const VectorOptions& options,
                    const std::string& path, std::string* error);
bool IsVectorExtension(const std::string& lowerExt);
// The extension of the last path component in lower case, without the dot;
// empty when it has none.
std::string FileExtension(const std::string& path);

// The writers, each over a plan.
std::string LayeredSvg(const VectorPlan& plan);
bool PdfBytes(const VectorPlan& plan, std::string& out);
// Several pages: in the SVG side by side, 10 mm apart, each marked as a page
// for Inkscape, with a layer's paths from every page in one layer; in the
// PDF one page each.
std::string LayeredSvg(std::span<const VectorPlan> pages);
bool PdfBytes(std::span<const VectorPlan> pages, std::string& out);
// False with *why set when the drawing cannot be made.
bool DxfBytes(const VectorPlan& plan, std::string& out, std::string* why);

}  // namespace wlg
