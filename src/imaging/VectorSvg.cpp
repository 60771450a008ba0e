// The layered SVG: one Inkscape layer per colour and one for the lines,
// sized in millimetres, user units millimetres too, plain paths only.

#include <algorithm>
#include <charconv>
#include <cmath>

#include "imaging/VectorDrawing.h"

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

  for (const PlanLayer& layer : plan.layers) {
    out += " <g inkscape:groupmode=\"layer\" id=\"layer-";
    AppendEscaped(out, layer.id);
    out += "\" inkscape:label=\"";
    AppendEscaped(out, layer.label);
    out += '"';
    // The background is there to be seen, not picked up and moved.
    if (layer.kind == PlanLayer::Kind::Background) out += " sodipodi:insensitive=\"true\"";
    if (layer.paths.empty()) {
      out += "/>\n";
      continue;
    }
    out += ">\n";
    const std::string colour = HexColour(layer.colour);
    std::string dashes;
    for (double d : layer.dashMm) dashes += (dashes.empty() ? "" : ",") + Mm(d);
    // What follows each path's data, the same for most of a layer's paths.
    std::string tail;
    double widthMm = -1;
    for (const PlanPath& p : layer.paths) {
      if (layer.kind != PlanLayer::Kind::Stroke) {
        tail = "\" fill=\"" + colour + "\" fill-rule=\"evenodd\" stroke=\"none\"/>\n";
      } else if (p.strokeMm != widthMm) {
        widthMm = p.strokeMm;
        tail = "\" fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" + Mm(widthMm) +
               "\" stroke-linejoin=\"round\"";
        // Round caps would lengthen every dash by the pen's width.
        tail += dashes.empty() ? " stroke-linecap=\"round\"/>\n"
                               : " stroke-linecap=\"butt\" stroke-dasharray=\"" + dashes + "\"/>\n";
      }
      out += "  <path d=\"";
      AppendPathData(out, p);
      out += tail;
    }
    out += " </g>\n";
  }
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
