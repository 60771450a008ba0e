// The tessellator: pointer, editor, limits, drag layers, and what it saves.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPolygonF>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>
#include <cmath>
#include <fstream>
#include <map>

#include "imaging/EmfRecorder.h"
#include "imaging/VectorDrawing.h"
#include "support/PictureCompare.h"
#include "support/TessellatorFixture.h"
#include "support/UnionLength.h"

namespace wlg {
namespace {

int CountColour(const QImage& img, Colour c) {
  const QRgb want = qRgb(RedOf(c), GreenOf(c), BlueOf(c)) & 0xffffff;
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, y) & 0xffffff) == want;
  return n;
}

QByteArray ReadFile(const QString& name) {
  QFile in(name);
  return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

class Tessellator : public testing::TessellatorFixture {
 protected:
  void Down(float x, float y) { pic().onMouseDown(0, MouseButton::Left, 0, x, y); }
  void Move(float x, float y) { pic().onMouseMove(0, MouseButton::Left, 0, x, y); }
  void Up(float x, float y) { pic().onMouseUp(0, MouseButton::Left, 0, x, y); }
  VectorDrawing Record() {
    VectorRecorder r(pic().canvas.Width(), pic().canvas.Height(), t.TessBackColour());
    t.RecordRedraw(r);
    return r.Drawing();
  }
  // Every edge of every figure, and the length of their union. With
  // 'shown', only what the picture shows: edges of figures drawn or filled,
  // less what a later fill covers, in pieces of 1/20 pixel.
  static double Outlines(const VectorDrawing& d, bool shown = false) {
    std::vector<QPolygonF> fills(d.figures.size());
    for (size_t k = 0; k < d.figures.size(); ++k)
      for (uint32_t i = 0; d.figures[k].filled && i < d.figures[k].count; ++i)
        fills[k] << QPointF(d.points[d.figures[k].first + i].x, d.points[d.figures[k].first + i].y);
    std::vector<Segment> edges;
    for (size_t k = 0; k < d.figures.size(); ++k) {
      const VectorFigure& fig = d.figures[k];
      if (shown && !fig.stroked && !fig.filled) continue;
      const DPoint* q = &d.points[fig.first];
      for (uint32_t i = 0; i < (fig.closed ? fig.count : fig.count - 1); ++i) {
        const DPoint a = q[i], b = q[(i + 1) % fig.count];
        const int pieces = shown ? std::max(1, int(std::hypot(b.x - a.x, b.y - a.y) * 20)) : 1;
        for (int j = 0; j < pieces; ++j) {
          const DPoint u{a.x + (b.x - a.x) * j / pieces, a.y + (b.y - a.y) * j / pieces},
              v{a.x + (b.x - a.x) * (j + 1) / pieces, a.y + (b.y - a.y) * (j + 1) / pieces};
          const QPointF mid((u.x + v.x) / 2, (u.y + v.y) / 2);
          bool covered = false;
          for (size_t later = k + 1; shown && !covered && later < fills.size(); ++later)
            covered = fills[later].containsPoint(mid, Qt::OddEvenFill);
          if (!covered) edges.push_back({u, v});
        }
      }
    }
    return testing::UnionLength(edges, kSharedEdgeTolerance);
  }
  qsizetype SvgPaths(const QString& name) { return ReadFile(dir.filePath(name)).count("<path "); }
};

// Ctrl+Shift places a tile turned by half an outer step, whatever angle the
// editor would copy. Clearing asks first and can be undone.
TEST_F(Tessellator, PointerPlacesSelectsDragsDeletesAndClearsAndTheEditorFollows) {
  f.vs("vsPolyOut", 0).CommitEnter("6");
  t.Check("checkCopy").SetValue(1);
  t.Entry("vtAngle").CommitEnter("10");
  Click(100, 100, ShiftKey | CtrlKey);
  for (int i = 2; i <= 5; ++i) Click(100.0f * i, 100);
  EXPECT_FLOAT_EQ(Item(1).Angle, 30);
  EXPECT_FLOAT_EQ(Item(2).Angle, 10);
  // The window test drags; here only the pick radius, |dx| + |dy| < 12.
  Down(306, 106);
  EXPECT_EQ(t.DragItem, 0);
  Up(306, 106);
  Down(306, 105.9f);
  EXPECT_EQ(t.DragItem, 3);
  Up(306, 105.9f);
  Click(Item(3).X, Item(3).Y, 0, MouseButton::Right);  // the later tiles close up
  EXPECT_EQ(Count(), 4);
  EXPECT_EQ(Item(3).X, 400);
  EXPECT_EQ(Item(4).X, 500);
  EXPECT_EQ(t.Get<StaticControl>("Frame1").Caption(), "Editor 2 of 4");
  t.Entry("vtTile").CommitEnter("4");
  EXPECT_EQ(t.Entry("vtX").Value(), "1000");

  t.Entry("vtX").CommitEnter("21");
  EXPECT_EQ(Item(4).X, 10.5f);
  t.XScroll().SetValue(40);  // world = canvas - 50: negative positions round down
  Click(39.75f, 250);
  EXPECT_EQ(Item(5).X, -10.25f);
  EXPECT_EQ(t.Entry("vtX").Value(), "-21");

  for (Answer a : {Answer::Cancel, Answer::OK}) {
    h.prompts.Answer_(a);
    t.Get<Button>("cmdClearAll").UserClick();
    EXPECT_EQ(h.prompts.log.back().text, "OK to clear everything in the Tessellator?");
    EXPECT_EQ(Count(), a == Answer::OK ? 0 : 5);
  }
  t.Menu("mnuEditUndo").onClick(0);
  EXPECT_EQ(Count(), 5);
  EXPECT_EQ(Item(5).X, -10.25f);
}

// Window managers that move windows by Alt-drag swallow Alt-clicks, so the
// middle button does what Alt+left does, on the canvas and on the swatch.
TEST_F(Tessellator, AltOrMiddleClickRecoloursOnePolygonUntilTheListsAreFull) {
  auto& ov = h.model().overrides;
  Click(300, 300, AltKey);  // nothing placed: nothing to recolour
  EXPECT_EQ(ov.OverrideCount, 0);
  SquareRank();
  Click(300, 300);
  // There are sixteen custom colours (0..15); 16 would read past them.
  t.Entry("vsFillColour").CommitEnter("16");
  EXPECT_EQ(t.Entry("vsFillColour").Value(), "15");
  const Colour swatch = Rgb(3, 141, 59);
  PictureBox& picFill = t.Get<PictureBox>("picFill");
  picFill.SetBackColour(swatch);
  // Button, keys, and whether it flood-fills (paint only) rather than
  // recolours. Each recolour hits the same polygon, so it changes one entry.
  const std::tuple<MouseButton, int, bool> gestures[] = {{MouseButton::Left, AltKey, false},
                                                         {MouseButton::Middle, ShiftKey, false},
                                                         {MouseButton::Middle, CtrlKey, true}};
  int colour = 0, kept = 0;
  for (const auto& [button, keys, fills] : gestures) {
    SCOPED_TRACE(::testing::Message() << "button " << int(button) << " keys " << keys);
    t.Entry("vsFillColour").SetValue(std::to_string(++colour));
    t.UpdateTess();
    Click(300, 300, keys, button);
    kept = fills ? kept : colour;
    EXPECT_EQ(Count(), 1);
    ASSERT_EQ(ov.OverrideCount, 1);
    EXPECT_EQ(ov.entries[0].colour, kept);
    EXPECT_EQ(CountColour(pic().canvas.Image(), swatch) > 0, fills);
  }
  picFill.onMouseDown(0, MouseButton::Left, 0, 5, 5);  // a plain click asks nothing
  h.prompts.Colour_(Rgb(40, 50, 60));
  picFill.onMouseDown(0, MouseButton::Middle, 0, 5, 5);
  EXPECT_EQ(h.model().CustomColours[colour], Rgb(40, 50, 60));
  ASSERT_EQ(h.prompts.log.size(), 1u);

  // A full list still lets an existing entry change, but takes no new one.
  const ColourOverride mine = ov.entries[0];
  for (int i = 1; i < OverrideCapacity; ++i) ov.entries[i] = {0, 42, 0, 1};
  ov.OverrideCount = OverrideCapacity;
  t.Entry("vsFillColour").SetValue("9");
  Click(300, 300, AltKey);
  EXPECT_EQ(ov.entries[0].colour, 9);
  ov.entries[0] = {mine.copy + 1, mine.item, mine.slot, 1};
  h.prompts.autoOk = true;
  Click(300, 300, AltKey);
  EXPECT_EQ(ov.OverrideCount, OverrideCapacity);
  EXPECT_EQ(h.prompts.log.at(1).text, frmT::TooManyOverrides);

  for (int i = 1; i <= MaxTessItems; ++i) Item(i) = TessItem{float(i), 5};
  h.program.tess.TessCount = MaxTessItems;
  Click(600, 500);
  EXPECT_EQ(Count(), MaxTessItems);
  EXPECT_EQ(h.prompts.log.back().text, frmT::TooManyItems);
}

// A click recolours the topmost polygon drawn under it, even where another
// polygon's vertex lies nearer; the nearest vertex decides only outside them all.
TEST_F(Tessellator, RecolourPicksThePolygonUnderThePointer) {
  // A long bar, a dot under its middle, a square over its right end.
  const int ranks[3][4][2] = {{{100, 100}, {160, 100}, {160, 106}, {100, 106}},
                              {{128, 107}, {132, 107}, {132, 111}, {128, 111}},
                              {{150, 98}, {158, 98}, {158, 108}, {150, 108}}};
  for (int r = 0; r < 3; ++r) {
    f.optRank(r).UserClick();
    for (auto [x, y] : ranks[r]) {
      f.picS(0).onMouseDown(0, MouseButton::Left, 0, x, y);
      f.picS(0).onMouseUp(0, MouseButton::Left, 0, x, y);
    }
  }
  Click(300, 300);
  // Where the copies of the bar and the square over it lie in the canvas.
  std::map<int, std::vector<DPoint>> copy0;
  const VectorDrawing d = Record();
  for (const VectorFigure& fig : d.figures)
    if (fig.rank >= 0 && fig.copy == 0)
      copy0[fig.rank].assign(&d.points[fig.first], &d.points[fig.first + fig.count]);
  ASSERT_EQ(copy0.size(), 3u);
  auto mid = [&](int r, int a, int b) {
    return FPoint{float((copy0[r][a].x + copy0[r][b].x) / 2),
                  float((copy0[r][a].y + copy0[r][b].y) / 2)};
  };
  auto& ov = h.model().overrides;
  // The bar's middle, a pixel in from the edge by the dot; the square's middle;
  // and beyond the bar's short side, inside nothing.
  const FPoint bar = mid(0, 0, 2),
               nearDot = {(bar.x + mid(0, 2, 3).x * 3) / 4, (bar.y + mid(0, 2, 3).y * 3) / 4};
  const FPoint outside = {2 * mid(0, 0, 3).x - bar.x, 2 * mid(0, 0, 3).y - bar.y};
  const std::tuple<FPoint, int> clicks[] = {{nearDot, 0}, {mid(2, 0, 2), 2}, {outside, 0}};
  for (const auto& [at, slot] : clicks) {
    ov.OverrideCount = 0;
    Click(at.x, at.y, AltKey);
    ASSERT_EQ(ov.OverrideCount, 1);
    EXPECT_EQ(ov.entries[0].slot, slot) << at.x << "," << at.y;
    EXPECT_EQ(ov.entries[0].copy, 0);
  }
}

// The metafile strokes no hidden outline and holds each tile once, as an
// outside reader finds. Failed saves say why and leave no file.
TEST_F(Tessellator, SavesHoldEveryTileOnceWithoutTheHighlightOrNoFileAtAll) {
  SquareRank();
  f.vs("vsLineWidth", 1).CommitEnter("3");
  f.chk("chkHideLine", 2).UserClick();
  Click(300, 300);
  h.prompts.File(Path("one.emf"));
  t.Menu("mnuFileSaveWMF").UserClick();
  const QByteArray b = ReadFile(dir.filePath("one.emf"));
  auto at = [&](qsizetype i) { return qFromLittleEndian<int32_t>(b.constData() + i); };
  int fills = 0, strokes = 0;
  for (qsizetype i = 0; i + 8 <= b.size() && at(i + 4) >= 8; i += at(i + 4)) {
    fills += at(i) == 62;                   // EMR_FILLPATH
    strokes += at(i) == 63 || at(i) == 64;  // EMR_STROKEANDFILLPATH, EMR_STROKEPATH
  }
  EXPECT_TRUE(fills > 0 && strokes == 2);  // strokes: the tile's outer and inner outlines only

  // Pictures are the canvas without the highlight, or no file at all.
  const Colour red = Palette16[12];
  t.Frame1_MouseMove();  // the pointer over the editor lights the tile up
  ASSERT_GT(CountColour(pic().canvas.Image(), red), 0);
  h.prompts.File(Path("tess.png"));  // any typed extension becomes .bmp
  t.Menu("mnuFileSaveBMP", 0).UserClick();
  const QImage saved(dir.filePath("tess.bmp"));
  EXPECT_EQ(CountColour(saved, red), 0);
  EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
            pic().canvas.Image().convertToFormat(QImage::Format_RGB32));

  // Failures say why; cancelled, or a name without a dot: silence. Neither
  // leaves a file behind.
  h.prompts.autoOk = true;
  h.prompts.log.clear();
  h.prompts.File(Path("missing/pic.bmp"));
  t.Menu("mnuFileSaveBMP", 0).UserClick();
  ASSERT_EQ(h.prompts.log.size(), 2u);
  EXPECT_EQ(h.prompts.log[1].text.rfind(std::string(frmT::SaveFailedMessage) + "\r\n", 0), 0u);
  h.prompts.File(Path("missing/pic.emf"));
  t.Menu("mnuFileSaveWMF").UserClick();
  EXPECT_EQ(h.prompts.log.back().text, std::string(EmfRecorder::CreateFailedMessage) + "\r\n" +
                                           "Failed to create " + Path("missing/pic.emf") +
                                           ": no such folder");
  h.prompts.File(std::nullopt);
  t.Menu("mnuFileSaveWMF").UserClick();
  h.prompts.File(Path("nodot"));
  t.Menu("mnuFileSaveBMP", 1).UserClick();
  EXPECT_EQ(h.prompts.log.size(), 6u);  // the dialogs only
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList({"one.emf", "tess.bmp"}));

  std::string error;
  Click(500, 300);
  ASSERT_TRUE(t.SaveMetafile(Path("two.emf"), &error)) << error;

  const QString conv = QStandardPaths::findExecutable("emf2svg-conv");
  if (conv.isEmpty()) GTEST_SKIP() << "emf2svg-conv is not installed";
  for (const QString name : {"one", "two"}) {
    QProcess p;
    p.start(conv, {"-i", dir.filePath(name + ".emf"), "-o", dir.filePath(name + "-emf.svg")});
    EXPECT_TRUE(p.waitForFinished(30000) && p.exitCode() == 0);
  }
  EXPECT_GT(SvgPaths("one-emf.svg"), 0);
  EXPECT_EQ(SvgPaths("two-emf.svg"), 2 * SvgPaths("one-emf.svg"));
}

