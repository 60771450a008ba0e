#pragma once
// The headless exporter: loads a pattern exactly as File/Open does and
// writes what a user would save from the windows, through the same code.

#include <optional>
#include <string>
#include <vector>

#include "imaging/VectorDrawing.h"
#include "solids/PrintFiles.h"
#include "solids/SolidNet.h"

namespace wlg {

struct ExportRequest {
  enum class Mode { Tessellation, Tile, Solid, Sphere, Net } mode = Mode::Tessellation;
  int tile = 1;               // --tile N
  std::string solid;          // --solid KEY, --net KEY
  std::string pattern;        // PATTERN.wlg
  std::string output;         // OUT.ext
  int width = 0, height = 0;  // --size WxH (0: the window's default)
  std::optional<float> zoom;
  bool yes = false;
  bool lines = false, smooth = false;
  bool exact = false;      // --exact: OBJ corners unrounded
  bool antialias = false;  // --antialias: raster pictures with smooth edges
  std::optional<int> quality;
  std::optional<float> theta, phi, psi;
  VectorOptions vector;    // --cut, --plot, --width-mm, --page (SVG, PDF, DXF)
  NetOptions net;          // --edge-mm, --page, --cut, --engrave, --kerf, --numbers (nets)
  PrintFileOptions print;  // --edge-mm, --colours (.3mf, .stl)
  // Raster pictures: --scale S or --dpi D (D / 96), --scale-lines,
  // --transparent (.png, .tif), --quiet (no progress bar).
  std::optional<double> scale;
  bool dpiGiven = false;
  bool scaleLines = false, transparent = false, quiet = false;
  // Animations (.webp, .gif, .mp4, .webm of --solid, --sphere, or --net
  // with --fold): --frames N, --fps F, --no-loop, --lossy (WebP at quality 90).
  int frames = 72;
  double fps = 24;
  bool loop = true, lossy = false, fold = false;
  bool animationOptions = false;  // any of them given
  // --fill WxH / --fill-mm WxH: the lattice of the placed tiles repeated
  // over canvas (0, 0)..(fillWidth, fillHeight) at zoom 1 before the export.
  double fillWidth = 0, fillHeight = 0;
};

// Exit codes: 0 success, 1 load or export failure (or an unanswered
// question), 2 usage error.
struct ParseResult {
  std::optional<ExportRequest> request;
  int exitCode = 0;      // when there is no request: 0 for --help/--version, 2 for errors
  std::string out, err;  // what to print
};

ParseResult ParseExportArgs(const std::vector<std::string>& args);
int RunExport(const ExportRequest& request);
extern const char* const kExportUsage;

}  // namespace wlg
