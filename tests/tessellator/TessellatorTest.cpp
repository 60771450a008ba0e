// The tessellator: transform, snapping, pointer, editor, limits, exports, drag layers.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <optional>

#include "imaging/EmfRecorder.h"
#include "imaging/VectorDrawing.h"
#include "support/TessellatorFixture.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

// The middle of the first closed figure the renderer records, in canvas pixels.
struct FirstFigure : PathRecorder {
  std::optional<FPoint> centre;
  void Record(const RecordedFigure& f) override {
    if (centre || !f.closed) return;
    FPoint c;
    for (int i = 0; i < f.count; ++i)
      c = {c.x + f.pixels[i].x / float(f.count), c.y + f.pixels[i].y / float(f.count)};
    centre = c;
  }
};

int CountColour(const QImage& img, Colour c) {
  const QRgb want = qRgb(RedOf(c), GreenOf(c), BlueOf(c)) & 0xffffff;
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, y) & 0xffffff) == want;
  return n;
}

qsizetype SvgPaths(const QString& file) {
  QFile in(file);
  return in.open(QIODevice::ReadOnly) ? in.readAll().count("<path ") : -1;
}

class Tessellator : public testing::TessellatorFixture {
 protected:
  void Down(float x, float y) { pic().onMouseDown(0, MouseButton::Left, 0, x, y); }
  void Move(float x, float y) { pic().onMouseMove(0, MouseButton::Left, 0, x, y); }
  void Up(float x, float y) { pic().onMouseUp(0, MouseButton::Left, 0, x, y); }
  FPoint DrawnCentre() {
    FirstFigure c;
    f.renderer().metafile = &c;
    h.model().MetafileMode = true;
    t.UpdateTess();
    h.model().MetafileMode = false;
    f.renderer().metafile = nullptr;
    EXPECT_TRUE(c.centre);
    return c.centre.value_or(FPoint{});
  }
  QStringList Files() {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }
};

TEST_F(Tessellator, DrawingTransformKeepsTheCentreAndMatchesThePointer) {
  Item(1) = TessItem{150, 100};
  h.program.tess.TessCount = 1;
  pic().canvas.Resize(400, 300);
  t.Entry("vsZoom").SetValue("2");  // offsets -200, -150: the centre stays put
  FPoint c = DrawnCentre();
  EXPECT_NEAR(c.x, 2 * 150 - 200, 0.5);
  EXPECT_NEAR(c.y, 2 * 100 - 150, 0.5);
  EXPECT_EQ(h.model().DrawZoom, 1);  // left as the designer needs it

  // The pointer conversion is the drawing's own transform and its inverse.
  t.Entry("vsZoom").SetValue("2.5");
  t.XScroll().SetValue(37);
  t.YScroll().SetValue(61);
  c = DrawnCentre();
  EXPECT_NEAR(c.x, t.ToCanvas(150, 100).x, 0.5);
  EXPECT_NEAR(c.y, t.ToCanvas(150, 100).y, 0.5);
  const FPoint p = t.ToCanvas(-73.25f, 412.5f), back = t.ToWorld(p.x, p.y);
  EXPECT_TRUE(qAbs(back.x + 73.25f) < 1e-3f && qAbs(back.y - 412.5f) < 1e-3f);
}

// Squares of half-size a around (x, y) as outlines, for exact snap distances.
class Snapping : public Tessellator {
 protected:
  void SetUp() override {
    Tessellator::SetUp();
    f.vs("vsPolyOut", 0).SetValue("4");
    f.Menu("mnuEditSnap").SetChecked(true);
  }
  void Square(int i, float x, float y, float a) {
    Item(i) = TessItem{x, y};
    const float dx[] = {-a, a, a, -a}, dy[] = {-a, -a, a, a};
    for (int k = 0; k < 4; ++k) {
      Item(i).OutlineX[k + 1] = x + dx[k];
      Item(i).OutlineY[k + 1] = y + dy[k];
    }
    h.program.tess.TessCount = std::max(Count(), i);
  }
  float SnapFor(int dragged) {
    t.DragItem = dragged;
    t.SnapX = Item(dragged).X;
    t.SnapY = Item(dragged).Y;
    t.CheckXY(Item(dragged).X, Item(dragged).Y);
    return t.SnapX;
  }
};

TEST_F(Snapping, ReachesTheRadiusAndNoFurther) {
  Square(1, 122, 100, 5);  // vertices 12 apart (squared 144 < 150)
  Square(2, 100, 100, 5);
  EXPECT_FLOAT_EQ(SnapFor(2), 112);
  Square(1, 122.5f, 100, 5);  // squared 156.25
  EXPECT_FLOAT_EQ(SnapFor(2), 100);
  h.model().SnapRadius = 6;  // 180
  EXPECT_FLOAT_EQ(SnapFor(2), 112.5f);
  f.Menu("mnuEditSnap").SetChecked(false);
  EXPECT_FLOAT_EQ(SnapFor(2), 100);
}

