// Pointer editing on the tile canvases. The widget-level click, drag and
// undo is in designer_window_qtest.

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>

#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

class Pointer : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }

  void Down(float x, float y, int tile = 0) {
    f.picS(tile).onMouseDown(tile, MouseButton::Left, 0, x, y);
  }
  void Move(float x, float y) { f.picS(0).onMouseMove(0, MouseButton::Left, 0, x, y); }
  void Up(float x, float y, int tile = 0) {
    f.picS(tile).onMouseUp(tile, MouseButton::Left, 0, x, y);
  }
  void Click(float x, float y, int tile = 0) {
    Down(x, y, tile);
    Up(x, y, tile);
  }
  void PlaceSquare() {
    for (auto [x, y] : {Pt(100, 100), Pt(130, 100), Pt(130, 130), Pt(100, 130)}) Click(x, y);
  }
  StaticControl& DragBox() { return f.Get<StaticControl>("txtDragData", 0); }

  // Inner vertex i, and the point 'dist' pixels beyond it, away from the
  // canvas centre; as pairs so that they compare and print.
  using Pt = std::pair<float, float>;
  Pt Vertex(int i) {
    return {h.model().poly.InnerVertices[i].x, h.model().poly.InnerVertices[i].y};
  }
  Pt Beyond(int i, float dist) {
    const auto [x, y] = Vertex(i);
    const FPoint c = h.model().CanvasCentre;
    const float len = std::hypot(x - c.x, y - c.y);
    return {x + (x - c.x) / len * dist, y + (y - c.y) / len * dist};
  }
  Pt Snapped(Pt p) {
    f.CheckPoint(p.first, p.second);
    return p;
  }

  DesignerHarness h;
  frmS& f = h.form;
};

TEST_F(Pointer, ClicksPlaceThePointsInOrderOnTheirOwnTile) {
  h.program.UndoFromSnapshot() = false;
  Click(100, 100);
  EXPECT_TRUE(h.program.UndoFromSnapshot());
  // While points are missing, a click on an existing point adds another.
  Click(100, 100);
  Click(150, 120);
  Click(90, 200);
  const auto& m = h.model();
  EXPECT_EQ(m.PlacedCount[0], 4);
  EXPECT_EQ(m.X[0][1], 100);
  EXPECT_EQ(m.X[1][0], 0);  // only the selected rank is edited

  f.SSTab1_Click(1);
  Click(100, 100, 1);
  EXPECT_EQ(m.X[RanksPerTile][0], 100);
}

TEST_F(Pointer, NearPointsAreGrabbedDraggedAndShowTheirEdges) {
  PlaceSquare();
  const auto xs = h.model().X[0];
  Move(102, 102);
  EXPECT_EQ(f.picS(0).Cursor(), CursorShape::Cross);
  Move(103, 102);  // Manhattan distance 5
  EXPECT_EQ(f.picS(0).Cursor(), CursorShape::Arrow);
  h.program.UndoFromSnapshot() = false;
  Down(135, 100);  // Manhattan distance 5 from point 1: nothing grabbed
  EXPECT_FALSE(h.program.UndoFromSnapshot());
  Move(200, 200);
  Up(200, 200);
  EXPECT_EQ(h.model().X[0], xs);

  Down(132, 98);  // within reach of point 1 only
  EXPECT_EQ(h.model().DragPoint, 1);
  Move(130, 100);
  EXPECT_EQ(DragBox().Caption(), "1.00/0.00\xC2\xB0 1.00/90.00\xC2\xB0 90.00\xC2\xB0");
  Up(130, 100);
  Move(50, 50);
  EXPECT_EQ(h.model().X[0][1], 130);  // moves after the release change nothing

  // A snapped point holds until the drag leaves its own reach.
  f.Menu("mnuEditSnap").UserClick();
  Down(130, 100);
  Move(138, 100);
  EXPECT_EQ(h.model().X[0][1], 130);
  Move(143, 100);
  EXPECT_EQ(h.model().X[0][1], 143);
}

TEST_F(Pointer, SnapReachAndOrder) {
  EXPECT_EQ(Snapped(Beyond(3, 2)), Beyond(3, 2));  // off by default
  f.Menu("mnuEditSnap").UserClick();
  EXPECT_EQ(Snapped(Beyond(3, 12)), Vertex(3));  // the default radius reaches 12 pixels
  EXPECT_EQ(Snapped(Beyond(3, 13)), Beyond(3, 13));

  // The inner vertex wins over a nearer point of another rank of the tile.
  const Pt rankPoint = Beyond(3, 9);
  std::tie(h.model().X[5][0], h.model().Y[5][0]) = rankPoint;
  EXPECT_EQ(Snapped(Beyond(3, 7)), Vertex(3));
  EXPECT_EQ(Snapped(Beyond(3, 16)), rankPoint);
  // Another tile's ranks are no candidates.
  h.model().X[RanksPerTile][0] = 300;
  h.model().Y[RanksPerTile][0] = 40;
  EXPECT_EQ(Snapped({303, 40}), Pt(303, 40));

  // A placed point lands on the vertex.
  Click(Beyond(1, 5).first, Beyond(1, 5).second);
  EXPECT_EQ(Pt(h.model().X[0][0], h.model().Y[0][0]), Vertex(1));

  h.prompts.Input("1");
  f.Menu("mnuEditSnapRadius").UserClick();
  EXPECT_EQ(Snapped(Beyond(2, 6)), Beyond(2, 6));  // 36 is beyond 1 * 30
  EXPECT_EQ(Snapped(Beyond(2, 5)), Vertex(2));
}

TEST(DragData, EdgesAndAngle) {
  using Row = std::array<float, MaxRankPoints>;
  // The rank's points, how many, the one dragged, and the read-out.
  const std::tuple<Row, Row, int, int, const char*> cases[] = {
      // A 3-4-5 triangle in units of 30 pixels; neighbours wrap round at both ends.
      {{100, 190, 100}, {100, 100, 220}, 3, 0, "4.00/90.00° 3.00/0.00° 90.00°"},
      {{100, 190, 100}, {100, 100, 220}, 3, 2, "5.00/53.13° 4.00/90.00° 36.87°"},
      // A two-point rank has one edge.
      {{100, 160}, {100, 100}, 2, 0, "2.00/0.00°"},
      // On the line through its neighbours; folded back; on top of a neighbour.
      {{100, 130, 160}, {100, 100, 100}, 3, 1, "1.00/0.00° 1.00/0.00° 180.00°"},
      {{100, 130, 100}, {100, 100, 100}, 3, 1, "1.00/0.00° 1.00/0.00° 0.00°"},
      {{100, 100, 160}, {100, 100, 100}, 3, 1, "0.00/90.00° 2.00/0.00° 0.00°"},
  };
  for (const auto& [x, y, count, point, text] : cases)
    EXPECT_EQ(frmS::DragDataText(x, y, count, point), text) << point;
}

}  // namespace
}  // namespace wlg
