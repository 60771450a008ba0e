// Pointer editing on the tile canvases: placing points, grabbing and
// dragging them, snapping, and the drag read-out.

#include <cmath>

#include <gtest/gtest.h>

#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

class Pointer : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }

  void Click(float x, float y, int tile = 0) {
    f.picS(tile).onMouseDown(tile, MouseButton::Left, 0, x, y);
    f.picS(tile).onMouseUp(tile, MouseButton::Left, 0, x, y);
  }
  void Down(float x, float y) { f.picS(0).onMouseDown(0, MouseButton::Left, 0, x, y); }
  void Move(float x, float y) { f.picS(0).onMouseMove(0, MouseButton::Left, 0, x, y); }
  void Up(float x, float y) { f.picS(0).onMouseUp(0, MouseButton::Left, 0, x, y); }

  void PlaceSquare() {
    Click(100, 100);
    Click(130, 100);
    Click(130, 130);
    Click(100, 130);
  }

  StaticControl& DragBox(int tile = 0) { return f.Get<StaticControl>("txtDragData", tile); }

  // Inner vertex i of the current tile, and the point 'dist' pixels further
  // out from the canvas centre along the same ray.
  FPoint Inner(int i) { return h.model().poly.InnerVertices[i]; }
  FPoint Beyond(FPoint v, float dist) {
    const FPoint c = h.model().CanvasCentre;
    const float len = std::hypot(v.x - c.x, v.y - c.y);
    return {v.x + (v.x - c.x) / len * dist, v.y + (v.y - c.y) / len * dist};
  }

  DesignerHarness h;
  frmS& f = h.form;
};

TEST_F(Pointer, ClicksPlaceThePointsInOrder) {
  Click(100, 100);
  EXPECT_EQ(h.model().PlacedCount[0], 1);
  // While points are missing, a click on an existing point adds another.
  Click(100, 100);
  Click(150, 120);
  Click(90, 200);
  const auto& m = h.model();
  EXPECT_EQ(m.PlacedCount[0], 4);
  EXPECT_EQ(m.X[0][1], 100);
  EXPECT_EQ(m.Y[0][1], 100);
  EXPECT_EQ(m.X[0][2], 150);
  EXPECT_EQ(m.Y[0][3], 200);
  EXPECT_TRUE(m.RankComplete(0));
  EXPECT_EQ(m.DragPoint, -1);
  EXPECT_EQ(m.X[1][0], 0);  // only the selected rank is edited
}

TEST_F(Pointer, PlacingTakesASnapshot) {
  h.program.UndoFromSnapshot() = false;
  Down(100, 100);
  EXPECT_TRUE(h.program.UndoFromSnapshot());
}

TEST_F(Pointer, FarClickOnACompleteRankChangesNothing) {
  PlaceSquare();
  const auto xs = h.model().X[0], ys = h.model().Y[0];
  h.program.UndoFromSnapshot() = false;
  Down(135, 100);  // Manhattan distance 5 from point 1
  EXPECT_EQ(h.model().DragPoint, -1);
  EXPECT_FALSE(h.program.UndoFromSnapshot());
  Move(200, 200);
  EXPECT_EQ(h.model().X[0], xs);
  EXPECT_EQ(h.model().Y[0], ys);
  EXPECT_EQ(h.model().PlacedCount[0], 4);
  EXPECT_FALSE(DragBox().Visible());
}

TEST_F(Pointer, DraggingMovesThePointAndShowsItsEdges) {
  PlaceSquare();
  h.program.UndoFromSnapshot() = false;
  Down(132, 98);  // within reach of point 1 only
  EXPECT_EQ(h.model().DragPoint, 1);
  EXPECT_TRUE(h.program.UndoFromSnapshot());
  h.program.UndoFromSnapshot() = false;

  Move(160, 90);
  EXPECT_EQ(h.model().X[0][1], 160);
  EXPECT_EQ(h.model().Y[0][1], 90);
  Move(130, 100);
  EXPECT_TRUE(DragBox().Visible());
  EXPECT_EQ(DragBox().Caption(), "1.00/0.00\xC2\xB0 1.00/90.00\xC2\xB0 90.00\xC2\xB0");
  EXPECT_EQ(h.model().X[0][0], 100);  // the others stay

  Up(130, 100);
  EXPECT_EQ(h.model().DragPoint, -1);
  EXPECT_FALSE(DragBox().Visible());
  EXPECT_TRUE(h.program.UndoFromSnapshot());
  Move(50, 50);
  EXPECT_EQ(h.model().X[0][1], 130);  // moves after the release change nothing
}

TEST_F(Pointer, CursorShowsWhenAPointCanBeGrabbed) {
  PlaceSquare();
  Move(102, 102);
  EXPECT_EQ(f.picS(0).Cursor(), CursorShape::Cross);
  Move(103, 102);  // Manhattan distance 5
  EXPECT_EQ(f.picS(0).Cursor(), CursorShape::Arrow);
}

TEST_F(Pointer, TwoPointRankShowsOneEdge) {
  f.vs("vsN", 0).CommitEnter("2");
  Click(100, 100);
  Click(160, 100);
  Down(100, 100);
  Move(100, 100);
  EXPECT_EQ(DragBox().Caption(), "2.00/0.00\xC2\xB0");
}

