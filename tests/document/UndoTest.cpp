// Undo: the one-level design snapshot against the entry boxes' histories.

#include <gtest/gtest.h>

#include "document/PatternFile.h"
#include "document/UnDoModule.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

class Undo : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }
  void UndoClick() { f.Menu("mnuEditUndo").UserClick(); }

  DesignerHarness h;
  frmS& f = h.form;
  DesignModel& m = h.model();
  TessState& tess = h.program.tess;
  ValidText& big = f.vs("vsPolyBig", 0);
};

TEST_F(Undo, EntryCommitsAreUndoneLatestFirstWhicheverWindowTheyAreIn) {
  m.X[1][0] = 7;
  h.program.UndoFromSnapshot() = true;  // a mouse release with no snapshot taken
  UndoClick();
  EXPECT_EQ(m.X[1][0], 7);

  // A commit after a point edit is undone, then the commit before it, not the point.
  f.vs("vsPolySmall", 0).CommitEnter("2");
  f.SetUndo();
  m.X[0][0] = 50, m.PlacedCount[0] = 1;
  big.CommitEnter("5");
  UndoClick();
  EXPECT_EQ(big.Value(), "4");
  UndoClick();
  EXPECT_EQ(f.vs("vsPolySmall", 0).Value(), "1");
  EXPECT_EQ(m.X[0][0], 50);

  ValidText& vtX = h.tess.Entry("vtX");
  vtX.CommitEnter("30");
  big.CommitEnter("6");
  vtX.CommitEnter("100");
  UndoClick();
  EXPECT_EQ(vtX.Value(), "30");
  UndoClick();
  EXPECT_EQ(big.Value(), "4");
  EXPECT_EQ(vtX.Value(), "30");
}

TEST_F(Undo, SnapshotIsRestoredOnceThenEntriesRevert) {
  std::vector<int> edited;
  f.updateEdit = [&](int n) { edited.push_back(n); };
  big.CommitEnter("5");
  m.X[2][0] = 20, m.PlacedCount[2] = 1;
  tess.TessCount = 2;
  tess.TessItems[2] = {-5, 6, 0, 4, false, 2, false};
  m.overrides.OverrideCount = 1;
  m.overrides.entries[0] = {2, 1, 33, 4};
  const auto before = TakeDesignSnapshot(h.program);

  f.SetUndo();
  // A drag and some tessellator edits, then the mouse release.
  m.X[2][0] = 99, m.PlacedCount[2] = 3;
  tess.TessCount = 3;
  tess.TessItems[2].Angle = 10;
  m.CustomColours[3] = 0;
  m.overrides.OverrideCount = 0;
  h.program.UndoFromSnapshot() = true;

  UndoClick();
  EXPECT_EQ(TakeDesignSnapshot(h.program), before);
  EXPECT_EQ(m.PlacedCount[2], 1);
  EXPECT_EQ(edited, std::vector<int>{2});  // the editor shows the last item
  EXPECT_EQ(big.Value(), "5");

  m.X[2][0] = 77;
  UndoClick();  // the snapshot is not applied again
  EXPECT_EQ(m.X[2][0], 77);
  EXPECT_EQ(big.Value(), "4");
}

TEST(UndoLatestEntry, WalksPastTheFirstValueToTheDefault) {
  EntryContext ctx;
  Form form("frm");
  ValidText& box = form.Add<ValidText>("vsBox", 0, ctx);
  box.ValDefault = "7";
  box.CommitEnter("3");
  UndoLatestEntry({nullptr, &form});
  EXPECT_EQ(box.Value(), "1");
  EXPECT_LT(box.UndoTime[box.UndoLevel + 1], 0);  // marked undone
  for (int i = 0; i < 2; ++i) UndoLatestEntry({&form});
  EXPECT_EQ(box.UndoLevel, 0);
  EXPECT_EQ(box.Value(), "7");
}

TEST(DesignSnapshot, KeepsEveryLinePastAThousand) {
  testing::ScriptedPrompts prompts;
  auto from = std::make_unique<Program>(prompts);
  from->tess.TessCount = MaxTessItems;
  for (int i = 1; i <= MaxTessItems; ++i)
    from->tess.TessItems[i] = {float(i), 1, 0, 1 + i % 4, false, 2, i % 2 == 0};
  from->design.overrides.OverrideCount = OverrideCapacity;
  for (int i = 0; i < OverrideCapacity; ++i)
    from->design.overrides.entries[i] = {float(i), 1, i % 64, i % 16};

  const auto lines = TakeDesignSnapshot(*from);
  ASSERT_EQ(lines.size(), 64u + 1 + 199 + 1 + 1 + 1000);
  auto to = std::make_unique<Program>(prompts);
  RestoreDesignSnapshot(lines, *to);
  EXPECT_EQ(TakeDesignSnapshot(*to), lines);
}

}  // namespace
}  // namespace wlg