TEST_F(Snapping, EquallyNearNeighboursGoToTheLowerNumber) {
  Square(1, 120, 100, 8);
  Square(2, 80, 100, 8);
  Square(3, 100, 100, 8);
  EXPECT_FLOAT_EQ(SnapFor(3), 104);  // onto item 1
  Square(2, 81, 100, 8);
  EXPECT_FLOAT_EQ(SnapFor(3), 97);  // item 2 is now nearer
}

// Ctrl+Shift places a tile turned by half an outer step, whatever angle
// the editor would copy.
TEST_F(Tessellator, CtrlShiftClickTurnsByHalfAnOuterStep) {
  f.vs("vsPolyOut", 0).CommitEnter("6");
  t.Check("checkCopy").SetValue(1);
  t.Entry("vtAngle").CommitEnter("10");
  Click(200, 200, ShiftKey | CtrlKey);
  EXPECT_FLOAT_EQ(Item(1).Angle, 30);
  Click(300, 200);
  EXPECT_FLOAT_EQ(Item(2).Angle, 10);
}

TEST_F(Tessellator, PointerSelectsDragsAndDeletesAndTheEditorFollows) {
  for (int i = 1; i <= 5; ++i) Click(100.0f * i, 100);
  Down(306, 105.9f);  // |dx| + |dy| = 11.9 from tile 3
  EXPECT_EQ(t.DragItem, 3);
  Move(300, 400);
  EXPECT_EQ(t.Entry("vtX").Value(), "600");  // twice the world position
  Up(300, 400);
  EXPECT_EQ(Item(3).Y, 400);
  EXPECT_FALSE(Item(3).Selected);
  Down(306, 406);  // exactly 12
  EXPECT_EQ(t.DragItem, 0);
  Up(306, 406);

  Click(300, 400, 0, MouseButton::Right);  // the later tiles close up
  EXPECT_EQ(Count(), 4);
  EXPECT_EQ(Item(3).X, 400);
  EXPECT_EQ(Item(4).X, 500);
  EXPECT_EQ(Item(5).X, 0);
  EXPECT_EQ(t.Get<StaticControl>("Frame1").Caption(), "Editor 2 of 4");
  t.Entry("vtTile").CommitEnter("50");
  EXPECT_EQ(t.Entry("vtTile").Value(), "4");
  EXPECT_EQ(t.Entry("vtX").Value(), "1000");

  t.Entry("vtX").CommitEnter("21");
  EXPECT_EQ(Item(4).X, 10.5f);
  t.XScroll().SetValue(40);  // world = canvas - 50: negative positions round down
  Click(39.75f, 250);
  EXPECT_EQ(Item(5).X, -10.25f);
  EXPECT_EQ(t.Entry("vtX").Value(), "-21");
}

// Clearing throws away the whole layout, so it asks first and can be undone.
TEST_F(Tessellator, ClearAllAsksFirstAndCanBeUndone) {
  for (int i = 1; i <= 3; ++i) Click(100.0f * i, 100);
  h.prompts.Answer_(Answer::Cancel);
  t.Get<Button>("cmdClearAll").UserClick();
  EXPECT_EQ(h.prompts.log.back().text, "OK to clear everything in the Tessellator?");
  EXPECT_EQ(Count(), 3);

  h.prompts.Answer_(Answer::OK);
  t.Get<Button>("cmdClearAll").UserClick();
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(Item(1).X, 0);
  t.Menu("mnuEditUndo").onClick(0);
  EXPECT_EQ(Count(), 3);
  EXPECT_EQ(Item(3).X, 300);
  EXPECT_TRUE(h.prompts.AllAnswered());
}

