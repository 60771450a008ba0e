// The designer's control panel and its Edit menu.

#include <gtest/gtest.h>

#include <tuple>

#include "support/DesignerHarness.h"

namespace wlg {
namespace {

class Panel : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }
  // 'count' placed tiles all showing designer tile 'tile'.
  void PlaceTiles(int tile, int count) {
    h.program.tess.TessCount = count;
    for (int i = 1; i <= count; ++i) h.program.tess.TessItems[i].Shape = tile + 1;
  }
  // A complete square in 'slot', put in directly.
  void Square(int slot) {
    for (int j = 0; j < 4; ++j) {
      h.model().X[slot][j] = j == 1 || j == 2 ? 130 : 100;
      h.model().Y[slot][j] = j >= 2 ? 130 : 100;
    }
    h.model().PlacedCount[slot] = 4;
  }
  size_t Asked() const { return h.prompts.log.size(); }

  testing::DesignerHarness h;
  frmS& f = h.form;
};

TEST_F(Panel, ShapeChangesAskWhenTwoPlacedTilesShowThisTile) {
  PlaceTiles(0, 1);
  f.vs("vsPoly", 0).CommitEnter("5");
  EXPECT_EQ(Asked(), 0u);

  // No: the change is made, ranks and tessellation kept.
  PlaceTiles(0, 2);
  Square(0);
  h.prompts.Answer_(Answer::No);
  f.vs("vsPoly", 0).CommitEnter("8");
  ASSERT_EQ(Asked(), 1u);
  EXPECT_EQ(h.prompts.log[0].title, "Just checking");
  EXPECT_EQ(h.prompts.log[0].text,
            "This may upset your Tessellator view. Do you want to clear the Tessellator?\r\n"
            "You can disable this check with Edit DisableTessCheck");
  EXPECT_EQ(std::tuple(h.model().InnerSides[0], h.model().PlacedCount[0], h.program.tess.TessCount),
            std::tuple(8, 4, 2));

  // Cancel puts a box back without asking again (the script would throw).
  h.prompts.Answer_(Answer::Cancel);
  f.chk("chkStar", 0).UserClick();
  EXPECT_EQ(f.chk("chkStar", 0).Value(), 0);

  // Yes: this tile's ranks and the tessellation are cleared, other tiles' ranks stay.
  Square(RanksPerTile + 2);
  h.prompts.Answer_(Answer::Yes);
  f.vs("vsPolyOut", 0).CommitEnter("8");
  EXPECT_EQ(h.model().OuterSides[0], 8);
  EXPECT_EQ(h.model().PlacedCount[0] + h.program.tess.TessCount, 0);
  EXPECT_EQ(h.model().PlacedCount[RanksPerTile + 2], 4);

  // With the checks disabled nothing asks.
  PlaceTiles(0, 2);
  f.Menu("mnuEditDisableTessChecks").UserClick();
  f.chk("chkStar", 0).UserClick();
  EXPECT_EQ(Asked(), 3u);
  EXPECT_EQ(h.program.tess.TessCount, 2);
}

TEST_F(Panel, StarModeAsksToCloseThe3DWindowThenFitAndStarAngleSetEachOther) {
  Form& view3D = h.windows.view3D;
  view3D.Show();
  h.prompts.Answer_(Answer::Cancel);
  f.chk("chkStar", 0).UserClick();
  ASSERT_EQ(Asked(), 1u);
  EXPECT_EQ(h.prompts.log[0].text,
            "Sorry, Star polygons don't go with 3D. Close the 3D view first?");
  EXPECT_TRUE(view3D.IsVisible());
  h.prompts.Answer_(Answer::OK);
  f.chk("chkStar", 0).UserClick();
  EXPECT_FALSE(view3D.IsVisible());

  // 179 degrees fits a 360-gon, beyond the fit entry's range: confirming it
  // applies the entry's own bounds.
  f.vs("vsStarAngle", 0).CommitEnter("179");
  f.vs("vsFit", 0).CommitEnter(f.vs("vsFit", 0).Value());
  EXPECT_EQ(f.vs("vsStarAngle", 0).Value(), "161.0526");  // 17 * 180 / 19
  EXPECT_EQ(f.vs("vsFit", 1).Value(), "6");               // other tiles keep their own
}

TEST_F(Panel, SnapRadiusHalvesToEvenAndKeepsTheLastOnNonsense) {
  f.Menu("mnuEditSnap").UserClick();
  EXPECT_TRUE(h.tess.Menu("mnuEditSnap").Checked());
  const std::pair<std::optional<std::string>, float> cases[] = {
      {"6.5", 6}, {"25", 10}, {std::nullopt, 10}};
  for (const auto& [answer, expected] : cases) {
    h.prompts.Input(answer);
    f.Menu("mnuEditSnapRadius").UserClick();
    EXPECT_FLOAT_EQ(h.model().SnapRadius, expected) << answer.value_or("(cancel)");
  }
  EXPECT_EQ(h.prompts.log.back().title, "Snap radius setting");
  EXPECT_EQ(h.tess.Menu("mnuEditSnapRadius").Caption(), "Select Snap &Radius (10)");
}

}  // namespace
}  // namespace wlg
