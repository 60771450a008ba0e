// The DXF: closed polylines in millimetres (y up, as CAD programs draw),
// one layer per colour and the lines in a layer of their own, written
// through dxflib.

#include <dxflib/dl_dxf.h>

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>

#include "imaging/VectorDrawing.h"
#include "platform/InParts.h"

namespace wlg {

namespace {

// DXF layer names: letters, digits and underscores travel everywhere.
std::string LayerName(const PlanLayer& layer) {
  std::string name = layer.label;
  name.erase(std::remove(name.begin(), name.end(), '#'), name.end());
  std::replace(name.begin(), name.end(), ' ', '_');
  return name;
}

int TrueColour(Colour c) { return (RedOf(c) << 16) | (GreenOf(c) << 8) | BlueOf(c); }

// The nearest of the nine standard indexed colours, for readers that do not
// take true colours. 7 is black on a white sheet.
int IndexedColour(Colour c) {
  static constexpr int kRgb[9][3] = {{255, 0, 0},   {255, 255, 0},   {0, 255, 0},
                                     {0, 255, 255}, {0, 0, 255},     {255, 0, 255},
                                     {0, 0, 0},     {128, 128, 128}, {192, 192, 192}};
  int best = 7, bestDistance = 1 << 30;
  for (int i = 0; i < 9; ++i) {
    const int dr = RedOf(c) - kRgb[i][0], dg = GreenOf(c) - kRgb[i][1], db = BlueOf(c) - kRgb[i][2];
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i + 1;
    }
  }
  return best;
}

// dxflib's own writer goes straight to a file and never says whether the
// writes worked; this one collects the text, so the file is put in place
// whole like every other.
class TextWriter : public DL_WriterA {
 public:
  explicit TextWriter(std::string& out) : DL_WriterA("/dev/null", DL_Codes::AC1015), out_(out) {}
  void dxfReal(int gc, double value) const override {
    Code(gc);
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (ec != std::errc()) {
      out_ += "0.0\n";
      return;
    }
    out_.append(buf, end);
    if (std::find(buf, end, '.') == end) out_ += ".0";
    out_ += '\n';
  }
  void dxfInt(int gc, int value) const override {
    Code(gc);
    Number(value);
    out_ += '\n';
  }
  void dxfHex(int gc, int value) const override {
    Code(gc);
    char buf[16];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, static_cast<unsigned>(value), 16);
    std::transform(buf, end, buf, [](char c) { return c >= 'a' ? static_cast<char>(c - 32) : c; });
    out_.append(buf, end);
    out_ += '\n';
  }
  void dxfString(int gc, const char* value) const override {
    Code(gc);
    if (value) out_ += value;
    out_ += '\n';
  }
  void dxfString(int gc, const std::string& value) const override {
    Code(gc);
    out_ += value;
    out_ += '\n';
  }
  // Goes on as 'w' would from handle 'next': a part of the entities
  // written beside the others numbers its own as they would come in turn.
  void Continue(const TextWriter& w, unsigned long next) {
    m_handle = next;
    modelSpaceHandle = w.modelSpaceHandle;
    paperSpaceHandle = w.paperSpaceHandle;
    paperSpace0Handle = w.paperSpace0Handle;
  }
  void SetNextHandle(unsigned long next) { m_handle = next; }

 private:
  // Written straight into the text: a drawing holds millions of these.
  void Number(int value) const {
    char buf[16];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    out_.append(buf, end);
  }
  void Code(int gc) const {
    if (gc < 10)
      out_ += "  ";
    else if (gc < 100)
      out_ += ' ';
    Number(gc);
    out_ += '\n';
  }
  std::string& out_;
};

// The library's writer at the version the file is written in.
void SetVersion(DL_Dxf& dxf) { delete dxf.out("/dev/null", DL_Codes::AC1015); }

// One closed or open polyline: a ring of a path.
struct Ring {
  const PlanLayer* layer;
  const PlanPath* path;
  size_t from, to;
};

void WriteRing(DL_Dxf& dxf, TextWriter& dw, const DL_Attributes& attributes, const Ring& r,
               double pageHeightMm) {
  const PlanPath& p = *r.path;
  dxf.writePolyline(dw, DL_PolylineData(static_cast<int>(r.to - r.from), 0, 0, p.closed ? 1 : 0),
                    attributes);
  for (size_t i = r.from; i < r.to; ++i)
    dxf.writeVertex(dw, DL_VertexData(p.points[i].x, pageHeightMm - p.points[i].y, 0, 0));
  dxf.writePolylineEnd(dw);
}

DL_Attributes ByLayer(const PlanLayer& l) {
  return DL_Attributes(LayerName(l), 256, -1, -1, "BYLAYER");
}

