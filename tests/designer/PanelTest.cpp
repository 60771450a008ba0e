// The designer's control panel: shape changes cleared with the tessellator,
// the fit and star-angle coupling, rank rows, redraw-only parameters and the
// Edit menu.

#include <gtest/gtest.h>

#include "platform/Numbers.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

const std::string kTessQuestion =
    "This may upset your Tessellator view. Do you want to clear the Tessellator?\r\n"
    "You can disable this check with Edit DisableTessCheck";

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
      tess.TessItems[i].Y = 40;
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

  void ExpectTessQuestion(size_t at) {
    ASSERT_GT(h.prompts.log.size(), at);
    const auto& r = h.prompts.log[at];
    EXPECT_EQ(r.kind, "message");
    EXPECT_EQ(r.title, "Just checking");
    EXPECT_EQ(r.text, kTessQuestion);
    EXPECT_EQ(r.buttons, Buttons::YesNoCancel);
  }

  DesignerHarness h;
  frmS& f = h.form;
  int redraws = 0;
};

TEST_F(Panel, ConfirmingTheSameShapeValuesAsksAndDrawsNothing) {
  PlaceTiles(0, 2);
  f.vs("vsPoly", 0).CommitEnter("6");
  f.vs("vsPolyOut", 0).CommitEnter("6.0");
  f.vs("vsPolySmall", 0).CommitEnter("1");
  f.vs("vsPolyBig", 0).CommitFocusLoss("4");
  f.vs("vsFit", 0).CommitEnter("6");
  f.vs("vsStarAngle", 0).CommitEnter("120");
  EXPECT_TRUE(h.prompts.log.empty());
  EXPECT_EQ(redraws, 0);
}

TEST_F(Panel, CheckOKAsksOnlyWhenTwoPlacedTilesIncludeThisTile) {
  // One placed tile of this tile: no question, the change goes ahead.
  PlaceTiles(0, 1);
  f.vs("vsPoly", 0).CommitEnter("5");
  EXPECT_EQ(h.model().InnerSides[0], 5);
  // Two placed tiles, both of another tile.
  PlaceTiles(1, 2);
  f.vs("vsPoly", 0).CommitEnter("7");
  EXPECT_EQ(h.model().InnerSides[0], 7);
  EXPECT_TRUE(h.prompts.log.empty());
  EXPECT_TRUE(h.program.KeepTessellation);

  // The second item shows this tile: asked once.
  PlaceTiles(1, 2);
  h.program.tess.TessItems[2].Shape = 1;
  h.prompts.Answer_(Answer::No);
  f.vs("vsPoly", 0).CommitEnter("8");
  ASSERT_EQ(h.prompts.log.size(), 1u);
  ExpectTessQuestion(0);
}

TEST_F(Panel, CancelLeavesEntriesAndTileAsTheyWere) {
  PlaceTiles(0, 2);
  Square(0);
  struct Case {
    const char* entry;
    const char* typed;
    const char* before;
  } cases[] = {{"vsPoly", "8", "6"},       {"vsPolyOut", "4", "6"}, {"vsPolySmall", "2.5", "1"},
               {"vsPolyBig", "3", "4"},     {"vsFit", "5", "6"},     {"vsStarAngle", "100", "120"}};
  for (const Case& c : cases) {
    h.prompts.Answer_(Answer::Cancel);
    redraws = 0;
    f.vs(c.entry, 0).CommitEnter(c.typed);
    EXPECT_EQ(f.vs(c.entry, 0).Value(), c.before) << c.entry;
    EXPECT_EQ(redraws, 0) << c.entry;
  }
  EXPECT_EQ(h.prompts.log.size(), 6u);
  // The partner of a coupled entry is untouched by a refused change.
  EXPECT_EQ(f.vs("vsStarAngle", 0).Value(), "120");
  EXPECT_EQ(f.vs("vsFit", 0).Value(), "6");
  EXPECT_EQ(h.model().InnerSides[0], 6);
  EXPECT_EQ(h.model().OuterSides[0], 6);
  EXPECT_EQ(h.program.tess.TessCount, 2);
  EXPECT_EQ(h.model().X[0][3], 100);
  // The accepted value is the old one, so confirming it again asks nothing.
  f.vs("vsPoly", 0).CommitEnter("6");
  EXPECT_EQ(h.prompts.log.size(), 6u);
  EXPECT_FALSE(h.program.SuppressEvents);
}

