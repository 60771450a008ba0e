// The PDF: the plan's paths written as PDF operators, one page each, in
// millimetres, with the drawing clipped to its own area. The content
// streams are deflated at zlib's fastest level: a drawing of sixty thousand
// figures packs nearly as well as at the default and several times faster.
// A large page's content is cut at line ends into one stream per core,
// deflated side by side; a reader joins a page's streams into one.

#include <zlib.h>

#include <QDateTime>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <thread>

#include "imaging/VectorDrawing.h"
#include "platform/Colour.h"
#include "platform/InParts.h"

namespace wlg {

namespace {

constexpr double kPointsPerMm = 72 / 25.4;

// Pages come in whole points, as print dialogs and readers list them; the
// drawing keeps its size and hangs from the top edge.
double PagePoints(double mm) { return std::max(1.0, std::round(mm * kPointsPerMm)); }

// A colour channel as PDF takes it, 0 to 1.
void AppendChannel(std::string& out, int c) {
  AppendDecimal(out, c / 255.0);
  out += ' ';
}

void AppendColour(std::string& out, Colour c, const char* op) {
  AppendChannel(out, RedOf(c));
  AppendChannel(out, GreenOf(c));
  AppendChannel(out, BlueOf(c));
  out += op;
  out += '\n';
}

// Points to a nanometre: a line on a pixel's edge at any resolution stays
// on the side of it where the drawing put it.
void AppendPoint(std::string& out, DPoint p, const char* op) {
  AppendDecimal(out, p.x, 6);
  out += ' ';
  AppendDecimal(out, p.y, 6);
  out += op;
}

// A path's rings as subpaths: each starts anew at a ring start.
void AppendRings(std::string& out, const PlanPath& p, bool close) {
  size_t ring = 0;
  for (size_t i = 0; i < p.points.size(); ++i) {
    const bool starts = i == 0 || (ring < p.ringStarts.size() && p.ringStarts[ring] == i);
    if (starts && i != 0) {
      ++ring;
      out += "h\n";
    }
    AppendPoint(out, p.points[i], starts ? " m\n" : " l\n");
  }
  if (close) out += "h\n";
}

// A layer's colour and pen, before its paths.
void AppendLayerStart(std::string& out, const PlanLayer& layer) {
  if (layer.kind != PlanLayer::Kind::Stroke) {
    AppendColour(out, layer.colour, "rg");
    return;
  }
  AppendColour(out, layer.colour, "RG");
  // Dashes stop flat: round caps would lengthen every dash by the pen.
  out += layer.dashMm.empty() ? "1 J 1 j [" : "0 J 1 j [";
  for (double d : layer.dashMm) {
    AppendDecimal(out, d);
    out += ' ';
  }
  out += "] 0 d\n";
}

// One path of a layer; 'penMm' is the pen width last set in the layer (-1: none yet).
void AppendPath(std::string& out, const PlanLayer& layer, const PlanPath& p, double& penMm) {
  if (p.points.empty()) return;
  if (layer.kind != PlanLayer::Kind::Stroke) {
    AppendRings(out, p, true);
    out += "f*\n";
    return;
  }
  if (p.strokeMm != penMm) {
    penMm = p.strokeMm;
    AppendDecimal(out, penMm);
    out += " w\n";
  }
  AppendRings(out, p, p.closed);
  out += "S\n";
}

std::string PageContent(const VectorPlan& plan) {
  // Thin lines fitted to the pixels, as on screen.
  std::string out = "/Adjust gs\n";
  // Millimetres from the top left corner from here on, y down.
  char scale[96];
  std::snprintf(scale, sizeof scale, "%.9f 0 0 %.9f 0 %.6f cm\n", kPointsPerMm, -kPointsPerMm,
                PagePoints(plan.pageHeightMm));
  out += scale;
  // On a page of its own the page edge clips the drawing.
  if (plan.drawingLeftMm > 0 || plan.drawingTopMm > 0) {
    for (double v :
         {plan.drawingLeftMm, plan.drawingTopMm, plan.drawingWidthMm, plan.drawingHeightMm}) {
      AppendDecimal(out, v);
      out += ' ';
    }
    out += "re W n\n";
  }
  // Each layer's start and each path, in order; a large page is written in
  // parts side by side and joined. A part that begins within a stroke layer
  // takes the pen width the path before it set.
  struct Unit {
    uint32_t layer;
    int64_t path;  // -1: the layer's start
  };
  std::vector<Unit> units;
  std::vector<size_t> points{0};
  for (uint32_t l = 0; l < plan.layers.size(); ++l) {
    units.push_back({l, -1});
    points.push_back(points.back());
    const std::vector<PlanPath>& paths = plan.layers[l].paths;
    for (size_t k = 0; k < paths.size(); ++k) {
      units.push_back({l, static_cast<int64_t>(k)});
      points.push_back(points.back() + paths[k].points.size());
    }
  }
  TextInParts(out, points, 50000, [&](std::string& text, size_t from, size_t to) {
    text.reserve(text.size() + (points[to] - points[from]) * 24);
    double penMm = -1;
    if (from < units.size() && units[from].path > 0) {
      const Unit u = units[from];
      const std::vector<PlanPath>& paths = plan.layers[u.layer].paths;
      for (int64_t k = u.path - 1; k >= 0 && penMm < 0; --k)
        if (!paths[static_cast<size_t>(k)].points.empty())
          penMm = paths[static_cast<size_t>(k)].strokeMm;
    }
    for (size_t k = from; k < to; ++k) {
      const PlanLayer& layer = plan.layers[units[k].layer];
      if (units[k].path < 0) {
        AppendLayerStart(text, layer);
        penMm = -1;
      } else {
        AppendPath(text, layer, layer.paths[static_cast<size_t>(units[k].path)], penMm);
      }
    }
  });
  return out;
}

bool Deflate(std::string_view in, std::string& out) {
  z_stream z{};
  if (in.size() > UINT32_MAX / 2 || deflateInit(&z, Z_BEST_SPEED) != Z_OK) return false;
  out.resize(deflateBound(&z, static_cast<uLong>(in.size())));
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int done = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return done == Z_STREAM_END;
}

// The content in pieces of whole lines, each deflated: one piece per core
// for a large page, no piece larger than zlib takes at once.
bool DeflatePieces(const std::string& in, std::vector<std::string>& out) {
  constexpr size_t kLeast = 1 << 20, kMost = size_t{1} << 30;
  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const size_t pieces =
      std::max<size_t>({1, std::min(cores, in.size() / kLeast), (in.size() + kMost - 1) / kMost});
  std::vector<size_t> cuts{0};
  for (size_t k = 1; k < pieces; ++k) {
    const size_t at = in.find('\n', std::max(cuts.back(), in.size() * k / pieces));
    if (at == std::string::npos) break;
    cuts.push_back(at + 1);
  }
  cuts.push_back(in.size());
  out.assign(cuts.size() - 1, {});
  std::vector<char> done(out.size(), 0);
  InParts(
      out.size(),
      [&](size_t begin, size_t end, size_t) {
        for (size_t k = begin; k < end; ++k)
          done[k] = Deflate(std::string_view(in).substr(cuts[k], cuts[k + 1] - cuts[k]), out[k]);
      },
      1);
  return std::all_of(done.begin(), done.end(), [](char ok) { return ok != 0; });
}

// Objects numbered from 1, with the offsets the cross-reference table lists.
class PdfFile {
 public:
  explicit PdfFile(std::string& out) : out_(out) {
    out_ = "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n";  // bytes past ASCII: a binary file
  }
  int Begin() {
    offsets_.push_back(out_.size());
    const int n = static_cast<int>(offsets_.size());
    out_ += std::to_string(n) + " 0 obj\n";
    return n;
  }
  void End() { out_ += "\nendobj\n"; }
  // Numbers for objects written later.
  int Reserve(int count) {
    const int first = static_cast<int>(offsets_.size()) + 1;
    offsets_.resize(offsets_.size() + static_cast<size_t>(count), 0);
    return first;
  }
  void Place(int n) {
    offsets_[static_cast<size_t>(n) - 1] = out_.size();
    out_ += std::to_string(n) + " 0 obj\n";
  }
  std::string& Text() { return out_; }
  void Finish(int catalog, int info) {
    const size_t xref = out_.size();
    out_ += "xref\n0 " + std::to_string(offsets_.size() + 1) + "\n0000000000 65535 f \n";
    char entry[24];
    for (size_t offset : offsets_) {
      std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
      out_ += entry;
    }
    out_ += "trailer\n<< /Size " + std::to_string(offsets_.size() + 1) + " /Root " +
            std::to_string(catalog) + " 0 R /Info " + std::to_string(info) +
            " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  }

 private:
  std::string& out_;
  std::vector<size_t> offsets_;
};

}  // namespace

bool PdfBytes(const VectorPlan& plan, std::string& out) {
  return PdfBytes(std::span<const VectorPlan>(&plan, 1), out);
}

bool PdfBytes(std::span<const VectorPlan> pages, std::string& out) {
  out.clear();
  if (pages.empty()) return false;
  PdfFile pdf(out);
  const int catalog = pdf.Reserve(2), tree = catalog + 1;
  const int info = pdf.Begin();
  const std::string date = QDateTime::currentDateTimeUtc().toString("yyyyMMddHHmmss").toStdString();
  out += "<< /Title (Whirligons) /Creator (Whirligons " WHIRLIGONS_VERSION
         ") /Producer (Whirligons " WHIRLIGONS_VERSION ") /CreationDate (D:" +
         date + "Z) >>";
  pdf.End();
  std::string kids;
  std::vector<std::string> deflated;
  for (const VectorPlan& plan : pages) {
    if (!DeflatePieces(PageContent(plan), deflated)) return false;
    const int page = pdf.Begin(), content = page + 1;
    kids += std::to_string(page) + " 0 R ";
    std::string contents = "[";
    for (size_t k = 0; k < deflated.size(); ++k)
      contents += (k ? " " : "") + std::to_string(content + static_cast<int>(k)) + " 0 R";
    contents += "]";
    char box[96];
    std::snprintf(box, sizeof box, "/MediaBox [0 0 %.6f %.6f]", PagePoints(plan.pageWidthMm),
                  PagePoints(plan.pageHeightMm));
    out += "<< /Type /Page /Parent " + std::to_string(tree) + " 0 R " + box +
           " /Resources << /ExtGState << /Adjust << /Type /ExtGState /SA true >> >> >> /Contents " +
           contents + " >>";
    pdf.End();
    for (const std::string& piece : deflated) {
      pdf.Begin();
      out += "<< /Length " + std::to_string(piece.size()) + " /Filter /FlateDecode >>\nstream\n";
      out += piece;
      out += "\nendstream";
      pdf.End();
    }
  }
  pdf.Place(catalog);
  out += "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>";
  pdf.End();
  pdf.Place(tree);
  out += "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>";
  pdf.End();
  pdf.Finish(catalog, info);
  return true;
}

}  // namespace wlg
