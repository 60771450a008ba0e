// The tessellation as vector drawings: what the recording holds, hidden
// outlines, cut lines of snapped tiles, and the save command's options.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>

#include "imaging/LineMerge.h"
#include "imaging/VectorDrawing.h"
#include "support/PictureCompare.h"
#include "support/TessellatorFixture.h"
#include "support/UnionLength.h"

namespace wlg {
namespace {

double Length(DPoint a, DPoint b) { return std::hypot(b.x - a.x, b.y - a.y); }

class VectorExport : public testing::TessellatorFixture {
 protected:
  VectorDrawing Record() {
    VectorRecorder r(pic().canvas.Width(), pic().canvas.Height(), t.TessBackColour());
    t.RecordRedraw(r);
    return r.Drawing();
  }
};

// A hidden shape outline is not drawn, so it is not recorded either: the
// copies keep their fills, with no pen at all.
TEST_F(VectorExport, HiddenShapeOutlinesAreFillsOnly) {
  SquareRank();
  f.vs("vsLineWidth", 1).CommitEnter("3");
  f.chk("chkHideLine", 2).UserClick();
  Click(300, 300);

  int ranks = 0;
  for (const VectorFigure& fig : Record().figures) {
    if (fig.part != RecordedFigure::Part::Rank) continue;
    ++ranks;
    EXPECT_FALSE(fig.stroked);
    EXPECT_TRUE(fig.filled);
  }
  EXPECT_GT(ranks, 0);

  // The metafile: a fill-only path per copy, a stroked one per tile outline.
  std::string error;
  ASSERT_TRUE(t.SaveMetafile(Path("hidden.emf"), &error)) << error;
  QFile in(dir.filePath("hidden.emf"));
  ASSERT_TRUE(in.open(QIODevice::ReadOnly));
  const QByteArray b = in.readAll();
  auto at = [&](qsizetype i) { return qFromLittleEndian<int32_t>(b.constData() + i); };
  int fills = 0, strokes = 0;
  for (qsizetype i = 0; i + 8 <= b.size() && at(i + 4) >= 8; i += at(i + 4)) {
    fills += at(i) == 62;                   // EMR_FILLPATH
    strokes += at(i) == 63 || at(i) == 64;  // EMR_STROKEANDFILLPATH, EMR_STROKEPATH
  }
  EXPECT_EQ(fills, ranks);
  EXPECT_EQ(strokes, 2);  // the tile's outer and inner outlines
}

// Two square tiles snapped edge to edge: their shared edge is cut once, and
// all the cut lines together are the union of every outline.
TEST_F(VectorExport, CutLinesOfSnappedTilesHoldEveryEdgeOnce) {
  SquareRank();
  f.vs("vsPolyOut", 0).CommitEnter("4");
  f.Menu("mnuEditSnap").SetChecked(true);
  Click(300, 300);
  // A diamond: its neighbour across an edge sits half a diagonal off both
  // ways. Placed a little off, dragged and let go, it snaps.
  const float d = std::abs(Item(1).OutlineX[1] - 300);
  ASSERT_GT(d, 10);
  pic().onMouseDown(0, MouseButton::Left, ShiftKey, 300 + d + 1.5f, 300 + d + 1);
  pic().onMouseMove(0, MouseButton::Left, 0, 300 + d + 2, 300 + d + 1);
  pic().onMouseUp(0, MouseButton::Left, 0, 300 + d + 2, 300 + d + 1);
  ASSERT_EQ(h.program.tess.TessCount, 2);
  t.UpdateTess();

  // The edge they share, from the tiles' own outlines.
  auto canvas = [&](float x, float y) {
    const FPoint p = t.ToCanvas(x, y);
    return DPoint{p.x, p.y};
  };
  std::optional<Segment> shared;
  for (int i = 1; i <= 4 && !shared; ++i) {
    const DPoint a = canvas(Item(1).OutlineX[i], Item(1).OutlineY[i]);
    const DPoint b = canvas(Item(1).OutlineX[i % 4 + 1], Item(1).OutlineY[i % 4 + 1]);
    int near = 0;
    for (int k = 1; k <= 4; ++k) {
      const DPoint q = canvas(Item(2).OutlineX[k], Item(2).OutlineY[k]);
      near += Length(q, a) < 0.01 || Length(q, b) < 0.01;
    }
    if (near == 2) shared = Segment{a, b};
  }
  ASSERT_TRUE(shared) << "the tiles did not snap edge to edge";

  const VectorDrawing drawing = Record();
  VectorOptions cut;
  cut.mode = VectorMode::Cut;
  const VectorPlan plan = BuildVectorPlan(drawing, cut);
  ASSERT_EQ(plan.layers.size(), 1u);
  const double mm = 25.4 / 96;
  const double edge = Length(shared->a, shared->b);
  double onShared = 0, total = 0;
  const double ux = (shared->b.x - shared->a.x) / edge, uy = (shared->b.y - shared->a.y) / edge;
  for (const PlanPath& p : plan.layers[0].paths) {
    EXPECT_DOUBLE_EQ(p.strokeMm, kHairlineMm);
    const size_t n = p.points.size();
    for (size_t i = 0; i + 1 < n + (p.closed ? 1 : 0); ++i) {
      const DPoint a{p.points[i].x / mm, p.points[i].y / mm};
      const DPoint b{p.points[(i + 1) % n].x / mm, p.points[(i + 1) % n].y / mm};
      total += Length(a, b);
      auto off = [&](DPoint q) {
        return std::abs((q.x - shared->a.x) * uy - (q.y - shared->a.y) * ux);
      };
      if (off(a) > 0.05 || off(b) > 0.05) continue;
      double s = (a.x - shared->a.x) * ux + (a.y - shared->a.y) * uy;
      double e = (b.x - shared->a.x) * ux + (b.y - shared->a.y) * uy;
      if (s > e) std::swap(s, e);
      onShared += std::max(0.0, std::min(e, edge) - std::max(s, 0.0));
    }
  }
  EXPECT_NEAR(onShared, edge, 0.05);  // once, not twice

  std::vector<Segment> outlines;
  for (const VectorFigure& fig : drawing.figures) {
    const DPoint* q = &drawing.points[fig.first];
    for (uint32_t i = 0; i + 1 < fig.count; ++i) outlines.push_back({q[i], q[i + 1]});
    if (fig.closed) outlines.push_back({q[fig.count - 1], q[0]});
  }
  EXPECT_NEAR(total, testing::UnionLength(outlines, kSharedEdgeTolerance), 0.05);
}

// Overlapping ranks in three colours taken in turn, on overlapping tiles:
// the layers cannot simply stack, yet the file draws what the window shows.
TEST_F(VectorExport, OverlapsDrawAsTheWindowDoes) {
  const QString rsvg = QStandardPaths::findExecutable("rsvg-convert");
  if (rsvg.isEmpty()) GTEST_SKIP() << "rsvg-convert is not installed";
  DesignModel& m = h.model();
  f.vs("vsNCols", 0).CommitEnter("3");
  f.chk("chkSequential", 0).UserClick();
  for (int k = 0; k < 6; ++k) {
    f.vs("vsN", k).SetValue("5");
    m.PointCount[k] = 5;
    for (int j = 0; j < 5; ++j) {
      m.X[k][j] = 250 + 4 * k + 14 * std::cos(j * 1.2566f);
      m.Y[k][j] = 262 + 14 * std::sin(j * 1.2566f);
    }
    m.PlacedCount[k] = 5;
  }
  f.DrawPolygon();
  for (int i = 0; i < 6; ++i) {
    Click(200 + 45 * (i % 3), 220 + 50 * (i / 3));
  }
  std::string error;
  ASSERT_TRUE(t.SaveVector(Path("overlaps.svg"), {}, &error)) << error;
  const QImage window = pic().canvas.Image().copy();
  QProcess p;
  p.start(rsvg, {"-d", "96", "-p", "96", dir.filePath("overlaps.svg"), "-o",
                 dir.filePath("overlaps.png")});
  ASSERT_TRUE(p.waitForFinished(60000));
  testing::ExpectDifferencesOnlyAtEdges(window, QImage(dir.filePath("overlaps.png")), "overlaps");
}

// The save command offers the cutter's and plotter's lines (and for a PDF
// the page), applies the one chosen and gives the file its own extension.
TEST_F(VectorExport, SaveCommandsTakeTheDialogsOptions) {
  SquareRank();
  Click(300, 300);
  h.prompts.File(Path("cut.png"));
  h.prompts.FileOptions({true, false});
  t.Menu("mnuFileSaveSVG").UserClick();
  h.prompts.File(Path("page"));
  h.prompts.FileOptions({false, false, true, false});
  t.Menu("mnuFileSavePDF").UserClick();
  EXPECT_TRUE(h.prompts.AllAnswered());
  ASSERT_EQ(h.prompts.log.size(), 2u);
  EXPECT_EQ(h.prompts.log[0].title, "Saving Whirligon svg");
  EXPECT_EQ(h.prompts.log[1].options.size(), 4u);

  QFile svg(dir.filePath("cut.svg"));
  ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
  const QByteArray text = svg.readAll();
  EXPECT_TRUE(text.contains("inkscape:label=\"Cut\""));
  EXPECT_FALSE(text.contains("fill=\"#"));  // lines only
  QFile pdf(dir.filePath("page.pdf"));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.readAll().contains("/MediaBox [0 0 842.000000 595.000000]"));  // A4, landscape
}

}  // namespace
}  // namespace wlg