// A placed tile at 1e30: the editor's boxes show their own limits on the
// right side of zero (a failed conversion gave the lowest for both).
TEST_F(Tessellator, TilesFarBeyondAnyCanvasLoadAndDrawWithTheEditorHeldAtItsLimit) {
  const QByteArray huge = "1" + QByteArray(30, '0');
  QByteArray text = ReadFile(QString(WHIRLIGONS_SAMPLES_DIR) + "/octagons-and-squares.wlg");
  const qsizetype item = text.indexOf('\n', text.indexOf("TessData\r\n") + 10) + 1;
  text.replace(item, text.indexOf(',', text.indexOf(',', item) + 1) - item, huge + ",-" + huge);
  std::ofstream(Path("far.wlg"), std::ios::binary) << text.toStdString();
  f.OpenPatternFile(Path("far.wlg"));
  ASSERT_FALSE(f.LastLoadError());
  t.Entry("vtTile").CommitEnter("1");
  EXPECT_EQ(t.Entry("vtX").Value(), "100000");
  EXPECT_EQ(t.Entry("vtY").Value(), "-100000");
  t.UpdateTess();
}

// Dragging draws from kept layers; the picture must be what a full redraw
// gives, with tiles above the dragged one still painting over it.
TEST_F(Tessellator, DragLayersGiveTheFullRedrawsPicture) {
  SquareRank();
  f.vs("vsNCols", 0).CommitEnter("3");
  for (int i = 0; i < 5; ++i) Click(200.0f + 40 * i, 200.0f + 10 * i);  // overlapping tiles
  // The exact picture, and on a screen of ratio 2 the display picture too.
  for (double ratio : {1.0, 2.0}) {
    pic().canvas.SetDevicePixelRatio(ratio);
    t.UpdateTess();
    const FPoint p = t.ToCanvas(Item(3).X, Item(3).Y);
    Down(p.x, p.y);
    ASSERT_EQ(t.DragItem, 3);
    // Back over where it started, then on: each frame repairs only the
    // tile's old and new places.
    Move(p.x + 7, p.y + 3);
    Move(p.x - 20, p.y - 4);
    Move(p.x + 15, p.y + 9);
    const QImage during = pic().canvas.Image().copy();
    const QImage shown = pic().canvas.DisplayImage().copy();

    // The same state drawn in full, the dragged tile still highlighted.
    Up(p.x + 15, p.y + 9);
    Item(3).Selected = true;
    t.UpdateTess();
    EXPECT_EQ(pic().canvas.Image(), during);
    EXPECT_EQ(pic().canvas.DisplayImage(), shown) << ratio;
    Item(3).X -= 15;  // the tile did move
    t.UpdateTess();
    EXPECT_NE(pic().canvas.Image(), during);
    Item(3).Selected = false;
  }
}

