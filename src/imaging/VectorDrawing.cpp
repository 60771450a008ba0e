#include "imaging/VectorDrawing.h"

#include <algorithm>
#include <charconv>
#include <clipper.hpp>
#include <cmath>
#include <cstdio>
#include <thread>
#include <unordered_map>

#include "imaging/BoxGrid.h"
#include "imaging/LineMerge.h"
#include "imaging/VisibleParts.h"
#include "platform/InParts.h"
#include "platform/SafeFile.h"

namespace wlg {

namespace {
constexpr double kCoordinateLimit = 1e6;
constexpr double kMmPerInch = 25.4;
constexpr double kCanvasDpi = 96;
constexpr double kPageMarginMm = 10;
constexpr double kPlotPenMm = 0.3;
}  // namespace

std::string HexColour(Colour c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", RedOf(c), GreenOf(c), BlueOf(c));
  return buf;
}

void AppendDecimal(std::string& out, double v, int decimals) {
  // Most numbers are millimetres on a page: scaled to a whole number, they
  // print as digits. Only a value that lies near halfway between two last
  // digits needs the exact decimal rounding below.
  // Below 2^52 the product's whole part is exact and a half between two
  // last digits is a number it can hold, so its rounding never crosses one.
  static constexpr double kTens[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  const double scaled = decimals >= 0 && decimals <= 9 ? std::fabs(v) * kTens[decimals] : HUGE_VAL;
  if (scaled < 0x1p52) {
    const double whole = std::floor(scaled);
    const double part = scaled - whole;
    if (std::fabs(part - 0.5) > 1e-6) {
      uint64_t k = static_cast<uint64_t>(whole) + (part > 0.5 ? 1 : 0);
      if (k == 0) {
        out += '0';
        return;
      }
      char buf[32];
      char* end = buf + sizeof buf;
      char* at = end;
      int place = 0;
      bool digits = false;  // a digit after the point has been kept
      for (; k > 0 || place <= decimals; ++place) {
        if (place == decimals && digits) *--at = '.';
        const char c = static_cast<char>('0' + k % 10);
        k /= 10;
        if (place < decimals && !digits && c == '0') continue;  // trailing zero
        if (place < decimals) digits = true;
        *--at = c;
      }
      if (v < 0) *--at = '-';
      out.append(at, end);
      return;
    }
  }
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (ec != std::errc()) {
    out += '0';
    return;
  }
  char* last = end;
  if (decimals > 0) {  // the zeros of a whole number stay
    while (last > buf && last[-1] == '0') --last;
    if (last > buf && last[-1] == '.') --last;
  }
  if (last - buf == 2 && buf[0] == '-' && buf[1] == '0') {  // "-0"
    out += '0';
    return;
  }
  out.append(buf, last);
}

VectorRecorder::VectorRecorder(double width, double height, Colour background) {
  drawing_.width = width;
  drawing_.height = height;
  drawing_.background = background;
}

void VectorRecorder::Record(const RecordedFigure& f) {
  if (!f.exact || f.count < (f.closed ? 3 : 2)) return;
  double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
  for (int i = 0; i < f.count; ++i) {
    const DPoint p = f.exact[i];
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  const double reach = f.stroked ? std::max(1, f.penWidth) : 0;
  if (maxX < -reach || maxY < -reach || minX > drawing_.width + reach ||
      minY > drawing_.height + reach)
    return;
  VectorFigure v;
  v.first = static_cast<uint32_t>(drawing_.points.size());
  v.count = static_cast<uint32_t>(f.count);
  v.part = f.part;
  v.item = f.item;
  v.tile = f.tile;
  v.rank = f.rank;
  v.copy = f.copy;
  v.closed = f.closed;
  v.stroked = f.stroked;
  v.filled = f.closed && f.filled;
  v.penWidth = std::max(1, f.penWidth);
  v.fill = f.fill;
  v.colourIndex = v.filled ? f.colourIndex : -1;
  for (int i = 0; i < f.count; ++i)
    drawing_.points.push_back({std::clamp(f.exact[i].x, -kCoordinateLimit, kCoordinateLimit),
                               std::clamp(f.exact[i].y, -kCoordinateLimit, kCoordinateLimit)});
  drawing_.figures.push_back(v);
}

namespace {

// Canvas units to page millimetres.
struct PageMap {
  double scale = 1, left = 0, top = 0;
  DPoint operator()(DPoint p) const { return {left + p.x * scale, top + p.y * scale}; }
};

PageMap PlacePage(const VectorDrawing& d, const VectorOptions& o, VectorPlan& plan) {
  PageMap map;
  const double w = std::max(d.width, 1.0), h = std::max(d.height, 1.0);
  map.scale = o.widthMm > 0 ? o.widthMm / w : kMmPerInch / kCanvasDpi;
  double dw = w * map.scale, dh = h * map.scale;
  plan.pageWidthMm = dw;
  plan.pageHeightMm = dh;
  if (o.page != PageSize::Drawing) {
    double pw = o.page == PageSize::A4 ? 210 : 215.9, ph = o.page == PageSize::A4 ? 297 : 279.4;
    if (dw > dh) std::swap(pw, ph);  // landscape for a wide drawing
    const double fit = std::min((pw - 2 * kPageMarginMm) / dw, (ph - 2 * kPageMarginMm) / dh);
    map.scale *= fit;
    dw *= fit;
    dh *= fit;
    map.left = (pw - dw) / 2;
    map.top = (ph - dh) / 2;
    plan.pageWidthMm = pw;
    plan.pageHeightMm = ph;
  }
  plan.drawingLeftMm = map.left;
  plan.drawingTopMm = map.top;
  plan.drawingWidthMm = dw;
  plan.drawingHeightMm = dh;
  return map;
}

std::vector<DPoint> MapPoints(const VectorDrawing& d, const VectorFigure& f, const PageMap& map) {
  std::vector<DPoint> pts(f.count);
  for (uint32_t i = 0; i < f.count; ++i) pts[i] = map(d.points[f.first + i]);
  return pts;
}

std::string FillLabel(const VectorFigure& f) {
  const std::string hex = HexColour(f.fill);
  if (f.colourIndex >= 16) return "Custom " + std::to_string(f.colourIndex - 16) + " " + hex;
  if (f.colourIndex >= 0) return "Colour " + std::to_string(f.colourIndex) + " " + hex;
  return "Colour " + hex;
}

std::string FillId(const VectorFigure& f) {
  if (f.colourIndex >= 16) return "custom-" + std::to_string(f.colourIndex - 16);
  if (f.colourIndex >= 0) return "colour-" + std::to_string(f.colourIndex);
  return "colour-" + HexColour(f.fill).substr(1);
}

void AddEdges(const VectorDrawing& d, const VectorFigure& f, std::vector<Segment>& out) {
  const DPoint* p = &d.points[f.first];
  for (uint32_t i = 0; i + 1 < f.count; ++i) out.push_back({p[i], p[i + 1]});
  if (f.closed) out.push_back({p[f.count - 1], p[0]});
}

Stroke AsStroke(const VectorDrawing& d, const VectorFigure& f) {
  Stroke s;
  s.points.assign(d.points.begin() + f.first, d.points.begin() + f.first + f.count);
  s.closed = f.closed;
  return s;
}

// Parallel lines 'spacing' apart at 'angle' (radians) over the rings
// (even-odd), cut at their edges: a plotter's fill. The lines lie on one grid
// for the whole drawing, so those of neighbouring regions join up. They stop
// at the drawing's edges: a figure reaching far past them would otherwise be
// hatched where no paper is, with lines past counting.
void AddHatch(const std::vector<std::vector<DPoint>>& rings, double angle, double spacing,
              const Box& page, std::vector<Segment>& out) {
  const double c = std::cos(angle), s = std::sin(angle);
  // Turned so that the lines run along x.
  auto turn = [c, s](DPoint p) { return DPoint{c * p.x + s * p.y, -s * p.x + c * p.y}; };
  auto back = [c, s](DPoint p) { return DPoint{c * p.x - s * p.y, s * p.x + c * p.y}; };
  std::vector<std::vector<DPoint>> turned;
  double y0 = HUGE_VAL, y1 = -HUGE_VAL;
  for (const auto& ring : rings) {
    auto& t = turned.emplace_back();
    for (const DPoint& p : ring) {
      t.push_back(turn(p));
      y0 = std::min(y0, t.back().y);
      y1 = std::max(y1, t.back().y);
    }
  }
  const std::vector<DPoint> sheet{turn({page.minX, page.minY}), turn({page.maxX, page.minY}),
                                  turn({page.maxX, page.maxY}), turn({page.minX, page.maxY})};
  double py0 = HUGE_VAL, py1 = -HUGE_VAL;
  for (const DPoint& p : sheet) py0 = std::min(py0, p.y), py1 = std::max(py1, p.y);
  y1 = std::min(y1, py1);
  if (!(y1 - std::max(y0, py0) < 1e6 * spacing)) return;  // no region, or lines past counting
  std::vector<double> xs, across;
  auto crossings = [](const std::vector<DPoint>& t, double y, std::vector<double>& xs) {
    for (size_t i = 0, j = t.size() - 1; i < t.size(); j = i++)
      if ((t[i].y > y) != (t[j].y > y))
        xs.push_back(t[j].x + (y - t[j].y) / (t[i].y - t[j].y) * (t[i].x - t[j].x));
  };
  for (double y = std::ceil(std::max(y0, py0) / spacing) * spacing; y <= y1; y += spacing) {
    across.clear();
    crossings(sheet, y, across);
    if (across.size() < 2) continue;
    const auto [lo, hi] = std::minmax_element(across.begin(), across.end());
    const double left = *lo, right = *hi;
    xs.clear();
    for (const auto& t : turned) crossings(t, y, xs);
    std::sort(xs.begin(), xs.end());
    for (size_t k = 0; k + 1 < xs.size(); k += 2) {
      const double a = std::max(xs[k], left), b = std::min(xs[k + 1], right);
      if (a < b) out.push_back({back({a, y}), back({b, y})});
    }
  }
}

// One layer of lines: the edges of the figures that the picture shows,
// merged and ordered; what a later fill hides is neither cut nor drawn. Its
// travel, before and after, is added to the plan's.
PlanLayer LineLayer(const VectorDrawing& d, const VisibleDrawing& visible,
                    const std::vector<uint32_t>& figures, const PageMap& map, double strokeMm,
                    VectorPlan& plan, double hatchAngle = 0, double hatchSpacing = 0) {
  std::vector<Segment> edges;
  std::vector<Stroke> drawn;
  drawn.reserve(figures.size());
  const Box page{0, 0, std::max(d.width, 1.0), std::max(d.height, 1.0)};
  for (uint32_t i : figures) {
    const VisibleFigure& v = visible.figures[i];
    if (hatchSpacing > 0 && d.figures[i].filled) {
      const VectorFigure& f = d.figures[i];
      if (v.fillWhole)
        AddHatch({{d.points.begin() + f.first, d.points.begin() + f.first + f.count}}, hatchAngle,
                 hatchSpacing, page, edges);
      else
        AddHatch(v.fillRings, hatchAngle, hatchSpacing, page, edges);
    }
    if (v.outlineWhole) AddEdges(d, d.figures[i], edges);
    for (const auto& piece : v.outlinePieces)
      for (size_t k = 0; k + 1 < piece.size(); ++k) edges.push_back({piece[k], piece[k + 1]});
    drawn.push_back(AsStroke(d, d.figures[i]));
  }
  const DPoint origin{0, 0};
  plan.travelDrawnMm += PenUpTravel(drawn, origin) * map.scale;
  std::vector<Stroke> strokes = MergeIntoStrokes(edges, kSharedEdgeTolerance);
  OrderForShortTravel(strokes, origin);
  plan.travelWrittenMm += PenUpTravel(strokes, origin) * map.scale;
  PlanLayer layer;
  layer.kind = PlanLayer::Kind::Stroke;
  layer.paths.reserve(strokes.size());
  for (const Stroke& s : strokes) {
    PlanPath p;
    p.points.reserve(s.points.size());
    for (const DPoint& q : s.points) p.points.push_back(map(q));
    p.closed = s.closed;
    p.strokeMm = strokeMm;
    layer.paths.push_back(std::move(p));
  }
  return layer;
}

void PictureLayers(const VectorDrawing& d, const PageMap& map, VectorPlan& plan) {
  PlanLayer background;
  background.kind = PlanLayer::Kind::Background;
  background.id = "background";
  background.label = "Background " + HexColour(d.background);
  background.colour = d.background;
  PlanPath rect;
  rect.points = {map({0, 0}), map({d.width, 0}), map({d.width, d.height}), map({0, d.height})};
  background.paths.push_back(std::move(rect));
  plan.layers.push_back(std::move(background));

  PlanLayer outlines;
  outlines.kind = PlanLayer::Kind::Stroke;
  outlines.id = "outlines";
  outlines.label = "Outlines";
  const VisibleDrawing visible = VisibleParts(d);
  std::unordered_map<Colour, size_t> fillLayer;
  const size_t firstFill = plan.layers.size();
  for (Colour c : visible.fillOrder) {
    fillLayer.emplace(c, plan.layers.size() - firstFill);
    plan.layers.emplace_back();
  }
  auto shows = [&](size_t i) {
    const VisibleFigure& v = visible.figures[i];
    return d.figures[i].filled && (v.fillWhole || !v.fillRings.empty());
  };
  // Each colour's layer is named by its first figure that shows.
  for (size_t i = 0; i < d.figures.size(); ++i) {
    if (!shows(i)) continue;
    PlanLayer& layer = plan.layers[firstFill + fillLayer.at(d.figures[i].fill)];
    if (!layer.id.empty()) continue;
    layer.id = FillId(d.figures[i]);
    layer.label = FillLabel(d.figures[i]);
    layer.colour = d.figures[i].fill;
  }
  // The paths, part by part side by side, then joined in order.
  struct Part {
    std::vector<std::vector<PlanPath>> fills;
    std::vector<PlanPath> lines;
  };
  std::vector<Part> parts(std::max(1u, std::thread::hardware_concurrency()));
  InParts(d.figures.size(), [&](size_t begin, size_t end, size_t part) {
    Part& out = parts[part];
    out.fills.resize(fillLayer.size());
    for (size_t i = begin; i < end; ++i) {
      const VectorFigure& f = d.figures[i];
      const VisibleFigure& v = visible.figures[i];
      if (shows(i)) {
        PlanPath p;
        if (v.fillWhole) {
          p.points = MapPoints(d, f, map);
        } else {
          for (const auto& ring : v.fillRings) {
            if (!p.points.empty()) p.ringStarts.push_back(p.points.size());
            for (const DPoint& q : ring) p.points.push_back(map(q));
          }
        }
        out.fills[fillLayer.at(f.fill)].push_back(std::move(p));
      }
      if (!f.stroked) continue;
      if (v.outlineWhole) {
        PlanPath p;
        p.points = MapPoints(d, f, map);
        p.closed = f.closed;
        p.strokeMm = f.penWidth * map.scale;
        out.lines.push_back(std::move(p));
        continue;
      }
      for (const auto& piece : v.outlinePieces) {
        if (piece.size() < 2) continue;
        PlanPath p;
        for (const DPoint& q : piece) p.points.push_back(map(q));
        p.closed = false;
        p.strokeMm = f.penWidth * map.scale;
        out.lines.push_back(std::move(p));
      }
    }
  });
  auto join = [](std::vector<PlanPath>& to, std::vector<PlanPath>& from) {
    if (to.empty()) {
      to.swap(from);
      return;
    }
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
  };
  for (Part& part : parts) {
    for (size_t k = 0; k < part.fills.size(); ++k)
      join(plan.layers[firstFill + k].paths, part.fills[k]);
    join(outlines.paths, part.lines);
  }
  // A colour whose every figure is hidden has nothing to show.
  plan.layers.erase(
      std::remove_if(plan.layers.begin() + static_cast<long>(firstFill), plan.layers.end(),
                     [](const PlanLayer& l) { return l.paths.empty(); }),
      plan.layers.end());
  if (!outlines.paths.empty()) plan.layers.push_back(std::move(outlines));
}

// The beam's path beside a closed contour, half the kerf away: outside a
// piece's outline (an even depth), inside a hole (an odd one), so that the
// cut pieces keep their drawn size.
void AllowForKerf(PlanPath& p, int depth, double kerfMm) {
  constexpr double units = 1e4;  // Clipper's integers: a tenth of a micrometre
  ClipperLib::Path ring;
  for (const DPoint& q : p.points)
    ring.push_back({static_cast<ClipperLib::cInt>(std::llround(q.x * units)),
                    static_cast<ClipperLib::cInt>(std::llround(q.y * units))});
  // Outward from a ring of either turn.
  if (!ClipperLib::Orientation(ring)) ClipperLib::ReversePath(ring);
  ClipperLib::ClipperOffset offset;
  offset.AddPath(ring, ClipperLib::jtMiter, ClipperLib::etClosedPolygon);
  ClipperLib::Paths out;
  offset.Execute(out, (depth % 2 ? -kerfMm : kerfMm) / 2 * units);
  if (out.size() != 1) return;  // a hole narrower than the kerf keeps its line
  p.points.clear();
  for (const ClipperLib::IntPoint& q : out[0]) p.points.push_back({q.X / units, q.Y / units});
}

}  // namespace

// The travel order is kept among lines equally deep.
void InnerLinesFirst(std::vector<PlanPath>& paths, double kerfMm) {
  std::vector<Box> boxes(paths.size(), Box{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL});
  Box all{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  std::vector<size_t> closed;
  for (size_t i = 0; i < paths.size(); ++i) {
    Box& b = boxes[i];
    for (const DPoint& p : paths[i].points)
      b = {std::min(b.minX, p.x), std::min(b.minY, p.y), std::max(b.maxX, p.x),
           std::max(b.maxY, p.y)};
    all = {std::min(all.minX, b.minX), std::min(all.minY, b.minY), std::max(all.maxX, b.maxX),
           std::max(all.maxY, b.maxY)};
    if (paths[i].closed) closed.push_back(i);
  }
  // A contour round a line covers the cell of the line's probe point.
  BoxGrid grid(all, static_cast<double>(closed.size()), 1e-3);
  for (size_t c : closed) grid.Add(static_cast<uint32_t>(c), boxes[c]);
  std::vector<int> depth(paths.size(), 0);
  for (size_t i = 0; i < paths.size(); ++i) {
    const auto& pts = paths[i].points;
    const DPoint probe{(pts[0].x + pts[1].x) / 2, (pts[0].y + pts[1].y) / 2};
    grid.Visit({probe.x, probe.y, probe.x, probe.y}, [&](const std::vector<uint32_t>& cell) {
      for (uint32_t c : cell)
        if (c != i && boxes[c].Contains(boxes[i]))
          depth[i] += InsideEvenOdd(probe, paths[c].points.data(), paths[c].points.size());
    });
  }
  for (size_t c : closed)
    if (kerfMm > 0) AllowForKerf(paths[c], depth[c], kerfMm);
  std::vector<size_t> order(paths.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&depth](size_t a, size_t b) { return depth[a] > depth[b]; });
  std::vector<PlanPath> sorted;
  sorted.reserve(paths.size());
  for (size_t i : order) sorted.push_back(std::move(paths[i]));
  paths.swap(sorted);
}

namespace {

void CutLayer(const VectorDrawing& d, const PageMap& map, double kerfMm, VectorPlan& plan) {
  std::vector<uint32_t> visible;
  for (uint32_t i = 0; i < d.figures.size(); ++i)
    if (d.figures[i].stroked || d.figures[i].filled) visible.push_back(i);
  PlanLayer layer = LineLayer(d, VisibleParts(d, true), visible, map, kHairlineMm, plan);
  InnerLinesFirst(layer.paths, kerfMm);
  layer.id = "cut";
  layer.label = "Cut";
  layer.colour = 0x0000ff;  // red, which laser software takes for "cut through"
  if (!layer.paths.empty()) plan.layers.push_back(std::move(layer));
}

// A filled figure is drawn with the pen of its colour, an unfilled one with
// the black pen of the outlines.
void PenLayers(const VectorDrawing& d, const PageMap& map, double hatchMm, VectorPlan& plan) {
  const VisibleDrawing visible = VisibleParts(d, true);
  std::vector<std::vector<uint32_t>> pens;
  std::vector<const VectorFigure*> firstOf;
  std::unordered_map<Colour, size_t> penOf;
  std::vector<uint32_t> black;
  for (uint32_t i = 0; i < d.figures.size(); ++i) {
    const VectorFigure& f = d.figures[i];
    if (f.filled) {
      auto [at, added] = penOf.emplace(f.fill, pens.size());
      if (added) {
        pens.emplace_back();
        firstOf.push_back(&f);
      }
      pens[at->second].push_back(i);
    } else if (f.stroked) {
      black.push_back(i);
    }
  }
  for (size_t k = 0; k < pens.size(); ++k) {
    // Each pen hatches at its own angle, so that overprinted colours cross.
    const double angle = (45 + 36 * static_cast<double>(k % 5)) * M_PI / 180;
    PlanLayer layer =
        LineLayer(d, visible, pens[k], map, kPlotPenMm, plan, angle, hatchMm / map.scale);
    layer.id = "pen-" + FillId(*firstOf[k]);
    layer.label = "Pen " + FillLabel(*firstOf[k]);
    layer.colour = firstOf[k]->fill;
    plan.layers.push_back(std::move(layer));
  }
  if (!black.empty()) {
    PlanLayer layer = LineLayer(d, visible, black, map, kPlotPenMm, plan);
    layer.id = "pen-outlines";
    layer.label = "Pen Outlines #000000";
    layer.colour = 0;
    plan.layers.push_back(std::move(layer));
  }
}

}  // namespace

namespace {
// A stroke with no length prints as a dot, a fill with no area as nothing.
bool Featureless(const PlanPath& p, PlanLayer::Kind kind) {
  constexpr double least = 1e-3;  // millimetres: below what any file holds or prints
  const size_t n = p.points.size();
  if (kind == PlanLayer::Kind::Stroke) {
    double length = 0;
    for (size_t i = 0; i + 1 < n || (p.closed && i < n); ++i) {
      const DPoint a = p.points[i], b = p.points[(i + 1) % n];
      length += std::hypot(b.x - a.x, b.y - a.y);
      if (length >= least) return false;
    }
    return true;
  }
  double area = 0;  // of every ring, holes too
  for (size_t r = 0; r <= p.ringStarts.size(); ++r) {
    const size_t begin = r == 0 ? 0 : p.ringStarts[r - 1];
    const size_t end = r < p.ringStarts.size() ? p.ringStarts[r] : n;
    double twice = 0;
    for (size_t i = begin; i < end; ++i) {
      const DPoint a = p.points[i], b = p.points[i + 1 < end ? i + 1 : begin];
      twice += a.x * b.y - b.x * a.y;
    }
    area += std::abs(twice) / 2;
  }
  return area < least * least;
}
}  // namespace

VectorPlan BuildVectorPlan(const VectorDrawing& drawing, const VectorOptions& options) {
  VectorPlan plan;
  const PageMap map = PlacePage(drawing, options, plan);
  switch (options.mode) {
    case VectorMode::Picture:
      PictureLayers(drawing, map, plan);
      break;
    case VectorMode::Cut:
      CutLayer(drawing, map, options.kerfMm, plan);
      break;
    case VectorMode::Plot:
      PenLayers(drawing, map, options.hatchMm, plan);
      break;
  }
  for (PlanLayer& layer : plan.layers)
    if (layer.kind != PlanLayer::Kind::Background)
      std::erase_if(layer.paths,
                    [&layer](const PlanPath& p) { return Featureless(p, layer.kind); });
  return plan;
}

std::string FileExtension(const std::string& path) {
  const size_t slash = path.rfind('/'), dot = path.rfind('.');
  std::string ext = dot == std::string::npos || (slash != std::string::npos && dot < slash)
                        ? std::string()
                        : path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

bool IsVectorExtension(const std::string& ext) {
  return ext == "svg" || ext == "pdf" || ext == "dxf";
}

bool SaveVectorFile(const VectorDrawing& drawing, const VectorOptions& options,
                    const std::string& path, std::string* error) {
  const std::string ext = FileExtension(path);
  auto fail = [&](const std::string& why) {
    if (error) *error = "Failed to save " + path + ": " + why;
    return false;
  };
  if (!IsVectorExtension(ext)) return fail("not an .svg, .pdf or .dxf file name");
  if (!CheckWritable(path, error)) return false;
  const VectorPlan plan = BuildVectorPlan(drawing, options);
  std::string bytes;
  std::string why;
  if (ext == "svg")
    bytes = LayeredSvg(plan);
  else if (ext == "pdf" && !PdfBytes(plan, bytes))
    return fail("the PDF could not be made");
  else if (ext == "dxf" && !DxfBytes(plan, bytes, &why))
    return fail(why);
  return WriteFileAtomically(path, bytes, error);
}

}  // namespace wlg
