// The DXF: closed polylines in millimetres (y up, as CAD programs draw),
// one layer per colour and the lines in a layer of their own. Written
// through dxflib, which writes files only: it goes to a private folder
// first and is read back whole.

#include <dxflib/dl_dxf.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>

#include "imaging/VectorDrawing.h"

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

}  // namespace

bool DxfBytes(const VectorPlan& plan, std::string& out, std::string* why) {
  auto fail = [&](const char* text) {
    if (why) *why = text;
    return false;
  };
  QTemporaryDir dir;
  if (!dir.isValid()) return fail("no private folder for the drawing could be made");
  const std::string file = dir.filePath("drawing.dxf").toStdString();

  std::vector<const PlanLayer*> layers;
  for (const PlanLayer& l : plan.layers)
    if (l.kind != PlanLayer::Kind::Background && !l.paths.empty()) layers.push_back(&l);

  {
    DL_Dxf dxf;
    std::unique_ptr<DL_WriterA> dw(dxf.out(file.c_str(), DL_Codes::AC1015));
    if (!dw) return fail("the drawing could not be started");
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
      dxf.writeLayer(*dw, DL_LayerData(LayerName(*l), 0),
                     DL_Attributes("", DL_Codes::black, TrueColour(l->colour), -3, "CONTINUOUS"));
    dw->tableEnd();
    dw->tableStyle(1);
    dxf.writeStyle(*dw, DL_StyleData("standard", 0, 2.5, 1.0, 0.0, 0, 2.5, "txt", ""));
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
    for (const PlanLayer* l : layers) {
      const DL_Attributes attributes(LayerName(*l), 256, -1, -1, "BYLAYER");  // by layer
      for (const PlanPath& p : l->paths) {
        // Each ring of a fill is a closed polyline of its own.
        for (size_t ring = 0; ring <= p.ringStarts.size(); ++ring) {
          const size_t from = ring == 0 ? 0 : p.ringStarts[ring - 1];
          const size_t to = ring < p.ringStarts.size() ? p.ringStarts[ring] : p.points.size();
          if (to - from < 2) continue;
          dxf.writePolyline(
              *dw, DL_PolylineData(static_cast<int>(to - from), 0, 0, p.closed ? 1 : 0),
              attributes);
          for (size_t i = from; i < to; ++i)
            dxf.writeVertex(*dw, DL_VertexData(p.points[i].x, plan.pageHeightMm - p.points[i].y,
                                               0, 0));
          dxf.writePolylineEnd(*dw);
        }
      }
    }
    dw->sectionEnd();
    dxf.writeObjects(*dw);
    dxf.writeObjectsEnd(*dw);
    dw->dxfEOF();
    dw->close();
  }

  QFile in(QString::fromStdString(file));
  if (!in.open(QIODevice::ReadOnly)) return fail("the drawing could not be read back");
  const QByteArray bytes = in.readAll();
  // dxflib does not report write errors; a file cut short (a full disk)
  // lacks its end.
  if (!bytes.trimmed().endsWith("EOF")) return fail("the drawing could not be written in full");
  out.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
  return true;
}

}  // namespace wlg
