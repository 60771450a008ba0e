// The designer's control panel and its Edit menu.

#include <gtest/gtest.h>

#include <tuple>

#include "platform/Numbers.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

class Panel : public ::testing::Test {
 protected:
  void SetUp() override {
    h.Start();
    f.picS(0).onRefresh = [this] { ++redraws; };
  }

  // 'count' placed tiles all showing designer tile 'tile'.
  void PlaceTiles(int tile, int count) {
    TessState& tess = h.program.tess;
    tess.TessCount = count;
    for (int i = 1; i <= count; ++i) {
      tess.TessItems[i].X = 50.0f * i;
      tess.TessItems[i].Shape = tile + 1;
    }
  }

  // A complete square in 'slot', put in directly.
  void Square(int slot) {
    const float xs[] = {100, 130, 130, 100}, ys[] = {100, 100, 130, 130};
    for (int j = 0; j < 4; ++j) {
      h.model().X[slot][j] = xs[j];
      h.model().Y[slot][j] = ys[j];
    }
    h.model().PlacedCount[slot] = 4;
  }

  DesignerHarness h;
  frmS& f = h.form;
  int redraws = 0;
};

TEST_F(Panel, ShapeChangesAskWhenTwoPlacedTilesShowThisTile) {
  PlaceTiles(0, 1);
  f.vs("vsPoly", 0).CommitEnter("5");
  PlaceTiles(1, 2);
  f.vs("vsPoly", 0).CommitEnter("7");
  EXPECT_EQ(h.model().InnerSides[0], 7);
  EXPECT_TRUE(h.prompts.log.empty());

  // No: the change is made, ranks and tessellation kept.
  h.program.tess.TessItems[2].Shape = 1;
  Square(0);
  h.prompts.Answer_(Answer::No);
  f.vs("vsPoly", 0).CommitEnter("8");
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].title, "Just checking");
  EXPECT_EQ(h.prompts.log[0].text,
            "This may upset your Tessellator view. Do you want to clear the Tessellator?\r\n"
            "You can disable this check with Edit DisableTessCheck");
  EXPECT_EQ(h.prompts.log[0].buttons, Buttons::YesNoCancel);
  EXPECT_EQ(h.model().InnerSides[0], 8);
  EXPECT_EQ(h.model().X[0][1], 130);
  EXPECT_EQ(h.program.tess.TessCount, 2);

  // Yes: this tile's ranks and the tessellation are cleared.
  Square(5);
  Square(RanksPerTile + 2);
  h.prompts.Answer_(Answer::Yes);
  f.vs("vsPolyOut", 0).CommitEnter("8");
  EXPECT_EQ(h.model().OuterSides[0], 8);
  for (int slot : {0, 5}) EXPECT_EQ(h.model().PlacedCount[slot], 0) << slot;
  EXPECT_EQ(h.model().X[RanksPerTile + 2][0], 100);  // another tile's rank stays
  EXPECT_EQ(h.program.tess.TessCount, 0);

  // With the checks disabled nothing asks and nothing is cleared.
  PlaceTiles(0, 2);
  f.Menu("mnuEditDisableTessChecks").UserClick();
  f.chk("chkStar", 0).UserClick();
  EXPECT_TRUE(h.model().poly.StarMode);
  EXPECT_EQ(h.prompts.log.size(), 2u);
  EXPECT_EQ(h.program.tess.TessCount, 2);
}