TEST_F(Tessellator, AltClickRecoloursOnePolygonUntilTheListsAreFull) {
  auto& ov = h.model().overrides;
  Click(300, 300, AltKey);  // nothing placed: nothing to recolour
  EXPECT_EQ(ov.OverrideCount, 0);

  SquareRank();
  Click(300, 300);
  h.model().CustomColours[5] = Rgb(1, 2, 3);
  // There are sixteen custom colours (0..15); 16 would read past them.
  t.Entry("vsFillColour").CommitEnter("16");
  EXPECT_EQ(t.Entry("vsFillColour").Value(), "15");
  t.Entry("vsFillColour").SetValue("3");
  Click(300, 300, AltKey);
  t.Entry("vsFillColour").SetValue("5");
  Click(300, 300, AltKey);  // the same polygon: its entry takes the new colour
  ASSERT_EQ(ov.OverrideCount, 1);
  EXPECT_EQ(ov.entries[0].colour, 5);
  EXPECT_EQ(ov.entries[0].item, 1);
  EXPECT_GT(CountColour(pic().canvas.Image(), Rgb(1, 2, 3)), 0);

  // A full list still lets an existing entry change, but takes no new one.
  const ColourOverride mine = ov.entries[0];
  for (int i = 1; i < OverrideCapacity; ++i) ov.entries[i] = {0, 42, 0, 1};
  ov.OverrideCount = OverrideCapacity;
  t.Entry("vsFillColour").SetValue("9");
  Click(300, 300, AltKey);
  EXPECT_EQ(ov.entries[0].colour, 9);
  ASSERT_TRUE(h.prompts.log.empty());
  ov.entries[0] = {mine.copy + 1, mine.item, mine.slot, 1};
  h.prompts.autoOk = true;
  Click(300, 300, AltKey);
  EXPECT_EQ(ov.OverrideCount, OverrideCapacity);
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].text, frmT::TooManyOverrides);

  for (int i = 1; i <= MaxTessItems; ++i) Item(i) = TessItem{float(i), 5};
  h.program.tess.TessCount = MaxTessItems;
  Click(600, 500);
  EXPECT_EQ(Count(), MaxTessItems);
  EXPECT_EQ(h.prompts.log.back().text, frmT::TooManyItems);
  EXPECT_EQ(Item(MaxTessItems).X, MaxTessItems);
}

// Window managers that move windows by Alt-drag swallow Alt-clicks, so the
// middle button does what Alt+left does, on the canvas and on the swatch.
TEST_F(Tessellator, MiddleClickPaintsAndChoosesTheColourLikeAltClick) {
  SquareRank();
  Click(300, 300);
  auto& ov = h.model().overrides;
  struct Gesture {
    const char* name;
    MouseButton button;
    int shift;
    bool fills;  // flood fill (paint only) rather than a kept recolour
  };
  const Gesture gestures[] = {{"Alt+left", MouseButton::Left, AltKey, false},
                              {"middle", MouseButton::Middle, 0, false},
                              {"Shift+middle", MouseButton::Middle, ShiftKey, false},
                              {"Ctrl+Alt+left", MouseButton::Left, CtrlKey | AltKey, true},
                              {"Ctrl+middle", MouseButton::Middle, CtrlKey, true}};
  const Colour swatch = Rgb(3, 141, 59);
  t.Get<PictureBox>("picFill").SetBackColour(swatch);
  t.Entry("vsFillColour").SetValue("4");
  for (const Gesture& g : gestures) {
    ov.OverrideCount = 0;
    t.UpdateTess();
    Click(300, 300, g.shift, g.button);
    EXPECT_EQ(Count(), 1) << g.name;
    EXPECT_EQ(ov.OverrideCount, g.fills ? 0 : 1) << g.name;
    if (!g.fills) {
      EXPECT_EQ(ov.entries[0].colour, 4) << g.name;
    }
    EXPECT_EQ(CountColour(pic().canvas.Image(), swatch) > 0, g.fills) << g.name;
  }

  PictureBox& picFill = t.Get<PictureBox>("picFill");
  picFill.onMouseDown(0, MouseButton::Left, 0, 5, 5);  // a plain click asks nothing
  EXPECT_TRUE(h.prompts.log.empty());
  const Colour chosen[] = {Rgb(10, 20, 30), Rgb(40, 50, 60), Rgb(70, 80, 90)};
  for (Colour c : chosen) h.prompts.Colour_(c);
  picFill.onMouseDown(0, MouseButton::Left, AltKey, 5, 5);
  EXPECT_EQ(h.model().CustomColours[4], chosen[0]);
  picFill.onMouseDown(0, MouseButton::Middle, 0, 5, 5);
  EXPECT_EQ(h.model().CustomColours[4], chosen[1]);
  picFill.onDblClick(0);
  EXPECT_EQ(h.model().CustomColours[4], chosen[2]);
  EXPECT_EQ(picFill.BackColour(), chosen[2]);
  EXPECT_EQ(h.prompts.log.size(), 3u);
}