TEST_F(Panel, CancelPutsShapeBoxesBack) {
  PlaceTiles(0, 2);
  for (const char* name : {"chkRotate", "chkRotateOut", "chkStar"}) {
    h.prompts.Answer_(Answer::Cancel);
    f.chk(name, 0).UserClick();
    // Putting the box back must not ask again (the script would throw).
    EXPECT_EQ(f.chk(name, 0).Value(), 0) << name;
    EXPECT_FALSE(h.program.SuppressEvents) << name;
  }
  EXPECT_EQ(h.prompts.log.size(), 3u);
  EXPECT_EQ(redraws, 0);
}

TEST_F(Panel, YesClearsTheTileRanksAndTheTessellation) {
  PlaceTiles(0, 3);
  Square(0);
  Square(5);
  Square(RanksPerTile + 2);  // another tile's rank stays
  h.prompts.Answer_(Answer::Yes);
  f.vs("vsPolyOut", 0).CommitEnter("8");
  ExpectTessQuestion(0);
  EXPECT_EQ(h.model().OuterSides[0], 8);
  EXPECT_FLOAT_EQ(h.model().accepted[0].outerSides, 8);
  for (int slot : {0, 5}) {
    EXPECT_EQ(h.model().X[slot][0], 0) << slot;
    EXPECT_EQ(h.model().PlacedCount[slot], 0) << slot;
  }
  EXPECT_EQ(h.model().X[RanksPerTile + 2][0], 100);
  EXPECT_EQ(h.program.tess.TessCount, 0);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(h.program.tess.TessItems[i].X, 0) << i;
}

TEST_F(Panel, NoKeepsRanksAndTessellationButAppliesTheChange) {
  PlaceTiles(0, 2);
  Square(0);
  h.prompts.Answer_(Answer::No);
  f.chk("chkRotate", 0).UserClick();
  EXPECT_EQ(f.chk("chkRotate", 0).Value(), 1);
  EXPECT_FLOAT_EQ(h.model().views.InnerTurn[0], 0);  // checked: no half-step turn
  EXPECT_EQ(h.program.tess.TessCount, 2);
  EXPECT_EQ(h.model().X[0][1], 130);
  EXPECT_EQ(redraws, 1);
}

TEST_F(Panel, DisabledChecksNeverAsk) {
  PlaceTiles(0, 2);
  Square(0);
  MenuItem& disable = f.Menu("mnuEditDisableTessChecks");
  ASSERT_TRUE(disable.Enabled());
  disable.UserClick();
  EXPECT_TRUE(disable.Checked());
  h.program.KeepTessellation = false;
  f.vs("vsPoly", 0).CommitEnter("4");
  f.chk("chkStar", 0).UserClick();
  EXPECT_TRUE(h.prompts.log.empty());
  EXPECT_EQ(h.model().InnerSides[0], 4);
  EXPECT_TRUE(h.model().poly.StarMode);
  EXPECT_TRUE(h.program.KeepTessellation);
  EXPECT_EQ(h.model().X[0][0], 100);
  disable.UserClick();
  EXPECT_FALSE(disable.Checked());
}

TEST_F(Panel, FitAndStarAngleSetEachOther) {
  f.chk("chkStar", 0).UserClick();
  ASSERT_TRUE(f.vs("vsFit", 0).Enabled());
  f.vs("vsStarAngle", 0).CommitEnter("100");
  EXPECT_EQ(f.vs("vsFit", 0).Value(), "4.5");
  EXPECT_FLOAT_EQ(h.model().accepted[0].fit, 4.5f);
  EXPECT_FLOAT_EQ(h.model().accepted[0].starAngle, 100);

  f.vs("vsFit", 0).CommitEnter("5");
  EXPECT_EQ(f.vs("vsStarAngle", 0).Value(), "108");
  EXPECT_FLOAT_EQ(h.model().accepted[0].starAngle, 108);

  // 179 degrees fits a 360-gon, beyond the fit entry's range: the entry keeps
  // it until the user confirms it, when its own bounds apply.
  f.vs("vsStarAngle", 0).CommitEnter("179");
  EXPECT_EQ(f.vs("vsFit", 0).Value(), "360");
  f.vs("vsFit", 0).CommitEnter(f.vs("vsFit", 0).Value());
  EXPECT_EQ(f.vs("vsFit", 0).Value(), "19");
  EXPECT_EQ(f.vs("vsStarAngle", 0).Value(), "161.0526");  // 17 * 180 / 19
  // Other tiles keep their own pair.
  EXPECT_EQ(f.vs("vsFit", 1).Value(), "6");
  EXPECT_TRUE(h.prompts.log.empty());
}