// Two square tiles snapped edge to edge share one cut line. The PDF takes the
// page chosen in the save dialog, and its own extension.
TEST_F(Tessellator, CutLinesOfSnappedTilesHoldEveryEdgeOnce) {
  SquareRank();
  f.vs("vsPolyOut", 0).CommitEnter("4");
  f.Menu("mnuEditSnap").SetChecked(true);
  Click(300, 300);
  const double one = Outlines(Record());
  // A diamond's neighbour sits half a diagonal off both ways; placed a little
  // off, dragged and let go, it snaps.
  const float d = std::abs(Item(1).OutlineX[1] - 300);
  pic().onMouseDown(0, MouseButton::Left, ShiftKey, 300 + d + 1.5f, 300 + d + 1);
  Move(300 + d + 2, 300 + d + 1);
  Up(300 + d + 2, 300 + d + 1);
  ASSERT_EQ(Count(), 2);
  t.UpdateTess();
  const VectorDrawing drawing = Record();
  ASSERT_LT(Outlines(drawing), 2 * one - d) << "the tiles did not snap edge to edge";

  VectorOptions cut;
  cut.mode = VectorMode::Cut;
  const VectorPlan plan = BuildVectorPlan(drawing, cut);
  ASSERT_EQ(plan.layers.size(), 1u);
  double total = 0;  // in canvas pixels
  for (const PlanPath& p : plan.layers[0].paths) {
    EXPECT_DOUBLE_EQ(p.strokeMm, kHairlineMm);
    for (size_t i = 0, n = p.points.size(); i + 1 < n + p.closed; ++i)
      total += std::hypot(p.points[(i + 1) % n].x - p.points[i].x,
                          p.points[(i + 1) % n].y - p.points[i].y) *
               96 / 25.4;
  }
  EXPECT_NEAR(total, Outlines(drawing, true), 0.5);  // the pieces: 1/20 pixel at each end

  h.prompts.File(Path("page"));
  h.prompts.FileOptions({false, false, true, false});
  t.Menu("mnuFileSavePDF").UserClick();
  EXPECT_EQ(h.prompts.log.at(0).title, "Saving Whirligon pdf");
  EXPECT_TRUE(ReadFile(dir.filePath("page.pdf"))
                  .contains("/MediaBox [0 0 842.000000 595.000000]"));  // A4, landscape
}