TEST_F(Tessellator, VectorExportsHoldOnePathPerFigureOfEveryTile) {
  SquareRank();
  Click(300, 300);
  h.prompts.File(Path("one.emf"));
  t.Menu("mnuFileSaveWMF").UserClick();

  // The designer's canvas is not in the drawings: two tiles record twice
  // one (besides the one background).
  std::string error;
  ASSERT_TRUE(t.SaveVector(Path("one.svg"), {}, &error)) << error;
  Click(500, 300);
  ASSERT_TRUE(t.SaveVector(Path("two.svg"), {}, &error)) << error;
  ASSERT_TRUE(t.SaveMetafile(Path("two.emf"), &error)) << error;
  EXPECT_GT(SvgPaths(dir.filePath("one.svg")), 1);
  EXPECT_EQ(SvgPaths(dir.filePath("two.svg")) - 1, 2 * (SvgPaths(dir.filePath("one.svg")) - 1));

  // An outside reader finds the same figures in the metafiles.
  const QString conv = QStandardPaths::findExecutable("emf2svg-conv");
  if (conv.isEmpty()) GTEST_SKIP() << "emf2svg-conv is not installed";
  for (const QString name : {"one", "two"}) {
    QProcess p;
    p.start(conv, {"-i", dir.filePath(name + ".emf"), "-o", dir.filePath(name + "-emf.svg")});
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  }
  const qsizetype one = SvgPaths(dir.filePath("one-emf.svg"));
  EXPECT_GT(one, 0);
  EXPECT_EQ(SvgPaths(dir.filePath("two-emf.svg")), 2 * one);
}

TEST_F(Tessellator, SavesWriteTheCanvasWithoutTheHighlightOrNoFileAtAll) {
  SquareRank();
  Click(300, 300);
  const Colour red = Palette16[12];
  t.Frame1_MouseMove();  // the pointer over the editor lights the tile up
  ASSERT_GT(CountColour(pic().canvas.Image(), red), 0);
  h.prompts.File(Path("tess.png"));  // any typed extension becomes .bmp
  t.Menu("mnuFileSaveBMP", 0).UserClick();
  const QImage saved(dir.filePath("tess.bmp"));
  EXPECT_EQ(CountColour(saved, red), 0);
  EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
            pic().canvas.Image().convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(Files(), QStringList{"tess.bmp"});
  EXPECT_FALSE(Item(1).Selected);

  // Failures say why and leave nothing behind.
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

  // Cancelled, or a name without a dot: silence.
  h.prompts.log.clear();
  h.prompts.File(std::nullopt);
  t.Menu("mnuFileSaveWMF").UserClick();
  h.prompts.File(Path("nodot"));
  t.Menu("mnuFileSaveBMP", 1).UserClick();
  EXPECT_EQ(h.prompts.log.size(), 2u);  // the dialogs only
  EXPECT_EQ(Files(), QStringList{"tess.bmp"});
}

// Dragging draws from kept layers; the picture must be what a full redraw
// gives, with tiles above the dragged one still painting over it.
TEST_F(Tessellator, TilesFarBeyondAnyCanvasLoadAndDrawWithTheEditorHeldAtItsLimit) {
  // A placed tile at 1e30 (the file format has no exponents): the editor's
  // boxes show their own limits, on the right side of zero (a failed
  // conversion gives the lowest number for both).
  const std::string huge = "1" + std::string(30, '0');
  QFile in(QString(WHIRLIGONS_SAMPLES_DIR) + "/octagons-and-squares.wlg");
  ASSERT_TRUE(in.open(QIODevice::ReadOnly));
  QByteArray text = in.readAll();
  const qsizetype at = text.indexOf("TessData\r\n");
  ASSERT_GT(at, 0);
  const qsizetype item = text.indexOf('\n', text.indexOf('\n', at) + 1) + 1;
  text.replace(item, text.indexOf(',', text.indexOf(',', item) + 1) - item,
               QByteArray::fromStdString(huge + ",-" + huge));
  const std::string path = Path("far.wlg");
  QFile out(QString::fromStdString(path));
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(text);
  out.close();
  h.prompts.File(path);
  f.mnuFileLoad_Click();
  ASSERT_FALSE(f.LastLoadError());
  t.Entry("vtTile").CommitEnter("1");
  EXPECT_EQ(t.Entry("vtX").Value(), "4000");
  EXPECT_EQ(t.Entry("vtY").Value(), "-4000");
  t.UpdateTess();
}

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
    Move(p.x + 7, p.y + 3);
    Move(p.x + 15, p.y + 9);
    const QImage during = pic().canvas.Image().copy();
    const QImage shown = pic().canvas.DisplayImage().copy();

    // The same state drawn in full, the dragged tile still highlighted.
    Up(p.x + 15, p.y + 9);
    const QImage released = pic().canvas.Image().copy();
    t.UpdateTess();
    EXPECT_EQ(pic().canvas.Image(), released);
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

}  // namespace
}  // namespace wlg
