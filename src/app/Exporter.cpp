#include "app/Exporter.h"

#include <unistd.h>

#include <QFileInfo>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "animation/FoldUp.h"
#include "animation/SpinFrames.h"
#include "designer/Windows.h"
#include "document/PatternFile.h"
#include "imaging/BandedRaster.h"
#include "imaging/PictureFiles.h"
#include "platform/ConsolePrompts.h"
#include "platform/Numbers.h"
#include "platform/SafeFile.h"
#include "platform/SettingsStore.h"

namespace wlg {

const char* const kExportUsage =
    "usage: whirligons-export [options] PATTERN.wlg OUT\n"
    "  whirligons-export PATTERN.wlg OUT.{bmp,jpg,png,tif,emf,svg,pdf,dxf}  the tessellation "
    "canvas\n"
    "  whirligons-export --tile N PATTERN.wlg OUT.{bmp,jpg,png,tif,svg,pdf,dxf}   designer tile N "
    "(1..4)\n"
    "  whirligons-export --solid KEY PATTERN.wlg OUT.{obj,glb,gltf,wrl,3mf,stl,bmp,jpg,png,tif}\n"
    "         solid KEY (Tetra ... TTet);\n"
    "         .obj writes its colours to OUT.mtl beside it, .glb is binary glTF, .gltf text;\n"
    "         .3mf and .stl are for printers: --edge-mm E (1..1000, default 30), --colours N\n"
    "         (3MF: at most N colours, the nearest merged), --relief H (decoration of rank r\n"
    "         raised H x (r + 1) mm, 0 < H <= 20)\n"
    "  whirligons-export --sphere PATTERN.wlg OUT.{wrl,bmp,jpg,png,tif}   the sphere wrap\n"
    "  whirligons-export --solid KEY|--sphere PATTERN.wlg OUT.{webp,gif,mp4,webm}   one full\n"
    "         turn of the solid or the sphere\n"
    "  whirligons-export --net KEY PATTERN.wlg OUT.{pdf,svg}   a printable net of solid KEY\n"
    "  whirligons-export --net KEY --fold PATTERN.wlg OUT.{webp,gif,mp4,webm}   the net folding\n"
    "         itself up into the solid, which then turns half a round\n"
    "  whirligons-export --fill WxH PATTERN.wlg OUT.{wlg,...}   the placed tiles repeated by\n"
    "         their lattice over canvas (0,0)..(W,H) at zoom 1, 16..8000; --fill-mm WxH in mm\n"
    "         at 96 dpi (5..2116); OUT is the filled pattern or any tessellation export\n"
    "options: --size WxH, --zoom Z, --yes (answer Yes/OK to setup and replace questions),\n"
    "         --lines, --smooth (VRML), --exact (OBJ corners unrounded), --quality N (sphere),\n"
    "         --theta/--phi/--psi DEG\n"
    "vector files (svg, pdf, dxf): --cut (outlines only, every edge once, red hairlines),\n"
    "         --kerf MM (with --cut: pieces' outlines out and holes in by half of it, 0.01..5),\n"
    "         --plot (strokes by pen colour, short travel), --hatch MM (with --plot: fills\n"
    "         hatched, lines 0.1..100 mm apart), --width-mm W (default 96 dpi),\n"
    "         --page a4|letter (PDF: fitted to the page)\n"
    "pictures (png, tif, bmp, jpg): --scale S (0.1..100, any raster view; the tessellation and\n"
    "         tiles are redrawn, up to 100000 pixels a side, png and tif written in bands),\n"
    "         --dpi D (10..9600, tessellation and tiles; 96 is --scale 1), --scale-lines\n"
    "         (lines widen with the scale; else they stay one pixel wide), --transparent\n"
    "         (png and tif of the tessellation and tiles), --quiet (no progress bar),\n"
    "         --antialias (smooth edges)\n"
    "nets: --edge-mm E (1..2000, or 0, the default: as large as fits one page, 20 at least), "
    "--page a4|letter\n"
    "         (default a4; a net too big for one page goes over several), --cut (a laser file:\n"
    "         outlines cut red, folds scored blue, edge numbers engraved black), --engrave (with\n"
    "         --cut: the decoration's outlines engraved too), --kerf MM (with --cut),\n"
    "         --numbers tabs|both|none (edge numbers on the tabs, there and inside the partner\n"
    "         edge (the default), or none)\n"
    "animations (webp, gif, mp4, webm): --frames N (1..3600, default 72), --fps F (1..60,\n"
    "         default 24), --no-loop (WebP and GIF play once), --lossy (WebP at quality 90)\n"
    "         --help, --version\n";

namespace {

ParseResult UsageError(const std::string& why) {
  ParseResult r;
  r.exitCode = 2;
  r.err = "whirligons-export: " + why + "\n" + kExportUsage;
  return r;
}

// A number in lo..hi (a whole one when 'whole'); NaN, infinities, hex floats
// and trailing text are refused, so no option value reaches a conversion
// that cannot hold it.
bool ParseNumber(const std::string& text, double lo, double hi, bool whole, double& out) {
  if (text.empty() || text.find_first_of("xXnNiI") != std::string::npos) return false;
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  if (!end || *end != '\0' || !std::isfinite(out)) return false;
  if (!(out >= lo && out <= hi)) return false;
  return !whole || out == std::floor(out);
}

std::string Extension(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).suffix().toLower().toStdString();
}

bool IsRasterExtension(const std::string& ext) {
  return ext == "png" || ext == "tif" || ext == "tiff" || ext == "bmp" || ext == "jpg";
}

// Why the raster options cannot go with this export, or empty.
std::string RasterOptionsProblem(const ExportRequest& req, const std::string& ext) {
  const bool flat =
      req.mode == ExportRequest::Mode::Tessellation || req.mode == ExportRequest::Mode::Tile;
  if ((req.scale || req.scaleLines || req.transparent) && !IsRasterExtension(ext))
    return "--scale, --dpi, --scale-lines and --transparent are for .png, .tif, .bmp and .jpg "
           "pictures";
  if (req.dpiGiven && !flat) return "--dpi is for the tessellation and tiles (use --scale)";
  if (req.scaleLines && !flat) return "--scale-lines is for the tessellation and tiles";
  if (req.scaleLines && !req.scale) return "--scale-lines goes with --scale or --dpi";
  if (req.transparent && !flat) return "--transparent is for the tessellation and tiles";
  if (req.transparent && ext != "png" && ext != "tif" && ext != "tiff")
    return "--transparent is for .png and .tif files";
  return {};
}

}  // namespace