// The entities, in parts side by side for a large drawing: millions of
// numbers to write, each part into its own text, joined in order. Handles
// run on from part to part as they would written one after another, and
// 'dw' goes on after the last.
void WriteEntities(TextWriter& dw, std::string& out, const std::vector<const PlanLayer*>& layers,
                   double pageHeightMm) {
  std::vector<Ring> rings;
  for (const PlanLayer* l : layers)
    for (const PlanPath& p : l->paths)
      // Each ring of a fill is a closed polyline of its own.
      for (size_t ring = 0; ring <= p.ringStarts.size(); ++ring) {
        const size_t from = ring == 0 ? 0 : p.ringStarts[ring - 1];
        const size_t to = ring < p.ringStarts.size() ? p.ringStarts[ring] : p.points.size();
        if (to - from >= 2) rings.push_back({l, &p, from, to});
      }
  // How many handles a polyline and each vertex take, as the library writes them.
  unsigned long perRing = 0, perVertex = 0;
  {
    std::string scratch;
    TextWriter w(scratch);
    DL_Dxf dxf;
    SetVersion(dxf);
    PlanPath p;
    p.points = {{0, 0}, {1, 1}, {2, 0}};
    PlanLayer l;
    const unsigned long h0 = w.getNextHandle();
    WriteRing(dxf, w, ByLayer(l), {&l, &p, 0, 2}, 0);
    const unsigned long h1 = w.getNextHandle();
    WriteRing(dxf, w, ByLayer(l), {&l, &p, 0, 3}, 0);
    perVertex = w.getNextHandle() - h1 - (h1 - h0);
    perRing = h1 - h0 - 2 * perVertex;
  }
  std::vector<unsigned long> firstHandle(rings.size() + 1, dw.getNextHandle());
  std::vector<size_t> vertices(rings.size() + 1, 0);
  for (size_t k = 0; k < rings.size(); ++k) {
    const size_t n = rings[k].to - rings[k].from;
    firstHandle[k + 1] = firstHandle[k] + perRing + perVertex * n;
    vertices[k + 1] = vertices[k] + n;
  }
  TextInParts(out, vertices, 50000, [&](std::string& text, size_t from, size_t to) {
    text.reserve(text.size() + (vertices[to] - vertices[from]) * 128);
    TextWriter w(text);
    w.Continue(dw, firstHandle[from]);
    DL_Dxf dxf;
    SetVersion(dxf);
    const PlanLayer* layer = nullptr;
    std::optional<DL_Attributes> attributes;
    for (size_t k = from; k < to; ++k) {
      if (rings[k].layer != layer) {
        layer = rings[k].layer;
        attributes.emplace(ByLayer(*layer));
      }
      WriteRing(dxf, w, *attributes, rings[k], pageHeightMm);
    }
  });
  dw.SetNextHandle(firstHandle.back());
}

}  // namespace

bool DxfBytes(const VectorPlan& plan, std::string& out, std::string* why) {
  out.clear();
  size_t points = 0;
  for (const PlanLayer& l : plan.layers)
    for (const PlanPath& p : l.paths) points += p.points.size();
  out.reserve(points * 128 + 16384);  // a vertex's record, and the tables

  std::vector<const PlanLayer*> layers;
  for (const PlanLayer& l : plan.layers)
    if (l.kind != PlanLayer::Kind::Background && !l.paths.empty()) layers.push_back(&l);

  {
    DL_Dxf dxf;
    // Sets the library's version for the records it writes.
    SetVersion(dxf);
    auto dw = std::make_unique<TextWriter>(out);
    dxf.writeHeader(*dw);
    dw->dxfString(9, "$INSUNITS");
    dw->dxfInt(70, 4);  // millimetres
    dw->dxfString(9, "$MEASUREMENT");
    dw->dxfInt(70, 1);  // metric
    dw->dxfString(9, "$EXTMIN");
    dw->dxfReal(10, 0);
    dw->dxfReal(20, 0);
    dw->dxfReal(30, 0);
    dw->dxfString(9, "$EXTMAX");
    dw->dxfReal(10, plan.pageWidthMm);
    dw->dxfReal(20, plan.pageHeightMm);
    dw->dxfReal(30, 0);
    dw->sectionEnd();

    dw->sectionTables();
    dxf.writeVPort(*dw);
    dw->tableLinetypes(3);
    dxf.writeLinetype(*dw, DL_LinetypeData("BYBLOCK", "BYBLOCK", 0, 0, 0.0));
    dxf.writeLinetype(*dw, DL_LinetypeData("BYLAYER", "BYLAYER", 0, 0, 0.0));
    dxf.writeLinetype(*dw, DL_LinetypeData("CONTINUOUS", "Continuous", 0, 0, 0.0));
    dw->tableEnd();
    dw->tableLayers(static_cast<int>(layers.size()) + 1);
    dxf.writeLayer(*dw, DL_LayerData("0", 0),
                   DL_Attributes("", DL_Codes::black, -1, -3, "CONTINUOUS"));
    for (const PlanLayer* l : layers)
      dxf.writeLayer(
          *dw, DL_LayerData(LayerName(*l), 0),
          DL_Attributes("", IndexedColour(l->colour), TrueColour(l->colour), -3, "CONTINUOUS"));
    dw->tableEnd();
    dw->tableStyle(1);
    dxf.writeStyle(*dw, DL_StyleData("Standard", 0, 2.5, 1.0, 0.0, 0, 2.5, "txt", ""));
    dw->tableEnd();
    dxf.writeView(*dw);
    dxf.writeUcs(*dw);
    dw->tableAppid(1);
    dxf.writeAppid(*dw, "ACAD");
    dw->tableEnd();
    dxf.writeDimStyle(*dw, 1, 1, 1, 1, 1);
    dxf.writeBlockRecord(*dw);
    dw->tableEnd();
    dw->sectionEnd();

    dw->sectionBlocks();
    dxf.writeBlock(*dw, DL_BlockData("*Model_Space", 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(*dw, "*Model_Space");
    dxf.writeBlock(*dw, DL_BlockData("*Paper_Space", 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(*dw, "*Paper_Space");
    dxf.writeBlock(*dw, DL_BlockData("*Paper_Space0", 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(*dw, "*Paper_Space0");
    dw->sectionEnd();

    dw->sectionEntities();
    WriteEntities(*dw, out, layers, plan.pageHeightMm);
    dw->sectionEnd();
    dxf.writeObjects(*dw);
    dxf.writeObjectsEnd(*dw);
    dw->dxfEOF();
    dw->close();
  }

  if (out.empty()) {
    if (why) *why = "the drawing could not be made";
    return false;
  }
  return true;
}

}  // namespace wlg
