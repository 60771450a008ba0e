#pragma once
// The recorded solid unfolded into a paper model: the faces laid out flat in
// one connected net that does not overlap itself, each face carrying the
// decoration the 3D view draws on it, glue tabs on one side of every cut
// edge pair, and the whole sized in millimetres onto A4 or Letter pages
// (split over several pages, with numbered edge pairs, when it is too big
// for one).

#include <string>
#include <vector>

#include "designer/DesignModel.h"
#include "imaging/VectorDrawing.h"
#include "platform/Canvas.h"

namespace wlg {

// Where each cut pair's number is written: on its tab and just inside the
// partner edge, on the tab only, or nowhere.
enum class NetNumbers { Both, Tabs, None };

struct NetOptions {
  double edgeMm = 0;  // 0: as long as lets the whole net fit one page
  PageSize page = PageSize::A4;
  // A laser file: outlines cut (red), folds scored (blue), edge numbers and,
  // with 'engrave', the decoration's outlines engraved (black), all
  // hairlines without fills.
  bool laser = false;
  bool engrave = false;
  double kerfMm = 0;  // laser: pieces' outlines moved out by half of it
  NetNumbers numbers = NetNumbers::Both;
  // One piece to fold up on screen, at the edge that fits one page: nothing
  // is glued, so no tabs, no numbers, and nothing is cut apart for them.
  bool folding = false;
};

// Edge lengths the exporter and the dialog accept: 0 (as large as fits one
// page) or kMinNetEdgeMm..kMaxNetEdgeMm.
inline constexpr double kMinNetEdgeMm = 1, kMaxNetEdgeMm = 2000;
inline bool ValidNetEdge(double mm) {
  return mm == 0 || (mm >= kMinNetEdgeMm && mm <= kMaxNetEdgeMm);
}
// The shortest edge a net gets by default.
inline constexpr double kLeastDefaultEdgeMm = 20;
// The blank border of every page.
inline constexpr double kNetMarginMm = 10;

struct NetFace {
  int polygon = -1;  // the face's own polygon in the solid list
  int piece = 0;     // the faces a piece of paper holds, joined by folds
  int page = 0;
  std::vector<DPoint> corners;  // on its page in mm, y down, in the polygon's order
};

// One edge of the solid: side i of a face runs from corner i to corner i + 1.
struct NetEdge {
  int faceA = 0, sideA = 0, faceB = 0, sideB = 0;
  bool fold = false;               // joined inside the net; otherwise a cut pair
  int number = 0;                  // cut pairs are numbered from 1 on both sides
  int tabFace = -1, tabSide = -1;  // the side of a cut pair that carries the tab
};

struct NetTab {
  int edge = 0;
  int page = 0;
  std::vector<DPoint> outline;  // the base (the face side) first, then the free end
};

struct NetDecoration {
  int face = 0;
  int rank = 0;
  Colour colour = 0;  // NoFill or black: drawn as an outline only
  std::vector<DPoint> points;
};

// A cut pair's number, drawn in strokes over a white halo of the same
// strokes, wider, so that it reads on any colour and hides little.
struct NetNumber {
  int edge = 0, page = 0;
  bool onTab = false;
  double heightMm = 0, haloMm = 0;
  std::vector<std::vector<DPoint>> strokes;  // the digits, then the underline
};

struct NetPage {
  double widthMm = 0, heightMm = 0;
};

struct SolidNet {
  double edgeMm = 0;
  Colour faceColour = 0;
  std::vector<NetPage> pages;
  std::vector<NetFace> faces;
  std::vector<NetEdge> edges;
  std::vector<NetTab> tabs;
  std::vector<NetDecoration> decoration;
  std::vector<NetNumber> numbers;
};

// The part of 'poly' inside the convex, clockwise 'window'.
std::vector<DPoint> ClipToFace(const std::vector<DPoint>& poly, const std::vector<DPoint>& window);

// Unfolds the recorded solid. False with *why set when the list holds no
// closed solid or the edge is too long for a page.
bool BuildSolidNet(const SolidPolyList& solid, const NetOptions& options, SolidNet& net,
                   std::string* why);

// The same unfolding in one piece on one page, without tabs: what the
// fold-up animation folds.
bool BuildOnePieceNet(const SolidPolyList& solid, SolidNet& net, std::string* why);

// The pages as layered plans: page background, face and decoration colours,
// outlines, then "Glue tabs", "Edge number halos", "Fold" (dashed), "Cut"
// and "Edge numbers".
std::vector<VectorPlan> NetPlans(const SolidNet& net);
// The pages for a laser cutter: "Engrave", "Score" and "Cut" layers in the
// order a laser runs them, each piece's inner lines before its outline.
std::vector<VectorPlan> NetLaserPlans(const SolidNet& net, bool engrave, double kerfMm);

// Writes the net as SVG (pages side by side) or PDF (one page each), by the
// extension of 'path', printed or for a laser; the file appears complete or
// not at all.
bool SaveNetFile(const SolidPolyList& solid, const NetOptions& options, const std::string& path,
                 std::string* error);

}  // namespace wlg