ParseResult ParseExportArgs(const std::vector<std::string>& args) {
  ExportRequest req;
  std::vector<std::string> positional;
  bool edgeGiven = false;  // --edge-mm 0 is a choice too
  bool numbersGiven = false;
  bool printGiven = false;  // --colours
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    std::string v;
    double n = 0;
    if (a == "--help") {
      ParseResult r;
      r.out = kExportUsage;
      return r;
    } else if (a == "--version") {
      ParseResult r;
      r.out = std::string(WHIRLIGONS_VERSION) + "\n";
      return r;
    } else if (a == "--tile") {
      if (!value(v) || !ParseNumber(v, 1, 4, true, n))
        return UsageError("--tile takes a tile number from 1 to 4");
      req.mode = ExportRequest::Mode::Tile;
      req.tile = static_cast<int>(n);
    } else if (a == "--solid") {
      if (!value(v)) return UsageError("--solid takes a solid's key");
      req.mode = ExportRequest::Mode::Solid;
      req.solid = v;
    } else if (a == "--net") {
      if (!value(v)) return UsageError("--net takes a solid's key");
      req.mode = ExportRequest::Mode::Net;
      req.solid = v;
    } else if (a == "--edge-mm") {
      if (!value(v) || !ParseNumber(v, 0, kMaxNetEdgeMm, false, n) || !ValidNetEdge(n))
        return UsageError(
            "--edge-mm takes 0 (as large as fits one page) or an edge length "
            "from 1 to 2000 millimetres");
      req.net.edgeMm = n;
      req.print.mesh.edgeMm = n;
      edgeGiven = true;
    } else if (a == "--colours") {
      if (!value(v) || !ParseNumber(v, 1, 16, true, n))
        return UsageError("--colours takes a number of colours from 1 to 16");
      req.print.colours = static_cast<int>(n);
      printGiven = true;
    } else if (a == "--relief") {
      if (!value(v) || !ParseNumber(v, 0, kMaxReliefMm, false, n) || n <= 0)
        return UsageError("--relief takes a height of more than 0 and at most 20 millimetres");
      req.print.mesh.reliefMm = n;
    } else if (a == "--sphere") {
      req.mode = ExportRequest::Mode::Sphere;
    } else if (a == "--size") {
      size_t x = 0;
      double w = 0, h = 0;
      if (!value(v) || (x = v.find('x')) == std::string::npos ||
          !ParseNumber(v.substr(0, x), 16, 8000, true, w) ||
          !ParseNumber(v.substr(x + 1), 16, 8000, true, h))
        return UsageError("--size takes WxH, each 16..8000 pixels");
      req.width = static_cast<int>(w);
      req.height = static_cast<int>(h);
    } else if (a == "--fill" || a == "--fill-mm") {
      // At 96 dpi, as far as a canvas reaches.
      const bool mm = a == "--fill-mm";
      const double lo = mm ? 5 : 16, hi = mm ? 2116 : 8000, unit = mm ? 96 / 25.4 : 1;
      size_t x = 0;
      double w = 0, h = 0;
      if (!value(v) || (x = v.find('x')) == std::string::npos ||
          !ParseNumber(v.substr(0, x), lo, hi, false, w) ||
          !ParseNumber(v.substr(x + 1), lo, hi, false, h))
        return UsageError(mm ? "--fill-mm takes WxH, each 5..2116 millimetres"
                             : "--fill takes WxH, each 16..8000 canvas units");
      req.fillWidth = w * unit;
      req.fillHeight = h * unit;
    } else if (a == "--zoom") {
      if (!value(v) || !ParseNumber(v, 0.2, 100, false, n))
        return UsageError("--zoom takes a number from 0.2 to 100");
      req.zoom = static_cast<float>(n);
    } else if (a == "--quality") {
      if (!value(v) || !ParseNumber(v, 1, 10, true, n))
        return UsageError("--quality takes a whole number from 1 to 10");
      req.quality = static_cast<int>(n);
    } else if (a == "--theta" || a == "--phi" || a == "--psi") {
      // The same range as the window's angle boxes.
      if (!value(v) || !ParseNumber(v, 0, 360, false, n))
        return UsageError(a + " takes an angle from 0 to 360 degrees");
      (a == "--theta" ? req.theta : a == "--phi" ? req.phi : req.psi) = static_cast<float>(n);
    } else if (a == "--width-mm") {
      if (!value(v) || !ParseNumber(v, 1, 100000, false, n))
        return UsageError("--width-mm takes a width from 1 to 100000 millimetres");
      req.vector.widthMm = n;
    } else if (a == "--kerf") {
      if (!value(v) || !ParseNumber(v, 0.01, 5, false, n))
        return UsageError("--kerf takes a kerf width from 0.01 to 5 millimetres");
      req.vector.kerfMm = n;
    } else if (a == "--hatch") {
      if (!value(v) || !ParseNumber(v, 0.1, 100, false, n))
        return UsageError("--hatch takes a line spacing from 0.1 to 100 millimetres");
      req.vector.hatchMm = n;
    } else if (a == "--page") {
      if (!value(v) || (v != "a4" && v != "letter")) return UsageError("--page takes a4 or letter");
      req.vector.page = v == "a4" ? PageSize::A4 : PageSize::Letter;
    } else if (a == "--cut" || a == "--plot") {
      const VectorMode mode = a == "--cut" ? VectorMode::Cut : VectorMode::Plot;
      if (req.vector.mode != VectorMode::Picture && req.vector.mode != mode)
        return UsageError("choose one of --cut and --plot");
      req.vector.mode = mode;
    } else if (a == "--scale" || a == "--dpi") {
      // Raster size and look, kept together.
      const bool dpi = a == "--dpi";
      if (req.scale && req.dpiGiven != dpi) return UsageError("choose one of --scale and --dpi");
      if (!value(v) || !ParseNumber(v, dpi ? 10 : 0.1, dpi ? 9600 : 100, false, n))
        return UsageError(dpi ? "--dpi takes a resolution from 10 to 9600 dots per inch"
                              : "--scale takes a number from 0.1 to 100");
      req.scale = dpi ? n / 96 : n;
      req.dpiGiven = dpi;
    } else if (a == "--numbers") {
      if (!value(v) || (v != "tabs" && v != "both" && v != "none"))
        return UsageError("--numbers takes tabs, both or none");
      req.net.numbers = v == "tabs"   ? NetNumbers::Tabs
                        : v == "none" ? NetNumbers::None
                                      : NetNumbers::Both;
      numbersGiven = true;
    } else if (a == "--engrave") {
      req.net.engrave = true;
    } else if (a == "--scale-lines") {
      req.scaleLines = true;
    } else if (a == "--transparent") {
      req.transparent = true;
    } else if (a == "--quiet") {
      req.quiet = true;
    } else if (a == "--yes") {
      req.yes = true;
    } else if (a == "--lines") {
      req.lines = true;
    } else if (a == "--smooth") {
      req.smooth = true;
    } else if (a == "--exact") {
      req.exact = true;
    } else if (a == "--antialias") {
      req.antialias = true;
    } else if (a == "--frames") {
      if (!value(v) || !ParseNumber(v, 1, kMaxAnimationFrames, true, n))
        return UsageError("--frames takes a whole number from 1 to 3600");
      req.frames = static_cast<int>(n);
      req.animationOptions = true;
    } else if (a == "--fps") {
      if (!value(v) || !ParseNumber(v, kMinAnimationFps, kMaxAnimationFps, false, n))
        return UsageError("--fps takes a number of frames per second from 1 to 60");
      req.fps = n;
      req.animationOptions = true;
    } else if (a == "--no-loop") {
      req.loop = false;
      req.animationOptions = true;
    } else if (a == "--fold") {
      req.fold = true;
    } else if (a == "--lossy") {
      req.lossy = true;
      req.animationOptions = true;
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return UsageError("unknown option " + a);
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 2) return UsageError("give a pattern file and an output file");
  req.pattern = positional[0];
  req.output = positional[1];
  if (ToUpper(req.pattern).find(".WLG") == std::string::npos)
    return UsageError("the pattern file must be a .wlg file");

  const std::string ext = Extension(req.output);
  auto allowed = [&](std::initializer_list<const char*> exts) {
    for (const char* e : exts)
      if (ext == e) return true;
    return false;
  };
  const bool animation = AnimationKindOf(ext).has_value();
  bool ok = false;
  switch (req.mode) {
    case ExportRequest::Mode::Tessellation:
      ok = allowed({"bmp", "jpg", "png", "tif", "tiff", "emf", "svg", "pdf", "dxf"}) ||
           (req.fillWidth > 0 && ext == "wlg");
      break;
    case ExportRequest::Mode::Tile:
      ok = allowed({"bmp", "jpg", "png", "tif", "tiff", "svg", "pdf", "dxf"});
      break;
    case ExportRequest::Mode::Solid:
      ok = allowed({"obj", "glb", "gltf", "wrl", "bmp", "jpg", "png", "tif", "tiff", "3mf", "stl"}) ||
           animation;
      break;
    case ExportRequest::Mode::Sphere:
      ok = allowed({"wrl", "bmp", "jpg", "png", "tif", "tiff"}) || animation;
      break;
    case ExportRequest::Mode::Net:
      ok = req.fold ? animation : allowed({"pdf", "svg"});
      break;
  }
  if (req.fold && req.mode != ExportRequest::Mode::Net)
    return UsageError("--fold is for nets (--net KEY --fold ... OUT.webp)");
  if (!ok) return UsageError("this export cannot write ." + ext + " files");
  if (req.animationOptions && !animation)
    return UsageError(
        "--frames, --fps, --no-loop and --lossy are for .webp, .gif, .mp4 and "
        ".webm animations");
  if (req.lossy && ext != "webp") return UsageError("--lossy is for .webp animations");
  if (req.fillWidth > 0 && req.mode != ExportRequest::Mode::Tessellation)
    return UsageError("--fill and --fill-mm are for the tessellation");
  if (const std::string why = RasterOptionsProblem(req, ext); !why.empty()) return UsageError(why);
  if (req.exact && (req.mode != ExportRequest::Mode::Solid || ext != "obj"))
    return UsageError("--exact is for OBJ meshes (--solid KEY ... OUT.obj)");
  const bool print = req.mode == ExportRequest::Mode::Solid && (ext == "3mf" || ext == "stl");
  if (printGiven && !print) return UsageError("--colours is for .3mf files");
  if (req.print.colours > 0 && ext != "3mf") return UsageError("--colours is for .3mf files");
  if (req.print.mesh.reliefMm > 0 && !print)
    return UsageError("--relief is for printed solids (.3mf, .stl)");
  if (print && edgeGiven &&
      !(req.print.mesh.edgeMm >= kMinPrintEdgeMm && req.print.mesh.edgeMm <= kMaxPrintEdgeMm))
    return UsageError(
        "--edge-mm takes an edge length from 1 to 1000 millimetres for a printed solid");
  if (edgeGiven && req.mode != ExportRequest::Mode::Net && !print)
    return UsageError("--edge-mm is for nets (--net) and printed solids (.3mf, .stl)");
  if (req.fold &&
      (edgeGiven || numbersGiven || req.net.engrave || req.vector.mode != VectorMode::Picture ||
       req.vector.page != PageSize::Drawing || req.vector.kerfMm > 0))
    return UsageError(
        "--edge-mm, --numbers, --cut, --engrave, --kerf and --page are for printed "
        "nets, not --fold");
  if (req.mode == ExportRequest::Mode::Net) {
    // A net's pages are A4 unless Letter is asked for.
    req.net.page = req.vector.page == PageSize::Letter ? PageSize::Letter : PageSize::A4;
    if (req.vector.mode == VectorMode::Plot || req.vector.widthMm > 0)
      return UsageError("--plot and --width-mm are not for nets");
    req.net.laser = req.vector.mode == VectorMode::Cut;
    if (req.net.engrave && !req.net.laser)
      return UsageError("--engrave is for laser nets (--net with --cut)");
    req.net.kerfMm = req.net.laser ? req.vector.kerfMm : 0;
    if (req.vector.kerfMm > 0 && !req.net.laser)
      return UsageError("--kerf is for cut files (--cut)");
    ParseResult r;
    r.request = req;
    return r;
  }
  if (numbersGiven) return UsageError("--numbers is for nets (--net)");
  if (req.net.engrave) return UsageError("--engrave is for laser nets (--net with --cut)");
  if (req.vector.hatchMm > 0 && req.vector.mode != VectorMode::Plot)
    return UsageError("--hatch is for plotter files (--plot)");
  if (req.vector.kerfMm > 0 && req.vector.mode != VectorMode::Cut)
    return UsageError("--kerf is for cut files (--cut)");
  const VectorOptions plain;
  const bool vectorOptions = req.vector.mode != plain.mode || req.vector.widthMm != plain.widthMm ||
                             req.vector.page != plain.page;
  if (vectorOptions && !IsVectorExtension(ext))
    return UsageError("--cut, --plot, --width-mm and --page are for .svg, .pdf and .dxf files");
  if (req.vector.page != PageSize::Drawing && ext != "pdf")
    return UsageError("--page is for .pdf files");
  if (req.antialias && !IsRasterExtension(ext) && !animation)
    return UsageError("--antialias is for pictures (.png, .tif, .bmp, .jpg) and animations");
  if (req.vector.page != PageSize::Drawing && req.vector.widthMm > 0)
    return UsageError("choose one of --width-mm and --page");
  ParseResult r;
  r.request = req;
  return r;
}

