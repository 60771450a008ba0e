// The tile renderer: what it draws for each rank flag and colour setting,
// what it records for a solid, and what its hit test finds.

#include <gtest/gtest.h>

#include "support/DesignerHarness.h"
#include "support/RecordingCanvas.h"

namespace wlg {
namespace {

using testing::DesignerHarness;
using testing::Figure;
using testing::RecordingCanvas;

class TileRendererTest : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }

  // A small triangle seed next to the inner polygon's first vertex.
  void PlaceTriangle(int slot, float dx = 0) {
    DesignModel& m = h.model();
    h.form.vs("vsN", slot).SetValue("3");
    m.PointCount[slot] = 3;
    const float x[] = {250, 262, 256}, y[] = {260, 260, 270};
    for (int j = 0; j < 3; ++j) {
      m.X[slot][j] = x[j] + dx;
      m.Y[slot][j] = y[j];
    }
    m.PlacedCount[slot] = 3;
  }

  // Redraw tile 0, then draw it again on a recording canvas.
  std::vector<Figure> Ranks() {
    h.form.DrawPolygon();
    RecordingCanvas c;
    const FPoint centre = h.model().CanvasCentre;
    h.form.renderer().DRP(c, 0, centre.x, centre.y, 0, 0, false, -1);
    c.figures.clear();
    h.form.renderer().CopyPolygon(c, 0, centre.x, centre.y, 0, 0, -1);
    return c.figures;
  }

  DesignerHarness h;
};

TEST_F(TileRendererTest, CopiesCycleThroughTheColours) {
  PlaceTriangle(0);
  PlaceTriangle(3, 2);
  auto figs = Ranks();
  ASSERT_EQ(figs.size(), 12u);  // two ranks, six copies each
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(figs[c].kind, Figure::Polygon);
    EXPECT_EQ(figs[c].fillStyle, FillStyle::Solid);
    EXPECT_EQ(figs[c].fillColour, Palette16[c % 2 == 0 ? 9 : 10]) << c;
    EXPECT_EQ(figs[6 + c].fillColour, Palette16[c % 2 == 0 ? 9 : 10]) << c;
  }

  h.form.chk("chkSequential", 0).SetValue(1);
  figs = Ranks();
  ASSERT_EQ(figs.size(), 12u);
  for (int c = 0; c < 6; ++c) EXPECT_EQ(figs[6 + c].fillColour, Palette16[c % 2 == 0 ? 12 : 13]);
}

TEST_F(TileRendererTest, CopyZeroIsTheSeedAndCopiesTurnRoundTheCentre) {
  PlaceTriangle(0);
  h.form.chk("chkR", 0).SetValue(1);
  auto figs = Ranks();
  ASSERT_EQ(figs.size(), 1u);
  EXPECT_EQ(figs[0].points, (std::vector<IPoint>{{250, 260}, {262, 260}, {256, 270}}));

  h.form.chk("chkR", 0).SetValue(0);
  figs = Ranks();
  ASSERT_EQ(figs.size(), 6u);
  // Every copy keeps its distance from the tile centre.
  const FPoint centre = h.model().CanvasCentre;
  auto dist = [&](IPoint p) { return std::hypot(p.x - centre.x, p.y - centre.y); };
  for (const Figure& f : figs) EXPECT_NEAR(dist(f.points[0]), dist({250, 260}), 1.5);
}

TEST_F(TileRendererTest, FlagsDecideFillAndShape) {
  PlaceTriangle(0);
  h.form.chk("chkF", 0).SetValue(1);  // No Fill
  for (const Figure& f : Ranks()) EXPECT_EQ(f.fillStyle, FillStyle::Transparent);

  h.form.chk("chkF", 0).SetValue(0);
  h.form.chk("chkL", 0).SetValue(1);  // No Polygon
  for (const Figure& f : Ranks()) EXPECT_EQ(f.kind, Figure::Polyline);

  h.form.chk("chkL", 0).SetValue(0);
  h.form.vs("vsNCols", 0).SetValue("0");  // no colours: outlines only
  for (const Figure& f : Ranks()) EXPECT_EQ(f.fillStyle, FillStyle::Transparent);

  h.form.vs("vsNCols", 0).SetValue("2");
  h.form.chk("chkHideLine", 2).SetValue(1);  // hidden shape outline keeps the fill
  for (const Figure& f : Ranks()) {
    EXPECT_EQ(f.drawStyle, DrawStyle::Invisible);
    EXPECT_EQ(f.fillStyle, FillStyle::Solid);
  }
}