TEST_F(Panel, StarWithThe3DWindowShownAsksToCloseIt) {
  Form& view3D = h.windows.view3D;
  view3D.Show();

  h.prompts.Answer_(Answer::Cancel);
  f.chk("chkStar", 0).UserClick();
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].title, "Star mode check");
  EXPECT_EQ(h.prompts.log[0].text, "Sorry, Star polygons don't go with 3D. Close the 3D view first?");
  EXPECT_EQ(h.prompts.log[0].buttons, Buttons::OKCancel);
  EXPECT_EQ(f.chk("chkStar", 0).Value(), 0);
  EXPECT_TRUE(view3D.IsVisible());
  EXPECT_EQ(redraws, 0);

  h.prompts.Answer_(Answer::OK);
  f.chk("chkStar", 0).UserClick();
  EXPECT_EQ(f.chk("chkStar", 0).Value(), 1);
  EXPECT_FALSE(view3D.IsVisible());
  EXPECT_TRUE(h.model().poly.StarMode);

  // Leaving star mode, or star mode with the 3D window hidden, asks nothing.
  f.chk("chkStar", 0).UserClick();
  f.chk("chkStar", 0).UserClick();
  EXPECT_EQ(h.prompts.log.size(), 2u);
}

TEST_F(Panel, RankRowsSelectTheirRank) {
  f.chk("chkF", 3).UserClick();
  EXPECT_EQ(h.model().SelectedSlot, 3);
  EXPECT_TRUE(f.optRank(3).Value());
  EXPECT_FALSE(f.optRank(0).Value());
  EXPECT_FALSE(h.model().FillRank[3]);

  // Boxes set from code while events are suppressed do nothing.
  h.program.SuppressEvents = true;
  f.chk("chkL", 7).SetValue(1);
  f.chk("chkT", 8).SetValue(1);
  h.program.SuppressEvents = false;
  EXPECT_EQ(h.model().SelectedSlot, 3);
  EXPECT_FALSE(h.model().NoPolygon[7]);

  f.vs("vsN", 2).CommitEnter("6");
  EXPECT_EQ(h.model().PointCount[2], 6);
  EXPECT_EQ(h.model().SelectedSlot, 2);
  EXPECT_TRUE(h.model().NoPolygon[7]);  // reread by the redraw

  Square(1);
  h.program.UndoFromSnapshot() = false;
  f.Get<Button>("cmdClear", 1).UserClick();
  EXPECT_EQ(h.model().X[1][0], 0);
  EXPECT_EQ(h.model().Y[1][2], 0);
  EXPECT_EQ(h.model().PlacedCount[1], 0);
  EXPECT_EQ(h.model().SelectedSlot, 1);
  EXPECT_TRUE(h.program.UndoFromSnapshot());  // the snapshot was taken
}