namespace {

int Fail(const std::string& what) {
  std::fprintf(stderr, "whirligons-export: %s\n", what.c_str());
  return 1;
}

PictureKind KindOf(const std::string& ext) { return PictureKindOf(ext).value_or(PictureKind::PNG); }

// Redrawn pictures stream to every kind in bands up to this size (a JPEG
// only to its own 65,500); the 3D and sphere pictures are made whole in
// memory, up to the smaller one.
constexpr int kMaxBandedSide = 100000;
constexpr int kMaxWholeSide = 16000;

int TooLarge(int width, int height, int limit) {
  std::fprintf(stderr,
               "whirligons-export: the picture would be %d x %d pixels; at most %d a side%s\n",
               width, height, limit, limit < kMaxBandedSide ? " (or use .png or .tif)" : "");
  return 2;
}

// A bar on a terminal's stderr once an export has taken a second; gone
// again when it ends, so a successful export prints nothing that stays.
class ProgressBar {
 public:
  explicit ProgressBar(bool quiet)
      : on_(!quiet && ::isatty(STDERR_FILENO)), start_(std::chrono::steady_clock::now()) {}
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;
  ~ProgressBar() {
    if (shown_) std::fprintf(stderr, "\r%60s\r", "");
  }
  void operator()(double done) {
    if (!on_) return;
    if (!shown_ && std::chrono::steady_clock::now() - start_ < std::chrono::seconds(1)) return;
    const int percent = static_cast<int>(std::clamp(done, 0.0, 1.0) * 100);
    if (shown_ && percent == percent_) return;
    shown_ = true;
    percent_ = percent;
    constexpr int kCells = 40;
    const int full = percent * kCells / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(full, '#').c_str(),
                 std::string(kCells - full, ' ').c_str(), percent);
    std::fflush(stderr);
  }

