// The layered SVG: one Inkscape layer per colour and one for the lines,
// sized in millimetres, user units millimetres too, plain paths only.

#include <algorithm>
#include <charconv>
#include <cmath>

#include "imaging/VectorDrawing.h"
#include "platform/InParts.h"

namespace wlg {

namespace {

// A value for an attribute between double quotes.
void AppendEscaped(std::string& out, const std::string& text) {
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
}

std::string Mm(double v) {
  std::string s;
  AppendDecimal(s, v);
  return s;
}

// The page size rounded down, so that a reader turning it into whole pixels
// does not add one for a ten-thousandth of a millimetre.
std::string PageMm(double v) { return Mm(std::floor(v * 1e4) / 1e4); }

void AppendPathData(std::string& out, const PlanPath& p) {
  size_t ring = 0;
  for (size_t i = 0; i < p.points.size(); ++i) {
    if (ring < p.ringStarts.size() && p.ringStarts[ring] == i) {
      out += " Z M";
      ++ring;
    } else {
      out += i == 0 ? "M" : " ";
    }
    AppendDecimal(out, p.points[i].x);
    out += ',';
    AppendDecimal(out, p.points[i].y);
  }
  if (p.closed) out += " Z";
}

struct PageRect {
  double x, width, height;
};

// Written straight into one string, indented by depth: tens of thousands of
// paths cost an XML writer's conversions far more than the text itself.
std::string WriteSvg(const VectorPlan& plan, const std::vector<PageRect>& pages) {
  std::string out;
  size_t points = 0;
  for (const PlanLayer& layer : plan.layers)
    for (const PlanPath& p : layer.paths) points += p.points.size();
  out.reserve(points * 20 + 4096);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out +=
      "<svg xmlns:inkscape=\"http://www.inkscape.org/namespaces/inkscape\" "
      "xmlns:sodipodi=\"http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd\" "
      "xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"";
  out += PageMm(plan.pageWidthMm) + "mm\" height=\"" + PageMm(plan.pageHeightMm) +
         "mm\" viewBox=\"0 0 " + PageMm(plan.pageWidthMm) + " " + PageMm(plan.pageHeightMm) +
         "\">\n";
  out += " <sodipodi:namedview inkscape:document-units=\"mm\"";
  if (pages.empty()) {
    out += "/>\n";
  } else {
    out += ">\n";
    for (size_t k = 0; k < pages.size(); ++k)
      out += "  <inkscape:page id=\"page" + std::to_string(k + 1) + "\" x=\"" + Mm(pages[k].x) +
             "\" y=\"0\" width=\"" + PageMm(pages[k].width) + "\" height=\"" +
             PageMm(pages[k].height) + "\"/>\n";
    out += " </sodipodi:namedview>\n";
  }

  // Each layer's start, its paths and its end, in order; a large drawing is
  // written in parts side by side and joined.
  struct Unit {
    uint32_t layer;
    int64_t path;  // -1: the layer's start, -2: its end
  };
  std::vector<Unit> units;
  std::vector<size_t> before{0};
  auto add = [&](uint32_t layer, int64_t path, size_t weight) {
    units.push_back({layer, path});
    before.push_back(before.back() + weight);
  };
  for (uint32_t l = 0; l < plan.layers.size(); ++l) {
    add(l, -1, 0);
    const std::vector<PlanPath>& paths = plan.layers[l].paths;
    for (size_t k = 0; k < paths.size(); ++k)
      add(l, static_cast<int64_t>(k), paths[k].points.size());
    if (!paths.empty()) add(l, -2, 0);
  }
  TextInParts(out, before, 50000, [&](std::string& text, size_t from, size_t to) {
    text.reserve(text.size() + (before[to] - before[from]) * 20);
    // What follows each path's data, the same for most of a layer's paths.
    std::string tail, dashes;
    const PlanLayer* tailOf = nullptr;
    double widthMm = -1;
    for (size_t k = from; k < to; ++k) {
      const PlanLayer& layer = plan.layers[units[k].layer];
      if (units[k].path == -1) {
        text += " <g inkscape:groupmode=\"layer\" id=\"layer-";
        AppendEscaped(text, layer.id);
        text += "\" inkscape:label=\"";
        AppendEscaped(text, layer.label);
        text += '"';
        // The background is there to be seen, not picked up and moved.
        if (layer.kind == PlanLayer::Kind::Background) text += " sodipodi:insensitive=\"true\"";
        text += layer.paths.empty() ? "/>\n" : ">\n";
        continue;
      }
      if (units[k].path == -2) {
        text += " </g>\n";
        continue;
      }
      const PlanPath& p = layer.paths[static_cast<size_t>(units[k].path)];
      if (tailOf != &layer) {
        tailOf = &layer;
        widthMm = -1;
        dashes.clear();
        for (double d : layer.dashMm) dashes += (dashes.empty() ? "" : ",") + Mm(d);
        if (layer.kind != PlanLayer::Kind::Stroke)
          tail = "\" fill=\"" + HexColour(layer.colour) +
                 "\" fill-rule=\"evenodd\" stroke=\"none\"/>\n";
      }
      if (layer.kind == PlanLayer::Kind::Stroke && p.strokeMm != widthMm) {
        widthMm = p.strokeMm;
        tail = "\" fill=\"none\" stroke=\"" + HexColour(layer.colour) + "\" stroke-width=\"" +
               Mm(widthMm) + "\" stroke-linejoin=\"round\"";
        // Round caps would lengthen every dash by the pen's width.
        tail += dashes.empty() ? " stroke-linecap=\"round\"/>\n"
                               : " stroke-linecap=\"butt\" stroke-dasharray=\"" + dashes + "\"/>\n";
      }
      text += "  <path d=\"";
      AppendPathData(text, p);
      text += tail;
    }
  });
  out += "</svg>\n";
  return out;
}

constexpr double kPageGapMm = 10;

}  // namespace

std::string LayeredSvg(const VectorPlan& plan) { return WriteSvg(plan, {}); }

std::string LayeredSvg(std::span<const VectorPlan> pages) {
  if (pages.size() == 1) return WriteSvg(pages[0], {});
  // Backgrounds below the fills below the lines, whichever page a layer
  // first appears on.
  VectorPlan all;
  std::vector<PageRect> rects;
  double x = 0;
  for (const VectorPlan& page : pages) {
    rects.push_back({x, page.pageWidthMm, page.pageHeightMm});
    all.pageHeightMm = std::max(all.pageHeightMm, page.pageHeightMm);
    for (const PlanLayer& layer : page.layers) {
      auto same = std::find_if(all.layers.begin(), all.layers.end(),
                               [&](const PlanLayer& l) { return l.id == layer.id; });
      if (same == all.layers.end()) {
        auto after = std::find_if(all.layers.begin(), all.layers.end(), [&](const PlanLayer& l) {
          return static_cast<int>(l.kind) > static_cast<int>(layer.kind);
        });
        PlanLayer empty = layer;
        empty.paths.clear();
        same = all.layers.insert(after, std::move(empty));
      }
      for (PlanPath p : layer.paths) {
        for (DPoint& q : p.points) q.x += x;
        same->paths.push_back(std::move(p));
      }
    }
    x += page.pageWidthMm + kPageGapMm;
  }
  all.pageWidthMm = x - kPageGapMm;
  all.drawingWidthMm = all.pageWidthMm;
  all.drawingHeightMm = all.pageHeightMm;
  return WriteSvg(all, rects);
}

}  // namespace wlg