TEST_F(Pointer, EditsGoToTheCanvasTile) {
  f.SSTab1_Click(1);
  Click(100, 100, 1);
  EXPECT_EQ(h.model().CurrentTile, 1);
  EXPECT_EQ(h.model().X[RanksPerTile][0], 100);
}

TEST_F(Pointer, SnappingIsOffByDefault) {
  const FPoint v = Inner(1);
  float x = v.x + 2, y = v.y;
  f.CheckPoint(x, y);
  EXPECT_EQ(x, v.x + 2);
}

TEST_F(Pointer, SnapReachAtTheDefaultRadius) {
  f.Menu("mnuEditSnap").UserClick();
  const FPoint v = Inner(2);
  FPoint p = Beyond(v, 12);
  f.CheckPoint(p.x, p.y);
  EXPECT_EQ(p.x, v.x);
  EXPECT_EQ(p.y, v.y);

  const FPoint far = Beyond(v, 13);
  p = far;
  f.CheckPoint(p.x, p.y);
  EXPECT_EQ(p.x, far.x);
  EXPECT_EQ(p.y, far.y);

  // A placed point lands on the vertex.
  Click(Beyond(v, 5).x, Beyond(v, 5).y);
  EXPECT_EQ(h.model().X[0][0], v.x);
  EXPECT_EQ(h.model().Y[0][0], v.y);
}

TEST_F(Pointer, InnerVertexWinsOverANearerRankPoint) {
  f.Menu("mnuEditSnap").UserClick();
  const FPoint v = Inner(3);
  const FPoint rankPoint = Beyond(v, 9);
  h.model().X[5][0] = rankPoint.x;  // another rank of the same tile
  h.model().Y[5][0] = rankPoint.y;
  FPoint p = Beyond(v, 7);  // 7 from the vertex, 2 from the rank point
  f.CheckPoint(p.x, p.y);
  EXPECT_EQ(p.x, v.x);
  EXPECT_EQ(p.y, v.y);

  // Out of the vertex's reach the rank point is taken.
  p = Beyond(v, 16);
  f.CheckPoint(p.x, p.y);
  EXPECT_EQ(p.x, rankPoint.x);
  EXPECT_EQ(p.y, rankPoint.y);

  // Another tile's ranks are no candidates.
  h.model().X[RanksPerTile][0] = 300;
  h.model().Y[RanksPerTile][0] = 40;
  p = {303, 40};
  f.CheckPoint(p.x, p.y);
  EXPECT_EQ(p.x, 303);
}

TEST_F(Pointer, SnapRadiusSetsTheReach) {
  f.Menu("mnuEditSnap").UserClick();
  h.prompts.Input("1");
  f.Menu("mnuEditSnapRadius").UserClick();
  const FPoint v = Inner(1);
  FPoint p = Beyond(v, 6);  // 36 is beyond 1 * 30
  const FPoint out = p;
  f.CheckPoint(p.x, p.y);
  EXPECT_EQ(p.x, out.x);
  EXPECT_EQ(p.y, out.y);
  p = Beyond(v, 5);
  f.CheckPoint(p.x, p.y);
  EXPECT_EQ(p.x, v.x);
}

TEST_F(Pointer, SnappedDragHoldsUntilItLeavesItsOwnReach) {
  PlaceSquare();
  f.Menu("mnuEditSnap").UserClick();
  Down(130, 100);
  Move(138, 100);
  EXPECT_EQ(h.model().X[0][1], 130);
  Move(143, 100);
  EXPECT_EQ(h.model().X[0][1], 143);
}

TEST(DragData, EdgesAndAngleOfATriangle) {
  // A 3-4-5 triangle, lengths in units of 30 pixels.
  std::array<float, MaxRankPoints> x{100, 190, 100}, y{100, 100, 220};
  EXPECT_EQ(frmS::DragDataText(x, y, 3, 1),
            "3.00/0.00\xC2\xB0 5.00/53.13\xC2\xB0 53.13\xC2\xB0");
  // The neighbours wrap round at both ends.
  EXPECT_EQ(frmS::DragDataText(x, y, 3, 0), "4.00/90.00\xC2\xB0 3.00/0.00\xC2\xB0 90.00\xC2\xB0");
  EXPECT_EQ(frmS::DragDataText(x, y, 3, 2), "5.00/53.13\xC2\xB0 4.00/90.00\xC2\xB0 36.87\xC2\xB0");
}

TEST(DragData, DegenerateAngles) {
  // On the line through its neighbours.
  std::array<float, MaxRankPoints> x{100, 130, 160}, y{100, 100, 100};
  EXPECT_EQ(frmS::DragDataText(x, y, 3, 1), "1.00/0.00\xC2\xB0 1.00/0.00\xC2\xB0 180.00\xC2\xB0");
  // Folded back onto its neighbour: no angle.
  x = {100, 130, 100};
  EXPECT_EQ(frmS::DragDataText(x, y, 3, 1), "1.00/0.00\xC2\xB0 1.00/0.00\xC2\xB0 0.00\xC2\xB0");
  // On top of a neighbour: a zero edge and no angle.
  x = {100, 100, 160};
  EXPECT_EQ(frmS::DragDataText(x, y, 3, 1), "0.00/90.00\xC2\xB0 2.00/0.00\xC2\xB0 0.00\xC2\xB0");
}

}  // namespace
}  // namespace wlg