 private:
  bool on_, shown_ = false;
  int percent_ = -1;
  std::chrono::steady_clock::time_point start_;
};

// The picture is redrawn rather than copied from the canvas when it is
// scaled, see-through or a TIFF.
bool Redrawn(const ExportRequest& req, const std::string& ext) {
  return req.scale || req.transparent || KindOf(ext) == PictureKind::TIFF;
}

// A recorded redraw drawn at the asked scale, streamed to its file in bands.
int SaveRedrawn(const VectorDrawing& drawing, const ExportRequest& req) {
  RasterOptions o;
  o.scale = req.scale.value_or(1);
  o.scaleLines = req.scaleLines;
  o.transparent = req.transparent;
  o.antialias = req.antialias;
  const BandedRaster raster(drawing, o);
  const PictureKind kind = KindOf(Extension(req.output));
  const int limit = std::min(kMaxBandedSide, MaxPictureSide(kind));
  if (raster.Width() > limit || raster.Height() > limit)
    return TooLarge(raster.Width(), raster.Height(), limit);
  if (!PictureFits(kind, raster.Width(), raster.Height())) {
    std::fprintf(stderr,
                 "whirligons-export: the picture would be %d x %d pixels; a BMP file holds at "
                 "most 4 GB (or use .png or .tif)\n",
                 raster.Width(), raster.Height());
    return 2;
  }
  ProgressBar bar(req.quiet);
  StreamedPicture p;
  p.width = raster.Width();
  p.height = raster.Height();
  p.alpha = req.transparent;
  p.dpi = 96 * o.scale;  // a --dpi export says its dpi
  p.bandRows = BandRowsFor(p.width);
  p.render = [&raster](int top, QImage& band) { raster.RenderBand(top, band); };
  p.progress = [&bar](double done) { bar(done); };
  std::string error;
  return WritePicture(p, req.output, kind, &error) ? 0 : Fail(error);
}

