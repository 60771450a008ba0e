// The tile's polygons and the renderer's figures. Its recording for solids
// and its hit test are met through their callers in the solid and
// tessellator tests.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "designer/PolygonConstruction.h"
#include "support/DesignerHarness.h"
#include "support/RecordingCanvas.h"

namespace wlg {
namespace {

using testing::Figure;

class TileRendererTest : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }

  // A small triangle seed next to the inner polygon's first vertex.
  void PlaceTriangle(int slot) {
    DesignModel& m = h.model();
    h.form.vs("vsN", slot).SetValue("3");
    m.PointCount[slot] = m.PlacedCount[slot] = 3;
    const float x[] = {250, 262, 256}, y[] = {260, 260, 270};
    for (int j = 0; j < 3; ++j) m.X[slot][j] = x[j], m.Y[slot][j] = y[j];
  }

  // Tile 0's ranks as drawn on a recording canvas.
  std::vector<Figure> Ranks() {
    h.form.DrawPolygon();
    testing::RecordingCanvas c;
    const FPoint centre = h.model().CanvasCentre;
    h.form.renderer().DRP(c, 0, centre.x, centre.y, 0, 0, false, -1);
    c.figures.clear();
    h.form.renderer().CopyPolygon(c, 0, centre.x, centre.y, 0, 0, -1);
    return c.figures;
  }

  testing::DesignerHarness h;
};

TEST_F(TileRendererTest, CopiesCycleThroughTheColoursAndConstructionRanksShowOnlyTheirMarker) {
  PlaceTriangle(0);
  PlaceTriangle(3);
  h.form.chk("chkSequential", 0).SetValue(1);
  auto figs = Ranks();
  ASSERT_EQ(figs.size(), 12u);  // two ranks, six copies each
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(figs[c].fillColour, Palette16[c % 2 == 0 ? 9 : 10]) << c;
    EXPECT_EQ(figs[6 + c].fillColour, Palette16[c % 2 == 0 ? 12 : 13]) << c;
  }
  // A construction rank is only its marker; copy 0 is the seed itself, at whole pixels.
  h.form.chk("chkT", 3).SetValue(1);
  h.form.chk("chkR", 3).SetValue(1);
  h.form.chk("chkR", 0).SetValue(1);
  figs = Ranks();
  ASSERT_EQ(figs.size(), 1u);
  EXPECT_EQ(figs[0].points, (std::vector<IPoint>{{250, 260}, {262, 260}, {256, 270}}));
}

// Side 30 (outer: 4 times that) about the centre (100, 100); screen y points
// down, so a turn is clockwise on the screen. The model is large: off the stack.
std::unique_ptr<DesignModel> Model(float innerTurn = 0, float outerTurn = 0) {
  auto m = std::make_unique<DesignModel>();
  m->views.SideLength[0] = 30;
  m->views.OuterRatio[0] = 4;
  m->views.ViewScale[0] = 1;
  m->views.InnerTurn[0] = innerTurn;
  m->views.OuterTurn[0] = outerTurn;
  return m;
}

// The triangle sits on its apothem, not its box (the pictures would only
// show a shift); a star's tips stay finite at the extreme angles.
TEST(PolygonConstruction, TriangleOnItsApothem) {
  auto m = Model();
  ConstructInner(*m, {3, 6, 1, 4, false, 120}, 0, 100, 100, 0, -1);
  EXPECT_NEAR(m->poly.InnerVertices[1].y, 108.66f, 0.01f);
  EXPECT_NEAR(m->poly.InnerVertices[3].y, 82.68f, 0.01f);
}

TEST(PolygonConstruction, ExtremeStarAnglesStayFinite) {
  for (float starAngle : {5.0f, 179.0f}) {
    auto m = Model(36);
    const TileGeometry g{5, 5, 1, 4, true, starAngle};
    ConstructInner(*m, g, 0, 100, 100, 17, -1);
    ConstructOuter(*m, g, 0, 100, 100, 17, -1);
    for (int k = 1; k <= 10; ++k) {
      const FPoint i = m->poly.InnerVertices[k], o = m->poly.OuterVertices[k];
      EXPECT_TRUE(std::isfinite(i.x + i.y + o.x + o.y)) << starAngle << " " << k;
    }
  }
}

}  // namespace
}  // namespace wlg
