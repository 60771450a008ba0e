// The tile renderer's figures. Its recording for solids and its hit test are
// met through their callers in the solid and tessellator tests.

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

  // Tile 0's ranks as drawn on a recording canvas.
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

TEST_F(TileRendererTest, CopiesCycleThroughTheColoursRoundTheCentre) {
  PlaceTriangle(0);
  PlaceTriangle(3, 2);
  auto figs = Ranks();
  ASSERT_EQ(figs.size(), 12u);  // two ranks, six copies each
  const FPoint centre = h.model().CanvasCentre;
  auto dist = [&](IPoint p) { return std::hypot(p.x - centre.x, p.y - centre.y); };
  for (int c = 0; c < 12; ++c) {
    EXPECT_EQ(figs[c].fillColour, Palette16[c % 2 == 0 ? 9 : 10]) << c;
    EXPECT_NEAR(dist(figs[c].points[0]), dist({250 + (c < 6 ? 0 : 2), 260}), 1.5) << c;
  }
  h.form.chk("chkSequential", 0).SetValue(1);
  figs = Ranks();
  ASSERT_EQ(figs.size(), 12u);
  for (int c = 0; c < 6; ++c) EXPECT_EQ(figs[6 + c].fillColour, Palette16[c % 2 == 0 ? 12 : 13]);

  // Copy 0 is the seed itself, at whole pixels.
  h.form.chk("chkR", 0).SetValue(1);
  figs = Ranks();
  ASSERT_EQ(figs.size(), 7u);
  EXPECT_EQ(figs[0].points, (std::vector<IPoint>{{250, 260}, {262, 260}, {256, 270}}));
}

TEST_F(TileRendererTest, FlagsDecideWhatIsDrawn) {
  PlaceTriangle(0);
  auto each = [&](auto check) {
    const auto figs = Ranks();
    EXPECT_EQ(figs.size(), 6u);
    for (const Figure& f : figs) check(f);
  };
  h.form.chk("chkF", 0).SetValue(1);  // No Fill
  each([](const Figure& f) { EXPECT_EQ(f.fillStyle, FillStyle::Transparent); });
  h.form.chk("chkF", 0).SetValue(0);
  h.form.chk("chkL", 0).SetValue(1);  // No Polygon
  each([](const Figure& f) { EXPECT_EQ(f.kind, Figure::Polyline); });
  h.form.chk("chkL", 0).SetValue(0);
  h.form.vs("vsNCols", 0).SetValue("0");  // no colours: outlines only
  each([](const Figure& f) { EXPECT_EQ(f.fillStyle, FillStyle::Transparent); });
  h.form.vs("vsNCols", 0).SetValue("2");
  h.form.chk("chkHideLine", 2).SetValue(1);  // hidden shape outline keeps the fill
  each([](const Figure& f) {
    EXPECT_EQ(f.drawStyle, DrawStyle::Invisible);
    EXPECT_EQ(f.fillStyle, FillStyle::Solid);
  });
  h.form.chk("chkHideLine", 2).SetValue(0);
  h.form.chk("chkT", 0).SetValue(1);  // construction rank: thin lines
  each([](const Figure& f) { EXPECT_EQ(f.drawWidth, 1); });
  h.form.chk("chkR", 0).SetValue(1);
  EXPECT_TRUE(Ranks().empty());  // only its marker shows it
  h.form.chk("chkR", 0).SetValue(0);
  h.form.chk("chkT", 0).SetValue(0);
  h.form.chk("chkStar", 0).SetValue(1);  // twelve copies, only the even ones drawn
  each([](const Figure& f) { EXPECT_EQ(f.fillColour, Palette16[9]); });
}

TEST_F(TileRendererTest, SelectedRankShowsRedMarkers) {
  PlaceTriangle(0);
  h.form.DrawPolygon();
  const QImage& img = h.form.picS(0).canvas.Image();
  EXPECT_EQ(QColor(img.pixel(256, 270)), QColor(255, 0, 0));
  // The default background is the button face, not palette grey.
  EXPECT_EQ(QColor(img.pixel(5, 5)), QColor(ToQColor(ButtonFaceColour())));
}

}  // namespace
}  // namespace wlg