TEST_F(TileRendererTest, ConstructionRanksAndStarCopies) {
  PlaceTriangle(0);
  h.form.chk("chkT", 0).SetValue(1);
  h.form.chk("chkR", 0).SetValue(1);
  EXPECT_TRUE(Ranks().empty());  // only its marker shows it
  h.form.chk("chkR", 0).SetValue(0);
  auto figs = Ranks();
  ASSERT_EQ(figs.size(), 6u);
  EXPECT_EQ(figs[0].drawWidth, 1);

  h.form.chk("chkT", 0).SetValue(0);
  h.form.chk("chkStar", 0).SetValue(1);
  figs = Ranks();
  ASSERT_EQ(figs.size(), 6u);  // twelve copies, only the even ones drawn
  for (const Figure& f : figs) EXPECT_EQ(f.fillColour, Palette16[9]);
}

TEST_F(TileRendererTest, SelectedRankShowsRedMarkers) {
  PlaceTriangle(0);
  h.form.DrawPolygon();
  const QImage& img = h.form.picS(0).canvas.Image();
  EXPECT_EQ(QColor(img.pixel(256, 270)), QColor(255, 0, 0));
  // The default background is the button face, not palette grey.
  EXPECT_EQ(QColor(img.pixel(5, 5)), QColor(ToQColor(ButtonFaceColour())));
}

TEST_F(TileRendererTest, RecordingForASolidStopsWhenTheListsAreFull) {
  PlaceTriangle(0);
  h.form.DrawPolygon();
  int tooComplex = 0;
  h.form.renderer().onTooComplex = [&] { ++tooComplex; };
  h.program.RecordForSolid = true;
  h.model().solid.PolyCount = SolidPolyCapacity - 3;
  RecordingCanvas c;
  const FPoint centre = h.model().CanvasCentre;
  h.form.renderer().DRP(c, 0, centre.x, centre.y, 0, 0, false, -1);
  h.form.renderer().CopyPolygon(c, 0, centre.x, centre.y, 0, 0, -1);
  EXPECT_EQ(tooComplex, 1);
  EXPECT_FALSE(h.program.RecordForSolid);
  EXPECT_LE(h.model().solid.PolyCount, SolidPolyCapacity);
}

TEST_F(TileRendererTest, HitTestFindsTheNearestCopy) {
  PlaceTriangle(0);
  h.form.DrawPolygon();
  auto figs = Ranks();
  ASSERT_EQ(figs.size(), 6u);
  DesignModel& m = h.model();
  m.hit = HitTest{};
  m.hit.HitTestMode = true;
  // Each copy is scored by its first point that beats the best so far.
  m.hit.probe = {static_cast<float>(figs[4].points[0].x), static_cast<float>(figs[4].points[0].y)};
  RecordingCanvas c;
  h.form.renderer().DRP(c, 0, m.CanvasCentre.x, m.CanvasCentre.y, 0, 0, false, 7);
  h.form.renderer().CopyPolygon(c, 0, m.CanvasCentre.x, m.CanvasCentre.y, 0, 0, 7);
  m.hit.HitTestMode = false;
  EXPECT_TRUE(c.figures.empty());
  EXPECT_EQ(m.hit.copy, 4);
  EXPECT_EQ(m.hit.slot, 0);
  EXPECT_EQ(m.hit.item, 7);
}

}  // namespace
}  // namespace wlg
