// Pointer editing on the tile canvases. The widget-level click, drag and
// undo is in designer_window_qtest.

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using Pt = std::pair<float, float>;  // compares and prints

class Pointer : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }
  void Down(Pt p) { f.picS(0).onMouseDown(0, MouseButton::Left, 0, p.first, p.second); }
  void Move(Pt p) { f.picS(0).onMouseMove(0, MouseButton::Left, 0, p.first, p.second); }
  void Up(Pt p) { f.picS(0).onMouseUp(0, MouseButton::Left, 0, p.first, p.second); }
  void Click(Pt p) { Down(p), Up(p); }
  Pt Point(int i) { return {h.model().X[0][i], h.model().Y[0][i]}; }
  Pt Vertex(int i) {
    return {h.model().poly.InnerVertices[i].x, h.model().poly.InnerVertices[i].y};
  }
  // The point 'dist' pixels beyond inner vertex i, away from the centre.
  Pt Beyond(int i, float dist) {
    const auto [x, y] = Vertex(i);
    const FPoint c = h.model().CanvasCentre;
    const float len = std::hypot(x - c.x, y - c.y);
    return {x + (x - c.x) / len * dist, y + (y - c.y) / len * dist};
  }

  testing::DesignerHarness h;
  frmS& f = h.form;
};

TEST_F(Pointer, GrabReachDragReadOutAndSnap) {
  for (Pt p : {Pt(100, 100), Pt(130, 100), Pt(130, 130), Pt(100, 130)}) Click(p);
  const auto xs = h.model().X[0];
  Down({135, 100});  // Manhattan distance 5 from point 1: nothing grabbed
  Move({200, 200}), Up({200, 200});
  EXPECT_EQ(h.model().X[0], xs);

  Down({132, 98});  // within reach of point 1 only
  Move({130, 100});
  EXPECT_EQ(f.Get<StaticControl>("txtDragData", 0).Caption(),
            "1.00/0.00\xC2\xB0 1.00/90.00\xC2\xB0 90.00\xC2\xB0");
  Up({130, 100});

  // A snapped point holds until the drag leaves its own reach.
  f.Menu("mnuEditSnap").UserClick();
  Down({130, 100});
  Move({138, 100});
  EXPECT_EQ(Point(1), Pt(130, 100));
  Move({143, 100});
  EXPECT_EQ(Point(1), Pt(143, 100));
  Up({143, 100});

  // A placed point lands on a vertex within the radius, not beyond it.
  h.model().PlacedCount[0] = 0;
  Click(Beyond(1, 12));
  EXPECT_EQ(Point(0), Vertex(1));
  Click(Beyond(2, 13));
  EXPECT_EQ(Point(1), Beyond(2, 13));
}

}  // namespace
}  // namespace wlg