int ExportTile(Windows& w, const ExportRequest& req) {
  frmS& d = w.designer;
  const int t = req.tile - 1;
  d.SSTab1_Click(t);
  const std::string ext = Extension(req.output);
  std::string error;
  if (IsVectorExtension(ext)) {
    const Canvas& canvas = d.picS(t).canvas;
    VectorRecorder recorder(canvas.Width(), canvas.Height(), canvas.backColour);
    d.RecordCurrentTile(recorder);
    if (!SaveVectorFile(recorder.Drawing(), req.vector, req.output, &error)) return Fail(error);
    return 0;
  }
  if (Redrawn(req, ext)) {
    const Canvas& canvas = d.picS(t).canvas;
    VectorRecorder recorder(canvas.Width(), canvas.Height(), canvas.backColour);
    d.RecordCurrentTile(recorder);
    return SaveRedrawn(recorder.Drawing(), req);
  }
  const ImageCanvas& c = d.picS(t).canvas;
  return WritePicture(req.antialias ? c.DisplayImage() : c.Image(), req.output, KindOf(ext), &error)
             ? 0
             : Fail(error);
}

int ExportTessellation(Windows& w, Program& program, const ExportRequest& req) {
  frmT& t = w.tessellator;
  // A pattern with fewer than two tiles leaves the window closed; the
  // picture is still the tessellator's canvas.
  t.Show();
  const std::string ext = Extension(req.output);
  std::string error;
  if (req.fillWidth > 0) {
    // The canvas shows the filled rectangle, unless asked otherwise.
    t.Entry("vsZoom").SetValue("1");
    t.XScroll().SetValue(50);
    t.YScroll().SetValue(50);
    if (req.width == 0)
      t.picT().canvas.Resize(static_cast<int>(std::ceil(req.fillWidth)),
                             static_cast<int>(std::ceil(req.fillHeight)));
    if (!t.FillOver({0, 0, req.fillWidth, req.fillHeight})) return 1;  // the message said why
    if (ext == "wlg") {
      const std::time_t now = std::time(nullptr);
      std::tm local{};
      localtime_r(&now, &local);
      const std::string text = WritePattern(program, {&w.designer, &w.view3D, &t}, local);
      std::string reason;
      if (!SavePatternFile(req.output, text, reason)) return Fail(reason);
      return 0;
    }
  }
  if (req.width > 0) t.picT().canvas.Resize(req.width, req.height);
  if (req.zoom) t.Entry("vsZoom").SetValue(FormatSingle(*req.zoom));
  if (Redrawn(req, ext)) {
    // Every item in its own colours, as a saved picture shows them.
    program.tess.TessItems[program.tess.EditItem].Selected = false;
    const Canvas& canvas = t.picT().canvas;
    VectorRecorder recorder(canvas.Width(), canvas.Height(), t.TessBackColour());
    t.RecordRedraw(recorder);
    return SaveRedrawn(recorder.Drawing(), req);
  }
  bool ok = false;
  if (ext == "emf")
    ok = t.SaveMetafile(req.output, &error);
  else if (IsVectorExtension(ext))
    ok = t.SaveVector(req.output, req.vector, &error);
  else
    ok = t.SavePicture(req.output, KindOf(ext), &error, req.antialias);
  return ok ? 0 : Fail(error);
}