TEST_F(Panel, RedrawOnlyParameters) {
  f.vs("vsFirstCol", 0).CommitEnter("3");
  EXPECT_EQ(f.vs("vsFirstCol", 0).BackColour(), Palette16[3]);
  EXPECT_EQ(f.vs("vsFirstCol", 0).foreColour, Palette16[15]);
  f.vs("vsBackground", 0).CommitEnter("12");
  EXPECT_EQ(f.vs("vsBackground", 0).foreColour, Palette16[0]);
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

TEST_F(Panel, ClearAllRanksAsksFirst) {
  PlaceTiles(0, 2);
  f.optRank_Click(4);
  Square(3);
  Square(RanksPerTile);
  MenuItem& item = f.Menu("mnuEditClearAll");
  ASSERT_TRUE(item.Enabled());

  h.prompts.Answer_(Answer::Cancel);
  item.UserClick();
  EXPECT_EQ(h.prompts.log.at(0).title, "Just checking");
  EXPECT_EQ(h.prompts.log.at(0).text, "OK to clear everything for this Tile?");
  EXPECT_EQ(h.prompts.log.at(0).buttons, Buttons::OKCancel);
  EXPECT_EQ(h.model().X[3][0], 100);
  EXPECT_EQ(h.model().SelectedSlot, 0);  // the first rank is selected either way

  h.prompts.Answer_(Answer::OK);
  item.UserClick();
  EXPECT_EQ(h.model().X[3][0], 0);
  EXPECT_EQ(h.model().PlacedCount[3], 0);
  EXPECT_EQ(h.model().X[RanksPerTile][0], 100);
  EXPECT_EQ(h.program.tess.TessCount, 2);  // the tessellation is not this item's
}

TEST_F(Panel, SnapTogglesBothWindowsRadiusItems) {
  Form tess("frmT");
  auto& tessSnap = tess.Add<MenuItem>("mnuEditSnap", 0, "&Snap to vertices", "&Edit");
  auto& tessRadius = tess.Add<MenuItem>("mnuEditSnapRadius", 0, "Select Snap &Radius", "&Edit");
  tessRadius.SetEnabled(false);
  h.program.tessellator = &tess;
  MenuItem& snap = f.Menu("mnuEditSnap");
  MenuItem& radius = f.Menu("mnuEditSnapRadius");
  EXPECT_FALSE(radius.Enabled());

  snap.UserClick();
  EXPECT_TRUE(snap.Checked());
  EXPECT_TRUE(radius.Enabled());
  EXPECT_TRUE(tessSnap.Checked());
  EXPECT_TRUE(tessRadius.Enabled());

  snap.UserClick();
  EXPECT_FALSE(snap.Checked());
  EXPECT_FALSE(radius.Enabled());
  EXPECT_FALSE(tessSnap.Checked());
  EXPECT_FALSE(tessRadius.Enabled());
}

TEST_F(Panel, SnapRadiusInput) {
  Form tess("frmT");
  auto& tessRadius = tess.Add<MenuItem>("mnuEditSnapRadius", 0, "Select Snap &Radius", "&Edit");
  h.program.tessellator = &tess;
  f.Menu("mnuEditSnap").UserClick();

  struct Case {
    std::optional<std::string> answer;
    float radius;
  } cases[] = {{"7.5", 8}, {"6.5", 6},  {"25", 10},          {"abc", 10}, {std::nullopt, 10},
               {"0", 10},  {"-3", 10},  {" 3 pixels", 3},    {"", 3},     {"0.4", 3}};
  std::string defaultShown = "5";
  for (const Case& c : cases) {
    h.prompts.Input(c.answer);
    f.Menu("mnuEditSnapRadius").UserClick();
    const auto& r = h.prompts.log.back();
    EXPECT_EQ(r.title, "Snap radius setting");
    EXPECT_EQ(r.text, "Enter a snap radius from 1 (tight) to 10 (loose)");
    EXPECT_EQ(r.defaultText, defaultShown);
    EXPECT_FLOAT_EQ(h.model().SnapRadius, c.radius) << c.answer.value_or("(cancel)");
    defaultShown = FormatSingle(c.radius);
  }
  EXPECT_EQ(f.Menu("mnuEditSnapRadius").Caption(), "Select Snap &Radius (3)");
  EXPECT_EQ(tessRadius.Caption(), "Select Snap &Radius (3)");
}

TEST_F(Panel, CreatorName) {
  MenuItem& item = f.Menu("mnuEditName");
  ASSERT_TRUE(item.Enabled());
  h.prompts.Input("A. Maker");
  item.UserClick();
  EXPECT_EQ(h.model().CreatorName, "A. Maker");
  EXPECT_EQ(h.prompts.log.back().title, "Creator's name");
  EXPECT_EQ(h.prompts.log.back().text,
            "Enter the name used in the 'Created by:' section of .wlg files. You can, of course, "
            "leave it blank");
  EXPECT_EQ(h.prompts.log.back().defaultText, "");

  h.prompts.Input(std::nullopt);
  item.UserClick();
  EXPECT_EQ(h.prompts.log.back().defaultText, "A. Maker");
  EXPECT_EQ(h.model().CreatorName, "");
}

TEST_F(Panel, TabClickSelectsTheTilesFirstRank) {
  f.SSTab1_Click(2);
  EXPECT_EQ(f.TabIndex(), 2);
  EXPECT_EQ(h.model().CurrentTile, 2);
  EXPECT_EQ(h.model().SelectedSlot, 2 * RanksPerTile);
  EXPECT_TRUE(f.optRank(2 * RanksPerTile).Value());
}

}  // namespace
}  // namespace wlg
