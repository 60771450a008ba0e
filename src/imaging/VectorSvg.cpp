// The layered SVG: one Inkscape layer per colour and one for the lines,
// sized in millimetres, user units millimetres too, plain paths only.

#include <QXmlStreamWriter>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "imaging/VectorDrawing.h"

namespace wlg {

namespace {

// Millimetres to a tenth of a micrometre, without trailing zeros.
void AppendMm(std::string& out, double v) {
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 4);
  if (ec != std::errc()) {
    out += '0';
    return;
  }
  char* last = end;
  while (last > buf && last[-1] == '0') --last;
  if (last > buf && last[-1] == '.') --last;
  if (last - buf == 2 && buf[0] == '-' && buf[1] == '0') {  // "-0"
    out += '0';
    return;
  }
  out.append(buf, last);
}

QString Mm(double v) {
  std::string s;
  AppendMm(s, v);
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// The page size rounded down, so that a reader turning it into whole pixels
// does not add one for a ten-thousandth of a millimetre.
QString PageMm(double v) { return Mm(std::floor(v * 1e4) / 1e4); }

QString PathData(const PlanPath& p, std::string& d) {
  d.clear();
  size_t ring = 0;
  for (size_t i = 0; i < p.points.size(); ++i) {
    if (ring < p.ringStarts.size() && p.ringStarts[ring] == i) {
      d += " Z M";
      ++ring;
    } else {
      d += i == 0 ? "M" : " ";
    }
    AppendMm(d, p.points[i].x);
    d += ',';
    AppendMm(d, p.points[i].y);
  }
  if (p.closed) d += " Z";
  return QString::fromLatin1(d.data(), static_cast<qsizetype>(d.size()));
}

struct PageRect {
  double x, width, height;
};

std::string WriteSvg(const VectorPlan& plan, const std::vector<PageRect>& pages) {
  static const QString svgNs = "http://www.w3.org/2000/svg";
  static const QString inkNs = "http://www.inkscape.org/namespaces/inkscape";
  static const QString sodiNs = "http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd";
  QByteArray bytes;
  QXmlStreamWriter xml(&bytes);
  xml.setAutoFormatting(true);
  xml.setAutoFormattingIndent(1);
  xml.writeStartDocument();
  xml.writeNamespace(inkNs, "inkscape");
  xml.writeNamespace(sodiNs, "sodipodi");
  xml.writeDefaultNamespace(svgNs);
  xml.writeStartElement(svgNs, "svg");
  xml.writeAttribute("version", "1.1");
  xml.writeAttribute("width", PageMm(plan.pageWidthMm) + "mm");
  xml.writeAttribute("height", PageMm(plan.pageHeightMm) + "mm");
  xml.writeAttribute("viewBox",
                     "0 0 " + PageMm(plan.pageWidthMm) + " " + PageMm(plan.pageHeightMm));
  xml.writeStartElement(sodiNs, "namedview");
  xml.writeAttribute(inkNs, "document-units", "mm");
  for (size_t k = 0; k < pages.size(); ++k) {
    xml.writeEmptyElement(inkNs, "page");
    xml.writeAttribute("id", "page" + QString::number(k + 1));
    xml.writeAttribute("x", Mm(pages[k].x));
    xml.writeAttribute("y", "0");
    xml.writeAttribute("width", PageMm(pages[k].width));
    xml.writeAttribute("height", PageMm(pages[k].height));
  }
  xml.writeEndElement();

  std::string d;
  for (const PlanLayer& layer : plan.layers) {
    xml.writeStartElement(svgNs, "g");
    xml.writeAttribute(inkNs, "groupmode", "layer");
    xml.writeAttribute("id", QString::fromStdString("layer-" + layer.id));
    xml.writeAttribute(inkNs, "label", QString::fromStdString(layer.label));
    // The background is there to be seen, not picked up and moved.
    if (layer.kind == PlanLayer::Kind::Background)
      xml.writeAttribute(sodiNs, "insensitive", "true");
    // Names and values made once: tens of thousands of paths share them.
    static const QString kPath = "path", kD = "d", kFill = "fill", kStroke = "stroke",
                         kWidth = "stroke-width", kJoin = "stroke-linejoin",
                         kCap = "stroke-linecap", kRule = "fill-rule", kNone = "none",
                         kRound = "round", kEvenOdd = "evenodd";
    const QString colour = QString::fromStdString(HexColour(layer.colour));
    QString dashes;
    for (double d : layer.dashMm) dashes += (dashes.isEmpty() ? "" : ",") + Mm(d);
    double widthMm = -1;
    QString width;
    for (const PlanPath& p : layer.paths) {
      xml.writeStartElement(svgNs, kPath);
      xml.writeAttribute(kD, PathData(p, d));
      if (layer.kind == PlanLayer::Kind::Stroke) {
        if (p.strokeMm != widthMm) {
          widthMm = p.strokeMm;
          width = Mm(widthMm);
        }
        xml.writeAttribute(kFill, kNone);
        xml.writeAttribute(kStroke, colour);
        xml.writeAttribute(kWidth, width);
        xml.writeAttribute(kJoin, kRound);
        if (dashes.isEmpty()) {
          xml.writeAttribute(kCap, kRound);
        } else {
          // Round caps would lengthen every dash by the pen's width.
          xml.writeAttribute(kCap, "butt");
          xml.writeAttribute("stroke-dasharray", dashes);
        }
      } else {
        xml.writeAttribute(kFill, colour);
        xml.writeAttribute(kRule, kEvenOdd);
        xml.writeAttribute(kStroke, kNone);
      }
      xml.writeEndElement();
    }
    xml.writeEndElement();
  }
  xml.writeEndElement();
  xml.writeEndDocument();
  return bytes.toStdString();
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