// The solid as its menu command builds it: 0 when the 3D window shows it,
// else the exit code.
int BuildSolid(Windows& w, const ExportRequest& req) {
  const SolidInfo* info = FindSolid(req.solid);
  if (info == nullptr) {
    std::string keys;
    for (const SolidInfo& s : Solids()) keys += std::string(keys.empty() ? "" : ", ") + s.key;
    std::fprintf(stderr, "whirligons-export: there is no solid called %s (the keys are %s)\n",
                 req.solid.c_str(), keys.c_str());
    return 2;
  }
  frm3D& v = w.view3D;
  // The recorded solid is centred on the picture, so the size comes first.
  const double scale = req.scale.value_or(1);
  if (req.width > 0 || req.scale) {
    const Canvas& c = v.pic3D().canvas;
    const int width = RasterSide(req.width > 0 ? req.width : c.Width(), scale);
    const int height = RasterSide(req.width > 0 ? req.height : c.Height(), scale);
    if (width > kMaxWholeSide || height > kMaxWholeSide)
      return TooLarge(width, height, kMaxWholeSide);
    v.ResizePicture(width, height);
  }
  // The solid grows with its picture.
  if (req.scale)
    v.Entry("vsScale3D")
        .SetValue(FormatSingle(static_cast<float>(v.Entry("vsScale3D").Number() * scale)));
  v.Menu("mnuEditVRMLLines").SetChecked(req.lines);
  v.Menu("mnuEditVRMLSmooth").SetChecked(req.smooth);
  w.builder.RunCommand(*info);
  if (!v.IsVisible()) return Fail("the " + std::string(info->key) + " could not be built");
  return 0;
}