TEST_F(Panel, CancelPutsEntriesBoxesAndTileBack) {
  PlaceTiles(0, 2);
  Square(0);
  // Entry, what is typed, and the value it keeps.
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"vsPoly", "8", "6"},    {"vsPolyOut", "4", "6"}, {"vsPolySmall", "2.5", "1"},
      {"vsPolyBig", "3", "4"}, {"vsFit", "5", "6"},     {"vsStarAngle", "100", "120"}};
  for (auto [entry, typed, before] : cases) {
    h.prompts.Answer_(Answer::Cancel);
    f.vs(entry, 0).CommitEnter(typed);
    EXPECT_EQ(f.vs(entry, 0).Value(), before) << entry;
  }
  EXPECT_EQ(f.vs("vsFit", 0).Value(), "6");  // a coupled partner stays too
  // Putting a box back must not ask again (the script would throw).
  for (const char* name : {"chkRotate", "chkRotateOut", "chkStar"}) {
    h.prompts.Answer_(Answer::Cancel);
    f.chk(name, 0).UserClick();
    EXPECT_EQ(f.chk(name, 0).Value(), 0) << name;
  }
  EXPECT_EQ(h.prompts.log.size(), 9u);
  EXPECT_EQ(redraws, 0);
  EXPECT_EQ(h.model().InnerSides[0], 6);
  EXPECT_EQ(h.program.tess.TessCount, 2);
  EXPECT_EQ(h.model().X[0][3], 100);
  // The accepted value is the old one, so confirming it again asks nothing.
  f.vs("vsPoly", 0).CommitEnter("6");
  EXPECT_EQ(h.prompts.log.size(), 9u);
}

TEST_F(Panel, StarModeAsksToCloseThe3DWindowThenFitAndStarAngleSetEachOther) {
  Form& view3D = h.windows.view3D;
  view3D.Show();
  h.prompts.Answer_(Answer::Cancel);
  f.chk("chkStar", 0).UserClick();
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].title, "Star mode check");
  EXPECT_EQ(h.prompts.log[0].text,
            "Sorry, Star polygons don't go with 3D. Close the 3D view first?");
  EXPECT_EQ(f.chk("chkStar", 0).Value(), 0);
  EXPECT_TRUE(view3D.IsVisible());

  h.prompts.Answer_(Answer::OK);
  f.chk("chkStar", 0).UserClick();
  EXPECT_FALSE(view3D.IsVisible());
  // Leaving star mode, or star mode with the 3D window hidden, asks nothing.
  f.chk("chkStar", 0).UserClick();
  f.chk("chkStar", 0).UserClick();
  EXPECT_EQ(h.prompts.log.size(), 2u);

  ASSERT_TRUE(f.vs("vsFit", 0).Enabled());
  f.vs("vsStarAngle", 0).CommitEnter("100");
  EXPECT_EQ(f.vs("vsFit", 0).Value(), "4.5");
  f.vs("vsFit", 0).CommitEnter("5");
  EXPECT_EQ(f.vs("vsStarAngle", 0).Value(), "108");
  // 179 degrees fits a 360-gon, beyond the fit entry's range: the entry keeps
  // it until the user confirms it, when its own bounds apply.
  f.vs("vsStarAngle", 0).CommitEnter("179");
  EXPECT_EQ(f.vs("vsFit", 0).Value(), "360");
  f.vs("vsFit", 0).CommitEnter(f.vs("vsFit", 0).Value());
  EXPECT_EQ(f.vs("vsFit", 0).Value(), "19");
  EXPECT_EQ(f.vs("vsStarAngle", 0).Value(), "161.0526");  // 17 * 180 / 19
  EXPECT_EQ(f.vs("vsFit", 1).Value(), "6");               // other tiles keep their own
}

