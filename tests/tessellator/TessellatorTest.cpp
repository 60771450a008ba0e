// The tessellator: drawing transform, scales, snapping, the pointer, the
// editor box, the limits, Clear All and the picture exports.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cmath>

#include "imaging/EmfRecorder.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

// Keeps every closed figure the renderer records, in canvas pixels.
struct Capture : PathRecorder {
  std::vector<std::vector<IPoint>> closed;
  void ClosedPath(const IPoint* p, int n, int, bool, Colour) override {
    closed.emplace_back(p, p + n);
  }
  void OpenPath(const IPoint*, int, int) override {}
};

FPoint Mean(const std::vector<IPoint>& pts) {
  FPoint c;
  for (const IPoint& p : pts) c = {c.x + p.x, c.y + p.y};
  return {c.x / pts.size(), c.y / pts.size()};
}

int CountColour(const QImage& img, Colour c) {
  const QRgb want = qRgb(RedOf(c), GreenOf(c), BlueOf(c));
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, y) & 0xffffff) == (want & 0xffffff);
  return n;
}

void RunTool(const QString& exe, const QStringList& args) {
  QProcess p;
  p.start(exe, args);
  EXPECT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

class Tessellator : public ::testing::Test {
 protected:
  void SetUp() override {
    h.Start();
    t.Show();
  }

  PictureBox& pic() { return t.picT(); }
  TessItem& Item(int i) { return h.program.tess.TessItems[i]; }
  int Count() { return h.program.tess.TessCount; }
  void Down(float x, float y, int shift = 0, MouseButton b = MouseButton::Left) {
    pic().onMouseDown(0, b, shift, x, y);
  }
  void Move(float x, float y, MouseButton b = MouseButton::Left) {
    pic().onMouseMove(0, b, 0, x, y);
  }
  void Up(float x, float y, MouseButton b = MouseButton::Left) { pic().onMouseUp(0, b, 0, x, y); }
  void Place(float x, float y, int shift = ShiftKey) {
    Down(x, y, shift);
    Up(x, y);
  }
  // A square rank on the first tile, so placed tiles have rank polygons.
  void SquareRank() {
    const float pts[4][2] = {{100, 100}, {130, 100}, {130, 130}, {100, 130}};
    for (auto& p : pts) {
      f.picS(0).onMouseDown(0, MouseButton::Left, 0, p[0], p[1]);
      f.picS(0).onMouseUp(0, MouseButton::Left, 0, p[0], p[1]);
    }
  }
  std::vector<std::vector<IPoint>> Record() {
    Capture c;
    f.renderer().metafile = &c;
    h.model().MetafileMode = true;
    t.UpdateTess();
    h.model().MetafileMode = false;
    f.renderer().metafile = nullptr;
    return c.closed;
  }
  // Smallest distance between a vertex of item a and one of item b.
  float Gap(int a, int b) {
    const int n = f.vs("vsPolyOut", 0).Integer();
    float best = 1e9f;
    for (int j = 1; j <= n; ++j)
      for (int k = 1; k <= n; ++k)
        best = std::min(best, std::hypot(Item(a).OutlineX[j] - Item(b).OutlineX[k],
                                         Item(a).OutlineY[j] - Item(b).OutlineY[k]));
    return best;
  }
  std::string Path(const char* name) { return dir.filePath(name).toStdString(); }
  QStringList Files() { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

  DesignerHarness h;
  frmS& f = h.form;
  frmT& t = h.tess;
  QTemporaryDir dir;
};

TEST_F(Tessellator, DrawingTransformKeepsTheCentreAndMatchesThePointer) {
  Item(1) = TessItem{150, 100};
  h.program.tess.TessCount = 1;
  pic().canvas.Resize(400, 300);

  auto drawn = Record();
  ASSERT_FALSE(drawn.empty());
  FPoint c = Mean(drawn[0]);  // zoom 1, scroll bars centred: world = canvas
  EXPECT_NEAR(c.x, 150, 0.5);
  EXPECT_NEAR(c.y, 100, 0.5);

  t.Entry("vsZoom").SetValue("2");  // offsets -200, -150: the centre stays put
  c = Mean(Record()[0]);
  EXPECT_NEAR(c.x, 2 * 150 - 200, 0.5);
  EXPECT_NEAR(c.y, 2 * 100 - 150, 0.5);
  EXPECT_EQ(h.model().DrawZoom, 1);  // left as the designer needs it
  EXPECT_EQ(h.model().DrawOffsetX, 0);

  // The pointer conversion is the drawing's own transform and its inverse.
  t.Entry("vsZoom").SetValue("2.5");
  t.XScroll().SetValue(37);
  t.YScroll().SetValue(61);
  c = Mean(Record()[0]);
  const FPoint expect = t.ToCanvas(150, 100);
  EXPECT_NEAR(c.x, expect.x, 0.5);
  EXPECT_NEAR(c.y, expect.y, 0.5);
  for (FPoint w : {FPoint{150, 100}, FPoint{-73.25f, 412.5f}}) {
    const FPoint p = t.ToCanvas(w.x, w.y), back = t.ToWorld(p.x, p.y);
    EXPECT_NEAR(back.x, w.x, 1e-3);
    EXPECT_NEAR(back.y, w.y, 1e-3);
  }
}

TEST_F(Tessellator, EachShapesControlsNameTheirOwnTile) {
  // The fourth shape's tips name tile 4, not tile 3 again.
  EXPECT_EQ(h.tess.Entry("vsScale", 3).ToolTip(), "Tile 4 Scale");
  EXPECT_EQ(h.tess.Check("chkMirror", 3).ToolTip(), "Mirror Tile 4");
  EXPECT_EQ(h.tess.Get<OptionButton>("optWhichOne", 3).ToolTip(), "Use Shape 4");
  EXPECT_EQ(h.tess.Check("chkMirror", 3).Caption(), "Mirror4");
  EXPECT_EQ(h.tess.Get<OptionButton>("optWhichOne", 0).Caption(), "T 1");
}

TEST_F(Tessellator, BackgroundSevenIsTheButtonFace) {
  const Colour face = ButtonFaceColour();
  SetButtonFaceColour(Rgb(1, 2, 3));
  t.Entry("vsTBackground").SetValue("7");
  t.UpdateTess();
  EXPECT_EQ(FromQColor(pic().canvas.Image().pixelColor(5, 5)), Rgb(1, 2, 3));
  t.Entry("vsTBackground").SetValue("3");
  t.UpdateTess();
  EXPECT_EQ(FromQColor(pic().canvas.Image().pixelColor(5, 5)), PaletteColour(3));
  SetButtonFaceColour(face);
}

TEST_F(Tessellator, SideLengthsFollowTheFirstShapesScale) {
  f.vs("vsPolySmall", 1).SetValue("1.5");
  t.Entry("vsScale", 1).CommitEnter("2");
  t.Entry("vsScale", 0).CommitEnter("4");
  const auto& v = h.model().views;
  EXPECT_FLOAT_EQ(v.ViewScale[2], 0.4f);
  EXPECT_FLOAT_EQ(v.SideLength[2], 1.5f * 30 * 0.8f);
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

TEST_F(Snapping, RadiusFiveReachesTwelveButNotTwelveAndAHalf) {
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

TEST_F(Tessellator, ShiftClickStaysPutUnlessTheTileWasMoved) {
  f.Menu("mnuEditSnap").SetChecked(true);
  Place(300, 300);
  // Vertex 1 of a second tile lands 2, 1 beside the opposite vertex of the first.
  const int n = f.vs("vsPolyOut", 0).Integer();
  const int j = 1 + n / 2;
  const float x = 300 + Item(1).OutlineX[j] - Item(1).OutlineX[1] + 2;
  const float y = 300 + Item(1).OutlineY[j] - Item(1).OutlineY[1] + 1;
  Place(x, y);
  EXPECT_EQ(Item(2).X, x);
  EXPECT_EQ(Item(2).Y, y);
  EXPECT_GT(Gap(1, 2), 2);
  Down(x, y, 0, MouseButton::Right);
  Up(x, y, MouseButton::Right);
  ASSERT_EQ(Count(), 1);

  Down(x + 200, y, ShiftKey);
  Move(x + 200, y);
  Up(x + 200, y);
  EXPECT_EQ(Item(2).X, x + 200);  // nothing near: it stays where it is

  Down(x, y, ShiftKey);
  Move(x, y);
  Up(x, y);
  EXPECT_NEAR(Item(3).X, x - 2, 1e-3);
  EXPECT_NEAR(Item(3).Y, y - 1, 1e-3);
  EXPECT_LT(Gap(1, 3), 1e-3);
  EXPECT_EQ(t.DragItem, 0);
}

TEST_F(Tessellator, ClicksSelectWithinTwelveAndDragMoveTheTile) {
  Place(200, 200);
  Place(400, 400);
  ASSERT_EQ(h.program.tess.EditItem, 2);
  Down(206, 205.9f);  // |dx| + |dy| = 11.9
  EXPECT_EQ(t.DragItem, 1);
  EXPECT_EQ(h.program.tess.EditItem, 1);
  EXPECT_TRUE(Item(1).Selected);
  Move(250, 260);
  EXPECT_EQ(t.Entry("vtX").Value(), "500");
  Up(250, 260);
  EXPECT_EQ(Item(1).X, 250);
  EXPECT_FALSE(Item(1).Selected);

  Down(256, 266);  // exactly 12
  EXPECT_EQ(t.DragItem, 0);
  Up(256, 266);
  EXPECT_EQ(Item(1).X, 250);
}

TEST_F(Tessellator, RightClickDeletesAndTheListCloses) {
  for (int i = 1; i <= 5; ++i) Place(100.0f * i, 100);
  Down(300, 100, 0, MouseButton::Right);
  Up(300, 100, MouseButton::Right);
  EXPECT_EQ(Count(), 4);
  EXPECT_EQ(Item(3).X, 400);
  EXPECT_EQ(Item(4).X, 500);
  EXPECT_EQ(Item(5).X, 0);
  EXPECT_EQ(h.program.tess.EditItem, 2);
  EXPECT_EQ(t.Entry("vtTile").Value(), "2");
  EXPECT_EQ(t.Get<StaticControl>("Frame1").Caption(), "Editor 2 of 4");

  // A tile moved to X 0 through the editor is empty and goes at the next compaction.
  t.Entry("vtTile").CommitEnter("1");
  t.Entry("vtX").CommitEnter("0");
  t.UpdateEdit(1);
  EXPECT_EQ(Count(), 3);
  EXPECT_EQ(Item(1).X, 200);
}

TEST_F(Tessellator, EditorShowsTwiceTheWorldPosition) {
  for (int i = 1; i <= 7; ++i) Place(20.0f * i, 50);
  t.Entry("vtTile").CommitEnter("50");
  EXPECT_EQ(t.Entry("vtTile").Value(), "7");
  EXPECT_EQ(h.program.tess.EditItem, 7);
  EXPECT_TRUE(Item(7).Selected);
  EXPECT_EQ(t.Entry("vtX").Value(), "280");

  Place(10.75f, 50);
  EXPECT_EQ(t.Entry("vtX").Value(), "21");
  EXPECT_EQ(t.Entry("vtY").Value(), "100");
  t.Entry("vtX").CommitEnter("21");
  EXPECT_EQ(Item(8).X, 10.5f);

  t.XScroll().SetValue(40);  // world = canvas - 50: negative positions round down
  Place(39.75f, 50);
  EXPECT_EQ(Item(9).X, -10.25f);
  EXPECT_EQ(t.Entry("vtX").Value(), "-21");
}

TEST_F(Tessellator, CtrlShiftClickTurnsByHalfAnOuterStep) {
  f.vs("vsPolyOut", 0).CommitEnter("6");
  t.Check("checkCopy").SetValue(1);  // a copied angle gives way too
  t.Entry("vtAngle").CommitEnter("10");
  Place(200, 200, ShiftKey | CtrlKey);
  EXPECT_FLOAT_EQ(Item(1).Angle, 30);
  Place(300, 200);
  EXPECT_FLOAT_EQ(Item(2).Angle, 10);
}

TEST_F(Tessellator, AltClickRecoloursOnePolygon) {
  Down(300, 300, AltKey);  // nothing placed: nothing to recolour
  Up(300, 300);
  EXPECT_EQ(h.model().overrides.OverrideCount, 0);

  SquareRank();
  Place(300, 300);
  h.model().CustomColours[5] = Rgb(1, 2, 3);
  t.Entry("vsFillColour").SetValue("3");
  Down(300, 300, AltKey);
  Up(300, 300);
  t.Entry("vsFillColour").SetValue("5");
  Down(300, 300, AltKey);
  Up(300, 300);
  const auto& ov = h.model().overrides;
  ASSERT_EQ(ov.OverrideCount, 1);
  EXPECT_EQ(ov.entries[0].colour, 5);
  EXPECT_EQ(ov.entries[0].item, 1);
  EXPECT_GT(CountColour(pic().canvas.Image(), Rgb(1, 2, 3)), 0);
}

TEST_F(Tessellator, FullListsRefuseWithAMessage) {
  SquareRank();
  Place(300, 300);
  Down(300, 300, AltKey);
  Up(300, 300);
  auto& ov = h.model().overrides;
  const ColourOverride mine = ov.entries[0];
  for (int i = 1; i < OverrideCapacity; ++i) ov.entries[i] = {0, 42, 0, 1};
  ov.OverrideCount = OverrideCapacity;
  t.Entry("vsFillColour").SetValue("9");
  Down(300, 300, AltKey);  // an existing entry still takes the new colour
  Up(300, 300);
  EXPECT_EQ(ov.entries[0].colour, 9);
  ASSERT_TRUE(h.prompts.log.empty());

  ov.entries[0] = {mine.copy + 1, mine.item, mine.slot, 1};
  h.prompts.autoOk = true;
  Down(300, 300, AltKey);
  Up(300, 300);
  EXPECT_EQ(ov.OverrideCount, OverrideCapacity);
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].text, frmT::TooManyOverrides);

  for (int i = 1; i <= MaxTessItems; ++i) Item(i) = TessItem{float(i), 5};
  h.program.tess.TessCount = MaxTessItems;
  Place(600, 500);
  EXPECT_EQ(Count(), MaxTessItems);
  EXPECT_EQ(h.prompts.log.back().text, frmT::TooManyItems);
  EXPECT_EQ(Item(MaxTessItems).X, MaxTessItems);
}

TEST_F(Tessellator, ClearAllAsksFirst) {
  Place(100, 100);
  Place(200, 100);
  h.prompts.Answer_(Answer::Cancel);
  t.Get<Button>("cmdClearAll").UserClick();
  EXPECT_EQ(h.prompts.log[0].text, "OK to clear everything in the Tessellator?");
  EXPECT_EQ(h.prompts.log[0].buttons, Buttons::OKCancel);
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(h.program.tess.EditItem, 0);
  h.prompts.Answer_(Answer::OK);
  t.Get<Button>("cmdClearAll").UserClick();
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(Item(1).X, 0);
  EXPECT_EQ(t.Get<StaticControl>("Frame1").Caption(), "Editor 0 of 0");
}

TEST_F(Tessellator, SavedPicturesLeaveTheHighlightOut) {
  SquareRank();
  Place(300, 300);
  const Colour red = Palette16[12];
  ASSERT_EQ(CountColour(pic().canvas.Image(), red), 0);
  t.Frame1_MouseMove();  // the pointer over the editor lights the tile up
  ASSERT_GT(CountColour(pic().canvas.Image(), red), 0);

  h.prompts.File(Path("tess.png"));  // any typed extension becomes .bmp
  t.Menu("mnuFileSaveBMP", 0).UserClick();
  EXPECT_EQ(h.prompts.log[0].title, "Saving Whirligon bmp");
  EXPECT_EQ(h.prompts.log[0].text, "BMP files|*.bmp");
  const QImage saved(QString::fromStdString(Path("tess.bmp")));
  ASSERT_FALSE(saved.isNull());
  EXPECT_EQ(saved.size(), pic().canvas.Image().size());
  EXPECT_EQ(CountColour(saved, red), 0);
  EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
            pic().canvas.Image().convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(Files(), QStringList{"tess.bmp"});

  t.Frame1_MouseMove();
  h.prompts.File(Path("tess.jpg"));
  t.Menu("mnuFileSaveBMP", 1).UserClick();
  EXPECT_EQ(h.prompts.log[1].title, "Saving Whirligon jpg");
  const QImage jpg(QString::fromStdString(Path("tess.jpg")));
  ASSERT_EQ(jpg.size(), QSize(800, 600));
  EXPECT_FALSE(Item(1).Selected);
}

TEST_F(Tessellator, VectorExportsRecordEveryTileAndNothingElse) {
  SquareRank();
  Place(300, 300);
  t.Frame1_MouseMove();
  h.prompts.File(Path("one.emf"));
  t.Menu("mnuFileSaveWMF").UserClick();
  EXPECT_EQ(h.prompts.log[0].title, "Saving Whirligon emf");
  EXPECT_EQ(h.prompts.log[0].text, "EMF files|*.emf");
  EXPECT_FALSE(h.model().MetafileMode);
  EXPECT_EQ(f.renderer().metafile, nullptr);
  const QImage after = pic().canvas.Image();
  EXPECT_TRUE(Item(1).Selected);  // the metafile shows tiles in their own colours anyway
  t.UpdateTess();
  EXPECT_EQ(after, pic().canvas.Image());  // the ordinary redraw followed

  QFile emf(QString::fromStdString(Path("one.emf")));
  ASSERT_TRUE(emf.open(QIODevice::ReadOnly));
  EXPECT_EQ(emf.readAll().mid(40, 4), QByteArray(" EMF"));

  // The designer's canvas is not in the drawings: two tiles record twice one.
  Move(10, 10, MouseButton::None);
  std::string error;
  ASSERT_TRUE(t.SaveSvg(Path("one.svg"), &error)) << error;
  Place(500, 300);
  ASSERT_TRUE(t.SaveSvg(Path("two.svg"), &error)) << error;
  ASSERT_TRUE(t.SaveMetafile(Path("two.emf"), &error)) << error;
  auto paths = [](const QString& file, QString* size) {
    QFile in(file);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&in);
    int n = 0;
    while (!xml.atEnd())
      if (xml.readNext() == QXmlStreamReader::StartElement) {
        n += xml.name() == u"path";
        if (xml.name() == u"svg" && size)
          *size = xml.attributes().value("width").toString() + "x" +
                  xml.attributes().value("height").toString();
      }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return n;
  };
  QString size;
  const int one = paths(dir.filePath("one.svg"), &size);
  EXPECT_GT(one, 0);
  EXPECT_EQ(paths(dir.filePath("two.svg"), nullptr), 2 * one);
  EXPECT_EQ(size, "800x600");

  // An outside reader finds the same figures in the metafiles.
  if (const QString conv = QStandardPaths::findExecutable("emf2svg-conv"); !conv.isEmpty()) {
    RunTool(conv, {"-i", dir.filePath("one.emf"), "-o", dir.filePath("one-emf.svg")});
    RunTool(conv, {"-i", dir.filePath("two.emf"), "-o", dir.filePath("two-emf.svg")});
    const int emfOne = paths(dir.filePath("one-emf.svg"), nullptr);
    EXPECT_EQ(emfOne, one);
    EXPECT_EQ(paths(dir.filePath("two-emf.svg"), nullptr), 2 * emfOne);
  }
}

TEST_F(Tessellator, FailedOrPointlessSavesLeaveNoFile) {
  Place(300, 300);
  h.prompts.autoOk = true;
  const std::string missing = Path("missing/pic.bmp");
  h.prompts.File(missing);
  t.Menu("mnuFileSaveBMP", 0).UserClick();
  ASSERT_EQ(h.prompts.log.size(), 2u);
  EXPECT_EQ(h.prompts.log[1].title, kAppTitle);
  EXPECT_EQ(h.prompts.log[1].text.rfind(std::string(frmT::SaveFailedMessage) + "\r\n", 0), 0u);
  h.prompts.File(Path("missing/pic.jpg"));
  t.Menu("mnuFileSaveBMP", 1).UserClick();
  EXPECT_EQ(h.prompts.log.back().text.rfind(frmT::SaveFailedMessage, 0), 0u);
  h.prompts.File(Path("missing/pic.emf"));
  t.Menu("mnuFileSaveWMF").UserClick();
  EXPECT_EQ(h.prompts.log.back().text, EmfRecorder::CreateFailedMessage);
  std::string error;
  EXPECT_FALSE(t.SaveSvg(Path("missing/pic.svg"), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());

  // Cancelled, without a dot, or a one-letter name: silence and no file.
  const QString was = QDir::currentPath();
  QDir::setCurrent(dir.path());
  h.prompts.log.clear();
  h.prompts.File(std::nullopt);
  t.Menu("mnuFileSaveBMP", 0).UserClick();
  h.prompts.File(std::nullopt);
  t.Menu("mnuFileSaveWMF").UserClick();
  h.prompts.File(Path("nodot"));
  t.Menu("mnuFileSaveBMP", 1).UserClick();
  h.prompts.File("a.bmp");
  t.Menu("mnuFileSaveBMP", 0).UserClick();
  QDir::setCurrent(was);
  EXPECT_EQ(h.prompts.log.size(), 4u);  // the four dialogs only
  EXPECT_TRUE(Files().isEmpty());
}

}  // namespace
}  // namespace wlg