// Overlapping ranks in three colours taken in turn, on overlapping tiles:
// the layers cannot simply stack, yet the file draws what the window shows.
TEST_F(Tessellator, VectorDrawingsOfOverlapsDrawAsTheWindowDoes) {
  const QString rsvg = QStandardPaths::findExecutable("rsvg-convert");
  if (rsvg.isEmpty()) GTEST_SKIP() << "rsvg-convert is not installed";
  DesignModel& m = h.model();
  f.vs("vsNCols", 0).CommitEnter("3");
  f.chk("chkSequential", 0).UserClick();
  for (int k = 0; k < 6; ++k) {
    f.vs("vsN", k).SetValue("5");
    m.PointCount[k] = m.PlacedCount[k] = 5;
    for (int j = 0; j < 5; ++j) {
      m.X[k][j] = 250 + 4 * k + 14 * std::cos(j * 1.2566f);
      m.Y[k][j] = 262 + 14 * std::sin(j * 1.2566f);
    }
  }
  f.DrawPolygon();
  for (int i = 0; i < 6; ++i) Click(200 + 45 * (i % 3), 220 + 50 * (i / 3));
  std::string error;
  ASSERT_TRUE(t.SaveVector(Path("overlaps.svg"), {}, &error)) << error;
  QProcess p;
  p.start(rsvg, {"-d", "96", "-p", "96", dir.filePath("overlaps.svg"), "-o",
                 dir.filePath("overlaps.png")});
  ASSERT_TRUE(p.waitForFinished(60000));
  testing::ExpectDifferencesOnlyAtEdges(pic().canvas.Image(), QImage(dir.filePath("overlaps.png")),
                                        "overlaps");
}

}  // namespace
}  // namespace wlg