TEST_F(Panel, RankRowsSelectAndClearTheirRankClearAllAsksFirst) {
  PlaceTiles(0, 2);
  f.chk("chkF", 3).UserClick();
  EXPECT_TRUE(f.optRank(3).Value());
  f.vs("vsN", 2).CommitEnter("6");
  EXPECT_EQ(h.model().PointCount[2], 6);
  EXPECT_EQ(h.model().SelectedSlot, 2);
  Square(1);
  h.program.UndoFromSnapshot() = false;
  f.Get<Button>("cmdClear", 1).UserClick();
  EXPECT_EQ(h.model().PlacedCount[1], 0);
  EXPECT_EQ(h.model().SelectedSlot, 1);
  EXPECT_TRUE(h.program.UndoFromSnapshot());  // the snapshot was taken

  Square(3);
  Square(RanksPerTile);
  h.prompts.Answer_(Answer::Cancel);
  f.Menu("mnuEditClearAll").UserClick();
  EXPECT_EQ(h.prompts.log.at(0).text, "OK to clear everything for this Tile?");
  EXPECT_EQ(h.model().X[3][0], 100);
  EXPECT_EQ(h.model().SelectedSlot, 0);  // the first rank is selected either way
  h.prompts.Answer_(Answer::OK);
  f.Menu("mnuEditClearAll").UserClick();
  EXPECT_EQ(h.model().PlacedCount[3], 0);
  EXPECT_EQ(h.model().X[RanksPerTile][0], 100);  // only this tile
  EXPECT_EQ(h.program.tess.TessCount, 2);        // the tessellation is not this item's
}

TEST_F(Panel, SnapAndItsRadiusReachBothWindows) {
  MenuItem& tessSnap = h.tess.Menu("mnuEditSnap");
  MenuItem& tessRadius = h.tess.Menu("mnuEditSnapRadius");
  MenuItem& radius = f.Menu("mnuEditSnapRadius");
  EXPECT_FALSE(radius.Enabled());
  f.Menu("mnuEditSnap").UserClick();
  EXPECT_TRUE(radius.Enabled());
  EXPECT_TRUE(tessSnap.Checked());
  EXPECT_TRUE(tessRadius.Enabled());

  // Halves to even, at most 10; nonsense or a cancel keeps the last radius.
  const std::pair<std::optional<std::string>, float> cases[] = {
      {"7.5", 8}, {"6.5", 6},         {"25", 10},       {"abc", 10},
      {"-3", 10}, {std::nullopt, 10}, {" 3 pixels", 3}, {"0.4", 3}};
  std::string defaultShown = "5";
  for (const auto& [answer, expected] : cases) {
    h.prompts.Input(answer);
    radius.UserClick();
    EXPECT_EQ(h.prompts.log.back().title, "Snap radius setting");
    EXPECT_EQ(h.prompts.log.back().defaultText, defaultShown);
    EXPECT_FLOAT_EQ(h.model().SnapRadius, expected) << answer.value_or("(cancel)");
    defaultShown = FormatSingle(expected);
  }
  EXPECT_EQ(radius.Caption(), "Select Snap &Radius (3)");
  EXPECT_EQ(tessRadius.Caption(), "Select Snap &Radius (3)");

  f.Menu("mnuEditSnap").UserClick();
  EXPECT_FALSE(radius.Enabled());
  EXPECT_FALSE(tessSnap.Checked());
  EXPECT_FALSE(tessRadius.Enabled());
}

// Colour, line and hide entries change only the picture: each redraws the
// tile at once, asks nothing, and shows its colour in its own box.
TEST_F(Panel, ColourAndLineEntriesRedrawTheTileAtOnce) {
  f.vs("vsFirstCol", 0).CommitEnter("3");
  EXPECT_EQ(f.vs("vsFirstCol", 0).BackColour(), Palette16[3]);
  f.vs("vsBackground", 0).CommitEnter("12");
  EXPECT_EQ(f.picS(0).canvas.backColour, Palette16[12]);
  f.chk("chkSequential", 0).UserClick();
  EXPECT_EQ(f.optRank(2).BackColour(), Palette16[5]);  // rank 2 after first colour 3
  f.chk("chkHideLine", 2).UserClick();
  EXPECT_FALSE(h.model().ShowLine[2]);
  f.vs("vsLineWidth", 1).CommitEnter("3");
  EXPECT_EQ(h.model().LineWidths[1], 3);
  f.vs("vsNCols", 0).CommitEnter("4");
  EXPECT_EQ(h.model().ColourCount[0], 4);
  EXPECT_EQ(redraws, 6);
  EXPECT_TRUE(h.prompts.log.empty());
}

}  // namespace
}  // namespace wlg