// One full turn (or the fold-up) through the chosen encoder, with the bar.
int SaveAnimation(FrameSource& frames, const ExportRequest& req) {
  AnimationOptions o;
  o.kind = *AnimationKindOf(Extension(req.output));
  o.fps = req.fps;
  o.loop = req.loop;
  o.lossless = !req.lossy;
  ProgressBar bar(req.quiet);
  std::string error;
  const bool ok = WriteAnimation(frames, o, req.output, &error, [&bar](double done) {
    bar(done);
    return true;
  });
  return ok ? 0 : Fail(error);
}

int ExportNet(Windows& w, Program& program, const ExportRequest& req) {
  if (const int code = BuildSolid(w, req)) return code;
  std::string error;
  if (req.fold) {
    auto folding = FoldUp::Make(w.view3D, program.design.solid, req.frames, &error);
    if (!folding) return Fail(req.output + ": " + error);
    return SaveAnimation(*folding, req);
  }
  return w.view3D.SaveNet(req.output, req.net, &error) ? 0 : Fail(error);
}

// The solid seen from the given angles.
int ExportSolid(Windows& w, Program& program, const ExportRequest& req) {
  if (const int code = BuildSolid(w, req)) return code;
  frm3D& v = w.view3D;
  if (req.theta) v.Entry("vtTheta").CommitEnter(FormatSingle(*req.theta));
  if (req.phi) v.Entry("vtPhi").CommitEnter(FormatSingle(*req.phi));
  if (req.psi) v.Entry("vtPsi").CommitEnter(FormatSingle(*req.psi));

  const std::string ext = Extension(req.output);
  if (AnimationKindOf(ext)) {
    SolidSpin spin(v, program.design.solid, req.frames);
    return SaveAnimation(spin, req);
  }
  std::string error;
  bool ok = false;
  if (ext == "3mf" || ext == "stl") {
    std::string note;
    ok = v.SavePrint(req.output, req.print, &note, &error);
    if (ok) std::fputs(note.c_str(), stdout);
  } else if (ext == "obj")
    ok = v.SaveObj(req.output, &error, req.exact);
  else if (ext == "glb" || ext == "gltf")
    ok = v.SaveGltf(req.output, &error);
  else if (ext == "wrl")
    ok = v.SaveVrml(req.output, &error);
  else if (ext == "tif" || ext == "tiff")
    ok = WritePicture(req.antialias ? v.pic3D().canvas.DisplayImage() : v.pic3D().canvas.Image(),
                      req.output, PictureKind::TIFF, &error);
  else
    ok = v.SavePicture(req.output, KindOf(ext), &error, req.antialias);
  return ok ? 0 : Fail(error);
}