namespace wlg {
namespace {

// Dragging draws from kept layers; the picture must be what a full redraw
// gives, with tiles above the dragged one still painting over it.
TEST_F(Tessellator, DragLayersGiveTheFullRedrawsPicture) {
  SquareRank();
  f.vs("vsNCols", 0).CommitEnter("3");
  for (int i = 0; i < 5; ++i) Place(200.0f + 40 * i, 200.0f + 10 * i);  // overlapping tiles
  ASSERT_EQ(Count(), 5);
  const FPoint p = t.ToCanvas(Item(3).X, Item(3).Y);
  Down(p.x, p.y);
  ASSERT_EQ(t.DragItem, 3);
  Move(p.x + 7, p.y + 3);
  Move(p.x + 15, p.y + 9);
  const QImage during = pic().canvas.Image().copy();

  // The same state drawn in full (the dragged tile still highlighted).
  Up(p.x + 15, p.y + 9);
  const QImage released = pic().canvas.Image().copy();
  t.UpdateTess();
  EXPECT_EQ(pic().canvas.Image(), released);
  Item(3).Selected = true;
  t.UpdateTess();
  EXPECT_EQ(pic().canvas.Image(), during);
  // And the tile did move: the picture differs from the one before the drag.
  Item(3).X -= 15;
  t.UpdateTess();
  EXPECT_NE(pic().canvas.Image(), during);
}

}  // namespace
}  // namespace wlg