// The sphere wrap as the tessellator's command opens it: the texture comes
// from the tessellator canvas (at --size), at Image Quality --quality.
int ExportSphere(Windows& w, const ExportRequest& req) {
  frmT& t = w.tessellator;
  t.Show();
  if (req.width > 0) t.picT().canvas.Resize(req.width, req.height);
  if (req.zoom) t.Entry("vsZoom").SetValue(FormatSingle(*req.zoom));
  frmSphereWrap& s = w.sphereWrap;
  if (req.quality) s.Entry("vtWidth").SetValue(std::to_string(*req.quality));
  t.Menu("mnuShearWrap").UserClick();
  const std::string ext = Extension(req.output);
  std::string error;
  if (ext == "wrl") return s.SaveVrml(req.output, &error) ? 0 : Fail(error);
  if (AnimationKindOf(ext)) {
    if (!s.sphere.HasPixels()) return Fail(frmSphereWrap::BlitError);
    SphereSpin spin(s, req.frames, req.antialias);
    return SaveAnimation(spin, req);
  }
  if (!req.scale && ext != "tif" && ext != "tiff")
    return s.SavePicture(req.output, KindOf(ext), &error, req.antialias) ? 0 : Fail(error);
  const int side = RasterSide(frmSphereWrap::SphereSide, req.scale.value_or(1));
  if (side > kMaxWholeSide) return TooLarge(side, side, kMaxWholeSide);
  const auto picture = s.Picture(side, req.antialias);
  if (!picture) return Fail(frmSphereWrap::BlitError);
  return WritePicture(*picture, req.output, KindOf(ext), &error) ? 0 : Fail(error);
}

}  // namespace

int RunExport(const ExportRequest& req) {
  ConsolePrompts prompts(req.yes);
  Program program(prompts);
  // The same file always gives the same picture: start from the controls'
  // defaults, never from the user's settings.
  auto settings = MakeMemorySettings();
  try {
    Windows windows(program, *settings);
    if (!QFileInfo::exists(QString::fromStdString(req.pattern)))
      return Fail(req.pattern + ": no such file");
    windows.designer.Form_Load("\"" + req.pattern + "\"");
    // The load message has said what and where already.
    if (windows.designer.LastLoadError()) return 1;
    // Antialiased pictures: every canvas draws its display picture at ratio 1.
    if (req.antialias) windows.SetSmoothEdges(true);

    switch (req.mode) {
      case ExportRequest::Mode::Tile:
        return ExportTile(windows, req);
      case ExportRequest::Mode::Tessellation:
        return ExportTessellation(windows, program, req);
      case ExportRequest::Mode::Solid:
        return ExportSolid(windows, program, req);
      case ExportRequest::Mode::Net:
        return ExportNet(windows, program, req);
      case ExportRequest::Mode::Sphere:
        return ExportSphere(windows, req);
      default:
        return Fail("this export is not available yet");
    }
  } catch (const UnansweredQuestion& q) {
    return Fail(std::string(q.what()) + "\n(answer Yes/OK with --yes)");
  }
}

}  // namespace wlg
